#include "agent/elements/ScrollIntoView.h"

#include "agent/channel/RequestArgs.h"
#include "agent/common/DomHelpers.h"
#include "agent/common/WindowHelpers.h"
#include "agent/model/CNS6Frame.h"
#include "agent/model/CNS6Page.h"
#include "platform/win32/WinUser.h"
#include "platform/xpcom/dom/nsIDOMDocument.h"
#include "platform/xpcom/dom/nsIDOMElement.h"
#include "platform/xpcom/dom/nsIDOMXULElement.h"
#include "platform/xpcom/nsCOMPtr.h"
#include "platform/xpcom/nsError.h"
#include "platform/xpcom/shell/nsIPresShell.h"

#include <cmath>
#include <optional>

namespace {

std::optional<RECT> FrameRect(CWebObj& frame) {
    CWebVariantList value;
    frame.GetProperty("rect", value);
    if (value.GetType() != WebVariantType::Rect || value.IsEmpty()) {
        return std::nullopt;
    }
    return value.GetAt(0)->GetRect();
}

RECT MovedBy(RECT rect, const RECT& origin) {
    rect.left += origin.left;
    rect.right += origin.left;
    rect.top += origin.top;
    rect.bottom += origin.top;
    return rect;
}

bool IsInside(const RECT& inner, const RECT& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

bool IsElement(nsIDOMNode* node) {
    PRUint16 type = 0;
    return node != nullptr && NS_SUCCEEDED(node->GetNodeType(&type)) &&
           type == nsIDOMNode::ELEMENT_NODE;
}

// The page that holds every frame object of the owning frame's window.
CNS6Page* PageOf(CWebObj& ownerFrame) {
    if (auto* page = dynamic_cast<CNS6Page*>(&ownerFrame)) {
        return page;
    }
    return dynamic_cast<CNS6Page*>(ownerFrame.GetParent().Get());
}

CWebObjRef FrameOfDocument(CNS6Page& page, nsIDOMNode* node) {
    nsCOMPtr<nsIDOMDocument> document;
    if (NS_FAILED(node->GetOwnerDocument(getter_AddRefs(document))) || !document) {
        return {};
    }
    return page.FindFrameByDocument(document.get());
}

// Scrolls a division's own scrolling view by (dx, dy) pixels; skipped when
// the division has no such view or its position cannot be read.
void ScrollDivisionBy(nsIDOMNode* division, int32_t dx, int32_t dy) {
    nsCOMPtr<nsIDOMDocument> document;
    division->GetOwnerDocument(getter_AddRefs(document));
    nsCOMPtr<nsIPresShell> shell = NS_GetFirstPresShell(document.get());
    nsCOMPtr<nsIPresContext> context;
    nsCOMPtr<nsIFrame> frame;
    nsCOMPtr<nsIView> view;
    if (!shell || NS_FAILED(shell->GetPresContext(getter_AddRefs(context))) || !context ||
        NS_FAILED(shell->GetPrimaryFrameFor(division, getter_AddRefs(frame))) || !frame ||
        NS_FAILED(frame->GetView(getter_AddRefs(view))) || !view) {
        return;
    }
    nsCOMPtr<nsIScrollableView> scrolling = do_QueryInterface(view.get());
    // A division without a scrolling area of its own answers the window's
    // view; the window is scrolled as a frame, not here.
    nsCOMPtr<nsIViewManager> manager;
    nsCOMPtr<nsIScrollableView> root;
    if (scrolling && NS_SUCCEEDED(shell->GetViewManager(getter_AddRefs(manager))) && manager &&
        NS_SUCCEEDED(manager->GetRootScrollableView(getter_AddRefs(root))) &&
        SameCOMIdentity(root.get(), scrolling.get())) {
        return;
    }
    float pixelsToTwips = 0;
    nscoord x = 0;
    nscoord y = 0;
    if (!scrolling || NS_FAILED(context->GetPixelsToTwips(&pixelsToTwips)) ||
        NS_FAILED(scrolling->GetScrollPosition(&x, &y))) {
        return;
    }
    const auto toTwips = [&](int32_t pixels) {
        return static_cast<nscoord>(std::lround(static_cast<double>(pixels) * pixelsToTwips));
    };
    scrolling->ScrollTo(x + toTwips(dx), y + toTwips(dy), NS_VMREFRESH_NO_SYNC);
}

void ScrollFrameBy(CWebObj& frame, int32_t dx, int32_t dy) {
    CWebInfo scroll;
    CWebVariantList pos;
    pos.SetPair(dx, dy);
    scroll.SetAttr("pos", pos);
    frame.CallMethod("ScrollFrameByPoint", scroll);
}

} // namespace

nsresult ScrollNodeIntoView(nsIDOMNode* node, const CWebObjRef& ownerFrame, POINT point,
                            const NodeRectReader& rectOf) {
    if (nsCOMPtr<nsIDOMXULElement> xul = do_QueryInterface(node)) {
        return NS_OK;
    }
    CWebObj* owner = ownerFrame.Get();
    if (owner == nullptr || node == nullptr) {
        return E_FAIL;
    }
    std::optional<RECT> frameRect = FrameRect(*owner);
    if (!frameRect) {
        return E_FAIL;
    }
    // Every frame object is held while others scroll: a scroll runs the
    // pages' scroll handlers.
    CWebObjRef keepOwner = ownerFrame;
    CNS6Page* page = PageOf(*owner);
    CWebObjRef keepPage(page);
    CWebObjRef currentFrame = ownerFrame;
    RECT currentFrameRect = *frameRect;

    const auto elementRect = [&]() -> std::optional<RECT> {
        CWebObj* live = keepOwner.Get();
        std::optional<RECT> origin = live != nullptr ? FrameRect(*live) : std::nullopt;
        if (!origin) {
            return std::nullopt;
        }
        RECT rect{};
        if (!rectOf(node, rect)) {
            rect = RECT{};
        }
        return MovedBy(rect, *origin);
    };
    std::optional<RECT> element = elementRect();

    nsCOMPtr<nsIDOMNode> current = node;
    while (currentFrame.IsValid() && element) {
        nsCOMPtr<nsIDOMNode> parent;
        if (NS_FAILED(current->GetParentNode(getter_AddRefs(parent))) || !parent) {
            break;
        }
        bool crossing = false;
        CWebObjRef innerFrame;
        if (!IsElement(parent.get())) {
            // The top of a document: go on at the FRAME or IFRAME element
            // that shows it in the enclosing document.
            CWebObjRef shown = page != nullptr && keepPage.IsValid()
                                   ? FrameOfDocument(*page, current.get())
                                   : CWebObjRef();
            auto* shownFrame = dynamic_cast<CNS6Frame*>(shown.Get());
            if (shownFrame == nullptr) {
                break;
            }
            nsCOMPtr<nsIDOMElement> frameElement = shownFrame->GetFrameElement();
            if (!frameElement) {
                // The top document has no frame element, but its window is
                // a container too: an element below its visible part must
                // still come into view, or the tool would click outside.
                if (shownFrame->IsPage() && !IsInside(*element, currentFrameRect)) {
                    ScrollFrameBy(*shownFrame, element->left + point.x - currentFrameRect.left,
                                  element->top + point.y - currentFrameRect.top);
                }
                break;
            }
            parent = do_QueryInterface(frameElement.get());
            innerFrame = currentFrame;
            crossing = true;
        }
        current = parent;
        if (!crossing && GetTagName(current.get()) != "DIV") {
            continue;
        }

        RECT container{};
        if (crossing) {
            container = currentFrameRect;
            currentFrame = page != nullptr && keepPage.IsValid()
                               ? FrameOfDocument(*page, current.get())
                               : CWebObjRef();
            CWebObj* enclosing = currentFrame.Get();
            if (enclosing == nullptr) {
                return E_FAIL;
            }
            std::optional<RECT> rect = FrameRect(*enclosing);
            if (!rect) {
                return E_FAIL;
            }
            currentFrameRect = *rect;
        } else {
            RECT division{};
            if (!rectOf(current.get(), division)) {
                continue;
            }
            container = MovedBy(division, currentFrameRect);
        }

        if (!IsInside(*element, container)) {
            const int32_t dx = element->left + point.x - container.left;
            const int32_t dy = element->top + point.y - container.top;
            if (crossing) {
                if (CWebObj* inner = innerFrame.Get()) {
                    ScrollFrameBy(*inner, dx, dy);
                }
            } else {
                ScrollDivisionBy(current.get(), dx, dy);
            }
            element = elementRect();
            if (!element) {
                return E_FAIL;
            }
        }
        if (!IsElement(current.get())) {
            break;
        }
    }
    return NS_OK;
}

namespace {

// Where the owning frame's visible area starts on the screen: its "pos" when
// it reports one, else the top-left corner of its "rect". Frames report no
// "pos", and without their offset a click would land off the element.
std::optional<POINT> FrameOrigin(CWebObj& frame) {
    CWebVariantList pos;
    frame.GetProperty("pos", pos);
    if (pos.GetType() == WebVariantType::Pair && !pos.IsEmpty()) {
        return POINT{pos.GetAt(0)->GetPairFirst(), pos.GetAt(0)->GetPairSecond()};
    }
    if (std::optional<RECT> rect = FrameRect(frame)) {
        return POINT{rect->left, rect->top};
    }
    return std::nullopt;
}

} // namespace

void MakeNodeVisible(nsIDOMNode* node, const CWebObjRef& ownerFrame, CWebInfo& record,
                     const NodeRectReader& rectOf) {
    const std::pair<int32_t, int32_t> requested =
        PairArg(record, "point").value_or(std::pair{0, 0});
    const POINT point{requested.first, requested.second};
    auto* frame = dynamic_cast<CNS6Frame*>(ownerFrame.Get());
    record.SetAttr("handle", CWebVariantList(CWebVariant(frame ? frame->GetWindowValue() : 0)));

    const nsresult scrolled = ScrollNodeIntoView(node, ownerFrame, point, rectOf);
    if (NS_FAILED(scrolled)) {
        record.SetRetValue(scrolled);
        return;
    }
    RECT rect{};
    if (!rectOf(node, rect)) {
        rect = RECT{};
    }
    POINT pos{point.x + rect.left, point.y + rect.top};
    if (CWebObj* owner = ownerFrame.Get()) {
        if (std::optional<POINT> origin = FrameOrigin(*owner)) {
            pos.x += origin->x;
            pos.y += origin->y;
            rect = MovedBy(rect, RECT{origin->x, origin->y, origin->x, origin->y});
        }
    }
    CWebVariantList posValue;
    posValue.SetPair(pos.x, pos.y);
    record.SetAttr("pos", posValue);
    record.SetAttr("rect", CWebVariantList(CWebVariant(rect)));
    record.SetRetValue(NS_OK);
}

bool IsOwnerWindowDisabled(const CWebObjRef& ownerFrame) {
    auto* frame = dynamic_cast<CNS6Frame*>(ownerFrame.Get());
    if (frame == nullptr) {
        return false;
    }
    HWND top = GetNonChildAncestor(frame->GetWindow());
    return top != nullptr && (static_cast<DWORD>(GetWindowLong(top, GWL_STYLE)) & WS_DISABLED) != 0;
}
