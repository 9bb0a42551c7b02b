#include "ui/DlgModifyPassword.h"

#include "platform/gui/MessageBox.h"
#include "ui/DlgInputPassword.h"

enum { IDC_PASSWORD_CONFIRM = 1007, IDC_PASSWORD = 1009 };

CDlgModifyPassword::CDlgModifyPassword(CWnd* pParent) : CDialog(IDD, pParent) {}

void CDlgModifyPassword::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_PASSWORD, m_strPassword);
    DDX_Text(pDX, IDC_PASSWORD_CONFIRM, m_strConfirm);
}

BOOL CDlgModifyPassword::OnInitDialog() {
    CDialog::OnInitDialog();
    AppendItemNameToCaption(*this, m_strName);
    return TRUE;
}

void CDlgModifyPassword::OnOK() {
    if (!UpdateData(TRUE))
        return;
    if (m_strPassword != m_strConfirm) {
        AfxMessageBox("两次输入的密码不一致！请重新输入。", MB_OK | MB_ICONERROR);
        return;
    }
    // Two empty entries remove the password, which the user confirms first.
    if (m_strPassword.IsEmpty() &&
        AfxMessageBox("您真的想取消访问口令吗？", MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    EndDialog(IDOK);
}
