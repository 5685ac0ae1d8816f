#include "agent/channel/CWebInfo.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <exception>
#include <limits>
#include <new>
#include <optional>
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

// Words travel little-endian whatever the host's order.
uint32_t LittleEndian(uint32_t bits) {
    if constexpr (std::endian::native == std::endian::big) {
        return ((bits & 0xffu) << 24) | ((bits & 0xff00u) << 8) | ((bits >> 8) & 0xff00u) |
               (bits >> 24);
    }
    return bits;
}

size_t ValueBlockSize(const CWebVariant& value) {
    if (value.GetType() == WebVariantType::String) {
        return kValueHeaderSize + value.GetString().size() + 1;
    }
    return kValueHeaderSize + FixedPayloadSize(value.GetType()).value_or(0);
}

size_t AttrBlockSize(const CAttrPair& attr) {
    size_t size = 4 + attr.GetName().size() + 1 + kListHeaderSize;
    for (const CWebVariant& element : attr.GetValue().Elements()) {
        size += ValueBlockSize(element);
    }
    return size;
}

// Writes into a buffer sized beforehand to the exact encoding, so every block
// length is known before its block is written and nothing is patched later.
class WireWriter {
public:
    explicit WireWriter(uint8_t* out) : m_Cursor(out) {}

    void Word(int32_t value) {
        const uint32_t bits = LittleEndian(static_cast<uint32_t>(value));
        std::memcpy(m_Cursor, &bits, 4);
        m_Cursor += 4;
    }
    void Length(size_t size) { Word(static_cast<int32_t>(size)); }
    void Text(const std::string& text) {
        std::memcpy(m_Cursor, text.data(), text.size());
        m_Cursor += text.size();
        *m_Cursor++ = 0;
    }
    void Id(const CWebRunTimeID& id) {
        Word(0); // reserved
        Word(id.First());
        Word(id.Second());
        Word(id.Third());
        Word(id.Fourth());
    }

private:
    uint8_t* m_Cursor; // observes: the caller's buffer, sized for the whole record
};

void WriteValue(WireWriter& writer, const CWebVariant& value) {
    writer.Length(ValueBlockSize(value));
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
}

void WriteAttr(WireWriter& writer, const CAttrPair& attr, size_t blockSize) {
    writer.Length(blockSize);
    writer.Text(attr.GetName());
    const CWebVariantList& value = attr.GetValue();
    writer.Word(static_cast<int32_t>(value.GetType()));
    writer.Word(value.GetStatus());
    writer.Word(static_cast<int32_t>(value.GetCount()));
    for (const CWebVariant& element : value.Elements()) {
        WriteValue(writer, element);
    }
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
        std::memcpy(&bits, m_Bytes.data() + m_Offset, 4);
        m_Offset += 4;
        return static_cast<int32_t>(LittleEndian(bits));
    }
    // The characters up to a NUL that lies inside the range, as a view into
    // the received bytes; the NUL is consumed.
    std::optional<std::string_view> Text() {
        const auto* begin = reinterpret_cast<const char*>(m_Bytes.data()) + m_Offset;
        const void* nul = std::memchr(begin, 0, Left());
        if (nul == nullptr) {
            return std::nullopt;
        }
        const auto length = static_cast<size_t>(static_cast<const char*>(nul) - begin);
        m_Offset += length + 1;
        return std::string_view(begin, length);
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

} // namespace

// The decoder's way into values, lists and attributes: it overwrites them in
// place so that their strings and element vectors keep their capacity from
// one record to the next. Every field is set on every read, so nothing of a
// value that held the place before survives.
struct WebWireAccess {
    static void Reset(CWebVariant& value, WebVariantType type, int32_t reserved) {
        value.m_Ints = {};
        value.m_Id = CWebRunTimeID();
        value.m_String.clear(); // keeps the capacity, drops the text
        value.m_Type = type;
        value.m_Reserved = reserved;
    }

    [[nodiscard]] static bool ReadValue(WireReader block, CWebVariant& value) {
        (void)block.Word(); // length, already checked by the caller
        const auto typeCode = block.Word();
        const auto reserved = block.Word();
        if (!typeCode || !reserved) {
            return false;
        }
        const auto type = static_cast<WebVariantType>(*typeCode);
        if (type == WebVariantType::String) {
            const auto text = block.Text();
            if (!text) {
                return false;
            }
            // A string value carries no reserved word, as one built from text.
            Reset(value, type, 0);
            value.m_String.assign(*text);
            return true;
        }
        const std::optional<size_t> payload = FixedPayloadSize(type);
        if (!payload) {
            Reset(value, type, *reserved); // any other code: no payload
            return true;
        }
        if (block.Left() != *payload) {
            return false;
        }
        Reset(value, type, 0);
        switch (type) {
        case WebVariantType::Integer:
            value.m_Ints[0] = *block.Word();
            break;
        case WebVariantType::Rect:
            for (int32_t& number : value.m_Ints) {
                number = *block.Word();
            }
            break;
        case WebVariantType::Pair:
            value.m_Ints[0] = *block.Word();
            value.m_Ints[1] = *block.Word();
            break;
        default:
            value.m_Id = *block.Id();
            break;
        }
        return true;
    }

