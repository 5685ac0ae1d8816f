#include "platform/xpcom/nsCOMPtr.h"
#include "platform/xpcom/nsError.h"

const char* NS_ResultName(nsresult rv) {
    switch (rv) {
#define NS_RESULT_CASE(name, value)                                                                \
    case value:                                                                                    \
        return #name;
        NS_ENUMERATE_RESULTS(NS_RESULT_CASE)
#undef NS_RESULT_CASE
    }
    return nullptr;
}

bool SameCOMIdentity(nsISupports* a, nsISupports* b) {
    if (!a || !b)
        return a == b;
    nsCOMPtr<nsISupports> ca = do_QueryInterface(a);
    nsCOMPtr<nsISupports> cb = do_QueryInterface(b);
    return ca && ca == cb;
}
