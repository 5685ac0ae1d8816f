// The record: attribute operations, the byte encoding, and a decoder that
// must hold up against short and hostile input.
#include "agent/channel/CWebInfo.h"

#include "agent/channel/WebInfoDump.h"

#include <array>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

// Builds wire bytes by hand, so that tests can say what a sender sent.
class WireBuilder {
public:
    WireBuilder& Word(int64_t value) {
        const auto bits = static_cast<uint32_t>(value);
        for (int shift = 0; shift < 32; shift += 8) {
            m_Bytes.push_back(static_cast<uint8_t>(bits >> shift));
        }
        return *this;
    }
    WireBuilder& Text(std::string_view text) {
        m_Bytes.insert(m_Bytes.end(), text.begin(), text.end());
        m_Bytes.push_back(0);
        return *this;
    }
    WireBuilder& Header(int32_t attrCount) {
        return Word(0).Word(1).Word(0).Word(-1).Word(-1).Word(-1).Word(-1).Word(2).Word(attrCount);
    }
    // An attribute block holding a list with the given raw value blocks.
    WireBuilder& Attr(std::string_view name, int32_t type, int32_t count, const Bytes& values) {
        Word(static_cast<int64_t>(4 + name.size() + 1 + 12 + values.size()));
        Text(name).Word(type).Word(0).Word(count);
        m_Bytes.insert(m_Bytes.end(), values.begin(), values.end());
        return *this;
    }
    WireBuilder& Raw(const Bytes& bytes) {
        m_Bytes.insert(m_Bytes.end(), bytes.begin(), bytes.end());
        return *this;
    }
    Bytes Take() { return std::move(m_Bytes); }

private:
    Bytes m_Bytes;
};

Bytes IntegerBlock(int32_t length, int32_t value) {
    return WireBuilder().Word(length).Word(3).Word(0).Word(value).Take();
}

uint32_t WordAt(const Bytes& bytes, size_t offset) {
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
        value |= uint32_t{bytes.at(offset + i)} << (8 * i);
    }
    return value;
}

Bytes Encode(const CWebInfo& info) {
    Bytes bytes;
    EXPECT_TRUE(info.Serialize(bytes));
    return bytes;
}

// Decodes from a heap block of exactly the given size, so that AddressSanitizer
// reports any read past it.
WebInfoDecodeResult DecodeExactly(CWebInfo& info, const Bytes& bytes, size_t size) {
    auto exact = std::make_unique<uint8_t[]>(size == 0 ? 1 : size);
    if (size > 0) {
        std::memcpy(exact.get(), bytes.data(), size);
    }
    return info.Deserialize(std::span<const uint8_t>(exact.get(), size));
}

// A record with a value of every kind, an empty value, statuses, a duplicate
// name, an empty name and bytes outside ASCII.
CWebInfo EveryKindRecord() {
    CWebInfo info;
    info.SetRetValue(E_INVALIDARG);
    info.SetMsgId(12);
    info.SetRunTimeID(CWebRunTimeID(0x1234, -7, 99, 0));
    info.SetWebInfoId(-3);
    CWebVariantList strings;
    EXPECT_TRUE(strings.Append("") && strings.Append("caf\xE9 \x80\xFF") && strings.Append("x"));
    info.AppendAttr("strings", strings);
    info.AppendAttr("handle", CWebVariant(INT32_MIN));
    info.AppendAttr("rect", CWebVariant(RECT{-1, 2, 300000, -400000}));
    info.AppendAttr("point", CWebVariant(5, -6));
    info.AppendAttr("id", CWebVariant(CWebRunTimeID(1, 2, 3, 4)));
    info.AppendAttr("empty", CWebVariantList());
    CWebVariantList gone;
    gone.SetStatus(kWebStatusObjectGone);
    info.AppendAttr("gone", gone);
    CWebVariantList marked(CWebVariant("old"));
    marked.SetStatus(kWebStatusNotApplicable);
    info.AppendAttr("marked", marked);
    CWebVariantList noneThenInt;
    EXPECT_TRUE(noneThenInt.Append(CWebVariant()) && noneThenInt.Append(8));
    info.AppendAttr("", noneThenInt);
    info.AppendAttr("handle", CWebVariant(2));
    return info;
}

