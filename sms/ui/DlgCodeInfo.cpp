#include "sms/ui/DlgCodeInfo.h"

#include "sms/Sms.h"

CDlgCodeInfo::CDlgCodeInfo(_CSms* pSms, CWnd* pParent) : CDialog(IDD, pParent), m_pSms(pSms) {}

void CDlgCodeInfo::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_SENDER, m_strSender);
    DDX_Text(pDX, IDC_COUNT, m_strCount);
}

BOOL CDlgCodeInfo::OnInitDialog() {
    auto* pList = static_cast<CListBox*>(GetDlgItem(IDC_RECIPIENTS));
    if (m_pSms != nullptr) {
        m_strSender = m_pSms->m_sender.GetDisplayText();
        if (m_pSms->m_bBatch) {
            for (POSITION pos = m_pSms->m_batchList.GetHeadPosition(); pos != nullptr;)
                pList->AddString(CNameCodeString(m_pSms->m_batchList.GetNext(pos)).GetDisplayText());
            if (!m_pSms->m_batchList.IsEmpty()) {
                CString format;
                format.LoadString(129);
                m_strCount.Format(format, (int)m_pSms->m_batchList.GetCount());
            }
        } else {
            pList->AddString(m_pSms->m_recipient.GetDisplayText());
            CString format;
            format.LoadString(129);
            m_strCount.Format(format, 1);
        }
    }
    CDialog::OnInitDialog();
    return TRUE;
}
