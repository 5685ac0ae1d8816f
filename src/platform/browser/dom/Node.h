// The DOM tree of the simulated browser: the node cores behind the DOM's host
// interfaces.
//
// Every node is a framework object (its COM face is one of the nsIDOM*
// interfaces, see NodeFaces.h) built on one of the core classes here: Node,
// CharacterData, Element, Document. Code of the browser works on the cores;
// Node::FromDOM turns any of the node's interface pointers back into its core.
//
// Ownership: a parent holds a reference to each child; a child observes its
// parent. A node observes its document through a revocable link, so a node
// that outlives its document answers a null owner document.
#pragma once

#include "platform/xpcom/dom/nsIDOMEvent.h"
#include "platform/xpcom/dom/nsIDOMNode.h"
#include "platform/xpcom/nsCOMPtr.h"

#include <cstdint>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

namespace dom {

class Document;
class Element;
class Node;
class CharacterData;
class ListenerManager;

enum class NodeKind : uint8_t { Element, Text, Comment, Document, Attribute };

// A counted reference to a node core.
class NodeRef {
public:
    NodeRef() = default;
    NodeRef(Node* node);
    NodeRef(const NodeRef& other);
    NodeRef(NodeRef&& other) noexcept : m_node(std::exchange(other.m_node, nullptr)) {}
    NodeRef& operator=(NodeRef other) noexcept {
        std::swap(m_node, other.m_node);
        return *this;
    }
    ~NodeRef();
    Node* get() const { return m_node; }
    Node* operator->() const { return m_node; }
    Node& operator*() const { return *m_node; }
    explicit operator bool() const { return m_node != nullptr; }

private:
    Node* m_node = nullptr; // owns one reference
};

// Revocable link from nodes to their document: the document clears it in its
// destructor.
struct DocumentLink {
    Document* document = nullptr; // observes; cleared by ~Document
};

// What every event target of the DOM (node or window) has: its listeners and
// its parent in the event path.
class EventTargetCore {
public:
    EventTargetCore();
    EventTargetCore(const EventTargetCore&) = delete;
    EventTargetCore& operator=(const EventTargetCore&) = delete;
    virtual ~EventTargetCore();
    // The target's event interface (not AddRef'ed); null while the object
    // offers none.
    virtual nsIDOMEventTarget* AsEventTarget() = 0;
    // The object's canonical nsISupports (not AddRef'ed).
    virtual nsISupports* CanonicalObject() = 0;
    // The next target outwards in the event path (not AddRef'ed), or null.
    virtual EventTargetCore* EventParent() = 0;
    // The listeners of this target; created on first use when asked to.
    ListenerManager* Listeners(bool create);
    bool HasListeners() const { return m_listeners != nullptr; }

    // The target's side of nsIDOMEventTarget and nsIDOMEventReceiver, shared
    // by the faces of nodes and windows.
    nsresult AddListener(const nsAString& type, nsIDOMEventListener* listener, PRBool useCapture);
    nsresult RemoveListener(const nsAString& type, nsIDOMEventListener* listener,
                            PRBool useCapture);
    nsresult Dispatch(nsIDOMEvent* event, PRBool* notCancelled);
    nsresult AddListenerByIID(nsIDOMEventListener* listener, const nsIID& iid, PRUint32 flags);
    nsresult RemoveListenerByIID(nsIDOMEventListener* listener, const nsIID& iid, PRUint32 flags);
    nsresult ListenerManagerOut(nsIEventListenerManager** manager);

    // Turns an interface pointer of a DOM node or window into its core.
    static EventTargetCore* FromDOM(nsISupports* object);
    static constexpr nsIID kCoreIID{
        0x5a0dff01, 0x7e11, 0x4d0c, {0x9b, 0x21, 0x3f, 0x6a, 0xff, 0x00, 0x00, 0x01}};

private:
    nsCOMPtr<ListenerManager> m_listeners;
};

class Node : public EventTargetCore {
public:
    ~Node() override;

    // The node's primary interface (not AddRef'ed).
    virtual nsIDOMNode* AsDOMNode() = 0;
    EventTargetCore* EventParent() override;
    // Whether exactly one reference to the node exists.
    virtual bool IsSolelyHeld() const = 0;
    void AddRefNode() { AsDOMNode()->AddRef(); }
    void ReleaseNode() { AsDOMNode()->Release(); }

    // The core of a node's interface pointer; null for anything else. The
    // caller's reference keeps the node alive.
    static Node* FromDOM(nsISupports* object);

