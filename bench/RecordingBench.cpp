// Recording a click: a DOM click on a push button of a generated page of
// 1,000 and 10,000 elements (its last form's button), dispatched at it, through the observer on the
// chrome window and the recorder to the statement stored for the tool
// (message 22). With recording off ("ToolMode" 0) the same click costs the
// dispatch and the option read only; "x_off" reports the recording case as
// a multiple of it.
#include "AgentPages.h"
#include "GeneratedPage.h"
#include "agent/common/DomHelpers.h"
#include "agent/common/WindowHelpers.h"
#include "agent/dispatch/CNS6Interface.h"
#include "agent/host/TrapState.h"
#include "agent/record/CNS6DOMEventObserver.h"
#include "platform/browser/shell/Browser.h"
#include "platform/browser/shell/DocShell.h"
#include "platform/win32/WinBase.h"
#include "platform/xpcom/dom/nsIDOMDocument.h"
#include "platform/xpcom/dom/nsIDOMElement.h"

#include <benchmark/benchmark.h>
#include <memory>
#include <optional>

namespace {

using benchpage::Clock;

struct Watched {
    nsCOMPtr<nsIDOMDocument> document;
    nsCOMPtr<nsIDOMEventTarget> target;
};

// The trap state's browser and page objects on a loaded window, the event
// observer on its chrome window, and the page's last form button: a click on
// it leaves the page in place and the lookup walks up through the whole page.
std::optional<Watched> Watch(browser::BrowserWindow& window) {
    if (!benchpage::TrapPageOf(window)) {
        return std::nullopt;
    }
    nsIDOMWindow* chrome = window.ChromeShell()->DOMWindow();
    nsIDOMWindow* content = window.ContentShell()->DOMWindow();
    auto* observer = new CNS6DOMEventObserver();
    observer->AddRef();
    observer->Attach(chrome);
    observer->Release();

    Watched watched;
    content->GetDocument(getter_AddRefs(watched.document));
    if (watched.document) {
        nsCOMPtr<nsIDOMNodeList> buttons;
        watched.document->GetElementsByTagName(ToHostString("BUTTON"), getter_AddRefs(buttons));
        PRUint32 count = 0;
        nsCOMPtr<nsIDOMNode> last;
        if (buttons && NS_SUCCEEDED(buttons->GetLength(&count)) && count > 0 &&
            NS_SUCCEEDED(buttons->Item(count - 1, getter_AddRefs(last)))) {
            watched.target = do_QueryInterface(last);
        }
    }
    if (!watched.target) {
        return std::nullopt;
    }
    return watched;
}

// The simulated browser with the trap state, a dispatcher and one watched
// window per page size, made once per process.
benchpage::BrowserPages<Watched>& Pages() {
    static benchpage::BrowserPages<Watched> pages(
        "recording", Watch,
        [] {
            // Class matching uses the tool's expression library.
            SetEnvironmentVariableA("path", WEBAGENT_MODULE_DIR);
            benchpage::StartTrapState();
        },
        benchpage::StopTrapState);
    return pages;
}

bool Click(const Watched& page) {
    nsCOMPtr<nsIDOMEvent> event;
    nsCOMPtr<nsIDOMDocumentEvent> factory = do_QueryInterface(page.document);
    if (!factory ||
        NS_FAILED(factory->CreateEvent(ToHostString("MouseEvents"), getter_AddRefs(event))) ||
        !event) {
        return false;
    }
    event->InitEvent(ToHostString("click"), PR_TRUE, PR_TRUE);
    PRBool notCancelled = PR_TRUE;
    return NS_SUCCEEDED(page.target->DispatchEvent(event.get(), &notCancelled));
}

void BM_RecordButtonClick(benchmark::State& state) {
    const Watched* page = Pages().Generated(static_cast<int>(state.range(0)));
    CNS6Interface* dispatcher = GetNS6Dispatcher();
    if (page == nullptr || dispatcher == nullptr) {
        state.SkipWithError("the page did not open");
        return;
    }
    dispatcher->SetOption("ToolMode", 1);
    dispatcher->SetLastEventName("");
    if (!Click(*page) || dispatcher->GetLastEventName() != "onclick") {
        state.SkipWithError("the click was not recorded");
        dispatcher->SetOption("ToolMode", 0);
        return;
    }
    auto start = Clock::now();
    for (auto _ : state) {
        benchmark::DoNotOptimize(Click(*page));
    }
    auto recording = Clock::now() - start;
    dispatcher->SetOption("ToolMode", 0);
    state.counters["x_off"] =
        benchpage::RatioTo(recording, state.iterations(), [&] { Click(*page); });
}
BENCHMARK(BM_RecordButtonClick)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

void BM_ClickWhileNotRecording(benchmark::State& state) {
    const Watched* page = Pages().Generated(static_cast<int>(state.range(0)));
    CNS6Interface* dispatcher = GetNS6Dispatcher();
    if (page == nullptr || dispatcher == nullptr) {
        state.SkipWithError("the page did not open");
        return;
    }
    dispatcher->SetOption("ToolMode", 0);
    for (auto _ : state) {
        benchmark::DoNotOptimize(Click(*page));
    }
}
BENCHMARK(BM_ClickWhileNotRecording)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

} // namespace

// The browser's windows are closed before the process ends, while the event
// queue and the services they use still exist.
int main(int argc, char** argv) {
    return benchpage::RunBenchmarks(argc, argv, [] { Pages().Close(); });
}
