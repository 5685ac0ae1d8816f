#include "agent/elements/CNS6Obj.h"

#include "agent/classutil/ClassUtilities.h"
#include "agent/common/DomHelpers.h"
#include "agent/common/IAgentContext.h"
#include "agent/elements/ElementClasses.h"
#include "agent/elements/LayoutTreeBuilder.h"
#include "agent/elements/internal/DomTree.h"
#include "agent/model/CNS6Frame.h"
#include "agent/model/CNS6Page.h"
#include "platform/xpcom/dom/nsIDOMCSS.h"
#include "platform/xpcom/dom/nsIDOMDocument.h"
#include "platform/xpcom/dom/nsIDOMElement.h"
#include "platform/xpcom/dom/nsIDOMHTMLElements.h"
#include "platform/xpcom/dom/nsIDOMHostService.h"
#include "platform/xpcom/dom/nsIDOMXULElement.h"
#include "platform/xpcom/nsXPCOM.h"
#include "platform/xpcom/shell/nsIPresShell.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

using element_internal::IsElementNode;
using element_internal::OwnerDocumentOf;
using element_internal::ParentOf;

constexpr std::array<std::string_view, CNS6Obj::kPropertyCount> kElementProperties = {
    "class",      "name",        "tag_name",   "rect",        "pos",        "width",
    "height",     "parent",      "child",      "screen_rect", "class_name", "inner_text",
    "outer_text", "inner_html",  "outer_html", "html_id",     "IsIgnored",  "color",
    "bgcolor",    "class_index", "visible",    "focused"};

enum ElementProperty : int {
    kClass,
    kName,
    kTagName,
    kRect,
    kPos,
    kWidth,
    kHeight,
    kParent,
    kChild,
    kScreenRect,
    kClassName,
    kInnerText,
    kOuterText,
    kInnerHtml,
    kOuterHtml,
    kHtmlId,
    kIsIgnored,
    kColor,
    kBgColor,
    kClassIndex,
    kVisible,
    kFocused,
};

constexpr std::string_view kAttributePrefix = "attribute/";
// The colour of text when nothing on the page sets one.
constexpr std::string_view kDefaultColor = "#0000ff";

nsCOMPtr<nsIDOMHostService> HostServiceFor(nsIDOMNode* node) {
    nsCOMPtr<nsIDOMHostService> host = do_GetService(nsIDOMHostService::kContractID);
    if (host) {
        return host;
    }
    nsCOMPtr<nsIDOMDocumentInternal> internal = do_QueryInterface(OwnerDocumentOf(node));
    if (internal && NS_FAILED(internal->GetHostService(getter_AddRefs(host)))) {
        return nullptr;
    }
    return host;
}

void ReplaceNoBreakSpaces(std::string& text) {
    for (char& c : text) {
        if (static_cast<unsigned char>(c) == 0xA0) {
            c = ' ';
        }
    }
}

std::string UpperAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return text;
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           EqualsIgnoringCase(text.substr(0, prefix.size()), prefix);
}

// A scroll offset of the layout in whole pixels.
int32_t ToWholePixels(nscoord value, float twipsToPixels) {
    return static_cast<int32_t>(std::lround(static_cast<double>(value) * twipsToPixels));
}

