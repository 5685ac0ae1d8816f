// Frame and page objects on real pages of the simulated browser: frame
// properties, frame discovery and pruning, the page's loading state and the
// browser commands.
#include "agent/channel/RequestArgs.h"
#include "agent/common/DomHelpers.h"
#include "agent/common/WindowHelpers.h"
#include "agent/model/CNS6Browser.h"
#include "agent/model/CNS6Page.h"
#include "platform/browser/shell/Browser.h"
#include "platform/browser/shell/Network.h"
#include "platform/win32/WinUser.h"
#include "platform/xpcom/dom/nsIDOMHTMLElements.h"
#include "support/ShellPageTest.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

using browser::DocShell;

#define OPEN(url) ASSERT_NO_FATAL_FAILURE(Open(url))

class FrameOnShell : public traptest::ShellPageTest {
protected:
    FrameOnShell() : ShellPageTest("webagent_frames") {}

    void Open(const std::string& url) { OpenUrl(url); }

    DocShell* Content() { return m_Window->ContentShell(); }

    std::vector<CWebObjRef> Frames() {
        std::vector<CWebObjRef> frames;
        Page().AppendFrames(frames);
        return frames;
    }

    // The frame object of a document shell's window, made when missing.
    CNS6Frame* FrameOf(DocShell* shell) {
        Page().RefreshFrames();
        CWebObjRef frame = Page().FindFrameByWindow(shell->DOMWindow());
        return dynamic_cast<CNS6Frame*>(frame.Get());
    }

    static std::string StringOf(CWebObj& object, std::string_view name) {
        CWebVariantList value;
        EXPECT_TRUE(object.GetProperty(name, value)) << name;
        if (value.GetType() != WebVariantType::String || value.IsEmpty()) {
            return "<not a string>";
        }
        return value.GetAt(0)->GetString();
    }

    static int32_t IntegerOf(CWebObj& object, std::string_view name) {
        CWebVariantList value;
        EXPECT_TRUE(object.GetProperty(name, value)) << name;
        if (value.GetType() != WebVariantType::Integer || value.IsEmpty()) {
            return -99;
        }
        return value.GetAt(0)->GetInteger();
    }

    static nsresult Command(CWebObj& page, std::string_view command, std::string_view url = {}) {
        CWebInfo request;
        AppendString(request, "command", command);
        if (!url.empty()) {
            AppendString(request, "url", url);
        }
        EXPECT_TRUE(page.CallMethod("BrowserCommand", request));
        return request.GetRetValue();
    }

    std::string ContentUrl() {
        nsCOMPtr<nsIDOMWindowInternal> window = Content()->DOMWindow();
        nsString href;
        window->GetLocationHref(href);
        return ToNarrow(href);
    }
};

