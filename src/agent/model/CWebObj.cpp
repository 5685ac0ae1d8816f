#include "agent/model/CWebObj.h"

#include "agent/common/AgentCodes.h"
#include "agent/common/IAgentContext.h"
#include "agent/model/CWebObjUtil.h"

#include <cassert>
#include <utility>

int32_t IRefCount::Decrement() {
    assert(m_Count > 0 && "IRefCount: a count was released below zero");
    if (m_Count > 0) {
        --m_Count;
    }
    return m_Count;
}

void CWebObjRelease::operator()(CWebObj* object) const {
    if (object == nullptr) {
        return;
    }
    if (!object->IsRefcounted()) {
        delete object;
    } else if (object->Decrement() < 1) {
        delete object;
    }
}

// --- CWebObjRef ---

CWebObjRef& CWebObjRef::operator=(const CWebObjRef& other) {
    if (this != &other) {
        CWebObj* target = other.Get();
        CWebObjRef keep(target); // the old target may hold the only count of the new one
        Clear();
        Set(target);
    }
    return *this;
}

CWebObjRef::CWebObjRef(CWebObjRef&& other) noexcept
    : m_Counted(std::exchange(other.m_Counted, nullptr)), m_Link(std::move(other.m_Link)) {}

CWebObjRef& CWebObjRef::operator=(CWebObjRef&& other) noexcept {
    if (this != &other) {
        Clear();
        m_Counted = std::exchange(other.m_Counted, nullptr);
        m_Link = std::move(other.m_Link);
    }
    return *this;
}

void CWebObjRef::Set(CWebObj* target) {
    if (target == nullptr) {
        return;
    }
    if (target->IsRefcounted()) {
        m_Counted = target;
        target->Increment();
    } else {
        m_Link = target->GetLink();
    }
}

void CWebObjRef::Clear() {
    m_Link.reset();
    if (CWebObj* target = std::exchange(m_Counted, nullptr)) {
        CWebObjRelease()(target);
    }
}

void CWebObjRef::Destroy() {
    if (m_Link == nullptr) {
        return;
    }
    // Deleting revokes the link, which every other weak handle shares.
    std::shared_ptr<CWebObjLink> link = std::move(m_Link);
    delete link->Get();
}

// --- CWebObj ---

CWebObj::CWebObj(void* node, CWebObjRef parent) : m_Node(node) {
    SetParentObject(parent.Get());
}

CWebObj::~CWebObj() {
    if (m_Link != nullptr) {
        m_Link->Revoke();
    }
    if (CWebObj* parent = ParentObject(); parent != nullptr && m_InParent) {
        // Deleted by someone else than the parent: the parent's slot lets go
        // of us and is dropped at its next purge, never while it iterates.
        parent->DetachChild(this);
    }
    ReleaseChildren();
}

const std::shared_ptr<CWebObjLink>& CWebObj::GetLink() {
    if (m_Link == nullptr) {
        m_Link = std::make_shared<CWebObjLink>(this);
    }
    return m_Link;
}

CWebObj* CWebObj::ParentObject() const {
    return m_ParentLink != nullptr ? m_ParentLink->Get() : nullptr;
}

void CWebObj::SetParentObject(CWebObj* parent) {
    if (parent == nullptr) {
        m_ParentLink.reset();
        return;
    }
    m_ParentLink = parent->GetLink();
    if (m_Context == nullptr) {
        m_Context = parent->m_Context;
    }
}

void CWebObj::SetParent(const CWebObjRef& parent) {
    SetParentObject(parent.Get());
}

CWebObjRef CWebObj::GetParent() {
    return CWebObjRef(ParentObject());
}

IAgentContext* CWebObj::GetContext() const {
    return m_Context != nullptr ? m_Context : GetAgentContext();
}

TextMatchFunction CWebObj::TextMatcher() const {
    IAgentContext* context = GetContext();
    return context != nullptr ? context->GetTextMatcher() : nullptr;
}

int32_t CWebObj::GetOption(std::string_view name) const {
    IAgentContext* context = GetContext();
    return context != nullptr ? context->GetOption(name) : 0;
}

bool CWebObj::EnsureChildren() {
    if (m_Refcounted || m_Building) {
        return true;
    }
    m_Building = true;
    bool built = BuildChildren();
    m_Building = false;
    return built;
}

int CWebObj::GetChildCount() {
    return static_cast<int>(m_Children.size() - m_RemovedChildren);
}

void CWebObj::PurgeRemovedChildren() {
    if (m_RemovedChildren == 0) {
        return;
    }
    std::erase_if(m_Children, [](const CWebObjOwner& child) { return child == nullptr; });
    for (size_t i = 0; i < m_Children.size(); ++i) {
        m_Children[i]->m_IndexInParent = i;
    }
    m_RemovedChildren = 0;
}

void CWebObj::DetachChild(CWebObj* child) {
    const size_t slot = child->m_IndexInParent;
    if (slot < m_Children.size() && m_Children[slot].get() == child) {
        (void)m_Children[slot].release(); // the caller decides what becomes of it
        ++m_RemovedChildren;
    }
    auto byId = m_ChildrenById.find(child->RunTimeID());
    if (byId != m_ChildrenById.end() && byId->second == child) {
        m_ChildrenById.erase(byId);
    }
    child->m_InParent = false;
}

