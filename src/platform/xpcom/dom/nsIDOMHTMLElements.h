// HTML elements. Every HTML element answers nsIDOMHTMLElement,
// nsIDOMNSHTMLElement and nsIDOMElementCSSInlineStyle; an element of a kind
// listed here answers its own interface as well (an INPUT answers
// nsIDOMHTMLInputElement and no other kind's interface).
//
// String accessors reflect the element's attributes; integer and boolean
// accessors read them as numbers and presence. Collections are live.
#pragma once

#include "platform/xpcom/dom/nsIDOMElement.h"

class nsIDOMHTMLCollection : public nsISupports {
public:
    static constexpr nsIID kIID = dom::internal::DomIID(20);
    using BaseInterface = nsISupports;

    virtual nsresult GetLength(PRUint32* length) = 0;
    virtual nsresult Item(PRUint32 index, nsIDOMNode** item) = 0;
    // The first item whose id, or else name, equals `name`.
    virtual nsresult NamedItem(const nsAString& name, nsIDOMNode** item) = 0;
};

class nsIDOMHTMLElement : public nsIDOMElement {
public:
    static constexpr nsIID kIID = dom::internal::DomIID(21);
    using BaseInterface = nsIDOMElement;

    virtual nsresult GetId(nsAString& id) = 0;
    virtual nsresult SetId(const nsAString& id) = 0;
    virtual nsresult GetTitle(nsAString& title) = 0;
    virtual nsresult SetTitle(const nsAString& title) = 0;
    virtual nsresult GetLang(nsAString& lang) = 0;
    virtual nsresult GetDir(nsAString& dir) = 0;
    virtual nsresult GetClassName(nsAString& className) = 0;
    virtual nsresult SetClassName(const nsAString& className) = 0;
};

// Layout-dependent extensions of an HTML element. Offsets are in pixels
// relative to the offset parent; they answer 0 while the document has no
// layout. The offset parent is null then.
class nsIDOMNSHTMLElement : public nsISupports {
public:
    static constexpr nsIID kIID = dom::internal::DomIID(22);
    using BaseInterface = nsISupports;

    virtual nsresult GetOffsetTop(PRInt32* value) = 0;
    virtual nsresult GetOffsetLeft(PRInt32* value) = 0;
    virtual nsresult GetOffsetWidth(PRInt32* value) = 0;
    virtual nsresult GetOffsetHeight(PRInt32* value) = 0;
    virtual nsresult GetOffsetParent(nsIDOMElement** parent) = 0;
    // The element's children serialised as HTML; setting it replaces them
    // with the parsed markup.
    virtual nsresult GetInnerHTML(nsAString& html) = 0;
    virtual nsresult SetInnerHTML(const nsAString& html) = 0;
    // Scroll offsets of the element's scrollable area in pixels
    // (NS_ERROR_NOT_AVAILABLE without layout or without a scrollable area).
    virtual nsresult GetScrollTop(PRInt32* value) = 0;
    virtual nsresult SetScrollTop(PRInt32 value) = 0;
    virtual nsresult GetScrollLeft(PRInt32* value) = 0;
    virtual nsresult SetScrollLeft(PRInt32 value) = 0;
    virtual nsresult GetScrollHeight(PRInt32* value) = 0;
    virtual nsresult GetScrollWidth(PRInt32* value) = 0;
};

class nsIDOMHTMLAnchorElement : public nsIDOMHTMLElement {
public:
    static constexpr nsIID kIID = dom::internal::DomIID(23);
    using BaseInterface = nsIDOMHTMLElement;

