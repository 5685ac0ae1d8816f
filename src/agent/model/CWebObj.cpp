#include "agent/model/CWebObj.h"

#include "agent/classutil/CWebObjUtil.h"

#include <unordered_map>

namespace {

// Owned objects by address with the serial they were given, so that a handle
// can tell a deleted object (or a new one at the same address) from a live one
// without touching its memory.
std::unordered_map<const CWebObj*, uint64_t>& LiveObjects() {
    static std::unordered_map<const CWebObj*, uint64_t> live;
    return live;
}
uint64_t g_NextSerial = 1;

OptionReader& Reader() {
    static OptionReader reader;
    return reader;
}

} // namespace

void SetWebObjOptionReader(OptionReader reader) {
    Reader() = std::move(reader);
}

int32_t GetWebObjOption(std::string_view name) {
    return Reader() ? Reader()(name) : 0;
}

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
    : m_Target(other.m_Target), m_Serial(other.m_Serial), m_Counted(other.m_Counted) {
    other.m_Target = nullptr;
    other.m_Counted = false;
}

CWebObjRef& CWebObjRef::operator=(CWebObjRef&& other) noexcept {
    if (this != &other) {
        Clear();
        m_Target = other.m_Target;
        m_Serial = other.m_Serial;
        m_Counted = other.m_Counted;
        other.m_Target = nullptr;
        other.m_Counted = false;
    }
    return *this;
}

void CWebObjRef::Set(CWebObj* target) {
    m_Target = target;
    m_Counted = target != nullptr && target->IsRefcounted();
    m_Serial = target != nullptr ? target->Serial() : 0;
    if (m_Counted) {
        target->Increment();
    }
}

bool CWebObjRef::IsValid() const {
    if (m_Target == nullptr) {
        return false;
    }
    return m_Counted || CWebObj::IsLive(m_Target, m_Serial);
}

void CWebObjRef::Clear() {
    CWebObj* target = m_Target;
    bool counted = m_Counted;
    m_Target = nullptr;
    m_Counted = false;
    if (counted && target->Decrement() < 1) {
        delete target;
    }
}

void CWebObjRef::Destroy() {
    if (m_Target != nullptr && !m_Counted && IsValid()) {
        CWebObj* target = m_Target;
        m_Target = nullptr;
        delete target;
    }
}

CWebObj::CWebObj(void* node, CWebObjRef parent)
    : m_Parent(parent.Get()), m_Node(node), m_Serial(g_NextSerial++) {
    m_ParentSerial = m_Parent != nullptr ? m_Parent->Serial() : 0;
    LiveObjects()[this] = m_Serial;
}

CWebObj::~CWebObj() {
    LiveObjects().erase(this);
    if (m_Refcounted) {
        return;
    }
    if (m_NotifyParent && m_Parent != nullptr && IsLive(m_Parent, m_ParentSerial)) {
        // The parent drops us at its next count, never while it iterates.
        m_Parent->m_PendingRemovals[this] = m_Id;
    }
    ReleaseChildren();
}

bool CWebObj::IsLive(const CWebObj* object, uint64_t serial) {
    auto it = LiveObjects().find(object);
    return it != LiveObjects().end() && it->second == serial;
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
    if (!m_PendingRemovals.empty()) {
        for (auto it = m_Children.begin(); it != m_Children.end();) {
            auto pending = m_PendingRemovals.find(*it);
            if (pending == m_PendingRemovals.end()) {
                ++it;
                continue;
            }
            auto byId = m_ChildrenById.find(pending->second);
            if (byId != m_ChildrenById.end() && byId->second == *it) {
                m_ChildrenById.erase(byId);
            }
            it = m_Children.erase(it);
        }
        m_PendingRemovals.clear();
    }
    return static_cast<int>(m_Children.size());
}

bool CWebObj::AddChild(const CWebObjRef& child) {
    // Only the purge of pending removals: an override of the child count may
    // collect children, and a page collecting its frames registers new ones
    // through AddChild again.
    CWebObj::GetChildCount();
    if (CWebObj* target = child.Get()) {
        target->SetParent(CWebObjRef(this));
        m_ChildrenById[target->RunTimeID()] = target;
        m_Children.push_back(target);
    }
    return true;
}

void CWebObj::RemoveChild(const CWebObjRef& child) {
    if (CWebObj* target = child.Get()) {
        m_PendingRemovals[target] = target->RunTimeID();
    }
}

