// The DOM host service: identities of nodes and windows, factories of the
// content iterator and the plain-text encoder, and a debugging dump.
//
// Reach it from any document (nsIDOMDocumentInternal::GetHostService) or
// from the component manager under kCID / kContractID once the browser has
// registered it.
//
// Identities are 32-bit, positive, unique while the process lives and never
// reused: a node's identity turns back into that node while it exists and
// into NS_ERROR_NOT_AVAILABLE after it was destroyed.
#pragma once

#include "platform/xpcom/dom/nsDOMForward.h"

class nsIDOMHostService : public nsISupports {
public:
    static constexpr nsIID kIID = dom::internal::DomIID(90);
    using BaseInterface = nsISupports;
    static constexpr nsCID kCID = dom::internal::DomIID(0x190);
    static constexpr const char* kContractID = "@webagent/dom/host-service;1";

    virtual nsresult GetNodeIdentity(nsIDOMNode* node, PRUint32* identity) = 0;
    virtual nsresult GetNodeByIdentity(PRUint32 identity, nsIDOMNode** node) = 0;
    virtual nsresult GetWindowIdentity(nsIDOMWindow* window, PRUint32* identity) = 0;
    virtual nsresult GetWindowByIdentity(PRUint32 identity, nsIDOMWindow** window) = 0;
    virtual nsresult CreateContentIterator(nsIContentIterator** iterator) = 0;
    virtual nsresult CreatePlainTextEncoder(nsIDocumentEncoder** encoder) = 0;
    // The node's subtree as indented text, one node a line.
    virtual nsresult DumpTree(nsIDOMNode* node, nsAString& dump) = 0;
};
