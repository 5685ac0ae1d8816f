// The library's start-up: the entry the module's DllMain hands its loading
// and unloading to, and the search path setup that lets the process find the
// tool's "rexp.dll" in the library's own folder.
//
//     extern "C" BOOL DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
//         return TrapLibraryEntry(instance, reason);
//     }
#pragma once

#include "platform/win32/WinDef.h"

#include <string>
#include <string_view>

// On process attach: creates the trap state for this module instance and
// adjusts the search path. Always answers TRUE.
BOOL TrapLibraryEntry(HINSTANCE instance, DWORD reason);

// Moves the folder of `libraryFile` from the front of the "path" variable to
// its end, or appends it when "path" does not list it; "path" is left alone
// when it lists the folder elsewhere. The variable is written back in lower
// case whenever it changes.
void AdjustSearchPath(std::string_view libraryFile);
// The same for the file name of a loaded module.
void SetUpSearchPath(HINSTANCE instance);