TEST(CWebInfo, AttributeOperationsFollowTheFirstOfAName) {
    CWebInfo info;
    EXPECT_TRUE(info.AddAttr("handle", CWebVariant(1)));
    EXPECT_FALSE(info.AddAttr("handle", CWebVariant(2)));
    EXPECT_EQ(info.FindAttr("handle")->GetAt(0)->GetInteger(), 1) << "AddAttr changed the value";
    EXPECT_TRUE(info.AppendAttr("handle", CWebVariant(3)));
    EXPECT_TRUE(info.SetAttr("text", CWebVariant("a")));
    EXPECT_TRUE(info.SetAttr("handle", CWebVariant("replaced")));
    EXPECT_EQ(info.IndexOfAttr("handle"), 0) << "SetAttr keeps the position";
    EXPECT_EQ(info.FindAttr("handle")->GetType(), WebVariantType::String);
    EXPECT_EQ(info.GetAttrValue(1)->GetAt(0)->GetInteger(), 3) << "the duplicate is untouched";
    EXPECT_EQ(info.FindAttr("Handle"), nullptr) << "names compare case-sensitively";
    EXPECT_EQ(info.IndexOfAttr("Handle"), -1);

    EXPECT_FALSE(info.ReplaceAttr("missing", CWebVariant(1)));
    CWebVariantList status;
    status.SetStatus(kWebStatusNoSuchChild);
    EXPECT_TRUE(info.ReplaceAttr("text", status));
    EXPECT_EQ(info.FindAttr("text")->GetStatus(), kWebStatusNoSuchChild);
    EXPECT_TRUE(info.SetAttrValueAt(1, CWebVariant(4)));
    EXPECT_FALSE(info.SetAttrValueAt(3, CWebVariant(4)));
    EXPECT_EQ(info.GetAttrName(3), nullptr);
    EXPECT_EQ(info.GetAttrValue(3), nullptr);

    EXPECT_EQ(info.FindFirstValue("text"), nullptr) << "a bare status has no first value";
    EXPECT_EQ(info.FindFirstValue("handle")->GetString(), "replaced");

    EXPECT_TRUE(info.RemoveAttr("missing"));
    EXPECT_TRUE(info.RemoveAttr("handle"));
    ASSERT_EQ(info.GetAttrCount(), 2u);
    EXPECT_EQ(*info.GetAttrName(0), "handle") << "only the first of the name was removed";

    info.SetMsgId(9);
    const CWebInfo copy = info;
    EXPECT_EQ(copy, info);
    info.ClearAttrs();
    EXPECT_EQ(info.GetAttrCount(), 0u);
    EXPECT_EQ(info.GetMsgId(), 9) << "clearing attributes keeps the header";
}

TEST(CWebInfo, AppendingFromTheRecordItselfSurvivesGrowth) {
    CWebInfo info;
    ASSERT_TRUE(info.AppendAttr("name", CWebVariant(std::string(100, 'n'))));
    for (int i = 0; i < 16; ++i) {
        ASSERT_TRUE(info.AppendAttr(*info.GetAttrName(0), *info.GetAttrValue(0)));
    }
    EXPECT_EQ(info.Attrs().back(), info.Attrs().front());
}

