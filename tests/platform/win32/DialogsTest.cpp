// Message boxes, module string tables and debugger output.
#include "platform/win32/Testing.h"

#include <gtest/gtest.h>
#include <string>

namespace {

TEST(MessageBoxTest, LoggedAndAnsweredWithoutBlocking) {
    win32::testing::ClearMessageBoxLog();
    EXPECT_EQ(MessageBox(nullptr, "Cannot create the window", "Agent", MB_OK | MB_ICONERROR), IDOK);
    auto log = win32::testing::MessageBoxLog();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].owner, nullptr);
    EXPECT_EQ(log[0].text, "Cannot create the window");
    EXPECT_EQ(log[0].caption, "Agent");
    EXPECT_EQ(log[0].type, MB_OK | MB_ICONERROR);
    win32::testing::ClearMessageBoxLog();
    EXPECT_TRUE(win32::testing::MessageBoxLog().empty());
}

TEST(StringTableTest, LoadStringCopiesAndTruncates) {
    static constexpr StringTableEntry kStrings[] = {{300, "Web agent"}, {301, "No window"}};
    HMODULE program = GetModuleHandle(nullptr);
    SetModuleStringTable(program, kStrings);
    char buffer[256];
    EXPECT_EQ(LoadString(program, 300, buffer, sizeof buffer), 9);
    EXPECT_STREQ(buffer, "Web agent");
    EXPECT_EQ(LoadString(nullptr, 301, buffer, 4), 3) << "null names the program";
    EXPECT_STREQ(buffer, "No ");
    EXPECT_EQ(LoadString(program, 302, buffer, sizeof buffer), 0);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(GetLastError(), ERROR_RESOURCE_NAME_NOT_FOUND);
}

TEST(DebugOutputTest, LinesAreKept) {
    win32::testing::ClearDebugOutputLog();
    OutputDebugString("********************************* TRAP Initialize \n");
    auto log = win32::testing::DebugOutputLog();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0], "********************************* TRAP Initialize \n");
}

// A long session keeps the latest lines only, in order.
TEST(DebugOutputTest, OnlyTheLatestLinesAreKept) {
    win32::testing::ClearDebugOutputLog();
    const size_t total = win32::testing::kDebugOutputLines + 5;
    for (size_t i = 0; i < total; ++i) {
        OutputDebugString(std::to_string(i).c_str());
    }
    auto log = win32::testing::DebugOutputLog();
    ASSERT_EQ(log.size(), win32::testing::kDebugOutputLines);
    EXPECT_EQ(log.front(), "5");
    EXPECT_EQ(log.back(), std::to_string(total - 1));
    win32::testing::ClearDebugOutputLog();
}

} // namespace
