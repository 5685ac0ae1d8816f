// The browser-specific dispatcher: the process's one dispatcher instance. It
// knows the window hierarchy and the browser objects of the global trap
// state.
#pragma once

#include "agent/dispatch/CInterface.h"

#include <vector>

class CNS6Interface : public CInterface {
public:
    int GetVersion() override { return 11; }
    // Takes messages 18, 32, 47 and 50 itself; all others go to the base.
    bool Dispatch(CWebInfo& record) override;
    // Looks at the window, then at its parent, grand-parent and so on.
    nsresult FindIdByHandle(HWND window, CWebRunTimeID& out) override;
    // Follows GetParent to the top; null for a null or dead window.
    HWND GetTopWindow(HWND window) override;
    // The browser objects of the global trap state's registry.
    bool GetBrowsers(std::vector<CWebObjRef>& out) override;

protected:
    void SetValue(CWebInfo& record);             // message 32
    void RegisterEventHandler(CWebInfo& record); // message 47
};
