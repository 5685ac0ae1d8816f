// What the browser object asks of the frame and page objects below it. The
// frame and page classes implement these next to their CWebObj base; the
// browser reaches them from its children by dynamic_cast.
#pragma once

#include "agent/model/CWebObj.h"
#include "platform/win32/WinDef.h"

#include <vector>

class nsIDOMWindow;

class INS6Frame {
public:
    virtual ~INS6Frame() = default;
    // The frame's DOM window and native window still stand for it.
    virtual bool IsFrameAlive() = 0;
    // The frame's own native window (0 when it has none).
    virtual HWND GetFrameWindow() const = 0;
    // `window` is the native window of an embedded object in the frame's
    // document (a plug-in).
    virtual bool IsEmbedHwnd(HWND window) = 0;
};

class INS6Page {
public:
    virtual ~INS6Page() = default;
    // Appends the page's frame objects (refreshed while it loads); true when
    // the list is not empty.
    virtual bool AppendFrames(std::vector<CWebObjRef>& list) = 0;
    // The page itself or one of its frames showing `window`; null if none.
    virtual CWebObjRef FindFrameByWindow(nsIDOMWindow* window) = 0;
    // The page itself or the frame with this identifier; null if none.
    virtual CWebObjRef FindFrameById(const CWebRunTimeID& id) = 0;
};
