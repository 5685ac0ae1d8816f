#pragma once
// The event rules: which DOM events on which kinds of page element are
// recorded. A two-level table keyed by an element kind (a test class name
// such as "html_push_button" or a tag name such as "SPAN", compared ignoring
// case) and a handler attribute name ("onclick", compared exactly), holding
// a condition and an action for each pair.
//
//     CEventUtil rules;                                   // the defaults
//     rules.Configure("html_table", "click", 2, 2);        // tool adds a rule
//     if (rules.ShouldRecord(object, "onclick", "TABLE") == NS_OK) ...
//
// The recorder (CNS6EventUtil) is the table's owner and only reader.

#include "agent/model/CWebObj.h"
#include "platform/xpcom/nsError.h"

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

// Condition: the rule applies always, or only when the element carries a
// non-empty attribute named like the handler.
inline constexpr int32_t kRuleAlways = 1;
inline constexpr int32_t kRuleWithAttribute = 2;
// Action bit: the event is recorded.
inline constexpr int32_t kRuleRecord = 2;

struct EventRule {
    int32_t condition = kRuleWithAttribute;
    int32_t action = 0;
    friend bool operator==(const EventRule&, const EventRule&) = default;
};

class CEventUtil {
public:
    CEventUtil();
    CEventUtil(const CEventUtil&) = delete;
    CEventUtil& operator=(const CEventUtil&) = delete;
    virtual ~CEventUtil() = default;

    // Clears the table and loads the built-in rules.
    void LoadDefaults();
    // Inserts or replaces a rule; a handler without the "on" prefix gets it.
    void AddRule(std::string_view kind, std::string_view handler, int32_t condition,
                 int32_t action);
    // The tool's change of a rule: "All"/"Default" resets the table first;
    // action 0 removes the rule, any other value adds it.
    void Configure(std::string_view kind, std::string_view handler, int32_t condition,
                   int32_t action);
    // NS_OK when `handler` on `object` (an element of tag `tag`) is to be
    // recorded, E_FAIL when not. Tag rules come before class rules, then
    // the rules of "html_object".
    nsresult ShouldRecord(CWebObj& object, std::string_view handler, std::string_view tag) const;

    // The rule for a pair, if any (for inspection).
    const EventRule* FindRule(std::string_view kind, std::string_view handler) const;
    // The number of element kinds with an entry, empty ones included.
    size_t KindCount() const { return m_Rules.size(); }

private:
    struct CaseInsensitiveLess {
        using is_transparent = void;
        bool operator()(std::string_view a, std::string_view b) const;
    };
    using HandlerRules = std::map<std::string, EventRule, std::less<>>;

    std::map<std::string, HandlerRules, CaseInsensitiveLess> m_Rules;
};

// The handler attribute name of a DOM event type ("click" → "onclick");
// empty for a type that is not recorded.
std::string_view HandlerNameOfEvent(std::string_view type);
