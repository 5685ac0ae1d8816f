// HTML element kinds: the interfaces each kind offers, attribute
// reflection, form values and tables.
#include "platform/browser/dom/Document.h"
#include "platform/browser/dom/Parser.h"
#include "platform/xpcom/dom/nsIDOMCSS.h"
#include "platform/xpcom/dom/nsIDOMEvent.h"
#include "platform/xpcom/dom/nsIDOMHTMLElements.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

nsCOMPtr<nsIDOMHTMLDocument> LoadPage(std::string_view markup) {
    return dom::ParseHTMLDocument(markup, u"http://host/dir/page.html");
}

template <typename Interface = nsIDOMElement>
nsCOMPtr<Interface> ById(nsIDOMDocument* document, std::u16string_view id) {
    nsCOMPtr<nsIDOMElement> element;
    document->GetElementById(nsString(id), getter_AddRefs(element));
    nsCOMPtr<Interface> result = do_QueryInterface(element);
    return result;
}

std::string Narrow(const nsString& text) {
    return dom::Utf8FromUtf16(text);
}

struct KindCase {
    const char* tag;
    nsIID iid; // the kind's own interface; nsIDOMHTMLElement for none
};

TEST(HTMLElements, EachKindOffersExactlyItsOwnInterface) {
    const std::vector<KindCase> kinds = {
        {"a", nsIDOMHTMLAnchorElement::kIID},
        {"img", nsIDOMHTMLImageElement::kIID},
        {"map", nsIDOMHTMLMapElement::kIID},
        {"area", nsIDOMHTMLAreaElement::kIID},
        {"input", nsIDOMHTMLInputElement::kIID},
        {"button", nsIDOMHTMLButtonElement::kIID},
        {"textarea", nsIDOMHTMLTextAreaElement::kIID},
        {"select", nsIDOMHTMLSelectElement::kIID},
        {"option", nsIDOMHTMLOptionElement::kIID},
        {"form", nsIDOMHTMLFormElement::kIID},
        {"table", nsIDOMHTMLTableElement::kIID},
        {"tbody", nsIDOMHTMLTableSectionElement::kIID},
        {"tr", nsIDOMHTMLTableRowElement::kIID},
        {"td", nsIDOMHTMLTableCellElement::kIID},
        {"th", nsIDOMHTMLTableCellElement::kIID},
        {"frame", nsIDOMHTMLFrameElement::kIID},
        {"iframe", nsIDOMHTMLIFrameElement::kIID},
        {"div", nsIDOMHTMLElement::kIID},
        {"span", nsIDOMHTMLElement::kIID},
        {"blink", nsIDOMHTMLElement::kIID},
    };
    auto page = LoadPage("");
    for (const auto& kind : kinds) {
        SCOPED_TRACE(kind.tag);
        nsCOMPtr<nsIDOMElement> element;
        page->CreateElement(NS_LITERAL_STRING_FROM(kind.tag), getter_AddRefs(element));
        ASSERT_TRUE(element);
        // Every HTML element has the common faces and is an event target.
        for (const nsIID& common :
             {nsIDOMHTMLElement::kIID, nsIDOMNSHTMLElement::kIID, nsIDOMElementCSSInlineStyle::kIID,
              nsIDOMEventTarget::kIID, nsIDOMEventReceiver::kIID}) {
            nsCOMPtr<nsISupports> face;
            EXPECT_EQ(element->QueryInterface(common, getter_AddRefs(face)), NS_OK);
        }
        for (const auto& other : kinds) {
            nsCOMPtr<nsISupports> face;
            bool expected = other.iid.Equals(kind.iid) || other.iid.Equals(nsIDOMHTMLElement::kIID);
            EXPECT_EQ(NS_SUCCEEDED(element->QueryInterface(other.iid, getter_AddRefs(face))),
                      expected)
                << other.tag;
        }
        // Not an XUL element, nor a document.
        nsCOMPtr<nsISupports> face;
        EXPECT_EQ(element->QueryInterface(nsIDOMDocument::kIID, getter_AddRefs(face)),
                  NS_ERROR_NO_INTERFACE);
        // One object behind all faces.
        nsCOMPtr<nsIDOMNSHTMLElement> ns = do_QueryInterface(element);
        EXPECT_TRUE(SameCOMIdentity(ns, element));
    }
}

