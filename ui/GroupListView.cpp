#include "ui/GroupListView.h"
#include "ui/KovMenu.h"

#include <algorithm>

#include "platform/base/ModuleDir.h"
#include "platform/gui/Menu.h"
#include "platform/gui/MessageBox.h"
#include "platform/gui/WinApp.h"

#include <vector>

IMPLEMENT_DYNAMIC(CGroupListView, CListView)

BEGIN_MESSAGE_MAP(CGroupListView, CListView)
ON_COMMAND(ID_DELETE, &CGroupListView::OnDelete)
ON_COMMAND(ID_DELETE2, &CGroupListView::OnDelete)
ON_COMMAND(ID_COPY, &CGroupListView::OnCopy)
ON_COMMAND(ID_CUT, &CGroupListView::OnCut)
ON_COMMAND_RANGE(ID_VIEW_SMALLICON, ID_VIEW_DETAILS, &CGroupListView::OnViewMode)
ON_COMMAND(ID_VIEW_GRIDLINES, &CGroupListView::OnGridLines)
ON_COMMAND_RANGE(CBkManager::IdChooseBkColor, CBkManager::IdDefaultTextColor,
                 &CGroupListView::OnBkCommand)
ON_UPDATE_COMMAND_UI_RANGE(ID_DELETE2, ID_DELETE, &CGroupListView::OnUpdateCommand)
ON_UPDATE_COMMAND_UI_RANGE(ID_COPY, ID_CUT, &CGroupListView::OnUpdateCommand)
ON_UPDATE_COMMAND_UI_RANGE(ID_VIEW_SMALLICON, ID_VIEW_GRIDLINES, &CGroupListView::OnUpdateCommand)
ON_UPDATE_COMMAND_UI_RANGE(CBkManager::IdChooseBkColor, CBkManager::IdDefaultTextColor,
                           &CGroupListView::OnUpdateCommand)
ON_WM_CONTEXTMENU()
ON_WM_KEYDOWN()
ON_WM_DESTROY()
ON_WM_CAPTURECHANGED()
ON_NOTIFY_REFLECT(NM_DBLCLK, &CGroupListView::OnDblClk)
ON_NOTIFY_REFLECT(LVN_ITEMCHANGED, &CGroupListView::OnItemChanged)
ON_MESSAGE(WM_GROUPVIEW_DROPQUERY, &CGroupListView::OnDropQuery)
ON_MESSAGE(WM_DRAG_HIGHLIGHT, &CGroupListView::OnDragHighlight)
END_MESSAGE_MAP()

namespace {

// The tree item bound to a row's record.
HTREEITEM TreeItemOf(CObject* pRecord) {
    auto* pNode = dynamic_cast<CGroupItem*>(pRecord);
    return pNode != nullptr ? (HTREEITEM)pNode->GetTreeItem() : nullptr;
}

} // namespace

CGroupListView::CGroupListView() = default;

CGroupListView::~CGroupListView() = default;

CGroupTreeView* CGroupListView::GetTreeView() const {
    return dynamic_cast<CGroupTreeView*>(GetOwner());
}

BOOL CGroupListView::ListHasFocus() const {
    CWnd* pFocus = CWnd::GetFocus();
    return pFocus != nullptr && pFocus == &List();
}

HTREEITEM CGroupListView::GetRowTreeItem(int nRow) {
    if (nRow < 0 || nRow >= List().GetItemCount())
        return nullptr;
    return TreeItemOf(reinterpret_cast<CObject*>(List().GetItemData(nRow)));
}

// ---- First update and filling ---------------------------------------------------------------

void CGroupListView::OnInitialUpdate() {
    if (m_bInitialized)
        return;
    m_bInitialized = TRUE;
    CListView::OnInitialUpdate();
    CListCtrl& list = List();
    m_nViewMode = ModeLargeIcons;
    list.ModifyStyle(LVS_TYPEMASK, LVS_ICON | LVS_SHOWSELALWAYS | LVS_AUTOARRANGE);
    DWORD ex = LVS_EX_SUBITEMIMAGES | LVS_EX_FULLROWSELECT;
    list.SetExtendedStyleMasked(ex, ex);
    InitView();
    if (m_smallImages.GetSafeHandle() != nullptr)
        list.SetImageList(&m_smallImages, LVSIL_SMALL);
    if (m_normalImages.GetSafeHandle() != nullptr)
        list.SetImageList(&m_normalImages, LVSIL_NORMAL);
    m_bkManager.AttachList(&list, nullptr, m_strDefaultBkImage);
    OnViewReady();
    m_dragHelper.Attach(this, &list);
    m_dragHelper.SetDragCursors(LoadCursor(nullptr, MAKEINTRESOURCE(242)),
                                LoadCursor(nullptr, MAKEINTRESOURCE(243)),
                                LoadCursor(nullptr, MAKEINTRESOURCE(241)));
    m_dragHelper.SetCallbacks(
        this,
        [this](CWnd*, DRAGITEM item, DWORD, DRAGITEM target, int, int keyFlags, BOOL bTest,
               BOOL bHasNext, int&) { return DropRows(item, target, keyFlags, bTest, bHasNext); },
        [this](CWnd*, DRAGITEM item, DWORD, int x, int y, int keyFlags, BOOL bTest, int,
               HWND& hTargetWnd, DRAGITEM& target, BOOL bHasNext, BOOL, int&) {
            return DropOutside(item, x, y, keyFlags, bTest, bHasNext, hTargetWnd, target);
        });
    m_dragHelper.Enable(TRUE);
}

