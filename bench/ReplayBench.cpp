// Replaying user actions on generated pages of 1,000 and 10,000 elements,
// each loaded into a window of the simulated browser with the agent's trap
// state, browser and page objects: "MakeVisible" of an element that needs no
// scrolling (the walk up to the top window, rectangles and the report) and
// "CallEvent" with a click on a plain element (mouse click, activation, the
// page's dispatch paths). The element is the page's first paragraph, so both
// cases should cost the same on either page; "x_small_page" is the same call
// on a page of one paragraph in the same run.
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
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <unistd.h>

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
class LoadedPages {
public:
    static LoadedPages& Get() {
        static LoadedPages pages;
        return pages;
    }

    // The element object of the target paragraph of the page of `elements`;
    // null when the page cannot be loaded.
    CWebObjRef TargetOf(int elements) {
        if (auto found = m_pages.find(elements); found != m_pages.end()) {
            return Target(found->second);
        }
        if (!m_started && !Start()) {
            return {};
        }
        auto path = m_dir / ("page" + std::to_string(elements) + ".html");
        std::ofstream(path) << MarkupOf(elements);
        browser::BrowserWindow* window = m_app.OpenWindow(path.string());
        if (window == nullptr || !m_app.WaitUntilIdle(60000) || !window->ContentShell()) {
            return {};
        }
        CNS6GeneralTrapInfo* trap = GetNS6TrapInfo();
        trap->GetOrCreateBrowser(window->Handle(), window->ChromeShell()->DOMWindow());
        nsIDOMWindow* content = window->ContentShell()->DOMWindow();
        CWebObjRef page = trap->GetOrCreatePage(content, GetNativeWindow(content));
        m_pages[elements] = page;
        return Target(page);
    }

    void Close() {
        m_pages.clear();
        if (m_started) {
            DestroyTrapState();
            DestroyDispatcher();
            m_app.Shutdown();
            std::filesystem::remove_all(m_dir);
            m_started = false;
        }
    }

private:
    bool Start() {
        m_dir = std::filesystem::temp_directory_path() /
                ("webagent_bench_replay_" + std::to_string(getpid()));
        std::filesystem::create_directories(m_dir);
        CreateTrapState(nullptr);
        SetTrapDispatcher(std::make_unique<CNS6Interface>());
        m_started = m_app.Start() == NS_OK;
        return m_started;
    }

    static CWebObjRef Target(const CWebObjRef& page) {
        auto* frame = dynamic_cast<CNS6Page*>(page.Get());
        if (frame == nullptr) {
            return {};
        }
        nsCOMPtr<nsIDOMElement> element;
        frame->GetDocument()->GetElementById(ToHostString("target"), getter_AddRefs(element));
        nsCOMPtr<nsIDOMNode> node = do_QueryInterface(element);
        return GetNS6TrapInfo()->ObjectForNode(node.get(), page, 0, MapImage::Disallow);
    }

    browser::Browser m_app;
    bool m_started = false;
    std::filesystem::path m_dir;
    std::map<int, CWebObjRef> m_pages;
};

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
    CWebObjRef target = LoadedPages::Get().TargetOf(elements);
    CWebObjRef small = LoadedPages::Get().TargetOf(kSmallPage);
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
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    LoadedPages::Get().Close();
    benchmark::Shutdown();
    return 0;
}
