// Child windows that show pictures: one picture file, fitted or at actual size with scroll bars,
// and a run of image-list frames animated on a timer.
#pragma once

#include "platform/gui/Image.h"
#include "platform/gui/ImageList.h"
#include "platform/gui/ScrollView.h"
#include "ui/DrawHelpers.h"

// How a picture of the given size fits into target: the scale (1 when it fits as it is, below 1
// when it must shrink) and, in pPlace, the rectangle of the picture at that scale centred in
// target (integer halves). A target dimension of 0 does not count.
double FitImageInRect(CSize image, const RECT& target, CRect* pPlace);

// Image style bits.
#define IWS_FIT 0x0001 // shrink a picture larger than the window to fit it

class CImageWnd : public CWnd {
public:
    // A new window object on the heap, not yet created as a window.
    static CImageWnd* Create();
    using CWnd::Create;
    CImageWnd();
    ~CImageWnd() override;

    // Shows the picture in the file; without a readable picture the empty text shows. TRUE when
    // the picture loaded. A fitted picture larger than the window is read at the window's size
    // (much faster for a large photo) and read again at its own size when it is shown so.
    BOOL LoadImage(LPCTSTR lpszPath);
    // Shows nothing at all.
    void Clear();
    void SetEmptyText(LPCTSTR lpszText) { m_emptyText = lpszText ? lpszText : ""; }
    // style = add | (style & ~remove)
    void SetImageStyle(DWORD dwRemove, DWORD dwAdd) { m_style = dwAdd | (m_style & ~dwRemove); }
    DWORD GetImageStyle() const { return m_style; }
    // 1 at actual size; 0 without a picture; the fit scale when the picture is fitted.
    double GetZoom();
    // Resets the scroll offsets and shows the bars an actual-size picture needs.
    void UpdateScrollBars(BOOL bRedraw);
    // The source offset of the visible part; negative values centre a smaller picture.
    CPoint GetScrollOffset() const { return CPoint(m_scrollX, m_scrollY); }

    BOOL PreTranslateMessage(MSG* pMsg) override;

    // The owner may show a bitmap of its own instead (mode 1).
    CBitmapEx m_bitmap;
    int m_mode = 0; // 0 nothing, 1 the bitmap, 2 the picture

protected:
    CImage m_image;
    CString m_path;   // the file of the picture shown
    CSize m_fullSize; // the picture's own size; m_image may hold it smaller
    double m_zoom = 0;
    CString m_emptyText;
    DWORD m_style = 0;
    int m_scrollX = 0, m_scrollY = 0;
    int m_scrollBarWidth;
    // Shows the window's own scroll bars.
    CScrollArea m_scrollArea;

    // The picture read again when the one held is smaller than the window now needs.
    void EnsureResolution();
    void OnPaint();
    void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    void OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    void Scroll(int nBar, UINT nSBCode, UINT nPos);
    DECLARE_MESSAGE_MAP()
};

