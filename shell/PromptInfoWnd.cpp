#include "shell/PromptInfoWnd.h"

#include "platform/gui/Dc.h"
#include "platform/gui/GdiPlus.h"

BEGIN_MESSAGE_MAP(CPromptInfoWnd, CWnd)
ON_WM_TIMER()
ON_WM_LBUTTONDOWN()
ON_WM_PAINT()
ON_WM_DESTROY()
END_MESSAGE_MAP()

CPromptInfoWnd::CPromptInfoWnd() = default;

BOOL CPromptInfoWnd::Create() {
    LPCTSTR cls = AfxRegisterWndClass(0);
    if (!m_wndOwner.CreateEx(0, cls, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr))
        return FALSE;
    if (!CreateEx(0, cls, "", WS_POPUP | WS_BORDER, 0, 0, m_nWidth, m_nHeight, m_wndOwner.m_hWnd,
                  nullptr)) {
        m_wndOwner.DestroyWindow();
        return FALSE;
    }
    return TRUE;
}

void CPromptInfoWnd::ShowPrompt() {
    if (!m_hWnd)
        return;
    // At the right end of the work area, just above its bottom edge. The work area need not
    // start at the screen's origin (a task bar on the left or at the top), so the position is
    // taken from its right and bottom edges.
    CRect work;
    SystemParametersInfo(SPI_GETWORKAREA, 0, &work, 0);
    m_rcShown.SetRect(work.right - m_nWidth, work.bottom - m_nHeight, work.right, work.bottom);
    StopAllTimers();
    m_nCurLeft = m_rcShown.left;
    m_nCurTop = m_rcShown.bottom;
    Place();
    StartTimer(TIMER_SLIDE_IN, m_nStepInterval);
}

void CPromptInfoWnd::Place() {
    SetWindowPos(&wndTopMost, m_nCurLeft, m_nCurTop, m_nWidth, m_nHeight,
                 SWP_SHOWWINDOW | SWP_NOACTIVATE);
}

void CPromptInfoWnd::StartTimer(UINT id, UINT elapse) {
    SetTimer(id, elapse, nullptr);
    m_nTimers |= id;
}

void CPromptInfoWnd::StopTimer(UINT id) {
    KillTimer(id);
    m_nTimers &= ~id;
}

void CPromptInfoWnd::StopAllTimers() {
    for (UINT id : {TIMER_SLIDE_IN, TIMER_HOLD, TIMER_SLIDE_OUT})
        if (m_nTimers & id)
            StopTimer(id);
}

void CPromptInfoWnd::OnTimer(UINT_PTR nIDEvent) {
    switch (nIDEvent) {
    case TIMER_SLIDE_IN:
        if (m_nCurTop > m_rcShown.top) {
            m_nCurTop -= kSlideStep;
            Place();
        } else {
            StopTimer(TIMER_SLIDE_IN);
            StartTimer(TIMER_HOLD, m_nHoldTime);
        }
        break;
    case TIMER_HOLD:
        StopTimer(TIMER_HOLD);
        StartTimer(TIMER_SLIDE_OUT, m_nStepInterval);
        break;
    case TIMER_SLIDE_OUT:
        if (m_nCurTop < m_rcShown.bottom) {
            m_nCurTop += kSlideStep;
            Place();
        } else {
            StopTimer(TIMER_SLIDE_OUT);
            PostMessage(WM_CLOSE);
        }
        break;
    default:
        CWnd::OnTimer(nIDEvent);
        break;
    }
}

void CPromptInfoWnd::OnLButtonDown(UINT, CPoint) {
    // A click while sliding in or holding sends the notice away at once.
    if (m_nTimers != 0 && !(m_nTimers & TIMER_SLIDE_OUT)) {
        StopAllTimers();
        StartTimer(TIMER_SLIDE_OUT, m_nStepInterval);
    }
}

void CPromptInfoWnd::OnPaint() {
    CPaintDC dc(this);
    CRect rc;
    GetClientRect(&rc);
    {
        Gdiplus::Graphics g(&dc);
        Gdiplus::Color top(255, 255, 255), bottom;
        bottom.SetFromCOLORREF(m_crGradient);
        Gdiplus::LinearGradientBrush brush(Gdiplus::Rect(0, 0, rc.Width(), rc.Height()), top,
                                           bottom, Gdiplus::LinearGradientModeVertical);
        g.FillRectangle(&brush, 0, 0, rc.Width(), rc.Height());
    }
    CFont* old = static_cast<CFont*>(dc.SelectStockObject(DEFAULT_GUI_FONT));
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(RGB(0, 0, 0));
    UINT format = DT_WORDBREAK | DT_NOPREFIX | DT_WORD_ELLIPSIS | (m_bCenterText ? DT_CENTER : 0);
    // The text block is measured first, then centred in the client area less a margin.
    CRect area(rc);
    area.DeflateRect(5, 5);
    if (!m_strTitle.IsEmpty()) {
        static const COLORREF kKindColours[] = {RGB(0, 0, 0), RGB(0, 100, 0), RGB(180, 100, 0),
                                                RGB(200, 0, 0)};
        const int kind = m_nKind >= KIND_PLAIN && m_nKind <= KIND_ERROR ? m_nKind : KIND_PLAIN;
        LOGFONT lf{};
        if (CFont* gui = dc.GetCurrentFont())
            gui->GetLogFont(&lf);
        lf.lfWeight = FW_BOLD;
        CFont bold;
        bold.CreateFontIndirect(&lf);
        CFont* before = dc.SelectObject(&bold);
        dc.SetTextColor(kKindColours[kind]);
        CRect title(area);
        dc.DrawText(m_strTitle, &title, DT_SINGLELINE | DT_NOPREFIX | DT_CENTER | DT_CALCRECT);
        title.left = area.left;
        title.right = area.right;
        dc.DrawText(m_strTitle, &title, DT_SINGLELINE | DT_NOPREFIX | DT_CENTER);
        dc.SelectObject(before);
        dc.SetTextColor(RGB(0, 0, 0));
        area.top = title.bottom + 4;
    }
    CRect block(area);
    dc.DrawText(m_strText, &block, format | DT_CALCRECT);
    block.OffsetRect(area.left + (area.Width() - block.Width()) / 2 - block.left,
                     area.top + (area.Height() - block.Height()) / 2 - block.top);
    block.IntersectRect(&block, &area);
    dc.DrawText(m_strText, &block, format);
    dc.SelectObject(old);
}

void CPromptInfoWnd::OnDestroy() {
    StopAllTimers();
    CWnd::OnDestroy();
}

void CPromptInfoWnd::PostNcDestroy() {
    CIPromptInfoWndListener* listener = m_pListener;
    m_pListener = nullptr;
    if (listener)
        listener->OnPromptClosed();
    if (m_wndOwner.m_hWnd)
        m_wndOwner.DestroyWindow();
    delete this;
}