    virtual nsresult GetAccessKey(nsAString& value) = 0;
    virtual nsresult GetCharset(nsAString& value) = 0;
    virtual nsresult GetCoords(nsAString& value) = 0;
    // The href attribute resolved against the document's URL.
    virtual nsresult GetHref(nsAString& value) = 0;
    virtual nsresult SetHref(const nsAString& value) = 0;
    virtual nsresult GetHreflang(nsAString& value) = 0;
    virtual nsresult GetName(nsAString& value) = 0;
    virtual nsresult SetName(const nsAString& value) = 0;
    virtual nsresult GetRel(nsAString& value) = 0;
    virtual nsresult GetRev(nsAString& value) = 0;
    virtual nsresult GetShape(nsAString& value) = 0;
    virtual nsresult GetTabIndex(PRInt32* value) = 0;
    virtual nsresult GetTarget(nsAString& value) = 0;
    virtual nsresult SetTarget(const nsAString& value) = 0;
    virtual nsresult GetType(nsAString& value) = 0;
    // The text content of the link.
    virtual nsresult GetText(nsAString& value) = 0;
    virtual nsresult Blur() = 0;
    virtual nsresult Focus() = 0;
};

class nsIDOMHTMLImageElement : public nsIDOMHTMLElement {
public:
    static constexpr nsIID kIID = dom::internal::DomIID(24);
    using BaseInterface = nsIDOMHTMLElement;

    virtual nsresult GetName(nsAString& value) = 0;
    virtual nsresult SetName(const nsAString& value) = 0;
    virtual nsresult GetAlign(nsAString& value) = 0;
    virtual nsresult GetAlt(nsAString& value) = 0;
    virtual nsresult SetAlt(const nsAString& value) = 0;
    virtual nsresult GetBorder(nsAString& value) = 0;
    virtual nsresult SetBorder(const nsAString& value) = 0;
    // Width and height: the attribute, or else the laid-out size.
    virtual nsresult GetHeight(PRInt32* value) = 0;
    virtual nsresult SetHeight(PRInt32 value) = 0;
    virtual nsresult GetHspace(PRInt32* value) = 0;
    virtual nsresult GetIsMap(PRBool* value) = 0;
    virtual nsresult SetIsMap(PRBool value) = 0;
    virtual nsresult GetLongDesc(nsAString& value) = 0;
    // The src attribute resolved against the document's URL.
    virtual nsresult GetSrc(nsAString& value) = 0;
    virtual nsresult SetSrc(const nsAString& value) = 0;
    virtual nsresult GetUseMap(nsAString& value) = 0;
    virtual nsresult SetUseMap(const nsAString& value) = 0;
    virtual nsresult GetVspace(PRInt32* value) = 0;
    virtual nsresult GetWidth(PRInt32* value) = 0;
    virtual nsresult SetWidth(PRInt32 value) = 0;
};

class nsIDOMHTMLMapElement : public nsIDOMHTMLElement {
public:
    static constexpr nsIID kIID = dom::internal::DomIID(25);
    using BaseInterface = nsIDOMHTMLElement;

    // The AREA descendants of the map.
    virtual nsresult GetAreas(nsIDOMHTMLCollection** areas) = 0;
    virtual nsresult GetName(nsAString& value) = 0;
    virtual nsresult SetName(const nsAString& value) = 0;
};

class nsIDOMHTMLAreaElement : public nsIDOMHTMLElement {
public:
    static constexpr nsIID kIID = dom::internal::DomIID(26);
    using BaseInterface = nsIDOMHTMLElement;

    virtual nsresult GetAccessKey(nsAString& value) = 0;
    virtual nsresult GetAlt(nsAString& value) = 0;
    virtual nsresult GetCoords(nsAString& value) = 0;
    virtual nsresult GetHref(nsAString& value) = 0;
    virtual nsresult SetHref(const nsAString& value) = 0;
    virtual nsresult GetNoHref(PRBool* value) = 0;
    virtual nsresult GetShape(nsAString& value) = 0;
    virtual nsresult GetTabIndex(PRInt32* value) = 0;
    virtual nsresult GetTarget(nsAString& value) = 0;
};

// Input values: `value` is the live value (initially the value attribute);
// `defaultValue` is the attribute. `checked` likewise against the checked
// attribute. Checking a radio button unchecks the others of its group.
class nsIDOMHTMLInputElement : public nsIDOMHTMLElement {
public:
    static constexpr nsIID kIID = dom::internal::DomIID(27);
    using BaseInterface = nsIDOMHTMLElement;

