#include "agent/common/RegExpService.h"

#include "platform/win32/WinNls.h"
#include "platform/win32/Windows.h"

namespace {

using MatchEntry = int (*)(const char*, const char*);

HMODULE g_library = nullptr; // owned: freed by UnloadRegExpLibrary
bool g_lookedUp = false;
MatchEntry g_rgMatch = nullptr;
MatchEntry g_doubleRgMatch = nullptr;

bool EnsureEntryPoints() {
    if (!g_library)
        g_library = LoadLibraryA(kRegExpLibrary);
    if (!g_lookedUp) {
        // Looked up once: a library missing now stays missing for the process.
        g_lookedUp = true;
        if (g_library) {
            g_rgMatch = reinterpret_cast<MatchEntry>(GetProcAddress(g_library, "rg_match"));
            g_doubleRgMatch =
                reinterpret_cast<MatchEntry>(GetProcAddress(g_library, "double_rg_match"));
        }
    }
    return g_rgMatch && g_doubleRgMatch;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
bool IsBreak(char c) {
    return c == '\n' || c == '\r';
}

} // namespace

std::string NormalizeText(std::string_view s, int flags) {
    size_t begin = 0;
    while (begin < s.size() && IsBlank(s[begin]))
        ++begin;
    size_t end = s.size();
    while (end > begin && (IsBlank(s[end - 1]) || IsBreak(s[end - 1])))
        --end;
    const bool folds = (flags & kNormalizeLineBreaks) != 0;
    std::string t;
    for (size_t i = begin; i < end;) {
        char c = s[i];
        auto byte = static_cast<unsigned char>(c);
        if (IsDBCSLeadByte(byte) && i + 1 < end) {
            t.append(s.substr(i, 2));
            i += 2;
        } else if (byte == 30) {
            ++i;
        } else if (byte == 31) {
            ++i;
            if (i < end && static_cast<unsigned char>(s[i]) >= 166)
                ++i;
        } else if (IsBlank(c)) {
            t += ' ';
            ++i;
            while (i < end && (IsBlank(s[i]) || (folds && IsBreak(s[i]))))
                ++i;
        } else if (IsBreak(c) && folds) {
            t += ' ';
            ++i;
            while (i < end && (IsBreak(s[i]) || s[i] == ' '))
                ++i;
        } else if (c == '&' && (flags & kNormalizeMnemonics) != 0) {
            if (i + 1 < end && s[i + 1] == '&') {
                t += '&';
                i += 2;
            } else {
                ++i;
            }
        } else {
            t += c;
            ++i;
        }
    }
    return t;
}

bool MatchText(std::string& a, std::string_view b) {
    if (!EnsureEntryPoints())
        return false;
    if (a.size() >= kMatchBufferSize)
        a.resize(kMatchBufferSize - 1);
    std::string second(b);
    if (!a.empty() && a[0] == '!') {
        if (!second.empty() && second[0] == '!')
            return g_doubleRgMatch(second.c_str() + 1, a.c_str() + 1) == 0;
        return g_rgMatch(second.c_str(), a.c_str() + 1) == 0;
    }
    if (!second.empty() && second[0] == '!')
        return g_rgMatch(a.c_str(), second.c_str() + 1) == 0;
    if (a == b)
        return true;
    for (int flags : {0, kNormalizeMnemonics, kNormalizeLineBreaks,
                      kNormalizeMnemonics | kNormalizeLineBreaks}) {
        if (NormalizeText(a, flags) == b)
            return true;
    }
    return false;
}

bool MatchTextWide(std::u16string_view first, std::u16string_view second) {
    std::string a = AnsiFromWide(first);
    return MatchText(a, AnsiFromWide(second));
}

int CountMatches(std::string_view t, std::string_view s) {
    if (t.size() > kMatchBufferSize)
        return -1;
    if (size_t bang = t.find('!'); bang != std::string_view::npos)
        t = t.substr(bang + 1);
    std::string x(t);
    if (!x.starts_with(".*"))
        x = ".*" + x;
    if (t.size() < 2 || !t.ends_with(".*"))
        x += ".*";
    std::string once = "!" + x;
    if (!MatchText(once, s))
        return 0;
    std::string twice = "!" + x.substr(0, x.size() - 2) + x;
    return MatchText(twice, s) ? 2 : 1;
}

void UnloadRegExpLibrary() {
    if (g_library)
        FreeLibrary(g_library);
    g_library = nullptr;
    g_rgMatch = nullptr;
    g_doubleRgMatch = nullptr;
}
