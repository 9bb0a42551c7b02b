#include "ui/DlgInputPassword.h"

enum { IDC_PASSWORD = 1009 };

CDlgInputPassword::CDlgInputPassword(CWnd* pParent) : CDialog(IDD, pParent) {}

void CDlgInputPassword::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_PASSWORD, m_strPassword);
}

BOOL CDlgInputPassword::OnInitDialog() {
    CDialog::OnInitDialog();
    AppendItemNameToCaption(*this, m_strName);
    return TRUE;
}

void AppendItemNameToCaption(CDialog& dlg, const CString& name) {
    if (name.IsEmpty())
        return;
    CString caption, title;
    dlg.GetWindowText(caption);
    title.Format("%s[%s]", caption, name);
    dlg.SetWindowText(title);
}
