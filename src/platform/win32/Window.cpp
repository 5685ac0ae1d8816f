// Window classes, window creation and destruction, hierarchy, texts and the
// window longs.
#include "platform/win32/internal/Window.h"

#include "platform/win32/CommCtrl.h"
#include "platform/win32/WinBase.h"
#include "platform/win32/WinUser.h"

#include <algorithm>
#include <cstring>
#include <unistd.h>

namespace win32::internal {

WindowManager& WindowManager::Get() {
    static WindowManager* manager = [] {
        auto* created = new WindowManager();
        auto toolTips = std::make_shared<WindowClass>();
        toolTips->name = TOOLTIPS_CLASS;
        toolTips->style = CS_DBLCLKS;
        toolTips->proc = ToolTipProc;
        created->AddClass(std::move(toolTips));
        return created;
    }();
    return *manager;
}

std::shared_ptr<Window> WindowManager::Find(HWND window) const {
    std::lock_guard lock(m_mutex);
    return FindLocked(ValueOf(window));
}

std::shared_ptr<Window> WindowManager::FindOrFail(HWND window) const {
    auto found = Find(window);
    if (!found) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    }
    return found;
}

std::shared_ptr<Window> WindowManager::FindLockedOrFail(HWND window) const {
    auto found = FindLocked(ValueOf(window));
    if (!found) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    }
    return found;
}

std::shared_ptr<Window> WindowManager::FindLocked(uint32_t handle) const {
    if (handle == 0) {
        return nullptr;
    }
    auto it = m_windows.find(handle);
    return it == m_windows.end() ? nullptr : it->second;
}

std::shared_ptr<WindowClass> WindowManager::FindClassLocked(LPCSTR nameOrAtom) const {
    if (nameOrAtom == nullptr) {
        return nullptr;
    }
    if (IS_INTRESOURCE(nameOrAtom)) {
        auto atom = static_cast<ATOM>(reinterpret_cast<uintptr_t>(nameOrAtom));
        for (const auto& [key, windowClass] : m_classes) {
            if (windowClass->atom == atom) {
                return windowClass;
            }
        }
        return nullptr;
    }
    auto it = m_classes.find(LowerCase(nameOrAtom));
    return it == m_classes.end() ? nullptr : it->second;
}

std::vector<uint32_t>& WindowManager::SiblingsLocked(const Window& window) {
    if (window.parent != 0) {
        if (auto parent = FindLocked(window.parent)) {
            return parent->children;
        }
    }
    return m_topLevel;
}

POINT WindowManager::ScreenOriginLocked(const Window& window) const {
    POINT origin{window.rect.left, window.rect.top};
    for (auto parent = FindLocked(window.parent); parent; parent = FindLocked(parent->parent)) {
        origin.x += parent->rect.left;
        origin.y += parent->rect.top;
    }
    return origin;
}

bool WindowManager::IsShownLocked(const Window& window) const {
    if ((window.style & WS_VISIBLE) == 0) {
        return false;
    }
    for (auto parent = FindLocked(window.parent); parent; parent = FindLocked(parent->parent)) {
        if ((parent->style & WS_VISIBLE) == 0) {
            return false;
        }
    }
    return true;
}

ATOM WindowManager::AddClass(std::shared_ptr<WindowClass> windowClass) {
    std::lock_guard lock(m_mutex);
    auto key = LowerCase(windowClass->name);
    if (m_classes.count(key) != 0) {
        SetLastError(ERROR_CLASS_ALREADY_EXISTS);
        return 0;
    }
    windowClass->atom = AddAtom(windowClass->name);
    if (windowClass->atom == 0) {
        return 0;
    }
    ATOM atom = windowClass->atom;
    m_classes.emplace(std::move(key), std::move(windowClass));
    return atom;
}

bool WindowManager::RemoveClass(LPCSTR nameOrAtom) {
    std::lock_guard lock(m_mutex);
    auto windowClass = FindClassLocked(nameOrAtom);
    if (!windowClass) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return false;
    }
    if (windowClass->windowCount > 0) {
        SetLastError(ERROR_CLASS_HAS_WINDOWS);
        return false;
    }
    m_classes.erase(LowerCase(windowClass->name));
    return true;
}

