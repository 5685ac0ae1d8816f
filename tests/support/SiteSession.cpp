#include "support/SiteSession.h"

#include "agent/classutil/ClassUtilities.h"
#include "agent/common/DomHelpers.h"
#include "agent/common/WindowHelpers.h"
#include "agent/dispatch/CNS6Interface.h"
#include "agent/elements/CNS6Obj.h"
#include "agent/host/NS6Module.h"
#include "agent/host/TrapState.h"
#include "agent/identify/DescriptionOfObject.h"
#include "agent/model/CNS6Page.h"
#include "agent/record/CNS6EventUtil.h"
#include "platform/browser/shell/Browser.h"
#include "platform/browser/shell/DocShell.h"
#include "platform/browser/shell/Network.h"
#include "platform/win32/Testing.h"
#include "platform/win32/WinBase.h"
#include "platform/xpcom/dom/nsIDOMElement.h"
#include "platform/xpcom/nsXPCOM.h"

#include <array>
#include <fstream>
#include <unistd.h>

namespace testsupport {

namespace {

struct SiteFile {
    std::string_view name;
    std::string_view content;
};

// Every kind of element the agent models, with a few of each kind marked for
// removal. The submit button and the links lead to other pages of the site,
// so that replayed clicks navigate as a user's would.
constexpr std::string_view kStart = R"html(<html><head><title>Start</title></head><body>
<h1 id=top>Site start</h1>
<p><a id=home href="other.html">Home</a> <a name=anchor href="#anchor">Anchor</a>
<a id=doomed-link href="other.html">Doomed link</a>
<a href="other.html"><img src="dot.gif" width=20 height=10 alt="go"></a></p>
<p><img id=logo src="dot.gif" width=40 height=30 alt="logo">
<img id=doomed-image src="dot.gif" width=8 height=8>
<img src="dot.gif" width=60 height=40 usemap="#nav"><map name=nav>
<area shape=rect coords="0,0,30,40" href="other.html" alt="left">
<area shape=rect coords="30,0,60,40" href="frameset.html" alt="right"></map></p>
<table id=grid border=1><tr><th>h1</th><th>h2</th></tr>
<tr><td>a</td><td><a href="other.html">cell link</a></td></tr>
<tr id=doomed-row><td>b</td><td><table><tr><td>nested</td></tr></table></td></tr></table>
<form id=form action="other.html"><input type=text name=q value="query">
<input type=password name=pw> <input type=checkbox name=c value=1 checked>
<input type=radio name=r value=a> <input type=radio name=r value=b checked>
<select name=single><option>one</option><option selected>two</option><option>three</option></select>
<select name=multi multiple size=3><option>red</option><option>green</option><option>blue</option></select>
<textarea name=t>words</textarea> <input type=file name=f> <input type=button value="Press">
<button type=button id=doomed-button>Gone</button>
<input type=submit value="Send"> <input type=reset value="Clear"></form>
<ul><li>first</li><li id=doomed-item>second</li></ul><ol><li>one</li></ol>
<div onclick="x()">clickable <span>span</span></div>
<iframe src="inner.html" width=300 height=150></iframe>
</body></html>
)html";

constexpr std::string_view kInner = R"html(<html><head><title>Inner</title></head><body>
<a href="other.html">Inner link</a> <a id=doomed-inner href="start.html">Doomed inner</a>
<img src="dot.gif" width=10 height=10 alt="dot">
<select id=colours size=2><option>cyan</option><option>magenta</option></select>
<input type=text name=inner value="inside"> <table><tr><td>x</td></tr></table>
</body></html>
)html";

constexpr std::string_view kFrameset = R"html(<html><head><title>Frames</title></head>
<frameset cols="40%,*"><frame name=left src="inner.html"><frame name=right src="other.html">
</frameset></html>
)html";

