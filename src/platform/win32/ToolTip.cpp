// The common tool-tip control: tools, delay times, colours, activation and
// relayed mouse messages.
#include "platform/win32/internal/ToolTip.h"

#include "platform/win32/CommCtrl.h"
#include "platform/win32/internal/Handles.h"
#include "platform/win32/internal/Window.h"

#include <algorithm>
#include <map>
#include <mutex>

namespace win32::internal {
namespace {

using win32::testing::ToolTipState;
using win32::testing::ToolTipTool;

// The original platform's defaults: a double-click time of 500 ms gives an
// initial delay of 500, a reshow of 100 and an automatic pop of 5000.
constexpr int kDefaultInitialMs = 500;
constexpr COLORREF kDefaultBackground = 0x00E1FFFF; // info background
constexpr COLORREF kDefaultText = 0x00000000;

struct ToolTips {
    std::mutex mutex;
    std::map<uint32_t, ToolTipState> controls;
};

ToolTips& Controls() {
    return Immortal<ToolTips>();
}

ToolTipState NewState() {
    ToolTipState state{};
    state.active = true;
    state.autoPopMs = kDefaultInitialMs * 10;
    state.initialMs = kDefaultInitialMs;
    state.reshowMs = kDefaultInitialMs / 5;
    state.backgroundColor = kDefaultBackground;
    state.textColor = kDefaultText;
    state.maxTipWidth = -1;
    return state;
}

bool IsValidInfo(const TOOLINFOA* info) {
    return info != nullptr && info->cbSize >= TTTOOLINFOA_V1_SIZE;
}

bool SameTool(const ToolTipTool& tool, const TOOLINFOA& info) {
    return tool.window == info.hwnd && tool.id == info.uId;
}

std::string TextOf(const TOOLINFOA& info) {
    if (info.lpszText == nullptr || info.lpszText == LPSTR_TEXTCALLBACKA) {
        return {};
    }
    if (IS_INTRESOURCE(info.lpszText)) {
        char buffer[1024];
        int length =
            LoadString(info.hinst, static_cast<UINT>(reinterpret_cast<uintptr_t>(info.lpszText)),
                       buffer, sizeof buffer);
        return std::string(buffer, static_cast<size_t>(length));
    }
    return info.lpszText;
}

ToolTipTool ToolFrom(const TOOLINFOA& info) {
    bool hasParam = info.cbSize >= offsetof(TOOLINFOA, lpReserved);
    return ToolTipTool{info.uFlags, info.hwnd,    info.uId,
                       info.rect,   TextOf(info), hasParam ? info.lParam : 0};
}

// Whether a mouse message relayed for window at a client point falls on the
// tool.
bool IsOver(const ToolTipTool& tool, const MSG& msg) {
    if ((tool.flags & TTF_IDISHWND) != 0) {
        return msg.hwnd == reinterpret_cast<HWND>(tool.id);
    }
    if (msg.hwnd != tool.window) {
        return false;
    }
    POINT point{GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)};
    return point.x >= tool.rect.left && point.x < tool.rect.right && point.y >= tool.rect.top &&
           point.y < tool.rect.bottom;
}

void Relay(ToolTipState& state, const MSG& msg) {
    ++state.relayedCount;
    state.lastRelayed = msg;
    if (msg.message < WM_MOUSEFIRST || msg.message > WM_MOUSELAST) {
        return;
    }
    state.shownText.reset();
    if (!state.active) {
        return;
    }
    auto it = std::find_if(state.tools.begin(), state.tools.end(),
                           [&](const ToolTipTool& tool) { return IsOver(tool, msg); });
    if (it != state.tools.end()) {
        state.shownText = it->text;
    }
}

int& DelayOf(ToolTipState& state, WPARAM which) {
    switch (which) {
    case TTDT_RESHOW:
        return state.reshowMs;
    case TTDT_INITIAL:
        return state.initialMs;
    default:
        return state.autoPopMs;
    }
}

LRESULT Handle(ToolTipState& state, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* info = reinterpret_cast<TOOLINFOA*>(lParam);
    auto findTool = [&]() {
        return std::find_if(state.tools.begin(), state.tools.end(),
                            [&](const ToolTipTool& tool) { return SameTool(tool, *info); });
    };
    switch (message) {
    case TTM_ACTIVATE:
        state.active = wParam != 0;
        if (!state.active) {
            state.shownText.reset();
        }
        return 0;
    case TTM_SETDELAYTIME: {
        int value = static_cast<SHORT>(LOWORD(static_cast<DWORD_PTR>(lParam)));
        if (wParam == TTDT_AUTOMATIC) {
            int initial = value < 0 ? kDefaultInitialMs : value;
            state.initialMs = initial;
            state.autoPopMs = initial * 10;
            state.reshowMs = initial / 5;
        } else {
            DelayOf(state, wParam) = value < 0 ? kDefaultInitialMs : value;
        }
        return 0;
    }
    case TTM_GETDELAYTIME:
        return DelayOf(state, wParam);
    case TTM_ADDTOOLA:
        if (!IsValidInfo(info)) {
            return FALSE;
        }
        if (auto it = findTool(); it != state.tools.end()) {
            *it = ToolFrom(*info);
        } else {
            state.tools.push_back(ToolFrom(*info));
        }
        return TRUE;
    case TTM_DELTOOLA:
        if (IsValidInfo(info)) {
            if (auto it = findTool(); it != state.tools.end()) {
                state.tools.erase(it);
            }
        }
        return 0;
    case TTM_UPDATETIPTEXTA:
        if (IsValidInfo(info)) {
            if (auto it = findTool(); it != state.tools.end()) {
                it->text = TextOf(*info);
                if (state.shownText) {
                    state.shownText = it->text;
                }
            }
        }
        return 0;
    case TTM_NEWTOOLRECTA:
        if (IsValidInfo(info)) {
            if (auto it = findTool(); it != state.tools.end()) {
                it->rect = info->rect;
            }
        }
        return 0;
    case TTM_GETTOOLINFOA:
    case TTM_GETTEXTA: {
        if (!IsValidInfo(info)) {
            return FALSE;
        }
        auto it = findTool();
        if (it == state.tools.end()) {
            return FALSE;
        }
        if (message == TTM_GETTOOLINFOA) {
            info->uFlags = it->flags;
            info->rect = it->rect;
        }
        if (info->lpszText != nullptr && !IS_INTRESOURCE(info->lpszText) &&
            info->lpszText != LPSTR_TEXTCALLBACKA) {
            // The caller's buffer holds at least 80 characters, as documented
            // for the original control.
            size_t length = std::min<size_t>(it->text.size(), 79);
            std::copy_n(it->text.data(), length, info->lpszText);
            info->lpszText[length] = '\0';
        }
        return TRUE;
    }
    case TTM_GETTOOLCOUNT:
        return static_cast<LRESULT>(state.tools.size());
    case TTM_SETTIPBKCOLOR:
        state.backgroundColor = static_cast<COLORREF>(wParam);
        return 0;
    case TTM_SETTIPTEXTCOLOR:
        state.textColor = static_cast<COLORREF>(wParam);
        return 0;
    case TTM_GETTIPBKCOLOR:
        return state.backgroundColor;
    case TTM_GETTIPTEXTCOLOR:
        return state.textColor;
    case TTM_SETMAXTIPWIDTH: {
        int previous = state.maxTipWidth;
        state.maxTipWidth = static_cast<int>(lParam);
        return previous;
    }
    case TTM_GETMAXTIPWIDTH:
        return state.maxTipWidth;
    case TTM_RELAYEVENT:
        if (lParam != 0) {
            Relay(state, *reinterpret_cast<const MSG*>(lParam));
        }
        return 0;
    case TTM_POP:
        state.shownText.reset();
        return 0;
    default:
        return 0;
    }
}

} // namespace