TEST_F(FrameOnShell, FramesReportTitlesTypesAndNames) {
    Write("titled.html", "<title>Left side</title><p>left</p>");
    Write("untitled.html", "<p>no title here</p>");
    Write("picture.html", "<img src='x.png' width=10 height=10>");
    Write("mixed.html", "<img src='x.png' width=10 height=10><p>caption</p>");
    OPEN(Write("top.html", "<title>Top</title><frameset cols='25%,25%,25%,*'>"
                           "<frame name=left id=leftId src='titled.html'>"
                           "<frame name=right src='untitled.html?x=1#here'>"
                           "<frame name=pic src='picture.html'>"
                           "<frame name=mix src='mixed.html'></frameset>"));
    const auto& shells = Content()->Children();
    ASSERT_EQ(shells.size(), 4u);
    CNS6Frame* left = FrameOf(shells[0].get());
    CNS6Frame* right = FrameOf(shells[1].get());
    CNS6Frame* picture = FrameOf(shells[2].get());
    CNS6Frame* mixed = FrameOf(shells[3].get());
    ASSERT_TRUE(left && right && picture && mixed);

    CWebVariantList classes;
    ASSERT_TRUE(left->GetProperty("class", classes));
    ASSERT_EQ(classes.GetCount(), 1u);
    EXPECT_EQ(classes.GetAt(0)->GetString(), "html_frame");
    EXPECT_EQ(IntegerOf(*left, "handle"),
              static_cast<int32_t>(HandleToULong(shells[0]->NativeWindow())));

    EXPECT_EQ(StringOf(*left, "title"), "Left side");
    EXPECT_EQ(StringOf(*left, "frame_title"), "Left side");
    EXPECT_EQ(StringOf(*right, "title"), "");
    EXPECT_EQ(StringOf(*right, "frame_title"), "__NO_TITLE_");
    EXPECT_EQ(StringOf(*left, "page_title"), "Top");
    EXPECT_EQ(StringOf(Page(), "page_title"), "Top");
    EXPECT_EQ(StringOf(*left, "html_id"), "leftId");
    EXPECT_EQ(StringOf(Page(), "html_id"), "");

    EXPECT_EQ(StringOf(*picture, "type"), "image_frame");
    EXPECT_EQ(StringOf(*mixed, "type"), "document_frame");
    EXPECT_EQ(StringOf(*left, "type"), "document_frame");

    // Until the tool's options are read, window names are not used: the
    // title, else the last path segment of the address.
    EXPECT_EQ(StringOf(*left, "name"), "Left side");
    EXPECT_EQ(StringOf(*right, "name"), "untitled.html");
    EXPECT_EQ(StringOf(*picture, "name"), "picture.html");

    CWebVariantList parent;
    ASSERT_TRUE(left->GetProperty("parent", parent));
    ASSERT_EQ(parent.GetType(), WebVariantType::RunTimeID);
    EXPECT_EQ(parent.GetAt(0)->GetRunTimeID(), m_Browser->RunTimeID());
    EXPECT_EQ(left->RunTimeID().First(), m_Browser->RunTimeID().First());
    EXPECT_EQ(left->RunTimeID().Third(), -1);
}

TEST_F(FrameOnShell, WindowNamesCountOnceTheOptionIsReadAsZero) {
    Write("untitled.html", "<p>x</p>");
    OPEN(Write("top.html", "<frameset cols='50%,*'><frame name=menu src='untitled.html'>"
                           "<frame src='noslash'></frameset>"));
    CNS6Interface* dispatcher = GetNS6Dispatcher();
    dispatcher->SetOption("UseOldName", 0);
    dispatcher->AnnounceConnection(m_Window->Handle(), nullptr);
    ASSERT_EQ(dispatcher->CachedUseOldName(), 0);
    CNS6Frame* menu = FrameOf(Content()->Children()[0].get());
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(StringOf(*menu, "name"), "menu");
}

TEST_F(FrameOnShell, UrlWithoutSeparatorNamesTheFrameByItsClass) {
    OPEN("about:blank");
    EXPECT_EQ(StringOf(Page(), "url"), "about:blank");
    EXPECT_EQ(StringOf(Page(), "name"), "html_frame");
}

