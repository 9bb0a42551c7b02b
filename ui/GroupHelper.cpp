#include "ui/GroupHelper.h"

#include "platform/gui/CommCtrl.h"
#include "platform/gui/Wnd.h"

#include <algorithm>
#include <vector>

namespace {

CGroupItem* NodeOf(CObject* pObject) {
    if (pObject == nullptr)
        return nullptr;
    if (pObject->IsKindOf(RUNTIME_CLASS(CGroup)))
        return static_cast<CGroup*>(pObject);
    if (pObject->IsKindOf(RUNTIME_CLASS(CContent)))
        return static_cast<CContent*>(pObject);
    return nullptr;
}

HTREEITEM ItemOf(const CGroupItem* pNode) {
    return pNode != nullptr ? (HTREEITEM)pNode->GetTreeItem() : nullptr;
}

int ChildCount(const CGroup* pGroup) {
    return pGroup->GetSubgroupCount() + (int)pGroup->GetContentList().GetCount();
}

} // namespace

POSITION FindGroupChildByItem(CGroup* pGroup, int kind, HTREEITEM hItem) {
    if (pGroup == nullptr || hItem == nullptr)
        return nullptr;
    if (kind == 1) {
        for (POSITION pos = pGroup->GetFirstSubgroupPosition(); pos != nullptr;) {
            POSITION here = pos;
            if (ItemOf(pGroup->GetNextSubgroup(pos)) == hItem)
                return here;
        }
    } else if (kind == 2) {
        for (POSITION pos = pGroup->GetFirstContentPosition(); pos != nullptr;) {
            POSITION here = pos;
            if (ItemOf(pGroup->GetNextContent(pos)) == hItem)
                return here;
        }
    }
    return nullptr;
}

void CGroupHelper::SetRuntimeClasses(CRuntimeClass* pGroupClass, CRuntimeClass* pContentClass) {
    m_pGroupClass = pGroupClass;
    m_pContentClass = pContentClass;
}

void CGroupHelper::SetImageIndexes(int group, int groupSel, int content, int contentSel) {
    if (group >= 0)
        m_nGroupImage = group;
    if (groupSel >= 0)
        m_nGroupSelImage = groupSel;
    if (content >= 0)
        m_nContentImage = content;
    if (contentSel >= 0)
        m_nContentSelImage = contentSel;
}

// ---- Lookup ---------------------------------------------------------------------------------

CObject* CGroupHelper::GetItemObject(HTREEITEM hItem) const {
    if (hItem == nullptr || hItem == TVI_ROOT || m_pTree == nullptr)
        return nullptr;
    if (m_lookupCallback)
        return m_lookupCallback(hItem);
    return reinterpret_cast<CObject*>(m_pTree->GetItemData(hItem));
}

CGroup* CGroupHelper::GetGroup(HTREEITEM hItem) const {
    CObject* pObject = GetItemObject(hItem);
    return pObject != nullptr && pObject->IsKindOf(RUNTIME_CLASS(CGroup))
               ? static_cast<CGroup*>(pObject)
               : nullptr;
}

CContent* CGroupHelper::GetContent(HTREEITEM hItem) const {
    CObject* pObject = GetItemObject(hItem);
    return pObject != nullptr && pObject->IsKindOf(RUNTIME_CLASS(CContent))
               ? static_cast<CContent*>(pObject)
               : nullptr;
}

int CGroupHelper::GetItemKind(HTREEITEM hItem) const {
    CObject* pObject = GetItemObject(hItem);
    if (pObject == nullptr)
        return 0;
    if (pObject->IsKindOf(RUNTIME_CLASS(CGroup)))
        return 1;
    if (pObject->IsKindOf(RUNTIME_CLASS(CContent)))
        return 2;
    return 0;
}

// ---- Images ---------------------------------------------------------------------------------

void CGroupHelper::CallImageCallback(CObject* pRecord, int kind, int* pImage, int* pSelImage) {
    if (m_imageCallback)
        m_imageCallback(pRecord, kind, pImage, pSelImage);
}

void CGroupHelper::GetImages(CObject* pRecord, int kind) {
    bool group = pRecord != nullptr ? pRecord->IsKindOf(RUNTIME_CLASS(CGroup)) : kind == 1;
    if (group)
        CallImageCallback(pRecord, 1, &m_nGroupImage, &m_nGroupSelImage);
    else
        CallImageCallback(pRecord, 2, &m_nContentImage, &m_nContentSelImage);
}

void CGroupHelper::NotifyContentCreated(CContent* pContent) {
    if (m_pListener != nullptr)
        m_pListener->OnContentCreated(pContent);
}

