#include "agent/channel/CWebInfo.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <stdexcept>
#include <utility>

namespace {

constexpr size_t kIdSize = 20;
constexpr size_t kListHeaderSize = 12;
constexpr size_t kValueHeaderSize = 12;
// Length word, an empty name's NUL and an empty list.
constexpr size_t kMinAttrBlockSize = 4 + 1 + kListHeaderSize;

// Payload sizes fixed by the type; strings and unknown codes are handled apart.
std::optional<size_t> FixedPayloadSize(WebVariantType type) {
    switch (type) {
    case WebVariantType::Integer:
        return 4;
    case WebVariantType::Rect:
        return 16;
    case WebVariantType::Pair:
        return 8;
    case WebVariantType::RunTimeID:
        return kIdSize;
    default:
        return std::nullopt;
    }
}

class WireWriter {
public:
    explicit WireWriter(std::vector<uint8_t>& out) : m_Out(out) {}

    size_t Offset() const { return m_Out.size(); }

    void Word(int32_t value) {
        const auto bits = static_cast<uint32_t>(value);
        for (int shift = 0; shift < 32; shift += 8) {
            m_Out.push_back(static_cast<uint8_t>(bits >> shift));
        }
    }
    void WordAt(size_t offset, int32_t value) {
        const auto bits = static_cast<uint32_t>(value);
        for (int i = 0; i < 4; ++i) {
            m_Out[offset + i] = static_cast<uint8_t>(bits >> (8 * i));
        }
    }
    void Text(const std::string& text) {
        m_Out.insert(m_Out.end(), text.begin(), text.end());
        m_Out.push_back(0);
    }
    void Id(const CWebRunTimeID& id) {
        Word(0); // reserved
        Word(id.First());
        Word(id.Second());
        Word(id.Third());
        Word(id.Fourth());
    }

private:
    std::vector<uint8_t>& m_Out;
};

void WriteValue(WireWriter& writer, const CWebVariant& value) {
    const size_t start = writer.Offset();
    writer.Word(0); // block length, filled in below
    writer.Word(static_cast<int32_t>(value.GetType()));
    writer.Word(0); // reserved
    const auto& ints = value.GetInts();
    switch (value.GetType()) {
    case WebVariantType::String:
        writer.Text(value.GetString());
        break;
    case WebVariantType::Integer:
        writer.Word(ints[0]);
        break;
    case WebVariantType::Rect:
        for (int32_t number : ints) {
            writer.Word(number);
        }
        break;
    case WebVariantType::Pair:
        writer.Word(ints[0]);
        writer.Word(ints[1]);
        break;
    case WebVariantType::RunTimeID:
        writer.Id(value.GetRunTimeID());
        break;
    default:
        break;
    }
    writer.WordAt(start, static_cast<int32_t>(writer.Offset() - start));
}

void WriteAttr(WireWriter& writer, const CAttrPair& attr) {
    const size_t start = writer.Offset();
    writer.Word(0); // block length, filled in below
    writer.Text(attr.GetName());
    const CWebVariantList& value = attr.GetValue();
    writer.Word(static_cast<int32_t>(value.GetType()));
    writer.Word(value.GetStatus());
    writer.Word(static_cast<int32_t>(value.GetCount()));
    for (const CWebVariant& element : value.Elements()) {
        WriteValue(writer, element);
    }
    writer.WordAt(start, static_cast<int32_t>(writer.Offset() - start));
}

// Every read is checked against the end of the range it reads from; offsets
// are integers into the received span, never pointers past it.
class WireReader {
public:
    WireReader(std::span<const uint8_t> bytes, size_t offset, size_t end)
        : m_Bytes(bytes), m_Offset(offset), m_End(end) {}

    size_t Offset() const { return m_Offset; }
    size_t Left() const { return m_End - m_Offset; }

