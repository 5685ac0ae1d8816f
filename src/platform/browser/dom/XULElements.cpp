#include "platform/browser/dom/XULElements.h"

namespace dom {

namespace {

template <typename Derived, typename Primary, typename... Extra>
class XULElementFace : public ElementFace<Element, Derived, Primary, Extra...> {
    using Base = ElementFace<Element, Derived, Primary, Extra...>;

public:
    XULElementFace(std::shared_ptr<DocumentLink> link, std::u16string_view tag)
        : Base(std::move(link), ElementNamespace::XUL, nsString(tag)) {}

    nsresult GetId(nsAString& id) override { return this->ReflectString(u"id", id); }
    nsresult GetClassName(nsAString& className) override {
        return this->ReflectString(u"class", className);
    }
    nsresult GetBoxObject(nsIBoxObject** box) override {
        if (!box)
            return NS_ERROR_NULL_POINTER;
        *box = nullptr;
        return NS_ERROR_NOT_AVAILABLE;
    }
    nsresult Click() override { return NS_OK; }
    nsresult DoCommand() override { return NS_OK; }
    nsresult Focus() override { return NS_OK; }
    nsresult Blur() override { return NS_OK; }
};

class XULElement final : public XULElementFace<XULElement, nsIDOMXULElement> {
public:
    using XULElementFace::XULElementFace;
};

} // namespace

NodeRef NewXULElement(const std::shared_ptr<DocumentLink>& link, std::u16string_view tag) {
    return NodeRef(new XULElement(link, tag));
}

} // namespace dom
