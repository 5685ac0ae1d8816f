// Kernel objects, critical sections and the environment.
#include "platform/win32/Windows.h"

#include <atomic>
#include <gtest/gtest.h>
#include <string>
#include <thread>

namespace {

TEST(MutexTest, OwnedReentrantAndExclusive) {
    HANDLE mutex = CreateMutex(nullptr, FALSE, nullptr);
    ASSERT_NE(mutex, nullptr);
    EXPECT_EQ(WaitForSingleObject(mutex, INFINITE), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_OBJECT_0) << "the owner may enter again";
    DWORD other = 0;
    BOOL released = TRUE;
    std::thread([&] {
        other = WaitForSingleObject(mutex, 30);
        released = ReleaseMutex(mutex);
    }).join();
    EXPECT_EQ(other, WAIT_TIMEOUT);
    EXPECT_FALSE(released) << "only the owner releases";
    EXPECT_TRUE(ReleaseMutex(mutex));
    EXPECT_TRUE(ReleaseMutex(mutex));
    EXPECT_FALSE(ReleaseMutex(mutex));
    EXPECT_EQ(GetLastError(), ERROR_NOT_OWNER);
    std::thread([&] { other = WaitForSingleObject(mutex, 1000); }).join();
    EXPECT_EQ(other, WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(mutex, 1000), WAIT_ABANDONED)
        << "the owner thread ended without releasing";
    EXPECT_TRUE(ReleaseMutex(mutex));
    EXPECT_TRUE(CloseHandle(mutex));
    EXPECT_FALSE(CloseHandle(mutex));
    EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST(MutexTest, SerialisesThreads) {
    HANDLE mutex = CreateMutex(nullptr, FALSE, nullptr);
    int counter = 0;
    std::atomic<bool> overlap{false};
    std::atomic<int> inside{0};
    auto work = [&] {
        for (int i = 0; i < 200; ++i) {
            WaitForSingleObject(mutex, INFINITE);
            if (++inside != 1) {
                overlap = true;
            }
            ++counter;
            --inside;
            ReleaseMutex(mutex);
        }
    };
    std::thread a(work), b(work);
    a.join();
    b.join();
    EXPECT_EQ(counter, 400);
    EXPECT_FALSE(overlap);
    CloseHandle(mutex);
}

TEST(EventTest, ManualResetStaysSignalled) {
    HANDLE event = CreateEvent(nullptr, TRUE, FALSE, nullptr);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
    SetEvent(event);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
    ResetEvent(event);
    HANDLE both[] = {event, CreateEvent(nullptr, FALSE, TRUE, nullptr)};
    EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, 0), WAIT_OBJECT_0 + 1);
    EXPECT_EQ(WaitForMultipleObjects(2, both, TRUE, 0), WAIT_TIMEOUT);
    CloseHandle(both[0]);
    CloseHandle(both[1]);
}

TEST(CriticalSectionTest, Reentrant) {
    CRITICAL_SECTION section;
    InitializeCriticalSection(&section);
    EnterCriticalSection(&section);
    EnterCriticalSection(&section);
    EXPECT_EQ(section.RecursionCount, 2);
    BOOL entered = TRUE;
    std::thread([&] { entered = TryEnterCriticalSection(&section); }).join();
    EXPECT_FALSE(entered);
    LeaveCriticalSection(&section);
    LeaveCriticalSection(&section);
    std::thread([&] {
        entered = TryEnterCriticalSection(&section);
        if (entered) {
            LeaveCriticalSection(&section);
        }
    }).join();
    EXPECT_TRUE(entered);
    DeleteCriticalSection(&section);
}

TEST(EnvironmentTest, NamesIgnoreCaseAndSizesFollowTheConvention) {
    ASSERT_TRUE(SetEnvironmentVariable("WinTestVariable", "value"));
    char buffer[16];
    EXPECT_EQ(GetEnvironmentVariable("WINTESTVARIABLE", buffer, sizeof buffer), 5u);
    EXPECT_STREQ(buffer, "value");
    EXPECT_EQ(GetEnvironmentVariable("wintestvariable", buffer, 5), 6u)
        << "too small: the size needed, terminator included";
    EXPECT_EQ(GetEnvironmentVariable("wintestvariable", nullptr, 0), 6u);
    EXPECT_TRUE(SetEnvironmentVariable("wintestVARIABLE", nullptr));
    EXPECT_EQ(GetEnvironmentVariable("WinTestVariable", buffer, sizeof buffer), 0u);
    EXPECT_EQ(GetLastError(), ERROR_ENVVAR_NOT_FOUND);
}

TEST(EnvironmentTest, SeededFromTheRealEnvironmentAndSharedByThreads) {
    DWORD length = GetEnvironmentVariable("path", nullptr, 0);
    EXPECT_GT(length, 0u) << "PATH of the real environment answers to \"path\"";
    std::string path(length, '\0');
    path.resize(GetEnvironmentVariable("PATH", path.data(), length));
    EXPECT_EQ(path.find(':'), std::string::npos) << "search paths are \";\"-separated";
    char temp[256];
    EXPECT_GT(GetEnvironmentVariable("temp", temp, sizeof temp), 0u)
        << "a temporary folder is always named";
    std::thread([] { SetEnvironmentVariable("WinTestShared", "from a thread"); }).join();
    char buffer[32];
    EXPECT_EQ(GetEnvironmentVariable("WinTestShared", buffer, sizeof buffer), 13u);
}

TEST(ThreadIdTest, DistinctPerThreadAndStable) {
    DWORD mine = GetCurrentThreadId();
    DWORD other = 0;
    std::thread([&] { other = GetCurrentThreadId(); }).join();
    EXPECT_NE(mine, 0u);
    EXPECT_NE(other, mine);
    EXPECT_EQ(GetCurrentThreadId(), mine);
}

} // namespace
