#include "agent/channel/CWebVariant.h"

#include "platform/win32/WinNls.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace {

// Strings end at their first NUL, as they do on the wire.
std::string TextUpToNul(std::string_view text) {
    return std::string(text.substr(0, std::min(text.find('\0'), text.size())));
}

std::string_view Head(const std::string& text) {
    return std::string_view(text).substr(0, kWebCompareLength);
}

bool IsRegexMetaCharacter(char c) {
    return std::strchr("\\^$.|?*+()[]{}", c) != nullptr;
}

// The longest head of text that, with its pattern characters escaped, fits
// into room characters; escaped so that the cut value still matches its text.
std::string EscapedHead(std::string_view text, size_t room) {
    std::string out;
    for (char c : text) {
        const size_t width = IsRegexMetaCharacter(c) ? 2 : 1;
        if (out.size() + width > room) {
            break;
        }
        if (width == 2) {
            out.push_back('\\');
        }
        out.push_back(c);
    }
    return out;
}

// Reads like the C runtime's atoi, but saturates instead of overflowing.
int32_t ParseDecimal(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = std::min<int64_t>(value * 10 + (text[i] - '0'), int64_t{INT32_MAX} + 1);
    }
    value = negative ? -value : value;
    return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

} // namespace

const char* WebVariantTypeLabel(WebVariantType type) {
    switch (type) {
#define WEB_LABEL_VARIANT_TYPE(name, code, label)                                                  \
    case WebVariantType::name:                                                                     \
        return label;
        WEB_ENUMERATE_VARIANT_TYPES(WEB_LABEL_VARIANT_TYPE)
#undef WEB_LABEL_VARIANT_TYPE
    }
    return nullptr;
}

bool EqualWebTexts(std::string& first, std::string_view second) {
    return first == second;
}

// --- CWebVariant ---

CWebVariant::CWebVariant(int32_t value) : m_Type(WebVariantType::Integer) {
    m_Ints[0] = value;
}

CWebVariant::CWebVariant(const char* text)
    : CWebVariant(text != nullptr ? std::string_view(text) : std::string_view()) {}

CWebVariant::CWebVariant(std::string_view text)
    : m_String(TextUpToNul(text)), m_Type(WebVariantType::String) {}

CWebVariant::CWebVariant(const char16_t* text)
    : CWebVariant(text != nullptr ? std::u16string_view(text) : std::u16string_view()) {}

CWebVariant::CWebVariant(std::u16string_view text)
    : m_String(TextUpToNul(AnsiFromWide(text))), m_Type(WebVariantType::String) {}

CWebVariant::CWebVariant(int32_t first, int32_t second) : m_Type(WebVariantType::Pair) {
    m_Ints[0] = first;
    m_Ints[1] = second;
}

CWebVariant::CWebVariant(const RECT& rect)
    : m_Ints{rect.left, rect.top, rect.right, rect.bottom}, m_Type(WebVariantType::Rect) {}

CWebVariant::CWebVariant(const CWebRunTimeID& id) : m_Id(id), m_Type(WebVariantType::RunTimeID) {}

CWebVariant::CWebVariant(const CWebVariant& other)
    : m_Ints(other.m_Ints), m_Id(other.m_Id), m_String(other.m_String), m_Type(other.m_Type) {}

CWebVariant& CWebVariant::operator=(const CWebVariant& other) {
    m_Ints = other.m_Ints;
    m_Id = other.m_Id;
    m_String = other.m_String;
    m_Type = other.m_Type;
    m_Reserved = 0;
    return *this;
}

CWebVariant CWebVariant::OfType(WebVariantType type, int32_t reserved) {
    CWebVariant value;
    value.m_Type = type;
    value.m_Reserved = reserved;
    return value;
}

bool CWebVariant::ConvertTo(WebVariantType type) {
    if (type == m_Type) {
        return true;
    }
    if (type == WebVariantType::String && m_Type == WebVariantType::Integer) {
        m_String = std::to_string(m_Ints[0]);
        m_Type = type;
        return true;
    }
    if (type == WebVariantType::Integer && m_Type == WebVariantType::String) {
        m_Ints[0] = ParseDecimal(m_String);
        m_Type = type;
        return true;
    }
    return false;
}

