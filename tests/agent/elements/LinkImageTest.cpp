// Text links, images, image links and image buttons on real pages: their
// property tables with the two-part forwarding, image names and kinds, the
// link around an image, and the server-side image map click.
#include "ElementTestSupport.h"
#include "agent/elements/CNS6Image.h"
#include "agent/elements/CNS6Link.h"
#include "platform/xpcom/nsXPCOM.h"
#include "platform/xpcom/shell/nsIPresShell.h"

namespace {

using elementtest::ElementsOnShell;

class LinksAndImages : public ElementsOnShell {
protected:
    // Addresses are resolved and links followed through the browser's
    // networking service, which lives in the component framework.
    void SetUp() override {
        ASSERT_EQ(NS_InitXPCOM({}), NS_OK);
        ElementsOnShell::SetUp();
    }
    void TearDown() override {
        ElementsOnShell::TearDown();
        NS_ShutdownXPCOM();
    }

    // The address of a file of the test's folder, as the page sees it.
    std::string UrlOf(const std::string& name) { return Write(name, "<p>" + name + "</p>"); }

    std::string ContentUrl() { return m_Window->ContentShell()->CurrentURL(); }

    static std::string Str(const CWebObjRef& object, std::string_view name) {
        return object ? String(*object.Get(), name) : "<no object>";
    }
    static int32_t Int(const CWebObjRef& object, std::string_view name) {
        return object ? Integer(*object.Get(), name) : -99;
    }
    static bool IsNotApplicable(const CWebObjRef& object, std::string_view name) {
        CWebVariantList value;
        return object && object->GetProperty(name, value) &&
               value.GetStatus() == kWebStatusNotApplicable;
    }
};

TEST_F(LinksAndImages, TextLinkTakesTextFromOneHalfAndTheAddressFromTheOther) {
    std::string target = UrlOf("next.html");
    LOAD_PAGE("<a id=one name=first href='dir/'>Next&nbsp;page</a>"
              "<a id=two href='dir//'>Two</a>");
    CWebObjRef one = Element("one");
    ASSERT_TRUE(one);
    EXPECT_EQ(ClassOf(one), "html_text_link");
    EXPECT_EQ(Int(one, "IsIgnored"), 0) << "the link's own table answers before the text's 1";
    EXPECT_EQ(Str(one, "font"), "");
    EXPECT_EQ(Str(one, "text"), "Next page") << "no-break spaces become blanks";
    EXPECT_EQ(Str(one, "data"), "Next page");
    EXPECT_EQ(Str(one, "element_name"), "first");
    std::string url = Str(one, "url");
    EXPECT_TRUE(url.ends_with("/dir")) << url << ": one trailing slash goes";
    EXPECT_TRUE(Str(Element("two"), "url").ends_with("/dir/")) << "only one slash goes";
    EXPECT_EQ(Str(one, "tag_name"), "A") << "element properties still come through";

    // "url" and "element_name" are reached by name only: a listing stops at
    // the element table's "outer_html" in both halves.
    CWebInfo all;
    one->GetAllProperties(all);
    EXPECT_NE(all.FindAttr("text"), nullptr);
    EXPECT_NE(all.FindAttr("font"), nullptr);
    EXPECT_EQ(all.FindAttr("url"), nullptr);
}

TEST_F(LinksAndImages, ImagesAreNamedAfterAltTextThenFileNameElseImage) {
    LOAD_PAGE("<p><img id=alt src='pics/logo.gif' alt='Logo'>"
              "<img id=src src='pics/logo.gif'>"
              "<img id=none>"
              "<img id=slash src='x.gif' alt='left/right'></p>");
    CWebObjRef alt = Element("alt");
    ASSERT_TRUE(alt);
    EXPECT_EQ(ClassOf(alt), "html_rect");
    EXPECT_EQ(Str(alt, "name"), "Logo");
    EXPECT_EQ(Str(Element("src"), "name"), "logo.gif");
    EXPECT_EQ(Str(Element("none"), "name"), "image");
    EXPECT_EQ(Str(Element("slash"), "name"), "right");

    EXPECT_EQ(Str(alt, "alt"), "Logo");
    EXPECT_TRUE(Str(alt, "src").ends_with("/pics/logo.gif"));
    EXPECT_EQ(Str(alt, "filename"), "logo.gif");
    EXPECT_EQ(Str(alt, "data"), "Logo") << "alt text first";
    EXPECT_TRUE(Str(Element("src"), "data").ends_with("/pics/logo.gif")) << "then the source";
    EXPECT_EQ(Str(alt, "type"), "Plain Image");
    EXPECT_EQ(Int(alt, "IsIgnored"), 0);
    EXPECT_EQ(Str(alt, "element_name"), "");
}

TEST_F(LinksAndImages, MapKindsAndImagesInsideLinks) {
    LOAD_PAGE("<map name=m><area href=a.html coords='0,0,5,5'></map>"
              "<p><img id=client src=a.gif usemap='#m'>"
              "<img id=server src=a.gif ismap>"
              "<img id=both src=a.gif ismap usemap='#m'></p>"
              "<p><a id=outer href='target.html'><font><b><img id=linked src=a.gif></b></font></a>"
              "<a href='target.html'><img id=linkedboth src=a.gif ismap usemap='#m'></a>"
              "<a href='target.html'><span><img id=spanned src=a.gif></span></a>"
              "<a id=anchor name=here><img id=nohref src=a.gif></a></p>");
    EXPECT_EQ(Str(Element("client"), "type"), "Client Side ImageMap");
    EXPECT_EQ(Str(Element("server"), "type"), "Server Side ImageMap");
    EXPECT_EQ(Str(Element("both"), "type"), "Client & Server Side ImageMap");

    CWebObjRef linked = Element("linked");
    ASSERT_TRUE(linked);
    EXPECT_EQ(ClassOf(linked), "html_rect");
    EXPECT_EQ(Str(linked, "type"), "Image Link");
    EXPECT_TRUE(Str(linked, "url").ends_with("/target.html"))
        << "the link part stands on the enclosing link, through FONT and B";
    EXPECT_EQ(Str(linked, "name"), "a.gif") << "the image part answers first";
    EXPECT_EQ(Str(Element("linkedboth"), "type"), "Client & Server Side ImageMap");
    EXPECT_EQ(Str(Element("spanned"), "type"), "Plain Image") << "a SPAN breaks the link";

    CWebObjRef nohref = Element("nohref");
    ASSERT_TRUE(nohref);
    EXPECT_EQ(Str(nohref, "url"), "");
    EXPECT_EQ(Str(nohref, "element_name"), "") << "the image's own (empty) name";
}

TEST_F(LinksAndImages, ImageButtonReadsTheInputAndResolvesItsSource) {
    LOAD_PAGE("<form><input id=go type=image name=go src='pics/go.gif' alt='Go'>"
              "<input id=bare type=image src='go'></form>");
    CWebObjRef go = Element("go");
    ASSERT_TRUE(go);
    EXPECT_EQ(ClassOf(go), "html_rect");
    EXPECT_EQ(Str(go, "type"), "Image Button");
    EXPECT_EQ(Str(go, "alt"), "Go");
    std::string src = Str(go, "src");
    EXPECT_TRUE(src.starts_with("file://") && src.ends_with("/pics/go.gif")) << src;
    EXPECT_EQ(Str(go, "file_name"), "go.gif");
    EXPECT_EQ(Str(go, "name"), "go") << "the input's name comes before its source";
    EXPECT_EQ(Str(go, "data"), "Go");
    EXPECT_TRUE(IsNotApplicable(go, "element_name")) << "an input is not an image element";
    EXPECT_EQ(Str(Element("bare"), "file_name"), "go");
}

TEST_F(LinksAndImages, ImageButtonSourceAndMapLinkFollowTheBaseAddress) {
    LOAD_PAGE("<html><head><base href='http://127.0.0.1:1/pics/'></head><body>"
              "<form><input id=go type=image src='go.gif'></form>"
              "<a href='next.html'><img id=map src=a.gif ismap width=20 height=20></a>"
              "</body></html>");
    EXPECT_EQ(Str(Element("go"), "src"), "http://127.0.0.1:1/pics/go.gif");
    EXPECT_EQ(Str(Element("map"), "url"), "http://127.0.0.1:1/pics/next.html");
}

TEST_F(LinksAndImages, ServerSideMapClickFollowsTheLinkWithThePoint) {
    std::string target = UrlOf("target.html");
    LOAD_PAGE("<p><a href='target.html'><img id=map src=a.gif ismap width=50 height=50></a></p>");
    CWebObjRef map = Element("map");
    ASSERT_TRUE(map);
    auto* image = dynamic_cast<CNS6Image*>(map.Get());
    ASSERT_NE(image, nullptr);

    EXPECT_EQ(image->FireEvent("onMouseOver", POINT{3, 4}), NS_OK);
    nsCOMPtr<nsIPresShell> shell = NS_GetFirstPresShell(Document().get());
    ASSERT_TRUE(shell);
    nsCOMPtr<nsIPresContext> context;
    shell->GetPresContext(getter_AddRefs(context));
    ASSERT_TRUE(context);
    nsCOMPtr<nsILinkHandler> links;
    context->GetLinkHandler(getter_AddRefs(links));
    ASSERT_TRUE(links);
    nsString over;
    links->GetOverLink(over);
    EXPECT_EQ(ToNarrow(over), target + "?3,4") << "the pointer is over the link, with the point";

    EXPECT_EQ(image->FireEvent("CLICK", POINT{10, 20}), NS_OK);
    ASSERT_TRUE(m_App.WaitUntilIdle());
    EXPECT_EQ(ContentUrl(), target + "?10,20");
}

TEST_F(LinksAndImages, ServerSideMapWithoutALinkGoesNowhere) {
    LOAD_PAGE("<p><img id=map src=a.gif ismap width=50 height=50></p>");
    std::string before = ContentUrl();
    CWebObjRef map = Element("map");
    ASSERT_TRUE(map);
    auto* image = dynamic_cast<CNS6Image*>(map.Get());
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->FireEvent("click", POINT{10, 20}), NS_OK);
    ASSERT_TRUE(m_App.WaitUntilIdle());
    EXPECT_EQ(ContentUrl(), before);
}

} // namespace
