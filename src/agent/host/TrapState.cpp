#include "agent/host/TrapState.h"

#include "agent/classutil/ClassUtilities.h"
#include "agent/common/IAgentContext.h"
#include "agent/common/RegExpService.h"
#include "agent/common/WindowHelpers.h"
#include "agent/dispatch/CNS6Interface.h"
#include "agent/model/CNS6Browser.h"
#include "agent/model/CNS6Frame.h"
#include "agent/model/CNS6Page.h"
#include "platform/win32/WinUser.h"

#include <utility>

// Holds the registry's critical section for one scope; the section is
// re-entrant, so nested scopes on the same thread are fine.
class CNS6GeneralTrapInfo::RegistryLock {
public:
    explicit RegistryLock(CRITICAL_SECTION& section) : m_Section(section) {
        EnterCriticalSection(&m_Section);
    }
    RegistryLock(const RegistryLock&) = delete;
    RegistryLock& operator=(const RegistryLock&) = delete;
    ~RegistryLock() { LeaveCriticalSection(&m_Section); }

private:
    CRITICAL_SECTION& m_Section;
};

namespace {

int32_t ValueOf(HWND window) {
    return static_cast<int32_t>(HandleToULong(window));
}

CInterface* HolderDispatcher() {
    return GetTrapGlobals().dispatcher.get();
}

// The context every object of the trap state is handed.
IAgentContext* TrapContext() {
    return &GetTrapGlobals().context;
}

} // namespace

CGeneralTrapInfo::CGeneralTrapInfo() {
    FillClassTable(m_ClassTable);
}

CGeneralTrapInfo::~CGeneralTrapInfo() = default;

CWebObjUtil* CGeneralTrapInfo::FindClassUtil(std::string_view className) const {
    auto it = m_ClassTable.find(className);
    return it != m_ClassTable.end() ? it->second : nullptr;
}

CNS6GeneralTrapInfo::CNS6GeneralTrapInfo() {
    InitializeCriticalSection(&m_RegistryLock);
}

CNS6GeneralTrapInfo::~CNS6GeneralTrapInfo() {
    {
        RegistryLock lock(m_RegistryLock);
        // Take each entry out before deleting its object: the destructor
        // reaches RemoveBrowser, and a nested purge must not see it either.
        while (!m_Browsers.empty()) {
            auto node = m_Browsers.extract(m_Browsers.begin());
            node.mapped().reset();
        }
    }
    DeleteCriticalSection(&m_RegistryLock);
}

CWebObjRef CNS6GeneralTrapInfo::GetOrCreateBrowser(HWND window, nsIDOMWindow* chromeWindow) {
    CNS6Interface* dispatcher = GetNS6Dispatcher();
    if (dispatcher == nullptr) {
        return {};
    }
    HWND top = dispatcher->GetTopWindow(window);
    if (top == nullptr) {
        return {};
    }
    const int32_t key = ValueOf(top);
    RegistryLock lock(m_RegistryLock);
    if (auto it = m_Browsers.find(key); it != m_Browsers.end()) {
        return CWebObjRef(it->second.get());
    }
    if (chromeWindow == nullptr) {
        return {};
    }
    auto created = std::make_unique<CNS6Browser>(top, chromeWindow, TrapContext());
    CNS6Container* browser = created.get();
    m_Browsers.emplace(key, std::move(created));
    // A weak handle: the announcement the agent window sends may run nested
    // requests, and nothing guarantees the new object survives them.
    CWebObjRef handle(browser);
    browser->GetAgentWindow();
    PurgeClosedBrowsers();
    return handle.IsValid() ? handle : CWebObjRef();
}

void CNS6GeneralTrapInfo::RemoveBrowser(HWND window) {
    RegistryLock lock(m_RegistryLock);
    auto it = m_Browsers.find(ValueOf(window));
    if (it == m_Browsers.end()) {
        return;
    }
    // The object is being destroyed by someone else: let go without deleting.
    (void)it->second.release();
    m_Browsers.erase(it);
}

void CNS6GeneralTrapInfo::PurgeClosedBrowsers() {
    RegistryLock lock(m_RegistryLock);
    std::vector<int32_t> closed;
    for (const auto& [key, browser] : m_Browsers) {
        if (!IsWindow(HwndFromValue(static_cast<ULONG>(key)))) {
            closed.push_back(key);
        }
    }
    for (int32_t key : closed) {
        auto node = m_Browsers.extract(key);
        if (!node.empty()) {
            node.mapped().reset();
        }
    }
}

void CNS6GeneralTrapInfo::ListBrowsers(std::vector<CWebObjRef>& out) const {
    RegistryLock lock(m_RegistryLock);
    out.clear();
    out.reserve(m_Browsers.size());
    for (const auto& [key, browser] : m_Browsers) {
        out.emplace_back(browser.get());
    }
}

size_t CNS6GeneralTrapInfo::GetBrowserCount() const {
    RegistryLock lock(m_RegistryLock);
    return m_Browsers.size();
}

CWebObjRef CNS6GeneralTrapInfo::GetOrCreateFrame(nsIDOMWindow* window, HWND contentWindow) {
    if (window == nullptr) {
        return {};
    }
    CWebObjRef browserHandle = GetOrCreateBrowser(contentWindow, nullptr);
    auto* browser = dynamic_cast<CNS6Container*>(browserHandle.Get());
    if (browser == nullptr) {
        return {};
    }
    HWND native = GetNativeWindow(window);
    if (CWebObjRef known = browser->FindFrameByWindow(window)) {
        auto* frame = dynamic_cast<CNS6Frame*>(known.Get());
        if (frame != nullptr && frame->GetWindow() == native) {
            return known;
        }
    }
    CWebObjRef page = browser->FindChildByWindow(contentWindow);
    if (!page.IsValid() || native == nullptr) {
        return {};
    }
    CWebObjRef frame(new CNS6Frame(window, native, page));
    page->AddChild(frame);
    return frame.IsValid() ? frame : CWebObjRef();
}

