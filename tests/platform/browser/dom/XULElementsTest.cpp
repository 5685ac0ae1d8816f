// Chrome documents: XUL from XML, the XUL element interfaces, the textbox's
// anonymous input, the tree-list operations and the box object.
#include "platform/browser/dom/Document.h"
#include "platform/browser/dom/Parser.h"
#include "platform/xpcom/dom/nsIDOMEvent.h"
#include "platform/xpcom/dom/nsIDOMHTMLElements.h"
#include "platform/xpcom/dom/nsIDOMXULElement.h"

#include <gtest/gtest.h>

namespace {

constexpr std::u16string_view kURL = u"chrome://navigator/content/navigator.xul";

constexpr const char* kChrome = R"(<?xml version="1.0"?>
<!DOCTYPE window SYSTEM "chrome://navigator/locale/navigator.dtd">
<window xmlns="http://www.mozilla.org/keymaster/gatekeeper/there.is.only.xul" title="Browser">
  <toolbar id="nav">
    <menubutton id="back-button" label="&backCmd.label;"/>
    <toolbarbutton id="home-button" label="Home" disabled="true"/>
    <textbox id="urlbar" value="http://start/"/>
    <checkbox id="check" label="C"/>
    <radiogroup><radio id="r1" checked="true"/><radio id="r2"/></radiogroup>
  </toolbar>
  <!-- the bookmarks -->
  <tree id="list">
    <treechildren>
      <treeitem id="i0" label="zero"/>
      <treeitem id="i1" label="one" selected="true"/>
      <treeitem id="i2" label="two"/>
    </treechildren>
  </tree>
  <treeitem id="stray"/>
  <menupopup id="view">
    <menuitem id="bar" type="checkbox" label="Bar"/>
    <menuitem id="big" type="radio" name="size" checked="true"/>
    <menuitem id="small" type="radio" name="size"/>
  </menupopup>
</window>
)";

nsCOMPtr<nsIDOMDocument> LoadChrome() {
    nsString error;
    nsCOMPtr<nsIDOMDocument> document = dom::ParseXULDocument(kChrome, kURL, &error);
    EXPECT_TRUE(error.empty()) << dom::Utf8FromUtf16(error);
    return document;
}

template <typename Interface = nsIDOMXULElement>
nsCOMPtr<Interface> ById(nsIDOMDocument* document, std::u16string_view id) {
    nsCOMPtr<nsIDOMElement> element;
    document->GetElementById(nsString(id), getter_AddRefs(element));
    nsCOMPtr<Interface> result = do_QueryInterface(element);
    return result;
}

std::string Narrow(const nsString& text) {
    return dom::Utf8FromUtf16(text);
}

TEST(XUL, IllFormedChromeIsRefusedWithFileAndLine) {
    nsString error;
    auto document = dom::ParseXULDocument("<window>\n  <toolbar>\n</window>\n", kURL, &error);
    EXPECT_FALSE(document);
    EXPECT_EQ(Narrow(error), "chrome://navigator/content/navigator.xul, line 3: mismatched tag");
    document = dom::ParseXULDocument("", kURL, &error);
    EXPECT_FALSE(document);
    EXPECT_NE(Narrow(error).find(", line 1: "), std::string::npos);
}

