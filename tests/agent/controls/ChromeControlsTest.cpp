// The XUL controls of the browser's chrome: a text box whose text the user
// types, check boxes and buttons answered through their attributes, and the
// tree-style list.
#include "ControlsFixture.h"
#include "platform/browser/shell/ChromeDocuments.h"
#include "platform/xpcom/dom/nsIDOMXULElement.h"

namespace {

using namespace controlstest;

constexpr const char* kChromeURL = "chrome://controls-test/content/controls.xul";

constexpr const char* kChromeXUL = R"(<?xml version="1.0"?>
<window id="main-window" title="Controls" width="800" height="600"
        xmlns="http://www.mozilla.org/keymaster/gatekeeper/there.is.only.xul">
  <toolbar id="bar">
    <textbox id="field" name="query" value="initial"/>
    <textbox id="secret" type="password" value="pw"/>
    <checkbox id="on" label="Remember" checked="true"/>
    <checkbox id="off" label="Forget" disabled="true"/>
    <button id="wordy" label="Go" disabled="true"/>
    <button id="numeric" label="Stop" disabled="1"/>
    <button id="allowed" label="Ok" disabled="false"/>
    <radio id="choice" label="First"/>
  </toolbar>
  <tree id="list" name="history" multiple="true">
    <treecols><treecol label="Address"/></treecols>
    <treechildren>
      <treeitem label="alpha"/>
      <treeitem label="" selected="true"/>
      <treeitem label="gamma" selected="true"/>
    </treechildren>
  </tree>
  <tree id="short">
    <treechildren><treeitem label="only"/></treechildren>
  </tree>
  <tree id="bare" disabled="true"/>
  <tree id="open" disabled="false"><treechildren/></tree>
  <browser id="content" type="content-primary" flex="1"/>
</window>
)";

class ChromeControls : public ControlsOnShell {
protected:
    void SetUp() override {
        ControlsOnShell::SetUp();
        browser::RegisterChromeDocument(
            kChromeURL, browser::ChromeDocument{kChromeXUL, std::string(browser::kXULContentType)});
        OPEN_PAGE("<p>content</p>", kChromeURL);
        nsIDOMWindow* chrome = m_Window->ChromeShell()->DOMWindow();
        m_Chrome = std::make_unique<CNS6Frame>(chrome, m_Window->Handle(), m_Browser);
        m_ChromeRef = CWebObjRef(m_Chrome.get());
    }
    void TearDown() override {
        m_ChromeRef = {};
        m_Chrome.reset();
        ControlsOnShell::TearDown();
    }

    template <class T> CWebObjRef MakeXul(std::u16string_view id) {
        dom::Element* element = ElementIn(m_Window->ChromeShell(), id);
        EXPECT_NE(element, nullptr);
        return CWebObjRef(new T(element != nullptr ? element->AsDOMNode() : nullptr, m_ChromeRef));
    }

    std::unique_ptr<CNS6Frame> m_Chrome; // a frame object for the chrome document
    CWebObjRef m_ChromeRef;
};

TEST_F(ChromeControls, TextBoxReportsWhatWasTypedNotItsAttribute) {
    CWebObjRef field = MakeXul<CNS6Edit>(u"field");
    EXPECT_EQ(StringOf(field, "value"), "initial");
    EXPECT_EQ(StringOf(field, "name"), "query");
    EXPECT_TRUE(IsNotApplicable(field, "kind"));
    EXPECT_TRUE(IsNotApplicable(field, "element_name"));
    EXPECT_TRUE(static_cast<CNS6Edit*>(field.Get())->IsXulTextField());
    EXPECT_FALSE(m_Chrome->LookupRecordedState(field->RunTimeID()))
        << "XUL text fields are not seeded";

    // The user types into the text box's input field.
    dom::Element* box = ElementIn(m_Window->ChromeShell(), u"field");
    std::optional<POINT> center = m_App.ScreenCenterOf(*box);
    ASSERT_TRUE(center.has_value());
    ASSERT_TRUE(m_App.Click(*center));
    ASSERT_TRUE(m_App.Type(u" more"));
    const std::string typed = StringOf(field, "value");
    EXPECT_NE(typed, "initial") << "the value is read from the input field";
    EXPECT_EQ(GetAttributeText(box->AsDOMNode(), "value"), "initial");

    CWebInfo request;
    AppendString(request, "value", "replayed");
    EXPECT_EQ(Call(field, "SetValue", request), NS_OK);
    EXPECT_EQ(StringOf(field, "value"), "replayed");

    // Not seeded: the first change counts against an empty start and is
    // learnt at the second.
    EXPECT_EQ(Call(field, "IsRecordEnabled"), 0);
    EXPECT_EQ(Call(field, "IsRecordEnabled"), 0);
    EXPECT_EQ(Call(field, "IsRecordEnabled"), 1);

    EXPECT_EQ(StringOf(MakeXul<CNS6Edit>(u"secret"), "type"), "password");
}

