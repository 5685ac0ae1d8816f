#include "IdentifyWorld.h"

#include <gtest/gtest.h>

namespace {

using namespace identify_test;

std::string StringOf(const CWebInfo& record, std::string_view name) {
    const CWebVariant* value = record.FindFirstValue(name);
    return value && value->GetType() == WebVariantType::String ? value->GetString() : "<none>";
}
int32_t IntegerOf(const CWebInfo& record, std::string_view name) {
    const CWebVariant* value = record.FindFirstValue(name);
    return value && value->GetType() == WebVariantType::Integer ? value->GetInteger() : -999;
}

class Describe : public ::testing::Test {
protected:
    Describe() : frame(world.AddFrame(1)) {}

    CWebInfo DescribeObject(const CWebObj& object) {
        return world.Send(MsgId::IdToDesc, object.RunTimeID());
    }
    // The generated description sent back to the frame finds exactly `object`.
    void ExpectRoundTrip(const CWebObj& object, const CWebRunTimeID& context) {
        CWebInfo description = DescribeObject(object);
        ASSERT_EQ(description.GetRetValue(), NS_OK) << StringOf(description, "name");
        CWebInfo reply = world.Send(DescriptionSentBack(description, context));
        EXPECT_EQ(reply.GetRetValue(), NS_OK) << StringOf(description, "name");
        EXPECT_EQ(Ids(reply), std::vector<CWebRunTimeID>{object.RunTimeID()})
            << StringOf(description, "name");
    }

