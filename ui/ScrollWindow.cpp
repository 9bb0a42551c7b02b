#include "ui/ScrollWindow.h"

#include "platform/gui/Controls.h"

BEGIN_MESSAGE_MAP(CScrollWindow, CWnd)
ON_WM_PAINT()
ON_WM_SIZE()
ON_WM_HSCROLL()
ON_WM_VSCROLL()
ON_WM_MOUSEWHEEL()
ON_MESSAGE(WM_SETTINGCHANGE, &CScrollWindow::OnSettingChangeMessage)
END_MESSAGE_MAP()

CScrollWindow::CScrollWindow() : m_scroll(this) {}

CScrollWindow::~CScrollWindow() = default;

void CScrollWindow::SetScrollSizes(int cxTotal, int cyTotal, SIZE sizePage, SIZE sizeLine) {
    m_scroll.SetSizes(CSize(cxTotal, cyTotal), sizePage, sizeLine);
}

void CScrollWindow::ScrollToPosition(int x, int y) {
    m_scroll.ScrollTo(CPoint(x, y));
}

CPoint CScrollWindow::GetScrollPosition() const {
    return m_scroll.GetPosition();
}

BOOL CScrollWindow::OnScroll(UINT nScrollCode, UINT, BOOL bDoScroll) {
    return m_scroll.Scroll(nScrollCode, bDoScroll,
                           [this](CSize s, BOOL b) { return OnScrollBy(s, b); });
}

BOOL CScrollWindow::OnScrollBy(CSize sizeScroll, BOOL bDoScroll) {
    return m_scroll.ScrollBy(sizeScroll, bDoScroll);
}

void CScrollWindow::OnPrepareDC(CDC* pDC, CPrintInfo* pInfo) {
    if (pDC && !pInfo) {
        CPoint pos = GetScrollPosition();
        pDC->SetViewportOrg(-pos.x, -pos.y);
    }
}

void CScrollWindow::OnDraw(CDC*) {}

void CScrollWindow::OnPaint() {
    CPaintDC dc(this);
    OnPrepareDC(&dc);
    OnDraw(&dc);
}

void CScrollWindow::OnSize(UINT nType, int cx, int cy) {
    CWnd::OnSize(nType, cx, cy);
    m_scroll.UpdateBars();
}

void CScrollWindow::OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar) {
    UINT code = 0;
    if (CScrollArea::OwnBarCode(SB_HORZ, nSBCode, pScrollBar, code))
        OnScroll(code, nPos);
}

void CScrollWindow::OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar) {
    UINT code = 0;
    if (CScrollArea::OwnBarCode(SB_VERT, nSBCode, pScrollBar, code))
        OnScroll(code, nPos);
}

BOOL CScrollWindow::OnMouseWheel(UINT nFlags, short zDelta, CPoint) {
    return m_scroll.Wheel(nFlags, zDelta, [this](CSize s, BOOL b) { return OnScrollBy(s, b); });
}

LRESULT CScrollWindow::OnSettingChangeMessage(WPARAM, LPARAM) {
    AfxResetMouseScrollLines();
    return Default();
}
