// The address-book tree's modes (contacts alone, or with their messages), the personal message
// boxes below contacts, picking contacts for another pane, the checks before the selection moves,
// and the messages the pane's views send the tree.
#include "contacts/ui/LeftView.h"

#include "contacts/Person.h"
#include "contacts/ui/DlgBirthdayRemind.h"
#include "contacts/ui/DlgGroupProperty.h"
#include "platform/gui/Frame.h"
#include "platform/gui/MessageBox.h"

#include <algorithm>

namespace {

constexpr COLORREF kBlue = RGB(0, 0, 0xFF);
constexpr COLORREF kRed = RGB(0xFF, 0, 0);
// The contact form's confirm command.
constexpr UINT kConfirmEdit = 32821;
// WM_VIEW_BUSY codes: a view starts and ends an edit, the tree runs the form's confirm, the
// selection is shown again.
constexpr WPARAM kBusy = 100, kIdle = 102, kConfirmByTree = 104, kShowAgain = 300;
constexpr UINT kModeTexts[] = {0, 198, 0, 252, 253};

} // namespace

// ---- Item kinds -----------------------------------------------------------------------------

int CLeftView::GetItemType(HTREEITEM hItem) {
    if (hItem != nullptr && hItem != TVI_ROOT && hItem != m_hTopItem && m_hWnd != nullptr) {
        if (auto* pBox = dynamic_cast<_CSmsBox*>(m_groupHelper.GetItemObject(hItem))) {
            int type = pBox->GetBoxType();
            return ItemBoxFirst + (type >= 0 && type <= 5 ? type : 5);
        }
    }
    return CGroupTreeView::GetItemType(hItem);
}

int CLeftView::GetItemKind(HTREEITEM hItem) {
    int kind = GetItemType(hItem);
    return kind == KindTop ? ItemTop : kind;
}

// ---- Modes ----------------------------------------------------------------------------------

void CLeftView::SetMode(int nMode) {
    if ((nMode != ModeContacts && nMode != ModeMessages && nMode != ModeMobile) ||
        nMode == m_nMode)
        return;
    if (auto* pBar = dynamic_cast<CINavigationBarHost*>(GetParent());
        pBar != nullptr && pBar->GetFolderCount() > 0)
        pBar->SetFolderCaption(0, LoadText(kModeTexts[nMode]), TRUE);
    if (m_hWnd != nullptr)
        Tree().SetFocus();
    m_nPreviousMode = m_nMode;
    m_nMode = nMode;
    // The boxes-shown mark stays on the contacts, so their boxes come back with the mode.
    for (int i = 0; i < GetFileCount(); ++i)
        if (CGroup* pRoot = GetRootGroup(GetFileAt(i)->pDoc))
            ShowMarkedBoxes(pRoot, nMode == ModeMessages);
    OnCurrentItemChanged(m_hCurrent, TRUE);
}

int CLeftView::SetViewMode(int nMode) {
    int old = m_nViewMode;
    m_nViewMode = nMode;
    return old;
}

void CLeftView::OnModeCommand(UINT nID) {
    SetMode(nID == ID_MODE_MESSAGES ? ModeMessages
            : nID == ID_MODE_MOBILE ? ModeMobile
                                    : ModeContacts);
}

void CLeftView::OnModeButton(UINT nID) {
    UINT nCommand = nID == ID_MODE_BUTTON_CONTACTS   ? ID_MODE_CONTACTS
                    : nID == ID_MODE_BUTTON_MESSAGES ? ID_MODE_MESSAGES
                                                     : ID_MODE_MOBILE;
    SendMessage(WM_COMMAND, nCommand);
}

void CLeftView::OnModeToggle() {
    SetMode(m_nMode == ModeContacts ? m_nPreviousMode : ModeContacts);
}

void CLeftView::OnUpdateModeCommand(CCmdUI* pCmdUI) {
    switch (pCmdUI->m_nID) {
    case ID_MODE_CONTACTS:
        pCmdUI->SetRadio(m_nMode == ModeContacts);
        break;
    case ID_MODE_MESSAGES:
        pCmdUI->SetRadio(m_nMode == ModeMessages);
        break;
    case ID_MODE_MOBILE:
        pCmdUI->SetRadio(m_nMode == ModeMobile);
        break;
    case ID_MODE_BUTTON_CONTACTS:
        pCmdUI->SetCheck(m_nMode == ModeContacts);
        break;
    case ID_MODE_BUTTON_MESSAGES:
        pCmdUI->SetCheck(m_nMode == ModeMessages);
        break;
    case ID_MODE_BUTTON_MOBILE:
        pCmdUI->SetCheck(m_nMode == ModeMobile);
        break;
    default: // the toggle button
        pCmdUI->SetCheck(m_nMode != ModeContacts);
        break;
    }
}

