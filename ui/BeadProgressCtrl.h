// A progress bar made of beads, one image per step: beads before the position show the done
// image, the bead at the position its own image, later beads the pending image.
#pragma once

#include "platform/gui/ImageList.h"
#include "platform/gui/Wnd.h"

class CBeadProgressCtrl : public CWnd {
    DECLARE_DYNAMIC(CBeadProgressCtrl)
public:
    CBeadProgressCtrl();

    // The list is not owned; bead size is that of image 0.
    void SetImages(CImageList* images, int pendingImage, int currentImage, int doneImage);
    // Neither repaints; the owner invalidates.
    void SetBeadCount(int n) { m_lastBead = n - 1; }
    void SetPos(int i) { m_position = i; }
    void SetBkColor(COLORREF c) { m_background = c; }

    // Draws the beads into a client area of the given size.
    void Draw(CDC* pDC, const CRect& client);

protected:
    CImageList* m_images = nullptr;
    int m_pendingImage = 0;
    int m_currentImage = 0;
    int m_doneImage = 0;
    int m_beadWidth = 0;
    int m_beadHeight = 0;
    int m_lastBead = -1;
    int m_position = -1;
    COLORREF m_background;

    void OnPaint();
    BOOL OnEraseBkgnd(CDC* pDC);
    DECLARE_MESSAGE_MAP()
};
