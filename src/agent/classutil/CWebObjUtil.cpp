#include "agent/classutil/CWebObjUtil.h"

CWebObjUtil::CWebObjUtil(uint32_t flags, std::initializer_list<std::string_view> chain)
    : m_Flags(flags) {
    for (std::string_view name : chain) {
        m_Chain.emplace_back(name);
    }
}

void CWebObjUtil::GetClassNames(CWebVariantList& value) const {
    value.Clear();
    for (const std::string& name : m_Chain) {
        value.Append(std::string_view(name));
    }
}

void CWebObjUtil::SetDescriptionTemplate(const CWebInfo& obligatory, const CWebInfo& optional,
                                         std::string_view selector, std::string_view tagAttr) {
    m_Template.tagAttr = tagAttr.empty() ? std::string("name") : std::string(tagAttr);
    if (obligatory.GetAttrCount() == 0) {
        return;
    }
    m_Template.obligatory = obligatory;
    m_Template.optional = optional;
    m_Template.selector = selector;
}
