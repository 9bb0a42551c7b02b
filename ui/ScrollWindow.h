// A plain child window that scrolls a drawing larger than itself, with the scrolling rules of a
// document's scroll view but without a document: a derived window sets the total size, draws in
// logical coordinates in OnDraw and gets the bars, line and page steps, thumb tracking and the
// mouse wheel.
#pragma once

#include "platform/gui/ScrollView.h"

class CScrollWindow : public CWnd {
public:
    CScrollWindow();
    ~CScrollWindow() override;

    // A page dimension of 0 becomes a tenth of the total, a line dimension of 0 a tenth of the
    // page; the bars follow at once when the window exists.
    void SetScrollSizes(int cxTotal, int cyTotal, SIZE sizePage = SIZE{0, 0},
                        SIZE sizeLine = SIZE{0, 0});
    // Each coordinate clamped to 0..its scroll limit; the contents move by the difference.
    void ScrollToPosition(int x, int y);
    CPoint GetScrollPosition() const;

    // nScrollCode: the horizontal code in the low byte and the vertical one in the high byte,
    // 0xFF for an axis that does not scroll.
    virtual BOOL OnScroll(UINT nScrollCode, UINT nPos, BOOL bDoScroll = TRUE);
    virtual BOOL OnScrollBy(CSize sizeScroll, BOOL bDoScroll = TRUE);
    // Moves the viewport origin by the scroll position (not when printing).
    virtual void OnPrepareDC(CDC* pDC, CPrintInfo* pInfo = nullptr);
    virtual void OnDraw(CDC* pDC);

protected:
    void OnPaint();
    void OnSize(UINT nType, int cx, int cy);
    void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    void OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    BOOL OnMouseWheel(UINT nFlags, short zDelta, CPoint pt);
    LRESULT OnSettingChangeMessage(WPARAM, LPARAM);

    CScrollArea m_scroll;
    DECLARE_MESSAGE_MAP()
};
