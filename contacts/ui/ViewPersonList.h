// The contact list on the right of the address-book tree: the current group's sub-groups and
// contacts, one column per chosen contact field, sorted by a column on a header click.
#pragma once

#include "ui/GroupListView.h"
#include "ui/RightPaneView.h"

class _CGroup;
class _CPerson;

class CViewPersonList : public CGroupListView, public CIRightPaneView {
    DECLARE_DYNCREATE(CViewPersonList)
public:
    enum : UINT {
        ID_SORT_NONE = 422,
        ID_SORT_ASCENDING = 423,
        ID_SORT_DESCENDING = 424,
        ID_DEFAULT_VALUES_ONLY = 487
    };

    CViewPersonList();

    // The column settings the program keeps (field list and widths by field number); without
    // them the view keeps its own. Read when the columns are built, written back when they are
    // stored.
    static void SetSharedColumnSettings(CArray<int, int>* pFields, CArray<int, int>* pWidths);
    // The column fields the list shows (or would show) from those settings.
    static void GetColumnSettings(CArray<int, int>& fields);

    // The text of a contact field as a cell shows it: the sex as 男, 女 or 未知, several values
    // one per line (only the default one with bDefaultOnly).
    static CString GetFieldText(_CPerson* pPerson, int nField, BOOL bDefaultOnly);

    // Sorts the rows by column nColumn (-1: none) and shows the arrow on its header.
    void Sort(int nColumn, BOOL bAscending);
    int GetSortColumn() const { return m_nSortColumn; }
    BOOL IsSortAscending() const { return m_bAscending; }
    // The field of each column, in column order.
    const CArray<int, int>& GetColumnFields() const { return m_fields; }
    // Stores the columns' widths by field number where they are kept.
    void StoreColumnLayout();

    // The right pane tells the view its tree: the tree owns the rows' records. The pane makes
    // its views without an initial update, so the view gets ready here.
    void SetNotifyWnd(CWnd* pWnd) override;

    CGroup* GetGroup() override;
    void InsertContentItem(CContent* pContent) override;
    void InitView() override;
    void OnViewReady() override;
    void OnRefilled() override;

protected:
    CArray<int, int> m_fields;
    CArray<int, int> m_ownWidths;
    int m_nSortColumn = -1;
    BOOL m_bAscending = TRUE;
    BOOL m_bDefaultOnly = FALSE;

    void BuildColumns();
    // With the tree's show-all-sub-nodes switch on, the contacts of the groups below follow.
    void AppendSubNodeContacts(CGroup* pGroup);
    int InsertPersonRow(_CPerson* pPerson, int overlay);
    CArray<int, int>* Widths();
    void OnColumnClick(NMHDR* pNMHDR, LRESULT* pResult);
    void OnSortCommand(UINT nID);
    void OnDefaultValuesOnly();
    void OnUpdateSortCommand(CCmdUI* pCmdUI);
    void OnDestroy();
    DECLARE_MESSAGE_MAP()
};
