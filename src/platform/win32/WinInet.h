// Internet services of the desktop stand-in: open a session, open a URL, read
// its bytes, close.
//
// InternetOpenUrl fetches http:, https: and ftp: URLs (redirections followed,
// 10 seconds to connect, 60 in all) before it returns, and the handle then
// reads the body. As with the original services, any HTTP answer opens (an
// error page is read like any other body; HttpQueryInfo tells its status);
// only transfer failures fail. Other schemes, file: included, fail with
// ERROR_INTERNET_UNRECOGNIZED_SCHEME.
#pragma once

#include "platform/win32/WinDef.h"

using HINTERNET = void*;

inline constexpr DWORD INTERNET_OPEN_TYPE_PRECONFIG = 0;
inline constexpr DWORD INTERNET_OPEN_TYPE_DIRECT = 1;
inline constexpr DWORD INTERNET_OPEN_TYPE_PROXY = 3;
inline constexpr DWORD INTERNET_FLAG_RELOAD = 0x80000000;
inline constexpr DWORD INTERNET_FLAG_NO_CACHE_WRITE = 0x04000000;
inline constexpr DWORD HTTP_QUERY_STATUS_CODE = 19;
inline constexpr DWORD HTTP_QUERY_FLAG_NUMBER = 0x20000000;

HINTERNET InternetOpenA(LPCSTR agent, DWORD accessType, LPCSTR proxy, LPCSTR proxyBypass,
                        DWORD flags);
HINTERNET InternetOpenUrlA(HINTERNET session, LPCSTR url, LPCSTR headers, DWORD headersLength,
                           DWORD flags, DWORD_PTR context);
inline constexpr auto* InternetOpen = &InternetOpenA;
inline constexpr auto* InternetOpenUrl = &InternetOpenUrlA;
// At the end of the body it succeeds with 0 bytes read.
BOOL InternetReadFile(HINTERNET file, LPVOID buffer, DWORD toRead, LPDWORD read);
BOOL InternetCloseHandle(HINTERNET handle);
// Of the answers' headers only the status code is kept: HTTP_QUERY_STATUS_CODE
// with HTTP_QUERY_FLAG_NUMBER writes it as a DWORD, without the flag as
// decimal text (with its terminating zero; the length excludes it).
// ERROR_HTTP_HEADER_NOT_FOUND for a URL that had no HTTP answer,
// ERROR_INSUFFICIENT_BUFFER (length set to the size needed) for a short buffer.
BOOL HttpQueryInfoA(HINTERNET file, DWORD infoLevel, LPVOID buffer, LPDWORD length, LPDWORD index);
inline constexpr auto* HttpQueryInfo = &HttpQueryInfoA;
