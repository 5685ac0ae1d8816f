// The presentation of one document in one document shell: the presentation
// shell and context, the view manager with the root (scrolling) view, the
// event state manager, and layout frames.
//
// One object serves as presentation shell, presentation context, view
// manager, root view and event state manager of its document; layout frames
// are made on request for the elements that have a box. The layout itself
// (boxes, hit testing, scrolling) comes from the document's layout, which
// this object installs as the document's layout hook.
#pragma once

#include "platform/browser/dom/Document.h"
#include "platform/browser/dom/Element.h"
#include "platform/win32/Windows.h"
#include "platform/xpcom/shell/nsIPresShell.h"

#include <memory>
#include <optional>

namespace browser::layout {
class DocumentLayout;
}

namespace browser {

class DocShell;

class PresShell final
    : public nsSupportsImpl<PresShell, nsIPresShell, nsIPresContext, nsIViewManager,
                            nsIEventStateManager, nsIView, nsIScrollableView> {
public:
    PresShell(DocShell& shell, nsCOMPtr<nsIDOMDocument> document);

    // The shell lets go of its presentation: from now on it answers no
    // shell, window or layout, and the document's hooks are removed.
    void Detach();

    DocShell* Shell() const { return m_shell; }
    dom::Document* DocumentCore() const;
    nsIDOMDocument* Document() const { return m_document; }

    // Lays the document out for a viewport of the window's client size.
    void Relayout();
    // The element's border box in pixels, relative to the window's client
    // area (scrolling applied); nullopt for an element without a box.
    std::optional<RECT> ClientRect(dom::Element& element);
    // The element's border box in pixels, in document coordinates.
    std::optional<RECT> DocumentRect(dom::Element& element);
    // The deepest element under a point of the window's client area.
    dom::Element* ElementAt(POINT client);
    POINT ScrollPosition() const;
    void ScrollToPixels(int32_t x, int32_t y);
    SIZE ContentSize();

    // Dispatches a DOM event of `type` at `target` and runs the default
    // action unless a listener prevented it; answers whether the default
    // action ran. `mouse` fills the pointer fields of mouse events.
    struct MouseDetails {
        POINT client{};
        POINT screen{};
        uint16_t button = 0;
        int32_t detail = 1;
    };
    bool FireMouse(dom::Element& target, std::u16string_view type, const MouseDetails& mouse);
    // Events without a pointer (change, submit, input, command, ...); they
    // answer the UI event interfaces too.
    bool FirePlain(dom::Node& target, std::u16string_view type, bool bubbles, bool cancelable);
    // The default action of a click (links, check boxes, radio buttons,
    // submit buttons, options) and of an activation.
    void ClickDefault(dom::Element& target);
    void ActivateDefault(dom::Element& target);
    // Follows the link of an A or AREA element through the link handler.
    void FollowLink(dom::Element& link, std::u16string_view suffix = {});
    // The element under the pointer (mouseover/mouseout follow it).
    void SetHover(dom::Element* element);
    // Where the last platform event handed to an element's own frame hit it
    // (pixels relative to the element): the click point of a server-side
    // image map.
    std::optional<POINT> LastFramePoint(dom::Element& element) const;

    // nsIPresShell
    nsresult GetDocument(nsIDOMDocument** document) override;
    nsresult GetPresContext(nsIPresContext** context) override;
    nsresult GetViewManager(nsIViewManager** manager) override;
    nsresult GetPrimaryFrameFor(nsIDOMNode* content, nsIFrame** frame) override;
    nsresult HandleDOMEventWithTarget(nsIDOMNode* content, nsEvent* event, PRUint32 flags,
                                      nsEventStatus* status) override;

    // nsIPresContext
    nsresult GetShell(nsIPresShell** shell) override;
    nsresult GetContainer(nsISupports** container) override;
    nsresult GetLinkHandler(nsILinkHandler** handler) override;
    nsresult GetEventStateManager(nsIEventStateManager** manager) override;
    nsresult GetTwipsToPixels(float* factor) override;
    nsresult GetPixelsToTwips(float* factor) override;

    // nsIViewManager
    nsresult GetRootView(nsIView** view) override;
    nsresult GetRootScrollableView(nsIScrollableView** view) override;

    // nsIEventStateManager
    nsresult GetContentState(nsIDOMNode* content, PRInt32* state) override;
    nsresult GetFocusedContent(nsIDOMNode** content) override;
    nsresult SetFocusedContent(nsIDOMNode* content) override;

    // nsIView (the root view)
    nsresult GetWidget(nsIWidget** widget) override;
    nsresult GetBounds(nsRect& bounds) override;
    nsresult GetParent(nsIView** parent) override;

    // nsIScrollableView (the window's scrolling)
    nsresult GetScrollPosition(nscoord* x, nscoord* y) override;
    nsresult ScrollTo(nscoord x, nscoord y, PRUint32 updateFlags) override;
    nsresult GetContainerSize(nscoord* width, nscoord* height) override;

private:
    friend class nsSupportsImpl<PresShell, nsIPresShell, nsIPresContext, nsIViewManager,
                                nsIEventStateManager, nsIView, nsIScrollableView>;
    ~PresShell() override;

    DocShell* m_shell; // observes: the shell detaches us before it goes
    nsCOMPtr<nsIDOMDocument> m_document;
    std::unique_ptr<layout::DocumentLayout> m_layout;
    dom::NodeRef m_hover;             // the element under the pointer, for the hover state
    dom::NodeRef m_framePointElement; // where a frame's own event entry was last hit
    POINT m_framePoint{};
    friend class LayoutFrame;
};

// Layout units per pixel.
inline constexpr float kTwipsPerPixel = 15.0f;

} // namespace browser
