// The identification operations that the dispatcher's description rows call:
// from a description to the matching objects, from an object back to its
// description, the objects at a point and the step-wise enumeration. They
// live with the identification layer (not built yet); until the dispatcher is
// given them, the rows that need them answer E_NOTIMPL.
//
//     IdentificationService service;
//     service.findObjectsByDesc = &FindObjectsByDesc;
//     dispatcher.SetIdentificationService(service);
#pragma once

#include "agent/channel/CWebInfo.h"
#include "agent/model/CWebObj.h"

#include <vector>

class CInterface;
enum class Descend;

struct IdentificationService {
    // The objects under the request's addressed object that match the
    // description the request carries, in search order; a result code.
    nsresult (*findObjectsByDesc)(CInterface& dispatcher, CWebInfo& request, Descend descend,
                                  std::vector<CWebObjRef>& found) = nullptr;
    // Fills the request with the "id" attributes of the objects whose
    // rectangle holds the request's "point", and its result code.
    void (*objectsAtPoint)(CInterface& dispatcher, CWebInfo& request) = nullptr;
    // Replaces the request's attributes with the addressed object's
    // description; a result code.
    nsresult (*idToDesc)(CInterface& dispatcher, CWebInfo& request) = nullptr;
    // One step of the enumeration of the objects under the addressed object.
    void (*enumerateObjects)(CInterface& dispatcher, CWebInfo& request) = nullptr;
};
