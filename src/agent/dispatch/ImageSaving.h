// The dispatcher's fallback for saving the image behind a URL when no test
// object saves it: the desktop's Internet functions, or a copy of the local
// file that a "file:" URL names.
//
//     SaveImageWithWinInet(request);   // "url", "file_name"; sets RetValue
//
// Success only when every byte reached the file: a download that fails, is
// cut short or answers an HTTP error status is a failure.
#pragma once

#include "agent/channel/CWebInfo.h"

#include <string>
#include <string_view>

// The local file name that a URL names when the Internet functions cannot
// open it. "file:///c:/a%20b/x.gif" is "c:\a b\x.gif"; "file://server/share/x"
// the network path "\\server\share\x"; "file:///tmp/x.gif", a path of this
// system's file tree without a drive letter, keeps its root: "/tmp/x.gif".
// Any other text is taken as a file name (with "%20" as a blank).
std::string LocalFileNameForUrl(std::string_view url);

// Reads the string attributes "url" and "file_name" and sets the record's
// RetValue (E_FAIL unless the image was saved); the result is answered as
// well. Without both attributes no file is created.
nsresult SaveImageWithWinInet(CWebInfo& record);
