#pragma once
// Helpers shared by the link and image element classes: path parts of
// addresses, the link around an image, and addresses made absolute the way
// the browser resolves them.

#include "agent/model/CWebObj.h"
#include "platform/xpcom/dom/nsIDOMNode.h"
#include "platform/xpcom/nsCOMPtr.h"

#include <optional>
#include <string>
#include <string_view>

namespace element_internal {

// The text after the later of its last "\" and last "/"; the whole text
// when it has neither.
std::string LastPathPart(std::string_view text);

// The link element around an image: the first "A" element above it, passing
// over the image wrapper tags only; null when another element or the top
// comes first.
nsCOMPtr<nsIDOMNode> EnclosingLinkElement(nsIDOMNode* image);

// The base address of a content node: its document's, or the document's
// <base href>; nothing when the node belongs to no document.
std::optional<std::string> BaseAddressOf(nsIDOMNode* content);

// `address` resolved against `base`; nothing when either is not an address
// the browser's networking accepts.
std::optional<std::string> ResolveAddress(std::string_view base, std::string_view address);

// The property query of a class joined from two parts: the primary part
// first; only when it does not answer, the second part with the same name and
// position.
template <typename AskPrimary>
bool AskPrimaryThenSecond(AskPrimary askPrimary, const CWebObjRef& second, std::string& name,
                          CWebVariantList& value, int position) {
    std::string asked = name;
    if (askPrimary(name, value, position)) {
        return true;
    }
    name = asked;
    return second && second->GetPropertyAt(name, value, position);
}

} // namespace element_internal
