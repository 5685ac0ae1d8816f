// The decoder's fuzz seeds are records made by the encoder. This test keeps
// the committed files in step with it; run it with WEBAGENT_UPDATE_SEEDS=1 to
// write them afresh after a deliberate change of the encoding.
#include "agent/channel/CWebInfo.h"
#include "agent/common/AgentCodes.h"

#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace {

std::vector<std::pair<std::string, CWebInfo>> SeedRecords() {
    std::vector<std::pair<std::string, CWebInfo>> seeds;
    const auto add = [&seeds](std::string name, int32_t msgId) -> CWebInfo& {
        CWebInfo info;
        info.SetMsgId(msgId);
        info.SetWebInfoId(static_cast<int32_t>(seeds.size()) + 1);
        info.SetRunTimeID(CWebRunTimeID(0x10002, 0x10004, -1, -1));
        return seeds.emplace_back(std::move(name), std::move(info)).second;
    };
    add("empty", 0);
    add("integer", 12).AppendAttr("handle", CWebVariant(42));
    add("string", 3).AppendAttr("text", CWebVariant("Sign in"));
    add("empty-string", 3).AppendAttr("", CWebVariant(""));
    add("rect", 5).AppendAttr("rect", CWebVariant(RECT{10, 20, 110, 45}));
    add("pair", 6).AppendAttr("point", CWebVariant(-3, 7));
    add("runtime-id", 7).AppendAttr("id", CWebVariant(CWebRunTimeID(1, 2, 3, 0)));
    {
        CWebVariantList status;
        status.SetStatus(kWebStatusNotApplicable);
        add("status", 8).AppendAttr("value", status);
        CWebVariantList kept(CWebVariant("kept"));
        kept.SetStatus(kWebStatusObjectGone);
        add("status-string", 8).AppendAttr("value", kept);
    }
    {
        CWebInfo& info = add("unknown-type", 9);
        info.AppendAttr("odd", CWebVariant::OfType(static_cast<WebVariantType>(7)));
    }
    {
        CWebInfo& info = add("description", 1);
        info.SetRetValue(kResultSeveralFound);
        CWebVariantList classes;
        EXPECT_TRUE(classes.Append("halvard_link") && classes.Append("!Home.*"));
        info.AppendAttr("class", classes);
        info.AppendAttr("html tag", CWebVariant("A"));
        info.AppendAttr("index", CWebVariant(2));
        info.AppendAttr("index", CWebVariant(3));
    }
    {
        CWebInfo& info = add("mixed", 22);
        CWebVariantList mixed;
        EXPECT_TRUE(mixed.Append(CWebVariant()) && mixed.Append(u"caf\u00e9"));
        info.AppendAttr("name", mixed);
        info.AppendAttr("empty", CWebVariantList());
    }
    return seeds;
}

TEST(RecordSeeds, CommittedSeedsAreWhatTheEncoderWrites) {
    const std::string folder = WEBAGENT_SOURCE_DIR "/fuzz/corpus/record/";
    const bool update = std::getenv("WEBAGENT_UPDATE_SEEDS") != nullptr;
    for (const auto& [name, info] : SeedRecords()) {
        std::vector<uint8_t> bytes;
        ASSERT_TRUE(info.Serialize(bytes));
        CWebInfo decoded;
        ASSERT_TRUE(decoded.Deserialize(bytes).Succeeded()) << name;
        EXPECT_EQ(decoded, info) << name;
        if (update) {
            std::ofstream(folder + name, std::ios::binary)
                .write(reinterpret_cast<const char*>(bytes.data()),
                       static_cast<std::streamsize>(bytes.size()));
            continue;
        }
        std::ifstream file(folder + name, std::ios::binary);
        ASSERT_TRUE(file) << "missing seed " << name << "; run with WEBAGENT_UPDATE_SEEDS=1";
        const std::vector<uint8_t> committed{std::istreambuf_iterator<char>(file), {}};
        EXPECT_EQ(committed, bytes) << "seed " << name << " differs from the encoder's output";
    }
}

} // namespace
