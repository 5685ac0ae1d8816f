#include "IdentifyWorld.h"
#include "agent/model/DescriptionTable.h"

#include <gtest/gtest.h>
#include <set>
#include <string>

namespace {

using namespace identify_test;

std::string Key(std::initializer_list<std::pair<std::string_view, std::string_view>> pieces) {
    std::string key;
    for (const auto& [name, value] : pieces) {
        key.append(name).append(1, '\x1C').append(value).append(1, '\x1E');
    }
    return key;
}

class Maps : public ::testing::Test {
protected:
    Maps() : frame(world.AddFrame(1)) {}

    TestObj& Link(std::string_view name, std::string_view htmlId = {}) {
        TestObj& link = world.AddElement(frame, frame, U().link, name, {0, 0, 1, 1});
        if (!htmlId.empty()) {
            link.SetText("html_id", htmlId);
        }
        return link;
    }
    std::optional<std::string_view> KeyOf(const TestObj& object) {
        EXPECT_TRUE(frame.Engine().EnsureMaps(frame));
        return frame.Engine().FindDescription(object.RunTimeID());
    }
    void SetTemplate(std::string_view cls, std::string_view oblig, std::string_view opt,
                     std::string_view selector) {
        ClassTable table;
        FillClassTable(table);
        SetClassTemplate(table, cls, oblig, opt, selector, "");
    }

