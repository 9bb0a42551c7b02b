#include "contacts/ui/DlgImportGroup.h"

#include <vector>

#include "contacts/ContactGroup.h"
#include "contacts/CsvColumnMap.h"
#include "contacts/CsvSource.h"
#include "contacts/PersonFields.h"
#include "contacts/SmsDoc.h"
#include "links/ui/TaskProgress.h"
#include "platform/gui/CommonDialogs.h"
#include "platform/gui/MessageBox.h"

namespace {

const char* const kMapFilter = "映射文件 (*.map)|*.map|所有文件 (*.*)|*.*||";

// Shows the reading of a CSV file in the program's progress window, whose 取消 (or Escape) stops
// the reading. A small file is read before a window could be seen, and gets none.
class CCsvReadProgress : public CICsvProgress {
public:
    // Bytes of both readings together from which the window shows.
    static constexpr ULONGLONG kShowFrom = 8 * CCsvSource::kPieceSize;

    CCsvReadProgress(CWnd* pParent, const CString& strFileName)
        : m_task(pParent, "导入联系人", "正在导入:", strFileName, kShowFrom) {}

    BOOL OnCsvProgress(ULONGLONG nDone, ULONGLONG nTotal) override {
        return m_task.Step(nDone, nTotal);
    }

private:
    CTaskProgress m_task;
};

} // namespace

BEGIN_MESSAGE_MAP(CDlgImportGroup, CDialog)
ON_BN_CLICKED(CDlgImportGroup::IDC_MAP, &CDlgImportGroup::OnMap)
ON_BN_CLICKED(CDlgImportGroup::IDC_UNMAP, &CDlgImportGroup::OnUnmap)
ON_BN_CLICKED(CDlgImportGroup::IDC_LOAD_MAP, &CDlgImportGroup::OnLoadMapButton)
ON_BN_CLICKED(CDlgImportGroup::IDC_SAVE_MAP, &CDlgImportGroup::OnSaveMapButton)
ON_NOTIFY(LVN_ITEMCHANGING, CDlgImportGroup::IDC_FIELDS, &CDlgImportGroup::OnFieldChanging)
ON_NOTIFY(LVN_ITEMCHANGED, CDlgImportGroup::IDC_COLUMNS, &CDlgImportGroup::OnColumnChanged)
ON_NOTIFY(LVN_ITEMCHANGED, CDlgImportGroup::IDC_FIELDS, &CDlgImportGroup::OnFieldChanged)
ON_NOTIFY(NM_DBLCLK, CDlgImportGroup::IDC_COLUMNS, &CDlgImportGroup::OnColumnDblClk)
ON_NOTIFY(NM_DBLCLK, CDlgImportGroup::IDC_FIELDS, &CDlgImportGroup::OnFieldDblClk)
END_MESSAGE_MAP()

CDlgImportGroup::CDlgImportGroup(CWnd* pParent) : CDialog(IDD, pParent) {}

void CDlgImportGroup::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_COLUMNS, m_wndColumns);
    DDX_Control(pDX, IDC_FIELDS, m_wndFields);
    DDX_Control(pDX, IDC_GROUP_COLUMN, m_wndGroupColumn);
    DDX_Check(pDX, IDC_SORTED, m_bSorted);
    DDX_Check(pDX, IDC_AUTO_GROUP, m_bAutoGroup);
    DDX_Check(pDX, IDC_MERGE, m_bMerge);
    DDX_CBIndex(pDX, IDC_GROUP_COLUMN, m_nGroupColumn);
}

