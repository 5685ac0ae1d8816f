#include "platform/browser/dom/Node.h"

#include "platform/browser/dom/Document.h"
#include "platform/browser/dom/Events.h"
#include "platform/browser/dom/Identity.h"
#include "platform/browser/dom/Window.h"

namespace dom {

EventTargetCore::EventTargetCore() = default;
EventTargetCore::~EventTargetCore() = default;

ListenerManager* EventTargetCore::Listeners(bool create) {
    if (!m_listeners && create)
        m_listeners = new ListenerManager();
    return m_listeners.get();
}

namespace {
ListenerPhase PhaseOf(PRBool useCapture) {
    return useCapture ? ListenerPhase::Capture : ListenerPhase::Bubble;
}
} // namespace

nsresult EventTargetCore::AddListener(const nsAString& type, nsIDOMEventListener* listener,
                                      PRBool useCapture) {
    if (!listener)
        return NS_ERROR_NULL_POINTER;
    return Listeners(true)->AddEventListener(type, listener, PhaseOf(useCapture));
}

nsresult EventTargetCore::RemoveListener(const nsAString& type, nsIDOMEventListener* listener,
                                         PRBool useCapture) {
    ListenerManager* listeners = Listeners(false);
    return listeners ? listeners->RemoveEventListener(type, listener, PhaseOf(useCapture)) : NS_OK;
}

nsresult EventTargetCore::Dispatch(nsIDOMEvent* event, PRBool* notCancelled) {
    // Listeners may drop the last outside reference to this target.
    nsCOMPtr<nsISupports> keepAlive(CanonicalObject());
    bool allowed = true;
    nsresult rv = DispatchDOMEvent(*this, event, &allowed);
    if (notCancelled)
        *notCancelled = allowed ? PR_TRUE : PR_FALSE;
    return rv;
}

nsresult EventTargetCore::AddListenerByIID(nsIDOMEventListener* listener, const nsIID& iid,
                                           PRUint32 flags) {
    if (!listener)
        return NS_ERROR_NULL_POINTER;
    return Listeners(true)->AddEventListenerByIID(listener, iid, flags);
}

nsresult EventTargetCore::RemoveListenerByIID(nsIDOMEventListener* listener, const nsIID& iid,
                                              PRUint32 flags) {
    ListenerManager* listeners = Listeners(false);
    return listeners ? listeners->RemoveEventListenerByIID(listener, iid, flags) : NS_OK;
}

nsresult EventTargetCore::ListenerManagerOut(nsIEventListenerManager** manager) {
    if (!manager)
        return NS_ERROR_NULL_POINTER;
    *manager = Listeners(true);
    (*manager)->AddRef();
    return NS_OK;
}

EventTargetCore* EventTargetCore::FromDOM(nsISupports* object) {
    if (!object)
        return nullptr;
    void* core = nullptr;
    if (NS_FAILED(object->QueryInterface(kCoreIID, &core)) || !core)
        return nullptr;
    auto* target = static_cast<EventTargetCore*>(core);
    // The caller's reference keeps the object alive; drop the query's.
    target->CanonicalObject()->Release();
    return target;
}

Node::Node(NodeKind kind, std::shared_ptr<DocumentLink> link)
    : m_kind(kind), m_link(std::move(link)) {}

void Node::ForgetIdentity() {
    if (m_identity)
        UnregisterIdentity(std::exchange(m_identity, 0));
}

Node::~Node() {
    ForgetIdentity();
    // Tear the subtree down with a work list rather than by recursion, so
    // that a deeply nested tree cannot exhaust the stack: a child nobody
    // else holds hands its own children to the list before it goes.
    std::vector<NodeRef> pending = std::move(m_children);
    while (!pending.empty()) {
        NodeRef child = std::move(pending.back());
        pending.pop_back();
        child->m_parent = nullptr;
        if (child->IsSolelyHeld()) {
            for (auto& grandchild : child->m_children)
                pending.push_back(std::move(grandchild));
            child->m_children.clear();
        }
    }
}

EventTargetCore* Node::EventParent() {
    if (m_parent)
        return m_parent;
    if (m_kind == NodeKind::Document)
        return static_cast<Document*>(this)->DocumentWindow();
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
    return m_connected || (m_kind == NodeKind::Document && OwnerDocument() == this);
}

void Node::SetConnected(Node& subtree, bool connected) {
    Document* document = OwnerDocument();
    uint32_t elements = 0;
    for (Node* node = &subtree; node; node = node->NextInTree(&subtree)) {
        node->m_connected = connected;
        if (node->IsElement())
            ++elements;
    }
    if (!document)
        return;
    if (connected)
        document->m_elementCount += elements;
    else
        document->m_elementCount -= elements;
}

nsresult Node::InsertChild(Node& child, Node* before) {
    if (m_kind != NodeKind::Element && m_kind != NodeKind::Document)
        return NS_ERROR_INVALID_ARG; // character data has no children
    if (child.m_kind == NodeKind::Document || child.m_kind == NodeKind::Attribute)
        return NS_ERROR_INVALID_ARG;
    // Would make a cycle. (A childless node can only be its own ancestor,
    // which keeps building deep trees linear.)
    if (&child == this || (child.ChildCount() > 0 && child.IsInclusiveAncestorOf(*this)))
        return NS_ERROR_INVALID_ARG;
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
    if (IsConnected())
        SetConnected(child, true);
    if (Document* document = OwnerDocument())
        document->NoteChange();
    return NS_OK;
}

nsresult Node::RemoveChildNode(Node& child) {
    if (child.m_parent != this || ChildAt(child.m_index) != &child)
        return NS_ERROR_INVALID_ARG;
    NodeRef keepAlive(&child);
    if (child.m_connected) {
        SetConnected(child, false);
        if (Document* document = OwnerDocument())
            document->NodeLeftTree(child);
    }
    size_t index = child.m_index;
    m_children.erase(m_children.begin() + static_cast<ptrdiff_t>(index));
    for (size_t i = index; i < m_children.size(); ++i)
        m_children[i]->m_index = i;
    child.m_parent = nullptr;
    child.m_index = 0;
    if (Document* document = OwnerDocument())
        document->NoteChange();
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
    // Shallow copies level by level with a work list, so that deep trees
    // are copied without deep recursion.
    std::vector<std::pair<const Node*, Node*>> pending{{this, &copy}};
    while (!pending.empty()) {
        auto [source, target] = pending.back();
        pending.pop_back();
        for (const auto& child : source->m_children) {
            NodeRef clone = child->Clone(false);
            if (!clone || NS_FAILED(target->InsertChild(*clone, nullptr)))
                continue;
            if (!child->m_children.empty())
                pending.emplace_back(child.get(), clone.get());
        }
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

void CharacterData::SetData(nsString data) {
    m_data = std::move(data);
    if (Document* document = OwnerDocument())
        document->NoteTextChange();
}

NodeRef CharacterData::Clone(bool) const {
    return Kind() == NodeKind::Text ? NewText(Link(), m_data) : NewComment(Link(), m_data);
}

} // namespace dom
