#include "calendar/ui/CalendarInfoWnd.h"

#include "calendar/FestivalTable.h"
#include "ui/DrawHelpers.h"
#include "ui/KovMenu.h"

IMPLEMENT_DYNCREATE(CCalendarInfoWnd, CWnd)

BEGIN_MESSAGE_MAP(CCalendarInfoWnd, CScrollWindow)
ON_WM_SIZE()
ON_WM_ERASEBKGND()
ON_WM_LBUTTONDOWN()
ON_WM_LBUTTONDBLCLK()
ON_WM_CONTEXTMENU()
ON_WM_RBUTTONDOWN()
ON_MESSAGE(WM_INITMENUPOPUP, &CCalendarInfoWnd::OnInitMenuPopup)
END_MESSAGE_MAP()

CCalendarInfoWnd::CCalendarInfoWnd() {
    CreateCalendarFonts(m_fontText, m_fontTitle);
    m_date = CDate::GetToday(TRUE);
}

CCalendarInfoWnd::~CCalendarInfoWnd() = default;

void CCalendarInfoWnd::Refresh() {
    CKovCalendar* pCalendar = GetCalendar();
    if (pCalendar == nullptr)
        return;
    CDate date;
    pCalendar->GetDate(date);
    if (!date.IsValid())
        return;
    m_date = date;
    m_bRefreshEntries = TRUE;
    if (GetSafeHwnd()) {
        Invalidate(FALSE);
        UpdateWindow();
    } else {
        FillEntries();
    }
}

void CCalendarInfoWnd::FillEntries() {
    if (!m_bRefreshEntries)
        return;
    m_cell.Reset();
    m_cell.pOwnerData = nullptr;
    if (CKovCalendar* pCalendar = GetCalendar(); pCalendar != nullptr && pCalendar->m_pExtInfo) {
        const int n = pCalendar->m_pExtInfo->GetDayInfo(m_date, &m_cell.items, FALSE);
        m_cell.bHasItems = n > 0;
    }
    m_bRefreshEntries = FALSE;
}

std::vector<CCalendarInfoWnd::CSection> CCalendarInfoWnd::BuildSections() {
    std::vector<CSection> out;
    if (!m_date.IsValid())
        return out;
    FillEntries();
    const CDate today = CDate::GetToday(TRUE);
    const BOOL isToday = m_date == today;
    CString s;

    CSection solar;
    solar.strTitle = isToday ? "阳历 (今天)" : "阳历";
    m_date.GetDateText(s, FALSE);
    solar.lines.push_back(s);
    if (CDate::IsLeapYear(m_date.GetYear())) {
        s.Format("%d年是闰年", m_date.GetYear());
        solar.lines.push_back(s);
    }
    s.Format("第%d天/共%d天", m_date.DaysSince(CDate(m_date.GetYear(), 1, 1)) + 1,
             CDate::GetDaysInYear(m_date.GetYear()));
    solar.lines.push_back(s);
    if (!isToday && today.IsValid()) {
        const long days = m_date.DaysSince(today);
        if (days < 0)
            s.Format("在今日前%ld天", -days);
        else
            s.Format("在今日后%ld天", days);
        solar.lines.push_back(s);
    }
    out.push_back(solar);

    CSection lunar;
    lunar.strTitle = "阴历";
    m_date.GetDateText(s, TRUE);
    lunar.lines.push_back(s);
    int ly = 0, lm = 0, ld = 0;
    if (const int kind = m_date.ToLunar(&ly, &lm, &ld); kind != 0) {
        for (BOOL first : {TRUE, FALSE}) {
            int number = 0;
            if (CDate::GetSolarTermDay(m_date.GetYear(), m_date.GetMonth(), first, &number) ==
                    m_date.GetDay() &&
                number > 0) {
                s.Format("节气: %s", (LPCTSTR)CDate::GetSolarTermName(number));
                lunar.lines.push_back(s);
                break;
            }
        }
        const BOOL leap = kind == 2;
        CString name;
        CDate::GetLunarMonthName(lm, name, TRUE, leap,
                                 CDate::GetLunarMonthLength(ly, lm, leap) < 30 ? 1 : 2);
        lunar.lines.push_back(name);
        if (const int leapMonth = CDate::GetLunarLeapMonth(ly); leapMonth > 0) {
            CDate::GetLunarMonthName(leapMonth, name, TRUE);
            s.Format("%d年是闰年 闰%s", ly, (LPCTSTR)name);
            lunar.lines.push_back(s);
        }
    }
    out.push_back(lunar);

    CSection week;
    week.strTitle = "星期";
    s.Format("%s 第%d周", (LPCTSTR)CDate::GetWeekdayName(m_date.GetDayOfWeek()),
             m_date.GetWeekOfYear());
    week.lines.push_back(s);
    out.push_back(week);

    CSection sign;
    sign.strTitle = "星座";
    m_date.GetConstellationName(s);
    sign.lines.push_back(s);
    out.push_back(sign);

    if (CKovCalendar* pCalendar = GetCalendar();
        pCalendar != nullptr && pCalendar->GetFestivalTable() != nullptr) {
        CStringList names(10);
        if (pCalendar->GetFestivalTable()->GetFestivals(m_date, names) > 0 && !names.IsEmpty()) {
            CSection festivals;
            festivals.strTitle = "节日";
            for (POSITION pos = names.GetHeadPosition(); pos;)
                festivals.lines.push_back(names.GetNext(pos));
            out.push_back(festivals);
        }
    }

    CSection birthdays, tasks;
    birthdays.strTitle = "生日";
    tasks.strTitle = "任务";
    for (POSITION pos = m_cell.items.GetHeadPosition(); pos;) {
        CKovCalendarCellItem& item = m_cell.items.GetNext(pos);
        if (item.m_nKind == CKovCalendarCellItem::KIND_BIRTHDAY)
            birthdays.items.push_back(&item);
        else if (item.m_nKind == 3 || item.m_nKind == 4)
            tasks.items.push_back(&item);
    }
    if (!birthdays.items.empty())
        out.push_back(birthdays);
    if (!tasks.items.empty())
        out.push_back(tasks);
    return out;
}