void CGroupHelper::UpdateItemImage(HTREEITEM hItem) {
    if (hItem == nullptr || m_pTree == nullptr)
        return;
    int kind = GetItemKind(hItem);
    GetImages(GetItemObject(hItem), kind);
    if (kind == 1)
        m_pTree->SetItemImage(hItem, m_nGroupImage, m_nGroupSelImage);
    else
        m_pTree->SetItemImage(hItem, m_nContentImage, m_nContentSelImage);
}

void CGroupHelper::UpdateItemText(HTREEITEM hItem) {
    if (CGroupItem* pNode = NodeOf(GetItemObject(hItem)))
        m_pTree->SetItemText(hItem, pNode->GetName());
}

void CGroupHelper::SetGroupOverlay(HTREEITEM hItem, CGroup* pGroup) {
    if ((pGroup->GetFlags() & CGroup::FLAG_PASSWORD) == 0 || m_nLockedOverlay <= 0)
        return;
    int overlay = pGroup->IsLocked() ? m_nLockedOverlay : m_nPasswordOverlay;
    m_pTree->SetItemState(hItem, INDEXTOOVERLAYMASK(overlay), TVIS_OVERLAYMASK);
}

// ---- Insertion ------------------------------------------------------------------------------

HTREEITEM CGroupHelper::InsertGroupItem(HTREEITEM hParent, CGroup* pGroup, HTREEITEM hAfter,
                                        int flags, BOOL bKeepBinding) {
    if (pGroup == nullptr || m_pTree == nullptr)
        return nullptr;
    if (m_pListener != nullptr && !m_pListener->CanShowGroup(pGroup))
        return nullptr;
    GetImages(pGroup, 1);
    HTREEITEM hItem = m_pTree->InsertItem(
        TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM, pGroup->GetName(), m_nGroupImage,
        m_nGroupSelImage, 0, 0, (LPARAM)static_cast<CObject*>(pGroup),
        hParent != nullptr ? hParent : TVI_ROOT, hAfter);
    if (hItem == nullptr)
        return nullptr;
    SetGroupOverlay(hItem, pGroup);
    if (!bKeepBinding)
        pGroup->SetTreeItem((DWORD_PTR)hItem);
    if (m_pListener != nullptr)
        m_pListener->OnGroupItemBuilt(hItem, pGroup);
    if (flags != 0)
        InsertChildren(hItem, pGroup, TVI_LAST, flags, bKeepBinding);
    if (pGroup->GetFlags() & 0x400)
        m_pTree->Expand(hItem, TVE_EXPAND);
    return hItem;
}

HTREEITEM CGroupHelper::GetInsertAfterItem(CGroup* pGroup) {
    // The nearest earlier sibling that is shown: a sibling kept out of the tree has no item.
    for (CGroup* pPrev = pGroup->GetPrevSiblingGroup(); pPrev != nullptr;
         pPrev = pPrev->GetPrevSiblingGroup()) {
        if (HTREEITEM h = ItemOf(pPrev))
            return h;
    }
    return TVI_FIRST;
}

HTREEITEM CGroupHelper::InsertGroup(CGroup* pGroup, int flags) {
    if (pGroup == nullptr)
        return nullptr;
    HTREEITEM hParent = TVI_ROOT;
    if (CGroup* pParent = pGroup->GetParent()) {
        hParent = ItemOf(pParent);
        // A parent that is not shown keeps its children out of the tree too.
        if (hParent == nullptr)
            return nullptr;
    }
    return InsertGroupItem(hParent, pGroup, GetInsertAfterItem(pGroup), flags);
}

HTREEITEM CGroupHelper::InsertContentItem(HTREEITEM hParent, HTREEITEM hAfter, CContent* pContent,
                                          BOOL bKeepBinding) {
    if (pContent == nullptr || m_pTree == nullptr)
        return nullptr;
    GetImages(pContent, 2);
    HTREEITEM hItem = m_pTree->InsertItem(
        TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM, pContent->GetName(),
        m_nContentImage, m_nContentSelImage, 0, 0, (LPARAM)static_cast<CObject*>(pContent),
        hParent != nullptr ? hParent : TVI_ROOT, hAfter);
    if (hItem == nullptr)
        return nullptr;
    if (!bKeepBinding)
        pContent->SetTreeItem((DWORD_PTR)hItem);
    if (m_pListener != nullptr)
        m_pListener->OnContentItemBuilt(hItem, pContent);
    return hItem;
}

