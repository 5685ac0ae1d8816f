// The common tool-tip control of the desktop stand-in.
//
// Create it with CreateWindowEx(0, TOOLTIPS_CLASS, ...); its owner is usually
// the window it explains. The control keeps its tools, delay times, colours,
// activation and the last relayed mouse message; a relayed mouse message over
// a tool's window (or the tool's rectangle) while the control is active
// shows that tool's tip. Testing.h reads the state back.
#pragma once

#include "platform/win32/WinUser.h"

inline constexpr const char* TOOLTIPS_CLASS = "tooltips_class32";
inline constexpr const char* TOOLTIPS_CLASSA = TOOLTIPS_CLASS;

// Tool-tip styles.
inline constexpr DWORD TTS_ALWAYSTIP = 0x01;
inline constexpr DWORD TTS_NOPREFIX = 0x02;

// Tool flags.
inline constexpr UINT TTF_IDISHWND = 0x0001;
inline constexpr UINT TTF_CENTERTIP = 0x0002;
inline constexpr UINT TTF_SUBCLASS = 0x0010;
inline constexpr UINT TTF_TRACK = 0x0020;
inline constexpr UINT TTF_ABSOLUTE = 0x0080;
inline constexpr UINT TTF_TRANSPARENT = 0x0100;

// Delay time selectors.
inline constexpr WPARAM TTDT_AUTOMATIC = 0;
inline constexpr WPARAM TTDT_RESHOW = 1;
inline constexpr WPARAM TTDT_AUTOPOP = 2;
inline constexpr WPARAM TTDT_INITIAL = 3;

// Text that the tool's owner supplies on request; kept as an empty text here.
inline LPSTR const LPSTR_TEXTCALLBACKA = reinterpret_cast<LPSTR>(static_cast<intptr_t>(-1));
inline LPSTR const LPSTR_TEXTCALLBACK = LPSTR_TEXTCALLBACKA;

// X(name, value): the control's messages.
#define WIN32_ENUMERATE_TOOLTIP_MESSAGES(X)                                                        \
    X(TTM_ACTIVATE, WM_USER + 1)                                                                   \
    X(TTM_SETDELAYTIME, WM_USER + 3)                                                               \
    X(TTM_ADDTOOLA, WM_USER + 4)                                                                   \
    X(TTM_DELTOOLA, WM_USER + 5)                                                                   \
    X(TTM_NEWTOOLRECTA, WM_USER + 6)                                                               \
    X(TTM_RELAYEVENT, WM_USER + 7)                                                                 \
    X(TTM_GETTOOLINFOA, WM_USER + 8)                                                               \
    X(TTM_GETTEXTA, WM_USER + 11)                                                                  \
    X(TTM_UPDATETIPTEXTA, WM_USER + 12)                                                            \
    X(TTM_GETTOOLCOUNT, WM_USER + 13)                                                              \
    X(TTM_ENUMTOOLSA, WM_USER + 14)                                                                \
    X(TTM_SETTIPBKCOLOR, WM_USER + 19)                                                             \
    X(TTM_SETTIPTEXTCOLOR, WM_USER + 20)                                                           \
    X(TTM_GETDELAYTIME, WM_USER + 21)                                                              \
    X(TTM_GETTIPBKCOLOR, WM_USER + 22)                                                             \
    X(TTM_GETTIPTEXTCOLOR, WM_USER + 23)                                                           \
    X(TTM_SETMAXTIPWIDTH, WM_USER + 24)                                                            \
    X(TTM_GETMAXTIPWIDTH, WM_USER + 25)                                                            \
    X(TTM_POP, WM_USER + 28)

#define WIN32_DEFINE_TOOLTIP_MESSAGE(name, value) inline constexpr UINT name = value;
WIN32_ENUMERATE_TOOLTIP_MESSAGES(WIN32_DEFINE_TOOLTIP_MESSAGE)
#undef WIN32_DEFINE_TOOLTIP_MESSAGE

inline constexpr UINT TTM_ADDTOOL = TTM_ADDTOOLA;
inline constexpr UINT TTM_DELTOOL = TTM_DELTOOLA;
inline constexpr UINT TTM_NEWTOOLRECT = TTM_NEWTOOLRECTA;
inline constexpr UINT TTM_GETTOOLINFO = TTM_GETTOOLINFOA;
inline constexpr UINT TTM_GETTEXT = TTM_GETTEXTA;
inline constexpr UINT TTM_UPDATETIPTEXT = TTM_UPDATETIPTEXTA;
inline constexpr UINT TTM_ENUMTOOLS = TTM_ENUMTOOLSA;

struct TOOLINFOA {
    UINT cbSize;
    UINT uFlags;
    HWND hwnd;
    UINT_PTR uId;
    RECT rect;
    HINSTANCE hinst;
    LPSTR lpszText;
    LPARAM lParam;
    void* lpReserved;
};
using TOOLINFO = TOOLINFOA;
using TTTOOLINFOA = TOOLINFOA;
using TTTOOLINFO = TOOLINFOA;
using LPTOOLINFO = TOOLINFOA*;

// The smallest cbSize the control accepts is that of the first version of
// the structure on the original 32-bit platform, so a literal 40 or 44 works
// as well as sizeof(TOOLINFO). lParam is read only when cbSize covers it.
inline constexpr UINT TTTOOLINFOA_V1_SIZE = 40;
inline constexpr UINT TTTOOLINFOA_V2_SIZE = 44;

// Common controls need no initialisation here; kept so that callers can.
struct INITCOMMONCONTROLSEX {
    DWORD dwSize;
    DWORD dwICC;
};
inline constexpr DWORD ICC_WIN95_CLASSES = 0x000000FF;
inline constexpr DWORD ICC_BAR_CLASSES = 0x00000004;
void InitCommonControls();
BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* init);
