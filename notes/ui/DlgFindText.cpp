#include "notes/ui/DlgFindText.h"

#include "notes/ui/InfoListView.h"

BEGIN_MESSAGE_MAP(CDlgFindText, CDialog)
ON_EN_CHANGE(CDlgFindText::IDC_TEXT, &CDlgFindText::OnTextChange)
END_MESSAGE_MAP()

CDlgFindText::CDlgFindText(CWnd* pParent) : CDialog(IDD, pParent) {}

BOOL CDlgFindText::OnInitDialog() {
    const BOOL bDefault = CDialog::OnInitDialog();
    OnTextChange();
    return bDefault;
}

void CDlgFindText::OnTextChange() {
    CWnd* pText = GetDlgItem(IDC_TEXT);
    CWnd* pNext = GetDlgItem(IDOK);
    if (pText != nullptr && pNext != nullptr)
        pNext->EnableWindow(pText->GetWindowTextLength() > 0);
}

void CDlgFindText::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_TEXT, m_strText);
    DDX_Check(pDX, IDC_CASE, m_bMatchCase);
    DDX_Radio(pDX, IDC_UP, m_nDirection);
}

void CDlgFindText::OnOK() {
    // The dialog stays for the next search.
    if (!UpdateData(TRUE))
        return;
    FindNext();
}

CDlgFindInformation::CDlgFindInformation(CInfoListView* pList, CWnd* pParent)
    : CDlgFindText(pParent), m_pList(pList) {}

void CDlgFindInformation::FindNext() {
    if (m_pList != nullptr && !m_strText.IsEmpty())
        m_pList->FindNext(m_strText, m_bMatchCase != 0, m_nDirection == 1);
}
