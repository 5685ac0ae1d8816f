// Basic types of the desktop stand-in: integer widths, handles, geometry and
// error codes, with the names and sizes the Windows API gives them.
//
// Handles (HWND, HINSTANCE, HANDLE, ...) are opaque pointer types, declared as
// the original headers declare them, that carry a 32-bit value handed out by a
// process-wide counter. Values are never reused, so a handle of a destroyed
// window or closed object stays invalid. Values stay below 0x80000000, so a
// handle stored in a signed 32-bit field is never negative (in particular
// never -1). Convert with HandleToULong / ULongToHandle (or the Long forms).
#pragma once

#include <cstddef>
#include <cstdint>

using BOOL = int;
using BYTE = uint8_t;
using WORD = uint16_t;
using DWORD = uint32_t;
using UINT = unsigned int;
using INT = int;
using LONG = int32_t;
using ULONG = uint32_t;
using SHORT = int16_t;
using USHORT = uint16_t;
using CHAR = char;
using WCHAR = char16_t;
using INT_PTR = intptr_t;
using UINT_PTR = uintptr_t;
using LONG_PTR = intptr_t;
using ULONG_PTR = uintptr_t;
using DWORD_PTR = uintptr_t;
using SIZE_T = size_t;
using WPARAM = UINT_PTR;
using LPARAM = LONG_PTR;
using LRESULT = LONG_PTR;
using ATOM = WORD;
using COLORREF = DWORD;
using LPVOID = void*;
using LPCVOID = const void*;
using LPSTR = char*;
using LPCSTR = const char*;
using LPWSTR = WCHAR*;
using LPCWSTR = const WCHAR*;
using LPDWORD = DWORD*;
using LPBOOL = BOOL*;
// The generic function pointer type, so that casting it to the real type of
// an export draws no warning.
using FARPROC = void (*)();

inline constexpr BOOL TRUE = 1;
inline constexpr BOOL FALSE = 0;

#define WIN32_DECLARE_HANDLE(name)                                                                 \
    struct name##__ {                                                                              \
        int unused;                                                                                \
    };                                                                                             \
    using name = name##__*

WIN32_DECLARE_HANDLE(HWND);
WIN32_DECLARE_HANDLE(HINSTANCE);
WIN32_DECLARE_HANDLE(HMENU);
WIN32_DECLARE_HANDLE(HICON);
WIN32_DECLARE_HANDLE(HBRUSH);
WIN32_DECLARE_HANDLE(HFONT);
WIN32_DECLARE_HANDLE(HDC);
using HMODULE = HINSTANCE;
using HCURSOR = HICON;
using HANDLE = void*;
using LPHANDLE = HANDLE*;

inline ULONG HandleToULong(const void* handle) {
    return static_cast<ULONG>(reinterpret_cast<uintptr_t>(handle));
}
inline LONG HandleToLong(const void* handle) {
    return static_cast<LONG>(reinterpret_cast<uintptr_t>(handle));
}
inline void* ULongToHandle(ULONG value) {
    return reinterpret_cast<void*>(static_cast<uintptr_t>(value));
}
inline void* LongToHandle(LONG value) {
    return reinterpret_cast<void*>(static_cast<intptr_t>(value));
}
// A typed handle from its 32-bit value: HwndFromValue(0x10004).
inline HWND HwndFromValue(ULONG value) {
    return static_cast<HWND>(ULongToHandle(value));
}

inline const HANDLE INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1));

struct RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};
using LPRECT = RECT*;
using LPCRECT = const RECT*;

struct POINT {
    LONG x;
    LONG y;
};
using LPPOINT = POINT*;

struct SIZE {
    LONG cx;
    LONG cy;
};

struct SECURITY_ATTRIBUTES {
    DWORD nLength;
    LPVOID lpSecurityDescriptor;
    BOOL bInheritHandle;
};
using LPSECURITY_ATTRIBUTES = SECURITY_ATTRIBUTES*;

constexpr WORD LOWORD(DWORD_PTR value) {
    return static_cast<WORD>(value & 0xFFFF);
}
constexpr WORD HIWORD(DWORD_PTR value) {
    return static_cast<WORD>((value >> 16) & 0xFFFF);
}
constexpr LONG MAKELONG(WORD low, WORD high) {
    return static_cast<LONG>(static_cast<DWORD>(low) | (static_cast<DWORD>(high) << 16));
}
constexpr LPARAM MAKELPARAM(WORD low, WORD high) {
    return static_cast<LPARAM>(MAKELONG(low, high));
}
constexpr WPARAM MAKEWPARAM(WORD low, WORD high) {
    return static_cast<WPARAM>(static_cast<DWORD>(MAKELONG(low, high)));
}
constexpr int GET_X_LPARAM(LPARAM lp) {
    return static_cast<SHORT>(LOWORD(static_cast<DWORD_PTR>(lp)));
}
constexpr int GET_Y_LPARAM(LPARAM lp) {
    return static_cast<SHORT>(HIWORD(static_cast<DWORD_PTR>(lp)));
}
constexpr COLORREF RGB(BYTE r, BYTE g, BYTE b) {
    return static_cast<COLORREF>(r) | (static_cast<COLORREF>(g) << 8) |
           (static_cast<COLORREF>(b) << 16);
}

