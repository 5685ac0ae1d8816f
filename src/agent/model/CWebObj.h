#pragma once
// The test object base shared by browser, page, frame and element objects.
//
//   CWebObjRef page = CWebObjRef(new CNS6Page(...));   // owned by its parent
//   browser->AddChild(page);
//   CWebObjRef child = browser->GetChild(1);           // null when out of range
//   if (child.IsValid()) child->GetProperty("class", value);
//
// Elements are reference-counted and live as long as a handle refers to them.
// Browser, page and frame objects are owned by their parent (through owning
// pointers); handles to them are weak links that the object clears when it is
// deleted, and ask the link before every use.

#include "agent/channel/CWebInfo.h"
#include "agent/channel/CWebRunTimeID.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class CWebObj;
class CWebObjUtil;
class IAgentContext;
using TextMatchFunction = bool (*)(std::string& described, std::string_view actual);

class IRefCount {
public:
    virtual ~IRefCount() = default;
    int32_t Increment() { return ++m_Count; }
    // Releasing more counts than were taken is a fault of the caller: debug
    // builds stop on it; release builds keep the count at 0. Deletion is the
    // handle's decision.
    int32_t Decrement();
    int32_t Count() const { return m_Count; }

private:
    int32_t m_Count = 0;
};

enum class Refcounted : uint8_t { No, Yes };

// The revocable link behind weak handles: an object makes it on first demand
// and clears it in its destructor, so a holder asks the link (never the
// object's memory, never a process-wide table) whether the object is alive.
class CWebObjLink {
public:
    explicit CWebObjLink(CWebObj* target) : m_Target(target) {}
    CWebObj* Get() const { return m_Target; }
    void Revoke() { m_Target = nullptr; }

private:
    CWebObj* m_Target; // observes; cleared by the target's destructor
};

class CWebObjRef {
public:
    CWebObjRef() = default;
    explicit CWebObjRef(CWebObj* target) { Set(target); }
    CWebObjRef(const CWebObjRef& other) { Set(other.Get()); }
    CWebObjRef& operator=(const CWebObjRef& other);
    CWebObjRef(CWebObjRef&& other) noexcept;
    CWebObjRef& operator=(CWebObjRef&& other) noexcept;
    ~CWebObjRef() { Clear(); }

    // False for null and for an owned target that was deleted meanwhile.
    bool IsValid() const { return Get() != nullptr; }
    bool IsNull() const { return m_Counted == nullptr && m_Link == nullptr; }
    // The target, or null when it is gone; never a dangling pointer.
    CWebObj* Get() const { return m_Link != nullptr ? m_Link->Get() : m_Counted; }
    CWebObj* operator->() const { return Get(); }
    explicit operator bool() const { return IsValid(); }

    void Clear();
    // Deletes a live owned target; counted targets are left to their handles.
    void Destroy();

private:
    void Set(CWebObj* target);

    CWebObj* m_Counted = nullptr;        // counted target: owns one count
    std::shared_ptr<CWebObjLink> m_Link; // owned target: the link it revokes
};

// How a parent holds a child: sole ownership of an owned object, one count of
// a counted one.
struct CWebObjRelease {
    void operator()(CWebObj* object) const;
};
using CWebObjOwner = std::unique_ptr<CWebObj, CWebObjRelease>;

class IWebObj : public virtual IRefCount {
public:
    virtual void GetRunTimeID(CWebRunTimeID& out) const = 0;
    virtual void SetParent(const CWebObjRef& parent) = 0;
    virtual bool AddChild(const CWebObjRef& child) = 0;
    virtual void RemoveChild(const CWebObjRef& child) = 0;
    virtual bool GetProperty(std::string_view name, CWebVariantList& value) = 0;
    virtual bool GetPropertyAt(std::string& name, CWebVariantList& value, int position) = 0;
    virtual bool GetAllProperties(CWebInfo& record) = 0;
    virtual bool GetProperties(CWebInfo& record) = 0;
    virtual const CWebRunTimeID& RunTimeID() const = 0;
    virtual CWebObjRef GetParent() = 0;
    virtual CWebObjRef GetChildByValue(const CWebVariantList& value) = 0;
    virtual CWebObjRef GetChild(int position) = 0;
    virtual CWebObjRef FindDescendant(const CWebRunTimeID& id) = 0;
    virtual CWebObjRef GetChildById(const CWebRunTimeID& id) = 0;
    virtual void ReleaseChildren() = 0;
    virtual int GetChildCount() = 0;
    virtual int IndexOfChild(const CWebObjRef& child) = 0;
    virtual bool CollectDescendants(std::vector<CWebObjRef>& out, int32_t flags) = 0;
    virtual bool CollectChildren(std::vector<CWebObjRef>& out, int32_t flags) = 0;
    virtual void GetDescription(CWebInfo& obligatory, CWebInfo& optional, std::string& selector,
                                std::string& tagAttr) = 0;
    virtual void GetDescriptionTemplate(CWebInfo& obligatory, CWebInfo& optional,
                                        std::string& selector, std::string& tagAttr) = 0;
    virtual bool MatchProperty(std::string_view name, const CWebVariantList& expected,
                               bool fullMatch) = 0;
    virtual bool CallMethod(std::string_view method, CWebInfo& record) = 0;
    virtual int32_t Reserved(int32_t, int32_t) = 0;
    virtual uint32_t GetClassFlags() const = 0;

