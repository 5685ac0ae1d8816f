#include "agent/host/IdentificationSetup.h"

#include "agent/identify/DescriptionOfObject.h"
#include "agent/identify/DescriptionSearch.h"

void InstallIdentificationService(CInterface& dispatcher) {
    IdentificationService service;
    service.findObjectsByDesc = [](CInterface& owner, CWebInfo& request, Descend descend,
                                   std::vector<CWebObjRef>& found) {
        DispatcherView view(owner);
        return FindObjectsByDesc(view, request, descend, found);
    };
    service.objectsAtPoint = [](CInterface& owner, CWebInfo& request) {
        DispatcherView view(owner);
        ObjectsAtPoint(view, request);
    };
    service.idToDesc = [](CInterface& owner, CWebInfo& request) {
        DispatcherView view(owner);
        return IdToDesc(view, request);
    };
    service.enumerateObjects = [](CInterface& owner, CWebInfo& request) {
        DispatcherView view(owner);
        EnumerateObjects(view, request);
    };
    dispatcher.SetIdentificationService(service);
}
