#pragma once
// Images, image links and image buttons.
//
//     CWebObjRef image = builder.ObjectForNode(img, frame, kSpecificObjects,
//                                              MapImage::Disallow);
//     image->GetProperty("type", value);     // "Plain Image", "Server Side ImageMap", ...
//     image->FireEvent("click", POINT{10, 20});
//         // on a server-side map: follows the enclosing link with "?10,20"
//
// An image link joins an image part (its identity and descriptor) and a link
// part whose node is the link element around the image, found through the
// image wrapper tags. An image button is an image made for an input of type
// "image".

#include "agent/elements/CNS6Obj.h"

class CNS6Image : public CNS6Obj {
public:
    static constexpr int kOwnPropertyCount = 8;

    CNS6Image(nsIDOMNode* node, const CWebObjRef& owningFrame);

    bool GetPropertyAt(std::string& name, CWebVariantList& value, int position) override;
    // "WriteObjInfoHeader" and "WriteObjInfo" through the image descriptor.
    bool CallMethod(std::string_view method, CWebInfo& record) override;
    // A click or pointer-over with a point on a server-side image map
    // follows the map's link with the point; other events with a point are
    // first handed to the image's layout frame; then the element's own
    // event replay.
    nsresult FireEvent(std::string_view event, std::optional<POINT> point) override;

    // The name the "name" property gives (before "image" stands in).
    std::string GetImageName();
    // The "type" property's kind.
    int32_t GetImageKind();

private:
    bool GetImagePropertyAt(int index, CWebVariantList& value);
    // Follows the link around the image through the presentation context's
    // link handler: "onclick" follows it, "onmouseover" shows it.
    nsresult FollowMapLink(std::string_view handler, std::optional<POINT> point);
    // Hands a left-button-up event to the image's layout frame.
    void HandToLayoutFrame(POINT point);
};

class CNS6ImageLink : public CNS6Image {
public:
    static constexpr int kOwnPropertyCount = 1;

    CNS6ImageLink(nsIDOMNode* node, const CWebObjRef& owningFrame);

    bool GetPropertyAt(std::string& name, CWebVariantList& value, int position) override;
    bool CallMethod(std::string_view method, CWebInfo& record) override;

private:
    CWebObjRef m_LinkPart; // a CNS6Hyperlink pointed at the enclosing link element
};

class CNS6ImageButton : public CNS6Image {
public:
    static constexpr int kOwnPropertyCount = 4;

    CNS6ImageButton(nsIDOMNode* node, const CWebObjRef& owningFrame);

    bool GetPropertyAt(std::string& name, CWebVariantList& value, int position) override;
};
