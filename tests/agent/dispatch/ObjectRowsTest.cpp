#include "TestObjects.h"
#include "agent/channel/RequestArgs.h"
#include "agent/common/AgentCodes.h"
#include "agent/dispatch/CNS6Interface.h"
#include "agent/dispatch/Identification.h"
#include "platform/win32/CrtFile.h"
#include "platform/win32/Testing.h"
#include "platform/win32/Windows.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace {

using dispatch_test::MakeTestWindow;
using dispatch_test::TestDispatcher;
using dispatch_test::TestObj;
using dispatch_test::TestTree;
using dispatch_test::Value;

constexpr int32_t kFrameDomWindow = 0x5000;

CWebInfo Request(MsgId id, const CWebRunTimeID& target = {}) {
    CWebInfo record;
    record.SetMsgId(ToInt(id));
    record.SetRunTimeID(target);
    return record;
}

// A browser window with a page, a frame inside the page's window and a
// plug-in window inside the frame; the test objects mirror them, and the
// frame holds a link and an image.
class ObjectRows : public ::testing::Test {
protected:
    ObjectRows()
        : browserWindow(MakeTestWindow()), pageWindow(MakeTestWindow(browserWindow)),
          frameWindow(MakeTestWindow(pageWindow)), pluginWindow(MakeTestWindow(frameWindow)),
          tree(browserWindow), page(tree.Add(tree.Browser(), PageId())),
          frame(tree.Add(tree.Browser(), FrameId())), link(tree.Add(frame, ElementId(77))),
          image(tree.Add(frame, ElementId(78))) {
        dispatcher.browsers = {&tree.Browser()};
        page.SetText("class", "html_page");
        page.SetInteger("handle", Value(pageWindow));
        page.SetInteger("state", 4);
        frame.SetText("class", "html_frame");
        frame.SetInteger("handle", Value(frameWindow));
        link.SetText("class", "html_link");
        link.SetText("text", "Home");
        image.SetText("class", "html_image");
        image.SetInteger("width", 40);
    }
    ~ObjectRows() override {
        dispatcher.SetIdentificationService({});
        DestroyWindow(browserWindow);
    }

    CWebRunTimeID BrowserId() const { return {Value(browserWindow), -1, -1, -1}; }
    CWebRunTimeID PageId() const { return {Value(browserWindow), Value(pageWindow), -1, -1}; }
    CWebRunTimeID FrameId() const { return {Value(browserWindow), kFrameDomWindow, -1, -1}; }
    CWebRunTimeID ElementId(int32_t node) const {
        return {Value(browserWindow), kFrameDomWindow, node, -1};
    }

    HWND browserWindow;
    HWND pageWindow;
    HWND frameWindow;
    HWND pluginWindow;
    TestTree tree;
    TestObj& page;
    TestObj& frame;
    TestObj& link;
    TestObj& image;
    TestDispatcher dispatcher;
};

TEST_F(ObjectRows, ResolveFindsEachLevelAndReportsUnknownIdentifiers) {
    struct Case {
        CWebRunTimeID id;
        CWebObj* expected;
    };
    const Case cases[] = {
        {BrowserId(), &tree.Browser()},
        {PageId(), &page},
        {FrameId(), &frame},
        {ElementId(77), &link},
        {ElementId(99), nullptr},                                  // no such element
        {{Value(browserWindow), 0x7777, -1, -1}, nullptr},         // no such frame
        {{Value(browserWindow), 0x7777, 77, -1}, nullptr},         // element of no frame
        {{Value(browserWindow), kFrameDomWindow, 77, 0}, nullptr}, // other kind
        {CWebRunTimeID(), nullptr},
    };
    for (const Case& c : cases) {
        CWebInfo record = Request(MsgId::GetProperties, c.id);
        record.SetRetValue(E_FAIL);
        CWebObjRef found = dispatcher.ResolveObject(record);
        EXPECT_EQ(found.Get(), c.expected)
            << c.id.First() << "," << c.id.Second() << "," << c.id.Third() << "," << c.id.Fourth();
        EXPECT_EQ(record.GetRetValue(), c.expected ? NS_OK : kResultNotFound);
    }
}

