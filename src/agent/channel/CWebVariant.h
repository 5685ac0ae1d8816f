// CWebVariant, one typed value, and CWebVariantList, the typed list of values
// that every attribute of a record holds.
//
//   CWebVariantList value;
//   value.Append(42);                  // the list becomes an integer list
//   value.Append("text");              // refused: false, nothing changes
//   value.SetStatus(kWebStatusNotApplicable);
//
// Strings are narrow strings in the system code page. They cannot hold a NUL
// (the wire format ends strings with one), so every string entering a value
// is cut at its first NUL.
#pragma once

#include "agent/channel/CWebRunTimeID.h"
#include "agent/common/AgentCodes.h"
#include "platform/win32/WinDef.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// X(name, code, label): the type codes of values and of value lists. Codes
// outside the list travel unchanged (a value of type 7 has no payload).
#define WEB_ENUMERATE_VARIANT_TYPES(X)                                                             \
    X(None, 0, "none")                                                                             \
    X(Status, 1, "status")                                                                         \
    X(String, 2, "string")                                                                         \
    X(Integer, 3, "integer")                                                                       \
    X(Rect, 4, "rect")                                                                             \
    X(Pair, 5, "pair")                                                                             \
    X(RunTimeID, 6, "id")

enum class WebVariantType : int32_t {
#define WEB_DEFINE_VARIANT_TYPE(name, code, label) name = code,
    WEB_ENUMERATE_VARIANT_TYPES(WEB_DEFINE_VARIANT_TYPE)
#undef WEB_DEFINE_VARIANT_TYPE
};

// The label of a type code, or nullptr for a code not listed.
const char* WebVariantTypeLabel(WebVariantType type);

// Strings are compared on at most this many characters.
inline constexpr size_t kWebCompareLength = 1024;

// The comparison of a described text (first, which the matcher may shorten)
// with an actual text. The record knows plain equality only; the test objects
// pass the agent's text matching, which knows "!" patterns (MatchText).
using WebTextMatcher = bool (*)(std::string& first, std::string_view second);
// Texts match when they are equal.
bool EqualWebTexts(std::string& first, std::string_view second);

enum class TrimAs { Text, Pattern };

class CWebVariant {
public:
    CWebVariant() = default;
    explicit CWebVariant(int32_t value);
    explicit CWebVariant(const char* text); // null gives the empty string
    explicit CWebVariant(std::string_view text);
    explicit CWebVariant(const char16_t* text); // null gives the empty string
    explicit CWebVariant(std::u16string_view text);
    CWebVariant(int32_t first, int32_t second); // a pair
    explicit CWebVariant(const RECT& rect);
    explicit CWebVariant(const CWebRunTimeID& id);
    // Copies type and payload; the reserved word is not carried.
    CWebVariant(const CWebVariant& other);
    CWebVariant& operator=(const CWebVariant& other);
    CWebVariant(CWebVariant&&) = default;
    CWebVariant& operator=(CWebVariant&&) = default;
    virtual ~CWebVariant() = default;

    // Any code, as received; the payload is kept but not interpreted.
    static CWebVariant OfType(WebVariantType type, int32_t reserved = 0);

    WebVariantType GetType() const { return m_Type; }
    int32_t GetReserved() const { return m_Reserved; }

    // Payload access; meaningful for the matching type only.
    int32_t GetInteger() const { return m_Ints[0]; }
    const std::string& GetString() const { return m_String; }
    int32_t GetPairFirst() const { return m_Ints[0]; }
    int32_t GetPairSecond() const { return m_Ints[1]; }
    RECT GetRect() const { return {m_Ints[0], m_Ints[1], m_Ints[2], m_Ints[3]}; }
    const CWebRunTimeID& GetRunTimeID() const { return m_Id; }
    const std::array<int32_t, 4>& GetInts() const { return m_Ints; }

    // Integer to string, string to integer, or the type already held.
    [[nodiscard]] bool ConvertTo(WebVariantType type);

