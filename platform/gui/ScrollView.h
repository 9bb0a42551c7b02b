// Scrolling a drawing larger than its window: the shared rules (sizes, steps, the bars, thumb
// tracking, the wheel) and the scroll view that applies them to a document's view.
#pragma once

#include "platform/gui/View.h"

#include <functional>
#include <memory>

#ifndef MM_TEXT
#define MM_TEXT 1
#endif
#ifndef WHEEL_PAGESCROLL
#define WHEEL_PAGESCROLL UINT_MAX
#endif

// Lines one wheel notch scrolls: asked once and kept until the settings change (a wheel driver
// window answering its registered message, else the user's "WheelScrollLines" setting, else the
// system's); -1 means a page per notch.
int AfxGetMouseScrollLines();
// Forgets the kept value so the next question asks again (WM_SETTINGCHANGE).
void AfxResetMouseScrollLines();

// Moves the children of pWnd by (dx, dy) and paints its client area again: what scrolling the
// contents of a window does to them.
void AfxScrollWindowContents(CWnd* pWnd, int dx, int dy);

// The scrolling state of one window: total size, page and line steps in pixels, and the
// positions kept in the window's own scroll bars (WS_HSCROLL / WS_VSCROLL), which it draws in the
// strips the window layer leaves outside the client area. A click or drag on them reaches the
// window as WM_HSCROLL / WM_VSCROLL without a control handle; while the thumb is dragged its place
// is the bar's track position.
class CScrollArea {
public:
    explicit CScrollArea(CWnd* pWnd);
    ~CScrollArea();
    CScrollArea(const CScrollArea&) = delete;
    CScrollArea& operator=(const CScrollArea&) = delete;

    // A page dimension of 0 becomes a tenth of the total, a line dimension of 0 a tenth of the
    // page; the bars follow when the window exists.
    void SetSizes(SIZE sizeTotal, SIZE sizePage, SIZE sizeLine);
    CSize GetTotal() const { return m_total; }
    CSize GetPage() const { return m_page; }
    CSize GetLine() const { return m_line; }

    CPoint GetPosition() const;
    // The largest position of each axis (0 on an axis without a bar).
    CPoint GetLimit() const;
    // Each coordinate clamped to 0..its limit; the contents move by the difference.
    void ScrollTo(POINT pt);

    // Scroll codes (horizontal in the low byte, vertical in the high byte, 0xFF for none) to the
    // change they ask for, handed to scrollBy; when it scrolled and bDoScroll, the window is
    // updated at once.
    using ScrollByFn = std::function<BOOL(CSize, BOOL)>;
    BOOL Scroll(UINT nScrollCode, BOOL bDoScroll, const ScrollByFn& scrollBy);
    // The default of a window's OnScrollBy: an axis without a bar does not move; the rest is
    // clamped. FALSE when nothing would move; TRUE without moving when only asked.
    BOOL ScrollBy(CSize sizeScroll, BOOL bDoScroll);
    // One wheel message: nothing with Ctrl or Shift held or without bars; the vertical bar before
    // the horizontal one; line steps per notch, at most a page, or a page with page scrolling.
    BOOL Wheel(UINT nFlags, short zDelta, const ScrollByFn& scrollBy);

    // For WM_HSCROLL / WM_VSCROLL: the code pair OnScroll takes (the other axis 0xFF); false for
    // a message from a scroll-bar control, which is given it back to handle itself, since only
    // the window's own bars scroll it.
    static bool OwnBarCode(int nBar, UINT nSBCode, CScrollBar* pScrollBar, UINT& nScrollCode);

    // Shows the bars the total needs in the space available (the parent's answer to
    // WM_RECALCPARENT, else the client area with the shown bars), sets their ranges and pages
    // and keeps the positions within the new limits.
    void UpdateBars();
    // Shows the bars as the window's style and scroll state say, for a window that sets its
    // ranges, pages and positions itself.
    void ShowBars();

private:
    struct Bars;
    CWnd* m_pWnd;
    CSize m_total{0, 0}, m_page{0, 0}, m_line{0, 0};
    bool m_bInsideUpdate = false;
    std::unique_ptr<Bars> m_bars;
    bool HasBar(int nBar) const;
};

// A view that scrolls its drawing: OnDraw draws in logical coordinates, OnPrepareDC moves the
// viewport origin by the scroll position.
class CScrollView : public CView {
    DECLARE_DYNAMIC(CScrollView)
public:
    CScrollView();
    ~CScrollView() override;

    static const SIZE sizeDefault;
    // Only MM_TEXT (pixels) is offered. sizeDefault for a step: a tenth of the page or total.
    void SetScrollSizes(int nMapMode, SIZE sizeTotal, const SIZE& sizePage = sizeDefault,
                        const SIZE& sizeLine = sizeDefault);
    CPoint GetScrollPosition() const { return m_scroll.GetPosition(); }
    void ScrollToPosition(POINT pt) { m_scroll.ScrollTo(pt); }
    CSize GetTotalSize() const { return m_scroll.GetTotal(); }
    void GetDeviceScrollSizes(int& nMapMode, SIZE& sizeTotal, SIZE& sizePage, SIZE& sizeLine) const;
    int GetMapMode() const { return m_nMapMode; }

    virtual BOOL OnScroll(UINT nScrollCode, UINT nPos, BOOL bDoScroll = TRUE);
    virtual BOOL OnScrollBy(CSize sizeScroll, BOOL bDoScroll = TRUE);
    void OnPrepareDC(CDC* pDC, CPrintInfo* pInfo = nullptr) override;

protected:
    void OnSize(UINT nType, int cx, int cy);
    void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    void OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    BOOL OnMouseWheel(UINT nFlags, short zDelta, CPoint pt);
    LRESULT OnSettingChangeMessage(WPARAM, LPARAM);

    CScrollArea m_scroll;
    int m_nMapMode = 0;
    DECLARE_MESSAGE_MAP()
};
