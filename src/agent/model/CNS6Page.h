#pragma once
// The page object: the top document of one browser window's content area. It
// is a frame that holds every frame object of its window (at any depth) as a
// direct child, tells whether the window is loading ("state") and runs the
// browser commands.
//
//     CWebObjRef page(new CNS6Page(contentWindow, contentHwnd, browser));
//     browser->AddChild(page);
//     CWebInfo request;
//     AppendString(request, "command", "Back");
//     page->CallMethod("BrowserCommand", request);   // result 0, or E_FAIL
//
// Frames are added when their documents finish loading and when the page
// refreshes its frames while it loads. Registration and the lookups by DOM
// window, identifier and native window go through indexes (a few frames
// looked at, however many the page has); dead frames are pruned lazily: a
// lookup that finds one destroys it, and the enumerations prune them all.

#include "agent/model/CNS6Frame.h"

#include <cstdint>
#include <map>
#include <string_view>
#include <vector>

class CNS6Page : public CNS6Frame, public INS6Page {
public:
    // URLs given to "Navigate" are cut to this many bytes.
    static constexpr size_t kMaxNavigateBytes = 1024;

    CNS6Page(nsIDOMWindow* window, HWND handle, const CWebObjRef& parent);

    bool AddChild(const CWebObjRef& child) override;
    bool GetPropertyAt(std::string& name, CWebVariantList& value, int position) override;
    CWebObjRef FindDescendant(const CWebRunTimeID& id) override;
    CWebObjRef GetChildById(const CWebRunTimeID& id) override;
    bool CollectDescendants(std::vector<CWebObjRef>& out, int32_t flags) override;
    bool CollectChildren(std::vector<CWebObjRef>& out, int32_t flags) override;
    bool CallMethod(std::string_view method, CWebInfo& record) override;
    // The frame test, and the DOM window's native window is still the
    // page's own.
    bool IsAlive() override;
    bool IsPage() override { return true; }
    nsCOMPtr<nsIDOMElement> GetFrameElement() override { return nullptr; }

    // Destroys the frame children that are no longer alive.
    void PruneDeadFrames();
    // How many frame objects the page's bookkeeping has looked at (tests of
    // its cost count this work rather than time it).
    uint64_t GetFramesExamined() const { return m_FramesExamined; }
    // Refreshes the frames while the page loads, prunes, and appends the
    // frame children; true when `out` is not empty.
    bool AppendFrames(std::vector<CWebObjRef>& out) override;
    // Appends the frame children as they are; true when `out` is not empty.
    bool CollectFrames(std::vector<CWebObjRef>& out);
    // Makes frame objects for the frame windows below the page that have
    // none yet; E_INVALIDARG without a DOM window.
    nsresult RefreshFrames();

    CWebObjRef FindFrameByWindow(nsIDOMWindow* window) override;
    CWebObjRef FindFrameByDocument(nsIDOMDocument* document);
    CWebObjRef FindFrameById(const CWebRunTimeID& id) override;
    // The identifier of the page or frame whose native window is `window`
    // or, failing that, one of its ancestors.
    nsresult FindIdByWindow(HWND window, CWebRunTimeID& out);

    // Entries of the frame index by native window (those of deleted frames
    // included, until the next registration drops them).
    size_t GetFrameIndexSize() const { return m_FramesByWindow.size(); }

    // Busy loading: the window or one of its frames is still loading.
    bool IsLoading();
    // "Back", "Forward", "Stop", "Home", "ReLoad" and "Navigate"; a result
    // code.
    nsresult RunBrowserCommand(const CWebInfo& record);

private:
    nsresult RunBrowserCommandUnguarded(const CWebInfo& record);
    // The frame child an index named, when it is alive and passes `test`;
    // a dead one is destroyed on the way.
    template <typename Test> CWebObjRef LiveFrame(CWebObj* candidate, Test test);
    // The frame child whose native window has this value, from the index.
    CWebObjRef FindFrameByWindowValue(int32_t value);
    // Whether the window or one of its frames is loading, as "state" says.
    bool IsStillLoading();
    // Drops the index entries of frames that were deleted.
    void DropDeletedFrameEntries();

    static constexpr size_t kFrameIndexPruneMin = 64;

    // Frame children by the value of their native window; weak, so entries
    // of deleted frames read as empty and are dropped when met.
    std::map<int32_t, CWebObjRef> m_FramesByWindow;
    // The index's size at which the next registration first drops the
    // entries of deleted frames.
    size_t m_FrameIndexPruneAt = kFrameIndexPruneMin;
    uint64_t m_FramesExamined = 0;
};
