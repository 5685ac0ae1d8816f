// An agent context for tests that need no dispatcher and no trap state: tool
// options from a map, everything else answers "none".
//
//     testsupport::FakeAgentContext context;
//     context.options["TrimProperties"] = 5;
//     InstallAgentContext(&context);          // or object.SetContext(&context)
#pragma once

#include "agent/common/IAgentContext.h"
#include "agent/model/CWebObj.h"

#include <map>
#include <string>

namespace testsupport {

class FakeAgentContext : public IAgentContext {
public:
    FakeAgentContext() = default;
    virtual ~FakeAgentContext() = default;

    bool HasDispatcher() const override { return false; }
    int32_t GetOption(std::string_view name) const override {
        auto it = options.find(std::string(name));
        return it == options.end() ? 0 : it->second;
    }
    int32_t GetFixedUseOldName() const override { return -1; }
    bool Dispatch(CWebInfo&) override { return false; }
    bool AnnounceConnection(HWND, HWND) override { return false; }
    void StoreLastEvent(const CWebRunTimeID&, std::string_view, const CWebInfo&) override {}
    TextMatchFunction GetTextMatcher() const override { return nullptr; }
    bool HasTrapState() const override { return false; }
    HINSTANCE GetModuleInstance() const override { return nullptr; }
    bool ListBrowsers(std::vector<CWebObjRef>&) override { return false; }
    void RemoveBrowser(HWND) override {}
    CWebObjRef GetOrCreatePage(nsIDOMWindow*, HWND) override { return {}; }
    CWebObjRef GetOrCreateFrame(nsIDOMWindow*, HWND) override { return {}; }
    nsIURIContentListener* CreateContentListener(const CWebObjRef&) override { return nullptr; }
    void NotifyNavigationStart(const CWebObjRef&, nsIURI*) override {}

    std::map<std::string, int32_t> options;
};

} // namespace testsupport
