#include "agent/channel/CAgentWindow.h"

#include "agent/channel/CWebInfo.h"
#include "agent/channel/ToolSender.h"
#include "agent/channel/Trace.h"
#include "agent/common/IAgentContext.h"

#include <array>
#include <string>

namespace {

// The texts of the error message boxes; the module has no resources of its
// own, so they are given to the desktop stand-in's string table at load.
constexpr StringTableEntry kAgentStrings[] = {
    {kIdsAgentCaption, "Web Agent"},
    {kIdsWindowFailed, "The web agent could not create its window for this browser window. The "
                       "test tool cannot address this browser."},
    {kIdsClassFailed, "The web agent could not register its window class. The test tool cannot "
                      "address the browsers of this session."},
};

constexpr int kMaxCaption = 255;
constexpr int kMaxText = 1024;
constexpr DWORD kMaxTempPath = 1023;

HANDLE g_creationMutex = nullptr; // owned: closed at module unload
UINT g_registeredMessage = 0;
bool g_classPending = true;

// Holds CHalvardMutex for one creation.
class CreationLock {
public:
    CreationLock() : m_mutex(g_creationMutex) {
        if (m_mutex)
            WaitForSingleObject(m_mutex, INFINITE);
    }
    ~CreationLock() {
        if (m_mutex)
            ReleaseMutex(m_mutex);
    }
    CreationLock(const CreationLock&) = delete;
    CreationLock& operator=(const CreationLock&) = delete;

private:
    HANDLE m_mutex;
};

void ShowFailure(HINSTANCE instance, UINT textId) {
    std::array<char, kMaxCaption + 1> caption{};
    std::array<char, kMaxText + 1> text{};
    LoadString(instance, kIdsAgentCaption, caption.data(), static_cast<int>(caption.size()));
    LoadString(instance, textId, text.data(), static_cast<int>(text.size()));
    MessageBox(nullptr, text.data(), caption.data(), MB_ICONERROR | MB_OK);
}

// The thread and process that own a window, both 0 for no window.
std::pair<int32_t, int32_t> OwnerOf(HWND window) {
    if (!IsWindow(window))
        return {0, 0};
    DWORD process = 0;
    DWORD thread = GetWindowThreadProcessId(window, &process);
    return {static_cast<int32_t>(thread), static_cast<int32_t>(process)};
}

void AddInteger(CWebInfo& record, const char* name, int32_t value) {
    CWebVariantList list;
    list.Append(value);
    record.AppendAttr(name, list);
}

// The tool's way of slowing the agent down: open and empty a scratch file as
// many times as the option says.
void Throttle(const IAgentContext& context) {
    int32_t cycles = context.GetOption(kThrottleOption);
    if (cycles < 1)
        return;
    std::array<char, kMaxTempPath + 1> temp{};
    DWORD length = GetEnvironmentVariableA("TEMP", temp.data(), kMaxTempPath + 1);
    if (length == 0 || length > kMaxTempPath)
        return;
    std::string path = std::string(temp.data(), length) + "\\" + kThrottleFileName;
    for (int32_t i = 0; i < cycles; ++i) {
        if (auto file = CrtFile::Open(path, "w"))
            file->Close();
    }
}

void AnnounceFromRegisteredMessage(WPARAM wParam, LPARAM lParam) {
    HWND window = HwndFromValue(static_cast<ULONG>(wParam));
    auto [thread, process] = OwnerOf(window);
    CWebInfo record;
    record.SetMsgId(kMsgIdConnection);
    AddInteger(record, "handle", static_cast<int32_t>(wParam));
    AddInteger(record, "version", static_cast<int32_t>(lParam));
    AddInteger(record, "thread", thread);
    AddInteger(record, "process", process);
    SendRecordToTool(record);
}

} // namespace

void InitializeAgentWindows(HINSTANCE instance) {
    g_registeredMessage = RegisterWindowMessage(kAgentRegisteredMessage);
    if (!g_creationMutex)
        g_creationMutex = CreateMutexA(nullptr, FALSE, nullptr);
    SetModuleStringTable(instance, kAgentStrings);
}

void ShutdownAgentWindows() {
    if (g_creationMutex) {
        CloseHandle(g_creationMutex);
        g_creationMutex = nullptr;
    }
    // The class's window procedure lives in this module: a class left behind
    // after the module is unloaded would send a later window's messages into
    // unmapped code. The next window registers it again.
    if (!g_classPending && UnregisterClass(kAgentWindowClass, nullptr))
        g_classPending = true;
}

