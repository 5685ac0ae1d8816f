#include "platform/xpcom/internal/nsComponentManager.h"

#include "platform/xpcom/internal/nsManagerSlot.h"
#include "platform/xpcom/internal/nsObserverService.h"
#include "platform/xpcom/nsGenericModule.h"
#include "platform/xpcom/nsIFile.h"
#include "platform/xpcom/nsIObserver.h"

#include <algorithm>
#include <cstdio>
#include <dlfcn.h>
#include <filesystem>

namespace xpcom::internal {

namespace {

// Where the manager remembers classes and registered libraries in the
// application component registry.
constexpr const char* kClassesKey = "software/webagent/xpcom/classes";
constexpr const char* kLibrariesKey = "software/webagent/xpcom/libraries";
constexpr const char* kComponentType = "application/x-native-component";

using Lock = std::lock_guard<std::recursive_mutex>;

// Size and modification time: a library is registered again when they change.
std::string FileStamp(const std::filesystem::path& path) {
    std::error_code ec;
    auto size = std::filesystem::file_size(path, ec);
    auto time = std::filesystem::last_write_time(path, ec);
    return std::to_string(size) + ":" + std::to_string(time.time_since_epoch().count());
}

bool IsComponentLibrary(const std::filesystem::directory_entry& entry) {
    std::error_code ec;
    auto extension = entry.path().extension();
    return entry.is_regular_file(ec) && (extension == ".so" || extension == ".dll");
}

std::string PathOf(nsIFile* file) {
    std::string path;
    if (file)
        file->GetNativePath(path);
    return path;
}

// The registry service: a new instance per request over the shared store.
class nsRegistryFactory final : public nsSupportsImpl<nsRegistryFactory, nsIFactory> {
public:
    explicit nsRegistryFactory(std::shared_ptr<RegistryStore> store) : m_store(std::move(store)) {}
    nsresult CreateInstance(nsISupports* outer, const nsIID& iid, void** result) override {
        if (!result)
            return NS_ERROR_NULL_POINTER;
        *result = nullptr;
        if (outer)
            return NS_ERROR_NO_AGGREGATION;
        nsCOMPtr<nsIRegistry> registry;
        nsresult rv = NewRegistry(m_store, getter_AddRefs(registry));
        return NS_FAILED(rv) ? rv : registry->QueryInterface(iid, result);
    }
    nsresult LockFactory(bool) override { return NS_OK; }

private:
    std::shared_ptr<RegistryStore> m_store;
};

nsresult ObserverServiceConstructor(nsISupports* outer, const nsIID& iid, void** result) {
    if (!result)
        return NS_ERROR_NULL_POINTER;
    *result = nullptr;
    if (outer)
        return NS_ERROR_NO_AGGREGATION;
    nsCOMPtr<nsIObserverService> service;
    nsresult rv = NewObserverService(getter_AddRefs(service));
    return NS_FAILED(rv) ? rv : service->QueryInterface(iid, result);
}

} // namespace

nsComponentManagerImpl::nsComponentManagerImpl(std::string registryFile)
    : m_store(std::make_shared<RegistryStore>()) {
    m_store->componentRegistryFile = std::move(registryFile);
}

nsComponentManagerImpl::~nsComponentManagerImpl() {
    Shutdown();
}

nsresult nsComponentManagerImpl::Startup() {
    Lock lock(m_lock);
    nsresult rv = m_store->Load();
    if (rv == NS_ERROR_FAILURE)
        std::fprintf(stderr, "xpcom: component registry %s unreadable; starting afresh\n",
                     m_store->componentRegistryFile.c_str());
    m_running = true;
    ReadRememberedClasses();
    nsCOMPtr<nsIFactory> registryFactory = new nsRegistryFactory(m_store);
    Enter(NS_REGISTRY_CID, "Registry service", NS_REGISTRY_CONTRACTID, registryFactory, {},
          RegisterReplace::Yes);
    nsCOMPtr<nsIFactory> observerFactory;
    NS_NewGenericFactory(ObserverServiceConstructor, getter_AddRefs(observerFactory));
    Enter(NS_OBSERVERSERVICE_CID, "Observer service", NS_OBSERVERSERVICE_CONTRACTID,
          observerFactory, {}, RegisterReplace::Yes);
    return NS_OK;
}

void nsComponentManagerImpl::Shutdown() {
    {
        Lock lock(m_lock);
        if (!m_running)
            return;
    }
    // Observers hear of the end while every service still works.
    nsCOMPtr<nsIObserverService> observers;
    GetService(NS_OBSERVERSERVICE_CID, nsIObserverService::kIID, getter_AddRefs(observers));
    if (observers)
        observers->NotifyObservers(nullptr, NS_XPCOM_SHUTDOWN_OBSERVER_ID, nullptr);
    observers = nullptr;

    std::vector<nsCOMPtr<nsISupports>> services;
    std::map<nsCID, ClassEntry> classes;
    std::vector<Library> libraries;
    {
        Lock lock(m_lock);
        m_running = false;
        if (NS_FAILED(m_store->Save()))
            std::fprintf(stderr, "xpcom: cannot write component registry %s\n",
                         m_store->componentRegistryFile.c_str());
        services.swap(m_serviceOrder);
        m_services.clear();
        m_contractServices.clear();
        classes.swap(m_classes);
        m_contracts.clear();
        libraries.swap(m_libraries);
    }
    // Released outside the lock (their destructors may call us) and before
    // the libraries whose code they run are unloaded.
    while (!services.empty())
        services.pop_back();
    classes.clear();
    for (auto library = libraries.rbegin(); library != libraries.rend(); ++library)
        library->module = nullptr;
    for (auto library = libraries.rbegin(); library != libraries.rend(); ++library) {
        if (library->handle)
            dlclose(library->handle);
    }
}

nsresult nsComponentManagerImpl::Enter(const nsCID& cid, const char* className,
                                       const char* contractID, nsIFactory* factory,
                                       std::string location, RegisterReplace replace) {
    Lock lock(m_lock);
    if (!m_running)
        return NS_ERROR_NOT_INITIALIZED;
    if (m_classes.contains(cid) && replace == RegisterReplace::No)
        return NS_ERROR_FACTORY_EXISTS;
    if (auto old = m_classes.find(cid); old != m_classes.end() && !old->second.contractID.empty())
        m_contracts.erase(old->second.contractID);
    ClassEntry& entry = m_classes[cid];
    entry.className = className ? className : "";
    entry.contractID = contractID ? contractID : "";
    entry.location = std::move(location);
    entry.factory = factory;
    if (!entry.contractID.empty())
        m_contracts.insert_or_assign(entry.contractID, cid);
    if (!entry.location.empty())
        Remember(cid, entry);
    return NS_OK;
}

nsresult nsComponentManagerImpl::RegisterFactory(const nsCID& cid, const char* className,
                                                 const char* contractID, nsIFactory* factory,
                                                 RegisterReplace replace) {
    if (!factory)
        return NS_ERROR_NULL_POINTER;
    return Enter(cid, className, contractID, factory, {}, replace);
}

nsresult nsComponentManagerImpl::RegisterComponentLocation(const nsCID& cid, const char* className,
                                                           const char* contractID,
                                                           nsIFile* location,
                                                           RegisterReplace replace) {
    std::string path = PathOf(location);
    if (path.empty())
        return NS_ERROR_INVALID_ARG;
    return Enter(cid, className, contractID, nullptr, std::move(path), replace);
}

nsresult nsComponentManagerImpl::UnregisterFactory(const nsCID& cid, nsIFactory* factory) {
    Lock lock(m_lock);
    auto entry = m_classes.find(cid);
    if (entry == m_classes.end() || entry->second.factory.get() != factory ||
        !entry->second.location.empty())
        return NS_ERROR_FACTORY_NOT_REGISTERED;
    if (!entry->second.contractID.empty())
        m_contracts.erase(entry->second.contractID);
    m_classes.erase(entry);
    return NS_OK;
}

nsresult nsComponentManagerImpl::UnregisterComponentLocation(const nsCID& cid, nsIFile* location) {
    Lock lock(m_lock);
    auto entry = m_classes.find(cid);
    if (entry == m_classes.end() || entry->second.location != PathOf(location))
        return NS_ERROR_FACTORY_NOT_REGISTERED;
    if (!entry->second.contractID.empty())
        m_contracts.erase(entry->second.contractID);
    m_classes.erase(entry);
    Forget(cid);
    return NS_OK;
}

nsresult nsComponentManagerImpl::IsRegistered(const nsCID& cid, bool* result) {
    if (!result)
        return NS_ERROR_NULL_POINTER;
    Lock lock(m_lock);
    *result = m_classes.contains(cid);
    return NS_OK;
}

nsresult nsComponentManagerImpl::ContractIDToCID(const char* contractID, nsCID* result) {
    if (!contractID || !result)
        return NS_ERROR_NULL_POINTER;
    Lock lock(m_lock);
    if (!m_running)
        return NS_ERROR_NOT_INITIALIZED;
    auto found = m_contracts.find(std::string_view(contractID));
    if (found == m_contracts.end())
        return NS_ERROR_FACTORY_NOT_REGISTERED;
    *result = found->second;
    return NS_OK;
}

nsresult nsComponentManagerImpl::LoadModule(const std::string& path, nsCOMPtr<nsIModule>& module) {
    for (const Library& library : m_libraries) {
        if (library.path == path) {
            module = library.module;
            return NS_OK;
        }
    }
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        std::fprintf(stderr, "xpcom: cannot load %s: %s\n", path.c_str(), dlerror());
        return NS_ERROR_FACTORY_NOT_LOADED;
    }
    auto entry = reinterpret_cast<nsGetModuleProc>(dlsym(handle, kNSGetModuleSymbol));
    if (!entry) {
        // Not a component library (a helper library a component keeps beside
        // itself): left out without a word.
        dlclose(handle);
        return NS_ERROR_FACTORY_NOT_LOADED;
    }
    nsCOMPtr<nsIFile> file;
    NS_NewNativeLocalFile(path, getter_AddRefs(file));
    nsresult rv = entry(this, file, getter_AddRefs(module));
    if (NS_SUCCEEDED(rv) && !module)
        rv = NS_ERROR_FACTORY_NOT_LOADED; // success without a module is no success
    if (NS_FAILED(rv)) {
        std::fprintf(stderr, "xpcom: %s gives no module (0x%08X)\n", path.c_str(), rv);
        module = nullptr;
        dlclose(handle);
        return rv;
    }
    m_libraries.push_back({path, handle, module});
    return NS_OK;
}