void CLeftView::OnShowMessageCounts() {
    m_bShowMessageCounts = !m_bShowMessageCounts;
    Tree().Invalidate();
}

void CLeftView::OnUpdateShowMessageCounts(CCmdUI* pCmdUI) {
    pCmdUI->Enable(m_nMode != ModeContacts);
    pCmdUI->SetCheck(m_bShowMessageCounts ? 1 : 0);
}

void CLeftView::OnUpdateRemindBirthdays(CCmdUI* pCmdUI) {
    const int kind = GetItemType(m_hCurrent);
    pCmdUI->Enable(kind == KindTop || kind == KindGroup || kind == KindFileRoot);
}

void CLeftView::OnRemindBirthdays() {
    RemindBirthdays(m_hCurrent, FALSE);
}

void CLeftView::RemindBirthdays(HTREEITEM hItem, BOOL bAutoOpened) {
    const int kind = hItem != nullptr ? GetItemType(hItem) : KindNone;
    if (kind == KindGroup || kind == KindFileRoot) {
        if (auto* pGroup = dynamic_cast<_CGroup*>(GetGroupOfItem(hItem))) {
            CDlgBirthdayRemind dlg(pGroup, this, bAutoOpened);
            dlg.DoModal();
        }
        return;
    }
    if (GetFileCount() == 0)
        return;
    CAllFilesGroup all(*this);
    CDlgBirthdayRemind dlg(all.Get(), this, bAutoOpened);
    dlg.DoModal();
}

void CLeftView::OnShowSelectionCommand() {
    if (m_nViewMode != ViewModePicking)
        OnCurrentItemChanged(m_hCurrent, TRUE);
}

void CLeftView::OnUpdateWriteSms(CCmdUI* pCmdUI) {
    const int kind = GetItemType(m_hCurrent);
    pCmdUI->Enable(m_nMode == ModeMessages && m_nViewMode != ViewModePicking &&
                   m_pRightPane != nullptr && (kind == KindContent || IsBoxKind(GetItemKind(m_hCurrent))));
}

void CLeftView::OnWriteSms() {
    // The form writes to the document's current contact and files into its current box; it
    // puts the tree into picking itself, whoever opens it.
    if (m_nMode != ModeMessages || m_nViewMode == ViewModePicking || m_pRightPane == nullptr ||
        m_pCurrentFile == nullptr)
        return;
    m_pRightPane->OpenSmsEditor(m_pCurrentFile->pDoc, 0, this, 0, 0);
}

CLeftView::SmsToContactHandler& CLeftView::SmsToContact() {
    static SmsToContactHandler s_handler = nullptr;
    return s_handler;
}

int CLeftView::SendSmsToContact(_CPerson* pPerson) {
    if (pPerson != nullptr && pPerson->IsVirtual())
        pPerson = dynamic_cast<_CPerson*>(pPerson->GetVirtualSource());
    if (pPerson == nullptr || SmsToContact() == nullptr)
        return 0;
    CQuillmarBaseDoc* pDoc = m_pCurrentFile != nullptr ? m_pCurrentFile->pDoc : nullptr;
    const int nResult = SmsToContact()(pPerson, pDoc);
    if (nResult == 1) {
        const int kind = GetItemKind(m_hCurrent);
        if (kind == ItemBoxFirst + 1 || kind == ItemBoxFirst + 2)
            SendMessage(WM_COMMAND, ID_SHOW_SELECTION);
    }
    if (nResult != 0)
        UpdateTitle();
    return nResult;
}

// The contact of the current item: a contact, or the owner of a personal box.
void CLeftView::OnSendSms() {
    HTREEITEM hItem = m_hCurrent;
    if (IsBoxKind(GetItemKind(hItem)))
        hItem = Tree().GetParentItem(hItem);
    if (GetItemType(hItem) == KindContent)
        SendSmsToContact(dynamic_cast<_CPerson*>(m_groupHelper.GetItemObject(hItem)));
}

