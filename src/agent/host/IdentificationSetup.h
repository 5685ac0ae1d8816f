// Gives a dispatcher the identification operations for its description rows,
// each run against the dispatcher itself through a DispatcherView.
//
//     InstallIdentificationService(*dispatcher);   // when the dispatcher is made
#pragma once

#include "agent/dispatch/CInterface.h"
#include "agent/identify/IDescriptionHost.h"

// Identification reaches the dispatcher above it through this view.
class DispatcherView final : public IDescriptionHost {
public:
    explicit DispatcherView(CInterface& dispatcher) : m_Dispatcher(dispatcher) {}

    CWebObjRef ResolveObject(CWebInfo& record) override {
        return m_Dispatcher.ResolveObject(record);
    }
    bool GetBrowsers(std::vector<CWebObjRef>& out) override {
        return m_Dispatcher.GetBrowsers(out);
    }
    bool Dispatch(CWebInfo& record) override { return m_Dispatcher.Dispatch(record); }
    int32_t CachedUseQuorvin70IE55Description() const override {
        return m_Dispatcher.CachedUseQuorvin70IE55Description();
    }

private:
    CInterface& m_Dispatcher; // observes: the dispatcher runs the operation
};

void InstallIdentificationService(CInterface& dispatcher);
