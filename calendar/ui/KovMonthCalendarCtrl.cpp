#include "calendar/ui/KovMonthCalendarCtrl.h"

#include "calendar/ui/CalendarPane.h"
#include "platform/gui/Icon.h"
#include "ui/WndHelpers.h"

IMPLEMENT_DYNCREATE(CKovMonthCalendarCtrl, CKovCalendar)

BEGIN_MESSAGE_MAP(CKovMonthCalendarEmbededEdit, CEdit)
ON_WM_KILLFOCUS()
END_MESSAGE_MAP()

BEGIN_MESSAGE_MAP(CKovMonthCalendarCtrl, CKovCalendar)
ON_WM_CREATE()
ON_WM_SIZE()
ON_WM_LBUTTONDOWN()
ON_WM_LBUTTONDBLCLK()
ON_WM_RBUTTONDBLCLK()
END_MESSAGE_MAP()

BOOL CKovMonthCalendarEmbededEdit::PreTranslateMessage(MSG* pMsg) {
    if (pMsg->message == WM_KEYDOWN && m_pOwner != nullptr) {
        if (pMsg->wParam == VK_ESCAPE) {
            m_pOwner->CancelCaptionEdit();
            return TRUE;
        }
        m_bCancelled = 0;
        if (pMsg->wParam == VK_RETURN) {
            m_pOwner->ApplyCaptionEdit();
            return TRUE;
        }
    }
    return CEdit::PreTranslateMessage(pMsg);
}

void CKovMonthCalendarEmbededEdit::OnKillFocus(CWnd* pNewWnd) {
    CEdit::OnKillFocus(pNewWnd);
    if (m_pOwner != nullptr && IsWindowVisible() && !m_bCancelled)
        m_pOwner->ApplyCaptionEdit();
}

CKovMonthCalendarCtrl::CKovMonthCalendarCtrl() {
    m_nHeaderHeight = 16;
    m_crBackground = RGB(255, 255, 255);
    m_nStyle = 0x7F;
    m_edit.m_pOwner = this;
    static const UINT kIcons[] = {522, 500, 501, 521, 523};
    m_buttonImages.Create(16, 16, ILC_COLOR32 | ILC_MASK, 5, 3);
    for (UINT id : kIcons) {
        HICON hIcon = ::LoadIcon(nullptr, MAKEINTRESOURCE(id));
        if (hIcon == nullptr || m_buttonImages.Add(hIcon) < 0)
            CCalendarPane::AddIconFile(m_buttonImages, "");
    }
}

CKovMonthCalendarCtrl::~CKovMonthCalendarCtrl() = default;

int CKovMonthCalendarCtrl::OnCreate(LPCREATESTRUCT lpcs) {
    if (CKovCalendar::OnCreate(lpcs) == -1)
        return -1;
    if (!m_edit.Create(WS_CHILD | WS_BORDER | ES_AUTOHSCROLL, CRect(0, 0, 0, 0), this, IDC_EDIT))
        return -1;
    m_edit.SetFont(&m_fontNormal);
    LayoutCaption();
    return 0;
}

void CKovMonthCalendarCtrl::GetCaptionRect(RECT* pRect) {
    CRect client(0, 0, 0, 0);
    if (GetSafeHwnd())
        GetClientRect(&client);
    *pRect = CRect(client.left, client.top, client.right, client.top + m_nCaptionHeight);
}

void CKovMonthCalendarCtrl::GetCalendarRect(RECT* pRect) {
    CRect client(0, 0, 0, 0);
    if (GetSafeHwnd())
        GetClientRect(&client);
    client.top += m_nCaptionHeight;
    if (client.bottom < client.top)
        client.bottom = client.top;
    *pRect = client;
}

void CKovMonthCalendarCtrl::LayoutCaption() {
    CRect caption;
    GetCaptionRect(&caption);
    const int y = caption.top + (m_nCaptionHeight - m_cyButton) / 2;
    CRect& prevYear = m_rcButtons[0];
    CRect& prevMonth = m_rcButtons[1];
    CRect& nextMonth = m_rcButtons[2];
    CRect& nextYear = m_rcButtons[3];
    CRect& today = m_rcButtons[4];
    prevYear.SetRect(caption.left + m_nButtonGap, y, caption.left + m_nButtonGap + m_cxButton,
                     y + m_cyButton);
    nextYear.SetRect(caption.right - m_nButtonGap - m_cxButton, y, caption.right - m_nButtonGap,
                     y + m_cyButton);
    prevMonth.SetRect(prevYear.right + m_nButtonGap, y, prevYear.right + m_nButtonGap + m_cxButton,
                      y + m_cyButton);
    nextMonth.SetRect(nextYear.left - m_nButtonGap - m_cxButton, y, nextYear.left - m_nButtonGap,
                      y + m_cyButton);
    today.SetRect(prevMonth.right + m_nButtonGap, y, prevMonth.right + m_nButtonGap + m_cxButton,
                  y + m_cyButton);
    m_rcCaptionArea.SetRect(prevMonth.right + m_nButtonGap, y, nextMonth.left - m_nButtonGap,
                            y + m_cyButton);
    // A control too narrow for the text keeps its buttons at the edges and no text area.
    if (m_rcCaptionArea.right < m_rcCaptionArea.left)
        m_rcCaptionArea.right = m_rcCaptionArea.left;
    m_rcCaptionHit = m_rcCaptionArea;
}

void CKovMonthCalendarCtrl::OnSize(UINT nType, int cx, int cy) {
    CKovCalendar::OnSize(nType, cx, cy);
    LayoutCaption();
}

