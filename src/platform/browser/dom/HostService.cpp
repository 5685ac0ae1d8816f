#include "platform/browser/dom/HostService.h"

#include "platform/browser/dom/ContentFactories.h"
#include "platform/browser/dom/Document.h"
#include "platform/browser/dom/Identity.h"
#include "platform/browser/dom/Window.h"
#include "platform/xpcom/dom/nsIDOMWindow.h"
#include "platform/xpcom/nsGenericModule.h"
#include "platform/xpcom/nsIComponentManager.h"
#include "platform/xpcom/nsIFactory.h"
#include "platform/xpcom/nsIServiceManager.h"

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

namespace {

// Constructors for the generic factories: no aggregation, any interface the
// new object answers.
template <typename Interface, nsresult (*Make)(Interface**)>
nsresult Construct(nsISupports* outer, const nsIID& iid, void** result) {
    if (!result)
        return NS_ERROR_NULL_POINTER;
    *result = nullptr;
    if (outer)
        return NS_ERROR_NO_AGGREGATION;
    nsCOMPtr<Interface> made;
    nsresult rv = Make(getter_AddRefs(made));
    if (NS_FAILED(rv))
        return rv;
    return made->QueryInterface(iid, result);
}

nsresult RegisterConstructor(nsIComponentManager* components, const nsCID& cid, const char* name,
                             NSConstructorProcPtr constructor) {
    nsCOMPtr<nsIFactory> factory;
    nsresult rv = NS_NewGenericFactory(constructor, getter_AddRefs(factory));
    if (NS_FAILED(rv))
        return rv;
    return components->RegisterFactory(cid, name, nullptr, factory, RegisterReplace::Yes);
}

} // namespace

nsresult RegisterDOMComponents(nsIComponentManager* components, nsIServiceManager* services) {
    if (!components || !services)
        return NS_ERROR_NULL_POINTER;
    nsCOMPtr<nsIDOMHostService> host;
    nsresult rv = GetDOMHostService(getter_AddRefs(host));
    if (NS_FAILED(rv))
        return rv;
    // Registering twice (a second browser start in one process) keeps the
    // first registration.
    rv = services->RegisterService(nsIDOMHostService::kCID, host);
    if (NS_FAILED(rv) && rv != NS_ERROR_FACTORY_EXISTS)
        return rv;
    rv = services->RegisterServiceByContractID(nsIDOMHostService::kContractID, host);
    if (NS_FAILED(rv) && rv != NS_ERROR_FACTORY_EXISTS)
        return rv;
    rv = RegisterConstructor(components, nsIContentIterator::kCID, "Content iterator",
                             Construct<nsIContentIterator, NewContentIterator>);
    if (NS_FAILED(rv))
        return rv;
    return RegisterConstructor(components, nsIDocumentEncoder::kPlainTextCID, "Plain-text encoder",
                               Construct<nsIDocumentEncoder, NewPlainTextEncoder>);
}

} // namespace dom
