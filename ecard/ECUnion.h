// Union groups: named groups that can also hold objects of their own. The e-card user keeps three
// union groups in memory; nothing stores them.
#pragma once

#include "core/Group.h"
#include "core/StringListXString.h"
#include "platform/base/Collections.h"

class CUnion : public CGroup {
    DECLARE_DYNCREATE(CUnion)
public:
    explicit CUnion(LPCTSTR lpszName = nullptr) : CGroup(lpszName) {}
};

class CUnionGroup : public CGroup {
    DECLARE_DYNCREATE(CUnionGroup)
public:
    explicit CUnionGroup(LPCTSTR lpszName = nullptr) : CGroup(lpszName) {}
    ~CUnionGroup() override;

    // The group takes the object and deletes it when cleared.
    void AddObject(CObject* pObject) { m_objects.AddTail(pObject); }
    // Deletes the owned objects, then empties the group.
    virtual void Clear();
    // The head of the owned objects, else the first content, else null.
    virtual CObject* GetFirstItem() const;
    int GetObjectCount() const { return (int)m_objects.GetCount(); }

private:
    CObList m_objects;
};

class CECUnion : public CUnion {
    DECLARE_DYNCREATE(CECUnion)
public:
    explicit CECUnion(LPCTSTR lpszName = nullptr) : CUnion(lpszName) {}

    CString m_head[3];
    CString m_details[5];
    CXStringList m_lists[6];
};

class CECUnionGroup : public CUnionGroup {
    DECLARE_DYNCREATE(CECUnionGroup)
public:
    explicit CECUnionGroup(LPCTSTR lpszName = nullptr) : CUnionGroup(lpszName) {}
};