nsresult nsComponentManagerImpl::FindFactory(const nsCID& cid, nsCOMPtr<nsIFactory>& factory) {
    Lock lock(m_lock);
    if (!m_running)
        return NS_ERROR_NOT_INITIALIZED;
    auto entry = m_classes.find(cid);
    if (entry == m_classes.end())
        return NS_ERROR_FACTORY_NOT_REGISTERED;
    if (!entry->second.factory) {
        std::string location = entry->second.location;
        nsCOMPtr<nsIModule> module;
        nsresult rv = LoadModule(location, module);
        if (NS_FAILED(rv))
            return rv;
        nsCOMPtr<nsIFactory> loaded;
        rv = module->GetClassObject(this, cid, nsIFactory::kIID, getter_AddRefs(loaded));
        if (NS_FAILED(rv) || !loaded)
            return NS_FAILED(rv) ? rv : NS_ERROR_FACTORY_NOT_LOADED;
        // The module ran our code meanwhile: look the entry up again.
        entry = m_classes.find(cid);
        if (entry == m_classes.end())
            return NS_ERROR_FACTORY_NOT_REGISTERED;
        entry->second.factory = loaded;
    }
    factory = entry->second.factory;
    return NS_OK;
}

nsresult nsComponentManagerImpl::GetClassObject(const nsCID& cid, const nsIID& iid, void** result) {
    if (!result)
        return NS_ERROR_NULL_POINTER;
    *result = nullptr;
    nsCOMPtr<nsIFactory> factory;
    nsresult rv = FindFactory(cid, factory);
    return NS_FAILED(rv) ? rv : factory->QueryInterface(iid, result);
}