TEST(CWebInfo, EncodingLayoutAndBlockLengths) {
    CWebInfo info;
    info.SetRetValue(E_FAIL);
    info.SetMsgId(38);
    info.SetRunTimeID(CWebRunTimeID(1, 2, 3, 4));
    info.SetWebInfoId(77);
    Bytes bytes = Encode(info);
    ASSERT_EQ(bytes.size(), CWebInfo::kHeaderSize);
    EXPECT_EQ(WordAt(bytes, 0), E_FAIL);
    EXPECT_EQ(WordAt(bytes, 4), 38u);
    EXPECT_EQ(WordAt(bytes, 8), 0u) << "the identifier's reserved word";
    EXPECT_EQ(WordAt(bytes, 12), 1u);
    EXPECT_EQ(WordAt(bytes, 24), 4u);
    EXPECT_EQ(WordAt(bytes, 28), 77u);
    EXPECT_EQ(WordAt(bytes, 32), 0u);

    info.AppendAttr("handle", CWebVariant(5));
    bytes = Encode(info);
    ASSERT_EQ(bytes.size(), 36u + 39u);
    EXPECT_EQ(WordAt(bytes, 32), 1u);
    EXPECT_EQ(bytes, WireBuilder()
                         .Word(static_cast<int32_t>(E_FAIL))
                         .Word(38)
                         .Word(0)
                         .Word(1)
                         .Word(2)
                         .Word(3)
                         .Word(4)
                         .Word(77)
                         .Word(1)
                         .Attr("handle", 3, 1, IntegerBlock(16, 5))
                         .Take());

    // String blocks are n + 13 bytes; an empty value is a bare list header.
    const auto attrSize = [](const CWebVariantList& value) {
        CWebInfo one;
        one.AppendAttr("s", value);
        return Encode(one).size() - CWebInfo::kHeaderSize - (4 + 2 + 12);
    };
    EXPECT_EQ(attrSize(CWebVariant("abc")), 16u);
    EXPECT_EQ(attrSize(CWebVariant("")), 13u);
    EXPECT_EQ(attrSize(CWebVariant(RECT{})), 28u);
    EXPECT_EQ(attrSize(CWebVariant(1, 2)), 20u);
    EXPECT_EQ(attrSize(CWebVariant(CWebRunTimeID())), 32u);
    EXPECT_EQ(attrSize(CWebVariantList()), 0u);

    CWebInfo statuses;
    CWebVariantList bare;
    bare.SetStatus(kWebStatusNoSuchChild);
    statuses.AppendAttr("a", bare);
    CWebVariantList withString(CWebVariant("xy"));
    withString.SetStatus(kWebStatusNotApplicable);
    statuses.AppendAttr("b", withString);
    const Bytes expected = WireBuilder()
                               .Header(2)
                               .Word(18)
                               .Text("a")
                               .Word(1)
                               .Word(3)
                               .Word(0)
                               .Word(18 + 15)
                               .Text("b")
                               .Word(1)
                               .Word(4)
                               .Word(1)
                               .Word(15)
                               .Word(2)
                               .Word(0)
                               .Text("xy")
                               .Take();
    statuses.SetMsgId(1);
    statuses.SetWebInfoId(2);
    EXPECT_EQ(Encode(statuses), expected);
}

TEST(CWebInfo, RoundTripKeepsEveryKindOfValue) {
    const CWebInfo original = EveryKindRecord();
    const Bytes bytes = Encode(original);
    CWebInfo decoded;
    decoded.AppendAttr("stale", CWebVariant(1));
    const WebInfoDecodeResult result = decoded.Deserialize(bytes);
    ASSERT_TRUE(result.Succeeded());
    EXPECT_EQ(result.consumed, bytes.size());
    EXPECT_EQ(decoded, original) << "decoded:\n"
                                 << DumpWebInfo(decoded) << "original:\n"
                                 << DumpWebInfo(original);
    EXPECT_EQ(Encode(decoded), bytes);
}

