// Windows, window classes and messages of the desktop stand-in.
//
// A window belongs to the thread that created it. SendMessage to a window of
// the calling thread calls its procedure directly; to a window of another
// thread it queues the message for that thread and waits, handling meanwhile
// the messages that other threads send to the caller's own windows. A thread
// handles messages sent to it while it is inside GetMessage, PeekMessage,
// MsgWaitForMultipleObjects, WaitMessage or its own SendMessage. When a
// thread ends, its windows vanish without further messages and whatever was
// sent to it and not yet handled answers 0.
//
// Geometry: there is one screen. Top-level windows are placed in screen
// coordinates, child windows relative to their parent's client area. No style
// gives a window a non-client frame, so the client area always covers the
// whole window and GetClientRect answers (0, 0, width, height).
//
// Only the narrow-character functions exist, under the plain names.
#pragma once

#include "platform/win32/WinDef.h"

using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);
using WNDENUMPROC = BOOL (*)(HWND, LPARAM);

// X(name, value): window messages.
#define WIN32_ENUMERATE_MESSAGES(X)                                                                \
    X(WM_NULL, 0x0000)                                                                             \
    X(WM_CREATE, 0x0001)                                                                           \
    X(WM_DESTROY, 0x0002)                                                                          \
    X(WM_MOVE, 0x0003)                                                                             \
    X(WM_SIZE, 0x0005)                                                                             \
    X(WM_ACTIVATE, 0x0006)                                                                         \
    X(WM_SETFOCUS, 0x0007)                                                                         \
    X(WM_KILLFOCUS, 0x0008)                                                                        \
    X(WM_ENABLE, 0x000A)                                                                           \
    X(WM_SETTEXT, 0x000C)                                                                          \
    X(WM_GETTEXT, 0x000D)                                                                          \
    X(WM_GETTEXTLENGTH, 0x000E)                                                                    \
    X(WM_PAINT, 0x000F)                                                                            \
    X(WM_CLOSE, 0x0010)                                                                            \
    X(WM_QUIT, 0x0012)                                                                             \
    X(WM_SHOWWINDOW, 0x0018)                                                                       \
    X(WM_COPYDATA, 0x004A)                                                                         \
    X(WM_NOTIFY, 0x004E)                                                                           \
    X(WM_NCCREATE, 0x0081)                                                                         \
    X(WM_NCDESTROY, 0x0082)                                                                        \
    X(WM_KEYDOWN, 0x0100)                                                                          \
    X(WM_KEYUP, 0x0101)                                                                            \
    X(WM_CHAR, 0x0102)                                                                             \
    X(WM_COMMAND, 0x0111)                                                                          \
    X(WM_TIMER, 0x0113)                                                                            \
    X(WM_MOUSEMOVE, 0x0200)                                                                        \
    X(WM_LBUTTONDOWN, 0x0201)                                                                      \
    X(WM_LBUTTONUP, 0x0202)                                                                        \
    X(WM_LBUTTONDBLCLK, 0x0203)                                                                    \
    X(WM_RBUTTONDOWN, 0x0204)                                                                      \
    X(WM_RBUTTONUP, 0x0205)                                                                        \
    X(WM_MBUTTONDOWN, 0x0207)                                                                      \
    X(WM_MBUTTONUP, 0x0208)                                                                        \
    X(WM_USER, 0x0400)                                                                             \
    X(WM_APP, 0x8000)

#define WIN32_DEFINE_MESSAGE(name, value) inline constexpr UINT name = value;
WIN32_ENUMERATE_MESSAGES(WIN32_DEFINE_MESSAGE)
#undef WIN32_DEFINE_MESSAGE

inline constexpr UINT WM_MOUSEFIRST = WM_MOUSEMOVE;
inline constexpr UINT WM_MOUSELAST = 0x020E;

// The symbolic name of a system message ("WM_COPYDATA"), or nullptr.
const char* Win32MessageName(UINT message);