void CCalendarInfoWnd::DrawSection(CDC* pDC, CSection& section, int& y, const CRect& layout) {
    CRect title(layout.left, y, layout.right, y + TitleHeight);
    const int quarter = title.Width() / 4;
    pDC->FillSolidRect(title.left, title.top, quarter, title.Height(), RGB(255, 255, 255));
    DrawGradientRect(pDC, CRect(title.left + quarter, title.top, title.right, title.bottom), FALSE,
                     RGB(255, 255, 255), m_crTitleEnd);
    CFont* pOld = pDC->SelectObject(&m_fontTitle);
    pDC->SetTextColor(m_crText);
    CRect text(title);
    text.left += TextInset;
    pDC->DrawText(section.strTitle, &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    pDC->SelectObject(&m_fontText);
    section.rcTitle = title;
    y = title.bottom;

    const int count = (int)(section.lines.size() + section.items.size());
    CRect block(layout.left, y, layout.right, y + count * LineHeight + 9);
    pDC->FillSolidRect(&block, m_crLineBack);
    section.rcLines = block;
    int lineTop = y;
    for (const CString& line : section.lines) {
        CRect r(layout.left + TextInset, lineTop, layout.right - TextInset, lineTop + LineHeight);
        pDC->DrawText(line, &r, DT_LEFT | DT_BOTTOM | DT_SINGLELINE | DT_NOPREFIX);
        lineTop += LineHeight;
    }
    CKovCalendar* pPane = GetCalendar();
    for (CKovCalendarCellItem* pItem : section.items) {
        CRect r(layout.left + 2, lineTop + 4, layout.right - 2, lineTop + LineHeight + 4);
        r.DeflateRect(0, 1);
        if (pPane != nullptr)
            pPane->DrawCellItem(pDC, pItem, r, FALSE);
        pItem->m_rect = r;
        lineTop += LineHeight;
    }
    pDC->SelectObject(pOld);
    y = block.bottom + MarginY;
}

void CCalendarInfoWnd::OnDraw(CDC* pDC) {
    CRect client;
    GetClientRect(&client);
    const CPoint scroll = GetScrollPosition();
    client.OffsetRect(scroll);
    pDC->FillSolidRect(&client, m_crBack);
    CRect layout(0, 0, client.Width(), client.Height());
    layout.DeflateRect(MarginX, MarginY);
    const int oldMode = pDC->SetBkMode(TRANSPARENT);
    m_sections = BuildSections();
    int y = layout.top;
    for (CSection& section : m_sections)
        DrawSection(pDC, section, y, layout);
    pDC->SetBkMode(oldMode);

    // The page is as tall as its sections; the bar appears only when they do not fit.
    const CSize content(client.Width(), std::max(client.Height(), y));
    if (m_bRelayout || content != m_content) {
        m_bRelayout = FALSE;
        m_content = content;
        SetScrollSizes(content.cx, content.cy);
    }
}

BOOL CCalendarInfoWnd::OnEraseBkgnd(CDC*) {
    return TRUE;
}

void CCalendarInfoWnd::OnSize(UINT nType, int cx, int cy) {
    CScrollWindow::OnSize(nType, cx, cy);
    m_bRelayout = TRUE;
}

CKovCalendarCellItem* CCalendarInfoWnd::ItemAt(CPoint point) {
    point += GetScrollPosition();
    for (POSITION pos = m_cell.items.GetHeadPosition(); pos;) {
        CKovCalendarCellItem& item = m_cell.items.GetNext(pos);
        if (CRect(item.m_rect).PtInRect(point))
            return &item;
    }
    return nullptr;
}

void CCalendarInfoWnd::OnLButtonDown(UINT nFlags, CPoint point) {
    SetFocus();
    CKovCalendarCellItem* pItem = ItemAt(point);
    auto* pOld = static_cast<CKovCalendarCellItem*>(m_cell.pOwnerData);
    if (pItem != pOld) {
        if (pOld)
            pOld->m_nState &= ~1;
        if (pItem)
            pItem->m_nState |= 1;
        m_cell.pOwnerData = pItem;
        Invalidate(FALSE);
    }
    CScrollWindow::OnLButtonDown(nFlags, point);
}

void CCalendarInfoWnd::OnLButtonDblClk(UINT nFlags, CPoint point) {
    if (CKovCalendarCellItem* pItem = ItemAt(point); pItem != nullptr && pItem->Activate() != 0) {
        m_bRefreshEntries = TRUE;
        Invalidate(FALSE);
        if (CKovCalendar* pCalendar = GetCalendar(); pCalendar && pCalendar->GetSafeHwnd())
            pCalendar->Invalidate(FALSE);
    }
    CScrollWindow::OnLButtonDblClk(nFlags, point);
}

void CCalendarInfoWnd::DropEntries() {
    m_cell.Reset();
    m_cell.pOwnerData = nullptr;
    m_sections.clear();
    m_bRefreshEntries = TRUE;
    if (GetSafeHwnd() != nullptr)
        Invalidate(FALSE);
}

BOOL CCalendarInfoWnd::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
    if ((nCode == (int)CN_UPDATE_COMMAND_UI || nCode == (int)CN_COMMAND) && IsTaskCommand(nID)) {
        // Without an entry here, the grid (or the view shown) may still have one.
        if (nID != ID_NEW_TASK && GetSelectedElement() == nullptr)
            return CScrollWindow::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
        if (nCode == (int)CN_UPDATE_COMMAND_UI)
            return OnUpdateCommand(nID, static_cast<CCmdUI*>(pExtra));
        if (pHandlerInfo == nullptr)
            CCalendarItemsHandler::OnCommand(nID);
        return TRUE;
    }
    return CScrollWindow::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

void CCalendarInfoWnd::OnContextMenu(CWnd*, CPoint point) {
    if (point.x == -1 && point.y == -1) { // from the keyboard: at the entry, or the corner
        CPoint at(MarginX, MarginY);
        if (CKovCalendarCellItem* pItem = GetHighlightedItem())
            at = CRect(pItem->m_rect).CenterPoint() - GetScrollPosition();
        point = at;
        ClientToScreen(&point);
    }
    ShowPopupMenu(IDR_ITEMS_MENU, 0, point, TPM_LEFTALIGN | TPM_RIGHTBUTTON, this);
}

LRESULT CCalendarInfoWnd::OnInitMenuPopup(WPARAM wParam, LPARAM lParam) {
    if (HIWORD(lParam) == 0)
        CCalendarItemsHandler::UpdatePopupMenu((HMENU)wParam, this);
    return 0;
}