TEST_F(FrameOnShell, NestedFramesAreDirectChildrenOfThePage) {
    Write("inner.html", "<title>Inner</title><p>deep</p>");
    Write("middle.html", "<p>middle</p><iframe name=inner src='inner.html'></iframe>");
    OPEN(Write("top.html", "<p>top</p><iframe name=middle src='middle.html'></iframe>"));
    std::vector<CWebObjRef> frames = Frames();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(Page().GetChildCount(), 2);
    DocShell* inner = Content()->Children()[0]->Children()[0].get();
    CWebObjRef innerFrame = Page().FindFrameByWindow(inner->DOMWindow());
    ASSERT_TRUE(innerFrame.IsValid());
    EXPECT_EQ(innerFrame->GetParent().Get(), m_Page.Get());
    EXPECT_EQ(Page().FindFrameById(innerFrame->RunTimeID()).Get(), innerFrame.Get());
    EXPECT_EQ(Page().GetChildById(innerFrame->RunTimeID()).Get(), innerFrame.Get());
    EXPECT_EQ(StringOf(*innerFrame.Get(), "page_title"), "__NO_TITLE_");

    // The frame a frame sits in is found through the DOM windows.
    CWebObjRef middle = Page().FindFrameByWindow(Content()->Children()[0]->DOMWindow());
    ASSERT_TRUE(middle.IsValid());
    auto* innerObject = static_cast<CNS6Frame*>(innerFrame.Get());
    EXPECT_EQ(innerObject->GetFrameElement() != nullptr, true);
    CWebRunTimeID byWindow;
    EXPECT_EQ(Page().FindIdByWindow(inner->NativeWindow(), byWindow), NS_OK);
    EXPECT_EQ(byWindow, innerFrame->RunTimeID());
    CWebRunTimeID pageId;
    EXPECT_EQ(Page().FindIdByWindow(Page().GetWindow(), pageId), NS_OK);
    EXPECT_EQ(pageId, Page().RunTimeID());
    EXPECT_EQ(pageId.Second(), Page().GetWindowValue());

    // The browser lists the page followed by its frames.
    std::vector<CWebObjRef> all;
    m_Browser->CollectChildren(all, 1);
    EXPECT_EQ(all.size(), 3u);
}

TEST_F(FrameOnShell, RegistrationReusesPagesAndFrames) {
    Write("inner.html", "<p>inner</p>");
    OPEN(Write("top.html", "<p>top</p><iframe src='inner.html'></iframe>"));
    nsIDOMWindow* content = Content()->DOMWindow();
    EXPECT_EQ(Trap().GetOrCreatePage(content, nullptr).Get(), m_Page.Get());
    EXPECT_EQ(m_Browser->GetChild(1).Get(), m_Page.Get());
    EXPECT_EQ(m_Browser->GetChildCount(), 1);
    EXPECT_FALSE(Trap().GetOrCreatePage(nullptr, nullptr).IsValid());

    DocShell* inner = Content()->Children()[0].get();
    CWebObjRef frame = Trap().GetOrCreateFrame(inner->DOMWindow(), Page().GetWindow());
    ASSERT_TRUE(frame.IsValid());
    EXPECT_EQ(frame->GetParent().Get(), m_Page.Get());
    EXPECT_EQ(Trap().GetOrCreateFrame(inner->DOMWindow(), Page().GetWindow()).Get(), frame.Get());
    EXPECT_EQ(Frames().size(), 1u);
    // The page's own window answers the page.
    EXPECT_EQ(Trap().GetOrCreateFrame(content, Page().GetWindow()).Get(), m_Page.Get());
    // A window of no known browser registers nothing.
    HWND stranger = traptest::MakeWindow();
    EXPECT_FALSE(Trap().GetOrCreateFrame(inner->DOMWindow(), stranger).IsValid());
    DestroyWindow(stranger);
}

TEST_F(FrameOnShell, FrameIsRemovedWhenItsDocumentGoesAway) {
    Write("inner.html", "<p>inner</p>");
    OPEN(Write("top.html", "<p>top</p><iframe id=f src='inner.html'></iframe>"));
    ASSERT_EQ(Frames().size(), 1u);
    CWebObjRef frame = Frames()[0];
    EXPECT_EQ(Page().GetChildCount(), 1);
    // The document holding the frame is replaced by one without frames.
    EXPECT_EQ(Command(Page(), "Navigate", Write("plain.html", "<p>plain</p>")), NS_OK);
    m_App.WaitUntilIdle();
    EXPECT_FALSE(static_cast<CNS6Frame*>(frame.Get())->IsAlive());
    EXPECT_TRUE(Frames().empty());
    EXPECT_FALSE(frame.IsValid());
    EXPECT_EQ(Page().GetChildCount(), 0);
}

