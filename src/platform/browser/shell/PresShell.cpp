#include "platform/browser/shell/PresShell.h"

#include "platform/browser/Ascii.h"
#include "platform/browser/dom/Events.h"
#include "platform/browser/dom/HTMLElements.h"
#include "platform/browser/dom/Parser.h"
#include "platform/browser/layout/DocumentLayout.h"
#include "platform/browser/shell/DocShell.h"
#include "platform/browser/shell/Network.h"

#include <algorithm>
#include <cmath>

namespace browser {
namespace {

nscoord ToTwips(int32_t pixels) {
    return static_cast<nscoord>(std::lround(pixels * kTwipsPerPixel));
}

int32_t ToPixels(nscoord twips) {
    return static_cast<int32_t>(std::lround(twips / kTwipsPerPixel));
}

RECT ToRECT(const layout::Rect& rect) {
    return RECT{rect.left, rect.top, rect.right, rect.bottom};
}

dom::Element* AsElement(dom::Node* node) {
    return node && node->IsElement() ? static_cast<dom::Element*>(node) : nullptr;
}

// The nearest element, from `element` up, with one of the tags.
dom::Element* ClosestOf(dom::Element& element, std::initializer_list<std::u16string_view> tags) {
    for (dom::Node* node = &element; node; node = node->Parent()) {
        dom::Element* candidate = AsElement(node);
        if (!candidate)
            continue;
        for (auto tag : tags)
            if (candidate->HasTag(tag))
                return candidate;
    }
    return nullptr;
}

} // namespace

// The layout frame of one element: its box, and for a scrolling element its
// own scrolling view.
class LayoutFrame final : public nsSupportsImpl<LayoutFrame, nsIFrame, nsIView, nsIScrollableView> {
public:
    LayoutFrame(PresShell& shell, dom::Element& element) : m_shell(&shell), m_element(&element) {}

    // nsIFrame
    nsresult GetContent(nsIDOMNode** content) override {
        if (!content)
            return NS_ERROR_NULL_POINTER;
        *content = m_element->AsDOMNode();
        (*content)->AddRef();
        return NS_OK;
    }
    nsresult GetRect(nsRect& rect) override {
        auto box = m_shell->DocumentRect(Element());
        if (!box)
            return NS_ERROR_NOT_AVAILABLE;
        rect = {ToTwips(box->left), ToTwips(box->top), ToTwips(box->right - box->left),
                ToTwips(box->bottom - box->top)};
        return NS_OK;
    }
    // A scrolling element's view is its own; the root element and BODY show
    // in the window's root view. Any other element has no view of its own:
    // the answer is null, so that nothing reads or moves the window's scroll
    // on behalf of an element that does not scroll.
    nsresult GetView(nsIView** view) override {
        if (!view)
            return NS_ERROR_NULL_POINTER;
        *view = nullptr;
        if (!Layout())
            return NS_OK;
        if (Layout()->OwnScroll(Element()))
            *view = static_cast<nsIView*>(this);
        else if (IsViewportElement())
            *view = static_cast<nsIView*>(m_shell.get());
        if (*view)
            (*view)->AddRef();
        return NS_OK;
    }
    nsresult HandleEvent(nsIPresContext*, nsGUIEvent* event, nsEventStatus* status) override {
        if (!event)
            return NS_ERROR_NULL_POINTER;
        // The frame keeps the point where it was hit (an image map needs it);
        // the DOM hears of the event through the content's own dispatch.
        m_shell->m_framePointElement = m_element.get();
        m_shell->m_framePoint = {ToPixels(event->point.x), ToPixels(event->point.y)};
        if (status)
            *status = nsEventStatus_eConsumeDoDefault;
        return NS_OK;
    }

    // nsIView
    nsresult GetWidget(nsIWidget** widget) override { return m_shell->GetWidget(widget); }
    nsresult GetBounds(nsRect& bounds) override { return GetRect(bounds); }
    nsresult GetParent(nsIView** parent) override {
        if (!parent)
            return NS_ERROR_NULL_POINTER;
        *parent = static_cast<nsIView*>(m_shell.get());
        (*parent)->AddRef();
        return NS_OK;
    }

