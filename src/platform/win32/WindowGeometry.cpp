// Window rectangles, coordinate conversion, hit testing, foreground and focus,
// the cursor and the system metrics.
#include "platform/win32/WinBase.h"
#include "platform/win32/WinUser.h"
#include "platform/win32/internal/Window.h"

#include <algorithm>

using namespace win32::internal;

namespace {

WindowManager& Manager() {
    return WindowManager::Get();
}

bool Contains(const RECT& rect, POINT point) {
    return point.x >= rect.left && point.x < rect.right && point.y >= rect.top &&
           point.y < rect.bottom;
}

LONG Width(const RECT& rect) {
    return rect.right - rect.left;
}
LONG Height(const RECT& rect) {
    return rect.bottom - rect.top;
}

// The window's origin on the screen, or nothing for a dead window. A null
// window stands for the screen itself.
bool ScreenOrigin(HWND window, POINT& origin) {
    if (window == nullptr) {
        origin = POINT{0, 0};
        return true;
    }
    auto& manager = Manager();
    std::lock_guard lock(manager.Mutex());
    auto target = manager.FindLockedOrFail(window);
    if (!target) {
        return false;
    }
    origin = manager.ScreenOriginLocked(*target);
    return true;
}

// The deepest window under a screen point among a list in z-order, skipping
// hidden windows and disabled child windows.
uint32_t HitTestLocked(WindowManager& manager, const std::vector<uint32_t>& candidates,
                       POINT screenPoint, POINT parentOrigin) {
    for (uint32_t handle : candidates) {
        auto window = manager.FindLocked(handle);
        if (!window || (window->style & WS_VISIBLE) == 0) {
            continue;
        }
        if ((window->style & (WS_CHILD | WS_DISABLED)) == (WS_CHILD | WS_DISABLED)) {
            continue;
        }
        RECT onScreen{window->rect.left + parentOrigin.x, window->rect.top + parentOrigin.y,
                      window->rect.right + parentOrigin.x, window->rect.bottom + parentOrigin.y};
        if (!Contains(onScreen, screenPoint)) {
            continue;
        }
        uint32_t deeper = HitTestLocked(manager, window->children, screenPoint,
                                        POINT{onScreen.left, onScreen.top});
        return deeper != 0 ? deeper : handle;
    }
    return 0;
}

// Sets a window's rectangle and tells it of a move or a new size.
BOOL Place(HWND window, const RECT* rect, bool show, bool hide, HWND insertAfter, bool reorder) {
    auto& manager = Manager();
    auto target = manager.FindOrFail(window);
    if (!target) {
        return FALSE;
    }
    RECT before;
    RECT after;
    {
        std::lock_guard lock(manager.Mutex());
        before = target->rect;
        if (rect != nullptr) {
            target->rect = *rect;
        }
        after = target->rect;
        if (show) {
            target->style |= WS_VISIBLE;
        }
        if (hide) {
            target->style &= ~WS_VISIBLE;
        }
        if (reorder) {
            auto& siblings = manager.SiblingsLocked(*target);
            siblings.erase(std::remove(siblings.begin(), siblings.end(), target->handle),
                           siblings.end());
            auto position = siblings.begin();
            if (insertAfter == HWND_BOTTOM) {
                position = siblings.end();
            } else if (insertAfter != HWND_TOP && insertAfter != HWND_TOPMOST &&
                       insertAfter != HWND_NOTOPMOST) {
                auto it = std::find(siblings.begin(), siblings.end(), ValueOf(insertAfter));
                position = it == siblings.end() ? siblings.begin() : it + 1;
            }
            siblings.insert(position, target->handle);
        }
    }
    if (before.left != after.left || before.top != after.top) {
        SendMessage(window, WM_MOVE, 0,
                    MAKELPARAM(static_cast<WORD>(after.left), static_cast<WORD>(after.top)));
    }
    if (Width(before) != Width(after) || Height(before) != Height(after)) {
        SendMessage(window, WM_SIZE, 0,
                    MAKELPARAM(static_cast<WORD>(Width(after)), static_cast<WORD>(Height(after))));
    }
    return TRUE;
}

} // namespace

