// The browser-specific dispatcher: the process's one dispatcher instance.
#pragma once

#include "agent/dispatch/CInterface.h"

class CNS6Interface : public CInterface {
public:
    int GetVersion() override { return 11; }
    // Takes messages 18, 32, 47 and 50 itself; all others go to the base.
    bool Dispatch(CWebInfo& record) override;
};
