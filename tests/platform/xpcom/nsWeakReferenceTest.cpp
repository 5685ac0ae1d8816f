#include "platform/xpcom/nsIWeakReference.h"
#include "platform/xpcom/pratom.h"

#include <gtest/gtest.h>

namespace {

class nsIPing : public nsISupports {
public:
    static constexpr nsIID kIID{0x5A5A0001, 0x0001, 0x0001, {1, 2, 3, 4, 5, 6, 7, 8}};
    using BaseInterface = nsISupports;
    virtual int Ping() = 0;
};

int g_live = 0;

class Pingable final : public nsSupportsImpl<Pingable, nsIPing, nsSupportsWeakReference> {
public:
    Pingable() { ++g_live; }
    ~Pingable() override { --g_live; }
    int Ping() override { return 7; }
};

class NoWeak final : public nsSupportsImpl<NoWeak, nsIPing> {
public:
    int Ping() override { return 0; }
};

TEST(nsWeakReference, AnswersTheObjectWhileItLivesAndNullAfterItsRelease) {
    nsWeakPtr weak;
    {
        nsCOMPtr<nsIPing> strong = new Pingable;
        weak = do_GetWeakReference(strong);
        ASSERT_TRUE(weak);
        nsCOMPtr<nsIPing> again = do_QueryReferent(weak);
        ASSERT_TRUE(again);
        EXPECT_EQ(again.get(), strong.get());
        EXPECT_EQ(again->Ping(), 7);
    }
    EXPECT_EQ(g_live, 0) << "a weak reference must not keep its object alive";
    nsresult rv = NS_OK;
    nsCOMPtr<nsIPing> gone = do_QueryReferent(weak, &rv);
    EXPECT_FALSE(gone);
    EXPECT_EQ(rv, NS_ERROR_NULL_POINTER);
    void* raw = reinterpret_cast<void*>(1);
    EXPECT_TRUE(NS_FAILED(weak->QueryReferent(nsIPing::kIID, &raw)));
    EXPECT_EQ(raw, nullptr) << "a failed QueryReferent must clear its out pointer";
}

TEST(nsWeakReference, OneLinkPerObjectAndTheLinkMayGoFirst) {
    nsCOMPtr<nsIPing> strong = new Pingable;
    nsWeakPtr first = do_GetWeakReference(strong);
    nsWeakPtr second = do_GetWeakReference(strong);
    EXPECT_EQ(first, second);
    first = nullptr;
    second = nullptr;
    // The object made the link and forgot it when it went: a new request
    // makes a new one that still works.
    nsWeakPtr third = do_GetWeakReference(strong);
    nsCOMPtr<nsIPing> again = do_QueryReferent(third);
    EXPECT_EQ(again.get(), strong.get());
    again = nullptr;
    strong = nullptr;
    EXPECT_EQ(g_live, 0);
    EXPECT_FALSE(nsCOMPtr<nsIPing>(do_QueryReferent(third)));
}

TEST(nsWeakReference, ObjectWithoutWeakSupportOrNullGivesNoReference) {
    nsCOMPtr<nsIPing> strong = new NoWeak;
    nsresult rv = NS_OK;
    EXPECT_FALSE(do_GetWeakReference(strong, &rv));
    EXPECT_EQ(rv, NS_ERROR_NO_INTERFACE);
    EXPECT_FALSE(do_GetWeakReference(static_cast<nsISupports*>(nullptr), &rv));
    EXPECT_EQ(rv, NS_ERROR_NULL_POINTER);
    EXPECT_FALSE(nsCOMPtr<nsIPing>(do_QueryReferent(nullptr, &rv)));
}

// A holder whose object is released from the object's own destructor path:
// a destructor that asks its own weak reference must see null, not a
// half-destroyed object.
class SelfAsking;
nsWeakPtr g_selfWeak;
bool g_sawSelfDuringDestruction = false;

class SelfAsking final : public nsSupportsImpl<SelfAsking, nsIPing, nsSupportsWeakReference> {
public:
    ~SelfAsking() override {
        nsCOMPtr<nsIPing> self = do_QueryReferent(g_selfWeak);
        g_sawSelfDuringDestruction = self != nullptr;
    }
    int Ping() override { return 1; }
};

TEST(nsWeakReference, RevokedBeforeTheDestructorRuns) {
    nsCOMPtr<nsIPing> strong = new SelfAsking;
    g_selfWeak = do_GetWeakReference(strong);
    strong = nullptr;
    EXPECT_FALSE(g_sawSelfDuringDestruction);
    g_selfWeak = nullptr;
}

TEST(prAtomic, IncrementDecrementAndSetAnswerTheRightValues) {
    PRInt32 count = 0;
    EXPECT_EQ(PR_AtomicIncrement(&count), 1);
    EXPECT_EQ(PR_AtomicIncrement(&count), 2);
    EXPECT_EQ(PR_AtomicDecrement(&count), 1);
    EXPECT_EQ(PR_AtomicSet(&count, 40), 1);
    EXPECT_EQ(count, 40);
    EXPECT_EQ(PR_AtomicDecrement(&count), 39);
}

} // namespace
