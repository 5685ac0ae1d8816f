#include "platform/browser/dom/Identity.h"

#include <mutex>
#include <unordered_map>

namespace dom {

namespace {

struct Entry {
    nsISupports* object; // observes: the object unregisters in its destructor
    IdentityKind kind;
};

struct Registry {
    std::mutex lock;
    std::unordered_map<uint32_t, Entry> entries;
    // Identities stay positive as signed 32-bit values, since the tool's
    // runtime identifiers carry them in signed fields.
    uint32_t next = 1;
};

Registry& TheRegistry() {
    static Registry registry;
    return registry;
}

} // namespace

uint32_t RegisterIdentity(nsISupports* object, IdentityKind kind) {
    if (!object)
        return 0;
    Registry& registry = TheRegistry();
    std::lock_guard guard(registry.lock);
    if (registry.next > static_cast<uint32_t>(INT32_MAX))
        return 0;
    uint32_t identity = registry.next++;
    registry.entries.emplace(identity, Entry{object, kind});
    return identity;
}

void UnregisterIdentity(uint32_t identity) {
    Registry& registry = TheRegistry();
    std::lock_guard guard(registry.lock);
    registry.entries.erase(identity);
}

nsISupports* LookUpIdentity(uint32_t identity, IdentityKind kind) {
    Registry& registry = TheRegistry();
    std::lock_guard guard(registry.lock);
    auto it = registry.entries.find(identity);
    if (it == registry.entries.end() || it->second.kind != kind)
        return nullptr;
    return it->second.object;
}

} // namespace dom
