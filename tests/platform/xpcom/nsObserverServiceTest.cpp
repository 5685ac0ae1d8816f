#include "XpcomTestSupport.h"
#include "platform/xpcom/nsIWeakReference.h"

#include <gtest/gtest.h>

namespace {

using xpcomtest::ScopedFramework;

int g_calls = 0;

class Listener final : public nsSupportsImpl<Listener, nsIObserver, nsSupportsWeakReference> {
public:
    nsresult Observe(nsISupports*, const char* topic, const PRUnichar*) override {
        ++g_calls;
        ++m_heard;
        if (m_removeSelf)
            m_service->RemoveObserver(this, topic);
        return NS_OK;
    }

    int m_heard = 0;
    bool m_removeSelf = false;
    nsIObserverService* m_service = nullptr; // observes: the running framework's service
};

TEST(nsObserverService, WeakObserversGoWithTheirObjectStrongOnesStay) {
    ScopedFramework framework;
    nsCOMPtr<nsIObserverService> service = do_GetService(NS_OBSERVERSERVICE_CONTRACTID);
    ASSERT_TRUE(service);
    g_calls = 0;
    nsCOMPtr<Listener> strong = new Listener;
    nsCOMPtr<Listener> weak = new Listener;
    ASSERT_EQ(service->AddObserver(strong, "topic", ObserverHold::Strong), NS_OK);
    ASSERT_EQ(service->AddObserver(weak, "topic", ObserverHold::Weak), NS_OK);
    service->NotifyObservers(nullptr, "topic", nullptr);
    EXPECT_EQ(g_calls, 2);
    weak = nullptr; // the service must not have kept it alive
    service->NotifyObservers(nullptr, "topic", nullptr);
    EXPECT_EQ(g_calls, 3);
    EXPECT_EQ(service->RemoveObserver(strong, "topic"), NS_OK);
    EXPECT_EQ(service->RemoveObserver(strong, "topic"), NS_ERROR_FAILURE);
    service->NotifyObservers(nullptr, "topic", nullptr);
    EXPECT_EQ(g_calls, 3);
}

TEST(nsObserverService, ObserverMayRemoveItselfWhileNotified) {
    ScopedFramework framework;
    nsCOMPtr<nsIObserverService> service = do_GetService(NS_OBSERVERSERVICE_CONTRACTID);
    nsCOMPtr<Listener> first = new Listener;
    nsCOMPtr<Listener> second = new Listener;
    first->m_removeSelf = true;
    first->m_service = service;
    service->AddObserver(first, "topic", ObserverHold::Strong);
    service->AddObserver(second, "topic", ObserverHold::Strong);
    service->NotifyObservers(nullptr, "topic", nullptr);
    service->NotifyObservers(nullptr, "topic", nullptr);
    EXPECT_EQ(first->m_heard, 1);
    EXPECT_EQ(second->m_heard, 2) << "removing one observer must not skip the next";
}

TEST(nsObserverService, ShutdownIsAnnouncedWhileServicesStillWork) {
    nsCOMPtr<xpcomtest::TopicCounter> topics = new xpcomtest::TopicCounter;
    {
        ScopedFramework framework;
        topics->Listen({NS_XPCOM_SHUTDOWN_OBSERVER_ID});
    }
    EXPECT_EQ(topics->Count(NS_XPCOM_SHUTDOWN_OBSERVER_ID), 1);
}

} // namespace
