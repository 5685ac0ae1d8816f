// What the framework tests share with their component library: the probe
// interface its objects offer, the classes it serves and the notifications
// its application shell component sends.
#pragma once

#include "platform/xpcom/nsISupports.h"

// Offered by every object of the test component library.
class nsITestProbe : public nsISupports {
public:
    static constexpr nsIID kIID{
        0x6B0E1D20, 0x4A51, 0x4C1E, {0x9F, 0x11, 0x2D, 0x7C, 0x30, 0x55, 0xA1, 0x01}};
    using BaseInterface = nsISupports;

    // Counts up from 1 per object, so that a test tells instances apart.
    virtual int32_t Next() = 0;
    // Whether code of the library reaches the host's service manager.
    virtual bool ReachesServiceManager() = 0;
};

// A plain component, by class and by contract identifier.
inline constexpr nsCID kTestCounterCID{
    0x6B0E1D21, 0x4A51, 0x4C1E, {0x9F, 0x11, 0x2D, 0x7C, 0x30, 0x55, 0xA1, 0x01}};
inline constexpr const char* kTestCounterContractID = "@webagent.test/counter;1";

// An application shell component: its registration enters it under the
// application shell's key, and Initialize and Shutdown send the topics below
// through the host's observer service (the subject of the initialize
// notification is the shell argument it was given).
inline constexpr nsCID kTestShellComponentCID{
    0x6B0E1D22, 0x4A51, 0x4C1E, {0x9F, 0x11, 0x2D, 0x7C, 0x30, 0x55, 0xA1, 0x01}};
inline constexpr const char* kTestShellComponentContractID = "@webagent.test/shell-component;1";
inline constexpr const char* kTestInitializeTopic = "webagent-test-initialize";
inline constexpr const char* kTestShutdownTopic = "webagent-test-shutdown";