HTREEITEM CGroupHelper::InsertContent(CContent* pContent) {
    if (pContent == nullptr)
        return nullptr;
    CGroup* pGroup = pContent->GetParent();
    HTREEITEM hParent = ItemOf(pGroup);
    if (hParent == nullptr)
        return nullptr;
    HTREEITEM hAfter = TVI_FIRST;
    if (HTREEITEM hPrev = ItemOf(pContent->GetSibling(FALSE)))
        hAfter = hPrev;
    else {
        for (CGroup* pLast = pGroup->GetLastSubGroup(); pLast != nullptr;
             pLast = pLast->GetPrevSiblingGroup()) {
            if (HTREEITEM h = ItemOf(pLast)) {
                hAfter = h;
                break;
            }
        }
    }
    return InsertContentItem(hParent, hAfter, pContent);
}

HTREEITEM CGroupHelper::InsertChildren(HTREEITEM hParent, CGroup* pGroup, HTREEITEM hAfter,
                                       int flags, BOOL bKeepBinding) {
    if (pGroup == nullptr)
        return nullptr;
    if (hParent == nullptr)
        hParent = TVI_ROOT;
    HTREEITEM hLast = nullptr;
    if (flags & InsertGroups) {
        for (POSITION pos = pGroup->GetFirstSubgroupPosition(); pos != nullptr;) {
            if (HTREEITEM h =
                    InsertGroupItem(hParent, pGroup->GetNextSubgroup(pos), hAfter, flags,
                                    bKeepBinding))
                hAfter = hLast = h;
        }
    }
    if (flags & InsertContents) {
        for (POSITION pos = pGroup->GetFirstContentPosition(); pos != nullptr;) {
            if (HTREEITEM h =
                    InsertContentItem(hParent, hAfter, pGroup->GetNextContent(pos), bKeepBinding))
                hAfter = hLast = h;
        }
    }
    return hLast;
}

BOOL CGroupHelper::AddObjectToGroup(CObject* pObject, CGroup* pTarget, BOOL bSorted) {
    if (pObject == nullptr || pTarget == nullptr)
        return FALSE;
    if (pObject->IsKindOf(RUNTIME_CLASS(CGroup))) {
        auto* pGroup = static_cast<CGroup*>(pObject);
        // A group put below itself would own itself and drop out of every tree.
        if (pTarget->IsSelfOrDescendantOf(pGroup))
            return FALSE;
        pTarget->AddSubgroup(pGroup, bSorted, nullptr, TRUE, TRUE);
        InsertGroup(pGroup, InsertGroups | InsertContents);
        return TRUE;
    }
    if (pObject->IsKindOf(RUNTIME_CLASS(CContent))) {
        auto* pContent = static_cast<CContent*>(pObject);
        pTarget->AddContent(pContent, bSorted, nullptr, TRUE, TRUE);
        InsertContent(pContent);
        return TRUE;
    }
    return FALSE;
}

// ---- Changes --------------------------------------------------------------------------------

CGroup* CGroupHelper::TargetGroupOf(HTREEITEM hTarget) const {
    if (CGroup* pGroup = GetGroup(hTarget))
        return pGroup;
    if (CContent* pContent = GetContent(hTarget))
        return pContent->GetParent();
    return nullptr;
}

void CGroupHelper::Unbind(HTREEITEM hItem) {
    if (hItem == nullptr || m_pTree == nullptr)
        return;
    for (HTREEITEM h = m_pTree->GetChildItem(hItem); h != nullptr;
         h = m_pTree->GetNextSiblingItem(h))
        Unbind(h);
    if (CGroupItem* pNode = NodeOf(GetItemObject(hItem))) {
        if (ItemOf(pNode) == hItem)
            pNode->SetTreeItem(0);
    }
    if (!m_lookupCallback)
        m_pTree->SetItemData(hItem, 0);
}

void CGroupHelper::CollapseIfFirstChild(HTREEITEM hTarget, CGroup* pTarget) {
    if (hTarget == nullptr || pTarget == nullptr || ChildCount(pTarget) != 1)
        return;
    m_pTree->Expand(hTarget, TVE_COLLAPSE);
    m_pTree->SetItemState(hTarget, 0, TVIS_EXPANDEDONCE);
}

