#include "agent/record/CEventUtil.h"

#include "agent/channel/CWebVariant.h"
#include "agent/elements/CNS6Obj.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <utility>

namespace {

struct DefaultRule {
    std::string_view kind;
    std::string_view handler;
    EventRule rule;
};

constexpr std::array kDefaultRules{
    DefaultRule{"html_text_link", "onclick", {kRuleAlways, kRuleRecord}},
    DefaultRule{"html_img_link", "onclick", {kRuleAlways, kRuleRecord}},
    DefaultRule{"html_rect", "onclick", {kRuleAlways, kRuleRecord}},
    DefaultRule{"html_push_button", "onclick", {kRuleAlways, kRuleRecord}},
    DefaultRule{"html_radio_button", "onclick", {kRuleAlways, kRuleRecord}},
    DefaultRule{"html_check_button", "onclick", {kRuleAlways, kRuleRecord}},
    DefaultRule{"html_edit", "onclick", {kRuleAlways, 1}},
    DefaultRule{"html_edit", "onchange", {kRuleAlways, kRuleRecord}},
    DefaultRule{"html_edit", "onblur", {kRuleAlways, kRuleRecord}},
    DefaultRule{"html_file", "onfocus", {kRuleAlways, kRuleRecord}},
    DefaultRule{"html_file", "onblur", {kRuleAlways, kRuleRecord}},
    DefaultRule{"html_listbox", "onchange", {kRuleAlways, kRuleRecord}},
    DefaultRule{"html_listbox", "onselect", {kRuleAlways, kRuleRecord}},
    DefaultRule{"html_combobox", "onchange", {kRuleAlways, kRuleRecord}},
    DefaultRule{"html_general_element", "onclick", {kRuleWithAttribute, kRuleRecord}},
    DefaultRule{"SPAN", "onpropertychange", {kRuleAlways, 1}},
    DefaultRule{"DIV", "onpropertychange", {kRuleAlways, 1}},
    DefaultRule{"BODY", "onpropertychange", {kRuleAlways, 1}},
};

// Event types and the handler attribute each one is recorded under.
constexpr std::array<std::pair<std::string_view, std::string_view>, 16> kHandlerNames{{
    {"change", "onchange"},
    {"click", "onclick"},
    {"dblclick", "ondblclick"},
    {"blur", "onblur"},
    {"focus", "onfocus"},
    {"keydown", "onkeydown"},
    {"keyup", "onkeyup"},
    {"mousedown", "onmousedown"},
    {"mouseup", "onmouseup"},
    {"select", "onselect"},
    {"mouseover", "onmouseover"},
    {"mouseout", "onmouseout"},
    {"reset", "onreset"},
    {"submit", "onsubmit"},
    {"propertychange", "onpropertychange"},
    {"command", "oncommand"},
}};

std::string WithOnPrefix(std::string_view handler) {
    if (handler.starts_with("on")) {
        return std::string(handler);
    }
    return "on" + std::string(handler);
}

std::string ClassOf(CWebObj& object) {
    CWebVariantList value;
    if (!object.GetProperty("class", value) || value.GetType() != WebVariantType::String ||
        value.IsEmpty()) {
        return {};
    }
    return value.GetAt(0)->GetString();
}

bool HasHandlerAttribute(CWebObj& object, std::string_view handler) {
    auto* element = dynamic_cast<CNS6Obj*>(&object);
    return element != nullptr && element->HasAttributeValue(handler);
}

} // namespace

std::string_view HandlerNameOfEvent(std::string_view type) {
    for (const auto& [eventType, handler] : kHandlerNames) {
        if (eventType == type) {
            return handler;
        }
    }
    return {};
}

bool CEventUtil::CaseInsensitiveLess::operator()(std::string_view a, std::string_view b) const {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) <
               std::tolower(static_cast<unsigned char>(y));
    });
}

CEventUtil::CEventUtil() {
    LoadDefaults();
}

void CEventUtil::LoadDefaults() {
    m_Rules.clear();
    for (const DefaultRule& entry : kDefaultRules) {
        AddRule(entry.kind, entry.handler, entry.rule.condition, entry.rule.action);
    }
}

void CEventUtil::AddRule(std::string_view kind, std::string_view handler, int32_t condition,
                         int32_t action) {
    auto outer = m_Rules.find(kind);
    if (outer == m_Rules.end()) {
        outer = m_Rules.emplace(std::string(kind), HandlerRules{}).first;
    }
    outer->second.insert_or_assign(WithOnPrefix(handler), EventRule{condition, action});
}

void CEventUtil::Configure(std::string_view kind, std::string_view handler, int32_t condition,
                           int32_t action) {
    if (kind == "All" && handler == "Default") {
        LoadDefaults();
    }
    if (action == 0) {
        if (auto outer = m_Rules.find(kind); outer != m_Rules.end()) {
            if (auto inner = outer->second.find(WithOnPrefix(handler));
                inner != outer->second.end()) {
                outer->second.erase(inner);
            }
        }
        return;
    }
    AddRule(kind, handler, condition, action);
}

const EventRule* CEventUtil::FindRule(std::string_view kind, std::string_view handler) const {
    auto outer = m_Rules.find(kind);
    if (outer == m_Rules.end()) {
        return nullptr;
    }
    auto inner = outer->second.find(handler);
    return inner != outer->second.end() ? &inner->second : nullptr;
}

nsresult CEventUtil::ShouldRecord(CWebObj& object, std::string_view handler,
                                  std::string_view tag) const {
    const std::string testClass = ClassOf(object);
    for (std::string_view kind :
         {tag, std::string_view(testClass), std::string_view("html_object")}) {
        const EventRule* rule = FindRule(kind, handler);
        if (rule == nullptr) {
            continue;
        }
        if (rule->condition != kRuleAlways && !HasHandlerAttribute(object, handler)) {
            continue;
        }
        return (rule->action & kRuleRecord) != 0 ? NS_OK : E_FAIL;
    }
    return E_FAIL;
}
