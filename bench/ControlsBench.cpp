// Form controls on a page of the simulated browser, loaded as a user's page
// is, with the agent's frame object on its content window:
//
// - "value", "name" and "selection" of every control of a form of 1,000
//   controls (text fields, passwords, text areas, check boxes, radio
//   buttons, push buttons, drop-downs and list boxes), each through a control
//   object made for its node as a request makes it. Reported per control
//   ("per_control") and as a multiple of reading the same controls' values
//   straight from the DOM interfaces ("x_dom_value").
// - "ListSelect" on a list of 10,000 options, alternating between two
//   positions, against setting the select's selected index directly
//   ("x_set_index"): the replay clears every option before it selects one.
#include "AgentPages.h"
#include "GeneratedPage.h"
#include "agent/channel/RequestArgs.h"
#include "agent/common/DomHelpers.h"
#include "agent/controls/CNS6Edit.h"
#include "agent/controls/CNS6List.h"
#include "agent/model/CNS6Frame.h"
#include "platform/browser/shell/Browser.h"
#include "platform/browser/shell/DocShell.h"
#include "platform/xpcom/dom/nsIDOMDocument.h"
#include "platform/xpcom/dom/nsIDOMHTMLElements.h"

#include <benchmark/benchmark.h>
#include <functional>
#include <optional>

