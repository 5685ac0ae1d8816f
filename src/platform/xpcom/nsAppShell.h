// The application shell's component rule: at start-up it makes every
// component whose class is listed under NS_APPSHELL_COMPONENTS_KEY of the
// application component registry and calls its Initialize; at exit it calls
// Shutdown on each, in reverse order, and lets them go.
//
//     nsAppShell shell;
//     shell.Startup(browserAppShell, commandLine);
//     ... run the browser ...
//     shell.Shutdown();
#pragma once

#include "platform/xpcom/nsCOMPtr.h"
#include "platform/xpcom/nsIAppShellComponent.h"

#include <vector>

class nsAppShell {
public:
    nsAppShell() = default;
    nsAppShell(const nsAppShell&) = delete;
    nsAppShell& operator=(const nsAppShell&) = delete;
    ~nsAppShell() { Shutdown(); }

    // A class that cannot be made or does not initialise is left out; the
    // others still start. NS_ERROR_ALREADY_INITIALIZED on a second call,
    // NS_ERROR_NOT_INITIALIZED without a running framework.
    nsresult Startup(nsISupports* appShell = nullptr, nsISupports* startupInfo = nullptr);
    // Does nothing when not started.
    void Shutdown();

    bool IsStarted() const { return m_started; }
    // The components that were initialised, in start order.
    const std::vector<nsCOMPtr<nsIAppShellComponent>>& Components() const { return m_components; }

private:
    bool m_started = false;
    std::vector<nsCOMPtr<nsIAppShellComponent>> m_components;
};
