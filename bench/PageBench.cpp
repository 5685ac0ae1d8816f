// Building pages on the simulated browser's own DOM: generated pages of
// 1,000, 10,000 and 100,000 elements (links, images, tables, form controls)
// are parsed by the DOM's HTML parser and laid out by the document layout,
// and the frame's element-count signature is read on them.
//
// Parsing and layout report their time per element ("per_element") and as a
// multiple of copying the page's text with memcpy ("x_memcpy"); parsing also
// as a multiple of the bare HTML5 tokeniser and tree builder it runs on
// ("x_gumbo"), which is what the DOM adds. The signature reads report their
// time as a multiple of the same read on a page of a few elements measured
// in the same run ("x_small_page"): a read that does not grow with the page
// stays near 1.
//
// Each page is parsed, or loaded into a browser window, once per process and
// shared by the cases that only read it, so that the one-iteration smoke run
// of a Debug build stays short. Loading a page is the sum of the two cases.
#include "AgentPages.h"
#include "GeneratedPage.h"
#include "agent/model/CNS6Frame.h"
#include "platform/browser/dom/Document.h"
#include "platform/browser/dom/Parser.h"
#include "platform/browser/layout/DocumentLayout.h"
#include "platform/browser/shell/Browser.h"
#include "platform/browser/shell/DocShell.h"
#include "platform/xpcom/dom/nsIDOMDocument.h"

#include <benchmark/benchmark.h>
#include <gumbo.h>
#include <map>
#include <optional>
#include <string>

