// The dialog of a CSV import: the columns of the file's header beside the contact fields, a
// mapping guessed from the column titles that the user can change, save to and load from a
// ".map" file, and how the contacts go in.
#pragma once

#include "platform/gui/Controls.h"
#include "platform/gui/Dialog.h"
#include "platform/gui/ListCtrl.h"

class _CGroup;

class CDlgImportGroup : public CDialog {
public:
    enum { IDD = 395 };
    enum {
        IDC_COLUMNS = 1203,
        IDC_FIELDS = 1205,
        IDC_SORTED = 1024,
        IDC_AUTO_GROUP = 1207,
        IDC_MERGE = 1216,
        IDC_GROUP_COLUMN = 1008,
        IDC_MAP = 1021,
        IDC_UNMAP = 1022,
        IDC_LOAD_MAP = 1106,
        IDC_SAVE_MAP = 1107,
    };

    explicit CDlgImportGroup(CWnd* pParent = nullptr);

    CString m_strCsvPath;
    // After OK: one entry per column, the field or -1.
    CArray<int, int> m_resultMap;
    BOOL m_bSorted = FALSE;
    BOOL m_bAutoGroup = FALSE;
    BOOL m_bMerge = FALSE;
    int m_nGroupColumn = -1;

    // Maps a column row to a field (-1 none); nCheck 0 unchecks the row, 1 checks it, other
    // values leave it.
    void SetMapping(int nRow, int nField, int nCheck);
    // The buttons' work.
    void OnMap();
    void OnUnmap();
    void LoadMap(LPCTSTR lpszPath);
    BOOL SaveMap(LPCTSTR lpszPath);
    CListCtrl& GetColumnList() { return m_wndColumns; }
    CListCtrl& GetFieldList() { return m_wndFields; }

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnLoadMapButton();
    void OnSaveMapButton();
    void OnFieldChanging(NMHDR* pNMHDR, LRESULT* pResult);
    void OnColumnChanged(NMHDR* pNMHDR, LRESULT* pResult);
    void OnFieldChanged(NMHDR* pNMHDR, LRESULT* pResult);
    void OnColumnDblClk(NMHDR* pNMHDR, LRESULT* pResult);
    void OnFieldDblClk(NMHDR* pNMHDR, LRESULT* pResult);
    DECLARE_MESSAGE_MAP()

private:
    int SelectedRow(CListCtrl& list) const;
    void EnableButtons();
    void SetFieldCheck(int nField, BOOL bCheck);

    CListCtrl m_wndColumns, m_wndFields;
    CComboBox m_wndGroupColumn;
    BOOL m_bUpdating = FALSE;
};

// Chooses a CSV file, shows the import dialog for it and imports into the group. Answers the
// number of records imported, -1 when the user cancelled or nothing could be read (the reason is
// shown). Characters that GBK lacks are reported in the closing message.
int ImportCsvIntoGroup(_CGroup* pGroup, CWnd* pParent = nullptr);
// The same into the group selected in the address book (-1 when no group is selected).
class CSmsDoc;
int ImportCsvIntoSelectedGroup(CSmsDoc& doc, CWnd* pParent = nullptr);