void CGroupListView::OnUpdate(CView*, LPARAM, CObject*) {
    Refill();
}

void CGroupListView::InsertContentItem(CContent* pContent) {
    CListCtrl& list = List();
    list.InsertItem(LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM, list.GetItemCount(), pContent->GetName(),
                    0, 0, m_nContentImage, (LPARAM)pContent);
}

void CGroupListView::Refill() {
    CListCtrl& list = List();
    if (list.m_hWnd == nullptr)
        return;
    // The state changes below are the view's own, not a row the user focused.
    BOOL bWasRefilling = m_bRefilling;
    m_bRefilling = TRUE;
    list.SetRedraw(FALSE);
    list.DeleteAllItems();
    m_dragRows.clear();
    // A derived view that shows no group (or is not beside a group tree) lists nothing.
    CGroup* pGroup = GetGroup();
    if (pGroup != nullptr) {
        for (POSITION pos = pGroup->GetFirstSubgroupPosition(); pos != nullptr;) {
            CGroup* pSub = pGroup->GetNextSubgroup(pos);
            int overlay = 0;
            if (pSub->IsLocked())
                overlay = 1;
            else if (pSub->GetFlags() & CGroup::FLAG_PASSWORD)
                overlay = 2;
            list.InsertItem(LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM | LVIF_STATE,
                            list.GetItemCount(), pSub->GetName(), INDEXTOOVERLAYMASK(overlay),
                            LVIS_OVERLAYMASK, m_nGroupImage, (LPARAM)(CObject*)pSub);
        }
        for (POSITION pos = pGroup->GetFirstContentPosition(); pos != nullptr;)
            InsertContentItem(pGroup->GetNextContent(pos));
        int row = pGroup->GetFocusRow();
        if (row >= 0 && row < list.GetItemCount()) {
            list.SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
            list.EnsureVisible(row, FALSE);
        } else {
            pGroup->SetFocusRow(-1);
        }
    }
    OnRefilled();
    if (m_nViewMode == ModeSmallIcons) {
        // Icons first, then small icons: the switch arranges the rows anew.
        list.ModifyStyle(LVS_TYPEMASK, LVS_ICON);
        list.ModifyStyle(LVS_TYPEMASK, LVS_SMALLICON);
    }
    list.SetRedraw(TRUE);
    list.Invalidate();
    m_bRefilling = bWasRefilling;
}

void CGroupListView::OnItemChanged(NMHDR* pNMHDR, LRESULT* pResult) {
    auto* nm = reinterpret_cast<NMLISTVIEW*>(pNMHDR);
    *pResult = 0;
    if (m_bRefilling || !(nm->uChanged & LVIF_STATE))
        return;
    if ((nm->uNewState & LVIS_FOCUSED) && !(nm->uOldState & LVIS_FOCUSED)) {
        if (CGroup* pGroup = GetGroup())
            pGroup->SetFocusRow(nm->iItem);
    }
}

// ---- Commands -------------------------------------------------------------------------------

void CGroupListView::GetSelectedRecords(CObArray& records) {
    CListCtrl& list = List();
    for (int i = list.GetNextItem(-1, LVNI_SELECTED); i >= 0;
         i = list.GetNextItem(i, LVNI_SELECTED))
        records.Add(reinterpret_cast<CObject*>(list.GetItemData(i)));
}

