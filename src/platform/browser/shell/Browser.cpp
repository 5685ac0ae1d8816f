#include "platform/browser/shell/Browser.h"

#include "platform/browser/dom/Document.h"
#include "platform/browser/dom/HTMLElements.h"
#include "platform/browser/dom/Parser.h"
#include "platform/browser/shell/PresShell.h"
#include "platform/xpcom/dom/nsIDOMXULElement.h"
#include "platform/xpcom/nsXPCOM.h"

#include <algorithm>

namespace browser {
namespace {

std::string AbsoluteAddress(const std::string& url) {
    if (url.empty())
        return "about:blank";
    if (ParseURI(url))
        return url;
    return URIFromFilePath(url);
}

} // namespace

Browser::Browser() = default;

Browser::~Browser() {
    Shutdown();
}

nsresult Browser::Start() {
    if (m_started)
        return NS_OK;
    m_alive = std::make_shared<bool>(true);
    m_queue = EventQueue::ForCurrentThread();
    m_loader = new DocumentLoaderService;
    m_io = new IOService;
    m_queueService = new EventQueueService;
    m_loader->SetBrowserHooks(
        [this] {
            return std::any_of(m_windows.begin(), m_windows.end(),
                               [](const auto& window) { return window->IsBusy(); });
        },
        [this] {
            for (auto& window : m_windows)
                if (window->ChromeShell())
                    window->ChromeShell()->Stop();
        });
    if (NS_IsXPCOMRunning()) {
        nsCOMPtr<nsIServiceManager> services;
        if (NS_SUCCEEDED(NS_GetServiceManager(getter_AddRefs(services))) && services) {
            services->RegisterService(NS_DOCUMENTLOADER_SERVICE_CID,
                                      static_cast<nsIDocumentLoader*>(m_loader.get()));
            services->RegisterServiceByContractID(NS_DOCUMENTLOADER_SERVICE_CONTRACTID,
                                                  static_cast<nsIDocumentLoader*>(m_loader.get()));
            services->RegisterService(NS_IOSERVICE_CID, m_io.get());
            services->RegisterServiceByContractID(NS_IOSERVICE_CONTRACTID, m_io.get());
            services->RegisterService(NS_EVENTQUEUESERVICE_CID, m_queueService.get());
            services->RegisterServiceByContractID(NS_EVENTQUEUESERVICE_CONTRACTID,
                                                  m_queueService.get());
            m_servicesRegistered = true;
        }
    }
    m_started = true;
    return NS_OK;
}

void Browser::Shutdown() {
    if (!m_started)
        return;
    *m_alive = false;
    m_focusedShell = nullptr;
    for (auto& window : m_windows)
        window->Close();
    m_windows.clear();
    // Work that the closed windows left behind runs now, against shells
    // that are already taken apart (it does nothing).
    if (m_queue)
        m_queue->RunPending();
    if (m_servicesRegistered && NS_IsXPCOMRunning()) {
        nsCOMPtr<nsIServiceManager> services;
        if (NS_SUCCEEDED(NS_GetServiceManager(getter_AddRefs(services))) && services) {
            services->UnregisterService(NS_DOCUMENTLOADER_SERVICE_CID);
            services->UnregisterServiceByContractID(NS_DOCUMENTLOADER_SERVICE_CONTRACTID);
            services->UnregisterService(NS_IOSERVICE_CID);
            services->UnregisterServiceByContractID(NS_IOSERVICE_CONTRACTID);
            services->UnregisterService(NS_EVENTQUEUESERVICE_CID);
            services->UnregisterServiceByContractID(NS_EVENTQUEUESERVICE_CONTRACTID);
        }
    }
    m_servicesRegistered = false;
    if (m_loader)
        m_loader->SetBrowserHooks(nullptr, nullptr);
    m_started = false;
}

BrowserWindow* Browser::OpenWindow(const std::string& url, std::string chromeURL,
                                   BrowserWindow::Geometry geometry) {
    if (!m_started && NS_FAILED(Start()))
        return nullptr;
    if (geometry.x == 0 && geometry.y == 0) {
        // Each new window a little further down, as window managers do.
        geometry.x = geometry.y = m_nextWindowOffset;
        m_nextWindowOffset = (m_nextWindowOffset + 30) % 300;
    }
    m_windows.push_back(std::make_unique<BrowserWindow>(*this, std::move(chromeURL),
                                                        AbsoluteAddress(url), geometry));
    return m_windows.back().get();
}

void Browser::OpenLinkWindow(const std::string& url) {
    // Links that open a window: not in the middle of the click's dispatch.
    Post([this, alive = m_alive, url] {
        if (*alive)
            OpenWindow(url, std::string(kNavigatorURL));
    });
}

BrowserWindow* Browser::FindWindow(HWND handle) const {
    for (const auto& window : m_windows)
        if (window->Handle() == handle)
            return window.get();
    return nullptr;
}

void Browser::PruneClosedWindows() {
    std::erase_if(m_windows, [](const std::unique_ptr<BrowserWindow>& window) {
        if (window->IsOpen())
            return false;
        window->Close();
        return true;
    });
}

void Browser::ProcessEvents() {
    if (m_queue)
        m_queue->ProcessPendingEvents();
}

bool Browser::WaitUntilIdle(uint32_t timeoutMs) {
    if (!m_queue)
        return true;
    DWORD start = GetTickCount();
    for (;;) {
        m_queue->ProcessPendingEvents();
        bool busy = std::any_of(m_windows.begin(), m_windows.end(),
                                [](const auto& window) { return window->IsBusy(); });
        if (!busy && m_queue->PendingCount() == 0)
            return true;
        if (GetTickCount() - start >= timeoutMs)
            return false;
        m_queue->WaitAndProcess(50);
    }
}

void Browser::Post(std::function<void()> task) {
    if (m_queue)
        m_queue->Post(std::move(task));
}

} // namespace browser
