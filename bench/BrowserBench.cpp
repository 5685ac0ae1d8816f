// The simulated browser under load: pages of many inner frames, deeply
// nested pages and long simulated typing. Each case reports its time per
// unit of work ("per_frame", "per_element", "per_char"); a cost that does not
// grow with the size keeps that figure flat from the small case to the large.
//
//   BM_LoadInnerFrames/N  a page of N inline frames, each showing a small page
//                         of its own, opened in a browser window until idle
//   BM_ParseNested/N      a page of N elements each inside the one before
//   BM_TypeText/N         N characters typed into a text field
#include "platform/browser/dom/Document.h"
#include "platform/browser/dom/Parser.h"
#include "platform/browser/shell/Browser.h"
#include "platform/browser/shell/DocShell.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

// One browser for the whole run, with its files in a folder of its own.
class BenchBrowser {
public:
    static BenchBrowser& Get() {
        static BenchBrowser browser;
        return browser;
    }
    // Closes the browser while the event queue and its services still exist.
    void Close() {
        if (m_started)
            m_app.Shutdown();
        m_started = false;
        std::filesystem::remove_all(m_dir);
    }

    browser::Browser& App() { return m_app; }
    bool Started() const { return m_started; }
    std::string Write(const std::string& name, const std::string& markup) {
        std::ofstream(m_dir / name) << markup;
        return (m_dir / name).string();
    }

private:
    BenchBrowser() {
        m_dir = std::filesystem::temp_directory_path() /
                ("webagent_bench_browser_" + std::to_string(getpid()));
        std::filesystem::create_directories(m_dir);
        m_started = NS_SUCCEEDED(m_app.Start());
    }

    browser::Browser m_app;
    bool m_started = false;
    std::filesystem::path m_dir;
};

void ReportPer(benchmark::State& state, const char* name, Clock::duration total, int64_t units) {
    double seconds = std::chrono::duration<double>(total).count();
    double per = seconds / double(state.iterations()) / double(units);
    state.counters[name] = benchmark::Counter(per * 1e6); // microseconds
}

void BM_LoadInnerFrames(benchmark::State& state) {
    BenchBrowser& browser = BenchBrowser::Get();
    if (!browser.Started()) {
        state.SkipWithError("the browser does not start");
        return;
    }
    const int frames = static_cast<int>(state.range(0));
    browser.Write("inner.html", "<p>inner</p>");
    std::string page;
    for (int i = 0; i < frames; ++i)
        page += "<iframe src='inner.html' width=2 height=2></iframe>";
    std::string path = browser.Write("frames" + std::to_string(frames) + ".html", page);
    Clock::duration total{};
    for (auto _ : state) {
        auto start = Clock::now();
        browser::BrowserWindow* window = browser.App().OpenWindow(path);
        bool idle = browser.App().WaitUntilIdle(600000);
        total += Clock::now() - start;
        if (!window || !idle || !window->ContentShell() ||
            window->ContentShell()->Children().size() != size_t(frames)) {
            state.SkipWithError("the page of frames did not load");
            return;
        }
        window->Close();
        browser.App().WaitUntilIdle(60000);
    }
    ReportPer(state, "us_per_frame", total, frames);
}

void BM_ParseNested(benchmark::State& state) {
    const int depth = static_cast<int>(state.range(0));
    std::string markup;
    for (int i = 0; i < depth; ++i)
        markup += "<div>";
    markup += "deep";
    for (int i = 0; i < depth; ++i)
        markup += "</div>";
    Clock::duration total{};
    for (auto _ : state) {
        auto start = Clock::now();
        nsCOMPtr<nsIDOMHTMLDocument> document = dom::ParseHTMLDocument(markup, u"about:blank");
        total += Clock::now() - start;
        benchmark::DoNotOptimize(document.get());
    }
    ReportPer(state, "us_per_element", total, depth);
}

void BM_TypeText(benchmark::State& state) {
    BenchBrowser& browser = BenchBrowser::Get();
    if (!browser.Started()) {
        state.SkipWithError("the browser does not start");
        return;
    }
    const int length = static_cast<int>(state.range(0));
    std::string path = browser.Write("field.html", "<input id=field size=20>");
    std::u16string text(size_t(length), u'x');
    Clock::duration total{};
    for (auto _ : state) {
        browser::BrowserWindow* window = browser.App().OpenWindow(path);
        browser.App().WaitUntilIdle(60000);
        browser::DocShell* content = window ? window->ContentShell() : nullptr;
        dom::Document* document =
            content ? dom::Document::FromDOM(content->CurrentDocument()) : nullptr;
        dom::Element* field = document ? document->ElementById(u"field") : nullptr;
        auto center = field ? browser.App().ScreenCenterOf(*field) : std::nullopt;
        if (!center || !browser.App().Click(*center)) {
            state.SkipWithError("the field cannot be focused");
            return;
        }
        auto start = Clock::now();
        bool typed = browser.App().Type(text);
        total += Clock::now() - start;
        if (!typed) {
            state.SkipWithError("typing failed");
            return;
        }
        window->Close();
        browser.App().WaitUntilIdle(60000);
    }
    ReportPer(state, "us_per_char", total, length);
}

BENCHMARK(BM_LoadInnerFrames)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_ParseNested)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TypeText)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    BenchBrowser::Get().Close();
    benchmark::Shutdown();
    return 0;
}
