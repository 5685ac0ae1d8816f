#include "agent/elements/CNS6Image.h"

#include "agent/classutil/ClassUtilities.h"
#include "agent/common/DomHelpers.h"
#include "agent/elements/CNS6Link.h"
#include "agent/elements/ElementClasses.h"
#include "agent/elements/internal/DomTree.h"
#include "agent/elements/internal/LinkImageHelpers.h"
#include "agent/elements/internal/PropertyTable.h"
#include "platform/xpcom/dom/nsIDOMHTMLElements.h"
#include "platform/xpcom/nsXPCOM.h"
#include "platform/xpcom/shell/nsINetwork.h"
#include "platform/xpcom/shell/nsIPresShell.h"

#include <cstdio>

using element_internal::AskPrimaryThenSecond;
using element_internal::BaseAddressOf;
using element_internal::EnclosingLinkElement;
using element_internal::FindProperty;
using element_internal::LastPathPart;
using element_internal::OwnerDocumentOf;
using element_internal::ParentOf;
using element_internal::ResolveAddress;
using element_internal::TableHit;

namespace {

constexpr std::array<std::string_view, CNS6Image::kOwnPropertyCount> kImageProperties = {
    "name", "alt", "src", "filename", "type", "IsIgnored", "data", "element_name"};
constexpr std::array<std::string_view, CNS6ImageLink::kOwnPropertyCount> kImageLinkProperties = {
    "type"};
constexpr std::array<std::string_view, CNS6ImageButton::kOwnPropertyCount> kImageButtonProperties =
    {"type", "alt", "src", "file_name"};

constexpr std::string_view kDefaultImageName = "image";

// The file name of a source: the text after the last "/", else after the
// last "\", else the whole source.
std::string FileNamePart(std::string_view source) {
    size_t slash = source.rfind('/');
    if (slash == std::string_view::npos) {
        slash = source.rfind('\\');
    }
    return std::string(slash == std::string_view::npos ? source : source.substr(slash + 1));
}

// A string read through one of the host's getters; nothing when it fails.
template <typename Getter> std::optional<std::string> ReadString(Getter getter) {
    nsString text;
    if (NS_FAILED(getter(text))) {
        return std::nullopt;
    }
    return ToNarrow(text);
}

// The name from a first and a second choice, each reduced to its last path
// part.
std::string NameFrom(const std::optional<std::string>& first,
                     const std::optional<std::string>& second) {
    std::string name;
    if (first && !first->empty()) {
        name = LastPathPart(*first);
    }
    if (name.empty() && second && !second->empty()) {
        name = LastPathPart(*second);
    }
    return name;
}

void SetText(CWebVariantList& value, std::string_view text) {
    value.Clear();
    value.Set(text);
}

} // namespace

// ---------------------------------------------------------------------------
// CNS6Image

CNS6Image::CNS6Image(nsIDOMNode* node, const CWebObjRef& owningFrame) : CNS6Obj(node, owningFrame) {
    SetUtil(&GetClassUtilities().image);
}

std::string CNS6Image::GetImageName() {
    nsIDOMNode* node = GetElementNode();
    if (nsCOMPtr<nsIDOMHTMLImageElement> image = do_QueryInterface(node)) {
        return NameFrom(ReadString([&](nsString& s) { return image->GetAlt(s); }),
                        ReadString([&](nsString& s) { return image->GetSrc(s); }));
    }
    if (nsCOMPtr<nsIDOMHTMLInputElement> input = do_QueryInterface(node)) {
        return NameFrom(ReadString([&](nsString& s) { return input->GetName(s); }),
                        ReadString([&](nsString& s) { return input->GetSrc(s); }));
    }
    if (nsCOMPtr<nsIDOMHTMLAreaElement> area = do_QueryInterface(node)) {
        return NameFrom(ReadString([&](nsString& s) { return area->GetAlt(s); }),
                        ReadString([&](nsString& s) { return area->GetHref(s); }));
    }
    return {};
}

int32_t CNS6Image::GetImageKind() {
    nsCOMPtr<nsIDOMHTMLImageElement> image = do_QueryInterface(GetElementNode());
    if (!image) {
        return static_cast<int32_t>(ImageKind::PlainImage);
    }
    PRBool serverSide = PR_FALSE;
    image->GetIsMap(&serverSide);
    std::string useMap = ReadString([&](nsString& s) { return image->GetUseMap(s); }).value_or("");
    if (serverSide && !useMap.empty()) {
        return static_cast<int32_t>(ImageKind::ClientAndServerSideImageMap);
    }
    if (serverSide) {
        return static_cast<int32_t>(ImageKind::ServerSideImageMap);
    }
    return static_cast<int32_t>(useMap.empty() ? ImageKind::PlainImage
                                               : ImageKind::ClientSideImageMap);
}

bool CNS6Image::GetPropertyAt(std::string& name, CWebVariantList& value, int position) {
    TableHit hit = FindProperty(kImageProperties, name, position);
    if (hit.index < 0) {
        return CNS6Obj::GetPropertyAt(name, value, hit.passOn);
    }
    return GetImagePropertyAt(hit.index, value);
}

