#include "contacts/ui/FieldTree.h"

#include "contacts/ContactGroup.h"
#include "contacts/PersonFields.h"
#include "platform/gui/Wnd.h"

SFieldTable GetPersonFieldTable(BOOL bGroupFields) {
    SFieldTable table;
    table.bGroupFields = bGroupFields;
    for (int nGroupBit : kPersonGroupOrder) {
        SFieldTableGroup group;
        group.nGroupBit = nGroupBit;
        GetPersonFieldGroupName(nGroupBit, group.strName); // a group without a name is not shown
        for (const SFieldPickEntry* p = GetPersonFieldPickOrder(nGroupBit); p && p->nBit; ++p)
            if (p->bUsed)
                group.fieldBits.push_back(p->nBit);
        table.groups.push_back(std::move(group));
    }
    return table;
}

void CFieldTree::Build(BOOL bWithGroupFields) {
    Build(GetPersonFieldTable(bWithGroupFields), [](int nGroupBit, int nFieldBit) {
        CString name;
        GetPersonFieldName(GetPersonFieldAt(nGroupBit, nFieldBit), name);
        return name;
    });
}

void CFieldTree::Build(const SFieldTable& table, const FieldNamer& nameOf) {
    m_tree.DeleteAllItems();
    m_groupBits.clear();
    if (m_tree.GetItemHeight() < 16)
        m_tree.SetItemHeight(16);
    m_hPersonRoot = m_tree.InsertItem("联系人字段");
    m_tree.SetItemData(m_hPersonRoot, 0);
    for (const SFieldTableGroup& group : table.groups) {
        m_groupBits.push_back(group.nGroupBit);
        if (group.strName.IsEmpty())
            continue;
        HTREEITEM hGroup = m_tree.InsertItem(group.strName, m_hPersonRoot);
        m_tree.SetItemData(hGroup, (DWORD_PTR)group.nGroupBit);
        for (int nBit : group.fieldBits) {
            const CString name = nameOf(group.nGroupBit, nBit);
            if (!name.IsEmpty())
                m_tree.SetItemData(m_tree.InsertItem(name, hGroup), (DWORD_PTR)nBit);
        }
    }
    m_tree.Expand(m_hPersonRoot, TVE_EXPAND);
    m_hGroupRoot = nullptr;
    if (!table.bGroupFields)
        return;
    m_hGroupRoot = m_tree.InsertItem("组字段");
    m_tree.SetItemData(m_hGroupRoot, 0);
    for (int i = 0; i < 27; ++i) {
        CString name;
        if (GetGroupPropertyName(1u << i, name))
            m_tree.SetItemData(m_tree.InsertItem(name, m_hGroupRoot), (DWORD_PTR)(1u << i));
    }
}

int CFieldTree::MaskIndexOf(int nGroupBit) const {
    for (size_t k = 0; k < m_groupBits.size(); ++k)
        if (m_groupBits[k] == nGroupBit)
            return (int)k;
    return -1;
}

HTREEITEM CFieldTree::FindItem(int nGroupBit, int nFieldBit) const {
    for (HTREEITEM hGroup = m_tree.GetChildItem(m_hPersonRoot); hGroup;
         hGroup = m_tree.GetNextSiblingItem(hGroup)) {
        if ((int)m_tree.GetItemData(hGroup) != nGroupBit)
            continue;
        if (nFieldBit == 0)
            return hGroup;
        for (HTREEITEM h = m_tree.GetChildItem(hGroup); h; h = m_tree.GetNextSiblingItem(h))
            if ((int)m_tree.GetItemData(h) == nFieldBit)
                return h;
    }
    return nullptr;
}

