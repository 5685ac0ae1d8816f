#include "platform/browser/dom/Document.h"

#include "platform/browser/dom/Selection.h"

namespace dom {

Document::Document(ElementNamespace ns)
    : Node(NodeKind::Document, std::make_shared<DocumentLink>()), m_namespace(ns) {
    Link()->document = this;
}

Document::~Document() {
    Link()->document = nullptr;
    m_focused = nullptr;
}

NodeRef Document::Clone(bool) const {
    return {}; // documents are made by the parsers, not copied
}

Element* Document::DocumentElement() const {
    for (size_t i = 0; i < ChildCount(); ++i) {
        if (ChildAt(i)->IsElement())
            return static_cast<Element*>(ChildAt(i));
    }
    return nullptr;
}

Element* Document::Body() const {
    Element* root = DocumentElement();
    if (!IsHTML() || !root || !root->HasTag(u"html"))
        return nullptr;
    Element* frameset = nullptr;
    for (size_t i = 0; i < root->ChildCount(); ++i) {
        Node* child = root->ChildAt(i);
        if (!child->IsElement())
            continue;
        auto* element = static_cast<Element*>(child);
        if (element->HasTag(u"body"))
            return element;
        if (!frameset && element->HasTag(u"frameset"))
            frameset = element;
    }
    return frameset;
}

Element* Document::ElementById(std::u16string_view id) const {
    if (id.empty())
        return nullptr;
    for (const Node* node = NextInTree(this); node; node = node->NextInTree(this)) {
        if (!node->IsElement())
            continue;
        auto* element = static_cast<const Element*>(node);
        if (const nsString* value = element->FindAttribute(u"id"); value && *value == id)
            return const_cast<Element*>(element);
    }
    return nullptr;
}

NodeRef Document::CreateElement(std::u16string_view tag) {
    return NewElement(Link(), m_namespace, tag);
}

NodeRef Document::CreateText(nsString data) {
    return NewText(Link(), std::move(data));
}

NodeRef Document::CreateComment(nsString data) {
    return NewComment(Link(), std::move(data));
}

nsString CollapseWhiteSpace(std::u16string_view text) {
    nsString result;
    bool pendingSpace = false;
    for (char16_t c : text) {
        if (c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f') {
            pendingSpace = !result.empty();
            continue;
        }
        if (pendingSpace)
            result += u' ';
        pendingSpace = false;
        result += c;
    }
    return result;
}

nsString Document::Title() const {
    Element* root = DocumentElement();
    if (!root)
        return {};
    if (!IsHTML())
        return root->Attribute(u"title");
    for (const Node* node = root; node; node = node->NextInTree(root)) {
        if (node->IsElement() && static_cast<const Element*>(node)->HasTag(u"title"))
            return CollapseWhiteSpace(node->TextContent());
    }
    return {};
}

namespace {

// Removes "." and ".." segments of an absolute path.
nsString RemoveDotSegments(std::u16string_view path) {
    std::vector<nsString> segments;
    size_t start = 1; // path begins with '/'
    while (start <= path.size()) {
        size_t end = path.find(u'/', start);
        if (end == std::u16string_view::npos)
            end = path.size();
        nsString segment(path.substr(start, end - start));
        bool last = end == path.size();
        if (segment == u"..") {
            if (!segments.empty())
                segments.pop_back();
            if (last)
                segments.emplace_back();
        } else if (segment == u".") {
            if (last)
                segments.emplace_back();
        } else {
            segments.push_back(std::move(segment));
        }
        start = end + 1;
    }
    nsString result;
    for (const auto& segment : segments)
        result += u'/' + segment;
    return result.empty() ? nsString(u"/") : result;
}

bool HasScheme(std::u16string_view reference) {
    size_t colon = reference.find(u':');
    if (colon == std::u16string_view::npos || colon == 0)
        return false;
    for (size_t i = 0; i < colon; ++i) {
        char16_t c = reference[i];
        bool alpha = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
        bool other = (c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == u'.';
        if (!alpha && !(i > 0 && other))
            return false;
    }
    return true;
}

} // namespace

const nsString& Document::BaseURL() const {
    if (m_baseStamp == m_changes && m_baseForURL == m_url)
        return m_baseURL;
    m_baseURL = m_url;
    if (IsHTML()) {
        for (const Node* node = FirstChild(); node; node = node->NextInTree(this)) {
            if (!node->IsElement())
                continue;
            const auto& element = static_cast<const Element&>(*node);
            if (!element.IsHTML() || !element.HasTag(u"base"))
                continue;
            if (const nsString* href = element.FindAttribute(u"href")) {
                nsString resolved = ResolveAgainst(m_url, *href);
                if (HasScheme(resolved))
                    m_baseURL = std::move(resolved);
                break;
            }
        }
    }
    m_baseStamp = m_changes;
    m_baseForURL = m_url;
    return m_baseURL;
}

nsString Document::ResolveURL(std::u16string_view reference) const {
    return ResolveAgainst(BaseURL(), reference);
}

nsString Document::ResolveAgainst(std::u16string_view base, std::u16string_view reference) {
    // Trim the white space HTML allows around URLs in attributes.
    while (!reference.empty() && (reference.front() == u' ' || reference.front() == u'\t' ||
                                  reference.front() == u'\n' || reference.front() == u'\r'))
        reference.remove_prefix(1);
    while (!reference.empty() && (reference.back() == u' ' || reference.back() == u'\t' ||
                                  reference.back() == u'\n' || reference.back() == u'\r'))
        reference.remove_suffix(1);
    if (HasScheme(reference) || !HasScheme(base))
        return nsString(reference);
    size_t schemeEnd = base.find(u':');
    std::u16string_view scheme = base.substr(0, schemeEnd + 1); // "http:"
    std::u16string_view rest = base.substr(schemeEnd + 1);
    std::u16string_view authority;
    std::u16string_view path = rest;
    if (rest.substr(0, 2) == u"//") {
        size_t slash = rest.find_first_of(u"/?#", 2);
        authority = rest.substr(0, slash == std::u16string_view::npos ? rest.size() : slash);
        path = slash == std::u16string_view::npos ? std::u16string_view() : rest.substr(slash);
    }
    std::u16string_view basePath = path.substr(0, path.find_first_of(u"?#"));
    std::u16string_view baseQuery = path.substr(basePath.size());
    baseQuery = baseQuery.substr(0, baseQuery.find(u'#'));

    if (reference.empty())
        return nsString(base.substr(0, base.find(u'#')));
    if (reference.substr(0, 2) == u"//")
        return nsString(scheme) + nsString(reference);
    nsString prefix = nsString(scheme) + nsString(authority);
    if (reference.front() == u'#')
        return prefix + nsString(basePath) + nsString(baseQuery) + nsString(reference);
    if (reference.front() == u'?')
        return prefix + nsString(basePath) + nsString(reference);

    std::u16string_view refPath = reference.substr(0, reference.find_first_of(u"?#"));
    std::u16string_view refTail = reference.substr(refPath.size());
    nsString merged;
    if (!refPath.empty() && refPath.front() == u'/') {
        merged = nsString(refPath);
    } else {
        size_t lastSlash = basePath.rfind(u'/');
        merged = lastSlash == std::u16string_view::npos
                     ? u"/" + nsString(refPath)
                     : nsString(basePath.substr(0, lastSlash + 1)) + nsString(refPath);
    }
    return prefix + RemoveDotSegments(merged) + nsString(refTail);
}

nsISelection* Document::DocumentSelection() {
    if (!m_selection)
        m_selection = NewSelection(*this);
    return m_selection.get();
}

void Document::SubmitForm(Element& form) {
    if (m_submitHook)
        m_submitHook(form);
}

void Document::NodeLeftTree(Node& node) {
    if (m_focused && node.IsInclusiveAncestorOf(*m_focused))
        m_focused = nullptr;
}

namespace {

void DumpLine(const Node& node, size_t depth, nsString& out) {
    out.append(depth * 2, u' ');
    switch (node.Kind()) {
    case NodeKind::Element: {
        const auto& element = static_cast<const Element&>(node);
        out += u'<' + element.TagName();
        for (size_t i = 0; i < element.AttributeCount(); ++i) {
            const auto& [name, value] = element.AttributeAt(i);
            out += u' ' + name + u"=\"" + value + u'"';
        }
        out += u'>';
        break;
    }
    case NodeKind::Text:
        out += u"#text \"" + node.NodeValue() + u'"';
        break;
    case NodeKind::Comment:
        out += u"#comment \"" + node.NodeValue() + u'"';
        break;
    default:
        out += node.NodeName();
        break;
    }
    out += u'\n';
}

// Iterative, so that deep trees cannot exhaust the stack. An element's
// anonymous content is listed under an "(anonymous)" line before its
// children.
void DumpInto(const Node& root, nsString& out) {
    struct Step {
        const Node* node; // observes: the tree does not change meanwhile
        size_t depth;
    };
    std::vector<Step> pending{{&root, 0}};
    while (!pending.empty()) {
        Step step = pending.back();
        pending.pop_back();
        DumpLine(*step.node, step.depth, out);
        for (size_t i = step.node->ChildCount(); i > 0; --i)
            pending.push_back({step.node->ChildAt(i - 1), step.depth + 1});
        if (step.node->IsElement()) {
            if (const Element* anonymous = static_cast<const Element*>(step.node)->Anonymous()) {
                out.append((step.depth + 1) * 2, u' ');
                out += u"(anonymous)\n";
                pending.push_back({anonymous, step.depth + 2});
            }
        }
    }
}

} // namespace

nsString Document::Dump(const Node& node) {
    nsString out;
    DumpInto(node, out);
    return out;
}

Document* Document::FromDOM(nsISupports* object) {
    Node* node = Node::FromDOM(object);
    return node && node->Kind() == NodeKind::Document ? static_cast<Document*>(node) : nullptr;
}

} // namespace dom
