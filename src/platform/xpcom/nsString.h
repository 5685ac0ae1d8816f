// Strings of the component framework: the host's strings are UTF-16. The
// agent converts them to its narrow strings at the boundary (see the desktop
// stand-in's WideCharToMultiByte), never here.
#pragma once

#include <string>
#include <string_view>

using PRUnichar = char16_t;
using nsString = std::u16string;
using nsAString = std::u16string;
using nsCString = std::string;
using nsACString = std::string;

// ASCII literal to a host string, for framework code and tests.
inline nsString NS_LITERAL_STRING_FROM(std::string_view ascii) {
    return nsString(ascii.begin(), ascii.end());
}
