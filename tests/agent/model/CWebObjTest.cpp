#include "agent/model/CWebObj.h"

#include "agent/classutil/CWebObjUtil.h"

#include <gtest/gtest.h>
#include <map>

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
    void SetUp() override {
        SetWebObjOptionReader([this](std::string_view name) {
            auto it = m_Options.find(std::string(name));
            return it == m_Options.end() ? 0 : it->second;
        });
    }
    void TearDown() override { SetWebObjOptionReader({}); }

    std::map<std::string, int32_t> m_Options;
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
