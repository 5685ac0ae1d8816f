// Factories of the content iterator and the plain-text document encoder,
// through which the host service hands them out.
#pragma once

#include "platform/xpcom/dom/nsIDOMRange.h"

namespace dom {

nsresult NewContentIterator(nsIContentIterator** iterator);
nsresult NewPlainTextEncoder(nsIDocumentEncoder** encoder);

} // namespace dom