constexpr std::string_view kOther = R"html(<html><head><title>Other</title></head><body>
<a href="start.html">Back to start</a> <a id=doomed-back href="start.html">Doomed back</a>
<img src="dot.gif" width=12 height=12> <table><tr><td>o</td><td>p</td></tr></table>
<form><input type=text name=o value="other"><select><option>x</option></select></form>
</body></html>
)html";

// A 1x1 GIF, so that image saving has bytes to copy.
constexpr std::string_view kDot{"GIF89a\x01\x00\x01\x00\x80\x00\x00\x00\x00\x00\xff\xff\xff!"
                                "\xf9\x04\x01\x00\x00\x00\x00,\x00\x00\x00\x00\x01\x00\x01\x00"
                                "\x00\x02\x02\x44\x01\x00;",
                                43};

constexpr std::array kSite{
    SiteFile{SiteSession::kStartPage, kStart},
    SiteFile{"inner.html", kInner},
    SiteFile{SiteSession::kFramesetPage, kFrameset},
    SiteFile{SiteSession::kOtherPage, kOther},
    SiteFile{"dot.gif", kDot},
};

constexpr uint32_t kLoadTimeoutMs = 20000;

bool IsDoomed(nsIDOMNode* node) {
    nsCOMPtr<nsIDOMElement> element = do_QueryInterface(node);
    if (!element) {
        return false;
    }
    nsString id;
    element->GetAttribute(ToHostString("id"), id);
    return ToNarrow(id).starts_with(SiteSession::kDoomedPrefix);
}

} // namespace

SiteSession::SiteSession(std::string moduleDir) : m_ModuleDir(std::move(moduleDir)) {}

SiteSession::~SiteSession() {
    if (m_Started) {
        if (m_Trap) {
            m_Trap->Shutdown();
            m_Trap = nullptr;
        }
        DestroyTrapState();
        DestroyDispatcher();
        m_App->Shutdown();
        NS_ShutdownXPCOM();
    }
    m_App.reset();
    if (!m_Folder.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(m_Folder, ignored);
    }
}

bool SiteSession::Start() {
    if (m_Started) {
        return true;
    }
    char folder[] = "/tmp/webagent-site-XXXXXX";
    if (mkdtemp(folder) == nullptr) {
        return false;
    }
    m_Folder = folder;
    for (const SiteFile& file : kSite) {
        std::ofstream out(m_Folder / file.name, std::ios::binary);
        out.write(file.content.data(), static_cast<std::streamsize>(file.content.size()));
        if (!out) {
            return false;
        }
    }
    // The agent's folder goes to the end of "path" when the library loads;
    // here the tool's expression library is found the same way.
    SetEnvironmentVariableA("path", m_ModuleDir.c_str());
    CreateTrapState(nullptr);
    m_App = std::make_unique<browser::Browser>();
    // The framework first, so that the trap finds the browser's document
    // loader service.
    if (NS_FAILED(NS_InitXPCOM({}))) {
        return false;
    }
    m_Started = true;
    if (NS_FAILED(m_App->Start())) {
        return false;
    }
    if (NS_FAILED(NS6trapFactory(nullptr, nsIAppShellComponent::kIID, getter_AddRefs(m_Trap))) ||
        !m_Trap) {
        return false;
    }
    return NS_SUCCEEDED(m_Trap->Initialize(nullptr, nullptr));
}

std::string SiteSession::Url(std::string_view name) const {
    return browser::URIFromFilePath((m_Folder / name).string());
}

bool SiteSession::Settle() {
    return m_App && m_App->WaitUntilIdle(kLoadTimeoutMs);
}