// Integer resource identifiers and atoms travel in a string pointer whose
// value is below 0x10000.
inline LPCSTR MAKEINTRESOURCE(WORD id) {
    return reinterpret_cast<LPCSTR>(static_cast<uintptr_t>(id));
}
inline LPCSTR MAKEINTATOM(ATOM atom) {
    return MAKEINTRESOURCE(atom);
}
inline bool IS_INTRESOURCE(const void* p) {
    return (reinterpret_cast<uintptr_t>(p) >> 16) == 0;
}

// X(name, value): the error codes that GetLastError reports.
#define WIN32_ENUMERATE_ERRORS(X)                                                                  \
    X(ERROR_SUCCESS, 0)                                                                            \
    X(ERROR_FILE_NOT_FOUND, 2)                                                                     \
    X(ERROR_PATH_NOT_FOUND, 3)                                                                     \
    X(ERROR_FILE_EXISTS, 80)                                                                       \
    X(ERROR_HANDLE_EOF, 38)                                                                        \
    X(ERROR_ACCESS_DENIED, 5)                                                                      \
    X(ERROR_INVALID_HANDLE, 6)                                                                     \
    X(ERROR_NOT_ENOUGH_MEMORY, 8)                                                                  \
    X(ERROR_INVALID_PARAMETER, 87)                                                                 \
    X(ERROR_INSUFFICIENT_BUFFER, 122)                                                              \
    X(ERROR_MOD_NOT_FOUND, 126)                                                                    \
    X(ERROR_PROC_NOT_FOUND, 127)                                                                   \
    X(ERROR_BAD_EXE_FORMAT, 193)                                                                   \
    X(ERROR_ALREADY_EXISTS, 183)                                                                   \
    X(ERROR_ENVVAR_NOT_FOUND, 203)                                                                 \
    X(ERROR_NOT_OWNER, 288)                                                                        \
    X(ERROR_DLL_INIT_FAILED, 1114)                                                                 \
    X(ERROR_NO_UNICODE_TRANSLATION, 1113)                                                          \
    X(ERROR_MESSAGE_SYNC_ONLY, 1159)                                                               \
    X(ERROR_INVALID_WINDOW_HANDLE, 1400)                                                           \
    X(ERROR_CANNOT_FIND_WND_CLASS, 1407)                                                           \
    X(ERROR_TLW_WITH_WSCHILD, 1406)                                                                \
    X(ERROR_CLASS_ALREADY_EXISTS, 1410)                                                            \
    X(ERROR_CLASS_DOES_NOT_EXIST, 1411)                                                            \
    X(ERROR_CLASS_HAS_WINDOWS, 1412)                                                               \
    X(ERROR_INVALID_INDEX, 1413)                                                                   \
    X(ERROR_RESOURCE_NAME_NOT_FOUND, 1814)                                                         \
    X(ERROR_TIMEOUT, 1460)                                                                         \
    X(ERROR_INVALID_THREAD_ID, 1444)                                                               \
    X(ERROR_NOT_ENOUGH_QUOTA, 1816)                                                                \
    X(ERROR_INTERNET_TIMEOUT, 12002)                                                               \
    X(ERROR_INTERNET_INVALID_URL, 12005)                                                           \
    X(ERROR_INTERNET_UNRECOGNIZED_SCHEME, 12006)                                                   \
    X(ERROR_INTERNET_NAME_NOT_RESOLVED, 12007)                                                     \
    X(ERROR_INTERNET_CANNOT_CONNECT, 12029)                                                        \
    X(ERROR_HTTP_HEADER_NOT_FOUND, 12150)

#define WIN32_DEFINE_ERROR(name, value) inline constexpr DWORD name = value;
WIN32_ENUMERATE_ERRORS(WIN32_DEFINE_ERROR)
#undef WIN32_DEFINE_ERROR

// The symbolic name of an error code ("ERROR_TIMEOUT"), or nullptr.
const char* Win32ErrorName(DWORD error);

// The calling thread's last error.
DWORD GetLastError();
void SetLastError(DWORD error);
