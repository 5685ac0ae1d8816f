#include "platform/browser/dom/NodeFaces.h"

#include "platform/browser/dom/Parser.h"
#include "platform/xpcom/nsXPCOM.h"
#include "platform/xpcom/shell/nsINetwork.h"

namespace dom {

NodeCollection::NodeCollection(Node& root, Gatherer gather)
    : m_root(&root), m_gather(std::move(gather)) {}

const std::vector<Node*>& NodeCollection::Items() {
    Document* document = m_root->OwnerDocument();
    uint64_t stamp = document ? document->ChangeCount() : 0;
    if (!m_valid || !document || stamp != m_stamp) {
        m_items.clear();
        m_gather(*m_root, m_items);
        m_stamp = stamp;
        m_valid = document != nullptr;
    }
    return m_items;
}

nsresult NodeCollection::GetLength(PRUint32* length) {
    if (!length)
        return NS_ERROR_NULL_POINTER;
    *length = static_cast<PRUint32>(Items().size());
    return NS_OK;
}

nsresult NodeCollection::Item(PRUint32 index, nsIDOMNode** item) {
    const auto& items = Items();
    return ReturnNode(index < items.size() ? items[index] : nullptr, item);
}

nsresult NodeCollection::NamedItem(const nsAString& name, nsIDOMNode** item) {
    const auto& items = Items();
    Node* byName = nullptr;
    for (Node* node : items) {
        if (!node->IsElement())
            continue;
        auto* element = static_cast<Element*>(node);
        if (const nsString* id = element->FindAttribute(u"id"); id && *id == name)
            return ReturnNode(element, item);
        if (!byName) {
            if (const nsString* n = element->FindAttribute(u"name"); n && *n == name)
                byName = element;
        }
    }
    return ReturnNode(byName, item);
}

nsresult BaseURLOf(Node& node, nsIURI** url) {
    if (!url)
        return NS_ERROR_NULL_POINTER;
    *url = nullptr;
    Document* document =
        node.Kind() == NodeKind::Document ? static_cast<Document*>(&node) : node.OwnerDocument();
    if (!document)
        return NS_ERROR_NOT_AVAILABLE;
    // The address object comes from the browser's I/O service, which the
    // DOM reaches through the component framework like any embedder.
    nsCOMPtr<nsIIOService> io = do_GetService(NS_IOSERVICE_CONTRACTID);
    if (!io)
        return NS_ERROR_NOT_AVAILABLE;
    nsresult rv = io->NewURI(Utf8FromUtf16(document->BaseURL()), nullptr, url);
    return NS_FAILED(rv) ? NS_ERROR_NOT_AVAILABLE : NS_OK;
}

nsCOMPtr<NodeCollection> ChildNodesOf(Node& parent) {
    return nsCOMPtr<NodeCollection>(
        new NodeCollection(parent, [](Node& root, std::vector<Node*>& items) {
            for (size_t i = 0; i < root.ChildCount(); ++i)
                items.push_back(root.ChildAt(i));
        }));
}

nsCOMPtr<NodeCollection> ElementsMatching(Node& root, std::function<bool(Element&)> match) {
    return nsCOMPtr<NodeCollection>(
        new NodeCollection(root, [match = std::move(match)](Node& from, std::vector<Node*>& items) {
            for (Node* node = from.NextInTree(&from); node; node = node->NextInTree(&from)) {
                if (node->IsElement() && match(static_cast<Element&>(*node)))
                    items.push_back(node);
            }
        }));
}

nsCOMPtr<NodeCollection> ElementsByTagName(Node& root, std::u16string_view name) {
    nsString tag(name);
    if (tag == u"*")
        return ElementsMatching(root, [](Element&) { return true; });
    return ElementsMatching(root, [tag](Element& element) {
        return element.IsHTML() ? EqualsIgnoringAsciiCase(element.TagName(), tag)
                                : element.TagName() == tag;
    });
}

namespace {

// An attribute as a node: it reads and writes its element's attribute.
class AttrCore : public Node {
public:
    AttrCore(Element& owner, nsString name)
        : Node(NodeKind::Attribute, owner.Link()), m_owner(&owner), m_name(std::move(name)) {}

    nsString NodeName() const override { return m_name; }
    nsString NodeValue() const override { return OwnerElement().Attribute(m_name); }
    void ChangeNodeValue(const nsString& value) override {
        OwnerElement().SetAttribute(m_name, value);
    }
    NodeRef Clone(bool) const override { return {}; }

    Element& OwnerElement() const { return static_cast<Element&>(*m_owner); }
    const nsString& Name() const { return m_name; }

private:
    NodeRef m_owner;
    nsString m_name;
};

class Attr final : public NodeFace<AttrCore, Attr, nsIDOMAttr> {
public:
    using NodeFace::NodeFace;

