// Message boxes, string tables, debugger output, and what tests read of them.
#include "platform/win32/StringTable.h"
#include "platform/win32/Testing.h"
#include "platform/win32/WinBase.h"
#include "platform/win32/WinUser.h"
#include "platform/win32/internal/Handles.h"
#include "platform/win32/internal/ToolTip.h"
#include "platform/win32/internal/Window.h"

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <map>
#include <mutex>

using namespace win32::internal;

namespace {

struct DialogState {
    std::mutex mutex;
    std::vector<win32::testing::MessageBoxCall> messageBoxes;
    int answer = IDOK;
    std::deque<std::string> debugOutput;
    // module handle value (0: the program) -> id -> text
    std::map<uint32_t, std::map<UINT, std::string>> strings;
};

DialogState& State() {
    return Immortal<DialogState>();
}

uint32_t ModuleKey(HINSTANCE instance) {
    // The program's own handle and a null instance name the same table.
    return instance == nullptr || instance == GetModuleHandle(nullptr) ? 0 : ValueOf(instance);
}

} // namespace

int MessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    auto& state = State();
    std::lock_guard lock(state.mutex);
    state.messageBoxes.push_back(
        {owner, text != nullptr ? text : "", caption != nullptr ? caption : "Error", type});
    return state.answer;
}

void SetModuleStringTable(HINSTANCE instance, std::span<const StringTableEntry> entries) {
    uint32_t key = ModuleKey(instance);
    auto& state = State();
    std::lock_guard lock(state.mutex);
    auto& table = state.strings[key];
    table.clear();
    for (const auto& entry : entries) {
        table[entry.id] = std::string(entry.text);
    }
}

int LoadString(HINSTANCE instance, UINT id, LPSTR buffer, int size) {
    if (buffer == nullptr || size <= 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    uint32_t key = ModuleKey(instance);
    auto& state = State();
    std::lock_guard lock(state.mutex);
    auto table = state.strings.find(key);
    if (table == state.strings.end() || table->second.count(id) == 0) {
        buffer[0] = '\0';
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return 0;
    }
    const std::string& text = table->second[id];
    size_t length = std::min(text.size(), static_cast<size_t>(size - 1));
    text.copy(buffer, length);
    buffer[length] = '\0';
    return static_cast<int>(length);
}

void OutputDebugStringA(LPCSTR text) {
    std::string line = text != nullptr ? text : "";
    static const bool echo = std::getenv("WEBAGENT_DEBUG_OUTPUT") != nullptr;
    if (echo) {
        std::fputs(line.c_str(), stderr);
    }
    auto& state = State();
    std::lock_guard lock(state.mutex);
    state.debugOutput.push_back(std::move(line));
    // A debugger shows a window of recent output; the process must not keep
    // every line of a long session.
    if (state.debugOutput.size() > win32::testing::kDebugOutputLines) {
        state.debugOutput.pop_front();
    }
}

namespace win32::testing {

std::vector<MessageBoxCall> MessageBoxLog() {
    auto& state = State();
    std::lock_guard lock(state.mutex);
    return state.messageBoxes;
}

void ClearMessageBoxLog() {
    auto& state = State();
    std::lock_guard lock(state.mutex);
    state.messageBoxes.clear();
}

void SetMessageBoxAnswer(int answer) {
    auto& state = State();
    std::lock_guard lock(state.mutex);
    state.answer = answer;
}

std::vector<std::string> DebugOutputLog() {
    auto& state = State();
    std::lock_guard lock(state.mutex);
    return {state.debugOutput.begin(), state.debugOutput.end()};
}

void ClearDebugOutputLog() {
    auto& state = State();
    std::lock_guard lock(state.mutex);
    state.debugOutput.clear();
}

std::optional<ToolTipState> GetToolTipState(HWND toolTip) {
    return ToolTipStateOf(toolTip);
}

void SetScreenSize(int width, int height) {
    auto& manager = WindowManager::Get();
    std::lock_guard lock(manager.Mutex());
    manager.m_screenWidth = width;
    manager.m_screenHeight = height;
}

} // namespace win32::testing