bool CWebObj::AddChild(const CWebObjRef& child) {
    CWebObj* target = child.Get();
    if (target == nullptr) {
        return true;
    }
    // A child has one owner: a previous parent lets go of it first.
    if (CWebObj* previous = target->ParentObject(); previous != nullptr && target->m_InParent) {
        previous->DetachChild(target);
        if (target->IsRefcounted()) {
            target->Decrement(); // the previous parent's count; the caller's handle holds one
        }
    }
    target->SetParentObject(this);
    target->m_IndexInParent = m_Children.size();
    target->m_InParent = true;
    if (target->IsRefcounted()) {
        target->Increment();
    }
    m_Children.emplace_back(target);
    m_ChildrenById[target->RunTimeID()] = target;
    return true;
}

void CWebObj::RemoveChild(const CWebObjRef& child) {
    CWebObj* target = child.Get();
    if (target == nullptr || !target->m_InParent || target->ParentObject() != this) {
        return;
    }
    // Ownership goes back to the caller; the slot is dropped at the next purge.
    DetachChild(target);
    target->m_ParentLink.reset();
    if (target->IsRefcounted()) {
        target->Decrement(); // ours; the caller's handle still holds one
    }
}

void CWebObj::ReleaseChildren() {
    std::vector<CWebObjOwner> children = std::move(m_Children);
    m_Children.clear();
    m_ChildrenById.clear();
    m_RemovedChildren = 0;
    for (CWebObjOwner& child : children) {
        if (child != nullptr) {
            child->m_InParent = false; // we are emptying the lists ourselves
        }
    }
    children.clear();
}

CWebObjRef CWebObj::GetChildByValue(const CWebVariantList& value) {
    if (value.GetType() == WebVariantType::Integer && !value.IsEmpty()) {
        return GetChild(value.GetAt(0)->GetInteger());
    }
    return {};
}

CWebObjRef CWebObj::GetChild(int position) {
    if (!EnsureChildren()) {
        return {};
    }
    PurgeRemovedChildren();
    if (position < 1 || static_cast<size_t>(position) > m_Children.size()) {
        return {};
    }
    return CWebObjRef(m_Children[static_cast<size_t>(position - 1)].get());
}

CWebObjRef CWebObj::FindDescendant(const CWebRunTimeID& id) {
    if (!EnsureChildren()) {
        return {};
    }
    // Work on a copy: a child's own build may delete siblings.
    PurgeRemovedChildren();
    std::vector<CWebObjRef> children;
    children.reserve(m_Children.size());
    for (const CWebObjOwner& child : m_Children) {
        children.emplace_back(child.get());
    }
    for (CWebObjRef& child : children) {
        if (!child) {
            continue;
        }
        if (child->RunTimeID() == id) {
            return child;
        }
        if (CWebObjRef found = child->FindDescendant(id)) {
            return found;
        }
    }
    return {};
}

CWebObjRef CWebObj::GetChildById(const CWebRunTimeID& id) {
    if (!EnsureChildren()) {
        return {};
    }
    auto it = m_ChildrenById.find(id);
    return it == m_ChildrenById.end() ? CWebObjRef() : CWebObjRef(it->second);
}

int CWebObj::IndexOfChild(const CWebObjRef& child) {
    CWebObj* target = child.Get();
    if (!EnsureChildren() || target == nullptr) {
        return -1;
    }
    PurgeRemovedChildren();
    const size_t slot = target->m_IndexInParent;
    if (target->m_InParent && slot < m_Children.size() && m_Children[slot].get() == target) {
        return static_cast<int>(slot) + 1;
    }
    return -1;
}

namespace {

bool Collect(CWebObj& object, std::vector<CWebObjRef>& out, int32_t flags, bool recurse) {
    if (!object.EnsureChildren() || object.GetChildCount() <= 0) {
        return false;
    }
    int count = object.GetChildCount();
    for (int i = 1; i <= count; ++i) {
        CWebObjRef child = object.GetChild(i);
        if (!child || !child->RunTimeID().MatchesChildFilter(flags)) {
            continue;
        }
        out.push_back(child);
        if (recurse) {
            child->CollectDescendants(out, flags);
        }
    }
    return true;
}

} // namespace

bool CWebObj::CollectDescendants(std::vector<CWebObjRef>& out, int32_t flags) {
    return Collect(*this, out, flags, true);
}

bool CWebObj::CollectChildren(std::vector<CWebObjRef>& out, int32_t flags) {
    return Collect(*this, out, flags, false);
}

void CWebObj::TrimValues(CWebInfo& record) const {
    int32_t limit = GetOption("TrimProperties");
    if (limit > 0) {
        record.TrimStrings(static_cast<size_t>(limit), TrimAs::Text);
    }
}