    // nsIScrollableView: the element's own scroll, only while it scrolls
    // (the layout tells the shell, which moves the windows inside it).
    nsresult GetScrollPosition(nscoord* x, nscoord* y) override {
        if (!x || !y)
            return NS_ERROR_NULL_POINTER;
        auto area = Layout() ? Layout()->OwnScroll(Element()) : std::nullopt;
        if (!area)
            return NS_ERROR_NOT_AVAILABLE;
        *x = ToTwips(area->left);
        *y = ToTwips(area->top);
        return NS_OK;
    }
    nsresult ScrollTo(nscoord x, nscoord y, PRUint32) override {
        if (!Layout() ||
            !Layout()->SetOwnScroll(Element(), layout::Point{ToPixels(x), ToPixels(y)}))
            return NS_ERROR_NOT_AVAILABLE;
        return NS_OK;
    }
    nsresult GetContainerSize(nscoord* width, nscoord* height) override {
        if (!width || !height)
            return NS_ERROR_NULL_POINTER;
        auto area = Layout() ? Layout()->OwnScroll(Element()) : std::nullopt;
        if (!area)
            return NS_ERROR_NOT_AVAILABLE;
        *width = ToTwips(area->width);
        *height = ToTwips(area->height);
        return NS_OK;
    }

private:
    dom::Element& Element() const { return static_cast<dom::Element&>(*m_element); }
    layout::DocumentLayout* Layout() const { return m_shell->m_layout.get(); }
    // The root element and BODY: their scroll is the window's.
    bool IsViewportElement() const {
        dom::Node* parent = m_element->Parent();
        return (parent && parent->Kind() == dom::NodeKind::Document) ||
               (Element().IsHTML() && Element().HasTag(u"body"));
    }

