#pragma once
// Small reads of the DOM tree shared by the element files: node kinds,
// parents and the owner document, each answering null or false when the host
// cannot tell.

#include "platform/xpcom/dom/nsIDOMDocument.h"
#include "platform/xpcom/dom/nsIDOMNode.h"
#include "platform/xpcom/nsCOMPtr.h"

namespace element_internal {

inline bool IsElementNode(nsIDOMNode* node) {
    PRUint16 type = 0;
    return node != nullptr && NS_SUCCEEDED(node->GetNodeType(&type)) &&
           type == nsIDOMNode::ELEMENT_NODE;
}

inline nsCOMPtr<nsIDOMNode> ParentOf(nsIDOMNode* node) {
    nsCOMPtr<nsIDOMNode> parent;
    if (node == nullptr || NS_FAILED(node->GetParentNode(getter_AddRefs(parent)))) {
        return nullptr;
    }
    return parent;
}

// The parent node when it is an element; null otherwise.
inline nsCOMPtr<nsIDOMNode> ParentElementOf(nsIDOMNode* node) {
    nsCOMPtr<nsIDOMNode> parent = ParentOf(node);
    return IsElementNode(parent.get()) ? parent : nullptr;
}

inline nsCOMPtr<nsIDOMDocument> OwnerDocumentOf(nsIDOMNode* node) {
    nsCOMPtr<nsIDOMDocument> document;
    if (node == nullptr || NS_FAILED(node->GetOwnerDocument(getter_AddRefs(document)))) {
        return nullptr;
    }
    return document;
}

} // namespace element_internal
