#include "platform/browser/dom/ContentIterator.h"

#include "platform/browser/dom/ContentFactories.h"
#include "platform/browser/dom/Range.h"

namespace dom {

nsresult ContentIterator::Init(nsIDOMNode* root) {
    m_nodes.clear();
    m_position = 0;
    if (!root)
        return NS_ERROR_NULL_POINTER;
    Node* core = Node::FromDOM(root);
    if (!core)
        return NS_ERROR_INVALID_ARG;
    for (Node* node = core; node; node = node->NextInTree(core))
        m_nodes.emplace_back(node);
    return NS_OK;
}

nsresult ContentIterator::Init(nsIDOMRange* range) {
    m_nodes.clear();
    m_position = 0;
    if (!range)
        return NS_ERROR_NULL_POINTER;
    std::optional<RangePoints> points = PointsOfRange(range);
    if (!points)
        return NS_ERROR_INVALID_ARG;
    m_nodes = NodesInRange(*points);
    return NS_OK;
}

nsresult ContentIterator::First() {
    m_position = 0;
    return NS_OK;
}

nsresult ContentIterator::Last() {
    m_position = m_nodes.empty() ? 0 : m_nodes.size() - 1;
    return NS_OK;
}

nsresult ContentIterator::Next() {
    if (m_position < m_nodes.size())
        ++m_position;
    return NS_OK;
}

nsresult ContentIterator::Prev() {
    // Stepping back from the first node ends the walk, as stepping on from
    // the last one does.
    if (m_position == 0 || m_position >= m_nodes.size())
        m_position = m_nodes.size();
    else
        --m_position;
    return NS_OK;
}

nsresult ContentIterator::CurrentNode(nsIDOMNode** node) {
    if (!node)
        return NS_ERROR_NULL_POINTER;
    *node = nullptr;
    if (m_position >= m_nodes.size())
        return NS_ERROR_FAILURE;
    return ReturnNode(m_nodes[m_position].get(), node);
}

nsresult ContentIterator::IsDone(PRBool* done) {
    if (!done)
        return NS_ERROR_NULL_POINTER;
    *done = m_position >= m_nodes.size();
    return NS_OK;
}

nsresult NewContentIterator(nsIContentIterator** iterator) {
    if (!iterator)
        return NS_ERROR_NULL_POINTER;
    nsCOMPtr<nsIContentIterator> created(new ContentIterator());
    *iterator = created.forget();
    return NS_OK;
}

} // namespace dom
