#include "platform/xpcom/nsCOMPtr.h"
#include "platform/xpcom/prprf.h"

#include <gtest/gtest.h>

namespace {

class nsITestA : public nsISupports {
public:
    static constexpr nsIID kIID{0x11111111, 0x1111, 0x1111, {1, 1, 1, 1, 1, 1, 1, 1}};
    using BaseInterface = nsISupports;
    virtual int A() = 0;
};

class nsITestB : public nsITestA {
public:
    static constexpr nsIID kIID{0x22222222, 0x2222, 0x2222, {2, 2, 2, 2, 2, 2, 2, 2}};
    using BaseInterface = nsITestA;
    virtual int B() = 0;
};

class nsITestC : public nsISupports {
public:
    static constexpr nsIID kIID{0x33333333, 0x3333, 0x3333, {3, 3, 3, 3, 3, 3, 3, 3}};
    using BaseInterface = nsISupports;
    virtual int C() = 0;
};

int g_live = 0;

class TestObject final : public nsSupportsImpl<TestObject, nsITestB, nsITestC> {
public:
    TestObject() { ++g_live; }
    ~TestObject() override { --g_live; }
    int A() override { return 1; }
    int B() override { return 2; }
    int C() override { return 3; }
};

TEST(nsCore, QueryInterfaceWalksEveryChainAndKeepsIdentity) {
    {
        nsCOMPtr<nsITestB> b = new TestObject;
        nsCOMPtr<nsITestA> a = do_QueryInterface(b);
        nsCOMPtr<nsITestC> c = do_QueryInterface(b);
        ASSERT_TRUE(a && c);
        EXPECT_EQ(a->A() + b->B() + c->C(), 6);
        EXPECT_TRUE(SameCOMIdentity(a, c));
        EXPECT_EQ(g_live, 1);
    }
    EXPECT_EQ(g_live, 0) << "the last nsCOMPtr must delete the object";
}

class nsIOther : public nsISupports {
public:
    static constexpr nsIID kIID{0x44444444, 0x4444, 0x4444, {4, 4, 4, 4, 4, 4, 4, 4}};
    using BaseInterface = nsISupports;
};

TEST(nsCore, FailedQueryLeavesNullAndReportsNoInterface) {
    nsCOMPtr<nsITestA> a = new TestObject;
    nsresult rv = NS_OK;
    nsCOMPtr<nsIOther> other = do_QueryInterface(a, &rv);
    EXPECT_FALSE(other);
    EXPECT_EQ(rv, NS_ERROR_NO_INTERFACE);
    nsCOMPtr<nsITestA> none = do_QueryInterface(static_cast<nsITestA*>(nullptr), &rv);
    EXPECT_EQ(rv, NS_ERROR_NULL_POINTER);
}

TEST(nsCore, SelfAssignmentAndGetterAddRefsKeepCountsRight) {
    nsCOMPtr<nsITestA> a = new TestObject;
    a = a;
    nsCOMPtr<nsITestA>& alias = a;
    a = std::move(alias);
    ASSERT_TRUE(a);
    nsCOMPtr<nsITestA> out;
    a.CopyTo(getter_AddRefs(out));
    EXPECT_EQ(static_cast<TestObject*>(static_cast<nsITestB*>(a.get()))->RefCount(), 2u);
    a = nullptr;
    out = nullptr;
    EXPECT_EQ(g_live, 0);
}

TEST(nsID, RegistryFormRoundTrips) {
    auto id = nsID::Parse("{5d41a440-8e37-11d2-8059-00600811a9c3}");
    ASSERT_TRUE(id);
    EXPECT_EQ(id->ToString(), "{5D41A440-8E37-11D2-8059-00600811A9C3}");
    EXPECT_EQ(nsID::Parse(id->ToString().substr(1, 36)), id);
    EXPECT_FALSE(nsID::Parse("{5D41A440-8E37-11D2-8059-00600811A9C}"));
    EXPECT_FALSE(nsID::Parse("{5D41A440-8E37-11D2-8059-00600811A9CG}"));
}

TEST(prprf, TruncatedOutputStaysTerminatedAndReportsWhatWasStored) {
    char buffer[8];
    EXPECT_EQ(PR_snprintf(buffer, sizeof buffer, "%s/%s", "abc", "de"), 6u);
    EXPECT_STREQ(buffer, "abc/de");
    EXPECT_EQ(PR_snprintf(buffer, sizeof buffer, "%s/%s", "software", "netscape"), 7u);
    EXPECT_STREQ(buffer, "softwar");
    EXPECT_EQ(PR_snprintf(buffer, 0, "%d", 1), UINT32_MAX);
    EXPECT_EQ(PR_snprintf(nullptr, 4, "%d", 1), UINT32_MAX);
}

TEST(nsError, ResultNamesAndFailureBit) {
    EXPECT_STREQ(NS_ResultName(NS_ERROR_NO_AGGREGATION), "NS_ERROR_NO_AGGREGATION");
    EXPECT_EQ(NS_ResultName(0x12345678u), nullptr);
    EXPECT_TRUE(NS_FAILED(E_OUTOFMEMORY));
    EXPECT_TRUE(NS_SUCCEEDED(NS_OK));
    EXPECT_EQ(CLASS_E_NOAGGREGATION, 0x80040110u);
}

} // namespace
