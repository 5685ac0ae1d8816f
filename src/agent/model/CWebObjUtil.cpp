#include "agent/model/CWebObjUtil.h"

#include "agent/common/AgentCodes.h"
#include "agent/common/IAgentContext.h"

#include <algorithm>

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

CWebObjRef CWebObjUtil::GetEnclosingFrame(const CWebObjRef& object) const {
    CWebVariantList frameClass;
    frameClass.Set(std::string_view("html_frame"));
    for (CWebObjRef current = object; current.IsValid(); current = current->GetParent()) {
        if (current->MatchProperty("class", frameClass, true)) {
            return current;
        }
    }
    return {};
}

int CWebObjUtil::GetClassIndex(std::string_view className, const CWebRunTimeID& id) const {
    IAgentContext* context = GetAgentContext();
    if (context == nullptr || !context->HasDispatcher()) {
        return -1;
    }
    CWebInfo request;
    request.SetMsgId(ToInt(MsgId::DescToId));
    request.SetRunTimeID(id.FrameLevel());
    CWebVariantList name;
    name.Set(className);
    request.AddAttr("class", name);
    context->Dispatch(request);
    const nsresult result = request.GetRetValue();
    if (result != NS_OK && result != kResultSeveralFound) {
        return -1;
    }
    const std::string* first = request.GetAttrName(0);
    if (first == nullptr || *first != "id") {
        return -1;
    }
    for (size_t i = 0; i < request.GetAttrCount(); ++i) {
        const CWebVariant* value = request.GetAttrValue(i)->GetAt(0);
        if (value != nullptr && value->GetType() == WebVariantType::RunTimeID &&
            value->GetRunTimeID() == id) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool CWebObjUtil::CleanText(std::string& text, bool removeBraces) {
    if (text.empty()) {
        return false;
    }
    std::replace(text.begin(), text.end(), '\t', ' ');
    IAgentContext* context = GetAgentContext();
    if (context != nullptr && context->HasDispatcher() &&
        context->GetOption("Dont remove special chars") == 0) {
        std::erase_if(text, [](char c) { return c == '\r' || c == '\n'; });
    }
    if (removeBraces) {
        std::erase_if(text, [](char c) { return c == '{' || c == '}'; });
    }
    return true;
}

namespace {

bool IsBlankOrBreak(char c) {
    return c == ' ' || c == '\r' || c == '\n';
}

} // namespace

bool CWebObjUtil::TrimText(std::string& text) {
    if (text.empty()) {
        return false;
    }
    size_t begin = 0;
    while (begin < text.size() && IsBlankOrBreak(text[begin])) {
        ++begin;
    }
    size_t end = text.size();
    while (end > begin && IsBlankOrBreak(text[end - 1])) {
        --end;
    }
    text = text.substr(begin, end - begin);
    return true;
}

bool CWebObjUtil::SqueezeText(std::string& text) {
    if (text.empty()) {
        return false;
    }
    std::erase_if(text, IsBlankOrBreak);
    return true;
}
