// The day information ("万年历") beside the calendar: the selected date's Gregorian and lunar
// facts, its weekday and star sign, its festivals, and the birthdays and tasks of the day in
// titled sections on a scrolling page. The task commands act on the entry highlighted here.
#pragma once

#include "calendar/ui/CalendarItemsHandler.h"
#include "calendar/ui/KovCalendar.h"
#include "ui/ScrollWindow.h"

#include <vector>

class CKovCalendar;

class CCalendarInfoWnd : public CScrollWindow, public CCalendarItemsHandler {
    DECLARE_DYNCREATE(CCalendarInfoWnd)
public:
    enum { MarginX = 6, MarginY = 6, TextInset = 6, TitleHeight = 22, LineHeight = 18 };

    // One titled block: text lines, or (for birthdays and tasks) entries.
    struct CSection {
        CString strTitle;
        std::vector<CString> lines;
        std::vector<CKovCalendarCellItem*> items;
        CRect rcTitle; // where it was last drawn, in content coordinates
        CRect rcLines;
    };

    CCalendarInfoWnd();
    ~CCalendarInfoWnd() override;

    void SetCalendar(CKovCalendar* pCalendar) { m_calendar.Set(pCalendar); }
    // The grid while it lives.
    CKovCalendar* GetCalendar() const { return m_calendar.Get(); }
    // Takes the grid's selected date and draws it with its entries asked afresh.
    void Refresh();
    // Forgets the entries (and the highlighted one) until the next paint asks afresh.
    void DropEntries();
    const CDate& GetShownDate() const { return m_date; }

    // The sections of the shown date, in order (the entries as last asked).
    std::vector<CSection> BuildSections();
    // The sections as last drawn.
    const std::vector<CSection>& GetSections() const { return m_sections; }
    CKovCalendarCellItem* GetHighlightedItem() const {
        return static_cast<CKovCalendarCellItem*>(m_cell.pOwnerData);
    }
    CKovCalendarCellItem* GetSelectedItem() override { return GetHighlightedItem(); }
    // Task commands that need an entry go on to the grid when none is highlighted here.
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
    CKovCalendarCellItem* ItemAt(CPoint point);

    void OnDraw(CDC* pDC) override;
    // A window made with new by its owner goes with its window.
    BOOL m_bAutoDelete = FALSE;
    void PostNcDestroy() override {
        CScrollWindow::PostNcDestroy();
        if (m_bAutoDelete)
            delete this;
    }

protected:
    CKovCalendar* GetGrid() override { return GetCalendar(); }
    CWnd* GetHandlerWnd() override { return this; }
    void DropAndRedraw(BOOL /*bNow*/ = TRUE) override { DropEntries(); }
    void OnContextMenu(CWnd* pWnd, CPoint point);
    void DrawSection(CDC* pDC, CSection& section, int& y, const CRect& layout);
    void FillEntries();
    void OnSize(UINT nType, int cx, int cy);
    BOOL OnEraseBkgnd(CDC* pDC);
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnLButtonDblClk(UINT nFlags, CPoint point);
    // The right button highlights the entry under it, as the left does, before the menu.
    void OnRButtonDown(UINT nFlags, CPoint point) { OnLButtonDown(nFlags, point); }
    // The menu's items enabled and checked as the commands stand.
    LRESULT OnInitMenuPopup(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

    CKovCalendarRef m_calendar;
    CDate m_date;
    CKovCalendarCell m_cell;
    BOOL m_bRelayout = TRUE;
    BOOL m_bRefreshEntries = TRUE;
    std::vector<CSection> m_sections;
    CFont m_fontTitle;
    CFont m_fontText;
    CSize m_content{0, 0};
    COLORREF m_crText = RGB(33, 93, 198);
    COLORREF m_crLineBack = RGB(214, 223, 247);
    COLORREF m_crBack = RGB(102, 123, 216);
    COLORREF m_crTitleEnd = RGB(198, 211, 227);
};