    NodeKind Kind() const { return m_kind; }
    bool IsElement() const { return m_kind == NodeKind::Element; }
    bool IsCharacterData() const { return m_kind == NodeKind::Text || m_kind == NodeKind::Comment; }
    PRUint16 DOMNodeType() const;
    virtual nsString NodeName() const = 0;
    virtual nsString NodeValue() const { return {}; }
    virtual void ChangeNodeValue(const nsString&) {}

    Node* Parent() const { return m_parent; }
    // The owner document (the document itself for a document; null once the
    // document is gone).
    Document* OwnerDocument() const { return m_link ? m_link->document : nullptr; }
    const std::shared_ptr<DocumentLink>& Link() const { return m_link; }

    size_t ChildCount() const { return m_children.size(); }
    Node* ChildAt(size_t index) const;
    Node* FirstChild() const { return ChildAt(0); }
    Node* LastChild() const {
        return m_children.empty() ? nullptr : ChildAt(m_children.size() - 1);
    }
    Node* PreviousSibling() const;
    Node* NextSibling() const;
    // Position among the parent's children (0 without a parent).
    size_t IndexInParent() const { return m_index; }
    // Whether this node is `other` or one of its ancestors.
    bool IsInclusiveAncestorOf(const Node& other) const;
    // The next node in document order within `root`'s subtree (pre-order).
    Node* NextInTree(const Node* root) const;
    // Whether the node hangs in its document's tree.
    bool IsConnected() const;

    // Tree changes; all check their arguments and answer a result code.
    nsresult InsertChild(Node& child, Node* before);
    nsresult RemoveChildNode(Node& child);
    nsresult ReplaceChildNode(Node& newChild, Node& oldChild);
    void RemoveAllChildren();

    // A copy of this node (with its subtree when `deep`) in the same document.
    virtual NodeRef Clone(bool deep) const = 0;

    // The identity handed out for this node (0 until asked for one).
    uint32_t Identity();

    // Text content of the subtree (character data concatenated).
    nsString TextContent() const;

protected:
    Node(NodeKind kind, std::shared_ptr<DocumentLink> link);
    // Withdraws the node's identity; faces call it first thing in their
    // destructors, so that no look-up finds a node being destroyed.
    void ForgetIdentity();
    void CloneChildrenInto(Node& copy) const;
    void SetParentForAnonymous(Node* parent) { m_parent = parent; }

private:
    friend class Document;
    friend class Element;
    // Marks the subtree as in (or out of) the document's tree and keeps the
    // document's element count.
    void SetConnected(Node& subtree, bool connected);

    NodeKind m_kind;
    Node* m_parent = nullptr; // observes: the parent holds a reference to us
    size_t m_index = 0;
    uint32_t m_identity = 0;
    bool m_connected = false; // hangs in its document's tree
    std::shared_ptr<DocumentLink> m_link;
    std::vector<NodeRef> m_children;
};

inline NodeRef::NodeRef(Node* node) : m_node(node) {
    if (m_node)
        m_node->AddRefNode();
}
inline NodeRef::NodeRef(const NodeRef& other) : NodeRef(other.m_node) {}
inline NodeRef::~NodeRef() {
    if (m_node)
        m_node->ReleaseNode();
}

// Hands a node out through an interface out parameter, AddRef'ed.
template <typename Interface> nsresult ReturnNode(Node* node, Interface** out) {
    if (!out)
        return NS_ERROR_NULL_POINTER;
    *out = nullptr;
    if (!node)
        return NS_OK;
    void* result = nullptr;
    nsresult rv = node->AsDOMNode()->QueryInterface(Interface::kIID, &result);
    *out = static_cast<Interface*>(result);
    return NS_SUCCEEDED(rv) ? NS_OK : rv;
}

class CharacterData : public Node {
public:
    const nsString& Data() const { return m_data; }
    // Both tell the owner document of the edit.
    void SetData(nsString data);
    nsString NodeValue() const override { return m_data; }
    void ChangeNodeValue(const nsString& value) override { SetData(value); }
    nsString NodeName() const override;
    NodeRef Clone(bool deep) const override;

protected:
    CharacterData(NodeKind kind, std::shared_ptr<DocumentLink> link, nsString data)
        : Node(kind, std::move(link)), m_data(std::move(data)) {}

private:
    nsString m_data;
};

// Makes text and comment nodes (NodeFaces.cpp).
NodeRef NewText(const std::shared_ptr<DocumentLink>& link, nsString data);
NodeRef NewComment(const std::shared_ptr<DocumentLink>& link, nsString data);

} // namespace dom
