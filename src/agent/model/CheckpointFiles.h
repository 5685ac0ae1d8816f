// Checkpoint files: how the writers of the class utilities open, write and
// close the files the tool names, and read the properties they write.
//
// Files are written through the runtime's text-mode files, so every line
// feed lands on disk as CR LF. A writer that starts a file creates or
// truncates it (kCreate); one that adds to it appends (kAppend). Every write
// opens and closes the file again, so the tool may read it at any time and a
// table is written through many short appends.
//
//     if (!checkpoint::WriteToFile(path, checkpoint::kAppend, "Col #1\n")) ...
#pragma once

#include "agent/model/CWebObj.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace checkpoint {

inline constexpr std::string_view kCreate = "w+t";
inline constexpr std::string_view kAppend = "a+t";

// Opens `path` in `mode`, writes `text` and closes; false when the file
// cannot be opened or the text not written.
bool WriteToFile(std::string_view path, std::string_view mode, std::string_view text);

// The first string (integer) of a property; nothing when the property is
// missing or holds something else.
std::optional<std::string> StringProperty(CWebObj& object, std::string_view name);
std::optional<int32_t> IntegerProperty(CWebObj& object, std::string_view name);

// The checkpoint text of a name: TABs become spaces, line breaks and braces
// go (line breaks stay when the tool asks for them).
std::string Cleaned(std::string text);

} // namespace checkpoint