void CLeftView::OnUpdateSendSms(CCmdUI* pCmdUI) {
    const BOOL bContact = GetItemType(m_hCurrent) == KindContent || IsBoxKind(GetItemKind(m_hCurrent));
    pCmdUI->Enable(bContact && SmsToContact() != nullptr);
}

// ---- Personal boxes -------------------------------------------------------------------------

void CLeftView::ShowPersonBoxes(HTREEITEM hItem, BOOL bShow, BOOL bMark) {
    if (GetItemType(hItem) != KindContent)
        return;
    auto* pPerson = dynamic_cast<_CPerson*>(m_groupHelper.GetItemObject(hItem));
    if (pPerson == nullptr)
        return;
    // The selection leaves a box before its item goes.
    if (m_hCurrent != nullptr && m_hCurrent != hItem && Tree().GetParentItem(m_hCurrent) == hItem)
        Tree().SelectItem(hItem);
    while (HTREEITEM hChild = Tree().GetChildItem(hItem))
        m_groupHelper.RemoveItemOnly(hChild);
    if (!bShow) {
        if (bMark)
            pPerson->SetBoxesShown(FALSE);
        return;
    }
    if (pPerson->IsVirtual())
        return;
    _CSmsBox& root = pPerson->GetSmsBox();
    int index = 0;
    for (POSITION pos = root.GetFirstSubBoxPosition(); pos != nullptr; ++index) {
        _CSmsBox* pBox = root.GetNextSubBox(pos);
        const int image = ImgBoxFirst + std::min(index, 3);
        HTREEITEM hBox = Tree().InsertItem(TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM,
                                           pBox->GetName(), image, image, 0, 0,
                                           (LPARAM) static_cast<CObject*>(pBox), hItem, TVI_LAST);
        if (hBox != nullptr)
            pBox->SetTreeItem((DWORD_PTR)hBox);
    }
    pPerson->SetBoxesShown(TRUE);
}

void CLeftView::ShowMarkedBoxes(CGroup* pGroup, BOOL bShow) {
    for (POSITION pos = pGroup->GetFirstContentPosition(); pos != nullptr;) {
        auto* pPerson = dynamic_cast<_CPerson*>(pGroup->GetNextContent(pos));
        if (pPerson != nullptr && pPerson->AreBoxesShown() && pPerson->GetTreeItem() != 0)
            ShowPersonBoxes((HTREEITEM)pPerson->GetTreeItem(), bShow, FALSE);
    }
    for (POSITION pos = pGroup->GetFirstSubgroupPosition(); pos != nullptr;)
        ShowMarkedBoxes(pGroup->GetNextSubgroup(pos), bShow);
}

void CLeftView::ForgetShownBoxes(CGroup* pGroup) {
    for (POSITION pos = pGroup->GetFirstContentPosition(); pos != nullptr;) {
        auto* pPerson = dynamic_cast<_CPerson*>(pGroup->GetNextContent(pos));
        if (pPerson == nullptr || !pPerson->AreBoxesShown())
            continue;
        // Outside the messages mode the boxes have no items, only the mark.
        if (pPerson->GetTreeItem() != 0)
            ShowPersonBoxes((HTREEITEM)pPerson->GetTreeItem(), FALSE, TRUE);
        pPerson->SetBoxesShown(FALSE);
    }
    for (POSITION pos = pGroup->GetFirstSubgroupPosition(); pos != nullptr;)
        ForgetShownBoxes(pGroup->GetNextSubgroup(pos));
}

void CLeftView::OnGroupCut(CObject* pRecord) {
    if (auto* pPerson = dynamic_cast<_CPerson*>(pRecord)) {
        if (pPerson->GetTreeItem() != 0)
            ShowPersonBoxes((HTREEITEM)pPerson->GetTreeItem(), FALSE, TRUE);
        pPerson->SetBoxesShown(FALSE);
        return;
    }
    for (int i = 0; i < GetFileCount(); ++i)
        if (CGroup* pRoot = GetRootGroup(GetFileDocument(GetFileAt(i))))
            ForgetShownBoxes(pRoot);
}

void CLeftView::OnBeforeMove(HTREEITEM hSource, HTREEITEM) {
    // The box items would go with the old item and leave their boxes bound to it.
    CObject* pRecord = m_groupHelper.GetItemObject(hSource);
    if (dynamic_cast<_CPerson*>(pRecord) != nullptr)
        ShowPersonBoxes(hSource, FALSE, FALSE);
    else if (auto* pGroup = dynamic_cast<CGroup*>(pRecord))
        ShowMarkedBoxes(pGroup, FALSE);
}

