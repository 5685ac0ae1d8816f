// The agent's objects on pages the benchmarks load (benchpage::BrowserPages):
// the trap state and dispatcher the component makes at start-up, the trap
// state's page object of a window, or a bare frame object on its content.
//
//     benchpage::BrowserPages<CWebObjRef> pages("replay", benchpage::TrapPageOf,
//                                               benchpage::StartTrapState,
//                                               benchpage::StopTrapState);
#pragma once

#include "agent/common/WindowHelpers.h"
#include "agent/dispatch/CNS6Interface.h"
#include "agent/host/TrapState.h"
#include "agent/model/CNS6Frame.h"
#include "platform/browser/shell/Browser.h"
#include "platform/browser/shell/DocShell.h"

#include <memory>
#include <optional>

namespace benchpage {

inline void StartTrapState() {
    CreateTrapState(nullptr);
    SetTrapDispatcher(std::make_unique<CNS6Interface>());
}

inline void StopTrapState() {
    DestroyTrapState();
    DestroyDispatcher();
}

// The trap state's browser object of the window and its page object.
inline std::optional<CWebObjRef> TrapPageOf(browser::BrowserWindow& window) {
    CNS6GeneralTrapInfo* trap = GetNS6TrapInfo();
    trap->GetOrCreateBrowser(window.Handle(), window.ChromeShell()->DOMWindow());
    nsIDOMWindow* content = window.ContentShell()->DOMWindow();
    return trap->GetOrCreatePage(content, GetNativeWindow(content));
}

// A frame object of the window's content, made as the trap state makes one
// but owned by the benchmark.
inline std::optional<CWebObjRef> FrameOnContent(browser::BrowserWindow& window) {
    browser::DocShell* content = window.ContentShell();
    return CWebObjRef(new CNS6Frame(content->DOMWindow(), content->NativeWindow(), {}));
}

} // namespace benchpage