HTREEITEM CGroupHelper::CopyItem(HTREEITEM hSource, HTREEITEM hTarget, BOOL bSorted,
                                 POSITION posRef, BOOL bAfter, BOOL bMakeLink) {
    CGroup* pTarget = TargetGroupOf(hTarget);
    if (pTarget == nullptr || m_pTree == nullptr)
        return nullptr;
    HTREEITEM hNew = nullptr;
    if (CGroup* pSource = GetGroup(hSource)) {
        if (m_pGroupClass == nullptr)
            return nullptr;
        auto* pCopy = DYNAMIC_DOWNCAST(CGroup, m_pGroupClass->CreateObject());
        if (pCopy == nullptr)
            return nullptr;
        pCopy->CopyFrom(pSource);
        pTarget->AddSubgroup(pCopy, bSorted, posRef, bAfter, TRUE);
        hNew = InsertGroupItem(ItemOf(pTarget), pCopy, GetInsertAfterItem(pCopy), m_nInsertFlags);
    } else if (CContent* pSource = GetContent(hSource)) {
        CContent* pCopy = nullptr;
        if (bMakeLink)
            pCopy = pSource->CreateVirtualCopy();
        else if (m_pContentClass != nullptr) {
            pCopy = DYNAMIC_DOWNCAST(CContent, m_pContentClass->CreateObject());
            if (pCopy != nullptr)
                pCopy->CopyFrom(pSource);
        }
        if (pCopy == nullptr)
            return nullptr;
        pTarget->AddContent(pCopy, bSorted, posRef, bAfter, TRUE);
        hNew = InsertContent(pCopy);
    } else {
        return nullptr;
    }
    if (hNew != nullptr)
        CollapseIfFirstChild(ItemOf(pTarget), pTarget);
    return hNew;
}

BOOL CGroupHelper::MoveItem(HTREEITEM& hSource, HTREEITEM hTarget, BOOL bSorted, POSITION posRef,
                            BOOL bAfter) {
    HTREEITEM hOld = hSource;
    CGroup* pTarget = TargetGroupOf(hTarget);
    CObject* pObject = GetItemObject(hOld);
    hSource = nullptr;
    if (pTarget == nullptr || pObject == nullptr || m_pTree == nullptr)
        return FALSE;
    // A reference entry that is the moved record itself would be gone once it leaves its list.
    if (posRef != nullptr) {
        const CObList& list = pObject->IsKindOf(RUNTIME_CLASS(CGroup))
                                  ? static_cast<const CObList&>(*pTarget)
                                  : pTarget->GetContentList();
        if (list.GetAt(posRef) == pObject)
            return FALSE;
    }
    HTREEITEM hOldParent = m_pTree->GetParentItem(hOld);
    BOOL bWasSelected = m_pTree->GetSelectedItem() == hOld;
    HTREEITEM hNew = nullptr;
    if (pObject->IsKindOf(RUNTIME_CLASS(CGroup))) {
        auto* pGroup = static_cast<CGroup*>(pObject);
        // Into itself or below itself would cut the subtree loose from every root.
        if (pTarget->IsSelfOrDescendantOf(pGroup))
            return FALSE;
        if (m_pListener != nullptr) {
            m_pListener->OnBeforeMove(hOld, hTarget);
            // The listener may have moved the selection from the item's children onto it.
            bWasSelected = m_pTree->GetSelectedItem() == hOld;
        }
        if (CGroup* pOldParent = pGroup->GetParent())
            pOldParent->RemoveSubgroup(pGroup, FALSE);
        Unbind(hOld);
        pTarget->AddSubgroup(pGroup, bSorted, posRef, bAfter, TRUE);
        hNew = InsertGroupItem(ItemOf(pTarget), pGroup, GetInsertAfterItem(pGroup), m_nInsertFlags);
    } else if (pObject->IsKindOf(RUNTIME_CLASS(CContent))) {
        auto* pContent = static_cast<CContent*>(pObject);
        if (m_pListener != nullptr) {
            m_pListener->OnBeforeMove(hOld, hTarget);
            // The listener may have moved the selection from the item's children onto it.
            bWasSelected = m_pTree->GetSelectedItem() == hOld;
        }
        if (CGroup* pOldGroup = pContent->GetParent())
            pOldGroup->RemoveContent(pContent, FALSE);
        Unbind(hOld);
        pTarget->AddContent(pContent, bSorted, posRef, bAfter, TRUE);
        hNew = InsertContent(pContent);
    } else {
        return FALSE;
    }
    m_pTree->DeleteItem(hOld);
    if (hOldParent != nullptr && m_pTree->GetChildItem(hOldParent) == nullptr)
        UpdateItemImage(hOldParent);
    CollapseIfFirstChild(ItemOf(pTarget), pTarget);
    if (bWasSelected && hNew != nullptr)
        m_pTree->Select(hNew, TVGN_CARET);
    hSource = hNew;
    return hNew != nullptr;
}