void CFieldTree::Load(const DWORD* pPersonMasks, DWORD dwGroupMask) {
    BOOL bAnyPerson = FALSE;
    for (HTREEITEM hGroup = m_tree.GetChildItem(m_hPersonRoot); hGroup;
         hGroup = m_tree.GetNextSiblingItem(hGroup)) {
        const int k = MaskIndexOf((int)m_tree.GetItemData(hGroup));
        const DWORD mask = k >= 0 ? pPersonMasks[k] : 0;
        BOOL bAny = FALSE;
        for (HTREEITEM h = m_tree.GetChildItem(hGroup); h; h = m_tree.GetNextSiblingItem(h)) {
            const BOOL b = (mask & (DWORD)m_tree.GetItemData(h)) != 0;
            m_tree.SetCheck(h, b);
            bAny |= b;
        }
        m_tree.SetCheck(hGroup, bAny);
        bAnyPerson |= bAny;
    }
    m_tree.SetCheck(m_hPersonRoot, bAnyPerson);
    if (m_hGroupRoot == nullptr)
        return;
    BOOL bAnyGroup = FALSE;
    for (HTREEITEM h = m_tree.GetChildItem(m_hGroupRoot); h; h = m_tree.GetNextSiblingItem(h)) {
        const BOOL b = (dwGroupMask & (DWORD)m_tree.GetItemData(h)) != 0;
        m_tree.SetCheck(h, b);
        bAnyGroup |= b;
    }
    m_tree.SetCheck(m_hGroupRoot, bAnyGroup);
}

void CFieldTree::Save(DWORD* pPersonMasks, DWORD* pGroupMask) const {
    for (size_t k = 0; k < m_groupBits.size(); ++k)
        pPersonMasks[k] = 0;
    for (HTREEITEM hGroup = m_tree.GetChildItem(m_hPersonRoot); hGroup;
         hGroup = m_tree.GetNextSiblingItem(hGroup)) {
        const int k = MaskIndexOf((int)m_tree.GetItemData(hGroup));
        if (k < 0)
            continue;
        for (HTREEITEM h = m_tree.GetChildItem(hGroup); h; h = m_tree.GetNextSiblingItem(h))
            if (m_tree.GetCheck(h))
                pPersonMasks[k] |= (DWORD)m_tree.GetItemData(h);
    }
    if (pGroupMask == nullptr)
        return;
    *pGroupMask = 0;
    if (m_hGroupRoot != nullptr)
        for (HTREEITEM h = m_tree.GetChildItem(m_hGroupRoot); h; h = m_tree.GetNextSiblingItem(h))
            if (m_tree.GetCheck(h))
                *pGroupMask |= (DWORD)m_tree.GetItemData(h);
}

void CFieldTree::TickDescendants(HTREEITEM hItem, BOOL bTicked) {
    for (HTREEITEM h = m_tree.GetChildItem(hItem); h; h = m_tree.GetNextSiblingItem(h)) {
        m_tree.SetCheck(h, bTicked);
        TickDescendants(h, bTicked);
    }
}

void CFieldTree::SettleAncestors(HTREEITEM hItem) {
    for (HTREEITEM hParent = m_tree.GetParentItem(hItem); hParent;
         hParent = m_tree.GetParentItem(hParent)) {
        BOOL bAny = FALSE;
        for (HTREEITEM h = m_tree.GetChildItem(hParent); h && !bAny;
             h = m_tree.GetNextSiblingItem(h))
            bAny = m_tree.GetCheck(h);
        m_tree.SetCheck(hParent, bAny);
    }
}

void CFieldTree::Tick(HTREEITEM hItem, BOOL bTicked) {
    if (hItem == nullptr)
        return;
    m_tree.SetCheck(hItem, bTicked);
    TickDescendants(hItem, bTicked);
    SettleAncestors(hItem);
}

void CFieldTree::OnClick() {
    CPoint pt;
    ::GetCursorPos(&pt);
    m_tree.ScreenToClient(&pt);
    UINT flags = 0;
    HTREEITEM hItem = m_tree.HitTest(pt, &flags);
    if (hItem != nullptr && (flags & TVHT_ONITEMSTATEICON))
        Tick(hItem, m_tree.GetCheck(hItem));
}
