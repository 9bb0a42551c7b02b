// The contact list on the right of the address-book tree: the current group's sub-groups and
// contacts, one column per chosen contact field, sorted by a column on a header click.
#pragma once

#include "platform/gui/ImageList.h"
#include "ui/GroupListView.h"
#include "ui/RightPaneView.h"
#include "ui/ToolTipWnd.h"

#include <functional>

class _CGroup;
class _CPerson;

class CViewPersonList : public CGroupListView, public CIRightPaneView {
    DECLARE_DYNCREATE(CViewPersonList)
public:
    enum : UINT {
        ID_SORT_NONE = 422,
        ID_SORT_ASCENDING = 423,
        ID_SORT_DESCENDING = 424,
        ID_DEFAULT_VALUES_ONLY = 487,
        ID_SEND_MAIL = 345,
        ID_BATCH_MODIFY = 492,
        ID_GO_UP = 32846,
        ID_OPEN = 32847,
        ID_OPTIONS = 32844,
        // From the column options sheet (lParam the sheet): its field list becomes the columns.
        WM_APPLY_COLUMNS = WM_USER + 20,
    };
    // The mode the compose form writes a group mail in (to the selected contacts).
    static constexpr int kComposeMailMode = 2;
    // The sort arrows of the header: bitmap 244, ascending then descending.
    enum { IDB_SORT_ARROWS = 244, kSortArrowSize = 14 };

    CViewPersonList();

    // The column settings the program keeps (field list and widths by field number); without
    // them the view keeps its own. Read when the columns are built, written back when they are
    // stored.
    // writeProfile puts both lists into the profile; the view calls it when it goes.
    static void SetSharedColumnSettings(CArray<int, int>* pFields, CArray<int, int>* pWidths,
                                        std::function<void()> writeProfile = {});
    // The column fields the list shows (or would show) from those settings.
    static void GetColumnSettings(CArray<int, int>& fields);

    // The text of a contact field as a cell shows it: the sex as 男, 女 or 未知, several values
    // one per line (only the default one with bDefaultOnly).
    static CString GetFieldText(_CPerson* pPerson, int nField, BOOL bDefaultOnly);

    // The hover text of a row's record shown with the group pShown: a group's summary; for a
    // contact its summary (nField < 0) or the full text of a field, where the summary and the
    // name column (bFirstColumn) add " - " and the group path of a contact of a group below,
    // and for a link a blank line and the source it names ("无效的" first when that is gone).
    static CString GetTipText(CObject* pRecord, CGroup* pShown, int nField, BOOL bFirstColumn);

    // Sorts the rows by column nColumn (-1: none) and shows the arrow on its header.
    void Sort(int nColumn, BOOL bAscending);
    int GetSortColumn() const { return m_nSortColumn; }
    BOOL IsSortAscending() const { return m_bAscending; }
    // The field of each column, in column order.
    const CArray<int, int>& GetColumnFields() const { return m_fields; }
    // The header's visual order becomes the column list and each column's width is stored by
    // field number; with bWrite the settings go to the profile as well.
    void StoreColumnLayout(BOOL bWrite = FALSE);
    // New columns (the options sheet's list): the sorted field stays sorted, the rows refill.
    void ApplyColumns(const CArray<int, int>& fields);

    // The hover tip (tests look at its text) and the row and column it is about (-1 none).
    CToolTipWnd& GetTip() { return m_tip; }
    int GetHoverItem() const { return m_nHoverItem; }
    int GetHoverSubItem() const { return m_nHoverSubItem; }
    // What a mouse move at ptClient (the view's client coordinates) does to the tip: over the
    // rows it takes the mouse and shows the row's or cell's text, elsewhere it lets go.
    void TrackHover(CPoint ptClient);
    void HideHoverTip();

    // The right pane tells the view its tree: the tree owns the rows' records.
    void SetNotifyWnd(CWnd* pWnd) override;

    CGroup* GetGroup() override;
    void InsertContentItem(CContent* pContent) override;
    void InitView() override;
    void OnViewReady() override;
    void OnRefilled() override;

protected:
    CArray<int, int> m_fields;
    CArray<int, int> m_ownFields;
    CArray<int, int> m_ownWidths;
    int m_nSortColumn = -1;
    BOOL m_bAscending = TRUE;
    BOOL m_bDefaultOnly = FALSE;
    CImageList m_sortImages;
    CToolTipWnd m_tip;
    int m_nHoverItem = -1;
    int m_nHoverSubItem = -1;
    BOOL m_bHoverCapture = FALSE;

    // The columns of m_fields, in that order; the name column is the first.
    void BuildColumns();
    // The fields in the header's visual order.
    void GetVisualFields(CArray<int, int>& fields);
    // With the tree's show-all-sub-nodes switch on, the contacts of the groups below follow.
    void AppendSubNodeContacts(CGroup* pGroup);
    int InsertPersonRow(_CPerson* pPerson, int overlay);
    CArray<int, int>* Widths();
    CArray<int, int>* Fields();
    // The document's current group, locked or not.
    CGroup* GetShownGroup();
    // The arrow of the sorted column on its header, none on the others.
    void ShowSortArrow();
    void OnColumnClick(NMHDR* pNMHDR, LRESULT* pResult);
    void OnSortCommand(UINT nID);
    void OnDefaultValuesOnly();
    void OnUpdateSortCommand(CCmdUI* pCmdUI);
    void OnDestroy();
    void OnMouseMove(UINT nFlags, CPoint point);
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnRButtonDown(UINT nFlags, CPoint point);
    LRESULT OnMButtonDown(WPARAM, LPARAM);
    BOOL OnMouseWheel(UINT nFlags, short zDelta, CPoint point);
    // The header's drag has ended; its new order is in place once the header is done.
    void OnHeaderEndDrag(NMHDR* pNMHDR, LRESULT* pResult);
    LRESULT OnStoreLayout(WPARAM, LPARAM);
    LRESULT OnApplyColumns(WPARAM, LPARAM lParam);
    void OnListCommand(UINT nID);
    void OnUpdateListCommand(CCmdUI* pCmdUI);
    void OnContextMenu(CWnd* pWnd, CPoint point);
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    DECLARE_MESSAGE_MAP()
};