bool CNS6Image::GetImagePropertyAt(int index, CWebVariantList& value) {
    nsCOMPtr<nsIDOMHTMLImageElement> image = do_QueryInterface(GetElementNode());
    auto read = [&](auto getter) -> std::string {
        if (!image) {
            return {};
        }
        return ReadString([&](nsString& s) { return ((*image).*getter)(s); }).value_or("");
    };
    switch (index) {
    case 0: {
        std::string imageName = GetImageName();
        SetText(value, imageName.empty() ? kDefaultImageName : std::string_view(imageName));
        return true;
    }
    case 1:
        SetText(value, read(&nsIDOMHTMLImageElement::GetAlt));
        return true;
    case 2:
        SetText(value, read(&nsIDOMHTMLImageElement::GetSrc));
        return true;
    case 3:
        SetText(value, FileNamePart(read(&nsIDOMHTMLImageElement::GetSrc)));
        return true;
    case 4:
        SetText(value, ImageKindName(GetImageKind()));
        return true;
    case 5:
        value.Clear();
        value.Set(0);
        return true;
    case 6: {
        // Through the whole chain: an image button answers "alt" and "src"
        // itself.
        CWebVariantList alt;
        if (GetProperty("alt", alt) && alt.GetType() == WebVariantType::String && !alt.IsEmpty() &&
            !alt.GetAt(0)->GetString().empty()) {
            value = alt;
            return true;
        }
        return GetProperty("src", value);
    }
    default:
        value.Clear();
        if (!image) {
            value.SetStatus(kWebStatusNotApplicable);
            return true;
        }
        value.Set(std::string_view(read(&nsIDOMHTMLImageElement::GetName)));
        return true;
    }
}

bool CNS6Image::CallMethod(std::string_view method, CWebInfo& record) {
    const CWebImageUtil& util = GetClassUtilities().image;
    if (method == "WriteObjInfoHeader") {
        return util.WriteObjInfoHeader(CWebObjRef(this), record);
    }
    if (method == "WriteObjInfo") {
        return util.WriteObjInfo(CWebObjRef(this), record);
    }
    return CNS6Obj::CallMethod(method, record);
}

nsresult CNS6Image::FireEvent(std::string_view event, std::optional<POINT> point) {
    // The page's handlers may drop every other handle to this object.
    CWebObjRef self(this);
    if (point) {
        CWebVariantList type;
        bool serverMap = GetProperty("type", type) && type.GetType() == WebVariantType::String &&
                         !type.IsEmpty() &&
                         type.GetAt(0)->GetString() == ImageKindName(ImageKind::ServerSideImageMap);
        if (serverMap) {
            if (EqualsIgnoringCase(event, "click") || EqualsIgnoringCase(event, "onclick")) {
                return FollowMapLink("onclick", point);
            }
            if (EqualsIgnoringCase(event, "mouseover") ||
                EqualsIgnoringCase(event, "onmouseover")) {
                return FollowMapLink("onmouseover", point);
            }
        } else {
            HandToLayoutFrame(*point);
        }
    }
    return CNS6Obj::FireEvent(event, point);
}

nsresult CNS6Image::FollowMapLink(std::string_view handler, std::optional<POINT> point) {
    nsIDOMNode* content = GetElementNode();
    std::optional<std::string> base = BaseAddressOf(content);
    // The outermost link around the image wins, as in the browser.
    std::optional<std::string> href;
    for (nsCOMPtr<nsIDOMNode> above = ParentOf(content); above; above = ParentOf(above.get())) {
        if (nsCOMPtr<nsIDOMHTMLAnchorElement> anchor = do_QueryInterface(above)) {
            if (auto text = ReadString([&](nsString& s) { return anchor->GetHref(s); })) {
                href = std::move(text);
            }
        }
    }
    // An image map without a link has nowhere to go: a click on it in the
    // browser navigates nowhere, so nothing is followed here either.
    if (!href || href->empty() || !base) {
        return NS_OK;
    }
    std::string address = ResolveAddress(*base, *href).value_or(*href);
    if (point) {
        std::array<char, 32> query{};
        std::snprintf(query.data(), query.size(), "?%d,%d", static_cast<int>(point->x),
                      static_cast<int>(point->y));
        address += query.data();
    }

    nsCOMPtr<nsIPresShell> shell = NS_GetFirstPresShell(OwnerDocumentOf(content).get());
    nsCOMPtr<nsIPresContext> context;
    nsresult rv = shell ? shell->GetPresContext(getter_AddRefs(context)) : NS_ERROR_NOT_AVAILABLE;
    nsCOMPtr<nsILinkHandler> links;
    if (context) {
        rv = context->GetLinkHandler(getter_AddRefs(links));
    }
    nsCOMPtr<nsIIOService> io = do_GetService(NS_IOSERVICE_CONTRACTID);
    nsCOMPtr<nsIURI> uri;
    if (io) {
        rv = io->NewURI(address, nullptr, getter_AddRefs(uri));
    }
    if (!links || !uri) {
        return rv;
    }
    if (handler == "onclick") {
        return links->OnLinkClick(content, eLinkVerb_Replace, uri, nsString(), nullptr);
    }
    return links->OnOverLink(content, uri, nsString());
}

