#include "agent/model/CNS6Page.h"

#include "agent/channel/RequestArgs.h"
#include "agent/common/DomHelpers.h"
#include "agent/common/IAgentContext.h"
#include "agent/common/WindowHelpers.h"
#include "platform/win32/WinUser.h"
#include "platform/xpcom/shell/nsIDocShell.h"

#include <algorithm>

namespace {

constexpr int32_t kStateLoading = 1;
constexpr int32_t kStateComplete = 4;

nsCOMPtr<nsIDocShell> DocShellOf(nsIDOMWindow* window) {
    nsCOMPtr<nsIDocShell> shell;
    if (NS_FAILED(GetDocShell(window, getter_AddRefs(shell)))) {
        return nullptr;
    }
    return shell;
}

// The window-level browser operations of a DOM window: offered by the window
// itself or by its document shell.
nsCOMPtr<nsIBrowserWindow> BrowserWindowOf(nsIDOMWindow* window) {
    nsCOMPtr<nsIBrowserWindow> browser = do_QueryInterface(window);
    if (browser) {
        return browser;
    }
    nsCOMPtr<nsIDocShell> shell = DocShellOf(window);
    if (!shell) {
        return nullptr;
    }
    browser = do_QueryInterface(shell);
    if (!browser) {
        browser = NS_GetInterface<nsIBrowserWindow>(shell.get());
    }
    return browser;
}

// Every frame window below `window`, depth first in document order.
void CollectFrameWindows(nsIDOMWindow* window, std::vector<nsCOMPtr<nsIDOMWindow>>& out) {
    std::vector<nsCOMPtr<nsIDOMWindow>> pending{nsCOMPtr<nsIDOMWindow>(window)};
    while (!pending.empty()) {
        nsCOMPtr<nsIDOMWindow> current = pending.back();
        pending.pop_back();
        if (current.get() != window) {
            out.push_back(current);
        }
        nsCOMPtr<nsIDOMWindowCollection> frames;
        PRUint32 length = 0;
        if (NS_FAILED(current->GetFrames(getter_AddRefs(frames))) || !frames ||
            NS_FAILED(frames->GetLength(&length))) {
            continue;
        }
        // Reversed onto the stack, so that the first frame comes out first.
        for (PRUint32 i = length; i > 0; --i) {
            nsCOMPtr<nsIDOMWindow> child;
            if (NS_SUCCEEDED(frames->Item(i - 1, getter_AddRefs(child))) && child) {
                pending.push_back(child);
            }
        }
    }
}

// The first frame of `frames` that passes `test`; null if none. Counts the
// frames it looks at.
template <typename Test>
CWebObjRef FirstFrame(std::vector<CWebObjRef>& frames, uint64_t& examined, Test test) {
    for (CWebObjRef& frame : frames) {
        ++examined;
        auto* object = dynamic_cast<CNS6Frame*>(frame.Get());
        if (object != nullptr && test(*object)) {
            return frame;
        }
    }
    return {};
}

} // namespace

CNS6Page::CNS6Page(nsIDOMWindow* window, HWND handle, const CWebObjRef& parent)
    : CNS6Frame(window, handle, parent) {
    SetWindowField(static_cast<int32_t>(HandleToULong(handle)));
}

bool CNS6Page::IsAlive() {
    return CNS6Frame::IsAlive() && GetNativeWindow(GetDomWindow()) == GetWindow();
}

bool CNS6Page::IsLoading() {
    nsCOMPtr<nsIBrowserWindow> browser = BrowserWindowOf(GetDomWindow());
    PRBool busy = PR_FALSE;
    if (browser && NS_SUCCEEDED(browser->GetIsBusy(&busy))) {
        return busy != PR_FALSE;
    }
    nsCOMPtr<nsIDocShell> shell = DocShellOf(GetDomWindow());
    PRUint32 flags = nsIDocShell::BUSY_FLAGS_NONE;
    return shell && NS_SUCCEEDED(shell->GetBusyFlags(&flags)) &&
           (flags & nsIDocShell::BUSY_FLAGS_BUSY) != 0;
}

