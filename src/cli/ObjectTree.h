// The test-object tree of the open pages as the agent sees it, read over the
// channel the way the tool reads it: browser, pages, their frames and the
// element objects below each, one entry per object.
//
//     std::vector<cli::TreeEntry> tree;
//     if (cli::CollectObjectTree(session, browserId, tree, error))
//         for (const auto& entry : tree) printer.Tree(entry);
//
// Children are read with the "child" property (1, 2, ... until there is
// none), so an element's subtree shows the objects the tool can address as
// its children; frames come from the browser's frame windows ("identifier
// of a window", message 25).
#pragma once

#include "agent/channel/CWebRunTimeID.h"
#include "platform/win32/WinDef.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace cli {

class Session;

struct TreeEntry {
    CWebRunTimeID id;
    int depth = 0;
    std::string className; // the most specific class name
    std::string name;
    std::optional<RECT> rect;
};

// A tree stops growing after this many objects, so that a huge page cannot
// flood the console.
inline constexpr size_t kMaxTreeObjects = 5000;

// Appends the entries of `root` and everything below it, in pre-order. False,
// with the reason, when the agent does not answer for the root.
bool CollectObjectTree(Session& session, const CWebRunTimeID& root, std::vector<TreeEntry>& out,
                       std::string& error);

// One line of the readable form: indentation, class, name and rectangle.
std::string TreeLineText(const TreeEntry& entry);

} // namespace cli
