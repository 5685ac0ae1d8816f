#include "cli/ObjectTree.h"

#include "agent/channel/CWebInfo.h"
#include "cli/Session.h"

namespace cli {

namespace {

constexpr int32_t kMsgGetProperties = 5;
constexpr int32_t kMsgIdOfWindow = 25;
// Names longer than this are cut in the readable form.
constexpr size_t kMaxShownName = 60;

bool IsBrowserLevel(const CWebRunTimeID& id) {
    return id.First() != -1 && id.Second() == -1 && id.Third() == -1;
}

bool IsFrameLevel(const CWebRunTimeID& id) {
    return id.First() != -1 && id.Second() != -1 && id.Third() == -1;
}

class TreeReader {
public:
    TreeReader(Session& session, std::vector<TreeEntry>& out) : m_Session(session), m_Out(out) {}

    bool Read(const CWebRunTimeID& root, std::string& error) {
        m_Browser = HwndFromValue(static_cast<ULONG>(root.First()));
        if (!Describe(root, 0)) {
            error = "the agent knows no object " + Text(root);
            return false;
        }
        Level level = Level::Other;
        if (IsBrowserLevel(root)) {
            level = Level::Browser;
        } else if (IsFrameLevel(root) && IsPageOfItsBrowser(root)) {
            level = Level::Page;
        }
        Children(root, 0, level);
        return true;
    }

private:
    enum class Level { Browser, Page, Other };

    std::optional<CWebInfo> Ask(CWebInfo request) {
        return m_Session.AskAgent(std::move(request), m_Browser);
    }

    static std::string Text(const CWebRunTimeID& id) {
        return "[" + std::to_string(id.First()) + ", " + std::to_string(id.Second()) + ", " +
               std::to_string(id.Third()) + ", " + std::to_string(id.Fourth()) + "]";
    }

    bool Full() const { return m_Out.size() >= kMaxTreeObjects; }

    // Adds the entry of one object; false when the agent knows no such object.
    bool Describe(const CWebRunTimeID& id, int depth) {
        CWebInfo request;
        request.SetMsgId(kMsgGetProperties);
        request.SetRunTimeID(id);
        for (const char* name : {"class", "name", "rect"}) {
            request.AppendAttr(name, CWebVariantList());
        }
        std::optional<CWebInfo> reply = Ask(std::move(request));
        if (!reply || reply->GetRetValue() != 0) {
            return false;
        }
        TreeEntry entry;
        entry.id = id;
        entry.depth = depth;
        if (const CWebVariant* first = reply->FindFirstValue("class");
            first != nullptr && first->GetType() == WebVariantType::String) {
            entry.className = first->GetString();
        }
        if (const CWebVariant* first = reply->FindFirstValue("name");
            first != nullptr && first->GetType() == WebVariantType::String) {
            entry.name = first->GetString();
        }
        if (const CWebVariant* first = reply->FindFirstValue("rect");
            first != nullptr && first->GetType() == WebVariantType::Rect) {
            entry.rect = first->GetRect();
        }
        m_Out.push_back(std::move(entry));
        return true;
    }

    // The k-th child by the "child" property; nothing past the last.
    std::optional<CWebRunTimeID> Child(const CWebRunTimeID& id, int32_t position) {
        CWebInfo request;
        request.SetMsgId(kMsgGetProperties);
        request.SetRunTimeID(id);
        request.AppendAttr("child", CWebVariantList(CWebVariant(position)));
        std::optional<CWebInfo> reply = Ask(std::move(request));
        const CWebVariant* child = reply ? reply->FindFirstValue("child") : nullptr;
        if (child == nullptr || child->GetType() != WebVariantType::RunTimeID) {
            return std::nullopt;
        }
        return child->GetRunTimeID();
    }

    std::optional<CWebRunTimeID> IdOfWindow(HWND window) {
        CWebInfo request;
        request.SetMsgId(kMsgIdOfWindow);
        request.AppendAttr(
            "handle", CWebVariantList(CWebVariant(static_cast<int32_t>(HandleToULong(window)))));
        std::optional<CWebInfo> reply = Ask(std::move(request));
        const CWebVariant* id = reply ? reply->FindFirstValue("id") : nullptr;
        if (!reply || reply->GetRetValue() != 0 || id == nullptr ||
            id->GetType() != WebVariantType::RunTimeID) {
            return std::nullopt;
        }
        return id->GetRunTimeID();
    }

    // Pages are the children of their browser object; frames are not.
    bool IsPageOfItsBrowser(const CWebRunTimeID& id) {
        for (int32_t position = 1; position <= 16; ++position) {
            std::optional<CWebRunTimeID> page = Child(id.BrowserLevel(), position);
            if (!page) {
                return false;
            }
            if (*page == id) {
                return true;
            }
        }
        return false;
    }

    void Children(const CWebRunTimeID& id, int depth, Level level) {
        if (level == Level::Page) {
            // Every frame of the window, at any depth, is a child of the page.
            for (HWND window : m_Session.FrameWindows(m_Browser)) {
                std::optional<CWebRunTimeID> frame = IdOfWindow(window);
                if (Full() || !frame || *frame == id || !IsFrameLevel(*frame)) {
                    continue;
                }
                if (Describe(*frame, depth + 1)) {
                    Children(*frame, depth + 1, Level::Other);
                }
            }
        }
        for (int32_t position = 1; !Full(); ++position) {
            std::optional<CWebRunTimeID> child = Child(id, position);
            if (!child || *child == id) {
                break;
            }
            if (Describe(*child, depth + 1)) {
                Children(*child, depth + 1,
                         level == Level::Browser && IsFrameLevel(*child) ? Level::Page
                                                                         : Level::Other);
            }
        }
    }

    Session& m_Session;
    std::vector<TreeEntry>& m_Out;
    HWND m_Browser = nullptr;
};

} // namespace

bool CollectObjectTree(Session& session, const CWebRunTimeID& root, std::vector<TreeEntry>& out,
                       std::string& error) {
    return TreeReader(session, out).Read(root, error);
}

std::string TreeLineText(const TreeEntry& entry) {
    std::string line(static_cast<size_t>(entry.depth) * 2, ' ');
    line += entry.className.empty() ? "?" : entry.className;
    std::string name = entry.name;
    if (name.size() > kMaxShownName) {
        name = name.substr(0, kMaxShownName) + "...";
    }
    line += " \"" + name + "\"";
    if (entry.rect) {
        const RECT& r = *entry.rect;
        line += " (" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" +
                std::to_string(r.right) + "," + std::to_string(r.bottom) + ")";
    } else {
        line += " (no rectangle)";
    }
    return line;
}

} // namespace cli
