#include "calendar/ui/DlgCalendarGoto.h"

CDlgCalendarGotoSpan::CDlgCalendarGotoSpan(CWnd* pParent) : CDialog(IDD, pParent) {}

void CDlgCalendarGotoSpan::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Radio(pDX, IDC_AFTER, m_nDirection);
    DDX_Text(pDX, IDC_DAYS, m_nDays);
}

BEGIN_MESSAGE_MAP(CDlgCalendarGotoLunarDate, CDialog)
ON_BN_CLICKED(CDlgCalendarGotoLunarDate::IDC_CONVERT, &CDlgCalendarGotoLunarDate::OnConvert)
ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

CDlgCalendarGotoLunarDate::CDlgCalendarGotoLunarDate(CWnd* pParent) : CDialog(IDD, pParent) {}

void CDlgCalendarGotoLunarDate::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_YEAR, m_nYear);
    DDX_Text(pDX, IDC_MONTH, m_nMonth);
    DDX_Text(pDX, IDC_DAY, m_nDay);
    DDX_Check(pDX, IDC_LEAP, m_bLeap);
}

BOOL CDlgCalendarGotoLunarDate::Convert() {
    if (!UpdateData(TRUE))
        return FALSE;
    CString error, text;
    CDate result;
    const int code = CDate::LunarToSolar(result, m_nYear, m_nMonth, m_nDay, m_bLeap, &error);
    if (code == 0) {
        m_result = result;
        m_result.GetFullText(text);
        m_bError = FALSE;
    } else {
        m_result.SetNull();
        text = error;
        m_bError = TRUE;
    }
    SetDlgItemText(IDC_RESULT, text);
    if (CWnd* pResult = GetDlgItem(IDC_RESULT))
        pResult->Invalidate();
    return code == 0;
}

void CDlgCalendarGotoLunarDate::OnConvert() {
    Convert();
}

void CDlgCalendarGotoLunarDate::OnOK() {
    // The dialog stays while its input is no date, showing why.
    if (Convert())
        CDialog::OnOK();
}

HBRUSH CDlgCalendarGotoLunarDate::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) {
    HBRUSH hbr = CDialog::OnCtlColor(pDC, pWnd, nCtlColor);
    if (pWnd != nullptr && pWnd->GetDlgCtrlID() == IDC_RESULT && m_bError) {
        // A brush of the line's own ground makes the colour count.
        if (m_brushResult.GetSafeHandle() == nullptr)
            m_brushResult.CreateSolidBrush(::GetSysColor(COLOR_WINDOW));
        pDC->SetTextColor(RGB(255, 0, 0));
        pDC->SetBkColor(::GetSysColor(COLOR_WINDOW));
        return (HBRUSH)m_brushResult.GetSafeHandle();
    }
    return hbr;
}
