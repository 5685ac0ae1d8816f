// Elements of the browser's own user interface (XUL): window, toolbar,
// toolbarbutton, button, menubutton, textbox, menupopup, menuitem, tree,
// treechildren, treeitem, checkbox, radio and any other tag. Every XUL element
// answers nsIDOMXULElement; a tree answers nsIDOMXULTreeElement and a textbox
// nsIDOMXULTextBoxElement as well. Their state lives in attributes ("label",
// "value", "disabled", "checked", "selected").
#pragma once

#include "platform/xpcom/dom/nsIDOMElement.h"

// The laid-out box of a XUL element, in pixels relative to its document.
class nsIBoxObject : public nsISupports {
public:
    static constexpr nsIID kIID = dom::internal::DomIID(70);
    using BaseInterface = nsISupports;

    virtual nsresult GetElement(nsIDOMElement** element) = 0;
    virtual nsresult GetX(PRInt32* x) = 0;
    virtual nsresult GetY(PRInt32* y) = 0;
    virtual nsresult GetScreenX(PRInt32* x) = 0;
    virtual nsresult GetScreenY(PRInt32* y) = 0;
    virtual nsresult GetWidth(PRInt32* width) = 0;
    virtual nsresult GetHeight(PRInt32* height) = 0;
};

class nsIDOMXULElement : public nsIDOMElement {
public:
    static constexpr nsIID kIID = dom::internal::DomIID(71);
    using BaseInterface = nsIDOMElement;

    virtual nsresult GetId(nsAString& id) = 0;
    virtual nsresult GetClassName(nsAString& className) = 0;
    // The element's box; fails (NS_ERROR_NOT_AVAILABLE) while the document
    // has no layout.
    virtual nsresult GetBoxObject(nsIBoxObject** box) = 0;
    // Fires a click on the element (mouse down, up, click); checkboxes
    // toggle "checked" and radios check first.
    virtual nsresult Click() = 0;
    // Fires the "command" event at the element (what choosing a menu item
    // or pressing a toolbar button does); a disabled element does nothing.
    virtual nsresult DoCommand() = 0;
    virtual nsresult Focus() = 0;
    virtual nsresult Blur() = 0;
};

// The tree-style list. Its items are the treeitem children of its first
// treechildren child; an item is selected when its "selected" attribute is
// "true".
class nsIDOMXULTreeElement : public nsIDOMXULElement {
public:
    // The interface identifier of the browser's tree-list interface.
    static constexpr nsIID kIID{
        0xa6cf90ec, 0x15b3, 0x11d2, {0x93, 0x2e, 0x00, 0x80, 0x5f, 0x8a, 0xdd, 0x32}};
    using BaseInterface = nsIDOMXULElement;

    // The selected items in item order.
    virtual nsresult GetSelectedItems(nsIDOMNodeList** items) = 0;
    // The item that was selected last (the current item); null when none.
    virtual nsresult GetCurrentItem(nsIDOMXULElement** item) = 0;
    virtual nsresult ClearItemSelection() = 0;
    // Makes `item` the only selected item and the current item.
    virtual nsresult SelectItem(nsIDOMXULElement* item) = 0;
    virtual nsresult AddItemToSelection(nsIDOMXULElement* item) = 0;
    virtual nsresult RemoveItemFromSelection(nsIDOMXULElement* item) = 0;
    virtual nsresult ToggleItemSelection(nsIDOMXULElement* item) = 0;
    // Each of the above fails (NS_ERROR_INVALID_ARG) for an item that is not
    // one of this tree's items. Every change fires "select" at the tree.
};

// A textbox carries an anonymous HTML INPUT that holds the text; the input
// is not a child in the DOM (not counted, not visited), but its parent node
// is the textbox, so events at the input travel through the textbox.
class nsIDOMXULTextBoxElement : public nsIDOMXULElement {
public:
    static constexpr nsIID kIID = dom::internal::DomIID(72);
    using BaseInterface = nsIDOMXULElement;

    virtual nsresult GetInputField(nsIDOMHTMLInputElement** input) = 0;
    // The anonymous input's value.
    virtual nsresult GetValue(nsAString& value) = 0;
    virtual nsresult SetValue(const nsAString& value) = 0;
};