void CLeftView::KeepBoxesShown(HTREEITEM hItem, CContent* pContent) {
    auto* pPerson = dynamic_cast<_CPerson*>(pContent);
    if (pPerson != nullptr && pPerson->AreBoxesShown() && m_nMode == ModeMessages)
        ShowPersonBoxes(hItem, TRUE, FALSE);
}

_CSmsBox* CLeftView::GetCurrentBox() {
    auto* pDoc = m_pCurrentFile != nullptr ? dynamic_cast<CSmsDoc*>(m_pCurrentFile->pDoc) : nullptr;
    return pDoc != nullptr ? pDoc->GetCurrentBox() : nullptr;
}

void CLeftView::OnShowBoxes() {
    HTREEITEM hItem = m_hCurrent;
    auto* pPerson = dynamic_cast<_CPerson*>(m_groupHelper.GetItemObject(hItem));
    if (m_nMode != ModeMessages || GetItemType(hItem) != KindContent || pPerson == nullptr ||
        pPerson->IsVirtual() || Tree().GetChildItem(hItem) != nullptr)
        return;
    ShowPersonBoxes(hItem, TRUE, TRUE);
    Tree().Expand(hItem, TVE_EXPAND);
    int image = 0, selImage = 0;
    ContactImages(pPerson->GetInfo().m_personal.nSex, image, selImage);
    Tree().SetItemImage(hItem, selImage, selImage);
}

void CLeftView::OnUpdateShowBoxes(CCmdUI* pCmdUI) {
    auto* pPerson = dynamic_cast<_CPerson*>(m_groupHelper.GetItemObject(m_hCurrent));
    pCmdUI->Enable(m_nMode == ModeMessages && GetItemType(m_hCurrent) == KindContent &&
                   pPerson != nullptr && !pPerson->IsVirtual() &&
                   Tree().GetChildItem(m_hCurrent) == nullptr);
}

void CLeftView::OnDoubleClick(NMHDR*, LRESULT* pResult) {
    *pResult = 0;
    if (m_nMode != ModeMessages)
        return;
    CPoint pt((LPARAM)GetMessagePos());
    Tree().ScreenToClient(&pt);
    UINT flags = 0;
    HTREEITEM hItem = Tree().HitTest(pt, &flags);
    if (hItem == nullptr || hItem != m_hCurrent || !(flags & (TVHT_ONITEMLABEL | TVHT_ONITEMICON)) ||
        GetItemType(hItem) != KindContent || Tree().GetChildItem(hItem) != nullptr)
        return;
    SendMessage(WM_COMMAND, ID_SHOW_BOXES);
    // The boxes are shown expanded: the click does not toggle the item again.
    *pResult = 1;
}

// ---- Expanding ------------------------------------------------------------------------------

void CLeftView::OnItemExpandingChecked(NMHDR* pNMHDR, LRESULT* pResult) {
    auto* nm = reinterpret_cast<NMTREEVIEW*>(pNMHDR);
    *pResult = 0;
    if (m_bClosing || (nm->action & TVE_COLLAPSE) || !(nm->action & TVE_EXPAND))
        return;
    if (!CanLeaveGroupDialog() || !CanLeaveRightPaneView() || !UnlockItem(nm->itemNew.hItem))
        *pResult = 1;
}

void CLeftView::OnItemExpandedImages(NMHDR* pNMHDR, LRESULT* pResult) {
    auto* nm = reinterpret_cast<NMTREEVIEW*>(pNMHDR);
    HTREEITEM hItem = nm->itemNew.hItem;
    auto* pPerson = dynamic_cast<_CPerson*>(m_groupHelper.GetItemObject(hItem));
    if (GetItemType(hItem) != KindContent || pPerson == nullptr) {
        CGroupTreeView::OnItemExpanded(pNMHDR, pResult);
        return;
    }
    *pResult = 0;
    int image = 0, selImage = 0;
    ContactImages(pPerson->GetInfo().m_personal.nSex, image, selImage);
    if (Tree().GetItemState(hItem, TVIS_EXPANDED) & TVIS_EXPANDED) {
        Tree().SetItemImage(hItem, selImage, selImage);
        return;
    }
    Tree().SetItemImage(hItem, image, selImage);
    // Collapsing a contact puts its boxes away until they are asked for again.
    if (Tree().GetChildItem(hItem) != nullptr)
        ShowPersonBoxes(hItem, FALSE, TRUE);
}

