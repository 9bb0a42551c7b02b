// Small drawing helpers shared by the navigation bar and owner-drawn buttons: gradient fills and
// lines, a rounded gradient box, and a bitmap that carries its own memory DC. Colours are
// COLORREF values drawn fully opaque.
#pragma once

#include "platform/gui/Dc.h"

// Fills rect with a gradient from its top edge to its bottom edge (bVertical) or from its left
// edge to its right edge. The gradient line reaches 1/8 pixel past both edges so that the first
// and the last row (or column) show the end colours themselves.
void DrawGradientRect(CDC* pDC, const RECT& rect, BOOL bVertical, COLORREF crFrom, COLORREF crTo);
// A 1-pixel line from (x1, y1) to (x2, y2) whose colour runs along y (bVertical) or along x, with
// the same 1/8-pixel reach past its ends.
void DrawGradientLine(CDC* pDC, int x1, int y1, int x2, int y2, BOOL bVertical, COLORREF crFrom,
                      COLORREF crTo);
// A 1-pixel solid line.
void DrawLineGdiPlus(CDC* pDC, const POINT& from, const POINT& to, COLORREF cr);

// A button-like box: a rounded frame over a fill, hand-set corner pixels, a vertical gradient
// inside (to crGradientBottomActive while bActive), two bottom lines and a shaded right edge.
void DrawRoundGradientBox(CDC* pDC, const RECT& rect, BOOL bActive, COLORREF crFill,
                          COLORREF crBorder, COLORREF crGradientTop, COLORREF crGradientBottom,
                          COLORREF crGradientBottomActive, COLORREF crCorner, COLORREF crCornerEdge,
                          COLORREF crLine1, COLORREF crLine2, COLORREF crSideFrom,
                          COLORREF crSideTo);

// A bitmap with a memory DC of its own: GetDC selects the bitmap into a new memory DC and hands
// it out until ReleaseDC (or the destructor) puts the old object back and deletes the DC.
class CBitmapEx : public CBitmap {
public:
    CBitmapEx() = default;
    ~CBitmapEx() override;
    CBitmapEx(const CBitmapEx&) = delete;
    CBitmapEx& operator=(const CBitmapEx&) = delete;

    CDC* GetDC();
    void ReleaseDC();
    // Width and height; 0, 0 without a bitmap.
    CSize GetSize() const;
    // Copies the whole bitmap to (x, y) of pDC with the raster operation.
    BOOL Draw(CDC* pDC, int x, int y, DWORD dwRop = SRCCOPY);

private:
    CDC* m_pDC = nullptr;
    CBitmap* m_pOldBitmap = nullptr;
};
