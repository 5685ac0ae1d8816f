// Waiting on kernel objects, with or without the thread's message queue.
#pragma once

#include "platform/win32/WinDef.h"

#include <span>

namespace win32::internal {

enum class WithMessages { No, Yes };

// The common core of WaitForMultipleObjects and MsgWaitForMultipleObjects.
DWORD WaitForObjects(std::span<const HANDLE> handles, bool waitAll, DWORD timeoutMs,
                     WithMessages messages, DWORD wakeMask);

} // namespace win32::internal
