// What tests can see of the desktop stand-in: the message-box log, the
// debugger output, the state of tool-tip controls and the file-name root.
#pragma once

#include "platform/win32/Windows.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace win32::testing {

struct MessageBoxCall {
    HWND owner;
    std::string text;
    std::string caption;
    UINT type;
};

std::vector<MessageBoxCall> MessageBoxLog();
void ClearMessageBoxLog();
// The answer of every later MessageBox (IDOK at start).
void SetMessageBoxAnswer(int answer);

// The debugger output of the process: its latest kDebugOutputLines lines.
inline constexpr size_t kDebugOutputLines = 10000;
std::vector<std::string> DebugOutputLog();
void ClearDebugOutputLog();

struct ToolTipTool {
    UINT flags;
    HWND window;
    UINT_PTR id;
    RECT rect;
    std::string text;
    LPARAM lParam;
};

struct ToolTipState {
    bool active;
    int autoPopMs;
    int initialMs;
    int reshowMs;
    COLORREF backgroundColor;
    COLORREF textColor;
    int maxTipWidth;
    std::vector<ToolTipTool> tools;
    int relayedCount;
    std::optional<MSG> lastRelayed;
    // The text shown by the last relayed mouse message, if any.
    std::optional<std::string> shownText;
};

// The state of a tool-tip control, nothing for another or a dead window.
std::optional<ToolTipState> GetToolTipState(HWND toolTip);

// The root folder of Windows-style file names (see CrtFile.h); created when
// missing, with c/ and c/temp/ inside.
void SetFileRoot(std::string_view hostFolder);
std::string FileRoot();

// The screen's size as GetSystemMetrics reports it (1280 x 1024 at start).
void SetScreenSize(int width, int height);

} // namespace win32::testing