bool CNS6Page::GetPropertyAt(std::string& name, CWebVariantList& value, int position) {
    if (!IsAlive()) {
        return CNS6Frame::GetPropertyAt(name, value, position);
    }
    if (position == 0 || (position < 0 && name == "state")) {
        name = "state";
        value.Set(IsLoading() ? kStateLoading : kStateComplete);
        return true;
    }
    if (position < 0) {
        return CNS6Frame::GetPropertyAt(name, value, position);
    }
    // The frame table's own "state" is shadowed by ours; listing it again
    // would report a second, contradicting state while the page loads.
    if (!CNS6Frame::GetPropertyAt(name, value, position - 1)) {
        return false;
    }
    if (name == "state") {
        value.Clear();
        return false;
    }
    return true;
}

bool CNS6Page::CollectFrames(std::vector<CWebObjRef>& out) {
    PurgeRemovedChildren();
    for (size_t slot = 0; slot < GetChildSlotCount(); ++slot) {
        ++m_FramesExamined;
        CWebObjRef child(ChildAt(slot));
        if (child && dynamic_cast<CNS6Frame*>(child.Get()) != nullptr) {
            out.push_back(std::move(child));
        }
    }
    return !out.empty();
}

void CNS6Page::PruneDeadFrames() {
    std::vector<CWebObjRef> frames;
    CollectFrames(frames);
    for (CWebObjRef& frame : frames) {
        auto* object = dynamic_cast<CNS6Frame*>(frame.Get());
        if (object != nullptr && !object->IsAlive()) {
            frame.Destroy();
        }
    }
}

bool CNS6Page::IsStillLoading() {
    CWebVariantList state;
    return GetProperty("state", state) && state.GetType() == WebVariantType::Integer &&
           !state.IsEmpty() && state.GetAt(0)->GetInteger() != kStateComplete;
}

bool CNS6Page::AppendFrames(std::vector<CWebObjRef>& out) {
    if (IsStillLoading()) {
        RefreshFrames();
    }
    PruneDeadFrames();
    CollectFrames(out);
    return !out.empty();
}

nsresult CNS6Page::RefreshFrames() {
    if (GetDomWindow() == nullptr) {
        return E_INVALIDARG;
    }
    std::vector<nsCOMPtr<nsIDOMWindow>> windows;
    CollectFrameWindows(GetDomWindow(), windows);
    IAgentContext* context = GetContext();
    for (nsCOMPtr<nsIDOMWindow>& window : windows) {
        if (IsSameWindow(window.get()) || FindFrameByWindow(window.get())) {
            continue;
        }
        if (context != nullptr) {
            context->GetOrCreateFrame(window.get(), GetWindow());
        }
    }
    PruneDeadFrames();
    return NS_OK;
}

bool CNS6Page::AddChild(const CWebObjRef& child) {
    // No pruning here: a page registering thousands of frames must not look
    // at all of them for each one.
    if (auto* frame = dynamic_cast<CNS6Frame*>(child.Get())) {
        if (m_FramesByWindow.size() >= m_FrameIndexPruneAt) {
            DropDeletedFrameEntries();
        }
        m_FramesByWindow[frame->GetWindowValue()] = child;
    }
    return CWebObj::AddChild(child);
}

void CNS6Page::DropDeletedFrameEntries() {
    // Native windows are not made twice with the same value, so the entry of
    // a deleted frame would otherwise stay for the life of the page: one per
    // frame every document shown in the window ever loaded. Only entries
    // whose frame is already gone are dropped (no frame is examined), and the
    // bound doubles with what stays, so this costs a constant amount per
    // registration.
    std::erase_if(m_FramesByWindow, [](const auto& entry) { return !entry.second.Get(); });
    m_FrameIndexPruneAt = std::max(kFrameIndexPruneMin, 2 * m_FramesByWindow.size());
}

