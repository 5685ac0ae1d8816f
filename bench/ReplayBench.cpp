// Replaying user actions on generated pages of 1,000 and 10,000 elements,
// each loaded into a window of the simulated browser with the agent's trap
// state, browser and page objects: "MakeVisible" of an element that needs no
// scrolling (the walk up to the top window, rectangles and the report) and
// "CallEvent" with a click on a plain element (mouse click, activation, the
// page's dispatch paths). The element is the page's first paragraph, so both
// cases should cost the same on either page; "x_small_page" is the same call
// on a page of one paragraph in the same run.
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
#include "platform/browser/shell/Network.h"
#include "platform/xpcom/dom/nsIDOMDocument.h"

#include <benchmark/benchmark.h>
#include <memory>
#include <optional>
#include <string>

namespace {

using benchpage::Clock;

constexpr int kSmallPage = 0;

std::string MarkupOf(int elements) {
    std::string html = elements == kSmallPage ? "<!DOCTYPE html><html><body></body></html>"
                                              : benchpage::GeneratePage(elements);
    const size_t body = html.find("<body>") + 6;
    return html.insert(body, "<p id=\"target\">target</p>");
}

// One browser with the agent's trap state for the whole process; each page
// is loaded once and shared by the cases.
benchpage::BrowserPages<CWebObjRef>& Pages() {
    static benchpage::BrowserPages<CWebObjRef> pages(
        "replay", benchpage::TrapPageOf, benchpage::StartTrapState, benchpage::StopTrapState);
    return pages;
}

// The element object of the target paragraph of the page of `elements`;
// null when the page cannot be loaded.
CWebObjRef TargetOf(int elements) {
    const CWebObjRef* page =
        Pages().Page(std::to_string(elements), [elements] { return MarkupOf(elements); });
    auto* frame = page != nullptr ? dynamic_cast<CNS6Page*>(page->Get()) : nullptr;
    if (frame == nullptr) {
        return {};
    }
    nsCOMPtr<nsIDOMElement> element;
    frame->GetDocument()->GetElementById(ToHostString("target"), getter_AddRefs(element));
    nsCOMPtr<nsIDOMNode> node = do_QueryInterface(element);
    return GetNS6TrapInfo()->ObjectForNode(node.get(), *page, 0, MapImage::Disallow);
}

CWebInfo RequestFor(std::string_view method) {
    CWebInfo record;
    if (method == "CallEvent") {
        CWebVariantList name;
        name.Set(std::string_view("click"));
        record.SetAttr("event_name", name);
    }
    return record;
}

void RunMethod(benchmark::State& state, std::string_view method) {
    const int elements = static_cast<int>(state.range(0));
    CWebObjRef target = TargetOf(elements);
    CWebObjRef small = TargetOf(kSmallPage);
    if (!target || !small) {
        state.SkipWithError("the page could not be loaded");
        return;
    }
    const auto start = Clock::now();
    for (auto _ : state) {
        CWebInfo record = RequestFor(method);
        target->CallMethod(method, record);
        benchmark::DoNotOptimize(record);
    }
    const auto caseTime = Clock::now() - start;
    state.counters["x_small_page"] = benchpage::RatioTo(caseTime, state.iterations(), [&] {
        CWebInfo record = RequestFor(method);
        small->CallMethod(method, record);
        benchmark::DoNotOptimize(record);
    });
    CWebInfo check = RequestFor(method);
    target->CallMethod(method, check);
    if (check.GetRetValue() != NS_OK) {
        state.SkipWithError("the method failed");
    }
}

void BM_MakeVisibleInView(benchmark::State& state) {
    RunMethod(state, "MakeVisible");
}
BENCHMARK(BM_MakeVisibleInView)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

void BM_CallEventClick(benchmark::State& state) {
    RunMethod(state, "CallEvent");
}
BENCHMARK(BM_CallEventClick)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    return benchpage::RunBenchmarks(argc, argv, [] { Pages().Close(); });
}
