#include "agent/model/CConversionMaps.h"

#include "agent/channel/Trace.h"
#include "agent/model/CWebObj.h"
#include "agent/model/CWebObjUtil.h"
#include "agent/model/DescriptionTable.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <new>
#include <utility>
#include <vector>

namespace {

// One object of a group: its handle and the description record its key is
// the text of (obligatory values, then any optional values added).
struct Member {
    CWebObjRef object;
    CWebInfo description;
};

struct Group {
    std::string key;
    std::vector<Member> members;
};

// Members gathered under their keys and handed out as groups in key order,
// each keeping the order its members came in. One array sorted once: a
// rebuild puts every object of the page through here, most keys hold a
// single object, and a tree of groups cost a node, its key and a vector per
// object, then a walk of scattered nodes to read and free them. The keys sit
// in one buffer and are sorted as views beside their positions, so that the
// comparisons read neighbouring memory.
class Grouping {
public:
    void Reserve(size_t count) {
        m_Keys.reserve(count);
        m_Members.reserve(count);
    }
    void Add(std::string_view key, Member member) {
        m_Keys.push_back({m_Text.size(), key.size()});
        m_Text.append(key);
        m_Members.push_back(std::move(member));
    }

    std::vector<Group> TakeGroups() {
        struct Sorted {
            std::string_view key;
            size_t member;
        };
        std::vector<Sorted> order;
        order.reserve(m_Keys.size());
        for (size_t i = 0; i < m_Keys.size(); ++i) {
            order.push_back(
                {std::string_view(m_Text).substr(m_Keys[i].offset, m_Keys[i].length), i});
        }
        std::stable_sort(order.begin(), order.end(),
                         [](const Sorted& a, const Sorted& b) { return a.key < b.key; });
        std::vector<Group> groups;
        for (size_t first = 0; first < order.size();) {
            size_t end = first + 1;
            while (end < order.size() && order[end].key == order[first].key) {
                ++end;
            }
            Group group{std::string(order[first].key), {}};
            group.members.reserve(end - first);
            for (size_t i = first; i < end; ++i) {
                group.members.push_back(std::move(m_Members[order[i].member]));
            }
            groups.push_back(std::move(group));
            first = end;
        }
        m_Keys.clear();
        m_Members.clear();
        m_Text.clear();
        return groups;
    }

private:
    struct Piece {
        size_t offset;
        size_t length;
    };
    std::string m_Text;
    std::vector<Piece> m_Keys;
    std::vector<Member> m_Members;
};

void TrimDescription(CWebInfo& record, int32_t limit) {
    if (limit > 0) {
        record.TrimStrings(static_cast<size_t>(limit), TrimAs::Pattern);
    }
}

// The a-th name of the object's optional list, or empty.
std::string OptionalName(IWebObj& object, size_t position) {
    CWebInfo obligatory;
    CWebInfo optional;
    std::string selector;
    std::string tagAttr;
    object.GetDescriptionTemplate(obligatory, optional, selector, tagAttr);
    const std::string* name = optional.GetAttrName(position);
    return name != nullptr ? *name : std::string();
}

std::string SelectorName(IWebObj& object) {
    CWebInfo obligatory;
    CWebInfo optional;
    std::string selector;
    std::string tagAttr;
    object.GetDescriptionTemplate(obligatory, optional, selector, tagAttr);
    return selector;
}

} // namespace

// The three stages of a rebuild, over the objects of one owner.
class MapBuilder {
public:
    MapBuilder(CConversionMaps& maps, CWebObj& owner)
        : m_Maps(maps), m_Trim(owner.GetOption("TrimDescriptionProperties")) {}

    bool Build(CWebObj& owner) { return Collect(owner) && m_Maps.Adopt(m_Entered); }

private:
    using Key = CConversionMaps::Key;
    using Entered = CConversionMaps::Entered;

    bool Collect(CWebObj& owner) {
        std::vector<CWebObjRef> objects;
        owner.CollectDescendants(objects, kChildFilterOrdinary);
        Grouping grouping;
        grouping.Reserve(objects.size());
        m_Entered.Reserve(objects.size());
        for (CWebObjRef& object : objects) {
            CWebObj* target = object.Get();
            if (target == nullptr) {
                continue;
            }
            Member member{std::move(object), {}};
            CWebInfo optional;
            std::string selector;
            std::string tagAttr;
            target->GetDescriptionTemplate(member.description, optional, selector, tagAttr);
            if (!target->GetProperties(member.description)) {
                return false;
            }
            TrimDescription(member.description, m_Trim);
            std::string key;
            if (!DescriptionToText(member.description, key)) {
                return false;
            }
            grouping.Add(key, std::move(member));
        }
        std::vector<Group> groups = grouping.TakeGroups();
        Commit(groups);
        // Stage 1 groups are numbered before those split off in stage 2, so
        // that an object's first key is the shorter one.
        std::vector<Group> stageOne = std::move(m_Ambiguous);
        m_Ambiguous.clear();
        for (Group& group : stageOne) {
            TellApart(group, 0);
        }
        std::vector<Group> stageTwo = std::move(m_Ambiguous);
        for (std::vector<Group>* list : {&stageOne, &stageTwo}) {
            for (Group& group : *list) {
                if (!NumberMembers(group)) {
                    return false;
                }
            }
        }
        return true;
    }

