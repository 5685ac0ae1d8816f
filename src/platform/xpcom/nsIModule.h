// What a component library hands the framework through its NSGetModule entry
// point: its factories and its registration.
#pragma once

#include "platform/xpcom/nsISupports.h"

class nsIComponentManager;
class nsIFile;

class nsIModule : public nsISupports {
public:
    static constexpr nsIID kIID{
        0x7392D032, 0x5371, 0x11D3, {0x99, 0x4E, 0x00, 0x80, 0x5F, 0xD2, 0x6F, 0xEE}};
    using BaseInterface = nsISupports;

    // The class object (usually nsIFactory) of component `cid`.
    virtual nsresult GetClassObject(nsIComponentManager* manager, const nsCID& cid,
                                    const nsIID& iid, void** result) = 0;
    // Enters the module's components with the manager and runs their
    // registration callbacks. `location` is the library file.
    virtual nsresult RegisterSelf(nsIComponentManager* manager, nsIFile* location,
                                  const char* registryLocation, const char* componentType) = 0;
    virtual nsresult UnregisterSelf(nsIComponentManager* manager, nsIFile* location,
                                    const char* registryLocation) = 0;
    virtual nsresult CanUnload(nsIComponentManager* manager, bool* result) = 0;
};

// The entry point every component library exports with C linkage.
using nsGetModuleProc = nsresult (*)(nsIComponentManager* manager, nsIFile* location,
                                     nsIModule** result);
inline constexpr const char* kNSGetModuleSymbol = "NSGetModule";

// Exports a component library's entry point; the library is built with hidden
// visibility so that this is its only export.
//
//     NS_EXPORT_MODULE nsresult NSGetModule(nsIComponentManager*, nsIFile*, nsIModule** result);
#define NS_EXPORT_MODULE extern "C" __attribute__((visibility("default")))