TEST_F(ObjectRows, BrowserOfAChildWindowAndOfDeadOrUnregisteredWindows) {
    EXPECT_EQ(dispatcher.GetTopWindow(pluginWindow), browserWindow);
    EXPECT_EQ(dispatcher.GetTopWindow(nullptr), nullptr);
    EXPECT_EQ(dispatcher.FindBrowserByWindow(pluginWindow).Get(), &tree.Browser());

    HWND other = MakeTestWindow();
    EXPECT_TRUE(dispatcher.FindBrowserByWindow(other).IsNull());
    DestroyWindow(other);
    EXPECT_EQ(dispatcher.GetTopWindow(other), nullptr);
    EXPECT_TRUE(dispatcher.FindBrowserByWindow(other).IsNull());

    // Without a trap state there are no browsers at all.
    dispatcher.hasRegistry = false;
    std::vector<CWebObjRef> browsers;
    EXPECT_FALSE(dispatcher.GetBrowsers(browsers));
    EXPECT_TRUE(dispatcher.FindBrowserByWindow(pageWindow).IsNull());
}

TEST_F(ObjectRows, ObjectRowsForAMissingObject) {
    const CWebRunTimeID missing = ElementId(99);
    // Rows that need an object fail; rows that only resolve say "not found"
    // and leave the attributes as sent.
    for (MsgId id : {MsgId::GetState, MsgId::MainComboSelection, MsgId::WriteText,
                     MsgId::MakeVisible, MsgId::FindByProperties, MsgId::WriteFormatFile}) {
        CWebInfo record = Request(id, missing);
        dispatcher.Dispatch(record);
        EXPECT_EQ(record.GetRetValue(), E_FAIL) << MsgIdName(ToInt(id));
    }
    for (MsgId id : {MsgId::GetProperties, MsgId::GetDescription, MsgId::GetAllProperties,
                     MsgId::CallNamedMethod}) {
        CWebInfo record = Request(id, missing);
        AppendString(record, "text", "as sent");
        AppendString(record, "method_name", "MakeVisible");
        CWebInfo sent = record;
        dispatcher.Dispatch(record);
        EXPECT_EQ(record.GetRetValue(), kResultNotFound) << MsgIdName(ToInt(id));
        EXPECT_EQ(record.Attrs(), sent.Attrs()) << MsgIdName(ToInt(id));
    }
}

TestDispatcher* g_current = nullptr;
CInterface* CurrentDispatcher() {
    return g_current;
}

TEST_F(ObjectRows, ObjectsReadTheirOptionsFromTheProcessDispatcher) {
    link.SetText("text", "12345678");
    auto text = [&] {
        CWebInfo record = Request(MsgId::GetProperties, ElementId(77));
        AppendString(record, "text", "");
        dispatcher.Dispatch(record);
        return record.FindFirstValue("text")->GetString();
    };
    CWebInfo trim = Request(MsgId::SetToolOption);
    AppendString(trim, "var_name", "TrimProperties");
    AppendInteger(trim, "var_value", 5);
    dispatcher.Dispatch(trim);
    EXPECT_EQ(text(), "12345678"); // not yet the process's dispatcher

    g_current = &dispatcher;
    SetDispatcherSource(&CurrentDispatcher);
    EXPECT_EQ(text(), "12345");
    SetDispatcherSource(nullptr);
    g_current = nullptr;
    EXPECT_EQ(text(), "12345678");
}

TEST_F(ObjectRows, StateReplacesTheAttributesOrFails) {
    CWebInfo record = Request(MsgId::GetState, PageId());
    AppendString(record, "noise", "x");
    dispatcher.Dispatch(record);
    EXPECT_EQ(record.GetRetValue(), NS_OK);
    ASSERT_EQ(record.GetAttrCount(), 1u);
    EXPECT_EQ(record.FindFirstValue("state")->GetInteger(), 4);

    CWebInfo noState = Request(MsgId::GetState, ElementId(77));
    dispatcher.Dispatch(noState);
    EXPECT_EQ(noState.GetRetValue(), E_FAIL);
}

