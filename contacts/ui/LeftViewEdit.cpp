// The address-book tree's editing: cutting with the selection moved off first, deleting the
// current item, imports of CSV files and contact cards, card export, links (virtual contacts) and
// the drop rules of the books: copy, move, link and field merge.
#include "contacts/ui/LeftView.h"

#include "contacts/Person.h"
#include "contacts/PersonDoc.h"
#include "contacts/ui/DlgImportGroup.h"
#include "contacts/ui/DlgModifyPerson.h"
#include "contacts/ui/PersonFileDialogs.h"
#include "platform/gui/MessageBox.h"

#include <algorithm>
#include <iterator>
#include <vector>

BOOL CLeftView::s_bMergeWithoutAsking = FALSE;

namespace {

constexpr int kLinkOverlay = 5;

BOOL AnyMask(const DWORD* pMasks) {
    return std::any_of(pMasks, pMasks + 5, [](DWORD m) { return m != 0; });
}

} // namespace

_CPerson* CLeftView::GetPersonOfItem(HTREEITEM hItem) {
    return hItem != nullptr ? dynamic_cast<_CPerson*>(m_groupHelper.GetItemObject(hItem)) : nullptr;
}

void CLeftView::OnContentItemBuilt(HTREEITEM hItem, CContent* pContent) {
    if (pContent != nullptr && pContent->IsVirtual())
        Tree().SetItemState(hItem, INDEXTOOVERLAYMASK(kLinkOverlay), TVIS_OVERLAYMASK);
}

// ---- Commands -------------------------------------------------------------------------------

void CLeftView::OnUpdateEditCommand(CCmdUI* pCmdUI) {
    const int kind = GetItemType(m_hCurrent);
    _CPerson* pPerson = GetPersonOfItem(m_hCurrent);
    BOOL bEnable = FALSE;
    switch (pCmdUI->m_nID) {
    case ID_EXPORT_CARD:
        bEnable = pPerson != nullptr;
        break;
    case ID_IMPORT_CSV:
    case ID_IMPORT_CARDS:
        bEnable = kind == KindGroup || kind == KindFileRoot;
        break;
    case ID_MAKE_LINK:
        bEnable = pPerson != nullptr && !pPerson->IsVirtual();
        break;
    case ID_GOTO_SOURCE:
        bEnable = pPerson != nullptr && pPerson->IsVirtual() &&
                  pPerson->GetVirtualSource() != nullptr;
        break;
    default:
        break;
    }
    pCmdUI->Enable(bEnable);
}

void CLeftView::OnUpdateDeleteCurrent(CCmdUI* pCmdUI) {
    // Without the focus the list beside the tree decides.
    if (!TreeHasFocus()) {
        pCmdUI->ContinueRouting();
        return;
    }
    const int kind = GetItemType(m_hCurrent);
    pCmdUI->Enable(kind == KindContent || kind == KindGroup || kind == KindFileRoot);
}

BOOL CLeftView::OnDeleteCurrent(UINT) {
    if (!TreeHasFocus())
        return FALSE;
    OnDelete();
    return TRUE;
}

void CLeftView::CopyToClipboard(BOOL bCopy) {
    const int kind = GetItemType(m_hCurrent);
    if (bCopy || kind == KindFileRoot) {
        // A root stays where it is (only its records go): the selection may stay on it.
        CGroupTreeView::CopyToClipboard(bCopy);
        return;
    }
    if (kind != KindContent && kind != KindGroup)
        return;
    // The record leaves the tree: the selection leaves it first, and a view that keeps unsaved
    // edits of it keeps it in place (else it would later write into a record on the clipboard,
    // or freed with it).
    HTREEITEM hItem = m_hCurrent;
    BOOL bMoved = FALSE;
    if (!LeaveItem(hItem, &bMoved))
        return;
    CutToClipboard(hItem, TRUE);
    if (bMoved)
        OnCurrentItemChanged(m_hCurrent, TRUE);
}

void CLeftView::OnExportCard() {
    _CPerson* pPerson = GetPersonOfItem(m_hCurrent);
    if (pPerson == nullptr)
        return;
    auto* pReal = dynamic_cast<_CPerson*>(pPerson->ResolveLink());
    SavePersonAs(pReal != nullptr ? pReal : pPerson, nullptr, this);
}

