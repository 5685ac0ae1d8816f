// The DOM host service: identities of nodes and windows, the content
// iterator and plain-text encoder factories, and the tree dump. One service
// per process, reached through GetDOMHostService or any document.
#pragma once

#include "platform/xpcom/dom/nsIDOMHostService.h"

class nsIComponentManager;
class nsIServiceManager;

namespace dom {

// The process's host service, AddRef'ed.
nsresult GetDOMHostService(nsIDOMHostService** service);

// Publishes the DOM's components with the framework, as the browser does at
// start-up: the host service (nsIDOMHostService::kCID and kContractID) with
// the service manager, and factories of the content iterator
// (nsIContentIterator::kCID) and the plain-text encoder
// (nsIDocumentEncoder::kPlainTextCID) with the component manager.
nsresult RegisterDOMComponents(nsIComponentManager* components, nsIServiceManager* services);

} // namespace dom
