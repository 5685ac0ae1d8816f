// The demo session's part on links and images: it opens the demo site's
// images page, shows a text link, an image link, a server-side image map and
// an image button, replays a click at (10, 20) on the image map (which
// follows its link with "?10,20"), and saves the site's logo to a file
// through the browser object, then tells whether the file holds the logo.
//
//     lineNumber = RunImagesDemo(runner, printer, out, lineNumber);
#pragma once

#include "cli/Printer.h"
#include "cli/ScriptRunner.h"

#include <cstddef>
#include <iosfwd>
#include <string_view>

namespace cli {

// The file the demo saves the logo to, as the tool names it.
inline constexpr std::string_view kDemoImageFile = "c:\\temp\\webagent-demo-logo.png";

// Runs the part's lines after `lineNumber`; answers the last line number used.
size_t RunImagesDemo(ScriptRunner& runner, Printer& printer, std::ostream& out, size_t lineNumber);

} // namespace cli
