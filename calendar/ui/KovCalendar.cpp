#include "calendar/ui/KovCalendar.h"

#include "calendar/FestivalTable.h"
#include "ui/BufferDC.h"
#include "ui/DrawHelpers.h"
#include "ui/WndHelpers.h"

#include <algorithm>

IMPLEMENT_DYNCREATE(CKovCalendar, CWnd)

BEGIN_MESSAGE_MAP(CKovCalendar, CWnd)
ON_WM_PAINT()
ON_WM_ERASEBKGND()
ON_WM_SIZE()
ON_WM_LBUTTONDOWN()
ON_WM_LBUTTONDBLCLK()
ON_WM_KEYDOWN()
ON_WM_KEYUP()
ON_WM_MOUSEWHEEL()
ON_WM_GETDLGCODE()
END_MESSAGE_MAP()

namespace {

const char* const kLongWeekdays[7] = {"星期日", "星期一", "星期二", "星期三",
                                      "星期四", "星期五", "星期六"};
const char* const kShortWeekdays[7] = {"日", "一", "二", "三", "四", "五", "六"};

// Each channel at 60 %: a solar term of a neighbour month's day.
COLORREF Dimmed(COLORREF c) {
    return RGB(GetRValue(c) * 60 / 100, GetGValue(c) * 60 / 100, GetBValue(c) * 60 / 100);
}

int ColumnEdge(const RECT& grid, int i) {
    if (i < 0)
        return grid.left - 1;
    return grid.left + (int)((double)(grid.right - grid.left) * (i + 1) / 7.0);
}

int RowEdge(const RECT& grid, int j, int header) {
    if (j < 0)
        return grid.top + header - 1;
    return grid.top + header + (int)((double)(grid.bottom - grid.top - header) * (j + 1) / 6.0);
}

BOOL InLunarRange(const CDate& d) {
    return d.IsValid() && CDate(1901, 1, 1) <= d && d <= CDate(2050, 12, 31);
}

} // namespace

void CKovCalendarRef::Set(CKovCalendar* pCalendar) {
    m_pCalendar = pCalendar;
    m_hWnd = pCalendar != nullptr ? pCalendar->GetSafeHwnd() : nullptr;
}

CKovCalendar* CKovCalendarRef::Get() const {
    // A grid given before its window existed is taken as it is.
    return m_pCalendar != nullptr && (m_hWnd == nullptr || ::IsWindow(m_hWnd)) ? m_pCalendar
                                                                               : nullptr;
}

void CreateCalendarFonts(CFont& normal, CFont& bold) {
    LOGFONT lf{};
    if (CFont* pStock = CFont::FromHandle((HFONT)::GetStockObject(DEFAULT_GUI_FONT)))
        pStock->GetLogFont(&lf);
    normal.CreateFontIndirect(&lf);
    lf.lfWeight = FW_BOLD;
    bold.CreateFontIndirect(&lf);
}

CKovCalendar::CKovCalendar() {
    CreateCalendarFonts(m_fontNormal, m_fontBold);
    const CDate today = CDate::GetToday(TRUE);
    SetYearMonth(today.GetYear(), today.GetMonth(), TRUE);
    m_nDay = today.GetDay();
}

CKovCalendar::~CKovCalendar() = default;

// ---- State ------------------------------------------------------------------------------------

BOOL CKovCalendar::SetYearMonth(int year, int month, BOOL bNotify) {
    // Outside the years 1..9999 the day arithmetic would overflow: such a move changes nothing.
    if (year < MinYear || year > MaxYear || !CDate::IsValidDate(year, month, 1))
        return FALSE;
    if (year == m_nYear && month == m_nMonth)
        return TRUE;
    m_nYear = year;
    m_nMonth = month;
    m_nFirstWeekday = CDate(year, month, 1).GetDayOfWeek();
    if (GetSafeHwnd())
        Invalidate(FALSE);
    if (bNotify)
        Notify(NotifyMonth);
    return TRUE;
}

