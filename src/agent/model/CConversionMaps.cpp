#include "agent/model/CConversionMaps.h"

#include "agent/channel/Trace.h"
#include "agent/model/CWebObj.h"
#include "agent/model/CWebObjUtil.h"
#include "agent/model/DescriptionTable.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <new>
#include <unordered_map>
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

// Groups by key, visited in key order; each keeps the order members came in.
using Grouping = std::map<std::string, std::vector<Member>>;

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

    bool Build(CWebObj& owner) { return Collect(owner) && m_Maps.Adopt(m_ByDescription, m_ById); }

private:
    using Key = CConversionMaps::Key;

    bool Collect(CWebObj& owner) {
        std::vector<CWebObjRef> objects;
        owner.CollectDescendants(objects, kChildFilterOrdinary);
        Grouping groups;
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
            groups[std::move(key)].push_back(std::move(member));
        }
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

    // Enters a description held by exactly one object; existing entries stay.
    void Commit(const std::string& description, const CWebRunTimeID& id) {
        const Key key = CConversionMaps::KeyOf(id);
        auto [entry, added] = m_ByDescription.try_emplace(description, key);
        // An identifier only ever points at a description that leads back to it.
        if (added || entry->second == key) {
            m_ById.try_emplace(key, &entry->first);
        }
    }

    void Commit(Grouping& groups) {
        for (auto& [key, members] : groups) {
            if (key.empty()) {
                continue;
            }
            if (members.size() == 1) {
                Commit(key, members.front().object->RunTimeID());
            } else {
                m_Ambiguous.push_back(Group{key, std::move(members)});
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
                split[group.key].push_back(std::move(extended));
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
            split[std::move(key)].push_back(std::move(extended));
        }
        if (split.size() == 1) {
            // Still alike: later optional attributes are not tried. A key
            // that did not change names the group the caller already has.
            if (split.begin()->first != group.key) {
                Commit(split);
            }
            return;
        }
        if (split.size() < group.members.size()) {
            for (auto& [key, members] : split) {
                TellApart(Group{key, members}, position + 1);
            }
        }
        Commit(split);
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
    std::map<std::string, Key, std::less<>> m_ByDescription;
    std::map<Key, const std::string*> m_ById; // points at keys of m_ByDescription
};

bool CConversionMaps::Adopt(const std::map<std::string, Key, std::less<>>& byDescription,
                            const std::map<Key, const std::string*>& byId) {
    Clear();
    try {
        size_t total = 0;
        for (const auto& [text, id] : byDescription) {
            total += text.size();
        }
        if (total > UINT32_MAX || byDescription.size() > UINT32_MAX) {
            return false;
        }
        m_Text.reserve(total);
        m_ByDescription.reserve(byDescription.size());
        std::unordered_map<const std::string*, uint32_t> entryOf;
        entryOf.reserve(byDescription.size());
        for (const auto& [text, id] : byDescription) {
            const auto offset = static_cast<uint32_t>(m_Text.size());
            m_Text.append(text);
            entryOf.emplace(&text, static_cast<uint32_t>(m_ByDescription.size()));
            m_ByDescription.push_back({offset, static_cast<uint32_t>(text.size()), id});
        }
        m_ById.reserve(byId.size());
        for (const auto& [id, text] : byId) {
            m_ById.push_back({id, entryOf.at(text)});
        }
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
