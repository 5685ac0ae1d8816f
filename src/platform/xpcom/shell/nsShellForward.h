// Forward declarations and small shared types of the browser's host
// interfaces: networking, the event queue, document loading and progress,
// document shells and the presentation layer.
//
// The agent includes only these headers (and the DOM's in
// platform/xpcom/dom); the simulated browser behind them lives in
// platform/browser.
#pragma once

#include "platform/xpcom/nsCOMPtr.h"
#include "platform/xpcom/nsISupports.h"
#include "platform/xpcom/nsString.h"

#include <cstdint>

using PRBool = int32_t;
using PRInt32 = int32_t;
using PRUint32 = uint32_t;
using PRUint16 = uint16_t;
using PRUint8 = uint8_t;
using nscoord = int32_t; // layout units (twips)

// Points and rectangles in layout units (twips) or pixels, as each use says.
struct nsPoint {
    nscoord x = 0;
    nscoord y = 0;
};

struct nsRect {
    nscoord x = 0;
    nscoord y = 0;
    nscoord width = 0;
    nscoord height = 0;
};

#ifndef PR_TRUE
#define PR_TRUE 1
#define PR_FALSE 0
#endif

struct HWND__;

namespace shell::internal {
// Interface identifiers made for this family: one running number each.
constexpr nsIID ShellIID(uint16_t n) {
    return nsIID{0x5b1e0000u + n,
                 0x2c44,
                 0x4f0a,
                 {0x8e, 0x17, 0x61, 0x0d, 0x00, 0x00, uint8_t(n >> 8), uint8_t(n & 0xFF)}};
}
} // namespace shell::internal

class nsIURI;
class nsIIOService;
class nsIRequest;
class nsIChannel;
class nsIInputStream;
class nsIRequestObserver;
class nsIStreamListener;
class nsIEventQueue;
class nsIEventQueueService;
class nsIWebProgress;
class nsIWebProgressListener;
class nsIDocumentLoader;
class nsIDocShell;
class nsIDocShellTreeItem;
class nsIWebNavigation;
class nsIURIContentListener;
class nsIInterfaceRequestor;
class nsIPresShell;
class nsIPresContext;
class nsILinkHandler;
class nsIEventStateManager;
class nsIViewManager;
class nsIView;
class nsIScrollableView;
class nsIWidget;
class nsIFrame;
class nsIScriptGlobalObject;
class nsIBrowserWindow;
class nsIBaseWindow;
class nsIDocShellTreeOwner;
class nsISHistory;
class nsIHistoryEntry;
struct nsEvent;
struct nsGUIEvent;
struct nsMouseEvent;

class nsIDOMWindow;
class nsIDOMDocument;
class nsIDOMNode;
class nsIDOMElement;
