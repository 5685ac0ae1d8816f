// Document loading progress: the document loader service, web progress and
// progress listeners.
//
// Every document shell is a web progress; the document loader service is
// the root of all of them and tells its listeners about the loads of every
// window of the browser. A component that wants to hear of every finished
// document registers with the service:
//
//     nsCOMPtr<nsIDocumentLoader> loader = do_GetService(NS_DOCUMENTLOADER_SERVICE_CID);
//     nsCOMPtr<nsIWebProgress> progress = do_QueryInterface(loader);
//     progress->AddProgressListener(myListener);
//
// and then receives, on the user-interface thread, one OnStateChange with
// STATE_STOP | STATE_IS_DOCUMENT for each document that finished loading
// (successfully or with an error page), whose web progress is the document
// shell of the window the document was loaded into (GetDOMWindow answers
// that window).
#pragma once

#include "platform/xpcom/shell/nsShellForward.h"

class nsIWebProgressListener : public nsISupports {
public:
    static constexpr nsIID kIID{
        0x570F39D1, 0xEFD0, 0x11D3, {0xB0, 0x93, 0x00, 0xA0, 0x24, 0xFF, 0xC0, 0x8C}};
    using BaseInterface = nsISupports;

    // State flags: what happened (one of the first group) to what (one or
    // more of the second).
    enum : PRUint32 {
        STATE_START = 0x00000001,
        STATE_REDIRECTING = 0x00000002,
        STATE_TRANSFERRING = 0x00000004,
        STATE_NEGOTIATING = 0x00000008,
        STATE_STOP = 0x00000010,
        STATE_IS_REQUEST = 0x00010000,
        STATE_IS_DOCUMENT = 0x00020000,
        STATE_IS_NETWORK = 0x00040000,
        STATE_IS_WINDOW = 0x00080000,
    };

    // `status` is NS_OK for a document that loaded, else why it failed.
    virtual nsresult OnStateChange(nsIWebProgress* progress, nsIRequest* request,
                                   PRUint32 stateFlags, nsresult status) = 0;
    virtual nsresult OnProgressChange(nsIWebProgress* progress, nsIRequest* request,
                                      PRInt32 curSelfProgress, PRInt32 maxSelfProgress,
                                      PRInt32 curTotalProgress, PRInt32 maxTotalProgress) = 0;
    virtual nsresult OnLocationChange(nsIWebProgress* progress, nsIRequest* request,
                                      nsIURI* location) = 0;
    virtual nsresult OnStatusChange(nsIWebProgress* progress, nsIRequest* request, nsresult status,
                                    const nsAString& message) = 0;
    virtual nsresult OnSecurityChange(nsIWebProgress* progress, nsIRequest* request,
                                      PRUint32 state) = 0;
};

class nsIWebProgress : public nsISupports {
public:
    static constexpr nsIID kIID{
        0x570F39D0, 0xEFD0, 0x11D3, {0xB0, 0x93, 0x00, 0xA0, 0x24, 0xFF, 0xC0, 0x8C}};
    using BaseInterface = nsISupports;

    // A listener that offers weak references (nsISupportsWeakReference) is
    // held weakly and dropped once it is gone; any other is held strongly
    // until it is removed. Adding a listener twice adds it once.
    virtual nsresult AddProgressListener(nsIWebProgressListener* listener) = 0;
    // NS_ERROR_FAILURE when the listener was not registered.
    virtual nsresult RemoveProgressListener(nsIWebProgressListener* listener) = 0;
    // The window this progress loads documents into; the document loader
    // service itself has none (NS_ERROR_NOT_AVAILABLE).
    virtual nsresult GetDOMWindow(nsIDOMWindow** window) = 0;
    // True from the start of a document's load until its STATE_STOP.
    virtual nsresult GetIsLoadingDocument(PRBool* loading) = 0;
};

// The document loader service's class identifier and contract.
inline constexpr nsCID NS_DOCUMENTLOADER_SERVICE_CID{
    0x057B04D0, 0x0CCF, 0x11D2, {0xBE, 0xBA, 0x00, 0x80, 0x5F, 0x8A, 0x66, 0xDC}};
inline constexpr const char* NS_DOCUMENTLOADER_SERVICE_CONTRACTID =
    "@mozilla.org/docloaderservice;1";

// A loader of documents: the service (the root) and every document shell.
// Objects answering it answer nsIWebProgress too.
class nsIDocumentLoader : public nsISupports {
public:
    static constexpr nsIID kIID{
        0xF43BA260, 0x0737, 0x11D2, {0xBE, 0xB9, 0x00, 0x80, 0x5F, 0x8A, 0x66, 0xDC}};
    using BaseInterface = nsISupports;

    // Stops every load of this loader and of the loaders below it.
    virtual nsresult Stop() = 0;
    // True while this loader or one below it is loading.
    virtual nsresult IsBusy(PRBool* busy) = 0;
    // The document shell this loader belongs to (null for the service).
    virtual nsresult GetContainer(nsISupports** container) = 0;
    // The loader above this one; null for the service.
    virtual nsresult GetParent(nsIDocumentLoader** parent) = 0;
};
