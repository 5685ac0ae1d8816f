#include "cli/BrowserStart.h"

namespace cli {

std::unique_ptr<SimulatedBrowser> StartSimulatedBrowser(const BrowserStart& start,
                                                        std::string& error) {
    // NOTE: the simulated browser's application shell and the agent's
    // component library are not part of the build yet. Until they are, the
    // console serves requests through an agent window of its own (see
    // Session::Start) and every browser-bound line answers this error.
    (void)start;
    error = kBrowserUnavailable;
    return nullptr;
}

std::string DemoSiteFolder() {
#ifdef WEBAGENT_DEMO_DIR
    return WEBAGENT_DEMO_DIR;
#else
    return "demo";
#endif
}

} // namespace cli