nsresult nsComponentManagerImpl::GetClassObjectByContractID(const char* contractID,
                                                            const nsIID& iid, void** result) {
    if (!result)
        return NS_ERROR_NULL_POINTER;
    *result = nullptr;
    nsCID cid;
    nsresult rv = ContractIDToCID(contractID, &cid);
    return NS_FAILED(rv) ? rv : GetClassObject(cid, iid, result);
}

nsresult nsComponentManagerImpl::CreateInstance(const nsCID& cid, nsISupports* outer,
                                                const nsIID& iid, void** result) {
    if (!result)
        return NS_ERROR_NULL_POINTER;
    *result = nullptr;
    nsCOMPtr<nsIFactory> factory;
    nsresult rv = FindFactory(cid, factory);
    if (NS_FAILED(rv))
        return rv;
    rv = factory->CreateInstance(outer, iid, result);
    if (NS_FAILED(rv))
        *result = nullptr;
    else if (!*result)
        rv = NS_ERROR_FAILURE; // a factory answering success without an object
    return rv;
}

nsresult nsComponentManagerImpl::CreateInstanceByContractID(const char* contractID,
                                                            nsISupports* outer, const nsIID& iid,
                                                            void** result) {
    if (!result)
        return NS_ERROR_NULL_POINTER;
    *result = nullptr;
    nsCID cid;
    nsresult rv = ContractIDToCID(contractID, &cid);
    return NS_FAILED(rv) ? rv : CreateInstance(cid, outer, iid, result);
}

