#include "platform/browser/shell/NativeWindows.h"

#include <mutex>
#include <string>

namespace browser {

namespace {

LRESULT BrowserWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SIZE) {
        if (auto* observer =
                reinterpret_cast<ResizeObserver*>(GetWindowLongPtr(window, GWLP_USERDATA)))
            observer->WindowResized();
    }
    return DefWindowProc(window, message, wParam, lParam);
}

} // namespace

void RegisterBrowserWindowClasses() {
    static std::once_flag once;
    std::call_once(once, [] {
        WNDCLASSA browser{};
        browser.lpfnWndProc = BrowserWindowProc;
        browser.lpszClassName = kBrowserWindowClass;
        RegisterClass(&browser);
        for (const char* name : {kPluginWindowClass, kListBoxWindowClass, kComboBoxWindowClass}) {
            WNDCLASSA child{};
            child.lpfnWndProc = DefWindowProc;
            child.lpszClassName = name;
            RegisterClass(&child);
        }
    });
}

void SetResizeObserver(HWND window, ResizeObserver* observer) {
    if (IsWindow(window))
        SetWindowLongPtr(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(observer));
}

HWND CreateTopLevelWindow(std::string_view title, int x, int y, int width, int height) {
    RegisterBrowserWindowClasses();
    std::string text(title);
    return CreateWindowEx(0, kBrowserWindowClass, text.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, x,
                          y, width, height, nullptr, nullptr, nullptr, nullptr);
}

HWND CreateChildWindow(HWND parent, const char* className, int x, int y, int width, int height) {
    RegisterBrowserWindowClasses();
    return CreateWindowEx(0, className, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, x, y, width,
                          height, parent, nullptr, nullptr, nullptr);
}

nsresult Widget::GetNativeWindow(HWND__** window) {
    if (!window)
        return NS_ERROR_NULL_POINTER;
    *window = IsWindow(m_window) ? m_window : nullptr;
    return *window ? NS_OK : NS_ERROR_NOT_AVAILABLE;
}

nsresult Widget::GetBounds(nsRect& bounds) {
    RECT rect{};
    if (!IsWindow(m_window) || !GetWindowRect(m_window, &rect))
        return NS_ERROR_NOT_AVAILABLE;
    POINT origin{rect.left, rect.top};
    if (HWND parent = GetParent(m_window))
        ScreenToClient(parent, &origin);
    bounds = {origin.x, origin.y, rect.right - rect.left, rect.bottom - rect.top};
    return NS_OK;
}

nsresult Widget::GetScreenBounds(nsRect& bounds) {
    RECT client{};
    if (!IsWindow(m_window) || !GetClientRect(m_window, &client))
        return NS_ERROR_NOT_AVAILABLE;
    POINT origin{0, 0};
    ClientToScreen(m_window, &origin);
    bounds = {origin.x, origin.y, client.right, client.bottom};
    return NS_OK;
}

} // namespace browser