BOOL CGroupHelper::DeleteItem(HTREEITEM hItem) {
    if (hItem == nullptr || m_pTree == nullptr)
        return FALSE;
    HTREEITEM hParent = m_pTree->GetParentItem(hItem);
    CObject* pObject = GetItemObject(hItem);
    int kind = GetItemKind(hItem);
    if (kind == 0) {
        m_pTree->DeleteItem(hItem);
    } else if (kind == 1) {
        auto* pGroup = static_cast<CGroup*>(pObject);
        if (m_pListener != nullptr)
            m_pListener->OnBeforeDelete(hItem);
        // The items go first, unbound, so that nothing seen while they go names a dead record.
        Unbind(hItem);
        m_pTree->DeleteItem(hItem);
        pGroup->RemoveFromParent(TRUE);
    } else {
        auto* pContent = static_cast<CContent*>(pObject);
        if (m_pListener != nullptr)
            m_pListener->OnBeforeDelete(hItem);
        CGroup* pGroup = pContent->GetParent();
        if (pGroup != nullptr && pGroup->GetContentList().Find(pContent) == nullptr)
            return FALSE;
        Unbind(hItem);
        m_pTree->DeleteItem(hItem);
        if (pGroup != nullptr)
            pGroup->RemoveContent(pContent, TRUE);
        else
            delete pContent;
    }
    if (hParent != nullptr && m_pTree->GetChildItem(hParent) == nullptr)
        UpdateItemImage(hParent);
    return TRUE;
}

void CGroupHelper::DeleteGroupItem(HTREEITEM hItem) {
    CGroup* pGroup = GetGroup(hItem);
    Unbind(hItem);
    m_pTree->DeleteItem(hItem);
    if (pGroup != nullptr)
        pGroup->RemoveFromParent(TRUE);
}

HTREEITEM CGroupHelper::ResortItem(HTREEITEM hItem) {
    CObject* pObject = GetItemObject(hItem);
    if (pObject == nullptr || m_pTree == nullptr)
        return nullptr;
    if (pObject->IsKindOf(RUNTIME_CLASS(CGroup))) {
        auto* pGroup = static_cast<CGroup*>(pObject);
        CGroup* pParent = pGroup->GetParent();
        if (pParent == nullptr)
            return hItem;
        pParent->RemoveSubgroup(pGroup, FALSE);
        Unbind(hItem);
        m_pTree->DeleteItem(hItem);
        pParent->AddSubgroup(pGroup, TRUE, nullptr, TRUE, TRUE);
        return InsertGroup(pGroup, InsertGroups | InsertContents);
    }
    if (pObject->IsKindOf(RUNTIME_CLASS(CContent))) {
        auto* pContent = static_cast<CContent*>(pObject);
        CGroup* pGroup = pContent->GetParent();
        if (pGroup == nullptr)
            return hItem;
        pGroup->RemoveContent(pContent, FALSE);
        Unbind(hItem);
        m_pTree->DeleteItem(hItem);
        pGroup->AddContent(pContent, TRUE, nullptr, TRUE, TRUE);
        return InsertContent(pContent);
    }
    return nullptr;
}

// Takes every child that sorts before the last one kept in order out of the list (with its item),
// then puts each back in its sorted place (after any equal names) with a new item. Answers how
// many were taken. The taken children are sorted first and merged in one pass, so a folder of
// thousands of cards re-sorts without comparing each against the whole list.
template <class Add, class Build>
static int ResortList(CGroupHelper& helper, CObList& list, Add add, Build build) {
    std::vector<CObject*> taken;
    CGroupItem* pLast = nullptr;
    for (POSITION pos = list.GetHeadPosition(); pos != nullptr;) {
        POSITION here = pos;
        CObject* pChild = list.GetNext(pos);
        CGroupItem* pNode = NodeOf(pChild);
        if (pNode == nullptr)
            continue;
        if (pLast != nullptr && pNode->CompareName(pLast) < 0) {
            taken.push_back(pChild);
            list.RemoveAt(here);
            if (HTREEITEM h = ItemOf(pNode))
                helper.RemoveItemOnly(h);
        } else {
            pLast = pNode;
        }
    }
    std::stable_sort(taken.begin(), taken.end(), [](CObject* a, CObject* b) {
        return NodeOf(a)->CompareName(NodeOf(b)) < 0;
    });
    POSITION pos = list.GetHeadPosition();
    for (CObject* pChild : taken) {
        while (pos != nullptr && NodeOf(list.GetAt(pos))->CompareName(NodeOf(pChild)) <= 0)
            list.GetNext(pos);
        add(pChild, pos);
    }
    for (CObject* pChild : taken)
        build(pChild);
    return (int)taken.size();
}

void CGroupHelper::RemoveItemOnly(HTREEITEM hItem) {
    Unbind(hItem);
    m_pTree->DeleteItem(hItem);
}