TEST(XUL, ChromeDocumentsKeepTagsAsWrittenAndAreNoHTMLDocuments) {
    auto document = LoadChrome();
    ASSERT_TRUE(document);
    nsCOMPtr<nsIDOMHTMLDocument> html = do_QueryInterface(document);
    EXPECT_FALSE(html);
    nsCOMPtr<nsIDOMDocumentInternal> internal = do_QueryInterface(document);
    ASSERT_TRUE(internal);
    nsString value;
    internal->GetDocumentTitle(value);
    EXPECT_EQ(Narrow(value), "Browser");
    internal->GetContentType(value);
    EXPECT_EQ(Narrow(value), "application/vnd.xul+xml");

    auto back = ById(document, u"back-button");
    ASSERT_TRUE(back);
    back->GetTagName(value);
    EXPECT_EQ(Narrow(value), "menubutton");
    // Entities of the locale files are skipped, not refused.
    back->GetAttribute(u"label", value);
    EXPECT_EQ(Narrow(value), "");
    // Attribute names of XUL elements compare exactly.
    back->GetAttribute(u"LABEL", value);
    EXPECT_TRUE(value.empty());
    nsCOMPtr<nsIDOMHTMLElement> asHTML = do_QueryInterface(back);
    EXPECT_FALSE(asHTML);
    nsCOMPtr<nsIDOMXULTreeElement> asTree = do_QueryInterface(back);
    EXPECT_FALSE(asTree);
    nsCOMPtr<nsIDOMNodeList> buttons;
    document->GetElementsByTagName(u"toolbarbutton", getter_AddRefs(buttons));
    PRUint32 length = 0;
    buttons->GetLength(&length);
    EXPECT_EQ(length, 1u);
    document->GetElementsByTagName(u"TOOLBARBUTTON", getter_AddRefs(buttons));
    buttons->GetLength(&length);
    EXPECT_EQ(length, 0u);
}

TEST(XUL, TextBoxHoldsAnAnonymousInputThatIsNotCounted) {
    auto document = LoadChrome();
    dom::Document& core = *dom::Document::FromDOM(document);
    uint32_t count = 0;
    for (dom::Node* node = &core; node; node = node->NextInTree(&core))
        count += node->IsElement() ? 1 : 0;
    EXPECT_EQ(core.ElementCount(), count);

    auto box = ById<nsIDOMXULTextBoxElement>(document, u"urlbar");
    ASSERT_TRUE(box);
    nsString value;
    box->GetValue(value);
    EXPECT_EQ(Narrow(value), "http://start/");
    nsCOMPtr<nsIDOMHTMLInputElement> input;
    ASSERT_EQ(box->GetInputField(getter_AddRefs(input)), NS_OK);
    ASSERT_TRUE(input);
    input->SetValue(u"http://typed/");
    box->GetValue(value);
    EXPECT_EQ(Narrow(value), "http://typed/");
    // Its parent is the textbox, but it is no child of it.
    nsCOMPtr<nsIDOMNode> parent, sibling;
    input->GetParentNode(getter_AddRefs(parent));
    EXPECT_TRUE(SameCOMIdentity(parent, box));
    input->GetNextSibling(getter_AddRefs(sibling));
    EXPECT_FALSE(sibling);
    PRBool hasChildren = PR_TRUE;
    box->HasChildNodes(&hasChildren);
    EXPECT_FALSE(hasChildren);
    nsString name;
    input->GetNodeName(name);
    EXPECT_EQ(Narrow(name), "INPUT");

    // Focusing the textbox focuses its input.
    box->Focus();
    EXPECT_EQ(core.FocusedElement(), dom::Node::FromDOM(input));
    box->Blur();
    EXPECT_EQ(core.FocusedElement(), nullptr);
}

class Recorder final : public nsSupportsImpl<Recorder, nsIDOMEventListener> {
public:
    nsresult HandleEvent(nsIDOMEvent* event) override {
        nsString type;
        event->GetType(type);
        seen += Narrow(type) + " ";
        return NS_OK;
    }
    std::string seen;
};

TEST(XUL, ClickAndCommandFireTheirEventsAndToggleState) {
    auto document = LoadChrome();
    nsCOMPtr<Recorder> recorder(new Recorder());
    nsCOMPtr<nsIDOMEventTarget> target = do_QueryInterface(document);
    for (const char16_t* type : {u"mousedown", u"mouseup", u"click", u"command"})
        target->AddEventListener(type, recorder, PR_TRUE);

    auto check = ById(document, u"check");
    check->Click();
    nsString value;
    check->GetAttribute(u"checked", value);
    EXPECT_EQ(Narrow(value), "true");
    EXPECT_EQ(recorder->seen, "mousedown mouseup click ");
    check->Click();
    PRBool has = PR_TRUE;
    check->HasAttribute(u"checked", &has);
    EXPECT_FALSE(has);

    ById(document, u"r2")->Click();
    ById(document, u"r1")->HasAttribute(u"checked", &has);
    EXPECT_FALSE(has);
    ById(document, u"r2")->GetAttribute(u"checked", value);
    EXPECT_EQ(Narrow(value), "true");

    ById(document, u"bar")->DoCommand();
    ById(document, u"bar")->GetAttribute(u"checked", value);
    EXPECT_EQ(Narrow(value), "true");
    ById(document, u"small")->DoCommand();
    ById(document, u"big")->HasAttribute(u"checked", &has);
    EXPECT_FALSE(has);

    recorder->seen.clear();
    ById(document, u"back-button")->DoCommand();
    ById(document, u"home-button")->DoCommand(); // disabled: nothing
    EXPECT_EQ(recorder->seen, "command ");
}

