// One top-level window of the browser: its native window, the chrome
// document shell, and (for the main browser chrome) the content area with
// its holder windows, the toolbar commands, the address field and the
// address history popup.
//
// The window tree is described in NativeWindows.h. The content area is made
// when the chrome document has been shown, at the box of its "browser"
// element; the first address then loads into it.
#pragma once

#include "platform/browser/shell/DocShell.h"

#include <string>

namespace browser {

class BrowserWindow final : public WindowOwner, public ResizeObserver {
public:
    struct Geometry {
        int x = 0;
        int y = 0;
        int width = 800;
        int height = 600;
    };

    // Opens the window on `chromeURL`; `contentURL` loads into its content
    // area once the chrome is shown (ignored for chrome without one).
    BrowserWindow(ShellHost& host, std::string chromeURL, std::string contentURL,
                  Geometry geometry);
    ~BrowserWindow() override;
    BrowserWindow(const BrowserWindow&) = delete;
    BrowserWindow& operator=(const BrowserWindow&) = delete;

    HWND Handle() const { return m_window; }
    // Whether the native window still exists.
    bool IsOpen() const;
    DocShell* ChromeShell() const { return m_chrome; }
    // The top content shell; null before the chrome was shown and for
    // chrome without a content area.
    DocShell* ContentShell() const { return m_content; }
    // The chrome document's element with that id.
    dom::Element* ChromeElement(std::u16string_view id) const;
    // Some shell of this window loads.
    bool IsBusy() const;
    // Closes the window: shells first, then the native windows.
    void Close();

    // Runs a toolbar command: "back-button", "forward-button",
    // "reload-button", "stop-button", "home-button"; false for another id.
    bool RunCommand(std::u16string_view id);
    // Loads what the address field holds (as Enter in the field does).
    void LoadAddressField();

    // WindowOwner
    nsIDocShellTreeOwner* TreeOwner() override { return m_treeOwner; }
    dom::Window* ChromeWindow() override;
    void DocumentShown(DocShell& shell) override;

    // ResizeObserver: the chrome is laid out again and the content area
    // follows its "browser" element.
    void WindowResized() override;

private:
    class TreeOwnerImpl;
    class CommandListener;

    void MakeContentArea();
    RECT ContentAreaRect() const;
    void UpdateChrome();

    ShellHost& m_host; // observes: the browser outlives its windows
    std::string m_chromeURL;
    std::string m_contentURL;
    HWND m_window = nullptr;
    HWND m_holders[3] = {nullptr, nullptr, nullptr};
    nsCOMPtr<DocShell> m_chrome;
    nsCOMPtr<DocShell> m_content;
    nsCOMPtr<nsIDocShellTreeOwner> m_treeOwner;
    nsCOMPtr<nsIDOMEventListener> m_commandListener;
    bool m_closed = false;
};

} // namespace browser
