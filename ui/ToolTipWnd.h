// A light-weight tip: a framed text box drawn straight onto an owner window after a delay, and
// erased by letting the owner repaint. It is never a window of its own; without an owner the
// box goes on the screen, shown by a small borderless window.
#pragma once

#include "platform/gui/Dc.h"
#include "platform/gui/Wnd.h"

class QLabel;
class QTimer;
class QWidget;

class CToolTipWnd : public CWnd {
    DECLARE_DYNAMIC(CToolTipWnd)
public:
    CToolTipWnd();
    ~CToolTipWnd() override;

    void SetOwner(CWnd* owner) { m_owner = owner; }
    void SetDelay(UINT ms) { m_delay = ms; }
    void SetGradient(BOOL on) { m_gradient = on; }
    // Shows a tip at (x, y) in the owner's client coordinates: at once, or after the delay.
    void ShowTip(const CString& text, int x, int y, BOOL atPoint, BOOL delayed);
    void HideTip();

    BOOL IsShown() const { return m_shown; }
    const CRect& GetTipRect() const { return m_tipRect; }
    const CString& GetText() const { return m_text; }
    // The tip that may still be drawn when its delay runs out (null when none).
    static CToolTipWnd* GetCurrentTip();
    // The window that shows a tip without an owner on the screen (null before the first one).
    QWidget* GetScreenTip() const;

    // Where a tip goes: text measured in the default GUI font, framed by the margin, 18 pixels
    // below the anchor unless atPoint, then moved back inside the owner's client area (never
    // past its left or top edge).
    CRect PlaceTip(CDC* pDC, const CString& text, CPoint anchor, BOOL atPoint,
                   const CRect& ownerClient) const;
    virtual void DrawTip(CDC* pDC, const CString& text, const POINT& anchor, BOOL atPoint,
                         BOOL gradient);

protected:
    CWnd* m_owner = nullptr;
    int m_margin = 4;
    CRect m_tipRect;
    BOOL m_shown = FALSE;
    CString m_text;
    int m_x = 0;
    int m_y = 0;
    COLORREF m_textColour;
    COLORREF m_background = 0xC8FFFF;
    COLORREF m_frameColour;
    QTimer* m_timer = nullptr;
    QLabel* m_screenTip = nullptr;
    UINT m_delay = 750;
    BOOL m_atPoint = FALSE;
    BOOL m_gradient = FALSE;

    void ShowNow();
};
