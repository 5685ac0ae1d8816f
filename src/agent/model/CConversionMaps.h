// The identification engine of one frame or page: for every element of its
// document one canonical description string and the element's runtime
// identifier, both ways, so that the usual request (the tool sending back a
// description the agent generated) resolves with one lookup.
//
//     CConversionMaps& engine = frame.GetConversionMaps();
//     engine.MarkDirty();                           // the document changed
//     if (engine.LookupDescription(frame, request)) // adds "id"
//         ...
//
// Maps are rebuilt as a whole, lazily, on the first use after being marked
// dirty; a rebuild that fails leaves them empty and dirty. The owner is the
// frame or page object the engine is embedded in; its descendants (flags 1:
// general elements excluded) are what the maps describe.
#pragma once

#include "agent/channel/CWebInfo.h"
#include "agent/channel/CWebRunTimeID.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class CWebObj;

class CConversionMaps {
public:
    void SetFrameId(const CWebRunTimeID& id) { m_FrameId = id; }
    const CWebRunTimeID& GetFrameId() const { return m_FrameId; }
    void MarkDirty() { m_Dirty = true; }
    bool IsDirty() const { return m_Dirty; }
    bool IsBusy() const { return m_Busy; }

    // Rebuilds the maps from the owner's descendants when they are dirty;
    // true when they are usable (also while a rebuild is under way higher up
    // the stack, when they are simply empty).
    bool EnsureMaps(CWebObj& owner);
    // "DescToId": adds "id" with the identifier of the description the record
    // holds; false when the maps do not know it. With the tool option
    // "UseQuorvin70Selector" 1 a description whose selector the agent did not
    // generate is looked up again without it.
    bool LookupDescription(CWebObj& owner, CWebInfo& record);
    // "IdToDesc": adds the attributes of the description of the record's
    // identifier; false when the maps do not know it.
    bool LookupIdentifier(CWebObj& owner, CWebInfo& record);

    size_t GetDescriptionCount() const { return m_ByDescription.size(); }
    size_t GetIdentifierCount() const { return m_ById.size(); }
    // The description the identifier map keeps for an identifier, if any;
    // valid until the maps are rebuilt.
    std::optional<std::string_view> FindDescription(const CWebRunTimeID& id) const;

private:
    // The four levels without the identifier class's virtual table: the maps
    // hold one per element.
    struct Key {
        int32_t first, second, third, fourth;
        friend auto operator<=>(const Key&, const Key&) = default;
    };
    static Key KeyOf(const CWebRunTimeID& id) {
        return {id.First(), id.Second(), id.Third(), id.Fourth()};
    }
    static CWebRunTimeID IdOf(const Key& key) {
        return {key.first, key.second, key.third, key.fourth};
    }

    // A description: its text in m_Text and the identifier it names.
    struct Entry {
        uint32_t offset;
        uint32_t length;
        Key id;
    };
    struct IdEntry {
        Key id;
        uint32_t entry; // index into m_ByDescription
    };

    // The descriptions a rebuild entered, in the order it entered them, with
    // the identifier each was entered for; one text buffer holds them all.
    class Entered {
    public:
        void Add(std::string_view description, const Key& id);
        void Reserve(size_t count);

    private:
        friend class CConversionMaps;
        struct Item {
            size_t offset;
            size_t length;
            Key id;
        };
        std::string m_Text;
        std::vector<Item> m_Items;
    };

    friend class MapBuilder;
    // Takes the descriptions a rebuild entered, packed for lookups: the
    // first object to enter a description keeps it, and an identifier keeps
    // the first description it entered that leads back to it. The maps are
    // built as a whole and then only read, so sorted arrays over one text
    // buffer serve the ordered lookups at a fraction of the memory of tree
    // nodes per entry; false when they cannot be made (memory, sizes).
    bool Adopt(const Entered& entered);
    void Clear();
    std::string_view TextOf(const Entry& entry) const {
        return std::string_view(m_Text).substr(entry.offset, entry.length);
    }
    const Key* FindIdentifier(std::string_view description) const;

    bool m_Busy = false;
    bool m_Dirty = true;
    // The class template generation the maps were built with; a template
    // change anywhere makes every engine rebuild.
    uint64_t m_Generation = 0;
    CWebRunTimeID m_FrameId;
    std::string m_Text;
    std::vector<Entry> m_ByDescription; // sorted by description text
    std::vector<IdEntry> m_ById;        // sorted by identifier
};