BOOL CDlgImportGroup::OnInitDialog() {
    CDialog::OnInitDialog();
    const DWORD ex =
        LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP;
    m_wndColumns.SetExtendedStyle(ex);
    m_wndFields.SetExtendedStyle(ex);
    CRect rect;
    m_wndFields.GetClientRect(&rect);
    m_wndFields.InsertColumn(0, "供选择的目标字段", LVCFMT_LEFT, rect.Width());
    m_bUpdating = TRUE;
    for (int i = 0; i < PERSON_FIELD_COUNT; ++i) {
        CString name;
        GetPersonFieldName(i, name);
        m_wndFields.InsertItem(i, name);
    }
    m_wndColumns.GetClientRect(&rect);
    m_wndColumns.InsertColumn(0, "源文件中的字段", LVCFMT_LEFT, rect.Width() / 2);
    m_wndColumns.InsertColumn(1, "映射到", LVCFMT_LEFT, rect.Width() / 2);

    // The header is read by the import's own rules (the same encoding decision), so a UTF-8
    // file's first column "姓名" finds field 0 here as it will in the import.
    CStringList titles;
    if (ReadCsvHeader(m_strCsvPath, titles) != CCsvSource::CSV_OK)
        titles.RemoveAll();
    int nRow = 0;
    for (POSITION pos = titles.GetHeadPosition(); pos != nullptr; ++nRow) {
        const CString title = titles.GetNext(pos);
        const int nField = FindPersonFieldByName(title);
        m_wndColumns.InsertItem(nRow, title);
        m_wndColumns.SetItemData(nRow, (DWORD_PTR)(INT_PTR)nField);
        m_wndColumns.SetCheck(nRow, TRUE);
        if (nField >= 0) {
            CString name;
            GetPersonFieldName(nField, name);
            m_wndColumns.SetItemText(nRow, 1, name);
            m_wndFields.SetCheck(nField, TRUE);
        }
        m_wndGroupColumn.AddString(title);
    }
    m_bUpdating = FALSE;
    for (int i = 0; i < m_wndGroupColumn.GetCount(); ++i) {
        CString text;
        m_wndGroupColumn.GetLBText(i, text);
        if (text.Find("组") == 0) {
            m_wndGroupColumn.SetCurSel(i);
            break;
        }
    }
    EnableButtons();
    return TRUE;
}

int CDlgImportGroup::SelectedRow(CListCtrl& list) const {
    return list.GetNextItem(-1, LVNI_SELECTED);
}

void CDlgImportGroup::SetFieldCheck(int nField, BOOL bCheck) {
    if (nField >= 0 && nField < m_wndFields.GetItemCount())
        m_wndFields.SetCheck(nField, bCheck);
}

void CDlgImportGroup::SetMapping(int nRow, int nField, int nCheck) {
    if (nRow < 0 || nRow >= m_wndColumns.GetItemCount())
        return;
    m_bUpdating = TRUE;
    const int nOld = (int)(INT_PTR)m_wndColumns.GetItemData(nRow);
    CString name;
    if (nField >= 0)
        GetPersonFieldName(nField, name);
    m_wndColumns.SetItemText(nRow, 1, name);
    m_wndColumns.SetItemData(nRow, (DWORD_PTR)(INT_PTR)nField);
    if (nField >= 0)
        SetFieldCheck(nField, TRUE);
    if (nCheck == 0 || nCheck == 1)
        m_wndColumns.SetCheck(nRow, nCheck);
    if (nOld >= 0 && nOld != nField) {
        BOOL bStillMapped = FALSE;
        for (int i = 0; i < m_wndColumns.GetItemCount() && !bStillMapped; ++i)
            bStillMapped = (int)(INT_PTR)m_wndColumns.GetItemData(i) == nOld;
        if (!bStillMapped)
            SetFieldCheck(nOld, FALSE);
    }
    m_bUpdating = FALSE;
    EnableButtons();
}

void CDlgImportGroup::OnMap() {
    const int nRow = SelectedRow(m_wndColumns);
    const int nField = SelectedRow(m_wndFields);
    if (nRow >= 0 && nField >= 0)
        SetMapping(nRow, nField, 1);
}

void CDlgImportGroup::OnUnmap() {
    const int nRow = SelectedRow(m_wndColumns);
    if (nRow >= 0)
        SetMapping(nRow, -1, 0);
}