// The scroll offset of a division that scrolls itself. A division without a
// scrollable area of its own has none: its view is the window's, whose
// offset is the frame's scroll, counted elsewhere.
std::optional<POINT> DivisionScroll(nsIDOMNode* division) {
    nsCOMPtr<nsIPresShell> shell = NS_GetFirstPresShell(OwnerDocumentOf(division).get());
    nsCOMPtr<nsIFrame> frame;
    nsCOMPtr<nsIView> view;
    if (!shell || NS_FAILED(shell->GetPrimaryFrameFor(division, getter_AddRefs(frame))) || !frame ||
        NS_FAILED(frame->GetView(getter_AddRefs(view))) || !view) {
        return std::nullopt;
    }
    nsCOMPtr<nsIScrollableView> scrollable = do_QueryInterface(view);
    if (!scrollable) {
        return std::nullopt;
    }
    nsCOMPtr<nsIViewManager> manager;
    nsCOMPtr<nsIScrollableView> root;
    if (NS_SUCCEEDED(shell->GetViewManager(getter_AddRefs(manager))) && manager &&
        NS_SUCCEEDED(manager->GetRootScrollableView(getter_AddRefs(root))) && root &&
        SameCOMIdentity(root, scrollable)) {
        return std::nullopt;
    }
    nscoord x = 0;
    nscoord y = 0;
    nsCOMPtr<nsIPresContext> context;
    float factor = 0;
    if (NS_FAILED(scrollable->GetScrollPosition(&x, &y)) ||
        NS_FAILED(shell->GetPresContext(getter_AddRefs(context))) || !context ||
        NS_FAILED(context->GetTwipsToPixels(&factor))) {
        return std::nullopt;
    }
    return POINT{ToWholePixels(x, factor), ToWholePixels(y, factor)};
}

nsCOMPtr<nsIDOMNode> OffsetParentOf(nsIDOMNode* node) {
    nsCOMPtr<nsIDOMNSHTMLElement> html = do_QueryInterface(node);
    nsCOMPtr<nsIDOMElement> parent;
    if (!html || NS_FAILED(html->GetOffsetParent(getter_AddRefs(parent))) || !parent) {
        return nullptr;
    }
    nsCOMPtr<nsIDOMNode> parentNode = do_QueryInterface(parent);
    return IsElementNode(parentNode.get()) ? parentNode : nullptr;
}

// The scroll position of a frame's window; nothing when it cannot be read.
std::optional<POINT> FrameScroll(CNS6Frame* frame) {
    PRInt32 x = 0;
    PRInt32 y = 0;
    if (frame == nullptr || frame->GetDomWindow() == nullptr ||
        NS_FAILED(frame->GetDomWindow()->GetScrollX(&x)) ||
        NS_FAILED(frame->GetDomWindow()->GetScrollY(&y))) {
        return std::nullopt;
    }
    return POINT{x, y};
}

// A guard against offset parent chains that loop.
constexpr int kMaxOffsetParents = 4096;

} // namespace

int32_t GetDomNodeIdentity(nsIDOMNode* node) {
    if (node == nullptr) {
        return 0;
    }
    nsCOMPtr<nsIDOMHostService> host = HostServiceFor(node);
    PRUint32 identity = 0;
    if (!host || NS_FAILED(host->GetNodeIdentity(node, &identity)) || identity > INT32_MAX) {
        return 0;
    }
    return static_cast<int32_t>(identity);
}

CNS6Obj::CNS6Obj(nsIDOMNode* node, const CWebObjRef& owningFrame)
    : CWebObj(node, owningFrame), m_Element(node) {
    SetUtil(&GetClassUtilities().object);
    if (owningFrame) {
        SetContext(owningFrame->GetContext());
    }
    if (node != nullptr && owningFrame) {
        CWebRunTimeID id = owningFrame->RunTimeID();
        id.SetThird(GetDomNodeIdentity(node));
        SetId(id);
    }
    MarkRefcounted();
}

CNS6Frame* CNS6Obj::OwnerFrame() const {
    // The base's parent is the owning frame, reached through its revocable
    // link: null once the frame is gone.
    return dynamic_cast<CNS6Frame*>(const_cast<CNS6Obj*>(this)->CWebObj::GetParent().Get());
}

CLayoutTreeBuilder* CNS6Obj::Builder() const {
    IAgentContext* context = OwnerFrame() != nullptr ? GetContext() : nullptr;
    return context != nullptr ? context->GetLayoutBuilder() : nullptr;
}

CWebObjRef CNS6Obj::ObjectFor(nsIDOMNode* node, uint32_t flags) const {
    CLayoutTreeBuilder* builder = Builder();
    if (builder == nullptr) {
        return {};
    }
    return builder->ObjectForNode(node, CWebObjRef(OwnerFrame()), flags, MapImage::Disallow);
}

CWebObjRef CNS6Obj::GetOwnerFrame() {
    return CWebObjRef(OwnerFrame());
}

