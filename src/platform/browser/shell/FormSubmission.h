// Form submission of the simulated browser: a form's controls encoded as an
// application/x-www-form-urlencoded query, as a GET submission puts them into
// the address. DocShell::NavigateFromForm (defined beside these) loads it.
//
//     std::string query = FormQuery(form);   // "q=a+b&lang=en"
#pragma once

#include <string>
#include <string_view>

namespace dom {
class Element;
}

namespace browser {

// Appends `text` as UTF-8, form-URL-encoded: letters, digits and "-_.*"
// as they are, blanks as "+", every other byte as "%XX".
void AppendFormUrlEncoded(std::string& out, std::u16string_view text);

// The successful controls of `form` (named inputs, checked boxes, selects,
// text areas; no buttons or file fields) as "name=value" pairs joined by "&".
std::string FormQuery(dom::Element& form);

} // namespace browser