namespace {

using benchpage::Clock;
using benchpage::GeneratePage;
using browser::layout::DocumentLayout;
using browser::layout::Size;

constexpr Size kViewport{1024, 768};
constexpr std::u16string_view kPageURL = u"http://bench.test/page.html";
// The small page the signature reads are compared with.
constexpr int kSmallPage = 0;
const std::string kSmallMarkup = "<!DOCTYPE html><html><head><title>Small</title></head>"
                                 "<body><p><a href=\"a.html\">a</a></p></body></html>\n";

std::string MarkupOf(int elements) {
    return elements == kSmallPage ? kSmallMarkup : GeneratePage(elements);
}

nsCOMPtr<nsIDOMHTMLDocument> Parse(const std::string& html) {
    return dom::ParseHTMLDocument(html, kPageURL);
}

uint32_t ElementsOf(nsIDOMDocument* document) {
    dom::Document* core = dom::Document::FromDOM(document);
    return core != nullptr ? core->ElementCount() : 0;
}

// The page of each size, parsed once.
nsIDOMHTMLDocument* ParsedPage(int elements) {
    static std::map<int, nsCOMPtr<nsIDOMHTMLDocument>> pages;
    auto& page = pages[elements];
    if (!page) {
        page = Parse(MarkupOf(elements));
    }
    return page.get();
}

// What the frame does to read a document's element count through the host.
uint32_t ReadElementCount(nsIDOMDocument* document) {
    nsCOMPtr<nsIDOMDocumentInternal> internal = do_QueryInterface(document);
    PRUint32 count = 0;
    if (!internal || NS_FAILED(internal->GetElementCount(&count))) {
        return 0;
    }
    return count;
}

// Browser windows of the simulated browser on the generated pages, each
// with the agent's frame object on its content window.
benchpage::BrowserPages<CWebObjRef>& Pages() {
    static benchpage::BrowserPages<CWebObjRef> pages("page", benchpage::FrameOnContent);
    return pages;
}

// The frame object of the page of `elements`; null when the browser cannot
// load it.
CNS6Frame* FrameOf(int elements) {
    const CWebObjRef* frame =
        Pages().Page(std::to_string(elements), [elements] { return MarkupOf(elements); });
    return frame != nullptr ? static_cast<CNS6Frame*>(frame->Get()) : nullptr;
}

void BM_ParseDocument(benchmark::State& state) {
    std::string html = GeneratePage(static_cast<int>(state.range(0)));
    uint32_t elements = 0;
    auto start = Clock::now();
    for (auto _ : state) {
        nsCOMPtr<nsIDOMHTMLDocument> document = Parse(html);
        elements = ElementsOf(document.get());
        benchmark::DoNotOptimize(elements);
    }
    auto caseTime = Clock::now() - start;
    benchpage::ReportElements(state, elements);
    state.counters["x_memcpy"] = benchpage::RatioToMemcpy(html, state.iterations(), caseTime);
    state.counters["x_gumbo"] = benchpage::RatioTo(caseTime, state.iterations(), [&] {
        GumboOutput* output =
            gumbo_parse_with_options(&kGumboDefaultOptions, html.data(), html.size());
        benchmark::DoNotOptimize(output->root);
        gumbo_destroy_output(&kGumboDefaultOptions, output);
    });
}

// A fresh layout of the document each time: the layout object is made,
// asked for the document's size (which lays the page out) and removed.
int32_t LayOut(nsIDOMDocument* document) {
    DocumentLayout layout(*dom::Document::FromDOM(document), kViewport);
    return layout.ContentSize().height;
}

void BM_LayoutDocument(benchmark::State& state) {
    const int size = static_cast<int>(state.range(0));
    nsIDOMHTMLDocument* document = ParsedPage(size);
    auto start = Clock::now();
    for (auto _ : state) {
        benchmark::DoNotOptimize(LayOut(document));
    }
    auto caseTime = Clock::now() - start;
    benchpage::ReportElements(state, ElementsOf(document));
    state.counters["x_memcpy"] =
        benchpage::RatioToMemcpy(GeneratePage(size), state.iterations(), caseTime);
}

void BM_ElementCountThroughHost(benchmark::State& state) {
    nsIDOMHTMLDocument* document = ParsedPage(static_cast<int>(state.range(0)));
    nsIDOMHTMLDocument* small = ParsedPage(kSmallPage);
    uint32_t count = 0;
    auto start = Clock::now();
    for (auto _ : state) {
        count = ReadElementCount(document);
        benchmark::DoNotOptimize(count);
    }
    auto caseTime = Clock::now() - start;
    if (count != ElementsOf(document)) {
        state.SkipWithError("the host's element count differs from the document's");
        return;
    }
    state.counters["elements"] = static_cast<double>(count);
    state.counters["x_small_page"] = benchpage::RatioTo(
        caseTime, state.iterations(), [&] { benchmark::DoNotOptimize(ReadElementCount(small)); });
}

// The frame's own check: BuildChildren counts the document's elements and
// compares the count with its signature. The first call, untimed, takes the
// signature, so that every timed call finds the count unchanged and only
// checks, as before each identification request on a page that stands still.
void BM_FrameSignatureCheck(benchmark::State& state) {
    CNS6Frame* frame = FrameOf(static_cast<int>(state.range(0)));
    CNS6Frame* small = FrameOf(kSmallPage);
    if (frame == nullptr || small == nullptr || !frame->BuildChildren() ||
        !small->BuildChildren()) {
        state.SkipWithError("the browser could not load the page");
        return;
    }
    auto start = Clock::now();
    for (auto _ : state) {
        benchmark::DoNotOptimize(frame->BuildChildren());
    }
    auto caseTime = Clock::now() - start;
    // The signature must be the document's own element count, or it misses
    // changes or sees ones that did not happen.
    const uint32_t hostCount = ReadElementCount(frame->GetDocument().get());
    if (static_cast<uint32_t>(frame->GetDocumentSignature()) != hostCount) {
        state.SkipWithError("the frame's signature differs from the document's element count");
        return;
    }
    benchpage::ReportElements(state, hostCount);
    state.counters["x_small_page"] = benchpage::RatioTo(
        caseTime, state.iterations(), [&] { benchmark::DoNotOptimize(small->BuildChildren()); });
}

BENCHMARK(BM_ParseDocument)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LayoutDocument)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ElementCountThroughHost)->Arg(1000)->Arg(10000)->Arg(100000);
BENCHMARK(BM_FrameSignatureCheck)
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
