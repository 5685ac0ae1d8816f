#include "platform/browser/shell/EventQueue.h"
#include "platform/browser/shell/Network.h"
#include "platform/browser/shell/internal/NetworkInternal.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <thread>

namespace browser {
namespace {

// ---------------------------------------------------------------------------
// Streams

class StringInputStream final : public nsSupportsImpl<StringInputStream, nsIInputStream> {
public:
    explicit StringInputStream(std::string data) : m_data(std::move(data)) {}

    nsresult Available(PRUint32* result) override {
        if (!result)
            return NS_ERROR_NULL_POINTER;
        *result = static_cast<PRUint32>(m_data.size() - m_offset);
        return NS_OK;
    }
    nsresult Read(char* buffer, PRUint32 count, PRUint32* read) override {
        if (!read || (!buffer && count > 0))
            return NS_ERROR_NULL_POINTER;
        size_t n = std::min<size_t>(count, m_data.size() - m_offset);
        if (n > 0)
            std::memcpy(buffer, m_data.data() + m_offset, n);
        m_offset += n;
        *read = static_cast<PRUint32>(n);
        return NS_OK;
    }
    nsresult Close() override {
        m_offset = m_data.size();
        return NS_OK;
    }

private:
    std::string m_data;
    size_t m_offset = 0;
};

// ---------------------------------------------------------------------------
// Channels

// Bodies are handed to listeners in pieces of this size.
constexpr size_t kPieceSize = 16 * 1024;

bool IsHttp(const URIParts& parts) {
    return parts.scheme == "http" || parts.scheme == "https";
}

bool IsKnownScheme(const std::string& scheme) {
    return scheme == "file" || scheme == "data" || scheme == "chrome" || scheme == "about" ||
           scheme == "http" || scheme == "https";
}

// One channel for every scheme: local sources are read when the transfer
// starts (on the owning thread, from its event queue); http: is read on a
// worker thread whose pieces are posted back to the owning thread's queue.
class Channel final : public nsSupportsImpl<Channel, nsIHttpChannel> {
public:
    explicit Channel(nsCOMPtr<nsIURI> uri, URIParts parts)
        : m_uri(std::move(uri)), m_parts(std::move(parts)) {}

    // nsIRequest
    nsresult GetName(nsACString& name) override {
        name = m_parts.Spec();
        return NS_OK;
    }
    nsresult IsPending(PRBool* result) override {
        if (!result)
            return NS_ERROR_NULL_POINTER;
        *result = m_pending ? PR_TRUE : PR_FALSE;
        return NS_OK;
    }
    nsresult GetStatus(nsresult* status) override {
        if (!status)
            return NS_ERROR_NULL_POINTER;
        *status = m_status;
        return NS_OK;
    }
    nsresult Cancel(nsresult status) override {
        if (NS_SUCCEEDED(status))
            return NS_ERROR_INVALID_ARG;
        if (NS_SUCCEEDED(m_status))
            m_status = status;
        m_cancelled->store(true);
        return NS_OK;
    }

    // nsIChannel
    nsresult GetURI(nsIURI** result) override {
        if (!result)
            return NS_ERROR_NULL_POINTER;
        m_uri.CopyTo(result);
        return NS_OK;
    }
    nsresult GetContentType(nsACString& type) override {
        type = m_contentType;
        return NS_OK;
    }

    // nsIHttpChannel
    nsresult GetResponseStatus(PRUint32* status) override {
        if (!status)
            return NS_ERROR_NULL_POINTER;
        *status = static_cast<PRUint32>(m_responseStatus);
        return m_responseStatus > 0 ? NS_OK : NS_ERROR_NOT_AVAILABLE;
    }

    nsresult AsyncOpen(nsIStreamListener* listener, nsISupports* context) override {
        if (!listener)
            return NS_ERROR_NULL_POINTER;
        if (m_opened)
            return NS_ERROR_ALREADY_INITIALIZED;
        m_opened = true;
        m_pending = true;
        m_listener = listener;
        m_context = context;
        m_queue = EventQueue::ForCurrentThread();
        if (IsHttp(m_parts)) {
            StartHttp();
        } else {
            nsCOMPtr<Channel> self(this);
            m_queue->Post([self] { self->DeliverLocal(); });
        }
        return NS_OK;
    }

    nsresult Open(nsIInputStream** result) override {
        if (!result)
            return NS_ERROR_NULL_POINTER;
        *result = nullptr;
        Fetched fetched;
        if (IsHttp(m_parts)) {
            std::string body;
            fetched = FetchHttp(
                m_parts.Spec(),
                [&body](std::string piece) {
                    body += piece;
                    return true;
                },
                &m_responseStatus);
            fetched.body = std::move(body);
        } else {
            fetched = FetchLocal();
        }
        m_status = fetched.status;
        if (NS_FAILED(fetched.status))
            return fetched.status;
        m_contentType = fetched.contentType;
        *result = nsCOMPtr<nsIInputStream>(new StringInputStream(std::move(fetched.body))).forget();
        return NS_OK;
    }

private:
    Fetched FetchLocal() {
        if (m_parts.scheme == "file")
            return FetchFile(m_parts);
        if (m_parts.scheme == "data")
            return FetchData(m_parts);
        if (m_parts.scheme == "chrome")
            return FetchChrome(m_parts);
        if (m_parts.scheme == "about")
            return FetchAbout(m_parts);
        return {NS_ERROR_UNKNOWN_PROTOCOL, {}, {}};
    }

