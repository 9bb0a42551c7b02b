#include "notes/ui/BrowseFileView.h"

#include "platform/gui/Dc.h"
#include "platform/base/ModuleDir.h"
#include "platform/gui/Menu.h"
#include "ui/KovMenu.h"
#include "ui/GroupTreeView.h"

IMPLEMENT_DYNCREATE(CBrowseFileView, CListView)

BEGIN_MESSAGE_MAP(CBrowseFileView, CListView)
ON_MESSAGE(WM_GROUPVIEW_LISTFILES, &CBrowseFileView::OnListFiles)
ON_NOTIFY_REFLECT(LVN_ITEMCHANGED, &CBrowseFileView::OnItemChanged)
ON_NOTIFY_REFLECT(NM_DBLCLK, &CBrowseFileView::OnDblClk)
ON_WM_KEYDOWN()
ON_WM_SIZE()
ON_WM_CONTEXTMENU()
ON_COMMAND_RANGE(441, 447, &CBrowseFileView::OnBkCommand)
ON_UPDATE_COMMAND_UI_RANGE(441, 447, &CBrowseFileView::OnUpdateBk)
END_MESSAGE_MAP()

namespace {

// The right pane's kinds of the trees (address book 0, message accounts 1, notes 3,
// schedules 5).
constexpr int kKindAddressBook = 0, kKindSenders = 1, kKindNotes = 3, kKindSchedules = 5;
constexpr UINT kContextMenuId = 4952;

} // namespace

CBrowseFileView::CBrowseFileView() {
    m_dwDefaultStyle |= LVS_ICON | LVS_SHOWSELALWAYS | LVS_SINGLESEL | LVS_AUTOARRANGE;
}

int CBrowseFileView::SlotOfTree(const CGroupTreeView* pTree) {
    if (pTree == nullptr)
        return SlotNone;
    switch (pTree->m_nModuleKind) {
    case kKindAddressBook: return SlotAddressBook;
    case kKindNotes: return SlotNotes;
    case kKindSenders: return SlotSenders;
    case kKindSchedules: return SlotSchedules;
    default: return SlotNone;
    }
}

int CBrowseFileView::ImageOfSlot(int nSlot) {
    return nSlot == SlotAddressBook ? 0 : nSlot == SlotNotes ? 1 : 2;
}

void CBrowseFileView::OnInitialUpdate() {
    if (m_bInitialized)
        return;
    m_bInitialized = TRUE;
    CListView::OnInitialUpdate();
    CListCtrl& list = GetListCtrl();
    // Bitmap 112: address book, notebook, other file.
    m_images.Create(48, 48, ILC_COLOR32 | ILC_MASK, 2, 1);
    CBitmap strip;
    if (strip.LoadBitmap(112))
        m_images.Add(&strip, RGB(255, 0, 255));
    list.SetExtendedStyleMasked(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT,
                                LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    list.SetImageList(&m_images, LVSIL_NORMAL);
    m_bkManager.AttachList(&list, "Bkground\\ViewBrowseFile", "Images\\background1.png");
    list.InsertColumn(0, "文件名", LVCFMT_LEFT, 200);
    list.InsertColumn(1, "文件路径", LVCFMT_LEFT, 400);
}

CGroupTreeView* CBrowseFileView::GetTree() const {
    CWnd* pOwner = GetOwner() != nullptr ? GetOwner() : GetParent();
    return dynamic_cast<CGroupTreeView*>(pOwner);
}

LRESULT CBrowseFileView::OnListFiles(WPARAM, LPARAM) {
    Refill();
    return 0;
}

void CBrowseFileView::Refill() {
    OnInitialUpdate();
    CListCtrl& list = GetListCtrl();
    CGroupTreeView* pTree = GetTree();
    m_bRefilling = TRUE;
    list.DeleteAllItems();
    m_nSlot = SlotOfTree(pTree);
    if (pTree != nullptr) {
        CStringList names, paths;
        pTree->GetOpenFiles(names, FALSE);
        pTree->GetOpenFiles(paths, TRUE);
        POSITION pathPos = paths.GetHeadPosition();
        for (POSITION pos = names.GetHeadPosition(); pos != nullptr;) {
            int n = list.InsertItem(list.GetItemCount(), names.GetNext(pos), ImageOfSlot(m_nSlot));
            if (pathPos != nullptr)
                list.SetItemText(n, 1, paths.GetNext(pathPos));
        }
    }
    int& remembered = m_remembered[(size_t)m_nSlot];
    if (remembered >= 0 && remembered < list.GetItemCount()) {
        list.SetItemState(remembered, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        list.EnsureVisible(remembered, FALSE);
    } else {
        remembered = -1;
    }
    m_bRefilling = FALSE;
}

BOOL CBrowseFileView::OpenItem(int n) {
    CGroupTreeView* pTree = GetTree();
    return pTree != nullptr && pTree->SelectFileByIndex(n);
}

void CBrowseFileView::OnItemChanged(NMHDR* pNMHDR, LRESULT* pResult) {
    auto* nm = reinterpret_cast<NMLISTVIEW*>(pNMHDR);
    *pResult = 0;
    if (m_bRefilling || nm->iItem < 0)
        return;
    if ((nm->uNewState & LVIS_SELECTED) && !(nm->uOldState & LVIS_SELECTED))
        m_remembered[(size_t)m_nSlot] = nm->iItem;
}

void CBrowseFileView::OnDblClk(NMHDR* pNMHDR, LRESULT* pResult) {
    auto* nm = reinterpret_cast<NMITEMACTIVATE*>(pNMHDR);
    *pResult = 0;
    if (nm->iItem >= 0)
        OpenItem(nm->iItem);
}

void CBrowseFileView::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) {
    if (nChar == VK_RETURN) {
        CListCtrl& list = GetListCtrl();
        int n = list.GetNextItem(-1, LVNI_FOCUSED);
        if (n >= 0 && (list.GetItemState(n, LVIS_SELECTED) & LVIS_SELECTED))
            OpenItem(n);
        return;
    }
    CListView::OnKeyDown(nChar, nRepCnt, nFlags);
}

void CBrowseFileView::OnSize(UINT nType, int cx, int cy) {
    CListView::OnSize(nType, cx, cy);
    if (m_hWnd != nullptr)
        GetListCtrl().Arrange(LVA_DEFAULT);
}

void CBrowseFileView::OnBkCommand(UINT nID) {
    m_bkManager.OnCommand(nID);
}

void CBrowseFileView::OnUpdateBk(CCmdUI* pCmdUI) {
    m_bkManager.OnUpdateCommand(pCmdUI);
}

void CBrowseFileView::OnContextMenu(CWnd*, CPoint point) {
    CMenu menu;
    if (!menu.LoadMenu(kContextMenuId))
        return;
    point = ListContextMenuPoint(GetListCtrl(), point);
    if (CMenu* pPopup = menu.GetSubMenu(1))
        pPopup->TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON, point.x, point.y, this);
}
