// Basic types and forward declarations shared by the DOM host interfaces.
//
// Every DOM interface derives from nsISupports (or from another DOM
// interface), returns an nsresult and passes objects through AddRef'ed out
// parameters and strings as UTF-16 (nsAString). An object answers exactly the
// interfaces of its kind; callers find out which by QueryInterface.
#pragma once

#include "platform/xpcom/nsCOMPtr.h"
#include "platform/xpcom/nsISupports.h"
#include "platform/xpcom/nsString.h"

#include <cstdint>

using PRBool = int32_t;
using PRInt32 = int32_t;
using PRUint32 = uint32_t;
using PRUint16 = uint16_t;
using DOMTimeStamp = uint64_t;

#ifndef PR_TRUE
#define PR_TRUE 1
#define PR_FALSE 0
#endif

// The desktop stand-in's window handle (HWND), declared the way its headers
// declare it so that interfaces need not include them.
struct HWND__;

namespace dom::internal {
// Interface identifiers of the DOM family: one running number per interface.
constexpr nsIID DomIID(uint16_t n) {
    return nsIID{0x5a0d0000u + n,
                 0x7e11,
                 0x4d0c,
                 {0x9b, 0x21, 0x3f, 0x6a, 0x00, 0x00, uint8_t(n >> 8), uint8_t(n & 0xFF)}};
}
} // namespace dom::internal

class nsIDOMNode;
class nsIDOMNodeList;
class nsIDOMNamedNodeMap;
class nsIDOMAttr;
class nsIDOMCharacterData;
class nsIDOMText;
class nsIDOMComment;
class nsIDOMElement;
class nsIDOMDocument;
class nsIDOMHTMLDocument;
class nsIDOMNSHTMLDocument;
class nsIDOMDocumentInternal;
class nsIDOMWindow;
class nsIDOMWindowInternal;
class nsIDOMWindowCollection;
class nsIDOMHTMLCollection;
class nsIDOMHTMLElement;
class nsIDOMHTMLFormElement;
class nsIDOMHTMLInputElement;
class nsIDOMHTMLTableSectionElement;
class nsIDOMCSSStyleDeclaration;
class nsIDOMCSSValue;
class nsIDOMRange;
class nsISelection;
class nsIContentIterator;
class nsIDocumentEncoder;
class nsIDOMEvent;
class nsIDOMEventListener;
class nsIDOMEventTarget;
class nsIEventListenerManager;
class nsIBoxObject;
class nsIDOMXULElement;
class nsIDOMHostService;