    // Enters a description held by exactly one object. The first object to
    // enter a description keeps it; the maps resolve that when adopted.
    void Commit(std::string_view description, const CWebRunTimeID& id) {
        m_Entered.Add(description, CConversionMaps::KeyOf(id));
    }

    // Commits the groups of one object; keeps the others, moved, for the
    // next stage.
    void Commit(std::vector<Group>& groups) {
        for (Group& group : groups) {
            if (group.key.empty()) {
                continue;
            }
            if (group.members.size() == 1) {
                // An owned object deleted while the maps were built names
                // nothing.
                if (CWebObj* object = group.members.front().object.Get()) {
                    Commit(group.key, object->RunTimeID());
                }
            } else {
                m_Ambiguous.push_back(std::move(group));
            }
        }
    }

    // Stage 2: the optional attributes, one position at a time, for objects
    // that share a key. Groups that stay alike are left for stage 3.
    void TellApart(const Group& group, size_t position) {
        Grouping split;
        // The optional names met at this position in this group; with a
        // common template exactly one.
        std::vector<std::string> names;
        for (const Member& member : group.members) {
            CWebObj* object = member.object.Get();
            Member extended{member.object, member.description};
            std::string name = object != nullptr ? OptionalName(*object, position) : std::string();
            if (name.empty()) {
                split.Add(group.key, std::move(extended));
                continue;
            }
            if (std::find(names.begin(), names.end(), name) == names.end()) {
                names.push_back(std::move(name));
            }
            // Fresh values for every object: a property the object does not
            // know must not keep the value of the object before it.
            CWebInfo scratch;
            for (const std::string& known : names) {
                CWebVariantList empty;
                empty.Set(std::string_view());
                scratch.AddAttr(known, empty);
            }
            if (!object->GetProperties(scratch)) {
                break; // the subgroups formed so far are kept
            }
            TrimDescription(scratch, m_Trim);
            for (const CAttrPair& attribute : scratch.Attrs()) {
                extended.description.AddAttr(attribute.GetName(), attribute.GetValue());
            }
            std::string key;
            if (!DescriptionToText(extended.description, key)) {
                break;
            }
            split.Add(key, std::move(extended));
        }
        std::vector<Group> groups = split.TakeGroups();
        if (groups.size() == 1) {
            // Still alike: later optional attributes are not tried. A key
            // that did not change names the group the caller already has.
            if (groups.front().key != group.key) {
                Commit(groups);
            }
            return;
        }
        if (groups.size() < group.members.size()) {
            for (const Group& subgroup : groups) {
                TellApart(subgroup, position + 1);
            }
        }
        Commit(groups);
    }

    // Stage 3: the selector numbers the objects of a group that stayed alike.
    bool NumberMembers(const Group& group) {
        int32_t number = 0;
        for (const Member& member : group.members) {
            CWebObj* object = member.object.Get();
            if (object == nullptr) {
                ++number;
                continue;
            }
            std::string selector = SelectorName(*object);
            CWebInfo description = member.description;
            if (!selector.empty()) {
                CWebVariantList position;
                position.Set(number);
                description.SetAttr(selector, position);
            }
            std::string key;
            if (!DescriptionToText(description, key)) {
                return false;
            }
            if (!key.empty() && key != group.key) {
                Commit(key, object->RunTimeID());
            }
            ++number;
        }
        return true;
    }

    CConversionMaps& m_Maps;
    int32_t m_Trim;
    std::vector<Group> m_Ambiguous;
    Entered m_Entered;
};

void CConversionMaps::Entered::Add(std::string_view description, const Key& id) {
    m_Items.push_back({m_Text.size(), description.size(), id});
    m_Text.append(description);
}

void CConversionMaps::Entered::Reserve(size_t count) {
    m_Items.reserve(count);
}

