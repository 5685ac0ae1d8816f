#pragma once
// The class descriptor shared by every test object of one class: the class
// chain the tool sees, a flags word and the description template the tool
// configured. One instance per class lives from load to unload; objects only
// point to it.

#include "agent/channel/CWebInfo.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

struct DescriptionTemplate {
    CWebInfo obligatory;
    CWebInfo optional;
    std::string selector;
    std::string tagAttr = "name";
};

class CWebObjUtil {
public:
    // Objects of a class with this flag stay out of the "id" list returned
    // for several matches.
    static constexpr uint32_t kHiddenFromIdList = 1;

    CWebObjUtil() : CWebObjUtil(0, {"html_object"}) {}
    CWebObjUtil(uint32_t flags, std::initializer_list<std::string_view> chain);
    CWebObjUtil(const CWebObjUtil&) = delete;
    CWebObjUtil& operator=(const CWebObjUtil&) = delete;
    virtual ~CWebObjUtil() = default;

    // The class chain, most specific first, as string items.
    virtual void GetClassNames(CWebVariantList& value) const;
    virtual uint32_t GetClassFlags() const { return m_Flags; }

    // The tag attribute is always replaced (empty becomes "name"); the lists
    // and the selector only when the obligatory list is not empty.
    void SetDescriptionTemplate(const CWebInfo& obligatory, const CWebInfo& optional,
                                std::string_view selector, std::string_view tagAttr);
    const DescriptionTemplate& GetDescriptionTemplate() const { return m_Template; }

private:
    uint32_t m_Flags;
    std::vector<std::string> m_Chain;
    DescriptionTemplate m_Template;
};
