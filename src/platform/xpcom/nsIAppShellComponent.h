// A component the application shell starts with the browser: it is made for
// every class listed under NS_APPSHELL_COMPONENTS_KEY of the application
// component registry, initialised at start-up and shut down at exit
// (nsAppShell.h).
#pragma once

#include "platform/xpcom/nsISupports.h"

class nsIAppShellComponent : public nsISupports {
public:
    static constexpr nsIID kIID{
        0xA6CF90ED, 0x15B3, 0x11D2, {0x93, 0x2E, 0x00, 0x80, 0x5F, 0x8A, 0xDD, 0x32}};
    using BaseInterface = nsISupports;

    // `appShell` is the shell starting the component, `startupInfo` the
    // browser's command line; either may be null.
    virtual nsresult Initialize(nsISupports* appShell, nsISupports* startupInfo) = 0;
    virtual nsresult Shutdown() = 0;
};
