#include "agent/model/CWebFrameUtil.h"

bool CWebFrameUtil::IsOnlyPage(const CWebObjRef& object) const {
    if (!object.IsValid()) {
        return false;
    }
    CWebObjRef parent = object->GetParent();
    if (!parent.IsValid()) {
        return false;
    }
    if (parent->GetParent().IsValid()) {
        return false;
    }
    return parent->GetChildCount() == 1;
}

CWebFrameUtil& FrameClassUtil() {
    static CWebFrameUtil* util = new CWebFrameUtil();
    return *util;
}

CWebBrowserUtil& BrowserClassUtil() {
    static CWebBrowserUtil* util = new CWebBrowserUtil();
    return *util;
}