    virtual nsresult GetDefaultValue(nsAString& value) = 0;
    virtual nsresult SetDefaultValue(const nsAString& value) = 0;
    virtual nsresult GetDefaultChecked(PRBool* value) = 0;
    virtual nsresult SetDefaultChecked(PRBool value) = 0;
    virtual nsresult GetForm(nsIDOMHTMLFormElement** form) = 0;
    virtual nsresult GetAccept(nsAString& value) = 0;
    virtual nsresult GetAccessKey(nsAString& value) = 0;
    virtual nsresult GetAlign(nsAString& value) = 0;
    virtual nsresult GetAlt(nsAString& value) = 0;
    virtual nsresult GetChecked(PRBool* value) = 0;
    virtual nsresult SetChecked(PRBool value) = 0;
    virtual nsresult GetDisabled(PRBool* value) = 0;
    virtual nsresult SetDisabled(PRBool value) = 0;
    virtual nsresult GetMaxLength(PRInt32* value) = 0;
    virtual nsresult SetMaxLength(PRInt32 value) = 0;
    virtual nsresult GetName(nsAString& value) = 0;
    virtual nsresult SetName(const nsAString& value) = 0;
    virtual nsresult GetReadOnly(PRBool* value) = 0;
    virtual nsresult SetReadOnly(PRBool value) = 0;
    virtual nsresult GetSize(PRUint32* value) = 0;
    virtual nsresult GetSrc(nsAString& value) = 0;
    virtual nsresult SetSrc(const nsAString& value) = 0;
    virtual nsresult GetTabIndex(PRInt32* value) = 0;
    // Lower case; "text" when the attribute is missing or unknown.
    virtual nsresult GetType(nsAString& value) = 0;
    virtual nsresult SetType(const nsAString& value) = 0;
    virtual nsresult GetUseMap(nsAString& value) = 0;
    virtual nsresult GetValue(nsAString& value) = 0;
    virtual nsresult SetValue(const nsAString& value) = 0;
    virtual nsresult Blur() = 0;
    virtual nsresult Focus() = 0;
    virtual nsresult Select() = 0;
    // Fires the click; check boxes toggle and radio buttons check first.
    virtual nsresult Click() = 0;
};

class nsIDOMHTMLButtonElement : public nsIDOMHTMLElement {
public:
    static constexpr nsIID kIID = dom::internal::DomIID(28);
    using BaseInterface = nsIDOMHTMLElement;

    virtual nsresult GetForm(nsIDOMHTMLFormElement** form) = 0;
    virtual nsresult GetAccessKey(nsAString& value) = 0;
    virtual nsresult GetDisabled(PRBool* value) = 0;
    virtual nsresult SetDisabled(PRBool value) = 0;
    virtual nsresult GetName(nsAString& value) = 0;
    virtual nsresult SetName(const nsAString& value) = 0;
    virtual nsresult GetTabIndex(PRInt32* value) = 0;
    // Lower case; "submit" when the attribute is missing.
    virtual nsresult GetType(nsAString& value) = 0;
    virtual nsresult GetValue(nsAString& value) = 0;
    virtual nsresult SetValue(const nsAString& value) = 0;
    virtual nsresult Blur() = 0;
    virtual nsresult Focus() = 0;
    virtual nsresult Click() = 0;
};

class nsIDOMHTMLTextAreaElement : public nsIDOMHTMLElement {
public:
    static constexpr nsIID kIID = dom::internal::DomIID(29);
    using BaseInterface = nsIDOMHTMLElement;