void CDlgImportGroup::EnableButtons() {
    const int nRow = SelectedRow(m_wndColumns);
    const int nField = SelectedRow(m_wndFields);
    if (CWnd* w = GetDlgItem(IDC_MAP))
        w->EnableWindow(nRow >= 0 && nField >= 0);
    if (CWnd* w = GetDlgItem(IDC_UNMAP))
        w->EnableWindow(nRow >= 0 && (int)(INT_PTR)m_wndColumns.GetItemData(nRow) >= 0);
}

void CDlgImportGroup::OnFieldChanging(NMHDR* pNMHDR, LRESULT* pResult) {
    // The field list's ticks only show what is mapped: the user cannot change them.
    const auto* pnm = reinterpret_cast<NMLISTVIEW*>(pNMHDR);
    *pResult = 0;
    if (!m_bUpdating && (pnm->uChanged & LVIF_STATE) &&
        ((pnm->uNewState ^ pnm->uOldState) & LVIS_STATEIMAGEMASK))
        *pResult = 1;
}

void CDlgImportGroup::OnColumnChanged(NMHDR*, LRESULT* pResult) {
    EnableButtons();
    *pResult = 0;
}

void CDlgImportGroup::OnFieldChanged(NMHDR*, LRESULT* pResult) {
    EnableButtons();
    *pResult = 0;
}

