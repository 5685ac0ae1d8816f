// The COM faces of documents: HTML documents and the browser's chrome (XUL)
// documents.
#include "platform/browser/dom/Events.h"
#include "platform/browser/dom/HostService.h"
#include "platform/browser/dom/NodeFaces.h"
#include "platform/browser/dom/Range.h"
#include "platform/browser/dom/Selection.h"
#include "platform/browser/dom/Window.h"

namespace dom {

namespace {

template <typename Derived, typename... Interfaces>
class DocumentFace : public NodeFace<Document, Derived, Interfaces...> {
public:
    using NodeFace<Document, Derived, Interfaces...>::NodeFace;

    // nsIDOMDocument
    nsresult GetDocumentElement(nsIDOMElement** element) override {
        return ReturnNode(this->DocumentElement(), element);
    }
    nsresult CreateElement(const nsAString& tagName, nsIDOMElement** element) override {
        if (!element)
            return NS_ERROR_NULL_POINTER;
        *element = nullptr;
        if (tagName.empty())
            return NS_ERROR_INVALID_ARG;
        NodeRef created = Document::CreateElement(tagName);
        return ReturnNode(created.get(), element);
    }
    nsresult CreateTextNode(const nsAString& data, nsIDOMText** text) override {
        NodeRef created = this->CreateText(data);
        return ReturnNode(created.get(), text);
    }
    nsresult CreateComment(const nsAString& data, nsIDOMComment** comment) override {
        NodeRef created = Document::CreateComment(data);
        return ReturnNode(created.get(), comment);
    }
    nsresult GetElementsByTagName(const nsAString& name, nsIDOMNodeList** result) override {
        return ReturnCollection(ElementsByTagName(*this, name), result);
    }
    nsresult GetElementById(const nsAString& id, nsIDOMElement** element) override {
        return ReturnNode(this->ElementById(id), element);
    }

    // nsIDOMDocumentInternal
    nsresult GetElementCount(PRUint32* count) override {
        if (!count)
            return NS_ERROR_NULL_POINTER;
        *count = this->ElementCount();
        return NS_OK;
    }
    nsresult GetSelection(nsISelection** selection) override {
        if (!selection)
            return NS_ERROR_NULL_POINTER;
        *selection = this->DocumentSelection();
        if (!*selection)
            return NS_ERROR_NOT_AVAILABLE;
        (*selection)->AddRef();
        return NS_OK;
    }
    nsresult GetDocumentURL(nsAString& url) override {
        url = this->URL();
        return NS_OK;
    }
    nsresult GetDocumentTitle(nsAString& title) override {
        title = this->Title();
        return NS_OK;
    }
    nsresult GetContentType(nsAString& type) override {
        type = this->IsHTML() ? u"text/html" : u"application/vnd.xul+xml";
        return NS_OK;
    }
    nsresult GetWindow(nsIDOMWindow** window) override {
        if (!window)
            return NS_ERROR_NULL_POINTER;
        Window* core = this->DocumentWindow();
        *window = core ? core->AsDOMWindow() : nullptr;
        if (*window)
            (*window)->AddRef();
        return NS_OK;
    }
    nsresult GetHostService(nsIDOMHostService** service) override {
        return GetDOMHostService(service);
    }

    // nsIDOMDocumentView
    nsresult GetDefaultView(nsIDOMWindow** view) override { return GetWindow(view); }

    // nsIDOMDocumentRange
    nsresult CreateRange(nsIDOMRange** range) override {
        if (!range)
            return NS_ERROR_NULL_POINTER;
        *range = NewRange(*this).forget();
        return *range ? NS_OK : NS_ERROR_OUT_OF_MEMORY;
    }