// Window styles.
inline constexpr DWORD WS_OVERLAPPED = 0x00000000;
inline constexpr DWORD WS_POPUP = 0x80000000;
inline constexpr DWORD WS_CHILD = 0x40000000;
inline constexpr DWORD WS_MINIMIZE = 0x20000000;
inline constexpr DWORD WS_VISIBLE = 0x10000000;
inline constexpr DWORD WS_DISABLED = 0x08000000;
inline constexpr DWORD WS_CLIPSIBLINGS = 0x04000000;
inline constexpr DWORD WS_CLIPCHILDREN = 0x02000000;
inline constexpr DWORD WS_MAXIMIZE = 0x01000000;
inline constexpr DWORD WS_CAPTION = 0x00C00000;
inline constexpr DWORD WS_BORDER = 0x00800000;
inline constexpr DWORD WS_DLGFRAME = 0x00400000;
inline constexpr DWORD WS_VSCROLL = 0x00200000;
inline constexpr DWORD WS_HSCROLL = 0x00100000;
inline constexpr DWORD WS_SYSMENU = 0x00080000;
inline constexpr DWORD WS_THICKFRAME = 0x00040000;
inline constexpr DWORD WS_MINIMIZEBOX = 0x00020000;
inline constexpr DWORD WS_MAXIMIZEBOX = 0x00010000;
inline constexpr DWORD WS_OVERLAPPEDWINDOW =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
inline constexpr DWORD WS_POPUPWINDOW = WS_POPUP | WS_BORDER | WS_SYSMENU;
inline constexpr DWORD WS_CHILDWINDOW = WS_CHILD;
inline constexpr DWORD WS_EX_TOPMOST = 0x00000008;
inline constexpr DWORD WS_EX_TOOLWINDOW = 0x00000080;

// Class styles.
inline constexpr UINT CS_VREDRAW = 0x0001;
inline constexpr UINT CS_HREDRAW = 0x0002;
inline constexpr UINT CS_DBLCLKS = 0x0008;

inline constexpr int CW_USEDEFAULT = static_cast<int>(0x80000000);

// Window long indices.
inline constexpr int GWLP_WNDPROC = -4;
inline constexpr int GWLP_HINSTANCE = -6;
inline constexpr int GWLP_HWNDPARENT = -8;
inline constexpr int GWLP_ID = -12;
inline constexpr int GWL_STYLE = -16;
inline constexpr int GWL_EXSTYLE = -20;
inline constexpr int GWLP_USERDATA = -21;
inline constexpr int GWL_WNDPROC = GWLP_WNDPROC;
inline constexpr int GWL_HINSTANCE = GWLP_HINSTANCE;
inline constexpr int GWL_ID = GWLP_ID;
inline constexpr int GWL_USERDATA = GWLP_USERDATA;

// GetWindow relations.
inline constexpr UINT GW_HWNDFIRST = 0;
inline constexpr UINT GW_HWNDLAST = 1;
inline constexpr UINT GW_HWNDNEXT = 2;
inline constexpr UINT GW_HWNDPREV = 3;
inline constexpr UINT GW_OWNER = 4;
inline constexpr UINT GW_CHILD = 5;

// GetAncestor relations.
inline constexpr UINT GA_PARENT = 1;
inline constexpr UINT GA_ROOT = 2;
inline constexpr UINT GA_ROOTOWNER = 3;

// ShowWindow commands.
inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOWNORMAL = 1;
inline constexpr int SW_SHOW = 5;
inline constexpr int SW_SHOWNA = 8;

// SetWindowPos.
inline const HWND HWND_TOP = nullptr;
inline const HWND HWND_BOTTOM = reinterpret_cast<HWND>(static_cast<intptr_t>(1));
inline const HWND HWND_TOPMOST = reinterpret_cast<HWND>(static_cast<intptr_t>(-1));
inline const HWND HWND_NOTOPMOST = reinterpret_cast<HWND>(static_cast<intptr_t>(-2));
inline constexpr UINT SWP_NOSIZE = 0x0001;
inline constexpr UINT SWP_NOMOVE = 0x0002;
inline constexpr UINT SWP_NOZORDER = 0x0004;
inline constexpr UINT SWP_NOACTIVATE = 0x0010;
inline constexpr UINT SWP_SHOWWINDOW = 0x0040;
inline constexpr UINT SWP_HIDEWINDOW = 0x0080;

// ChildWindowFromPointEx flags.
inline constexpr UINT CWP_ALL = 0x0000;
inline constexpr UINT CWP_SKIPINVISIBLE = 0x0001;
inline constexpr UINT CWP_SKIPDISABLED = 0x0002;

