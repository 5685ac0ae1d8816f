// Windows: classes, creation and destruction, hierarchy, finding, window
// longs and geometry.
#include "platform/win32/Windows.h"

#include <gtest/gtest.h>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

std::vector<std::string> g_log;

LRESULT LoggingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY || message == WM_NCDESTROY || message == WM_CREATE) {
        char title[64];
        GetWindowText(window, title, sizeof title);
        g_log.push_back(std::string(Win32MessageName(message)) + " " + title);
    }
    return DefWindowProc(window, message, wParam, lParam);
}

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_log.clear();
        static int counter = 0;
        m_class = "WindowTestClass" + std::to_string(++counter);
        WNDCLASSEX wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = LoggingProc;
        wc.cbWndExtra = 16;
        wc.lpszClassName = m_class.c_str();
        ASSERT_NE(RegisterClassEx(&wc), 0);
    }
    HWND Make(const char* title, DWORD style = WS_OVERLAPPEDWINDOW, HWND parent = nullptr,
              RECT rect = {0, 0, 100, 100}) {
        return CreateWindowEx(0, m_class.c_str(), title, style, rect.left, rect.top,
                              rect.right - rect.left, rect.bottom - rect.top, parent, nullptr,
                              nullptr, nullptr);
    }
    std::string m_class;
};

TEST_F(WindowTest, Class_SecondRegistrationFailsWithAlreadyExists) {
    WNDCLASS wc{};
    wc.lpfnWndProc = DefWindowProc;
    std::string upper = m_class;
    for (char& c : upper) {
        c = static_cast<char>(toupper(c));
    }
    wc.lpszClassName = upper.c_str(); // class names ignore case
    EXPECT_EQ(RegisterClass(&wc), 0);
    EXPECT_EQ(GetLastError(), ERROR_CLASS_ALREADY_EXISTS);
}

TEST_F(WindowTest, Class_UnknownClassCannotMakeWindows) {
    EXPECT_EQ(CreateWindowEx(0, "NoSuchClassAnywhere", "x", 0, 0, 0, 0, 0, nullptr, nullptr,
                             nullptr, nullptr),
              nullptr);
    EXPECT_EQ(GetLastError(), ERROR_CANNOT_FIND_WND_CLASS);
}

TEST_F(WindowTest, Handles_FitIn32BitsArePositiveAndNeverReused) {
    std::set<ULONG> seen;
    for (int i = 0; i < 50; ++i) {
        HWND window = Make("temp");
        ASSERT_NE(window, nullptr);
        ULONG value = HandleToULong(window);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(window), value) << "handle wider than 32 bits";
        EXPECT_GT(HandleToLong(window), 0) << "a handle must never look like -1 in an int32 field";
        EXPECT_TRUE(seen.insert(value).second) << "handle value reused";
        ASSERT_TRUE(DestroyWindow(window));
        EXPECT_FALSE(IsWindow(window));
    }
}

