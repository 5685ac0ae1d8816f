#include "agent/model/CWebObj.h"

#include "agent/model/CWebObjUtil.h"
#include "support/FakeAgentContext.h"

#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <vector>

namespace {

int g_Alive = 0;

class TestObj : public CWebObj {
public:
    TestObj(CWebRunTimeID id, Refcounted counted, std::string text = "") : m_Text(std::move(text)) {
        SetId(id);
        if (counted == Refcounted::Yes) {
            MarkRefcounted();
        }
        ++g_Alive;
    }
    ~TestObj() override { --g_Alive; }

    bool GetPropertyAt(std::string& name, CWebVariantList& value, int position) override {
        static const char* const kNames[] = {"class", "text"};
        if (position >= 2) {
            return false;
        }
        if (position >= 0) {
            name = kNames[position];
        }
        value.Clear();
        if (name == "class") {
            value.Append("html_text_link");
            value.Append("html_link");
            return true;
        }
        if (name == "text" || name == "name") {
            value.Set(std::string_view(m_Text));
            return true;
        }
        return false;
    }

    void UseUtil(const CWebObjUtil* util) { SetUtil(util); }

private:
    std::string m_Text;
};

class WebObjTest : public ::testing::Test {
protected:
    void SetUp() override { m_Previous = InstallAgentContext(&m_Context); }
    void TearDown() override { InstallAgentContext(m_Previous); }

