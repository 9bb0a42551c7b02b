// The about box's credits: lines scroll upwards one pixel per tick in a band centred in the
// control. A line's last character picks its style (three bold sizes, plain, or a bitmap named
// by the line); the background is a colour, a gradient or a bitmap.
#pragma once

#include "platform/base/Collections.h"
#include "platform/gui/Controls.h"
#include "platform/gui/Dc.h"

class CCreditStatic : public CStatic {
    DECLARE_DYNAMIC(CCreditStatic)
public:
    enum { kTimerId = 150 };

    CCreditStatic();
    ~CCreditStatic() override;

    void SetCredits(const char* text, char delimiter);
    int SetSpeed(int index, UINT interval);
    void SetColor(int index, COLORREF colour);
    void SetTextHeight(int index, int height);
    void SetGradient(int mode) { m_gradient = mode; }
    void SetTransparent(BOOL on) { m_transparentBack = on; }
    BOOL SetBkImage(const char* resourceName);
    BOOL StartScrolling();
    void StopScrolling();
    void SetPaused(BOOL on) { m_paused = on; }

    // State a test or the owner may look at.
    BOOL IsScrolling() const { return m_timerId != 0; }
    UINT GetInterval() const { return m_speeds[m_speed]; }
    int GetBandWidth() const { return m_bandWidth; }
    const CString& GetEnteringLine() const { return m_line; }
    BOOL IsFirstPass() const { return m_firstPass; }
    int GetLineCount() const { return (int)m_lines.GetCount(); }
    CBitmap* GetWorkBitmap() { return m_work.GetSafeHandle() ? &m_work : nullptr; }

    // The font and colour of a line by its last character; FALSE for a bitmap line.
    BOOL GetLineStyle(const CString& line, int& height, int& weight, COLORREF& colour) const;
    // One scrolling step, as the timer does it.
    void Tick();

protected:
    COLORREF m_colours[5];
    int m_heights[4];
    char m_escapes[4];
    UINT m_speeds[3];
    int m_speed = 1;
    CStringList m_lines;
    CString m_line;
    int m_tick = 1;
    POSITION m_next = nullptr;
    int m_lineStarted = 1;
    int m_lineScrolled = 0;
    int m_offset = 0;
    int m_step = -1;
    int m_lineHeight = 15;
    CBitmap m_backBitmap;
    CBitmap m_work;
    CBitmap m_picture;
    int m_pictureHeight = 0;
    bool m_pictureActive = false;
    BOOL m_firstPass = TRUE;
    int m_gradient = 0;
    BOOL m_transparentBack = FALSE;
    int m_bandWidth = 0;
    UINT_PTR m_timerId = 0;
    BOOL m_paused = FALSE;

    void Rewind();
    void EnsureWork(CDC* pDC, const CRect& client);
    void FillBackground(CDC* pDC, const CRect& area);
    void CreateLineFont(CFont& font, const CString& line, COLORREF& colour);
    CString StripMarker(const CString& line) const;
    void DrawStatic(CDC* pDC, const CRect& client);

    void OnPaint();
    BOOL OnEraseBkgnd(CDC* pDC);
    void OnTimer(UINT_PTR nIDEvent);
    void OnDestroy();
    DECLARE_MESSAGE_MAP()
};