std::vector<HTREEITEM> CGroupListView::TakeSelectedTreeItems() {
    // All of them before the first goes: removing a record refreshes the views, this list
    // among them. The group forgets its focused row when that row leaves.
    CGroup* pGroup = GetGroup();
    std::vector<HTREEITEM> items;
    CListCtrl& list = List();
    for (int i = list.GetNextItem(-1, LVNI_SELECTED); i >= 0;
         i = list.GetNextItem(i, LVNI_SELECTED)) {
        if (pGroup != nullptr && pGroup->GetFocusRow() == i)
            pGroup->SetFocusRow(-1);
        if (HTREEITEM h = GetRowTreeItem(i))
            items.push_back(h);
    }
    // A row whose record lies inside a selected group goes with that group: handing it on as
    // well would reach a record freed with the group.
    if (CGroupTreeView* pTree = GetTreeView()) {
        CTreeCtrl& tree = pTree->GetTreeCtrl();
        std::vector<HTREEITEM> outer;
        for (HTREEITEM h : items) {
            bool inside = false;
            for (HTREEITEM p = tree.GetParentItem(h); p != nullptr && !inside;
                 p = tree.GetParentItem(p))
                inside = std::find(items.begin(), items.end(), p) != items.end();
            if (!inside)
                outer.push_back(h);
        }
        items.swap(outer);
    }
    return items;
}

void CGroupListView::OnDelete() {
    CGroupTreeView* pTree = GetTreeView();
    if (pTree == nullptr || List().GetSelectedCount() == 0)
        return;
    CString question;
    if (m_nDeleteQuestionId == 0 || !question.LoadString(m_nDeleteQuestionId))
        question = "您真的要删除所有选择的项吗？";
    if (AfxMessageBox(question, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    std::vector<HTREEITEM> items = TakeSelectedTreeItems();
    HWND hTree = pTree->m_hWnd;
    for (HTREEITEM h : items) {
        if (!::IsWindow(hTree))
            break;
        pTree->RemoveItem(h);
    }
    Refill();
}

void CGroupListView::OnCopy() {
    CGroupTreeView* pTree = GetTreeView();
    if (pTree == nullptr)
        return;
    CObArray records;
    GetSelectedRecords(records);
    if (records.GetSize() > 0)
        pTree->CopyObjectsToClipboard(records);
}

void CGroupListView::OnCut() {
    CGroupTreeView* pTree = GetTreeView();
    if (pTree == nullptr || List().GetSelectedCount() == 0)
        return;
    std::vector<HTREEITEM> items = TakeSelectedTreeItems();
    // The clipboard is emptied before the first row only.
    BOOL bFirst = TRUE;
    for (HTREEITEM h : items) {
        pTree->CutToClipboard(h, bFirst);
        bFirst = FALSE;
    }
    Refill();
}

void CGroupListView::SetMode(int nMode) {
    CListCtrl& list = List();
    m_nViewMode = nMode;
    switch (nMode) {
    case ModeSmallIcons:
        // Through the icons: the switch re-arranges the rows.
        list.SetRedraw(FALSE);
        list.ModifyStyle(LVS_TYPEMASK, LVS_ICON);
        list.ModifyStyle(LVS_TYPEMASK, LVS_SMALLICON);
        list.SetRedraw(TRUE);
        list.Invalidate();
        break;
    case ModeDetails:
        list.ModifyStyle(LVS_TYPEMASK, LVS_REPORT);
        break;
    case ModeList:
        list.ModifyStyle(LVS_TYPEMASK, LVS_LIST);
        break;
    default:
        list.ModifyStyle(LVS_TYPEMASK, LVS_ICON);
        break;
    }
}

void CGroupListView::OnViewMode(UINT nID) {
    switch (nID) {
    case ID_VIEW_LARGEICON:
        SetMode(ModeLargeIcons);
        break;
    case ID_VIEW_SMALLICON:
        SetMode(ModeSmallIcons);
        break;
    case ID_VIEW_LIST:
        SetMode(ModeList);
        break;
    case ID_VIEW_DETAILS:
        SetMode(ModeDetails);
        break;
    default:
        break;
    }
}

void CGroupListView::OnGridLines() {
    CListCtrl& list = List();
    DWORD on = list.GetExtendedStyle() & LVS_EX_GRIDLINES;
    list.SetExtendedStyleMasked(LVS_EX_GRIDLINES, on ? 0 : LVS_EX_GRIDLINES);
}

void CGroupListView::OnBkCommand(UINT nID) {
    m_bkManager.OnCommand(nID);
}

void CGroupListView::OnUpdateCommand(CCmdUI* pCmdUI) {
    CListCtrl& list = List();
    switch (pCmdUI->m_nID) {
    case ID_DELETE:
    case ID_DELETE2:
    case ID_COPY:
    case ID_CUT:
        // The records belong to the tree view: without one the rows cannot be acted on.
        pCmdUI->Enable(GetTreeView() != nullptr && ListHasFocus() && list.GetSelectedCount() > 0);
        break;
    case ID_VIEW_LARGEICON:
        pCmdUI->Enable(TRUE);
        pCmdUI->SetCheck(m_nViewMode == ModeLargeIcons);
        break;
    case ID_VIEW_SMALLICON:
        pCmdUI->Enable(TRUE);
        pCmdUI->SetCheck(m_nViewMode == ModeSmallIcons);
        break;
    case ID_VIEW_LIST:
        pCmdUI->Enable(TRUE);
        pCmdUI->SetCheck(m_nViewMode == ModeList);
        break;
    case ID_VIEW_DETAILS:
        // Shown for the mode in force, never chosen from here.
        pCmdUI->SetCheck(m_nViewMode == ModeDetails);
        pCmdUI->Enable(FALSE);
        break;
    case ID_VIEW_GRIDLINES:
        pCmdUI->SetCheck((list.GetExtendedStyle() & LVS_EX_GRIDLINES) != 0);
        pCmdUI->Enable((list.GetStyle() & LVS_REPORT) != 0);
        break;
    default:
        if (CBkManager::IsBkCommand(pCmdUI->m_nID))
            m_bkManager.OnUpdateCommand(pCmdUI);
        break;
    }
}

// ---- Opening rows, keys and the context menu ------------------------------------------------

void CGroupListView::OpenRow(int nRow) {
    CGroupTreeView* pTree = GetTreeView();
    HTREEITEM hItem = GetRowTreeItem(nRow);
    if (pTree == nullptr || hItem == nullptr)
        return;
    HWND hList = List().m_hWnd;
    pTree->SendMessage(WM_GROUPVIEW_SELECTITEM, 0, (LPARAM)hItem);
    if (::IsWindow(hList))
        List().SetFocus();
}

void CGroupListView::OnDblClk(NMHDR* pNMHDR, LRESULT* pResult) {
    auto* nm = reinterpret_cast<NMITEMACTIVATE*>(pNMHDR);
    *pResult = 0;
    int row = nm->iItem;
    if (row < 0)
        row = List().GetNextItem(-1, LVNI_FOCUSED);
    if (row >= 0)
        OpenRow(row);
}

void CGroupListView::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) {
    CListCtrl& list = List();
    if (nChar == VK_RETURN) {
        int row = list.GetNextItem(-1, LVNI_FOCUSED);
        if (row >= 0 && (list.GetItemState(row, LVIS_SELECTED) & LVIS_SELECTED)) {
            OpenRow(row);
            return;
        }
    } else if (nChar == 'A' && GetKeyState(VK_CONTROL) < 0) {
        list.SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED);
        return;
    }
    CListView::OnKeyDown(nChar, nRepCnt, nFlags);
}

