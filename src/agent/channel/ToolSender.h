// Delivery of records to the test tool's receiver window. Used for replies,
// the connection announcement, navigation notices and recorded statements.
//
//     CWebInfo reply = ...;
//     SendRecordToTool(reply); // may shrink the record to fit the channel
#pragma once

#include <cstddef>

class CWebInfo;

// The tool's receiver window, looked up for every record sent.
inline constexpr const char* kReceiverClass = "NachasZefa";
inline constexpr const char* kReceiverTitle = "KoteretLakoachNachasZefa";
// The largest encoding the tool accepts in one WM_COPYDATA message.
inline constexpr size_t kMaxRecordBytes = 65000;
inline constexpr unsigned kSendTimeoutMs = 60000;

// Encodes the record and sends it with WM_COPYDATA to the receiver window.
// A record whose encoding exceeds kMaxRecordBytes has its strings trimmed
// first (each attribute to an equal share of the room its header, names and
// numbers leave), and if that is not enough loses its attributes and gets
// E_FAIL, so
// the caller's record may change. While the send is outstanding, messages sent
// to this thread's windows are handled (nested requests). False only when the
// receiver window does not exist; a failed or timed-out send is not reported.
bool SendRecordToTool(CWebInfo& record);
