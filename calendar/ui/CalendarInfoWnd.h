// The day information ("万年历") beside the calendar: the selected date's Gregorian and lunar
// facts, its weekday and star sign, its festivals, and the birthdays and tasks of the day in
// titled sections on a scrolling page.
#pragma once

#include "calendar/ui/KovCalendar.h"
#include "ui/ScrollWindow.h"

#include <vector>

class CKovCalendar;

class CCalendarInfoWnd : public CScrollWindow {
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
    void DrawSection(CDC* pDC, CSection& section, int& y, const CRect& layout);
    void FillEntries();
    void OnSize(UINT nType, int cx, int cy);
    BOOL OnEraseBkgnd(CDC* pDC);
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnLButtonDblClk(UINT nFlags, CPoint point);
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