TEST_F(ObjectRows, PropertiesOfManyAppendOnlyValuesOfTheListsType) {
    auto ask = [&](std::vector<CWebRunTimeID> ids) {
        CWebInfo record = Request(MsgId::GetPropertiesOfMany);
        CWebVariantList list;
        for (const CWebRunTimeID& id : ids) {
            list.Append(id);
        }
        record.AppendAttr("id", list);
        AppendString(record, "text", "ignored");
        AppendString(record, "width", "ignored");
        dispatcher.Dispatch(record);
        EXPECT_EQ(record.GetRetValue(), NS_OK);
        return record;
    };
    // A link and a missing object: the placeholder cannot join a string list.
    CWebInfo linkFirst = ask({ElementId(77), ElementId(99)});
    const CWebVariantList* text = linkFirst.FindAttr("text");
    ASSERT_NE(text, nullptr);
    ASSERT_EQ(text->GetCount(), 1u);
    EXPECT_EQ(text->GetAt(0)->GetString(), "Home");
    // Neither has a "width": one placeholder each.
    const CWebVariantList* width = linkFirst.FindAttr("width");
    ASSERT_EQ(width->GetCount(), 2u);
    EXPECT_EQ(width->GetAt(0)->GetType(), WebVariantType::None);

    // The missing object first: its placeholder stays ahead of the text.
    CWebInfo missingFirst = ask({ElementId(99), ElementId(77), ElementId(78)});
    text = missingFirst.FindAttr("text");
    ASSERT_EQ(text->GetCount(), 2u);
    EXPECT_EQ(text->GetAt(0)->GetType(), WebVariantType::None);
    EXPECT_EQ(text->GetAt(1)->GetString(), "Home");
    // Placeholders do not fix the list's type: the image's width still joins.
    width = missingFirst.FindAttr("width");
    ASSERT_EQ(width->GetCount(), 3u);
    EXPECT_EQ(width->GetAt(2)->GetInteger(), 40);
    EXPECT_EQ(missingFirst.FindAttr("id")->GetCount(), 3u);

    CWebInfo noIds = Request(MsgId::GetPropertiesOfMany);
    AppendString(noIds, "text", "");
    dispatcher.Dispatch(noIds);
    EXPECT_EQ(noIds.GetRetValue(), kResultNotFound);
}

TEST_F(ObjectRows, IdentifierOfAWindowLooksAtAncestorsInTheBrowserDispatcher) {
    auto idOf = [](CInterface& dispatcher, CWebVariantList handle) {
        CWebInfo record = Request(MsgId::IdOfWindow);
        record.AppendAttr("handle", handle);
        dispatcher.Dispatch(record);
        return record;
    };
    CWebInfo direct = idOf(dispatcher, CWebVariant(Value(frameWindow)));
    EXPECT_EQ(direct.GetRetValue(), NS_OK);
    ASSERT_EQ(direct.GetAttrCount(), 1u);
    EXPECT_EQ(direct.FindFirstValue("id")->GetRunTimeID(), FrameId());

    // The plug-in window has no object; its frame's window is its parent.
    CWebInfo nested = idOf(dispatcher, CWebVariant(Value(pluginWindow)));
    EXPECT_EQ(nested.FindFirstValue("id")->GetRunTimeID(), FrameId());

    // The base dispatcher looks at the window itself only.
    struct WindowOnly : TestDispatcher {
        nsresult FindIdByHandle(HWND window, CWebRunTimeID& out) override {
            return CInterface::FindIdByHandle(window, out);
        }
    } windowOnly;
    windowOnly.browsers = dispatcher.browsers;
    EXPECT_EQ(idOf(windowOnly, CWebVariant(Value(frameWindow))).GetRetValue(), NS_OK);
    CWebInfo refused = idOf(windowOnly, CWebVariant(Value(pluginWindow)));
    EXPECT_EQ(refused.GetRetValue(), E_FAIL);
    EXPECT_EQ(refused.FindFirstValue("handle")->GetInteger(), Value(pluginWindow));

    EXPECT_EQ(idOf(dispatcher, CWebVariant("123")).GetRetValue(), E_INVALIDARG);
    EXPECT_EQ(idOf(dispatcher, CWebVariantList()).GetRetValue(), E_INVALIDARG);

    CWebObjRef byHandle = dispatcher.ResolveByHandle(pluginWindow);
    EXPECT_EQ(byHandle.Get(), &frame);
}

