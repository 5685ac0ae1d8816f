// Identification on generated pages of 1,000, 10,000 and 100,000 test
// objects in one frame (links, images, edit fields and tables; one object in
// sixteen a look-alike that only a selector tells apart). The frame resolves
// its elements by identity in constant time, as frames do through the
// host's node identities, so the cases measure identification, not the walk.
//
// - WarmLookup: message 15 with a description the agent generated for an
//   object in the middle of the page, through the dispatcher in-process.
//   Reported beside message 2 (no operation) with the same record
//   ("x_noop_dispatch"), the floor of any request.
// - Rebuild: the frame's maps built from scratch; "per_element" is the time
//   per object, "bytes_per_element" the heap the finished maps hold, and
//   "x_reads" the rebuild as a multiple of collecting the objects and reading
//   each one's obligatory description, in the same run: what any rebuild
//   must do, so that the rest is the engine's own grouping and packing.
// - GeneralSearch: a description the maps do not know, so every object of
//   the page is filtered; "per_element" is the time per object.
// - RunawayPattern: a "!" pattern that backtracks without end on every name
//   of a 10,000-object page; the whole search is the time reported.
#include "GeneratedPage.h"
#include "agent/identify/DescriptionOfObject.h"
#include "agent/identify/IdentifyWorld.h"

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <memory>
#include <unordered_map>

namespace {

using namespace identify_test;

// A frame that finds its elements by identifier without walking the page.
class IndexedFrame : public TestFrame {
public:
    using TestFrame::TestFrame;
    CWebObjRef FindDescendant(const CWebRunTimeID& id) override {
        auto it = index.find(id.Third());
        return it != index.end() && it->second->RunTimeID() == id ? CWebObjRef(it->second)
                                                                  : CWebObjRef();
    }
    std::unordered_map<int32_t, CWebObj*> index; // observes: the frame owns them
};

struct GeneratedPage {
    explicit GeneratedPage(int elements, std::string_view names = {}) {
        auto* made = new IndexedFrame({world.BrowserValue(), 1, -1, -1}); // owned by the browser
        world.Browser().AddChild(CWebObjRef(made));
        made->SetText("name", "page");
        frame = made;
        TestObj* section = nullptr;
        for (int i = 0; i < elements; ++i) {
            TestObj* parent = frame;
            if (i % 100 == 0) {
                section = &world.AddElement(*frame, *frame, U().table, "", {0, i, 800, i + 100});
                index(*section);
                continue;
            }
            parent = section;
            std::string name = names.empty() ? "Item " + std::to_string(i) : std::string(names);
            const RECT rect{i % 7 * 100, i, i % 7 * 100 + 90, i + 1};
            const CWebObjUtil* util = &U().link;
            switch (i % 4) {
            case 1:
                util = &U().image;
                break;
            case 2:
                util = &U().edit;
                break;
            default:
                break;
            }
            if (names.empty() && i % 16 == 3) {
                name = "More"; // a look-alike of every other "More"
            }
            TestObj& element = world.AddElement(*parent, *frame, *util, name, rect);
            element.SetText("html_id", "e" + std::to_string(i % 50));
            index(element);
        }
    }
    void index(TestObj& element) { frame->index.emplace(element.RunTimeID().Third(), &element); }

    IdentifyWorld world;
    IndexedFrame* frame = nullptr;
};

// Pages are made once per size and process: making them is not measured.
GeneratedPage& PageOf(int elements) {
    static std::map<int, std::unique_ptr<GeneratedPage>> pages;
    auto& page = pages[elements];
    if (!page) {
        pages.clear(); // one world at a time: it installs the process's dispatcher
        auto& made = pages[elements];
        made = std::make_unique<GeneratedPage>(elements);
        return *made;
    }
    return *page;
}

CWebInfo GeneratedDescription(GeneratedPage& page, const CWebRunTimeID& id) {
    CWebInfo description = page.world.Send(MsgId::IdToDesc, id);
    return DescriptionSentBack(description, page.frame->RunTimeID());
}

void WarmLookup(benchmark::State& state) {
    GeneratedPage& page = PageOf(static_cast<int>(state.range(0)));
    CWebObjRef middle = page.frame->FindDescendant(
        {page.world.BrowserValue(), 1, 100 + static_cast<int32_t>(state.range(0)) / 2 + 1, -1});
    const CWebInfo request = GeneratedDescription(page, middle->RunTimeID());
    CWebInfo check = page.world.Send(request);
    if (check.GetRetValue() != NS_OK || Ids(check).front() != middle->RunTimeID()) {
        state.SkipWithError("the generated description does not find its object");
        return;
    }
    const int lookupsBefore = page.frame->lookups;
    for (auto _ : state) {
        CWebInfo record = request;
        page.world.dispatcher.Dispatch(record);
        benchmark::DoNotOptimize(record);
    }
    const double lookups = page.frame->lookups - lookupsBefore;
    // The floor: the same record through the dispatcher without an operation.
    CWebInfo noop = request;
    noop.SetMsgId(2);
    const int kFloorRounds = 20000;
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kFloorRounds; ++i) {
        CWebInfo record = noop;
        page.world.dispatcher.Dispatch(record);
        benchmark::DoNotOptimize(record);
    }
    const double floorNs =
        std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start).count() /
        kFloorRounds;
    state.counters["noop_ns"] = floorNs;
    state.counters["maps_used"] = lookups / static_cast<double>(state.iterations());
}