    // nsIDOMDocumentEvent
    nsresult CreateEvent(const nsAString& eventType, nsIDOMEvent** event) override {
        return NewEventForInterface(eventType, event);
    }
};

class XULDocument final
    : public DocumentFace<XULDocument, nsIDOMDocument, nsIDOMDocumentInternal, nsIDOMDocumentView,
                          nsIDOMDocumentRange, nsIDOMDocumentEvent> {
public:
    XULDocument() : DocumentFace(ElementNamespace::XUL) {}
};

class HTMLDocument final
    : public DocumentFace<HTMLDocument, nsIDOMHTMLDocument, nsIDOMNSHTMLDocument,
                          nsIDOMDocumentInternal, nsIDOMDocumentView, nsIDOMDocumentRange,
                          nsIDOMDocumentEvent> {
public:
    HTMLDocument() : DocumentFace(ElementNamespace::HTML) {}

    // nsIDOMHTMLDocument
    nsresult GetTitle(nsAString& title) override {
        title = Title();
        return NS_OK;
    }
    nsresult SetTitle(const nsAString& title) override {
        Element* root = DocumentElement();
        if (!root)
            return NS_ERROR_FAILURE;
        Element* titleElement = nullptr;
        for (Node* node = root; node; node = node->NextInTree(root)) {
            if (node->IsElement() && static_cast<Element*>(node)->HasTag(u"title")) {
                titleElement = static_cast<Element*>(node);
                break;
            }
        }
        if (!titleElement) {
            Element* head = nullptr;
            for (size_t i = 0; i < root->ChildCount() && !head; ++i) {
                Node* child = root->ChildAt(i);
                if (child->IsElement() && static_cast<Element*>(child)->HasTag(u"head"))
                    head = static_cast<Element*>(child);
            }
            NodeRef created = Document::CreateElement(u"title");
            nsresult rv = (head ? static_cast<Node*>(head) : root)->InsertChild(*created, nullptr);
            if (NS_FAILED(rv))
                return rv;
            titleElement = static_cast<Element*>(created.get());
        }
        titleElement->RemoveAllChildren();
        NodeRef text = CreateText(title);
        return titleElement->InsertChild(*text, nullptr);
    }
    nsresult GetReferrer(nsAString& referrer) override {
        referrer.clear();
        return NS_OK;
    }
    nsresult GetURL(nsAString& url) override {
        url = URL();
        return NS_OK;
    }
    nsresult GetBody(nsIDOMHTMLElement** body) override { return ReturnNode(Body(), body); }
    nsresult GetImages(nsIDOMHTMLCollection** images) override {
        return ReturnCollection(
            ElementsMatching(*this, [](Element& e) { return e.IsHTML() && e.HasTag(u"img"); }),
            images);
    }
    nsresult GetLinks(nsIDOMHTMLCollection** links) override {
        return ReturnCollection(ElementsMatching(*this,
                                                 [](Element& e) {
                                                     return e.IsHTML() &&
                                                            (e.HasTag(u"a") || e.HasTag(u"area")) &&
                                                            e.HasAttribute(u"href");
                                                 }),
                                links);
    }
    nsresult GetForms(nsIDOMHTMLCollection** forms) override {
        return ReturnCollection(
            ElementsMatching(*this, [](Element& e) { return e.IsHTML() && e.HasTag(u"form"); }),
            forms);
    }
    nsresult GetAnchors(nsIDOMHTMLCollection** anchors) override {
        return ReturnCollection(ElementsMatching(*this,
                                                 [](Element& e) {
                                                     return e.IsHTML() && e.HasTag(u"a") &&
                                                            e.HasAttribute(u"name");
                                                 }),
                                anchors);
    }
    nsresult GetElementsByName(const nsAString& name, nsIDOMNodeList** result) override {
        nsString wanted(name);
        return ReturnCollection(ElementsMatching(*this,
                                                 [wanted](Element& e) {
                                                     const nsString* value =
                                                         e.FindAttribute(u"name");
                                                     return value && *value == wanted;
                                                 }),
                                result);
    }

    // nsIDOMNSHTMLDocument
    nsresult GetAlinkColor(nsAString& value) override { return BodyColor(u"alink", value); }
    nsresult SetAlinkColor(const nsAString& value) override {
        return SetBodyColor(u"alink", value);
    }
    nsresult GetLinkColor(nsAString& value) override { return BodyColor(u"link", value); }
    nsresult SetLinkColor(const nsAString& value) override { return SetBodyColor(u"link", value); }
    nsresult GetVlinkColor(nsAString& value) override { return BodyColor(u"vlink", value); }
    nsresult SetVlinkColor(const nsAString& value) override {
        return SetBodyColor(u"vlink", value);
    }
    nsresult GetBgColor(nsAString& value) override { return BodyColor(u"bgcolor", value); }
    nsresult SetBgColor(const nsAString& value) override { return SetBodyColor(u"bgcolor", value); }
    nsresult GetFgColor(nsAString& value) override { return BodyColor(u"text", value); }
    nsresult SetFgColor(const nsAString& value) override { return SetBodyColor(u"text", value); }
    nsresult GetLastModified(nsAString& value) override {
        value.clear();
        return NS_OK;
    }
    nsresult GetEmbeds(nsIDOMHTMLCollection** embeds) override {
        return ReturnCollection(ElementsMatching(*this,
                                                 [](Element& e) {
                                                     return e.IsHTML() && (e.HasTag(u"embed") ||
                                                                           e.HasTag(u"object"));
                                                 }),
                                embeds);
    }
    nsresult GetSelection(nsAString& text) override { return SelectionText(*this, text); }
    using DocumentFace::GetSelection;

private:
    nsresult BodyColor(std::u16string_view name, nsAString& value) {
        Element* body = Body();
        value = body ? body->Attribute(name) : nsString();
        return NS_OK;
    }
    nsresult SetBodyColor(std::u16string_view name, const nsAString& value) {
        Element* body = Body();
        if (!body)
            return NS_ERROR_FAILURE;
        body->SetAttribute(name, value);
        return NS_OK;
    }
};

} // namespace

nsCOMPtr<nsIDOMDocument> NewDocument(ElementNamespace ns, nsString url) {
    Document* document = nullptr;
    nsCOMPtr<nsIDOMDocument> result;
    if (ns == ElementNamespace::HTML) {
        auto* html = new HTMLDocument();
        result = static_cast<nsIDOMHTMLDocument*>(html);
        document = html;
    } else {
        auto* xul = new XULDocument();
        result = static_cast<nsIDOMDocument*>(xul);
        document = xul;
    }
    document->SetURL(std::move(url));
    return result;
}

} // namespace dom