bool CNS6Obj::HasAttributeValue(std::string_view name) {
    return HasNonEmptyAttribute(m_Element.get(), name);
}

std::string CNS6Obj::ElementText() const {
    std::string text;
    if (!GetNodeText(m_Element.get(), text, TextFlag::Element)) {
        text.clear();
    }
    return text;
}

std::string CNS6Obj::CleanedText() const {
    std::string text = ElementText();
    ReplaceNoBreakSpaces(text);
    CWebObjUtil::CleanText(text, false);
    return text;
}

bool CNS6Obj::IsBelow(nsIDOMNode* node) const {
    if (!m_Element || node == nullptr) {
        return false;
    }
    for (nsCOMPtr<nsIDOMNode> above = ParentOf(node); above; above = ParentOf(above.get())) {
        if (above.get() == m_Element.get()) {
            return true;
        }
    }
    return false;
}

CWebObjRef CNS6Obj::GetParent() {
    if (!m_Element) {
        return {};
    }
    for (nsCOMPtr<nsIDOMNode> above = ParentOf(m_Element.get()); IsElementNode(above.get());
         above = ParentOf(above.get())) {
        if (CWebObjRef object = ObjectFor(above.get(), kSpecificObjects)) {
            return object;
        }
    }
    return GetOwnerFrame();
}

bool CNS6Obj::CollectChildren(std::vector<CWebObjRef>& out, int32_t flags) {
    if (!m_Element) {
        return false;
    }
    // Depth-first over the element children, descending only through
    // elements whose object the flags do not select; kept on an explicit
    // stack so that deep pages cannot exhaust the thread's stack.
    std::vector<nsCOMPtr<nsIDOMNode>> pending;
    auto pushChildrenReversed = [&pending](nsIDOMNode* node) {
        nsCOMPtr<nsIDOMNode> child;
        node->GetLastChild(getter_AddRefs(child));
        while (child) {
            if (IsElementNode(child.get())) {
                pending.push_back(child);
            }
            nsCOMPtr<nsIDOMNode> previous;
            child->GetPreviousSibling(getter_AddRefs(previous));
            child = previous;
        }
    };
    pushChildrenReversed(m_Element.get());
    while (!pending.empty()) {
        nsCOMPtr<nsIDOMNode> child = std::move(pending.back());
        pending.pop_back();
        CWebObjRef object = ObjectFor(child.get(), 0);
        if (!object) {
            continue;
        }
        if (object->RunTimeID().MatchesChildFilter(flags)) {
            out.push_back(std::move(object));
        } else {
            pushChildrenReversed(child.get());
        }
    }
    return true;
}

int CNS6Obj::GetChildCount() {
    std::vector<CWebObjRef> children;
    CollectChildren(children, kChildFilterOrdinary);
    return static_cast<int>(children.size());
}

CWebObjRef CNS6Obj::GetChild(int position) {
    std::vector<CWebObjRef> children;
    CollectChildren(children, kChildFilterOrdinary);
    if (position < 1 || static_cast<size_t>(position) > children.size()) {
        return {};
    }
    return children[static_cast<size_t>(position - 1)];
}

bool CNS6Obj::CollectDescendants(std::vector<CWebObjRef>& out, int32_t flags) {
    CLayoutTreeBuilder* builder = Builder();
    if (!m_Element || builder == nullptr) {
        return false;
    }
    return builder->CollectElementObjects(m_Element.get(), CWebObjRef(OwnerFrame()), out,
                                          static_cast<uint32_t>(flags));
}

// Whether the found node lies below this one is told by walking up from it,
// which costs the depth of the page instead of the size of this subtree.
CWebObjRef CNS6Obj::FindDescendant(const CWebRunTimeID& id) {
    CNS6Frame* frame = OwnerFrame();
    if (frame == nullptr) {
        return {};
    }
    CWebObjRef found = frame->FindDescendant(id);
    auto* element = dynamic_cast<CNS6Obj*>(found.Get());
    if (element == nullptr || !IsBelow(element->GetElementNode())) {
        return {};
    }
    return found;
}

