#pragma once

#include "platform/xpcom/nsIObserver.h"

namespace xpcom::internal {
nsresult NewObserverService(nsIObserverService** result);
}
