// The native windows of the simulated browser and the widgets over them.
//
// Every browser window is a tree of desktop windows (all of class
// "MozillaWindowClass" unless said otherwise):
//
//     T  top-level window (WS_OVERLAPPEDWINDOW): the chrome document's widget
//     └─ A  content area box (WS_CHILD), placed where the chrome's "browser"
//        │  element is
//        └─ B  content area scroll port (WS_CHILD), fills A
//           └─ P  content shell's parent window (WS_CHILD), fills B
//              └─ C  top content window (WS_CHILD): the content document's widget
//                 ├─ F  frame or inline frame window (WS_CHILD), at the
//                 │  │  FRAME/IFRAME element's box in C's document
//                 │  └─ F' nested frame window, and so on
//                 └─ E  plug-in window of an OBJECT/EMBED element
//                       (class "PluginWindowClass")
//
// So a top content window is exactly four levels below its top-level window
// (the fourth ancestor of C is T, which has no parent): C is the content
// window of every window below it. The presentation's root view answers a
// document's own window (C, F, ...); its document shell's main widget is the
// window that one sits in (P for top content, C or a frame window for a
// frame). Counting four parents up from the main widget leaves the desktop
// for the top content shell only (P is three levels below T), never for a
// frame. Chrome documents of other top-level windows (a dialog) are shown in
// their own top-level window with no content area.
#pragma once

#include "platform/win32/Windows.h"
#include "platform/xpcom/shell/nsIPresShell.h"

#include <string_view>

namespace browser {

inline constexpr const char* kBrowserWindowClass = "MozillaWindowClass";
inline constexpr const char* kPluginWindowClass = "PluginWindowClass";
// The native list controls of a document's selection lists: a list box
// (a select with rows) and a drop-down (a closed select of one line).
inline constexpr const char* kListBoxWindowClass = "ListBox";
inline constexpr const char* kComboBoxWindowClass = "ComboBox";

// Registers the window classes once per process.
void RegisterBrowserWindowClasses();

// Told when a top-level browser window changed its size.
class ResizeObserver {
public:
    virtual ~ResizeObserver() = default;
    virtual void WindowResized() = 0;
};
// Connects a top-level window to the object that lays it out again when it
// is resized (null disconnects; the observer disconnects before it goes).
void SetResizeObserver(HWND window, ResizeObserver* observer);

// A top-level browser window of `width` x `height` at (x, y), shown.
HWND CreateTopLevelWindow(std::string_view title, int x, int y, int width, int height);
// A child window of `parent` at (x, y) in its client area.
HWND CreateChildWindow(HWND parent, const char* className, int x, int y, int width, int height);

// The widget of a native window; also the root view of the document shown
// in it (and that view's scroll position comes from the shell).
class Widget final : public nsSupportsImpl<Widget, nsIWidget> {
public:
    explicit Widget(HWND window) : m_window(window) {}
    HWND Window() const { return m_window; }
    // The window went away: the widget answers no window from now on.
    void Detach() { m_window = nullptr; }

    nsresult GetNativeWindow(HWND__** window) override;
    nsresult GetBounds(nsRect& bounds) override;
    nsresult GetScreenBounds(nsRect& bounds) override;

private:
    HWND m_window; // observes: the owning shell destroys the window and detaches us
};

} // namespace browser