void CLeftView::AddMissingItems(CGroup* pGroup) {
    if (pGroup == nullptr || pGroup->GetTreeItem() == 0)
        return;
    for (POSITION pos = pGroup->GetFirstSubgroupPosition(); pos != nullptr;) {
        CGroup* pSub = pGroup->GetNextSubgroup(pos);
        if (pSub->GetTreeItem() == 0)
            m_groupHelper.InsertGroup(pSub, CGroupHelper::InsertGroups |
                                                CGroupHelper::InsertContents);
        else
            AddMissingItems(pSub);
    }
    for (POSITION pos = pGroup->GetFirstContentPosition(); pos != nullptr;) {
        CContent* pContent = pGroup->GetNextContent(pos);
        if (pContent->GetTreeItem() == 0)
            m_groupHelper.InsertContent(pContent);
    }
}

void CLeftView::AfterImport(CQuillmarBaseDoc* pDoc, int nCount) {
    MarkDocumentModified(pDoc);
    OnCurrentItemChanged(m_hCurrent, TRUE);
    CString text;
    text.Format(LoadText(258), nCount);
    AfxMessageBox(text, MB_OK | MB_ICONINFORMATION);
}

void CLeftView::OnImportCsv() {
    const int kind = GetItemType(m_hCurrent);
    CSmsDoc* pDoc = GetSmsDoc(m_hCurrent);
    if (pDoc == nullptr || (kind != KindGroup && kind != KindFileRoot))
        return;
    // The document's selected group is the current one; new groups may come anywhere below it.
    const int nCount = ImportCsvIntoSelectedGroup(*pDoc, this);
    if (nCount <= 0)
        return;
    AddMissingItems(&pDoc->GetRootGroup());
    AfterImport(pDoc, nCount);
}

void CLeftView::OnImportCards() {
    auto* pGroup = dynamic_cast<_CGroup*>(GetGroupOfItem(m_hCurrent));
    if (pGroup == nullptr)
        return;
    CQuillmarBaseDoc* pDoc = GetItemDocument(m_hCurrent);
    const int nCount = ImportPersonFiles(pGroup, this);
    if (nCount <= 0)
        return;
    AddMissingItems(pGroup);
    AfterImport(pDoc, nCount);
}

CQuillmarBaseDoc* CLeftView::AddContactFromFile(LPCTSTR lpszPath) {
    if (lpszPath == nullptr || *lpszPath == '\0')
        return nullptr;
    HTREEITEM hItem = m_hCurrent;
    if (GetPersonOfItem(hItem) != nullptr)
        hItem = Tree().GetParentItem(hItem);
    auto* pGroup = dynamic_cast<_CGroup*>(GetGroupOfItem(hItem));
    if (pGroup == nullptr && GetFileCount() > 0) {
        hItem = GetFileAt(0)->hItem;
        pGroup = dynamic_cast<_CGroup*>(GetGroupOfItem(hItem));
    }
    if (pGroup == nullptr) {
        AfxMessageBox("请先打开或新建一个通讯录文件，再导入联系人文件。", MB_OK | MB_ICONEXCLAMATION);
        return nullptr;
    }
    CQuillmarBaseDoc* pDoc = GetItemDocument(hItem);
    CStringList paths;
    paths.AddTail(lpszPath);
    // A card that cannot be read adds nothing (its document has said why).
    const int nCount = CPersonDoc::ImportPersonFiles(pGroup, paths);
    if (nCount <= 0)
        return nullptr;
    AddMissingItems(pGroup);
    AfterImport(pDoc, nCount);
    return pDoc;
}

void CLeftView::OnImportMore() {
    AfxMessageBox("从其他通讯录软件、手机或电子名片导入联系人，请使用墨川另外提供的"
                  "通讯录导入工具：先用它把联系人转换成CSV文件，再在这里导入该CSV文件。",
                  MB_OK | MB_ICONINFORMATION);
}

void CLeftView::OnMakeLink() {
    _CPerson* pPerson = GetPersonOfItem(m_hCurrent);
    if (pPerson == nullptr || pPerson->IsVirtual())
        return;
    LinkInto(m_hCurrent, Tree().GetParentItem(m_hCurrent));
}

