// The agent window: one hidden top-level window per browser window, through
// which the test tool sends its requests (WM_COPYDATA with an encoded record)
// and the registered message "HodaatYezurHalonHadash;".
//
//     InitializeAgentWindows(instance);            // at module load
//     CAgentWindow window(browserHwnd, context);  // context: the dispatcher's way in
//     if (window.Create(instance, browser)) ...    // announces itself to the tool
//     ShutdownAgentWindows();                      // at module unload
//
// The window belongs to the thread that creates it (the browser's
// user-interface thread), which must pump messages for requests to arrive.
#pragma once

#include "platform/win32/Windows.h"

#include <cstdint>
#include <string>

class CNS6Browser;
class IAgentContext;

inline constexpr const char* kAgentWindowClass = "ReshetKurimLeKliBdikaHayashanClass";
inline constexpr const char* kAgentWindowTitle = "SherutRashiHayashanTitle";
inline constexpr const char* kAgentRegisteredMessage = "HodaatYezurHalonHadash;";
// The tool's presence window; without it no agent window is made.
inline constexpr const char* kPresenceClass = "CRVWClass";
inline constexpr const char* kPresenceTitle = "CRV";
// Message identifier of the connection announcement.
inline constexpr int32_t kMsgIdConnection = 38;
// The throttle option and the file it works on, in the TEMP folder.
inline constexpr const char* kThrottleOption = "DecreaseAgentConnection";
inline constexpr const char* kThrottleFileName = "hgeczfth.tmp";
// String resources of the error message boxes.
inline constexpr UINT kIdsAgentCaption = 300;
inline constexpr UINT kIdsWindowFailed = 301;
inline constexpr UINT kIdsClassFailed = 302;

// Module load: registers the message, creates the creation mutex, and gives
// the module the texts of its error message boxes. Safe to call again.
void InitializeAgentWindows(HINSTANCE instance);
// Module unload: closes the creation mutex and unregisters the window class
// (once no agent window is left), which must not outlive the module's code.
void ShutdownAgentWindows();
// The title of the agent window of a browser window ("SherutRashiHayashanTitle_1234").
std::string AgentWindowTitle(HWND browserWindow);
// The number RegisterWindowMessage gave "HodaatYezurHalonHadash;".
UINT AgentRegisteredMessage();

class CAgentWindow {
public:
    // Requests go to the dispatcher through `context`; without one, through
    // the process's context at the time of each request.
    explicit CAgentWindow(HWND browserWindow, IAgentContext* context = nullptr);
    CAgentWindow(const CAgentWindow&) = delete;
    CAgentWindow& operator=(const CAgentWindow&) = delete;
    // Closes the window if it still exists.
    ~CAgentWindow();

    // Registers the class when the tool is present, creates the window and
    // announces the connection. False when the class step failed (no tool, or
    // registration failed); true otherwise, even if the window was not made.
    bool Create(HINSTANCE instance, CNS6Browser* owner);

    HWND GetWindow() const { return m_window; }
    HWND GetBrowserWindow() const { return HwndFromValue(static_cast<ULONG>(m_browserWindow)); }
    CNS6Browser* GetOwner() const { return m_owner; }
    IAgentContext* GetContext() const;

    // The WM_COPYDATA handling: decodes, checks the addressing, dispatches and
    // replies. Answers 1 when a reply was due, else 0.
    LRESULT ProcessServiceRequest(const COPYDATASTRUCT* block);

private:
    static LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    bool CreateAgentWindow();

    IAgentContext* m_context; // observes: the trap state's context outlives agent windows
    HWND m_window = nullptr;  // owned: closed in the destructor
    HINSTANCE m_instance = nullptr;
    CNS6Browser* m_owner = nullptr; // observes: the browser object owns this window
    int32_t m_browserWindow = 0;
};

// The registration pending flag, for tests: true until the class has been
// registered (or found registered).
bool IsAgentClassRegistrationPending();