// What every rebuild must do whatever it keeps: collect the objects and read
// each one's obligatory description.
size_t ReadDescriptions(CWebObj& frame) {
    std::vector<CWebObjRef> objects;
    frame.CollectDescendants(objects, kChildFilterOrdinary);
    size_t attributes = 0;
    for (CWebObjRef& object : objects) {
        CWebInfo obligatory;
        CWebInfo optional;
        std::string selector;
        std::string tagAttr;
        object->GetDescriptionTemplate(obligatory, optional, selector, tagAttr);
        object->GetProperties(obligatory);
        attributes += obligatory.GetAttrCount();
    }
    return attributes;
}

void Rebuild(benchmark::State& state) {
    GeneratedPage& page = PageOf(static_cast<int>(state.range(0)));
    const auto start = benchpage::Clock::now();
    for (auto _ : state) {
        page.frame->Engine().MarkDirty();
        benchmark::DoNotOptimize(page.frame->Engine().EnsureMaps(*page.frame));
    }
    const auto caseTime = benchpage::Clock::now() - start;
    state.counters["x_reads"] = benchpage::RatioTo(caseTime, state.iterations(), [&] {
        benchmark::DoNotOptimize(ReadDescriptions(*page.frame));
    });
    state.counters["per_element"] = benchmark::Counter(
        static_cast<double>(state.range(0)),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    // The heap the finished maps hold, measured on a fresh engine.
    const size_t before = mallinfo2().uordblks;
    auto engine = std::make_unique<CConversionMaps>();
    engine->EnsureMaps(*page.frame);
    const size_t after = mallinfo2().uordblks;
    state.counters["bytes_per_element"] =
        static_cast<double>(after - before) / static_cast<double>(state.range(0));
    state.counters["descriptions"] = static_cast<double>(engine->GetDescriptionCount());
}

void GeneralSearch(benchmark::State& state) {
    GeneratedPage& page = PageOf(static_cast<int>(state.range(0)));
    CWebInfo request;
    request.SetMsgId(ToInt(MsgId::DescToId));
    request.SetRunTimeID(page.frame->RunTimeID());
    request.AppendAttr("class", CWebVariantList(CWebVariant("html_link")));
    request.AppendAttr("name", CWebVariantList(CWebVariant("Item 7")));
    request.AppendAttr("url", CWebVariantList(CWebVariant("nowhere.html")));
    for (auto _ : state) {
        CWebInfo record = request;
        page.world.dispatcher.Dispatch(record);
        benchmark::DoNotOptimize(record);
    }
    state.counters["per_element"] = benchmark::Counter(
        static_cast<double>(state.range(0)),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void RunawayPattern(benchmark::State& state) {
    static std::unique_ptr<GeneratedPage> page;
    page.reset();
    // Every name is a long run that the pattern backtracks on without end.
    const std::string longName = std::string(60, 'a') + "!";
    page = std::make_unique<GeneratedPage>(static_cast<int>(state.range(0)), longName);
    CWebInfo request;
    request.SetMsgId(ToInt(MsgId::DescToId));
    request.SetRunTimeID(page->frame->RunTimeID());
    request.AppendAttr("class", CWebVariantList(CWebVariant("html_object")));
    request.AppendAttr("name", CWebVariantList(CWebVariant("!(a+)+$")));
    for (auto _ : state) {
        CWebInfo record = request;
        page->world.dispatcher.Dispatch(record);
        if (record.GetRetValue() != kResultNotFound) {
            state.SkipWithError("a runaway pattern matched");
        }
    }
    page.reset();
}

BENCHMARK(WarmLookup)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(Rebuild)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(GeneralSearch)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(RunawayPattern)->Arg(100)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
