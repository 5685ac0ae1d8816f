// The named methods of every element object and the DOM event replay behind
// them. Kept apart from the element object's properties and tree so that the
// methods grow here on their own.
#include "agent/elements/CNS6Obj.h"

// FIXME: the element methods ("MakeVisible", "CallEvent", checkpoint
// forwarding, ...) and event replay are not built yet; until then an element
// handles no method and fires no event.
bool CNS6Obj::CallMethod(std::string_view /*method*/, CWebInfo& /*record*/) {
    return false;
}

nsresult CNS6Obj::FireEvent(std::string_view /*event*/, std::optional<POINT> /*point*/) {
    return NS_ERROR_NOT_IMPLEMENTED;
}
