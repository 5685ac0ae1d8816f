// Generated pages for the page-building benchmarks, the simulated browser
// that loads them, and timing a baseline in the same run as a case.
//
//     std::string html = benchpage::GeneratePage(10000);  // 10,000 elements, ~10,540 parsed
//     double ratio = benchpage::RatioTo(caseTime, state.iterations(), [&] { Copy(html); });
//
//     benchpage::BrowserPages<CWebObjRef> pages("elements", MakePageObject);
//     const CWebObjRef* page = pages.Page("1000", [] { return GeneratePage(1000); });
//     ...
//     pages.Close(); // in main, after the benchmarks ran
#pragma once

#include "platform/browser/shell/Browser.h"
#include "platform/browser/shell/DocShell.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <unistd.h>
#include <utility>

namespace benchpage {

using Clock = std::chrono::steady_clock;

// One block of twenty elements: a paragraph with a link and an image, a
// two-row table with a link in a cell, a form with a text field, a check
// box, a selection list with two options, a button and a text area. HTML
// parsers add a TBODY to each table.
inline std::string Block(int n) {
    std::string i = std::to_string(n);
    return "<div><p><a href=\"page" + i + ".html\">Link " + i +
           "</a> text <img src=\"dot.png\" width=\"16\" height=\"16\" alt=\"dot\"></p>"
           "<table border=\"1\"><tr><td>cell " +
           i + "</td><td><a href=\"#c" + i +
           "\">in cell</a></td></tr><tr><td>a</td><td>b</td></tr></table>"
           "<form action=\"go\"><input type=\"text\" name=\"t" +
           i + "\" value=\"v\"><input type=\"checkbox\" name=\"c" + i + "\"><select name=\"s" + i +
           "\"><option>one</option><option selected>two</option></select>"
           "<button>Go</button><textarea name=\"a" +
           i + "\">text</textarea></form></div>\n";
}

// A page of at least `elements` elements in blocks of twenty.
inline std::string GeneratePage(int elements) {
    std::string html = "<!DOCTYPE html><html><head><title>Generated</title></head><body>\n";
    for (int n = 0; n * 20 < elements; ++n) {
        html += Block(n);
    }
    return html + "</body></html>\n";
}

// Runs `baseline` `iterations` times and answers `caseTime` as a multiple
// of that time (0 when the baseline took no measurable time). One run comes
// first, untimed, so that the baseline starts warm as the case did.
template <typename Baseline>
double RatioTo(Clock::duration caseTime, int64_t iterations, Baseline&& baseline) {
    baseline();
    auto start = Clock::now();
    for (int64_t i = 0; i < iterations; ++i) {
        baseline();
    }
    auto baselineTime = Clock::now() - start;
    return baselineTime.count() > 0
               ? static_cast<double>(caseTime.count()) / static_cast<double>(baselineTime.count())
               : 0.0;
}

// `caseTime` as a multiple of copying the page's text with memcpy.
inline double RatioToMemcpy(const std::string& html, int64_t iterations, Clock::duration caseTime) {
    std::string target(html.size(), '\0');
    return RatioTo(caseTime, iterations, [&] {
        std::memcpy(target.data(), html.data(), html.size());
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    });
}

// The "elements" and "per_element" counters of a case over `elements`.
inline void ReportElements(benchmark::State& state, size_t elements) {
    state.counters["elements"] = static_cast<double>(elements);
    state.counters["per_element"] = benchmark::Counter(
        static_cast<double>(elements),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// The simulated browser of a benchmark process and the pages it loaded, each
// written to a file and opened in a window of its own as a user's page is,
// once per process. `make` turns a loaded window into what the cases use
// (an agent object on it, a watched node); `starting` runs before the
// browser starts (the agent's trap state, the environment) and `stopping`
// before it shuts down. Close() drops what `make` made, then closes the
// browser, while the event queue and the services its windows use still
// exist: call it in main after the benchmarks ran.
template <typename Loaded> class BrowserPages {
public:
    using Make = std::function<std::optional<Loaded>(browser::BrowserWindow&)>;
    using Hook = std::function<void()>;

    BrowserPages(std::string name, Make make, Hook starting = {}, Hook stopping = {})
        : m_Name(std::move(name)), m_Make(std::move(make)), m_Starting(std::move(starting)),
          m_Stopping(std::move(stopping)) {}
    BrowserPages(const BrowserPages&) = delete;
    BrowserPages& operator=(const BrowserPages&) = delete;
    ~BrowserPages() { Close(); }

    // What `make` made of the page `key`, loaded from `markup()` on first
    // use; null when the browser cannot load it.
    const Loaded* Page(const std::string& key, const std::function<std::string()>& markup) {
        if (auto found = m_Pages.find(key); found != m_Pages.end()) {
            return &found->second;
        }
        if (!m_Started && !Start()) {
            return nullptr;
        }
        auto path = m_Dir / (key + ".html");
        std::ofstream(path) << markup();
        browser::BrowserWindow* window = m_App.OpenWindow(path.string());
        if (window == nullptr || !m_App.WaitUntilIdle(kLoadTimeoutMs) ||
            window->ContentShell() == nullptr) {
            return nullptr;
        }
        std::optional<Loaded> made = m_Make(*window);
        if (!made) {
            return nullptr;
        }
        return &m_Pages.emplace(key, std::move(*made)).first->second;
    }

    // The generated page of `elements` elements, under its size as key.
    const Loaded* Generated(int elements) {
        return Page(std::to_string(elements), [elements] { return GeneratePage(elements); });
    }

    void Close() {
        m_Pages.clear();
        if (m_Started) {
            if (m_Stopping) {
                m_Stopping();
            }
            m_App.Shutdown();
            std::filesystem::remove_all(m_Dir);
            m_Started = false;
        }
    }

private:
    static constexpr int kLoadTimeoutMs = 120000;

    bool Start() {
        m_Dir = std::filesystem::temp_directory_path() /
                ("webagent_bench_" + m_Name + "_" + std::to_string(getpid()));
        std::filesystem::create_directories(m_Dir);
        if (m_Starting) {
            m_Starting();
        }
        m_Started = NS_SUCCEEDED(m_App.Start());
        if (!m_Started) {
            if (m_Stopping) {
                m_Stopping();
            }
            std::filesystem::remove_all(m_Dir);
        }
        return m_Started;
    }

    std::string m_Name;
    Make m_Make;
    Hook m_Starting;
    Hook m_Stopping;
    browser::Browser m_App;
    bool m_Started = false;
    std::filesystem::path m_Dir;
    std::map<std::string, Loaded> m_Pages;
};

// Runs the benchmarks the command line selects, then `close` (the pages'
// Close()) before the library shuts down; the exit status of main.
inline int RunBenchmarks(int argc, char** argv, const std::function<void()>& close) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    close();
    benchmark::Shutdown();
    return 0;
}

} // namespace benchpage
