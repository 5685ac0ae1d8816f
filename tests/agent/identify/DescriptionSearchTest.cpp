#include "agent/identify/DescriptionSearch.h"

#include "IdentifyWorld.h"
#include "agent/channel/Trace.h"

#include <gtest/gtest.h>

namespace {

using namespace identify_test;

constexpr nsresult kNotFound = kResultNotFound;
constexpr nsresult kSeveral = kResultSeveralFound;

// One frame with two links named alike, three identical images and a
// general element, laid out in reading order.
class Search : public ::testing::Test {
protected:
    Search()
        : frame(world.AddFrame(1)),
          first(world.AddElement(frame, frame, U().link, "Next", {0, 0, 50, 10})),
          second(world.AddElement(frame, frame, U().link, "Next", {60, 0, 110, 10})) {
        for (int i = 0; i < 3; ++i) {
            images.push_back(
                &world.AddElement(frame, frame, U().image, "dot", {i * 20, 20, i * 20 + 10, 30}));
        }
        general = &world.AddElement(frame, frame, U().generalObj, "Next", {0, 40, 100, 60}, 0);
        general->SetText("tag_name", "DIV");
    }

    std::vector<CWebRunTimeID> Find(const std::vector<IdentifyWorld::Attr>& attrs,
                                    MsgId id = MsgId::DescToId) {
        reply = world.Send(id, frame.RunTimeID(), attrs);
        return Ids(reply);
    }

