// The component library's start and end: when the framework loads the
// library, the library entry runs with this module's own instance handle, as
// the desktop's loader does for DllMain on process attach; when it unloads the
// library, the agent windows' shared state goes with the code it points into.
#include "agent/channel/CAgentWindow.h"
#include "agent/host/LibraryEntry.h"
#include "agent/host/NS6Module.h"
#include "platform/win32/Windows.h"

namespace {

__attribute__((constructor)) void NS6trapLibraryLoaded() {
    HMODULE self = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&NSGetModule), &self);
    TrapLibraryEntry(self, DLL_PROCESS_ATTACH);
    InitializeAgentWindows(self);
}

__attribute__((destructor)) void NS6trapLibraryUnloaded() {
    ShutdownAgentWindows();
}

} // namespace
