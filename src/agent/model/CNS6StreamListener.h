// Saving the image behind a URL to a file through the browser's own
// networking, so that the bytes come from the browser's cache and session:
//
//     SaveUrlToFile("http://127.0.0.1:8080/logo.gif", "c:\\temp\\logo.gif");
//
// It opens a channel with a CNS6StreamListener that writes the body to the
// file, and pumps the thread's event queue until the transfer ends, so the
// browser stays responsive meanwhile. The browser object's
// "SaveImgContentToFile" uses it. Success only when every byte reached the
// file: a transfer that fails, is cut short, answers an HTTP error status or
// cannot write its file is a failure. User-interface thread only.
#pragma once

#include "platform/win32/CrtFile.h"
#include "platform/xpcom/shell/nsINetwork.h"

#include <optional>
#include <string>
#include <string_view>

// Bytes a stream listener copies from its input stream at a time.
inline constexpr PRUint32 kImagePieceSize = 256;

// Writes the bytes of one channel to a file. Made for one transfer: the
// process-wide transfer flag is raised while it runs.
class CNS6StreamListener final : public nsSupportsImpl<CNS6StreamListener, nsIStreamListener> {
public:
    explicit CNS6StreamListener(std::string_view fileName);

    // Opens (creates or truncates) the file; a file that cannot be opened
    // makes the first piece of data fail, which cancels the channel.
    nsresult OnStartRequest(nsIRequest* request, nsISupports* context) override;
    // Ends the transfer: closes the file and keeps the outcome.
    nsresult OnStopRequest(nsIRequest* request, nsISupports* context, nsresult status) override;
    // Copies `count` bytes in pieces of kImagePieceSize; answers a failure
    // (cancelling the channel) when the file is not open, the stream fails or
    // runs dry early, or the file takes fewer bytes than given.
    nsresult OnDataAvailable(nsIRequest* request, nsISupports* context, nsIInputStream* input,
                             PRUint32 offset, PRUint32 count) override;

    // Whether the transfer has ended, by a stop or by refused data.
    bool IsDone() const { return m_Done; }
    // NS_OK when the whole body reached the file; else why it did not.
    // Meaningful once IsDone().
    nsresult GetResult() const { return m_Result; }
    // Pieces written so far (for tests of the piece size).
    int GetPieceCount() const { return m_Pieces; }

private:
    friend class nsSupportsImpl<CNS6StreamListener, nsIStreamListener>;
    ~CNS6StreamListener() override;

    // Closes the file, records the first failure and lowers the flag once.
    void EndTransfer(nsresult result);

    std::string m_FileName;
    std::optional<CrtFile> m_File; // open between the start and the end of the transfer
    nsresult m_Result = NS_OK;
    bool m_Done = false;
    int m_Pieces = 0;
};

// The process-wide transfer flag: set while any stream listener's transfer
// runs.
bool IsImageTransferRunning();

// Fetches `url` through the browser's networking into `fileName` and returns
// when the transfer has ended (or, if the channel does not end it, after a
// time limit, with NS_BINDING_ABORTED). NS_OK only when every byte was
// written; otherwise the failure: the event queue or networking could not be
// reached, the address could not be opened, the transfer failed or answered
// an HTTP error status, or the file could not be written.
nsresult SaveUrlToFile(std::string_view url, std::string_view fileName);

// Whether an HTTP status code answers with an error page rather than the
// resource (400 and above).
constexpr bool IsHttpErrorStatus(PRUint32 status) {
    return status >= 400;
}