    // The default value is the element's text content.
    virtual nsresult GetDefaultValue(nsAString& value) = 0;
    virtual nsresult SetDefaultValue(const nsAString& value) = 0;
    virtual nsresult GetForm(nsIDOMHTMLFormElement** form) = 0;
    virtual nsresult GetAccessKey(nsAString& value) = 0;
    virtual nsresult GetCols(PRInt32* value) = 0;
    virtual nsresult GetDisabled(PRBool* value) = 0;
    virtual nsresult SetDisabled(PRBool value) = 0;
    virtual nsresult GetName(nsAString& value) = 0;
    virtual nsresult SetName(const nsAString& value) = 0;
    virtual nsresult GetReadOnly(PRBool* value) = 0;
    virtual nsresult SetReadOnly(PRBool value) = 0;
    virtual nsresult GetRows(PRInt32* value) = 0;
    virtual nsresult GetTabIndex(PRInt32* value) = 0;
    // Always "textarea".
    virtual nsresult GetType(nsAString& value) = 0;
    virtual nsresult GetValue(nsAString& value) = 0;
    virtual nsresult SetValue(const nsAString& value) = 0;
    virtual nsresult Blur() = 0;
    virtual nsresult Focus() = 0;
    virtual nsresult Select() = 0;
};

// A selection list. Its options are the OPTION elements below it (directly
// or in an OPTGROUP). Without `multiple`, selecting an option deselects the
// others, and a list with options but none marked selected reports its first
// option as selected (size 1 and less).
class nsIDOMHTMLSelectElement : public nsIDOMHTMLElement {
public:
    static constexpr nsIID kIID = dom::internal::DomIID(30);
    using BaseInterface = nsIDOMHTMLElement;

    // "select-multiple" or "select-one".
    virtual nsresult GetType(nsAString& value) = 0;
    // -1 when no option is selected.
    virtual nsresult GetSelectedIndex(PRInt32* value) = 0;
    // -1 deselects all; an index out of range deselects all too.
    virtual nsresult SetSelectedIndex(PRInt32 value) = 0;
    // The value of the first selected option.
    virtual nsresult GetValue(nsAString& value) = 0;
    virtual nsresult GetLength(PRUint32* value) = 0;
    virtual nsresult GetForm(nsIDOMHTMLFormElement** form) = 0;
    virtual nsresult GetOptions(nsIDOMHTMLCollection** options) = 0;
    virtual nsresult GetDisabled(PRBool* value) = 0;
    virtual nsresult SetDisabled(PRBool value) = 0;
    virtual nsresult GetMultiple(PRBool* value) = 0;
    virtual nsresult SetMultiple(PRBool value) = 0;
    virtual nsresult GetName(nsAString& value) = 0;
    virtual nsresult SetName(const nsAString& value) = 0;
    // The size attribute; 0 when missing.
    virtual nsresult GetSize(PRInt32* value) = 0;
    virtual nsresult SetSize(PRInt32 value) = 0;
    virtual nsresult GetTabIndex(PRInt32* value) = 0;
    // Inserts `element` (an OPTION) before `before`, or appends it when
    // `before` is null.
    virtual nsresult Add(nsIDOMHTMLElement* element, nsIDOMHTMLElement* before) = 0;
    // Removes the option at `index`; an index out of range does nothing.
    virtual nsresult Remove(PRInt32 index) = 0;
    virtual nsresult Blur() = 0;
    virtual nsresult Focus() = 0;
};

class nsIDOMHTMLOptionElement : public nsIDOMHTMLElement {
public:
    static constexpr nsIID kIID = dom::internal::DomIID(31);
    using BaseInterface = nsIDOMHTMLElement;

    virtual nsresult GetForm(nsIDOMHTMLFormElement** form) = 0;
    virtual nsresult GetDefaultSelected(PRBool* value) = 0;
    virtual nsresult SetDefaultSelected(PRBool value) = 0;
    // The text content with white space collapsed and trimmed.
    virtual nsresult GetText(nsAString& value) = 0;
    // Position among the options of its list; 0 outside a list.
    virtual nsresult GetIndex(PRInt32* value) = 0;
    virtual nsresult GetDisabled(PRBool* value) = 0;
    virtual nsresult SetDisabled(PRBool value) = 0;
    virtual nsresult GetLabel(nsAString& value) = 0;
    virtual nsresult SetLabel(const nsAString& value) = 0;
    virtual nsresult GetSelected(PRBool* value) = 0;
    virtual nsresult SetSelected(PRBool value) = 0;
    // The value attribute, or else the text.
    virtual nsresult GetValue(nsAString& value) = 0;
    virtual nsresult SetValue(const nsAString& value) = 0;
};

