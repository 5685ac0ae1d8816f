// The component manager: makes component instances from their class (CID) or
// contract identifier, and knows which factory or library serves each class.
//
//     nsCOMPtr<nsIFoo> foo = do_CreateInstance("@example/foo;1");   // nsXPCOM.h
#pragma once

#include "platform/xpcom/nsISupports.h"

class nsIFactory;
class nsIFile;

// Whether a registration may take over a class that is already registered.
enum class RegisterReplace { No, Yes };

class nsIComponentManager : public nsISupports {
public:
    static constexpr nsIID kIID{
        0x8458A740, 0xD5DC, 0x11D2, {0x92, 0xFB, 0x00, 0xE0, 0x98, 0x05, 0x57, 0x0F}};
    using BaseInterface = nsISupports;

    virtual nsresult GetClassObject(const nsCID& cid, const nsIID& iid, void** result) = 0;
    virtual nsresult GetClassObjectByContractID(const char* contractID, const nsIID& iid,
                                                void** result) = 0;
    virtual nsresult CreateInstance(const nsCID& cid, nsISupports* outer, const nsIID& iid,
                                    void** result) = 0;
    virtual nsresult CreateInstanceByContractID(const char* contractID, nsISupports* outer,
                                                const nsIID& iid, void** result) = 0;
    // NS_ERROR_FACTORY_NOT_REGISTERED for an unknown contract identifier.
    virtual nsresult ContractIDToCID(const char* contractID, nsCID* result) = 0;

    // A factory object made by the caller (className and contractID may be
    // null). NS_ERROR_FACTORY_EXISTS when the class is taken and not replaced.
    virtual nsresult RegisterFactory(const nsCID& cid, const char* className,
                                     const char* contractID, nsIFactory* factory,
                                     RegisterReplace replace) = 0;
    virtual nsresult UnregisterFactory(const nsCID& cid, nsIFactory* factory) = 0;
    // A class served by the component library at `location`, loaded when the
    // class is first asked for. Called by modules from RegisterSelf; the entry
    // is remembered in the component registry.
    virtual nsresult RegisterComponentLocation(const nsCID& cid, const char* className,
                                               const char* contractID, nsIFile* location,
                                               RegisterReplace replace) = 0;
    virtual nsresult UnregisterComponentLocation(const nsCID& cid, nsIFile* location) = 0;
    virtual nsresult IsRegistered(const nsCID& cid, bool* result) = 0;
    // Registers every component library in `directory` that is new or has
    // changed since it was last registered.
    virtual nsresult AutoRegister(nsIFile* directory) = 0;
};