TEST_F(FrameOnShell, StateIsOneWhileLoadingAndFourAfter) {
    Write("next.html", "<p>next</p><iframe src='inner.html'></iframe>");
    Write("inner.html", "<p>inner</p>");
    OPEN(Write("top.html", "<p>top</p>"));
    EXPECT_EQ(IntegerOf(Page(), "state"), 4);
    EXPECT_EQ(Command(Page(), "Navigate", Write("next.html", "<p>next</p>")), NS_OK);
    EXPECT_EQ(IntegerOf(Page(), "state"), 1);
    ASSERT_TRUE(m_App.WaitUntilIdle());
    EXPECT_EQ(IntegerOf(Page(), "state"), 4);
    EXPECT_NE(ContentUrl().find("next.html"), std::string::npos);

    // "state" is listed once, first, and carries the page's own answer.
    CWebInfo all;
    Page().GetAllProperties(all);
    ASSERT_GT(all.GetAttrCount(), 1u);
    EXPECT_EQ(*all.GetAttrName(0), "state");
    int states = 0;
    for (size_t i = 0; i < all.GetAttrCount(); ++i) {
        states += *all.GetAttrName(i) == "state" ? 1 : 0;
    }
    EXPECT_EQ(states, 1);
    EXPECT_NE(all.FindAttr("selected_text"), nullptr);
}

TEST_F(FrameOnShell, BrowserCommands) {
    std::string first = Write("first.html", "<p>first</p>");
    OPEN(first);
    // Back and Forward without history, and an unknown command, do nothing.
    EXPECT_EQ(Command(Page(), "Back"), NS_OK);
    EXPECT_EQ(Command(Page(), "Forward"), NS_OK);
    EXPECT_EQ(Command(Page(), "Jump"), NS_OK);
    ASSERT_TRUE(m_App.WaitUntilIdle());
    EXPECT_EQ(ContentUrl(), first);

    // A missing command, or Navigate without an address, fails.
    CWebInfo empty;
    EXPECT_TRUE(Page().CallMethod("BrowserCommand", empty));
    EXPECT_EQ(empty.GetRetValue(), E_FAIL);
    EXPECT_EQ(Command(Page(), "Navigate"), E_FAIL);

    std::string second = Write("second.html", "<p>second</p>");
    EXPECT_EQ(Command(Page(), "Navigate", second), NS_OK);
    ASSERT_TRUE(m_App.WaitUntilIdle());
    EXPECT_EQ(ContentUrl(), second);
    EXPECT_EQ(Command(Page(), "Back"), NS_OK);
    ASSERT_TRUE(m_App.WaitUntilIdle());
    EXPECT_EQ(ContentUrl(), first);
    EXPECT_EQ(Command(Page(), "Forward"), NS_OK);
    ASSERT_TRUE(m_App.WaitUntilIdle());
    EXPECT_EQ(ContentUrl(), second);
    EXPECT_EQ(Command(Page(), "ReLoad"), NS_OK);
    EXPECT_EQ(Command(Page(), "Stop"), NS_OK);
    ASSERT_TRUE(m_App.WaitUntilIdle());
    EXPECT_EQ(IntegerOf(Page(), "state"), 4);

    // The browser object hands the command to its page.
    CWebInfo viaBrowser;
    AppendString(viaBrowser, "command", "Home");
    m_App.SetHomePage(first);
    EXPECT_TRUE(m_Browser->CallMethod("BrowserCommand", viaBrowser));
    ASSERT_TRUE(m_App.WaitUntilIdle());
    EXPECT_EQ(viaBrowser.GetRetValue(), NS_OK);
    EXPECT_EQ(ContentUrl(), first);
}

TEST_F(FrameOnShell, NavigateCutsLongAddressesTo1024Bytes) {
    std::string base = Write("target.html", "<p>target</p>");
    OPEN(base);
    std::string url = base + "?";
    url.append(2000 - url.size(), 'q');
    ASSERT_EQ(url.size(), 2000u);
    EXPECT_EQ(Command(Page(), "Navigate", url), NS_OK);
    ASSERT_TRUE(m_App.WaitUntilIdle());
    EXPECT_EQ(ContentUrl(), url.substr(0, 1024));
}

