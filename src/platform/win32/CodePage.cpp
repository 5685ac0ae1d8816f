// Windows-1252 and UTF-8 conversion to and from UTF-16.
#include "platform/win32/WinNls.h"

#include <array>
#include <string>

namespace {

// Unicode of the bytes 0x80..0x9F; the five bytes the code page leaves
// undefined map to the control characters of the same value, as the original
// platform maps them.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char16_t WideFrom1252(unsigned char byte) {
    return byte >= 0x80 && byte < 0xA0 ? kHighControls[byte - 0x80] : static_cast<char16_t>(byte);
}

// The 1252 byte of a code point, or -1.
int ByteFor1252(char32_t codePoint) {
    if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF)) {
        return static_cast<int>(codePoint);
    }
    for (size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == codePoint) {
            return static_cast<int>(0x80 + i);
        }
    }
    return -1;
}

bool IsSupported(UINT codePage) {
    return codePage == CP_ACP || codePage == CP_OEMCP || codePage == CP_THREAD_ACP ||
           codePage == CP_1252 || codePage == CP_UTF8;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Decodes one UTF-8 sequence at text[i]; advances i. Invalid input gives
// U+FFFD and sets invalid.
char32_t DecodeUtf8(std::string_view text, size_t& i, bool& invalid) {
    auto byte = static_cast<unsigned char>(text[i++]);
    if (byte < 0x80) {
        return byte;
    }
    int extra = byte >= 0xF0 && byte < 0xF5 ? 3 : byte >= 0xE0 ? 2 : byte >= 0xC2 ? 1 : -1;
    if (extra < 0 || byte >= 0xF5) {
        invalid = true;
        return 0xFFFD;
    }
    char32_t c = byte & (0x3F >> extra);
    for (int k = 0; k < extra; ++k) {
        if (i >= text.size() || (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            invalid = true;
            return 0xFFFD;
        }
        c = (c << 6) | (static_cast<unsigned char>(text[i++]) & 0x3F);
    }
    constexpr char32_t kMinimum[] = {0, 0x80, 0x800, 0x10000};
    if (c < kMinimum[extra] || c > 0x10FFFF || (c >= 0xD800 && c < 0xE000)) {
        invalid = true;
        return 0xFFFD;
    }
    return c;
}

// Writes the converted text into the caller's buffer, or answers the size
// needed when the buffer size is 0.
template <typename Char>
int Deliver(const std::basic_string<Char>& converted, Char* destination, int destinationSize) {
    if (destinationSize == 0) {
        return static_cast<int>(converted.size());
    }
    if (destination == nullptr || destinationSize < static_cast<int>(converted.size())) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    converted.copy(destination, converted.size());
    return static_cast<int>(converted.size());
}

} // namespace

int WideCharToMultiByte(UINT codePage, DWORD, LPCWSTR source, int sourceLength, LPSTR destination,
                        int destinationSize, LPCSTR defaultChar, LPBOOL usedDefaultChar) {
    if (!IsSupported(codePage) || source == nullptr || destinationSize < 0 || sourceLength < -1 ||
        (codePage == CP_UTF8 && (defaultChar != nullptr || usedDefaultChar != nullptr))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::u16string_view text =
        sourceLength == -1
            ? std::u16string_view(source, std::char_traits<char16_t>::length(source) + 1)
            : std::u16string_view(source, static_cast<size_t>(sourceLength));
    char fallback = defaultChar != nullptr ? *defaultChar : '?';
    bool usedDefault = false;
    std::string converted;
    converted.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        if (codePage == CP_UTF8) {
            AppendUtf8(converted, c >= 0xD800 && c < 0xE000 ? 0xFFFD : c);
            continue;
        }
        int byte = ByteFor1252(c);
        if (byte < 0) {
            converted += fallback;
            usedDefault = true;
        } else {
            converted += static_cast<char>(byte);
        }
    }
    if (usedDefaultChar != nullptr) {
        *usedDefaultChar = usedDefault ? TRUE : FALSE;
    }
    return Deliver(converted, destination, destinationSize);
}

int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR source, int sourceLength,
                        LPWSTR destination, int destinationSize) {
    if (!IsSupported(codePage) || source == nullptr || destinationSize < 0 || sourceLength < -1) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::string_view text =
        sourceLength == -1 ? std::string_view(source, std::char_traits<char>::length(source) + 1)
                           : std::string_view(source, static_cast<size_t>(sourceLength));
    std::u16string converted;
    converted.reserve(text.size());
    if (codePage != CP_UTF8) {
        for (char c : text) {
            converted += WideFrom1252(static_cast<unsigned char>(c));
        }
        return Deliver(converted, destination, destinationSize);
    }
    bool invalid = false;
    for (size_t i = 0; i < text.size();) {
        char32_t c = DecodeUtf8(text, i, invalid);
        if (c >= 0x10000) {
            converted += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            converted += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            converted += static_cast<char16_t>(c);
        }
    }
    if (invalid && (flags & MB_ERR_INVALID_CHARS) != 0) {
        SetLastError(ERROR_NO_UNICODE_TRANSLATION);
        return 0;
    }
    return Deliver(converted, destination, destinationSize);
}

UINT GetACP() {
    return CP_1252;
}

BOOL IsDBCSLeadByte(BYTE) {
    return FALSE;
}

std::string AnsiFromWide(std::u16string_view text) {
    if (text.empty()) {
        return {};
    }
    int length = static_cast<int>(text.size());
    std::string out(static_cast<size_t>(WideCharToMultiByte(CP_ACP, 0, text.data(), length, nullptr,
                                                            0, nullptr, nullptr)),
                    '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), length, out.data(), static_cast<int>(out.size()),
                        nullptr, nullptr);
    return out;
}

std::u16string WideFromAnsi(std::string_view text) {
    if (text.empty()) {
        return {};
    }
    int length = static_cast<int>(text.size());
    std::u16string out(
        static_cast<size_t>(MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0)),
        u'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), length, out.data(), static_cast<int>(out.size()));
    return out;
}