// ---- Showing the selection ------------------------------------------------------------------

CLeftView::SShownChoice CLeftView::ChooseShown(HTREEITEM hItem) {
    SShownChoice c;
    const int kind = GetItemType(hItem);
    const BOOL bMessages = m_nMode != ModeContacts;
    CObject* pObject = m_groupHelper.GetItemObject(hItem);
    if (kind == KindTop) {
        c.nView = ViewSplitter;
        c.nShownKind = bMessages ? ShownDefault : m_nShownKind;
    } else if (kind == KindGroup || kind == KindFileRoot) {
        c.nView = bMessages ? ViewGroup : ViewPersonList;
        c.nShownKind = bMessages ? ShownMessageGroup : ShownGroupList;
        c.pCurrent = pObject;
    } else if (kind == KindContent) {
        auto* pPerson = dynamic_cast<_CPerson*>(pObject);
        _CPerson* pSource = pPerson;
        if (pPerson != nullptr && pPerson->IsVirtual())
            pSource = dynamic_cast<_CPerson*>(pPerson->GetVirtualSource());
        const BOOL bGone = pPerson != nullptr && pSource == nullptr;
        if (!bMessages) {
            c.nView = bGone ? ViewInvalidVirtual : ViewForm;
            c.nShownKind = ShownForm;
            c.pCurrent = bGone ? pPerson : pSource;
        } else {
            c.nView = bGone ? ViewInvalidVirtual : ViewPerson;
            c.nShownKind = ShownMessageContact;
            c.pCurrent = pSource;
            if (_CPerson* pOwner = bGone ? pPerson : pSource)
                c.pBox = &pOwner->GetSmsBox();
        }
    } else if (IsBoxKind(kind)) {
        c.nView = ViewSplitter;
        c.nShownKind = ShownMessageGroup;
        c.pCurrent = m_groupHelper.GetItemObject(Tree().GetParentItem(hItem));
        c.pBox = dynamic_cast<_CSmsBox*>(pObject);
    }
    return c;
}

void CLeftView::OnCurrentItemChanged(HTREEITEM hItem, BOOL bUpdateViews) {
    if (m_nViewMode == ViewModePicking) {
        // The pane belongs to the picking view: only the book and the caption follow.
        if (hItem == m_hCurrent) {
            m_pCurrentFile = GetFileInfo(hItem);
            MoveSelectionOverlay(hItem);
        }
        UpdateTitle();
        return;
    }
    SShownChoice c = ChooseShown(hItem);
    if (c.nView != 0) {
        m_nContentViewNumber = c.nView;
        m_nGroupViewNumber = c.nView;
    }
    if (hItem == m_hCurrent && c.nShownKind != 0)
        m_nShownKind = c.nShownKind;
    CGroupTreeView::OnCurrentItemChanged(hItem, bUpdateViews);
    if (hItem == m_hCurrent && m_hCurrent != nullptr)
        MoveSelectionOverlay(hItem);
}

void CLeftView::SetDocumentCurrentRecord(CQuillmarBaseDoc* pDoc, HTREEITEM hItem) {
    auto* pSms = dynamic_cast<CSmsDoc*>(pDoc);
    if (pSms == nullptr) {
        CGroupTreeView::SetDocumentCurrentRecord(pDoc, hItem);
        return;
    }
    SShownChoice c = ChooseShown(hItem);
    pSms->SetCurrentObject(c.pCurrent);
    pSms->SetCurrentBox(c.pBox);
}

void CLeftView::MoveSelectionOverlay(HTREEITEM hItem) {
    constexpr UINT kCurrentOverlay = INDEXTOOVERLAYMASK(3);
    if (m_hMarkedContact != nullptr && m_hMarkedContact != hItem &&
        Tree().IsValidItem(m_hMarkedContact) && GetItemType(m_hMarkedContact) == KindContent &&
        (Tree().GetItemState(m_hMarkedContact, TVIS_OVERLAYMASK) & TVIS_OVERLAYMASK) ==
            kCurrentOverlay)
        Tree().SetItemState(m_hMarkedContact, 0, TVIS_OVERLAYMASK);
    m_hMarkedContact = nullptr;
    auto* pPerson = dynamic_cast<_CPerson*>(m_groupHelper.GetItemObject(hItem));
    if (pPerson != nullptr && !pPerson->IsVirtual() && GetItemType(hItem) == KindContent) {
        Tree().SetItemState(hItem, kCurrentOverlay, TVIS_OVERLAYMASK);
        m_hMarkedContact = hItem;
    }
}

