// The agent's trace channel: one line at a time, filtered by a process-wide
// category mask, sent to the tool's trace viewer window or appended to a file.
//
//     if (TraceEnabled(kTraceMessages))
//         Trace(kTraceMessages, FormatTraceLine("begin: MsgId=%d", id));
//
// The tool sets the mask and the file switch at run time (message 29). The
// mask and the switch are plain integers: all tracing happens on the browser's
// user-interface thread.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// X(bit, name): the categories as the tool's trace viewer names them.
#define WEBAGENT_ENUMERATE_TRACE_CATEGORIES(X)                                                     \
    X(0x1, "Error")                                                                                \
    X(0x2, "Browser Creation")                                                                     \
    X(0x4, "Page Creation")                                                                        \
    X(0x8, "Frame Creation")                                                                       \
    X(0x10, "Object Creation")                                                                     \
    X(0x20, "BuildLayoutTree")                                                                     \
    X(0x40, "Element Connection")                                                                  \
    X(0x80, "Send Event")                                                                          \
    X(0x100, "Description")                                                                        \
    X(0x200, "Syncronization")                                                                     \
    X(0x400, "Messages")                                                                           \
    X(0x800, "Accesibility")                                                                       \
    X(0x1000, "Dummy")                                                                             \
    X(0x2000, "Dummy")                                                                             \
    X(0x4000, "Dummy")                                                                             \
    X(0x8000, "Dummy")

// The categories this agent writes.
inline constexpr int32_t kTraceDescription = 0x100;
inline constexpr int32_t kTraceMessages = 0x400;

// The mask the agent starts with; it holds none of the categories above, so
// nothing is traced until the tool asks for it.
inline constexpr int32_t kInitialTraceMask = 0xF;

// Class of the tool's trace viewer window (any title).
inline constexpr const char* kTraceViewerClass = "web_tracing_window_name";
// Where lines go in file mode (a Windows name, mapped by the desktop stand-in).
inline constexpr const char* kTraceFileName = "c:\\temp\\TraceInformation.txt";
// Longest line that reaches the viewer or the file.
inline constexpr size_t kMaxTraceLine = 511;
// How long the viewer may take for one line.
inline constexpr unsigned kTraceSendTimeoutMs = 3000;

// The viewer's name of a category bit ("Messages"), or "" for a value that is
// not a single known bit.
std::string_view TraceCategoryName(int32_t category);

int32_t GetTraceMask();
void SetTraceMask(int32_t mask);
int32_t GetTraceFileSwitch();
void SetTraceFileSwitch(int32_t fileSwitch);

// Whether the category bit is set in the mask.
bool TraceEnabled(int32_t category);

// Writes one line (cut to its first 511 characters). Without a viewer window
// the mask drops to 0 and nothing is written, in file mode too.
void Trace(int32_t category, std::string_view text);

// printf-style formatting of a trace line.
std::string FormatTraceLine(const char* format, ...) __attribute__((format(printf, 1, 2)));