TEST(HTMLElements, LinksAndImagesResolveAgainstTheDocument) {
    auto page = LoadPage("<a id=a href='../x.html' target=_top>Go <b>home</b></a>"
                         "<img id=i src=pic.gif width=40 alt=Pic><map id=m><area href=/z></map>");
    auto anchor = ById<nsIDOMHTMLAnchorElement>(page, u"a");
    ASSERT_TRUE(anchor);
    nsString value;
    anchor->GetHref(value);
    EXPECT_EQ(Narrow(value), "http://host/x.html");
    anchor->GetText(value);
    EXPECT_EQ(Narrow(value), "Go home");
    auto image = ById<nsIDOMHTMLImageElement>(page, u"i");
    image->GetSrc(value);
    EXPECT_EQ(Narrow(value), "http://host/dir/pic.gif");
    PRInt32 width = 0, height = -1;
    image->GetWidth(&width);
    image->GetHeight(&height);
    EXPECT_EQ(width, 40);
    EXPECT_EQ(height, 0); // no attribute and no layout
    auto map = ById<nsIDOMHTMLMapElement>(page, u"m");
    nsCOMPtr<nsIDOMHTMLCollection> areas;
    map->GetAreas(getter_AddRefs(areas));
    PRUint32 count = 0;
    areas->GetLength(&count);
    EXPECT_EQ(count, 1u);
}

TEST(HTMLElements, InputValuesAreLiveAndDefaultsStayInAttributes) {
    auto page = LoadPage("<form id=f><input id=t value=start maxlength=5>"
                         "<input id=c type=CheckBox checked><input id=r1 type=radio name=g checked>"
                         "<input id=r2 type=radio name=g><input id=x type=bogus></form>"
                         "<input id=r3 type=radio name=g checked>");
    auto text = ById<nsIDOMHTMLInputElement>(page, u"t");
    nsString value;
    text->SetValue(u"typed");
    text->GetValue(value);
    EXPECT_EQ(Narrow(value), "typed");
    text->GetDefaultValue(value);
    EXPECT_EQ(Narrow(value), "start");
    PRInt32 maxLength = 0;
    text->GetMaxLength(&maxLength);
    EXPECT_EQ(maxLength, 5);
    nsCOMPtr<nsIDOMHTMLFormElement> form;
    text->GetForm(getter_AddRefs(form));
    EXPECT_TRUE(SameCOMIdentity(form, ById(page, u"f")));

    auto check = ById<nsIDOMHTMLInputElement>(page, u"c");
    check->GetType(value);
    EXPECT_EQ(Narrow(value), "checkbox");
    check->GetValue(value);
    EXPECT_EQ(Narrow(value), "on");
    PRBool checked = PR_FALSE;
    check->Click();
    check->GetChecked(&checked);
    EXPECT_FALSE(checked);
    check->GetDefaultChecked(&checked);
    EXPECT_TRUE(checked);

    ById<nsIDOMHTMLInputElement>(page, u"x")->GetType(value);
    EXPECT_EQ(Narrow(value), "text");

    // Checking a radio button unchecks the others of its group in its form,
    // not the one outside the form.
    auto r1 = ById<nsIDOMHTMLInputElement>(page, u"r1");
    auto r2 = ById<nsIDOMHTMLInputElement>(page, u"r2");
    auto r3 = ById<nsIDOMHTMLInputElement>(page, u"r3");
    r2->Click();
    r1->GetChecked(&checked);
    EXPECT_FALSE(checked);
    r2->GetChecked(&checked);
    EXPECT_TRUE(checked);
    r3->GetChecked(&checked);
    EXPECT_TRUE(checked);

    // Reset restores the defaults.
    form->Reset();
    text->GetValue(value);
    EXPECT_EQ(Narrow(value), "start");
    r1->GetChecked(&checked);
    EXPECT_TRUE(checked);
    check->GetChecked(&checked);
    EXPECT_TRUE(checked);
}

