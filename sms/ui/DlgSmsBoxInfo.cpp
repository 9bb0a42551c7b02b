#include "sms/ui/DlgSmsBoxInfo.h"

#include "sms/Sms.h"
#include "sms/SmsBox.h"

namespace {

CString Text(UINT nId) {
    CString text;
    text.LoadString(nId);
    return text;
}

template <class... Args> CString FormatText(UINT nId, Args... args) {
    CString text;
    text.Format(Text(nId), args...);
    return text;
}

// The messages of the box and all its sub-boxes, locked ones included.
int CountAll(const _CSmsBox& box) {
    return box.CountSmsByState(-1, TRUE);
}

} // namespace

CDlgSmsBoxInfo::CDlgSmsBoxInfo(_CSmsBox* pBox, CWnd* pParent) : CDialog(IDD, pParent), m_pBox(pBox) {}

void CDlgSmsBoxInfo::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_NAME, m_strName);
    DDX_Text(pDX, IDC_TYPE, m_strType);
    DDX_Text(pDX, IDC_STATISTICS, m_strStatistics);
}

CString CDlgSmsBoxInfo::BuildStatistics(const _CSmsBox& box) {
    const int s = box.GetSubBoxCount();
    const int t = CountAll(box);
    const int d = box.GetSmsCount();
    CString text;
    if (s > 0) {
        text += FormatText(179, s);
        text += t - d < 1 ? Text(181) : FormatText(180, t - d);
    }
    if (t > 0) {
        text += FormatText(182, t);
        if (d != 0) {
            text += t - d < 1 ? Text(184) : FormatText(183, d);
            text += Text(185);
            for (int nState = 0; nState <= 7; ++nState) {
                const int n = box.CountSmsByState(nState, FALSE);
                if (n > 0)
                    text += FormatText(186, _CSms::GetStateDescription(nState).GetString(), n);
            }
        } else {
            text += Text(187);
        }
    }
    if (text.IsEmpty())
        text = Text(188);
    return text;
}

BOOL CDlgSmsBoxInfo::OnInitDialog() {
    if (m_pBox != nullptr) {
        m_strName = m_pBox->GetName();
        m_strType = CMsgBoxBase::GetTypeName(m_pBox->GetBoxType());
        m_strStatistics = BuildStatistics(*m_pBox);
    }
    return CDialog::OnInitDialog();
}

CString CDlgSmsBoxInfoEx::BuildStatistics(const _CSmsBox& box) {
    return FormatText(191, box.TotalRecipientCount(TRUE), box.TotalRecipientCount(FALSE));
}

CString CDlgSmsBoxInfoEx::BuildCaption(const _CSmsBox& box) {
    return FormatText(192, box.TotalRecipientCount(FALSE), box.TotalRecipientCount(TRUE));
}

BOOL CDlgSmsBoxInfoEx::OnInitDialog() {
    if (m_pBox != nullptr) {
        m_strName = m_pBox->GetName();
        m_strType = CMsgBoxBase::GetTypeName(m_pBox->GetBoxType());
        m_strStatistics = BuildStatistics(*m_pBox);
    }
    const BOOL bResult = CDialog::OnInitDialog();
    if (m_pBox != nullptr)
        SetWindowText(BuildCaption(*m_pBox));
    return bResult;
}