void CGroupListView::OnContextMenu(CWnd*, CPoint point) {
    m_dragHelper.CancelDrag();
    if (m_nContextMenuId == 0)
        return;
    CMenu menu;
    if (!menu.LoadMenu(m_nContextMenuId))
        return;
    CMenu* pPopup = menu.GetSubMenu(m_nContextMenuPos);
    if (pPopup == nullptr)
        return;
    point = ListContextMenuPoint(List(), point);
    CWnd* pOwner = AfxGetMainWnd() != nullptr ? AfxGetMainWnd() : this;
    pPopup->TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON, point.x, point.y, pOwner);
}

void CGroupListView::OnDestroy() {
    m_dragHelper.CancelDrag();
    m_bkManager.SaveToProfile();
    CListView::OnDestroy();
}

// ---- Drag and drop --------------------------------------------------------------------------

BOOL CGroupListView::PreTranslateMessage(MSG* pMsg) {
    if (pMsg->hwnd == List().m_hWnd && m_dragHelper.FilterMessage(pMsg))
        return TRUE;
    return CListView::PreTranslateMessage(pMsg);
}

BOOL CGroupListView::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam,
                                   LRESULT* pResult) {
    if (message == WM_NOTIFY) {
        auto* hdr = reinterpret_cast<NMHDR*>(lParam);
        if (hdr != nullptr && hdr->code == LVN_BEGINDRAG) {
            // The rows' tree items as the drag starts: a drop refreshes the list, and the rows
            // after it would no longer be the rows dragged.
            m_dragRows.clear();
            for (int i = 0; i < List().GetItemCount(); ++i)
                m_dragRows.push_back(GetRowTreeItem(i));
        }
    }
    if (m_dragHelper.OnMessage(message, wParam, lParam)) {
        if (pResult != nullptr)
            *pResult = 0;
        return TRUE;
    }
    return CListView::OnChildNotify(message, wParam, lParam, pResult);
}

