#include "ui/AnimateImageWnd.h"

IMPLEMENT_DYNAMIC(CAnimateImageWnd, CWnd)

BEGIN_MESSAGE_MAP(CAnimateImageWnd, CWnd)
ON_WM_PAINT()
ON_WM_ERASEBKGND()
ON_WM_TIMER()
ON_WM_DESTROY()
END_MESSAGE_MAP()

void CAnimateImageWnd::StartAnimation() {
    if (m_bRunning)
        return;
    m_nFrame = m_nFirstFrame;
    if (GetSafeHwnd())
        SetTimer(TIMER_ANIMATE, m_nInterval, nullptr);
    m_bRunning = TRUE;
    Repaint();
}

void CAnimateImageWnd::StopAnimation() {
    if (!m_bRunning)
        return;
    if (GetSafeHwnd())
        KillTimer(TIMER_ANIMATE);
    m_bRunning = FALSE;
}

void CAnimateImageWnd::SetFrame(int nIndex, BOOL bRepaint) {
    m_nFrame = nIndex;
    if (bRepaint)
        Repaint();
}

void CAnimateImageWnd::Repaint() {
    // The window sits on its parent's ground (a status bar pane): both are drawn again.
    if (!GetSafeHwnd())
        return;
    if (CWnd* parent = GetParent())
        parent->Invalidate(TRUE);
    Invalidate(TRUE);
}

void CAnimateImageWnd::FillBackground(CDC* pDC, const RECT* pRect) {
    pDC->FillSolidRect(pRect, RGB(255, 0, 0));
}

BOOL CAnimateImageWnd::OnEraseBkgnd(CDC* pDC) {
    CRect rc;
    GetClientRect(&rc);
    FillBackground(pDC, &rc);
    return TRUE;
}

void CAnimateImageWnd::OnPaint() {
    CPaintDC dc(this);
    CRect rc;
    GetClientRect(&rc);
    FillBackground(&dc, &rc);
    rc.OffsetRect(-3, 0);
    IMAGEINFO info{};
    if (m_nFrame < 0 || m_nFrame >= m_images.GetImageCount() ||
        !m_images.GetImageInfo(m_nFrame, &info))
        return;
    const int cx = info.rcImage.right - info.rcImage.left;
    const int cy = info.rcImage.bottom - info.rcImage.top;
    CPoint at(rc.left + (rc.Width() - cx) / 2, rc.top + (rc.Height() - cy) / 2);
    m_images.Draw(&dc, m_nFrame, at, ILD_TRANSPARENT);
}

void CAnimateImageWnd::OnTimer(UINT_PTR nIDEvent) {
    if (nIDEvent == TIMER_ANIMATE && m_bRunning) {
        m_nFrame = m_nFrame >= m_nLastFrame || m_nFrame < m_nFirstFrame ? m_nFirstFrame
                                                                         : m_nFrame + 1;
        Repaint();
    }
    CWnd::OnTimer(nIDEvent);
}

void CAnimateImageWnd::OnDestroy() {
    StopAnimation();
    CWnd::OnDestroy();
}
