// The calendar window's month grid: the grid with the shipped festivals, the entry icons and the
// commands that move it (months, years, today, a span of days, a lunar date) and the task
// commands on the highlighted entry.
#pragma once

#include "calendar/FestivalTable.h"
#include "calendar/ui/CalendarItemsHandler.h"
#include "calendar/ui/KovCalendar.h"

class CCalendarPane : public CKovCalendar, public CCalendarItemsHandler {
    DECLARE_DYNCREATE(CCalendarPane)
public:
    enum {
        ID_PREV_MONTH = 475,
        ID_NEXT_MONTH = 476,
        ID_PREV_YEAR = 477,
        ID_NEXT_YEAR = 478,
        ID_TODAY = 479,
        ID_GOTO_AFTER = 1568,
        ID_GOTO_BEFORE = 1569,
        ID_GOTO_LUNAR = 1570,
    };
    // Entry pictures, in the order the grid draws them.
    enum { ImageBirthday = 0, ImageTask = 1, ImageTaskDone = 2 };

    CCalendarPane();
    ~CCalendarPane() override;

    // What every new pane starts with: the first day of the week (the option) and the source of
    // the day entries (the main window's).
    static void SetDefaults(int nFirstDayOfWeek, CCalendarExtInfo* pExtInfo);
    static int GetDefaultFirstDayOfWeek();
    static CCalendarExtInfo* GetDefaultExtInfo();
    // The pane the calendar window shows now (null when there is none).
    static CCalendarPane* GetCurrent();
    static void SetCurrent(CCalendarPane* pPane);

    // Loads a picture file of the program folder into the entry list; a file that does not load
    // adds a blank picture, so that the later pictures keep their numbers.
    static void AddIconFile(CImageList& images, LPCTSTR lpszRelativePath);

    CFestivalTable& GetFestivals() { return m_festivals; }
    // A pane made with new by its window goes with its window.
    BOOL m_bAutoDelete = FALSE;
    void PostNcDestroy() override;

    // Moves the selection by the span dialog (bBefore: back) or to a lunar date; TRUE when the
    // user confirmed and the date was selected.
    BOOL GotoSpan(BOOL bBefore);
    BOOL GotoLunarDate();
    // Selects the date that lies nDays after (before, for negative n) the selected one; nothing
    // moves outside the years the grid shows.
    BOOL SelectDaysFromSelection(int nDays);

    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;

protected:
    CKovCalendar* GetGrid() override { return this; }
    CWnd* GetHandlerWnd() override { return this; }
    void DropAndRedraw(BOOL bNow = TRUE) override;
    void OnDestroy();
    // The task commands and the go-to commands at the mouse.
    void OnContextMenu(CWnd* pWnd, CPoint point);
    // The right button chooses the day and entry under it, as the left does, before the menu.
    void OnRButtonDown(UINT nFlags, CPoint point) { CKovCalendar::OnLButtonDown(nFlags, point); }
    // The menu's items enabled and checked as the commands stand.
    LRESULT OnInitMenuPopup(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

    CFestivalTable m_festivals;
};