TEST_F(WindowTest, DeadHandle_FailsEverywhereWithInvalidWindowHandle) {
    HWND window = Make("doomed");
    DestroyWindow(window);
    char buffer[16] = "untouched";
    RECT rect{1, 2, 3, 4};
    SetLastError(0);
    EXPECT_EQ(GetWindowText(window, buffer, sizeof buffer), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
    EXPECT_STREQ(buffer, "untouched");
    EXPECT_FALSE(GetWindowRect(window, &rect));
    EXPECT_EQ(SendMessage(window, WM_USER, 0, 0), 0);
    EXPECT_FALSE(PostMessage(window, WM_USER, 0, 0));
    EXPECT_EQ(GetWindowLongPtr(window, GWLP_USERDATA), 0);
    EXPECT_FALSE(DestroyWindow(window));
    EXPECT_EQ(GetParent(window), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
    EXPECT_FALSE(IsWindow(nullptr));
    EXPECT_EQ(GetClassName(nullptr, buffer, sizeof buffer), 0);
}

TEST_F(WindowTest, Destroy_OrderOfMessagesAndChildrenGoToo) {
    HWND top = Make("top");
    HWND child = Make("child", WS_CHILD, top);
    HWND grandChild = Make("grandchild", WS_CHILD, child);
    HWND owned = Make("owned", WS_POPUP, child); // owner is child's top-level window
    g_log.clear();
    ASSERT_TRUE(DestroyWindow(top));
    std::vector<std::string> expected = {"WM_DESTROY owned",      "WM_NCDESTROY owned",
                                         "WM_DESTROY top",        "WM_DESTROY child",
                                         "WM_DESTROY grandchild", "WM_NCDESTROY grandchild",
                                         "WM_NCDESTROY child",    "WM_NCDESTROY top"};
    EXPECT_EQ(g_log, expected);
    for (HWND window : {top, child, grandChild, owned}) {
        EXPECT_FALSE(IsWindow(window));
    }
}

TEST_F(WindowTest, Destroy_OnlyByTheOwnerThread) {
    HWND window = Make("mine");
    BOOL destroyed = TRUE;
    DWORD error = 0;
    std::thread([&] {
        destroyed = DestroyWindow(window);
        error = GetLastError();
    }).join();
    EXPECT_FALSE(destroyed);
    EXPECT_EQ(error, ERROR_ACCESS_DENIED);
    EXPECT_TRUE(IsWindow(window));
    DestroyWindow(window);
}

TEST_F(WindowTest, Close_DefaultHandlingDestroys) {
    HWND window = Make("closing");
    SendMessage(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(WindowTest, ThreadEnd_DropsItsWindows) {
    HWND window = nullptr;
    std::thread([&] { window = Make("short-lived"); }).join();
    EXPECT_NE(window, nullptr);
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(WindowTest, FindWindow_ByClassAndTitleIgnoringCase) {
    HWND a = Make("Receiver Title");
    HWND b = Make("Other");
    HWND child = Make("Receiver Title", WS_CHILD, b);
    EXPECT_EQ(FindWindow(m_class.c_str(), "Receiver Title"), a);
    EXPECT_EQ(FindWindow(m_class.c_str(), "receiver TITLE"), a);
    EXPECT_EQ(FindWindow(nullptr, "Other"), b);
    EXPECT_NE(FindWindow(m_class.c_str(), nullptr), nullptr);
    EXPECT_EQ(FindWindow("NoSuchClassAnywhere", nullptr), nullptr);
    EXPECT_EQ(FindWindow(m_class.c_str(), "Receiver"), nullptr) << "titles match whole";
    EXPECT_EQ(FindWindowEx(b, nullptr, nullptr, "Receiver Title"), child)
        << "FindWindowEx searches children";
    SetWindowText(a, "Renamed");
    EXPECT_EQ(FindWindow(m_class.c_str(), "Receiver Title"), nullptr);
    EXPECT_EQ(FindWindow(m_class.c_str(), "Renamed"), a);
    DestroyWindow(a);
    EXPECT_EQ(FindWindow(m_class.c_str(), "Renamed"), nullptr);
    DestroyWindow(b);
}

TEST_F(WindowTest, FindWindow_NewestTopLevelFirst) {
    HWND first = Make("same");
    HWND second = Make("same");
    EXPECT_EQ(FindWindow(m_class.c_str(), "same"), second);
    EXPECT_EQ(FindWindowEx(nullptr, second, m_class.c_str(), "same"), first);
    DestroyWindow(first);
    DestroyWindow(second);
}

TEST_F(WindowTest, GetParent_ChildGivesParentOwnedGivesOwner) {
    HWND top = Make("top");
    HWND child = Make("child", WS_CHILD, top);
    HWND owned = Make("owned", WS_POPUP, child);
    HWND alone = Make("alone");
    EXPECT_EQ(GetParent(child), top);
    EXPECT_EQ(GetParent(owned), top) << "the owner is the top-level window of the one given";
    EXPECT_EQ(GetWindow(owned, GW_OWNER), top);
    EXPECT_EQ(GetParent(alone), nullptr);
    EXPECT_EQ(GetParent(top), nullptr);
    EXPECT_EQ(GetAncestor(child, GA_ROOT), top);
    EXPECT_EQ(GetAncestor(owned, GA_ROOTOWNER), top);
    EXPECT_TRUE(IsChild(top, child));
    EXPECT_FALSE(IsChild(top, owned));
    EXPECT_EQ(CreateWindowEx(0, m_class.c_str(), "orphan", WS_CHILD, 0, 0, 1, 1, nullptr, nullptr,
                             nullptr, nullptr),
              nullptr);
    EXPECT_EQ(GetLastError(), ERROR_TLW_WITH_WSCHILD);
    DestroyWindow(top);
    DestroyWindow(alone);
}

BOOL CollectTitle(HWND window, LPARAM param) {
    char title[32];
    GetWindowText(window, title, sizeof title);
    reinterpret_cast<std::vector<std::string>*>(param)->push_back(title);
    return TRUE;
}

TEST_F(WindowTest, ChildOrder_FirstCreatedFirstDescendantsDepthFirst) {
    HWND top = Make("top");
    HWND a = Make("a", WS_CHILD, top);
    Make("a1", WS_CHILD, a);
    HWND b = Make("b", WS_CHILD, top);
    EXPECT_EQ(GetWindow(top, GW_CHILD), a);
    EXPECT_EQ(GetWindow(a, GW_HWNDNEXT), b);
    EXPECT_EQ(GetWindow(b, GW_HWNDNEXT), nullptr);
    EXPECT_EQ(GetWindow(b, GW_HWNDPREV), a);
    std::vector<std::string> titles;
    EnumChildWindows(top, CollectTitle, reinterpret_cast<LPARAM>(&titles));
    EXPECT_EQ(titles, (std::vector<std::string>{"a", "a1", "b"}));
    BringWindowToTop(b);
    EXPECT_EQ(GetWindow(top, GW_CHILD), b);
    DestroyWindow(top);
}

TEST_F(WindowTest, Longs_StyleUserDataAndExtraBytes) {
    HWND window = Make("longs", WS_OVERLAPPEDWINDOW | WS_DISABLED);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLong(window, GWL_STYLE)),
              WS_OVERLAPPEDWINDOW | WS_DISABLED);
    EXPECT_FALSE(IsWindowEnabled(window));
    EXPECT_TRUE(EnableWindow(window, TRUE)) << "answers that it was disabled";
    EXPECT_EQ(GetWindowLong(window, GWL_STYLE) & WS_DISABLED, 0);

    int object = 0;
    auto pointer = reinterpret_cast<LONG_PTR>(&object);
    EXPECT_EQ(SetWindowLongPtr(window, GWLP_USERDATA, pointer), 0);
    EXPECT_EQ(GetWindowLongPtr(window, GWLP_USERDATA), pointer);
    EXPECT_EQ(GetWindowLong(window, GWL_USERDATA), static_cast<LONG>(pointer))
        << "the 32-bit form truncates";

    SetWindowLongPtr(window, 8, 0x1234);
    EXPECT_EQ(GetWindowLongPtr(window, 8), 0x1234);
    EXPECT_EQ(GetWindowLongPtr(window, 9), 0) << "past the 16 extra bytes";
    EXPECT_EQ(GetLastError(), ERROR_INVALID_INDEX);

    char name[64];
    EXPECT_EQ(GetClassName(window, name, sizeof name), static_cast<int>(m_class.size()));
    EXPECT_EQ(name, m_class);
    EXPECT_EQ(GetClassName(window, name, 4), 3) << "truncated and terminated";
    EXPECT_EQ(std::string(name), m_class.substr(0, 3));
    DestroyWindow(window);
}

TEST_F(WindowTest, Geometry_ChildRelativeToParentNoFrame) {
    HWND top = Make("top", WS_OVERLAPPEDWINDOW | WS_VISIBLE, nullptr, {100, 50, 900, 650});
    HWND child = Make("child", WS_CHILD | WS_VISIBLE, top, {10, 20, 210, 120});
    RECT rect;
    ASSERT_TRUE(GetWindowRect(child, &rect));
    EXPECT_EQ(rect.left, 110);
    EXPECT_EQ(rect.top, 70);
    EXPECT_EQ(rect.right, 310);
    EXPECT_EQ(rect.bottom, 170);
    ASSERT_TRUE(GetClientRect(top, &rect));
    EXPECT_EQ(rect.right, 800) << "no non-client frame";
    EXPECT_EQ(rect.bottom, 600);
    POINT point{5, 5};
    ClientToScreen(child, &point);
    EXPECT_EQ(point.x, 115);
    EXPECT_EQ(point.y, 75);
    ScreenToClient(top, &point);
    EXPECT_EQ(point.x, 15);
    EXPECT_EQ(point.y, 25);
    MoveWindow(child, 0, 0, 50, 50, TRUE);
    GetWindowRect(child, &rect);
    EXPECT_EQ(rect.left, 100);
    EXPECT_EQ(rect.right, 150);
    DestroyWindow(top);
}

TEST_F(WindowTest, WindowFromPoint_DeepestVisibleSkippingDisabledChildren) {
    HWND top = Make("top", WS_OVERLAPPEDWINDOW | WS_VISIBLE, nullptr, {1000, 0, 1200, 200});
    HWND panel = Make("panel", WS_CHILD | WS_VISIBLE, top, {0, 0, 100, 100});
    HWND list = Make("list", WS_CHILD | WS_VISIBLE, panel, {10, 10, 50, 50});
    HWND hidden = Make("hidden", WS_CHILD, top, {100, 0, 200, 100});
    EXPECT_EQ(WindowFromPoint({1020, 20}), list);
    EXPECT_EQ(WindowFromPoint({1080, 80}), panel);
    EXPECT_EQ(WindowFromPoint({1150, 50}), top) << "hidden windows are passed over";
    EnableWindow(list, FALSE);
    EXPECT_EQ(WindowFromPoint({1020, 20}), panel) << "a disabled child gives way";
    EXPECT_EQ(ChildWindowFromPoint(panel, {20, 20}), list) << "disabled children count here";
    EXPECT_EQ(ChildWindowFromPointEx(panel, {20, 20}, CWP_SKIPDISABLED), panel);
    EXPECT_EQ(ChildWindowFromPoint(top, {150, 50}), hidden);
    EXPECT_EQ(ChildWindowFromPoint(top, {500, 50}), nullptr) << "outside the parent";
    DestroyWindow(top);
}

TEST_F(WindowTest, Foreground_IsTheTopLevelWindow) {
    HWND top = Make("top");
    HWND child = Make("child", WS_CHILD, top);
    EXPECT_TRUE(SetForegroundWindow(child));
    EXPECT_EQ(GetForegroundWindow(), top);
    DestroyWindow(top);
    EXPECT_EQ(GetForegroundWindow(), nullptr);
}

TEST_F(WindowTest, Create_MessagesCanRefuseCreation) {
    WNDCLASS wc{};
    wc.lpfnWndProc = [](HWND window, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
        return message == WM_CREATE ? -1 : DefWindowProc(window, message, wParam, lParam);
    };
    std::string name = m_class + "Refusing";
    wc.lpszClassName = name.c_str();
    ASSERT_NE(RegisterClass(&wc), 0);
    EXPECT_EQ(
        CreateWindowEx(0, name.c_str(), "x", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr),
        nullptr);
    EXPECT_EQ(FindWindow(name.c_str(), nullptr), nullptr);
    EXPECT_TRUE(UnregisterClass(name.c_str(), nullptr));
}

TEST(RegisterWindowMessageTest, SameStringSameNumberInRegisteredRange) {
    UINT first = RegisterWindowMessage("HodaatTestMessage;");
    EXPECT_GE(first, 0xC000u);
    EXPECT_LE(first, 0xFFFFu);
    EXPECT_EQ(RegisterWindowMessage("HodaatTestMessage;"), first);
    EXPECT_EQ(RegisterWindowMessage("hodaattestmessage;"), first);
    EXPECT_NE(RegisterWindowMessage("AnotherTestMessage"), first);
    EXPECT_EQ(RegisterWindowMessage(""), 0u);
}

} // namespace
