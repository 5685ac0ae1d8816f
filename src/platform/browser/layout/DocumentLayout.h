// The layout of one DOM document in its window's client area: it serves the
// DOM's layout-dependent values (offsets, box objects, scroll areas,
// computed style) and what the browser shell asks of layout (the element at
// a point, an element's box in client coordinates, the window's scroll).
//
//     dom::Document* document = dom::Document::FromDOM(domDocument);
//     DocumentLayout layout(*document, Size{800, 600});   // installs itself as the hook
//     dom::Element* under = layout.ElementAt(Point{40, 20});
//     std::optional<Rect> box = layout.ClientBox(*under);
//
// The layout is redone lazily: every query first compares the document's
// element and change counts and its texts with those of the last layout; a
// changed client size or Invalidate() forces it too. Anonymous content (the
// input of a XUL textbox) is laid out inside its element and can be hit.
#pragma once

#include "platform/browser/dom/Document.h"
#include "platform/browser/layout/LayoutTree.h"

#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace browser::layout {

class DocumentLayout final : public dom::LayoutHook {
public:
    // Where the client area's top-left corner is on the screen.
    using ScreenOrigin = std::function<Point()>;
    // Told after the page's script moved a scroll position (of a scrolling
    // element or of the window), so that the shell moves the native windows
    // (frames, plug-ins) of what was scrolled.
    using ScrollListener = std::function<void()>;

    DocumentLayout(dom::Document& document, Size clientSize);
    ~DocumentLayout() override; // removes itself from the document
    DocumentLayout(const DocumentLayout&) = delete;
    DocumentLayout& operator=(const DocumentLayout&) = delete;

    dom::Document& GetDocument() const;

    Size ClientSize() const { return m_clientSize; }
    void SetClientSize(Size size);
    void SetScreenOrigin(ScreenOrigin origin) { m_screenOrigin = std::move(origin); }
    void SetScrollListener(ScrollListener listener) { m_scrollListener = std::move(listener); }
    // Forces a new layout at the next query.
    void Invalidate() { m_dirty = true; }

    // Size of the laid-out document (at least the client area).
    Size ContentSize();

    // The window's scroll position. Scrolling clamps to the part of the
    // document that lies outside the client area.
    Point WindowScroll();
    bool ScrollWindowTo(Point position);
    bool ScrollWindowBy(int32_t dx, int32_t dy);

    // The deepest shown element under a point of the client area; null
    // where there is none. The layout keeps the element alive until its
    // next layout; a caller that keeps it longer takes a reference.
    dom::Element* ElementAt(Point clientPoint);
    // The element's border box in client coordinates, moved by the scroll
    // of the window and of its scrolling ancestors; nullopt for an element
    // without a box or not in the document.
    std::optional<Rect> ClientBox(dom::Element& element);
    // The same box in document coordinates, before any scrolling.
    std::optional<Rect> DocumentBox(dom::Element& element);
    // The scroll area of an element that scrolls on its own (a division with
    // overflow and a height); nullopt for every other element, the root and
    // BODY included, whose scroll is the window's.
    std::optional<dom::ScrollArea> OwnScroll(dom::Element& element);
    // Moves such an element's own scroll (clamped to its range); false, and
    // nothing moves, for every other element. Tells the scroll listener.
    bool SetOwnScroll(dom::Element& element, Point position);

    // The layout tree dump of the document: a debugging aid.
    std::string Dump();

    // dom::LayoutHook. The scroll area of the root element and of BODY is
    // the window's; other elements have one only when they scroll.
    std::optional<dom::LayoutBox> OffsetBox(dom::Element& element) override;
    dom::Element* OffsetParent(dom::Element& element) override;
    std::optional<dom::XulBox> BoxObject(dom::Element& element) override;
    std::optional<dom::ScrollArea> Scroll(dom::Element& element) override;
    bool SetScroll(dom::Element& element, std::optional<int32_t> top,
                   std::optional<int32_t> left) override;
    std::optional<nsString> ComputedValue(dom::Element& element,
                                          std::u16string_view property) override;

private:
    // Lays the document out again when it changed since the last layout.
    void Refresh();
    void Rebuild();
    // The element's node in the current layout; nullopt when it is not there.
    std::optional<NodeIndex> IndexOf(const dom::Element& element);
    dom::Element* ElementAtIndex(NodeIndex index) const;
    // Whether the element's scroll is the window's (the root and BODY).
    bool IsViewportElement(NodeIndex index) const;
    Point MaxWindowScroll() const;

    dom::NodeRef m_document; // holds the document: the hook must not outlive it
    Size m_clientSize;
    ScreenOrigin m_screenOrigin;
    ScrollListener m_scrollListener;
    Point m_windowScroll;

    bool m_dirty = true;
    uint32_t m_elementCount = 0;
    uint64_t m_changeCount = 0;
    SourceTree m_source;
    LayoutTree m_layout;
    // The nodes of the current layout by index. The references keep them
    // alive, so that an address in m_index never names another node.
    std::vector<dom::NodeRef> m_nodes;
    std::unordered_map<const dom::Node*, NodeIndex> m_index;
    std::vector<NodeIndex> m_textNodes; // compared with the document after a text edit
    uint64_t m_textChangeCount = 0;
};

} // namespace browser::layout
