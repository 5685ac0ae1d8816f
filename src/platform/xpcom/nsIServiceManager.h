// The service manager: one shared instance per class, made on first request
// and kept until the framework shuts down.
//
//     nsCOMPtr<nsIRegistry> registry = do_GetService(NS_REGISTRY_CONTRACTID);   // nsXPCOM.h
#pragma once

#include "platform/xpcom/nsISupports.h"

class nsIServiceManager : public nsISupports {
public:
    static constexpr nsIID kIID{
        0x8BB35ED9, 0xE332, 0x462D, {0x91, 0x55, 0x4A, 0x00, 0x2A, 0xB5, 0xC9, 0x58}};
    using BaseInterface = nsISupports;

    virtual nsresult GetService(const nsCID& cid, const nsIID& iid, void** result) = 0;
    virtual nsresult GetServiceByContractID(const char* contractID, const nsIID& iid,
                                            void** result) = 0;
    // Publishes an existing object as the service of `cid` (or of a contract
    // identifier); NS_ERROR_FACTORY_EXISTS when one is already there.
    virtual nsresult RegisterService(const nsCID& cid, nsISupports* service) = 0;
    virtual nsresult RegisterServiceByContractID(const char* contractID, nsISupports* service) = 0;
    virtual nsresult UnregisterService(const nsCID& cid) = 0;
    virtual nsresult UnregisterServiceByContractID(const char* contractID) = 0;
    virtual nsresult IsServiceInstantiated(const nsCID& cid, bool* result) = 0;
};
