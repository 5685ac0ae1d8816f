#pragma once
// The frame object: one DOM window with its document, a frame or inline
// frame of a page. The page (CNS6Page.h) derives from it.
//
//     // Made by the trap state when a frame's document finishes loading, and
//     // owned by the page of its browser window:
//     CWebObjRef frame(new CNS6Frame(domWindow, nativeWindow, page));
//     page->AddChild(frame);
//     frame->GetProperty("frame_title", value);        // "__NO_TITLE_" when untitled
//
// Element objects are not kept: they are made afresh from the document
// whenever they are asked for. Every frame of a browser window, at any depth,
// is a direct child of that window's page; the frame a frame is nested in is
// found through the DOM windows, not through the object tree.

#include "agent/model/CConversionMaps.h"
#include "agent/model/CWebObj.h"
#include "agent/model/INS6Frame.h"
#include "platform/win32/WinDef.h"
#include "platform/xpcom/dom/nsIDOMDocument.h"
#include "platform/xpcom/dom/nsIDOMElement.h"
#include "platform/xpcom/dom/nsIDOMWindow.h"
#include "platform/xpcom/nsCOMPtr.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What a form control of the frame's document last recorded.
struct RecordedState {
    std::string first;
    std::string second;
    std::string third;
};

class CNS6Frame : public CWebObj, public INS6Frame {
public:
    CNS6Frame(nsIDOMWindow* window, HWND handle, const CWebObjRef& parent);

    bool GetPropertyAt(std::string& name, CWebVariantList& value, int position) override;
    CWebObjRef GetChild(int position) override;
    CWebObjRef FindDescendant(const CWebRunTimeID& id) override;
    CWebObjRef GetChildById(const CWebRunTimeID& id) override;
    // The element objects a collection with flags 0 selects: none for a
    // frame, the frames for a page.
    int GetChildCount() override;
    bool CollectDescendants(std::vector<CWebObjRef>& out, int32_t flags) override;
    bool CollectChildren(std::vector<CWebObjRef>& out, int32_t flags) override;
    bool CallMethod(std::string_view method, CWebInfo& record) override;
    // Rebuilds the identification maps when the document's element count
    // changed since the last call; false without a document.
    bool BuildChildren() override;

    // The native window still exists and the DOM window still has a
    // document shell.
    virtual bool IsAlive();
    // Whether `window` is this frame's DOM window (compared by identity).
    virtual bool IsSameWindow(nsIDOMWindow* window);
    virtual bool IsPage() { return false; }
    // The FRAME or IFRAME element of the parent document that shows this
    // frame; null for a page.
    virtual nsCOMPtr<nsIDOMElement> GetFrameElement();

    // INS6Frame
    bool IsFrameAlive() override { return IsAlive(); }
    HWND GetFrameWindow() const override { return GetWindow(); }
    bool IsEmbedHwnd(HWND window) override;

    nsIDOMWindow* GetDomWindow() const { return m_DomWindow.get(); }
    HWND GetWindow() const { return HwndFromValue(static_cast<ULONG>(m_Window)); }
    int32_t GetWindowValue() const { return m_Window; }
    nsCOMPtr<nsIDOMDocument> GetDocument() const;
    // The node the document's elements are collected under: BODY, or the
    // document element when there is none.
    nsCOMPtr<nsIDOMNode> GetCollectionRoot() const;
    CConversionMaps& GetConversionMaps() { return m_Engine; }
    int32_t GetDocumentSignature() const { return m_Signature; }

    // The recorded-state table of the form controls of this document. Look
    // up copies the entry into each output that is given; false without an
    // entry. Store replaces or inserts all three strings (missing ones are
    // empty); always true.
    bool LookupRecordedState(const CWebRunTimeID& id, std::string* first = nullptr,
                             std::string* second = nullptr, std::string* third = nullptr) const;
    bool StoreRecordedState(const CWebRunTimeID& id, std::string_view first = {},
                            std::string_view second = {}, std::string_view third = {});
    // How many entries the table holds (entries of controls that left the
    // document included, until the next pruning).
    size_t GetRecordedStateCount() const { return m_RecordedStates.size(); }

    // Scrolls the frame so that `point` (document coordinates) is its top
    // left unless it is already strictly inside the visible area.
    bool ScrollPointIntoView(POINT point);

protected:
    // The document's title: the HTML title, or the title the host gives any
    // other kind of document; nothing when it cannot be read.
    std::optional<std::string> GetDocumentTitle();
    // Through the walk up the native windows: the top of the frame's window
    // chain is disabled (a modal dialog runs).
    bool IsWindowDisabled() const;
    // The element objects of the document's top level and below, as the
    // frame and the page collect them.
    void CollectDocumentChildren(std::vector<CWebObjRef>& out, int32_t flags);
    void CollectDocumentDescendants(std::vector<CWebObjRef>& out, int32_t flags);
    // The element object of a node of this document (specific when it has
    // one, else general), or null.
    CWebObjRef MakeElementObject(nsIDOMNode* node);
    // The element object whose identifier names a node of this document:
    // the node must be alive and in this frame's document, and the object
    // made for it must carry exactly that identifier.
    CWebObjRef FindElementById(const CWebRunTimeID& id);
    // The node an element identifier names when it is alive and in this
    // frame's document, else null.
    nsCOMPtr<nsIDOMNode> NodeOfElementId(const CWebRunTimeID& id);

    void SetWindowField(int32_t second) {
        CWebRunTimeID id = RunTimeID();
        SetId(CWebRunTimeID(id.First(), second, id.Third(), id.Fourth()));
    }

private:
    bool GetFramePropertyAt(size_t index, CWebVariantList& value);
    std::string GetLogicalName();
    bool GetBodyText(CWebVariantList& value, bool byName);
    bool GetSelectedText(CWebVariantList& value);
    void MakeVisible(CWebInfo& record);
    void ScrollPointIntoView(CWebInfo& record);
    void ScrollFrameByPoint(CWebInfo& record);
    // Drops the recorded states of identifiers that name no element of the
    // document any more.
    void PruneRecordedStates();

    static constexpr size_t kRecordedStatesPruneMin = 64;

    nsCOMPtr<nsIDOMWindow> m_DomWindow;
    int32_t m_Window;
    CConversionMaps m_Engine;
    int32_t m_Signature = 0;
    std::map<CWebRunTimeID, RecordedState> m_RecordedStates;
    // The table's size at which the next new entry first prunes it.
    size_t m_RecordedStatesPruneAt = kRecordedStatesPruneMin;
};

// The identity the host gives a DOM window (0 when it cannot tell), and the
// base-interface identity test of two host objects.
int32_t GetDomWindowIdentity(nsIDOMWindow* window);
bool IsSameHostObject(nsISupports* a, nsISupports* b);