    testsupport::FakeAgentContext m_Context;
    std::map<std::string, int32_t>& m_Options = m_Context.options;
    IAgentContext* m_Previous = nullptr;
};

CWebRunTimeID Frame(int second) {
    return {100, second, -1, -1};
}

TEST_F(WebObjTest, HandleLifetime_CountedElementDiesWithLastHandle) {
    int before = g_Alive;
    {
        CWebObjRef first(new TestObj({1, 2, 3, -1}, Refcounted::Yes));
        CWebObjRef second = first;
        first = second; // self-consistent reassignment keeps the count
        EXPECT_EQ(second->Count(), 2);
        first.Clear();
        EXPECT_EQ(g_Alive, before + 1) << "one handle still refers to the element";
    }
    EXPECT_EQ(g_Alive, before) << "the last handle must delete the element";
}

TEST_F(WebObjTest, HandleLifetime_DeletedOwnedObjectReportsInvalid) {
    CWebObjRef owned(new TestObj(Frame(1), Refcounted::No));
    CWebObjRef observer = owned;
    owned.Destroy();
    EXPECT_FALSE(owned.IsValid());
    EXPECT_FALSE(observer.IsValid()) << "a deleted owned object must not look alive";
    EXPECT_EQ(observer.Get(), nullptr);
    observer.Destroy(); // must not delete twice
}

TEST_F(WebObjTest, ChildPurge_DeletedChildLeavesAtNextCount) {
    TestObj root({100, -1, -1, -1}, Refcounted::No);
    CWebObjRef a(new TestObj(Frame(1), Refcounted::No));
    CWebObjRef b(new TestObj(Frame(2), Refcounted::No));
    CWebObjRef c(new TestObj(Frame(3), Refcounted::No));
    root.AddChild(a);
    root.AddChild(b);
    root.AddChild(c);
    b.Destroy();
    EXPECT_EQ(root.GetChild(2).Get(), c.Get()) << "GetChild counts first, so never returns b";
    EXPECT_EQ(root.GetChildCount(), 2);
    EXPECT_FALSE(root.GetChildById(Frame(2)));
    EXPECT_EQ(root.IndexOfChild(c), 2);
    root.ReleaseChildren();
    EXPECT_FALSE(a.IsValid());
    EXPECT_FALSE(c.IsValid());
}

TEST_F(WebObjTest, GetChild_OutOfRangeGivesNull) {
    TestObj root({100, -1, -1, -1}, Refcounted::No);
    CWebObjRef a(new TestObj(Frame(1), Refcounted::No));
    root.AddChild(a);
    EXPECT_FALSE(root.GetChild(0));
    EXPECT_FALSE(root.GetChild(2));
    EXPECT_TRUE(root.GetChild(1));
    TestObj stranger(Frame(9), Refcounted::No);
    EXPECT_EQ(root.IndexOfChild(CWebObjRef(&stranger)), -1);
    EXPECT_EQ(root.FindDescendant(Frame(1)).Get(), a.Get());
}

TEST_F(WebObjTest, ParentDeletedFirst_ChildrenGoWithIt) {
    int before = g_Alive;
    auto* root = new TestObj({100, -1, -1, -1}, Refcounted::No);
    CWebObjRef page(new TestObj(Frame(1), Refcounted::No));
    root->AddChild(page);
    CWebObjRef frame(new TestObj(Frame(2), Refcounted::No));
    page->AddChild(frame);
    CWebObjRef(root).Destroy();
    EXPECT_FALSE(frame.IsValid());
    EXPECT_EQ(g_Alive, before);
}

TEST_F(WebObjTest, Trimming_PlainForPropertiesPatternForDescriptions) {
    TestObj obj(Frame(1), Refcounted::No, "abcdefgh");
    CWebVariantList value;
    m_Options["TrimProperties"] = 5;
    ASSERT_TRUE(obj.GetProperty("text", value));
    EXPECT_EQ(value.GetAt(0)->GetString(), "abcde");
    m_Options.clear();

    CWebObjUtil util(0, {"html_text"});
    CWebInfo obligatory;
    obligatory.AddAttr("text", {});
    util.SetDescriptionTemplate(obligatory, CWebInfo(), "index", "");
    obj.UseUtil(&util);
    CWebInfo ob, op;
    std::string selector, tag;
    m_Options["TrimDescriptionProperties"] = 5;
    obj.GetDescription(ob, op, selector, tag);
    EXPECT_EQ(ob.FindFirstValue("text")->GetString(), "!ab.*");
    EXPECT_EQ(tag, "name");
    m_Options["TrimDescriptionProperties"] = 3;
    obj.GetDescription(ob, op, selector, tag);
    EXPECT_EQ(ob.FindFirstValue("text")->GetString(), "abcdefgh");
}

TEST_F(WebObjTest, MatchProperty_ClassListAndCutNames) {
    std::string longName(95, 'x');
    TestObj obj(Frame(1), Refcounted::No, longName + "AAAAA");
    CWebVariantList want;
    want.Set("html_link");
    EXPECT_TRUE(obj.MatchProperty("class", want, true));
    want.Set("html_table");
    EXPECT_FALSE(obj.MatchProperty("class", want, true));

    CWebVariantList name;
    name.Set(std::string_view(longName + "BBBBB"));
    EXPECT_FALSE(obj.MatchProperty("name", name, true));
    m_Options["CompareCutName"] = 1;
    EXPECT_TRUE(obj.MatchProperty("name", name, true)) << "names differing after byte 90 match";
    EXPECT_TRUE(obj.MatchProperty("name", name, false));

    EXPECT_FALSE(obj.MatchProperty("contains_text", want, true))
        << "a class without ContainsText never contains text";
}

TEST_F(WebObjTest, AllProperties_FirstNameWins) {
    TestObj obj(Frame(1), Refcounted::No, "t");
    CWebInfo record;
    EXPECT_TRUE(obj.GetAllProperties(record));
    EXPECT_EQ(record.GetAttrCount(), 2u);
    CWebInfo asked;
    CWebVariantList keep;
    keep.Set(7);
    asked.AddAttr("unknown", keep);
    obj.GetProperties(asked);
    EXPECT_EQ(asked.FindFirstValue("unknown")->GetInteger(), 7);
}

} // namespace