TEST_F(FrameOnShell, DisabledBrowserWindowRefusesMethods) {
    Write("inner.html", "<p>inner</p>");
    OPEN(Write("top.html", "<p>top</p><iframe src='inner.html'></iframe>"));
    ASSERT_EQ(Frames().size(), 1u);
    CWebObjRef frame = Frames()[0];
    EnableWindow(m_Window->Handle(), FALSE);

    CWebInfo scroll;
    CWebVariantList pos;
    pos.SetPair(0, 10);
    scroll.SetAttr("pos", pos);
    EXPECT_TRUE(frame->CallMethod("ScrollFrameByPoint", scroll));
    EXPECT_EQ(scroll.GetRetValue(), E_FAIL);

    // The page swallows the command and leaves the record alone.
    CWebInfo back;
    AppendString(back, "command", "Back");
    back.SetRetValue(static_cast<nsresult>(12345));
    EXPECT_TRUE(Page().CallMethod("BrowserCommand", back));
    EXPECT_EQ(back.GetRetValue(), static_cast<nsresult>(12345));

    EnableWindow(m_Window->Handle(), TRUE);
    CWebInfo again;
    again.SetAttr("pos", pos);
    EXPECT_TRUE(frame->CallMethod("ScrollFrameByPoint", again));
    EXPECT_EQ(again.GetRetValue(), NS_OK);
}

TEST_F(FrameOnShell, MakeVisibleOfAVisibleFrameKeepsTheScrollPosition) {
    Write("inner.html", "<p>inner</p>");
    OPEN(Write("top.html", "<iframe src='inner.html' width=200 height=100></iframe>"
                           "<div style='height:3000px'>tall</div>"));
    ASSERT_EQ(Frames().size(), 1u);
    CWebObjRef frame = Frames()[0];
    CWebVariantList own;
    ASSERT_TRUE(frame->GetProperty("rect", own));
    CWebInfo request;
    EXPECT_TRUE(frame->CallMethod("MakeVisible", request));
    EXPECT_EQ(request.GetRetValue(), NS_OK);
    const CWebVariant* rect = TypedArg(request, "rect", WebVariantType::Rect);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(CWebVariant(rect->GetRect()), *own.GetAt(0));
    EXPECT_EQ(IntegerArg(request, "handle"),
              static_cast<CNS6Frame*>(frame.Get())->GetWindowValue());
    PRInt32 y = -1;
    Content()->DOMWindow()->GetScrollY(&y);
    EXPECT_EQ(y, 0);

    // The page ends the walk with its own rectangle.
    CWebInfo pageRequest;
    EXPECT_TRUE(Page().CallMethod("MakeVisible", pageRequest));
    EXPECT_EQ(pageRequest.GetRetValue(), NS_OK);
    EXPECT_EQ(IntegerArg(pageRequest, "handle"), Page().GetWindowValue());
}

TEST_F(FrameOnShell, MakeVisibleScrollsAFrameBelowTheVisibleArea) {
    Write("inner.html", "<p>inner</p>");
    // The frame's left edge lines up with the content area's.
    OPEN(Write("top.html", "<body style='margin:0'><div style='height:3000px'>tall</div>"
                           "<iframe src='inner.html' width=200 height=100></iframe></body>"));
    ASSERT_EQ(Frames().size(), 1u);
    CWebObjRef frame = Frames()[0];
    CWebInfo request;
    EXPECT_TRUE(frame->CallMethod("MakeVisible", request));
    EXPECT_EQ(request.GetRetValue(), NS_OK);
    PRInt32 y = 0;
    Content()->DOMWindow()->GetScrollY(&y);
    EXPECT_GT(y, 0);
    const CWebVariant* rect = TypedArg(request, "rect", WebVariantType::Rect);
    ASSERT_NE(rect, nullptr);
    EXPECT_LT(rect->GetRect().top, rect->GetRect().bottom);
}

