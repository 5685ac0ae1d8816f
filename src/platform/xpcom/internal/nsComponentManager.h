// The one manager object behind nsIComponentManager and nsIServiceManager.
#pragma once

#include "platform/xpcom/internal/nsRegistryStore.h"
#include "platform/xpcom/nsCOMPtr.h"
#include "platform/xpcom/nsIComponentManager.h"
#include "platform/xpcom/nsIFactory.h"
#include "platform/xpcom/nsIModule.h"
#include "platform/xpcom/nsIServiceManager.h"

#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace xpcom::internal {

class nsComponentManagerImpl final
    : public nsSupportsImpl<nsComponentManagerImpl, nsIComponentManager, nsIServiceManager> {
public:
    explicit nsComponentManagerImpl(std::string registryFile);

    // Loads the registry file and enters the built-in services.
    nsresult Startup();
    // Releases everything and unloads the libraries; afterwards every call
    // answers NS_ERROR_NOT_INITIALIZED.
    void Shutdown();

    nsresult GetClassObject(const nsCID& cid, const nsIID& iid, void** result) override;
    nsresult GetClassObjectByContractID(const char* contractID, const nsIID& iid,
                                        void** result) override;
    nsresult CreateInstance(const nsCID& cid, nsISupports* outer, const nsIID& iid,
                            void** result) override;
    nsresult CreateInstanceByContractID(const char* contractID, nsISupports* outer,
                                        const nsIID& iid, void** result) override;
    nsresult ContractIDToCID(const char* contractID, nsCID* result) override;
    nsresult RegisterFactory(const nsCID& cid, const char* className, const char* contractID,
                             nsIFactory* factory, RegisterReplace replace) override;
    nsresult UnregisterFactory(const nsCID& cid, nsIFactory* factory) override;
    nsresult RegisterComponentLocation(const nsCID& cid, const char* className,
                                       const char* contractID, nsIFile* location,
                                       RegisterReplace replace) override;
    nsresult UnregisterComponentLocation(const nsCID& cid, nsIFile* location) override;
    nsresult IsRegistered(const nsCID& cid, bool* result) override;
    nsresult AutoRegister(nsIFile* directory) override;

    nsresult GetService(const nsCID& cid, const nsIID& iid, void** result) override;
    nsresult GetServiceByContractID(const char* contractID, const nsIID& iid,
                                    void** result) override;
    nsresult RegisterService(const nsCID& cid, nsISupports* service) override;
    nsresult RegisterServiceByContractID(const char* contractID, nsISupports* service) override;
    nsresult UnregisterService(const nsCID& cid) override;
    nsresult UnregisterServiceByContractID(const char* contractID) override;
    nsresult IsServiceInstantiated(const nsCID& cid, bool* result) override;

private:
    friend nsSupportsImpl;
    ~nsComponentManagerImpl() override;

    struct ClassEntry {
        std::string className;
        std::string contractID;
        std::string location;         // library path; empty for a factory object
        nsCOMPtr<nsIFactory> factory; // made or loaded on first use
    };
    struct Library {
        std::string path;
        void* handle = nullptr; // owns: dlclose'd at shutdown, after the module is released
        nsCOMPtr<nsIModule> module;
    };

    nsresult Enter(const nsCID& cid, const char* className, const char* contractID,
                   nsIFactory* factory, std::string location, RegisterReplace replace);
    nsresult FindFactory(const nsCID& cid, nsCOMPtr<nsIFactory>& factory);
    nsresult LoadModule(const std::string& path, nsCOMPtr<nsIModule>& module);
    nsresult RegisterLibrary(const std::string& path, const std::string& stamp);
    void Remember(const nsCID& cid, const ClassEntry& entry);
    void Forget(const nsCID& cid);
    void ReadRememberedClasses();
    nsRegistryKey ComponentKey(const char* path);

    std::recursive_mutex m_lock;
    bool m_running = false;
    std::shared_ptr<RegistryStore> m_store;
    std::map<nsCID, ClassEntry> m_classes;
    std::map<std::string, nsCID, std::less<>> m_contracts;
    std::vector<Library> m_libraries; // in load order
    std::map<nsCID, nsCOMPtr<nsISupports>> m_services;
    std::map<std::string, nsCOMPtr<nsISupports>, std::less<>> m_contractServices;
    std::vector<nsCOMPtr<nsISupports>> m_serviceOrder; // release in reverse creation order
    std::set<nsCID> m_servicesInConstruction;
};

} // namespace xpcom::internal
