#include "agent/elements/CNS6Link.h"

#include "agent/classutil/ClassUtilities.h"
#include "agent/common/DomHelpers.h"
#include "agent/elements/internal/LinkImageHelpers.h"
#include "agent/elements/internal/PropertyTable.h"
#include "platform/xpcom/dom/nsIDOMHTMLElements.h"

using element_internal::AskPrimaryThenSecond;
using element_internal::FindProperty;
using element_internal::TableHit;

namespace {

constexpr std::array<std::string_view, CNS6Hyperlink::kOwnPropertyCount> kHyperlinkProperties = {
    "IsIgnored", "element_name", "url"};
constexpr std::array<std::string_view, CNS6Text::kOwnPropertyCount> kTextProperties = {
    "text", "IsIgnored", "data"};
constexpr std::array<std::string_view, CNS6Link::kOwnPropertyCount> kLinkProperties = {"IsIgnored",
                                                                                       "font"};

} // namespace

// ---------------------------------------------------------------------------
// CNS6Hyperlink

CNS6Hyperlink::CNS6Hyperlink(nsIDOMNode* node, const CWebObjRef& owningFrame)
    : CNS6Obj(node, owningFrame), m_Link(node) {
    SetUtil(&GetClassUtilities().link);
}

bool CNS6Hyperlink::GetPropertyAt(std::string& name, CWebVariantList& value, int position) {
    TableHit hit = FindProperty(kHyperlinkProperties, name, position);
    if (hit.index < 0) {
        return CNS6Obj::GetPropertyAt(name, value, hit.passOn);
    }
    value.Clear();
    nsCOMPtr<nsIDOMHTMLAnchorElement> anchor = do_QueryInterface(m_Link.get());
    switch (hit.index) {
    case 0:
        value.Set(0);
        return true;
    case 1: {
        if (!anchor) {
            value.SetStatus(kWebStatusNotApplicable);
            return true;
        }
        nsString text;
        value.Set(std::string_view(NS_SUCCEEDED(anchor->GetName(text)) ? ToNarrow(text) : ""));
        return true;
    }
    default: {
        nsString href;
        std::string url;
        if (anchor && NS_SUCCEEDED(anchor->GetHref(href))) {
            url = ToNarrow(href);
            if (url.ends_with('/')) {
                url.pop_back();
            }
        }
        value.Set(std::string_view(url));
        return true;
    }
    }
}

bool CNS6Hyperlink::CallMethod(std::string_view method, CWebInfo& record) {
    const CWebLinkUtil& util = GetClassUtilities().link;
    if (method == "WriteObjInfoHeader") {
        return util.WriteObjInfoHeader(CWebObjRef(this), record);
    }
    if (method == "WriteObjInfo") {
        return util.WriteObjInfo(CWebObjRef(this), record);
    }
    return CNS6Obj::CallMethod(method, record);
}

// ---------------------------------------------------------------------------
// CNS6Text

CNS6Text::CNS6Text(nsIDOMNode* node, const CWebObjRef& owningFrame) : CNS6Obj(node, owningFrame) {
    SetUtil(&GetClassUtilities().text);
}

bool CNS6Text::GetPropertyAt(std::string& name, CWebVariantList& value, int position) {
    TableHit hit = FindProperty(kTextProperties, name, position);
    if (hit.index < 0) {
        return CNS6Obj::GetPropertyAt(name, value, hit.passOn);
    }
    value.Clear();
    switch (hit.index) {
    case 0:
        value.Set(std::string_view(CleanedText()));
        return true;
    case 1:
        value.Set(1);
        return true;
    default:
        // Through the whole chain, as a subclass may answer "text" itself.
        return GetProperty("text", value);
    }
}

bool CNS6Text::CallMethod(std::string_view method, CWebInfo& record) {
    if (method == "WriteFormatToFile") {
        return false;
    }
    return CNS6Obj::CallMethod(method, record);
}

// ---------------------------------------------------------------------------
// CNS6Link

CNS6Link::CNS6Link(nsIDOMNode* node, const CWebObjRef& owningFrame)
    : CNS6Text(node, owningFrame), m_LinkPart(new CNS6Hyperlink(node, owningFrame)) {
    SetUtil(&GetClassUtilities().textLink);
}

bool CNS6Link::GetPropertyAt(std::string& name, CWebVariantList& value, int position) {
    TableHit hit = FindProperty(kLinkProperties, name, position);
    if (hit.index == 0) {
        value.Clear();
        value.Set(0);
        return true;
    }
    if (hit.index == 1) {
        value.Clear();
        value.Set(std::string_view(""));
        return true;
    }
    return AskPrimaryThenSecond([this](std::string& n, CWebVariantList& v,
                                       int p) { return CNS6Text::GetPropertyAt(n, v, p); },
                                m_LinkPart, name, value, hit.passOn);
}

bool CNS6Link::CallMethod(std::string_view method, CWebInfo& record) {
    if (CNS6Text::CallMethod(method, record)) {
        return true;
    }
    return m_LinkPart && m_LinkPart->CallMethod(method, record);
}
