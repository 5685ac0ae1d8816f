// The dispatch fuzzer's seeds: one request of each kind of row, each behind
// the control byte that picks the registry, the addressed object and the
// window of "handle" attributes. This test keeps the committed files in step
// with the encoder; run it with WEBAGENT_UPDATE_SEEDS=1 to write them afresh.
#include "agent/channel/CWebInfo.h"

#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <vector>

namespace {

// Control byte fields (see fuzz/dispatch/FuzzDispatch.cpp).
constexpr uint8_t kTree = 2;
constexpr uint8_t kEmptyRegistry = 1;
constexpr uint8_t Target(uint8_t object) {
    return static_cast<uint8_t>(object << 2);
}
constexpr uint8_t kBrowser = Target(1), kPage = Target(2), kFrame = Target(3), kLink = Target(4),
                  kImage = Target(5), kUnknown = Target(6);
constexpr uint8_t kHandleOfPage = 2 << 5;

struct Seed {
    std::string name;
    uint8_t control;
    CWebInfo record;
};

std::vector<Seed> Seeds() {
    std::vector<Seed> seeds;
    const auto add = [&seeds](std::string name, uint8_t control, int32_t msgId) -> CWebInfo& {
        CWebInfo record;
        record.SetMsgId(msgId);
        record.SetWebInfoId(static_cast<int32_t>(seeds.size()) + 1);
        return seeds.emplace_back(Seed{std::move(name), control, std::move(record)}).record;
    };
    add("state", kTree | kPage, 1);
    add("state-no-registry", kPage, 1);
    add("properties", kTree | kLink, 5).AppendAttr("text", CWebVariant(""));
    add("class-index", kTree | kImage, 24).AppendAttr("width", CWebVariant(0));
    add("all-properties", kTree | kFrame, 7);
    add("description", kTree | kLink, 6);
    {
        CWebInfo& many = add("properties-of-many", kTree, 8);
        CWebVariantList ids;
        ids.Append(CWebRunTimeID(0x10002, 0x5000, 77, -1));
        ids.Append(CWebRunTimeID(1, 2, 3, -1));
        many.AppendAttr("id", ids);
        many.AppendAttr("class", CWebVariant(""));
    }
    add("write-text", kTree | kPage, 9).AppendAttr("file_name", CWebVariant("c:\\temp\\text.txt"));
    add("write-wrapped", kTree | kPage, 10)
        .AppendAttr("file_name", CWebVariant("/etc/outside.txt"));
    {
        CWebInfo& find = add("desc-to-id", kTree | kBrowser, 15);
        find.AppendAttr("class", CWebVariant("html_link"));
        find.AppendAttr("text", CWebVariant("Home"));
    }
    add("desc-to-id-children", kTree | kFrame, 16).AppendAttr("class", CWebVariant("!html_.*"));
    add("desc-unnested", kTree | kBrowser, 44).AppendAttr("class", CWebVariant("html_image"));
    add("at-point", kTree | kFrame, 17).AppendAttr("point", CWebVariant(20, 30));
    add("make-visible", kTree | kLink, 27);
    add("contains-text", kTree | kUnknown, 13).AppendAttr("text", CWebVariant("Home"));
    add("last-event", 0, 22);
    add("write-object-info", kTree | kLink, 23)
        .AppendAttr("file_name", CWebVariant("c:\\temp\\info.txt"));
    add("id-of-window", kTree | kHandleOfPage, 25).AppendAttr("handle", CWebVariant(0));
    add("count", kTree | kBrowser, 26).AppendAttr("class", CWebVariant("html_link"));
    {
        CWebInfo& trace = add("trace", 0, 29);
        trace.AppendAttr("state", CWebVariant(0x400));
        trace.AppendAttr("use file", CWebVariant(1));
    }
    add("set-value", kTree | kLink, 32).AppendAttr("value", CWebVariant("typed"));
    add("format-file", kTree | kPage, 37)
        .AppendAttr("file_name", CWebVariant("c:\\temp\\format.txt"));
    add("id-to-desc", kTree | kImage, 39);
    {
        CWebInfo& define = add("class-definition", kTree, 40);
        define.AppendAttr("class", CWebVariant("html_link"));
        define.AppendAttr("obligatory", CWebVariant("text"));
    }
    {
        CWebInfo& tip = add("tooltip", kTree | kHandleOfPage, 41);
        tip.AppendAttr("handle", CWebVariant(0));
        tip.AppendAttr("value", CWebVariant("tip"));
        tip.AppendAttr("point", CWebVariant(0, 0));
    }
    add("find-by-properties", kTree | kBrowser, 42).AppendAttr("width", CWebVariant(40));
    add("register-event", kTree, 47).AppendAttr("event_name", CWebVariant("click"));
    {
        CWebInfo& option = add("option", kEmptyRegistry, 48);
        option.AppendAttr("var_name", CWebVariant("TrimProperties"));
        option.AppendAttr("var_value", CWebVariant(256));
    }
    add("named-method", kTree | kLink, 49).AppendAttr("method_name", CWebVariant("MakeVisible"));
    add("enumerate", kTree | kFrame, 51).AppendAttr("class", CWebVariant("html_link"));
    {
        CWebInfo& image = add("save-image", kTree | kImage, 52);
        image.AppendAttr("url", CWebVariant("file:///c:/temp/none.gif"));
        image.AppendAttr("file_name", CWebVariant("c:\\temp\\image.gif"));
    }
    add("unknown", kEmptyRegistry, 60).AppendAttr("rect", CWebVariant(RECT{0, 0, 5, 5}));
    return seeds;
}

TEST(DispatchSeeds, CommittedSeedsAreWhatTheEncoderWrites) {
    const std::string folder = WEBAGENT_SOURCE_DIR "/fuzz/corpus/dispatch/";
    const bool update = std::getenv("WEBAGENT_UPDATE_SEEDS") != nullptr;
    for (const Seed& seed : Seeds()) {
        std::vector<uint8_t> bytes{seed.control};
        std::vector<uint8_t> record;
        ASSERT_TRUE(seed.record.Serialize(record)) << seed.name;
        bytes.insert(bytes.end(), record.begin(), record.end());
        if (update) {
            std::ofstream(folder + seed.name, std::ios::binary)
                .write(reinterpret_cast<const char*>(bytes.data()),
                       static_cast<std::streamsize>(bytes.size()));
            continue;
        }
        std::ifstream file(folder + seed.name, std::ios::binary);
        ASSERT_TRUE(file) << "missing seed " << seed.name << "; run with WEBAGENT_UPDATE_SEEDS=1";
        const std::vector<uint8_t> committed{std::istreambuf_iterator<char>(file), {}};
        EXPECT_EQ(committed, bytes) << "seed " << seed.name << " differs from the encoder's output";
    }
}

} // namespace
