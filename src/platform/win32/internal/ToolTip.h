// The tool-tip control's state, kept per control window.
#pragma once

#include "platform/win32/Testing.h"

#include <optional>

namespace win32::internal {

std::optional<win32::testing::ToolTipState> ToolTipStateOf(HWND toolTip);

} // namespace win32::internal
