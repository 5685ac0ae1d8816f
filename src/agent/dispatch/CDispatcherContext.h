// The agent context's dispatcher half: options, requests, the connection
// announcement and the stored last event, all through the dispatcher that a
// source answers at the time of each call. The parts that need the global
// trap state (the registry, the module, the trap object's hooks) answer
// "none"; the trap state's own context derives from this one and adds them.
//
//     CDispatcherContext context(&MyDispatcher);   // a host without a trap state
//     InstallAgentContext(&context);
#pragma once

#include "agent/common/IAgentContext.h"

class CInterface;

class CDispatcherContext : public IAgentContext {
public:
    using Source = CInterface* (*)();

    explicit CDispatcherContext(Source source) : m_source(source) {}
    virtual ~CDispatcherContext() = default;

    // The dispatcher now, or null.
    CInterface* GetDispatcher() const { return m_source != nullptr ? m_source() : nullptr; }

    bool HasDispatcher() const override { return GetDispatcher() != nullptr; }
    int32_t GetOption(std::string_view name) const override;
    int32_t GetFixedUseOldName() const override;
    bool Dispatch(CWebInfo& request) override;
    bool AnnounceConnection(HWND browserWindow, HWND agentWindow) override;
    void StoreLastEvent(const CWebRunTimeID& id, std::string_view name,
                        const CWebInfo& record) override;

    // Plain equality: the agent's text matching comes with the trap state.
    TextMatchFunction GetTextMatcher() const override { return nullptr; }

    bool HasTrapState() const override { return false; }
    HINSTANCE GetModuleInstance() const override { return nullptr; }
    bool ListBrowsers(std::vector<CWebObjRef>&) override { return false; }
    void RemoveBrowser(HWND) override {}
    CWebObjRef GetOrCreatePage(nsIDOMWindow* window, HWND handle) override;
    CWebObjRef GetOrCreateFrame(nsIDOMWindow* window, HWND contentWindow) override;
    nsIURIContentListener* CreateContentListener(const CWebObjRef&) override { return nullptr; }
    void NotifyNavigationStart(const CWebObjRef&, nsIURI*) override {}

private:
    Source m_source;
};