// ---- Caption and texts after the labels -----------------------------------------------------

BOOL CLeftView::GetCaptionText(CObject* pRecord, CString& text) {
    auto* pBox = dynamic_cast<_CSmsBox*>(pRecord);
    if (pBox == nullptr)
        return CGroupTreeView::GetCaptionText(pRecord, text);
    text.Empty();
    HTREEITEM hBox = (HTREEITEM)pBox->GetTreeItem();
    CObject* pOwner = hBox != nullptr ? m_groupHelper.GetItemObject(Tree().GetParentItem(hBox))
                                      : nullptr;
    if (!CGroupTreeView::GetCaptionText(pOwner, text))
        return FALSE;
    if (pBox->GetParent() != nullptr && !pBox->GetName().IsEmpty())
        text += " {" + pBox->GetName() + "}";
    return TRUE;
}

void CLeftView::DrawItemExtras(CDC* pDC, HTREEITEM hItem) {
    if (pDC == nullptr || hItem == nullptr || !m_bInitialized)
        return;
    const int kind = GetItemType(hItem);
    if (IsBoxKind(kind)) {
        auto* pBox = dynamic_cast<_CSmsBox*>(m_groupHelper.GetItemObject(hItem));
        CString text;
        if (m_bShowMessageCounts && pBox != nullptr &&
            FormatItemCount(pBox->GetSmsCount(), pBox->CountSmsByState(-1, TRUE), text)) {
            BOOL bUnread = pBox->CountSmsByState(_CSms::STATE_UNREAD, TRUE) > 0;
            m_drawHelper.DrawTextAfterItem(pDC, hItem, text, bUnread ? kRed : kBlue, 2);
        }
        return;
    }
    if (kind == KindContent) {
        auto* pPerson = dynamic_cast<_CPerson*>(m_groupHelper.GetItemObject(hItem));
        if (pPerson != nullptr && m_nMode != ModeContacts && m_bShowMessageCounts) {
            auto* pSource = dynamic_cast<_CPerson*>(pPerson->ResolveLink());
            if (pSource != nullptr && pSource->CountSmsByState(-1) > 0)
                m_drawHelper.DrawTextAfterItem(pDC, hItem, LoadText(263), kBlue, 2);
        }
        return;
    }
    CGroupTreeView::DrawItemExtras(pDC, hItem);
}

// ---- The group property dialog -------------------------------------------------------------

void CLeftView::OnReturnKey(NMHDR*, LRESULT* pResult) {
    *pResult = 0;
    const int kind = GetItemType(m_hCurrent);
    if ((kind == KindGroup || kind == KindFileRoot) && !IsGroupDialogOpen())
        OnGroupProperties();
}

BOOL CLeftView::CanLeaveGroupDialog() {
    if (m_bClosing || !IsGroupDialogOpen() || m_pGroupDialog->GetGroup() == nullptr ||
        !m_pGroupDialog->IsModified())
        return TRUE;
    AfxMessageBox(LoadText(264), MB_OK | MB_ICONQUESTION);
    return FALSE;
}

// ---- Messages -------------------------------------------------------------------------------

void CLeftView::SendToMainFrame(WPARAM wParam, LPARAM lParam) {
    if (CFrameWnd* pFrame = GetParentFrame())
        pFrame->SendMessage(WM_VIEW_BUSY, wParam, lParam);
}

void CLeftView::EnableNavigationPages(BOOL bEnable) {
    auto* pBar = dynamic_cast<CINavigationBarHost*>(GetParent());
    if (pBar == nullptr)
        return;
    for (int i = 1; i < pBar->GetFolderCount(); ++i)
        pBar->EnableFolder(i, bEnable);
}