TEST_F(ChromeControls, CheckBoxesAndButtonsAnswerThroughAttributes) {
    CWebObjRef on = MakeXul<CNS6CheckButton>(u"on");
    EXPECT_EQ(IntegerOf(on, "checked"), 1);
    EXPECT_EQ(StringOf(on, "value"), "Remember");
    EXPECT_EQ(IntegerOf(on, "enabled"), 1);
    EXPECT_TRUE(IsNotApplicable(on, "element_name"));
    GetNS6Dispatcher()->SetOption("ToolMode", 1);
    EXPECT_EQ(IntegerOf(on, "checked"), 0) << "inverted while recording";
    GetNS6Dispatcher()->SetOption("ToolMode", 0);

    CWebObjRef off = MakeXul<CNS6CheckButton>(u"off");
    EXPECT_EQ(IntegerOf(off, "checked"), 0);
    EXPECT_EQ(IntegerOf(off, "enabled"), 0);

    CWebObjRef choice = MakeXul<CNS6RadioButton>(u"choice");
    EXPECT_EQ(StringOf(choice, "part_value"), "First");

    CWebObjRef wordy = MakeXul<CNS6PushButton>(u"wordy");
    EXPECT_EQ(StringOf(wordy, "name"), "Go");
    EXPECT_EQ(StringOf(wordy, "value"), "Go");
    EXPECT_EQ(IntegerOf(wordy, "enabled"), 0) << "disabled as the chrome writes it";
    EXPECT_TRUE(IsNotApplicable(wordy, "part_value"));
    EXPECT_EQ(IntegerOf(MakeXul<CNS6PushButton>(u"numeric"), "enabled"), 0);
    EXPECT_EQ(IntegerOf(MakeXul<CNS6PushButton>(u"allowed"), "enabled"), 1);
}

TEST_F(ChromeControls, TreeListItemsSelectionAndReplay) {
    CWebObjRef list = MakeXul<CNS6ListBox>(u"list");
    const std::string sep(1, kItemSeparator);
    EXPECT_EQ(StringOf(list, "name"), "history");
    EXPECT_EQ(IntegerOf(list, "count_items"), 3);
    EXPECT_EQ(IntegerOf(list, "visible_items"), 3);
    EXPECT_EQ(IntegerOf(list, "is_multiple"), 1);
    EXPECT_EQ(StringOf(list, "selection"), "#1" + sep + "gamma");
    EXPECT_EQ(StringOf(list, "option_list"), "alphagamma");
    EXPECT_EQ(IntegerOf(list, "selected_index"), 1);

    CWebInfo select;
    AppendInteger(select, "value", 0);
    EXPECT_EQ(Call(list, "ListSelect", select), NS_OK);
    EXPECT_EQ(StringOf(list, "selection"), "alpha");
    CWebInfo extend;
    AppendInteger(extend, "value", 2);
    EXPECT_EQ(Call(list, "ListExtendSelect", extend), NS_OK);
    EXPECT_EQ(StringOf(list, "selection"), "alpha" + sep + "gamma");
    CWebInfo deselect;
    AppendInteger(deselect, "value", 0);
    EXPECT_EQ(Call(list, "ListDeselect", deselect), NS_OK);
    EXPECT_EQ(StringOf(list, "selection"), "gamma");

    CWebInfo outside;
    AppendInteger(outside, "value", 3);
    EXPECT_EQ(Call(list, "ListSelect", outside), 0x80004005u);
    CWebInfo text;
    AppendString(text, "value", "alpha");
    EXPECT_EQ(Call(list, "ListSelect", text), 0x80070057u);
    EXPECT_EQ(StringOf(list, "selection"), "gamma");

    CWebObjRef bare = MakeXul<CNS6ListBox>(u"bare");
    EXPECT_TRUE(IsNotApplicable(bare, "count_items")) << "a tree without item container";
    EXPECT_TRUE(IsNotApplicable(bare, "options_rect"));
    EXPECT_EQ(StringOf(bare, "name"), "select");
    EXPECT_EQ(IntegerOf(bare, "enabled"), 0);
    CWebObjRef open = MakeXul<CNS6ListBox>(u"open");
    EXPECT_EQ(IntegerOf(open, "enabled"), 1);
    EXPECT_EQ(IntegerOf(open, "count_items"), 0);
    EXPECT_EQ(StringOf(open, "selection"), "");
}

TEST_F(ChromeControls, TreeListRectangles) {
    CWebObjRef list = MakeXul<CNS6ListBox>(u"list");
    std::optional<RECT> all = RectOf(list, "options_rect");
    ASSERT_TRUE(all.has_value());
    EXPECT_LT(all->top, all->bottom);
    CWebObjRef single = MakeXul<CNS6ListBox>(u"short");
    std::optional<RECT> one = RectOf(single, "options_rect");
    ASSERT_TRUE(one.has_value()) << "a list of one item spans that item";
    CWebInfo item;
    AppendInteger(item, "item_num", 0);
    ASSERT_EQ(Call(single, "NumtoRect", item), NS_OK);
    const RECT rect = TypedArg(item, "item_rect", WebVariantType::Rect)->GetRect();
    EXPECT_EQ(one->top, rect.top);
    EXPECT_EQ(one->bottom, rect.bottom);
}

} // namespace