    nsCOMPtr<PresShell> m_shell;
    dom::NodeRef m_element;
};

PresShell::PresShell(DocShell& shell, nsCOMPtr<nsIDOMDocument> document)
    : m_shell(&shell), m_document(std::move(document)) {
    if (dom::Document* core = DocumentCore()) {
        RECT client{};
        GetClientRect(shell.NativeWindow(), &client);
        m_layout = std::make_unique<layout::DocumentLayout>(
            *core, layout::Size{client.right, client.bottom});
        HWND window = shell.NativeWindow();
        m_layout->SetScreenOrigin([window] {
            POINT origin{0, 0};
            ClientToScreen(window, &origin);
            return layout::Point{origin.x, origin.y};
        });
        // A scroll moved by the page or through an element's view moves the
        // frame and plug-in windows laid out inside what scrolled.
        m_layout->SetScrollListener([this] {
            if (m_shell)
                m_shell->Relayout();
        });
    }
}

PresShell::~PresShell() {
    Detach();
}

void PresShell::Detach() {
    m_layout.reset(); // removes itself from the document
    m_hover = nullptr;
    m_framePointElement = nullptr;
    m_shell = nullptr;
}

dom::Document* PresShell::DocumentCore() const {
    return dom::Document::FromDOM(m_document);
}

void PresShell::Relayout() {
    if (!m_layout || !m_shell)
        return;
    RECT client{};
    GetClientRect(m_shell->NativeWindow(), &client);
    m_layout->SetClientSize(layout::Size{client.right, client.bottom});
    m_layout->Invalidate();
}

std::optional<RECT> PresShell::ClientRect(dom::Element& element) {
    if (!m_layout)
        return std::nullopt;
    auto box = m_layout->ClientBox(element);
    if (!box)
        return std::nullopt;
    return ToRECT(*box);
}

std::optional<RECT> PresShell::DocumentRect(dom::Element& element) {
    if (!m_layout)
        return std::nullopt;
    auto box = m_layout->DocumentBox(element);
    if (!box)
        return std::nullopt;
    return ToRECT(*box);
}

dom::Element* PresShell::ElementAt(POINT client) {
    return m_layout ? m_layout->ElementAt(layout::Point{client.x, client.y}) : nullptr;
}

POINT PresShell::ScrollPosition() const {
    if (!m_layout)
        return POINT{0, 0};
    layout::Point scroll = m_layout->WindowScroll();
    return POINT{scroll.x, scroll.y};
}

void PresShell::ScrollToPixels(int32_t x, int32_t y) {
    if (!m_layout)
        return;
    m_layout->ScrollWindowTo(layout::Point{x, y});
    if (m_shell)
        m_shell->Relayout();
}

SIZE PresShell::ContentSize() {
    if (!m_layout)
        return SIZE{0, 0};
    layout::Size size = m_layout->ContentSize();
    return SIZE{size.width, size.height};
}

std::optional<POINT> PresShell::LastFramePoint(dom::Element& element) const {
    if (m_framePointElement.get() != &element)
        return std::nullopt;
    return m_framePoint;
}

// ---------------------------------------------------------------------------
// Events and default actions

bool PresShell::FireMouse(dom::Element& target, std::u16string_view type,
                          const MouseDetails& mouse) {
    nsCOMPtr<nsIDOMEvent> event =
        dom::NewEvent(dom::EventKind::Mouse, type, dom::Bubbles::Yes, dom::Cancelable::Yes);
    nsCOMPtr<nsIDOMMouseEvent> mouseEvent = do_QueryInterface(event);
    if (!mouseEvent)
        return false;
    nsCOMPtr<nsIDOMWindow> view;
    if (m_shell)
        m_shell->GetDOMWindow(getter_AddRefs(view));
    mouseEvent->InitMouseEvent(nsString(type), PR_TRUE, PR_TRUE, view, mouse.detail, mouse.screen.x,
                               mouse.screen.y, mouse.client.x, mouse.client.y, PR_FALSE, PR_FALSE,
                               PR_FALSE, PR_FALSE, mouse.button, nullptr);
    if (dom::Event* core = dom::Event::FromDOM(event)) {
        dom::PointerDetails details;
        POINT scroll = ScrollPosition();
        details.pageX = mouse.client.x + scroll.x;
        details.pageY = mouse.client.y + scroll.y;
        details.layerX = details.pageX;
        details.layerY = details.pageY;
        details.which = mouse.button + 1u;
        core->SetPointerDetails(std::move(details));
    }
    // Listeners may change or unload the page: keep the target alive.
    dom::NodeRef keep(&target);
    nsCOMPtr<PresShell> self(this);
    bool allowed = true;
    dom::DispatchDOMEvent(target, event, &allowed);
    return allowed;
}

bool PresShell::FirePlain(dom::Node& target, std::u16string_view type, bool bubbles,
                          bool cancelable) {
    // The browser's own events are UI events: listeners read their page
    // coordinates (zero here) through the UI interfaces of any event.
    nsCOMPtr<nsIDOMEvent> event =
        dom::NewEvent(dom::EventKind::UI, type, bubbles ? dom::Bubbles::Yes : dom::Bubbles::No,
                      cancelable ? dom::Cancelable::Yes : dom::Cancelable::No);
    dom::NodeRef keep(&target);
    nsCOMPtr<PresShell> self(this);
    bool allowed = true;
    dom::DispatchDOMEvent(target, event, &allowed);
    return allowed;
}

void PresShell::FollowLink(dom::Element& link, std::u16string_view suffix) {
    if (!m_shell)
        return;
    dom::Document* core = link.OwnerDocument();
    nsString href = link.Attribute(u"href");
    if (!core || (href.empty() && !link.HasAttribute(u"href")))
        return;
    nsString resolved = core->ResolveURL(href);
    if (resolved.empty())
        return;
    resolved += suffix;
    nsCOMPtr<nsIURI> uri = NewURI(dom::Utf8FromUtf16(resolved));
    if (!uri)
        return;
    m_shell->OnLinkClick(link.AsDOMNode(), eLinkVerb_Replace, uri, link.Attribute(u"target"),
                         nullptr);
}

void PresShell::ClickDefault(dom::Element& target) {
    nsCOMPtr<PresShell> self(this);
    if (dom::Element* input = ClosestOf(target, {u"input"})) {
        nsString type = AsciiLower(input->Attribute(u"type"));
        nsCOMPtr<nsIDOMHTMLInputElement> face = do_QueryInterface(input->AsDOMNode());
        if (face && (type == u"checkbox" || type == u"radio")) {
            // As the element's own click: a disabled box does not change,
            // and a box whose state changed tells its listeners.
            if (input->HasAttribute(u"disabled"))
                return;
            PRBool checked = PR_FALSE;
            face->GetChecked(&checked);
            if (type == u"checkbox" || !checked)
                face->SetChecked(type == u"checkbox" ? !checked : PR_TRUE);
            PRBool now = checked;
            face->GetChecked(&now);
            if (bool(now) != bool(checked))
                FirePlain(*input, u"change", true, false);
            return;
        }
    }
    if (dom::Element* option = ClosestOf(target, {u"option"})) {
        dom::Element* select = ClosestOf(*option, {u"select"});
        nsCOMPtr<nsIDOMHTMLOptionElement> face = do_QueryInterface(option->AsDOMNode());
        nsCOMPtr<nsIDOMHTMLSelectElement> list;
        if (select)
            list = do_QueryInterface(select->AsDOMNode());
        if (face && list) {
            // A plain click selects this option alone, in lists of several
            // choices too; the list changes when the selection did.
            nsCOMPtr<nsIDOMHTMLCollection> options;
            list->GetOptions(getter_AddRefs(options));
            PRUint32 count = 0;
            if (options)
                options->GetLength(&count);
            bool changed = false;
            for (PRUint32 i = 0; i < count; ++i) {
                nsCOMPtr<nsIDOMNode> node;
                options->Item(i, getter_AddRefs(node));
                nsCOMPtr<nsIDOMHTMLOptionElement> each = do_QueryInterface(node);
                if (!each)
                    continue;
                PRBool selected = PR_FALSE;
                each->GetSelected(&selected);
                bool wanted = SameCOMIdentity(each, face);
                if (bool(selected) != wanted) {
                    each->SetSelected(wanted ? PR_TRUE : PR_FALSE);
                    changed = true;
                }
            }
            if (changed)
                FirePlain(*select, u"change", true, false);
        }
        return;
    }
    dom::Element* link = ClosestOf(target, {u"a", u"area"});
    if (link && link->HasAttribute(u"href")) {
        std::u16string suffix;
        // A click on a server-side image map inside a link sends its point.
        if (target.HasTag(u"img") && target.HasAttribute(u"ismap")) {
            if (auto point = LastFramePoint(target)) {
                std::string text = "?" + std::to_string(point->x) + "," + std::to_string(point->y);
                suffix.assign(text.begin(), text.end());
            }
        }
        FollowLink(*link, suffix);
    }
}

void PresShell::ActivateDefault(dom::Element& target) {
    nsCOMPtr<PresShell> self(this);
    dom::Element* control = ClosestOf(target, {u"input", u"button"});
    if (!control)
        return;
    nsString type = AsciiLower(control->Attribute(u"type"));
    bool submits = control->HasTag(u"button") ? (type.empty() || type == u"submit")
                                              : (type == u"submit" || type == u"image");
    if (!submits)
        return;
    dom::Element* form = ClosestOf(*control, {u"form"});
    if (!form)
        return;
    if (FirePlain(*form, u"submit", true, true)) {
        if (dom::Document* core = form->OwnerDocument())
            core->SubmitForm(*form);
    }
}

void PresShell::SetHover(dom::Element* element) {
    if (m_hover.get() == element)
        return;
    nsCOMPtr<PresShell> self(this);
    dom::NodeRef old = m_hover;
    m_hover = element;
    MouseDetails details;
    if (auto* previous = AsElement(old.get()))
        FireMouse(*previous, u"mouseout", details);
    if (element) {
        FireMouse(*element, u"mouseover", details);
        if (dom::Element* link = ClosestOf(*element, {u"a", u"area"}); link && m_shell) {
            nsCOMPtr<nsIURI> uri;
            if (dom::Document* core = link->OwnerDocument())
                uri = NewURI(dom::Utf8FromUtf16(core->ResolveURL(link->Attribute(u"href"))));
            m_shell->OnOverLink(link->AsDOMNode(), uri, link->Attribute(u"target"));
        }
    }
}

// ---------------------------------------------------------------------------
// nsIPresShell

nsresult PresShell::GetDocument(nsIDOMDocument** document) {
    if (!document)
        return NS_ERROR_NULL_POINTER;
    *document = m_document;
    if (*document)
        (*document)->AddRef();
    return NS_OK;
}

nsresult PresShell::GetPresContext(nsIPresContext** context) {
    if (!context)
        return NS_ERROR_NULL_POINTER;
    *context = this;
    AddRef();
    return NS_OK;
}

nsresult PresShell::GetViewManager(nsIViewManager** manager) {
    if (!manager)
        return NS_ERROR_NULL_POINTER;
    *manager = this;
    AddRef();
    return NS_OK;
}

nsresult PresShell::GetPrimaryFrameFor(nsIDOMNode* content, nsIFrame** frame) {
    if (!frame)
        return NS_ERROR_NULL_POINTER;
    *frame = nullptr;
    if (!content)
        return NS_ERROR_NULL_POINTER;
    dom::Element* element = AsElement(dom::Node::FromDOM(content));
    if (!element || !m_layout || element->OwnerDocument() != DocumentCore())
        return NS_OK;
    if (!m_layout->DocumentBox(*element))
        return NS_OK; // not shown
    *frame = nsCOMPtr<nsIFrame>(new LayoutFrame(*this, *element)).forget();
    return NS_OK;
}

nsresult PresShell::HandleDOMEventWithTarget(nsIDOMNode* content, nsEvent* event, PRUint32,
                                             nsEventStatus* status) {
    if (!content || !event)
        return NS_ERROR_NULL_POINTER;
    dom::Node* node = dom::Node::FromDOM(content);
    const dom::PlatformEvent* platform = dom::FindPlatformEvent(event->message);
    if (!node || !platform)
        return NS_ERROR_INVALID_ARG;
    nsCOMPtr<PresShell> self(this);
    dom::NodeRef keep(node);
    bool allowed = true;
    dom::Element* element = AsElement(node);
    if (platform->kind == dom::EventKind::Mouse && element) {
        MouseDetails details;
        details.client = {event->point.x, event->point.y};
        details.screen = details.client;
        if (m_shell)
            ClientToScreen(m_shell->NativeWindow(), &details.screen);
        if (event->eventStructType == NS_MOUSE_EVENT)
            details.detail = static_cast<int32_t>(static_cast<nsMouseEvent*>(event)->clickCount);
        allowed = FireMouse(*element, platform->type, details);
    } else {
        bool cancelable = platform->type != u"change";
        allowed = FirePlain(*node, platform->type, true, cancelable);
    }
    if (allowed && element) {
        if (event->message == NS_MOUSE_LEFT_CLICK)
            ClickDefault(*element);
        else if (event->message == NS_UI_ACTIVATE)
            ActivateDefault(*element);
    }
    if (status)
        *status = allowed ? nsEventStatus_eConsumeDoDefault : nsEventStatus_eConsumeNoDefault;
    return NS_OK;
}

// ---------------------------------------------------------------------------
// nsIPresContext

nsresult PresShell::GetShell(nsIPresShell** shell) {
    if (!shell)
        return NS_ERROR_NULL_POINTER;
    *shell = this;
    AddRef();
    return NS_OK;
}

nsresult PresShell::GetContainer(nsISupports** container) {
    if (!container)
        return NS_ERROR_NULL_POINTER;
    *container = nullptr;
    if (!m_shell)
        return NS_ERROR_NOT_AVAILABLE;
    return m_shell->GetContainer(container);
}

nsresult PresShell::GetLinkHandler(nsILinkHandler** handler) {
    if (!handler)
        return NS_ERROR_NULL_POINTER;
    *handler = m_shell;
    if (!m_shell)
        return NS_ERROR_NOT_AVAILABLE;
    m_shell->AddRef();
    return NS_OK;
}

nsresult PresShell::GetEventStateManager(nsIEventStateManager** manager) {
    if (!manager)
        return NS_ERROR_NULL_POINTER;
    *manager = this;
    AddRef();
    return NS_OK;
}

nsresult PresShell::GetTwipsToPixels(float* factor) {
    if (!factor)
        return NS_ERROR_NULL_POINTER;
    *factor = 1.0f / kTwipsPerPixel;
    return NS_OK;
}

nsresult PresShell::GetPixelsToTwips(float* factor) {
    if (!factor)
        return NS_ERROR_NULL_POINTER;
    *factor = kTwipsPerPixel;
    return NS_OK;
}

// ---------------------------------------------------------------------------
// nsIViewManager, nsIView, nsIScrollableView

nsresult PresShell::GetRootView(nsIView** view) {
    if (!view)
        return NS_ERROR_NULL_POINTER;
    *view = this;
    AddRef();
    return NS_OK;
}

nsresult PresShell::GetRootScrollableView(nsIScrollableView** view) {
    if (!view)
        return NS_ERROR_NULL_POINTER;
    *view = this;
    AddRef();
    return NS_OK;
}

nsresult PresShell::GetWidget(nsIWidget** widget) {
    if (!widget)
        return NS_ERROR_NULL_POINTER;
    *widget = m_shell ? m_shell->OwnWidget() : nullptr;
    if (!*widget)
        return NS_ERROR_NOT_AVAILABLE;
    (*widget)->AddRef();
    return NS_OK;
}

nsresult PresShell::GetBounds(nsRect& bounds) {
    if (!m_shell)
        return NS_ERROR_NOT_AVAILABLE;
    RECT client{};
    GetClientRect(m_shell->NativeWindow(), &client);
    bounds = {0, 0, ToTwips(client.right), ToTwips(client.bottom)};
    return NS_OK;
}

nsresult PresShell::GetParent(nsIView** parent) {
    if (!parent)
        return NS_ERROR_NULL_POINTER;
    *parent = nullptr;
    return NS_OK;
}

nsresult PresShell::GetScrollPosition(nscoord* x, nscoord* y) {
    if (!x || !y)
        return NS_ERROR_NULL_POINTER;
    POINT scroll = ScrollPosition();
    *x = ToTwips(scroll.x);
    *y = ToTwips(scroll.y);
    return NS_OK;
}

nsresult PresShell::ScrollTo(nscoord x, nscoord y, PRUint32) {
    if (!m_layout)
        return NS_ERROR_NOT_AVAILABLE;
    ScrollToPixels(ToPixels(x), ToPixels(y));
    return NS_OK;
}

nsresult PresShell::GetContainerSize(nscoord* width, nscoord* height) {
    if (!width || !height)
        return NS_ERROR_NULL_POINTER;
    SIZE size = ContentSize();
    *width = ToTwips(size.cx);
    *height = ToTwips(size.cy);
    return NS_OK;
}

// ---------------------------------------------------------------------------
// nsIEventStateManager

nsresult PresShell::GetContentState(nsIDOMNode* content, PRInt32* state) {
    if (!state)
        return NS_ERROR_NULL_POINTER;
    *state = 0;
    dom::Node* node = content ? dom::Node::FromDOM(content) : nullptr;
    dom::Document* core = DocumentCore();
    if (!node || !core)
        return NS_OK;
    if (core->FocusedElement() && core->FocusedElement() == node)
        *state |= NS_EVENT_STATE_FOCUS;
    if (m_hover && node->IsInclusiveAncestorOf(*m_hover))
        *state |= NS_EVENT_STATE_HOVER;
    return NS_OK;
}

nsresult PresShell::GetFocusedContent(nsIDOMNode** content) {
    if (!content)
        return NS_ERROR_NULL_POINTER;
    *content = nullptr;
    dom::Document* core = DocumentCore();
    if (core && core->FocusedElement()) {
        *content = core->FocusedElement()->AsDOMNode();
        (*content)->AddRef();
    }
    return NS_OK;
}

nsresult PresShell::SetFocusedContent(nsIDOMNode* content) {
    dom::Document* core = DocumentCore();
    if (!core)
        return NS_ERROR_NOT_AVAILABLE;
    nsCOMPtr<PresShell> self(this);
    if (!content) {
        if (dom::Element* focused = core->FocusedElement())
            dom::BlurElement(*focused);
        return NS_OK;
    }
    dom::Element* element = AsElement(dom::Node::FromDOM(content));
    if (!element || element->OwnerDocument() != core)
        return NS_ERROR_INVALID_ARG;
    dom::FocusElement(*element);
    return NS_OK;
}

} // namespace browser
