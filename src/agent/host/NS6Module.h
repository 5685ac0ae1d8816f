// The agent component's module description and the two functions it names:
// the trap factory and the registration callback. NSGetModule, exported by
// the component library, makes the framework's generic module from it.
#pragma once

#include "platform/xpcom/nsGenericModule.h"

inline constexpr nsCID kNS6trapCID{
    0x1141F502, 0x005D, 0x11D7, {0x90, 0x7A, 0x00, 0x50, 0xDA, 0xBF, 0x58, 0x7B}};
inline constexpr const char* kNS6trapContractID = "/NS6trapQuorvin;1";

// The trap singleton as `iid`; refuses an outer object.
nsresult NS6trapFactory(nsISupports* outer, const nsIID& iid, void** result);

// Enters the trap's class identifier under the application shell's
// components key of the application component registry.
nsresult NS6trapRegisterSelf(nsIComponentManager* manager, nsIFile* location,
                             const char* registryLocation, const char* componentType,
                             const nsModuleComponentInfo* info);

const nsModuleInfo& NS6trapModuleInfo();

NS_EXPORT_MODULE nsresult NSGetModule(nsIComponentManager* manager, nsIFile* location,
                                      nsIModule** result);