    std::optional<int32_t> Word() {
        if (Left() < 4) {
            return std::nullopt;
        }
        uint32_t bits = 0;
        for (int i = 0; i < 4; ++i) {
            bits |= uint32_t{m_Bytes[m_Offset + i]} << (8 * i);
        }
        m_Offset += 4;
        return static_cast<int32_t>(bits);
    }
    // The characters up to a NUL that lies inside the range; the NUL is consumed.
    std::optional<std::string> Text() {
        const auto begin = m_Bytes.begin() + static_cast<std::ptrdiff_t>(m_Offset);
        const auto end = m_Bytes.begin() + static_cast<std::ptrdiff_t>(m_End);
        const auto nul = std::find(begin, end, uint8_t{0});
        if (nul == end) {
            return std::nullopt;
        }
        std::string text(begin, nul);
        m_Offset += text.size() + 1;
        return text;
    }
    std::optional<CWebRunTimeID> Id() {
        const auto reserved = Word();
        const auto first = Word();
        const auto second = Word();
        const auto third = Word();
        const auto fourth = Word();
        if (!reserved || !first || !second || !third || !fourth) {
            return std::nullopt;
        }
        return CWebRunTimeID(*first, *second, *third, *fourth);
    }
    // A length-prefixed block starting here: its end, when the length covers at
    // least minimum bytes and fits in the range. The reader stays at the start.
    std::optional<size_t> BlockEnd(size_t minimum) const {
        WireReader probe = *this;
        const auto length = probe.Word();
        if (!length || *length < 0) {
            return std::nullopt;
        }
        const auto size = static_cast<size_t>(*length);
        if (size < minimum || size > Left()) {
            return std::nullopt;
        }
        return m_Offset + size;
    }
    WireReader Sub(size_t end) const { return WireReader(m_Bytes, m_Offset, end); }
    void MoveTo(size_t offset) { m_Offset = offset; }

private:
    std::span<const uint8_t> m_Bytes;
    size_t m_Offset;
    size_t m_End;
};

std::optional<CWebVariant> ReadValue(WireReader block) {
    (void)block.Word(); // length, already checked by the caller
    const auto typeCode = block.Word();
    const auto reserved = block.Word();
    if (!typeCode || !reserved) {
        return std::nullopt;
    }
    const auto type = static_cast<WebVariantType>(*typeCode);
    if (type == WebVariantType::String) {
        auto text = block.Text();
        if (!text) {
            return std::nullopt;
        }
        return CWebVariant(std::string_view(*text));
    }
    const std::optional<size_t> payload = FixedPayloadSize(type);
    if (!payload) {
        return CWebVariant::OfType(type, *reserved); // any other code: no payload
    }
    if (block.Left() != *payload) {
        return std::nullopt;
    }
    switch (type) {
    case WebVariantType::Integer:
        return CWebVariant(*block.Word());
    case WebVariantType::Rect: {
        const auto left = block.Word();
        const auto top = block.Word();
        const auto right = block.Word();
        const auto bottom = block.Word();
        return CWebVariant(RECT{*left, *top, *right, *bottom});
    }
    case WebVariantType::Pair: {
        const auto first = block.Word();
        const auto second = block.Word();
        return CWebVariant(*first, *second);
    }
    default:
        return CWebVariant(*block.Id());
    }
}

std::optional<CAttrPair> ReadAttr(WireReader block) {
    (void)block.Word(); // length, already checked by the caller
    auto name = block.Text();
    if (!name) {
        return std::nullopt;
    }
    const auto typeCode = block.Word();
    const auto status = block.Word();
    const auto count = block.Word();
    // Every value block has at least its header: a count that cannot fit in
    // what is left is refused before anything is allocated for it.
    if (!typeCode || !status || !count || *count < 0 ||
        static_cast<size_t>(*count) > block.Left() / kValueHeaderSize) {
        return std::nullopt;
    }
    std::vector<CWebVariant> elements;
    elements.reserve(static_cast<size_t>(*count));
    for (int32_t i = 0; i < *count; ++i) {
        const auto end = block.BlockEnd(kValueHeaderSize);
        if (!end) {
            return std::nullopt;
        }
        auto value = ReadValue(block.Sub(*end));
        if (!value) {
            return std::nullopt;
        }
        elements.push_back(std::move(*value));
        block.MoveTo(*end);
    }
    return CAttrPair(*name, CWebVariantList::FromWire(static_cast<WebVariantType>(*typeCode),
                                                      *status, std::move(elements)));
}

} // namespace

CAttrPair::CAttrPair(std::string_view name, CWebVariantList value)
    : m_Name(name.substr(0, std::min(name.find('\0'), name.size()))), m_Value(std::move(value)) {}

namespace {

template <typename Attrs> auto FindByName(Attrs& attrs, std::string_view name) {
    return std::find_if(attrs.begin(), attrs.end(),
                        [name](const CAttrPair& attr) { return attr.GetName() == name; });
}

} // namespace

bool CWebInfo::AddAttr(std::string_view name, const CWebVariantList& value) {
    if (FindAttr(name) != nullptr) {
        return false;
    }
    return AppendAttr(name, value);
}

bool CWebInfo::SetAttr(std::string_view name, const CWebVariantList& value) {
    if (CWebVariantList* existing = FindAttr(name)) {
        *existing = value;
        return true;
    }
    return AppendAttr(name, value);
}