// SendMessageTimeout flags.
inline constexpr UINT SMTO_NORMAL = 0x0000;
inline constexpr UINT SMTO_BLOCK = 0x0001;
inline constexpr UINT SMTO_ABORTIFHUNG = 0x0002;
inline constexpr UINT SMTO_NOTIMEOUTIFNOTHUNG = 0x0008;

// PeekMessage flags.
inline constexpr UINT PM_NOREMOVE = 0x0000;
inline constexpr UINT PM_REMOVE = 0x0001;
inline constexpr UINT PM_NOYIELD = 0x0002;

// Queue status bits for MsgWaitForMultipleObjects.
inline constexpr DWORD QS_POSTMESSAGE = 0x0008;
inline constexpr DWORD QS_SENDMESSAGE = 0x0040;
inline constexpr DWORD QS_ALLPOSTMESSAGE = 0x0100;
inline constexpr DWORD QS_ALLEVENTS = 0x04BF;
inline constexpr DWORD QS_ALLINPUT = 0x04FF;

// Message boxes.
inline constexpr UINT MB_OK = 0x00000000;
inline constexpr UINT MB_OKCANCEL = 0x00000001;
inline constexpr UINT MB_YESNO = 0x00000004;
inline constexpr UINT MB_ICONHAND = 0x00000010;
inline constexpr UINT MB_ICONERROR = MB_ICONHAND;
inline constexpr UINT MB_ICONSTOP = MB_ICONHAND;
inline constexpr UINT MB_ICONQUESTION = 0x00000020;
inline constexpr UINT MB_ICONEXCLAMATION = 0x00000030;
inline constexpr UINT MB_ICONWARNING = MB_ICONEXCLAMATION;
inline constexpr UINT MB_ICONINFORMATION = 0x00000040;
inline constexpr UINT MB_TASKMODAL = 0x00002000;
inline constexpr UINT MB_SETFOREGROUND = 0x00010000;
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

// System metrics.
inline constexpr int SM_CXSCREEN = 0;
inline constexpr int SM_CYSCREEN = 1;
inline constexpr int SM_CXVSCROLL = 2;
inline constexpr int SM_CYHSCROLL = 3;
inline constexpr int SM_CYCAPTION = 4;
inline constexpr int SM_CXBORDER = 5;
inline constexpr int SM_CYBORDER = 6;
inline constexpr int SM_CYVSCROLL = 20;
inline constexpr int SM_CXHSCROLL = 21;

struct WNDCLASSA {
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    LPCSTR lpszMenuName;
    LPCSTR lpszClassName;
};
using WNDCLASS = WNDCLASSA;

struct WNDCLASSEXA {
    UINT cbSize;
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    LPCSTR lpszMenuName;
    LPCSTR lpszClassName;
    HICON hIconSm;
};
using WNDCLASSEX = WNDCLASSEXA;

struct CREATESTRUCTA {
    LPVOID lpCreateParams;
    HINSTANCE hInstance;
    HMENU hMenu;
    HWND hwndParent;
    int cy;
    int cx;
    int y;
    int x;
    LONG style;
    LPCSTR lpszName;
    LPCSTR lpszClass;
    DWORD dwExStyle;
};
using CREATESTRUCT = CREATESTRUCTA;

struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
};
using LPMSG = MSG*;

// The payload of WM_COPYDATA. The receiver gets its own copy of the structure
// and of the bytes it points to, valid while its procedure handles the message.
struct COPYDATASTRUCT {
    ULONG_PTR dwData;
    DWORD cbData;
    LPVOID lpData;
};
using PCOPYDATASTRUCT = COPYDATASTRUCT*;

// Window classes. Class names compare without regard to case; a name can be
// registered once per process (a second registration fails with
// ERROR_CLASS_ALREADY_EXISTS). Class atoms and registered messages share one
// atom table, as on the original platform.
ATOM RegisterClass(const WNDCLASSA* wc);
ATOM RegisterClassEx(const WNDCLASSEXA* wc);
BOOL UnregisterClass(LPCSTR className, HINSTANCE instance);
BOOL GetClassInfoEx(HINSTANCE instance, LPCSTR className, WNDCLASSEXA* wc);
inline constexpr auto* RegisterClassA = &RegisterClass;
inline constexpr auto* RegisterClassExA = &RegisterClassEx;
inline constexpr auto* UnregisterClassA = &UnregisterClass;
inline constexpr auto* GetClassInfoExA = &GetClassInfoEx;