bool CConversionMaps::Adopt(const Entered& entered) {
    Clear();
    try {
        const std::vector<Entered::Item>& items = entered.m_Items;
        auto textOf = [&entered](const Entered::Item& item) {
            return std::string_view(entered.m_Text).substr(item.offset, item.length);
        };
        // Entries by description, each description's earliest first.
        std::vector<uint32_t> order(items.size());
        if (items.size() > UINT32_MAX) {
            return false;
        }
        for (size_t i = 0; i < order.size(); ++i) {
            order[i] = static_cast<uint32_t>(i);
        }
        std::stable_sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
            return textOf(items[a]) < textOf(items[b]);
        });
        // The description entry of every item; the earliest item of a
        // description makes the entry and names its identifier.
        std::vector<uint32_t> entryOf(items.size());
        size_t total = 0;
        size_t distinct = 0;
        for (size_t i = 0; i < order.size(); ++i) {
            if (i == 0 || textOf(items[order[i]]) != textOf(items[order[i - 1]])) {
                total += items[order[i]].length;
                ++distinct;
            }
        }
        if (total > UINT32_MAX) {
            return false;
        }
        m_Text.reserve(total);
        m_ByDescription.reserve(distinct);
        for (size_t i = 0; i < order.size(); ++i) {
            const Entered::Item& item = items[order[i]];
            if (i == 0 || textOf(item) != textOf(items[order[i - 1]])) {
                const auto offset = static_cast<uint32_t>(m_Text.size());
                m_Text.append(textOf(item));
                m_ByDescription.push_back({offset, static_cast<uint32_t>(item.length), item.id});
            }
            entryOf[order[i]] = static_cast<uint32_t>(m_ByDescription.size() - 1);
        }
        // An identifier points at the first description it entered that
        // leads back to it.
        std::vector<IdEntry> byId;
        byId.reserve(items.size());
        for (size_t i = 0; i < items.size(); ++i) {
            if (m_ByDescription[entryOf[i]].id == items[i].id) {
                byId.push_back({items[i].id, entryOf[i]});
            }
        }
        std::stable_sort(byId.begin(), byId.end(),
                         [](const IdEntry& a, const IdEntry& b) { return a.id < b.id; });
        auto last = std::unique(byId.begin(), byId.end(),
                                [](const IdEntry& a, const IdEntry& b) { return a.id == b.id; });
        m_ById.reserve(static_cast<size_t>(last - byId.begin()));
        m_ById.assign(byId.begin(), last);
        return true;
    } catch (const std::bad_alloc&) {
        Clear();
        return false;
    }
}

void CConversionMaps::Clear() {
    // Released, not only emptied: a page that shrank gives the memory back.
    std::string().swap(m_Text);
    std::vector<Entry>().swap(m_ByDescription);
    std::vector<IdEntry>().swap(m_ById);
}

bool CConversionMaps::EnsureMaps(CWebObj& owner) {
    if (m_Generation != CWebObjUtil::GetTemplateGeneration()) {
        m_Dirty = true;
    }
    if (!m_Dirty || m_Busy) {
        return true;
    }
    m_Busy = true;
    Clear();
    bool built = MapBuilder(*this, owner).Build(owner);
    if (built) {
        m_Dirty = false;
        m_Generation = CWebObjUtil::GetTemplateGeneration();
    } else {
        Clear();
    }
    m_Busy = false;
    return built;
}

const CConversionMaps::Key* CConversionMaps::FindIdentifier(std::string_view description) const {
    auto it = std::lower_bound(
        m_ByDescription.begin(), m_ByDescription.end(), description,
        [this](const Entry& entry, std::string_view text) { return TextOf(entry) < text; });
    return it != m_ByDescription.end() && TextOf(*it) == description ? &it->id : nullptr;
}

std::optional<std::string_view> CConversionMaps::FindDescription(const CWebRunTimeID& id) const {
    const Key key = KeyOf(id);
    auto it = std::lower_bound(m_ById.begin(), m_ById.end(), key,
                               [](const IdEntry& entry, const Key& k) { return entry.id < k; });
    if (it == m_ById.end() || it->id != key) {
        return std::nullopt;
    }
    return TextOf(m_ByDescription[it->entry]);
}

namespace {

// Where the first selector piece of a description starts: "location", or
// failing that "index", as the name of a piece (not inside another name).
size_t SelectorPieceStart(std::string_view description) {
    for (std::string_view name : {"location", "index"}) {
        std::string piece = std::string(name) + kDescNameEnd;
        for (size_t at = description.find(piece); at != std::string_view::npos;
             at = description.find(piece, at + 1)) {
            if (at == 0 || description[at - 1] == kDescValueEnd) {
                return at;
            }
        }
    }
    return std::string_view::npos;
}

bool AddId(CWebInfo& record, const CWebRunTimeID& id) {
    CWebVariantList value;
    value.Set(id);
    record.AddAttr("id", value);
    return true;
}

} // namespace

bool CConversionMaps::LookupDescription(CWebObj& owner, CWebInfo& record) {
    if (!EnsureMaps(owner)) {
        return false;
    }
    std::string description;
    if (!DescriptionToText(record, description)) {
        return false;
    }
    if (const Key* found = FindIdentifier(description)) {
        if (TraceEnabled(kTraceDescription)) {
            Trace(kTraceDescription,
                  FormatTraceLine("DescToId(): description:%s", description.c_str()));
        }
        return AddId(record, IdOf(*found));
    }
    if (owner.GetOption("UseQuorvin70Selector") != 1) {
        return false;
    }
    size_t cut = SelectorPieceStart(description);
    if (cut == std::string_view::npos) {
        return false;
    }
    if (const Key* found = FindIdentifier(std::string_view(description).substr(0, cut))) {
        return AddId(record, IdOf(*found));
    }
    return false;
}

bool CConversionMaps::LookupIdentifier(CWebObj& owner, CWebInfo& record) {
    if (!EnsureMaps(owner)) {
        return false;
    }
    std::optional<std::string_view> description = FindDescription(record.GetRunTimeID());
    if (!description) {
        return false;
    }
    TextToDescription(*description, record);
    return true;
}