LRESULT CLeftView::OnPickBegin(WPARAM, LPARAM) {
    // No label is edited while picking: the showing of the selection gives the style back.
    m_groupHelper.FinishLabelEdit();
    Tree().ModifyStyle(TVS_EDITLABELS, 0);
    SetViewMode(ViewModePicking);
    EnableCommands(FALSE);
    SendToMainFrame(kBusy, 0);
    EnableNavigationPages(FALSE);
    m_nShownKind = ShownPicking;
    return 0;
}

LRESULT CLeftView::OnPickEnd(WPARAM, LPARAM) {
    if (m_pRightPane != nullptr)
        m_pRightPane->RestoreView();
    EnableNavigationPages(TRUE);
    SetViewMode(ViewModeNormal);
    EnableCommands(TRUE);
    SendToMainFrame(kIdle, 0);
    OnCurrentItemChanged(m_hCurrent, TRUE);
    return 0;
}

LRESULT CLeftView::OnTreePresent(WPARAM, LPARAM) {
    return 1;
}

LRESULT CLeftView::OnGoToField(WPARAM wParam, LPARAM lParam) {
    if ((int)wParam == kUnreachableField)
        return 0;
    SetMode(ModeContacts);
    if (m_pRightPane != nullptr)
        if (CWnd* pForm = m_pRightPane->GetView(ViewForm, kModuleKind);
            pForm != nullptr && pForm->GetSafeHwnd() != nullptr)
            pForm->SendMessage(WM_GO_TO_FIELD, wParam, lParam);
    return 1;
}

LRESULT CLeftView::OnTreeNews(WPARAM wParam, LPARAM lParam) {
    switch (wParam) {
    case kBusy:
        // An edit in the contact form holds the tree, and the address book with it, until it
        // is confirmed or discarded: behind another folder the hidden form could be neither,
        // and a message written meanwhile would find the tree closed off.
        if (m_nShownKind == ShownForm) {
            EnableWindow(FALSE);
            EnableCommands(FALSE);
            EnableNavigationPages(FALSE);
        }
        SendToMainFrame(wParam, lParam);
        return 0;
    case kIdle: {
        HTREEITEM hItem = m_hCurrent;
        auto* pPerson = dynamic_cast<_CPerson*>(m_groupHelper.GetItemObject(hItem));
        if (lParam == (LPARAM)kConfirmEdit && pPerson != nullptr &&
            GetItemType(hItem) == KindContent) {
            if (pPerson->IsVirtual()) {
                if (CContent* pSource = pPerson->GetVirtualSource()) {
                    pPerson->LinkTo(pSource);
                    if (HTREEITEM hSource = (HTREEITEM)pSource->GetTreeItem()) {
                        m_groupHelper.UpdateItemText(hSource);
                        m_groupHelper.UpdateItemImage(hSource);
                    }
                }
            }
            if (GetKeyState(VK_CONTROL) < 0) {
                m_groupHelper.UpdateItemText(hItem);
                m_groupHelper.UpdateItemImage(hItem);
            } else {
                // The item is made again in its sorted place, so the form goes with the old
                // selection and comes back with the new one: the field the user was in gets the
                // keyboard back rather than the form's own window.
                CWnd* pFocus = CWnd::GetFocus();
                const HWND hFocus = pFocus != nullptr ? pFocus->m_hWnd : nullptr;
                if (HTREEITEM hNew = m_groupHelper.ResortItem(hItem))
                    Tree().SelectItem(hNew);
                if (hFocus != nullptr && ::IsWindow(hFocus)) {
                    CWnd* pKeep = CWnd::FromHandle(hFocus);
                    if (CWnd::GetFocus() != pKeep && pKeep->IsWindowVisible())
                        pKeep->SetFocus();
                }
            }
            UpdateTitle();
        }
        EnableWindow(TRUE);
        EnableCommands(TRUE);
        if (m_nViewMode != ViewModePicking)
            EnableNavigationPages(TRUE);
        SendToMainFrame(wParam, lParam);
        return 0;
    }
    case kConfirmByTree:
        if (m_pRightPane != nullptr)
            if (CWnd* pForm = m_pRightPane->GetView(ViewForm, kModuleKind);
                pForm != nullptr && pForm->GetSafeHwnd() != nullptr)
                pForm->SendMessage(WM_COMMAND, kConfirmEdit);
        return 0;
    case kShowAgain:
        if (m_nViewMode != ViewModePicking)
            ShowCurrentItemAgain();
        return 0;
    default:
        return 0;
    }
}

