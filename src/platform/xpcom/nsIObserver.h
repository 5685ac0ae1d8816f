// Observers of named notifications, and the service that delivers them.
//
//     nsCOMPtr<nsIObserverService> observers = do_GetService(NS_OBSERVERSERVICE_CONTRACTID);
//     observers->AddObserver(this, "xpcom-shutdown", ObserverHold::Weak);
#pragma once

#include "platform/xpcom/nsISupports.h"
#include "platform/xpcom/nsString.h"

class nsIObserver : public nsISupports {
public:
    static constexpr nsIID kIID{
        0xDB242E01, 0xE4D9, 0x11D2, {0x9D, 0xDE, 0x00, 0x00, 0x64, 0x65, 0x73, 0x74}};
    using BaseInterface = nsISupports;

    virtual nsresult Observe(nsISupports* subject, const char* topic, const PRUnichar* data) = 0;
};

inline constexpr const char* NS_OBSERVERSERVICE_CONTRACTID = "@mozilla.org/observer-service;1";
inline constexpr nsCID NS_OBSERVERSERVICE_CID{
    0xD07F5195, 0xE3D1, 0x11D2, {0x8A, 0xCD, 0x00, 0x10, 0x5A, 0x1B, 0x88, 0x60}};
// Sent to every observer when the framework shuts down, before services go.
inline constexpr const char* NS_XPCOM_SHUTDOWN_OBSERVER_ID = "xpcom-shutdown";

// Whether the service keeps an observer alive or only a weak reference to it
// (which needs nsISupportsWeakReference).
enum class ObserverHold { Strong, Weak };

class nsIObserverService : public nsISupports {
public:
    static constexpr nsIID kIID{
        0xD07F5192, 0xE3D1, 0x11D2, {0x8A, 0xCD, 0x00, 0x10, 0x5A, 0x1B, 0x88, 0x60}};
    using BaseInterface = nsISupports;

    virtual nsresult AddObserver(nsIObserver* observer, const char* topic, ObserverHold hold) = 0;
    // NS_ERROR_FAILURE when the observer is not listed for the topic.
    virtual nsresult RemoveObserver(nsIObserver* observer, const char* topic) = 0;
    // Calls every observer of `topic`, in the order they were added; observers
    // may add and remove observers meanwhile.
    virtual nsresult NotifyObservers(nsISupports* subject, const char* topic,
                                     const PRUnichar* data) = 0;
};
