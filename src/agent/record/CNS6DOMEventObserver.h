#pragma once
// The listener the agent attaches to each watched browser chrome window, in
// the capture phase, so that user actions in the chrome and in its pages can
// be recorded. While the tool records ("ToolMode" 1) it finds the browser,
// page and frame an event belongs to and hands the event to the recorder.
//
//     nsCOMPtr<CNS6DOMEventObserver> observer = new CNS6DOMEventObserver();
//     observer->Attach(chromeWindow);    // the window's listeners keep it
//
// The agent keeps no reference of its own: the observer lives as long as the
// window's listener manager holds it.

#include "platform/xpcom/dom/nsIDOMEvent.h"
#include "platform/xpcom/dom/nsIDOMWindow.h"
#include "platform/xpcom/pratom.h"

class CNS6DOMEventObserver final : public nsIDOMMouseListener,
                                   public nsIDOMFocusListener,
                                   public nsIDOMFormListener,
                                   public nsIDOMMenuListener {
public:
    CNS6DOMEventObserver();
    CNS6DOMEventObserver(const CNS6DOMEventObserver&) = delete;
    CNS6DOMEventObserver& operator=(const CNS6DOMEventObserver&) = delete;

    nsresult QueryInterface(const nsIID& iid, void** result) override;
    uint32_t AddRef() override;
    uint32_t Release() override;

    // Adds the four listener kinds to the window's event receiver in the
    // capture phase; the first failing step's result, E_FAIL when the window
    // has no document shell or is gone.
    nsresult Attach(nsIDOMWindow* window);

    nsresult HandleEvent(nsIDOMEvent* event) override { return Handle(event); }

    nsresult MouseDown(nsIDOMEvent* event) override { return Handle(event); }
    nsresult MouseUp(nsIDOMEvent* event) override { return Handle(event); }
    nsresult MouseClick(nsIDOMEvent* event) override { return Handle(event); }
    nsresult MouseDblClick(nsIDOMEvent* event) override { return Handle(event); }
    nsresult MouseOver(nsIDOMEvent* event) override { return Handle(event); }
    nsresult MouseOut(nsIDOMEvent* event) override { return Handle(event); }

    nsresult Focus(nsIDOMEvent* event) override { return Handle(event); }
    nsresult Blur(nsIDOMEvent* event) override { return Handle(event); }

    nsresult Submit(nsIDOMEvent* event) override { return Handle(event); }
    nsresult Reset(nsIDOMEvent* event) override { return Handle(event); }
    nsresult Change(nsIDOMEvent* event) override { return Handle(event); }
    nsresult Select(nsIDOMEvent* event) override { return Handle(event); }
    nsresult Input(nsIDOMEvent* event) override { return Handle(event); }

    nsresult Action(nsIDOMEvent* event) override { return Handle(event); }
    // Popups and broadcasts are not user actions worth recording.
    nsresult Create(nsIDOMEvent*) override { return NS_OK; }
    nsresult Close(nsIDOMEvent*) override { return NS_OK; }
    nsresult Destroy(nsIDOMEvent*) override { return NS_OK; }
    nsresult Broadcast(nsIDOMEvent*) override { return NS_OK; }
    nsresult CommandUpdate(nsIDOMEvent*) override { return NS_OK; }

    // Live observers in this process (for leak checks).
    static int LiveCount();

private:
    ~CNS6DOMEventObserver();
    // Routes one event to the recorder; always answers 0 to the browser.
    nsresult Handle(nsIDOMEvent* event);

    PRInt32 m_RefCount = 0;
};
