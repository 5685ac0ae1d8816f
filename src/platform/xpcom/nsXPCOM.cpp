#include "platform/xpcom/nsXPCOM.h"

#include "platform/xpcom/internal/nsComponentManager.h"
#include "platform/xpcom/internal/nsManagerSlot.h"
#include "platform/xpcom/nsIFile.h"

namespace xpcom::internal {

namespace {
nsIComponentManager* g_manager = nullptr; // owns one reference unless g_attached
bool g_attached = false;
} // namespace

nsIComponentManager* CurrentManager() {
    return g_manager;
}

void SetOwnedManager(nsIComponentManager* manager) {
    if (manager)
        manager->AddRef();
    nsIComponentManager* old = g_attached ? nullptr : g_manager;
    g_manager = manager;
    g_attached = false;
    if (old)
        old->Release();
}

void AttachManager(nsIComponentManager* manager) {
    if (!g_manager && manager) {
        g_manager = manager;
        g_attached = true;
    }
}

void DetachManager() {
    if (g_attached) {
        g_manager = nullptr;
        g_attached = false;
    }
}

} // namespace xpcom::internal

using xpcom::internal::CurrentManager;

nsresult NS_InitXPCOM(const nsXPCOMOptions& options) {
    if (CurrentManager())
        return NS_ERROR_ALREADY_INITIALIZED;
    nsCOMPtr<xpcom::internal::nsComponentManagerImpl> manager =
        new xpcom::internal::nsComponentManagerImpl(options.registryFile);
    nsresult rv = manager->Startup();
    if (NS_FAILED(rv))
        return rv;
    xpcom::internal::SetOwnedManager(manager);
    if (!options.componentsDirectory.empty()) {
        nsCOMPtr<nsIFile> folder;
        NS_NewNativeLocalFile(options.componentsDirectory, getter_AddRefs(folder));
        manager->AutoRegister(folder); // a broken library is left out, not fatal
    }
    return NS_OK;
}

nsresult NS_ShutdownXPCOM() {
    nsIComponentManager* current = CurrentManager();
    if (!current)
        return NS_ERROR_NOT_INITIALIZED;
    // Keep the manager alive while it shuts down: releasing the libraries
    // runs their code, which may still ask for it.
    nsCOMPtr<xpcom::internal::nsComponentManagerImpl> manager =
        static_cast<xpcom::internal::nsComponentManagerImpl*>(current);
    manager->Shutdown();
    xpcom::internal::SetOwnedManager(nullptr);
    return NS_OK;
}

bool NS_IsXPCOMRunning() {
    return CurrentManager() != nullptr;
}

nsresult NS_GetComponentManager(nsIComponentManager** result) {
    if (!result)
        return NS_ERROR_NULL_POINTER;
    *result = CurrentManager();
    if (!*result)
        return NS_ERROR_NOT_INITIALIZED;
    (*result)->AddRef();
    return NS_OK;
}

nsresult NS_GetServiceManager(nsIServiceManager** result) {
    if (!result)
        return NS_ERROR_NULL_POINTER;
    *result = nullptr;
    nsIComponentManager* manager = CurrentManager();
    if (!manager)
        return NS_ERROR_NOT_INITIALIZED;
    return manager->QueryInterface(nsIServiceManager::kIID, reinterpret_cast<void**>(result));
}

nsresult nsGetServiceOrInstance::Get(const nsIID& iid, void** result) const {
    *result = nullptr;
    nsresult rv = NS_ERROR_NOT_INITIALIZED;
    if (m_kind == Kind::Service) {
        nsCOMPtr<nsIServiceManager> services;
        rv = NS_GetServiceManager(getter_AddRefs(services));
        if (services)
            rv = m_cid ? services->GetService(*m_cid, iid, result)
                       : services->GetServiceByContractID(m_contractID, iid, result);
    } else {
        nsCOMPtr<nsIComponentManager> components;
        rv = NS_GetComponentManager(getter_AddRefs(components));
        if (components)
            rv = m_cid ? components->CreateInstance(*m_cid, nullptr, iid, result)
                       : components->CreateInstanceByContractID(m_contractID, nullptr, iid, result);
    }
    if (m_error)
        *m_error = rv;
    return rv;
}
