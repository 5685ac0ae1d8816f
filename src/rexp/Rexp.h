// Entry points of "rexp.dll", the tool's regular-expression library.
//
// Callers load the library by name and look the two functions up; they take
// NUL-terminated narrow strings (Windows-1252 bytes, matched byte by byte) and
// answer 0 for a match. Any other answer is no match; the particular code
// only says why (see RexpResult).
//
//   rg_match(text, pattern)          does the whole text match the pattern?
//   double_rg_match(first, second)   are the two patterns the same text, or
//                                    does either, read as text, match the other?
//
// Patterns use the Perl-compatible syntax, are anchored at both ends, and "."
// matches line breaks too. Match and depth limits stop a runaway pattern; a
// limit reached counts as no match.
#pragma once

#if defined(REXP_BUILDING_LIBRARY)
#define REXP_EXPORT __attribute__((visibility("default")))
#else
#define REXP_EXPORT
#endif

// Why an entry point answered what it did.
enum RexpResult : int {
    kRexpMatch = 0,
    kRexpNoMatch = 1,
    kRexpInvalidPattern = 2, // the pattern does not compile (or is too long)
    kRexpLimitReached = 3,   // the match gave up at a match, depth or heap limit
    kRexpBadArgument = 4,    // a null argument
    kRexpFailure = 5,        // out of memory or an engine error
};

extern "C" {
using RgMatchFunction = int (*)(const char* text, const char* pattern);
using DoubleRgMatchFunction = int (*)(const char* first, const char* second);

REXP_EXPORT int rg_match(const char* text, const char* pattern);
REXP_EXPORT int double_rg_match(const char* first, const char* second);
}

// Limits the engine runs under; documented in the README.
inline constexpr unsigned kRexpMatchLimit = 1'000'000;    // backtracking steps per match
inline constexpr unsigned kRexpDepthLimit = 10'000;       // nested backtracking frames
inline constexpr unsigned kRexpHeapLimitKiB = 16 * 1024;  // backtracking memory
inline constexpr unsigned kRexpMaxPatternLength = 65'536; // bytes
inline constexpr unsigned kRexpCacheSize = 64;            // compiled patterns kept
