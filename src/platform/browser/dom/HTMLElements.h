// HTML elements: the face every HTML element has, and the element kinds.
//
// Every HTML element answers nsIDOMHTMLElement, nsIDOMNSHTMLElement and
// nsIDOMElementCSSInlineStyle; an element of a kind with its own interface
// (anchor, image, map, area, input, button, text area, select, option, form,
// table, table section, row, cell, frame, inline frame) answers that
// interface too and no other kind's.
#pragma once

#include "platform/browser/dom/CSS.h"
#include "platform/browser/dom/NodeFaces.h"
#include "platform/browser/dom/Parser.h"
#include "platform/xpcom/dom/nsIDOMCSS.h"
#include "platform/xpcom/dom/nsIDOMHTMLElements.h"
#include "platform/xpcom/dom/nsIDOMWindow.h"

namespace dom {

// Fires an event of `type` at `target`; answers whether the default action
// may run (no listener prevented it).
bool FireEvent(EventTargetCore& target, std::u16string_view type, bool bubbles, bool cancelable);
// Fires a click (a mouse event that bubbles and can be cancelled).
bool FireClick(EventTargetCore& target);
// Moves the document's focus to `element`, firing blur at the element that
// had it and focus at the new one; Blur takes it away.
void FocusElement(Element& element);
// Appends typed text to the value of a text input or a text area, in
// amortised constant time per character; false (nothing changes) for other
// elements and for inputs whose value is not text.
bool AppendTypedText(Element& control, std::u16string_view text);
void BlurElement(Element& element);

// What FRAME and IFRAME elements share: the window they show, which they
// keep alive.
class FrameOwner {
public:
    Window* ContentWindow() const;
    void AttachWindow(Element& self, Window* window);

protected:
    FrameOwner() = default;
    virtual ~FrameOwner();

private:
    nsCOMPtr<nsIDOMWindowInternal> m_window;
    Element* m_self = nullptr; // observes: the element this owner is part of
};

template <typename Derived, typename Primary, typename... Extra>
class HTMLElementFace : public ElementFace<Element, Derived, Primary, nsIDOMNSHTMLElement,
                                           nsIDOMElementCSSInlineStyle, Extra...> {
    using Base = ElementFace<Element, Derived, Primary, nsIDOMNSHTMLElement,
                             nsIDOMElementCSSInlineStyle, Extra...>;

public:
    HTMLElementFace(std::shared_ptr<DocumentLink> link, std::u16string_view tag)
        : Base(std::move(link), ElementNamespace::HTML, nsString(tag)) {}

    // nsIDOMHTMLElement
    nsresult GetId(nsAString& id) override { return this->ReflectString(u"id", id); }
    nsresult SetId(const nsAString& id) override { return this->ReflectSetString(u"id", id); }
    nsresult GetTitle(nsAString& title) override { return this->ReflectString(u"title", title); }
    nsresult SetTitle(const nsAString& title) override {
        return this->ReflectSetString(u"title", title);
    }
    nsresult GetLang(nsAString& lang) override { return this->ReflectString(u"lang", lang); }
    nsresult GetDir(nsAString& dir) override { return this->ReflectString(u"dir", dir); }
    nsresult GetClassName(nsAString& className) override {
        return this->ReflectString(u"class", className);
    }
    nsresult SetClassName(const nsAString& className) override {
        return this->ReflectSetString(u"class", className);
    }

    // nsIDOMNSHTMLElement
    nsresult GetOffsetTop(PRInt32* value) override { return Offset(value, &LayoutBox::top); }
    nsresult GetOffsetLeft(PRInt32* value) override { return Offset(value, &LayoutBox::left); }
    nsresult GetOffsetWidth(PRInt32* value) override { return Offset(value, &LayoutBox::width); }
    nsresult GetOffsetHeight(PRInt32* value) override { return Offset(value, &LayoutBox::height); }
    nsresult GetOffsetParent(nsIDOMElement** parent) override {
        LayoutHook* layout = Layout();
        return ReturnNode(layout ? layout->OffsetParent(*this) : nullptr, parent);
    }
    nsresult GetInnerHTML(nsAString& html) override {
        html = SerializeChildren(*this);
        return NS_OK;
    }
    nsresult SetInnerHTML(const nsAString& html) override {
        return ReplaceChildrenWithHTML(*this, html);
    }
    nsresult GetScrollTop(PRInt32* value) override { return Scroll(value, &ScrollArea::top); }
    nsresult SetScrollTop(PRInt32 value) override { return SetScroll(value, std::nullopt); }
    nsresult GetScrollLeft(PRInt32* value) override { return Scroll(value, &ScrollArea::left); }
    nsresult SetScrollLeft(PRInt32 value) override { return SetScroll(std::nullopt, value); }
    nsresult GetScrollHeight(PRInt32* value) override { return Scroll(value, &ScrollArea::height); }
    nsresult GetScrollWidth(PRInt32* value) override { return Scroll(value, &ScrollArea::width); }

    // nsIDOMElementCSSInlineStyle
    nsresult GetStyle(nsIDOMCSSStyleDeclaration** style) override {
        return NewInlineStyle(*this, style);
    }

protected:
    LayoutHook* Layout() const {
        Document* document = this->OwnerDocument();
        return document ? document->Layout() : nullptr;
    }
    nsresult Offset(PRInt32* value, int32_t LayoutBox::*field) {
        if (!value)
            return NS_ERROR_NULL_POINTER;
        LayoutHook* layout = Layout();
        std::optional<LayoutBox> box = layout ? layout->OffsetBox(*this) : std::nullopt;
        *value = box ? (*box).*field : 0;
        return NS_OK;
    }
    nsresult Scroll(PRInt32* value, int32_t ScrollArea::*field) {
        if (!value)
            return NS_ERROR_NULL_POINTER;
        *value = 0;
        LayoutHook* layout = Layout();
        std::optional<ScrollArea> area = layout ? layout->Scroll(*this) : std::nullopt;
        if (!area)
            return NS_ERROR_NOT_AVAILABLE;
        *value = (*area).*field;
        return NS_OK;
    }
    nsresult SetScroll(std::optional<int32_t> top, std::optional<int32_t> left) {
        LayoutHook* layout = Layout();
        if (!layout || !layout->SetScroll(*this, top, left))
            return NS_ERROR_NOT_AVAILABLE;
        return NS_OK;
    }
};

// An HTML element of a kind without its own interface.
class HTMLElement final : public HTMLElementFace<HTMLElement, nsIDOMHTMLElement> {
public:
    using HTMLElementFace::HTMLElementFace;
};

} // namespace dom
