// A readable dump of records and values, for tests, traces and the console.
//
//   RetValue=0x00000000 MsgId=12 Id=(5,-1,-1,-1) WebInfoId=7 Attrs=2
//     handle: integer [42]
//     text: status 4 string ["Sign \"in\"", "caf\xE9"]
//
// One line per attribute; strings are quoted with C escapes for quotes,
// backslashes and bytes outside printable ASCII.
#pragma once

#include <string>

class CWebInfo;
class CWebRunTimeID;
class CWebVariant;
class CWebVariantList;

std::string DumpRunTimeID(const CWebRunTimeID& id);
// The payload alone: 42, "text", (1,2), {l,t,r,b}, (5,-1,-1,-1), or type 7 as "type 7".
std::string DumpWebVariant(const CWebVariant& value);
// The list type, the status code when marked, then its elements.
std::string DumpWebVariantList(const CWebVariantList& list);
std::string DumpWebInfo(const CWebInfo& info);
