// Element objects are made by the thousand for every request and dropped when
// the request ends. One iteration creates 10,000 counted objects, each under a
// frame-like parent that is owned and reached through a weak link, passes
// each through two handles (as a request hands objects from the builder to an
// operation), reads one property of each, and drops them all. The same run
// also times the bare allocation and deletion of 10,000 objects of the same
// size, and reports the handle path as a multiple of it ("x_new_delete").
#include "agent/model/CWebObj.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kObjects = 10000;

class Element : public CWebObj {
public:
    Element(int node, const CWebObjRef& parent) : CWebObj(nullptr, parent) {
        SetId(CWebRunTimeID(1, 2, node, -1));
        MarkRefcounted();
    }

    bool GetPropertyAt(std::string& name, CWebVariantList& value, int position) override {
        if (position > 0 || (position < 0 && name != "class")) {
            return false;
        }
        name = "class";
        value.Set(std::string_view("html_general_element"));
        return true;
    }
};

class Frame : public CWebObj {
public:
    Frame() { SetId(CWebRunTimeID(1, 2, -1, -1)); }
    bool GetPropertyAt(std::string&, CWebVariantList&, int) override { return false; }
};

size_t MakeReadAndDrop(const CWebObjRef& frame) {
    std::vector<CWebObjRef> made;
    made.reserve(kObjects);
    for (int node = 0; node < kObjects; ++node) {
        made.emplace_back(new Element(node, frame));
    }
    std::vector<CWebObjRef> handed(made.begin(), made.end());
    made.clear();
    size_t total = 0;
    CWebVariantList value;
    for (const CWebObjRef& element : handed) {
        element->GetProperty("class", value);
        total += value.GetAt(0)->GetString().size();
    }
    return total; // the handles go with `handed`, and the objects with them
}

double NewDeleteSeconds() {
    const auto start = Clock::now();
    std::vector<std::unique_ptr<Element>> plain;
    plain.reserve(kObjects);
    for (int node = 0; node < kObjects; ++node) {
        plain.push_back(std::make_unique<Element>(node, CWebObjRef()));
    }
    benchmark::DoNotOptimize(plain.data());
    plain.clear();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void BM_CountedObjectsThroughHandles(benchmark::State& state) {
    Frame frame;
    const CWebObjRef frameRef(&frame);
    double handles = 0;
    double baseline = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        benchmark::DoNotOptimize(MakeReadAndDrop(frameRef));
        handles += std::chrono::duration<double>(Clock::now() - start).count();
        state.PauseTiming();
        baseline += NewDeleteSeconds();
        state.ResumeTiming();
    }
    state.counters["objects"] = kObjects;
    state.counters["ns_per_object"] =
        benchmark::Counter(handles * 1e9 / (static_cast<double>(state.iterations()) * kObjects));
    state.counters["x_new_delete"] = baseline > 0 ? handles / baseline : 0;
}
BENCHMARK(BM_CountedObjectsThroughHandles)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