bool CWebInfo::AppendAttr(std::string_view name, const CWebVariantList& value) {
    // Copied before the vector may grow: name and value may live in this record.
    CAttrPair attr(name, value);
    m_Attrs.push_back(std::move(attr));
    return true;
}

bool CWebInfo::ReplaceAttr(std::string_view name, const CWebVariantList& value) {
    CWebVariantList* existing = FindAttr(name);
    if (existing == nullptr) {
        return false;
    }
    *existing = value;
    return true;
}

bool CWebInfo::SetAttrValueAt(size_t index, const CWebVariantList& value) {
    if (index >= m_Attrs.size()) {
        return false;
    }
    m_Attrs[index].SetValue(value);
    return true;
}

bool CWebInfo::RemoveAttr(std::string_view name) {
    if (auto it = FindByName(m_Attrs, name); it != m_Attrs.end()) {
        m_Attrs.erase(it);
    }
    return true;
}

const CWebVariantList* CWebInfo::FindAttr(std::string_view name) const {
    auto it = FindByName(m_Attrs, name);
    return it != m_Attrs.end() ? &it->GetValue() : nullptr;
}

CWebVariantList* CWebInfo::FindAttr(std::string_view name) {
    auto it = FindByName(m_Attrs, name);
    return it != m_Attrs.end() ? &it->GetValue() : nullptr;
}

const CWebVariant* CWebInfo::FindFirstValue(std::string_view name) const {
    const CWebVariantList* value = FindAttr(name);
    return value != nullptr ? value->GetAt(0) : nullptr;
}

int CWebInfo::IndexOfAttr(std::string_view name) const {
    auto it = FindByName(m_Attrs, name);
    return it != m_Attrs.end() ? static_cast<int>(it - m_Attrs.begin()) : -1;
}

const std::string* CWebInfo::GetAttrName(size_t index) const {
    return index < m_Attrs.size() ? &m_Attrs[index].GetName() : nullptr;
}

const CWebVariantList* CWebInfo::GetAttrValue(size_t index) const {
    return index < m_Attrs.size() ? &m_Attrs[index].GetValue() : nullptr;
}

CWebVariantList* CWebInfo::GetAttrValue(size_t index) {
    return index < m_Attrs.size() ? &m_Attrs[index].GetValue() : nullptr;
}

bool CWebInfo::TrimStrings(size_t maxLength, TrimAs form) {
    for (CAttrPair& attr : m_Attrs) {
        attr.GetValue().TrimStrings(maxLength, form);
    }
    return true;
}

bool CWebInfo::Serialize(std::vector<uint8_t>& out) const {
    out.clear();
    try {
        WireWriter writer(out);
        writer.Word(static_cast<int32_t>(m_RetValue));
        writer.Word(m_MsgId);
        writer.Id(m_Id);
        writer.Word(m_WebInfoId);
        writer.Word(static_cast<int32_t>(m_Attrs.size()));
        for (const CAttrPair& attr : m_Attrs) {
            WriteAttr(writer, attr);
            // Block lengths and counts are 32-bit words on the wire.
            if (out.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max())) {
                out.clear();
                return false;
            }
        }
    } catch (const std::exception&) { // bad_alloc, or length_error past max_size
        out = std::vector<uint8_t>();
        return false;
    }
    return true;
}

WebInfoDecodeResult CWebInfo::Deserialize(std::span<const uint8_t> bytes) {
    m_Attrs.clear();
    WireReader reader(bytes, 0, bytes.size());
    if (reader.Left() < kHeaderSize) {
        return {E_FAIL, 0};
    }
    m_RetValue = static_cast<nsresult>(*reader.Word());
    m_MsgId = *reader.Word();
    m_Id = *reader.Id();
    m_WebInfoId = *reader.Word();
    const int32_t count = *reader.Word();
    if (count < 0) {
        return {E_FAIL, kHeaderSize};
    }
    // Reserve only what the received bytes can hold, whatever the count says.
    m_Attrs.reserve(std::min(static_cast<size_t>(count), reader.Left() / kMinAttrBlockSize));
    for (int32_t i = 0; i < count; ++i) {
        const auto end = reader.BlockEnd(kMinAttrBlockSize);
        if (!end) {
            return {E_FAIL, reader.Offset()};
        }
        auto attr = ReadAttr(reader.Sub(*end));
        if (!attr) {
            return {E_FAIL, reader.Offset()};
        }
        m_Attrs.push_back(std::move(*attr));
        reader.MoveTo(*end);
    }
    return {NS_OK, reader.Offset()};
}
