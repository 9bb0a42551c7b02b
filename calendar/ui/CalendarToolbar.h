// The tool bar over the calendar: buttons for the year, the month and today, a year box that
// takes a year, a year and month or a whole date, and a month box. It follows every change of
// the grid and refreshes the day information beside it.
#pragma once

#include "calendar/ui/KovCalendar.h"

#include "platform/gui/Controls.h"
#include "platform/gui/ToolBar.h"

class CCalendarInfoWnd;

// The year box: Tab leaves it, Esc puts the grid's year back, Enter and Esc hand the focus on.
class CYearComboBox : public CComboBox {
public:
    BOOL PreTranslateMessage(MSG* pMsg) override;
};

class CCalendarToolbar : public CToolBar, public CICalendarController {
    DECLARE_DYNAMIC(CCalendarToolbar)
public:
    enum { IDC_YEAR = 602, IDC_MONTH = 603, ID_TOOLBAR = 31815 };
    // The notification the bar sends its parent when the focus should go back to the grid.
    enum { NM_RETURN_TO_GRID = -4 };

    CCalendarToolbar();
    ~CCalendarToolbar() override;

    // Makes the buttons, their pictures and the two boxes.
    BOOL CreateBar(CWnd* pParent);
    void SetCalendar(CKovCalendar* pCalendar) { m_calendar.Set(pCalendar); }
    // The grid while it lives.
    CKovCalendar* GetCalendar() const { return m_calendar.Get(); }
    void SetInfoWnd(CCalendarInfoWnd* pInfo) { m_pInfoWnd = pInfo; }
    CCalendarInfoWnd* GetInfoWnd() const { return m_pInfoWnd; }

    void OnCalendarDateChanged(int nCode) override;
    // Reads a year, a year and month, or a date from the text and shows it; anything else
    // changes nothing. Answers whether something was understood.
    BOOL ApplyYearText(const CString& text);
    // Hands the focus back (Enter and Esc in the year box).
    void ReturnToGrid();

    CYearComboBox& GetYearBox() { return m_year; }
    CComboBox& GetMonthBox() { return m_month; }

protected:
    void OnYearSelChange();
    void OnYearKillFocus();
    void OnMonthSelChange();
    DECLARE_MESSAGE_MAP()

    CYearComboBox m_year;
    CComboBox m_month;
    CImageList m_images;
    CFont m_font;
    CKovCalendarRef m_calendar;
    CCalendarInfoWnd* m_pInfoWnd = nullptr;
};