TEST(CWebInfo, WrongLengthIntegerFailsItsAttributeAndKeepsThoseBefore) {
    const Bytes bytes =
        WireBuilder()
            .Header(3)
            .Attr("first", 3, 1, IntegerBlock(16, 1))
            .Attr("second", 3, 1, WireBuilder().Word(20).Word(3).Word(0).Word(2).Word(0).Take())
            .Attr("third", 3, 1, IntegerBlock(16, 3))
            .Take();
    CWebInfo info;
    const WebInfoDecodeResult result = info.Deserialize(bytes);
    EXPECT_FALSE(result.Succeeded());
    ASSERT_EQ(info.GetAttrCount(), 1u);
    EXPECT_EQ(*info.GetAttrName(0), "first");
    EXPECT_EQ(info.GetMsgId(), 1) << "the header is read";
    EXPECT_EQ(result.consumed, CWebInfo::kHeaderSize + 4 + 6 + 12 + 16);
}

TEST(CWebInfo, NextBlocksStartWhereTheLengthsSay) {
    // An attribute block longer than its content, and a value block of an
    // unknown type with a payload: both are skipped by their length.
    Bytes first = WireBuilder().Attr("a", 3, 1, IntegerBlock(16, 1)).Take();
    first.insert(first.end(), {0xEE, 0xEE, 0xEE});
    first[0] = static_cast<uint8_t>(first.size());
    const Bytes unknown = WireBuilder().Word(16).Word(7).Word(5).Word(0x11111111).Take();
    const Bytes bytes = WireBuilder().Header(2).Raw(first).Attr("b", 7, 1, unknown).Take();
    CWebInfo info;
    ASSERT_TRUE(info.Deserialize(bytes).Succeeded()) << DumpWebInfo(info);
    EXPECT_EQ(DumpWebInfo(info),
              "RetValue=0x00000000 MsgId=1 Id=(-1,-1,-1,-1) WebInfoId=2 Attrs=2\n"
              "  a: integer [1]\n"
              "  b: type 7 [type 7]\n");
    // Encoded again, the unknown value is a bare 12-byte block.
    CWebInfo unknownOnly;
    unknownOnly.AppendAttr("b", *info.FindAttr("b"));
    EXPECT_EQ(Encode(unknownOnly).size(), CWebInfo::kHeaderSize + 4 + 2 + 12 + 12);
}

TEST(CWebInfo, EveryTruncatedPrefixFailsWithoutReadingPastIt) {
    const CWebInfo original = EveryKindRecord();
    const Bytes bytes = Encode(original);
    for (size_t size = 0; size < bytes.size(); ++size) {
        CWebInfo info;
        const WebInfoDecodeResult result = DecodeExactly(info, bytes, size);
        ASSERT_FALSE(result.Succeeded()) << "prefix of " << size << " bytes";
        ASSERT_LE(result.consumed, size);
        ASSERT_LE(info.GetAttrCount(), original.GetAttrCount());
        for (size_t i = 0; i < info.GetAttrCount(); ++i) {
            ASSERT_EQ(info.Attrs()[i], original.Attrs()[i])
                << "prefix of " << size << " bytes altered attribute " << i;
        }
    }
    CWebInfo whole;
    EXPECT_TRUE(DecodeExactly(whole, bytes, bytes.size()).Succeeded());
}

