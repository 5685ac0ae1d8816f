#include "agent/elements/internal/LinkImageHelpers.h"

#include "agent/common/DomHelpers.h"
#include "agent/elements/ElementClasses.h"
#include "agent/elements/internal/DomTree.h"
#include "platform/xpcom/dom/nsIContent.h"
#include "platform/xpcom/dom/nsIDOMHTMLElements.h"
#include "platform/xpcom/nsXPCOM.h"
#include "platform/xpcom/shell/nsINetwork.h"

namespace element_internal {

std::string LastPathPart(std::string_view text) {
    size_t slash = text.find_last_of("/\\");
    return std::string(slash == std::string_view::npos ? text : text.substr(slash + 1));
}

nsCOMPtr<nsIDOMNode> EnclosingLinkElement(nsIDOMNode* image) {
    for (nsCOMPtr<nsIDOMNode> parent = ParentElementOf(image); parent;
         parent = ParentElementOf(parent.get())) {
        std::string tag = GetTagName(parent.get());
        if (EqualsIgnoringCase(tag, "A")) {
            return parent;
        }
        if (!IsImageWrapperTag(tag)) {
            return nullptr;
        }
    }
    return nullptr;
}

std::optional<std::string> BaseAddressOf(nsIDOMNode* content) {
    nsCOMPtr<nsIContent> node = do_QueryInterface(content);
    nsCOMPtr<nsIURI> base;
    if (!node || NS_FAILED(node->GetBaseURL(getter_AddRefs(base))) || !base) {
        return std::nullopt;
    }
    std::string spec;
    if (NS_FAILED(base->GetSpec(spec)) || spec.empty()) {
        return std::nullopt;
    }
    return spec;
}

std::optional<std::string> ResolveAddress(std::string_view base, std::string_view address) {
    nsCOMPtr<nsIIOService> io = do_GetService(NS_IOSERVICE_CONTRACTID);
    if (!io) {
        return std::nullopt;
    }
    nsCOMPtr<nsIURI> baseUri;
    if (NS_FAILED(io->NewURI(std::string(base), nullptr, getter_AddRefs(baseUri))) || !baseUri) {
        return std::nullopt;
    }
    std::string resolved;
    if (NS_FAILED(baseUri->Resolve(std::string(address), resolved))) {
        return std::nullopt;
    }
    return resolved;
}

} // namespace element_internal