template <typename Test> CWebObjRef CNS6Page::LiveFrame(CWebObj* candidate, Test test) {
    if (candidate == nullptr) {
        return {};
    }
    ++m_FramesExamined;
    CWebObjRef handle(candidate);
    auto* frame = dynamic_cast<CNS6Frame*>(candidate);
    if (frame == nullptr || !test(*frame)) {
        return {};
    }
    if (!frame->IsAlive()) {
        handle.Destroy();
        return {};
    }
    return handle;
}

CWebObjRef CNS6Page::FindFrameByWindowValue(int32_t value) {
    auto it = m_FramesByWindow.find(value);
    if (it == m_FramesByWindow.end()) {
        return {};
    }
    CWebObj* candidate = it->second.Get();
    if (candidate == nullptr) {
        m_FramesByWindow.erase(it);
        return {};
    }
    return LiveFrame(candidate,
                     [value](CNS6Frame& frame) { return frame.GetWindowValue() == value; });
}

CWebObjRef CNS6Page::FindFrameByWindow(nsIDOMWindow* window) {
    if (IsSameWindow(window)) {
        return CWebObjRef(this);
    }
    if (window == nullptr) {
        return {};
    }
    auto same = [window](CNS6Frame& frame) { return frame.IsSameWindow(window); };
    // A frame's identifier carries its DOM window's identity: one lookup.
    if (const int32_t identity = GetDomWindowIdentity(window); identity != 0) {
        CWebRunTimeID id = RunTimeID();
        id.SetSecond(identity);
        return LiveFrame(IndexedChild(id), same);
    }
    // The host cannot tell the window's identity: look at every frame.
    PruneDeadFrames();
    std::vector<CWebObjRef> frames;
    CollectFrames(frames);
    return FirstFrame(frames, m_FramesExamined, same);
}

CWebObjRef CNS6Page::FindFrameByDocument(nsIDOMDocument* document) {
    if (document == nullptr) {
        return {};
    }
    if (IsSameHostObject(GetDocument().get(), document)) {
        return CWebObjRef(this);
    }
    // No index by document: every frame is looked at, and a dead match is
    // pruned on the way.
    std::vector<CWebObjRef> frames;
    CollectFrames(frames);
    for (CWebObjRef& candidate : frames) {
        CWebObjRef found = LiveFrame(candidate.Get(), [document](CNS6Frame& frame) {
            return IsSameHostObject(frame.GetDocument().get(), document);
        });
        if (found) {
            return found;
        }
    }
    return {};
}

CWebObjRef CNS6Page::FindFrameById(const CWebRunTimeID& id) {
    if (!IsAlive()) {
        return {};
    }
    if (RunTimeID() == id) {
        return CWebObjRef(this);
    }
    auto any = [](CNS6Frame&) { return true; };
    if (CWebObjRef found = LiveFrame(IndexedChild(id), any)) {
        return found;
    }
    // While the page loads, frames may not be registered yet.
    if (!IsStillLoading()) {
        return {};
    }
    RefreshFrames();
    return LiveFrame(IndexedChild(id), any);
}

nsresult CNS6Page::FindIdByWindow(HWND window, CWebRunTimeID& out) {
    if (window == nullptr) {
        return E_INVALIDARG;
    }
    // The window, then its parent windows in turn, until one is known.
    for (HWND current = window; current != nullptr; current = ::GetParent(current)) {
        const auto value = static_cast<int32_t>(HandleToULong(current));
        if (value == GetWindowValue()) {
            out = RunTimeID();
            return NS_OK;
        }
        CWebObjRef found = FindFrameByWindowValue(value);
        if (!found) {
            RefreshFrames();
            found = FindFrameByWindowValue(value);
        }
        if (found) {
            out = found->RunTimeID();
            return NS_OK;
        }
        if (!out.IsEmpty()) {
            break;
        }
    }
    return E_FAIL;
}

CWebObjRef CNS6Page::FindDescendant(const CWebRunTimeID& id) {
    if (id.First() != CWebRunTimeID::kUnused && id.Second() != CWebRunTimeID::kUnused &&
        id.Third() != CWebRunTimeID::kUnused) {
        return CNS6Frame::FindDescendant(id);
    }
    if (id.First() != CWebRunTimeID::kUnused && id.Second() != CWebRunTimeID::kUnused) {
        return FindFrameById(id);
    }
    return {};
}