CWebObjRef CNS6Obj::GetChildById(const CWebRunTimeID& id) {
    CWebObjRef found = FindDescendant(id);
    auto* element = dynamic_cast<CNS6Obj*>(found.Get());
    if (element == nullptr || ParentOf(element->GetElementNode()).get() != m_Element.get()) {
        return {};
    }
    return found;
}

bool CNS6Obj::GetPropertyAt(std::string& name, CWebVariantList& value, int position) {
    if (!m_Element) {
        return false;
    }
    int index = 0;
    if (position < 0) {
        auto it = std::find(kElementProperties.begin(), kElementProperties.end(), name);
        if (it == kElementProperties.end()) {
            return GetAttributeProperty(name, value);
        }
        index = static_cast<int>(it - kElementProperties.begin());
    } else if (position < kPropertyCount) {
        index = position;
        name = kElementProperties[static_cast<size_t>(index)];
    } else {
        return false;
    }
    return GetElementPropertyAt(index, value);
}

bool CNS6Obj::GetAttributeProperty(std::string_view name, CWebVariantList& value) {
    if (!StartsWithIgnoringCase(name, kAttributePrefix)) {
        return false;
    }
    std::string_view attribute = name.substr(kAttributePrefix.size());
    if (attribute.empty()) {
        return false;
    }
    value.Clear();
    value.Set(std::string_view(GetAttributeText(m_Element.get(), attribute)));
    return true;
}

bool CNS6Obj::GetElementPropertyAt(int index, CWebVariantList& value) {
    nsIDOMNode* node = m_Element.get();
    nsCOMPtr<nsIDOMNSHTMLElement> html = do_QueryInterface(node);
    switch (index) {
    case kClass:
        value.Clear();
        GetUtil()->GetClassNames(value);
        return true;
    case kName: {
        std::string text = ElementText();
        ReplaceNoBreakSpaces(text);
        CWebObjUtil::CleanText(text, true);
        CWebObjUtil::TrimText(text);
        value.Clear();
        value.Set(std::string_view(text));
        return true;
    }
    case kTagName:
        value.Clear();
        value.Set(std::string_view(UpperAscii(GetTagName(node))));
        return true;
    case kRect: {
        RECT rect{};
        value.Clear();
        if (GetRect(node, rect)) {
            value.Set(rect);
        }
        return true;
    }
    case kPos: {
        RECT rect{};
        if (!GetRect(node, rect)) {
            rect = RECT{};
        }
        value.Clear();
        value.SetPair(rect.left, rect.top);
        return true;
    }
    case kWidth:
    case kHeight: {
        PRInt32 size = 0;
        value.Clear();
        if (html && NS_SUCCEEDED(index == kWidth ? html->GetOffsetWidth(&size)
                                                 : html->GetOffsetHeight(&size))) {
            value.Set(static_cast<int32_t>(size));
        }
        return true;
    }
    case kParent: {
        CWebObjRef parent = GetParent();
        value.Clear();
        if (parent) {
            value.Set(parent->RunTimeID());
        }
        return true;
    }
    case kChild: {
        CWebObjRef child = GetChildByValue(value);
        value.Clear();
        if (child) {
            value.Set(child->RunTimeID());
        }
        return true;
    }
    case kScreenRect: {
        RECT rect{};
        if (!GetRect(node, rect)) {
            rect = RECT{};
        }
        value.Clear();
        CWebObjRef frame = GetOwnerFrame();
        if (!frame) {
            return true;
        }
        CWebVariantList frameRect;
        if (frame->GetProperty("rect", frameRect) && frameRect.GetType() == WebVariantType::Rect &&
            !frameRect.IsEmpty()) {
            const RECT outer = frameRect.GetAt(0)->GetRect();
            rect.left += outer.left;
            rect.right += outer.left;
            rect.top += outer.top;
            rect.bottom += outer.top;
        }
        value.Set(rect);
        return true;
    }
    case kClassName:
        value.Clear();
        value.Set(std::string_view(GetAttributeText(node, "class")));
        return true;
    case kInnerText: {
        std::string text = ElementText();
        ReplaceNoBreakSpaces(text);
        CWebObjUtil::TrimText(text);
        value.Clear();
        value.Set(std::string_view(text));
        return true;
    }
    case kOuterText:
        value.Clear();
        value.Set(std::string_view(ElementText()));
        return true;
    case kInnerHtml: {
        nsString inner;
        value.Clear();
        if (html && NS_SUCCEEDED(html->GetInnerHTML(inner))) {
            value.Set(std::string_view(ToNarrow(inner)));
        }
        return true;
    }
    case kOuterHtml:
        // Not offered: a full listing of the properties ends before it.
        return false;
    case kHtmlId:
        value.Clear();
        value.Set(std::string_view(GetAttributeText(node, "id")));
        return true;
    case kIsIgnored:
        value.Clear();
        value.Set(1);
        return true;
    case kColor:
        value.Clear();
        value.Set(std::string_view(ColorLookup("color")));
        return true;
    case kBgColor:
        value.Clear();
        value.Set(std::string_view(ColorLookup("bgcolor")));
        return true;
    case kClassIndex: {
        CWebVariantList classes;
        std::string className = "class";
        GetPropertyAt(className, classes, -1);
        value.Clear();
        const CWebVariant* first = classes.GetAt(0);
        if (classes.GetType() == WebVariantType::String && first != nullptr) {
            value.Set(GetUtil()->GetClassIndex(first->GetString(), RunTimeID()));
        }
        return true;
    }
    case kVisible:
        value.Clear();
        value.Set(HasNonEmptyAttribute(node, "hidden") ? 0 : 1);
        return true;
    case kFocused:
        value.Clear();
        value.Set(IsFocused() ? 1 : 0);
        return true;
    default:
        return false;
    }
}