TEST_F(FrameOnShell, ScrollingAndEmbeddedWindowArguments) {
    OPEN(Write("top.html", "<div style='height:3000px;width:3000px'>big</div>"));
    CWebInfo missing;
    EXPECT_TRUE(Page().CallMethod("ScrollPointIntoView", missing));
    EXPECT_EQ(missing.GetRetValue(), E_INVALIDARG);
    EXPECT_TRUE(Page().CallMethod("ScrollFrameByPoint", missing));
    EXPECT_EQ(missing.GetRetValue(), E_INVALIDARG);

    // A point inside the visible area scrolls nothing; one outside becomes
    // the top left.
    EXPECT_TRUE(Page().ScrollPointIntoView(POINT{5, 5}));
    PRInt32 x = -1, y = -1;
    Content()->DOMWindow()->GetScrollY(&y);
    EXPECT_EQ(y, 0);
    CWebInfo far;
    CWebVariantList pos;
    pos.SetPair(0, 2000);
    far.SetAttr("pos", pos);
    EXPECT_TRUE(Page().CallMethod("ScrollPointIntoView", far));
    EXPECT_EQ(far.GetRetValue(), NS_OK);
    Content()->DOMWindow()->GetScrollX(&x);
    Content()->DOMWindow()->GetScrollY(&y);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 2000);

    CWebInfo embed;
    AppendInteger(embed, "handle", 12345);
    EXPECT_TRUE(Page().CallMethod("IsEmbedHwnd", embed));
    EXPECT_EQ(embed.GetRetValue(), static_cast<nsresult>(1));
    CWebInfo noHandle;
    EXPECT_TRUE(Page().CallMethod("IsEmbedHwnd", noHandle));
    EXPECT_EQ(noHandle.GetRetValue(), NS_OK);

    CWebInfo unknown;
    EXPECT_FALSE(Page().CallMethod("NoSuchMethod", unknown));
    EXPECT_EQ(unknown.GetRetValue(), E_NOTIMPL);
    CWebInfo reset;
    reset.SetRetValue(static_cast<nsresult>(7));
    EXPECT_FALSE(Page().CallMethod("ResetConversionMaps", reset));
    EXPECT_EQ(reset.GetRetValue(), static_cast<nsresult>(7));
    EXPECT_TRUE(Page().GetConversionMaps().IsDirty());
}

TEST_F(FrameOnShell, TextAndSelectedTextAreCleanPlainText) {
    OPEN(Write("top.html", "<p>Hello\tthere</p><p>second line</p>"));
    std::string text = StringOf(Page(), "text");
    EXPECT_NE(text.find("Hello there"), std::string::npos) << text;
    EXPECT_NE(text.find("second line"), std::string::npos) << text;
    EXPECT_EQ(text.find('\n'), std::string::npos);
    EXPECT_EQ(text.find('\r'), std::string::npos);
    EXPECT_EQ(StringOf(Page(), "selected_text"), "");
}

TEST_F(FrameOnShell, FramesetTextFailsByNameButDoesNotEndTheListing) {
    Write("a.html", "<p>a</p>");
    OPEN(Write("top.html", "<frameset cols='50%,*'><frame src='a.html'><frame src='a.html'>"
                           "</frameset>"));
    CWebVariantList text;
    EXPECT_FALSE(Page().GetProperty("text", text));
    CWebInfo all;
    Page().GetAllProperties(all);
    const CWebVariantList* listed = all.FindAttr("text");
    ASSERT_NE(listed, nullptr);
    EXPECT_TRUE(listed->IsStatus());
    EXPECT_EQ(listed->GetStatus(), 4);
    EXPECT_NE(all.FindAttr("rect"), nullptr);
}

