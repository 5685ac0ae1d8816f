// Saving the image behind a URL to a file when no test object does it: the
// Internet functions of the desktop, or a local file named by a "file:" URL.
//
//     SaveImageWithWinInet(request);   // "url", "file_name"; sets RetValue
#pragma once

#include "agent/channel/CWebInfo.h"

// Reads the string attributes "url" and "file_name" and sets the record's
// RetValue; the result code is answered as well.
nsresult SaveImageWithWinInet(CWebInfo& record);
