// The demo session's part on recording: the tool switches recording on
// ("ToolMode" 1), the simulated user clicks a link, types into a field and
// leaves it, chooses a list entry and presses Back, and each statement the
// agent records arrives as a {"recorded": …} line (the navigations it
// announces as {"event": …} lines); then recording is switched off.
#pragma once

#include <ostream>

namespace cli {

class Printer;
class ScriptRunner;
class Session;

void RunRecordingDemo(Session& session, Printer& printer, ScriptRunner& runner, std::ostream& out);

} // namespace cli
