#include "cli/RecordJson.h"

#include <gtest/gtest.h>

namespace {

using nlohmann::json;

// Writes the record as JSON text, reads it back and answers the record read.
CWebInfo ThroughJsonText(const CWebInfo& record) {
    std::string text = cli::RecordToJson(record).dump();
    CWebInfo back;
    auto result = cli::RecordFromJson(json::parse(text), back);
    EXPECT_TRUE(result) << result.error << " in " << text;
    return back;
}

CWebVariantList Wire(WebVariantType type, int32_t status, std::vector<CWebVariant> elements) {
    return CWebVariantList::FromWire(type, status, std::move(elements));
}

TEST(RecordJson, EveryRecordFormSurvivesTheJsonText) {
    CWebInfo record;
    record.SetMsgId(15);
    record.SetRunTimeID(CWebRunTimeID(1234, 56, -7, 0));
    record.SetWebInfoId(-3);
    record.SetRetValue(0x80040203u);
    record.AppendAttr("text", CWebVariantList(CWebVariant("Sign \"in\"")));
    record.AppendAttr("empty text", CWebVariantList(CWebVariant("")));
    record.AppendAttr("number", CWebVariantList(CWebVariant(-2147483647 - 1)));
    CWebVariantList rects;
    rects.Append(RECT{1, 2, 3, 4});
    rects.Append(RECT{-5, -6, 7, 8});
    record.AppendAttr("rects", rects);
    CWebVariantList pair;
    pair.AppendPair(10, -20);
    record.AppendAttr("point", pair);
    record.AppendAttr("id", CWebVariantList(CWebVariant(CWebRunTimeID(1, 2, 3, -1))));
    // Duplicate names keep their order; a lookup finds the first only.
    record.AppendAttr("id", CWebVariantList(CWebVariant(CWebRunTimeID(1, 2, 4, 0))));
    record.AppendAttr("nothing", CWebVariantList());
    CWebVariantList status;
    status.SetStatus(kWebStatusNotApplicable);
    record.AppendAttr("status alone", status);
    CWebVariantList statusWithElements;
    statusWithElements.Append("kept");
    statusWithElements.SetStatus(kWebStatusObjectGone);
    record.AppendAttr("status with elements", statusWithElements);
    // Element types the list's type does not admit, and codes without payload.
    record.AppendAttr("mixed", Wire(WebVariantType::String, 0,
                                    {CWebVariant("a"), CWebVariant(7), CWebVariant(1, 2),
                                     CWebVariant::OfType(WebVariantType::None),
                                     CWebVariant::OfType(static_cast<WebVariantType>(9)),
                                     CWebVariant::OfType(WebVariantType::Status)}));
    record.AppendAttr("odd list type", Wire(static_cast<WebVariantType>(-5), 77, {}));

    CWebInfo back = ThroughJsonText(record);
    EXPECT_EQ(back, record) << cli::RecordToJson(back).dump();
    EXPECT_EQ(back.GetAttrCount(), record.GetAttrCount());
    EXPECT_EQ(*back.GetAttrName(6), "id");
}

TEST(RecordJson, CodePageTextSurvivesEveryByte) {
    // Every byte of the code page, the five it leaves undefined included.
    std::string all;
    for (int byte = 1; byte < 256; ++byte) {
        all += static_cast<char>(byte);
    }
    CWebInfo record;
    record.AppendAttr(all, CWebVariantList(CWebVariant(std::string_view(all))));
    CWebInfo back = ThroughJsonText(record);
    EXPECT_EQ(back, record);

    // The euro sign is byte 0x80 of the code page.
    EXPECT_EQ(cli::Utf8FromAnsi("\x80"), "\xE2\x82\xAC");
    std::string narrow;
    ASSERT_TRUE(cli::AnsiFromUtf8("caf\xC3\xA9 \xE2\x82\xAC", narrow));
    EXPECT_EQ(narrow, "caf\xE9 \x80");
}

TEST(RecordJson, ShortValueFormsAndDefaults) {
    CWebInfo record;
    auto result = cli::RecordFromJson(
        json::parse(R"({"msg": 48, "attrs": [["var_name", "TrimProperties"], ["var_value", 12],
                      ["rc", {"type": 4, "items": [{"t": 4, "v": [0, 1, 2, 3]}]}]]})"),
        record);
    ASSERT_TRUE(result) << result.error;
    EXPECT_EQ(record.GetMsgId(), 48);
    EXPECT_TRUE(record.GetRunTimeID().IsEmpty());
    EXPECT_EQ(record.GetWebInfoId(), 0);
    EXPECT_EQ(record.GetRetValue(), 0u);
    ASSERT_EQ(record.GetAttrCount(), 3u);
    EXPECT_EQ(record.FindAttr("var_name")->GetType(), WebVariantType::String);
    EXPECT_EQ(record.FindFirstValue("var_name")->GetString(), "TrimProperties");
    EXPECT_EQ(record.FindAttr("var_value")->GetType(), WebVariantType::Integer);
    EXPECT_EQ(record.FindFirstValue("var_value")->GetInteger(), 12);
    EXPECT_EQ(record.FindFirstValue("rc")->GetRect().bottom, 3);
    EXPECT_EQ(record.FindAttr("rc")->GetStatus(), 0);
}

TEST(RecordJson, ResultCodesReadInEveryWrittenForm) {
    for (const char* text :
         {R"({"msg": 1, "ret": 2147500037})", R"({"msg": 1, "ret": -2147467259})",
          R"({"msg": 1, "ret": "0x80004005"})"}) {
        CWebInfo record;
        ASSERT_TRUE(cli::RecordFromJson(json::parse(text), record)) << text;
        EXPECT_EQ(record.GetRetValue(), E_FAIL) << text;
    }
    CWebInfo record;
    record.SetRetValue(E_FAIL);
    EXPECT_EQ(cli::RecordToJson(record)["ret"], 2147500037u);
}

