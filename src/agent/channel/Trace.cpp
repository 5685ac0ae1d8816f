#include "agent/channel/Trace.h"

#include "platform/win32/Windows.h"

#include <array>
#include <cstdarg>
#include <cstdio>

namespace {

int32_t g_traceMask = kInitialTraceMask;
int32_t g_traceFileSwitch = 0;

void AppendToTraceFile(std::string_view line) {
    auto file = CrtFile::Open(kTraceFileName, "a+");
    if (!file) {
        return; // a file that cannot be opened loses the line
    }
    std::string text(line);
    text += '\n';
    file->Write(text);
    file->Close();
}

void SendToViewer(HWND viewer, int32_t category, std::string_view line) {
    std::array<char, kMaxTraceLine + 1> buffer{};
    line.copy(buffer.data(), kMaxTraceLine);
    DWORD_PTR ignored = 0;
    SendMessageTimeout(viewer, WM_SETTEXT, static_cast<WPARAM>(static_cast<uint32_t>(category)),
                       reinterpret_cast<LPARAM>(buffer.data()), SMTO_NORMAL, kTraceSendTimeoutMs,
                       &ignored);
}

} // namespace

std::string_view TraceCategoryName(int32_t category) {
#define WEBAGENT_TRACE_CATEGORY_CASE(bit, name)                                                    \
    case bit:                                                                                      \
        return name;
    switch (category) { WEBAGENT_ENUMERATE_TRACE_CATEGORIES(WEBAGENT_TRACE_CATEGORY_CASE) }
#undef WEBAGENT_TRACE_CATEGORY_CASE
    return {};
}

int32_t GetTraceMask() {
    return g_traceMask;
}
void SetTraceMask(int32_t mask) {
    g_traceMask = mask;
}
int32_t GetTraceFileSwitch() {
    return g_traceFileSwitch;
}
void SetTraceFileSwitch(int32_t fileSwitch) {
    g_traceFileSwitch = fileSwitch;
}

bool TraceEnabled(int32_t category) {
    return (g_traceMask & category) != 0;
}

void Trace(int32_t category, std::string_view text) {
    HWND viewer = FindWindow(kTraceViewerClass, nullptr);
    if (!viewer) {
        // Nobody is listening: stop building trace lines until the tool asks
        // again with a new mask.
        g_traceMask = 0;
        return;
    }
    std::string_view line = text.substr(0, kMaxTraceLine);
    if (g_traceFileSwitch != 0) {
        AppendToTraceFile(line);
    } else {
        SendToViewer(viewer, category, line);
    }
}

std::string FormatTraceLine(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string text;
    if (length > 0) {
        text.resize(static_cast<size_t>(length));
        std::vsnprintf(text.data(), text.size() + 1, format, args);
    }
    va_end(args);
    return text;
}
