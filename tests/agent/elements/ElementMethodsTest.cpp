// The named methods of element objects on real pages: scrolling into view
// through divisions and frames with the screen position the tool clicks,
// replayed events, the disabled-window check, and checkpoint files written
// from real tables and frames, compared byte for byte.
#include "ElementTestSupport.h"
#include "agent/channel/RequestArgs.h"
#include "agent/dispatch/CInterface.h"
#include "agent/elements/CNS6Table.h"
#include "platform/win32/WinUser.h"
#include "platform/xpcom/dom/nsIDOMHTMLElements.h"
#include "platform/xpcom/nsError.h"

#include <sstream>

namespace {

using elementtest::ElementsOnShell;

class ElementMethods : public ElementsOnShell {
protected:
    static CWebInfo WithPoint(int32_t x, int32_t y) {
        CWebInfo record;
        CWebVariantList point;
        point.SetPair(x, y);
        record.SetAttr("point", point);
        return record;
    }

    static std::optional<POINT> PairOf(const CWebInfo& record, std::string_view name) {
        std::optional<std::pair<int32_t, int32_t>> pair = PairArg(record, name);
        if (!pair) {
            return std::nullopt;
        }
        return POINT{pair->first, pair->second};
    }

    static std::optional<RECT> RectOf(const CWebInfo& record) {
        const CWebVariant* value = TypedArg(record, "rect", WebVariantType::Rect);
        if (value == nullptr) {
            return std::nullopt;
        }
        return value->GetRect();
    }

    static int32_t ScrollY(CNS6Frame& frame) {
        PRInt32 y = -1;
        frame.GetDomWindow()->GetScrollY(&y);
        return y;
    }

    // The inner frame object of the page (the first frame child).
    CNS6Frame* InnerFrame() {
        std::vector<CWebObjRef> frames;
        Page().CollectFrames(frames);
        return frames.empty() ? nullptr : dynamic_cast<CNS6Frame*>(frames.front().Get());
    }

    static std::string FilePath(std::string_view name) {
        return (std::filesystem::temp_directory_path() /
                ("webagent_methods_" + std::to_string(getpid()) + "_" + std::string(name)))
            .string();
    }

    static std::string Bytes(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        if (!in) {
            return "<none>";
        }
        std::ostringstream out;
        out << in.rdbuf();
        return out.str();
    }

    std::string File(std::string_view name) {
        std::string path = FilePath(name);
        if (std::find(m_Files.begin(), m_Files.end(), path) == m_Files.end()) {
            m_Files.push_back(path);
        }
        return path;
    }

    CWebInfo FileRequest(const std::string& path) {
        CWebInfo record;
        AppendString(record, "file_name", path);
        return record;
    }

