#include "platform/browser/dom/HostService.h"

#include "platform/browser/dom/ContentFactories.h"
#include "platform/browser/dom/Document.h"
#include "platform/browser/dom/Identity.h"
#include "platform/browser/dom/Window.h"
#include "platform/xpcom/dom/nsIDOMWindow.h"

namespace dom {

namespace {

class HostService final : public nsSupportsImpl<HostService, nsIDOMHostService> {
public:
    nsresult GetNodeIdentity(nsIDOMNode* node, PRUint32* identity) override {
        if (!identity)
            return NS_ERROR_NULL_POINTER;
        *identity = 0;
        Node* core = Node::FromDOM(node);
        if (!core)
            return node ? NS_ERROR_INVALID_ARG : NS_ERROR_NULL_POINTER;
        *identity = core->Identity();
        return *identity ? NS_OK : NS_ERROR_OUT_OF_MEMORY;
    }
    nsresult GetNodeByIdentity(PRUint32 identity, nsIDOMNode** node) override {
        if (!node)
            return NS_ERROR_NULL_POINTER;
        *node = nullptr;
        nsISupports* object = LookUpIdentity(identity, IdentityKind::Node);
        if (!object)
            return NS_ERROR_NOT_AVAILABLE;
        return object->QueryInterface(nsIDOMNode::kIID, reinterpret_cast<void**>(node));
    }
    nsresult GetWindowIdentity(nsIDOMWindow* window, PRUint32* identity) override {
        if (!identity)
            return NS_ERROR_NULL_POINTER;
        *identity = 0;
        Window* core = Window::FromDOM(window);
        if (!core)
            return window ? NS_ERROR_INVALID_ARG : NS_ERROR_NULL_POINTER;
        *identity = core->Identity();
        return *identity ? NS_OK : NS_ERROR_OUT_OF_MEMORY;
    }
    nsresult GetWindowByIdentity(PRUint32 identity, nsIDOMWindow** window) override {
        if (!window)
            return NS_ERROR_NULL_POINTER;
        *window = nullptr;
        nsISupports* object = LookUpIdentity(identity, IdentityKind::Window);
        if (!object)
            return NS_ERROR_NOT_AVAILABLE;
        return object->QueryInterface(nsIDOMWindow::kIID, reinterpret_cast<void**>(window));
    }
    nsresult CreateContentIterator(nsIContentIterator** iterator) override {
        return NewContentIterator(iterator);
    }
    nsresult CreatePlainTextEncoder(nsIDocumentEncoder** encoder) override {
        return NewPlainTextEncoder(encoder);
    }
    nsresult DumpTree(nsIDOMNode* node, nsAString& dump) override {
        dump.clear();
        Node* core = Node::FromDOM(node);
        if (!core)
            return node ? NS_ERROR_INVALID_ARG : NS_ERROR_NULL_POINTER;
        dump = Document::Dump(*core);
        return NS_OK;
    }
};

} // namespace

nsresult GetDOMHostService(nsIDOMHostService** service) {
    if (!service)
        return NS_ERROR_NULL_POINTER;
    // One for the process; never destroyed, so that late callers at exit
    // still find it.
    static HostService* const instance = [] {
        auto* created = new HostService();
        created->AddRef();
        return created;
    }();
    *service = instance;
    instance->AddRef();
    return NS_OK;
}

} // namespace dom