TEST(HTMLElements, SelectReportsItsOptionsAndSelection) {
    auto page =
        LoadPage("<select id=s><option>  One  </option><optgroup><option value=v2>Two"
                 "</optgroup><option>Three</select>"
                 "<select id=m multiple><option>a<option selected>b<option selected>c</select>"
                 "<select id=e></select><select id=l size=3><option>x</select>");
    auto select = ById<nsIDOMHTMLSelectElement>(page, u"s");
    PRUint32 length = 0;
    select->GetLength(&length);
    EXPECT_EQ(length, 3u);
    PRInt32 index = -2;
    select->GetSelectedIndex(&index);
    EXPECT_EQ(index, 0); // a drop-down shows its first option
    nsString value;
    select->GetValue(value);
    EXPECT_EQ(Narrow(value), "One");

    nsCOMPtr<nsIDOMHTMLCollection> options;
    select->GetOptions(getter_AddRefs(options));
    nsCOMPtr<nsIDOMNode> item;
    options->Item(1, getter_AddRefs(item));
    nsCOMPtr<nsIDOMHTMLOptionElement> two = do_QueryInterface(item);
    ASSERT_TRUE(two);
    two->SetSelected(PR_TRUE);
    select->GetSelectedIndex(&index);
    EXPECT_EQ(index, 1);
    select->GetValue(value);
    EXPECT_EQ(Narrow(value), "v2");
    two->GetIndex(&index);
    EXPECT_EQ(index, 1);
    options->Item(0, getter_AddRefs(item));
    nsCOMPtr<nsIDOMHTMLOptionElement> one = do_QueryInterface(item);
    PRBool selected = PR_TRUE;
    one->GetSelected(&selected);
    EXPECT_FALSE(selected);
    one->GetText(value);
    EXPECT_EQ(Narrow(value), "One");

    select->SetSelectedIndex(7); // out of range deselects all
    select->GetSelectedIndex(&index);
    EXPECT_EQ(index, 0);

    select->Remove(0);
    select->Remove(9);
    select->GetLength(&length);
    EXPECT_EQ(length, 2u);
    nsCOMPtr<nsIDOMElement> added;
    page->CreateElement(u"option", getter_AddRefs(added));
    nsCOMPtr<nsIDOMHTMLElement> addedHTML = do_QueryInterface(added);
    EXPECT_EQ(select->Add(addedHTML, nullptr), NS_OK);
    options->GetLength(&length);
    EXPECT_EQ(length, 3u);
    nsCOMPtr<nsIDOMElement> div;
    page->CreateElement(u"div", getter_AddRefs(div));
    nsCOMPtr<nsIDOMHTMLElement> divHTML = do_QueryInterface(div);
    EXPECT_EQ(select->Add(divHTML, nullptr), NS_ERROR_INVALID_ARG);

    auto multiple = ById<nsIDOMHTMLSelectElement>(page, u"m");
    multiple->GetType(value);
    EXPECT_EQ(Narrow(value), "select-multiple");
    multiple->GetSelectedIndex(&index);
    EXPECT_EQ(index, 1);
    ById<nsIDOMHTMLSelectElement>(page, u"e")->GetSelectedIndex(&index);
    EXPECT_EQ(index, -1);
    ById<nsIDOMHTMLSelectElement>(page, u"l")->GetSelectedIndex(&index);
    EXPECT_EQ(index, -1); // a list box shows no selection by default
}

TEST(HTMLElements, TextAreaDefaultIsItsContent) {
    auto page = LoadPage("<textarea id=t>line one\nline two</textarea>");
    auto area = ById<nsIDOMHTMLTextAreaElement>(page, u"t");
    nsString value;
    area->GetValue(value);
    EXPECT_EQ(Narrow(value), "line one\nline two");
    area->SetValue(u"new");
    area->GetValue(value);
    EXPECT_EQ(Narrow(value), "new");
    area->GetDefaultValue(value);
    EXPECT_EQ(Narrow(value), "line one\nline two");
    PRInt32 rows = 0;
    area->GetRows(&rows);
    EXPECT_EQ(rows, 2);
}

TEST(HTMLElements, TablesCountTheirOwnRowsAndCells) {
    auto page = LoadPage("<table id=t><tfoot><tr id=foot><td>f</tfoot><tbody><tr id=r0><td>a"
                         "<td id=c colspan=0>b<td><table id=inner><tr><td>n</table></tbody>"
                         "<thead><tr id=head><th>h</thead></table>");
    auto table = ById<nsIDOMHTMLTableElement>(page, u"t");
    nsCOMPtr<nsIDOMHTMLCollection> rows;
    table->GetRows(getter_AddRefs(rows));
    PRUint32 length = 0;
    rows->GetLength(&length);
    EXPECT_EQ(length, 3u); // head, body row, foot; not the nested table's row
    nsCOMPtr<nsIDOMNode> first;
    rows->Item(0, getter_AddRefs(first));
    EXPECT_TRUE(SameCOMIdentity(first, ById(page, u"head")));
    PRInt32 index = 0;
    ById<nsIDOMHTMLTableRowElement>(page, u"foot")->GetRowIndex(&index);
    EXPECT_EQ(index, 2);
    auto row = ById<nsIDOMHTMLTableRowElement>(page, u"r0");
    nsCOMPtr<nsIDOMHTMLCollection> cells;
    row->GetCells(getter_AddRefs(cells));
    cells->GetLength(&length);
    EXPECT_EQ(length, 3u);
    auto cell = ById<nsIDOMHTMLTableCellElement>(page, u"c");
    cell->GetCellIndex(&index);
    EXPECT_EQ(index, 1);
    cell->GetColSpan(&index);
    EXPECT_EQ(index, 1);
}

