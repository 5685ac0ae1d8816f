// DOM windows: documents, frames, parent and top, identities, the shell's
// hook, computed style and the event path through the window.
#include "platform/browser/dom/Window.h"

#include "platform/browser/dom/Document.h"
#include "platform/browser/dom/HostService.h"
#include "platform/browser/dom/Parser.h"
#include "platform/xpcom/dom/nsIDOMCSS.h"
#include "platform/xpcom/dom/nsIDOMEvent.h"
#include "platform/xpcom/dom/nsIDOMHTMLElements.h"
#include "platform/xpcom/dom/nsIDOMHostService.h"
#include "platform/xpcom/dom/nsIDOMRange.h"
#include "platform/xpcom/nsIWeakReference.h"
#include "platform/xpcom/nsXPCOM.h"

#include <gtest/gtest.h>

namespace {

std::string Narrow(const nsString& text) {
    return dom::Utf8FromUtf16(text);
}

nsCOMPtr<nsIDOMElement> ById(nsIDOMDocument* document, std::u16string_view id) {
    nsCOMPtr<nsIDOMElement> element;
    document->GetElementById(nsString(id), getter_AddRefs(element));
    return element;
}

// A window showing a page.
struct Shown {
    nsCOMPtr<nsIDOMWindowInternal> window;
    nsCOMPtr<nsIDOMHTMLDocument> page;
};

Shown Show(std::string_view markup, std::u16string_view url) {
    Shown shown{dom::NewWindow(), dom::ParseHTMLDocument(markup, url)};
    dom::Window::FromDOM(shown.window)->SetDocument(shown.page);
    return shown;
}

TEST(Window, ShowsItsDocumentAndTheDocumentKnowsTheWindow) {
    Shown top = Show("<p>x", u"http://host/");
    nsCOMPtr<nsIDOMDocument> document;
    top.window->GetDocument(getter_AddRefs(document));
    EXPECT_TRUE(SameCOMIdentity(document, top.page));
    nsCOMPtr<nsIDOMDocumentView> view = do_QueryInterface(top.page);
    nsCOMPtr<nsIDOMWindow> back;
    view->GetDefaultView(getter_AddRefs(back));
    EXPECT_TRUE(SameCOMIdentity(back, top.window));
    nsString href;
    top.window->GetLocationHref(href);
    EXPECT_EQ(Narrow(href), "http://host/");

    // A top window is its own parent and top.
    nsCOMPtr<nsIDOMWindow> parent;
    top.window->GetParent(getter_AddRefs(parent));
    EXPECT_TRUE(SameCOMIdentity(parent, top.window));

    // Without the shell's hook: no native window, no document shell.
    HWND__* native = reinterpret_cast<HWND__*>(1);
    EXPECT_EQ(top.window->GetNativeWindow(&native), NS_ERROR_NOT_AVAILABLE);
    EXPECT_EQ(native, nullptr);
    nsCOMPtr<nsISupports> shell;
    EXPECT_EQ(top.window->GetDocShell(getter_AddRefs(shell)), NS_ERROR_NOT_AVAILABLE);

    dom::Window::FromDOM(top.window)->SetDocument(nullptr);
    view->GetDefaultView(getter_AddRefs(back));
    EXPECT_FALSE(back);
    top.window->GetLocationHref(href);
    EXPECT_EQ(Narrow(href), "about:blank");
}

// A shell window that remembers its scroll position.
class FakeShellWindow final : public dom::WindowHook {
public:
    HWND__* NativeWindow() override { return reinterpret_cast<HWND__*>(0x1234); }
    nsISupports* DocShell() override { return nullptr; }
    int32_t ScrollX() override { return x; }
    int32_t ScrollY() override { return y; }
    void ScrollTo(int32_t toX, int32_t toY) override {
        x = toX;
        y = toY;
    }
    int32_t InnerWidth() override { return 800; }
    int32_t InnerHeight() override { return 600; }
    int32_t x = 0;
    int32_t y = 0;
};

TEST(Window, ShellHookAnswersNativeWindowScrollAndSize) {
    Shown shown = Show("", u"http://host/");
    FakeShellWindow shell;
    dom::Window::FromDOM(shown.window)->SetHook(&shell);
    HWND__* native = nullptr;
    EXPECT_EQ(shown.window->GetNativeWindow(&native), NS_OK);
    EXPECT_EQ(native, reinterpret_cast<HWND__*>(0x1234));
    shown.window->ScrollTo(10, 20);
    shown.window->ScrollBy(5, -5);
    PRInt32 x = 0, y = 0, width = 0;
    shown.window->GetScrollX(&x);
    shown.window->GetScrollY(&y);
    shown.window->GetInnerWidth(&width);
    EXPECT_EQ(x, 15);
    EXPECT_EQ(y, 15);
    EXPECT_EQ(width, 800);
    dom::Window::FromDOM(shown.window)->SetHook(nullptr);
    EXPECT_EQ(shown.window->ScrollTo(0, 0), NS_ERROR_NOT_AVAILABLE);
}

TEST(Window, FramesAreTheWindowsOfFrameElements) {
    Shown top = Show("<iframe id=f name=inner src=child.html></iframe><iframe id=g></iframe>",
                     u"http://host/");
    Shown child = Show("<p>child", u"http://host/child.html");
    nsCOMPtr<nsIDOMElement> frame = ById(top.page, u"f");
    ASSERT_EQ(dom::SetContentWindow(*static_cast<dom::Element*>(dom::Node::FromDOM(frame)),
                                    dom::Window::FromDOM(child.window)),
              NS_OK);
    child.window->SetName(u"inner");

    nsCOMPtr<nsIDOMWindowCollection> frames;
    top.window->GetFrames(getter_AddRefs(frames));
    PRUint32 length = 0;
    frames->GetLength(&length);
    EXPECT_EQ(length, 1u); // the second frame has no window yet
    nsCOMPtr<nsIDOMWindow> named;
    frames->NamedItem(u"inner", getter_AddRefs(named));
    EXPECT_TRUE(SameCOMIdentity(named, child.window));

    nsCOMPtr<nsIDOMWindow> parent, topWindow;
    child.window->GetParent(getter_AddRefs(parent));
    child.window->GetTop(getter_AddRefs(topWindow));
    EXPECT_TRUE(SameCOMIdentity(parent, top.window));
    EXPECT_TRUE(SameCOMIdentity(topWindow, top.window));
    nsCOMPtr<nsIDOMElement> frameElement;
    child.window->GetFrameElement(getter_AddRefs(frameElement));
    EXPECT_TRUE(SameCOMIdentity(frameElement, frame));
    nsCOMPtr<nsIDOMHTMLIFrameElement> iframe = do_QueryInterface(frame);
    nsCOMPtr<nsIDOMDocument> content;
    iframe->GetContentDocument(getter_AddRefs(content));
    EXPECT_TRUE(SameCOMIdentity(content, child.page));

    // A paragraph is no frame element.
    nsCOMPtr<nsIDOMNodeList> paragraphs;
    child.page->GetElementsByTagName(u"p", getter_AddRefs(paragraphs));
    nsCOMPtr<nsIDOMNode> paragraph;
    paragraphs->Item(0, getter_AddRefs(paragraph));
    EXPECT_EQ(dom::SetContentWindow(*static_cast<dom::Element*>(dom::Node::FromDOM(paragraph)),
                                    dom::Window::FromDOM(child.window)),
              NS_ERROR_INVALID_ARG);

    // Removing and releasing the frame element leaves the window without one.
    nsCOMPtr<nsIDOMNode> body, removed;
    frame->GetParentNode(getter_AddRefs(body));
    body->RemoveChild(frame, getter_AddRefs(removed));
    removed = nullptr;
    frame = nullptr;
    iframe = nullptr;
    frameElement = nullptr;
    child.window->GetFrameElement(getter_AddRefs(frameElement));
    EXPECT_FALSE(frameElement);
    child.window->GetParent(getter_AddRefs(parent));
    EXPECT_TRUE(SameCOMIdentity(parent, child.window));
}

TEST(Window, IdentityTurnsBackIntoTheWindowWhileItLives) {
    nsCOMPtr<nsIDOMHostService> host;
    dom::GetDOMHostService(getter_AddRefs(host));
    PRUint32 identity = 0;
    {
        Shown shown = Show("", u"http://host/");
        ASSERT_EQ(host->GetWindowIdentity(shown.window, &identity), NS_OK);
        nsCOMPtr<nsIDOMWindow> found;
        ASSERT_EQ(host->GetWindowByIdentity(identity, getter_AddRefs(found)), NS_OK);
        EXPECT_TRUE(SameCOMIdentity(found, shown.window));
        // A node identity is no window identity.
        PRUint32 nodeIdentity = 0;
        host->GetNodeIdentity(shown.page, &nodeIdentity);
        EXPECT_EQ(host->GetWindowByIdentity(nodeIdentity, getter_AddRefs(found)),
                  NS_ERROR_NOT_AVAILABLE);
        EXPECT_EQ(host->GetWindowIdentity(nullptr, &identity), NS_ERROR_NULL_POINTER);
        host->GetWindowIdentity(shown.window, &identity);
    }
    nsCOMPtr<nsIDOMWindow> found;
    EXPECT_EQ(host->GetWindowByIdentity(identity, getter_AddRefs(found)), NS_ERROR_NOT_AVAILABLE);
}

TEST(Window, HostServiceDumpsTrees) {
    nsCOMPtr<nsIDOMHostService> host;
    Shown shown = Show("<p class=x>hi<!--c--></p>", u"http://host/");
    nsCOMPtr<nsIDOMDocumentInternal> internal = do_QueryInterface(shown.page);
    ASSERT_EQ(internal->GetHostService(getter_AddRefs(host)), NS_OK);
    nsCOMPtr<nsIDOMNodeList> paragraphs;
    shown.page->GetElementsByTagName(u"P", getter_AddRefs(paragraphs));
    nsCOMPtr<nsIDOMNode> paragraph;
    paragraphs->Item(0, getter_AddRefs(paragraph));
    nsString dump;
    ASSERT_EQ(host->DumpTree(paragraph, dump), NS_OK);
    EXPECT_EQ(Narrow(dump), "<P class=\"x\">\n  #text \"hi\"\n  #comment \"c\"\n");
    EXPECT_EQ(host->DumpTree(nullptr, dump), NS_ERROR_NULL_POINTER);
}

TEST(Window, ComputedStyleFallsBackToInlineStyleAndInitialWidths) {
    Shown shown =
        Show("<div id=d style='border-left-width: 3px; display: inline'>x</div>", u"http://host/");
    nsCOMPtr<nsIDOMViewCSS> view = do_QueryInterface(shown.window);
    ASSERT_TRUE(view);
    nsCOMPtr<nsIDOMCSSStyleDeclaration> style;
    ASSERT_EQ(view->GetComputedStyle(ById(shown.page, u"d"), nsString(), getter_AddRefs(style)),
              NS_OK);
    nsString value;
    style->GetPropertyValue(u"border-left-width", value);
    EXPECT_EQ(Narrow(value), "3px");
    style->GetPropertyValue(u"border-top-width", value);
    EXPECT_EQ(Narrow(value), "0px");
    style->GetPropertyValue(u"display", value);
    EXPECT_EQ(Narrow(value), "inline");
    EXPECT_EQ(style->SetProperty(u"color", u"red", u""), NS_ERROR_NOT_AVAILABLE);
}

class Recorder final : public nsSupportsImpl<Recorder, nsIDOMEventListener> {
public:
    nsresult HandleEvent(nsIDOMEvent*) override {
        ++count;
        return NS_OK;
    }
    int count = 0;
};

TEST(Window, EventsOfTheDocumentReachTheWindowsCaptureListeners) {
    Shown shown = Show("<input id=i type=button>", u"http://host/");
    nsCOMPtr<Recorder> recorder(new Recorder());
    nsCOMPtr<nsIDOMEventReceiver> receiver = do_QueryInterface(shown.window);
    ASSERT_TRUE(receiver);
    receiver->AddEventListener(u"click", recorder, PR_TRUE);
    nsCOMPtr<nsIDOMHTMLInputElement> input = do_QueryInterface(ById(shown.page, u"i"));
    input->Click();
    EXPECT_EQ(recorder->count, 1);
}

} // namespace

