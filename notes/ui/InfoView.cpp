#include "notes/ui/InfoView.h"

#include "notes/ui/InfoListView.h"
#include "notes/ui/NoteImages.h"
#include "platform/base/ModuleDir.h"
#include "platform/gui/Frame.h"
#include "platform/gui/WinApp.h"
#include "ui/PaneHosts.h"

IMPLEMENT_DYNCREATE(CInfoView, CTreeView)

BEGIN_MESSAGE_MAP(CInfoView, CTreeView)
ON_NOTIFY_REFLECT(TVN_SELCHANGED, &CInfoView::OnSelChanged)
ON_WM_SHOWWINDOW()
ON_MESSAGE(WM_USER + 101, &CInfoView::OnFolderNews)
END_MESSAGE_MAP()

CInfoView::CInfoView() {
    m_dwDefaultStyle |= TVS_HASLINES | TVS_LINESATROOT | TVS_HASBUTTONS | TVS_SHOWSELALWAYS;
}

CInfoView::~CInfoView() = default;

void CInfoView::OnInitialUpdate() {
    CTreeView::OnInitialUpdate();
}

void CInfoView::OnShowWindow(BOOL bShow, UINT nStatus) {
    CTreeView::OnShowWindow(bShow, nStatus);
    if (bShow)
        LoadOnce();
}

void CInfoView::LoadOnce() {
    if (m_bLoaded || m_hWnd == nullptr)
        return;
    m_bLoaded = TRUE;
    m_root.LoadFile(GetModuleDirectory() + "\\info\\info.inf");
    // Bitmap 110: base, open base, group, open group, item, selected item, row, web, mail.
    if (!m_images.Create(110, 16, 1, RGB(255, 0, 255)))
        MakeNoteImages(m_images, 16);
    CTreeCtrl& tree = GetTreeCtrl();
    tree.SetImageList(&m_images, TVSIL_NORMAL);
    Fill(&m_root, TVI_ROOT);
    if (HTREEITEM hFirst = tree.GetRootItem())
        tree.Expand(hFirst, TVE_EXPAND);
}

LRESULT CInfoView::OnFolderNews(WPARAM wParam, LPARAM) {
    // The folder came forward: the list shows what the tree has selected (the top group at
    // first).
    if (wParam != 300)
        return 0;
    LoadOnce();
    UpdateTitle();
    CTreeCtrl& tree = GetTreeCtrl();
    if (tree.GetSelectedItem() == nullptr && tree.GetRootItem() != nullptr) {
        tree.SelectItem(tree.GetRootItem());
    } else if (CInfoListView* pList = GetListView()) {
        pList->SetInfoView(this);
        if (pList->GetShown() != GetSelectedObject())
            pList->Show(GetSelectedObject());
        if (m_pRightPane != nullptr && m_pListView == nullptr)
            m_pRightPane->ShowView(ListViewNumber, 0, nullptr, CIRightPaneHost::FixedViews, this);
    }
    return 0;
}

void CInfoView::Fill(CGroup* pGroup, HTREEITEM hParent) {
    CTreeCtrl& tree = GetTreeCtrl();
    const bool top = pGroup->GetParent() == nullptr;
    HTREEITEM hItem = tree.InsertItem(pGroup->GetName(), top ? 0 : 2, top ? 1 : 3, hParent);
    tree.SetItemData(hItem, (DWORD_PTR)static_cast<CObject*>(pGroup));
    pGroup->SetTreeItem((DWORD_PTR)hItem);
    for (POSITION pos = pGroup->GetFirstSubgroupPosition(); pos != nullptr;)
        Fill(pGroup->GetNextSubgroup(pos), hItem);
    for (POSITION pos = pGroup->GetFirstContentPosition(); pos != nullptr;) {
        CContent* pItem = pGroup->GetNextContent(pos);
        HTREEITEM h = tree.InsertItem(pItem->GetName(), 4, 5, hItem);
        tree.SetItemData(h, (DWORD_PTR)static_cast<CObject*>(pItem));
        pItem->SetTreeItem((DWORD_PTR)h);
    }
}

CInfoListView* CInfoView::GetListView() const {
    if (m_pListView != nullptr)
        return m_pListView;
    if (m_pRightPane == nullptr)
        return nullptr;
    return dynamic_cast<CInfoListView*>(
        m_pRightPane->GetView(ListViewNumber, CIRightPaneHost::FixedViews));
}

CObject* CInfoView::GetSelectedObject() const {
    HTREEITEM h = GetTreeCtrl().GetSelectedItem();
    return h != nullptr ? reinterpret_cast<CObject*>(GetTreeCtrl().GetItemData(h)) : nullptr;
}

BOOL CInfoView::SelectObject(CObject* pObject) {
    auto* pNode = dynamic_cast<CGroupItem*>(pObject);
    if (pNode == nullptr || pNode->GetTreeItem() == 0)
        return FALSE;
    HTREEITEM h = (HTREEITEM)pNode->GetTreeItem();
    GetTreeCtrl().EnsureVisible(h);
    return GetTreeCtrl().SelectItem(h);
}

void CInfoView::UpdateTitle() {
    // The main window's caption names the folder and what is selected in it.
    CFrameWnd* pFrame = GetParentFrame();
    if (pFrame == nullptr)
        return;
    CString title;
    title.LoadString(0xE000); // the application's title
    if (title.IsEmpty() && AfxGetApp() != nullptr && AfxGetApp()->m_pszAppName != nullptr)
        title = AfxGetApp()->m_pszAppName;
    title += " - 信息大全";
    if (auto* pNode = dynamic_cast<CGroupItem*>(GetSelectedObject()))
        title += " - " + pNode->GetName();
    pFrame->SetWindowText(title);
}

void CInfoView::OnSelChanged(NMHDR*, LRESULT* pResult) {
    *pResult = 0;
    UpdateTitle();
    CInfoListView* pList = GetListView();
    if (pList == nullptr)
        return;
    pList->SetInfoView(this);
    pList->Show(GetSelectedObject());
    if (m_pRightPane != nullptr && m_pListView == nullptr)
        m_pRightPane->ShowView(ListViewNumber, 0, nullptr, CIRightPaneHost::FixedViews, this);
}