void CGroupListView::OnCaptureChanged(CWnd* pWnd) {
    m_dragHelper.OnMessage(WM_CAPTURECHANGED, 0,
                           (LPARAM)(pWnd != nullptr ? pWnd->m_hWnd : nullptr));
    Default();
}

HTREEITEM CGroupListView::DraggedRowItem(int nRow) {
    if (nRow >= 0 && nRow < (int)m_dragRows.size())
        return m_dragRows[(size_t)nRow];
    return GetRowTreeItem(nRow);
}

BOOL CGroupListView::DropRows(DRAGITEM item, DRAGITEM target, int keyFlags, BOOL bTest,
                              BOOL bHasNext) {
    CGroupTreeView* pTree = GetTreeView();
    if (pTree == nullptr)
        return FALSE;
    HTREEITEM hSource = DraggedRowItem((int)item);
    // Outside the rows: the group shown.
    HTREEITEM hTarget = DraggedRowItem((int)target);
    if (target < 0 || hTarget == nullptr) {
        CGroup* pGroup = GetGroup();
        hTarget = pGroup != nullptr ? (HTREEITEM)pGroup->GetTreeItem() : nullptr;
    }
    if (hSource == nullptr || hTarget == nullptr)
        return FALSE;
    return pTree->DoDrop(hSource, hTarget, keyFlags, bTest, bHasNext, nullptr);
}

BOOL CGroupListView::DropOutside(DRAGITEM item, int x, int y, int keyFlags, BOOL bTest,
                                 BOOL bHasNext, HWND& hTargetWnd, DRAGITEM& target) {
    CGroupTreeView* pTree = GetTreeView();
    if (pTree == nullptr)
        return FALSE;
    CPoint pt(x, y);
    List().ClientToScreen(&pt);
    CTreeCtrl& tree = pTree->GetTreeCtrl();
    tree.ScreenToClient(&pt);
    CRect rc;
    tree.GetClientRect(&rc);
    if (!rc.PtInRect(pt))
        return FALSE;
    GROUPDROPQUERY q;
    q.pt = pt;
    q.keyFlags = keyFlags;
    q.bTest = bTest;
    q.bHasNext = bHasNext;
    q.bHitTest = TRUE;
    DRAGSTATE state = m_dragHelper.GetDragState();
    q.pDragState = &state;
    HWND hTree = pTree->m_hWnd;
    HTREEITEM hSource = DraggedRowItem((int)item);
    BOOL bResult = FALSE;
    if (item < 0 || hSource == nullptr) {
        // A drag of the list itself: only where it is.
        pTree->SendMessage(WM_GROUPVIEW_DROPQUERY, 1, (LPARAM)&q);
    } else {
        q.hSource = hSource;
        bResult = (BOOL)pTree->SendMessage(WM_GROUPVIEW_DROPQUERY, 0, (LPARAM)&q);
    }
    if (!::IsWindow(hTree))
        return FALSE;
    hTargetWnd = q.hHit != nullptr ? hTree : nullptr;
    target = (DRAGITEM)q.hHit;
    return bResult;
}

LRESULT CGroupListView::OnDropQuery(WPARAM wParam, LPARAM lParam) {
    auto* q = reinterpret_cast<GROUPDROPQUERY*>(lParam);
    if (q == nullptr)
        return 0;
    // The point comes in the view's client coordinates.
    CPoint pt(q->pt);
    ClientToScreen(&pt);
    List().ScreenToClient(&pt);
    LVHITTESTINFO hit{};
    hit.pt = pt;
    int row = List().SubItemHitTest(&hit);
    HTREEITEM hItem = nullptr;
    if (row < 0) {
        CGroup* pGroup = GetGroup();
        hItem = pGroup != nullptr ? (HTREEITEM)pGroup->GetTreeItem() : nullptr;
    } else {
        hItem = GetRowTreeItem(row);
    }
    q->nRow = row;
    q->hHit = hItem;
    return wParam != 0 ? (LRESULT)hItem : 0;
}

LRESULT CGroupListView::OnDragHighlight(WPARAM wParam, LPARAM lParam) {
    // A drag from the tree names its target by tree item: the row of that item lights up.
    auto hItem = (HTREEITEM)lParam;
    CListCtrl& list = List();
    for (int i = 0; i < list.GetItemCount(); ++i) {
        if (GetRowTreeItem(i) == hItem) {
            list.SetItemState(i, wParam != 0 ? LVIS_DROPHILITED : 0, LVIS_DROPHILITED);
            list.Update(i);
            break;
        }
    }
    return 0;
}
