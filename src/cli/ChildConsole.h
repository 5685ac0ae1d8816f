// Runs the console program again in a process of its own: a fresh browser
// with a fresh agent (the agent component starts once per process).
//
//     cli::ChildRun run;
//     if (cli::RunChildConsole(cli::ConsoleProgram(), {"--page", p, "--script", f}, run, error))
//         ... run.status, run.out, run.errors
#pragma once

#include <string>
#include <vector>

namespace cli {

struct ChildRun {
    int status = -1; // the exit status; -1 when it did not exit normally
    std::string out;
    std::string errors;
};

// This program's own file.
std::string ConsoleProgram();

// Runs program with args and no input, waiting for it to end; false, with
// the reason, when it could not be started.
bool RunChildConsole(const std::string& program, const std::vector<std::string>& args,
                     ChildRun& run, std::string& error);

} // namespace cli
