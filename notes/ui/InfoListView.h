// The information base's list: the members of the group selected in the information tree (its
// sub-groups, then its items) or the rows of the selected item, one column per field. Cells of
// web and mail columns open in the desktop's handlers; the list is searched with the find dialog.
#pragma once

#include "notes/InfoReader.h"
#include "platform/gui/CtrlView.h"
#include "platform/gui/ImageList.h"
#include "platform/gui/ListCtrl.h"
#include "ui/BkManager.h"

class CInfoView;
class CInfoContent;
class CComboBox;
class CDialog;

// Reads a data file straight into a report list: the first field as the item text, the others as
// sub-item texts, every row with the image. FALSE when the file cannot be opened.
BOOL FillListFromInfoFile(LPCTSTR lpszPath, CListCtrl& list, int nColumns, char separator,
                          BOOL bComments, int nImage);
// Adds field nColumn of every row of a data file to a combo box. FALSE when it cannot be opened.
BOOL FillComboFromInfoFile(LPCTSTR lpszPath, CComboBox& box, int nColumn, char separator,
                           BOOL bComments);

class CInfoListView : public CListView {
    DECLARE_DYNCREATE(CInfoListView)
public:
    enum : UINT { ID_FIND = 57636, ID_UP = 32846 };
    static constexpr UINT kContextMenuId = 4952;

    CInfoListView();

    // Shows a group's members or an item's rows (null: nothing).
    void Show(CObject* pObject);
    CObject* GetShown() const { return m_pShown; }
    // The tree that selects what the list shows.
    void SetInfoView(CInfoView* pTree) { m_pTree = pTree; }

    // Finds the next cell holding the text from the last find position, as "查找下一个" does:
    // selects the row and moves the position on. FALSE (the position back at the start) when
    // nothing more is found.
    BOOL FindNext(const CString& text, BOOL bMatchCase, BOOL bDown);
    // Opens the cell as its column says (web address or mail); FALSE when the column opens
    // nothing.
    BOOL ActivateCell(int nRow, int nColumn);
    CListCtrlBkManager& GetBkManager() { return m_bkManager; }
    // The find dialog while it is open, else null.
    CDialog* GetFindDialog() const { return m_pFindDlg; }

    void OnInitialUpdate() override;

protected:
    void OnFind();
    void OnUp();
    void OnUpdateUp(CCmdUI* pCmdUI);
    void OnBkCommand(UINT nID);
    void OnUpdateBk(CCmdUI* pCmdUI);
    void OnDblClk(NMHDR* pNMHDR, LRESULT* pResult);
    void OnReturn(NMHDR* pNMHDR, LRESULT* pResult);
    // Opens a group member in the tree, or the cell of an item's row (FALSE when it opens
    // nothing).
    BOOL OpenRow(int nRow, int nColumn);
    void OnContextMenu(CWnd* pWnd, CPoint point);
    void OnShowWindow(BOOL bShow, UINT nStatus);
    void OnCustomDraw(NMHDR* pNMHDR, LRESULT* pResult);
    void OnDestroy();
    DECLARE_MESSAGE_MAP()

    CObject* m_pShown = nullptr;
    BOOL m_bAtTop = FALSE;
    int m_nFindRow = -1;
    int m_nFindColumn = -1;
    CInfoView* m_pTree = nullptr;
    // The find dialog while it is open.
    CDialog* m_pFindDlg = nullptr;
    CImageList m_images;
    CListCtrlBkManager m_bkManager;
    BOOL m_bInitialized = FALSE;
};