    IdentifyWorld world;
    TestFrame& frame;
};

TEST_F(Maps, UniqueObjectsAreKeyedByTheirObligatoryDescription) {
    TestObj& home = Link("Home");
    ASSERT_TRUE(KeyOf(home));
    EXPECT_EQ(*KeyOf(home), Key({{"class", "html_link"}, {"name", "Home"}}));
    EXPECT_FALSE(frame.Engine().IsDirty());
    EXPECT_EQ(frame.Engine().GetDescriptionCount(), 1u); // the frame itself is not described

    CWebInfo request;
    request.AddAttr("name", CWebVariantList(CWebVariant("Home")));
    request.AddAttr("class", CWebVariantList(CWebVariant("html_link")));
    ASSERT_TRUE(frame.Engine().LookupDescription(frame, request));
    EXPECT_EQ(request.FindFirstValue("id")->GetRunTimeID(), home.RunTimeID());
}

TEST_F(Maps, LookAlikesAreToldApartByOptionalAttributesThenBySelector) {
    SetTemplate("html_link", "class name", "html_id", "location");
    TestObj& a = Link("Next", "top");
    TestObj& b = Link("Next", "bottom");
    TestObj& c = Link("Next", "bottom");
    ASSERT_TRUE(KeyOf(a));
    EXPECT_EQ(*KeyOf(a), Key({{"class", "html_link"}, {"name", "Next"}, {"html_id", "top"}}));
    // b and c stay alike: numbered within the whole group first, so that
    // their first key is the shorter one; the selector sits in table order.
    EXPECT_EQ(*KeyOf(b), Key({{"class", "html_link"}, {"name", "Next"}, {"location", "1"}}));
    EXPECT_EQ(*KeyOf(c), Key({{"class", "html_link"}, {"name", "Next"}, {"location", "2"}}));
    // Their keys with "html_id" and their position among the two resolve too.
    CWebInfo withId;
    TextToDescription(
        Key({{"class", "html_link"}, {"name", "Next"}, {"html_id", "bottom"}, {"location", "1"}}),
        withId);
    ASSERT_TRUE(frame.Engine().LookupDescription(frame, withId));
    EXPECT_EQ(withId.FindFirstValue("id")->GetRunTimeID(), c.RunTimeID());
    // The ambiguous key itself names nobody.
    CWebInfo ambiguous;
    TextToDescription(Key({{"class", "html_link"}, {"name", "Next"}}), ambiguous);
    EXPECT_FALSE(frame.Engine().LookupDescription(frame, ambiguous));
}

TEST_F(Maps, IdenticalImagesAndGeneralElementsGetSelectorKeysThatResolve) {
    std::vector<TestObj*> images;
    for (int i = 0; i < 2; ++i) {
        images.push_back(&world.AddElement(frame, frame, U().image, "dot", {}));
    }
    ASSERT_TRUE(KeyOf(*images[1]));
    EXPECT_EQ(*KeyOf(*images[1]),
              Key({{"class", "html_rect"}, {"name", "dot"}, {"location", "1"}}));

    // "tag_name" comes after "location" in table order: the key must still
    // be the text of the description the tool sends back.
    SetTemplate("html_link", "class name tag_name", "", "index");
    TestObj& x = Link("Same");
    TestObj& y = Link("Same");
    x.SetText("tag_name", "A");
    y.SetText("tag_name", "A");
    frame.Engine().MarkDirty();
    CWebInfo request;
    request.AddAttr("tag_name", CWebVariantList(CWebVariant("A")));
    request.AddAttr("index", CWebVariantList(CWebVariant(1)));
    request.AddAttr("name", CWebVariantList(CWebVariant("Same")));
    request.AddAttr("class", CWebVariantList(CWebVariant("html_link")));
    ASSERT_TRUE(frame.Engine().LookupDescription(frame, request));
    EXPECT_EQ(request.FindFirstValue("id")->GetRunTimeID(), y.RunTimeID());
}

TEST_F(Maps, ObjectsWithoutTheOptionalPropertyDoNotBorrowAnothersValue) {
    SetTemplate("html_link", "class name", "html_id", "index");
    TestObj& a = Link("Twin", "one");
    TestObj& b = Link("Twin"); // no html_id property at all
    ASSERT_TRUE(KeyOf(a));
    ASSERT_TRUE(KeyOf(b));
    EXPECT_EQ(*KeyOf(a), Key({{"class", "html_link"}, {"name", "Twin"}, {"html_id", "one"}}));
    EXPECT_EQ(*KeyOf(b), Key({{"class", "html_link"}, {"name", "Twin"}, {"html_id", ""}}));
}

TEST_F(Maps, OldSelectorFormResolvesWithoutTheSelectorWhenAsked) {
    TestObj& home = Link("Home");
    CWebInfo request;
    TextToDescription(Key({{"class", "html_link"}, {"name", "Home"}, {"location", "4"}}), request);
    EXPECT_FALSE(frame.Engine().LookupDescription(frame, request));
    world.dispatcher.SetOption("UseQuorvin70Selector", 1);
    ASSERT_TRUE(frame.Engine().LookupDescription(frame, request));
    EXPECT_EQ(request.FindFirstValue("id")->GetRunTimeID(), home.RunTimeID());

    // Only a piece named "location" or "index" is a selector, not a name
    // that ends like one.
    AddDescriptionAttribute("my_location", WebVariantType::Integer);
    CWebInfo lookalike;
    TextToDescription(Key({{"class", "html_link"}, {"name", "Home"}, {"my_location", "4"}}),
                      lookalike);
    EXPECT_FALSE(frame.Engine().LookupDescription(frame, lookalike));
}

TEST_F(Maps, RebuildsWhenMarkedDirtyOrWhenAnyTemplateChanges) {
    TestObj& home = Link("Home");
    ASSERT_TRUE(KeyOf(home));
    home.SetText("name", "Start");
    EXPECT_EQ(*KeyOf(home), Key({{"class", "html_link"}, {"name", "Home"}})); // still cached
    CWebInfo reset;
    EXPECT_FALSE(frame.CallMethod("ResetConversionMaps", reset));
    EXPECT_EQ(*KeyOf(home), Key({{"class", "html_link"}, {"name", "Start"}}));

    SetTemplate("html_link", "class name url", "", "index");
    home.SetText("url", "a.html");
    EXPECT_EQ(*KeyOf(home), Key({{"class", "html_link"}, {"name", "Start"}, {"url", "a.html"}}));
}

// An element whose properties cannot be read.
class Unreadable : public TestObj {
public:
    using TestObj::TestObj;
    bool GetProperties(CWebInfo&) override { return !failing; }
    bool failing = true;
};

TEST_F(Maps, FailedRebuildLeavesEmptyDirtyMapsAndTheGeneralSearchAnswers) {
    TestObj& home = Link("Home");
    auto* broken = new Unreadable(CWebRunTimeID(home.RunTimeID().First(), 1, 5000, -1));
    frame.AddChild(CWebObjRef(broken)); // owned by the frame
    broken->UseUtil(&U().link);
    EXPECT_FALSE(frame.Engine().EnsureMaps(frame));
    EXPECT_TRUE(frame.Engine().IsDirty());
    EXPECT_EQ(frame.Engine().GetDescriptionCount(), 0u);

    CWebInfo reply =
        world.Send(MsgId::DescToId, frame.RunTimeID(), {{"class", "html_link"}, {"name", "Home"}});
    EXPECT_EQ(Ids(reply), std::vector<CWebRunTimeID>{home.RunTimeID()});

    broken->failing = false;
    EXPECT_TRUE(frame.Engine().EnsureMaps(frame));
    EXPECT_FALSE(frame.Engine().IsDirty());
}

// A frame whose collection asks its own engine again, as page code run
// while collecting can.
TEST_F(Maps, ReentrantLookupDuringARebuildDoesNotRecurse) {
    TestObj& home = Link("Home");
    int nested = 0;
    struct Reentrant : TestObj {
        using TestObj::TestObj;
        TestFrame* frame = nullptr;
        int* nested = nullptr;
        bool GetPropertyAt(std::string& name, CWebVariantList& value, int position) override {
            if (position < 0 && name == "name") {
                CWebInfo inner;
                inner.AddAttr("class", CWebVariantList(CWebVariant("html_link")));
                frame->CallMethod("DescToId", inner);
                ++*nested;
            }
            return TestObj::GetPropertyAt(name, value, position);
        }
    };
    auto* element = new Reentrant(CWebRunTimeID(home.RunTimeID().First(), 1, 6000, -1));
    frame.AddChild(CWebObjRef(element)); // owned by the frame
    element->UseUtil(&U().link);
    element->SetText("class", "html_link");
    element->SetText("name", "Inner");
    element->frame = &frame;
    element->nested = &nested;
    EXPECT_TRUE(frame.Engine().EnsureMaps(frame));
    EXPECT_EQ(nested, 1);
    EXPECT_EQ(frame.Engine().GetDescriptionCount(), 2u);
}

// Look-alike groups of every size, their members interleaved across the
// page: each object still gets its own description, and each description
// names the object it was made for, whichever order the groups were met in.
TEST_F(Maps, InterleavedLookAlikeGroupsEachResolveToTheirOwnObject) {
    SetTemplate("html_link", "class name", "html_id", "location");
    std::vector<TestObj*> links;
    for (int round = 0; round < 4; ++round) {
        const std::string solo = "Solo" + std::to_string(round);
        for (std::string_view name :
             {std::string_view("Zed"), std::string_view("Alpha"), std::string_view("Mid"),
              std::string_view("Alpha"), std::string_view(solo)}) {
            links.push_back(&Link(name, round % 2 == 0 ? "even" : "odd"));
        }
    }
    std::set<std::string, std::less<>> seen;
    for (TestObj* link : links) {
        std::optional<std::string_view> key = KeyOf(*link);
        ASSERT_TRUE(key) << "an object of the page has no description";
        EXPECT_TRUE(seen.emplace(*key).second) << "two objects share the description " << *key;
        CWebInfo request;
        TextToDescription(*key, request);
        ASSERT_TRUE(frame.Engine().LookupDescription(frame, request));
        EXPECT_EQ(request.FindFirstValue("id")->GetRunTimeID(), link->RunTimeID())
            << "the description " << *key << " names another object";
    }
    EXPECT_EQ(frame.Engine().GetIdentifierCount(), links.size());
}

// An element whose property read deletes an object the rebuild has already
// read, as page code run by a read can.
TEST_F(Maps, ObjectDeletedDuringARebuildIsLeftOutOfTheMaps) {
    TestObj& doomed = Link("Doomed");
    struct Deleter : TestObj {
        using TestObj::TestObj;
        CWebObjRef victim;
        bool GetPropertyAt(std::string& name, CWebVariantList& value, int position) override {
            if (position < 0 && name == "name" && victim.IsValid()) {
                victim->GetParent()->RemoveChild(victim);
                victim.Destroy();
            }
            return TestObj::GetPropertyAt(name, value, position);
        }
    };
    auto* deleter = new Deleter(CWebRunTimeID(doomed.RunTimeID().First(), 1, 7000, -1));
    frame.AddChild(CWebObjRef(deleter)); // owned by the frame
    deleter->UseUtil(&U().link);
    deleter->SetText("class", "html_link");
    deleter->SetText("name", "Survivor");
    const CWebRunTimeID doomedId = doomed.RunTimeID();
    deleter->victim = CWebObjRef(&doomed);

    ASSERT_TRUE(frame.Engine().EnsureMaps(frame));
    EXPECT_FALSE(frame.Engine().FindDescription(doomedId));
    ASSERT_TRUE(frame.Engine().FindDescription(deleter->RunTimeID()));
    EXPECT_EQ(*frame.Engine().FindDescription(deleter->RunTimeID()),
              Key({{"class", "html_link"}, {"name", "Survivor"}}));
    EXPECT_EQ(frame.Engine().GetDescriptionCount(), 1u);
}

} // namespace