    IdentifyWorld world;
    TestFrame& frame;
    TestObj& first;
    TestObj& second;
    std::vector<TestObj*> images;
    TestObj* general = nullptr;
    CWebInfo reply;
};

TEST_F(Search, SelectorsPickByPositionAndOutOfRangeFindsNothing) {
    EXPECT_EQ(Find({{"class", "html_rect"}}).size(), 3u);
    EXPECT_EQ(reply.GetRetValue(), kSeveral);
    EXPECT_EQ(Find({{"class", "html_rect"}, {"index", 2}}),
              std::vector<CWebRunTimeID>{images[2]->RunTimeID()});
    // A selector sent as text counts as its number.
    EXPECT_EQ(Find({{"class", "html_rect"}, {"index", "1"}}),
              std::vector<CWebRunTimeID>{images[1]->RunTimeID()});
    for (int32_t outside : {3, 5, -1}) {
        EXPECT_TRUE(Find({{"class", "html_rect"}, {"index", outside}}).empty());
        EXPECT_EQ(reply.GetRetValue(), kNotFound) << outside;
    }
}

TEST_F(Search, LocationOfFramesIsReadingOrderOfTheirRectangles) {
    // Two frames side by side, listed right-hand one first.
    TestFrame& right = world.AddFrame(2, {400, 0, 800, 600});
    TestFrame& left = world.AddFrame(3, {0, 0, 400, 600});
    frame.Set("rect", CWebVariantList(CWebVariant(RECT{0, 700, 800, 900}))); // below both
    const CWebRunTimeID browser = world.Browser().RunTimeID();
    auto find = [&](int32_t location) {
        return Ids(world.Send(MsgId::DescToIdChildren, browser,
                              {{"class", "html_frame"}, {"location", location}}));
    };
    EXPECT_EQ(find(0), std::vector<CWebRunTimeID>{left.RunTimeID()});
    EXPECT_EQ(find(1), std::vector<CWebRunTimeID>{right.RunTimeID()});
    EXPECT_EQ(find(2), std::vector<CWebRunTimeID>{frame.RunTimeID()});
    EXPECT_TRUE(find(3).empty());

    std::vector<CWebObjRef> frames = {CWebObjRef(&right), CWebObjRef(&left)};
    EXPECT_EQ(GetLocation(right, frames), 1);
    TestObj noRect(CWebRunTimeID(1, 2, -1, -1));
    EXPECT_EQ(GetLocation(noRect, frames), -1);
}

TEST_F(Search, GeneralElementsOnlyForTheirOwnClass) {
    EXPECT_EQ(Find({{"name", "Next"}}).size(), 2u); // the two links, not the DIV
    EXPECT_EQ(Find({{"class", "html_general_element"}, {"name", "Next"}}),
              std::vector<CWebRunTimeID>{general->RunTimeID()});
    EXPECT_TRUE(Find({{"class", "html_object"}, {"tag_name", "DIV"}}).empty());
}

TEST_F(Search, ContextThatDoesNotExistIsUnexpectedAndEmptyContextSearchesEveryBrowser) {
    CWebRunTimeID gone = frame.RunTimeID();
    gone.SetSecond(999);
    reply = world.Send(MsgId::DescToId, gone, {{"class", "html_link"}});
    EXPECT_EQ(reply.GetRetValue(), E_UNEXPECTED);
    reply = world.Send(MsgId::CountObjects, gone, {{"class", "html_link"}});
    EXPECT_EQ(reply.FindFirstValue("number_of_objects")->GetInteger(), 0);

    std::vector<CWebObjRef> all;
    DispatcherView view(world.dispatcher);
    ASSERT_TRUE(CollectObjects(view, {}, all, kChildFilterOrdinary, Descend::Yes));
    ASSERT_FALSE(all.empty());
    EXPECT_EQ(all.front().Get(), &world.Browser());
    EXPECT_EQ(all.size(), 1u + 1u + 5u); // browser, frame, links and images
    reply = world.Send(MsgId::DescToId, {}, {{"class", "html_link"}, {"index", 1}});
    EXPECT_EQ(Ids(reply), std::vector<CWebRunTimeID>{second.RunTimeID()});

    world.dispatcher.hasRegistry = false;
    reply = world.Send(MsgId::DescToId, {}, {{"class", "html_link"}});
    EXPECT_EQ(reply.GetRetValue(), E_UNEXPECTED);
}

TEST_F(Search, ChildrenOnlySearchIsNotAnsweredWithADeeperObject) {
    TestObj& nested = world.AddElement(first, frame, U().link, "Deep", {0, 0, 5, 5});
    EXPECT_EQ(Find({{"class", "html_link"}, {"name", "Deep"}}),
              std::vector<CWebRunTimeID>{nested.RunTimeID()});
    EXPECT_TRUE(Find({{"class", "html_link"}, {"name", "Deep"}}, MsgId::DescToIdChildren).empty());
}

TEST_F(Search, PatternsMatchAndRunawayPatternsEndAsNoMatch) {
    EXPECT_EQ(Find({{"class", "html_link"}, {"name", "!N.xt"}}).size(), 2u);
    first.SetText("name", std::string(40, 'a') + "b");
    second.SetText("name", std::string(40, 'a'));
    // The pattern backtracks without end on the first name and gives up
    // there; for the rest of that search it counts as no match unseen, so
    // that thousands of names cost one give-up.
    EXPECT_TRUE(Find({{"class", "html_link"}, {"name", "!(a+)+$"}}).empty());
    EXPECT_EQ(reply.GetRetValue(), kNotFound);
    // A search where it does not run away matches as before.
    first.SetText("name", "plain");
    EXPECT_EQ(Find({{"class", "html_link"}, {"name", "!(a+)+$"}}),
              std::vector<CWebRunTimeID>{second.RunTimeID()});
    // Outside a search a runaway pattern is tried each time.
    std::string pattern = "!(a+)+$";
    const std::string runaway = std::string(40, 'a') + "b";
    EXPECT_FALSE(MatchText(pattern, runaway));
    EXPECT_TRUE(MatchText(pattern, std::string(40, 'a')));
    {
        RunawayPatternScope scope;
        EXPECT_TRUE(MatchText(pattern, "aaa"));
        EXPECT_FALSE(MatchText(pattern, runaway));
        EXPECT_FALSE(MatchText(pattern, "aaa")) << "given up for the rest of the scope";
        std::string plain = "!a+";
        EXPECT_TRUE(MatchText(plain, "aaa")) << "other patterns unaffected";
    }
    EXPECT_TRUE(MatchText(pattern, "aaa"));
}

TEST_F(Search, HostileDescriptionsAreAnswered) {
    CWebInfo request;
    request.SetMsgId(ToInt(MsgId::DescToId));
    request.SetRunTimeID(frame.RunTimeID());
    request.AppendAttr("class", CWebVariantList(CWebVariant("html_link")));
    for (int i = 0; i < 300; ++i) {
        request.AppendAttr("attr" + std::to_string(i), CWebVariantList(CWebVariant("")));
    }
    request.AppendAttr("", CWebVariantList(CWebVariant("x")));
    request.AppendAttr("name", CWebVariantList(CWebVariant(RECT{1, 2, 3, 4})));
    request.AppendAttr("row", CWebVariantList(CWebVariant(3, 4)));
    request.AppendAttr("html_id", CWebVariantList(CWebVariant(CWebRunTimeID(1, 2, 3, 4))));
    request.AppendAttr("col", CWebVariantList::FromWire(WebVariantType::Status, 1, {}));
    request.AppendAttr("index", CWebVariantList(CWebVariant(RECT{})));
    CWebInfo answered = world.Send(request);
    EXPECT_EQ(answered.GetRetValue(), kNotFound);

    // An "id" in the description is not taken for the engine's answer.
    reply = world.Send(MsgId::DescToId, frame.RunTimeID(), {{"class", "html_link"}});
    CWebInfo withId = request;
    withId.ClearAttrs();
    withId.AppendAttr("id", CWebVariantList(CWebVariant(images[0]->RunTimeID())));
    withId.AppendAttr("class", CWebVariantList(CWebVariant("html_link")));
    withId.AppendAttr("name", CWebVariantList(CWebVariant("Nothing like it")));
    EXPECT_EQ(world.Send(withId).GetRetValue(), kNotFound);
}

TEST_F(Search, FilterTracesEachAttributeAndTheOutcome) {
    std::vector<std::string> lines;
    // The trace goes to the viewer window; without one the mask drops to 0,
    // so only check that tracing a search neither fails nor changes it.
    const int32_t mask = GetTraceMask();
    SetTraceMask(0x100);
    std::vector<CWebObjRef> list = {CWebObjRef(&first), CWebObjRef(&second)};
    CWebInfo request;
    request.AppendAttr("name", CWebVariantList(CWebVariant("Next")));
    request.AppendAttr("index", CWebVariantList(CWebVariant(1)));
    FilterObjVectorByDesc(request, list);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list.front().Get(), &second);
    SetTraceMask(mask);
}

