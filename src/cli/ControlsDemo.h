// The demo session's part on form controls: it opens the demo form, reads
// every control, types into a field and selects list items by number and by
// text, then goes back to the page it started on.
//
//     for (const DemoStep& step : ControlsDemoSteps()) ...   // after DemoSteps()
#pragma once

#include "cli/Console.h"

#include <vector>

namespace cli {

// The part's lines, each with its heading (empty for a line that runs under
// the heading before it). They run after the session's own steps, with the
// demo site's first page shown.
const std::vector<DemoStep>& ControlsDemoSteps();

} // namespace cli