int CGroupHelper::ResortContents(CGroup* pGroup) {
    if (pGroup == nullptr || m_pTree == nullptr)
        return 0;
    return ResortList(
        *this, pGroup->GetContentList(),
        [&](CObject* p, POSITION before) {
            pGroup->AddContent(static_cast<CContent*>(p), FALSE, before, before == nullptr, TRUE);
        },
        [&](CObject* p) { InsertContent(static_cast<CContent*>(p)); });
}

int CGroupHelper::ResortSubgroups(CGroup* pGroup) {
    if (pGroup == nullptr || m_pTree == nullptr)
        return 0;
    return ResortList(
        *this, *pGroup,
        [&](CObject* p, POSITION before) {
            pGroup->AddSubgroup(static_cast<CGroup*>(p), FALSE, before, before == nullptr, TRUE);
        },
        [&](CObject* p) { InsertGroup(static_cast<CGroup*>(p), m_nInsertFlags); });
}

void CGroupHelper::MoveChildren(CGroup* pTarget, CGroup* pSource) {
    if (pTarget == nullptr || pSource == nullptr || pTarget == pSource)
        return;
    BOOL bHadChildren = !pTarget->IsEmpty();
    while (pSource->GetSubgroupCount() > 0) {
        auto* pGroup = static_cast<CGroup*>(pSource->RemoveHead());
        pGroup->SetParent(nullptr);
        pTarget->AddSubgroup(pGroup, TRUE, nullptr, TRUE, TRUE);
        InsertGroup(pGroup, m_nInsertFlags);
    }
    CObList& contents = pSource->GetContentList();
    while (!contents.IsEmpty()) {
        auto* pContent = static_cast<CContent*>(contents.RemoveHead());
        pContent->SetParent(nullptr);
        pTarget->AddContent(pContent, TRUE, nullptr, TRUE, TRUE);
        InsertContent(pContent);
    }
    if (!bHadChildren && !pTarget->IsEmpty()) {
        if (HTREEITEM h = ItemOf(pTarget)) {
            m_pTree->Expand(h, TVE_COLLAPSE);
            m_pTree->SetItemState(h, 0, TVIS_EXPANDEDONCE);
        }
    }
}

CObject* CGroupHelper::CloneObjectInto(CObject* pObject, CGroup* pTarget, BOOL bSorted,
                                       POSITION posRef, BOOL bAfter) {
    if (pObject == nullptr || pTarget == nullptr)
        return nullptr;
    if (pObject->IsKindOf(RUNTIME_CLASS(CContent))) {
        if (m_pContentClass == nullptr)
            return nullptr;
        auto* pCopy = DYNAMIC_DOWNCAST(CContent, m_pContentClass->CreateObject());
        if (pCopy == nullptr)
            return nullptr;
        pCopy->CopyFrom(static_cast<CContent*>(pObject));
        pTarget->AddContent(pCopy, bSorted, posRef, bAfter, TRUE);
        return pCopy;
    }
    if (!pObject->IsKindOf(RUNTIME_CLASS(CGroup)) || m_pGroupClass == nullptr)
        return nullptr;
    auto* pCopy = DYNAMIC_DOWNCAST(CGroup, m_pGroupClass->CreateObject());
    if (pCopy == nullptr)
        return nullptr;
    pCopy->CopyFrom(static_cast<CGroup*>(pObject));
    pTarget->AddSubgroup(pCopy, bSorted, posRef, bAfter, TRUE);
    return pCopy;
}

void CGroupHelper::CollapseAll(HTREEITEM hItem) {
    if (hItem == nullptr || m_pTree == nullptr)
        return;
    for (HTREEITEM h = m_pTree->GetChildItem(hItem); h != nullptr;
         h = m_pTree->GetNextSiblingItem(h))
        CollapseAll(h);
    if (m_pTree->GetItemState(hItem, TVIS_EXPANDED) & TVIS_EXPANDED) {
        m_pTree->Expand(hItem, TVE_COLLAPSE);
        UpdateItemImage(hItem);
    }
}

// ---- Label edits ----------------------------------------------------------------------------

CString CGroupHelper::ProposeName(CGroup* pParent, const CString& base, BOOL bGroup) const {
    auto taken = [&](const CString& name) {
        if (pParent == nullptr)
            return false;
        return (bGroup ? pParent->FindSubgroupNode(name) : pParent->FindContentNode(name)) !=
               nullptr;
    };
    if (!taken(base))
        return base;
    CString candidate;
    for (int i = 1; i <= 1000; ++i) {
        candidate.Format("%s%d", base.GetString(), i);
        if (!taken(candidate))
            break;
    }
    return candidate;
}

void CGroupHelper::BeginLabelEditOf(HTREEITEM hItem) {
    m_pTree->ModifyStyle(0, TVS_EDITLABELS);
    m_pTree->EditLabel(hItem);
}

