// A location in the host's file system, as the framework hands it to
// component libraries (the library's own file, the components folder).
//
//     nsCOMPtr<nsIFile> file;
//     NS_NewNativeLocalFile("/path/to/components", getter_AddRefs(file));
#pragma once

#include "platform/xpcom/nsCOMPtr.h"
#include "platform/xpcom/nsString.h"

#include <string_view>

class nsIFile : public nsISupports {
public:
    static constexpr nsIID kIID{
        0xC8C0A080, 0x0868, 0x11D3, {0x91, 0x5F, 0xD9, 0xD8, 0x89, 0xD4, 0x8E, 0x3C}};
    using BaseInterface = nsISupports;

    virtual nsresult GetNativePath(nsACString& path) = 0;
    // The last component of the path.
    virtual nsresult GetNativeLeafName(nsACString& name) = 0;
    virtual nsresult Exists(bool* result) = 0;
    virtual nsresult IsDirectory(bool* result) = 0;
};

nsresult NS_NewNativeLocalFile(std::string_view path, nsIFile** result);
