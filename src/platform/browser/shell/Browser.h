// The browser application: the user-interface thread's event queue, the
// browser's services, its windows, and the simulated user that tests and
// the console drive it with.
//
//     browser::Browser app;                       // the calling thread is the UI thread
//     app.Start();                                // queue and services
//     browser::BrowserWindow* window = app.OpenWindow("file:///tmp/index.html");
//     app.WaitUntilIdle();                        // every window finished loading
//     app.Click(POINT{120, 200});                 // mousedown, mouseup, click, ...
//     app.Type(u"hello");  app.PressTab();
//     app.PressToolbarButton(*window, u"back-button");
//     app.WaitUntilIdle();
//
// Everything runs on the thread that made the Browser; other threads reach
// it through Post (which wakes a waiting UI thread).
//
// Services registered while the component framework runs (and removed by
// Shutdown): the document loader service (NS_DOCUMENTLOADER_SERVICE_CID),
// the I/O service (NS_IOSERVICE_CID) and the event queue service
// (NS_EVENTQUEUESERVICE_CID), each also under its contract id.
#pragma once

#include "platform/browser/shell/BrowserWindow.h"
#include "platform/browser/shell/ChromeDocuments.h"
#include "platform/browser/shell/EventQueue.h"
#include "platform/browser/shell/Network.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace browser {

enum class MouseButton : uint8_t { Left, Right };

class Browser final : public ShellHost {
public:
    Browser();
    ~Browser() override;
    Browser(const Browser&) = delete;
    Browser& operator=(const Browser&) = delete;

    // Makes the calling thread's event queue and registers the services.
    nsresult Start();
    // Closes every window, removes the services and drops the queue's work.
    void Shutdown();
    bool IsStarted() const { return m_started; }

    void SetHomePage(std::string url) { m_homePage = std::move(url); }

    // Opens a browser window on `url` (made absolute: a path becomes a
    // file: address) with the main browser chrome, or with `chromeURL`.
    BrowserWindow* OpenWindow(const std::string& url,
                              std::string chromeURL = std::string(kNavigatorURL),
                              BrowserWindow::Geometry geometry = {});
    const std::vector<std::unique_ptr<BrowserWindow>>& Windows() const { return m_windows; }
    // The window whose top-level native window is `handle`.
    BrowserWindow* FindWindow(HWND handle) const;
    // Forgets windows whose native window was closed.
    void PruneClosedWindows();

    // Runs the queue once (window messages included).
    void ProcessEvents();
    // Runs the queue until no window loads and nothing is pending, or the
    // time-out passes; answers whether it became idle.
    bool WaitUntilIdle(uint32_t timeoutMs = 10000);
    // Queues work for the UI thread; safe from any thread.
    void Post(std::function<void()> task);

    // The simulated user. Points are screen coordinates; each action
    // produces the events a user's would and their default actions, and
    // answers false when it found nothing to act on.
    bool Click(POINT screen, MouseButton button = MouseButton::Left);
    bool DoubleClick(POINT screen);
    bool MoveTo(POINT screen);
    // Types into the focused field (text inputs, text areas, the address
    // field). Enter in the address field loads its address; Enter in a form
    // field submits the form.
    bool Type(std::u16string_view text);
    bool PressEnter();
    // Moves the focus to the next (or previous) focusable element of the
    // focused document.
    bool PressTab(bool backwards = false);
    // Chooses the option at `index` of a selection list (clicking it).
    bool ChooseListItem(dom::Element& select, int index);
    // Presses a toolbar button of the chrome ("back-button", ...).
    bool PressToolbarButton(BrowserWindow& window, std::u16string_view id);
    // Chooses an entry of the address history popup.
    bool ChooseHistoryEntry(BrowserWindow& window, int index);
    // Types an address into the address field and presses Enter.
    bool EnterAddress(BrowserWindow& window, std::u16string_view address);

    // Where a screen point falls: the shell whose window is under it and
    // the element there (null over an empty part).
    struct Hit {
        DocShell* shell = nullptr;
        dom::Element* element = nullptr;
        POINT client{};
    };
    Hit HitTest(POINT screen) const;
    // The screen point at the middle of an element's box; nullopt when it
    // has none.
    std::optional<POINT> ScreenCenterOf(dom::Element& element) const;
    // The element that has the focus, and the shell of its document.
    dom::Element* FocusedElement() const;
    DocShell* FocusedShell() const { return m_focusedShell; }

    // ShellHost
    DocumentLoaderService& Loader() override { return *m_loader; }
    std::string HomePage() override { return m_homePage; }
    void OpenLinkWindow(const std::string& url) override;
    void FocusMoved(DocShell& shell, dom::Element* previous, dom::Element* focused) override;

private:
    DocShell* FindShell(HWND window) const;
    // Moves the focus to `element` in `shell` (null: take it away), with
    // blur (and change for an edited field) and focus events.
    void FocusOn(DocShell* shell, dom::Element* element);
    void FireChangeIfEdited();
    bool ClickAt(const Hit& hit, MouseButton button, int32_t clickCount);

    bool m_started = false;
    // Cleared at shutdown: work the browser posted for itself then does nothing.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
    std::string m_homePage = "about:blank";
    nsCOMPtr<EventQueue> m_queue;
    nsCOMPtr<DocumentLoaderService> m_loader;
    nsCOMPtr<IOService> m_io;
    nsCOMPtr<EventQueueService> m_queueService;
    bool m_servicesRegistered = false;
    std::vector<std::unique_ptr<BrowserWindow>> m_windows;
    nsCOMPtr<DocShell> m_focusedShell;
    nsString m_valueAtFocus;    // a text field's value when it got the focus
    bool m_movingFocus = false; // FocusOn runs: it keeps the record itself
    int m_nextWindowOffset = 0;
};

} // namespace browser
