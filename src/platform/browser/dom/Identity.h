// The process-wide registry of node and window identities: 32-bit values,
// positive, never reused. Entries observe their objects, which remove them
// in their destructors, so a look-up never answers freed memory.
#pragma once

#include <cstdint>

class nsISupports;

namespace dom {

enum class IdentityKind : uint8_t { Node, Window };

// Registers `object` (its canonical nsISupports) and answers its new
// identity; 0 once the identity space is exhausted.
uint32_t RegisterIdentity(nsISupports* object, IdentityKind kind);
void UnregisterIdentity(uint32_t identity);
// The object with that identity and kind, not AddRef'ed; null when gone.
nsISupports* LookUpIdentity(uint32_t identity, IdentityKind kind);

} // namespace dom
