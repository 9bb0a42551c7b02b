// A small child window that shows one image of its image list and, while animated, steps through
// a run of them on a timer (first to last frame, then again from the first).
#pragma once

#include "platform/gui/Dc.h"
#include "platform/gui/ImageList.h"
#include "platform/gui/Wnd.h"

class CAnimateImageWnd : public CWnd {
    DECLARE_DYNAMIC(CAnimateImageWnd)
public:
    enum { TIMER_ANIMATE = 1 };

    CAnimateImageWnd() = default;

    // The owner fills the list and names the run of frames the animation goes over.
    CImageList& GetImageList() { return m_images; }
    void SetFrameRange(int nFirst, int nLast) {
        m_nFirstFrame = nFirst;
        m_nLastFrame = nLast;
    }
    void SetInterval(UINT ms) { m_nInterval = ms; }

    // Starts from the first frame of the run unless it is running already.
    void StartAnimation();
    void StopAnimation();
    BOOL IsAnimating() const { return m_bRunning; }
    // Shows image nIndex; with bRepaint at once.
    void SetFrame(int nIndex, BOOL bRepaint);
    int GetFrame() const { return m_nFrame; }

    // Fills the ground behind the image: pure red here, so that a window that forgets to draw
    // its own ground shows at once.
    virtual void FillBackground(CDC* pDC, const RECT* pRect);

protected:
    void OnPaint();
    BOOL OnEraseBkgnd(CDC* pDC);
    void OnTimer(UINT_PTR nIDEvent);
    void OnDestroy();
    DECLARE_MESSAGE_MAP()

private:
    void Repaint();

    CImageList m_images;
    int m_nFrame = 0;
    BOOL m_bRunning = FALSE;
    int m_nFirstFrame = 0;
    int m_nLastFrame = 0;
    UINT m_nInterval = 200;
};
