#include "agent/elements/ElementClasses.h"

#include "agent/common/DomHelpers.h"

#include <array>

namespace {

struct NamedNumber {
    int32_t number;
    std::string_view name;
};

constexpr std::array kTestClasses = {
#define WEBAGENT_TEST_CLASS_ROW(number, id, name) NamedNumber{number, name},
    WEBAGENT_ENUMERATE_TEST_CLASSES(WEBAGENT_TEST_CLASS_ROW)
#undef WEBAGENT_TEST_CLASS_ROW
};

constexpr std::array kImageKinds = {
#define WEBAGENT_IMAGE_KIND_ROW(number, id, name) NamedNumber{number, name},
    WEBAGENT_ENUMERATE_IMAGE_KINDS(WEBAGENT_IMAGE_KIND_ROW)
#undef WEBAGENT_IMAGE_KIND_ROW
};

// The tables are dense: the row of number n is row n.
template <size_t N> constexpr bool IsDense(const std::array<NamedNumber, N>& table) {
    for (size_t i = 0; i < N; ++i) {
        if (table[i].number != static_cast<int32_t>(i)) {
            return false;
        }
    }
    return true;
}
static_assert(IsDense(kTestClasses), "test class numbers must run 0, 1, 2, ... without gaps");
static_assert(IsDense(kImageKinds), "image kind numbers must run 0, 1, 2, ... without gaps");
static_assert(kTestClasses.size() == 46 && kImageKinds.size() == 8);

template <size_t N>
std::string_view NameOf(const std::array<NamedNumber, N>& table, int32_t number) {
    if (number < 0 || static_cast<size_t>(number) >= N) {
        return {};
    }
    return table[static_cast<size_t>(number)].name;
}

template <size_t N>
std::optional<int32_t> NumberOf(const std::array<NamedNumber, N>& table, std::string_view name) {
    for (const NamedNumber& row : table) {
        if (row.name == name) {
            return row.number;
        }
    }
    return std::nullopt;
}

constexpr std::array<std::string_view, 8> kImageWrappers = {"FONT", "B",    "I",  "STRONG",
                                                            "DIV",  "NOBR", "EM", "DD"};
constexpr std::array<std::string_view, 7> kEventTargetWrappers = {"FONT", "B",  "I", "STRONG",
                                                                  "NOBR", "EM", "DD"};

template <size_t N> bool InList(const std::array<std::string_view, N>& list, std::string_view tag) {
    for (std::string_view entry : list) {
        if (EqualsIgnoringCase(entry, tag)) {
            return true;
        }
    }
    return false;
}

} // namespace

std::string_view TestClassName(TestClass number) {
    return NameOf(kTestClasses, static_cast<int32_t>(number));
}

std::string_view TestClassName(int32_t number) {
    return NameOf(kTestClasses, number);
}

std::optional<TestClass> TestClassFromName(std::string_view name) {
    if (std::optional<int32_t> number = NumberOf(kTestClasses, name)) {
        return static_cast<TestClass>(*number);
    }
    return std::nullopt;
}

std::string_view ImageKindName(ImageKind kind) {
    return NameOf(kImageKinds, static_cast<int32_t>(kind));
}

std::string_view ImageKindName(int32_t kind) {
    return NameOf(kImageKinds, kind);
}

std::optional<ImageKind> ImageKindFromName(std::string_view name) {
    if (std::optional<int32_t> number = NumberOf(kImageKinds, name)) {
        return static_cast<ImageKind>(*number);
    }
    return std::nullopt;
}

bool IsImageWrapperTag(std::string_view tag) {
    return InList(kImageWrappers, tag);
}

bool IsEventTargetWrapperTag(std::string_view tag) {
    return InList(kEventTargetWrappers, tag);
}
