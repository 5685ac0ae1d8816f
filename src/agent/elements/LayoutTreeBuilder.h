#pragma once
// The layout tree builder: decides which DOM nodes of a document become
// element test objects, of which class, and makes them. It is the only place
// where element objects are made. The global trap state holds one builder
// and offers its operations; frames and element objects reach it through
// the trap state.
//
//     CLayoutTreeBuilder& builder = ...;                 // the trap state's
//     std::vector<CWebObjRef> objects;
//     builder.CollectElementObjects(body, frame, objects, kSpecificObjects);
//     CWebObjRef cell = builder.ObjectForNode(td, frame, kSpecificObjects,
//                                             MapImage::Disallow);
//
// Collections are flat and in document pre-order, every object of one walk
// has the walk's parent handle (the owning frame), and tables are numbered
// 0, 1, 2, ... in document order within one walk. Runs on the browser's
// user-interface thread only; a walk must not start inside another walk.

#include "agent/channel/CWebRunTimeID.h"
#include "agent/model/CWebObj.h"
#include "platform/xpcom/dom/nsIDOMNode.h"
#include "platform/xpcom/nsCOMPtr.h"

#include <cstdint>
#include <string_view>
#include <vector>

// Which objects a creation may make: the two bits of the child filters.
inline constexpr uint32_t kSpecificObjects = kChildFilterOrdinary;
inline constexpr uint32_t kGeneralObjects = kChildFilterGeneral;

// Where a node stands within the tables of the current walk.
struct LayoutPosition {
    int32_t table = -1; // index of the enclosing table within the walk
    int32_t row = -1;   // 0-based row within that table
    uint32_t flags = 0; // kSpecificObjects | kGeneralObjects; 0 means both
};

// Whether an image element may get its object when it was reached through a
// client-side map (only single lookups for the recorder allow it).
enum class MapImage { Disallow, Allow };
// Whether the recordable object may be a table reached from inside it.
enum class TableCheck { No, Yes };

class CLayoutTreeBuilder {
public:
    // The object for `node` at `position`, or null when the node gets none.
    CWebObjRef CreateElementObject(nsIDOMNode* node, const CWebObjRef& parent,
                                   LayoutPosition position, MapImage mapImage);
    // The object for one node outside a walk (table and row unknown).
    CWebObjRef ObjectForNode(nsIDOMNode* node, const CWebObjRef& parent, uint32_t flags,
                             MapImage mapImage);
    // Appends the objects of every element below `root` (not the root
    // itself); false only when the root's children cannot be read.
    bool CollectElementObjects(nsIDOMNode* root, const CWebObjRef& parent,
                               std::vector<CWebObjRef>& out, uint32_t flags);
    // A client-side map (or an area in one) stands for the image that uses
    // it; null when the frame's document cannot be read.
    nsCOMPtr<nsIDOMNode> ResolveImageMapNode(nsIDOMNode* node, const CWebObjRef& parent);
    // The object a user action on `node` is recorded against: the nearest
    // specific object at or above it.
    CWebObjRef FindRecordableObject(nsIDOMNode* node, const CWebObjRef& parent,
                                    TableCheck tableCheck);
    // The element an event at `node` is meant for: the node when it is an
    // element, else the nearest element above it that is not a formatting
    // wrapper.
    static nsCOMPtr<nsIDOMNode> NearestSignificantElement(nsIDOMNode* node);

private:
    // ResolveImageMapNode for a node whose tag was already read.
    nsCOMPtr<nsIDOMNode> ResolveImageMapNode(nsIDOMNode* node, const CWebObjRef& parent,
                                             std::string_view tag);
    bool Walk(nsIDOMNode* root, const CWebObjRef& parent, std::vector<CWebObjRef>& out,
              uint32_t flags);

    int32_t m_TableCounter = -1; // the last table index handed out in this walk
};
