// File-name helpers shared by the runtime files and the module loader.
#pragma once

#include <string>
#include <string_view>

namespace win32::internal {

// The name of the entry of folder that equals name without regard to case
// (the exact name first), or name itself when there is none.
std::string EntryNameNoCase(const std::string& folder, std::string_view name);

} // namespace win32::internal
