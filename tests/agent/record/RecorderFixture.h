// Form controls on real pages with the event recorder at its default rules
// and no element remembered as focused, before and after each test.
#pragma once

#include "agent/controls/ControlsFixture.h"
#include "agent/record/CNS6EventUtil.h"

namespace recordtest {

class RecorderOnShell : public controlstest::ControlsOnShell {
protected:
    void SetUp() override {
        ControlsOnShell::SetUp();
        GetEventRecorder().LoadDefaults();
        GetEventRecorder().ForgetLastFocused();
    }
    void TearDown() override {
        GetEventRecorder().ForgetLastFocused();
        ControlsOnShell::TearDown();
    }
};

} // namespace recordtest