HTREEITEM CGroupHelper::BeginNew(BOOL bGroup, HTREEITEM hParent, BOOL bSorted, POSITION posRef,
                                 BOOL bAfter) {
    if (m_pTree == nullptr)
        return nullptr;
    CGroup* pParent = GetGroup(hParent);
    if (!bGroup && pParent == nullptr)
        return nullptr;
    CString name = ProposeName(pParent, bGroup ? m_strDefaultGroupName : m_strDefaultContentName,
                               bGroup);
    GetImages(nullptr, bGroup ? 1 : 2);
    HTREEITEM hAfter = TVI_FIRST;
    if (m_hPendingRefItem != nullptr) {
        if (bAfter)
            hAfter = m_hPendingRefItem;
        else if (HTREEITEM hPrev = m_pTree->GetPrevSiblingItem(m_hPendingRefItem))
            hAfter = hPrev;
    }
    int image = bGroup ? m_nGroupImage : m_nContentImage;
    int selImage = bGroup ? m_nGroupSelImage : m_nContentSelImage;
    HTREEITEM hParentItem = hParent != nullptr ? hParent : TVI_ROOT;
    HTREEITEM hTemp = m_pTree->InsertItem(name, image, selImage, hParentItem, hAfter);
    if (hTemp == nullptr)
        return nullptr;
    m_nEditMode = bGroup ? EditNewGroup : EditNewContent;
    m_bPendingSorted = bSorted;
    m_bPendingAfter = bAfter;
    m_posPendingRef = posRef;
    m_hPendingParent = hParent;
    if (hParent != nullptr)
        m_pTree->Expand(hParent, TVE_EXPAND);
    BeginLabelEditOf(hTemp);
    return hTemp;
}

HTREEITEM CGroupHelper::NewGroup(BOOL bBegin, HTREEITEM hParent, BOOL bSorted, POSITION posRef,
                                 BOOL bAfter, HTREEITEM hEdited) {
    if (bBegin)
        return BeginNew(TRUE, hParent, bSorted, posRef, bAfter);
    return EndNewGroup(hParent, hEdited);
}

HTREEITEM CGroupHelper::NewContent(BOOL bBegin, HTREEITEM hParent, BOOL bSorted, POSITION posRef,
                                   BOOL bAfter, HTREEITEM hEdited) {
    if (bBegin)
        return BeginNew(FALSE, hParent, bSorted, posRef, bAfter);
    return EndNewContent(hParent, hEdited);
}

HTREEITEM CGroupHelper::EndNewGroup(HTREEITEM hParent, HTREEITEM hEdited) {
    CGroup* pParent = GetGroup(hParent);
    CString name = hEdited != nullptr ? m_pTree->GetItemText(hEdited) : CString();
    if (hEdited != nullptr)
        m_pTree->DeleteItem(hEdited);
    if (pParent == nullptr || m_pGroupClass == nullptr)
        return nullptr;
    auto* pGroup = DYNAMIC_DOWNCAST(CGroup, m_pGroupClass->CreateObject());
    if (pGroup == nullptr)
        return nullptr;
    pGroup->SetName(name);
    POSITION posRef = m_posPendingRef;
    if (!m_bPendingSorted && posRef == nullptr && m_hPendingRefItem != nullptr)
        posRef = FindGroupChildByItem(pParent, 1, m_hPendingRefItem);
    if (pParent->AddSubgroup(pGroup, m_bPendingSorted, posRef, m_bPendingAfter, TRUE) == nullptr) {
        delete pGroup;
        return nullptr;
    }
    HTREEITEM hItem = InsertGroupItem(ItemOf(pParent) != nullptr ? ItemOf(pParent) : hParent,
                                      pGroup, GetInsertAfterItem(pGroup), m_nInsertFlags);
    if (hItem != nullptr)
        m_pTree->Select(hItem, TVGN_CARET);
    return hItem;
}

HTREEITEM CGroupHelper::EndNewContent(HTREEITEM hParent, HTREEITEM hEdited) {
    CGroup* pParent = GetGroup(hParent);
    CString name = hEdited != nullptr ? m_pTree->GetItemText(hEdited) : CString();
    if (pParent == nullptr || m_pContentClass == nullptr) {
        if (hEdited != nullptr)
            m_pTree->DeleteItem(hEdited);
        return nullptr;
    }
    auto* pContent = DYNAMIC_DOWNCAST(CContent, m_pContentClass->CreateObject());
    if (pContent == nullptr) {
        if (hEdited != nullptr)
            m_pTree->DeleteItem(hEdited);
        return nullptr;
    }
    pContent->SetName(name);
    NotifyContentCreated(pContent);
    if (hEdited != nullptr)
        m_pTree->DeleteItem(hEdited);
    POSITION posRef = m_posPendingRef;
    if (!m_bPendingSorted && posRef == nullptr && m_hPendingRefItem != nullptr)
        posRef = FindGroupChildByItem(pParent, 2, m_hPendingRefItem);
    if (pParent->AddContent(pContent, m_bPendingSorted, posRef, m_bPendingAfter, TRUE) == nullptr) {
        delete pContent;
        return nullptr;
    }
    HTREEITEM hItem = InsertContent(pContent);
    if (hItem != nullptr)
        m_pTree->Select(hItem, TVGN_CARET);
    return hItem;
}

