#include "agent/common/RegExpService.h"
#include "platform/win32/Windows.h"

#include <gtest/gtest.h>

// Without "rexp.dll" on the search path nothing matches, equal texts included.
TEST(RegExpMissing, NothingMatchesWithoutTheLibrary) {
    SetEnvironmentVariableA("path", "/nonexistent");
    std::string same = "Sign in";
    EXPECT_FALSE(MatchText(same, "Sign in"));
    std::string pattern = "!.*";
    EXPECT_FALSE(MatchText(pattern, "x"));
}
