// Scrolling an element into view before the tool acts on it with real input:
// every scrolling division and every frame between the element and the top
// window is scrolled, innermost first, so that the element's top-left corner
// plus the requested point lands at the top-left of each container the
// element is not already wholly visible in.
//
//     nsresult result = ScrollNodeIntoView(node, ownerFrame, POINT{2, 3},
//                                          [&](nsIDOMNode* n, RECT& r) { return GetRect(n, r); });
//
// Rectangles are screen rectangles: an element's or division's rectangle in
// its frame's visible area (what `rectOf` answers) moved by the top-left
// corner of that frame's "rect".
#pragma once

#include "agent/channel/CWebInfo.h"
#include "agent/model/CWebObj.h"
#include "platform/win32/WinDef.h"
#include "platform/xpcom/dom/nsIDOMNode.h"

#include <functional>

// The rectangle of a node in pixels, relative to the visible area of the
// frame that shows it; false when it cannot be told.
using NodeRectReader = std::function<bool(nsIDOMNode* node, RECT& rect)>;

// 0 when the walk ran (XUL elements of the browser's own interface are not
// scrolled); E_FAIL without an owning frame or when a frame's rectangle
// cannot be read. A division whose scroll position cannot be read or set is
// passed over.
nsresult ScrollNodeIntoView(nsIDOMNode* node, const CWebObjRef& ownerFrame, POINT point,
                            const NodeRectReader& rectOf);

// "MakeVisible" of an element: scrolls it into view with the record's
// "point" (a pair; (0, 0) when absent) and adds "handle" (the owning frame's
// native window), "pos" (the screen point to click: the element's top-left
// corner plus the point) and "rect" (the element's screen rectangle), both
// taken after scrolling. A scroll failure becomes the record's result and
// nothing else is added but "handle".
void MakeNodeVisible(nsIDOMNode* node, const CWebObjRef& ownerFrame, CWebInfo& record,
                     const NodeRectReader& rectOf);

// Whether the browser window that shows the owning frame is disabled (a
// modal dialog runs): the top of the frame's native window chain has
// WS_DISABLED. False without a frame.
bool IsOwnerWindowDisabled(const CWebObjRef& ownerFrame);