void CKovCalendar::NextMonth() {
    int y = m_nYear, m = m_nMonth;
    CDate::NextYearMonth(&y, &m);
    SetYearMonth(y, m, TRUE);
}

void CKovCalendar::PrevMonth() {
    int y = m_nYear, m = m_nMonth;
    CDate::PrevYearMonth(&y, &m);
    SetYearMonth(y, m, TRUE);
}

BOOL CKovCalendar::SelectDate(int year, int month, int day) {
    if (year < MinYear || year > MaxYear || !CDate::IsValidDate(year, month, day))
        return FALSE;
    if (year == m_nYear && month == m_nMonth && day == m_nDay)
        return TRUE;
    SetYearMonth(year, month, FALSE);
    int row = 0, column = 0;
    GetCellOfDay(day, row, column);
    SelectCell(row, column, day, CDate(year, month, day), nullptr);
    Notify(NotifyDay);
    return TRUE;
}

void CKovCalendar::GetDate(CDate& date) const {
    const int n = CDate::GetDaysInMonth(m_nYear, m_nMonth);
    date.SetDate(m_nYear, m_nMonth, std::clamp(m_nDay, 1, std::max(n, 1)));
}

void CKovCalendar::NextDay() {
    CDate d;
    GetDate(d);
    d.NextDay();
    SelectDate(d);
}

void CKovCalendar::PrevDay() {
    CDate d;
    GetDate(d);
    d.PrevDay();
    SelectDate(d);
}

void CKovCalendar::NextWeek() {
    CDate d;
    GetDate(d);
    const int n = DaysInShownMonth();
    if (d.GetDay() < n - 6) {
        SelectDate(m_nYear, m_nMonth, d.GetDay() + 7);
        return;
    }
    int y = m_nYear, m = m_nMonth;
    CDate::NextYearMonth(&y, &m);
    SelectDate(y, m, d.GetDay() + 7 - n);
}

void CKovCalendar::PrevWeek() {
    CDate d;
    GetDate(d);
    if (d.GetDay() >= 8) {
        SelectDate(m_nYear, m_nMonth, d.GetDay() - 7);
        return;
    }
    int y = m_nYear, m = m_nMonth;
    CDate::PrevYearMonth(&y, &m);
    SelectDate(y, m, d.GetDay() + CDate::GetDaysInMonth(y, m) - 7);
}

void CKovCalendar::GoToday() {
    SelectDate(CDate::GetToday(TRUE));
}

void CKovCalendar::GetWeekStartDate(CDate& date) const {
    const int weekday = date.GetDayOfWeek();
    int n = m_nFirstDayOfWeek - weekday;
    if (weekday < m_nFirstDayOfWeek)
        n -= 7;
    date.AddDays(n);
}

void CKovCalendar::SetFirstDayOfWeek(int nDay, BOOL bRepaint) {
    if (nDay < 0 || nDay > 6)
        return;
    m_nFirstDayOfWeek = nDay;
    if (bRepaint && GetSafeHwnd())
        Invalidate(FALSE);
}

// ---- Geometry -------------------------------------------------------------------------------

int CKovCalendar::GetCellDate(int row, int column, CDate& date) const {
    const int c = (m_nFirstWeekday - m_nFirstDayOfWeek + 7) % 7;
    const int n = DaysInShownMonth();
    int day;
    if (row == 0) {
        if (column < c) {
            int y = m_nYear, m = m_nMonth;
            CDate::PrevYearMonth(&y, &m);
            date.SetDate(y, m, CDate::GetDaysInMonth(y, m) + column - c + 1);
            return -1;
        }
        day = column - c + 1;
    } else {
        day = column + 7 * row - c + 1;
        if (day > n) {
            int y = m_nYear, m = m_nMonth;
            CDate::NextYearMonth(&y, &m);
            date.SetDate(y, m, day - n);
            return 0;
        }
    }
    date.SetDate(m_nYear, m_nMonth, day);
    return day;
}