void CDlgImportGroup::OnColumnDblClk(NMHDR*, LRESULT* pResult) {
    *pResult = 0;
    const int nRow = SelectedRow(m_wndColumns);
    if (nRow < 0)
        return;
    const int nField = (int)(INT_PTR)m_wndColumns.GetItemData(nRow);
    if (nField < 0)
        return;
    m_wndFields.SetItemState(nField, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    m_wndFields.EnsureVisible(nField, FALSE);
}

void CDlgImportGroup::OnFieldDblClk(NMHDR*, LRESULT* pResult) {
    *pResult = 0;
    const int nField = SelectedRow(m_wndFields);
    const int nRows = m_wndColumns.GetItemCount();
    if (nField < 0 || nRows == 0)
        return;
    const int nStart = SelectedRow(m_wndColumns);
    for (int k = 1; k <= nRows; ++k) {
        const int i = (nStart + k + nRows) % nRows;
        if ((int)(INT_PTR)m_wndColumns.GetItemData(i) == nField) {
            m_wndColumns.SetItemState(i, LVIS_SELECTED | LVIS_FOCUSED,
                                      LVIS_SELECTED | LVIS_FOCUSED);
            m_wndColumns.EnsureVisible(i, FALSE);
            return;
        }
    }
}

void CDlgImportGroup::LoadMap(LPCTSTR lpszPath) {
    std::vector<SColumnMapEntry> entries;
    if (!ReadColumnMap(lpszPath, entries)) {
        AfxMessageBox("无法读取所选的映射文件。", MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    for (const SColumnMapEntry& entry : entries)
        for (int i = 0; i < m_wndColumns.GetItemCount(); ++i)
            if (m_wndColumns.GetItemText(i, 0) == entry.strTitle) {
                SetMapping(i, entry.nField, entry.bChecked ? 1 : 0);
                break;
            }
}

BOOL CDlgImportGroup::SaveMap(LPCTSTR lpszPath) {
    std::vector<SColumnMapEntry> entries;
    for (int i = 0; i < m_wndColumns.GetItemCount(); ++i)
        entries.push_back({m_wndColumns.GetItemText(i, 0),
                           (int)(INT_PTR)m_wndColumns.GetItemData(i), m_wndColumns.GetCheck(i)});
    if (!WriteColumnMap(lpszPath, entries)) {
        AfxMessageBox("对不起，映射文件没有能够保存！", MB_OK | MB_ICONSTOP);
        return FALSE;
    }
    AfxMessageBox("映射文件已成功保存！", MB_OK | MB_ICONINFORMATION);
    return TRUE;
}

void CDlgImportGroup::OnLoadMapButton() {
    CFileDialog dlg(TRUE, "map", nullptr, OFN_HIDEREADONLY | OFN_FILEMUSTEXIST, kMapFilter, this);
    if (dlg.DoModal() == IDOK)
        LoadMap(dlg.GetPathName());
}

void CDlgImportGroup::OnSaveMapButton() {
    CFileDialog dlg(FALSE, "map", nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, kMapFilter,
                    this);
    if (dlg.DoModal() == IDOK)
        SaveMap(dlg.GetPathName());
}

void CDlgImportGroup::OnOK() {
    if (!UpdateData(TRUE))
        return;
    m_resultMap.RemoveAll();
    for (int i = 0; i < m_wndColumns.GetItemCount(); ++i)
        m_resultMap.Add(m_wndColumns.GetCheck(i) ? (int)(INT_PTR)m_wndColumns.GetItemData(i)
                                                  : -1);
    EndDialog(IDOK);
}

int ImportCsvIntoGroup(_CGroup* pGroup, CWnd* pParent) {
    if (pGroup == nullptr)
        return -1;
    CFileDialog file(TRUE, "csv", nullptr, OFN_HIDEREADONLY | OFN_FILEMUSTEXIST,
                     "CSV文件 (*.csv)|*.csv||", pParent);
    if (file.DoModal() != IDOK)
        return -1;
    // A file that is not text, or has no header, is explained before any dialog opens.
    CStringList titles;
    CCsvSource::Status status;
    {
        CCsvReadProgress progress(pParent, file.GetFileName());
        status = ReadCsvHeader(file.GetPathName(), titles, &progress);
    }
    if (status == CCsvSource::CSV_CANCELLED)
        return -1;
    if (status == CCsvSource::CSV_OK && titles.IsEmpty())
        status = CCsvSource::CSV_NO_HEADER;
    if (status != CCsvSource::CSV_OK) {
        AfxMessageBox(CCsvSource::GetStatusMessage(status), MB_OK | MB_ICONEXCLAMATION);
        return -1;
    }
    CDlgImportGroup dlg(pParent);
    dlg.m_strCsvPath = file.GetPathName();
    if (dlg.DoModal() != IDOK)
        return -1;
    DWORD dwFlags = 0;
    if (dlg.m_bSorted)
        dwFlags |= _CGroup::IMPORT_SORTED;
    if (dlg.m_bMerge)
        dwFlags |= _CGroup::IMPORT_MERGE;
    SCsvImportReport report;
    int nCount;
    {
        CCsvReadProgress progress(pParent, file.GetFileName());
        nCount = pGroup->ImportCsv(dlg.m_strCsvPath, dlg.m_resultMap, dwFlags,
                                   dlg.m_bAutoGroup ? dlg.m_nGroupColumn : -1, &report, &progress);
    }
    if (nCount < 0) {
        // A stop the user asked for needs no word; the group is as it was.
        if (report.nStatus != CCsvSource::CSV_CANCELLED)
            AfxMessageBox(report.strMessage, MB_OK | MB_ICONEXCLAMATION);
        return -1;
    }
    // The count is told once, by the caller that shows the new contacts; here only what the
    // user could not otherwise see: values whose characters were replaced.
    if (report.nLossyValues > 0) {
        CString message;
        message.Format("导入的联系人中有 %d 个值含有本程序无法显示的字符，这些字符已替换为“?”。",
                       report.nLossyValues);
        AfxMessageBox(message, MB_OK | MB_ICONEXCLAMATION);
    }
    return nCount;
}

int ImportCsvIntoSelectedGroup(CSmsDoc& doc, CWnd* pParent) {
    return ImportCsvIntoGroup(doc.GetSelectedGroup(), pParent);
}