void CKovMonthCalendarCtrl::DrawCaptionText(CDC* pDC) {
    const CRect& today = m_rcButtons[4];
    if (m_rcCaptionArea.right > today.right)
        pDC->FillSolidRect(today.right, m_rcCaptionArea.top, m_rcCaptionArea.right - today.right,
                           m_rcCaptionArea.Height(), m_crCaption);
    CString text;
    text.Format("%d年%d月", m_nYear, m_nMonth);
    CFont* pOld = pDC->SelectObject(&m_fontNormal);
    CRect measure(m_rcCaptionArea);
    pDC->DrawText(text, &measure, DT_CENTER | DT_SINGLELINE | DT_CALCRECT);
    const int inset = std::max(0, (m_rcCaptionArea.Width() - measure.Width()) / 2);
    m_rcCaptionHit = m_rcCaptionArea;
    m_rcCaptionHit.DeflateRect(inset, 0);
    const int oldMode = pDC->SetBkMode(TRANSPARENT);
    const COLORREF oldText = pDC->SetTextColor(RGB(0, 0, 0));
    CRect area(m_rcCaptionArea);
    pDC->DrawText(text, &area, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    pDC->SetTextColor(oldText);
    pDC->SetBkMode(oldMode);
    pDC->SelectObject(pOld);
}

void CKovMonthCalendarCtrl::DrawCalendar(CDC* pDC) {
    CRect caption;
    GetCaptionRect(&caption);
    pDC->FillSolidRect(&caption, m_crCaption);
    for (int i = 0; i < 5; ++i)
        if (i < m_buttonImages.GetImageCount())
            m_buttonImages.Draw(pDC, i, m_rcButtons[i].TopLeft(), ILD_TRANSPARENT);
    DrawCaptionText(pDC);
    CKovCalendar::DrawCalendar(pDC);
}

void CKovMonthCalendarCtrl::Notify(int nCode) {
    CKovCalendar::Notify(nCode);
    // The caption follows every change at once.
    if (GetSafeHwnd()) {
        CClientDC dc(this);
        DrawCaptionText(&dc);
    }
}

int CKovMonthCalendarCtrl::HitTest(CPoint point, int& row, int& column,
                                   CKovCalendarCellItem** ppItem) {
    const int hit = CKovCalendar::HitTest(point, row, column, ppItem);
    if (hit != HitNone)
        return hit;
    for (int i = 0; i < 5; ++i)
        if (m_rcButtons[i].PtInRect(point))
            return HitPrevYear + i;
    if (!m_rcCaptionHit.IsRectEmpty() && m_rcCaptionHit.PtInRect(point))
        return HitCaption;
    return HitNone;
}

void CKovMonthCalendarCtrl::OnLButtonDown(UINT nFlags, CPoint point) {
    int row = 0, column = 0;
    switch (HitTest(point, row, column)) {
    case HitPrevYear: PrevYear(); return;
    case HitPrevMonth: PrevMonth(); return;
    case HitNextMonth: NextMonth(); return;
    case HitNextYear: NextYear(); return;
    case HitToday: GoToday(); return;
    case HitCaption: BeginCaptionEdit(); return;
    default: CKovCalendar::OnLButtonDown(nFlags, point);
    }
}

// The second of two quick clicks arrives as a double click: on a caption button it is one more
// press (ten quick clicks on an arrow move ten months); on the grid it opens the day's entry.
void CKovMonthCalendarCtrl::OnLButtonDblClk(UINT nFlags, CPoint point) {
    int row = 0, column = 0;
    const int hit = HitTest(point, row, column);
    if (hit >= HitPrevYear && hit <= HitToday)
        OnLButtonDown(nFlags, point);
    else
        CKovCalendar::OnLButtonDblClk(nFlags, point);
}

void CKovMonthCalendarCtrl::OnRButtonDblClk(UINT nFlags, CPoint point) {
    GoToday();
    CKovCalendar::OnRButtonDblClk(nFlags, point);
}

void CKovMonthCalendarCtrl::BeginCaptionEdit() {
    if (!m_edit.GetSafeHwnd())
        return;
    CString text;
    CDate date;
    GetDate(date);
    if (IsKeyDown(VK_MENU))
        text.Format("%d %d %d", m_nYear, m_nMonth, date.GetDay());
    else if (IsKeyDown(VK_CONTROL))
        text.Format("%d %d", m_nYear, m_nMonth);
    else
        text.Format("%d", m_nYear);
    m_edit.m_bCancelled = 0;
    m_edit.SetWindowText(text);
    m_edit.MoveWindow(&m_rcCaptionHit);
    m_edit.ShowWindow(SW_SHOW);
    m_edit.SetFocus();
    m_edit.SetSel(0, -1);
}

void CKovMonthCalendarCtrl::CancelCaptionEdit() {
    m_edit.m_bCancelled = 1;
    m_edit.ShowWindow(SW_HIDE);
}

void CKovMonthCalendarCtrl::ApplyCaptionEdit() {
    if (!m_edit.IsWindowVisible())
        return;
    CString text;
    m_edit.GetWindowText(text);
    m_edit.ShowWindow(SW_HIDE);
    CDate date;
    if (date.Parse(text))
        SelectDate(date);
    else if (date.GetMonth() >= 1)
        SetYearMonth(date.GetYear(), date.GetMonth(), TRUE);
    else if (date.GetYear() > 0)
        SetYear(date.GetYear());
}
