// Element objects on generated pages of 1,000, 10,000 and 100,000 elements
// loaded into the simulated browser:
//
// - collecting every element object of the page (CollectDescendants with
//   flags 3 on the frame), per element ("per_element") and as a multiple of
//   a bare walk over the same DOM that reads every element's tag name
//   ("x_dom_walk"), which is the least any classification must do;
// - rebuilding the page's identification maps, per described object and as
//   a multiple of collecting the objects alone ("x_collect");
// - reading "rect" and "name" of one element in the middle of the page, and
//   making the object for one node from its identifier, each as a multiple
//   of the same on a page of a few elements ("x_small_page"): a cost that
//   does not grow with the page stays near 1.
//
// Each page is loaded once per process and shared by the cases.
#include "AgentPages.h"
#include "GeneratedPage.h"
#include "agent/common/DomHelpers.h"
#include "agent/common/WindowHelpers.h"
#include "agent/dispatch/CNS6Interface.h"
#include "agent/elements/CNS6Obj.h"
#include "agent/host/TrapState.h"
#include "agent/model/CNS6Page.h"
#include "platform/browser/shell/Browser.h"
#include "platform/browser/shell/DocShell.h"

#include <benchmark/benchmark.h>
#include <memory>
#include <optional>
#include <string>

namespace {

using benchpage::Clock;

constexpr int kSmallPage = 0;
const std::string kSmallMarkup = "<!DOCTYPE html><html><head><title>Small</title></head>"
                                 "<body><p><a href=\"a.html\">a</a></p></body></html>\n";

// Browser windows on the generated pages, with the trap state's page object
// of each.
benchpage::BrowserPages<CWebObjRef>& Pages() {
    static benchpage::BrowserPages<CWebObjRef> pages(
        "elements", benchpage::TrapPageOf, benchpage::StartTrapState, benchpage::StopTrapState);
    return pages;
}

CNS6Frame* PageOf(int elements) {
    const CWebObjRef* page = elements == kSmallPage
                                 ? Pages().Page("small", [] { return kSmallMarkup; })
                                 : Pages().Generated(elements);
    return page != nullptr ? dynamic_cast<CNS6Frame*>(page->Get()) : nullptr;
}

// Visits every node below `root` and reads each element's tag name.
size_t WalkDom(nsIDOMNode* root) {
    size_t elements = 0;
    std::vector<nsCOMPtr<nsIDOMNode>> pending;
    nsCOMPtr<nsIDOMNode> child;
    root->GetFirstChild(getter_AddRefs(child));
    while (child || !pending.empty()) {
        if (!child) {
            child = pending.back();
            pending.pop_back();
            nsCOMPtr<nsIDOMNode> next;
            child->GetNextSibling(getter_AddRefs(next));
            child = next;
            continue;
        }
        PRUint16 type = 0;
        child->GetNodeType(&type);
        if (type == nsIDOMNode::ELEMENT_NODE) {
            benchmark::DoNotOptimize(GetTagName(child.get()));
            ++elements;
        }
        nsCOMPtr<nsIDOMNode> first;
        child->GetFirstChild(getter_AddRefs(first));
        if (first) {
            pending.push_back(child);
            child = first;
        } else {
            nsCOMPtr<nsIDOMNode> next;
            child->GetNextSibling(getter_AddRefs(next));
            child = next;
        }
    }
    return elements;
}

// The element object in the middle of a page's collection.
CWebObjRef MiddleElement(CNS6Frame& page) {
    std::vector<CWebObjRef> objects;
    page.CollectDescendants(objects, kChildFilterAll);
    return objects.empty() ? CWebObjRef() : objects[objects.size() / 2];
}

bool SetUpPages(benchmark::State& state, CNS6Frame*& page, CNS6Frame*& small) {
    page = PageOf(static_cast<int>(state.range(0)));
    small = PageOf(kSmallPage);
    if (page == nullptr || small == nullptr) {
        state.SkipWithError("the browser could not load the page");
        return false;
    }
    return true;
}

// The pages of the case and the element in the middle of each.
bool SetUpElements(benchmark::State& state, CNS6Frame*& page, CNS6Frame*& small,
                   CWebObjRef& element, CWebObjRef& smallElement) {
    if (!SetUpPages(state, page, small)) {
        return false;
    }
    element = MiddleElement(*page);
    smallElement = MiddleElement(*small);
    if (!element || !smallElement) {
        state.SkipWithError("no element objects on the page");
        return false;
    }
    return true;
}

void BM_CollectAllElementObjects(benchmark::State& state) {
    CNS6Frame* page = nullptr;
    CNS6Frame* small = nullptr;
    if (!SetUpPages(state, page, small)) {
        return;
    }
    size_t objects = 0;
    auto start = Clock::now();
    for (auto _ : state) {
        std::vector<CWebObjRef> collected;
        page->CollectDescendants(collected, kChildFilterAll);
        objects = collected.size();
        benchmark::DoNotOptimize(collected.data());
    }
    auto caseTime = Clock::now() - start;
    nsCOMPtr<nsIDOMNode> root = page->GetCollectionRoot();
    benchpage::ReportElements(state, objects);
    state.counters["x_dom_walk"] = benchpage::RatioTo(
        caseTime, state.iterations(), [&] { benchmark::DoNotOptimize(WalkDom(root.get())); });
}

// One property of the element in the middle of the page.
void ReadProperty(benchmark::State& state, std::string_view name) {
    CNS6Frame* page = nullptr;
    CNS6Frame* small = nullptr;
    CWebObjRef element;
    CWebObjRef smallElement;
    if (!SetUpElements(state, page, small, element, smallElement)) {
        return;
    }
    auto read = [name](CWebObjRef& object) {
        CWebVariantList value;
        object->GetProperty(name, value);
        benchmark::DoNotOptimize(value.GetAt(0));
    };
    auto start = Clock::now();
    for (auto _ : state) {
        read(element);
    }
    auto caseTime = Clock::now() - start;
    state.counters["x_small_page"] =
        benchpage::RatioTo(caseTime, state.iterations(), [&] { read(smallElement); });
}

void BM_ReadRect(benchmark::State& state) {
    ReadProperty(state, "rect");
}

void BM_ReadName(benchmark::State& state) {
    ReadProperty(state, "name");
}

// What the dispatcher does for an element identifier once it has the frame.
void BM_ObjectForIdentifier(benchmark::State& state) {
    CNS6Frame* page = nullptr;
    CNS6Frame* small = nullptr;
    CWebObjRef element;
    CWebObjRef smallElement;
    if (!SetUpElements(state, page, small, element, smallElement)) {
        return;
    }
    const CWebRunTimeID id = element->RunTimeID();
    const CWebRunTimeID smallId = smallElement->RunTimeID();
    auto start = Clock::now();
    for (auto _ : state) {
        CWebObjRef found = page->FindDescendant(id);
        benchmark::DoNotOptimize(found.Get());
    }
    auto caseTime = Clock::now() - start;
    if (!page->FindDescendant(id)) {
        state.SkipWithError("the identifier named no object");
        return;
    }
    state.counters["x_small_page"] = benchpage::RatioTo(caseTime, state.iterations(), [&] {
        CWebObjRef found = small->FindDescendant(smallId);
        benchmark::DoNotOptimize(found.Get());
    });
}

// The page's identification maps rebuilt from scratch on the loaded page:
// collecting the element objects (flags 1), reading each one's description
// from the DOM and packing the maps; "per_element" is per described object,
// "x_collect" the rebuild as a multiple of collecting alone.
void BM_RebuildMapsOnPage(benchmark::State& state) {
    CNS6Frame* page = PageOf(static_cast<int>(state.range(0)));
    if (page == nullptr) {
        state.SkipWithError("the browser could not load the page");
        return;
    }
    CConversionMaps& maps = page->GetConversionMaps();
    const auto start = Clock::now();
    for (auto _ : state) {
        maps.MarkDirty();
        benchmark::DoNotOptimize(maps.EnsureMaps(*page));
    }
    const auto caseTime = Clock::now() - start;
    if (maps.GetDescriptionCount() == 0) {
        state.SkipWithError("the maps describe no object");
        return;
    }
    benchpage::ReportElements(state, maps.GetIdentifierCount());
    state.counters["x_collect"] = benchpage::RatioTo(caseTime, state.iterations(), [&] {
        std::vector<CWebObjRef> collected;
        page->CollectDescendants(collected, kChildFilterOrdinary);
        benchmark::DoNotOptimize(collected.data());
    });
}

BENCHMARK(BM_CollectAllElementObjects)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RebuildMapsOnPage)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadRect)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReadName)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ObjectForIdentifier)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMicrosecond);

} // namespace

// The browser's windows are closed before the process ends, while the event
// queue and the services they use still exist.
int main(int argc, char** argv) {
    return benchpage::RunBenchmarks(argc, argv, [] { Pages().Close(); });
}
