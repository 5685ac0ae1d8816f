// The console program: its command line, the scripted run and the built-in
// demo session. main() only hands its arguments and streams to RunConsole, so
// tests run the whole program in-process.
//
//     webagent                                   the demo session
//     webagent [--page FILE_OR_URL]... [--script FILE] [--json | --raw] [--trace MASK]
//              [--timeout MS] [--no-browser] [--demo] [--tree] [--record-to FILE]
//     webagent --demo-record                    record a scenario, replay it, compare
#pragma once

#include "agent/channel/ToolSender.h"
#include "cli/Printer.h"

#include <chrono>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace cli {

struct ConsoleOptions {
    bool demo = false;
    std::vector<std::string> pages;
    std::optional<std::string> script; // standard input when absent
    OutputForm form = OutputForm::Text;
    std::optional<int32_t> traceMask;
    // How long a request waits for the agent: the agent's own send time-out
    // unless --timeout says otherwise.
    std::chrono::milliseconds replyWait{kSendTimeoutMs};
    bool standIn = false; // --no-browser
    bool tree = false;    // --tree: the test-object tree of the open pages
    // --record-to FILE: the lines that replay every recorded statement.
    std::optional<std::string> recordTo;
    bool demoRecord = false; // --demo-record: record, replay and compare on the demo site
};

// Exit statuses: every line handled, some refused, bad command-line usage.
inline constexpr int kExitHandled = 0;
inline constexpr int kExitRefused = 1;
inline constexpr int kExitUsage = 2;

// Reads the arguments (without the program name); false with the reason when
// they are not a valid command line. help is set for --help.
bool ParseConsoleArguments(const std::vector<std::string>& args, ConsoleOptions& options,
                           bool& help, std::string& error);
std::string ConsoleUsage();

// What one part of the demo session got: replies to its requests, and lines
// refused (requests and simulated user's actions alike).
struct DemoPart {
    std::string name; // "steps", "controls", "identification", "elements",
                      // "recording", "checkpoints", "images"
    size_t replies = 0;
    size_t refused = 0;
};

// The whole program; answers the exit status. With demoParts, the demo
// session reports there what each of its parts got.
int RunConsole(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
               std::ostream& errors, std::vector<DemoPart>* demoParts = nullptr);

// The lines of the built-in demo session, each with its heading (a line with
// an empty heading runs under the heading before it).
struct DemoStep {
    const char* heading;
    const char* line;
};
const std::vector<DemoStep>& DemoSteps();

} // namespace cli
