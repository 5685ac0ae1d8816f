// String tables of modules. A module's strings are supplied in code, usually
// when it is attached (DllMain), and LoadString reads them:
//
//     static constexpr StringTableEntry kStrings[] = {{300, "Agent"}, {301, "..."}};
//     SetModuleStringTable(instance, kStrings);
#pragma once

#include "platform/win32/WinDef.h"

#include <span>
#include <string_view>

struct StringTableEntry {
    UINT id;
    std::string_view text;
};

// Replaces the strings of a module (a null instance names the program). The
// texts are copied.
void SetModuleStringTable(HINSTANCE instance, std::span<const StringTableEntry> entries);
