// The content iterator: visits DOM nodes in document order (a node before
// its children), over a whole subtree or over the nodes a range touches.
//
//     nsCOMPtr<nsIContentIterator> it;
//     dom::NewContentIterator(getter_AddRefs(it));
//     it->Init(range);
//     for (PRBool done = PR_FALSE; it->IsDone(&done), !done; it->Next()) { ... }
//
// The nodes are collected when the iterator is initialised and held until it
// is initialised again or released, so pages that change while a caller
// walks (event handlers, removal of nodes) cannot make it visit freed nodes.
#pragma once

#include "platform/browser/dom/Node.h"
#include "platform/xpcom/dom/nsIDOMRange.h"

#include <vector>

namespace dom {

class ContentIterator final : public nsSupportsImpl<ContentIterator, nsIContentIterator> {
public:
    ContentIterator() = default;

    nsresult Init(nsIDOMNode* root) override;
    nsresult Init(nsIDOMRange* range) override;
    nsresult First() override;
    nsresult Last() override;
    nsresult Next() override;
    nsresult Prev() override;
    nsresult CurrentNode(nsIDOMNode** node) override;
    nsresult IsDone(PRBool* done) override;

    // The nodes the iterator visits, in order.
    const std::vector<NodeRef>& Nodes() const { return m_nodes; }

private:
    std::vector<NodeRef> m_nodes;
    size_t m_position = 0; // m_nodes.size() when done
};

} // namespace dom
