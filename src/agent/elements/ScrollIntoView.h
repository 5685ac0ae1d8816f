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