uint32_t WindowManager::AddLocked(std::shared_ptr<Window> window) {
    uint32_t handle = NewHandleValue();
    if (handle == 0) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    window->handle = handle;
    if (window->parent != 0) {
        // New child windows go below their siblings, so the first created is
        // the first child.
        SiblingsLocked(*window).push_back(handle);
    } else {
        m_topLevel.insert(m_topLevel.begin(), handle);
    }
    ++window->windowClass->windowCount;
    m_windows.emplace(handle, std::move(window));
    return handle;
}

void WindowManager::RemoveLocked(Window& window) {
    auto& siblings = SiblingsLocked(window);
    siblings.erase(std::remove(siblings.begin(), siblings.end(), window.handle), siblings.end());
    --window.windowClass->windowCount;
    if (m_foreground == window.handle) {
        m_foreground = 0;
    }
    if (m_focus == window.handle) {
        m_focus = 0;
    }
    m_windows.erase(window.handle);
}

void WindowManager::DropWindowsOfThread(DWORD threadId) {
    std::lock_guard lock(m_mutex);
    std::vector<std::shared_ptr<Window>> doomed;
    for (const auto& [handle, window] : m_windows) {
        if (window->thread == threadId) {
            doomed.push_back(window);
        }
    }
    // Children go with their parent whatever thread they belong to, so that
    // no live window names a dead parent.
    for (size_t i = 0; i < doomed.size(); ++i) {
        for (uint32_t child : doomed[i]->children) {
            if (auto window = FindLocked(child);
                window && std::find(doomed.begin(), doomed.end(), window) == doomed.end()) {
                doomed.push_back(window);
            }
        }
    }
    for (auto it = doomed.rbegin(); it != doomed.rend(); ++it) {
        (*it)->destroying = true;
        RemoveLocked(**it);
    }
    for (const auto& [handle, window] : m_windows) {
        if (window->owner != 0 && !FindLocked(window->owner)) {
            window->owner = 0;
        }
    }
}

LRESULT CallProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    WNDPROC proc;
    // Keeps the window's data alive while its procedure runs, even if the
    // procedure destroys the window.
    std::shared_ptr<Window> alive;
    {
        auto& manager = WindowManager::Get();
        std::lock_guard lock(manager.Mutex());
        alive = manager.FindLocked(ValueOf(window));
        if (!alive) {
            return 0;
        }
        proc = alive->proc;
    }
    return proc != nullptr ? proc(window, message, wParam, lParam)
                           : DefWindowProc(window, message, wParam, lParam);
}

} // namespace win32::internal

using namespace win32::internal;

