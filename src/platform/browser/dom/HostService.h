// The DOM host service: identities of nodes and windows, the content
// iterator and plain-text encoder factories, and the tree dump. One service
// per process, reached through GetDOMHostService or any document.
#pragma once

#include "platform/xpcom/dom/nsIDOMHostService.h"

namespace dom {

// The process's host service, AddRef'ed.
nsresult GetDOMHostService(nsIDOMHostService** service);

} // namespace dom
