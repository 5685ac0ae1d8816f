// The single comparison of a described value with an actual value. A leading
// "!" marks a regular expression, evaluated by the tool's "rexp.dll" (loaded
// on first use through the "path" search); plain texts match when equal or
// when the first, normalised for white space and mnemonics, equals the second.
//
//     std::string described = "!Sign.*";
//     if (MatchText(described, actual)) ...   // described may be cut in place
#pragma once

#include <string>
#include <string_view>

inline constexpr const char* kRegExpLibrary = "rexp.dll";
inline constexpr size_t kMatchBufferSize = 1024;

// Normalisation flags.
inline constexpr int kNormalizeMnemonics = 1;
inline constexpr int kNormalizeLineBreaks = 16;

// The first text may be cut to 1023 characters in place.
bool MatchText(std::string& first, std::string_view second);
bool MatchTextWide(std::u16string_view first, std::u16string_view second);
std::string NormalizeText(std::string_view source, int flags);
// How often text occurs in subject: -1 cannot tell, 0 never, 1 once, 2 more.
int CountMatches(std::string_view text, std::string_view subject);
// Unloads "rexp.dll" if it was loaded (at module unload).
void UnloadRegExpLibrary();