BOOL CKovCalendar::GetCellOfDay(int day, int& row, int& column) const {
    if (day < 1 || day > DaysInShownMonth())
        return FALSE;
    const int a = day + (m_nFirstWeekday - m_nFirstDayOfWeek + 7) % 7 - 1;
    row = a / 7;
    column = a % 7;
    return TRUE;
}

CRect CKovCalendar::CellRect(const RECT& grid, int row, int column, int header) {
    if (row < 0)
        return CRect(ColumnEdge(grid, column - 1) + 1, grid.top, ColumnEdge(grid, column) + 1,
                     grid.top + header);
    return CRect(ColumnEdge(grid, column - 1) + 1, RowEdge(grid, row - 1, header) + 1,
                 ColumnEdge(grid, column) + 1, RowEdge(grid, row, header) + 1);
}

CRect CKovCalendar::GetCellRect(int row, int column) {
    CRect grid;
    GetCalendarRect(&grid);
    return CellRect(grid, row, column, m_nHeaderHeight);
}

void CKovCalendar::GetCalendarRect(RECT* pRect) {
    if (GetSafeHwnd())
        GetClientRect(pRect);
    else
        *pRect = CRect(0, 0, 0, 0);
}

int CKovCalendar::HitTest(CPoint point, int& row, int& column, CKovCalendarCellItem** ppItem) {
    if (ppItem)
        *ppItem = nullptr;
    CRect grid;
    GetCalendarRect(&grid);
    const int w = grid.Width(), h = grid.Height();
    if (w <= 0 || h <= 0 || !grid.PtInRect(point))
        return HitNone;
    column = (int)((long long)(point.x - grid.left) * 7 / w);
    if (m_nHeaderHeight >= h || point.y < grid.top + m_nHeaderHeight) {
        row = -1;
        return HitHeader;
    }
    row = (int)((long long)(point.y - grid.top - m_nHeaderHeight) * 6 / (h - m_nHeaderHeight));
    CKovCalendarCell& cell = m_cells[row * 7 + column];
    if (ppItem) {
        for (POSITION pos = cell.items.GetHeadPosition(); pos;) {
            CKovCalendarCellItem& item = cell.items.GetNext(pos);
            if (CRect(item.m_rect).PtInRect(point)) {
                *ppItem = &item;
                break;
            }
        }
    }
    return !cell.rcMore.IsRectEmpty() && cell.rcMore.PtInRect(point) ? HitMore : HitCell;
}

// ---- Drawing --------------------------------------------------------------------------------

