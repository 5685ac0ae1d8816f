#include "agent/common/IAgentContext.h"

namespace {

IAgentContext* g_Context = nullptr; // observes: its owner uninstalls it before it goes

} // namespace

IAgentContext* GetAgentContext() {
    return g_Context;
}

IAgentContext* InstallAgentContext(IAgentContext* context) {
    IAgentContext* previous = g_Context;
    g_Context = context;
    return previous;
}