void CWebObj::ReleaseChildren() {
    int count = GetChildCount();
    std::vector<CWebObj*> children(m_Children.begin(), m_Children.begin() + count);
    m_Children.clear();
    m_ChildrenById.clear();
    for (CWebObj* child : children) {
        if (child != nullptr && LiveObjects().contains(child)) {
            child->m_NotifyParent = false; // we are emptying the lists ourselves
            delete child;
        }
    }
    m_PendingRemovals.clear();
}

CWebObjRef CWebObj::GetChildByValue(const CWebVariantList& value) {
    if (value.GetType() == WebVariantType::Integer && !value.IsEmpty()) {
        return GetChild(value.GetAt(0)->GetInteger());
    }
    return {};
}

CWebObjRef CWebObj::GetChild(int position) {
    if (!EnsureChildren() || position < 1 || position > GetChildCount()) {
        return {};
    }
    return CWebObjRef(m_Children[static_cast<size_t>(position - 1)]);
}

CWebObjRef CWebObj::FindDescendant(const CWebRunTimeID& id) {
    if (!EnsureChildren()) {
        return {};
    }
    // Work on a copy: a child's own build may prune siblings.
    int count = GetChildCount();
    std::vector<CWebObjRef> children;
    for (int i = 0; i < count; ++i) {
        children.emplace_back(m_Children[static_cast<size_t>(i)]);
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
    GetChildCount();
    auto it = m_ChildrenById.find(id);
    return it == m_ChildrenById.end() ? CWebObjRef() : CWebObjRef(it->second);
}

int CWebObj::IndexOfChild(const CWebObjRef& child) {
    if (!EnsureChildren() || child.Get() == nullptr) {
        return -1;
    }
    int count = GetChildCount();
    for (int i = 0; i < count; ++i) {
        if (m_Children[static_cast<size_t>(i)] == child.Get()) {
            return i + 1;
        }
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
    int32_t limit = GetWebObjOption("TrimProperties");
    if (limit > 0) {
        record.TrimStrings(static_cast<size_t>(limit), TrimAs::Text);
    }
}

bool CWebObj::GetProperty(std::string_view name, CWebVariantList& value) {
    std::string copy(name);
    bool known = GetPropertyAt(copy, value, -1);
    int32_t limit = GetWebObjOption("TrimProperties");
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
    int32_t limit = GetWebObjOption("TrimDescriptionProperties");
    if (limit >= 1) {
        obligatory.TrimStrings(static_cast<size_t>(limit), TrimAs::Pattern);
        optional.TrimStrings(static_cast<size_t>(limit), TrimAs::Pattern);
    }
}

namespace {

constexpr size_t kCutNameLength = 90;

// Tabs become blanks, line breaks go unless the tool keeps them, braces go.
std::string CleanName(std::string_view text) {
    bool keepBreaks = GetWebObjOption("Dont remove special chars") != 0;
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
            if (item.Matches(*expected.GetAt(0))) {
                return true;
            }
        }
        return false;
    }
    if (name == "contains_text") {
        CWebInfo record;
        record.AddAttr("text", expected);
        return CallMethod("ContainsText", record) &&
               record.GetRetValue() != static_cast<nsresult>(0x80040202);
    }
    CWebVariantList actual;
    GetProperty(name, actual);
    if (name == "name" && GetWebObjOption("CompareCutName") == 1) {
        const std::string* want = FirstString(expected);
        const std::string* have = FirstString(actual);
        if (want == nullptr || have == nullptr || want->empty() || have->empty()) {
            return false;
        }
        CWebVariantList cutWant;
        CWebVariantList cutHave;
        cutWant.Set(std::string_view(CleanName(*want)));
        cutHave.Set(std::string_view(CleanName(*have)));
        return fullMatch ? cutHave.Matches(cutWant) : cutWant.FirstEquals(cutHave);
    }
    if (!fullMatch) {
        return expected.FirstEquals(actual);
    }
    if (actual.Matches(expected)) {
        return true;
    }
    if (actual.GetType() != expected.GetType() && !expected.IsEmpty() && !actual.IsEmpty()) {
        CWebVariant converted = *expected.GetAt(0);
        if (converted.ConvertTo(actual.GetType())) {
            return actual.GetAt(0)->Matches(converted);
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
