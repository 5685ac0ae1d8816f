// CWebInfo: the record of every request, reply, announcement and recorded
// statement, and the argument block of every object operation. A small header
// (result code, message identifier, runtime identifier, request number) and an
// ordered list of named attributes (CAttrPair); names need not be unique and
// lookups find the first.
//
//   CWebInfo info;
//   info.SetMsgId(12);
//   info.SetAttr("handle", CWebVariant(42));
//   std::vector<uint8_t> bytes;
//   if (!info.Serialize(bytes)) ...
//   CWebInfo received;
//   if (!received.Deserialize(bytes)) ...   // keeps what decoded before a bad block
//
// Wire format: little-endian 32-bit integers, no padding; a 36-byte header, then
// one length-prefixed block per attribute. The decoder never reads past the
// bytes it is given.
#pragma once

#include "agent/channel/CWebRunTimeID.h"
#include "agent/channel/CWebVariant.h"
#include "platform/xpcom/nsError.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class CAttrPair {
public:
    CAttrPair() = default;
    CAttrPair(std::string_view name, CWebVariantList value);
    CAttrPair(const CAttrPair&) = default;
    CAttrPair& operator=(const CAttrPair&) = default;
    CAttrPair(CAttrPair&&) = default;
    CAttrPair& operator=(CAttrPair&&) = default;
    ~CAttrPair() = default;

    const std::string& GetName() const { return m_Name; }
    const CWebVariantList& GetValue() const { return m_Value; }
    CWebVariantList& GetValue() { return m_Value; }
    void SetValue(const CWebVariantList& value) { m_Value = value; }

    friend bool operator==(const CAttrPair& a, const CAttrPair& b) {
        return a.m_Name == b.m_Name && a.m_Value == b.m_Value;
    }

private:
    friend struct WebWireAccess;

    std::string m_Name;
    CWebVariantList m_Value;
};

// What Deserialize did: a failure keeps the attributes decoded before the
// block that failed; consumed counts the bytes of the header and of the
// attribute blocks that were taken.
struct [[nodiscard]] WebInfoDecodeResult {
    nsresult status = E_FAIL;
    size_t consumed = 0;

    bool Succeeded() const { return NS_SUCCEEDED(status); }
    explicit operator bool() const { return Succeeded(); }
};

class CWebInfo {
public:
    static constexpr size_t kHeaderSize = 36;

    CWebInfo() = default;
    CWebInfo(const CWebInfo&) = default;
    CWebInfo& operator=(const CWebInfo&) = default;
    CWebInfo(CWebInfo&&) = default;
    CWebInfo& operator=(CWebInfo&&) = default;
    virtual ~CWebInfo() = default;

    // A result code; it travels as the 32-bit pattern it is.
    nsresult GetRetValue() const { return m_RetValue; }
    void SetRetValue(nsresult value) { m_RetValue = value; }
    int32_t GetMsgId() const { return m_MsgId; }
    void SetMsgId(int32_t value) { m_MsgId = value; }
    const CWebRunTimeID& GetRunTimeID() const { return m_Id; }
    void SetRunTimeID(const CWebRunTimeID& id) { m_Id = id; }
    int32_t GetWebInfoId() const { return m_WebInfoId; }
    void SetWebInfoId(int32_t value) { m_WebInfoId = value; }

    // False, and nothing changes, when the name is present.
    bool AddAttr(std::string_view name, const CWebVariantList& value);
    // Replaces the first attribute of that name in place, or appends.
    bool SetAttr(std::string_view name, const CWebVariantList& value);
    // Appends without looking: a second attribute of a name is never found.
    bool AppendAttr(std::string_view name, const CWebVariantList& value);
    // False when the name is absent.
    bool ReplaceAttr(std::string_view name, const CWebVariantList& value);
    bool SetAttrValueAt(size_t index, const CWebVariantList& value);
    // True also when there was no such attribute.
    bool RemoveAttr(std::string_view name);

    const CWebVariantList* FindAttr(std::string_view name) const;
    CWebVariantList* FindAttr(std::string_view name);
    // The first element of the first attribute of that name: how operations
    // read a single argument ("handle", "var_name").
    const CWebVariant* FindFirstValue(std::string_view name) const;
    int IndexOfAttr(std::string_view name) const;
    const std::string* GetAttrName(size_t index) const;
    const CWebVariantList* GetAttrValue(size_t index) const;
    CWebVariantList* GetAttrValue(size_t index);
    size_t GetAttrCount() const { return m_Attrs.size(); }
    const std::vector<CAttrPair>& Attrs() const { return m_Attrs; }
    void ClearAttrs() { m_Attrs.clear(); }

    bool TrimStrings(size_t maxLength, TrimAs form);

    // The whole encoding into out; false (and out empty) when memory runs out
    // or the record is too large for 32-bit block lengths.
    [[nodiscard]] bool Serialize(std::vector<uint8_t>& out) const;
    // Clears the attributes and reads a record. A block that runs past the
    // bytes, or an integer, rectangle, pair or identifier of the wrong length,
    // ends decoding with failure; the attributes before it stay. Decoding into
    // a record that held one before reuses its attributes' storage, so a
    // record kept for the next request decodes without allocating; nothing
    // of the earlier content stays visible.
    WebInfoDecodeResult Deserialize(std::span<const uint8_t> bytes);

    friend bool operator==(const CWebInfo& a, const CWebInfo& b) {
        return a.m_RetValue == b.m_RetValue && a.m_MsgId == b.m_MsgId && a.m_Id == b.m_Id &&
               a.m_WebInfoId == b.m_WebInfoId && a.m_Attrs == b.m_Attrs;
    }

private:
    nsresult m_RetValue = NS_OK;
    int32_t m_MsgId = 0;
    CWebRunTimeID m_Id;
    int32_t m_WebInfoId = 0;
    std::vector<CAttrPair> m_Attrs;
};