bool SiteSession::Show(std::string_view page) {
    if (!m_Started) {
        return false;
    }
    browser::BrowserWindow* window = Window();
    if (window == nullptr) {
        m_Window = m_App->OpenWindow(Url(page));
    } else if (window->ContentShell() != nullptr) {
        // Replacing the entry keeps the session history at one page however
        // often the session changes pages.
        window->ContentShell()->StartLoad(Url(page), browser::DocShell::HistoryMode::Replace);
    }
    if (!Settle() || Window() == nullptr || Window()->ContentShell() == nullptr) {
        return false;
    }
    // The desktop stand-in keeps every debug output line for tests to read;
    // the trap writes some for every document, and the session reads none.
    win32::testing::ClearDebugOutputLog();
    auto* shown = dynamic_cast<CNS6Page*>(Page().Get());
    return shown != nullptr && NS_SUCCEEDED(shown->RefreshFrames());
}

browser::BrowserWindow* SiteSession::Window() const {
    if (m_Window == nullptr || !m_Window->IsOpen()) {
        return nullptr;
    }
    return m_Window;
}

void SiteSession::ResetAgent() {
    SetTrapDispatcher(std::make_unique<CNS6Interface>());
    GetEventRecorder().LoadDefaults();
    GetEventRecorder().ForgetLastFocused();
    ResetEnumeration();
    ClassTable table;
    FillClassTable(table);
}

CNS6Interface& SiteSession::Dispatcher() {
    return *GetNS6Dispatcher();
}

bool SiteSession::Dispatch(CWebInfo& record) {
    CNS6Interface* dispatcher = GetNS6Dispatcher();
    const bool answered = dispatcher != nullptr && dispatcher->Dispatch(record);
    Settle();
    return answered;
}

HWND SiteSession::BrowserWindow() const {
    browser::BrowserWindow* window = Window();
    return window != nullptr ? window->Handle() : nullptr;
}

HWND SiteSession::ContentWindow() const {
    browser::BrowserWindow* window = Window();
    if (window == nullptr || window->ContentShell() == nullptr) {
        return nullptr;
    }
    return GetNativeWindow(window->ContentShell()->DOMWindow());
}

CWebObjRef SiteSession::Browser() const {
    browser::BrowserWindow* window = Window();
    CNS6GeneralTrapInfo* trap = GetNS6TrapInfo();
    if (window == nullptr || trap == nullptr) {
        return {};
    }
    // The trap object made it when the chrome finished loading.
    return trap->GetOrCreateBrowser(window->Handle(), nullptr);
}

CWebObjRef SiteSession::Page() const {
    browser::BrowserWindow* window = Window();
    CNS6GeneralTrapInfo* trap = GetNS6TrapInfo();
    if (window == nullptr || trap == nullptr || window->ContentShell() == nullptr || !Browser()) {
        return {};
    }
    nsIDOMWindow* content = window->ContentShell()->DOMWindow();
    return trap->GetOrCreatePage(content, GetNativeWindow(content));
}

std::vector<CWebObjRef> SiteSession::Elements() const {
    std::vector<CWebObjRef> objects;
    if (CWebObjRef page = Page()) {
        page->CollectDescendants(objects, kChildFilterAll);
    }
    std::erase_if(objects, [](const CWebObjRef& object) {
        return !object || object->RunTimeID().Third() == CWebRunTimeID::kUnused;
    });
    return objects;
}

std::vector<CWebRunTimeID> SiteSession::RemoveDoomedElements() {
    std::vector<CWebRunTimeID> removed;
    std::vector<nsCOMPtr<nsIDOMNode>> nodes;
    for (const CWebObjRef& object : Elements()) {
        auto* element = dynamic_cast<CNS6Obj*>(object.Get());
        if (element == nullptr || !IsDoomed(element->GetElementNode())) {
            continue;
        }
        removed.push_back(element->RunTimeID());
        nodes.emplace_back(element->GetElementNode());
    }
    for (const nsCOMPtr<nsIDOMNode>& node : nodes) {
        nsCOMPtr<nsIDOMNode> parent;
        node->GetParentNode(getter_AddRefs(parent));
        nsCOMPtr<nsIDOMNode> out;
        if (parent) {
            parent->RemoveChild(node.get(), getter_AddRefs(out));
        }
    }
    return removed;
}

} // namespace testsupport
