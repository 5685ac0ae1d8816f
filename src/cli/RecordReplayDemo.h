// Recording to a replayable script, and the demo that closes the loop: the
// simulated user acts on the demo site while the console records, the script
// is printed, replayed by a fresh console on a fresh browser, and the final
// state of both runs is shown side by side.
#pragma once

#include <optional>
#include <ostream>
#include <string>

namespace cli {

class Printer;
class ScriptRecorder;
class ScriptRunner;
class Session;

// Switches recording on ("ToolMode" 1) with the statements' facts collected
// and handed to the recorder.
void StartRecording(Session& session, ScriptRunner& runner, ScriptRecorder& recorder);

// The demo; answers the exit status (0 when the replay reproduced the state).
// The script is written to `keep` when given, else to a temporary file that
// is removed at the end.
int RunRecordReplayDemo(Session& session, Printer& printer, ScriptRunner& runner, std::ostream& out,
                        std::ostream& errors, const std::optional<std::string>& keep);

} // namespace cli