TEST(XUL, TreeListOperationsKeepSelectionInAttributes) {
    auto document = LoadChrome();
    auto tree = ById<nsIDOMXULTreeElement>(document, u"list");
    ASSERT_TRUE(tree);
    nsCOMPtr<nsIDOMNodeList> selected;
    tree->GetSelectedItems(getter_AddRefs(selected));
    PRUint32 length = 0;
    selected->GetLength(&length);
    EXPECT_EQ(length, 1u);

    auto i0 = ById(document, u"i0");
    auto i2 = ById(document, u"i2");
    EXPECT_EQ(tree->SelectItem(i2), NS_OK);
    selected->GetLength(&length);
    EXPECT_EQ(length, 1u);
    nsCOMPtr<nsIDOMXULElement> current;
    tree->GetCurrentItem(getter_AddRefs(current));
    EXPECT_TRUE(SameCOMIdentity(current, i2));

    tree->AddItemToSelection(i0);
    selected->GetLength(&length);
    EXPECT_EQ(length, 2u);
    nsCOMPtr<nsIDOMNode> first;
    selected->Item(0, getter_AddRefs(first));
    EXPECT_TRUE(SameCOMIdentity(first, i0)); // in item order
    tree->ToggleItemSelection(i0);
    tree->RemoveItemFromSelection(i2);
    selected->GetLength(&length);
    EXPECT_EQ(length, 0u);

    // Elements that are not the tree's items are refused.
    EXPECT_EQ(tree->SelectItem(ById(document, u"stray")), NS_ERROR_INVALID_ARG);
    EXPECT_EQ(tree->SelectItem(nullptr), NS_ERROR_INVALID_ARG);
    tree->ClearItemSelection();
    tree->GetCurrentItem(getter_AddRefs(current));
    EXPECT_FALSE(current);
}

// A layout that places every element at the same box.
class FixedLayout final : public dom::LayoutHook {
public:
    std::optional<dom::LayoutBox> OffsetBox(dom::Element&) override {
        return dom::LayoutBox{1, 2, 3, 4};
    }
    dom::Element* OffsetParent(dom::Element&) override { return nullptr; }
    std::optional<dom::XulBox> BoxObject(dom::Element&) override {
        return dom::XulBox{{10, 20, 30, 40}, 110, 220};
    }
    std::optional<dom::ScrollArea> Scroll(dom::Element&) override { return std::nullopt; }
    bool SetScroll(dom::Element&, std::optional<int32_t>, std::optional<int32_t>) override {
        return false;
    }
    std::optional<nsString> ComputedValue(dom::Element&, std::u16string_view) override {
        return nsString(u"5px");
    }
};

TEST(XUL, BoxObjectComesFromTheLayout) {
    auto document = LoadChrome();
    auto button = ById(document, u"home-button");
    nsCOMPtr<nsIBoxObject> box;
    EXPECT_EQ(button->GetBoxObject(getter_AddRefs(box)), NS_ERROR_NOT_AVAILABLE);
    FixedLayout layout;
    dom::Document::FromDOM(document)->SetLayoutHook(&layout);
    ASSERT_EQ(button->GetBoxObject(getter_AddRefs(box)), NS_OK);
    PRInt32 x = 0, screenY = 0, width = 0;
    box->GetX(&x);
    box->GetScreenY(&screenY);
    box->GetWidth(&width);
    EXPECT_EQ(x, 10);
    EXPECT_EQ(screenY, 220);
    EXPECT_EQ(width, 30);
    dom::Document::FromDOM(document)->SetLayoutHook(nullptr);
}

} // namespace