    // Strings through the given text matcher (this value's text is the
    // described one); other types compare their whole payload.
    bool Matches(const CWebVariant& other, WebTextMatcher matcher = &EqualWebTexts) const;
    // As Matches, but strings compare their first 1024 characters exactly.
    bool IsEqual(const CWebVariant& other) const;
    // Same type and the same whole payload (strings in full); what a round
    // trip through the wire format keeps.
    friend bool operator==(const CWebVariant& a, const CWebVariant& b);

    void TrimStrings(size_t maxLength, TrimAs form);

private:
    std::array<int32_t, 4> m_Ints{};
    CWebRunTimeID m_Id;
    std::string m_String;
    WebVariantType m_Type = WebVariantType::None;
    int32_t m_Reserved = 0;
};

class CWebVariantList {
public:
    CWebVariantList() = default;
    // A list of the one value, typed by it (an empty value gives an untyped
    // list that holds it).
    CWebVariantList(const CWebVariant& value); // NOLINT(google-explicit-constructor)

    WebVariantType GetType() const { return m_Type; }
    int32_t GetStatus() const { return m_Status; }
    bool IsStatus() const { return m_Type == WebVariantType::Status; }
    size_t GetCount() const { return m_Elements.size(); }
    bool IsEmpty() const { return m_Elements.empty(); }
    const CWebVariant* GetAt(size_t index) const;
    const std::vector<CWebVariant>& Elements() const { return m_Elements; }

    // Typed appending: false, and nothing changes, when the element's type
    // does not fit the list. An empty list takes the type of its first
    // element; an empty value enters only a list that has no type yet.
    bool Append(const CWebVariant& value);
    bool Append(int32_t value) { return Append(CWebVariant(value)); }
    bool Append(const char* text) { return Append(CWebVariant(text)); }
    bool Append(std::string_view text) { return Append(CWebVariant(text)); }
    bool Append(const char16_t* text) { return Append(CWebVariant(text)); }
    bool Append(std::u16string_view text) { return Append(CWebVariant(text)); }
    bool AppendPair(int32_t first, int32_t second) { return Append(CWebVariant(first, second)); }
    bool Append(const RECT& rect) { return Append(CWebVariant(rect)); }
    bool Append(const CWebRunTimeID& id) { return Append(CWebVariant(id)); }
    // All elements of another list, or none of them.
    bool Append(const CWebVariantList& other);

    // Empties the list, then appends the one value.
    bool Set(const CWebVariant& value);
    bool Set(int32_t value) { return Set(CWebVariant(value)); }
    bool Set(const char* text) { return Set(CWebVariant(text)); }
    bool Set(std::string_view text) { return Set(CWebVariant(text)); }
    bool Set(const char16_t* text) { return Set(CWebVariant(text)); }
    bool Set(std::u16string_view text) { return Set(CWebVariant(text)); }
    bool SetPair(int32_t first, int32_t second) { return Set(CWebVariant(first, second)); }
    bool Set(const RECT& rect) { return Set(CWebVariant(rect)); }
    bool Set(const CWebRunTimeID& id) { return Set(CWebVariant(id)); }

    // Marks the list as a status; elements already held stay.
    void SetStatus(int32_t code);
    void Clear();

    // Builds a list exactly as received, without type checks.
    static CWebVariantList FromWire(WebVariantType type, int32_t status,
                                    std::vector<CWebVariant> elements);

    void TrimStrings(size_t maxLength, TrimAs form);
    // Same length, and each element matches the other's at its position.
    bool Matches(const CWebVariantList& other, WebTextMatcher matcher = &EqualWebTexts) const;
    // Both have a first element, and those are exactly equal.
    bool FirstEquals(const CWebVariantList& other) const;

    friend bool operator==(const CWebVariantList&, const CWebVariantList&) = default;

private:
    WebVariantType m_Type = WebVariantType::None;
    int32_t m_Status = 0;
    std::vector<CWebVariant> m_Elements;
};