namespace {

using benchpage::Clock;

constexpr int kControls = 1000;
constexpr int kOptions = 10000;

// Eight kinds of control in turn, 1,000 in all.
std::string FormPage() {
    std::string html = "<!DOCTYPE html><html><body><form name=big>";
    for (int i = 0; i < kControls; ++i) {
        const std::string n = std::to_string(i);
        switch (i % 8) {
        case 0:
            html += "<input name=t" + n + " value='text " + n + "'>";
            break;
        case 1:
            html += "<input type=password name=p" + n + " value=pw>";
            break;
        case 2:
            html += "<textarea name=a" + n + ">line\nline</textarea>";
            break;
        case 3:
            html += "<input type=checkbox name=c" + n + " checked>";
            break;
        case 4:
            html += "<input type=radio name=r value=" + n + ">";
            break;
        case 5:
            html += "<input type=submit name=s" + n + " value=Send>";
            break;
        case 6:
            html += "<select name=d" + n + "><option>one<option selected>two<option>three</select>";
            break;
        default:
            html += "<select name=l" + n +
                    " multiple size=3><option selected>a<option>b<option selected>c</select>";
            break;
        }
    }
    return html + "</form></body></html>\n";
}

std::string LongListPage() {
    std::string html = "<!DOCTYPE html><html><body><select id=long size=10>";
    for (int i = 0; i < kOptions; ++i) {
        html += "<option>item " + std::to_string(i) + "</option>";
    }
    return html + "</select></body></html>\n";
}

// A browser window per page and the frame object of its content window,
// made once per process.
benchpage::BrowserPages<CWebObjRef>& Pages() {
    static benchpage::BrowserPages<CWebObjRef> pages("controls", benchpage::FrameOnContent);
    return pages;
}

CWebObjRef Frame(const std::string& name, const std::function<std::string()>& markup) {
    const CWebObjRef* frame = Pages().Page(name, markup);
    return frame != nullptr ? *frame : CWebObjRef();
}

nsCOMPtr<nsIDOMDocument> DocumentOf(const CWebObjRef& frame) {
    return static_cast<CNS6Frame*>(frame.Get())->GetDocument();
}

// The control object of a form element, as the layout tree builder makes it.
CWebObjRef ControlFor(nsIDOMNode* node, const CWebObjRef& frame) {
    const std::string tag = GetTagName(node);
    if (tag == "SELECT") {
        nsCOMPtr<nsIDOMHTMLSelectElement> select = do_QueryInterface(node);
        PRBool multiple = PR_FALSE;
        select->GetMultiple(&multiple);
        return multiple ? CWebObjRef(new CNS6ListBox(node, frame))
                        : CWebObjRef(new CNS6ComboBox(node, frame));
    }
    if (tag == "TEXTAREA") {
        return CWebObjRef(new CNS6Edit(node, frame));
    }
    const std::string type = GetAttributeText(node, "type");
    if (type == "checkbox") {
        return CWebObjRef(new CNS6CheckButton(node, frame));
    }
    if (type == "radio") {
        return CWebObjRef(new CNS6RadioButton(node, frame));
    }
    if (type == "submit") {
        return CWebObjRef(new CNS6PushButton(node, frame));
    }
    return CWebObjRef(new CNS6Edit(node, frame));
}

std::vector<nsCOMPtr<nsIDOMNode>> FormControls(nsIDOMDocument* document) {
    std::vector<nsCOMPtr<nsIDOMNode>> controls;
    nsCOMPtr<nsIDOMHTMLDocument> html = do_QueryInterface(document);
    nsCOMPtr<nsIDOMHTMLCollection> forms;
    if (!html || NS_FAILED(html->GetForms(getter_AddRefs(forms))) || !forms) {
        return controls;
    }
    nsCOMPtr<nsIDOMNode> formNode;
    forms->Item(0, getter_AddRefs(formNode));
    nsCOMPtr<nsIDOMHTMLFormElement> form = do_QueryInterface(formNode);
    nsCOMPtr<nsIDOMHTMLCollection> elements;
    if (!form || NS_FAILED(form->GetElements(getter_AddRefs(elements))) || !elements) {
        return controls;
    }
    PRUint32 length = 0;
    elements->GetLength(&length);
    for (PRUint32 i = 0; i < length; ++i) {
        nsCOMPtr<nsIDOMNode> node;
        elements->Item(i, getter_AddRefs(node));
        controls.push_back(node);
    }
    return controls;
}

// What a control's "value" costs without the agent: one interface query and
// one read.
void ReadDomValue(nsIDOMNode* node) {
    nsString value;
    if (nsCOMPtr<nsIDOMHTMLInputElement> input = do_QueryInterface(node)) {
        input->GetValue(value);
    } else if (nsCOMPtr<nsIDOMHTMLTextAreaElement> area = do_QueryInterface(node)) {
        area->GetValue(value);
    } else if (nsCOMPtr<nsIDOMHTMLSelectElement> select = do_QueryInterface(node)) {
        select->GetValue(value);
    }
    benchmark::DoNotOptimize(value.data());
}

void BM_ControlProperties(benchmark::State& state) {
    CWebObjRef frame = Frame("form", FormPage);
    if (!frame) {
        state.SkipWithError("the form page did not load");
        return;
    }
    const auto controls = FormControls(DocumentOf(frame).get());
    if (controls.size() != kControls) {
        state.SkipWithError("the form does not hold every control");
        return;
    }
    auto start = Clock::now();
    for (auto _ : state) {
        for (const auto& node : controls) {
            CWebObjRef control = ControlFor(node.get(), frame);
            for (std::string_view name : {"value", "name", "selection"}) {
                CWebVariantList value;
                benchmark::DoNotOptimize(control->GetProperty(name, value));
            }
        }
    }
    auto caseTime = Clock::now() - start;
    state.counters["controls"] = static_cast<double>(controls.size());
    state.counters["per_control"] = benchmark::Counter(
        static_cast<double>(controls.size()),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.counters["x_dom_value"] = benchpage::RatioTo(caseTime, state.iterations(), [&] {
        for (const auto& node : controls) {
            ReadDomValue(node.get());
        }
    });
}

void BM_ListSelectLongList(benchmark::State& state) {
    CWebObjRef frame = Frame("long", LongListPage);
    if (!frame) {
        state.SkipWithError("the list page did not load");
        return;
    }
    nsCOMPtr<nsIDOMElement> element;
    DocumentOf(frame)->GetElementById(u"long", getter_AddRefs(element));
    nsCOMPtr<nsIDOMNode> node = do_QueryInterface(element);
    CWebObjRef list(new CNS6ListBox(node.get(), frame));
    int32_t position = 0;
    auto start = Clock::now();
    for (auto _ : state) {
        CWebInfo request;
        AppendInteger(request, "value", position);
        list->CallMethod("ListSelect", request);
        if (request.GetRetValue() != NS_OK) {
            state.SkipWithError("ListSelect failed");
            return;
        }
        position = position == 0 ? kOptions - 1 : 0;
    }
    auto caseTime = Clock::now() - start;
    CWebVariantList count;
    list->GetProperty("count_items", count);
    state.counters["options"] = static_cast<double>(count.GetAt(0)->GetInteger());
    nsCOMPtr<nsIDOMHTMLSelectElement> select = do_QueryInterface(node);
    state.counters["x_set_index"] = benchpage::RatioTo(caseTime, state.iterations(), [&] {
        select->SetSelectedIndex(position);
        position = position == 0 ? kOptions - 1 : 0;
    });
}

BENCHMARK(BM_ControlProperties)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ListSelectLongList)->Unit(benchmark::kMicrosecond);

} // namespace

// The browser's windows must close on this thread before exit.
int main(int argc, char** argv) {
    return benchpage::RunBenchmarks(argc, argv, [] { Pages().Close(); });
}
