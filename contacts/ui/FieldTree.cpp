#include "contacts/ui/FieldTree.h"

#include "contacts/ContactGroup.h"
#include "contacts/PersonFields.h"
#include "platform/gui/Wnd.h"

void CFieldTree::Build(BOOL bWithGroupFields) {
    m_tree.DeleteAllItems();
    if (m_tree.GetItemHeight() < 16)
        m_tree.SetItemHeight(16);
    m_hPersonRoot = m_tree.InsertItem("联系人字段");
    m_tree.SetItemData(m_hPersonRoot, 0);
    for (int nGroupBit : kPersonGroupOrder) {
        CString groupName;
        if (!GetPersonFieldGroupName(nGroupBit, groupName))
            continue;
        HTREEITEM hGroup = m_tree.InsertItem(groupName, m_hPersonRoot);
        m_tree.SetItemData(hGroup, (DWORD_PTR)nGroupBit);
        for (const SFieldPickEntry* p = GetPersonFieldPickOrder(nGroupBit); p && p->nBit; ++p) {
            CString name;
            if (!p->bUsed || !GetPersonFieldName(GetPersonFieldAt(nGroupBit, p->nBit), name))
                continue;
            m_tree.SetItemData(m_tree.InsertItem(name, hGroup), (DWORD_PTR)p->nBit);
        }
    }
    m_tree.Expand(m_hPersonRoot, TVE_EXPAND);
    m_hGroupRoot = nullptr;
    if (!bWithGroupFields)
        return;
    m_hGroupRoot = m_tree.InsertItem("组字段");
    m_tree.SetItemData(m_hGroupRoot, 0);
    for (int i = 0; i < 27; ++i) {
        CString name;
        if (GetGroupPropertyName(1u << i, name))
            m_tree.SetItemData(m_tree.InsertItem(name, m_hGroupRoot), (DWORD_PTR)(1u << i));
    }
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
        const int nGroupBit = (int)m_tree.GetItemData(hGroup);
        DWORD mask = 0;
        for (int k = 0; k < kPersonGroupCount; ++k)
            if (kPersonGroupOrder[k] == nGroupBit)
                mask = pPersonMasks[k];
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
    for (int k = 0; k < kPersonGroupCount; ++k)
        pPersonMasks[k] = 0;
    for (HTREEITEM hGroup = m_tree.GetChildItem(m_hPersonRoot); hGroup;
         hGroup = m_tree.GetNextSiblingItem(hGroup)) {
        const int nGroupBit = (int)m_tree.GetItemData(hGroup);
        for (int k = 0; k < kPersonGroupCount; ++k)
            if (kPersonGroupOrder[k] == nGroupBit)
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
        for (HTREEITEM h = m_tree.GetChildItem(hParent); h && !bAny; h = m_tree.GetNextSiblingItem(h))
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
