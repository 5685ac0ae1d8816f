#include "agent/model/CNS6StreamListener.h"

#include "platform/win32/WinBase.h"
#include "platform/xpcom/nsCOMPtr.h"
#include "platform/xpcom/nsXPCOM.h"
#include "platform/xpcom/shell/nsIEventQueueService.h"

#include <algorithm>
#include <array>
#include <span>

namespace {

// Running stream listener transfers; the transfer flag is "above zero".
int g_RunningTransfers = 0;

// A channel that never stops is cancelled after this long (past the
// networking's own 60-second limit), and then given a little while to stop.
constexpr DWORD kTransferLimitMs = 90'000;
constexpr DWORD kStopAfterCancelMs = 5'000;
// How long one wait for the thread's events may block.
constexpr PRUint32 kWaitSliceMs = 50;

} // namespace

// ---------------------------------------------------------------------------
// CNS6StreamListener

CNS6StreamListener::CNS6StreamListener(std::string_view fileName) : m_FileName(fileName) {
    ++g_RunningTransfers;
}

CNS6StreamListener::~CNS6StreamListener() {
    // A listener dropped before its channel stopped (the channel could not be
    // opened) must not leave the flag raised.
    EndTransfer(NS_BINDING_ABORTED);
}

void CNS6StreamListener::EndTransfer(nsresult result) {
    if (m_File) {
        // A file that cannot be flushed lost bytes: the save failed.
        if (!m_File->Close() && NS_SUCCEEDED(result)) {
            result = NS_ERROR_FAILURE;
        }
        m_File.reset();
    }
    if (m_Done) {
        return;
    }
    m_Done = true;
    m_Result = result;
    --g_RunningTransfers;
}

nsresult CNS6StreamListener::OnStartRequest(nsIRequest*, nsISupports*) {
    if (!m_Done && !m_File) {
        m_File = CrtFile::Open(m_FileName, "w+b");
    }
    return NS_OK;
}

nsresult CNS6StreamListener::OnDataAvailable(nsIRequest*, nsISupports*, nsIInputStream* input,
                                             PRUint32, PRUint32 count) {
    if (!m_File || input == nullptr) {
        EndTransfer(NS_ERROR_FAILURE);
        return NS_ERROR_FAILURE;
    }
    std::array<char, kImagePieceSize> piece{};
    while (count > 0) {
        PRUint32 read = 0;
        nsresult rv = input->Read(piece.data(), std::min<PRUint32>(count, kImagePieceSize), &read);
        // A stream that delivers less than it announced would otherwise keep
        // this loop going for ever.
        if (NS_SUCCEEDED(rv) && read == 0) {
            rv = NS_ERROR_FAILURE;
        }
        if (NS_FAILED(rv)) {
            EndTransfer(rv);
            return rv;
        }
        auto bytes = std::as_bytes(std::span(piece.data(), read));
        if (m_File->Write(bytes) != read) {
            EndTransfer(NS_ERROR_FAILURE);
            return NS_ERROR_FAILURE;
        }
        ++m_Pieces;
        count -= read;
    }
    return NS_OK;
}

nsresult CNS6StreamListener::OnStopRequest(nsIRequest* request, nsISupports*, nsresult status) {
    nsresult result = status;
    if (NS_SUCCEEDED(result) && !m_File) {
        // Also an empty body needs the file it is saved in.
        result = NS_ERROR_FAILURE;
    }
    nsCOMPtr<nsIHttpChannel> http = do_QueryInterface(request);
    PRUint32 responseStatus = 0;
    if (NS_SUCCEEDED(result) && http && NS_SUCCEEDED(http->GetResponseStatus(&responseStatus)) &&
        IsHttpErrorStatus(responseStatus)) {
        result = NS_ERROR_FILE_NOT_FOUND;
    }
    EndTransfer(result);
    return NS_OK;
}

bool IsImageTransferRunning() {
    return g_RunningTransfers > 0;
}

// ---------------------------------------------------------------------------
// Through the browser's channels

nsresult SaveUrlToFile(std::string_view url, std::string_view fileName) {
    nsresult rv = NS_OK;
    nsCOMPtr<nsIEventQueueService> queues = do_GetService(NS_EVENTQUEUESERVICE_CID, &rv);
    if (!queues) {
        return NS_FAILED(rv) ? rv : NS_ERROR_NOT_AVAILABLE;
    }
    rv = queues->CreateThreadEventQueue();
    if (NS_FAILED(rv)) {
        return rv;
    }
    nsCOMPtr<nsIEventQueue> queue;
    rv = queues->GetThreadEventQueue(NS_CURRENT_THREAD, getter_AddRefs(queue));
    if (NS_FAILED(rv) || !queue) {
        return NS_FAILED(rv) ? rv : NS_ERROR_NOT_AVAILABLE;
    }

    nsCOMPtr<CNS6StreamListener> listener(new CNS6StreamListener(fileName));
    nsCOMPtr<nsIIOService> io = do_GetService(NS_IOSERVICE_CONTRACTID, &rv);
    if (!io) {
        return NS_FAILED(rv) ? rv : NS_ERROR_NOT_AVAILABLE;
    }
    nsCOMPtr<nsIURI> uri;
    rv = io->NewURI(std::string(url), nullptr, getter_AddRefs(uri));
    if (NS_FAILED(rv) || !uri) {
        return NS_FAILED(rv) ? rv : NS_ERROR_MALFORMED_URI;
    }
    nsCOMPtr<nsIChannel> channel;
    rv = io->NewChannelFromURI(uri, getter_AddRefs(channel));
    if (NS_FAILED(rv) || !channel) {
        return NS_FAILED(rv) ? rv : NS_ERROR_UNKNOWN_PROTOCOL;
    }
    rv = channel->AsyncOpen(listener, nullptr);
    if (NS_FAILED(rv)) {
        return rv;
    }

    // Waits for this transfer's own end, not for the shared flag: a save
    // started by a request handled while this one waits must not end this
    // wait before this file is complete.
    DWORD start = GetTickCount();
    bool cancelled = false;
    while (!listener->IsDone()) {
        queue->WaitAndProcess(kWaitSliceMs);
        DWORD elapsed = GetTickCount() - start;
        if (!cancelled && elapsed > kTransferLimitMs) {
            channel->Cancel(NS_BINDING_ABORTED);
            cancelled = true;
        } else if (cancelled && elapsed > kTransferLimitMs + kStopAfterCancelMs) {
            return NS_BINDING_ABORTED;
        }
    }
    return listener->GetResult();
}