TEST(HTMLElements, InlineStyleReadsAndWritesTheStyleAttribute) {
    auto page = LoadPage("<p id=p style='COLOR: red; border-top-width : 2px !important;bad'>x</p>");
    auto style = ById<nsIDOMElementCSSInlineStyle>(page, u"p");
    nsCOMPtr<nsIDOMCSSStyleDeclaration> declaration;
    ASSERT_EQ(style->GetStyle(getter_AddRefs(declaration)), NS_OK);
    nsString value;
    declaration->GetPropertyValue(u"color", value);
    EXPECT_EQ(Narrow(value), "red");
    PRUint32 length = 0;
    declaration->GetLength(&length);
    EXPECT_EQ(length, 2u);
    nsCOMPtr<nsIDOMCSSValue> cssValue;
    declaration->GetPropertyCSSValue(u"border-top-width", getter_AddRefs(cssValue));
    nsCOMPtr<nsIDOMCSSPrimitiveValue> primitive = do_QueryInterface(cssValue);
    ASSERT_TRUE(primitive);
    float px = 0;
    EXPECT_EQ(primitive->GetFloatValue(nsIDOMCSSPrimitiveValue::CSS_PX, &px), NS_OK);
    EXPECT_FLOAT_EQ(px, 2.0f);
    EXPECT_EQ(primitive->GetFloatValue(nsIDOMCSSPrimitiveValue::CSS_PT, &px), NS_OK);
    EXPECT_FLOAT_EQ(px, 1.5f);
    EXPECT_EQ(primitive->GetFloatValue(nsIDOMCSSPrimitiveValue::CSS_EMS, &px),
              NS_ERROR_INVALID_ARG);
    declaration->GetPropertyCSSValue(u"margin", getter_AddRefs(cssValue));
    EXPECT_FALSE(cssValue);

    declaration->SetProperty(u"width", u"10px", u"");
    nsCOMPtr<nsIDOMElement> element = ById(page, u"p");
    element->GetAttribute(u"style", value);
    EXPECT_EQ(Narrow(value), "color: red; border-top-width: 2px !important; width: 10px;");
}

// Counts the events of one type that reach a target.
class CountingListener final : public nsSupportsImpl<CountingListener, nsIDOMEventListener> {
public:
    nsresult HandleEvent(nsIDOMEvent* event) override {
        ++count;
        if (cancel)
            event->PreventDefault();
        return NS_OK;
    }
    int count = 0;
    bool cancel = false;
};

TEST(HTMLElements, FormSubmissionRunsTheHookUnlessCancelled) {
    auto page = LoadPage("<form id=f action=go><input id=s type=submit><button id=b type=button>"
                         "</button></form>");
    dom::Document* core = dom::Document::FromDOM(page);
    int submitted = 0;
    core->SetSubmitHook([&](dom::Element&) { ++submitted; });
    nsCOMPtr<CountingListener> onSubmit(new CountingListener());
    nsCOMPtr<nsIDOMEventTarget> form = ById<nsIDOMEventTarget>(page, u"f");
    form->AddEventListener(u"submit", onSubmit, PR_FALSE);

    ById<nsIDOMHTMLInputElement>(page, u"s")->Click();
    EXPECT_EQ(onSubmit->count, 1);
    EXPECT_EQ(submitted, 1);
    ById<nsIDOMHTMLButtonElement>(page, u"b")->Click();
    EXPECT_EQ(submitted, 1); // a plain button submits nothing
    onSubmit->cancel = true;
    ById<nsIDOMHTMLFormElement>(page, u"f")->Submit();
    EXPECT_EQ(onSubmit->count, 2);
    EXPECT_EQ(submitted, 1);
}

TEST(HTMLElements, CancelledClickLeavesACheckBoxAsItWas) {
    auto page = LoadPage("<input id=c type=checkbox>");
    auto box = ById<nsIDOMHTMLInputElement>(page, u"c");
    nsCOMPtr<CountingListener> onClick(new CountingListener());
    onClick->cancel = true;
    nsCOMPtr<nsIDOMEventTarget> target = do_QueryInterface(box);
    target->AddEventListener(u"click", onClick, PR_FALSE);
    box->Click();
    PRBool checked = PR_TRUE;
    box->GetChecked(&checked);
    EXPECT_FALSE(checked);
    EXPECT_EQ(onClick->count, 1);
}

TEST(HTMLElements, CancelledClickLeavesTheRadioGroupAsItWas) {
    auto page = LoadPage("<input id=a type=radio name=g checked><input id=b type=radio name=g>");
    auto a = ById<nsIDOMHTMLInputElement>(page, u"a");
    auto b = ById<nsIDOMHTMLInputElement>(page, u"b");
    nsCOMPtr<CountingListener> onClick(new CountingListener());
    onClick->cancel = true;
    nsCOMPtr<nsIDOMEventTarget> target = do_QueryInterface(b);
    target->AddEventListener(u"click", onClick, PR_FALSE);
    b->Click();
    PRBool checked = PR_FALSE;
    a->GetChecked(&checked);
    EXPECT_TRUE(checked);
    b->GetChecked(&checked);
    EXPECT_FALSE(checked);
}

} // namespace
