// The two dialogs that move the calendar's selection: a number of days after or before the
// selected date, and a lunar date converted to its Gregorian day.
#pragma once

#include "core/Date.h"
#include "platform/gui/Dialog.h"

class CDlgCalendarGotoSpan : public CDialog {
public:
    enum { IDD = 4027, IDC_AFTER = 1213, IDC_BEFORE = 1214, IDC_DAYS = 1006 };
    explicit CDlgCalendarGotoSpan(CWnd* pParent = nullptr);

    int m_nDirection = 0; // 0 after, 1 before
    int m_nDays = 0;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
};

class CDlgCalendarGotoLunarDate : public CDialog {
public:
    enum {
        IDD = 4028,
        IDC_YEAR = 1006,
        IDC_MONTH = 1007,
        IDC_DAY = 1012,
        IDC_LEAP = 1024,
        IDC_CONVERT = 1021,
        IDC_RESULT = 1013,
    };
    explicit CDlgCalendarGotoLunarDate(CWnd* pParent = nullptr);

    int m_nYear = 1901;
    int m_nMonth = 1;
    int m_nDay = 1;
    int m_bLeap = 0;
    // The Gregorian date of the last conversion; the null date after a failed one.
    CDate m_result;
    // Whether the last conversion failed (its message shows in red).
    BOOL IsShowingError() const { return m_bError; }

    // Converts the fields; fills the result line with the date's text or the error's.
    BOOL Convert();

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    void OnOK() override;
    void OnConvert();
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    DECLARE_MESSAGE_MAP()

    BOOL m_bError = FALSE;
    CBrush m_brushResult;
};
