// Encoding and decoding a typical reply (20 attributes of mixed kinds) and a
// 64 KB reply. Each case also copies the same bytes with memcpy in the same
// run and reports its time as a multiple of that copy ("x_memcpy"), which is
// steadier than the absolute time on a shared machine.
#include "agent/channel/CWebInfo.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// The reply to a property request: names, texts, numbers, rectangles, points
// and identifiers, as the agent answers them.
CWebInfo TypicalReply() {
    CWebInfo reply;
    reply.SetMsgId(7);
    reply.SetRunTimeID(CWebRunTimeID(65572, 65580, 1234, -1));
    reply.SetWebInfoId(1001);
    const char* texts[] = {
        "html_link", "Tables and their cells", "http://demo.example/tables.html", "A",
        "_self",     "Read the tables page"};
    int attr = 0;
    for (const char* text : texts) {
        reply.AppendAttr("text" + std::to_string(attr++), CWebVariantList(CWebVariant(text)));
    }
    for (int i = 0; i < 6; ++i) {
        reply.AppendAttr("number" + std::to_string(attr++), CWebVariantList(CWebVariant(i * 37)));
    }
    for (int i = 0; i < 3; ++i) {
        reply.AppendAttr("rect" + std::to_string(attr++),
                         CWebVariantList(CWebVariant(RECT{i, i + 10, i + 200, i + 40})));
    }
    for (int i = 0; i < 3; ++i) {
        reply.AppendAttr("point" + std::to_string(attr++), CWebVariantList(CWebVariant(i, -i)));
    }
    CWebVariantList ids;
    ids.Append(CWebRunTimeID(65572, 65580, 1234, -1));
    ids.Append(CWebRunTimeID(65572, 65580, 1240, 0));
    reply.AppendAttr("id", ids);
    CWebVariantList status;
    status.SetStatus(kWebStatusNotApplicable);
    reply.AppendAttr("checked", status);
    return reply;
}

// About 64 KB: the text of a large page in eight string attributes.
CWebInfo LargeReply() {
    CWebInfo reply;
    reply.SetMsgId(5);
    for (int i = 0; i < 8; ++i) {
        reply.AppendAttr(
            "text" + std::to_string(i),
            CWebVariantList(CWebVariant(std::string(8150, static_cast<char>('a' + i)))));
    }
    return reply;
}

// Copies the bytes as often as the case ran and answers the case's time as a
// multiple of the copies' time.
double RatioToMemcpy(const std::vector<uint8_t>& bytes, int64_t iterations,
                     Clock::duration caseTime) {
    std::vector<uint8_t> target(bytes.size());
    // One copy first, so that the target's pages are in place before timing.
    std::memcpy(target.data(), bytes.data(), bytes.size());
    auto start = Clock::now();
    for (int64_t i = 0; i < iterations; ++i) {
        std::memcpy(target.data(), bytes.data(), bytes.size());
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
    auto copyTime = Clock::now() - start;
    return copyTime.count() > 0
               ? static_cast<double>(caseTime.count()) / static_cast<double>(copyTime.count())
               : 0.0;
}

void Encode(benchmark::State& state, const CWebInfo& record) {
    std::vector<uint8_t> bytes;
    auto start = Clock::now();
    for (auto _ : state) {
        bool ok = record.Serialize(bytes);
        benchmark::DoNotOptimize(ok);
        benchmark::DoNotOptimize(bytes.data());
    }
    auto caseTime = Clock::now() - start;
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
    state.counters["bytes"] = static_cast<double>(bytes.size());
    state.counters["x_memcpy"] = RatioToMemcpy(bytes, state.iterations(), caseTime);
}

void Decode(benchmark::State& state, const CWebInfo& record) {
    std::vector<uint8_t> bytes;
    if (!record.Serialize(bytes)) {
        state.SkipWithError("the record did not encode");
        return;
    }
    CWebInfo decoded;
    auto start = Clock::now();
    for (auto _ : state) {
        auto result = decoded.Deserialize(bytes);
        benchmark::DoNotOptimize(result.consumed);
    }
    auto caseTime = Clock::now() - start;
    if (!(decoded == record)) {
        state.SkipWithError("the decoded record differs from the encoded one");
        return;
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
    state.counters["bytes"] = static_cast<double>(bytes.size());
    state.counters["x_memcpy"] = RatioToMemcpy(bytes, state.iterations(), caseTime);
}

void BM_EncodeTypicalReply(benchmark::State& state) {
    Encode(state, TypicalReply());
}
void BM_DecodeTypicalReply(benchmark::State& state) {
    Decode(state, TypicalReply());
}
void BM_Encode64KReply(benchmark::State& state) {
    Encode(state, LargeReply());
}
void BM_Decode64KReply(benchmark::State& state) {
    Decode(state, LargeReply());
}

BENCHMARK(BM_EncodeTypicalReply);
BENCHMARK(BM_DecodeTypicalReply);
BENCHMARK(BM_Encode64KReply);
BENCHMARK(BM_Decode64KReply);

} // namespace

BENCHMARK_MAIN();
