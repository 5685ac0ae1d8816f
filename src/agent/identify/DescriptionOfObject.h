// From an object to its description: the obligatory properties of its
// class's template, optional ones while they are needed to tell it apart,
// its selector position when nothing else does, and the "tag" the tool shows
// for it. Also the step-wise enumeration of the objects under an object.
//
//     request.SetRunTimeID(link);
//     nsresult code = IdToDesc(dispatcher, request); // "class", "name", "tag"...
#pragma once

#include "agent/channel/CWebInfo.h"
#include "agent/identify/IDescriptionHost.h"

// Message 39: replaces the request's attributes with the description of the
// object its identifier names; a result code.
nsresult IdToDesc(IDescriptionHost& dispatcher, CWebInfo& request);

// Message 51: "bEnumNeeded" non-zero starts an enumeration of the objects
// under the addressed object; every call answers the description of the next
// object not marked "IsIgnored", with its "rect". One enumeration at a time
// in the process.
void EnumerateObjects(IDescriptionHost& dispatcher, CWebInfo& request);
// Forgets the enumeration under way.
void ResetEnumeration();
