// The event rules: defaults, the tool's changes (message 47) and the
// decision for elements of a real page.
#include "agent/channel/RequestArgs.h"
#include "agent/common/AgentCodes.h"
#include "agent/controls/ControlsFixture.h"
#include "agent/record/CEventUtil.h"
#include "agent/record/CNS6EventUtil.h"

namespace {

using namespace controlstest;

TEST(EventRules, HandlerNamesAreExactAndUnknownTypesAreNotRecorded) {
    EXPECT_EQ(HandlerNameOfEvent("click"), "onclick");
    EXPECT_EQ(HandlerNameOfEvent("command"), "oncommand");
    EXPECT_EQ(HandlerNameOfEvent("propertychange"), "onpropertychange");
    EXPECT_EQ(HandlerNameOfEvent("Click"), "");
    EXPECT_EQ(HandlerNameOfEvent("contextmenu"), "");
    EXPECT_EQ(HandlerNameOfEvent(""), "");
}

TEST(EventRules, AddPrefixesOnAndReplaces_ConfigureZeroRemovesButKeepsTheKind) {
    CEventUtil rules;
    const size_t defaults = rules.KindCount();
    rules.Configure("html_table", "click", kRuleWithAttribute, kRuleRecord);
    ASSERT_NE(rules.FindRule("HTML_TABLE", "onclick"), nullptr) << "kinds ignore case";
    EXPECT_EQ(*rules.FindRule("html_table", "onclick"), (EventRule{2, 2}));
    rules.Configure("html_table", "onclick", kRuleAlways, 3);
    EXPECT_EQ(*rules.FindRule("html_table", "onclick"), (EventRule{1, 3}));
    EXPECT_EQ(rules.FindRule("html_table", "onClick"), nullptr) << "handlers are exact";
    rules.Configure("html_table", "click", 0, 0);
    EXPECT_EQ(rules.FindRule("html_table", "onclick"), nullptr);
    EXPECT_EQ(rules.KindCount(), defaults + 1);
    // Removing what is not there changes nothing.
    rules.Configure("nothing", "onclick", 0, 0);
    EXPECT_EQ(rules.KindCount(), defaults + 1);
}

TEST(EventRules, AllDefaultRestoresExactlyTheDefaults) {
    CEventUtil rules;
    const size_t defaults = rules.KindCount();
    rules.Configure("html_edit", "onclick", kRuleAlways, kRuleRecord);
    rules.Configure("SPAN", "onclick", kRuleAlways, kRuleRecord);
    rules.Configure("All", "Default", 0, 0);
    EXPECT_EQ(rules.KindCount(), defaults);
    EXPECT_EQ(*rules.FindRule("html_edit", "onclick"), (EventRule{1, 1}));
    EXPECT_EQ(rules.FindRule("SPAN", "onclick"), nullptr);
    EXPECT_EQ(*rules.FindRule("SPAN", "onpropertychange"), (EventRule{1, 1}));
    // With an action, the reset also adds that rule.
    rules.Configure("All", "Default", kRuleAlways, kRuleRecord);
    EXPECT_EQ(*rules.FindRule("All", "onDefault"), (EventRule{1, 2}));
}

class EventRulesOnPage : public ControlsOnShell {};

TEST_F(EventRulesOnPage, DefaultsDecideByClassTagAndAttribute) {
    OPEN_PAGE(R"html(<form><input id=b type=button value=Go><input id=e type=text>
<span id=s>plain</span><span id=h onclick="f()">handled</span>
<table id=t><tr><td>x</td></tr></table></form>)html");
    CEventUtil rules;
    EXPECT_EQ(rules.ShouldRecord(*Element("b").Get(), "onclick", "INPUT"), NS_OK);
    EXPECT_EQ(rules.ShouldRecord(*Element("e").Get(), "onclick", "INPUT"), E_FAIL);
    EXPECT_EQ(rules.ShouldRecord(*Element("e").Get(), "onchange", "INPUT"), NS_OK);
    EXPECT_EQ(rules.ShouldRecord(*Element("s", kGeneralObjects).Get(), "onclick", "SPAN"), E_FAIL);
    EXPECT_EQ(rules.ShouldRecord(*Element("h", kGeneralObjects).Get(), "onclick", "SPAN"), NS_OK);
    EXPECT_EQ(rules.ShouldRecord(*Element("t").Get(), "onclick", "TABLE"), E_FAIL);

    // The tool's request makes table clicks recorded, and takes it back.
    CNS6Interface& dispatcher = *GetNS6Dispatcher();
    CWebInfo request;
    request.SetMsgId(static_cast<int32_t>(MsgId::RegisterEventHandler));
    AppendString(request, "class", "html_table");
    AppendString(request, "event_name", "click");
    AppendInteger(request, "event_type", 2);
    AppendInteger(request, "event_status", 2);
    request.SetRetValue(7);
    dispatcher.Dispatch(request);
    EXPECT_EQ(request.GetRetValue(), 7) << "the result code is left as sent";
    CNS6EventUtil& recorder = GetEventRecorder();
    // Condition 2: only a table with an onclick attribute.
    EXPECT_EQ(recorder.ShouldRecord(*Element("t").Get(), "onclick", "TABLE"), E_FAIL);
    recorder.Configure("html_table", "click", kRuleAlways, kRuleRecord);
    EXPECT_EQ(recorder.ShouldRecord(*Element("t").Get(), "onclick", "TABLE"), NS_OK);
    request.ReplaceAttr("event_status", CWebVariantList(CWebVariant(0)));
    dispatcher.Dispatch(request);
    EXPECT_EQ(recorder.ShouldRecord(*Element("t").Get(), "onclick", "TABLE"), E_FAIL);

    // A tag rule for SPAN overrides the class rule; a handler differing in
    // case matches nothing.
    recorder.Configure("span", "onclick", kRuleAlways, 1);
    EXPECT_EQ(recorder.ShouldRecord(*Element("h", kGeneralObjects).Get(), "onclick", "SPAN"),
              E_FAIL);
    recorder.Configure("span", "onclick", 0, 0);
    recorder.Configure("html_push_button", "onClick", kRuleAlways, 1);
    EXPECT_EQ(recorder.ShouldRecord(*Element("b").Get(), "onclick", "INPUT"), NS_OK);
    recorder.LoadDefaults();
}

} // namespace