TEST_F(FrameOnShell, ElementCountChangeMarksTheMapsForRebuilding) {
    OPEN(Write("top.html", "<p>one</p><p>two</p>"));
    ASSERT_TRUE(Page().BuildChildren());
    const int32_t before = Page().GetDocumentSignature();
    EXPECT_GT(before, 3);
    EXPECT_TRUE(Page().BuildChildren());
    EXPECT_EQ(Page().GetDocumentSignature(), before);
    nsCOMPtr<nsIDOMElement> added;
    nsIDOMDocument* dom = Content()->CurrentDocument();
    dom->CreateElement(u"P", getter_AddRefs(added));
    nsCOMPtr<nsIDOMHTMLDocument> html = do_QueryInterface(dom);
    nsCOMPtr<nsIDOMHTMLElement> body;
    html->GetBody(getter_AddRefs(body));
    nsCOMPtr<nsIDOMNode> result;
    body->AppendChild(added.get(), getter_AddRefs(result));
    EXPECT_TRUE(Page().BuildChildren());
    EXPECT_EQ(Page().GetDocumentSignature(), before + 1);
    EXPECT_EQ(Page().GetConversionMaps().GetFrameId(), Page().RunTimeID());
}

TEST_F(FrameOnShell, ClosedWindowLeavesADeadPage) {
    OPEN(Write("top.html", "<p>top</p>"));
    m_Window->Close();
    EXPECT_FALSE(Page().IsAlive());
    CWebVariantList state;
    ASSERT_TRUE(Page().GetProperty("state", state));
    EXPECT_TRUE(state.IsStatus());
    EXPECT_EQ(state.GetStatus(), 1);
    CWebVariantList handle;
    ASSERT_TRUE(Page().GetProperty("handle", handle));
    EXPECT_EQ(handle.GetType(), WebVariantType::Integer);
    EXPECT_FALSE(Page().FindFrameById(Page().RunTimeID()).IsValid());
}

} // namespace

namespace {

// Registers the inner frames of a page with `count` of them and looks each up
// by DOM window, by identifier and through the trap state; answers how many
// frame objects the page's bookkeeping looked at on the way.
class FrameBookkeeping : public FrameOnShell {
protected:
    uint64_t WorkFor(int count) {
        std::string markup = "<p>top</p>";
        for (int i = 0; i < count; ++i) {
            markup += "<iframe src='inner.html'></iframe>";
        }
        Write("inner.html", "<p>inner</p>");
        m_Window = m_App.OpenWindow(Write("frames" + std::to_string(count) + ".html", markup));
        EXPECT_TRUE(m_Window != nullptr && m_App.WaitUntilIdle());
        if (m_Window == nullptr) {
            return 0;
        }
        m_Browser =
            Trap().GetOrCreateBrowser(m_Window->Handle(), m_Window->ChromeShell()->DOMWindow());
        nsIDOMWindow* content = Content()->DOMWindow();
        m_Page = Trap().GetOrCreatePage(content, GetNativeWindow(content));
        EXPECT_TRUE(m_Page.IsValid());
        if (!m_Page.IsValid()) {
            return 0;
        }
        const uint64_t before = Page().GetFramesExamined();
        EXPECT_EQ(Page().RefreshFrames(), NS_OK);
        int found = 0;
        for (const auto& shell : Content()->Children()) {
            nsIDOMWindow* window = shell->DOMWindow();
            CWebObjRef registered = Trap().GetOrCreateFrame(window, Page().GetWindow());
            CWebObjRef byWindow = Page().FindFrameByWindow(window);
            if (registered.IsValid() && byWindow.Get() == registered.Get() &&
                Page().FindFrameById(registered->RunTimeID()).Get() == registered.Get()) {
                ++found;
            }
        }
        EXPECT_EQ(found, count) << "every frame registered once and found by each way";
        EXPECT_EQ(Page().GetChildCount(), count);
        return Page().GetFramesExamined() - before;
    }
};

TEST_F(FrameBookkeeping, RegistrationAndLookupLookAtAFewFramesEach) {
    const uint64_t small = WorkFor(40);
    const uint64_t large = WorkFor(160);
    // Four times the frames: about four times the work. Looking at every
    // frame for every registration or lookup would be sixteen times.
    EXPECT_GT(small, 0u);
    EXPECT_LE(large, 6 * small) << "small " << small << ", large " << large;
    EXPECT_LE(large, 8u * 160) << "a few frames looked at per frame and lookup";
}

} // namespace
