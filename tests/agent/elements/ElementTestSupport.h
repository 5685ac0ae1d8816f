// Test support for element objects on real pages of the simulated browser:
// a browser window per page, the page object of its content area, and
// one-line lookups of element objects by id attribute or tag.
//
//     LoadPage("<table id=t><tr><td>a</td></tr></table>");
//     CWebObjRef table = Element("t");             // by id attribute
//     EXPECT_EQ(Integer(*table, "rows"), 1);
#pragma once

#include "agent/common/DomHelpers.h"
#include "agent/common/WindowHelpers.h"
#include "agent/elements/CNS6Obj.h"
#include "agent/elements/LayoutTreeBuilder.h"
#include "agent/model/CNS6Browser.h"
#include "agent/model/CNS6Page.h"
#include "platform/browser/shell/Browser.h"
#include "platform/browser/shell/Network.h"
#include "platform/win32/WinBase.h"
#include "platform/xpcom/dom/nsIDOMDocument.h"
#include "platform/xpcom/dom/nsIDOMElement.h"
#include "support/ShellPageTest.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

namespace elementtest {

#define LOAD_PAGE(markup) ASSERT_NO_FATAL_FAILURE(LoadPage(markup))

class ElementsOnShell : public traptest::ShellPageTest {
protected:
    ElementsOnShell() : ShellPageTest("webagent_elements") {}

    // Class matching and table names use the tool's expression library.
    static void SetUpTestSuite() { SetEnvironmentVariableA("path", WEBAGENT_MODULE_DIR); }

    // Opens a browser window on the markup and makes its browser and page
    // objects.
    void LoadPage(const std::string& markup, const std::string& name = "page.html") {
        OpenUrl(Write(name, markup));
    }

    nsCOMPtr<nsIDOMDocument> Document() { return Page().GetDocument(); }

    // The DOM node of the element with this id attribute in `frame`'s
    // document (the page's by default).
    nsCOMPtr<nsIDOMNode> Node(const std::string& id, CNS6Frame* frame = nullptr) {
        nsCOMPtr<nsIDOMDocument> document = (frame != nullptr ? frame : &Page())->GetDocument();
        nsCOMPtr<nsIDOMElement> element;
        if (document) {
            document->GetElementById(ToHostString(id), getter_AddRefs(element));
        }
        nsCOMPtr<nsIDOMNode> node = do_QueryInterface(element);
        return node;
    }

    // The object the builder makes for the element with this id attribute,
    // as a single lookup would.
    CWebObjRef Element(const std::string& id, uint32_t flags = 0, CNS6Frame* frame = nullptr) {
        nsCOMPtr<nsIDOMNode> node = Node(id, frame);
        EXPECT_TRUE(node) << "no element with id " << id;
        CNS6Frame* owner = frame != nullptr ? frame : &Page();
        return Trap().ObjectForNode(node.get(), CWebObjRef(owner), flags, MapImage::Disallow);
    }

    // The objects of a whole-document walk of the page.
    std::vector<CWebObjRef> Collect(uint32_t flags) {
        std::vector<CWebObjRef> objects;
        Page().CollectDescendants(objects, static_cast<int32_t>(flags));
        return objects;
    }

    static CWebVariantList Property(CWebObj& object, std::string_view name) {
        CWebVariantList value;
        EXPECT_TRUE(object.GetProperty(name, value)) << name;
        return value;
    }

    static std::string String(CWebObj& object, std::string_view name) {
        CWebVariantList value = Property(object, name);
        if (value.GetType() != WebVariantType::String || value.IsEmpty()) {
            return "<not a string>";
        }
        return value.GetAt(0)->GetString();
    }

    static int32_t Integer(CWebObj& object, std::string_view name) {
        CWebVariantList value = Property(object, name);
        if (value.GetType() != WebVariantType::Integer || value.IsEmpty()) {
            return -99;
        }
        return value.GetAt(0)->GetInteger();
    }

    static std::optional<RECT> Rect(CWebObj& object, std::string_view name = "rect") {
        CWebVariantList value = Property(object, name);
        if (value.GetType() != WebVariantType::Rect || value.IsEmpty()) {
            return std::nullopt;
        }
        return value.GetAt(0)->GetRect();
    }

    static std::optional<CWebRunTimeID> Id(CWebObj& object, std::string_view name) {
        CWebVariantList value = Property(object, name);
        if (value.GetType() != WebVariantType::RunTimeID || value.IsEmpty()) {
            return std::nullopt;
        }
        return value.GetAt(0)->GetRunTimeID();
    }

    // The first class name an object reports.
    static std::string ClassOf(const CWebObjRef& object) {
        if (!object) {
            return "<none>";
        }
        CWebVariantList value;
        object->GetProperty("class", value);
        if (value.GetType() != WebVariantType::String || value.IsEmpty()) {
            return "<no class>";
        }
        return value.GetAt(0)->GetString();
    }

    // "CLASS:tag" for every object, in order, for compact comparisons.
    static std::vector<std::string> Summary(const std::vector<CWebObjRef>& objects) {
        std::vector<std::string> out;
        for (const CWebObjRef& object : objects) {
            out.push_back(ClassOf(object) + ":" + String(*object.Get(), "tag_name"));
        }
        return out;
    }
};

} // namespace elementtest
