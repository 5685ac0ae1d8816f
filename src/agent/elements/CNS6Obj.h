#pragma once
// The element object: the test object of one element of a page, and the
// base of every element class (links, images, tables, rows, cells, general
// elements, form controls and lists). It supplies identity, the relation to
// the other objects of the page, the common property table and the
// element's rectangle in the coordinates of its frame.
//
//     // Made only by the layout tree builder, with the owning frame:
//     CWebObjRef cell = builder.ObjectForNode(td, frame, kSpecificObjects,
//                                             MapImage::Disallow);
//     cell->GetProperty("rect", value);          // relative to the frame's view
//     CWebObjRef row = cell->GetParent();        // the logical parent
//
// Element objects are reference-counted and live as long as a handle refers
// to them. Nothing is cached: every property is read from the DOM when it
// is asked for. The identifier is the owning frame's with the DOM node's
// 32-bit identity in its third field, so two objects made for one node are
// equal. An element whose owning frame is gone answers as if it had no
// frame and never touches the frame's memory.

#include "agent/model/CWebObj.h"
#include "platform/win32/WinDef.h"
#include "platform/xpcom/dom/nsIDOMNode.h"
#include "platform/xpcom/nsCOMPtr.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class CLayoutTreeBuilder;
class CNS6Frame;

class CNS6Obj : public CWebObj {
public:
    // Entries of the element property table; subclasses pass positions past
    // their own table on, reduced by their own count.
    static constexpr int kPropertyCount = 22;

    CNS6Obj(nsIDOMNode* node, const CWebObjRef& owningFrame);

    bool GetPropertyAt(std::string& name, CWebVariantList& value, int position) override;
    // The nearest ancestor element with a specific object, else the owning
    // frame.
    CWebObjRef GetParent() override;
    CWebObjRef GetChild(int position) override;
    CWebObjRef FindDescendant(const CWebRunTimeID& id) override;
    CWebObjRef GetChildById(const CWebRunTimeID& id) override;
    // Counts specific objects only, whatever flags collections use.
    int GetChildCount() override;
    bool CollectDescendants(std::vector<CWebObjRef>& out, int32_t flags) override;
    // The nearest element objects below the node that match `flags`;
    // elements that do not match are transparent.
    bool CollectChildren(std::vector<CWebObjRef>& out, int32_t flags) override;
    // The named methods (ElementMethods.cpp).
    bool CallMethod(std::string_view method, CWebInfo& record) override;

    // The owning frame (or page); null when it is gone.
    virtual CWebObjRef GetOwnerFrame();
    // The attribute is present and not empty.
    virtual bool HasAttributeValue(std::string_view name);
    // Fires the DOM event `event` at the element, at `point` (element
    // coordinates) when given; a result code (ElementMethods.cpp).
    virtual nsresult FireEvent(std::string_view event, std::optional<POINT> point);
    // The node's rectangle in pixels, relative to the visible area of the
    // frame that shows it; false when it cannot be computed.
    virtual bool GetRect(nsIDOMNode* node, RECT& rect);
    // The same for an element of the browser's own user interface.
    virtual bool GetXulRect(nsIDOMNode* node, RECT& rect);

    nsIDOMNode* GetElementNode() const { return m_Element.get(); }

protected:
    // The owning frame object when it is still alive.
    CNS6Frame* OwnerFrame() const;
    // The builder of the trap state, through the owning frame; null when the
    // frame is gone.
    CLayoutTreeBuilder* Builder() const;
    // The object for one node of this element's frame (specific or general,
    // as `flags` says), or null.
    CWebObjRef ObjectFor(nsIDOMNode* node, uint32_t flags) const;

    // The element text as the text extraction gives it (empty on failure).
    std::string ElementText() const;
    // The text of "text" properties: no-break spaces become blanks, then the
    // checkpoint cleaning without brace removal.
    std::string CleanedText() const;

    // Whether `node` lies below this element's node.
    bool IsBelow(nsIDOMNode* node) const;

private:
    bool GetElementPropertyAt(int index, CWebVariantList& value);
    bool GetAttributeProperty(std::string_view name, CWebVariantList& value);
    std::string ColorLookup(std::string_view attribute);
    bool IsFocused();
    // The frame object whose document holds the element.
    CNS6Frame* FrameOfElement() const;

    nsCOMPtr<nsIDOMNode> m_Element; // the element; keeps the node alive
};

// The identity the host gives a DOM node; 0 when it cannot tell.
int32_t GetDomNodeIdentity(nsIDOMNode* node);
