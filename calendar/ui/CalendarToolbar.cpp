#include "calendar/ui/CalendarToolbar.h"

#include "calendar/ui/CalendarInfoWnd.h"
#include "calendar/ui/CalendarPane.h"
#include "platform/gui/Icon.h"
#include "ui/WndHelpers.h"

IMPLEMENT_DYNAMIC(CCalendarToolbar, CToolBar)

BEGIN_MESSAGE_MAP(CCalendarToolbar, CToolBar)
ON_CBN_SELCHANGE(CCalendarToolbar::IDC_YEAR, &CCalendarToolbar::OnYearSelChange)
ON_CONTROL(CBN_KILLFOCUS, CCalendarToolbar::IDC_YEAR, &CCalendarToolbar::OnYearKillFocus)
ON_CBN_SELCHANGE(CCalendarToolbar::IDC_MONTH, &CCalendarToolbar::OnMonthSelChange)
END_MESSAGE_MAP()

BOOL CYearComboBox::PreTranslateMessage(MSG* pMsg) {
    if (pMsg->message == WM_KEYDOWN) {
        auto* pBar = dynamic_cast<CCalendarToolbar*>(GetParent());
        switch (pMsg->wParam) {
        case VK_TAB:
            if (pBar != nullptr)
                pBar->GetMonthBox().SetFocus();
            return TRUE;
        case VK_ESCAPE:
            if (pBar != nullptr) {
                pBar->OnCalendarDateChanged(4);
                pBar->ReturnToGrid();
            }
            return TRUE;
        case VK_RETURN:
            if (pBar != nullptr)
                pBar->ReturnToGrid();
            return TRUE;
        case VK_UP:
        case VK_DOWN:
            if (!IsKeyDown(VK_MENU) && !IsKeyDown(VK_CONTROL) && !GetDroppedState()) {
                ShowDropDown(TRUE);
                return TRUE;
            }
            break;
        default:
            break;
        }
    }
    return CComboBox::PreTranslateMessage(pMsg);
}

CCalendarToolbar::CCalendarToolbar() = default;
CCalendarToolbar::~CCalendarToolbar() = default;

BOOL CCalendarToolbar::CreateBar(CWnd* pParent) {
    static const UINT kButtons[] = {CCalendarPane::ID_PREV_YEAR,  CCalendarPane::ID_PREV_MONTH,
                                    CCalendarPane::ID_TODAY,      CCalendarPane::ID_NEXT_MONTH,
                                    CCalendarPane::ID_NEXT_YEAR,  ID_SEPARATOR,
                                    ID_SEPARATOR,                 ID_SEPARATOR,
                                    ID_SEPARATOR};
    static const UINT kIcons[] = {522, 500, 523, 501, 521};
    if (!CreateEx(pParent, TBSTYLE_FLAT, WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_TOOLTIPS,
                  CRect(0, 0, 0, 0), ID_TOOLBAR))
        return FALSE;
    m_images.Create(16, 16, ILC_COLOR32 | ILC_MASK, 5, 1);
    for (UINT id : kIcons) {
        HICON hIcon = ::LoadIcon(nullptr, MAKEINTRESOURCE(id));
        if (hIcon == nullptr || m_images.Add(hIcon) < 0)
            CCalendarPane::AddIconFile(m_images, ""); // a blank keeps the numbering
    }
    GetToolBarCtrl().SetImageList(&m_images);
    if (!SetButtons(kButtons, 9))
        return FALSE;
    SetSizes(CSize(23, 22), CSize(16, 16));
    for (int i = 0; i < 5; ++i)
        SetButtonInfo(i, kButtons[i], TBBS_BUTTON, i);
    SetButtonInfo(5, ID_SEPARATOR, TBBS_SEPARATOR, 6);
    SetButtonInfo(6, IDC_YEAR, TBBS_SEPARATOR, 100);
    SetButtonInfo(7, ID_SEPARATOR, TBBS_SEPARATOR, 6);
    SetButtonInfo(8, IDC_MONTH, TBBS_SEPARATOR, 60);

    LOGFONT lf{};
    if (CFont* pStock = CFont::FromHandle((HFONT)::GetStockObject(DEFAULT_GUI_FONT)))
        pStock->GetLogFont(&lf);
    m_font.CreateFontIndirect(&lf);
    CRect bar;
    GetItemRect(0, &bar);
    CRect r;
    GetItemRect(6, &r);
    r.top = bar.top + (bar.Height() - 18) / 2;
    r.bottom = r.top + 18;
    if (!m_year.Create(WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN,
                       CRect(r.left, r.top, r.right, r.top + 200), this, IDC_YEAR))
        return FALSE;
    GetItemRect(8, &r);
    r.top = bar.top + (bar.Height() - 18) / 2;
    if (!m_month.Create(WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST,
                        CRect(r.left, r.top, r.right, r.top + 240), this, IDC_MONTH))
        return FALSE;
    m_year.SetFont(&m_font);
    m_month.SetFont(&m_font);
    const int thisYear = CDate::GetToday(TRUE).GetYear();
    for (int y = thisYear - 45; y <= thisYear + 24; ++y) {
        CString s;
        s.Format("%d", y);
        m_year.AddString(s);
    }
    for (int m = 1; m <= 12; ++m)
        m_month.AddString(CDate::GetMonthName(m));
    return TRUE;
}

