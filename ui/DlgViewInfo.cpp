#include "ui/DlgViewInfo.h"

enum { IDC_INFO_TEXT = 1006 };

CDlgViewInfo::CDlgViewInfo(CWnd* pParent) : CDialog(IDD, pParent) {}

void CDlgViewInfo::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_INFO_TEXT, m_strText);
}

BOOL CDlgViewInfo::OnInitDialog() {
    CDialog::OnInitDialog();
    if (!m_strTitle.IsEmpty())
        SetWindowText(m_strTitle);
    return TRUE;
}
