#pragma once
// The class descriptor shared by every test object of one class: the class
// chain the tool sees, a flags word and the description template the tool
// configured. One instance per class lives from load to unload; objects only
// point to it.

#include "agent/channel/CWebInfo.h"
#include "agent/model/CWebObj.h"

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
    // The flags word of the browser, page and frame utilities.
    static constexpr uint32_t kStructureFlags = 2;

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
    // Counts the template changes of every class since load, so that
    // descriptions cached with an older template can tell.
    static uint64_t GetTemplateGeneration();

    // The nearest of the object itself and its ancestors whose "class"
    // matches "html_frame"; null when there is none.
    CWebObjRef GetEnclosingFrame(const CWebObjRef& object) const;
    // The 0-based position of the object among the objects of its class in
    // its frame, in the order of the description search; -1 when the search
    // fails or does not list it.
    int GetClassIndex(std::string_view className, const CWebRunTimeID& id) const;

    // Checkpoint text cleaning: TABs become spaces, line breaks go (unless the
    // tool option "Dont remove special chars" is set), braces go on request.
    // False for an empty text, which stays untouched.
    static bool CleanText(std::string& text, bool removeBraces);
    // Removes spaces, carriage returns and line feeds at both ends.
    static bool TrimText(std::string& text);
    // Removes every space, carriage return and line feed.
    static bool SqueezeText(std::string& text);

    // Checkpoint writers (CheckpointFiles.cpp). Each reads "file_name" from
    // the record, writes through the runtime's text-mode files and answers
    // whether it handled the request; failures are the record's result code
    // (E_INVALIDARG), and a failed writer leaves the file untouched.
    //
    // "WriteFormatHeader": empties the file.
    bool WriteFormatHeader(const CWebObjRef& object, CWebInfo& record) const;
    // "WriteFormatToFile": the object's class at "level" TABs, then its
    // specific children one level deeper, depth first.
    bool WriteFormatToFile(const CWebObjRef& object, CWebInfo& record) const;
    // "WriteAttrValToFile": appends the string value of the property that
    // "attr_name" names, without a line end.
    bool WriteAttrValToFile(const CWebObjRef& object, CWebInfo& record) const;

    // The checkpoint writers of links and images first check that the
    // request's "class" value matches this class (a name or a "!" pattern).
    bool MatchesRequestedClass(const CWebObjRef& object, const CWebInfo& record) const;

protected:
    void ClearTemplate() { m_Template = DescriptionTemplate{{}, {}, {}, {}}; }

private:
    uint32_t m_Flags;
    std::vector<std::string> m_Chain;
    DescriptionTemplate m_Template;
};
