// Helpers that connect a DOM window with the browser behind it: its document
// shell and the native window of its widget.
//
//     nsCOMPtr<nsIDocShell> shell;
//     if (NS_SUCCEEDED(GetDocShell(window, getter_AddRefs(shell))))
//         ...
//     HWND hwnd = GetNativeWindow(window);
//
// A missing step gives null, false or a failure code; nothing is thrown.
#pragma once

#include "platform/win32/WinDef.h"
#include "platform/xpcom/dom/nsIDOMDocument.h"
#include "platform/xpcom/dom/nsIDOMWindow.h"
#include "platform/xpcom/shell/nsIDocShell.h"

// The window's document shell. E_INVALIDARG for a null window; the host's
// failure when the window has no shell or the shell is not one.
nsresult GetDocShell(nsIDOMWindow* window, nsIDocShell** shell);

// The native window of the widget behind a document's root view, through the
// document's first presentation shell; null for a document no window shows.
HWND GetDocumentNativeWindow(nsIDOMDocument* document);
// The native window of a document shell's main widget; null without one.
HWND GetDocShellNativeWindow(nsIDocShell* shell);

// The native window behind a DOM window: through the window's document and
// its presentation (which a window shows once it has a document), or else
// through its document shell. Null for a null window or when neither route
// gives one.
HWND GetNativeWindow(nsIDOMWindow* window);

// Whether the window is the top content area of a browser window: its
// document shell's native window sits fewer than four parent levels below
// the desktop. False for a null window or one without a native window.
bool IsTopContentWindow(nsIDOMWindow* window);

// The first window at or above `window` that is not a child window (WS_CHILD
// with a parent); null for null.
HWND GetNonChildAncestor(HWND window);
