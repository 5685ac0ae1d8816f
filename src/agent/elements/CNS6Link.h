#pragma once
// Text links and their two halves: CNS6Hyperlink (the link: its address and
// name) and CNS6Text (the text), which CNS6Link joins into one test object.
//
//     CWebObjRef link = builder.ObjectForNode(anchor, frame, kSpecificObjects,
//                                             MapImage::Disallow);
//     link->GetProperty("text", value);   // from the text part
//     link->GetProperty("url", value);    // from the link part, by name only
//
// A joined object is one test object: identity, owning frame and class
// descriptor are its primary part's. The second part is a full element
// object of its own kind, asked only when the primary part does not answer.

#include "agent/elements/CNS6Obj.h"

// The link half: "IsIgnored" 0, the anchor's "element_name" and "url".
class CNS6Hyperlink : public CNS6Obj {
public:
    static constexpr int kOwnPropertyCount = 3;

    CNS6Hyperlink(nsIDOMNode* node, const CWebObjRef& owningFrame);

    bool GetPropertyAt(std::string& name, CWebVariantList& value, int position) override;
    // "WriteObjInfoHeader" and "WriteObjInfo" through the link descriptor.
    bool CallMethod(std::string_view method, CWebInfo& record) override;

    // The node of the link part; an image link points it at the enclosing
    // link element (null when there is none).
    void SetLinkNode(nsIDOMNode* node) { m_Link = node; }

private:
    nsCOMPtr<nsIDOMNode> m_Link; // the link element; kept alive for this object's life
};

// The text half: the cleaned element text as "text" and "data".
class CNS6Text : public CNS6Obj {
public:
    static constexpr int kOwnPropertyCount = 3;

    CNS6Text(nsIDOMNode* node, const CWebObjRef& owningFrame);

    bool GetPropertyAt(std::string& name, CWebVariantList& value, int position) override;
    // "WriteFormatToFile" is left to whoever holds this part.
    bool CallMethod(std::string_view method, CWebInfo& record) override;
};

// A text link: the text part first, the link part for what it does not
// answer ("url", "element_name", its checkpoint writers).
class CNS6Link : public CNS6Text {
public:
    static constexpr int kOwnPropertyCount = 2;

    CNS6Link(nsIDOMNode* node, const CWebObjRef& owningFrame);

    bool GetPropertyAt(std::string& name, CWebVariantList& value, int position) override;
    bool CallMethod(std::string_view method, CWebInfo& record) override;

private:
    CWebObjRef m_LinkPart; // a CNS6Hyperlink for the same node and frame
};
