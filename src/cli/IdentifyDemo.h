// The identification part of the console's demo session: a description
// search, the description the agent generates for the object found (with its
// tag), that description sent back, a count, an enumeration and the objects
// at a point.
//
//     RunIdentificationDemo(runner, lineNumber);
#pragma once

#include "cli/ScriptRunner.h"

#include <cstddef>

namespace cli {

// How many lines the identification demo runs.
inline constexpr size_t kIdentificationDemoSteps = 7;

// Runs its lines through the runner, each under a heading, numbering them on
// from lineNumber.
void RunIdentificationDemo(ScriptRunner& runner, size_t& lineNumber);

} // namespace cli