void CLeftView::OnGotoSource() {
    _CPerson* pPerson = GetPersonOfItem(m_hCurrent);
    CContent* pSource = pPerson != nullptr && pPerson->IsVirtual() ? pPerson->GetVirtualSource()
                                                                    : nullptr;
    auto hSource = pSource != nullptr ? (HTREEITEM)pSource->GetTreeItem() : nullptr;
    if (hSource != nullptr && Tree().IsValidItem(hSource))
        Tree().SelectItem(hSource);
}

// ---- Drops ----------------------------------------------------------------------------------

BOOL CLeftView::BaseDropRule(HTREEITEM hSource, HTREEITEM hTarget, int keyFlags) {
    const int source = GetItemType(hSource), target = GetItemType(hTarget);
    _CPerson* pSource = GetPersonOfItem(hSource);
    _CPerson* pTarget = GetPersonOfItem(hTarget);
    CGroup* pTargetGroup = GetGroupOfItem(hTarget);
    // Contacts, groups and roots only: never a personal box or the top item.
    if (pSource == nullptr && GetGroupOfItem(hSource) == nullptr)
        return FALSE;
    if (pTarget == nullptr && pTargetGroup == nullptr)
        return FALSE;
    const BOOL bShift = (keyFlags & DRAG_KEY_SHIFT) != 0;
    if (bShift && (source != KindGroup || target != KindGroup))
        return FALSE;
    // Onto a contact only a contact.
    if (pTarget != nullptr && pSource == nullptr)
        return FALSE;
    if (IsBelow(hTarget, hSource))
        return FALSE;
    if (pTargetGroup != nullptr && pTargetGroup->IsLocked() && !bShift)
        return FALSE;
    // A link finds its source from the top of its own book.
    if (pSource != nullptr && pSource->IsVirtual() &&
        GetItemDocument(hSource) != GetItemDocument(hTarget))
        return FALSE;
    return TRUE;
}

BOOL CLeftView::CanLinkInto(HTREEITEM hSource, HTREEITEM hTarget) {
    _CPerson* pSource = GetPersonOfItem(hSource);
    CGroup* pTarget = GetGroupOfItem(hTarget);
    return pSource != nullptr && !pSource->IsVirtual() && pTarget != nullptr &&
           !pTarget->IsLocked() && GetItemDocument(hSource) == GetItemDocument(hTarget);
}

CLeftView::DropAction CLeftView::GetDropAction(HTREEITEM hSource, HTREEITEM hTarget,
                                               int keyFlags) {
    // Picking disables the commands; nothing is dropped meanwhile.
    if (!m_bCommandsEnabled || hSource == nullptr || hTarget == nullptr || hSource == hTarget)
        return DropNone;
    const BOOL bCtrl = (keyFlags & DRAG_KEY_CTRL) != 0;
    const BOOL bShift = (keyFlags & DRAG_KEY_SHIFT) != 0;
    const BOOL bAlt = (keyFlags & DRAG_KEY_ALT) != 0;
    const BOOL bContacts = GetPersonOfItem(hSource) != nullptr &&
                           GetPersonOfItem(hTarget) != nullptr;
    if (bAlt && !bCtrl && !bShift)
        return bContacts ? DropMerge : DropNone;
    if (BaseDropRule(hSource, hTarget, keyFlags)) {
        if (bCtrl)
            return DropCopy;
        if (bShift && CanLinkInto(hSource, hTarget))
            return DropLink;
        return DropMove;
    }
    if (!bCtrl && bShift && CanLinkInto(hSource, hTarget))
        return DropLink;
    return DropNone;
}

BOOL CLeftView::LinkInto(HTREEITEM hSource, HTREEITEM hTarget) {
    if (!CanLinkInto(hSource, hTarget))
        return FALSE;
    if (m_groupHelper.CopyItem(hSource, hTarget, TRUE, nullptr, TRUE, TRUE) == nullptr)
        return FALSE;
    MarkDocumentModified(GetItemDocument(hTarget));
    return TRUE;
}

