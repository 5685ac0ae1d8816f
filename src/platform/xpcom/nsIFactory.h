// The class object of a component: makes its instances.
#pragma once

#include "platform/xpcom/nsISupports.h"

class nsIFactory : public nsISupports {
public:
    static constexpr nsIID kIID{
        0x00000001, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
    using BaseInterface = nsISupports;

    // A new instance as `iid`. A factory that does not support aggregation
    // refuses a non-null `outer` with NS_ERROR_NO_AGGREGATION (the Windows
    // CLASS_E_NOAGGREGATION); *result is null on every failure.
    virtual nsresult CreateInstance(nsISupports* outer, const nsIID& iid, void** result) = 0;
    // Keeps the factory's library loaded while locked.
    virtual nsresult LockFactory(bool lock) = 0;
};
