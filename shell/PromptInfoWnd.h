// A small notice that slides up at the right end of the screen's work area, stays a while and
// slides down again. It deletes itself when it is gone and tells its listener once.
#pragma once

#include "platform/gui/Wnd.h"

class CIPromptInfoWndListener {
public:
    virtual ~CIPromptInfoWndListener() = default;
    virtual void OnPromptClosed() = 0;
};

class CPromptInfoWnd : public CWnd {
public:
    enum { TIMER_SLIDE_IN = 1, TIMER_HOLD = 2, TIMER_SLIDE_OUT = 4 };
    enum { kSlideStep = 3 };

    CPromptInfoWnd();

    BOOL Create();
    void SetText(LPCTSTR lpszText) { m_strText = lpszText; }
    // A title drawn bold above the text; its colour tells the kind (KIND_ values).
    enum { KIND_PLAIN = 0, KIND_INFO = 1, KIND_WARNING = 2, KIND_ERROR = 3 };
    void SetTitle(LPCTSTR lpszTitle, int nKind) {
        m_strTitle = lpszTitle;
        m_nKind = nKind;
    }
    // How long the notice stays up before it slides down, in milliseconds.
    void SetHoldTime(UINT ms) { m_nHoldTime = ms; }
    const CString& GetTitle() const { return m_strTitle; }
    int GetKind() const { return m_nKind; }
    const CString& GetText() const { return m_strText; }
    void SetListener(CIPromptInfoWndListener* listener) { m_pListener = listener; }
    void ShowPrompt();

    // The timers that run now (TIMER_ bits) and where the window stands, for the owner and tests.
    UINT GetRunningTimers() const { return m_nTimers; }
    int GetCurrentTop() const { return m_nCurTop; }
    CRect GetShownRect() const { return m_rcShown; }

protected:
    void OnTimer(UINT_PTR nIDEvent);
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnPaint();
    void OnDestroy();
    void PostNcDestroy() override;
    DECLARE_MESSAGE_MAP()

private:
    void StartTimer(UINT id, UINT elapse);
    void StopTimer(UINT id);
    void StopAllTimers();
    void Place();

    CWnd m_wndOwner; // hidden, so the notice has no task-bar button
    CRect m_rcShown;
    int m_nCurLeft = 0;
    int m_nCurTop = 0;
    CString m_strText;
    CString m_strTitle;
    int m_nKind = KIND_PLAIN;
    COLORREF m_crGradient = RGB(50, 50, 255);
    int m_nWidth = 169;
    int m_nHeight = 122;
    BOOL m_bCenterText = TRUE;
    CIPromptInfoWndListener* m_pListener = nullptr;
    UINT m_nStepInterval = 20;
    UINT m_nHoldTime = 10000;
    UINT m_nTimers = 0;
};