HTREEITEM CGroupHelper::RenameGroup(HTREEITEM hItem, BOOL bBegin, BOOL bResort) {
    if (bBegin) {
        m_nEditMode = EditRenameGroup;
        BeginLabelEditOf(hItem);
        return hItem;
    }
    return EndRename(hItem, bResort);
}

HTREEITEM CGroupHelper::RenameContent(HTREEITEM hItem, BOOL bBegin, BOOL bResort) {
    if (bBegin) {
        m_nEditMode = EditRenameContent;
        BeginLabelEditOf(hItem);
        return hItem;
    }
    return EndRename(hItem, bResort);
}

HTREEITEM CGroupHelper::EndRename(HTREEITEM hItem, BOOL bResort) {
    CObject* pObject = GetItemObject(hItem);
    CGroupItem* pNode = NodeOf(pObject);
    if (pNode == nullptr)
        return nullptr;
    CString text = m_pTree->GetItemText(hItem);
    if (text == pNode->GetName())
        return nullptr;
    pNode->SetName(text);
    CGroup* pParent = pNode->GetParent();
    if (!bResort || pParent == nullptr) {
        UpdateItemText(hItem);
        return hItem;
    }
    Unbind(hItem);
    m_pTree->DeleteItem(hItem);
    HTREEITEM hNew = nullptr;
    if (pObject->IsKindOf(RUNTIME_CLASS(CGroup))) {
        auto* pGroup = static_cast<CGroup*>(pObject);
        pParent->MoveSubGroup(pGroup, TRUE, nullptr, TRUE);
        hNew = InsertGroup(pGroup, m_nInsertFlags);
    } else {
        auto* pContent = static_cast<CContent*>(pObject);
        pParent->RepositionContent(pContent, TRUE, nullptr, TRUE);
        hNew = InsertContent(pContent);
    }
    if (hNew != nullptr)
        m_pTree->Select(hNew, TVGN_CARET);
    return hNew;
}

BOOL CGroupHelper::BeginRename(HTREEITEM hItem) {
    if (m_nEditMode != EditNone)
        return TRUE;
    switch (GetItemKind(hItem)) {
    case 1:
        m_nEditMode = EditRenameGroup;
        return TRUE;
    case 2:
        m_nEditMode = EditRenameContent;
        return TRUE;
    default:
        return FALSE;
    }
}

void CGroupHelper::ResetPending() {
    m_bPendingSorted = TRUE;
    m_bPendingAfter = TRUE;
    m_posPendingRef = nullptr;
    m_hPendingRefItem = nullptr;
    m_hPendingParent = nullptr;
}

HTREEITEM CGroupHelper::EndLabelEdit(HTREEITEM hParent, HTREEITEM hEdited) {
    BOOL bCtrl = GetKeyState(VK_CONTROL) < 0;
    HTREEITEM hResult = nullptr;
    switch (m_nEditMode) {
    case EditNewGroup:
        hResult = EndNewGroup(hParent, hEdited);
        break;
    case EditRenameGroup:
    case EditRenameContent:
        hResult = EndRename(hEdited, !bCtrl);
        break;
    case EditNewContent:
        hResult = EndNewContent(hParent, hEdited);
        break;
    default:
        break;
    }
    m_nEditMode = EditNone;
    if (!m_bLabelEditPermanent && m_pTree != nullptr)
        m_pTree->ModifyStyle(TVS_EDITLABELS, 0);
    ResetPending();
    return hResult;
}

void CGroupHelper::EnableLabelEdit(BOOL bPermanent) {
    m_bLabelEditPermanent = bPermanent;
    if (m_pTree != nullptr)
        m_pTree->ModifyStyle(bPermanent ? 0 : TVS_EDITLABELS, bPermanent ? TVS_EDITLABELS : 0);
}

void CGroupHelper::FinishLabelEdit() {
    if (m_pTree != nullptr && m_pTree->GetEditControl() != nullptr)
        m_pTree->EndEditLabelNow(FALSE);
}
