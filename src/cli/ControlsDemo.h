// The demo session's part on form controls: it opens the demo form, reads
// every control, types into a field and selects list items by number and by
// text, then goes back to the page it started on.
//
//     static const std::vector<DemoStep> all = WithControlsDemo(steps);
#pragma once

#include "cli/Console.h"

#include <vector>

namespace cli {

// The steps followed by the controls part.
std::vector<DemoStep> WithControlsDemo(const std::vector<DemoStep>& steps);

} // namespace cli