    bool IsRefcounted() const { return m_Refcounted; }

protected:
    bool m_Refcounted = false;
};

class CWebObj : public IWebObj {
public:
    explicit CWebObj(void* node = nullptr, CWebObjRef parent = {});
    CWebObj(const CWebObj&) = delete;
    CWebObj& operator=(const CWebObj&) = delete;
    ~CWebObj() override;

    void GetRunTimeID(CWebRunTimeID& out) const override { out = m_Id; }
    // Also hands the parent's context to a child that was given none.
    void SetParent(const CWebObjRef& parent) override;
    bool AddChild(const CWebObjRef& child) override;
    void RemoveChild(const CWebObjRef& child) override;
    bool GetProperty(std::string_view name, CWebVariantList& value) override;
    bool GetAllProperties(CWebInfo& record) override;
    bool GetProperties(CWebInfo& record) override;
    const CWebRunTimeID& RunTimeID() const override { return m_Id; }
    CWebObjRef GetParent() override;
    CWebObjRef GetChildByValue(const CWebVariantList& value) override;
    CWebObjRef GetChild(int position) override;
    CWebObjRef FindDescendant(const CWebRunTimeID& id) override;
    CWebObjRef GetChildById(const CWebRunTimeID& id) override;
    void ReleaseChildren() override;
    // The number of children, not counting those deleted since the last
    // purge; positions are 1-based over the same children.
    int GetChildCount() override;
    int IndexOfChild(const CWebObjRef& child) override;
    bool CollectDescendants(std::vector<CWebObjRef>& out, int32_t flags) override;
    bool CollectChildren(std::vector<CWebObjRef>& out, int32_t flags) override;
    void GetDescription(CWebInfo& obligatory, CWebInfo& optional, std::string& selector,
                        std::string& tagAttr) override;
    void GetDescriptionTemplate(CWebInfo& obligatory, CWebInfo& optional, std::string& selector,
                                std::string& tagAttr) override;
    bool MatchProperty(std::string_view name, const CWebVariantList& expected,
                       bool fullMatch) override;
    bool CallMethod(std::string_view, CWebInfo&) override { return false; }
    int32_t Reserved(int32_t, int32_t) override;
    uint32_t GetClassFlags() const override;
    virtual bool BuildChildren() { return true; }

    bool EnsureChildren();
    const CWebObjUtil* GetUtil() const { return m_Util; }
    void* GetNode() const { return m_Node; }

    // The link weak handles share; made on first demand.
    const std::shared_ptr<CWebObjLink>& GetLink();

    // Drops the slots of children deleted since the last purge, so that
    // positions run over live children only. Children are never dropped while
    // the parent walks them: the operations that work by position purge first.
    void PurgeRemovedChildren();

    // The agent context: the one handed to this object, else its parent's at
    // the time it was added, else the process's. May be null.
    IAgentContext* GetContext() const;
    void SetContext(IAgentContext* context) { m_Context = context; }
    // A tool option through the context; 0 without one.
    int32_t GetOption(std::string_view name) const;
    // The context's text comparison; null (plain equality) without one.
    TextMatchFunction TextMatcher() const;

protected:
    void SetUtil(const CWebObjUtil* util) { m_Util = util; }
    void SetId(const CWebRunTimeID& id) { m_Id = id; }
    void MarkRefcounted() { m_Refcounted = true; }
    void TrimValues(CWebInfo& record) const;

    // The child at a 0-based slot, or null for one deleted since the last
    // purge. Observes: the slot owns it.
    CWebObj* ChildAt(size_t slot) const { return m_Children[slot].get(); }
    size_t GetChildSlotCount() const { return m_Children.size(); }

    CWebRunTimeID m_Id;
    bool m_Building = false;
    const CWebObjUtil* m_Util = nullptr; // shared, lives until unload
    void* m_Node = nullptr;              // the native object this stands for; observes

private:
    CWebObj* ParentObject() const;
    // Links to the parent without taking a count of it.
    void SetParentObject(CWebObj* parent);
    // The child leaves its slot (empty until the next purge) without being
    // deleted: it is being deleted by someone else, or handed back.
    void DetachChild(CWebObj* child);

    std::shared_ptr<CWebObjLink> m_ParentLink;        // the parent's link; observes through it
    std::vector<CWebObjOwner> m_Children;             // owning; a deleted child leaves null
    std::map<CWebRunTimeID, CWebObj*> m_ChildrenById; // observes the owned children
    size_t m_IndexInParent = 0;          // our slot in the parent, until its next purge
    size_t m_RemovedChildren = 0;        // empty slots waiting for the purge
    bool m_InParent = false;             // a parent's slot owns us
    std::shared_ptr<CWebObjLink> m_Link; // made on demand, revoked on destruction
    IAgentContext* m_Context = nullptr;  // observes: the trap state's context outlives objects
};
