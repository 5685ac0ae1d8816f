// A module for the loader tests: an entry point that counts its calls and an
// exported matching function shaped like the tool's library's.
#include "platform/win32/WinDef.h"

#include <cstring>

namespace {
int g_attached = 0;
int g_detached = 0;
} // namespace

extern "C" {

__attribute__((visibility("default"))) BOOL DllMain(HINSTANCE, DWORD reason, LPVOID) {
    (reason == 1 ? g_attached : g_detached) += 1;
    return TRUE;
}

__attribute__((visibility("default"))) int rg_match(const char* pattern, const char* text) {
    return pattern != nullptr && text != nullptr && std::strstr(text, pattern) != nullptr ? 0 : 1;
}

__attribute__((visibility("default"))) int TestModuleAttachCount() {
    return g_attached;
}
}
