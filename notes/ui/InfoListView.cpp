#include "notes/ui/InfoListView.h"

#include "notes/InfoGroup.h"
#include "notes/ui/DlgFindText.h"
#include "notes/ui/InfoView.h"
#include "platform/base/ModuleDir.h"
#include "platform/gui/Controls.h"
#include "platform/gui/Menu.h"
#include "platform/gui/MessageBox.h"
#include "ui/KovMenu.h"
#include "ui/FieldActionOpen.h"
#include "ui/KovListCtrl.h"

IMPLEMENT_DYNCREATE(CInfoListView, CListView)

BEGIN_MESSAGE_MAP(CInfoListView, CListView)
ON_COMMAND(CInfoListView::ID_FIND, &CInfoListView::OnFind)
ON_COMMAND(CInfoListView::ID_UP, &CInfoListView::OnUp)
ON_UPDATE_COMMAND_UI(CInfoListView::ID_UP, &CInfoListView::OnUpdateUp)
ON_COMMAND_RANGE(441, 447, &CInfoListView::OnBkCommand)
ON_UPDATE_COMMAND_UI_RANGE(441, 447, &CInfoListView::OnUpdateBk)
ON_NOTIFY_REFLECT(NM_DBLCLK, &CInfoListView::OnDblClk)
ON_NOTIFY_REFLECT(NM_RETURN, &CInfoListView::OnReturn)
ON_NOTIFY_REFLECT(NM_CUSTOMDRAW, &CInfoListView::OnCustomDraw)
ON_WM_SHOWWINDOW()
ON_WM_CONTEXTMENU()
ON_WM_DESTROY()
END_MESSAGE_MAP()

namespace {

// The images of bitmap 110 the list uses: the groups' folder, the items' page, the rows.
enum { ImgGroup = 2, ImgItem = 4, ImgRow = 6 };

void AddRow(CListCtrl& list, const CInfoRow& row, int nColumns, int nImage) {
    if (row.empty())
        return;
    int n = list.InsertItem(list.GetItemCount(), row[0], nImage);
    for (int c = 1; c < (int)row.size() && c < nColumns; ++c)
        list.SetItemText(n, c, row[(size_t)c]);
}

} // namespace

BOOL FillListFromInfoFile(LPCTSTR lpszPath, CListCtrl& list, int nColumns, char separator,
                          BOOL bComments, int nImage) {
    CInfoRows rows;
    if (!LoadInfoRows(lpszPath, nColumns, separator, bComments, rows))
        return FALSE;
    for (const CInfoRow& row : rows)
        AddRow(list, row, nColumns, nImage);
    return TRUE;
}

BOOL FillComboFromInfoFile(LPCTSTR lpszPath, CComboBox& box, int nColumn, char separator,
                           BOOL bComments) {
    CInfoRows rows;
    if (!LoadInfoRows(lpszPath, nColumn + 1, separator, bComments, rows))
        return FALSE;
    for (const CInfoRow& row : rows)
        if (nColumn >= 0 && nColumn < (int)row.size())
            box.AddString(row[(size_t)nColumn]);
    return TRUE;
}

CInfoListView::CInfoListView() {
    m_dwDefaultStyle |= LVS_REPORT | LVS_SHOWSELALWAYS;
}

