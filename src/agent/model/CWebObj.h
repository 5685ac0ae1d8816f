#pragma once
// The test object base shared by browser, page, frame and element objects.
//
//   CWebObjRef page = CWebObjRef(new CNS6Page(...));   // owned by its parent
//   browser->AddChild(page);
//   CWebObjRef child = browser->GetChild(1);           // null when out of range
//   if (child.IsValid()) child->GetProperty("class", value);
//
// Elements are reference-counted and live as long as a handle refers to them.
// Browser, page and frame objects are owned by their parent; handles to them
// only observe and ask a registry of live objects before every use.

#include "agent/channel/CWebInfo.h"
#include "agent/channel/CWebRunTimeID.h"

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

class CWebObj;
class CWebObjUtil;

class IRefCount {
public:
    virtual ~IRefCount() = default;
    int32_t Increment() { return ++m_Count; }
    // Never below 0; deletion is the handle's decision.
    int32_t Decrement() {
        if (m_Count > 0) {
            --m_Count;
        }
        return m_Count;
    }
    int32_t Count() const { return m_Count; }

private:
    int32_t m_Count = 0;
};

enum class Refcounted : uint8_t { No, Yes };

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
    bool IsValid() const;
    bool IsNull() const { return m_Target == nullptr; }
    // The target, or null when it is gone; never a dangling pointer.
    CWebObj* Get() const { return IsValid() ? m_Target : nullptr; }
    CWebObj* operator->() const { return Get(); }
    explicit operator bool() const { return IsValid(); }

    void Clear();
    // Deletes a live owned target; counted targets are left to their handles.
    void Destroy();

private:
    void Set(CWebObj* target);

    CWebObj* m_Target = nullptr; // counted: owns one count; owned: observes
    uint64_t m_Serial = 0;       // identity of an owned target in the registry
    bool m_Counted = false;
};

// Tool options the base reads ("TrimProperties" and the like); 0 when unset.
using OptionReader = std::function<int32_t(std::string_view)>;
void SetWebObjOptionReader(OptionReader reader);
int32_t GetWebObjOption(std::string_view name);

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
    void SetParent(const CWebObjRef& parent) override {
        m_Parent = parent.Get();
        m_ParentSerial = m_Parent != nullptr ? m_Parent->Serial() : 0;
    }
    bool AddChild(const CWebObjRef& child) override;
    void RemoveChild(const CWebObjRef& child) override;
    bool GetProperty(std::string_view name, CWebVariantList& value) override;
    bool GetAllProperties(CWebInfo& record) override;
    bool GetProperties(CWebInfo& record) override;
    const CWebRunTimeID& RunTimeID() const override { return m_Id; }
    CWebObjRef GetParent() override { return CWebObjRef(m_Parent); }
    CWebObjRef GetChildByValue(const CWebVariantList& value) override;
    CWebObjRef GetChild(int position) override;
    CWebObjRef FindDescendant(const CWebRunTimeID& id) override;
    CWebObjRef GetChildById(const CWebRunTimeID& id) override;
    void ReleaseChildren() override;
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

    // Registry of live owned objects, consulted by handles.
    static bool IsLive(const CWebObj* object, uint64_t serial);
    uint64_t Serial() const { return m_Serial; }

protected:
    void SetUtil(const CWebObjUtil* util) { m_Util = util; }
    void SetId(const CWebRunTimeID& id) { m_Id = id; }
    void MarkRefcounted() { m_Refcounted = true; }
    void TrimValues(CWebInfo& record) const;

    CWebObj* m_Parent = nullptr; // observes; checked against the registry before use
    uint64_t m_ParentSerial = 0;
    std::map<CWebRunTimeID, CWebObj*> m_ChildrenById;
    std::vector<CWebObj*> m_Children; // owned for owned objects
    std::map<CWebObj*, CWebRunTimeID> m_PendingRemovals;
    CWebRunTimeID m_Id;
    bool m_Building = false;
    const CWebObjUtil* m_Util = nullptr; // shared, lives until unload
    bool m_NotifyParent = true;
    void* m_Node = nullptr; // the native object this stands for; observes

private:
    uint64_t m_Serial;
};
