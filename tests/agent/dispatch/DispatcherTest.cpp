#include "agent/channel/RequestArgs.h"
#include "agent/channel/Trace.h"
#include "agent/common/AgentCodes.h"
#include "agent/dispatch/CNS6Interface.h"
#include "agent/host/TrapState.h"
#include "platform/win32/Testing.h"

#include <gtest/gtest.h>

namespace {

CWebInfo Request(int32_t msgId) {
    CWebInfo record;
    record.SetMsgId(msgId);
    return record;
}

TEST(Dispatcher, UnknownMessageComesBackExactlyAsReceived) {
    CNS6Interface dispatcher;
    CWebInfo request = Request(60);
    request.SetRetValue(0x1234);
    request.SetWebInfoId(9);
    AppendString(request, "anything", "value");
    CWebInfo sent = request;
    EXPECT_TRUE(dispatcher.Dispatch(request));
    EXPECT_EQ(request, sent);
}

TEST(Dispatcher, VersionsOfBaseAndBrowserDispatcher) {
    CInterface base;
    CNS6Interface browser;
    EXPECT_EQ(base.GetVersion(), 1000);
    EXPECT_EQ(browser.GetVersion(), 11);
}

TEST(Dispatcher, ToolOptionsAreSetExactlyByName) {
    CNS6Interface dispatcher;
    EXPECT_EQ(dispatcher.GetOption("TrimProperties"), 0);

    CWebInfo set = Request(48);
    AppendString(set, "var_name", "TrimProperties");
    AppendInteger(set, "var_value", 7);
    dispatcher.Dispatch(set);
    EXPECT_EQ(set.GetRetValue(), NS_OK);
    EXPECT_EQ(dispatcher.GetOption("TrimProperties"), 7);
    EXPECT_EQ(dispatcher.GetOption("trimproperties"), 0);

    CWebInfo noValue = Request(48);
    AppendString(noValue, "var_name", "TrimProperties");
    dispatcher.Dispatch(noValue);
    EXPECT_EQ(dispatcher.GetOption("TrimProperties"), 0);

    CWebInfo emptyName = Request(48);
    emptyName.SetRetValue(E_FAIL);
    AppendString(emptyName, "var_name", "");
    AppendInteger(emptyName, "var_value", 3);
    dispatcher.Dispatch(emptyName);
    EXPECT_EQ(emptyName.GetRetValue(), NS_OK);
    EXPECT_EQ(dispatcher.GetOption(""), 0);
}

TEST(Dispatcher, TraceSettingsWithOnlyUseFileKeepTheMask) {
    CNS6Interface dispatcher;
    SetTraceMask(0x400);
    SetTraceFileSwitch(0);
    CWebInfo request = Request(29);
    request.SetRetValue(0x55);
    AppendInteger(request, "use file", 1);
    dispatcher.Dispatch(request);
    EXPECT_EQ(GetTraceMask(), 0x400);
    EXPECT_EQ(GetTraceFileSwitch(), 1);
    EXPECT_EQ(request.GetRetValue(), 0x55u);
    SetTraceFileSwitch(0);
    SetTraceMask(kInitialTraceMask);
}

TEST(Dispatcher, LastEventBeforeAndAfterARecordedStatement) {
    CNS6Interface dispatcher;
    CWebInfo before = Request(22);
    dispatcher.Dispatch(before);
    EXPECT_EQ(before.GetRetValue(), kResultNotFound);

    CWebInfo event = Request(46);
    AppendString(event, "event_name", "kept");
    dispatcher.SetLastEventId(CWebRunTimeID(5, 6, 7, -1));
    dispatcher.SetLastEventName("Click");
    dispatcher.SetLastEventRecord(event);
    CWebInfo after = Request(22);
    dispatcher.Dispatch(after);
    EXPECT_EQ(after.GetMsgId(), 46);
    ASSERT_EQ(after.GetAttrCount(), 2u);
    EXPECT_EQ(after.FindFirstValue("event_name")->GetString(), "kept");
    EXPECT_EQ(after.FindFirstValue("id")->GetRunTimeID(), CWebRunTimeID(5, 6, 7, -1));
}

TEST(Dispatcher, ToolTipTwiceForOneWindowUpdatesItsOneTool) {
    CreateTrapState(nullptr);
    CNS6Interface dispatcher;
    HWND target = CreateWindowEx(0, TOOLTIPS_CLASS, "target", 0, 0, 0, 10, 10, nullptr, nullptr,
                                 nullptr, nullptr);
    ASSERT_NE(target, nullptr);
    auto show = [&](const char* text) {
        CWebInfo request = Request(41);
        AppendInteger(request, "handle", static_cast<int32_t>(HandleToULong(target)));
        AppendString(request, "value", text);
        request.AppendAttr("point", CWebVariantList(CWebVariant(0, 0)));
        AppendInteger(request, "lparam", 0);
        AppendInteger(request, "wparam", 0);
        AppendInteger(request, "message", WM_MOUSEMOVE);
        dispatcher.Dispatch(request);
        return request.GetRetValue();
    };
    EXPECT_EQ(show("first"), NS_OK);
    EXPECT_EQ(show("second"), NS_OK);
    HWND tip = FindWindow(TOOLTIPS_CLASS, nullptr);
    ASSERT_NE(tip, nullptr);
    bool found = false;
    for (HWND w = tip; w; w = FindWindowEx(nullptr, w, TOOLTIPS_CLASS, nullptr)) {
        if (auto state = win32::testing::GetToolTipState(w); state && !state->tools.empty()) {
            ASSERT_EQ(state->tools.size(), 1u);
            EXPECT_EQ(state->tools[0].text, "second");
            EXPECT_EQ(state->autoPopMs, 3392);
            found = true;
        }
    }
    EXPECT_TRUE(found);

    CWebInfo missing = Request(41);
    dispatcher.Dispatch(missing);
    EXPECT_EQ(missing.GetRetValue(), E_INVALIDARG);
    DestroyWindow(target);
    DestroyTrapState();
}

TEST(Dispatcher, NoToolTipWithoutTrapState) {
    CNS6Interface dispatcher;
    HWND target = CreateWindowEx(0, TOOLTIPS_CLASS, "target", 0, 0, 0, 10, 10, nullptr, nullptr,
                                 nullptr, nullptr);
    CWebInfo request = Request(41);
    AppendInteger(request, "handle", static_cast<int32_t>(HandleToULong(target)));
    AppendString(request, "value", "tip");
    request.AppendAttr("point", CWebVariantList(CWebVariant(0, 0)));
    AppendInteger(request, "lparam", 0);
    AppendInteger(request, "wparam", 0);
    AppendInteger(request, "message", WM_MOUSEMOVE);
    dispatcher.Dispatch(request);
    EXPECT_EQ(request.GetRetValue(), E_INVALIDARG);
    auto state = win32::testing::GetToolTipState(target);
    EXPECT_TRUE(!state || state->tools.empty());
    DestroyWindow(target);
}

TEST(Dispatcher, PropertiesWithClassIndexAreAnsweredAsMessage5) {
    CNS6Interface dispatcher;
    CWebInfo request = Request(24);
    dispatcher.Dispatch(request);
    EXPECT_EQ(request.GetMsgId(), 5);
    ASSERT_NE(request.FindFirstValue("class_index"), nullptr);
    EXPECT_EQ(request.FindFirstValue("class_index")->GetInteger(), -1);
}

} // namespace