CWebObjRef CNS6Page::GetChildById(const CWebRunTimeID& id) {
    CWebRunTimeID frameLevel = id.FrameLevel();
    if (frameLevel.Second() == CWebRunTimeID::kUnused || id.Third() != CWebRunTimeID::kUnused) {
        return {};
    }
    return FindFrameById(frameLevel);
}

bool CNS6Page::CollectChildren(std::vector<CWebObjRef>& out, int32_t flags) {
    if (flags == 0) {
        AppendFrames(out);
    }
    CollectDocumentChildren(out, flags);
    return true;
}

bool CNS6Page::CollectDescendants(std::vector<CWebObjRef>& out, int32_t flags) {
    std::vector<CWebObjRef> frames;
    AppendFrames(frames);
    if (flags == 0 && !frames.empty()) {
        out.insert(out.end(), frames.begin(), frames.end());
    }
    CollectDocumentDescendants(out, flags);
    for (CWebObjRef& frame : frames) {
        if (frame) {
            frame->CollectDescendants(out, flags);
        }
    }
    return true;
}

bool CNS6Page::CallMethod(std::string_view method, CWebInfo& record) {
    if (IsWindowDisabled()) {
        // Swallowed while a modal dialog runs: handled, record untouched.
        return true;
    }
    if (method == "MakeVisible") {
        CWebVariantList rect;
        GetProperty("rect", rect);
        CWebVariantList handle;
        handle.Set(GetWindowValue());
        record.SetAttr("handle", handle);
        record.SetAttr("rect", rect);
        record.SetRetValue(NS_OK);
        return true;
    }
    if (method == "BrowserCommand") {
        record.SetRetValue(E_FAIL);
        if (static_cast<int32_t>(RunBrowserCommand(record)) >= 0) {
            record.SetRetValue(NS_OK);
        }
        return true;
    }
    return CNS6Frame::CallMethod(method, record);
}

nsresult CNS6Page::RunBrowserCommand(const CWebInfo& record) {
    // The host runs arbitrary page code during navigation; whatever it throws
    // ends the command, not the agent.
    try {
        return RunBrowserCommandUnguarded(record);
    } catch (...) {
        return E_FAIL;
    }
}

nsresult CNS6Page::RunBrowserCommandUnguarded(const CWebInfo& record) {
    nsCOMPtr<nsIBrowserWindow> window = BrowserWindowOf(GetDomWindow());
    nsCOMPtr<nsIDocShell> shell = DocShellOf(GetDomWindow());
    nsCOMPtr<nsIWebNavigation> navigation = do_QueryInterface(shell);
    if (!window || !navigation) {
        return E_FAIL;
    }
    std::optional<std::string> command = StringArg(record, "command");
    if (!command) {
        return E_FAIL;
    }
    PRBool can = PR_FALSE;
    if (*command == "Back") {
        if (NS_SUCCEEDED(navigation->GetCanGoBack(&can)) && can) {
            navigation->GoBack();
        }
    } else if (*command == "Forward") {
        if (NS_SUCCEEDED(navigation->GetCanGoForward(&can)) && can) {
            navigation->GoForward();
        }
    } else if (*command == "Stop") {
        window->Stop();
    } else if (*command == "Home") {
        window->Home();
    } else if (*command == "ReLoad") {
        navigation->Reload(nsIWebNavigation::LOAD_FLAGS_NONE);
    } else if (*command == "Navigate") {
        std::optional<std::string> url = StringArg(record, "url");
        if (!url) {
            return E_FAIL;
        }
        std::string_view cut = *url;
        cut = cut.substr(0, std::min(cut.size(), kMaxNavigateBytes));
        navigation->LoadURI(ToHostString(cut), nsIWebNavigation::LOAD_FLAGS_NONE);
    }
    return NS_OK;
}
