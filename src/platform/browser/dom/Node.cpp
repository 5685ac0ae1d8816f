#include "platform/browser/dom/Node.h"

#include "platform/browser/dom/Document.h"
#include "platform/browser/dom/Events.h"
#include "platform/browser/dom/Identity.h"
#include "platform/browser/dom/Range.h"

namespace dom {

EventTargetCore::~EventTargetCore() = default;

ListenerManager* EventTargetCore::Listeners(bool create) {
    if (!m_listeners && create)
        m_listeners = new ListenerManager();
    return m_listeners.get();
}

EventTargetCore* EventTargetCore::FromDOM(nsISupports* object) {
    if (!object)
        return nullptr;
    void* core = nullptr;
    if (NS_FAILED(object->QueryInterface(kCoreIID, &core)) || !core)
        return nullptr;
    auto* target = static_cast<EventTargetCore*>(core);
    // The caller's reference keeps the object alive; drop the query's.
    target->AsEventTarget()->Release();
    return target;
}

Node::Node(NodeKind kind, std::shared_ptr<DocumentLink> link)
    : m_kind(kind), m_link(std::move(link)) {}

Node::~Node() {
    for (auto& child : m_children)
        child->m_parent = nullptr;
    if (m_identity)
        UnregisterIdentity(m_identity);
}

nsIDOMEventTarget* Node::AsEventTarget() {
    void* target = nullptr;
    AsDOMNode()->QueryInterface(nsIDOMEventTarget::kIID, &target);
    auto* result = static_cast<nsIDOMEventTarget*>(target);
    if (result)
        result->Release(); // answered without a reference, as AsDOMNode is
    return result;
}

EventTargetCore* Node::EventParent() {
    if (m_parent)
        return m_parent;
    if (m_kind == NodeKind::Document)
        return reinterpret_cast<EventTargetCore*>(static_cast<Document*>(this)->EventWindow());
    return nullptr;
}

Node* Node::FromDOM(nsISupports* object) {
    EventTargetCore* core = EventTargetCore::FromDOM(object);
    return core ? dynamic_cast<Node*>(core) : nullptr;
}

PRUint16 Node::DOMNodeType() const {
    switch (m_kind) {
    case NodeKind::Element:
        return nsIDOMNode::ELEMENT_NODE;
    case NodeKind::Text:
        return nsIDOMNode::TEXT_NODE;
    case NodeKind::Comment:
        return nsIDOMNode::COMMENT_NODE;
    case NodeKind::Document:
        return nsIDOMNode::DOCUMENT_NODE;
    case NodeKind::Attribute:
        return nsIDOMNode::ATTRIBUTE_NODE;
    }
    return 0;
}

Node* Node::ChildAt(size_t index) const {
    return index < m_children.size() ? m_children[index].get() : nullptr;
}

Node* Node::PreviousSibling() const {
    if (!m_parent || m_index == 0 || m_parent->ChildAt(m_index) != this)
        return nullptr;
    return m_parent->ChildAt(m_index - 1);
}

Node* Node::NextSibling() const {
    if (!m_parent || m_parent->ChildAt(m_index) != this)
        return nullptr; // anonymous content has no siblings
    return m_parent->ChildAt(m_index + 1);
}

bool Node::IsInclusiveAncestorOf(const Node& other) const {
    for (const Node* node = &other; node; node = node->m_parent) {
        if (node == this)
            return true;
    }
    return false;
}

Node* Node::NextInTree(const Node* root) const {
    if (!m_children.empty())
        return m_children.front().get();
    for (const Node* node = this; node && node != root; node = node->m_parent) {
        if (Node* next = node->NextSibling())
            return next;
    }
    return nullptr;
}

bool Node::IsConnected() const {
    const Node* node = this;
    while (node->m_parent)
        node = node->m_parent;
    return node->m_kind == NodeKind::Document && node->OwnerDocument() == node &&
           // Anonymous content hangs below its element but is not in the tree.
           [this] {
               for (const Node* n = this; n->m_parent; n = n->m_parent) {
                   if (n->m_parent->ChildAt(n->m_index) != n)
                       return false;
               }
               return true;
           }();
}

void Node::AdjustConnectedCount(const Node& subtree, int sign) {
    Document* document = OwnerDocument();
    if (!document || !IsConnected())
        return;
    uint32_t elements = 0;
    for (const Node* node = &subtree; node; node = node->NextInTree(&subtree)) {
        if (node->IsElement())
            ++elements;
    }
    if (sign > 0)
        document->m_elementCount += elements;
    else
        document->m_elementCount -= elements;
}

nsresult Node::InsertChild(Node& child, Node* before) {
    if (m_kind != NodeKind::Element && m_kind != NodeKind::Document)
        return NS_ERROR_INVALID_ARG; // character data has no children
    if (child.m_kind == NodeKind::Document || child.m_kind == NodeKind::Attribute)
        return NS_ERROR_INVALID_ARG;
    if (child.IsInclusiveAncestorOf(*this))
        return NS_ERROR_INVALID_ARG; // would make a cycle
    if (child.OwnerDocument() != OwnerDocument())
        return NS_ERROR_INVALID_ARG;
    if (before && before->m_parent != this)
        return NS_ERROR_INVALID_ARG;
    if (before == &child)
        return NS_OK;
    NodeRef keepAlive(&child); // removal from the old parent drops its reference
    if (child.m_parent) {
        nsresult rv = child.m_parent->RemoveChildNode(child);
        if (NS_FAILED(rv))
            return rv;
    }
    size_t index = before ? before->m_index : m_children.size();
    m_children.insert(m_children.begin() + static_cast<ptrdiff_t>(index), NodeRef(&child));
    for (size_t i = index; i < m_children.size(); ++i)
        m_children[i]->m_index = i;
    child.m_parent = this;
    AdjustConnectedCount(child, +1);
    return NS_OK;
}

nsresult Node::RemoveChildNode(Node& child) {
    if (child.m_parent != this || ChildAt(child.m_index) != &child)
        return NS_ERROR_INVALID_ARG;
    NodeRef keepAlive(&child);
    AdjustConnectedCount(child, -1);
    if (Document* document = OwnerDocument(); document && IsConnected())
        document->NodeLeftTree(child);
    size_t index = child.m_index;
    m_children.erase(m_children.begin() + static_cast<ptrdiff_t>(index));
    for (size_t i = index; i < m_children.size(); ++i)
        m_children[i]->m_index = i;
    child.m_parent = nullptr;
    child.m_index = 0;
    return NS_OK;
}

nsresult Node::ReplaceChildNode(Node& newChild, Node& oldChild) {
    if (oldChild.m_parent != this)
        return NS_ERROR_INVALID_ARG;
    if (&newChild == &oldChild)
        return NS_OK;
    NodeRef keepOld(&oldChild);
    Node* before = oldChild.NextSibling();
    if (before == &newChild)
        before = newChild.NextSibling();
    nsresult rv = RemoveChildNode(oldChild);
    if (NS_FAILED(rv))
        return rv;
    rv = InsertChild(newChild, before);
    if (NS_FAILED(rv))
        InsertChild(oldChild, before); // put the old child back
    return rv;
}

void Node::RemoveAllChildren() {
    while (!m_children.empty())
        RemoveChildNode(*m_children.back());
}

void Node::CloneChildrenInto(Node& copy) const {
    for (const auto& child : m_children) {
        NodeRef clone = child->Clone(true);
        if (clone)
            copy.InsertChild(*clone, nullptr);
    }
}

uint32_t Node::Identity() {
    if (!m_identity) {
        nsISupports* canonical = nullptr;
        AsDOMNode()->QueryInterface(nsISupports::kIID, reinterpret_cast<void**>(&canonical));
        if (canonical) {
            canonical->Release();
            m_identity = RegisterIdentity(canonical, IdentityKind::Node);
        }
    }
    return m_identity;
}

nsString Node::TextContent() const {
    if (IsCharacterData())
        return NodeValue();
    nsString text;
    for (const Node* node = this; node; node = node->NextInTree(this)) {
        if (node->m_kind == NodeKind::Text)
            text += node->NodeValue();
    }
    return text;
}

nsString CharacterData::NodeName() const {
    return Kind() == NodeKind::Text ? u"#text" : u"#comment";
}

NodeRef CharacterData::Clone(bool) const {
    return Kind() == NodeKind::Text ? NewText(Link(), m_data) : NewComment(Link(), m_data);
}

} // namespace dom