BOOL CLeftView::MergeDrop(HTREEITEM hSource, HTREEITEM hTarget) {
    _CPerson* pDragged = GetPersonOfItem(hSource);
    _CPerson* pTarget = GetPersonOfItem(hTarget);
    if (pDragged == nullptr || pTarget == nullptr)
        return FALSE;
    // One choice for every contact of the drop.
    if (m_nMergePass == 0) {
        if (s_bMergeWithoutAsking && AnyMask(m_mergeMasks)) {
            m_nMergePass = 1;
        } else {
            CDlgModifyPerson dlg;
            std::copy(std::begin(m_mergeMasks), std::end(m_mergeMasks), dlg.m_masks);
            dlg.SetScheme(m_nMergeScheme);
            const BOOL bOk = dlg.DoModal() == IDOK && AnyMask(dlg.m_masks);
            if (bOk) {
                std::copy(std::begin(dlg.m_masks), std::end(dlg.m_masks), m_mergeMasks);
                m_nMergeScheme = dlg.GetScheme();
            }
            m_nMergePass = bOk ? 1 : -1;
        }
    }
    if (m_nMergePass < 0)
        return FALSE;
    // A link's data is its source's.
    auto* pWrite = dynamic_cast<_CPerson*>(pDragged->ResolveLink());
    auto* pRead = dynamic_cast<_CPerson*>(pTarget->ResolveLink());
    if (pWrite == nullptr || pRead == nullptr || pWrite == pRead)
        return FALSE;
    const CString oldName = pWrite->GetName();
    const int oldSex = pWrite->GetInfo().m_personal.nSex;
    if (!pWrite->MergeFields(pRead, m_mergeMasks, m_nMergeScheme, 0))
        return FALSE;
    MarkDocumentModified(GetItemDocument(hSource));
    if (pWrite->GetName() == oldName && pWrite->GetInfo().m_personal.nSex == oldSex)
        return TRUE;
    // The label or picture changed: the item is built again in its sorted place, and a link
    // dragged here follows its source's new name.
    if (pWrite != pDragged)
        pDragged->LinkTo(pWrite);
    std::vector<CContent*> rebuilt{pWrite};
    if (pDragged != pWrite)
        rebuilt.push_back(pDragged);
    for (CContent* pRecord : rebuilt) {
        auto hItem = (HTREEITEM)pRecord->GetTreeItem();
        if (hItem == nullptr)
            continue;
        const BOOL bCurrent = hItem == m_hCurrent;
        HTREEITEM hNew = m_groupHelper.ResortItem(hItem);
        if (bCurrent && hNew != nullptr)
            Tree().SelectItem(hNew);
    }
    return TRUE;
}

BOOL CLeftView::DoDrop(HTREEITEM hSource, HTREEITEM hTarget, int keyFlags, BOOL bTest,
                       BOOL bHasNext, DRAGSTATE* pState) {
    // The records of a book's root moving into a group follow it as they are.
    if (m_bMovingRoot)
        return CGroupTreeView::DoDrop(hSource, hTarget, keyFlags, bTest, bHasNext, pState);
    if (pState != nullptr)
        m_dragHelper.SetDragState(*pState);
    const DropAction action = GetDropAction(hSource, hTarget, keyFlags);
    if (bTest)
        return action != DropNone;
    BOOL ok = FALSE;
    switch (action) {
    case DropCopy:
        ok = CGroupTreeView::DoDrop(hSource, hTarget, DRAG_KEY_CTRL, FALSE, TRUE, nullptr);
        break;
    case DropMove:
        m_bMovingRoot = GetItemType(hSource) == KindFileRoot;
        ok = CGroupTreeView::DoDrop(hSource, hTarget, keyFlags & DRAG_KEY_SHIFT, FALSE, TRUE,
                                    nullptr);
        m_bMovingRoot = FALSE;
        break;
    case DropLink:
        ok = LinkInto(hSource, hTarget);
        break;
    case DropMerge:
        ok = MergeDrop(hSource, hTarget);
        break;
    case DropNone:
        break;
    }
    if (!bHasNext) {
        // The next drop asks for its own merge choice again.
        m_nMergePass = 0;
        if (m_pCurrentFile != nullptr && (ok || CDragDropHelper::GetDroppedCount() > 0))
            m_pCurrentFile->pDoc->UpdateAllViews(nullptr);
    }
    return ok;
}
