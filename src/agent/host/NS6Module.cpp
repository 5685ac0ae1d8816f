// The agent's component library: the module the browser's component framework
// loads from its components folder. It offers one component, the trap, and
// enters it under the application shell's key so that the shell creates and
// initialises it at every browser start.
#include "agent/host/NS6Module.h"

#include "agent/host/NS6trap.h"
#include "platform/xpcom/nsGenericModule.h"
#include "platform/xpcom/nsIRegistry.h"
#include "platform/xpcom/nsXPCOM.h"
#include "platform/xpcom/prprf.h"

#include <iterator>
#include <string>

nsresult NS6trapFactory(nsISupports* outer, const nsIID& iid, void** result) {
    if (!result)
        return E_POINTER;
    *result = nullptr;
    if (outer)
        return CLASS_E_NOAGGREGATION;
    NS6trap* trap = GetTrap();
    if (!trap)
        return E_OUTOFMEMORY;
    nsresult rv = trap->QueryInterface(iid, result);
    trap->Release();
    return rv;
}

nsresult NS6trapRegisterSelf(nsIComponentManager*, nsIFile*, const char*, const char*,
                             const nsModuleComponentInfo*) {
    nsresult rv = NS_OK;
    nsCOMPtr<nsIRegistry> registry = do_GetService(NS_REGISTRY_CONTRACTID, &rv);
    if (NS_FAILED(rv) || !registry)
        return NS_FAILED(rv) ? rv : NS_ERROR_FAILURE;
    registry->OpenWellKnownRegistry(nsIRegistry::ApplicationComponentRegistry);

    std::string cid = kNS6trapCID.ToString();
    if (cid.empty())
        cid = "unknown";
    char path[256];
    PR_snprintf(path, sizeof path, "%s/%s", NS_APPSHELL_COMPONENTS_KEY, cid.c_str());
    nsRegistryKey key = 0;
    return registry->AddSubtree(nsIRegistry::Common, path, &key);
}

namespace {

void NS6trapModuleDestructor(nsIModule*) {
    ReleaseTrap();
}

const nsModuleComponentInfo kComponents[] = {
    {"NS6trap Quorvin component", kNS6trapCID, kNS6trapContractID, NS6trapFactory,
     NS6trapRegisterSelf, nullptr},
};

// The stored module name keeps its double quotes.
const nsModuleInfo kModuleInfo = {NS_MODULEINFO_VERSION,
                                  "\"NS6trapQuorvinModule\"",
                                  kComponents,
                                  std::size(kComponents),
                                  nullptr,
                                  NS6trapModuleDestructor};

} // namespace

const nsModuleInfo& NS6trapModuleInfo() {
    return kModuleInfo;
}

NS_EXPORT_MODULE nsresult NSGetModule(nsIComponentManager*, nsIFile*, nsIModule** result) {
    return NS_NewGenericModule(&kModuleInfo, result);
}