TEST(RecordJson, IdNamesGoThroughTheResolver) {
    auto names = [](std::string_view name, std::string& error) -> std::optional<CWebRunTimeID> {
        if (name == "browser") {
            return CWebRunTimeID(42, -1, -1, -1);
        }
        error = "no previous reply carried an \"id\"";
        return std::nullopt;
    };
    CWebInfo record;
    ASSERT_TRUE(cli::RecordFromJson(json::parse(R"({"msg": 7, "id": "browser"})"), record, names));
    EXPECT_EQ(record.GetRunTimeID(), CWebRunTimeID(42, -1, -1, -1));

    auto last = cli::RecordFromJson(json::parse(R"({"msg": 7, "id": "last"})"), record, names);
    EXPECT_EQ(last.error, "id \"last\": no previous reply carried an \"id\"");
    auto unknown = cli::RecordFromJson(json::parse(R"({"msg": 7, "id": "frame"})"), record, names);
    EXPECT_NE(unknown.error.find("unknown id name \"frame\""), std::string::npos);
    // Without a resolver no name stands for an object.
    EXPECT_FALSE(cli::RecordFromJson(json::parse(R"({"msg": 7, "id": "browser"})"), record));
}

TEST(RecordJson, MalformedRequestsNameWhatIsWrong) {
    struct Case {
        const char* text;
        const char* error;
    };
    const Case cases[] = {
        {R"([1, 2])", "a request must be a JSON object"},
        {R"({"id": [1, 2, 3, 4]})", "\"msg\" must be a 32-bit integer"},
        {R"({"msg": 4294967296})", "\"msg\" must be a 32-bit integer"},
        {R"({"msg": 1.5})", "\"msg\" must be a 32-bit integer"},
        {R"({"msg": 1, "mgs": 2})", "the request has an unknown key \"mgs\""},
        {R"({"msg": 1, "id": [1, 2, 3]})", "an id must be four 32-bit integers"},
        {R"({"msg": 1, "ret": "80004005"})", "\"ret\" must be a 32-bit number"},
        {R"({"msg": 1, "ret": 4294967296})", "\"ret\" must be a 32-bit number"},
        {R"({"msg": 1, "attrs": {"a": 1}})", "\"attrs\" must be an array"},
        {R"({"msg": 1, "attrs": [["a"]]})", "attribute 1 must be [NAME, VALUE]"},
        {R"({"msg": 1, "attrs": [[5, 1]]})", "attribute 1: its name must be a string"},
        {R"({"msg": 1, "attrs": [["a", 1], ["b", true]]})", "attribute 2 (\"b\"): a value must be"},
        {R"({"msg": 1, "attrs": [["a", 2147483648]]})", "an integer value must fit in 32 bits"},
        {R"({"msg": 1, "attrs": [["a", "x\u0000y"]]})", "NUL character"},
        {R"({"msg": 1, "attrs": [["a", "\u65e5"]]})", "cannot hold"},
        {R"({"msg": 1, "attrs": [["a", {"items": []}]]})", "needs an integer \"type\""},
        {R"({"msg": 1, "attrs": [["a", {"type": 2, "state": 1}]]})", "unknown key \"state\""},
        {R"({"msg": 1, "attrs": [["a", {"type": 2, "items": [{"t": 2}]}]]})",
         "item 1: an item of type 2 needs \"v\": a string"},
        {R"({"msg": 1, "attrs": [["a", {"type": 3, "items": [{"t": 3, "v": "5"}]}]]})",
         "an item of type 3 needs \"v\": a 32-bit integer"},
        {R"({"msg": 1, "attrs": [["a", {"type": 4, "items": [{"t": 4, "v": [1, 2, 3]}]}]]})",
         "[left, top, right, bottom]"},
        {R"({"msg": 1, "attrs": [["a", {"type": 5, "items": [{"t": 5, "v": [1]}]}]]})",
         "[first, second]"},
        {R"({"msg": 1, "attrs": [["a", {"type": 6, "items": [{"t": 6, "v": [1, 2, 3, "4"]}]}]]})",
         "four integers"},
        {R"({"msg": 1, "attrs": [["a", {"type": 0, "items": [{"t": 7, "v": 1}]}]]})",
         "an item of type 7 carries no payload"},
    };
    for (const Case& c : cases) {
        CWebInfo record;
        auto result = cli::RecordFromJson(json::parse(c.text), record);
        EXPECT_FALSE(result) << c.text;
        EXPECT_NE(result.error.find(c.error), std::string::npos)
            << c.text << " answered: " << result.error;
    }
}

TEST(RecordJson, HexFormOfRawBytes) {
    std::vector<uint8_t> bytes{0x00, 0x0f, 0xa0, 0xff};
    EXPECT_EQ(cli::HexFromBytes(bytes), "000fa0ff");
    std::vector<uint8_t> back;
    ASSERT_TRUE(cli::BytesFromHex("00 0F a0FF", back));
    EXPECT_EQ(back, bytes);
    EXPECT_TRUE(cli::BytesFromHex("", back));
    EXPECT_TRUE(back.empty());
    EXPECT_FALSE(cli::BytesFromHex("abc", back));
    EXPECT_FALSE(cli::BytesFromHex("0g", back));
    EXPECT_FALSE(cli::BytesFromHex("0 0", back));
}

} // namespace