void CNS6Image::HandToLayoutFrame(POINT point) {
    nsIDOMNode* content = GetElementNode();
    nsCOMPtr<nsIPresShell> shell = NS_GetFirstPresShell(OwnerDocumentOf(content).get());
    if (!shell) {
        return;
    }
    nsCOMPtr<nsIFrame> frame;
    nsCOMPtr<nsIPresContext> context;
    if (NS_FAILED(shell->GetPrimaryFrameFor(content, getter_AddRefs(frame))) || !frame ||
        NS_FAILED(shell->GetPresContext(getter_AddRefs(context))) || !context) {
        return;
    }
    float pixelsToTwips = 1.0f;
    context->GetPixelsToTwips(&pixelsToTwips);
    nsGUIEvent event;
    event.eventStructType = NS_GUI_EVENT;
    event.message = NS_MOUSE_LEFT_BUTTON_UP;
    event.point.x = static_cast<nscoord>(static_cast<float>(point.x) * pixelsToTwips);
    event.point.y = static_cast<nscoord>(static_cast<float>(point.y) * pixelsToTwips);
    nsEventStatus status = nsEventStatus_eIgnore;
    frame->HandleEvent(context, &event, &status);
}

// ---------------------------------------------------------------------------
// CNS6ImageLink

CNS6ImageLink::CNS6ImageLink(nsIDOMNode* node, const CWebObjRef& owningFrame)
    : CNS6Image(node, owningFrame) {
    SetUtil(&GetClassUtilities().imageLink);
    auto* link = new CNS6Hyperlink(node, owningFrame);
    m_LinkPart = CWebObjRef(link);
    link->SetLinkNode(EnclosingLinkElement(node).get());
}

bool CNS6ImageLink::GetPropertyAt(std::string& name, CWebVariantList& value, int position) {
    TableHit hit = FindProperty(kImageLinkProperties, name, position);
    if (hit.index == 0) {
        int32_t kind = GetImageKind();
        SetText(value, ImageKindName(kind == static_cast<int32_t>(ImageKind::PlainImage)
                                         ? static_cast<int32_t>(ImageKind::ImageLink)
                                         : kind));
        return true;
    }
    return AskPrimaryThenSecond([this](std::string& n, CWebVariantList& v,
                                       int p) { return CNS6Image::GetPropertyAt(n, v, p); },
                                m_LinkPart, name, value, hit.passOn);
}

bool CNS6ImageLink::CallMethod(std::string_view method, CWebInfo& record) {
    // An image link is listed by the image tables; asked for a link table it
    // writes the link line of itself (its image name and the enclosing
    // link's address) rather than refusing, so a link table whose first
    // object is an image link still starts its file.
    const bool objectInfo = method == "WriteObjInfoHeader" || method == "WriteObjInfo";
    const CWebObjRef self(this);
    if (objectInfo && !GetClassUtilities().image.MatchesRequestedClass(self, record) &&
        GetClassUtilities().link.MatchesRequestedClass(self, record)) {
        const CWebLinkUtil& link = GetClassUtilities().link;
        return method == "WriteObjInfo" ? link.WriteObjInfo(self, record)
                                        : link.WriteObjInfoHeader(self, record);
    }
    if (CNS6Image::CallMethod(method, record)) {
        return true;
    }
    return m_LinkPart && m_LinkPart->CallMethod(method, record);
}

// ---------------------------------------------------------------------------
// CNS6ImageButton

CNS6ImageButton::CNS6ImageButton(nsIDOMNode* node, const CWebObjRef& owningFrame)
    : CNS6Image(node, owningFrame) {}

bool CNS6ImageButton::GetPropertyAt(std::string& name, CWebVariantList& value, int position) {
    TableHit hit = FindProperty(kImageButtonProperties, name, position);
    if (hit.index < 0) {
        return CNS6Image::GetPropertyAt(name, value, hit.passOn);
    }
    nsCOMPtr<nsIDOMHTMLInputElement> input = do_QueryInterface(GetElementNode());
    std::optional<std::string> source;
    if (input) {
        source = ReadString([&](nsString& s) { return input->GetSrc(s); });
    }
    switch (hit.index) {
    case 0:
        SetText(value, ImageKindName(ImageKind::ImageButton));
        return true;
    case 1:
        SetText(value, input
                           ? ReadString([&](nsString& s) { return input->GetAlt(s); }).value_or("")
                           : std::string());
        return true;
    case 2: {
        std::string absolute = source.value_or("");
        std::optional<std::string> base = BaseAddressOf(GetElementNode());
        if (base && !absolute.empty()) {
            absolute = ResolveAddress(*base, absolute).value_or(absolute);
        }
        SetText(value, absolute);
        return true;
    }
    default:
        SetText(value, FileNamePart(source.value_or("")));
        return true;
    }
}
