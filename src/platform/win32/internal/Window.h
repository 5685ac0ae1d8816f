// Windows and window classes: the registry behind the window functions.
#pragma once

#include "platform/win32/WinUser.h"
#include "platform/win32/internal/Handles.h"

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace win32::internal {

struct WindowClass {
    std::string name;
    ATOM atom = 0;
    UINT style = 0;
    WNDPROC proc = nullptr;
    int windowExtra = 0;
    HINSTANCE instance = nullptr;
    HBRUSH background = nullptr;
    int windowCount = 0;
};

// Every field is guarded by the window manager's mutex.
struct Window {
    uint32_t handle = 0;
    std::shared_ptr<WindowClass> windowClass;
    DWORD thread = 0;
    std::string title;
    DWORD style = 0;
    DWORD exStyle = 0;
    uint32_t parent = 0;            // child windows only
    uint32_t owner = 0;             // top-level windows only
    std::vector<uint32_t> children; // z-order, topmost first
    RECT rect{};                    // in the parent's client coordinates, or on the screen
    LONG_PTR userData = 0;
    LONG_PTR id = 0;
    WNDPROC proc = nullptr;
    HINSTANCE instance = nullptr;
    std::vector<unsigned char> extra;
    bool destroying = false;
};

class WindowManager {
public:
    static WindowManager& Get();

    std::mutex& Mutex() { return m_mutex; }

    // All of these take the manager's lock themselves unless named Locked.
    std::shared_ptr<Window> Find(HWND window) const;
    // The live window, or null with ERROR_INVALID_WINDOW_HANDLE.
    std::shared_ptr<Window> FindOrFail(HWND window) const;

    std::shared_ptr<Window> FindLocked(uint32_t handle) const;
    // The live window, or null with ERROR_INVALID_WINDOW_HANDLE.
    std::shared_ptr<Window> FindLockedOrFail(HWND window) const;
    std::shared_ptr<WindowClass> FindClassLocked(LPCSTR nameOrAtom) const;
    std::vector<uint32_t>& SiblingsLocked(const Window& window);
    const std::vector<uint32_t>& TopLevelLocked() const { return m_topLevel; }
    // The window's top-left corner on the screen.
    POINT ScreenOriginLocked(const Window& window) const;
    // A window is shown when it and all its ancestors are visible.
    bool IsShownLocked(const Window& window) const;

    ATOM AddClass(std::shared_ptr<WindowClass> windowClass);
    bool RemoveClass(LPCSTR nameOrAtom);

    // Inserts a window into the registry and the z-order; 0 when handle
    // values are used up.
    uint32_t AddLocked(std::shared_ptr<Window> window);
    // Takes a window out of the registry, the z-order and its class.
    void RemoveLocked(Window& window);

    // Removes, without messages, the windows of a thread that ended.
    void DropWindowsOfThread(DWORD threadId);

    uint32_t m_foreground = 0;
    uint32_t m_focus = 0;
    POINT m_cursor{};
    int m_screenWidth = 1280;
    int m_screenHeight = 1024;

private:
    mutable std::mutex m_mutex;
    std::map<uint32_t, std::shared_ptr<Window>> m_windows;
    std::vector<uint32_t> m_topLevel;                              // z-order, topmost first
    std::map<std::string, std::shared_ptr<WindowClass>> m_classes; // key: lower-case name
};

inline HWND ToHwnd(uint32_t handle) {
    return HwndFromValue(handle);
}

// Lower-case copy for names compared without regard to case.
std::string LowerCase(std::string_view text);
bool EqualNoCase(std::string_view a, std::string_view b);

// Calls the window's procedure without any lock held; 0 for a dead window.
LRESULT CallProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The built-in tool-tip control's class procedure.
LRESULT ToolTipProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The atom table shared by class names and registered messages.
ATOM AddAtom(std::string_view name);

} // namespace win32::internal