std::string CNS6Obj::ColorLookup(std::string_view attribute) {
    const nsString hostName = ToHostString(attribute);
    for (nsCOMPtr<nsIDOMNode> current = m_Element; current; current = ParentOf(current.get())) {
        std::string found = GetAttributeText(current.get(), attribute);
        if (found.empty()) {
            nsCOMPtr<nsIDOMElementCSSInlineStyle> inline_ = do_QueryInterface(current);
            nsCOMPtr<nsIDOMCSSStyleDeclaration> style;
            nsString styleValue;
            if (inline_ && NS_SUCCEEDED(inline_->GetStyle(getter_AddRefs(style))) && style &&
                NS_SUCCEEDED(style->GetPropertyValue(hostName, styleValue))) {
                found = ToNarrow(styleValue);
            }
        }
        if (!found.empty()) {
            return found;
        }
    }
    std::string found;
    nsCOMPtr<nsIDOMNSHTMLDocument> document = do_QueryInterface(OwnerDocumentOf(m_Element.get()));
    nsString documentColor;
    if (document && NS_SUCCEEDED(attribute == "color" ? document->GetLinkColor(documentColor)
                                                      : document->GetBgColor(documentColor))) {
        found = ToNarrow(documentColor);
    }
    if (found.empty() && attribute == "color") {
        found = kDefaultColor;
    }
    return found;
}

bool CNS6Obj::IsFocused() {
    nsCOMPtr<nsIPresShell> shell = NS_GetFirstPresShell(OwnerDocumentOf(m_Element.get()).get());
    nsCOMPtr<nsIPresContext> context;
    nsCOMPtr<nsIEventStateManager> manager;
    PRInt32 state = 0;
    return shell && NS_SUCCEEDED(shell->GetPresContext(getter_AddRefs(context))) && context &&
           NS_SUCCEEDED(context->GetEventStateManager(getter_AddRefs(manager))) && manager &&
           NS_SUCCEEDED(manager->GetContentState(m_Element.get(), &state)) &&
           (state & NS_EVENT_STATE_FOCUS) != 0;
}

