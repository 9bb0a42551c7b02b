// The node part of every record tree: a name, the group that holds the node and the tree-control
// item that shows it.
#pragma once

#include "core/LockBase.h"
#include "platform/base/CString.h"
#include "platform/base/Types.h"

class CGroup;
class CObject;

class CGroupItem : public CLockBase {
public:
    CGroupItem() = default;
    ~CGroupItem() override = default;

    // The name itself: a rename writes through it.
    virtual CString& GetName() { return m_strName; }
    const CString& GetName() const { return m_strName; }
    // A null pointer gives an empty name.
    virtual void SetName(LPCTSTR lpszName) { m_strName = lpszName != nullptr ? lpszName : ""; }
    // Answers the previous parent. Only groups call it, when they add or remove the node.
    virtual CGroup* SetParent(CGroup* pParent);
    // The Chinese collation of the two names (case is not folded): <0, 0 or >0.
    virtual int CompareName(const CGroupItem* pOther) const;
    // The object that embeds this node: the leaf or the group; null for a bare node.
    virtual CObject* GetObject() { return nullptr; }

    CGroup* GetParent() const { return m_pParent; }
    // The tree item handle is pointer-sized and never stored.
    void SetTreeItem(DWORD_PTR hItem) { m_hTreeItem = hItem; }
    DWORD_PTR GetTreeItem() const { return m_hTreeItem; }

protected:
    CString m_strName;
    CGroup* m_pParent = nullptr;
    DWORD_PTR m_hTreeItem = 0;
};
