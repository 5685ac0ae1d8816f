#include "platform/browser/shell/FormSubmission.h"

#include "platform/browser/Ascii.h"
#include "platform/browser/dom/Document.h"
#include "platform/browser/dom/HTMLElements.h"
#include "platform/browser/dom/Parser.h"
#include "platform/browser/shell/DocShell.h"
#include "platform/browser/shell/EventQueue.h"

#include <cctype>

namespace browser {

void AppendFormUrlEncoded(std::string& out, std::u16string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (unsigned char c : dom::Utf8FromUtf16(text)) {
        if (std::isalnum(c) || c == '-' || c == '_' || c == '.' || c == '*') {
            out += static_cast<char>(c);
        } else if (c == ' ') {
            out += '+';
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
}

std::string FormQuery(dom::Element& form) {
    std::string query;
    auto append = [&](std::u16string_view name, std::u16string_view value) {
        if (name.empty())
            return;
        if (!query.empty())
            query += '&';
        AppendFormUrlEncoded(query, name);
        query += '=';
        AppendFormUrlEncoded(query, value);
    };
    for (dom::Node* node = form.FirstChild(); node; node = node->NextInTree(&form)) {
        if (!node->IsElement())
            continue;
        nsCOMPtr<nsIDOMNode> domNode = node->AsDOMNode();
        if (nsCOMPtr<nsIDOMHTMLInputElement> input = do_QueryInterface(domNode)) {
            nsString type, name, value;
            input->GetType(type);
            input->GetName(name);
            input->GetValue(value);
            PRBool checked = PR_FALSE;
            input->GetChecked(&checked);
            type = AsciiLower(type);
            if (type == u"submit" || type == u"reset" || type == u"button" || type == u"image" ||
                type == u"file")
                continue;
            if ((type == u"checkbox" || type == u"radio") && !checked)
                continue;
            append(name, value);
        } else if (nsCOMPtr<nsIDOMHTMLSelectElement> select = do_QueryInterface(domNode)) {
            nsString name, value;
            select->GetName(name);
            select->GetValue(value);
            append(name, value);
        } else if (nsCOMPtr<nsIDOMHTMLTextAreaElement> area = do_QueryInterface(domNode)) {
            nsString name, value;
            area->GetName(name);
            area->GetValue(value);
            append(name, value);
        }
    }
    return query;
}

void DocShell::NavigateFromForm(dom::Element& form) {
    // Form data go into the address, as a GET submission does.
    dom::Document* core = form.OwnerDocument();
    if (!core)
        return;
    std::string query = FormQuery(form);
    nsString action = form.Attribute(u"action");
    nsString resolved = core->ResolveURL(action.empty() ? dom::Utf16FromUtf8(m_url) : action);
    std::string target = dom::Utf8FromUtf16(resolved);
    target = target.substr(0, target.find('#'));
    target = target.substr(0, target.find('?')) + "?" + query;
    DocShell* shell = FindTarget(form.Attribute(u"target"));
    if (!shell)
        return;
    // Posted: the submission must not tear down the document whose event
    // handler is still running.
    EventQueue::ForCurrentThread()->Post([shell = nsCOMPtr<DocShell>(shell), target] {
        shell->StartLoad(target, HistoryMode::Add);
    });
}

} // namespace browser
