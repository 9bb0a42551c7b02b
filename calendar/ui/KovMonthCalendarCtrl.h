// The compact month calendar: a caption with five buttons (previous and next year and month,
// today) and the month's "%d年%d月" over a plain grid of day numbers, the days with entries in
// bold. Clicking the caption text opens an edit over it where a year, a year and month or a
// date can be typed.
#pragma once

#include "calendar/ui/KovCalendar.h"

#include "platform/gui/Controls.h"

class CKovMonthCalendarCtrl;

class CKovMonthCalendarEmbededEdit : public CEdit {
public:
    CKovMonthCalendarCtrl* m_pOwner = nullptr;
    // Set by Esc; cleared by every other key, so that only an Esc just before leaving cancels.
    int m_bCancelled = 0;

    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    void OnKillFocus(CWnd* pNewWnd);
    DECLARE_MESSAGE_MAP()
};

class CKovMonthCalendarCtrl : public CKovCalendar {
    DECLARE_DYNCREATE(CKovMonthCalendarCtrl)
public:
    enum {
        HitPrevYear = 100,
        HitPrevMonth = 101,
        HitNextMonth = 102,
        HitNextYear = 103,
        HitToday = 104,
        HitCaption = 105,
    };
    enum { IDC_EDIT = 1000, CaptionHeight = 20 };

    CKovMonthCalendarCtrl();
    ~CKovMonthCalendarCtrl() override;

    void GetCalendarRect(RECT* pRect) override;
    void DrawCalendar(CDC* pDC) override;
    void Notify(int nCode) override;
    int HitTest(CPoint point, int& row, int& column,
                CKovCalendarCellItem** ppItem = nullptr) override;
    void GetCaptionRect(RECT* pRect);

    // Opens the edit over the caption text: year, month and day with Alt, year and month with
    // Ctrl, else the year.
    void BeginCaptionEdit();
    // Takes what the edit holds and hides it; a text that is no year, month or date changes
    // nothing.
    void ApplyCaptionEdit();
    void CancelCaptionEdit();
    CKovMonthCalendarEmbededEdit& GetEdit() { return m_edit; }
    const CRect& GetButtonRect(int hit) const { return m_rcButtons[hit - HitPrevYear]; }
    const CRect& GetCaptionTextRect() const { return m_rcCaptionHit; }

protected:
    void DrawCaptionText(CDC* pDC);
    void LayoutCaption();
    int OnCreate(LPCREATESTRUCT lpcs);
    void OnSize(UINT nType, int cx, int cy);
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnLButtonDblClk(UINT nFlags, CPoint point);
    void OnRButtonDblClk(UINT nFlags, CPoint point);
    DECLARE_MESSAGE_MAP()

    int m_nCaptionHeight = CaptionHeight;
    int m_nButtonGap = 3;
    int m_cxButton = 16;
    int m_cyButton = 16;
    COLORREF m_crCaption = RGB(200, 200, 255);
    // Previous year, previous month, next month, next year, today, then the caption text's
    // hit rectangle and its area.
    CRect m_rcButtons[5];
    CRect m_rcCaptionHit;
    CRect m_rcCaptionArea;
    CImageList m_buttonImages;
    CKovMonthCalendarEmbededEdit m_edit;
};