// A number in 0xC000..0xFFFF, the same for the same string (compared without
// regard to case) for the life of the process; 0 for an empty string.
UINT RegisterWindowMessage(LPCSTR name);
inline constexpr auto* RegisterWindowMessageA = &RegisterWindowMessage;

// Creation sends WM_NCCREATE and WM_CREATE (lParam: CREATESTRUCT). With
// WS_CHILD, parent is the parent window; otherwise it names the owner (whose
// top-level ancestor becomes the owner). New top-level windows go to the top
// of the z-order, new child windows below their siblings.
HWND CreateWindowEx(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                    int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                    LPVOID param);
inline constexpr auto* CreateWindowExA = &CreateWindowEx;
inline HWND CreateWindow(LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                         int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
    return CreateWindowEx(0, className, windowName, style, x, y, width, height, parent, menu,
                          instance, param);
}
inline constexpr auto* CreateWindowA = &CreateWindow;

// Only the owner thread may destroy a window. Owned windows are destroyed
// first; WM_DESTROY goes to the window and then to its children, WM_NCDESTROY
// to the children first. The handle is dead afterwards and never reused.
BOOL DestroyWindow(HWND window);
BOOL IsWindow(HWND window);
BOOL IsChild(HWND parent, HWND window);
BOOL IsWindowVisible(HWND window);
BOOL ShowWindow(HWND window, int command);
BOOL EnableWindow(HWND window, BOOL enable);
BOOL IsWindowEnabled(HWND window);

// The parent of a child window, the owner of an owned top-level window, else 0.
// GetAncestor(GA_PARENT) of a top-level window is 0: there is no desktop window.
HWND GetParent(HWND window);
HWND SetParent(HWND window, HWND newParent);
HWND GetAncestor(HWND window, UINT flags);
HWND GetWindow(HWND window, UINT relation);
BOOL EnumWindows(WNDENUMPROC callback, LPARAM param);
BOOL EnumChildWindows(HWND parent, WNDENUMPROC callback, LPARAM param);

int GetClassName(HWND window, LPSTR buffer, int size);
inline constexpr auto* GetClassNameA = &GetClassName;
BOOL SetWindowText(HWND window, LPCSTR text);
int GetWindowText(HWND window, LPSTR buffer, int size);
int GetWindowTextLength(HWND window);
inline constexpr auto* SetWindowTextA = &SetWindowText;
inline constexpr auto* GetWindowTextA = &GetWindowText;
inline constexpr auto* GetWindowTextLengthA = &GetWindowTextLength;

// Top-level windows in z-order; class and title compare without regard to
// case, and a null class or title matches any window (hidden ones included).
HWND FindWindow(LPCSTR className, LPCSTR windowName);
HWND FindWindowEx(HWND parent, HWND childAfter, LPCSTR className, LPCSTR windowName);
inline constexpr auto* FindWindowA = &FindWindow;
inline constexpr auto* FindWindowExA = &FindWindowEx;

// GWL_STYLE, GWL_EXSTYLE, GWLP_USERDATA, GWLP_WNDPROC, GWLP_HINSTANCE,
// GWLP_HWNDPARENT, GWLP_ID, or a byte offset into the class's window extra
// bytes. The 32-bit forms truncate pointer-sized values, as on 64-bit Windows.
LONG_PTR GetWindowLongPtr(HWND window, int index);
LONG_PTR SetWindowLongPtr(HWND window, int index, LONG_PTR value);
LONG GetWindowLong(HWND window, int index);
LONG SetWindowLong(HWND window, int index, LONG value);
inline constexpr auto* GetWindowLongPtrA = &GetWindowLongPtr;
inline constexpr auto* SetWindowLongPtrA = &SetWindowLongPtr;
inline constexpr auto* GetWindowLongA = &GetWindowLong;
inline constexpr auto* SetWindowLongA = &SetWindowLong;

