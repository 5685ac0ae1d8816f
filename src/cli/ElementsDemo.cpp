#include "cli/ElementsDemo.h"

#include "cli/BrowserStart.h"
#include "cli/ObjectTree.h"
#include "cli/Printer.h"
#include "cli/ScriptRunner.h"
#include "cli/Session.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace cli {

namespace {

constexpr int32_t kMsgGetProperties = 5;

std::string IdText(const CWebRunTimeID& id) {
    return "[" + std::to_string(id.First()) + ", " + std::to_string(id.Second()) + ", " +
           std::to_string(id.Third()) + ", " + std::to_string(id.Fourth()) + "]";
}

class ElementsDemo {
public:
    ElementsDemo(Session& session, Printer& printer, ScriptRunner& runner, std::ostream& out)
        : m_Session(session), m_Printer(printer), m_Runner(runner), m_Out(out) {}

    void Run() {
        Step("the test-object tree of the demo page", R"({"tree": "page"})");
        std::vector<TreeEntry> index = PageTree();
        ShowProperties("every property of a link (message 7)",
                       Find(index, [&](const auto& e) { return String(e.id, "tag_name") == "A"; }));
        ShowProperties("every property of an image link (message 7)",
                       Find(index, [&](const auto& e) {
                           return String(e.id, "tag_name") == "IMG" &&
                                  String(e.id, "attribute/src").find("go.gif") != std::string::npos;
                       }));

        const std::string tables = "file://" + DemoSiteFolder() + "/tables.html";
        Step("open the tables page", R"({"user": "navigate", "url": ")" + tables + R"("})");
        Step("wait for it", R"({"user": "wait"})");
        std::vector<TreeEntry> grid = PageTree();
        for (const char* kind : {"table", "row", "cell"}) {
            const std::string className = std::string("html_") + kind;
            ShowProperties("every property of a " + std::string(kind) + " (message 7)",
                           Find(grid, [&](const auto& e) { return e.className == className; }));
        }
        Step("back to the demo page", R"({"user": "toolbar", "button": "Back"})");
        Step("wait for it", R"({"user": "wait"})");
    }

private:
    void Step(const std::string& heading, const std::string& line) {
        m_Runner.RunShown(heading, line, ++m_Line);
    }

    std::vector<TreeEntry> PageTree() {
        std::vector<TreeEntry> tree;
        std::string error;
        std::optional<CWebRunTimeID> page = m_Session.PageId(error);
        if (page) {
            (void)CollectObjectTree(m_Session, *page, tree, error);
        }
        return tree;
    }

    std::string String(const CWebRunTimeID& id, const char* name) {
        CWebInfo request;
        request.SetMsgId(kMsgGetProperties);
        request.SetRunTimeID(id);
        request.AppendAttr(name, CWebVariantList());
        std::optional<CWebInfo> reply = m_Session.AskAgent(std::move(request));
        const CWebVariant* value = reply ? reply->FindFirstValue(name) : nullptr;
        return value != nullptr && value->GetType() == WebVariantType::String ? value->GetString()
                                                                              : std::string();
    }

    static std::optional<CWebRunTimeID> Find(const std::vector<TreeEntry>& tree,
                                             const std::function<bool(const TreeEntry&)>& wanted) {
        for (const TreeEntry& entry : tree) {
            if (entry.id.Third() != -1 && wanted(entry)) {
                return entry.id;
            }
        }
        return std::nullopt;
    }

    void ShowProperties(const std::string& heading, const std::optional<CWebRunTimeID>& id) {
        if (!id) {
            m_Printer.Heading(heading);
            if (m_Printer.Form() == OutputForm::Text) {
                m_Out << "(not on the page)\n";
            }
            return;
        }
        Step(heading, R"({"msg": 7, "id": )" + IdText(*id) + "}");
    }

    Session& m_Session;
    Printer& m_Printer;
    ScriptRunner& m_Runner;
    std::ostream& m_Out;
    size_t m_Line = 0;
};

} // namespace

void RunElementsDemo(Session& session, Printer& printer, ScriptRunner& runner, std::ostream& out) {
    if (!session.HasBrowser()) {
        return;
    }
    ElementsDemo(session, printer, runner, out).Run();
}

} // namespace cli