    [[nodiscard]] static bool ReadAttr(WireReader block, CAttrPair& attr) {
        (void)block.Word(); // length, already checked by the caller
        const auto name = block.Text();
        if (!name) {
            return false;
        }
        const auto typeCode = block.Word();
        const auto status = block.Word();
        const auto count = block.Word();
        // Every value block has at least its header: a count that cannot fit in
        // what is left is refused before anything is allocated for it.
        if (!typeCode || !status || !count || *count < 0 ||
            static_cast<size_t>(*count) > block.Left() / kValueHeaderSize) {
            return false;
        }
        attr.m_Name.assign(*name);
        CWebVariantList& list = attr.m_Value;
        list.m_Type = static_cast<WebVariantType>(*typeCode);
        list.m_Status = *status;
        std::vector<CWebVariant>& elements = list.m_Elements;
        const auto wanted = static_cast<size_t>(*count);
        if (elements.size() > wanted) {
            elements.resize(wanted);
        }
        elements.reserve(wanted);
        for (size_t i = 0; i < wanted; ++i) {
            const auto end = block.BlockEnd(kValueHeaderSize);
            if (!end) {
                return false;
            }
            CWebVariant& value = i < elements.size() ? elements[i] : elements.emplace_back();
            if (!ReadValue(block.Sub(*end), value)) {
                return false;
            }
            block.MoveTo(*end);
        }
        return true;
    }
};

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
    // Block lengths and counts are 32-bit words on the wire.
    constexpr auto kLimit = static_cast<size_t>(std::numeric_limits<int32_t>::max());
    size_t total = kHeaderSize;
    for (const CAttrPair& attr : m_Attrs) {
        total += AttrBlockSize(attr);
        if (total > kLimit) {
            out.clear();
            return false;
        }
    }
    try {
        // Resizing a buffer that held an encoding before fills nothing: every
        // byte is written below.
        out.resize(total);
    } catch (const std::exception&) { // bad_alloc, or length_error past max_size
        out = std::vector<uint8_t>();
        return false;
    }
    WireWriter writer(out.data());
    writer.Word(static_cast<int32_t>(m_RetValue));
    writer.Word(m_MsgId);
    writer.Id(m_Id);
    writer.Word(m_WebInfoId);
    writer.Word(static_cast<int32_t>(m_Attrs.size()));
    for (const CAttrPair& attr : m_Attrs) {
        WriteAttr(writer, attr, AttrBlockSize(attr));
    }
    return true;
}

WebInfoDecodeResult CWebInfo::Deserialize(std::span<const uint8_t> bytes) {
    WireReader reader(bytes, 0, bytes.size());
    if (reader.Left() < kHeaderSize) {
        // Nothing of the header arrived: the record is left as a new one, so
        // a record decoded over an earlier one shows none of its fields.
        *this = CWebInfo();
        return {E_FAIL, 0};
    }
    m_RetValue = static_cast<nsresult>(*reader.Word());
    m_MsgId = *reader.Word();
    m_Id = *reader.Id();
    m_WebInfoId = *reader.Word();
    const int32_t count = *reader.Word();
    if (count < 0) {
        m_Attrs.clear();
        return {E_FAIL, kHeaderSize};
    }
    // Attributes already here are decoded over; the vector grows only as far
    // as the received bytes can hold, whatever the count says.
    const auto wanted = static_cast<size_t>(count);
    if (m_Attrs.size() > wanted) {
        m_Attrs.resize(wanted);
    }
    m_Attrs.reserve(std::min(wanted, reader.Left() / kMinAttrBlockSize));
    for (size_t i = 0; i < wanted; ++i) {
        const auto end = reader.BlockEnd(kMinAttrBlockSize);
        CAttrPair* attr = nullptr;
        if (end) {
            attr = i < m_Attrs.size() ? &m_Attrs[i] : &m_Attrs.emplace_back();
        }
        if (attr == nullptr || !WebWireAccess::ReadAttr(reader.Sub(*end), *attr)) {
            m_Attrs.resize(i); // keeps the attributes before the failed block
            return {E_FAIL, reader.Offset()};
        }
        reader.MoveTo(*end);
    }
    return {NS_OK, reader.Offset()};
}
