// "rexp.dll" on PCRE2 (8-bit code units, no UTF mode: the agent's strings are
// Windows-1252 bytes).
//
// Compiled patterns are cached: the agent compares the same description
// patterns against many objects. The cache is guarded by a mutex and hands out
// shared ownership, so a pattern evicted by one thread stays valid for a match
// still running on another.
#define PCRE2_CODE_UNIT_WIDTH 8
#include "rexp/Rexp.h"

#include <cstring>
#include <memory>
#include <mutex>
#include <pcre2.h>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

namespace {

// Anchored at both ends; "." also matches line breaks, so that ".*" stands for
// any tail of a multi-line text; "(*UTF)" in a pattern is refused.
constexpr uint32_t kCompileOptions =
    PCRE2_ANCHORED | PCRE2_ENDANCHORED | PCRE2_DOTALL | PCRE2_NEVER_UTF;

struct CodeDeleter {
    void operator()(pcre2_code* code) const { pcre2_code_free(code); }
};
struct MatchDataDeleter {
    void operator()(pcre2_match_data* data) const { pcre2_match_data_free(data); }
};
struct MatchContextDeleter {
    void operator()(pcre2_match_context* context) const { pcre2_match_context_free(context); }
};
struct CompileContextDeleter {
    void operator()(pcre2_compile_context* context) const { pcre2_compile_context_free(context); }
};

// A compiled pattern, or none for a pattern that does not compile (invalid
// patterns are cached too, so a bad description costs one compile).
using CompiledPattern = std::shared_ptr<pcre2_code>;

class PatternCache {
public:
    CompiledPattern Lookup(std::string_view pattern) {
        std::string key(pattern);
        {
            std::lock_guard lock(m_Mutex);
            if (auto it = m_Entries.find(key); it != m_Entries.end()) {
                return it->second;
            }
        }
        // Compiled outside the lock: a slow compile must not hold up others.
        CompiledPattern compiled = Compile(pattern);
        std::lock_guard lock(m_Mutex);
        // NOTE: dropping everything when full is crude but bounded; descriptions
        // of one test rarely use more distinct patterns than the cache holds.
        if (m_Entries.size() >= kRexpCacheSize) {
            m_Entries.clear();
        }
        m_Entries.emplace(std::move(key), compiled);
        return compiled;
    }

private:
    static CompiledPattern Compile(std::string_view pattern) {
        static const std::unique_ptr<pcre2_compile_context, CompileContextDeleter> context = [] {
            std::unique_ptr<pcre2_compile_context, CompileContextDeleter> made(
                pcre2_compile_context_create(nullptr));
            if (made) {
                pcre2_set_max_pattern_length(made.get(), kRexpMaxPatternLength);
            }
            return made;
        }();
        if (!context) {
            return {};
        }
        int error = 0;
        PCRE2_SIZE offset = 0;
        pcre2_code* code =
            pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(),
                          kCompileOptions, &error, &offset, context.get());
        return CompiledPattern(code, CodeDeleter());
    }

    std::mutex m_Mutex;
    std::unordered_map<std::string, CompiledPattern> m_Entries;
};

PatternCache& Cache() {
    static PatternCache cache;
    return cache;
}

// Shared read-only by every thread once made; only the match data is per thread.
const pcre2_match_context* LimitedMatchContext() {
    static const std::unique_ptr<pcre2_match_context, MatchContextDeleter> context = [] {
        std::unique_ptr<pcre2_match_context, MatchContextDeleter> made(
            pcre2_match_context_create(nullptr));
        if (made) {
            pcre2_set_match_limit(made.get(), kRexpMatchLimit);
            pcre2_set_depth_limit(made.get(), kRexpDepthLimit);
            pcre2_set_heap_limit(made.get(), kRexpHeapLimitKiB);
        }
        return made;
    }();
    return context.get();
}

pcre2_match_data* ThreadMatchData() {
    // One pair is enough: only whether it matched is asked, and a match with
    // too small a vector is still reported as a match.
    thread_local std::unique_ptr<pcre2_match_data, MatchDataDeleter> data(
        pcre2_match_data_create(1, nullptr));
    return data.get();
}

int Match(const char* text, const char* pattern) {
    if (text == nullptr || pattern == nullptr) {
        return kRexpBadArgument;
    }
    const std::string_view patternText(pattern);
    if (patternText.size() > kRexpMaxPatternLength) {
        return kRexpInvalidPattern;
    }
    const CompiledPattern compiled = Cache().Lookup(patternText);
    if (!compiled) {
        return kRexpInvalidPattern;
    }
    const pcre2_match_context* context = LimitedMatchContext();
    pcre2_match_data* data = ThreadMatchData();
    if (context == nullptr || data == nullptr) {
        return kRexpFailure;
    }
    const int rc =
        pcre2_match(compiled.get(), reinterpret_cast<PCRE2_SPTR>(text), std::strlen(text), 0, 0,
                    data, const_cast<pcre2_match_context*>(context));
    if (rc >= 0) {
        return kRexpMatch;
    }
    switch (rc) {
    case PCRE2_ERROR_NOMATCH:
    case PCRE2_ERROR_PARTIAL:
        return kRexpNoMatch;
    case PCRE2_ERROR_MATCHLIMIT:
    case PCRE2_ERROR_DEPTHLIMIT:
    case PCRE2_ERROR_HEAPLIMIT:
        return kRexpLimitReached;
    default:
        return kRexpFailure;
    }
}

// Every escape of the C++ runtime stops here: nothing may be thrown into a
// caller that looked us up by name.
template <typename Function> int Guarded(Function function) noexcept {
    try {
        return function();
    } catch (...) {
        return kRexpFailure;
    }
}

} // namespace

extern "C" int rg_match(const char* text, const char* pattern) {
    return Guarded([&] { return Match(text, pattern); });
}

extern "C" int double_rg_match(const char* first, const char* second) {
    return Guarded([&] {
        if (first == nullptr || second == nullptr) {
            return static_cast<int>(kRexpBadArgument);
        }
        if (std::strcmp(first, second) == 0) {
            return static_cast<int>(kRexpMatch);
        }
        const int forward = Match(first, second);
        if (forward == kRexpMatch || Match(second, first) == kRexpMatch) {
            return static_cast<int>(kRexpMatch);
        }
        return forward;
    });
}
