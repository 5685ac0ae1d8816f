#include "platform/xpcom/nsCOMPtr.h"
#include "platform/xpcom/nsError.h"
#include "platform/xpcom/prprf.h"

#include <cstdarg>
#include <cstdio>

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

uint32_t PR_snprintf(char* buffer, uint32_t size, const char* format, ...) {
    if (!buffer || size == 0 || !format)
        return UINT32_MAX;
    va_list args;
    va_start(args, format);
    int written = std::vsnprintf(buffer, size, format, args);
    va_end(args);
    if (written < 0) {
        buffer[0] = '\0';
        return UINT32_MAX;
    }
    return static_cast<uint32_t>(written) < size ? static_cast<uint32_t>(written) : size - 1;
}