namespace {

// Numbers and identifiers: all that the type carries.
bool SamePayloadNumbers(const CWebVariant& a, const CWebVariant& b) {
    const auto& x = a.GetInts();
    const auto& y = b.GetInts();
    switch (a.GetType()) {
    case WebVariantType::Integer:
        return x[0] == y[0];
    case WebVariantType::Pair:
        return x[0] == y[0] && x[1] == y[1];
    case WebVariantType::Rect:
        return x == y;
    case WebVariantType::RunTimeID:
        return a.GetRunTimeID() == b.GetRunTimeID();
    default:
        return true;
    }
}

} // namespace

bool CWebVariant::Matches(const CWebVariant& other, WebTextMatcher matcher) const {
    if (m_Type != other.m_Type) {
        return false;
    }
    if (m_Type == WebVariantType::String) {
        std::string first(Head(m_String));
        return (matcher != nullptr ? matcher : &EqualWebTexts)(first, Head(other.m_String));
    }
    return SamePayloadNumbers(*this, other);
}

bool CWebVariant::IsEqual(const CWebVariant& other) const {
    if (m_Type != other.m_Type) {
        return false;
    }
    if (m_Type == WebVariantType::String) {
        return Head(m_String) == Head(other.m_String);
    }
    return SamePayloadNumbers(*this, other);
}

bool operator==(const CWebVariant& a, const CWebVariant& b) {
    if (a.m_Type != b.m_Type) {
        return false;
    }
    if (a.m_Type == WebVariantType::String) {
        return a.m_String == b.m_String;
    }
    return SamePayloadNumbers(a, b);
}

void CWebVariant::TrimStrings(size_t maxLength, TrimAs form) {
    if (m_Type != WebVariantType::String || m_String.size() <= maxLength) {
        return;
    }
    if (form == TrimAs::Text) {
        m_String.resize(maxLength);
        return;
    }
    if (maxLength <= 3) {
        return;
    }
    // "!" marks a pattern and ".*" stands for the cut tail. Pattern characters
    // in the kept head are escaped: "Total (EUR)" must not become the broken
    // pattern "Total (E.*".
    m_String = "!" + EscapedHead(m_String, maxLength - 3) + ".*";
}

// --- CWebVariantList ---

CWebVariantList::CWebVariantList(const CWebVariant& value) {
    Append(value);
}

const CWebVariant* CWebVariantList::GetAt(size_t index) const {
    return index < m_Elements.size() ? &m_Elements[index] : nullptr;
}

bool CWebVariantList::Append(const CWebVariant& value) {
    if (m_Type == WebVariantType::None) {
        m_Type = value.GetType();
    } else if (m_Type == WebVariantType::Status || value.GetType() != m_Type) {
        return false;
    }
    m_Elements.push_back(value);
    return true;
}

bool CWebVariantList::Append(const CWebVariantList& other) {
    if (&other == this) {
        const CWebVariantList copy = other;
        return Append(copy);
    }
    CWebVariantList result = *this;
    for (const CWebVariant& value : other.m_Elements) {
        if (!result.Append(value)) {
            return false;
        }
    }
    *this = std::move(result);
    return true;
}

bool CWebVariantList::Set(const CWebVariant& value) {
    Clear();
    return Append(value);
}

void CWebVariantList::SetStatus(int32_t code) {
    m_Type = WebVariantType::Status;
    m_Status = code;
}

void CWebVariantList::Clear() {
    m_Type = WebVariantType::None;
    m_Status = 0;
    m_Elements.clear();
}

CWebVariantList CWebVariantList::FromWire(WebVariantType type, int32_t status,
                                          std::vector<CWebVariant> elements) {
    CWebVariantList list;
    list.m_Type = type;
    list.m_Status = status;
    list.m_Elements = std::move(elements);
    return list;
}

void CWebVariantList::TrimStrings(size_t maxLength, TrimAs form) {
    for (CWebVariant& value : m_Elements) {
        value.TrimStrings(maxLength, form);
    }
}

bool CWebVariantList::Matches(const CWebVariantList& other, WebTextMatcher matcher) const {
    return m_Elements.size() == other.m_Elements.size() &&
           std::equal(m_Elements.begin(), m_Elements.end(), other.m_Elements.begin(),
                      [matcher](const CWebVariant& a, const CWebVariant& b) {
                          return a.Matches(b, matcher);
                      });
}

bool CWebVariantList::FirstEquals(const CWebVariantList& other) const {
    return !m_Elements.empty() && !other.m_Elements.empty() &&
           m_Elements.front().IsEqual(other.m_Elements.front());
}
