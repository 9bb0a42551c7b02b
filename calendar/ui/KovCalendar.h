// The owner-drawn month grid: six weeks of seven days under a strip of weekday names. Each day
// shows its Gregorian number, its lunar day (or lunar month, or solar term), its festivals and
// the one-line entries an outside source gives for it. The grid keeps the shown year and month
// and a selected day, moves them by mouse, wheel and keys, and tells one owner what changed.
#pragma once

#include "calendar/CalendarCellItem.h"
#include "calendar/CalendarExtInfo.h"
#include "core/Date.h"

#include "platform/gui/Dc.h"
#include "platform/gui/ImageList.h"
#include "platform/gui/Wnd.h"

class CFestivalTable;

// Told when the grid's month (6) or selected day (7) changed.
class CICalendarController {
public:
    virtual ~CICalendarController() = default;
    virtual void OnCalendarDateChanged(int nCode) = 0;
};

// What the grid keeps of one of its 42 cells between paints.
struct CKovCalendarCell {
    CKovCalendarCell() : items(10) {}
    void Reset() {
        items.RemoveAll();
        bHasItems = 0;
        rcMore.SetRectEmpty();
    }
    CKovCalendarCellItemList items;
    int bHasItems = 0;
    CRect rcMore; // the overflow marker, empty when everything fitted
    void* pOwnerData = nullptr;
};

class CKovCalendar;

// A grid that another window follows: found no more once the grid's window has gone, as the
// windows of the calendar close in either order.
class CKovCalendarRef {
public:
    void Set(CKovCalendar* pCalendar);
    CKovCalendar* Get() const;

private:
    CKovCalendar* m_pCalendar = nullptr;
    HWND m_hWnd = nullptr;
};

// The calendar windows write in the desktop's interface font, plain and bold.
void CreateCalendarFonts(CFont& normal, CFont& bold);

class CKovCalendar : public CWnd {
    DECLARE_DYNCREATE(CKovCalendar)
public:
    enum {
        StyleShortWeekdays = 0x01,
        StyleNoLunar = 0x02,
        StyleCentredDay = 0x04,
        StyleFlat = 0x08,
        StyleBoldOnlyWithItems = 0x10,
        StyleNoFestivals = 0x20,
        StyleCountOnly = 0x40,
    };
    enum { HitNone = 0, HitHeader = 1, HitCell = 4, HitMore = 5 };
    enum { NotifyMonth = 6, NotifyDay = 7 };
    enum { Rows = 6, Columns = 7, Cells = 42 };
    // The years the grid moves in: the date arithmetic is exact there.
    enum { MinYear = 1, MaxYear = 9999 };

    CKovCalendar();
    ~CKovCalendar() override;

    // The rectangle the grid occupies (the client area here).
    virtual void GetCalendarRect(RECT* pRect);
    // The weekday strip and all 42 cells.
    virtual void DrawCalendar(CDC* pDC);
    // Passes the code on to the owner.
    virtual void Notify(int nCode);
    virtual void DrawCell(CDC* pDC, int nDay, int nWeekday, const CDate& date, const RECT& rect,
                          CKovCalendarCell* pCell, BOOL bRepaint);
    // One entry line: its icon, its text, and the highlight of the selected entry.
    void DrawCellItem(CDC* pDC, CKovCalendarCellItem* pItem, const RECT& rect, BOOL bFill);

    BOOL SetYearMonth(int year, int month, BOOL bNotify);
    void SetYear(int year) { SetYearMonth(year, m_nMonth, TRUE); }
    void SetMonth(int month) { SetYearMonth(m_nYear, month, TRUE); }
    void NextMonth();
    void PrevMonth();
    void NextYear() { SetYearMonth(m_nYear + 1, m_nMonth, TRUE); }
    void PrevYear() { SetYearMonth(m_nYear - 1, m_nMonth, TRUE); }
    BOOL SelectDate(int year, int month, int day);
    BOOL SelectDate(const CDate& date) {
        return SelectDate(date.GetYear(), date.GetMonth(), date.GetDay());
    }
    void NextDay();
    void PrevDay();
    void NextWeek();
    void PrevWeek();
    void GoToday();

