#include "agent/channel/ToolSender.h"

#include "agent/channel/CWebInfo.h"
#include "agent/channel/Trace.h"
#include "platform/win32/Windows.h"
#include "platform/xpcom/nsError.h"

#include <algorithm>
#include <vector>

namespace {

// The bytes of the encoding that are not string characters: header, names,
// block lengths, types and each string's terminating NUL.
size_t BytesBesidesStrings(const CWebInfo& record, size_t encodedSize) {
    size_t characters = 0;
    for (const CAttrPair& attr : record.Attrs()) {
        for (const CWebVariant& value : attr.GetValue().Elements()) {
            if (value.GetType() == WebVariantType::String)
                characters += value.GetString().size();
        }
    }
    return encodedSize - characters;
}

size_t StringCount(const CWebVariantList& list) {
    return static_cast<size_t>(
        std::count_if(list.Elements().begin(), list.Elements().end(), [](const CWebVariant& value) {
            return value.GetType() == WebVariantType::String;
        }));
}

// The encoding of the record, shrunk until it fits the channel: every
// attribute gets an equal share of the room the record's own bytes leave, and
// the strings of an attribute split its share. A record that does not fit even
// with its strings emptied is reduced to its header with E_FAIL.
//
// NOTE: the share is taken from the room left after the record's own bytes,
// not from the whole limit: a single long property cut to the whole limit
// could never fit once its header and name were added, and would fail instead
// of being sent cut.
std::vector<uint8_t> EncodeForTool(CWebInfo& record) {
    std::vector<uint8_t> encoding;
    if (record.Serialize(encoding) && encoding.size() <= kMaxRecordBytes)
        return encoding;
    if (const size_t count = record.GetAttrCount(); count > 0 && !encoding.empty()) {
        const size_t fixed = BytesBesidesStrings(record, encoding.size());
        if (fixed <= kMaxRecordBytes) {
            const size_t share = (kMaxRecordBytes - fixed) / count;
            for (size_t i = 0; i < count; ++i) {
                CWebVariantList& value = *record.GetAttrValue(i);
                if (const size_t strings = StringCount(value); strings > 0)
                    value.TrimStrings(share / strings, TrimAs::Text);
            }
            if (record.Serialize(encoding) && encoding.size() <= kMaxRecordBytes)
                return encoding;
        }
    }
    record.ClearAttrs();
    record.SetRetValue(E_FAIL);
    if (!record.Serialize(encoding))
        encoding.clear();
    return encoding;
}

} // namespace

bool SendRecordToTool(CWebInfo& record) {
    HWND receiver = FindWindow(kReceiverClass, kReceiverTitle);
    if (!receiver)
        return false;

    std::vector<uint8_t> encoding = EncodeForTool(record);
    if (encoding.empty())
        return true; // out of memory: the record is dropped like a failed send

    if (TraceEnabled(kTraceMessages))
        Trace(kTraceMessages,
              FormatTraceLine("CMainSrvWin::PrivateSendMsg: Send MsgId=%d", record.GetMsgId()));

    COPYDATASTRUCT block{};
    block.dwData = 0;
    block.cbData = static_cast<DWORD>(encoding.size());
    block.lpData = encoding.data();
    DWORD_PTR answer = 0;
    LRESULT sent = SendMessageTimeout(receiver, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&block),
                                      SMTO_NORMAL, kSendTimeoutMs, &answer);

    if (TraceEnabled(kTraceMessages))
        Trace(kTraceMessages,
              FormatTraceLine("CMainSrvWin::PrivateSendMsg: Return=%d", static_cast<int>(sent)));
    return true;
}