LRESULT ToolTipProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto& controls = Controls();
    uint32_t key = ValueOf(window);
    if (message == WM_CREATE) {
        std::lock_guard lock(controls.mutex);
        controls.controls[key] = NewState();
        return 0;
    }
    if (message == WM_NCDESTROY) {
        std::lock_guard lock(controls.mutex);
        controls.controls.erase(key);
        return 0;
    }
    if (message >= WM_USER && message < WM_USER + 0x100) {
        // The state is copied out for the text lookup of LoadString, which
        // takes no tool-tip lock; messages reach a control on its own thread
        // only, so nothing changes it meanwhile.
        ToolTipState state;
        {
            std::lock_guard lock(controls.mutex);
            auto it = controls.controls.find(key);
            if (it == controls.controls.end()) {
                return 0;
            }
            state = it->second;
        }
        LRESULT result = Handle(state, message, wParam, lParam);
        std::lock_guard lock(controls.mutex);
        if (auto it = controls.controls.find(key); it != controls.controls.end()) {
            it->second = std::move(state);
        }
        return result;
    }
    return DefWindowProc(window, message, wParam, lParam);
}

std::optional<win32::testing::ToolTipState> ToolTipStateOf(HWND toolTip) {
    auto& controls = Controls();
    std::lock_guard lock(controls.mutex);
    auto it = controls.controls.find(ValueOf(toolTip));
    if (it == controls.controls.end()) {
        return std::nullopt;
    }
    if (!IsWindow(toolTip)) {
        // Dropped with the thread that owned it, without WM_NCDESTROY.
        controls.controls.erase(it);
        return std::nullopt;
    }
    return it->second;
}

} // namespace win32::internal
