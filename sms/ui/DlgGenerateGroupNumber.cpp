#include "sms/ui/DlgGenerateGroupNumber.h"

#include "contacts/NumberSet.h"
#include "platform/gui/MessageBox.h"

BEGIN_MESSAGE_MAP(CDlgGenerateGroupNumber, CDialog)
ON_EN_CHANGE(CDlgGenerateGroupNumber::IDC_PATTERN, &CDlgGenerateGroupNumber::OnPatternChange)
END_MESSAGE_MAP()

CDlgGenerateGroupNumber::CDlgGenerateGroupNumber(CINumberPicker* pPicker, CWnd* pParent)
    : CDialog(IDD, pParent), m_pPicker(pPicker) {}

void CDlgGenerateGroupNumber::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_PATTERN, m_strPattern);
}

BOOL CDlgGenerateGroupNumber::OnInitDialog() {
    CDialog::OnInitDialog();
    OnPatternChange();
    return TRUE;
}

void CDlgGenerateGroupNumber::OnPatternChange() {
    CString pattern;
    GetDlgItemText(IDC_PATTERN, pattern);
    SetDlgItemInt(IDC_LENGTH, (UINT)pattern.GetLength());
}

void CDlgGenerateGroupNumber::OnOK() {
    if (!UpdateData(TRUE))
        return;
    int nWildcards = 0;
    for (int i = 0; i < m_strPattern.GetLength(); ++i) {
        const char c = m_strPattern[i];
        if (c != '*' && (c < '0' || c > '9')) {
            AfxMessageBox("不能包含除数字与通配符以外的其他字符！", MB_OK | MB_ICONERROR);
            return;
        }
        if (c == '*' && ++nWildcards > kMaxWildcards) {
            AfxMessageBox("通配符不能多于4个！", MB_OK | MB_ICONERROR);
            return;
        }
    }
    if (m_pPicker != nullptr && nWildcards > 0) {
        CNumberSet set;
        set.Generate(m_strPattern, m_pPicker);
    }
    EndDialog(IDOK);
}
