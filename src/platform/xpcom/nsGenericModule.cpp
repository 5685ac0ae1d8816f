#include "platform/xpcom/nsGenericModule.h"

#include "platform/xpcom/internal/nsManagerSlot.h"
#include "platform/xpcom/nsCOMPtr.h"

#include <span>

namespace {

class nsGenericFactory final : public nsSupportsImpl<nsGenericFactory, nsIFactory> {
public:
    explicit nsGenericFactory(NSConstructorProcPtr constructor) : m_constructor(constructor) {}

    nsresult CreateInstance(nsISupports* outer, const nsIID& iid, void** result) override {
        if (!result)
            return NS_ERROR_NULL_POINTER;
        *result = nullptr;
        if (!m_constructor)
            return NS_ERROR_FACTORY_NOT_LOADED;
        nsresult rv = m_constructor(outer, iid, result);
        if (NS_FAILED(rv))
            *result = nullptr; // a constructor's failure never leaks a stale pointer
        return rv;
    }
    nsresult LockFactory(bool) override { return NS_OK; }

private:
    NSConstructorProcPtr m_constructor;
};

class nsGenericModule final : public nsSupportsImpl<nsGenericModule, nsIModule> {
public:
    explicit nsGenericModule(const nsModuleInfo* info) : m_info(info) {}

    nsresult GetClassObject(nsIComponentManager* manager, const nsCID& cid, const nsIID& iid,
                            void** result) override {
        if (!result)
            return NS_ERROR_NULL_POINTER;
        *result = nullptr;
        xpcom::internal::AttachManager(manager);
        const nsModuleComponentInfo* component = Find(cid);
        if (!component)
            return NS_ERROR_FACTORY_NOT_REGISTERED;
        nsCOMPtr<nsIFactory> factory;
        nsresult rv = NS_NewGenericFactory(component->constructor, getter_AddRefs(factory));
        return NS_FAILED(rv) ? rv : factory->QueryInterface(iid, result);
    }

    nsresult RegisterSelf(nsIComponentManager* manager, nsIFile* location,
                          const char* registryLocation, const char* componentType) override {
        if (!manager)
            return NS_ERROR_NULL_POINTER;
        xpcom::internal::AttachManager(manager);
        nsresult result = NS_OK;
        for (const nsModuleComponentInfo& component : Components()) {
            nsresult rv = manager->RegisterComponentLocation(component.cid, component.description,
                                                             component.contractID, location,
                                                             RegisterReplace::Yes);
            // A failing callback leaves its component registered as an
            // ordinary component; the first failure is reported.
            if (NS_SUCCEEDED(rv) && component.registerSelf)
                rv = component.registerSelf(manager, location, registryLocation, componentType,
                                            &component);
            if (NS_FAILED(rv) && NS_SUCCEEDED(result))
                result = rv;
        }
        return result;
    }

    nsresult UnregisterSelf(nsIComponentManager* manager, nsIFile* location,
                            const char* registryLocation) override {
        if (!manager)
            return NS_ERROR_NULL_POINTER;
        for (const nsModuleComponentInfo& component : Components()) {
            if (component.unregisterSelf)
                component.unregisterSelf(manager, location, registryLocation, &component);
            manager->UnregisterComponentLocation(component.cid, location);
        }
        return NS_OK;
    }

    nsresult CanUnload(nsIComponentManager*, bool* result) override {
        if (!result)
            return NS_ERROR_NULL_POINTER;
        *result = true;
        return NS_OK;
    }

private:
    friend nsSupportsImpl;
    ~nsGenericModule() override {
        if (m_info->destructor)
            m_info->destructor(this);
        xpcom::internal::DetachManager();
    }

    std::span<const nsModuleComponentInfo> Components() const {
        return {m_info->components, m_info->componentCount};
    }

    const nsModuleComponentInfo* Find(const nsCID& cid) const {
        for (const nsModuleComponentInfo& component : Components()) {
            if (component.cid == cid)
                return &component;
        }
        return nullptr;
    }

    const nsModuleInfo* m_info; // observes: the library's static description
};

} // namespace

nsresult NS_NewGenericFactory(NSConstructorProcPtr constructor, nsIFactory** result) {
    if (!result)
        return NS_ERROR_NULL_POINTER;
    *result = new nsGenericFactory(constructor);
    (*result)->AddRef();
    return NS_OK;
}

nsresult NS_NewGenericModule(const nsModuleInfo* info, nsIModule** result) {
    if (!result)
        return NS_ERROR_NULL_POINTER;
    *result = nullptr;
    if (!info || info->version != NS_MODULEINFO_VERSION ||
        (info->componentCount && !info->components))
        return NS_ERROR_INVALID_ARG;
    nsCOMPtr<nsIModule> module = new nsGenericModule(info);
    if (info->constructor) {
        nsresult rv = info->constructor(module);
        if (NS_FAILED(rv))
            return rv;
    }
    *result = module.forget();
    return NS_OK;
}