BOOL GetWindowRect(HWND window, LPRECT rect) {
    auto& manager = Manager();
    std::lock_guard lock(manager.Mutex());
    auto target = manager.FindLocked(ValueOf(window));
    if (!target || rect == nullptr) {
        SetLastError(target ? ERROR_INVALID_PARAMETER : ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    POINT origin = manager.ScreenOriginLocked(*target);
    *rect =
        RECT{origin.x, origin.y, origin.x + Width(target->rect), origin.y + Height(target->rect)};
    return TRUE;
}

BOOL GetClientRect(HWND window, LPRECT rect) {
    auto target = Manager().FindOrFail(window);
    if (!target || rect == nullptr) {
        return FALSE;
    }
    std::lock_guard lock(Manager().Mutex());
    *rect = RECT{0, 0, Width(target->rect), Height(target->rect)};
    return TRUE;
}

BOOL MoveWindow(HWND window, int x, int y, int width, int height, BOOL) {
    RECT rect{x, y, x + std::max(width, 0), y + std::max(height, 0)};
    return Place(window, &rect, false, false, nullptr, false);
}

BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
    RECT current{};
    {
        auto target = Manager().FindOrFail(window);
        if (!target) {
            return FALSE;
        }
        std::lock_guard lock(Manager().Mutex());
        current = target->rect;
    }
    RECT rect = current;
    if ((flags & SWP_NOMOVE) == 0) {
        rect = RECT{x, y, x + Width(current), y + Height(current)};
    }
    if ((flags & SWP_NOSIZE) == 0) {
        rect.right = rect.left + std::max(cx, 0);
        rect.bottom = rect.top + std::max(cy, 0);
    }
    return Place(window, &rect, (flags & SWP_SHOWWINDOW) != 0, (flags & SWP_HIDEWINDOW) != 0,
                 insertAfter, (flags & SWP_NOZORDER) == 0);
}

BOOL ClientToScreen(HWND window, LPPOINT point) {
    POINT origin;
    if (window == nullptr || point == nullptr || !ScreenOrigin(window, origin)) {
        return FALSE;
    }
    point->x += origin.x;
    point->y += origin.y;
    return TRUE;
}

BOOL ScreenToClient(HWND window, LPPOINT point) {
    POINT origin;
    if (window == nullptr || point == nullptr || !ScreenOrigin(window, origin)) {
        return FALSE;
    }
    point->x -= origin.x;
    point->y -= origin.y;
    return TRUE;
}

int MapWindowPoints(HWND from, HWND to, LPPOINT points, UINT count) {
    POINT fromOrigin;
    POINT toOrigin;
    if (!ScreenOrigin(from, fromOrigin) || !ScreenOrigin(to, toOrigin)) {
        return 0;
    }
    LONG dx = fromOrigin.x - toOrigin.x;
    LONG dy = fromOrigin.y - toOrigin.y;
    for (UINT i = 0; points != nullptr && i < count; ++i) {
        points[i].x += dx;
        points[i].y += dy;
    }
    SetLastError(ERROR_SUCCESS);
    return MAKELONG(static_cast<WORD>(dx), static_cast<WORD>(dy));
}

HWND WindowFromPoint(POINT point) {
    auto& manager = Manager();
    std::lock_guard lock(manager.Mutex());
    return ToHwnd(HitTestLocked(manager, manager.TopLevelLocked(), point, POINT{0, 0}));
}

HWND ChildWindowFromPointEx(HWND parent, POINT point, UINT flags) {
    auto& manager = Manager();
    std::lock_guard lock(manager.Mutex());
    auto target = manager.FindLockedOrFail(parent);
    if (!target) {
        return nullptr;
    }
    if (!Contains(RECT{0, 0, Width(target->rect), Height(target->rect)}, point)) {
        return nullptr;
    }
    for (uint32_t handle : target->children) {
        auto child = manager.FindLocked(handle);
        if (!child || ((flags & CWP_SKIPINVISIBLE) != 0 && (child->style & WS_VISIBLE) == 0) ||
            ((flags & CWP_SKIPDISABLED) != 0 && (child->style & WS_DISABLED) != 0)) {
            continue;
        }
        if (Contains(child->rect, point)) {
            return ToHwnd(handle);
        }
    }
    return parent;
}

HWND ChildWindowFromPoint(HWND parent, POINT point) {
    return ChildWindowFromPointEx(parent, point, CWP_ALL);
}

HWND GetForegroundWindow() {
    auto& manager = Manager();
    std::lock_guard lock(manager.Mutex());
    return manager.FindLocked(manager.m_foreground) ? ToHwnd(manager.m_foreground) : nullptr;
}

BOOL BringWindowToTop(HWND window) {
    return Place(window, nullptr, false, false, HWND_TOP, true);
}

BOOL SetForegroundWindow(HWND window) {
    HWND root = GetAncestor(window, GA_ROOT);
    if (root == nullptr) {
        return FALSE;
    }
    BringWindowToTop(root);
    auto& manager = Manager();
    std::lock_guard lock(manager.Mutex());
    manager.m_foreground = ValueOf(root);
    return TRUE;
}

HWND GetFocus() {
    auto& manager = Manager();
    std::lock_guard lock(manager.Mutex());
    return manager.FindLocked(manager.m_focus) ? ToHwnd(manager.m_focus) : nullptr;
}

HWND SetFocus(HWND window) {
    if (window != nullptr && !Manager().FindOrFail(window)) {
        return nullptr;
    }
    HWND previous = GetFocus();
    {
        auto& manager = Manager();
        std::lock_guard lock(manager.Mutex());
        manager.m_focus = ValueOf(window);
    }
    if (previous != nullptr && previous != window) {
        SendMessage(previous, WM_KILLFOCUS, reinterpret_cast<WPARAM>(window), 0);
    }
    if (window != nullptr && previous != window) {
        SendMessage(window, WM_SETFOCUS, reinterpret_cast<WPARAM>(previous), 0);
    }
    return previous;
}

BOOL GetCursorPos(LPPOINT point) {
    if (point == nullptr) {
        return FALSE;
    }
    auto& manager = Manager();
    std::lock_guard lock(manager.Mutex());
    *point = manager.m_cursor;
    return TRUE;
}

BOOL SetCursorPos(int x, int y) {
    auto& manager = Manager();
    std::lock_guard lock(manager.Mutex());
    manager.m_cursor = POINT{std::clamp(x, 0, manager.m_screenWidth - 1),
                             std::clamp(y, 0, manager.m_screenHeight - 1)};
    return TRUE;
}

int GetSystemMetrics(int index) {
    auto& manager = Manager();
    switch (index) {
    case SM_CXSCREEN: {
        std::lock_guard lock(manager.Mutex());
        return manager.m_screenWidth;
    }
    case SM_CYSCREEN: {
        std::lock_guard lock(manager.Mutex());
        return manager.m_screenHeight;
    }
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
    case SM_CYVSCROLL:
    case SM_CXHSCROLL:
        return 17;
    case SM_CYCAPTION:
        return 23;
    case SM_CXBORDER:
    case SM_CYBORDER:
        return 1;
    default:
        return 0;
    }
}