CWebObjRef CNS6GeneralTrapInfo::GetOrCreatePage(nsIDOMWindow* window, HWND handle) {
    HWND key = GetNativeWindow(window);
    if (key == nullptr) {
        key = handle;
    }
    if (key == nullptr) {
        return {};
    }
    CWebObjRef browserHandle = GetOrCreateBrowser(key, nullptr);
    auto* browser = dynamic_cast<CNS6Container*>(browserHandle.Get());
    if (browser == nullptr) {
        return {};
    }
    if (CWebObjRef known = browser->FindChildByWindow(key)) {
        if (auto* page = dynamic_cast<CNS6Page*>(known.Get())) {
            page->PruneDeadFrames();
        }
        return known;
    }
    if (window == nullptr) {
        return {};
    }
    CWebObjRef page(new CNS6Page(window, key, browserHandle));
    browser->AddChild(page);
    return page.IsValid() ? page : CWebObjRef();
}

TrapGlobals& GetTrapGlobals() {
    // Never destroyed: browser objects and windows may still ask for it while
    // the process ends.
    static TrapGlobals* globals = new TrapGlobals();
    return *globals;
}

CNS6GeneralTrapInfo* GetNS6TrapInfo() {
    return dynamic_cast<CNS6GeneralTrapInfo*>(GetTrapGlobals().trapState.get());
}

CNS6Interface* GetNS6Dispatcher() {
    return dynamic_cast<CNS6Interface*>(GetTrapGlobals().dispatcher.get());
}

HINSTANCE GetTrapModuleInstance() {
    CGeneralTrapInfo* trap = GetTrapGlobals().trapState.get();
    return trap != nullptr ? trap->GetModuleInstance() : nullptr;
}

void CreateTrapState(HINSTANCE instance) {
    TrapGlobals& globals = GetTrapGlobals();
    auto trap = std::make_unique<CNS6GeneralTrapInfo>();
    trap->SetModuleInstance(instance);
    globals.trapState = std::move(trap);
    InstallAgentContext(TrapContext());
}

void SetTrapDispatcher(std::unique_ptr<CInterface> dispatcher) {
    InstallAgentContext(TrapContext());
    // Swap first, so that the old dispatcher's destructor sees the new one.
    std::unique_ptr<CInterface> old =
        std::exchange(GetTrapGlobals().dispatcher, std::move(dispatcher));
}

void DestroyTrapState() {
    TrapGlobals& globals = GetTrapGlobals();
    if (dynamic_cast<CNS6GeneralTrapInfo*>(globals.trapState.get()) == nullptr) {
        return;
    }
    // Cleared before the browsers go, so that nothing reached from their
    // destructors finds a half-destroyed trap state.
    std::unique_ptr<CGeneralTrapInfo> trap = std::move(globals.trapState);
    trap.reset();
}

void DestroyDispatcher() {
    TrapGlobals& globals = GetTrapGlobals();
    if (dynamic_cast<CNS6Interface*>(globals.dispatcher.get()) == nullptr) {
        return;
    }
    std::unique_ptr<CInterface> dispatcher = std::move(globals.dispatcher);
    dispatcher.reset();
}

// --- CTrapContext ---

CTrapContext::CTrapContext() : CDispatcherContext(&HolderDispatcher) {}

TextMatchFunction CTrapContext::GetTextMatcher() const {
    return &MatchText;
}

bool CTrapContext::HasTrapState() const {
    return GetTrapGlobals().trapState != nullptr;
}

HINSTANCE CTrapContext::GetModuleInstance() const {
    return GetTrapModuleInstance();
}

bool CTrapContext::ListBrowsers(std::vector<CWebObjRef>& out) {
    CNS6GeneralTrapInfo* trap = GetNS6TrapInfo();
    if (trap == nullptr) {
        return false;
    }
    trap->PurgeClosedBrowsers();
    trap->ListBrowsers(out);
    return true;
}

void CTrapContext::RemoveBrowser(HWND window) {
    if (CNS6GeneralTrapInfo* trap = GetNS6TrapInfo()) {
        trap->RemoveBrowser(window);
    }
}

CWebObjRef CTrapContext::GetOrCreatePage(nsIDOMWindow* window, HWND handle) {
    CNS6GeneralTrapInfo* trap = GetNS6TrapInfo();
    return trap != nullptr ? trap->GetOrCreatePage(window, handle) : CWebObjRef();
}

CWebObjRef CTrapContext::GetOrCreateFrame(nsIDOMWindow* window, HWND contentWindow) {
    CNS6GeneralTrapInfo* trap = GetNS6TrapInfo();
    return trap != nullptr ? trap->GetOrCreateFrame(window, contentWindow) : CWebObjRef();
}

nsIURIContentListener* CTrapContext::CreateContentListener(const CWebObjRef& browser) {
    return m_ListenerFactory != nullptr ? m_ListenerFactory(browser) : nullptr;
}

void CTrapContext::NotifyNavigationStart(const CWebObjRef& browser, nsIURI* uri) {
    if (m_NavigationStart != nullptr) {
        m_NavigationStart(browser, uri);
    }
}