TEST(CWebInfo, HostileLengthsAndCountsAreRefused) {
    const auto decodes = [](const Bytes& bytes) {
        CWebInfo info;
        return DecodeExactly(info, bytes, bytes.size()).Succeeded();
    };
    const Bytes good = IntegerBlock(16, 1);
    // Counts far beyond what the bytes hold.
    EXPECT_FALSE(decodes(WireBuilder().Header(0x7FFFFFFF).Take()));
    EXPECT_FALSE(decodes(WireBuilder().Header(-1).Take()));
    EXPECT_FALSE(decodes(WireBuilder().Header(1).Attr("a", 3, 0x7FFFFFFF, good).Take()));
    EXPECT_FALSE(decodes(WireBuilder().Header(1).Attr("a", 3, -5, good).Take()));
    // Block lengths that are negative, too short, or run past the bytes.
    for (int64_t length :
         {int64_t{-1}, int64_t{0}, int64_t{3}, int64_t{16}, int64_t{1000}, int64_t{0xFFFFFFFF}}) {
        Bytes attr = WireBuilder().Attr("a", 3, 1, good).Take();
        const Bytes lengthWord = WireBuilder().Word(length).Take();
        std::copy(lengthWord.begin(), lengthWord.end(), attr.begin());
        EXPECT_FALSE(decodes(WireBuilder().Header(1).Raw(attr).Take())) << length;
    }
    for (int32_t length : {-12, 0, 11, 17, 100}) {
        EXPECT_FALSE(
            decodes(WireBuilder().Header(1).Attr("a", 3, 1, IntegerBlock(length, 1)).Take()))
            << length;
    }
    // A name or string whose NUL lies outside its block.
    // (the block claims 4 + 3 name bytes; the NUL and list header lie beyond it)
    const Bytes noNul = WireBuilder().Word(4 + 3).Raw({'a', 'b', 'c'}).Take();
    EXPECT_FALSE(decodes(WireBuilder().Header(1).Raw(noNul).Raw(Bytes(13, 0)).Take()));
    const Bytes shortString = WireBuilder().Word(14).Word(2).Word(0).Raw({'x', 'y', 0}).Take();
    EXPECT_FALSE(decodes(WireBuilder().Header(1).Attr("a", 2, 1, shortString).Take()));
    // A value block that runs past its attribute block but not past the bytes.
    Bytes spilling = WireBuilder().Attr("a", 3, 1, good).Take();
    spilling[0] -= 4;
    EXPECT_FALSE(decodes(WireBuilder().Header(1).Raw(spilling).Take()));
}

TEST(CWebInfo, TrimStringsReachesEveryElementOfEveryAttribute) {
    CWebInfo info = EveryKindRecord();
    EXPECT_TRUE(info.TrimStrings(2, TrimAs::Text));
    const CWebVariantList* strings = info.FindAttr("strings");
    EXPECT_EQ(strings->GetAt(1)->GetString(), "ca");
    EXPECT_EQ(info.FindAttr("marked")->GetAt(0)->GetString(), "ol") << "status lists too";
    EXPECT_EQ(info.FindAttr("handle")->GetAt(0)->GetInteger(), INT32_MIN);
}

TEST(CWebInfo, DumpShowsOneLinePerAttribute) {
    const std::string dump = DumpWebInfo(EveryKindRecord());
    EXPECT_EQ(dump, "RetValue=0x80070057 MsgId=12 Id=(4660,-7,99,0) WebInfoId=-3 Attrs=10\n"
                    "  strings: string [\"\", \"caf\\xE9 \\x80\\xFF\", \"x\"]\n"
                    "  handle: integer [-2147483648]\n"
                    "  rect: rect [{-1,2,300000,-400000}]\n"
                    "  point: pair [(5,-6)]\n"
                    "  id: id [(1,2,3,4)]\n"
                    "  empty: none []\n"
                    "  gone: status 1 []\n"
                    "  marked: status 4 [string \"old\"]\n"
                    "  : integer [none, 8]\n"
                    "  handle: integer [2]\n");
}

// A record whose every string carries the marker, in values of every kind
// and at places where the other record below holds numbers.
CWebInfo MarkedRecord(std::string_view marker) {
    CWebInfo info;
    info.SetMsgId(5);
    const std::string text(marker);
    CWebVariantList texts;
    EXPECT_TRUE(texts.Append(text + " one, long enough to leave the small-string buffer") &&
                texts.Append(text + " two") && texts.Append(text + " three"));
    info.AppendAttr(text + "-name-of-some-length", texts);
    info.AppendAttr("handle", CWebVariant(text + " where the other record has an integer"));
    info.AppendAttr("rect", CWebVariant(RECT{11, 22, 33, 44}));
    info.AppendAttr("id", CWebVariant(CWebRunTimeID(7, 8, 9, 10)));
    info.AppendAttr("kind", CWebVariant::OfType(static_cast<WebVariantType>(9), 77));
    info.AppendAttr("tail", CWebVariant(text + " in a fifth attribute"));
    return info;
}

