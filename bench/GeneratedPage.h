// Generated pages for the page-building benchmarks, and timing a baseline in
// the same run as a case.
//
//     std::string html = benchpage::GeneratePage(10000);  // 10,000 elements, ~10,540 parsed
//     double ratio = benchpage::RatioTo(caseTime, state.iterations(), [&] { Copy(html); });
#pragma once

#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <string>

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

} // namespace benchpage
