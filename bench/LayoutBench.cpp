// Building pages: generated pages of 1,000, 10,000 and 100,000 elements
// (paragraphs with links and images, tables, forms with their controls) are
// parsed, copied into the layout engine's source tree and laid out. Each case
// reports its time per element ("per_element") and its time as a multiple of
// copying the page's HTML text with memcpy in the same run ("x_memcpy").
#include "GeneratedPage.h"
#include "platform/browser/layout/LayoutTree.h"

#include <benchmark/benchmark.h>
#include <cctype>
#include <gumbo.h>
#include <string>
#include <vector>

namespace {

using benchpage::Clock;
using benchpage::GeneratePage;
using browser::layout::LayoutTree;
using browser::layout::Size;
using browser::layout::SourceTree;

constexpr Size kViewport{1024, 768};

std::string UpperTag(const GumboNode* node) {
    std::string tag =
        node->v.element.tag != GUMBO_TAG_UNKNOWN
            ? gumbo_normalized_tagname(node->v.element.tag)
            : std::string(node->v.element.original_tag.data, node->v.element.original_tag.length);
    for (char& c : tag) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return tag;
}

// Generated pages are ASCII, so widening each byte is the UTF-16 text.
std::u16string Widen(const char* text) {
    std::u16string out;
    for (; *text; ++text) {
        out += static_cast<char16_t>(static_cast<unsigned char>(*text));
    }
    return out;
}

void Copy(const GumboNode* node, browser::layout::NodeIndex parent, SourceTree& tree) {
    if (node->type == GUMBO_NODE_TEXT || node->type == GUMBO_NODE_WHITESPACE) {
        tree.AddText(parent, Widen(node->v.text.text), node);
        return;
    }
    if (node->type != GUMBO_NODE_ELEMENT) {
        return;
    }
    auto index = tree.AddElement(parent, UpperTag(node), SourceTree::Markup::Html, node);
    const GumboVector& attributes = node->v.element.attributes;
    for (unsigned i = 0; i < attributes.length; ++i) {
        const auto* attribute = static_cast<const GumboAttribute*>(attributes.data[i]);
        tree.SetAttribute(index, attribute->name, attribute->value);
    }
    const GumboVector& children = node->v.element.children;
    for (unsigned i = 0; i < children.length; ++i) {
        Copy(static_cast<const GumboNode*>(children.data[i]), index, tree);
    }
}

SourceTree Parse(const std::string& html) {
    GumboOutput* output = gumbo_parse_with_options(&kGumboDefaultOptions, html.data(), html.size());
    SourceTree tree;
    Copy(output->root, SourceTree::kNoParent, tree);
    gumbo_destroy_output(&kGumboDefaultOptions, output);
    return tree;
}

size_t CountElements(const SourceTree& tree) {
    size_t count = 0;
    for (browser::layout::NodeIndex i = 0; i < tree.Count(); ++i) {
        count += tree.At(i).kind == SourceTree::Kind::Element ? 1 : 0;
    }
    return count;
}

void Report(benchmark::State& state, const std::string& html, size_t elements,
            Clock::duration caseTime) {
    benchpage::ReportElements(state, elements);
    state.counters["x_memcpy"] = benchpage::RatioToMemcpy(html, state.iterations(), caseTime);
}

void BM_ParsePage(benchmark::State& state) {
    std::string html = GeneratePage(static_cast<int>(state.range(0)));
    size_t elements = 0;
    auto start = Clock::now();
    for (auto _ : state) {
        SourceTree tree = Parse(html);
        elements = CountElements(tree);
        benchmark::DoNotOptimize(tree.Count());
    }
    Report(state, html, elements, Clock::now() - start);
}

void BM_LayoutPage(benchmark::State& state) {
    std::string html = GeneratePage(static_cast<int>(state.range(0)));
    SourceTree tree = Parse(html);
    auto start = Clock::now();
    for (auto _ : state) {
        LayoutTree layout = LayoutTree::Build(tree, kViewport);
        benchmark::DoNotOptimize(layout.ContentSize());
    }
    Report(state, html, CountElements(tree), Clock::now() - start);
}

void BM_ParseAndLayoutPage(benchmark::State& state) {
    std::string html = GeneratePage(static_cast<int>(state.range(0)));
    size_t elements = 0;
    auto start = Clock::now();
    for (auto _ : state) {
        SourceTree tree = Parse(html);
        LayoutTree layout = LayoutTree::Build(tree, kViewport);
        elements = CountElements(tree);
        benchmark::DoNotOptimize(layout.ContentSize());
    }
    Report(state, html, elements, Clock::now() - start);
}

BENCHMARK(BM_ParsePage)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LayoutPage)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseAndLayoutPage)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
