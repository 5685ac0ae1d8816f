// The demo session's part on replaying user actions and checkpoints: it
// scrolls a link of the demo site's first page into view, clicks it through
// a replayed DOM event (which follows the link to the tables page), writes a
// table checkpoint and a format file of the first table, and prints both
// files byte for byte (TABs as "\t", line ends as "\r\n").
//
//     lineNumber = RunCheckpointDemo(runner, printer, out, lineNumber);
#pragma once

#include "cli/Printer.h"
#include "cli/ScriptRunner.h"

#include <cstddef>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace cli {

// The files the demo writes, as the tool names them.
inline constexpr std::string_view kDemoTableFile = "c:\\temp\\webagent-demo-table.txt";
inline constexpr std::string_view kDemoFormatFile = "c:\\temp\\webagent-demo-format.txt";
inline constexpr std::string_view kDemoLinksFile = "c:\\temp\\webagent-demo-links.txt";
inline constexpr std::string_view kDemoImagesFile = "c:\\temp\\webagent-demo-images.txt";

// The part's script lines, in order.
std::vector<std::string> CheckpointDemoLines();

// Runs the part's lines after `lineNumber`; answers the last line number used.
size_t RunCheckpointDemo(ScriptRunner& runner, Printer& printer, std::ostream& out,
                         size_t lineNumber);

// A file's bytes with TAB, CR and LF written out, one line per line end;
// "(no such file)" when it cannot be read.
std::string ShowFileBytes(std::string_view windowsName);

} // namespace cli