void CLeftView::OnTimer(UINT_PTR nIDEvent) {
    if (nIDEvent != 1) {
        CGroupTreeView::OnTimer(nIDEvent);
        return;
    }
    m_bTimerRunning = TRUE;
    if (++m_nTimerTicks >= 6) {
        KillTimer(1);
        m_nTimerTicks = 0;
        m_bTimerRunning = FALSE;
    }
}

// ---- Calendar -------------------------------------------------------------------------------

int CLeftView::GetDayInfo(const CDate& date, CKovCalendarCellItemList* pItems, BOOL bStopAtFirst) {
    CKovCalendarCellItemList scratch;
    CKovCalendarCellItemList& items = pItems != nullptr ? *pItems : scratch;
    int total = 0;
    for (int i = 0; i < GetFileCount(); ++i) {
        auto* pDoc = dynamic_cast<CSmsDoc*>(GetFileAt(i)->pDoc);
        if (pDoc == nullptr)
            continue;
        int n = pDoc->GetCalendarItems(date, items, bStopAtFirst);
        total += n;
        if (bStopAtFirst && n != 0)
            break;
    }
    return total;
}

// ---- Personal boxes: statistics, card export, paste and dropped messages ---------------------

CLeftView::CIPersonalBoxActions*& CLeftView::PersonalBoxActions() {
    static CIPersonalBoxActions* s_pActions = nullptr;
    return s_pActions;
}

_CSmsBox* CLeftView::GetBoxOfItem(HTREEITEM hItem) {
    if (hItem == nullptr || !IsBoxKind(GetItemKind(hItem)))
        return nullptr;
    return dynamic_cast<_CSmsBox*>(m_groupHelper.GetItemObject(hItem));
}

void CLeftView::OnBoxStatistics() {
    if (_CSmsBox* pBox = GetBoxOfItem(m_hCurrent); pBox != nullptr && PersonalBoxActions() != nullptr)
        PersonalBoxActions()->ShowStatistics(pBox, this);
}

void CLeftView::OnUpdateBoxStatistics(CCmdUI* pCmdUI) {
    pCmdUI->Enable(GetBoxOfItem(m_hCurrent) != nullptr && PersonalBoxActions() != nullptr);
}

void CLeftView::OnPasteMessages() {
    _CSmsBox* pBox = GetBoxOfItem(m_hCurrent);
    if (pBox == nullptr) {
        OnPaste();
        return;
    }
    if (PersonalBoxActions() == nullptr || !PersonalBoxActions()->PasteMessages(pBox))
        return;
    if (CQuillmarBaseDoc* pDoc = GetItemDocument(m_hCurrent))
        pDoc->SetModifiedFlag(TRUE);
    UpdateTitle();
    OnShowSelectionCommand();
}

void CLeftView::OnUpdatePasteMessages(CCmdUI* pCmdUI) {
    if (GetBoxOfItem(m_hCurrent) == nullptr) {
        OnUpdateCommand(pCmdUI);
        return;
    }
    pCmdUI->Enable(PersonalBoxActions() != nullptr && PersonalBoxActions()->CanPasteMessages());
}

LRESULT CLeftView::OnDropQueryKinds(WPARAM wParam, LPARAM lParam) {
    auto* q = reinterpret_cast<GROUPDROPQUERY*>(lParam);
    if (q == nullptr || q->nKind != 1)
        return OnDropQuery(wParam, lParam);
    // Rows of a message list: they may go only onto a personal box, and never while picking.
    if (wParam != 0 || q->bHitTest) {
        if (!q->bNoDrop)
            q->hHit = Tree().HitTest(CPoint(q->pt));
        if (wParam != 0)
            return 1;
    }
    if (q->bNoDrop || m_nViewMode == ViewModePicking || PersonalBoxActions() == nullptr)
        return FALSE;
    HTREEITEM hTarget = q->hHit != nullptr ? q->hHit : Tree().HitTest(CPoint(q->pt));
    _CSmsBox* pBox = GetBoxOfItem(hTarget);
    if (pBox == nullptr || !PersonalBoxActions()->DropMessages(*q, pBox))
        return FALSE;
    if (!q->bTest) {
        if (CQuillmarBaseDoc* pDoc = GetItemDocument(hTarget))
            pDoc->SetModifiedFlag(TRUE);
        UpdateTitle();
        if (!q->bHasNext)
            OnShowSelectionCommand();
    }
    return TRUE;
}