void CKovCalendar::DrawCalendar(CDC* pDC) {
    m_pHighlighted = nullptr;
    CRect grid;
    GetCalendarRect(&grid);
    const int oldMode = pDC->SetBkMode(TRANSPARENT);
    CFont* pOldFont = pDC->SelectObject(&m_fontNormal);
    pDC->FillSolidRect(&grid, m_crBackground);

    pDC->FillSolidRect(grid.left, grid.top, grid.Width(), m_nHeaderHeight,
                       ::GetSysColor(COLOR_BTNFACE));
    const COLORREF oldText = pDC->GetTextColor();
    for (int i = 0; i < 7; ++i) {
        CRect r = CellRect(grid, -1, i, m_nHeaderHeight);
        pDC->Draw3dRect(&r, ::GetSysColor(COLOR_BTNHIGHLIGHT), ::GetSysColor(COLOR_BTNSHADOW));
        const int weekday = (i + m_nFirstDayOfWeek) % 7;
        pDC->SetTextColor(weekday == 0 ? m_crSunday : weekday == 6 ? m_crSaturday : oldText);
        pDC->DrawText((m_nStyle & StyleShortWeekdays) ? kShortWeekdays[weekday]
                                                      : kLongWeekdays[weekday],
                      -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
    pDC->SetTextColor(oldText);

    for (int row = 0; row < Rows; ++row) {
        for (int column = 0; column < Columns; ++column) {
            CDate date;
            const int day = GetCellDate(row, column, date);
            CKovCalendarCell& cell = m_cells[row * 7 + column];
            cell.Reset();
            cell.pOwnerData = nullptr;
            CKovCalendarCell* pCell = nullptr;
            if (m_pExtInfo != nullptr) {
                const int n =
                    m_pExtInfo->GetDayInfo(date, &cell.items, (m_nStyle & StyleCountOnly) != 0);
                if (n >= 0) {
                    cell.bHasItems = n > 0;
                    pCell = &cell;
                }
            }
            DrawCell(pDC, day, (column + m_nFirstDayOfWeek) % 7, date,
                     CellRect(grid, row, column, m_nHeaderHeight), pCell, FALSE);
        }
    }
    pDC->SelectObject(pOldFont);
    pDC->SetBkMode(oldMode);
}

void CKovCalendar::DrawCell(CDC* pDC, int nDay, int nWeekday, const CDate& date, const RECT& rect,
                            CKovCalendarCell* pCell, BOOL) {
    const BOOL flat = (m_nStyle & StyleFlat) != 0;
    const BOOL selected = nDay == m_nDay;
    const BOOL today = date == CDate::GetToday(TRUE);
    CRect cell(rect);
    m_rcCell = cell;
    if (!flat) {
        cell.DeflateRect(1, 1);
        const int lower = cell.top + cell.Height() * 3 / 4;
        pDC->FillSolidRect(cell.left, lower, cell.Width(), cell.bottom - lower, RGB(255, 255, 255));
        CRect upper(cell.left, cell.top, cell.right, today ? cell.bottom : lower);
        if (today)
            DrawGradientRect(pDC, upper, TRUE, RGB(255, 255, 100), RGB(255, 255, 200));
        else
            DrawGradientRect(pDC, upper, TRUE, RGB(220, 220, 220), RGB(255, 255, 255));
        CBrush frame(::GetSysColor(COLOR_BTNSHADOW));
        pDC->FrameRect(&cell, &frame);
        m_rcCell = cell;
        cell.InflateRect(1, 1);
    } else {
        pDC->FillSolidRect(&cell, m_crBackground);
    }

    CRect inner(cell);
    if (!flat)
        inner.DeflateRect(2, 2);
    CRect strip(inner);
    if (!(m_nStyle & StyleCentredDay))
        strip.bottom = std::min(inner.top + 18, inner.bottom);
    m_rcCell.top = strip.bottom;

    const COLORREF oldText = pDC->GetTextColor();
    COLORREF text = oldText;
    if (selected && nDay > 0) {
        DrawGradientRect(pDC, strip, TRUE, RGB(0, 0, 155), RGB(100, 100, 255));
        text = RGB(255, 255, 255);
    } else if (nWeekday == 0) {
        text = m_crSunday;
    } else if (nWeekday == 6) {
        text = m_crSaturday;
    }
    const BOOL inMonth = nDay > 0;
    const int number = inMonth ? nDay : date.GetDay();
    if (!inMonth)
        text = m_crOtherMonth;
    pDC->SetTextColor(text);

    if (!flat)
        cell.DeflateRect(4, 4);
    const BOOL hasItems = pCell != nullptr && (pCell->bHasItems || !pCell->items.IsEmpty());
    CFont* pOldFont = pDC->SelectObject(
        !(m_nStyle & StyleBoldOnlyWithItems) || hasItems ? &m_fontBold : &m_fontNormal);
    CString s;
    s.Format("%d", number);
    if (m_nStyle & StyleCentredDay)
        pDC->DrawText(s, &strip, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    else
        pDC->DrawText(s, &cell, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
    pDC->SelectObject(&m_fontNormal);

    if (!(m_nStyle & StyleNoLunar) && InLunarRange(date)) {
        CString lunar;
        BOOL term = FALSE;
        for (BOOL first : {TRUE, FALSE}) {
            int number = 0;
            if (CDate::GetSolarTermDay(date.GetYear(), date.GetMonth(), first, &number) ==
                date.GetDay()) {
                lunar = CDate::GetSolarTermName(number);
                term = !lunar.IsEmpty();
                break;
            }
        }
        if (term) {
            pDC->SetTextColor(inMonth ? m_crSolarTerm : Dimmed(m_crSolarTerm));
            CRect measure(cell);
            pDC->DrawText(lunar, &measure, DT_RIGHT | DT_SINGLELINE | DT_NOPREFIX | DT_CALCRECT);
            CRect box(cell.right - measure.Width(), cell.top, cell.right,
                      cell.top + measure.Height());
            box.InflateRect(1, 1);
            DrawGradientRect(pDC, box, TRUE, RGB(255, 200, 0), RGB(255, 255, 255));
            CBrush frame(RGB(187, 85, 3));
            pDC->FrameRect(&box, &frame);
        } else {
            int ly = 0, lm = 0, ld = 0;
            const int kind = date.ToLunar(&ly, &lm, &ld);
            if (kind != 0) {
                if (ld == 1)
                    CDate::GetLunarMonthName(lm, lunar, TRUE, kind == 2);
                else
                    CDate::GetLunarDayName(ld, lunar);
            }
            pDC->SetTextColor(text);
        }
        if (!lunar.IsEmpty())
            pDC->DrawText(lunar, &cell, DT_RIGHT | DT_SINGLELINE | DT_NOPREFIX);
        pDC->SetTextColor(text);
    }

    // The lines stack up from the bottom of the cell until they reach the day-number strip.
    CRect line(cell);
    line.InflateRect(4, 0);
    line.OffsetRect(0, 4);
    if (!flat)
        line.DeflateRect(2, 2);
    line.top = line.bottom - m_cyLine;
    BOOL overflow = FALSE;
    auto roomFor = [&]() {
        if (line.top < m_rcCell.top || line.bottom < m_rcCell.top) {
            overflow = TRUE;
            return FALSE;
        }
        return TRUE;
    };
    if (m_pFestivals != nullptr && !(m_nStyle & StyleNoFestivals)) {
        CStringList solar(10), lunarNames(10);
        m_pFestivals->GetFestivals(date, solar, lunarNames);
        for (int kind = 0; kind < 2 && !overflow; ++kind) {
            const BOOL isLunar = kind == 0;
            CStringList& names = isLunar ? lunarNames : solar;
            for (POSITION pos = names.GetHeadPosition(); pos && roomFor();) {
                const CString& name = names.GetNext(pos);
                DrawGradientRect(pDC, line, TRUE,
                                 isLunar ? RGB(95, 206, 251) : RGB(251, 206, 95),
                                 RGB(255, 255, 255));
                pDC->FillSolidRect(line.left, line.top, line.Width(), 1,
                                   isLunar ? RGB(3, 85, 187) : RGB(187, 85, 3));
                CRect t(line);
                t.DeflateRect(2, 2);
                pDC->SetTextColor(inMonth ? RGB(0, 0, 0) : m_crOtherMonth);
                pDC->DrawText(name, &t, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
                line.OffsetRect(0, -(m_cyLine + 1));
            }
        }
    }
    if (pCell != nullptr && !(m_nStyle & StyleCountOnly)) {
        for (POSITION pos = pCell->items.GetHeadPosition(); pos && !overflow && roomFor();) {
            CKovCalendarCellItem& item = pCell->items.GetNext(pos);
            DrawCellItem(pDC, &item, line, FALSE);
            item.m_rect = line;
            line.OffsetRect(0, -(m_cyLine + 1));
        }
    }
    if (overflow) {
        CRect more(m_rcCell.right - 20, m_rcCell.bottom - 9, m_rcCell.right, m_rcCell.bottom);
        DrawMoreMarker(pDC, more);
        if (pCell != nullptr)
            pCell->rcMore = more;
    }

    if (today) {
        CRect frame(cell);
        if (!flat)
            frame.InflateRect(2, 2);
        CBrush red(RGB(255, 0, 0));
        pDC->FrameRect(&frame, &red);
        frame.DeflateRect(1, 1);
        pDC->FrameRect(&frame, &red);
    }
    pDC->SelectObject(pOldFont);
    pDC->SetTextColor(oldText);
}

void CKovCalendar::DrawMoreMarker(CDC* pDC, const CRect& r) {
    pDC->FillSolidRect(&r, RGB(255, 255, 213));
    CBrush black(RGB(0, 0, 0));
    pDC->FrameRect(&r, &black);
    for (int i = 0; i < 4; ++i)
        pDC->FillSolidRect(r.left + 2 + i, r.top + 2 + i, 8 - 2 * i, 1, RGB(0, 0, 0));
    for (int x : {10, 13, 16})
        pDC->FillSolidRect(r.left + x, r.top + 2, 2, 2, RGB(0, 0, 0));
}

void CKovCalendar::DrawCellItem(CDC* pDC, CKovCalendarCellItem* pItem, const RECT& rect,
                                BOOL bFill) {
    CRect text(rect);
    text.DeflateRect(2, 0);
    COLORREF colour;
    if (pItem->m_nState & 1) {
        DrawGradientRect(pDC, rect, TRUE, RGB(0, 0, 155), RGB(100, 100, 255));
        colour = RGB(255, 255, 255);
    } else {
        if (pItem->m_nKind == CKovCalendarCellItem::KIND_EVENT)
            colour = RGB(0, 0, 0);
        else
            colour = pItem->m_nColour ? RGB(0, 0, 255) : RGB(255, 0, 0);
        if (bFill)
            pDC->FillSolidRect(&rect, pItem->m_nKind == CKovCalendarCellItem::KIND_EVENT
                                          ? RGB(176, 192, 240)
                                          : RGB(255, 183, 172));
    }
    int image = -1;
    if (pItem->m_nKind == CKovCalendarCellItem::KIND_BIRTHDAY)
        image = 0;
    else if (pItem->m_nKind == 3 || pItem->m_nKind == 4)
        image = (pItem->m_nAltIcon & 1) ? 2 : 1;
    if (image >= 0 && image < m_images.GetImageCount())
        m_images.Draw(pDC, image, CPoint(rect.left, rect.top), ILD_TRANSPARENT);
    text.left = rect.left + m_cxIcon;
    const COLORREF old = pDC->SetTextColor(colour);
    pDC->DrawText(pItem->m_strText, &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    pDC->SetTextColor(old);
}

void CKovCalendar::SelectCell(int row, int column, int day, const CDate& date,
                              CKovCalendarCellItem* pItem) {
    if (day < 1) {
        if (m_pHighlighted)
            m_pHighlighted->m_nState &= ~1;
        m_pHighlighted = pItem;
        if (pItem)
            pItem->m_nState |= 1;
        return;
    }
    if (day == m_nDay && pItem == m_pHighlighted)
        return;
    const int oldDay = m_nDay;
    m_nDay = day;
    if (m_pHighlighted)
        m_pHighlighted->m_nState &= ~1;
    if (pItem)
        pItem->m_nState |= 1;
    if (GetSafeHwnd()) {
        CClientDC dc(this);
        const int oldMode = dc.SetBkMode(TRANSPARENT);
        CFont* pOldFont = dc.SelectObject(&m_fontNormal);
        int r = 0, c = 0;
        CRect grid;
        GetCalendarRect(&grid);
        if (GetCellOfDay(oldDay, r, c) && oldDay != day) {
            CDate d(m_nYear, m_nMonth, oldDay);
            DrawCell(&dc, oldDay, (c + m_nFirstDayOfWeek) % 7, d,
                     CellRect(grid, r, c, m_nHeaderHeight), &m_cells[r * 7 + c], TRUE);
        }
        DrawCell(&dc, day, (column + m_nFirstDayOfWeek) % 7, date,
                 CellRect(grid, row, column, m_nHeaderHeight), &m_cells[row * 7 + column], TRUE);
        dc.SelectObject(pOldFont);
        dc.SetBkMode(oldMode);
    }
    m_pHighlighted = pItem;
}

void CKovCalendar::Notify(int nCode) {
    if (m_pOwner)
        m_pOwner->OnCalendarDateChanged(nCode);
}

// ---- Messages -------------------------------------------------------------------------------

void CKovCalendar::OnPaint() {
    CPaintDC dc(this);
    CBufferDC buffer(&dc, this);
    DrawCalendar(&buffer);
    buffer.Flush();
}

BOOL CKovCalendar::OnEraseBkgnd(CDC*) {
    return TRUE;
}

void CKovCalendar::OnSize(UINT nType, int cx, int cy) {
    CWnd::OnSize(nType, cx, cy);
    GetCalendarRect(&m_rcDraw);
}

void CKovCalendar::OnLButtonDown(UINT nFlags, CPoint point) {
    SetFocus();
    int row = 0, column = 0;
    CKovCalendarCellItem* pItem = nullptr;
    const int hit = HitTest(point, row, column, &pItem);
    if (hit == HitCell || hit == HitMore) {
        CDate date;
        const int day = GetCellDate(row, column, date);
        if (day <= 0) {
            SelectDate(date);
        } else {
            SelectCell(row, column, day, date, pItem);
            Notify(NotifyDay);
        }
    }
    CWnd::OnLButtonDown(nFlags, point);
}

void CKovCalendar::OnLButtonDblClk(UINT nFlags, CPoint point) {
    SetFocus();
    int row = 0, column = 0;
    CKovCalendarCellItem* pItem = nullptr;
    const int hit = HitTest(point, row, column, &pItem);
    if (hit != HitMore && pItem != nullptr) {
        if (pItem->Activate() != 0)
            Notify(NotifyDay);
        Invalidate(FALSE);
    }
    CWnd::OnLButtonDblClk(nFlags, point);
}

BOOL CKovCalendar::IsCtrlHeld() const {
    return m_bCtrl || IsKeyDown(VK_CONTROL);
}

void CKovCalendar::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) {
    const BOOL ctrl = nChar != VK_CONTROL && IsCtrlHeld();
    switch (nChar) {
    case VK_CONTROL:
        m_bCtrl = 1;
        break;
    case VK_PRIOR:
        ctrl ? PrevYear() : PrevMonth();
        break;
    case VK_NEXT:
        ctrl ? NextYear() : NextMonth();
        break;
    case VK_HOME:
        if (ctrl)
            GoToday();
        else
            SelectDate(m_nYear, m_nMonth, 1);
        break;
    case VK_END:
        SelectDate(m_nYear, m_nMonth, DaysInShownMonth());
        break;
    case VK_LEFT:
        PrevDay();
        break;
    case VK_RIGHT:
        NextDay();
        break;
    case VK_UP:
        PrevWeek();
        break;
    case VK_DOWN:
        NextWeek();
        break;
    default:
        break;
    }
    CWnd::OnKeyDown(nChar, nRepCnt, nFlags);
}

void CKovCalendar::OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags) {
    if (nChar == VK_CONTROL)
        m_bCtrl = 0;
    CWnd::OnKeyUp(nChar, nRepCnt, nFlags);
}

BOOL CKovCalendar::OnMouseWheel(UINT, short zDelta, CPoint) {
    const BOOL forward = zDelta < 0;
    if (IsKeyDown(VK_CONTROL))
        forward ? NextMonth() : PrevMonth();
    else if (IsKeyDown(VK_SHIFT))
        forward ? NextYear() : PrevYear();
    else
        forward ? NextDay() : PrevDay();
    return TRUE;
}

void CKovCalendar::DropEntries() {
    for (CKovCalendarCell& cell : m_cells) {
        cell.Reset();
        cell.pOwnerData = nullptr;
    }
    m_pHighlighted = nullptr;
    if (GetSafeHwnd() != nullptr)
        Invalidate(FALSE);
}
