// Identification on real pages of the simulated browser: for every element
// object of pages with frames, tables, forms and look-alike links and
// images, the description the agent generates, sent back to its frame,
// finds exactly that element.
#include "agent/channel/RequestArgs.h"
#include "agent/common/AgentCodes.h"
#include "agent/elements/ElementTestSupport.h"
#include "agent/host/TrapState.h"

#include <gtest/gtest.h>

namespace {

const char* const kInner = R"(<html><head><title>Inner</title></head><body>
<a href="p.html">Prev</a> <a href="n.html">Next</a> <a href="n2.html">Next</a>
<img src="dot.gif" width="8" height="8"><img src="dot.gif" width="8" height="8">
<p>inner text</p>
</body></html>)";

const char* const kOuter = R"(<html><head><title>Outer</title></head><body>
<p><a href="a.html">Home</a> <a href="b.html">More</a> <a href="c.html" id="m2">More</a>
<a href="c.html">More</a></p>
<p><img src="dot.gif" width="10" height="10"> <img src="dot.gif" width="10" height="10">
<a href="x.html"><img src="go.gif" width="20" height="10"></a>
<a href="y.html"><img src="go.gif" width="20" height="10"></a></p>
<table border="1"><tr><td>a</td><td>b</td></tr><tr><td>a</td><td>b</td></tr></table>
<table><tr><td>x</td></tr></table>
<form action="f.html"><input type="text" name="q"> <input type="text" name="q">
<input type="submit" value="Go"> <input type="submit" value="Go">
<input type="checkbox" name="c" value="1"> <input type="checkbox" name="c" value="1">
<input type="radio" name="r" value="a"> <input type="radio" name="r" value="b">
<select name="s"><option>one</option><option>two</option></select>
<textarea name="t">words</textarea></form>
<div>block</div><div>block</div><span>inline</span>
<iframe src="inner.html" width="300" height="150"></iframe>
<iframe src="inner.html" width="300" height="150"></iframe>
</body></html>)";

class RealPages : public elementtest::ElementsOnShell {
protected:
    void LoadSite() {
        Write("inner.html", kInner);
        LOAD_PAGE(kOuter);
    }

    CWebInfo Dispatch(CWebInfo record) {
        GetNS6Dispatcher()->Dispatch(record);
        return record;
    }

    // Every element of the page and its frames, general elements included.
    std::vector<CWebObjRef> Elements() {
        std::vector<CWebObjRef> objects = Collect(kChildFilterAll);
        std::erase_if(objects, [](const CWebObjRef& object) {
            const CWebRunTimeID& id = object->RunTimeID();
            return id.Third() == CWebRunTimeID::kUnused;
        });
        return objects;
    }

    void ExpectEveryDescriptionFindsItsElement(const std::vector<CWebObjRef>& objects) {
        for (const CWebObjRef& object : objects) {
            const CWebRunTimeID id = object->RunTimeID();
            const std::string what = ClassOf(object) + ":" + String(*object.Get(), "tag_name");
            CWebInfo ask;
            ask.SetMsgId(ToInt(MsgId::IdToDesc));
            ask.SetRunTimeID(id);
            CWebInfo description = Dispatch(ask);
            ASSERT_EQ(description.GetRetValue(), NS_OK) << what;
            ASSERT_NE(description.FindAttr("tag"), nullptr) << what;

            CWebInfo back = description;
            back.RemoveAttr("tag");
            back.SetMsgId(ToInt(MsgId::DescToId));
            back.SetRetValue(NS_OK);
            back.SetRunTimeID(id.FrameLevel());
            CWebInfo found = Dispatch(back);
            EXPECT_EQ(found.GetRetValue(), NS_OK) << what;
            const CWebVariant* first = found.FindFirstValue("id");
            ASSERT_NE(first, nullptr) << what;
            EXPECT_EQ(first->GetRunTimeID(), id) << what;
            EXPECT_EQ(found.GetAttrCount(), 1u) << what;
        }
    }
};

TEST_F(RealPages, EveryGeneratedDescriptionFindsItsElementAlsoAfterATemplateChange) {
    LoadSite();
    std::vector<CWebObjRef> objects = Elements();
    ASSERT_GT(objects.size(), 30u);
    {
        SCOPED_TRACE("default templates");
        ExpectEveryDescriptionFindsItsElement(objects);
    }

    for (const auto& [cls, opt] :
         std::vector<std::pair<std::string, std::string>>{{"html_link", "html_id url"},
                                                          {"html_rect", "url"},
                                                          {"html_check_button", "html_id"},
                                                          {"html_edit", "html_id"}}) {
        CWebInfo define;
        define.SetMsgId(ToInt(MsgId::ClassDefinition));
        AppendString(define, "class", cls);
        AppendString(define, "oblig", "MSW_class html_name");
        AppendString(define, "opt", opt);
        AppendString(define, "selector", "index");
        ASSERT_EQ(Dispatch(define).GetRetValue(), NS_OK) << cls;
    }
    {
        SCOPED_TRACE("templates with optional attributes");
        ExpectEveryDescriptionFindsItsElement(Elements());
    }
}

TEST_F(RealPages, FrameMapsAnswerTheGeneratedDescriptionWithOneLookup) {
    LoadSite();
    CWebObjRef home;
    for (const CWebObjRef& object : Elements()) {
        if (String(*object.Get(), "name") == "Home") {
            home = object;
        }
    }
    ASSERT_TRUE(home);
    CWebInfo ask;
    ask.SetMsgId(ToInt(MsgId::IdToDesc));
    ask.SetRunTimeID(home->RunTimeID());
    CWebInfo request = Dispatch(ask);
    ASSERT_EQ(request.GetRetValue(), NS_OK);
    request.RemoveAttr("tag");
    request.SetMsgId(ToInt(MsgId::DescToId));
    request.SetRunTimeID(home->RunTimeID().FrameLevel());

    CWebInfo lookup = request;
    ASSERT_TRUE(Page().CallMethod("DescToId", lookup));
    EXPECT_EQ(lookup.FindFirstValue("id")->GetRunTimeID(), home->RunTimeID());
    EXPECT_FALSE(Page().GetConversionMaps().IsDirty());

    CWebInfo reset;
    Page().CallMethod("ResetConversionMaps", reset);
    EXPECT_TRUE(Page().GetConversionMaps().IsDirty());
    CWebInfo reply = Dispatch(request);
    EXPECT_EQ(reply.GetRetValue(), NS_OK);
    EXPECT_EQ(reply.FindFirstValue("id")->GetRunTimeID(), home->RunTimeID());
    EXPECT_FALSE(Page().GetConversionMaps().IsDirty());
}

} // namespace