void CInfoListView::OnInitialUpdate() {
    if (m_bInitialized)
        return;
    m_bInitialized = TRUE;
    CListView::OnInitialUpdate();
    CListCtrl& list = GetListCtrl();
    list.ModifyStyle(LVS_TYPEMASK, LVS_REPORT | LVS_SHOWSELALWAYS);
    list.SetExtendedStyleMasked(LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES,
                                LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    m_images.Create(110, 16, 1, RGB(255, 0, 255));
    list.SetImageList(&m_images, LVSIL_SMALL);
    m_bkManager.AttachList(&list, "Bkground\\ViewInfoList", "Images\\background20.gif");
}

void CInfoListView::Show(CObject* pObject) {
    CListCtrl& list = GetListCtrl();
    list.SetRedraw(FALSE);
    list.DeleteAllItems();
    while (list.DeleteColumn(0)) {
    }
    m_pShown = pObject;
    m_nFindRow = m_nFindColumn = -1;
    if (auto* pGroup = dynamic_cast<CInfoGroup*>(pObject)) {
        m_bAtTop = pGroup->GetParent() == nullptr;
        CString title = pGroup->GetTitle().IsEmpty() ? pGroup->GetName() : pGroup->GetTitle();
        list.InsertColumn(0, title, LVCFMT_LEFT, 240);
        for (POSITION pos = pGroup->GetFirstSubgroupPosition(); pos != nullptr;) {
            CGroup* pSub = pGroup->GetNextSubgroup(pos);
            int n = list.InsertItem(list.GetItemCount(), pSub->GetName(), ImgGroup);
            list.SetItemData(n, (DWORD_PTR)static_cast<CObject*>(pSub));
        }
        for (POSITION pos = pGroup->GetFirstContentPosition(); pos != nullptr;) {
            CContent* pItem = pGroup->GetNextContent(pos);
            int n = list.InsertItem(list.GetItemCount(), pItem->GetName(), ImgItem);
            list.SetItemData(n, (DWORD_PTR)static_cast<CObject*>(pItem));
        }
    } else if (auto* pItem = dynamic_cast<CInfoContent*>(pObject)) {
        m_bAtTop = FALSE;
        const int nColumns = std::max(1, pItem->GetFieldCount());
        POSITION pos = pItem->GetFields().GetHeadPosition();
        for (int c = 0; c < nColumns; ++c) {
            CString name = pos != nullptr ? pItem->GetFields().GetNext(pos) : CString();
            int width = c < pItem->GetFieldWidths().GetSize() && pItem->GetFieldWidths()[c] > 0
                            ? pItem->GetFieldWidths()[c]
                            : 100;
            list.InsertColumn(c, name, LVCFMT_LEFT, width);
        }
        if (pItem->IsLoaded()) {
            for (const CInfoRow& row : pItem->GetRows())
                AddRow(list, row, nColumns, ImgRow);
        } else if (!pItem->GetLinkPath().IsEmpty()) {
            FillListFromInfoFile(pItem->GetLinkPath(), list, nColumns, pItem->GetSeparator(),
                                 pItem->HasComments(), ImgRow);
        }
    }
    list.SetRedraw(TRUE);
    list.Invalidate();
}

BOOL CInfoListView::FindNext(const CString& text, BOOL bMatchCase, BOOL bDown) {
    CListCtrl& list = GetListCtrl();
    int row = m_nFindRow, column = m_nFindColumn;
    if (row < 0)
        column = bDown ? 0 : -1;
    if (FindListText(list, text, row, column, bDown, bMatchCase)) {
        for (int i = list.GetNextItem(-1, LVNI_SELECTED); i >= 0;
             i = list.GetNextItem(i, LVNI_SELECTED))
            list.SetItemState(i, 0, LVIS_SELECTED);
        list.SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        list.EnsureVisible(row, FALSE);
        m_nFindRow = row;
        m_nFindColumn = bDown ? column + 1 : column - 1;
        return TRUE;
    }
    MessageBeep(MB_ICONASTERISK);
    AfxMessageBox("查找完毕。", MB_ICONINFORMATION);
    m_nFindRow = m_nFindColumn = -1;
    return FALSE;
}

BOOL CInfoListView::ActivateCell(int nRow, int nColumn) {
    auto* pItem = dynamic_cast<CInfoContent*>(m_pShown);
    if (pItem == nullptr || nRow < 0 || nRow >= GetListCtrl().GetItemCount())
        return FALSE;
    const int flags = pItem->GetColumnFlags(nColumn);
    CString text = GetListCtrl().GetItemText(nRow, nColumn);
    if (flags & CInfoContent::ColumnUrl)
        return OpenFieldActionValue(FIELD_ACTION_WEB, text, "", FALSE);
    if (flags & CInfoContent::ColumnMail)
        return OpenFieldActionValue(FIELD_ACTION_MAIL, text, "", FALSE);
    return FALSE;
}

void CInfoListView::OnDblClk(NMHDR* pNMHDR, LRESULT* pResult) {
    auto* nm = reinterpret_cast<NMITEMACTIVATE*>(pNMHDR);
    *pResult = 0;
    OpenRow(nm->iItem, nm->iSubItem);
}

void CInfoListView::OnReturn(NMHDR*, LRESULT* pResult) {
    // Enter opens the focused row as a double click does; on an item's row it opens the first
    // cell that holds a web or mail address.
    *pResult = 1;
    const int row = GetListCtrl().GetNextItem(-1, LVNI_FOCUSED);
    int column = 0;
    if (auto* pItem = dynamic_cast<CInfoContent*>(m_pShown)) {
        for (int c = 0; c < pItem->GetFieldCount(); ++c)
            if (pItem->GetColumnFlags(c) & (CInfoContent::ColumnUrl | CInfoContent::ColumnMail)) {
                column = c;
                break;
            }
    }
    OpenRow(row, column);
}

BOOL CInfoListView::OpenRow(int nRow, int nColumn) {
    if (nRow < 0)
        return FALSE;
    if (dynamic_cast<CInfoGroup*>(m_pShown) != nullptr) {
        auto* pMember = reinterpret_cast<CObject*>(GetListCtrl().GetItemData(nRow));
        return m_pTree != nullptr && pMember != nullptr && m_pTree->SelectObject(pMember);
    }
    return ActivateCell(nRow, nColumn);
}

void CInfoListView::OnFind() {
    if (m_pFindDlg != nullptr)
        return;
    CDlgFindInformation dlg(this, this);
    m_pFindDlg = &dlg;
    dlg.DoModal();
    m_pFindDlg = nullptr;
    GetListCtrl().Invalidate();
}

void CInfoListView::OnShowWindow(BOOL bShow, UINT nStatus) {
    CListView::OnShowWindow(bShow, nStatus);
    // The main window's keys still reach another module while the dialog is up: once the list
    // leaves the pane, the dialog goes with it rather than catch what is typed there.
    if (!bShow && m_pFindDlg != nullptr)
        m_pFindDlg->EndDialog(IDCANCEL);
}

void CInfoListView::OnCustomDraw(NMHDR* pNMHDR, LRESULT* pResult) {
    auto* cd = reinterpret_cast<NMLVCUSTOMDRAW*>(pNMHDR);
    *pResult = CDRF_DODEFAULT;
    if (m_pFindDlg == nullptr)
        return;
    if (cd->nmcd.dwDrawStage == CDDS_PREPAINT) {
        *pResult = CDRF_NOTIFYITEMDRAW;
    } else if (cd->nmcd.dwDrawStage == CDDS_ITEMPREPAINT && (cd->nmcd.uItemState & CDIS_SELECTED)) {
        // The focus is in the find dialog, yet the row it found is what the user looks for:
        // it shows as a selection, not in the pale colour of a list that lost the focus.
        cd->clrText = GetSysColor(COLOR_HIGHLIGHTTEXT);
        cd->clrTextBk = GetSysColor(COLOR_HIGHLIGHT);
    }
}

void CInfoListView::OnUp() {
    CGroupItem* pNode = dynamic_cast<CGroupItem*>(m_pShown);
    if (pNode == nullptr || pNode->GetParent() == nullptr || m_pTree == nullptr)
        return;
    m_pTree->SelectObject(pNode->GetParent());
}

void CInfoListView::OnUpdateUp(CCmdUI* pCmdUI) {
    CGroupItem* pNode = dynamic_cast<CGroupItem*>(m_pShown);
    pCmdUI->Enable(pNode != nullptr && pNode->GetParent() != nullptr);
}

void CInfoListView::OnBkCommand(UINT nID) {
    m_bkManager.OnCommand(nID);
}

void CInfoListView::OnUpdateBk(CCmdUI* pCmdUI) {
    m_bkManager.OnUpdateCommand(pCmdUI);
}

void CInfoListView::OnContextMenu(CWnd*, CPoint point) {
    CMenu menu;
    if (!menu.LoadMenu(kContextMenuId))
        return;
    point = ListContextMenuPoint(GetListCtrl(), point);
    if (CMenu* pPopup = menu.GetSubMenu(0))
        pPopup->TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON, point.x, point.y, this);
}

void CInfoListView::OnDestroy() {
    // The background chosen from the list's menu is kept for the next run.
    if (m_bInitialized)
        m_bkManager.SaveToProfile();
    CListView::OnDestroy();
}