TEST_F(Search, ObjectsAtAPointLeaveOutBordersAndRows) {
    auto at = [&](int32_t x, int32_t y) {
        CWebInfo request;
        request.SetMsgId(ToInt(MsgId::ObjectsAtPoint));
        request.SetRunTimeID(frame.RunTimeID());
        CWebVariantList point;
        point.SetPair(x, y);
        request.AppendAttr("point", point);
        reply = world.Send(request);
        return Ids(reply);
    };
    EXPECT_EQ(at(25, 5), std::vector<CWebRunTimeID>{first.RunTimeID()});
    EXPECT_EQ(reply.GetRetValue(), NS_OK);
    EXPECT_TRUE(at(50, 5).empty()); // on the right border of the first link
    EXPECT_EQ(reply.GetRetValue(), kNotFound);
    EXPECT_TRUE(at(25, 0).empty()); // on the top border

    TestObj& row = world.AddElement(frame, frame, U().row, "", {0, 0, 200, 12});
    row.OnMethod("SkipObjFromPoint", [](CWebInfo& r) {
        r.SetRetValue(NS_OK);
        return true;
    });
    TestObj& cell = world.AddElement(row, frame, U().cell, "", {0, 0, 100, 12});
    EXPECT_EQ(at(25, 5), (std::vector<CWebRunTimeID>{first.RunTimeID(), cell.RunTimeID()}));
    EXPECT_EQ(reply.GetRetValue(), kSeveral);

    CWebInfo noPoint = world.Send(MsgId::ObjectsAtPoint, frame.RunTimeID(), {{"point", "1,2"}});
    EXPECT_EQ(noPoint.GetRetValue(), E_UNEXPECTED);
    CWebRunTimeID gone = frame.RunTimeID();
    gone.SetSecond(999);
    EXPECT_EQ(world.Send(MsgId::ObjectsAtPoint, gone).GetRetValue(), E_FAIL);
}

TEST_F(Search, SeveralFoundListsOnlyClassesThatShowInIdLists) {
    // The frame utility's flags keep frames out of "id" lists; elements show.
    world.AddFrame(7);
    reply = world.Send(MsgId::DescToId, world.Browser().RunTimeID(), {{"name", "!frame.*"}});
    EXPECT_EQ(reply.GetRetValue(), kSeveral);
    const bool framesHidden = (U().frame.GetClassFlags() & CWebObjUtil::kHiddenFromIdList) != 0;
    EXPECT_EQ(Ids(reply).size(), framesHidden ? 0u : 2u);
    reply = world.Send(MsgId::CountObjects, world.Browser().RunTimeID(), {{"name", "!frame.*"}});
    EXPECT_EQ(reply.FindFirstValue("number_of_objects")->GetInteger(), 2);
    EXPECT_EQ(reply.GetRetValue(), NS_OK);
}

} // namespace