nsresult nsComponentManagerImpl::GetService(const nsCID& cid, const nsIID& iid, void** result) {
    if (!result)
        return NS_ERROR_NULL_POINTER;
    *result = nullptr;
    Lock lock(m_lock);
    if (!m_running)
        return NS_ERROR_NOT_INITIALIZED;
    if (auto found = m_services.find(cid); found != m_services.end())
        return found->second->QueryInterface(iid, result);
    // A service whose construction asks for itself would recurse forever.
    if (!m_servicesInConstruction.insert(cid).second)
        return NS_ERROR_NOT_AVAILABLE;
    nsCOMPtr<nsISupports> service;
    nsresult rv = CreateInstance(cid, nullptr, nsISupports::kIID, getter_AddRefs(service));
    m_servicesInConstruction.erase(cid);
    if (NS_FAILED(rv))
        return rv;
    if (!m_running)
        return NS_ERROR_NOT_INITIALIZED;
    m_services.emplace(cid, service);
    m_serviceOrder.push_back(service);
    return service->QueryInterface(iid, result);
}

nsresult nsComponentManagerImpl::GetServiceByContractID(const char* contractID, const nsIID& iid,
                                                        void** result) {
    if (!result || !contractID)
        return NS_ERROR_NULL_POINTER;
    *result = nullptr;
    {
        Lock lock(m_lock);
        auto found = m_contractServices.find(std::string_view(contractID));
        if (m_running && found != m_contractServices.end())
            return found->second->QueryInterface(iid, result);
    }
    nsCID cid;
    nsresult rv = ContractIDToCID(contractID, &cid);
    return NS_FAILED(rv) ? rv : GetService(cid, iid, result);
}

nsresult nsComponentManagerImpl::RegisterService(const nsCID& cid, nsISupports* service) {
    if (!service)
        return NS_ERROR_NULL_POINTER;
    Lock lock(m_lock);
    if (!m_running)
        return NS_ERROR_NOT_INITIALIZED;
    if (!m_services.emplace(cid, service).second)
        return NS_ERROR_FACTORY_EXISTS;
    m_serviceOrder.push_back(service);
    return NS_OK;
}

nsresult nsComponentManagerImpl::RegisterServiceByContractID(const char* contractID,
                                                             nsISupports* service) {
    if (!service || !contractID)
        return NS_ERROR_NULL_POINTER;
    Lock lock(m_lock);
    if (!m_running)
        return NS_ERROR_NOT_INITIALIZED;
    if (!m_contractServices.emplace(contractID, service).second)
        return NS_ERROR_FACTORY_EXISTS;
    m_serviceOrder.push_back(service);
    return NS_OK;
}

nsresult nsComponentManagerImpl::UnregisterService(const nsCID& cid) {
    nsCOMPtr<nsISupports> service; // released after the lock
    Lock lock(m_lock);
    auto found = m_services.find(cid);
    if (found == m_services.end())
        return NS_ERROR_NOT_AVAILABLE;
    service = found->second;
    m_services.erase(found);
    std::erase(m_serviceOrder, service);
    return NS_OK;
}

nsresult nsComponentManagerImpl::UnregisterServiceByContractID(const char* contractID) {
    if (!contractID)
        return NS_ERROR_NULL_POINTER;
    nsCOMPtr<nsISupports> service;
    Lock lock(m_lock);
    auto found = m_contractServices.find(std::string_view(contractID));
    if (found == m_contractServices.end())
        return NS_ERROR_NOT_AVAILABLE;
    service = found->second;
    m_contractServices.erase(found);
    std::erase(m_serviceOrder, service);
    return NS_OK;
}

nsresult nsComponentManagerImpl::IsServiceInstantiated(const nsCID& cid, bool* result) {
    if (!result)
        return NS_ERROR_NULL_POINTER;
    Lock lock(m_lock);
    *result = m_services.contains(cid);
    return NS_OK;
}

nsRegistryKey nsComponentManagerImpl::ComponentKey(const char* path) {
    return *m_store->componentRegistry.AddPath(nsIRegistry::Common, path);
}

