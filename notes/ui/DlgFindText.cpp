#include "notes/ui/DlgFindText.h"

#include "notes/ui/InfoListView.h"

CDlgFindText::CDlgFindText(CWnd* pParent) : CDialog(IDD, pParent) {}

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
