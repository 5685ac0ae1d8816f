// The COM faces of the node cores: templates that put a node core and the
// framework's reference counting together and answer the DOM interfaces of
// nodes and elements on top of the core's state.
//
//     class HTMLAnchorElement final
//         : public HTMLElementFace<HTMLAnchorElement, nsIDOMHTMLAnchorElement> { ... };
//
// The first interface listed is the node's primary interface (AsDOMNode);
// QueryInterface answers every listed interface and their bases, and the
// core identifier EventTargetCore::kCoreIID that Node::FromDOM asks for.
#pragma once

#include "platform/browser/dom/Document.h"
#include "platform/xpcom/dom/nsIContent.h"
#include "platform/xpcom/dom/nsIDOMDocument.h"
#include "platform/xpcom/dom/nsIDOMElement.h"
#include "platform/xpcom/dom/nsIDOMHTMLElements.h"

#include <functional>
#include <tuple>

namespace dom {

// A live list of nodes. It gathers its items again whenever the document's
// trees or attributes changed since it last did, so reading every item of a
// list costs O(n) overall, not O(n) for each item.
class NodeCollection final
    : public nsSupportsImpl<NodeCollection, nsIDOMHTMLCollection, nsIDOMNodeList> {
public:
    using Gatherer = std::function<void(Node& root, std::vector<Node*>& items)>;
    NodeCollection(Node& root, Gatherer gather);

    nsresult GetLength(PRUint32* length) override;
    nsresult Item(PRUint32 index, nsIDOMNode** item) override;
    nsresult NamedItem(const nsAString& name, nsIDOMNode** item) override;

    // The items as of now; the pointers stay valid until the tree changes.
    const std::vector<Node*>& Items();

private:
    NodeRef m_root;
    Gatherer m_gather;
    std::vector<Node*> m_items; // observes: nodes of the tree the root keeps
    uint64_t m_stamp = 0;
    bool m_valid = false;
};

// The children of `parent`.
nsCOMPtr<NodeCollection> ChildNodesOf(Node& parent);
// The descendant elements of `root` (not `root` itself) that `match`
// accepts, in document order.
nsCOMPtr<NodeCollection> ElementsMatching(Node& root, std::function<bool(Element&)> match);
// The descendant elements with the tag `name` ("*" for all). HTML tags
// compare without regard to case.
nsCOMPtr<NodeCollection> ElementsByTagName(Node& root, std::u16string_view name);

// Hands a collection out through an interface out parameter.
template <typename Interface>
nsresult ReturnCollection(const nsCOMPtr<NodeCollection>& collection, Interface** out) {
    if (!out)
        return NS_ERROR_NULL_POINTER;
    *out = collection.get();
    if (*out)
        (*out)->AddRef();
    return NS_OK;
}

// Sets an optional node out parameter of a tree operation.
inline nsresult ReturnOptionalNode(Node* node, nsIDOMNode** out) {
    return out ? ReturnNode(node, out) : NS_OK;
}

// The base address of `node` as an address object (nsIContent).
nsresult BaseURLOf(Node& node, nsIURI** url);

template <typename Core, typename Derived, typename... Interfaces>
class NodeFace : public Core,
                 public nsSupportsImpl<Derived, Interfaces..., nsIDOMEventReceiver, nsIContent> {
    using Impl = nsSupportsImpl<Derived, Interfaces..., nsIDOMEventReceiver, nsIContent>;
    using Primary = std::tuple_element_t<0, std::tuple<Interfaces...>>;

public:
    template <typename... Args>
    explicit NodeFace(Args&&... args) : Core(std::forward<Args>(args)...) {}
    ~NodeFace() override { this->ForgetIdentity(); }

    nsIDOMNode* AsDOMNode() override { return static_cast<Primary*>(static_cast<Derived*>(this)); }
    nsISupports* CanonicalObject() override { return Impl::CanonicalSupports(); }
    bool IsSolelyHeld() const override { return Impl::RefCount() == 1; }
    nsIDOMEventTarget* AsEventTarget() override {
        return static_cast<nsIDOMEventReceiver*>(static_cast<Derived*>(this));
    }

    // nsIDOMEventTarget, nsIDOMEventReceiver
    nsresult AddEventListener(const nsAString& type, nsIDOMEventListener* listener,
                              PRBool useCapture) override {
        return this->AddListener(type, listener, useCapture);
    }
    nsresult RemoveEventListener(const nsAString& type, nsIDOMEventListener* listener,
                                 PRBool useCapture) override {
        return this->RemoveListener(type, listener, useCapture);
    }
    nsresult DispatchEvent(nsIDOMEvent* event, PRBool* notCancelled) override {
        return this->Dispatch(event, notCancelled);
    }
    nsresult AddEventListenerByIID(nsIDOMEventListener* listener, const nsIID& iid,
                                   PRUint32 flags) override {
        return this->AddListenerByIID(listener, iid, flags);
    }
    nsresult RemoveEventListenerByIID(nsIDOMEventListener* listener, const nsIID& iid,
                                      PRUint32 flags) override {
        return this->RemoveListenerByIID(listener, iid, flags);
    }
    nsresult GetListenerManager(nsIEventListenerManager** manager) override {
        return this->ListenerManagerOut(manager);
    }

    // nsIContent
    nsresult GetBaseURL(nsIURI** url) override { return BaseURLOf(*this, url); }

    nsresult GetNodeName(nsAString& name) override {
        name = this->NodeName();
        return NS_OK;
    }
    nsresult GetNodeValue(nsAString& value) override {
        value = this->NodeValue();
        return NS_OK;
    }
    nsresult SetNodeValue(const nsAString& value) override {
        Core::ChangeNodeValue(value);
        return NS_OK;
    }
    nsresult GetNodeType(PRUint16* type) override {
        if (!type)
            return NS_ERROR_NULL_POINTER;
        *type = this->DOMNodeType();
        return NS_OK;
    }
    nsresult GetParentNode(nsIDOMNode** parent) override {
        return ReturnNode(this->Parent(), parent);
    }
    nsresult GetChildNodes(nsIDOMNodeList** children) override {
        return ReturnCollection(ChildNodesOf(*this), children);
    }
    nsresult GetFirstChild(nsIDOMNode** child) override {
        return ReturnNode(this->FirstChild(), child);
    }
    nsresult GetLastChild(nsIDOMNode** child) override {
        return ReturnNode(this->LastChild(), child);
    }
    nsresult GetPreviousSibling(nsIDOMNode** sibling) override {
        return ReturnNode(this->PreviousSibling(), sibling);
    }
    nsresult GetNextSibling(nsIDOMNode** sibling) override {
        return ReturnNode(this->NextSibling(), sibling);
    }
    nsresult GetAttributes(nsIDOMNamedNodeMap** attributes) override {
        if (!attributes)
            return NS_ERROR_NULL_POINTER;
        *attributes = nullptr;
        return NS_OK;
    }
    nsresult GetOwnerDocument(nsIDOMDocument** document) override {
        Node* owner = this->Kind() == NodeKind::Document ? nullptr : this->OwnerDocument();
        return ReturnNode(owner, document);
    }
    nsresult InsertBefore(nsIDOMNode* newChild, nsIDOMNode* refChild,
                          nsIDOMNode** result) override {
        if (result)
            *result = nullptr;
        Node* child = Node::FromDOM(newChild);
        if (!child)
            return newChild ? NS_ERROR_INVALID_ARG : NS_ERROR_NULL_POINTER;
        Node* before = Node::FromDOM(refChild);
        if (refChild && !before)
            return NS_ERROR_INVALID_ARG;
        nsresult rv = this->InsertChild(*child, before);
        return NS_FAILED(rv) ? rv : ReturnOptionalNode(child, result);
    }
    nsresult ReplaceChild(nsIDOMNode* newChild, nsIDOMNode* oldChild,
                          nsIDOMNode** result) override {
        if (result)
            *result = nullptr;
        Node* replacement = Node::FromDOM(newChild);
        Node* old = Node::FromDOM(oldChild);
        if (!replacement || !old)
            return (newChild && oldChild) ? NS_ERROR_INVALID_ARG : NS_ERROR_NULL_POINTER;
        NodeRef keepOld(old);
        nsresult rv = this->ReplaceChildNode(*replacement, *old);
        return NS_FAILED(rv) ? rv : ReturnOptionalNode(old, result);
    }
    nsresult RemoveChild(nsIDOMNode* oldChild, nsIDOMNode** result) override {
        if (result)
            *result = nullptr;
        Node* old = Node::FromDOM(oldChild);
        if (!old)
            return oldChild ? NS_ERROR_INVALID_ARG : NS_ERROR_NULL_POINTER;
        NodeRef keepOld(old);
        nsresult rv = this->RemoveChildNode(*old);
        return NS_FAILED(rv) ? rv : ReturnOptionalNode(old, result);
    }
    nsresult AppendChild(nsIDOMNode* newChild, nsIDOMNode** result) override {
        return InsertBefore(newChild, nullptr, result);
    }
    nsresult HasChildNodes(PRBool* result) override {
        if (!result)
            return NS_ERROR_NULL_POINTER;
        *result = this->ChildCount() > 0 ? PR_TRUE : PR_FALSE;
        return NS_OK;
    }
    nsresult CloneNode(PRBool deep, nsIDOMNode** result) override {
        if (!result)
            return NS_ERROR_NULL_POINTER;
        *result = nullptr;
        NodeRef copy = this->Clone(deep != PR_FALSE);
        if (!copy)
            return NS_ERROR_NOT_IMPLEMENTED;
        return ReturnNode(copy.get(), result);
    }
    nsresult GetNamespaceURI(nsAString& uri) override {
        uri.clear();
        return NS_OK;
    }
    nsresult GetLocalName(nsAString& name) override {
        name.clear();
        return NS_OK;
    }
    nsresult HasAttributes(PRBool* result) override {
        if (!result)
            return NS_ERROR_NULL_POINTER;
        *result = PR_FALSE;
        return NS_OK;
    }

protected:
    void* QueryExtraInterface(const nsIID& iid) override {
        if (iid.Equals(EventTargetCore::kCoreIID))
            return static_cast<EventTargetCore*>(this);
        return nullptr;
    }
};

// The attributes of an element as nsIDOMNamedNodeMap (made per request;
// its items read and write the element's attributes).
nsresult NewAttributeMap(Element& element, nsIDOMNamedNodeMap** map);

inline constexpr char16_t kXulNamespace[] =
    u"http://www.mozilla.org/keymaster/gatekeeper/there.is.only.xul";
inline constexpr char16_t kHtmlNamespace[] = u"http://www.w3.org/1999/xhtml";

template <typename Core, typename Derived, typename... Interfaces>
class ElementFace : public NodeFace<Core, Derived, Interfaces...> {
public:
    using NodeFace<Core, Derived, Interfaces...>::NodeFace;