    IdentifyWorld world;
    TestFrame& frame;
};

TEST_F(Describe, OnlyLinkNamedHomeGivesClassNameAndTag) {
    TestObj& home = world.AddElement(frame, frame, U().link, "Home", {});
    CWebInfo reply = DescribeObject(home);
    EXPECT_EQ(reply.GetRetValue(), NS_OK);
    EXPECT_EQ(reply.GetRunTimeID(), home.RunTimeID());
    ASSERT_EQ(reply.GetAttrCount(), 3u);
    EXPECT_EQ(StringOf(reply, "class"), "html_link");
    EXPECT_EQ(StringOf(reply, "name"), "Home");
    EXPECT_EQ(StringOf(reply, "tag"), "Home");
}

TEST_F(Describe, SecondOfTwoIdenticalButtonsCarriesItsPosition) {
    world.AddElement(frame, frame, U().pushButton, "OK", {});
    TestObj& second = world.AddElement(frame, frame, U().pushButton, "OK", {});
    CWebInfo reply = DescribeObject(second);
    EXPECT_EQ(reply.GetRetValue(), NS_OK);
    EXPECT_EQ(IntegerOf(reply, "location"), 1);
    ExpectRoundTrip(second, frame.RunTimeID());

    // The same through the general search alone, when the engine cannot
    // answer: position among the matches of the search context.
    TestObj& third = world.AddElement(frame, frame, U().pushButton, "OK", {});
    frame.answersIdToDesc = false;
    reply = DescribeObject(third);
    EXPECT_EQ(IntegerOf(reply, "location"), 2);
    EXPECT_EQ(StringOf(reply, "tag"), "OK");
}

TEST_F(Describe, OptionalAttributesAreAddedUntilTheObjectIsAlone) {
    ClassTable table;
    FillClassTable(table);
    SetClassTemplate(table, "html_edit", "class name", "html_id url", "index", "");
    TestObj& a = world.AddElement(frame, frame, U().edit, "q", {});
    TestObj& b = world.AddElement(frame, frame, U().edit, "q", {});
    a.SetText("html_id", "x");
    b.SetText("html_id", "x");
    a.SetText("url", "1");
    b.SetText("url", "2");
    frame.answersIdToDesc = false; // the general search alone
    for (TestObj* edit : {&a, &b}) {
        CWebInfo reply = DescribeObject(*edit);
        EXPECT_EQ(reply.GetRetValue(), NS_OK);
        EXPECT_EQ(StringOf(reply, "html_id"), "x");
        EXPECT_EQ(StringOf(reply, "url"), edit == &a ? "1" : "2");
        EXPECT_EQ(reply.FindAttr("index"), nullptr);
        ExpectRoundTrip(*edit, frame.RunTimeID());
    }
}

TEST_F(Describe, ElementsThatDoNotAskTheirFrameAreDescribedByTheFramesMaps) {
    // The maps number look-alikes among objects of the same description;
    // a search by class chain counts every object of the class and its
    // subclasses. An element's description must be the one the maps resolve.
    world.AddElement(frame, frame, U().textLink, "Go", {});
    TestObj& link = world.AddElement(frame, frame, U().link, "Go", {});
    TestObj& twin = world.AddElement(frame, frame, U().link, "Go", {});
    for (TestObj* element : {&link, &twin}) {
        element->OnMethod("IdToDesc", [](CWebInfo&) { return false; });
    }
    CWebInfo reply = DescribeObject(twin);
    EXPECT_EQ(IntegerOf(reply, "location"), 1);
    ExpectRoundTrip(twin, frame.RunTimeID());
    ExpectRoundTrip(link, frame.RunTimeID());
}

TEST_F(Describe, EmptyTagPropertyAndMissingObjects) {
    TestObj& unnamed = world.AddElement(frame, frame, U().image, "", {});
    EXPECT_EQ(StringOf(DescribeObject(unnamed), "tag"), "object");

    CWebRunTimeID gone = unnamed.RunTimeID();
    gone.SetThird(424242);
    EXPECT_EQ(world.Send(MsgId::IdToDesc, gone).GetRetValue(), kResultNotFound);

    // Frames are described by a search among the browser's objects.
    CWebInfo reply = DescribeObject(frame);
    EXPECT_EQ(reply.GetRetValue(), NS_OK);
    EXPECT_EQ(StringOf(reply, "name"), "frame1");
    ExpectRoundTrip(frame, world.Browser().RunTimeID());
}

TEST_F(Describe, EnumerationWalksObjectsNotIgnoredAndEndsUnexpected) {
    TestObj& a = world.AddElement(frame, frame, U().link, "A", {1, 2, 3, 4});
    TestObj& hidden = world.AddElement(frame, frame, U().link, "H", {});
    TestObj& c = world.AddElement(frame, frame, U().link, "C", {});
    hidden.SetInteger("IsIgnored", 1);
    auto step = [&](int32_t restart) {
        return world.Send(MsgId::EnumerateObjects, frame.RunTimeID(), {{"bEnumNeeded", restart}});
    };
    CWebInfo reply = step(1);
    EXPECT_EQ(reply.GetRetValue(), NS_OK);
    EXPECT_EQ(reply.GetRunTimeID(), a.RunTimeID());
    EXPECT_EQ(StringOf(reply, "name"), "A");
    ASSERT_NE(reply.FindFirstValue("rect"), nullptr);
    EXPECT_EQ(reply.FindFirstValue("rect")->GetRect().right, 3);
    reply = step(0);
    EXPECT_EQ(reply.GetRunTimeID(), c.RunTimeID()); // the ignored one is passed over
    EXPECT_EQ(StringOf(reply, "name"), "C");
    EXPECT_EQ(step(0).GetRetValue(), E_UNEXPECTED);
    EXPECT_EQ(step(1).GetRunTimeID(), a.RunTimeID()); // a restart begins again

    EXPECT_EQ(world.Send(MsgId::EnumerateObjects, frame.RunTimeID()).GetRetValue(), E_FAIL);
    EXPECT_EQ(world.Send(MsgId::EnumerateObjects, frame.RunTimeID(), {{"bEnumNeeded", "1"}})
                  .GetRetValue(),
              E_FAIL);
    a.Set("IsIgnored", CWebVariantList(CWebVariant("no")));
    EXPECT_EQ(step(1).GetRetValue(), E_UNEXPECTED);
    CWebRunTimeID gone = frame.RunTimeID();
    gone.SetSecond(31337);
    EXPECT_EQ(world.Send(MsgId::EnumerateObjects, gone, {{"bEnumNeeded", 1}}).GetRetValue(),
              E_UNEXPECTED);
}

TEST_F(Describe, ClassDefinitionNeedsItsStringsAndResetsEveryPagesMaps) {
    // Without a global trap state the template cannot be kept.
    CWebInfo reply = world.Send(
        MsgId::ClassDefinition, {},
        {{"class", "html_link"}, {"oblig", "class name"}, {"opt", ""}, {"selector", "index"}});
    EXPECT_EQ(reply.GetRetValue(), E_FAIL);
    world.AddElement(frame, frame, U().link, "Home", {});
    ASSERT_TRUE(frame.Engine().EnsureMaps(frame));
    world.Send(MsgId::ClassDefinition, {}, {{"class", "html_link"}});
    EXPECT_TRUE(frame.Engine().IsDirty()) << "maps reset in every case";
}

// Look-alike pages: for every object, the description generated for it,
// sent back, finds exactly that object; again after templates that add
// optional attributes.
TEST_F(Describe, EveryGeneratedDescriptionFindsItsObject) {
    TestFrame& other = world.AddFrame(2, {0, 600, 800, 900});
    other.SetText("name", "frame1"); // two frames alike
    std::vector<TestObj*> objects;
    for (TestFrame* page : {&frame, &other}) {
        for (int i = 0; i < 12; ++i) {
            const std::string name = i % 3 == 0 ? "More" : "Item " + std::to_string(i % 5);
            TestObj& link =
                world.AddElement(*page, *page, U().link, name, {0, i * 10, 50, i * 10 + 9});
            link.SetText("html_id", i % 4 == 0 ? "" : "id" + std::to_string(i % 2));
            link.SetText("url", "page" + std::to_string(i % 3) + ".html");
            objects.push_back(&link);
            TestObj& image =
                world.AddElement(link, *page, U().imageLink, "dot", {0, i * 10, 9, i * 10 + 9});
            image.SetText("url", "dot.gif");
            objects.push_back(&image);
        }
        TestObj& table = world.AddElement(*page, *page, U().table, "", {});
        objects.push_back(&table);
        for (int r = 0; r < 3; ++r) {
            TestObj& row = world.AddElement(table, *page, U().row, "", {});
            row.SetInteger("table_index", 0);
            row.SetInteger("row", r);
            objects.push_back(&row);
            for (int c = 0; c < 2; ++c) {
                TestObj& cell = world.AddElement(row, *page, U().cell, "x", {});
                cell.SetInteger("table_index", 0);
                cell.SetInteger("row", r);
                cell.SetInteger("col", c);
                objects.push_back(&cell);
            }
        }
        for (int i = 0; i < 3; ++i) {
            TestObj& box = world.AddElement(*page, *page, U().checkButton, "agree", {});
            box.SetText("part_value", i == 2 ? "yes" : "on");
            objects.push_back(&box);
        }
    }
    auto contextOf = [&](const TestObj* object) { return object->RunTimeID().FrameLevel(); };
    for (const TestObj* object : objects) {
        SCOPED_TRACE("before template change");
        ExpectRoundTrip(*object, contextOf(object));
    }
    ExpectRoundTrip(other, world.Browser().RunTimeID());

    ClassTable table;
    FillClassTable(table);
    SetClassTemplate(table, "html_link", "class name", "html_id url", "index", "");
    SetClassTemplate(table, "html_rect", "class name", "url", "location", "url");
    SetClassTemplate(table, "html_check_button", "class name", "part_value", "location", "");
    for (const TestObj* object : objects) {
        SCOPED_TRACE("after template change");
        ExpectRoundTrip(*object, contextOf(object));
    }
}

} // namespace
