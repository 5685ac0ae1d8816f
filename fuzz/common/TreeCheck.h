// Consistency of a parsed document's tree, shared by the markup fuzzers.
#pragma once

#include "platform/browser/dom/Document.h"

#include <cstdint>
#include <cstdlib>

namespace fuzz {

// Walks the document in tree order, checking that every child links back to
// its parent at its own position, and aborts unless the document's element
// count agrees with the walk.
inline void CheckTree(const dom::Document& document) {
    uint32_t elements = 0;
    for (const dom::Node* node = &document; node; node = node->NextInTree(&document)) {
        if (node->IsElement())
            ++elements;
        for (size_t i = 0; i < node->ChildCount(); ++i) {
            const dom::Node* child = node->ChildAt(i);
            if (!child || child->Parent() != node || child->IndexInParent() != i)
                std::abort();
        }
    }
    if (elements != document.ElementCount())
        std::abort();
}

} // namespace fuzz
