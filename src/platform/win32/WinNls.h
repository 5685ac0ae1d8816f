// Conversion between the host's UTF-16 strings and the agent's narrow strings.
//
// The stand-in's system code page (CP_ACP) is Windows-1252: a no-break space
// U+00A0 is the byte 0xA0, the euro sign U+20AC is 0x80, and a character
// outside the code page becomes the default character '?' (one per code
// point; a lone surrogate counts as one). CP_UTF8 is offered as well.
#pragma once

#include "platform/win32/WinDef.h"

#include <string>
#include <string_view>

inline constexpr UINT CP_ACP = 0;
inline constexpr UINT CP_OEMCP = 1;
inline constexpr UINT CP_THREAD_ACP = 3;
inline constexpr UINT CP_1252 = 1252;
inline constexpr UINT CP_UTF8 = 65001;

inline constexpr DWORD MB_PRECOMPOSED = 0x00000001;
inline constexpr DWORD MB_ERR_INVALID_CHARS = 0x00000008;
inline constexpr DWORD WC_NO_BEST_FIT_CHARS = 0x00000400;

// A source length of -1 means a terminated string, and the terminator is
// converted too. A destination size of 0 asks for the size needed. Too small
// a destination: 0 and ERROR_INSUFFICIENT_BUFFER.
int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR source, int sourceLength,
                        LPSTR destination, int destinationSize, LPCSTR defaultChar,
                        LPBOOL usedDefaultChar);
int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR source, int sourceLength,
                        LPWSTR destination, int destinationSize);

UINT GetACP();
// Windows-1252 has no double-byte characters.
BOOL IsDBCSLeadByte(BYTE value);

// Convenience forms in the system code page.
std::string AnsiFromWide(std::u16string_view text);
std::u16string WideFromAnsi(std::string_view text);