    void TearDown() override {
        for (const std::string& path : m_Files) {
            std::filesystem::remove(path);
        }
        ElementsOnShell::TearDown();
    }

private:
    std::vector<std::string> m_Files;
};

std::string Show(const RECT& r) {
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + "," +
           std::to_string(r.right) + "," + std::to_string(r.bottom) + ")";
}

TEST_F(ElementMethods, MakeVisible_ElementInViewIsNotScrolledAndReportsItsScreenPoint) {
    LOAD_PAGE("<p><a id=link href='next.html'>near</a></p><p style='height:3000px'>tall</p>");
    CWebObjRef link = Element("link");
    ASSERT_TRUE(link);
    const std::optional<RECT> screen = Rect(*link.Get(), "screen_rect");
    ASSERT_TRUE(screen);
    CWebInfo record = WithPoint(3, 4);
    record.SetRetValue(E_FAIL);
    ASSERT_TRUE(link->CallMethod("MakeVisible", record));
    EXPECT_EQ(record.GetRetValue(), NS_OK);
    EXPECT_EQ(ScrollY(Page()), 0);
    EXPECT_EQ(IntegerArg(record, "handle"), Page().GetWindowValue());
    ASSERT_TRUE(RectOf(record));
    EXPECT_EQ(Show(*RectOf(record)), Show(*screen)) << "the rectangle is on the screen";
    ASSERT_TRUE(PairOf(record, "pos"));
    EXPECT_EQ(PairOf(record, "pos")->x, screen->left + 3);
    EXPECT_EQ(PairOf(record, "pos")->y, screen->top + 4);

    // Without a point the corner itself is reported.
    CWebInfo plain;
    ASSERT_TRUE(link->CallMethod("MakeVisible", plain));
    EXPECT_EQ(PairOf(plain, "pos")->x, screen->left);
    EXPECT_EQ(PairOf(plain, "pos")->y, screen->top);
}

TEST_F(ElementMethods, MakeVisible_ElementBelowAPlainPageEndsInView) {
    LOAD_PAGE("<p style='height:3000px'>tall</p><a id=far href='next.html'>far</a>"
              "<p style='height:3000px'>tall</p>");
    CWebObjRef far = Element("far");
    CWebVariantList pageRect;
    Page().GetProperty("rect", pageRect);
    ASSERT_EQ(pageRect.GetType(), WebVariantType::Rect);
    const RECT window = pageRect.GetAt(0)->GetRect();
    ASSERT_GT(Rect(*far.Get(), "screen_rect")->top, window.bottom) << "starts below the window";

    CWebInfo record;
    ASSERT_TRUE(far->CallMethod("MakeVisible", record));
    EXPECT_EQ(record.GetRetValue(), NS_OK);
    EXPECT_GT(ScrollY(Page()), 0);
    const std::optional<RECT> after = Rect(*far.Get(), "screen_rect");
    EXPECT_EQ(after->top, window.top) << "the element's top comes to the window's top";
    EXPECT_EQ(Show(*RectOf(record)), Show(*after));
    EXPECT_EQ(PairOf(record, "pos")->y, window.top);
}

TEST_F(ElementMethods, MakeVisible_ElementInAScrolledDivisionInsideAFrameEndsAtTheDivisionsCorner) {
    Write("inner.html", "<div id=box style='overflow:auto;height:100px;width:200px'>"
                        "<p style='height:500px'>spacer</p><a id=target href='x.html'>target</a>"
                        "<p style='height:500px'>spacer</p></div>");
    LOAD_PAGE("<p style='height:2000px'>tall</p><iframe src='inner.html' width=400 height=300>"
              "</iframe><p style='height:2000px'>tall</p>");
    CNS6Frame* inner = InnerFrame();
    ASSERT_NE(inner, nullptr);
    CWebObjRef target = Element("target", 0, inner);
    CWebObjRef box = Element("box", 0, inner);
    ASSERT_TRUE(target && box);

    CWebInfo record;
    ASSERT_TRUE(target->CallMethod("MakeVisible", record));
    EXPECT_EQ(record.GetRetValue(), NS_OK);
    nsCOMPtr<nsIDOMNSHTMLElement> division = do_QueryInterface(Node("box", inner));
    PRInt32 scrollTop = 0;
    division->GetScrollTop(&scrollTop);
    EXPECT_GT(scrollTop, 0) << "the division scrolled";
    EXPECT_GT(ScrollY(Page()), 0) << "the page scrolled the frame into view";

    const std::optional<RECT> element = Rect(*target.Get(), "screen_rect");
    const std::optional<RECT> container = Rect(*box.Get(), "screen_rect");
    ASSERT_TRUE(element && container);
    EXPECT_EQ(element->left, container->left) << Show(*element) << " in " << Show(*container);
    EXPECT_EQ(element->top, container->top) << Show(*element) << " in " << Show(*container);
    EXPECT_EQ(PairOf(record, "pos")->x, container->left);
    EXPECT_EQ(PairOf(record, "pos")->y, container->top);
    EXPECT_EQ(IntegerArg(record, "handle"), inner->GetWindowValue());

    // Now in view: a second call scrolls nothing.
    const int32_t pageScroll = ScrollY(Page());
    CWebInfo again;
    ASSERT_TRUE(target->CallMethod("MakeVisible", again));
    PRInt32 scrollAgain = 0;
    division->GetScrollTop(&scrollAgain);
    EXPECT_EQ(scrollAgain, scrollTop);
    EXPECT_EQ(ScrollY(Page()), pageScroll);
    EXPECT_EQ(PairOf(again, "pos")->y, container->top);
}

TEST_F(ElementMethods, CallEvent_NamesInAnyCaseAndBadNames) {
    Write("next.html", "<p id=next>next</p>");
    LOAD_PAGE("<a id=link href='next.html'>go</a>");
    CWebObjRef link = Element("link");

    CWebInfo missing;
    ASSERT_TRUE(link->CallMethod("CallEvent", missing));
    EXPECT_EQ(missing.GetRetValue(), E_INVALIDARG);
    CWebInfo empty;
    AppendString(empty, "event_name", "");
    ASSERT_TRUE(link->CallMethod("CallEvent", empty));
    EXPECT_EQ(empty.GetRetValue(), E_INVALIDARG);
    CWebInfo number;
    AppendInteger(number, "event_name", 5);
    ASSERT_TRUE(link->CallMethod("CallEvent", number));
    EXPECT_EQ(number.GetRetValue(), E_INVALIDARG);

    CWebInfo unknown;
    AppendString(unknown, "event_name", "onkeypress");
    unknown.SetRetValue(E_FAIL);
    ASSERT_TRUE(link->CallMethod("CallEvent", unknown));
    EXPECT_EQ(unknown.GetRetValue(), NS_OK);
    m_App.WaitUntilIdle();
    EXPECT_TRUE(Node("link")) << "nothing happened";

    // Method names compare exactly.
    CWebInfo lower;
    AppendString(lower, "event_name", "click");
    EXPECT_FALSE(link->CallMethod("callevent", lower));
    EXPECT_FALSE(link->CallMethod("makevisible", lower));
    m_App.WaitUntilIdle();
    EXPECT_TRUE(Node("link"));

    CWebInfo click;
    AppendString(click, "event_name", "OnClick");
    ASSERT_TRUE(link->CallMethod("CallEvent", click));
    EXPECT_EQ(click.GetRetValue(), NS_OK);
    // The object may not be used once the page reacted; only the page is.
    link = {};
    ASSERT_TRUE(m_App.WaitUntilIdle());
    EXPECT_TRUE(Node("next")) << "the click followed the link";
}

TEST_F(ElementMethods, DisabledBrowserWindowRefusesEveryMethod) {
    LOAD_PAGE("<table id=t><tr><td>a</td></tr></table><a id=link href='x.html'>x</a>");
    CWebObjRef link = Element("link");
    HWND top = m_Window->Handle();
    EnableWindow(top, FALSE);
    for (const char* method : {"MakeVisible", "CallEvent", "WriteFormatHeader", "IdToDesc"}) {
        CWebInfo record;
        AppendString(record, "event_name", "click");
        EXPECT_TRUE(link->CallMethod(method, record)) << method;
        EXPECT_EQ(record.GetRetValue(), E_FAIL) << method;
        EXPECT_EQ(record.FindAttr("pos"), nullptr) << method;
    }
    EnableWindow(top, TRUE);
    CWebInfo record;
    EXPECT_TRUE(link->CallMethod("MakeVisible", record));
    EXPECT_EQ(record.GetRetValue(), NS_OK);
}

TEST_F(ElementMethods, TableCheckpointByteForByte) {
    LOAD_PAGE("<table id=t border=1><tr><th>Item</th><th>{Price}</th><th>Stock</th></tr>"
              "<tr><td>Tea\tleaves</td><td>3</td></tr>"
              "<tr><td>Cup</td><td> 2\n</td><td>9</td></tr></table>"
              "<table id=empty></table>");
    CWebObjRef table = Element("t");
    ASSERT_TRUE(table);
    CWebInfo record = FileRequest(File("grid.txt"));
    ASSERT_TRUE(table->CallMethod("WriteInfoToFile", record));
    EXPECT_EQ(record.GetRetValue(), NS_OK);
    EXPECT_EQ(Bytes(File("grid.txt")), "Col #1\tCol #2\tCol #3\r\n"
                                       "Item\tPrice\tStock\r\n"
                                       "Tea leaves\t3\t\r\n"
                                       "Cup\t2\t9\r\n");

    CWebInfo empty = FileRequest(File("empty.txt"));
    ASSERT_TRUE(Element("empty")->CallMethod("WriteInfoToFile", empty));
    EXPECT_EQ(Bytes(File("empty.txt")), "Col #0\r\n");

    CWebInfo nowhere = FileRequest(File("no-such-dir/grid.txt"));
    ASSERT_TRUE(table->CallMethod("WriteInfoToFile", nowhere));
    EXPECT_EQ(nowhere.GetRetValue(), E_INVALIDARG);
}

TEST_F(ElementMethods, FormatFilesOfTablesAndFrames) {
    LOAD_PAGE("<table id=t><tr><td>a</td><td><table><tr><td>in</td></tr></table></td></tr>"
              "<tr><td>b</td><td>c</td></tr></table><p>text</p>");
    CWebObjRef table = Element("t");
    const std::string path = File("format.txt");
    std::ofstream(path) << "old";
    CWebInfo record = FileRequest(path);
    ASSERT_TRUE(table->CallMethod("WriteFormatHeader", record));
    EXPECT_EQ(Bytes(path), "");
    ASSERT_TRUE(table->CallMethod("WriteFormatToFile", record));
    EXPECT_EQ(record.GetRetValue(), NS_OK);
    const std::string tableTree = "html_table\r\n"
                                  "\thtml_row\r\n"
                                  "\t\thtml_cell\r\n"
                                  "\t\thtml_cell\r\n"
                                  "\t\t\thtml_table\r\n"
                                  "\t\t\t\thtml_row\r\n"
                                  "\t\t\t\t\thtml_cell\r\n"
                                  "\thtml_row\r\n"
                                  "\t\thtml_cell\r\n"
                                  "\t\thtml_cell\r\n";
    EXPECT_EQ(Bytes(path), tableTree);

    // A frame writes itself and its document's specific objects below it.
    CWebInfo frame = FileRequest(File("frame.txt"));
    ASSERT_TRUE(Page().CallMethod("WriteFormatHeader", frame));
    ASSERT_TRUE(Page().CallMethod("WriteFormatToFile", frame));
    std::string indented;
    for (size_t start = 0; start < tableTree.size();) {
        const size_t end = tableTree.find('\n', start) + 1;
        indented += "\t" + tableTree.substr(start, end - start);
        start = end;
    }
    EXPECT_EQ(Bytes(File("frame.txt")), "html_frame\r\n" + indented);
}

TEST_F(ElementMethods, AttributeValueOfAnElement) {
    LOAD_PAGE("<p id=para class='note'>para</p>");
    CWebObjRef para = Element("para");
    CWebInfo record = FileRequest(File("value.txt"));
    AppendString(record, "attr_name", "class_name");
    ASSERT_TRUE(para->CallMethod("WriteAttrValToFile", record));
    EXPECT_EQ(record.GetRetValue(), NS_OK);
    AppendString(record, "attr_name", "ignored: the first attribute of a name counts");
    ASSERT_TRUE(para->CallMethod("WriteAttrValToFile", record));
    EXPECT_EQ(Bytes(File("value.txt")), "notenote");

    CWebInfo notString = FileRequest(File("other.txt"));
    AppendString(notString, "attr_name", "width");
    ASSERT_TRUE(para->CallMethod("WriteAttrValToFile", notString));
    EXPECT_EQ(notString.GetRetValue(), E_INVALIDARG);
    EXPECT_EQ(Bytes(File("other.txt")), "<none>");
}

// The tool's requests that reach element methods, addressed by identifier.
TEST_F(ElementMethods, DispatcherRowsReachTheElements) {
    Write("next.html", "<p id=next>next</p>");
    LOAD_PAGE("<table id=t><tr><td>a</td><td>b</td></tr></table>"
              "<p id=para class=note>p</p><a id=link href='next.html'>go</a>");
    CInterface* dispatcher = GetProcessDispatcher();
    ASSERT_NE(dispatcher, nullptr);
    const auto request = [&](int32_t msg, const CWebObjRef& object) {
        CWebInfo record;
        record.SetMsgId(msg);
        record.SetRunTimeID(object->RunTimeID());
        return record;
    };
    CWebObjRef table = Element("t");

    CWebInfo grid = request(21, table);
    AppendString(grid, "file_name", File("grid.txt"));
    EXPECT_TRUE(dispatcher->Dispatch(grid));
    EXPECT_EQ(grid.GetRetValue(), NS_OK);
    EXPECT_EQ(Bytes(File("grid.txt")), "Col #1\tCol #2\r\na\tb\r\n");

    CWebInfo format = request(37, table);
    AppendString(format, "file_name", File("format.txt"));
    EXPECT_TRUE(dispatcher->Dispatch(format));
    EXPECT_EQ(format.GetRetValue(), NS_OK);
    EXPECT_EQ(Bytes(File("format.txt")), "html_table\r\n\thtml_row\r\n\t\thtml_cell\r\n"
                                         "\t\thtml_cell\r\n");
    CWebInfo unwritable = request(37, table);
    AppendString(unwritable, "file_name", File("missing/format.txt"));
    EXPECT_TRUE(dispatcher->Dispatch(unwritable));
    EXPECT_EQ(unwritable.GetRetValue(), E_INVALIDARG);

    CWebInfo value = request(36, Element("para"));
    AppendString(value, "file_name", File("value.txt"));
    AppendString(value, "attr_name", "class_name");
    EXPECT_TRUE(dispatcher->Dispatch(value));
    EXPECT_EQ(Bytes(File("value.txt")), "note");

    CWebInfo named = request(49, table);
    AppendString(named, "method_name", "WriteInfoToFile");
    AppendString(named, "file_name", File("named.txt"));
    EXPECT_TRUE(dispatcher->Dispatch(named));
    EXPECT_EQ(Bytes(File("named.txt")), "Col #1\tCol #2\r\na\tb\r\n");

    CWebInfo visible = request(27, Element("link"));
    EXPECT_TRUE(dispatcher->Dispatch(visible));
    EXPECT_EQ(visible.GetRetValue(), NS_OK);
    EXPECT_TRUE(PairOf(visible, "pos"));
    EXPECT_TRUE(RectOf(visible));

    CWebInfo click = request(45, Element("link"));
    AppendString(click, "event_name", "onclick");
    EXPECT_TRUE(dispatcher->Dispatch(click));
    EXPECT_EQ(click.GetRetValue(), NS_OK);
    ASSERT_TRUE(m_App.WaitUntilIdle());
    EXPECT_TRUE(Node("next"));

    // The table's node is gone with its page: its identifier names nothing.
    CWebInfo stale = request(21, table);
    table = {};
    AppendString(stale, "file_name", File("stale.txt"));
    EXPECT_TRUE(dispatcher->Dispatch(stale));
    EXPECT_EQ(stale.GetRetValue(), E_FAIL);
    EXPECT_EQ(Bytes(File("stale.txt")), "<none>");
}

// Message 23: the link and image tables of a page, found by class. An image
// link belongs to both; a table that cannot be started takes no lines.
TEST_F(ElementMethods, ObjectTablesOfLinksAndImages) {
    LOAD_PAGE("<p><a href='x.html'><img src='go.gif' alt='Go' width=20 height=10></a>"
              " <a id=home href='a.html'>Home {1}</a>"
              " <img src='dir/dot.gif' width=8 height=6> <a id=more href='b.html'>More</a></p>");
    CInterface* dispatcher = GetProcessDispatcher();
    ASSERT_NE(dispatcher, nullptr);
    const auto write = [&](std::string_view cls, const std::string& path) {
        CWebInfo record;
        record.SetMsgId(23);
        record.SetRunTimeID(Page().RunTimeID());
        AppendString(record, "class", cls);
        AppendString(record, "file_name", path);
        dispatcher->Dispatch(record);
        return record.GetRetValue();
    };
    const std::string a = String(*Element("home").Get(), "url");
    const std::string b = String(*Element("more").Get(), "url");
    ASSERT_TRUE(a.ends_with("/a.html") && b.ends_with("/b.html"));
    const std::string x = a.substr(0, a.size() - 6) + "x.html";

    // The image link comes first: it still starts the file, with its image
    // name and the enclosing link's address.
    std::ofstream(File("links.txt")) << "from an earlier run\n";
    EXPECT_EQ(write("html_link", File("links.txt")), NS_OK);
    EXPECT_EQ(Bytes(File("links.txt")),
              "Text\tHref\r\nGo\t" + x + "\r\nHome 1\t" + a + "\r\nMore\t" + b + "\r\n");

    EXPECT_EQ(write("!html_re.*", File("images.txt")), NS_OK);
    EXPECT_EQ(Bytes(File("images.txt")), "Name\tType\tWidth\tHeight\r\n"
                                         "Go\tImage Link\t20\t10\r\n"
                                         "dot.gif\tPlain Image\t8\t6\r\n");

    // Text links write through their link descriptor, which is "html_link":
    // asked by their own class the table refuses and the old file stays.
    std::ofstream(File("refused.txt")) << "kept";
    EXPECT_EQ(write("html_text_link", File("refused.txt")), E_INVALIDARG);
    EXPECT_EQ(Bytes(File("refused.txt")), "kept");

    EXPECT_EQ(write("html_link", File("missing/links.txt")), E_INVALIDARG);
    EXPECT_EQ(Bytes(File("missing/links.txt")), "<none>");
    // Objects without these writers refuse the request as a whole.
    EXPECT_EQ(write("html_general_element", File("general.txt")), E_NOTIMPL);
}

} // namespace
