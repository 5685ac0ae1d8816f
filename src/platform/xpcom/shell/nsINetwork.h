// Networking: URIs, requests and channels, input streams and stream
// listeners, and the I/O service that makes URIs and channels.
//
//     nsCOMPtr<nsIIOService> io = do_GetService(NS_IOSERVICE_CONTRACTID);
//     nsCOMPtr<nsIURI> uri;
//     io->NewURI("images/a.gif", base, getter_AddRefs(uri));
//     nsCOMPtr<nsIChannel> channel;
//     io->NewChannelFromURI(uri, getter_AddRefs(channel));
//     channel->AsyncOpen(listener, nullptr);   // notifications arrive through
//                                              // the thread's event queue
//
// Schemes: file:, data:, chrome: (the browser's built-in documents) and
// http: (loopback; the server's status through nsIHttpChannel). A channel always ends with
// OnStopRequest, also when it fails to open (the status then says why), and a listener that refuses
// data (a failure from OnDataAvailable) cancels it.
#pragma once

#include "platform/xpcom/shell/nsShellForward.h"

inline constexpr const char* NS_IOSERVICE_CONTRACTID = "@mozilla.org/network/io-service;1";
inline constexpr nsCID NS_IOSERVICE_CID{
    0x9AC9E770, 0x18BC, 0x11D3, {0x93, 0x37, 0x00, 0x10, 0x4B, 0xA0, 0xFD, 0x40}};

class nsIURI : public nsISupports {
public:
    static constexpr nsIID kIID{
        0x07A22CC0, 0x0CE5, 0x11D3, {0x93, 0x31, 0x00, 0x10, 0x4B, 0xA0, 0xFD, 0x40}};
    using BaseInterface = nsISupports;

    // The whole address, normalised ("http://host:port/path?query#ref").
    virtual nsresult GetSpec(nsACString& spec) = 0;
    virtual nsresult GetScheme(nsACString& scheme) = 0;
    virtual nsresult GetHost(nsACString& host) = 0;
    // -1 when the address names no port.
    virtual nsresult GetPort(PRInt32* port) = 0;
    // Path with query and reference ("/a/b.html?x#y").
    virtual nsresult GetPath(nsACString& path) = 0;
    virtual nsresult GetRef(nsACString& ref) = 0;
    // `relative` resolved against this address (RFC 3986).
    virtual nsresult Resolve(const nsACString& relative, nsACString& result) = 0;
    virtual nsresult Equals(nsIURI* other, PRBool* result) = 0;
    virtual nsresult SchemeIs(const char* scheme, PRBool* result) = 0;
    virtual nsresult Clone(nsIURI** result) = 0;
};

class nsIInputStream : public nsISupports {
public:
    static constexpr nsIID kIID{
        0xFA9C7F6C, 0x61B3, 0x11D4, {0x98, 0x77, 0x00, 0xC0, 0x4F, 0xA0, 0xCF, 0x4A}};
    using BaseInterface = nsISupports;

    virtual nsresult Available(PRUint32* result) = 0;
    // Reads at most `count` bytes; 0 bytes read means the end of the data.
    virtual nsresult Read(char* buffer, PRUint32 count, PRUint32* read) = 0;
    virtual nsresult Close() = 0;
};

class nsIRequest : public nsISupports {
public:
    static constexpr nsIID kIID{
        0xFB65FD4C, 0xEC0C, 0x11D3, {0x8C, 0xDA, 0x00, 0x60, 0xB0, 0xFC, 0x14, 0xA3}};
    using BaseInterface = nsISupports;

    // The request's address.
    virtual nsresult GetName(nsACString& name) = 0;
    virtual nsresult IsPending(PRBool* result) = 0;
    // NS_OK while all is well, else why the request failed or stopped.
    virtual nsresult GetStatus(nsresult* status) = 0;
    virtual nsresult Cancel(nsresult status) = 0;
};

class nsIRequestObserver : public nsISupports {
public:
    static constexpr nsIID kIID{
        0xFD91E2E0, 0x1481, 0x11D3, {0x93, 0x33, 0x00, 0x10, 0x4B, 0xA0, 0xFD, 0x40}};
    using BaseInterface = nsISupports;

    virtual nsresult OnStartRequest(nsIRequest* request, nsISupports* context) = 0;
    virtual nsresult OnStopRequest(nsIRequest* request, nsISupports* context, nsresult status) = 0;
};

class nsIStreamListener : public nsIRequestObserver {
public:
    static constexpr nsIID kIID{
        0x1A637020, 0x1482, 0x11D3, {0x93, 0x33, 0x00, 0x10, 0x4B, 0xA0, 0xFD, 0x40}};
    using BaseInterface = nsIRequestObserver;

    // `count` bytes are waiting in `input`; `offset` is their position in the
    // whole body.
    virtual nsresult OnDataAvailable(nsIRequest* request, nsISupports* context,
                                     nsIInputStream* input, PRUint32 offset, PRUint32 count) = 0;
};

class nsIChannel : public nsIRequest {
public:
    static constexpr nsIID kIID{
        0x1788E79E, 0xF947, 0x11D3, {0x8C, 0xDA, 0x00, 0x60, 0xB0, 0xFC, 0x14, 0xA3}};
    using BaseInterface = nsIRequest;

    virtual nsresult GetURI(nsIURI** result) = 0;
    // "text/html", "application/vnd.mozilla.xul+xml", "image/gif", ...
    virtual nsresult GetContentType(nsACString& type) = 0;
    // Starts the transfer; the listener hears of it through the current
    // thread's event queue, in pieces, and always ends with OnStopRequest.
    virtual nsresult AsyncOpen(nsIStreamListener* listener, nsISupports* context) = 0;
    // Reads the whole body at once (used for built-in documents and tests).
    virtual nsresult Open(nsIInputStream** result) = 0;
};

// The HTTP side of a channel. Every channel of the simulated browser answers
// this interface; channels of other schemes have no response status.
class nsIHttpChannel : public nsIChannel {
public:
    static constexpr nsIID kIID{
        0x9277FE09, 0xF0CC, 0x4CD9, {0xBB, 0xCE, 0x58, 0x1D, 0xD9, 0x4B, 0x02, 0x60}};
    using BaseInterface = nsIChannel;

    // The server's status code (200, 404, ...); NS_ERROR_NOT_AVAILABLE for a
    // channel that is not http: or has not received an answer yet (known by
    // the time the channel stops).
    virtual nsresult GetResponseStatus(PRUint32* status) = 0;
};

class nsIIOService : public nsISupports {
public:
    static constexpr nsIID kIID{
        0xBDDEDA3F, 0x9020, 0x4D12, {0x8C, 0x70, 0x98, 0x4E, 0xE9, 0xF7, 0x93, 0x5E}};
    using BaseInterface = nsISupports;

    // `spec` resolved against `base` (may be null). NS_ERROR_MALFORMED_URI
    // for an address that is neither absolute nor resolvable.
    virtual nsresult NewURI(const nsACString& spec, nsIURI* base, nsIURI** result) = 0;
    // NS_ERROR_UNKNOWN_PROTOCOL for a scheme without a handler.
    virtual nsresult NewChannelFromURI(nsIURI* uri, nsIChannel** result) = 0;
};
