// Document cores and the hooks through which the browser's layout and shell
// serve the DOM's layout-dependent values.
//
//     nsCOMPtr<nsIDOMHTMLDocument> doc = dom::ParseHTMLDocument(markup, u"http://host/");
//     dom::Document* core = dom::Document::FromDOM(doc);
//     core->SetLayoutHook(&myLayout);   // offsets, boxes, computed style
#pragma once

#include "platform/browser/dom/Element.h"
#include "platform/xpcom/dom/nsIDOMRange.h"

#include <functional>
#include <optional>

class nsISelection;

namespace dom {

class Window;

// A box in pixels.
struct LayoutBox {
    int32_t left = 0;
    int32_t top = 0;
    int32_t width = 0;
    int32_t height = 0;
};

// A XUL box: its place in the document and on the screen.
struct XulBox {
    LayoutBox box;
    int32_t screenX = 0;
    int32_t screenY = 0;
};

// The scrollable area of an element, in pixels.
struct ScrollArea {
    int32_t top = 0;
    int32_t left = 0;
    int32_t height = 0;
    int32_t width = 0;
};

// Installed by the browser's layout on a document; the DOM asks it for every
// value that depends on layout. Elements are those of the hook's document.
class LayoutHook {
public:
    virtual ~LayoutHook() = default;
    // The element's offset box, relative to its offset parent.
    virtual std::optional<LayoutBox> OffsetBox(Element& element) = 0;
    // The element's offset parent (null for BODY and for elements not shown).
    virtual Element* OffsetParent(Element& element) = 0;
    virtual std::optional<XulBox> BoxObject(Element& element) = 0;
    // The scrollable area of the element; nullopt when it has none.
    virtual std::optional<ScrollArea> Scroll(Element& element) = 0;
    virtual bool SetScroll(Element& element, std::optional<int32_t> top,
                           std::optional<int32_t> left) = 0;
    // The computed value of a CSS property as CSS text ("2px", "block");
    // nullopt for a property the layout does not know.
    virtual std::optional<nsString> ComputedValue(Element& element,
                                                  std::u16string_view property) = 0;
};

class Document : public Node {
public:
    ~Document() override;

    static Document* FromDOM(nsISupports* object);

    bool IsHTML() const { return m_namespace == ElementNamespace::HTML; }
    ElementNamespace Namespace() const { return m_namespace; }
    nsString NodeName() const override { return u"#document"; }
    NodeRef Clone(bool deep) const override;

    Element* DocumentElement() const;
    // BODY of an HTML document (the first BODY child of the HTML element,
    // or else the first FRAMESET); null for other documents.
    Element* Body() const;
    Element* ElementById(std::u16string_view id) const;

    NodeRef CreateElement(std::u16string_view tag);
    NodeRef CreateText(nsString data);
    NodeRef CreateComment(nsString data);

    // Elements in the document's tree, kept by every insertion and removal.
    uint32_t ElementCount() const { return m_elementCount; }
    // Counts changes of the trees and attributes of the document's nodes, so
    // that live collections know when their cached items are stale.
    uint64_t ChangeCount() const { return m_changes; }
    void NoteChange() { ++m_changes; }
    // Counts windows attached to or detached from the document's frame
    // elements, and edits of its texts: changes that need no new tree walk
    // for layout (windows) or that the tree's count does not see (texts).
    uint64_t FrameAttachmentCount() const { return m_frameAttachments; }
    void NoteFrameAttachment() { ++m_frameAttachments; }
    uint64_t TextChangeCount() const { return m_textChanges; }
    void NoteTextChange() { ++m_textChanges; }

    const nsString& URL() const { return m_url; }
    void SetURL(nsString url) { m_url = std::move(url); }
    nsString Title() const;
    // The address relative references of the document resolve against: the
    // href of its first BASE element that has one (itself resolved against
    // the document's URL), otherwise the document's URL.
    const nsString& BaseURL() const;
    // Resolves a link target (of a link, image, form, frame) against the
    // document's base address.
    nsString ResolveURL(std::u16string_view reference) const;
    // Resolves `reference` against the absolute address `base`; a reference
    // with a scheme, or a base without one, is answered as it is.
    static nsString ResolveAgainst(std::u16string_view base, std::u16string_view reference);

    // The document's selection object (one per document, made on first use).
    nsISelection* DocumentSelection();

    // The window showing the document (observed; the window attaches and
    // detaches itself).
    Window* DocumentWindow() const { return m_window; }

    LayoutHook* Layout() const { return m_layout; }
    // The hook must outlive the document or be removed (null) first.
    void SetLayoutHook(LayoutHook* hook) { m_layout = hook; }

    // Called after a form's "submit" event was not cancelled; the browser
    // navigates there.
    using SubmitHook = std::function<void(Element& form)>;
    void SetSubmitHook(SubmitHook hook) { m_submitHook = std::move(hook); }
    // Told when the focus moves through the DOM (focus(), blur(), the
    // browser's own focusing), before the blur and focus events fire:
    // `focused` is null when the focus is taken away.
    using FocusHook = std::function<void(Element* previous, Element* focused)>;
    void SetFocusHook(FocusHook hook) { m_focusHook = std::move(hook); }
    void NoteFocusMove(Element* previous, Element* focused) {
        if (m_focusHook)
            m_focusHook(previous, focused);
    }
    void SubmitForm(Element& form);

    // The element that has the focus (observed: cleared when it leaves the
    // tree).
    Element* FocusedElement() const { return m_focused; }
    void SetFocusedElement(Element* element) { m_focused = element; }

    // The debugging dump of a subtree, one node a line, indented by depth.
    static nsString Dump(const Node& node);

protected:
    explicit Document(ElementNamespace ns);

private:
    friend class Node;
    friend class Window;
    void NodeLeftTree(Node& node);

    ElementNamespace m_namespace;
    uint32_t m_elementCount = 0;
    uint64_t m_changes = 0;
    uint64_t m_frameAttachments = 0;
    uint64_t m_textChanges = 0;
    FocusHook m_focusHook;
    // The base address as of change count m_baseStamp (found again only
    // after the tree or an attribute changed, so resolving is not a walk).
    mutable nsString m_baseURL;
    mutable uint64_t m_baseStamp = UINT64_MAX;
    mutable nsString m_baseForURL;
    nsString m_url;
    Window* m_window = nullptr;     // observes: the window detaches itself
    LayoutHook* m_layout = nullptr; // observes: installed and removed by the browser
    nsCOMPtr<nsISelection> m_selection;
    SubmitHook m_submitHook;
    Element* m_focused = nullptr; // observes: cleared when it leaves the tree
};

// Makes an empty document (no document element).
nsCOMPtr<nsIDOMDocument> NewDocument(ElementNamespace ns, nsString url);

} // namespace dom
