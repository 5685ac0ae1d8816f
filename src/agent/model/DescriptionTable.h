// The description attribute table: which description attributes have a flat
// text form, in which order, and the value form each takes when the text is
// read back. The text form is the canonical key of a description.
//
//     std::string key;
//     if (DescriptionToText(record, key)) ...        // "class\x1Chtml_link\x1E..."
//     CWebInfo back;
//     TextToDescription(key, back);                  // "index" comes back an integer
//
// One process-wide table, filled with the built-in names on first use; class
// definitions from the tool append their names. User-interface thread only.
#pragma once

#include "agent/channel/CWebInfo.h"

#include <string>
#include <string_view>
#include <vector>

inline constexpr char kDescNameEnd = '\x1C';  // between a name and its value text
inline constexpr char kDescValueEnd = '\x1E'; // after every value text

// Appends a name with its value form (String or Integer) unless the table
// already lists it; false when it was present.
bool AddDescriptionAttribute(std::string_view name, WebVariantType form);
// The recorded value form; String for names the table does not list.
WebVariantType DescriptionValueForm(std::string_view name);
// The names in table order.
const std::vector<std::string>& DescriptionAttributeNames();

// Appends the text form of the record's attributes that the table lists, in
// table order: name, 0x1C, the first value as text, 0x1E. Values that are
// neither strings nor integers are skipped. False only when memory runs out.
[[nodiscard]] bool DescriptionToText(const CWebInfo& record, std::string& out);
// Adds the pairs of a text form to the record (AddAttr: a name met twice keeps
// its first value), each value in its name's form. Stops at the first piece
// without a name end; a last pair without its value end is taken as it is.
void TextToDescription(std::string_view text, CWebInfo& record);
