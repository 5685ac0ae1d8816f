// Start and end of the component framework, and the process-wide access to
// its managers.
//
//     nsXPCOMOptions options;
//     options.componentsDirectory = "/path/to/components";
//     options.registryFile = profile + "/compreg.dat";   // optional
//     NS_InitXPCOM(options);
//     ...
//     nsCOMPtr<nsIRegistry> registry = do_GetService(NS_REGISTRY_CONTRACTID);
//     nsCOMPtr<nsIFoo> foo = do_CreateInstance(kFooCID);
//     ...
//     NS_ShutdownXPCOM();
//
// Start-up loads the component registry file (when given), then registers
// every component library in the components folder that is new or changed
// since it was last registered; libraries are loaded when one of their
// classes is first asked for and stay loaded until shutdown. Shutdown tells
// the observers (NS_XPCOM_SHUTDOWN_OBSERVER_ID), writes the registry file,
// releases services, factories and modules, then unloads the libraries.
// A fresh Init after Shutdown starts a new, empty framework.
#pragma once

#include "platform/xpcom/nsCOMPtr.h"
#include "platform/xpcom/nsIComponentManager.h"
#include "platform/xpcom/nsIServiceManager.h"

#include <string>

struct nsXPCOMOptions {
    std::string componentsDirectory; // empty: no component libraries
    std::string registryFile;        // empty: the registry lives in memory only
};

// NS_ERROR_ALREADY_INITIALIZED when the framework runs already. A broken
// component library does not fail start-up; it is left out.
nsresult NS_InitXPCOM(const nsXPCOMOptions& options);
// NS_ERROR_NOT_INITIALIZED when the framework does not run.
nsresult NS_ShutdownXPCOM();
bool NS_IsXPCOMRunning();

// AddRef'ed managers; NS_ERROR_NOT_INITIALIZED when the framework does not run.
nsresult NS_GetComponentManager(nsIComponentManager** result);
nsresult NS_GetServiceManager(nsIServiceManager** result);

// Requests a service or a new instance when assigned to an nsCOMPtr.
class nsGetServiceOrInstance {
public:
    enum class Kind { Service, Instance };
    nsGetServiceOrInstance(Kind kind, const nsCID* cid, const char* contractID, nsresult* error)
        : m_kind(kind), m_cid(cid), m_contractID(contractID), m_error(error) {}

    nsresult Get(const nsIID& iid, void** result) const;

    template <typename T> operator nsCOMPtr<T>() const {
        nsCOMPtr<T> object;
        if (NS_FAILED(Get(T::kIID, getter_AddRefs(object))))
            object = nullptr;
        return object;
    }

private:
    Kind m_kind;
    const nsCID* m_cid; // observes: only used while the assignment runs
    const char* m_contractID;
    nsresult* m_error;
};

inline nsGetServiceOrInstance do_GetService(const nsCID& cid, nsresult* error = nullptr) {
    return {nsGetServiceOrInstance::Kind::Service, &cid, nullptr, error};
}
inline nsGetServiceOrInstance do_GetService(const char* contractID, nsresult* error = nullptr) {
    return {nsGetServiceOrInstance::Kind::Service, nullptr, contractID, error};
}
inline nsGetServiceOrInstance do_CreateInstance(const nsCID& cid, nsresult* error = nullptr) {
    return {nsGetServiceOrInstance::Kind::Instance, &cid, nullptr, error};
}
inline nsGetServiceOrInstance do_CreateInstance(const char* contractID, nsresult* error = nullptr) {
    return {nsGetServiceOrInstance::Kind::Instance, nullptr, contractID, error};
}