namespace {

WindowManager& Manager() {
    return WindowManager::Get();
}

ATOM AddClassFrom(UINT style, WNDPROC proc, int windowExtra, HINSTANCE instance, HBRUSH background,
                  LPCSTR name) {
    if (name == nullptr || IS_INTRESOURCE(name) || *name == '\0' || windowExtra < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    auto windowClass = std::make_shared<WindowClass>();
    windowClass->name = name;
    windowClass->style = style;
    windowClass->proc = proc;
    windowClass->windowExtra = windowExtra;
    windowClass->instance = instance;
    windowClass->background = background;
    return Manager().AddClass(std::move(windowClass));
}

bool ClassMatches(const WindowClass& windowClass, LPCSTR className) {
    if (className == nullptr) {
        return true;
    }
    if (IS_INTRESOURCE(className)) {
        return windowClass.atom == static_cast<ATOM>(reinterpret_cast<uintptr_t>(className));
    }
    return EqualNoCase(windowClass.name, className);
}

// Copies text into a caller's buffer of size characters; answers the number
// of characters copied without the terminator.
int CopyText(std::string_view text, LPSTR buffer, int size) {
    if (buffer == nullptr || size <= 0) {
        return 0;
    }
    size_t length = std::min(text.size(), static_cast<size_t>(size - 1));
    std::memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
    return static_cast<int>(length);
}

// The window and its descendants, parents before children. Marks them as
// being destroyed.
void CollectForDestruction(WindowManager& manager, const std::shared_ptr<Window>& window,
                           std::vector<std::shared_ptr<Window>>& out) {
    window->destroying = true;
    out.push_back(window);
    for (uint32_t child : window->children) {
        if (auto found = manager.FindLocked(child); found && !found->destroying) {
            CollectForDestruction(manager, found, out);
        }
    }
}

} // namespace

ATOM RegisterClass(const WNDCLASSA* wc) {
    if (wc == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return AddClassFrom(wc->style, wc->lpfnWndProc, wc->cbWndExtra, wc->hInstance,
                        wc->hbrBackground, wc->lpszClassName);
}

ATOM RegisterClassEx(const WNDCLASSEXA* wc) {
    if (wc == nullptr || wc->cbSize != sizeof(WNDCLASSEXA)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return AddClassFrom(wc->style, wc->lpfnWndProc, wc->cbWndExtra, wc->hInstance,
                        wc->hbrBackground, wc->lpszClassName);
}

BOOL UnregisterClass(LPCSTR className, HINSTANCE) {
    return Manager().RemoveClass(className) ? TRUE : FALSE;
}

BOOL GetClassInfoEx(HINSTANCE, LPCSTR className, WNDCLASSEXA* wc) {
    auto& manager = Manager();
    std::lock_guard lock(manager.Mutex());
    auto windowClass = manager.FindClassLocked(className);
    if (!windowClass || wc == nullptr) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    *wc = WNDCLASSEXA{};
    wc->cbSize = sizeof(WNDCLASSEXA);
    wc->style = windowClass->style;
    wc->lpfnWndProc = windowClass->proc;
    wc->cbWndExtra = windowClass->windowExtra;
    wc->hInstance = windowClass->instance;
    wc->hbrBackground = windowClass->background;
    // Points at the class's own name, valid while the class is registered.
    wc->lpszClassName = windowClass->name.c_str();
    return static_cast<BOOL>(windowClass->atom);
}

HWND CreateWindowEx(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                    int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                    LPVOID param) {
    DWORD thread = GetCurrentThreadId();
    auto& manager = Manager();
    auto window = std::make_shared<Window>();
    uint32_t handle;
    {
        std::lock_guard lock(manager.Mutex());
        window->windowClass = manager.FindClassLocked(className);
        if (!window->windowClass) {
            SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
            return nullptr;
        }
        bool child = (style & WS_CHILD) != 0;
        if (child && parent == nullptr) {
            SetLastError(ERROR_TLW_WITH_WSCHILD);
            return nullptr;
        }
        if (parent != nullptr) {
            auto relative = manager.FindLocked(ValueOf(parent));
            if (!relative || relative->destroying) {
                SetLastError(ERROR_INVALID_WINDOW_HANDLE);
                return nullptr;
            }
            if (child) {
                window->parent = relative->handle;
            } else {
                // The owner of a top-level window is always a top-level window.
                while (relative->parent != 0) {
                    relative = manager.FindLocked(relative->parent);
                }
                window->owner = relative->handle;
            }
        }
        bool defaultPosition = x == CW_USEDEFAULT;
        bool defaultSize = width == CW_USEDEFAULT;
        int left = defaultPosition ? 0 : x;
        int top = defaultPosition ? 0 : y;
        int w = defaultSize ? (child ? 0 : 800) : std::max(width, 0);
        int h = defaultSize ? (child ? 0 : 600) : std::max(height, 0);
        window->rect = RECT{left, top, left + w, top + h};
        window->thread = thread;
        window->title = windowName != nullptr ? windowName : "";
        window->style = style;
        window->exStyle = exStyle;
        window->proc = window->windowClass->proc;
        window->instance = instance;
        window->id = child ? reinterpret_cast<LONG_PTR>(menu) : 0;
        window->extra.assign(static_cast<size_t>(window->windowClass->windowExtra), 0);
        handle = manager.AddLocked(window);
        if (handle == 0) {
            return nullptr;
        }
    }
    HWND hwnd = ToHwnd(handle);
    CREATESTRUCTA create{param,
                         instance,
                         menu,
                         parent,
                         static_cast<int>(window->rect.bottom - window->rect.top),
                         static_cast<int>(window->rect.right - window->rect.left),
                         static_cast<int>(window->rect.top),
                         static_cast<int>(window->rect.left),
                         static_cast<LONG>(style),
                         windowName,
                         className,
                         exStyle};
    auto createParam = reinterpret_cast<LPARAM>(&create);
    if (SendMessage(hwnd, WM_NCCREATE, 0, createParam) == FALSE ||
        SendMessage(hwnd, WM_CREATE, 0, createParam) == -1) {
        DestroyWindow(hwnd);
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return hwnd;
}

BOOL DestroyWindow(HWND window) {
    auto& manager = Manager();
    auto target = manager.FindOrFail(window);
    if (!target) {
        return FALSE;
    }
    DWORD self = GetCurrentThreadId();
    std::vector<HWND> owned;
    std::vector<std::shared_ptr<Window>> subtree;
    {
        std::lock_guard lock(manager.Mutex());
        if (target->thread != self) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
        if (target->destroying) {
            return TRUE;
        }
        for (uint32_t topLevel : manager.TopLevelLocked()) {
            auto candidate = manager.FindLocked(topLevel);
            if (candidate && candidate->owner == target->handle) {
                if (candidate->thread == self) {
                    owned.push_back(ToHwnd(topLevel));
                } else {
                    candidate->owner = 0;
                }
            }
        }
        CollectForDestruction(manager, target, subtree);
    }
    // Owned windows go first, as on the original platform.
    for (HWND ownedWindow : owned) {
        DestroyWindow(ownedWindow);
    }
    for (const auto& each : subtree) {
        SendMessage(ToHwnd(each->handle), WM_DESTROY, 0, 0);
    }
    for (auto it = subtree.rbegin(); it != subtree.rend(); ++it) {
        SendMessage(ToHwnd((*it)->handle), WM_NCDESTROY, 0, 0);
        std::lock_guard lock(manager.Mutex());
        if (manager.FindLocked((*it)->handle)) {
            manager.RemoveLocked(**it);
        }
    }
    return TRUE;
}

BOOL IsWindow(HWND window) {
    return Manager().Find(window) ? TRUE : FALSE;
}

BOOL IsChild(HWND parent, HWND window) {
    auto& manager = Manager();
    std::lock_guard lock(manager.Mutex());
    auto current = manager.FindLocked(ValueOf(window));
    uint32_t ancestor = ValueOf(parent);
    while (current && current->parent != 0) {
        if (current->parent == ancestor) {
            return TRUE;
        }
        current = manager.FindLocked(current->parent);
    }
    return FALSE;
}

BOOL IsWindowVisible(HWND window) {
    auto& manager = Manager();
    std::lock_guard lock(manager.Mutex());
    auto found = manager.FindLocked(ValueOf(window));
    return found && manager.IsShownLocked(*found) ? TRUE : FALSE;
}

BOOL ShowWindow(HWND window, int command) {
    auto target = Manager().FindOrFail(window);
    if (!target) {
        return FALSE;
    }
    bool show = command != SW_HIDE;
    bool wasVisible;
    {
        std::lock_guard lock(Manager().Mutex());
        wasVisible = (target->style & WS_VISIBLE) != 0;
        target->style = show ? (target->style | WS_VISIBLE) : (target->style & ~WS_VISIBLE);
    }
    if (wasVisible != show) {
        SendMessage(window, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
    }
    return wasVisible ? TRUE : FALSE;
}

BOOL EnableWindow(HWND window, BOOL enable) {
    auto target = Manager().FindOrFail(window);
    if (!target) {
        return FALSE;
    }
    bool wasDisabled;
    {
        std::lock_guard lock(Manager().Mutex());
        wasDisabled = (target->style & WS_DISABLED) != 0;
        target->style = enable ? (target->style & ~WS_DISABLED) : (target->style | WS_DISABLED);
    }
    if (wasDisabled == (enable != FALSE)) {
        SendMessage(window, WM_ENABLE, enable ? TRUE : FALSE, 0);
    }
    return wasDisabled ? TRUE : FALSE;
}

BOOL IsWindowEnabled(HWND window) {
    auto target = Manager().FindOrFail(window);
    if (!target) {
        return FALSE;
    }
    std::lock_guard lock(Manager().Mutex());
    return (target->style & WS_DISABLED) == 0 ? TRUE : FALSE;
}

HWND GetParent(HWND window) {
    auto target = Manager().FindOrFail(window);
    if (!target) {
        return nullptr;
    }
    std::lock_guard lock(Manager().Mutex());
    return ToHwnd(target->parent != 0 ? target->parent : target->owner);
}

HWND SetParent(HWND window, HWND newParent) {
    auto& manager = Manager();
    std::lock_guard lock(manager.Mutex());
    auto target = manager.FindLockedOrFail(window);
    if (!target) {
        return nullptr;
    }
    std::shared_ptr<Window> parent;
    if (newParent != nullptr) {
        parent = manager.FindLocked(ValueOf(newParent));
        if (!parent) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return nullptr;
        }
        // A window cannot become its own descendant.
        for (auto up = parent; up; up = manager.FindLocked(up->parent)) {
            if (up == target) {
                SetLastError(ERROR_INVALID_PARAMETER);
                return nullptr;
            }
        }
    }
    uint32_t previous = target->parent;
    auto& oldSiblings = manager.SiblingsLocked(*target);
    oldSiblings.erase(std::remove(oldSiblings.begin(), oldSiblings.end(), target->handle),
                      oldSiblings.end());
    target->parent = parent ? parent->handle : 0;
    auto& newSiblings = manager.SiblingsLocked(*target);
    newSiblings.insert(newSiblings.begin(), target->handle);
    return ToHwnd(previous);
}

HWND GetAncestor(HWND window, UINT flags) {
    auto& manager = Manager();
    std::lock_guard lock(manager.Mutex());
    auto current = manager.FindLockedOrFail(window);
    if (!current) {
        return nullptr;
    }
    if (flags == GA_PARENT) {
        return ToHwnd(current->parent);
    }
    while (current->parent != 0) {
        current = manager.FindLocked(current->parent);
    }
    if (flags == GA_ROOTOWNER) {
        while (current->owner != 0) {
            auto owner = manager.FindLocked(current->owner);
            if (!owner) {
                break;
            }
            current = owner;
        }
    }
    return ToHwnd(current->handle);
}

HWND GetWindow(HWND window, UINT relation) {
    auto& manager = Manager();
    std::lock_guard lock(manager.Mutex());
    auto target = manager.FindLockedOrFail(window);
    if (!target) {
        return nullptr;
    }
    if (relation == GW_OWNER) {
        return ToHwnd(target->owner);
    }
    if (relation == GW_CHILD) {
        return ToHwnd(target->children.empty() ? 0 : target->children.front());
    }
    const auto& siblings = manager.SiblingsLocked(*target);
    auto it = std::find(siblings.begin(), siblings.end(), target->handle);
    switch (relation) {
    case GW_HWNDFIRST:
        return ToHwnd(siblings.front());
    case GW_HWNDLAST:
        return ToHwnd(siblings.back());
    case GW_HWNDNEXT:
        return it + 1 < siblings.end() ? ToHwnd(*(it + 1)) : nullptr;
    case GW_HWNDPREV:
        return it > siblings.begin() ? ToHwnd(*(it - 1)) : nullptr;
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
}

BOOL EnumWindows(WNDENUMPROC callback, LPARAM param) {
    std::vector<uint32_t> snapshot;
    {
        std::lock_guard lock(Manager().Mutex());
        snapshot = Manager().TopLevelLocked();
    }
    for (uint32_t handle : snapshot) {
        if (IsWindow(ToHwnd(handle)) && !callback(ToHwnd(handle), param)) {
            return FALSE;
        }
    }
    return TRUE;
}

BOOL EnumChildWindows(HWND parent, WNDENUMPROC callback, LPARAM param) {
    std::vector<uint32_t> snapshot;
    {
        auto& manager = Manager();
        std::lock_guard lock(manager.Mutex());
        auto root = manager.FindLocked(ValueOf(parent));
        if (!root) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
        std::vector<uint32_t> pending(root->children.rbegin(), root->children.rend());
        while (!pending.empty()) {
            uint32_t handle = pending.back();
            pending.pop_back();
            snapshot.push_back(handle);
            if (auto child = manager.FindLocked(handle)) {
                pending.insert(pending.end(), child->children.rbegin(), child->children.rend());
            }
        }
    }
    for (uint32_t handle : snapshot) {
        if (IsWindow(ToHwnd(handle)) && !callback(ToHwnd(handle), param)) {
            return FALSE;
        }
    }
    return TRUE;
}

int GetClassName(HWND window, LPSTR buffer, int size) {
    auto target = Manager().FindOrFail(window);
    if (!target) {
        return 0;
    }
    return CopyText(target->windowClass->name, buffer, size);
}

BOOL SetWindowText(HWND window, LPCSTR text) {
    if (!Manager().FindOrFail(window)) {
        return FALSE;
    }
    return SendMessage(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) != 0 ? TRUE : FALSE;
}

int GetWindowText(HWND window, LPSTR buffer, int size) {
    auto target = Manager().FindOrFail(window);
    if (!target || buffer == nullptr || size <= 0) {
        return 0;
    }
    {
        std::lock_guard lock(Manager().Mutex());
        if (target->thread != GetCurrentThreadId()) {
            // Another thread's window: read the title it keeps, without
            // waiting for that thread.
            return CopyText(target->title, buffer, size);
        }
    }
    return static_cast<int>(SendMessage(window, WM_GETTEXT, static_cast<WPARAM>(size),
                                        reinterpret_cast<LPARAM>(buffer)));
}

int GetWindowTextLength(HWND window) {
    auto target = Manager().FindOrFail(window);
    if (!target) {
        return 0;
    }
    {
        std::lock_guard lock(Manager().Mutex());
        if (target->thread != GetCurrentThreadId()) {
            return static_cast<int>(target->title.size());
        }
    }
    return static_cast<int>(SendMessage(window, WM_GETTEXTLENGTH, 0, 0));
}

HWND FindWindowEx(HWND parent, HWND childAfter, LPCSTR className, LPCSTR windowName) {
    auto& manager = Manager();
    std::lock_guard lock(manager.Mutex());
    const std::vector<uint32_t>* list = &manager.TopLevelLocked();
    if (parent != nullptr) {
        auto parentWindow = manager.FindLocked(ValueOf(parent));
        if (!parentWindow) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return nullptr;
        }
        list = &parentWindow->children;
    }
    auto it = list->begin();
    if (childAfter != nullptr) {
        it = std::find(list->begin(), list->end(), ValueOf(childAfter));
        if (it == list->end()) {
            return nullptr;
        }
        ++it;
    }
    for (; it != list->end(); ++it) {
        auto candidate = manager.FindLocked(*it);
        if (candidate && ClassMatches(*candidate->windowClass, className) &&
            (windowName == nullptr || EqualNoCase(candidate->title, windowName))) {
            return ToHwnd(candidate->handle);
        }
    }
    return nullptr;
}

HWND FindWindow(LPCSTR className, LPCSTR windowName) {
    return FindWindowEx(nullptr, nullptr, className, windowName);
}

namespace {

// Reads a window long and, with a new value, replaces it. width is the size
// of the value for byte offsets into the extra bytes.
bool AccessLong(Window& window, int index, size_t width, const LONG_PTR* newValue, LONG_PTR& old) {
    auto exchange = [&](auto& field) {
        old = static_cast<LONG_PTR>(field);
        if (newValue != nullptr) {
            field = static_cast<std::remove_reference_t<decltype(field)>>(*newValue);
        }
        return true;
    };
    switch (index) {
    case GWL_STYLE:
        return exchange(window.style);
    case GWL_EXSTYLE:
        return exchange(window.exStyle);
    case GWLP_USERDATA:
        return exchange(window.userData);
    case GWLP_ID:
        return exchange(window.id);
    case GWLP_WNDPROC:
        old = reinterpret_cast<LONG_PTR>(window.proc);
        if (newValue != nullptr) {
            window.proc = reinterpret_cast<WNDPROC>(*newValue);
        }
        return true;
    case GWLP_HINSTANCE:
        old = reinterpret_cast<LONG_PTR>(window.instance);
        if (newValue != nullptr) {
            window.instance = reinterpret_cast<HINSTANCE>(*newValue);
        }
        return true;
    case GWLP_HWNDPARENT:
        old = static_cast<LONG_PTR>(window.parent != 0 ? window.parent : window.owner);
        return newValue == nullptr;
    default:
        break;
    }
    if (index < 0 || static_cast<size_t>(index) + width > window.extra.size()) {
        return false;
    }
    unsigned char* bytes = window.extra.data() + index;
    if (width == sizeof(LONG)) {
        LONG value;
        std::memcpy(&value, bytes, sizeof value);
        old = value;
        if (newValue != nullptr) {
            value = static_cast<LONG>(*newValue);
            std::memcpy(bytes, &value, sizeof value);
        }
    } else {
        std::memcpy(&old, bytes, sizeof old);
        if (newValue != nullptr) {
            std::memcpy(bytes, newValue, sizeof *newValue);
        }
    }
    return true;
}

LONG_PTR WindowLong(HWND window, int index, size_t width, const LONG_PTR* newValue) {
    auto target = Manager().FindOrFail(window);
    if (!target) {
        return 0;
    }
    std::lock_guard lock(Manager().Mutex());
    LONG_PTR old = 0;
    if (!AccessLong(*target, index, width, newValue, old)) {
        SetLastError(ERROR_INVALID_INDEX);
        return 0;
    }
    return old;
}

} // namespace

LONG_PTR GetWindowLongPtr(HWND window, int index) {
    return WindowLong(window, index, sizeof(LONG_PTR), nullptr);
}
LONG_PTR SetWindowLongPtr(HWND window, int index, LONG_PTR value) {
    return WindowLong(window, index, sizeof(LONG_PTR), &value);
}
LONG GetWindowLong(HWND window, int index) {
    return static_cast<LONG>(WindowLong(window, index, sizeof(LONG), nullptr));
}
LONG SetWindowLong(HWND window, int index, LONG value) {
    LONG_PTR wide = value;
    return static_cast<LONG>(WindowLong(window, index, sizeof(LONG), &wide));
}

DWORD GetWindowThreadProcessId(HWND window, LPDWORD processId) {
    auto target = Manager().FindOrFail(window);
    if (!target) {
        return 0;
    }
    if (processId != nullptr) {
        *processId = GetCurrentProcessId();
    }
    std::lock_guard lock(Manager().Mutex());
    return target->thread;
}

LRESULT DefWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NCCREATE: {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        if (create != nullptr && create->lpszName != nullptr) {
            if (auto target = Manager().Find(window)) {
                std::lock_guard lock(Manager().Mutex());
                target->title = create->lpszName;
            }
        }
        return TRUE;
    }
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_SETTEXT: {
        auto target = Manager().Find(window);
        if (!target) {
            return FALSE;
        }
        std::lock_guard lock(Manager().Mutex());
        target->title = lParam != 0 ? reinterpret_cast<LPCSTR>(lParam) : "";
        return TRUE;
    }
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH: {
        auto target = Manager().Find(window);
        if (!target) {
            return 0;
        }
        std::lock_guard lock(Manager().Mutex());
        if (message == WM_GETTEXTLENGTH) {
            return static_cast<LRESULT>(target->title.size());
        }
        return CopyText(target->title, reinterpret_cast<LPSTR>(lParam), static_cast<int>(wParam));
    }
    default:
        return 0;
    }
}

LRESULT CallWindowProc(WNDPROC proc, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return proc != nullptr ? proc(window, message, wParam, lParam) : 0;
}

void InitCommonControls() {}
BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* init) {
    return init != nullptr ? TRUE : FALSE;
}
