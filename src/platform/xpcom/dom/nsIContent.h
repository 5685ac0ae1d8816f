// The content side of every DOM node (elements, text, documents), as the
// browser's layout and its embedders see it: the address the node's relative
// references resolve against.
//
//     nsCOMPtr<nsIContent> content = do_QueryInterface(imageNode);
//     nsCOMPtr<nsIURI> base;
//     if (content && NS_SUCCEEDED(content->GetBaseURL(getter_AddRefs(base)))) {
//         nsCString absolute;
//         base->Resolve(relativeSource, absolute);
//     }
#pragma once

#include "platform/xpcom/dom/nsDOMForward.h"

class nsIURI;

class nsIContent : public nsISupports {
public:
    static constexpr nsIID kIID = dom::internal::DomIID(91);
    using BaseInterface = nsISupports;

    // The node's base address: the href of the first BASE element of its
    // document that has one (resolved against the document's address),
    // otherwise the document's address. NS_ERROR_NOT_AVAILABLE for a node
    // outside any document or before the browser's I/O service exists.
    virtual nsresult GetBaseURL(nsIURI** url) = 0;
};