std::string ReadHostFile(const std::string& name) {
    std::ifstream in(MapFileName(name), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST_F(ObjectRows, WriteTextPlainAndWrapped) {
    const std::string fileName = "c:\\temp\\dispatch_text.txt";
    auto write = [&](MsgId id, const CWebRunTimeID& target, bool withName = true) {
        CWebInfo record = Request(id, target);
        if (withName) {
            AppendString(record, "file_name", fileName);
        }
        dispatcher.Dispatch(record);
        return record.GetRetValue();
    };
    link.SetText("text", "Sign in");
    EXPECT_EQ(write(MsgId::WriteText, ElementId(77)), NS_OK);
    EXPECT_EQ(ReadHostFile(fileName), "Sign in\r\n");

    // 45 characters between blanks: lines of 20, 20 and 5.
    link.SetText("text", "abcde fghij klmno pqrst uvwxy zABCD EFGHI JKLMN OPQRS");
    EXPECT_EQ(write(MsgId::WriteTextWrapped, ElementId(77)), NS_OK);
    EXPECT_EQ(ReadHostFile(fileName), "abcdefghijklmnopqrst\r\nuvwxyzABCDEFGHIJKLMN\r\nOPQRS\r\n");
    // Exactly 20: the line feed of the wrap and the one the writer adds.
    link.SetText("text", "abcdefghijklmnopqrst");
    EXPECT_EQ(write(MsgId::WriteTextWrapped, ElementId(77)), NS_OK);
    EXPECT_EQ(ReadHostFile(fileName), "abcdefghijklmnopqrst\r\n\r\n");

    EXPECT_EQ(write(MsgId::WriteText, ElementId(77), false), E_INVALIDARG);
    EXPECT_EQ(write(MsgId::WriteText, ElementId(78)), E_UNEXPECTED); // an image has no text
    EXPECT_EQ(write(MsgId::WriteText, ElementId(99)), E_FAIL);
    std::filesystem::remove(MapFileName(fileName));
}

TEST_F(ObjectRows, MethodRowsAnswerNotImplementedOnlyWhereTheTableSaysSo) {
    for (MsgId id : {MsgId::MainComboSelection, MsgId::MainComboItemToNum, MsgId::ContainsText}) {
        CWebInfo record = Request(id, ElementId(77));
        dispatcher.Dispatch(record);
        EXPECT_EQ(record.GetRetValue(), E_NOTIMPL) << MsgIdName(ToInt(id));
    }
    for (MsgId id :
         {MsgId::Doc2VievConvert, MsgId::Viev2DocConvert, MsgId::ItemToNum, MsgId::NumToItem,
          MsgId::WriteInfoToFile, MsgId::MakeVisible, MsgId::MakeHwndObjVisible,
          MsgId::WriteAttrValToFile, MsgId::UpdateActiveXMap, MsgId::CallEvent, MsgId::SetValue}) {
        CWebInfo record = Request(id, ElementId(77));
        dispatcher.Dispatch(record);
        EXPECT_EQ(record.GetRetValue(), NS_OK) << MsgIdName(ToInt(id));
        ASSERT_FALSE(link.calls.empty());
        EXPECT_EQ(link.calls.back().first, MsgIdName(ToInt(id)));
    }
    // A handled method's own result code is the reply's.
    link.OnMethod("ContainsText", [](CWebInfo& r) {
        r.SetRetValue(kResultSeveralFound);
        return true;
    });
    CWebInfo contains = Request(MsgId::ContainsText, ElementId(77));
    dispatcher.Dispatch(contains);
    EXPECT_EQ(contains.GetRetValue(), kResultSeveralFound);
}

TEST_F(ObjectRows, FormatFileStopsWhenTheHeaderIsNotWritten) {
    CWebInfo record = Request(MsgId::WriteFormatFile, ElementId(77));
    dispatcher.Dispatch(record);
    EXPECT_EQ(record.GetRetValue(), E_NOTIMPL);
    ASSERT_EQ(link.calls.size(), 1u);
    EXPECT_EQ(link.calls[0].first, "WriteFormatHeader");

    link.OnMethod("WriteFormatHeader", [](CWebInfo&) { return true; });
    link.calls.clear();
    dispatcher.Dispatch(record = Request(MsgId::WriteFormatFile, ElementId(77)));
    EXPECT_EQ(record.GetRetValue(), E_NOTIMPL);
    ASSERT_EQ(link.calls.size(), 2u);
    EXPECT_EQ(link.calls[1].first, "WriteFormatToFile");

    link.OnMethod("WriteFormatToFile", [](CWebInfo&) { return true; });
    dispatcher.Dispatch(record = Request(MsgId::WriteFormatFile, ElementId(77)));
    EXPECT_EQ(record.GetRetValue(), NS_OK);
}

TEST_F(ObjectRows, NamedMethodSeesTheRequestWithoutItsName) {
    CWebInfo record = Request(MsgId::CallNamedMethod, ElementId(77));
    AppendString(record, "method_name", "MakeVisible");
    AppendInteger(record, "argument", 5);
    dispatcher.Dispatch(record);
    ASSERT_EQ(link.calls.size(), 1u);
    EXPECT_EQ(link.calls[0].first, "MakeVisible");
    EXPECT_EQ(link.calls[0].second.FindAttr("method_name"), nullptr);
    EXPECT_EQ(link.calls[0].second.FindFirstValue("argument")->GetInteger(), 5);
    EXPECT_EQ(record.GetRetValue(), NS_OK);
}

TEST_F(ObjectRows, FindByPropertiesSearchesEachChildsSubtreeBeforeTheNextChild) {
    // Under the frame: link (with a nested "match" inside) before image
    // ("match" too); the nested one comes first in depth-first order.
    TestObj& nested = tree.Add(link, ElementId(80));
    nested.SetText("class", "html_link");
    nested.SetText("name", "target");
    image.SetText("name", "target");
    CWebInfo record = Request(MsgId::FindByProperties, FrameId());
    AppendString(record, "name", "target");
    dispatcher.Dispatch(record);
    EXPECT_EQ(record.GetRetValue(), NS_OK);
    ASSERT_EQ(record.GetAttrCount(), 1u);
    EXPECT_EQ(record.FindFirstValue("id")->GetRunTimeID(), ElementId(80));

    CWebInfo none = Request(MsgId::FindByProperties, FrameId());
    AppendString(none, "name", "nobody");
    dispatcher.Dispatch(none);
    EXPECT_EQ(none.GetRetValue(), E_FAIL);
    EXPECT_NE(none.FindAttr("name"), nullptr);
}

TEST_F(ObjectRows, DescriptionKeepsTheRequestHeader) {
    CWebObjUtil util(0, {"html_link"});
    CWebInfo obligatory;
    obligatory.SetMsgId(99);
    AppendString(obligatory, "text", "");
    util.SetDescriptionTemplate(obligatory, CWebInfo(), "index", "name");
    link.UseUtil(&util);

    CWebInfo record = Request(MsgId::GetDescription, ElementId(77));
    record.SetWebInfoId(12);
    dispatcher.Dispatch(record);
    EXPECT_EQ(record.GetMsgId(), ToInt(MsgId::GetDescription));
    EXPECT_EQ(record.GetWebInfoId(), 12);
    EXPECT_EQ(record.GetRunTimeID(), ElementId(77));
    EXPECT_EQ(record.GetRetValue(), NS_OK);
    ASSERT_EQ(record.GetAttrCount(), 1u);
    EXPECT_EQ(record.FindFirstValue("text")->GetString(), "Home");
    link.UseUtil(nullptr);
}

TEST_F(ObjectRows, ImageSavingFallsBackWhenNoObjectSavesIt) {
    CWebInfo record = Request(MsgId::SaveImgContentToFile, BrowserId());
    AppendString(record, "url", "file:///c:/x.gif");
    AppendString(record, "file_name", "c:\\temp\\x.gif");
    dispatcher.Dispatch(record);
    EXPECT_EQ(record.GetRetValue(), E_FAIL); // the fallback: no such local file

    tree.Browser().OnMethod("SaveImgContentToFile", [](CWebInfo& r) {
        r.SetRetValue(NS_OK);
        return true;
    });
    dispatcher.Dispatch(record);
    EXPECT_EQ(record.GetRetValue(), NS_OK);
}

// The description search as a script: the objects it finds and its code.
std::vector<CWebObjRef> g_found;
nsresult g_searchCode = NS_OK;
std::vector<Descend> g_descends;
nsresult ScriptedSearch(CInterface&, CWebInfo&, Descend descend, std::vector<CWebObjRef>& found) {
    g_descends.push_back(descend);
    found = g_found;
    return g_searchCode;
}

class DescriptionRows : public ObjectRows {
protected:
    DescriptionRows() {
        IdentificationService service;
        service.findObjectsByDesc = &ScriptedSearch;
        dispatcher.SetIdentificationService(service);
        g_searchCode = NS_OK;
        g_descends.clear();
    }
    ~DescriptionRows() override { g_found.clear(); }
    CWebInfo Run(MsgId id) {
        CWebInfo record = Request(id, FrameId());
        AppendString(record, "class", "html_link");
        dispatcher.Dispatch(record);
        return record;
    }
};

TEST_F(DescriptionRows, ResultShapingForNoneOneAndSeveral) {
    CWebObjUtil hidden(CWebObjUtil::kHiddenFromIdList, {"html_image"});
    image.UseUtil(&hidden);
    TestObj& second = tree.Add(frame, ElementId(79));

    g_found = {};
    CWebInfo none = Run(MsgId::DescToId);
    EXPECT_EQ(none.GetRetValue(), kResultNotFound);

    g_found = {CWebObjRef(&link)};
    CWebInfo one = Run(MsgId::DescToIdChildren);
    EXPECT_EQ(one.GetRetValue(), NS_OK);
    ASSERT_EQ(one.GetAttrCount(), 1u);
    EXPECT_EQ(one.FindFirstValue("id")->GetRunTimeID(), ElementId(77));

    // Three found, one of a class kept out of the list.
    g_found = {CWebObjRef(&link), CWebObjRef(&image), CWebObjRef(&second)};
    CWebInfo several = Run(MsgId::DescToId);
    EXPECT_EQ(several.GetRetValue(), kResultSeveralFound);
    ASSERT_EQ(several.GetAttrCount(), 2u);
    EXPECT_EQ(several.GetAttrValue(0)->GetAt(0)->GetRunTimeID(), ElementId(77));
    EXPECT_EQ(several.GetAttrValue(1)->GetAt(0)->GetRunTimeID(), ElementId(79));
    EXPECT_EQ(g_descends, (std::vector{Descend::Yes, Descend::No, Descend::Yes}));

    g_searchCode = E_UNEXPECTED;
    CWebInfo failed = Run(MsgId::DescToId);
    EXPECT_EQ(failed.GetRetValue(), E_UNEXPECTED);
    EXPECT_NE(failed.FindAttr("class"), nullptr);
    image.UseUtil(nullptr);
}

TEST_F(DescriptionRows, NestingReductionDropsObjectsThatContainTheNextOne) {
    // The link contains the image; the image does not contain the third.
    TestObj& third = tree.Add(frame, ElementId(79));
    link.OnMethod("IsParent", [&](CWebInfo& r) {
        return r.FindFirstValue("child_id")->GetRunTimeID() == ElementId(78);
    });
    g_found = {CWebObjRef(&link), CWebObjRef(&image), CWebObjRef(&third)};
    CWebInfo kept = Run(MsgId::DescToIdUnnested);
    EXPECT_EQ(kept.GetRetValue(), kResultSeveralFound);
    ASSERT_EQ(kept.GetAttrCount(), 2u);
    EXPECT_EQ(kept.GetAttrValue(0)->GetAt(0)->GetRunTimeID(), ElementId(78));

    // Down to one: the answer becomes a single match.
    g_found = {CWebObjRef(&link), CWebObjRef(&image)};
    CWebInfo single = Run(MsgId::DescToIdUnnested);
    EXPECT_EQ(single.GetRetValue(), NS_OK);
    ASSERT_EQ(single.GetAttrCount(), 1u);
    EXPECT_EQ(single.FindFirstValue("id")->GetRunTimeID(), ElementId(78));
}

TEST_F(DescriptionRows, CountAndObjectInformation) {
    g_found = {CWebObjRef(&link), CWebObjRef(&image)};
    g_searchCode = kResultSeveralFound; // the count does not look at it
    CWebInfo count = Run(MsgId::CountObjects);
    EXPECT_EQ(count.GetRetValue(), NS_OK);
    ASSERT_EQ(count.GetAttrCount(), 1u);
    EXPECT_EQ(count.FindFirstValue("number_of_objects")->GetInteger(), 2);

    g_searchCode = NS_OK;
    CWebInfo noFile = Run(MsgId::WriteObjectInfo);
    EXPECT_EQ(noFile.GetRetValue(), E_INVALIDARG);

    for (TestObj* object : {&link, &image}) {
        object->OnMethod("WriteObjInfo", [](CWebInfo&) { return true; });
    }
    link.OnMethod("WriteObjInfoHeader", [](CWebInfo&) { return true; });
    CWebInfo info = Request(MsgId::WriteObjectInfo, FrameId());
    AppendString(info, "class", "html_link");
    AppendString(info, "file_name", "c:\\temp\\info.txt");
    dispatcher.Dispatch(info);
    EXPECT_EQ(info.GetRetValue(), NS_OK);
    EXPECT_EQ(info.FindAttr("file_name"), nullptr); // the search did not see it
    ASSERT_EQ(image.calls.size(), 1u);
    // The writers get the request as sent, file name included.
    EXPECT_EQ(image.calls[0].second.FindFirstValue("file_name")->GetString(), "c:\\temp\\info.txt");
    EXPECT_EQ(link.calls.size(), 2u);

    image.OnMethod("WriteObjInfo", [](CWebInfo&) { return false; });
    CWebInfo refused = Request(MsgId::WriteObjectInfo, FrameId());
    AppendString(refused, "class", "html_link");
    AppendString(refused, "file_name", "c:\\temp\\info.txt");
    dispatcher.Dispatch(refused);
    EXPECT_EQ(refused.GetRetValue(), E_NOTIMPL);
}

TEST_F(ObjectRows, IdentificationRowsAreRefusedUntilTheSearchIsInstalled) {
    for (MsgId id :
         {MsgId::DescToId, MsgId::DescToIdChildren, MsgId::ObjectsAtPoint, MsgId::WriteObjectInfo,
          MsgId::CountObjects, MsgId::IdToDesc, MsgId::DescToIdUnnested, MsgId::EnumerateObjects}) {
        CWebInfo record = Request(id, FrameId());
        AppendString(record, "class", "html_link");
        AppendString(record, "file_name", "c:\\temp\\x.txt");
        dispatcher.Dispatch(record);
        EXPECT_EQ(record.GetRetValue(), E_NOTIMPL) << MsgIdName(ToInt(id));
    }
    // A class definition needs no search, only the trap state's class table.
    CWebInfo define = Request(MsgId::ClassDefinition, FrameId());
    AppendString(define, "class", "html_link");
    dispatcher.Dispatch(define);
    EXPECT_EQ(define.GetRetValue(), E_FAIL);
}

} // namespace