void CCalendarToolbar::OnCalendarDateChanged(int) {
    CKovCalendar* pCalendar = GetCalendar();
    if (pCalendar == nullptr)
        return;
    CString s;
    s.Format("%d", pCalendar->GetYear());
    if (m_year.GetSafeHwnd())
        m_year.SetWindowText(s);
    if (m_month.GetSafeHwnd())
        m_month.SetCurSel(pCalendar->GetMonth() - 1);
    if (m_pInfoWnd != nullptr)
        m_pInfoWnd->Refresh();
}

BOOL CCalendarToolbar::ApplyYearText(const CString& text) {
    CKovCalendar* pCalendar = GetCalendar();
    if (pCalendar == nullptr)
        return FALSE;
    CDate date;
    if (date.Parse(text))
        return pCalendar->SelectDate(date);
    if (date.GetMonth() > 0)
        return pCalendar->SetYearMonth(date.GetYear(), date.GetMonth(), TRUE);
    if (date.GetYear() > 0 && date.GetYear() != pCalendar->GetYear())
        return pCalendar->SetYearMonth(date.GetYear(), pCalendar->GetMonth(), TRUE);
    return date.GetYear() > 0 && date.GetYear() <= CKovCalendar::MaxYear;
}

void CCalendarToolbar::ReturnToGrid() {
    NMHDR nm{};
    nm.hwndFrom = GetSafeHwnd();
    nm.idFrom = ID_TOOLBAR;
    nm.code = (UINT)NM_RETURN_TO_GRID;
    if (CWnd* pParent = GetParent())
        pParent->SendMessage(WM_NOTIFY, ID_TOOLBAR, (LPARAM)&nm);
}

void CCalendarToolbar::OnYearSelChange() {
    const int sel = m_year.GetCurSel();
    if (sel < 0)
        return;
    CString text;
    m_year.GetLBText(sel, text);
    ApplyYearText(text);
}

void CCalendarToolbar::OnYearKillFocus() {
    CString text;
    m_year.GetWindowText(text);
    if (!ApplyYearText(text))
        OnCalendarDateChanged(4); // the box shows the grid's year again
}

void CCalendarToolbar::OnMonthSelChange() {
    if (CKovCalendar* pCalendar = GetCalendar(); pCalendar != nullptr && m_month.GetCurSel() >= 0)
        pCalendar->SetMonth(m_month.GetCurSel() + 1);
}
