// The class utilities of the page structure: frames and pages share the
// frame utility, browsers have their own. Unlike element utilities they
// report a single class name and no parent classes.
#pragma once

#include "agent/model/CWebObjUtil.h"

class CWebFrameUtil : public CWebObjUtil {
public:
    CWebFrameUtil() : CWebObjUtil(kStructureFlags, {"html_frame"}) {}

    // True exactly for the page of a browser window that holds no other
    // page: the object's parent has no parent and one child.
    bool IsOnlyPage(const CWebObjRef& object) const;
};

class CWebBrowserUtil : public CWebObjUtil {
public:
    // Browsers keep empty description items: they are not in the class table.
    CWebBrowserUtil() : CWebObjUtil(kStructureFlags, {"html_browser"}) { ClearTemplate(); }
};

// The process's frame and browser utilities, created on first use and never
// destroyed (objects made late in shutdown may still point to them). The
// class utility table refers to these same instances.
CWebFrameUtil& FrameClassUtil();
CWebBrowserUtil& BrowserClassUtil();