    nsresult GetName(nsAString& name) override {
        name = Name();
        return NS_OK;
    }
    nsresult GetSpecified(PRBool* specified) override {
        if (!specified)
            return NS_ERROR_NULL_POINTER;
        *specified = PR_TRUE;
        return NS_OK;
    }
    nsresult GetValue(nsAString& value) override {
        value = NodeValue();
        return NS_OK;
    }
    nsresult SetValue(const nsAString& value) override {
        ChangeNodeValue(value);
        return NS_OK;
    }
    nsresult GetOwnerElement(nsIDOMElement** owner) override {
        return ReturnNode(&OwnerElement(), owner);
    }
};

class AttributeMap final : public nsSupportsImpl<AttributeMap, nsIDOMNamedNodeMap> {
public:
    explicit AttributeMap(Element& element) : m_element(&element) {}

    nsresult GetLength(PRUint32* length) override {
        if (!length)
            return NS_ERROR_NULL_POINTER;
        *length = static_cast<PRUint32>(Owner().AttributeCount());
        return NS_OK;
    }
    nsresult Item(PRUint32 index, nsIDOMNode** item) override {
        if (!item)
            return NS_ERROR_NULL_POINTER;
        *item = nullptr;
        if (index >= Owner().AttributeCount())
            return NS_OK;
        return Make(Owner().AttributeAt(index).first, item);
    }
    nsresult GetNamedItem(const nsAString& name, nsIDOMNode** item) override {
        if (!item)
            return NS_ERROR_NULL_POINTER;
        *item = nullptr;
        if (!Owner().HasAttribute(name))
            return NS_OK;
        return Make(Owner().IsHTML() ? AsciiLower(name) : name, item);
    }

private:
    Element& Owner() const { return static_cast<Element&>(*m_element); }
    nsresult Make(const nsString& name, nsIDOMNode** item) {
        NodeRef attr(new Attr(Owner(), name));
        return ReturnNode(attr.get(), item);
    }

    NodeRef m_element;
};

template <typename Derived, typename Primary>
class CharacterDataFace : public NodeFace<CharacterData, Derived, Primary> {
public:
    using NodeFace<CharacterData, Derived, Primary>::NodeFace;

    nsresult GetData(nsAString& data) override {
        data = this->Data();
        return NS_OK;
    }
    nsresult SetData(const nsAString& data) override {
        CharacterData::SetData(data);
        return NS_OK;
    }
    nsresult GetLength(PRUint32* length) override {
        if (!length)
            return NS_ERROR_NULL_POINTER;
        *length = static_cast<PRUint32>(this->Data().size());
        return NS_OK;
    }
    nsresult SubstringData(PRUint32 offset, PRUint32 count, nsAString& result) override {
        result.clear();
        if (offset > this->Data().size())
            return NS_ERROR_INVALID_ARG;
        result = this->Data().substr(offset, count);
        return NS_OK;
    }
    nsresult AppendData(const nsAString& data) override {
        CharacterData::SetData(this->Data() + data);
        return NS_OK;
    }
    nsresult InsertData(PRUint32 offset, const nsAString& data) override {
        if (offset > this->Data().size())
            return NS_ERROR_INVALID_ARG;
        nsString text = this->Data();
        text.insert(offset, data);
        CharacterData::SetData(std::move(text));
        return NS_OK;
    }
    nsresult DeleteData(PRUint32 offset, PRUint32 count) override {
        return ReplaceData(offset, count, nsString());
    }
    nsresult ReplaceData(PRUint32 offset, PRUint32 count, const nsAString& data) override {
        if (offset > this->Data().size())
            return NS_ERROR_INVALID_ARG;
        nsString text = this->Data();
        text.replace(offset, count, data);
        CharacterData::SetData(std::move(text));
        return NS_OK;
    }
};

class TextNode final : public CharacterDataFace<TextNode, nsIDOMText> {
public:
    TextNode(std::shared_ptr<DocumentLink> link, nsString data)
        : CharacterDataFace(NodeKind::Text, std::move(link), std::move(data)) {}

    nsresult SplitText(PRUint32 offset, nsIDOMText** newText) override {
        if (!newText)
            return NS_ERROR_NULL_POINTER;
        *newText = nullptr;
        if (offset > Data().size())
            return NS_ERROR_INVALID_ARG;
        NodeRef rest = NewText(Link(), Data().substr(offset));
        CharacterData::SetData(Data().substr(0, offset));
        if (Node* parent = Parent())
            parent->InsertChild(*rest, NextSibling());
        return ReturnNode(rest.get(), newText);
    }
};

class CommentNode final : public CharacterDataFace<CommentNode, nsIDOMComment> {
public:
    CommentNode(std::shared_ptr<DocumentLink> link, nsString data)
        : CharacterDataFace(NodeKind::Comment, std::move(link), std::move(data)) {}
};

} // namespace

nsresult NewAttributeMap(Element& element, nsIDOMNamedNodeMap** map) {
    if (!map)
        return NS_ERROR_NULL_POINTER;
    *map = new AttributeMap(element);
    (*map)->AddRef();
    return NS_OK;
}

NodeRef NewText(const std::shared_ptr<DocumentLink>& link, nsString data) {
    return NodeRef(new TextNode(link, std::move(data)));
}

NodeRef NewComment(const std::shared_ptr<DocumentLink>& link, nsString data) {
    return NodeRef(new CommentNode(link, std::move(data)));
}

} // namespace dom