    nsresult GetAttributes(nsIDOMNamedNodeMap** attributes) override {
        if (!attributes)
            return NS_ERROR_NULL_POINTER;
        return NewAttributeMap(*this, attributes);
    }
    nsresult HasAttributes(PRBool* result) override {
        if (!result)
            return NS_ERROR_NULL_POINTER;
        *result = this->AttributeCount() > 0 ? PR_TRUE : PR_FALSE;
        return NS_OK;
    }
    nsresult GetNamespaceURI(nsAString& uri) override {
        uri = this->IsHTML() ? kHtmlNamespace : kXulNamespace;
        return NS_OK;
    }
    nsresult GetLocalName(nsAString& name) override {
        name = this->LocalName();
        return NS_OK;
    }

    nsresult GetTagName(nsAString& tagName) override {
        tagName = this->TagName();
        return NS_OK;
    }
    nsresult GetAttribute(const nsAString& name, nsAString& value) override {
        value = Element::Attribute(name);
        return NS_OK;
    }
    nsresult SetAttribute(const nsAString& name, const nsAString& value) override {
        if (name.empty())
            return NS_ERROR_INVALID_ARG;
        Element::SetAttribute(name, value);
        return NS_OK;
    }
    nsresult RemoveAttribute(const nsAString& name) override {
        Element::RemoveAttribute(name);
        return NS_OK;
    }
    nsresult HasAttribute(const nsAString& name, PRBool* result) override {
        if (!result)
            return NS_ERROR_NULL_POINTER;
        *result = Element::HasAttribute(name) ? PR_TRUE : PR_FALSE;
        return NS_OK;
    }
    nsresult GetElementsByTagName(const nsAString& name, nsIDOMNodeList** result) override {
        return ReturnCollection(ElementsByTagName(*this, name), result);
    }

protected:
    // Attribute reflection helpers for the element kinds.
    nsresult ReflectString(std::u16string_view name, nsAString& value) {
        value = Element::Attribute(name);
        return NS_OK;
    }
    nsresult ReflectSetString(std::u16string_view name, const nsAString& value) {
        Element::SetAttribute(name, value);
        return NS_OK;
    }
    nsresult ReflectInt(std::u16string_view name, PRInt32* value, int32_t fallback = 0) {
        if (!value)
            return NS_ERROR_NULL_POINTER;
        *value = this->AttributeInt(name).value_or(fallback);
        return NS_OK;
    }
    nsresult ReflectBool(std::u16string_view name, PRBool* value) {
        if (!value)
            return NS_ERROR_NULL_POINTER;
        *value = Element::HasAttribute(name) ? PR_TRUE : PR_FALSE;
        return NS_OK;
    }
    nsresult ReflectSetBool(std::u16string_view name, PRBool value) {
        this->SetAttributeBool(name, value != PR_FALSE);
        return NS_OK;
    }
};

} // namespace dom