    void DeliverLocal() {
        Fetched fetched = FetchLocal();
        m_contentType = fetched.contentType;
        if (NS_FAILED(fetched.status) && NS_SUCCEEDED(m_status))
            m_status = fetched.status;
        Start();
        // Each piece is its own event, so that a Cancel between pieces (or
        // other work of the thread) gets its turn.
        auto body = std::make_shared<std::string>(std::move(fetched.body));
        PostPiece(body, 0);
    }

    void PostPiece(std::shared_ptr<std::string> body, size_t offset) {
        nsCOMPtr<Channel> self(this);
        m_queue->Post([self, body, offset] {
            if (NS_FAILED(self->m_status) || offset >= body->size()) {
                self->Stop();
                return;
            }
            size_t n = std::min(kPieceSize, body->size() - offset);
            self->Deliver(body->substr(offset, n));
            self->PostPiece(body, offset + n);
        });
    }

    void StartHttp() {
        nsCOMPtr<Channel> self(this);
        std::string spec = m_parts.Spec();
        auto cancelled = m_cancelled;
        nsCOMPtr<EventQueue> queue = m_queue;
        m_queue->Post([self] { self->Start(); });
        // The worker holds the channel only through the tasks it posts; the
        // channel itself lives on the owning thread.
        std::thread([self, spec, cancelled, queue]() mutable {
            long responseStatus = 0;
            Fetched fetched = FetchHttp(
                spec,
                [&](std::string piece) {
                    if (cancelled->load())
                        return false;
                    queue->Post([self, piece = std::move(piece)] {
                        if (NS_SUCCEEDED(self->m_status))
                            self->Deliver(piece);
                    });
                    return true;
                },
                &responseStatus);
            // The worker's own reference moves into the last task, so that
            // the channel is released on its owning thread.
            queue->Post([self = std::move(self), fetched = std::move(fetched), responseStatus] {
                if (!fetched.contentType.empty())
                    self->m_contentType = fetched.contentType;
                self->m_responseStatus = responseStatus;
                if (NS_FAILED(fetched.status) && NS_SUCCEEDED(self->m_status))
                    self->m_status = fetched.status;
                self->Stop();
            });
        }).detach();
    }

    void Start() {
        if (m_started)
            return;
        m_started = true;
        // Keeps the listener alive across its own notification.
        nsCOMPtr<nsIStreamListener> listener = m_listener;
        if (listener)
            listener->OnStartRequest(this, m_context);
    }

    void Deliver(const std::string& piece) {
        Start();
        nsCOMPtr<nsIStreamListener> listener = m_listener;
        if (!listener || piece.empty())
            return;
        nsCOMPtr<nsIInputStream> input(new StringInputStream(piece));
        nsresult rv =
            listener->OnDataAvailable(this, m_context, input, static_cast<PRUint32>(m_delivered),
                                      static_cast<PRUint32>(piece.size()));
        m_delivered += piece.size();
        if (NS_FAILED(rv))
            Cancel(rv);
    }

    void Stop() {
        if (m_stopped)
            return;
        Start();
        m_stopped = true;
        m_pending = false;
        nsCOMPtr<nsIStreamListener> listener = std::move(m_listener);
        nsCOMPtr<nsISupports> context = std::move(m_context);
        if (listener)
            listener->OnStopRequest(this, context, m_status);
    }

    nsCOMPtr<nsIURI> m_uri;
    URIParts m_parts;
    std::string m_contentType;
    nsresult m_status = NS_OK;
    long m_responseStatus = 0; // the server's status code, 0 until it answered
    bool m_opened = false;
    bool m_pending = false;
    bool m_started = false;
    bool m_stopped = false;
    size_t m_delivered = 0;
    std::shared_ptr<std::atomic<bool>> m_cancelled = std::make_shared<std::atomic<bool>>(false);
    nsCOMPtr<nsIStreamListener> m_listener;
    nsCOMPtr<nsISupports> m_context;
    nsCOMPtr<EventQueue> m_queue;
};

} // namespace

nsresult NewChannel(nsIURI* uri, nsIChannel** result) {
    if (!result)
        return NS_ERROR_NULL_POINTER;
    *result = nullptr;
    auto parts = PartsOf(uri);
    if (!parts)
        return NS_ERROR_MALFORMED_URI;
    if (!IsKnownScheme(parts->scheme))
        return NS_ERROR_UNKNOWN_PROTOCOL;
    *result = nsCOMPtr<nsIChannel>(new Channel(nsCOMPtr<nsIURI>(uri), std::move(*parts))).forget();
    return NS_OK;
}

nsCOMPtr<nsIChannel> NewLoadChannel(nsIURI* uri) {
    auto parts = PartsOf(uri);
    if (!parts)
        return nullptr;
    return nsCOMPtr<nsIChannel>(new Channel(nsCOMPtr<nsIURI>(uri), std::move(*parts)));
}

nsresult IOService::NewChannelFromURI(nsIURI* uri, nsIChannel** result) {
    return NewChannel(uri, result);
}

} // namespace browser
