// The list view beside a group tree view: it shows the direct children of one group, first the
// sub-groups, then the contents, in one of the four list modes. The tree view owns the records:
// deleting, cutting and copying rows, opening a row and dragging rows (inside the list, onto the
// tree and from the tree onto the list) all go through the tree view and the rows' tree items.
// The view also carries the list background settings and the view-mode commands.
//
// The tree view is the view's owner window when one is set, else its parent window; without a
// group tree view there, the commands that need it are disabled. A derived view names the group
// shown, the image lists and indexes, the context menu and the default background image.
#pragma once

#include "core/Content.h"
#include "core/Group.h"
#include "platform/gui/CtrlView.h"
#include "platform/gui/ImageList.h"
#include "platform/gui/ListCtrl.h"
#include "ui/BkManager.h"
#include "ui/DragDropHelper.h"
#include "ui/GroupTreeView.h"

#include <vector>

class CGroupListView : public CListView {
    DECLARE_DYNAMIC(CGroupListView)
public:
    enum : UINT {
        ID_DELETE = 311, ID_DELETE2 = 310, ID_COPY = 57634, ID_CUT = 57635,
        ID_VIEW_SMALLICON = 59408, ID_VIEW_LARGEICON = 59409, ID_VIEW_LIST = 59410,
        ID_VIEW_DETAILS = 59411, ID_VIEW_GRIDLINES = 59412,
    };
    enum { ModeLargeIcons = 0, ModeDetails = 1, ModeSmallIcons = 2, ModeList = 3 };

    CGroupListView();
    ~CGroupListView() override;

    // ---- Operations a derived view may replace ----
    // Called once before the image lists are given to the list.
    virtual void InitView() {}
    // Appends a row: the content's name, the content image, the content as item data.
    virtual void InsertContentItem(CContent* pContent);
    // The group shown; null shows an empty list.
    virtual CGroup* GetGroup() { return nullptr; }
    // At the end of the first update.
    virtual void OnViewReady() {}
    // After the rows are filled, before the list is drawn again (a derived view sorts them).
    virtual void OnRefilled() {}

    // The group tree view the rows belong to: the owner window, else the parent window, when it
    // is one.
    CGroupTreeView* GetTreeView() const;
    // The tree item of a row's record; null outside the rows.
    HTREEITEM GetRowTreeItem(int nRow);
    int GetViewMode() const { return m_nViewMode; }
    BOOL ListHasFocus() const;
    CListCtrlBkManager& GetBkManager() { return m_bkManager; }
    CListCtrlDragDropHelper& GetDragHelper() { return m_dragHelper; }

    void OnInitialUpdate() override;
    void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

    // ---- Settings a derived view fills before the first update ----
    int m_nGroupImage = -1;
    int m_nContentImage = -1;
    UINT m_nContextMenuId = 0;
    int m_nContextMenuPos = 0;
    CImageList m_smallImages;
    CImageList m_normalImages;
    // The default background image, a file of the program folder ("Images\\background.bmp").
    CString m_strDefaultBkImage;
    // The string asking whether the selected rows go (0: the common question).
    UINT m_nDeleteQuestionId = 0;

protected:
    BOOL m_bInitialized = FALSE;
    int m_nViewMode = ModeLargeIcons;
    // Set while the view refills the list: the state changes it makes itself are not the user's.
    BOOL m_bRefilling = FALSE;
    CListCtrlDragDropHelper m_dragHelper;
    CListCtrlBkManager m_bkManager;
    // The rows' tree items when the drag in progress started.
    std::vector<HTREEITEM> m_dragRows;

    CListCtrl& List() const { return GetListCtrl(); }
    void Refill();
    void SetMode(int nMode);
    // The records (or tree items) of the selected rows, in row order.
    void GetSelectedRecords(CObArray& records);
    // The tree items of the selected rows, in row order; the group forgets its focused row when
    // that is one of them.
    std::vector<HTREEITEM> TakeSelectedTreeItems();
    void OpenRow(int nRow);
    HTREEITEM DraggedRowItem(int nRow);
    BOOL DropRows(DRAGITEM item, DRAGITEM target, int keyFlags, BOOL bTest, BOOL bHasNext);
    BOOL DropOutside(DRAGITEM item, int x, int y, int keyFlags, BOOL bTest, BOOL bHasNext,
                     HWND& hTargetWnd, DRAGITEM& target);

    void OnDelete();
    void OnCopy();
    void OnCut();
    void OnViewMode(UINT nID);
    void OnGridLines();
    void OnBkCommand(UINT nID);
    void OnUpdateCommand(CCmdUI* pCmdUI);
    void OnContextMenu(CWnd* pWnd, CPoint point);
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnDblClk(NMHDR* pNMHDR, LRESULT* pResult);
    void OnItemChanged(NMHDR* pNMHDR, LRESULT* pResult);
    void OnCaptureChanged(CWnd* pWnd);
    void OnDestroy();
    LRESULT OnDropQuery(WPARAM wParam, LPARAM lParam);
    LRESULT OnDragHighlight(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()
};