std::string AgentWindowTitle(HWND browserWindow) {
    return FormatTraceLine("%s_%lu", kAgentWindowTitle,
                           static_cast<unsigned long>(HandleToULong(browserWindow)));
}

UINT AgentRegisteredMessage() {
    return g_registeredMessage;
}

bool IsAgentClassRegistrationPending() {
    return g_classPending;
}

CAgentWindow::CAgentWindow(HWND browserWindow, IAgentContext* context)
    : m_context(context), m_browserWindow(static_cast<int32_t>(HandleToULong(browserWindow))) {}

IAgentContext* CAgentWindow::GetContext() const {
    return m_context != nullptr ? m_context : GetAgentContext();
}

CAgentWindow::~CAgentWindow() {
    if (m_window && IsWindow(m_window)) {
        SetWindowLongPtr(m_window, GWLP_USERDATA, 0);
        SendMessage(m_window, WM_CLOSE, 0, 0);
    }
}

bool CAgentWindow::Create(HINSTANCE instance, CNS6Browser* owner) {
    CreationLock lock;
    m_instance = instance;

    if (g_classPending) {
        if (!FindWindow(kPresenceClass, kPresenceTitle))
            return false; // the tool is not running; a later browser tries again
        WNDCLASSA wc{};
        wc.lpfnWndProc = &CAgentWindow::WindowProc;
        wc.hInstance = instance;
        wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<uintptr_t>(6));
        wc.lpszClassName = kAgentWindowClass;
        if (RegisterClass(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS) {
            g_classPending = false;
        } else {
            ShowFailure(instance, kIdsClassFailed);
            return false;
        }
    }

    if (CreateAgentWindow()) {
        m_owner = owner;
        if (IAgentContext* context = GetContext(); context && context->HasDispatcher())
            context->AnnounceConnection(GetBrowserWindow(), m_window);
    }
    return true;
}

bool CAgentWindow::CreateAgentWindow() {
    std::string title = AgentWindowTitle(GetBrowserWindow());
    m_window = CreateWindowEx(0, kAgentWindowClass, title.c_str(), WS_OVERLAPPEDWINDOW, 0, 0, 0, 0,
                              nullptr, nullptr, m_instance, nullptr);
    if (!m_window) {
        ShowFailure(m_instance, kIdsWindowFailed);
        return false;
    }
    SetWindowLongPtr(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    return true;
}

LRESULT CAgentWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COPYDATA) {
        auto* self = reinterpret_cast<CAgentWindow*>(GetWindowLongPtr(window, GWLP_USERDATA));
        if (self)
            return self->ProcessServiceRequest(reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    } else if (message != 0 && message == g_registeredMessage) {
        AnnounceFromRegisteredMessage(wParam, lParam);
    }
    return DefWindowProc(window, message, wParam, lParam);
}

LRESULT CAgentWindow::ProcessServiceRequest(const COPYDATASTRUCT* block) {
    CWebInfo record;
    if (block && block->lpData && block->cbData > 0) {
        // A record that fails to decode part-way is served with the
        // attributes that did decode.
        (void)record.Deserialize(
            std::span<const uint8_t>(static_cast<const uint8_t*>(block->lpData), block->cbData));
    }

    // A request for another live browser window is not ours to answer.
    HWND addressed = HwndFromValue(static_cast<ULONG>(record.GetRunTimeID().First()));
    if (IsWindow(addressed) && addressed != GetBrowserWindow())
        return 0;

    IAgentContext* context = GetContext();
    if (!context || !context->HasDispatcher())
        return 0;

    Throttle(*context);

    const int32_t webInfoId = record.GetWebInfoId();
    if (TraceEnabled(kTraceMessages))
        Trace(kTraceMessages,
              FormatTraceLine("ProcessServiceRequest: begin: MsgId=%d, WebInfoId=%d",
                              record.GetMsgId(), webInfoId));

    bool replyDue = context->Dispatch(record);

    if (TraceEnabled(kTraceMessages))
        Trace(kTraceMessages,
              FormatTraceLine("ProcessServiceRequest: end:   MsgId=%d, WebInfoId=%d, RetValue=%d",
                              record.GetMsgId(), webInfoId,
                              static_cast<int>(record.GetRetValue())));

    record.SetWebInfoId(webInfoId);
    if (replyDue)
        SendRecordToTool(record);

    // The dispatch may have run nested requests that changed the options;
    // read the throttle again.
    if (IAgentContext* after = GetContext(); after && after->HasDispatcher())
        Throttle(*after);
    return replyDue ? 1 : 0;
}