bool CWebObj::GetProperty(std::string_view name, CWebVariantList& value) {
    std::string copy(name);
    bool known = GetPropertyAt(copy, value, -1);
    int32_t limit = GetOption("TrimProperties");
    if (limit > 0) {
        value.TrimStrings(static_cast<size_t>(limit), TrimAs::Text);
    }
    return known;
}

bool CWebObj::GetAllProperties(CWebInfo& record) {
    record.ClearAttrs();
    for (int k = 0;; ++k) {
        std::string name;
        CWebVariantList value;
        if (!GetPropertyAt(name, value, k)) {
            break;
        }
        record.AddAttr(name, value);
    }
    TrimValues(record);
    return true;
}

bool CWebObj::GetProperties(CWebInfo& record) {
    for (size_t i = 0; i < record.GetAttrCount(); ++i) {
        CWebVariantList value = *record.GetAttrValue(i);
        std::string name = *record.GetAttrName(i);
        // A name the class does not know keeps the value the tool sent, even
        // when the class emptied it before giving up.
        if (GetProperty(name, value)) {
            record.SetAttrValueAt(i, value);
        }
    }
    TrimValues(record);
    return true;
}

void CWebObj::GetDescriptionTemplate(CWebInfo& obligatory, CWebInfo& optional,
                                     std::string& selector, std::string& tagAttr) {
    if (m_Util == nullptr) {
        return;
    }
    const DescriptionTemplate& model = m_Util->GetDescriptionTemplate();
    obligatory = model.obligatory;
    optional = model.optional;
    selector = model.selector;
    tagAttr = model.tagAttr;
}

void CWebObj::GetDescription(CWebInfo& obligatory, CWebInfo& optional, std::string& selector,
                             std::string& tagAttr) {
    if (m_Util == nullptr) {
        return;
    }
    GetDescriptionTemplate(obligatory, optional, selector, tagAttr);
    GetProperties(obligatory);
    GetProperties(optional);
    int32_t limit = GetOption("TrimDescriptionProperties");
    if (limit >= 1) {
        obligatory.TrimStrings(static_cast<size_t>(limit), TrimAs::Pattern);
        optional.TrimStrings(static_cast<size_t>(limit), TrimAs::Pattern);
    }
}

namespace {

constexpr size_t kCutNameLength = 90;

// Tabs become blanks, line breaks go unless the tool keeps them, braces go.
std::string CleanName(std::string_view text, bool keepBreaks) {
    std::string out;
    for (char c : text) {
        if (c == '\t') {
            out += ' ';
        } else if ((c == '\r' || c == '\n') && !keepBreaks) {
            continue;
        } else if (c == '{' || c == '}') {
            continue;
        } else {
            out += c;
        }
    }
    if (out.size() > kCutNameLength) {
        out.resize(kCutNameLength);
    }
    return out;
}

const std::string* FirstString(const CWebVariantList& value) {
    if (value.GetType() != WebVariantType::String || value.IsEmpty()) {
        return nullptr;
    }
    return &value.GetAt(0)->GetString();
}

} // namespace

bool CWebObj::MatchProperty(std::string_view name, const CWebVariantList& expected,
                            bool fullMatch) {
    if (name == "class") {
        CWebVariantList classes;
        GetProperty("class", classes);
        if (FirstString(expected) == nullptr) {
            return false;
        }
        for (const CWebVariant& item : classes.Elements()) {
            if (item.Matches(*expected.GetAt(0), TextMatcher())) {
                return true;
            }
        }
        return false;
    }
    if (name == "contains_text") {
        CWebInfo record;
        record.AddAttr("text", expected);
        return CallMethod("ContainsText", record) && record.GetRetValue() != kResultNotFound;
    }
    CWebVariantList actual;
    GetProperty(name, actual);
    if (name == "name" && GetOption("CompareCutName") == 1) {
        const std::string* want = FirstString(expected);
        const std::string* have = FirstString(actual);
        if (want == nullptr || have == nullptr || want->empty() || have->empty()) {
            return false;
        }
        CWebVariantList cutWant;
        CWebVariantList cutHave;
        const bool keepBreaks = GetOption("Dont remove special chars") != 0;
        cutWant.Set(std::string_view(CleanName(*want, keepBreaks)));
        cutHave.Set(std::string_view(CleanName(*have, keepBreaks)));
        return fullMatch ? cutHave.Matches(cutWant, TextMatcher()) : cutWant.FirstEquals(cutHave);
    }
    if (!fullMatch) {
        return expected.FirstEquals(actual);
    }
    if (actual.Matches(expected, TextMatcher())) {
        return true;
    }
    if (actual.GetType() != expected.GetType() && !expected.IsEmpty() && !actual.IsEmpty()) {
        CWebVariant converted = *expected.GetAt(0);
        if (converted.ConvertTo(actual.GetType())) {
            return actual.GetAt(0)->Matches(converted, TextMatcher());
        }
    }
    return false;
}

int32_t CWebObj::Reserved(int32_t, int32_t) {
    return static_cast<int32_t>(E_FAIL);
}

uint32_t CWebObj::GetClassFlags() const {
    return m_Util != nullptr ? m_Util->GetClassFlags() : 0;
}
