#include "cli/BrowserStart.h"

namespace cli {

#ifndef WEBAGENT_HAVE_BROWSER
std::unique_ptr<SimulatedBrowser> StartSimulatedBrowser(const BrowserStart& start,
                                                        std::string& error) {
    // Built without the simulated browser or the agent's component library:
    // the console serves requests through an agent window of its own (see
    // Session::Start) and every browser-bound line answers this error.
    (void)start;
    error = kBrowserUnavailable;
    return nullptr;
}
#endif

std::string DemoSiteFolder() {
#ifdef WEBAGENT_DEMO_DIR
    return WEBAGENT_DEMO_DIR;
#else
    return "demo";
#endif
}

} // namespace cli