void nsComponentManagerImpl::Remember(const nsCID& cid, const ClassEntry& entry) {
    RegistryTree& tree = m_store->componentRegistry;
    nsRegistryKey key = *tree.AddChild(ComponentKey(kClassesKey), cid.ToString());
    tree.SetValue(key, "className", entry.className);
    tree.SetValue(key, "contractID", entry.contractID);
    tree.SetValue(key, "location", entry.location);
}

void nsComponentManagerImpl::Forget(const nsCID& cid) {
    RegistryTree& tree = m_store->componentRegistry;
    if (auto key = tree.Child(ComponentKey(kClassesKey), cid.ToString()))
        tree.Remove(*key);
}

void nsComponentManagerImpl::ReadRememberedClasses() {
    RegistryTree& tree = m_store->componentRegistry;
    nsRegistryKey classes = ComponentKey(kClassesKey);
    for (const std::string& name : tree.ChildNames(classes)) {
        auto cid = nsID::Parse(name);
        nsRegistryKey key = *tree.Child(classes, name);
        auto text = [&](const char* value) {
            const auto* found = tree.GetValue(key, value);
            const auto* string = found ? std::get_if<std::string>(found) : nullptr;
            return string ? *string : std::string();
        };
        std::string location = text("location");
        if (!cid || location.empty())
            continue;
        ClassEntry& entry = m_classes[*cid];
        entry.className = text("className");
        entry.contractID = text("contractID");
        entry.location = location;
        if (!entry.contractID.empty())
            m_contracts.insert_or_assign(entry.contractID, *cid);
    }
}

nsresult nsComponentManagerImpl::RegisterLibrary(const std::string& path,
                                                 const std::string& stamp) {
    nsCOMPtr<nsIModule> module;
    nsresult rv = LoadModule(path, module);
    if (NS_FAILED(rv))
        return rv;
    nsCOMPtr<nsIFile> file;
    NS_NewNativeLocalFile(path, getter_AddRefs(file));
    rv = module->RegisterSelf(this, file, path.c_str(), kComponentType);
    // The library counts as registered even when a registration callback
    // failed: its components are entered, and running the callbacks again at
    // every start would not make them succeed.
    RegistryTree& tree = m_store->componentRegistry;
    nsRegistryKey key = *tree.AddChild(ComponentKey(kLibrariesKey), path);
    tree.SetValue(key, "stamp", stamp);
    return rv;
}

nsresult nsComponentManagerImpl::AutoRegister(nsIFile* directory) {
    std::string folder = PathOf(directory);
    if (folder.empty())
        return NS_ERROR_NULL_POINTER;
    std::error_code ec;
    std::vector<std::filesystem::path> found;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        if (IsComponentLibrary(entry))
            found.push_back(entry.path());
    }
    if (ec)
        return NS_ERROR_FILE_NOT_FOUND;
    std::sort(found.begin(), found.end());

    Lock lock(m_lock);
    if (!m_running)
        return NS_ERROR_NOT_INITIALIZED;
    RegistryTree& tree = m_store->componentRegistry;
    nsresult result = NS_OK;
    for (const std::filesystem::path& library : found) {
        std::string path = library.string();
        std::string stamp = FileStamp(library);
        nsRegistryKey libraries = ComponentKey(kLibrariesKey);
        if (auto key = tree.Child(libraries, path)) {
            const auto* known = tree.GetValue(*key, "stamp");
            if (known && std::get_if<std::string>(known) &&
                *std::get_if<std::string>(known) == stamp)
                continue; // registered at an earlier start and unchanged since
        }
        nsresult rv = RegisterLibrary(path, stamp);
        if (NS_FAILED(rv) && NS_SUCCEEDED(result))
            result = rv;
    }
    // Libraries that were registered from this folder but are gone take
    // their classes with them. The folder may have been named differently at
    // an earlier start ("dir/", "./dir"), so it is compared as a file, not as
    // text; a library that is still there exists and is skipped.
    nsRegistryKey libraries = ComponentKey(kLibrariesKey);
    for (const std::string& path : tree.ChildNames(libraries)) {
        std::error_code error;
        if (std::filesystem::exists(path, error))
            continue;
        bool here =
            std::filesystem::equivalent(std::filesystem::path(path).parent_path(), folder, error);
        if (error || !here)
            continue;
        tree.Remove(*tree.Child(libraries, path));
        for (auto entry = m_classes.begin(); entry != m_classes.end();) {
            if (entry->second.location != path) {
                ++entry;
                continue;
            }
            if (!entry->second.contractID.empty())
                m_contracts.erase(entry->second.contractID);
            Forget(entry->first);
            entry = m_classes.erase(entry);
        }
    }
    return result;
}

} // namespace xpcom::internal
