#include "agent/dispatch/ImageSaving.h"

nsresult SaveImageWithWinInet(CWebInfo& record) {
    // FIXME: the download through the Internet functions and the copy of a
    // local "file:" URL have not landed; the request is refused meanwhile.
    record.SetRetValue(E_NOTIMPL);
    return E_NOTIMPL;
}