    int GetYear() const { return m_nYear; }
    int GetMonth() const { return m_nMonth; }
    // The selected day number as kept; it may lie past the end of a shorter month.
    int GetSelectedDay() const { return m_nDay; }
    // The selected date, its day brought into the shown month (a 31st kept while February shows
    // answers the 29th or the 28th), so that every user of the selection gets a real date.
    void GetDate(CDate& date) const;
    // Moves the date back to the first day of its week.
    void GetWeekStartDate(CDate& date) const;
    void SetFirstDayOfWeek(int nDay, BOOL bRepaint);
    int GetFirstDayOfWeek() const { return m_nFirstDayOfWeek; }
    int GetFirstWeekday() const { return m_nFirstWeekday; }

    // -1 for a day of the month before, 0 for one of the month after (date set to it), else the
    // day number in the shown month.
    int GetCellDate(int row, int column, CDate& date) const;
    BOOL GetCellOfDay(int day, int& row, int& column) const;
    // Cell rectangles of the grid rectangle given; row -1 is the weekday strip.
    static CRect CellRect(const RECT& grid, int row, int column, int headerHeight);
    CRect GetCellRect(int row, int column);
    virtual int HitTest(CPoint point, int& row, int& column,
                        CKovCalendarCellItem** ppItem = nullptr);

    void SetFestivalTable(CFestivalTable* pTable) { m_pFestivals = pTable; }
    CFestivalTable* GetFestivalTable() const { return m_pFestivals; }
    CKovCalendarCell& GetCell(int index) { return m_cells[index]; }
    CKovCalendarCellItem* GetHighlightedItem() const { return m_pHighlighted; }
    // Forgets every entry (and the highlighted one) until the next paint asks afresh: the
    // records behind them are about to change or go.
    void DropEntries();
    CImageList& GetImageList() { return m_images; }
    CFont* GetNormalFont() { return &m_fontNormal; }

    CICalendarController* m_pOwner = nullptr;
    CCalendarExtInfo* m_pExtInfo = nullptr;
    int m_nStyle = 0;

protected:
    void SelectCell(int row, int column, int day, const CDate& date, CKovCalendarCellItem* pItem);
    void DrawMoreMarker(CDC* pDC, const CRect& rect);
    int DaysInShownMonth() const { return CDate::GetDaysInMonth(m_nYear, m_nMonth); }
    BOOL IsCtrlHeld() const;

    void OnPaint();
    BOOL OnEraseBkgnd(CDC* pDC);
    void OnSize(UINT nType, int cx, int cy);
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnLButtonDblClk(UINT nFlags, CPoint point);
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags);
    BOOL OnMouseWheel(UINT nFlags, short zDelta, CPoint pt);
    UINT OnGetDlgCode() { return DLGC_WANTARROWS | DLGC_WANTALLKEYS; }
    DECLARE_MESSAGE_MAP()

    int m_nYear = 0;
    int m_nMonth = 0;
    int m_nDay = 0;
    int m_nFirstWeekday = 1;
    CRect m_rcDraw;
    int m_bCtrl = 0;
    CRect m_rcCell; // the cell being drawn; its top becomes the day strip's lower edge
    int m_nFirstDayOfWeek = 1;
    CFestivalTable* m_pFestivals = nullptr;
    CImageList m_images;
    int m_cxIcon = 16;
    int m_cyIcon = 16;
    int m_cyLine = 16;
    CKovCalendarCell m_cells[Cells];
    CKovCalendarCellItem* m_pHighlighted = nullptr;
    COLORREF m_crSunday = RGB(200, 0, 0);
    COLORREF m_crSaturday = RGB(0, 0, 200);
    COLORREF m_crSolarTerm = RGB(50, 205, 50);
    COLORREF m_crBackground = RGB(255, 255, 255);
    COLORREF m_crOtherMonth = RGB(150, 150, 150);
    CFont m_fontNormal;
    CFont m_fontBold;
    int m_nHeaderHeight = 20;
};
