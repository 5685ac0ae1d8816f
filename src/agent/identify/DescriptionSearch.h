// From a description to the matching test objects: a frame's identification
// engine answers the usual request with one lookup; otherwise a general
// search collects the objects under the context object and filters them
// property by property, then applies a "location" or "index" selector.
//
//     std::vector<CWebObjRef> found;
//     nsresult code = FindObjectsByDesc(dispatcher, request, Descend::Yes, found);
//
// User-interface thread only; collecting objects may run page code, so the
// handles found may have died by the time the caller looks at them.
#pragma once

#include "agent/channel/CWebInfo.h"
#include "agent/identify/IDescriptionHost.h"
#include "agent/model/CWebObj.h"

#include <cstdint>
#include <vector>

// The objects under the request's addressed object (every browser for an
// empty identifier) that the request's description matches, in search
// order: 0, or E_UNEXPECTED when the context object does not exist.
nsresult FindObjectsByDesc(IDescriptionHost& dispatcher, const CWebInfo& request, Descend descend,
                           std::vector<CWebObjRef>& found);

// The objects under an identifier selected by the collection flags. For the
// empty identifier every browser followed by its objects; otherwise the
// object's own children or descendants, without the object. False when the
// identifier names no object (or there is no browser registry).
bool CollectObjects(IDescriptionHost& dispatcher, const CWebRunTimeID& id,
                    std::vector<CWebObjRef>& out, int32_t flags, Descend descend);

// Keeps the objects that match every attribute of the request (property
// matching, "!" patterns included), then the one a "location" or "index"
// selector picks; an out-of-range selector empties the list.
void FilterObjVectorByDesc(const CWebInfo& request, std::vector<CWebObjRef>& objects);

// The reading-order position of an object among others by the top left of
// its "rect" (ties share a position); -1 when it has no rectangle.
int GetLocation(IWebObj& object, const std::vector<CWebObjRef>& objects);

// Message 17: the objects under the addressed object whose rectangle holds
// the request's "point" strictly inside, table rows excepted.
void ObjectsAtPoint(IDescriptionHost& dispatcher, CWebInfo& request);

// Whether an identifier names a page or frame (browser and frame levels set,
// element level unused), or an element (the first three levels set).
bool IsFrameLevel(const CWebRunTimeID& id);
bool IsElementLevel(const CWebRunTimeID& id);