CNS6Frame* CNS6Obj::FrameOfElement() const {
    CNS6Frame* frame = OwnerFrame();
    if (frame == nullptr) {
        return nullptr;
    }
    nsCOMPtr<nsIDOMDocument> document = OwnerDocumentOf(m_Element.get());
    if (!document || IsSameHostObject(frame->GetDocument().get(), document.get())) {
        return frame;
    }
    // An element of another document of the same window: the frame object
    // of that document, found through the page.
    CNS6Page* page = dynamic_cast<CNS6Page*>(frame);
    if (page == nullptr) {
        page = dynamic_cast<CNS6Page*>(frame->GetParent().Get());
    }
    if (page == nullptr) {
        return frame;
    }
    return dynamic_cast<CNS6Frame*>(page->FindFrameByDocument(document.get()).Get());
}

bool CNS6Obj::GetRect(nsIDOMNode* node, RECT& rect) {
    if (nsCOMPtr<nsIDOMXULElement> xul = do_QueryInterface(node)) {
        return GetXulRect(node, rect);
    }
    nsCOMPtr<nsIDOMNSHTMLElement> html = do_QueryInterface(node);
    if (!html) {
        return false;
    }
    int32_t borderTop = 0;
    int32_t borderLeft = 0;
    int32_t divisionX = 0;
    int32_t divisionY = 0;
    int32_t offsetX = 0;
    int32_t offsetY = 0;
    int steps = 0;
    for (nsCOMPtr<nsIDOMNode> above = OffsetParentOf(node); above && steps < kMaxOffsetParents;
         above = OffsetParentOf(above.get()), ++steps) {
        std::string tag = GetTagName(above.get());
        if (EqualsIgnoringCase(tag, "BODY")) {
            float width = 0;
            if (NS_SUCCEEDED(GetStyleNumber(above.get(), "border-top-width",
                                            nsIDOMCSSPrimitiveValue::CSS_PX, &width))) {
                borderTop = static_cast<int32_t>(width);
            }
            if (NS_SUCCEEDED(GetStyleNumber(above.get(), "border-left-width",
                                            nsIDOMCSSPrimitiveValue::CSS_PX, &width))) {
                borderLeft = static_cast<int32_t>(width);
            }
        } else if (EqualsIgnoringCase(tag, "DIV")) {
            if (std::optional<POINT> scroll = DivisionScroll(above.get())) {
                divisionX += scroll->x;
                divisionY += scroll->y;
            }
        }
        nsCOMPtr<nsIDOMNSHTMLElement> parent = do_QueryInterface(above);
        PRInt32 top = 0;
        PRInt32 left = 0;
        if (parent && NS_SUCCEEDED(parent->GetOffsetTop(&top))) {
            offsetY += top;
        }
        if (parent && NS_SUCCEEDED(parent->GetOffsetLeft(&left))) {
            offsetX += left;
        }
    }
    std::optional<POINT> scroll = FrameScroll(FrameOfElement());
    if (!scroll) {
        return false;
    }
    PRInt32 top = 0;
    PRInt32 left = 0;
    PRInt32 width = 0;
    PRInt32 height = 0;
    html->GetOffsetTop(&top);
    html->GetOffsetLeft(&left);
    html->GetOffsetWidth(&width);
    html->GetOffsetHeight(&height);
    rect.top = top + offsetY + borderTop - scroll->y - divisionY;
    rect.left = left + offsetX + borderLeft - scroll->x - divisionX;
    rect.bottom = rect.top + height;
    rect.right = rect.left + width;
    return true;
}

bool CNS6Obj::GetXulRect(nsIDOMNode* node, RECT& rect) {
    nsCOMPtr<nsIDOMXULElement> xul = do_QueryInterface(node);
    nsCOMPtr<nsIBoxObject> box;
    if (!xul || NS_FAILED(xul->GetBoxObject(getter_AddRefs(box))) || !box) {
        return false;
    }
    PRInt32 x = 0;
    PRInt32 y = 0;
    PRInt32 width = 0;
    PRInt32 height = 0;
    box->GetX(&x);
    box->GetY(&y);
    box->GetWidth(&width);
    if (NS_FAILED(box->GetHeight(&height))) {
        return false;
    }
    std::optional<POINT> scroll = FrameScroll(OwnerFrame());
    if (!scroll) {
        return false;
    }
    rect.left = x - scroll->x;
    rect.top = y - scroll->y;
    rect.right = rect.left + width;
    rect.bottom = rect.top + height;
    return true;
}
