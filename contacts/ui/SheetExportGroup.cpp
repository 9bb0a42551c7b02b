#include "contacts/ui/SheetExportGroup.h"

#include "contacts/GroupExport.h"
#include "core/FileUtil.h"
#include "platform/base/File.h"
#include "platform/gui/CommonDialogs.h"
#include "platform/gui/MessageBox.h"

BEGIN_MESSAGE_MAP(CPageExportGroup, CKovPropertyPage)
ON_BN_CLICKED(CPageExportGroup::IDC_BROWSE, &CPageExportGroup::Browse)
END_MESSAGE_MAP()

CPageExportGroup::CPageExportGroup() : CKovPropertyPage(IDD) {}

void CPageExportGroup::DoDataExchange(CDataExchange* pDX) {
    CKovPropertyPage::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_PATH, m_strPath);
    DDX_Radio(pDX, IDC_FIELDS_ALL, m_nFieldSet);
    DDX_Check(pDX, IDC_SUBGROUPS, m_bSubgroups);
    DDX_Check(pDX, IDC_LINKS, m_bLinks);
    DDX_Check(pDX, IDC_CURRENT_ONLY, m_bCurrentOnly);
}

DWORD CPageExportGroup::GetExportFlags() const {
    return (m_bSubgroups ? _CGroup::EXPORT_SUBGROUPS : 0) | (m_bLinks ? _CGroup::EXPORT_LINKS : 0) |
           (m_bCurrentOnly ? _CGroup::EXPORT_CURRENT_ONLY : 0);
}

void CPageExportGroup::Browse() {
    const BOOL bCard = m_nFormat == _CGroup::EXPORT_CARD_TEXT;
    const char* ext = bCard ? "txt" : "csv";
    CString filter;
    filter.Format("%s (*.%s)|*.%s||", bCard ? "卡片式文本文件" : "CSV文件", ext, ext);
    CString name = m_strGroupName;
    if (!IsValidFileName(name))
        name = RemoveInvalidFileNameChars(name);
    // The save dialog itself asks before an existing file is replaced.
    CFileDialog dlg(FALSE, ext, name, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, filter, this);
    if (dlg.DoModal() != IDOK)
        return;
    SetDlgItemText(IDC_PATH, dlg.GetPathName());
    m_bPathConfirmed = TRUE;
    m_strConfirmedPath = dlg.GetPathName();
}

void CPageExportGroup::OnOK() {
    CKovPropertyPage::OnOK();
    SetModified(TRUE);
}

CPSheetExportGroup::CPSheetExportGroup(CWnd* pParent) : CPropertySheet("导出文件", pParent) {
    m_psh.dwFlags |= PSH_NOAPPLYNOW;
    m_psh.dwFlags &= ~PSH_HASHELP;
    AddPage(&m_pageExport);
    AddPage(&m_pageFields);
}

BOOL ExportGroup(_CGroup* pGroup, int nFormat, const CArray<int, int>& currentColumns,
                 CIFieldSource* pFieldSource, int nPositions, CWnd* pParent) {
    if (pGroup == nullptr)
        return FALSE;
    CPSheetExportGroup sheet(pParent);
    sheet.m_pageExport.m_strGroupName = pGroup->GetName();
    sheet.m_pageExport.m_nFormat = nFormat;
    sheet.m_pageFields.SetFieldSource(pFieldSource, nPositions);
    sheet.m_pageFields.GetChosenList().Copy(currentColumns);
    for (;;) {
        if (sheet.DoModal() != IDOK)
            return FALSE;
        CPageExportGroup& page = sheet.m_pageExport;
        const CString path = page.m_strPath;
        // A path typed into the edit was never seen by the save dialog's own question.
        CFileStatus status;
        if (!path.IsEmpty() && !(page.m_bPathConfirmed && page.m_strConfirmedPath == path) &&
            CFile::GetStatus(path, status)) {
            CString question;
            question.Format("文件“%s”已经存在。\n要替换它吗？", (LPCTSTR)path);
            if (AfxMessageBox(question, MB_YESNO | MB_ICONQUESTION) != IDYES)
                continue;
        }
        CArray<int, int> fields;
        if (page.m_nFieldSet == CPageExportGroup::FIELDS_ALL)
            GetAllPersonFields(fields);
        else if (page.m_nFieldSet == CPageExportGroup::FIELDS_CURRENT)
            fields.Copy(currentColumns);
        else
            fields.Copy(sheet.m_pageFields.GetChosenList());
        const GroupExportResult result =
            path.IsEmpty() ? GROUP_EXPORT_CANNOT_CREATE
                           : ExportGroupToPath(*pGroup, path, fields, nFormat,
                                               page.GetExportFlags());
        if (result == GROUP_EXPORT_CANNOT_CREATE) {
            if (AfxMessageBox("对不起，建立文件失败！\n可能是由于输入了无效的文件名。\n需要重试吗？",
                              MB_YESNO | MB_ICONSTOP) == IDYES)
                continue;
            return FALSE;
        }
        if (result == GROUP_EXPORT_WRITE_FAILED) {
            AfxMessageBox(kExportWriteFailedMessage, MB_OK | MB_ICONSTOP);
            return FALSE;
        }
        AfxMessageBox("恭喜，文件已成功导出并保存！", MB_OK | MB_ICONINFORMATION);
        return TRUE;
    }
}
