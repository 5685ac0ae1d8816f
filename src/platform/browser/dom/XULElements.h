// Elements of the browser's own user interface (XUL). Every XUL element
// answers nsIDOMXULElement; a tree also nsIDOMXULTreeElement, a textbox
// nsIDOMXULTextBoxElement with its anonymous HTML input. State lives in
// attributes ("checked", "selected", "disabled" with the value "true").
#pragma once

#include "platform/browser/dom/NodeFaces.h"
#include "platform/xpcom/dom/nsIDOMXULElement.h"

namespace dom {

// Makes the XUL element the tag calls for (tags compare exactly).
NodeRef NewXULElement(const std::shared_ptr<DocumentLink>& link, std::u16string_view tag);

} // namespace dom