namespace {

TEST(HostService, RegisteredComponentsAreReachedThroughTheFramework) {
    ASSERT_EQ(NS_InitXPCOM(nsXPCOMOptions{}), NS_OK);
    {
        nsCOMPtr<nsIComponentManager> components;
        nsCOMPtr<nsIServiceManager> services;
        NS_GetComponentManager(getter_AddRefs(components));
        NS_GetServiceManager(getter_AddRefs(services));
        ASSERT_EQ(dom::RegisterDOMComponents(components, services), NS_OK);

        nsCOMPtr<nsIDOMHostService> byContract;
        EXPECT_EQ(services->GetServiceByContractID(nsIDOMHostService::kContractID,
                                                   nsIDOMHostService::kIID,
                                                   getter_AddRefs(byContract)),
                  NS_OK);
        nsCOMPtr<nsIDOMHostService> direct;
        dom::GetDOMHostService(getter_AddRefs(direct));
        EXPECT_TRUE(SameCOMIdentity(byContract, direct));

        nsCOMPtr<nsIContentIterator> iterator;
        EXPECT_EQ(components->CreateInstance(nsIContentIterator::kCID, nullptr,
                                             nsIContentIterator::kIID, getter_AddRefs(iterator)),
                  NS_OK);
        EXPECT_TRUE(iterator);
        nsCOMPtr<nsIDocumentEncoder> encoder;
        EXPECT_EQ(components->CreateInstance(nsIDocumentEncoder::kPlainTextCID, nullptr,
                                             nsIDocumentEncoder::kIID, getter_AddRefs(encoder)),
                  NS_OK);
        EXPECT_TRUE(encoder);
    }
    NS_ShutdownXPCOM();
}

} // namespace

TEST(Window, OffersWeakReferencesThatDieWithIt) {
    nsWeakPtr weak;
    {
        Shown shown = Show("<p>x</p>", u"http://host/");
        weak = do_GetWeakReference(shown.window);
        ASSERT_TRUE(weak) << "an observer attaches to a DOM window through a weak reference";
        nsCOMPtr<nsIDOMWindow> strong = do_QueryReferent(weak);
        EXPECT_TRUE(SameCOMIdentity(strong, shown.window));
        nsCOMPtr<nsIDOMEventReceiver> receiver = do_QueryReferent(weak);
        EXPECT_TRUE(receiver) << "any interface of the window through the reference";
        // Every reference handed out is the same link.
        nsWeakPtr again = do_GetWeakReference(shown.window);
        EXPECT_EQ(again, weak);
    }
    nsCOMPtr<nsIDOMWindow> gone = do_QueryReferent(weak);
    EXPECT_FALSE(gone) << "the reference must not outlive the window";
}
