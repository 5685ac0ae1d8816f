// What identification needs of the request dispatcher, which sits above it:
// object resolution, the browser registry, nested requests and one option the
// dispatcher fixes. The global trap state hands identification an adapter
// around its dispatcher.
//
//     std::vector<CWebObjRef> found;
//     FindObjectsByDesc(host, request, Descend::Yes, found);
#pragma once

#include "agent/channel/CWebInfo.h"
#include "agent/model/CWebObj.h"

#include <cstdint>
#include <vector>

// Whether a description search looks at every descendant of the addressed
// object or at its direct children only.
enum class Descend { No, Yes };

class IDescriptionHost {
public:
    // The object the record's identifier names; the record's RetValue says
    // whether there was one.
    virtual CWebObjRef ResolveObject(CWebInfo& record) = 0;
    // The registered browser objects; false without a registry.
    virtual bool GetBrowsers(std::vector<CWebObjRef>& out) = 0;
    // Runs a request as if the tool had sent it.
    virtual bool Dispatch(CWebInfo& record) = 0;
    // The option "UseQuorvin70IE55Description" as the connection fixed it;
    // -1 until then.
    virtual int32_t CachedUseQuorvin70IE55Description() const = 0;

protected:
    ~IDescriptionHost() = default;
};