namespace {

TEST_F(WebObjTest, WeakLink_NewObjectAtTheSameAddressIsNotTheOldOne) {
    auto* first = new TestObj(Frame(1), Refcounted::No);
    CWebObjRef old(first);
    old.Destroy();
    // Allocate until the allocator hands the freed block out again.
    std::vector<std::unique_ptr<TestObj>> fresh;
    for (int i = 0; i < 64 && (fresh.empty() || fresh.back().get() != first); ++i) {
        fresh.push_back(std::make_unique<TestObj>(Frame(2), Refcounted::No));
    }
    EXPECT_FALSE(old.IsValid()) << "a weak handle names its own object or nothing";
    EXPECT_EQ(old.Get(), nullptr);
}

TEST_F(WebObjTest, WeakLink_ParentDeletedBeforeChildLeavesNoParent) {
    auto* root = new TestObj({100, -1, -1, -1}, Refcounted::No);
    CWebObjRef element(new TestObj({100, 1, 7, -1}, Refcounted::Yes));
    element->SetParent(CWebObjRef(root));
    EXPECT_EQ(element->GetParent().Get(), root);
    CWebObjRef(root).Destroy();
    EXPECT_FALSE(element->GetParent().IsValid()) << "the parent link was revoked";
}

TEST_F(WebObjTest, CountUnderflow_IsAFaultInDebugBuilds) {
    TestObj counted(Frame(1), Refcounted::Yes);
    counted.Increment();
    EXPECT_EQ(counted.Decrement(), 0);
    EXPECT_DEBUG_DEATH(counted.Decrement(), "released below zero");
}

TEST_F(WebObjTest, ChildOwnership_CountedChildOutlivesParentWhileHeld) {
    int before = g_Alive;
    CWebObjRef element(new TestObj({100, 1, 7, -1}, Refcounted::Yes));
    {
        TestObj root({100, -1, -1, -1}, Refcounted::No);
        root.AddChild(element);
        EXPECT_EQ(element->Count(), 2) << "the parent holds a count of a counted child";
    }
    ASSERT_TRUE(element.IsValid());
    EXPECT_EQ(element->Count(), 1);
    element.Clear();
    EXPECT_EQ(g_Alive, before);
}

TEST_F(WebObjTest, ChildOwnership_MovingAChildLeavesOneOwner) {
    int before = g_Alive;
    {
        TestObj first({100, -1, -1, -1}, Refcounted::No);
        TestObj second({200, -1, -1, -1}, Refcounted::No);
        CWebObjRef child(new TestObj(Frame(1), Refcounted::No));
        first.AddChild(child);
        second.AddChild(child);
        EXPECT_EQ(first.GetChildCount(), 0);
        EXPECT_EQ(second.GetChildCount(), 1);
        EXPECT_EQ(child->GetParent().Get(), &second);
    }
    EXPECT_EQ(g_Alive, before) << "deleted once, by its last parent";
}

TEST_F(WebObjTest, ChildPurge_DeletedChildrenKeepTheirSlotsUntilThePurge) {
    TestObj root({100, -1, -1, -1}, Refcounted::No);
    std::vector<CWebObjRef> children;
    for (int i = 1; i <= 4; ++i) {
        children.emplace_back(new TestObj(Frame(i), Refcounted::No));
        root.AddChild(children.back());
    }
    children[0].Destroy();
    children[2].Destroy();
    EXPECT_EQ(root.GetChildCount(), 2) << "the count leaves deleted children out at once";
    EXPECT_FALSE(root.GetChildById(Frame(3)));
    EXPECT_EQ(root.IndexOfChild(children[3]), 2) << "positions purge first";
    root.PurgeRemovedChildren(); // nothing left to drop
    EXPECT_EQ(root.GetChild(1).Get(), children[1].Get());

    root.RemoveChild(children[1]);
    EXPECT_EQ(root.GetChildCount(), 1);
    ASSERT_TRUE(children[1].IsValid()) << "a removed child is handed back, not deleted";
    EXPECT_FALSE(children[1]->GetParent());
    children[1].Destroy();
}

TEST_F(WebObjTest, Context_ChildrenTakeTheirParentsContext) {
    testsupport::FakeAgentContext own;
    own.options["TrimProperties"] = 2;
    TestObj root({100, -1, -1, -1}, Refcounted::No);
    root.SetContext(&own);
    CWebObjRef child(new TestObj(Frame(1), Refcounted::No, "abcdef"));
    root.AddChild(child);
    EXPECT_EQ(child->GetContext(), &own);
    CWebVariantList value;
    ASSERT_TRUE(child->GetProperty("text", value));
    EXPECT_EQ(value.GetAt(0)->GetString(), "ab") << "options come from the parent's context";

    TestObj orphan(Frame(2), Refcounted::No);
    EXPECT_EQ(orphan.GetContext(), &m_Context) << "without one, the process's context";
}

} // namespace
