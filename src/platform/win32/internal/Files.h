// File-name helpers shared by the runtime files and the module loader.
#pragma once

#include <string>
#include <string_view>

namespace win32::internal {

// The name of the entry of folder that equals name without regard to case
// (the exact name first), or name itself when there is none.
std::string EntryNameNoCase(const std::string& folder, std::string_view name);

// An absolute host path whose components match existing entries without
// regard to case, as names on the original platform's file system do, so
// that a folder name the caller lower-cased is still found. Relative paths
// are answered unchanged.
std::string ResolveNoCase(std::string_view path);

} // namespace win32::internal
