// The process's component manager. NS_InitXPCOM sets it (holding a
// reference). A component library that carries its own copy of the framework
// gets its copy attached, without a reference, from the manager the host
// hands its module, so that NS_GetServiceManager works inside the library too.
#pragma once

#include "platform/xpcom/nsIComponentManager.h"

namespace xpcom::internal {

// The current manager, not AddRef'ed; null when there is none.
nsIComponentManager* CurrentManager();
// Takes one reference to `manager` (null clears and releases).
void SetOwnedManager(nsIComponentManager* manager);
// Observes `manager` when no manager is set.
void AttachManager(nsIComponentManager* manager);
// Forgets an attached manager; an owned one stays.
void DetachManager();

} // namespace xpcom::internal