bool MentionsMarker(const CWebInfo& info, std::string_view marker) {
    for (const CAttrPair& attr : info.Attrs()) {
        if (attr.GetName().find(marker) != std::string::npos) {
            return true;
        }
        for (const CWebVariant& value : attr.GetValue().Elements()) {
            if (value.GetString().find(marker) != std::string::npos) {
                return true;
            }
        }
    }
    return false;
}

TEST(CWebInfo, DecodingOverAnEarlierRecordShowsOnlyTheNewOne) {
    // The new record reuses the old one's places with other kinds and fewer,
    // shorter values: strings where numbers were and numbers where strings were.
    CWebInfo next;
    next.SetMsgId(7);
    next.AppendAttr("b", CWebVariantList(CWebVariant("x")));
    next.AppendAttr("handle", CWebVariant(3));
    next.AppendAttr("rect", CWebVariant(4));
    next.AppendAttr("id", CWebVariant(1, 2));
    next.AppendAttr("kind", CWebVariant("short"));
    const Bytes nextBytes = Encode(next);

    CWebInfo reused;
    ASSERT_TRUE(reused.Deserialize(Encode(MarkedRecord("SECRET"))).Succeeded());
    ASSERT_TRUE(reused.Deserialize(nextBytes).Succeeded());
    EXPECT_EQ(reused, next);
    EXPECT_FALSE(MentionsMarker(reused, "SECRET")) << DumpWebInfo(reused);
    // Payload words of the old kinds are gone too, not merely ignored by ==.
    const CWebVariant& integer = *reused.FindFirstValue("rect");
    EXPECT_EQ(integer.GetInts(), (std::array<int32_t, 4>{4, 0, 0, 0}));
    EXPECT_TRUE(integer.GetString().empty());
    EXPECT_EQ(reused.FindFirstValue("id")->GetRunTimeID(), CWebRunTimeID());
    EXPECT_EQ(reused.FindFirstValue("kind")->GetReserved(), 0);
    EXPECT_EQ(reused.FindAttr("b")->GetCount(), 1u);

    // The same bytes decoded into a fresh record give the same record.
    CWebInfo fresh;
    ASSERT_TRUE(fresh.Deserialize(nextBytes).Succeeded());
    EXPECT_EQ(fresh, reused);
}

TEST(CWebInfo, FailedDecodeOverAnEarlierRecordKeepsOnlyTheNewPrefix) {
    const CWebInfo old = MarkedRecord("SECRET");
    const CWebInfo next = MarkedRecord("fresh");
    const Bytes bytes = Encode(next);
    for (size_t size = 0; size <= bytes.size(); ++size) {
        CWebInfo reused = old;
        const WebInfoDecodeResult result = DecodeExactly(reused, bytes, size);
        ASSERT_EQ(result.Succeeded(), size == bytes.size()) << size;
        ASSERT_LE(reused.GetAttrCount(), next.GetAttrCount()) << size;
        for (size_t i = 0; i < reused.GetAttrCount(); ++i) {
            ASSERT_EQ(reused.Attrs()[i], next.Attrs()[i])
                << "prefix of " << size << " bytes left attribute " << i << " of the old record";
        }
        ASSERT_FALSE(MentionsMarker(reused, "SECRET")) << size;
        // A prefix decodes the same over an earlier record as into a new one,
        // header fields included.
        CWebInfo fresh;
        (void)DecodeExactly(fresh, bytes, size);
        ASSERT_EQ(reused, fresh) << "prefix of " << size << " bytes";
    }
    // A header that announces no attributes, and one with a hostile count.
    CWebInfo reused = old;
    ASSERT_TRUE(reused.Deserialize(WireBuilder().Header(0).Take()).Succeeded());
    EXPECT_EQ(reused.GetAttrCount(), 0u);
    reused = old;
    EXPECT_FALSE(reused.Deserialize(WireBuilder().Header(-1).Take()).Succeeded());
    EXPECT_EQ(reused.GetAttrCount(), 0u);
}

} // namespace