class nsIDOMHTMLFormElement : public nsIDOMHTMLElement {
public:
    static constexpr nsIID kIID = dom::internal::DomIID(32);
    using BaseInterface = nsIDOMHTMLElement;

    // The form's controls (INPUT, BUTTON, SELECT, TEXTAREA) in document order.
    virtual nsresult GetElements(nsIDOMHTMLCollection** elements) = 0;
    virtual nsresult GetLength(PRInt32* value) = 0;
    virtual nsresult GetName(nsAString& value) = 0;
    virtual nsresult SetName(const nsAString& value) = 0;
    virtual nsresult GetAcceptCharset(nsAString& value) = 0;
    virtual nsresult GetAction(nsAString& value) = 0;
    virtual nsresult SetAction(const nsAString& value) = 0;
    virtual nsresult GetEnctype(nsAString& value) = 0;
    virtual nsresult GetMethod(nsAString& value) = 0;
    virtual nsresult SetMethod(const nsAString& value) = 0;
    virtual nsresult GetTarget(nsAString& value) = 0;
    // Fires "submit"; the document's form-submission hook (installed by the
    // browser) does the navigation unless a handler prevented it.
    virtual nsresult Submit() = 0;
    // Fires "reset" and restores every control's default value.
    virtual nsresult Reset() = 0;
};

class nsIDOMHTMLTableElement : public nsIDOMHTMLElement {
public:
    static constexpr nsIID kIID = dom::internal::DomIID(33);
    using BaseInterface = nsIDOMHTMLElement;

    virtual nsresult GetCaption(nsIDOMHTMLElement** caption) = 0;
    virtual nsresult GetTHead(nsIDOMHTMLTableSectionElement** head) = 0;
    virtual nsresult GetTFoot(nsIDOMHTMLTableSectionElement** foot) = 0;
    // Every row of the table (head, bodies, foot and direct rows), not the
    // rows of nested tables.
    virtual nsresult GetRows(nsIDOMHTMLCollection** rows) = 0;
    virtual nsresult GetTBodies(nsIDOMHTMLCollection** bodies) = 0;
    virtual nsresult GetAlign(nsAString& value) = 0;
    virtual nsresult GetBgColor(nsAString& value) = 0;
    virtual nsresult GetBorder(nsAString& value) = 0;
    virtual nsresult SetBorder(const nsAString& value) = 0;
    virtual nsresult GetCellPadding(nsAString& value) = 0;
    virtual nsresult GetCellSpacing(nsAString& value) = 0;
    virtual nsresult GetFrame(nsAString& value) = 0;
    virtual nsresult GetRules(nsAString& value) = 0;
    virtual nsresult GetSummary(nsAString& value) = 0;
    virtual nsresult GetWidth(nsAString& value) = 0;
};

class nsIDOMHTMLTableSectionElement : public nsIDOMHTMLElement {
public:
    static constexpr nsIID kIID = dom::internal::DomIID(34);
    using BaseInterface = nsIDOMHTMLElement;

    virtual nsresult GetAlign(nsAString& value) = 0;
    virtual nsresult GetVAlign(nsAString& value) = 0;
    virtual nsresult GetRows(nsIDOMHTMLCollection** rows) = 0;
};

class nsIDOMHTMLTableRowElement : public nsIDOMHTMLElement {
public:
    static constexpr nsIID kIID = dom::internal::DomIID(35);
    using BaseInterface = nsIDOMHTMLElement;

