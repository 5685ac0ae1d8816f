#include "platform/browser/dom/CSS.h"

#include "platform/browser/dom/Document.h"

#include <cmath>
#include <cstdlib>

namespace dom {

namespace {

bool IsSpace(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

std::u16string_view Trim(std::u16string_view text) {
    while (!text.empty() && IsSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

// Splits at `separator` outside quotes and parentheses.
std::vector<std::u16string_view> SplitTopLevel(std::u16string_view text, char16_t separator) {
    std::vector<std::u16string_view> parts;
    size_t start = 0;
    int depth = 0;
    char16_t quote = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (quote) {
            if (c == u'\\')
                ++i;
            else if (c == quote)
                quote = 0;
        } else if (c == u'"' || c == u'\'') {
            quote = c;
        } else if (c == u'(') {
            ++depth;
        } else if (c == u')' && depth > 0) {
            --depth;
        } else if (c == separator && depth == 0) {
            parts.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    parts.push_back(text.substr(start));
    return parts;
}

} // namespace

std::vector<CSSDeclaration> ParseDeclarations(std::u16string_view text) {
    std::vector<CSSDeclaration> result;
    for (std::u16string_view part : SplitTopLevel(text, u';')) {
        size_t colon = part.find(u':');
        if (colon == std::u16string_view::npos)
            continue;
        std::u16string_view name = Trim(part.substr(0, colon));
        std::u16string_view value = Trim(part.substr(colon + 1));
        if (name.empty() || value.empty())
            continue;
        CSSDeclaration declaration{AsciiLower(name), nsString(value), false};
        size_t bang = declaration.value.rfind(u'!');
        if (bang != nsString::npos &&
            EqualsIgnoringAsciiCase(Trim(std::u16string_view(declaration.value).substr(bang + 1)),
                                    u"important")) {
            declaration.important = true;
            declaration.value =
                nsString(Trim(std::u16string_view(declaration.value).substr(0, bang)));
            if (declaration.value.empty())
                continue;
        }
        bool replaced = false;
        for (auto& existing : result) {
            if (existing.name == declaration.name) {
                existing = declaration;
                replaced = true;
            }
        }
        if (!replaced)
            result.push_back(std::move(declaration));
    }
    return result;
}

nsString SerializeDeclarations(const std::vector<CSSDeclaration>& declarations) {
    nsString text;
    for (const auto& declaration : declarations) {
        if (!text.empty())
            text += u' ';
        text += declaration.name + u": " + declaration.value;
        if (declaration.important)
            text += u" !important";
        text += u';';
    }
    return text;
}

namespace {

struct UnitName {
    std::u16string_view suffix;
    PRUint16 type;
};
constexpr UnitName kUnits[] = {
    {u"px", nsIDOMCSSPrimitiveValue::CSS_PX},  {u"%", nsIDOMCSSPrimitiveValue::CSS_PERCENTAGE},
    {u"em", nsIDOMCSSPrimitiveValue::CSS_EMS}, {u"ex", nsIDOMCSSPrimitiveValue::CSS_EXS},
    {u"cm", nsIDOMCSSPrimitiveValue::CSS_CM},  {u"mm", nsIDOMCSSPrimitiveValue::CSS_MM},
    {u"in", nsIDOMCSSPrimitiveValue::CSS_IN},  {u"pt", nsIDOMCSSPrimitiveValue::CSS_PT},
    {u"pc", nsIDOMCSSPrimitiveValue::CSS_PC},
};

// Pixels per unit of the absolute lengths (96 pixels to the inch); 0 for
// the others.
double PixelsPer(PRUint16 unit) {
    switch (unit) {
    case nsIDOMCSSPrimitiveValue::CSS_PX:
        return 1.0;
    case nsIDOMCSSPrimitiveValue::CSS_IN:
        return 96.0;
    case nsIDOMCSSPrimitiveValue::CSS_CM:
        return 96.0 / 2.54;
    case nsIDOMCSSPrimitiveValue::CSS_MM:
        return 96.0 / 25.4;
    case nsIDOMCSSPrimitiveValue::CSS_PT:
        return 96.0 / 72.0;
    case nsIDOMCSSPrimitiveValue::CSS_PC:
        return 16.0;
    default:
        return 0.0;
    }
}

class CSSPrimitiveValue final : public nsSupportsImpl<CSSPrimitiveValue, nsIDOMCSSPrimitiveValue> {
public:
    explicit CSSPrimitiveValue(std::u16string_view text) : m_text(text) { Classify(); }

    nsresult GetCssText(nsAString& text) override {
        text = m_text;
        return NS_OK;
    }
    nsresult GetCssValueType(PRUint16* type) override {
        if (!type)
            return NS_ERROR_NULL_POINTER;
        *type = EqualsIgnoringAsciiCase(m_text, u"inherit") ? CSS_INHERIT : CSS_PRIMITIVE_VALUE;
        return NS_OK;
    }
    nsresult GetPrimitiveType(PRUint16* type) override {
        if (!type)
            return NS_ERROR_NULL_POINTER;
        *type = m_type;
        return NS_OK;
    }
    nsresult GetFloatValue(PRUint16 unitType, float* value) override {
        if (!value)
            return NS_ERROR_NULL_POINTER;
        *value = 0;
        if (unitType == m_type && m_isNumber) {
            *value = static_cast<float>(m_number);
            return NS_OK;
        }
        double from = PixelsPer(m_type), to = PixelsPer(unitType);
        if (!m_isNumber || from == 0.0 || to == 0.0)
            return NS_ERROR_INVALID_ARG;
        *value = static_cast<float>(m_number * from / to);
        return NS_OK;
    }
    nsresult GetStringValue(nsAString& value) override {
        value.clear();
        if (m_isNumber)
            return NS_ERROR_INVALID_ARG;
        value = m_string;
        return NS_OK;
    }

private:
    void Classify() {
        std::u16string_view text = m_text;
        // A number: optional sign, digits with an optional fraction.
        size_t i = 0;
        if (i < text.size() && (text[i] == u'-' || text[i] == u'+'))
            ++i;
        size_t digits = i;
        while (i < text.size() && ((text[i] >= u'0' && text[i] <= u'9') || text[i] == u'.'))
            ++i;
        if (i > digits) {
            std::string number(text.begin(), text.begin() + static_cast<ptrdiff_t>(i));
            char* end = nullptr;
            double parsed = std::strtod(number.c_str(), &end);
            std::u16string_view unit = text.substr(i);
            if (end && *end == '\0' && std::isfinite(parsed)) {
                if (unit.empty()) {
                    m_type = CSS_NUMBER;
                    m_isNumber = true;
                    m_number = parsed;
                    return;
                }
                for (const auto& known : kUnits) {
                    if (EqualsIgnoringAsciiCase(unit, known.suffix)) {
                        m_type = known.type;
                        m_isNumber = true;
                        m_number = parsed;
                        return;
                    }
                }
            }
            m_type = CSS_UNKNOWN;
            m_string = m_text;
            return;
        }
        if (!text.empty() && (text.front() == u'"' || text.front() == u'\'')) {
            m_type = CSS_STRING;
            m_string = nsString(text.substr(1, text.size() >= 2 && text.back() == text.front()
                                                   ? text.size() - 2
                                                   : text.size() - 1));
            return;
        }
        if (text.size() > 4 && EqualsIgnoringAsciiCase(text.substr(0, 4), u"url(")) {
            m_type = CSS_URI;
            std::u16string_view inner =
                Trim(text.substr(4, text.size() - (text.back() == u')' ? 5 : 4)));
            if (inner.size() >= 2 && (inner.front() == u'"' || inner.front() == u'\'') &&
                inner.back() == inner.front())
                inner = inner.substr(1, inner.size() - 2);
            m_string = nsString(inner);
            return;
        }
        if (!text.empty() &&
            (text.front() == u'#' ||
             (text.size() > 4 && EqualsIgnoringAsciiCase(text.substr(0, 4), u"rgb(")))) {
            m_type = CSS_RGBCOLOR;
            m_string = m_text;
            return;
        }
        m_type = CSS_IDENT;
        m_string = m_text;
    }

    nsString m_text;
    PRUint16 m_type = CSS_UNKNOWN;
    bool m_isNumber = false;
    double m_number = 0;
    nsString m_string;
};

class InlineStyle final : public nsSupportsImpl<InlineStyle, nsIDOMCSSStyleDeclaration> {
public:
    explicit InlineStyle(Element& element) : m_element(&element) {}

    nsresult GetCssText(nsAString& text) override {
        text = SerializeDeclarations(Read());
        return NS_OK;
    }
    nsresult SetCssText(const nsAString& text) override {
        Write(ParseDeclarations(text));
        return NS_OK;
    }
    nsresult GetPropertyValue(const nsAString& name, nsAString& value) override {
        value = Find(name);
        return NS_OK;
    }
    nsresult GetPropertyCSSValue(const nsAString& name, nsIDOMCSSValue** value) override {
        if (!value)
            return NS_ERROR_NULL_POINTER;
        *value = NewCSSValue(Find(name)).forget();
        return NS_OK;
    }
    nsresult SetProperty(const nsAString& name, const nsAString& value,
                         const nsAString& priority) override {
        nsString key = AsciiLower(Trim(name));
        if (key.empty())
            return NS_ERROR_INVALID_ARG;
        auto declarations = Read();
        std::u16string_view trimmed = Trim(value);
        std::erase_if(declarations, [&](const CSSDeclaration& d) { return d.name == key; });
        if (!trimmed.empty())
            declarations.push_back(
                {key, nsString(trimmed), EqualsIgnoringAsciiCase(priority, u"important")});
        Write(declarations);
        return NS_OK;
    }
    nsresult RemoveProperty(const nsAString& name, nsAString& oldValue) override {
        nsString key = AsciiLower(Trim(name));
        oldValue = Find(key);
        auto declarations = Read();
        if (std::erase_if(declarations, [&](const CSSDeclaration& d) { return d.name == key; }))
            Write(declarations);
        return NS_OK;
    }
    nsresult GetLength(PRUint32* length) override {
        if (!length)
            return NS_ERROR_NULL_POINTER;
        *length = static_cast<PRUint32>(Read().size());
        return NS_OK;
    }
    nsresult Item(PRUint32 index, nsAString& name) override {
        auto declarations = Read();
        name = index < declarations.size() ? declarations[index].name : nsString();
        return NS_OK;
    }

private:
    Element& Owner() const { return static_cast<Element&>(*m_element); }
    std::vector<CSSDeclaration> Read() const {
        return ParseDeclarations(Owner().Attribute(u"style"));
    }
    void Write(const std::vector<CSSDeclaration>& declarations) {
        Owner().SetAttribute(u"style", SerializeDeclarations(declarations));
    }
    nsString Find(std::u16string_view name) const {
        nsString key = AsciiLower(Trim(name));
        for (const auto& declaration : Read()) {
            if (declaration.name == key)
                return declaration.value;
        }
        return {};
    }

    NodeRef m_element;
};

bool IsBoxWidthProperty(std::u16string_view name) {
    static constexpr std::u16string_view kBox[] = {
        u"margin-top",       u"margin-right",       u"margin-bottom",       u"margin-left",
        u"padding-top",      u"padding-right",      u"padding-bottom",      u"padding-left",
        u"border-top-width", u"border-right-width", u"border-bottom-width", u"border-left-width"};
    for (auto box : kBox) {
        if (name == box)
            return true;
    }
    return false;
}

class ComputedStyle final : public nsSupportsImpl<ComputedStyle, nsIDOMCSSStyleDeclaration> {
public:
    explicit ComputedStyle(Element& element) : m_element(&element) {}

    nsresult GetCssText(nsAString& text) override {
        text.clear();
        return NS_OK;
    }
    nsresult SetCssText(const nsAString&) override { return NS_ERROR_NOT_AVAILABLE; }
    nsresult GetPropertyValue(const nsAString& name, nsAString& value) override {
        value = Value(name);
        return NS_OK;
    }
    nsresult GetPropertyCSSValue(const nsAString& name, nsIDOMCSSValue** value) override {
        if (!value)
            return NS_ERROR_NULL_POINTER;
        *value = NewCSSValue(Value(name)).forget();
        return NS_OK;
    }
    nsresult SetProperty(const nsAString&, const nsAString&, const nsAString&) override {
        return NS_ERROR_NOT_AVAILABLE;
    }
    nsresult RemoveProperty(const nsAString&, nsAString& oldValue) override {
        oldValue.clear();
        return NS_ERROR_NOT_AVAILABLE;
    }
    nsresult GetLength(PRUint32* length) override {
        if (!length)
            return NS_ERROR_NULL_POINTER;
        *length = 0;
        return NS_OK;
    }
    nsresult Item(PRUint32, nsAString& name) override {
        name.clear();
        return NS_OK;
    }

private:
    nsString Value(std::u16string_view name) const {
        auto& element = static_cast<Element&>(*m_element);
        nsString key = AsciiLower(Trim(name));
        Document* document = element.OwnerDocument();
        if (LayoutHook* layout = document ? document->Layout() : nullptr) {
            std::optional<nsString> value = layout->ComputedValue(element, key);
            return value ? *value : nsString();
        }
        for (const auto& declaration : ParseDeclarations(element.Attribute(u"style"))) {
            if (declaration.name == key)
                return declaration.value;
        }
        return IsBoxWidthProperty(key) ? nsString(u"0px") : nsString();
    }

    NodeRef m_element;
};

} // namespace

nsCOMPtr<nsIDOMCSSPrimitiveValue> NewCSSValue(std::u16string_view text) {
    text = Trim(text);
    if (text.empty())
        return nullptr;
    return nsCOMPtr<nsIDOMCSSPrimitiveValue>(new CSSPrimitiveValue(text));
}

nsresult NewInlineStyle(Element& element, nsIDOMCSSStyleDeclaration** style) {
    if (!style)
        return NS_ERROR_NULL_POINTER;
    *style = new InlineStyle(element);
    (*style)->AddRef();
    return NS_OK;
}

nsresult NewComputedStyle(Element& element, nsIDOMCSSStyleDeclaration** style) {
    if (!style)
        return NS_ERROR_NULL_POINTER;
    *style = new ComputedStyle(element);
    (*style)->AddRef();
    return NS_OK;
}

} // namespace dom
