#include "notes/ui/DlgExportRtftxt.h"

#include "platform/base/File.h"
#include "platform/gui/CommonDialogs.h"
#include "platform/gui/MessageBox.h"
#include "platform/gui/RichEditCtrl.h"

BEGIN_MESSAGE_MAP(CDlgExportRtftxt, CDialog)
ON_BN_CLICKED(CDlgExportRtftxt::IDC_BROWSE, &CDlgExportRtftxt::OnBrowse)
END_MESSAGE_MAP()

namespace {

// The choices stay for the program's run.
int s_nFormat[2] = {0, 0};
int s_nRange[2] = {1, 1};

} // namespace

CDlgExportRtftxt::CDlgExportRtftxt(CWnd* pParent, UINT nIDTemplate)
    : CDialog(nIDTemplate, pParent) {
    m_nFormat = s_nFormat[0];
    m_nRange = s_nRange[0];
}

CDlgImportRtftxt::CDlgImportRtftxt(CWnd* pParent) : CDlgExportRtftxt(pParent, IDD) {
    m_nFormat = s_nFormat[1];
    m_nRange = s_nRange[1];
}

int CDlgExportRtftxt::GetStreamFlags() const {
    return (m_nFormat == 0 ? SF_RTF : SF_TEXT) | (m_nRange == 0 ? SFF_SELECTION : 0);
}

CString CDlgExportRtftxt::FileFilter() const {
    CString filter;
    if (m_nFormat == 0)
        filter.Format("%s (*.%s)|*.%s|%s (*.*)|*.*||", "富文本文件", "rtf", "rtf", "所有文件");
    else
        filter.Format("%s (*.%s)|*.%s|%s (*.*)|*.*||", "文本文件", "txt", "txt", "所有文件");
    return filter;
}

BOOL CDlgExportRtftxt::OnInitDialog() {
    return CDialog::OnInitDialog();
}

void CDlgExportRtftxt::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_FILE, m_strFileName);
    DDX_Radio(pDX, IDC_RTF, m_nFormat);
    DDX_Radio(pDX, IDC_SELECTION, m_nRange);
}

void CDlgExportRtftxt::OnBrowse() {
    UpdateData(TRUE);
    CFileDialog dlg(IsImport(), m_nFormat == 0 ? "rtf" : "txt", m_strFileName,
                    OFN_HIDEREADONLY | (IsImport() ? OFN_FILEMUSTEXIST : 0), FileFilter(), this);
    if (dlg.DoModal() != IDOK)
        return;
    m_strFileName = dlg.GetPathName();
    UpdateData(FALSE);
}

BOOL CDlgExportRtftxt::CheckFileName() {
    CFileStatus status;
    if (!CFile::GetStatus(m_strFileName, status))
        return TRUE;
    return AfxMessageBox("文件 " + m_strFileName + " 已经存在。要替换它吗？",
                         MB_YESNO | MB_ICONQUESTION) == IDYES;
}

BOOL CDlgImportRtftxt::CheckFileName() {
    return TRUE;
}

void CDlgExportRtftxt::OnOK() {
    if (!UpdateData(TRUE))
        return;
    m_strFileName.Trim();
    if (m_strFileName.IsEmpty()) {
        AfxMessageBox("您没有输入文件名！请重新输入。", MB_ICONEXCLAMATION);
        return;
    }
    if (!CheckFileName())
        return;
    s_nFormat[IsImport() ? 1 : 0] = m_nFormat;
    s_nRange[IsImport() ? 1 : 0] = m_nRange;
    EndDialog(IDOK);
}
