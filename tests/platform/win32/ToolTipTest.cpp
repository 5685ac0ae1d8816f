// The tool-tip control as the dispatcher drives it: one tool per target
// window, delay times, colours, relayed mouse messages and activation.
#include "platform/win32/Testing.h"

#include <gtest/gtest.h>

namespace {

HWND MakeTarget(const char* title, RECT rect) {
    static const bool registered = [] {
        WNDCLASS wc{};
        wc.lpfnWndProc = DefWindowProc;
        wc.lpszClassName = "ToolTipTestTarget";
        return RegisterClass(&wc) != 0;
    }();
    EXPECT_TRUE(registered);
    return CreateWindowEx(0, "ToolTipTestTarget", title, WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                          rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                          nullptr, nullptr, nullptr, nullptr);
}

TOOLINFO ToolFor(HWND target, const char* text) {
    TOOLINFO info{};
    info.cbSize = 44; // the size the original 32-bit platform used
    info.uFlags = TTF_IDISHWND;
    info.hwnd = target;
    info.uId = reinterpret_cast<UINT_PTR>(target);
    info.lpszText = const_cast<LPSTR>(text);
    return info;
}

TEST(ToolTipTest, AddUpdateMoveRelayAndActivate) {
    HWND first = MakeTarget("first", {0, 0, 100, 100});
    HWND second = MakeTarget("second", {0, 0, 100, 100});
    HWND tip =
        CreateWindowEx(0, TOOLTIPS_CLASS, nullptr, TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                       CW_USEDEFAULT, CW_USEDEFAULT, first, nullptr, nullptr, nullptr);
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(GetParent(tip), first) << "owned by its first target";
    SendMessage(tip, TTM_SETDELAYTIME, TTDT_AUTOPOP, 3392);
    SendMessage(tip, TTM_SETDELAYTIME, TTDT_INITIAL, 0);
    SendMessage(tip, TTM_SETDELAYTIME, TTDT_RESHOW, 0);

    TOOLINFO info = ToolFor(first, "Login button");
    EXPECT_TRUE(SendMessage(tip, TTM_ADDTOOL, 0, reinterpret_cast<LPARAM>(&info)));
    info.lpszText = const_cast<LPSTR>("Login button, again");
    SendMessage(tip, TTM_UPDATETIPTEXT, 0, reinterpret_cast<LPARAM>(&info));

    // The dispatcher's move to another target: add the new tool, delete the old.
    TOOLINFO other = ToolFor(second, "Search field");
    SendMessage(tip, TTM_ADDTOOL, 0, reinterpret_cast<LPARAM>(&other));
    TOOLINFO old = ToolFor(first, nullptr);
    SendMessage(tip, TTM_DELTOOL, 0, reinterpret_cast<LPARAM>(&old));
    SendMessage(tip, TTM_SETTIPBKCOLOR, RGB(255, 255, 0), 0);
    SendMessage(tip, TTM_SETTIPTEXTCOLOR, RGB(0, 0, 128), 0);

    MSG relayed{second, WM_MOUSEMOVE, 0, MAKELPARAM(10, 10), 0, {}};
    SendMessage(tip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
    SendMessage(tip, TTM_ACTIVATE, TRUE, 0);

    auto state = win32::testing::GetToolTipState(tip);
    ASSERT_TRUE(state.has_value());
    EXPECT_EQ(state->autoPopMs, 3392);
    EXPECT_EQ(state->initialMs, 0);
    EXPECT_EQ(state->reshowMs, 0);
    ASSERT_EQ(state->tools.size(), 1u);
    EXPECT_EQ(state->tools[0].window, second);
    EXPECT_EQ(state->tools[0].text, "Search field");
    EXPECT_EQ(state->backgroundColor, RGB(255, 255, 0));
    EXPECT_EQ(state->textColor, RGB(0, 0, 128));
    EXPECT_TRUE(state->active);
    EXPECT_EQ(state->relayedCount, 1);
    ASSERT_TRUE(state->shownText.has_value());
    EXPECT_EQ(*state->shownText, "Search field");
    EXPECT_EQ(SendMessage(tip, TTM_GETTOOLCOUNT, 0, 0), 1);

    SendMessage(tip, TTM_ACTIVATE, FALSE, 0);
    EXPECT_FALSE(win32::testing::GetToolTipState(tip)->shownText.has_value());

    DestroyWindow(first);
    EXPECT_FALSE(IsWindow(tip)) << "an owned window goes with its owner";
    EXPECT_FALSE(win32::testing::GetToolTipState(tip).has_value());
    DestroyWindow(second);
}

TEST(ToolTipTest, UpdateOfUnknownToolAndTooSmallInfoChangeNothing) {
    HWND target = MakeTarget("target", {0, 0, 10, 10});
    HWND tip = CreateWindowEx(0, TOOLTIPS_CLASS, nullptr, TTS_ALWAYSTIP, 0, 0, 0, 0, target,
                              nullptr, nullptr, nullptr);
    TOOLINFO info = ToolFor(target, "text");
    SendMessage(tip, TTM_UPDATETIPTEXT, 0, reinterpret_cast<LPARAM>(&info));
    info.cbSize = 8;
    EXPECT_FALSE(SendMessage(tip, TTM_ADDTOOL, 0, reinterpret_cast<LPARAM>(&info)));
    EXPECT_TRUE(win32::testing::GetToolTipState(tip)->tools.empty());
    DestroyWindow(target);
}

} // namespace
