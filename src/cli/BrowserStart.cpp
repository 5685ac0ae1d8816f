#include "cli/BrowserStart.h"

namespace cli {

std::string DemoSiteFolder() {
#ifdef WEBAGENT_DEMO_DIR
    return WEBAGENT_DEMO_DIR;
#else
    return "demo";
#endif
}

} // namespace cli
