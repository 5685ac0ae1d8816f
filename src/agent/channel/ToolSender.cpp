#include "agent/channel/ToolSender.h"

#include "agent/channel/CWebInfo.h"
#include "agent/channel/Trace.h"
#include "platform/win32/Windows.h"
#include "platform/xpcom/nsError.h"

#include <vector>

namespace {

// The encoding of the record, shrunk until it fits the channel: strings are
// trimmed to an equal share of the limit, and a record that is still too long
// is reduced to its header with E_FAIL.
std::vector<uint8_t> EncodeForTool(CWebInfo& record) {
    std::vector<uint8_t> encoding;
    if (record.Serialize(encoding) && encoding.size() <= kMaxRecordBytes) {
        return encoding;
    }
    if (size_t count = record.GetAttrCount(); count > 0) {
        record.TrimStrings(kMaxRecordBytes / count, TrimAs::Text);
        if (record.Serialize(encoding) && encoding.size() <= kMaxRecordBytes) {
            return encoding;
        }
    }
    record.ClearAttrs();
    record.SetRetValue(E_FAIL);
    if (!record.Serialize(encoding)) {
        encoding.clear();
    }
    return encoding;
}

} // namespace

bool SendRecordToTool(CWebInfo& record) {
    HWND receiver = FindWindow(kReceiverClass, kReceiverTitle);
    if (!receiver) {
        return false;
    }

    std::vector<uint8_t> encoding = EncodeForTool(record);
    if (encoding.empty()) {
        return true; // out of memory: the record is dropped like a failed send
    }

    if (TraceEnabled(kTraceMessages)) {
        Trace(kTraceMessages,
              FormatTraceLine("CMainSrvWin::PrivateSendMsg: Send MsgId=%d", record.GetMsgId()));
    }

    COPYDATASTRUCT block{};
    block.dwData = 0;
    block.cbData = static_cast<DWORD>(encoding.size());
    block.lpData = encoding.data();
    DWORD_PTR answer = 0;
    LRESULT sent = SendMessageTimeout(receiver, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&block),
                                      SMTO_NORMAL, kSendTimeoutMs, &answer);

    if (TraceEnabled(kTraceMessages)) {
        Trace(kTraceMessages,
              FormatTraceLine("CMainSrvWin::PrivateSendMsg: Return=%d", static_cast<int>(sent)));
    }
    return true;
}