    // Position among the rows of its table; -1 outside a table.
    virtual nsresult GetRowIndex(PRInt32* value) = 0;
    virtual nsresult GetSectionRowIndex(PRInt32* value) = 0;
    // The TD and TH children.
    virtual nsresult GetCells(nsIDOMHTMLCollection** cells) = 0;
    virtual nsresult GetAlign(nsAString& value) = 0;
    virtual nsresult GetBgColor(nsAString& value) = 0;
    virtual nsresult GetVAlign(nsAString& value) = 0;
};

class nsIDOMHTMLTableCellElement : public nsIDOMHTMLElement {
public:
    static constexpr nsIID kIID = dom::internal::DomIID(36);
    using BaseInterface = nsIDOMHTMLElement;

    // Position among the cells of its row; -1 outside a row.
    virtual nsresult GetCellIndex(PRInt32* value) = 0;
    virtual nsresult GetAbbr(nsAString& value) = 0;
    virtual nsresult GetAlign(nsAString& value) = 0;
    virtual nsresult GetAxis(nsAString& value) = 0;
    virtual nsresult GetBgColor(nsAString& value) = 0;
    // 1 when missing or not positive.
    virtual nsresult GetColSpan(PRInt32* value) = 0;
    virtual nsresult GetRowSpan(PRInt32* value) = 0;
    virtual nsresult GetHeaders(nsAString& value) = 0;
    virtual nsresult GetHeight(nsAString& value) = 0;
    virtual nsresult GetNoWrap(PRBool* value) = 0;
    virtual nsresult GetScope(nsAString& value) = 0;
    virtual nsresult GetVAlign(nsAString& value) = 0;
    virtual nsresult GetWidth(nsAString& value) = 0;
};

// Frames: the content document and window are attached by the browser when
// it loads the frame; both are null before.
class nsIDOMHTMLFrameElement : public nsIDOMHTMLElement {
public:
    static constexpr nsIID kIID = dom::internal::DomIID(37);
    using BaseInterface = nsIDOMHTMLElement;

    virtual nsresult GetFrameBorder(nsAString& value) = 0;
    virtual nsresult GetLongDesc(nsAString& value) = 0;
    virtual nsresult GetMarginHeight(nsAString& value) = 0;
    virtual nsresult GetMarginWidth(nsAString& value) = 0;
    virtual nsresult GetName(nsAString& value) = 0;
    virtual nsresult SetName(const nsAString& value) = 0;
    virtual nsresult GetNoResize(PRBool* value) = 0;
    virtual nsresult GetScrolling(nsAString& value) = 0;
    virtual nsresult GetSrc(nsAString& value) = 0;
    virtual nsresult SetSrc(const nsAString& value) = 0;
    virtual nsresult GetContentDocument(nsIDOMDocument** document) = 0;
    virtual nsresult GetContentWindow(nsIDOMWindow** window) = 0;
};

class nsIDOMHTMLIFrameElement : public nsIDOMHTMLElement {
public:
    static constexpr nsIID kIID = dom::internal::DomIID(38);
    using BaseInterface = nsIDOMHTMLElement;

    virtual nsresult GetAlign(nsAString& value) = 0;
    virtual nsresult GetFrameBorder(nsAString& value) = 0;
    virtual nsresult GetHeight(nsAString& value) = 0;
    virtual nsresult GetLongDesc(nsAString& value) = 0;
    virtual nsresult GetMarginHeight(nsAString& value) = 0;
    virtual nsresult GetMarginWidth(nsAString& value) = 0;
    virtual nsresult GetName(nsAString& value) = 0;
    virtual nsresult SetName(const nsAString& value) = 0;
    virtual nsresult GetScrolling(nsAString& value) = 0;
    virtual nsresult GetSrc(nsAString& value) = 0;
    virtual nsresult SetSrc(const nsAString& value) = 0;
    virtual nsresult GetWidth(nsAString& value) = 0;
    virtual nsresult GetContentDocument(nsIDOMDocument** document) = 0;
    virtual nsresult GetContentWindow(nsIDOMWindow** window) = 0;
};