BOOL GetWindowRect(HWND window, LPRECT rect);
BOOL GetClientRect(HWND window, LPRECT rect);
BOOL MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint);
BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
BOOL ClientToScreen(HWND window, LPPOINT point);
BOOL ScreenToClient(HWND window, LPPOINT point);
int MapWindowPoints(HWND from, HWND to, LPPOINT points, UINT count);
// The deepest visible window at a screen point; disabled child windows give
// way to their parent.
HWND WindowFromPoint(POINT point);
// The child of parent at a point in parent's client coordinates (hidden and
// disabled children included), parent when no child is there, 0 outside.
HWND ChildWindowFromPoint(HWND parent, POINT point);
HWND ChildWindowFromPointEx(HWND parent, POINT point, UINT flags);

HWND GetForegroundWindow();
BOOL SetForegroundWindow(HWND window);
BOOL BringWindowToTop(HWND window);
HWND GetFocus();
HWND SetFocus(HWND window);
BOOL GetCursorPos(LPPOINT point);
BOOL SetCursorPos(int x, int y);

DWORD GetWindowThreadProcessId(HWND window, LPDWORD processId);
int GetSystemMetrics(int index);

// WM_CLOSE destroys the window, WM_NCCREATE and WM_SETTEXT set its title,
// WM_GETTEXT and WM_GETTEXTLENGTH read it; everything else answers 0.
LRESULT DefWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CallWindowProc(WNDPROC proc, HWND window, UINT message, WPARAM wParam, LPARAM lParam);
inline constexpr auto* DefWindowProcA = &DefWindowProc;
inline constexpr auto* CallWindowProcA = &CallWindowProc;

// Messages. Across threads WM_COPYDATA, WM_SETTEXT and WM_GETTEXT are
// marshalled (the receiver works on its own copy, and a sender that gave up
// waiting is never written to); other pointers travel as they are.
LRESULT SendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Returns 0 with ERROR_TIMEOUT when the time-out expires (the message may
// still be handled later; its result is dropped), 0 with
// ERROR_INVALID_WINDOW_HANDLE for a dead window. SMTO_BLOCK keeps the caller
// from handling messages sent to it while it waits; SMTO_ABORTIFHUNG and
// SMTO_NOTIMEOUTIFNOTHUNG change nothing. There is no HWND_BROADCAST.
LRESULT SendMessageTimeout(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT flags,
                           UINT timeoutMs, DWORD_PTR* result);
BOOL PostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
BOOL PostThreadMessage(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int exitCode);
inline constexpr auto* SendMessageA = &SendMessage;
inline constexpr auto* SendMessageTimeoutA = &SendMessageTimeout;
inline constexpr auto* PostMessageA = &PostMessage;
inline constexpr auto* PostThreadMessageA = &PostThreadMessage;

// hwnd filter: 0 any message of the thread, (HWND)-1 thread messages only,
// else that window's messages. GetMessage answers 0 for WM_QUIT, -1 on error.
BOOL GetMessage(LPMSG msg, HWND window, UINT filterMin, UINT filterMax);
BOOL PeekMessage(LPMSG msg, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags);
LRESULT DispatchMessage(const MSG* msg);
BOOL TranslateMessage(const MSG* msg);
BOOL WaitMessage();
BOOL InSendMessage();
inline constexpr auto* GetMessageA = &GetMessage;
inline constexpr auto* PeekMessageA = &PeekMessage;
inline constexpr auto* DispatchMessageA = &DispatchMessage;

// Waits until one (or all) of the kernel objects is signalled, a posted
// message is in the thread's queue (answer WAIT_OBJECT_0 + count), or the
// time-out expires. Messages sent from other threads are handled inside.
DWORD MsgWaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD timeoutMs,
                                DWORD wakeMask);

// Never blocks: the call is logged (see Testing.h) and answers IDOK unless a
// test chose another answer.
int MessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
inline constexpr auto* MessageBoxA = &MessageBox;

// Strings from the table that a module supplied with SetModuleStringTable
// (StringTable.h); a null instance names the program. Copies at most size - 1
// characters and a terminator; answers the number copied, 0 if absent.
int LoadString(HINSTANCE instance, UINT id, LPSTR buffer, int size);
inline constexpr auto* LoadStringA = &LoadString;
