#include "ui/DrawHelpers.h"

#include "platform/gui/GdiPlus.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPen>

namespace {

// How far a gradient reaches past the edges it is laid between, so that the outermost pixels,
// sampled at their centres, come out in the end colours.
constexpr qreal kReach = 0.125;

Gdiplus::Color GdiColor(COLORREF cr) {
    Gdiplus::Color c;
    c.SetFromCOLORREF(cr);
    return c;
}

} // namespace

void DrawGradientRect(CDC* pDC, const RECT& rect, BOOL bVertical, COLORREF crFrom, COLORREF crTo) {
    if (!pDC || rect.right <= rect.left || rect.bottom <= rect.top)
        return;
    const Gdiplus::REAL width = (Gdiplus::REAL)(rect.right - rect.left);
    const Gdiplus::REAL height = (Gdiplus::REAL)(rect.bottom - rect.top);
    Gdiplus::RectF line =
        bVertical ? Gdiplus::RectF((Gdiplus::REAL)rect.left, (Gdiplus::REAL)(rect.top - kReach),
                                   width, (Gdiplus::REAL)(height + 2 * kReach))
                  : Gdiplus::RectF((Gdiplus::REAL)(rect.left - kReach), (Gdiplus::REAL)rect.top,
                                   (Gdiplus::REAL)(width + 2 * kReach), height);
    Gdiplus::LinearGradientBrush brush(line, GdiColor(crFrom), GdiColor(crTo),
                                       bVertical ? Gdiplus::LinearGradientModeVertical
                                                 : Gdiplus::LinearGradientModeHorizontal);
    Gdiplus::Graphics g(pDC);
    g.FillRectangle(
        &brush, Gdiplus::Rect(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top));
}

void DrawGradientLine(CDC* pDC, int x1, int y1, int x2, int y2, BOOL bVertical, COLORREF crFrom,
                      COLORREF crTo) {
    QPainter* p = pDC ? pDC->GetPainter() : nullptr;
    if (!p)
        return;
    const qreal from = bVertical ? y1 : x1;
    const qreal to = bVertical ? y2 : x2;
    const qreal dir = to >= from ? 1 : -1;
    QBrush brush(AfxQColor(crFrom));
    if (from != to) {
        QLinearGradient gradient =
            bVertical ? QLinearGradient(x1, from - dir * kReach, x1, to + dir * kReach)
                      : QLinearGradient(from - dir * kReach, y1, to + dir * kReach, y1);
        gradient.setColorAt(0, AfxQColor(crFrom));
        gradient.setColorAt(1, AfxQColor(crTo));
        brush = QBrush(gradient);
    }
    p->save();
    p->setRenderHint(QPainter::Antialiasing, false);
    p->setPen(QPen(brush, 1));
    p->drawLine(QPoint(x1, y1), QPoint(x2, y2));
    p->restore();
}

void DrawLineGdiPlus(CDC* pDC, const POINT& from, const POINT& to, COLORREF cr) {
    if (!pDC)
        return;
    Gdiplus::Graphics g(pDC);
    Gdiplus::Pen pen(GdiColor(cr), 1.0f);
    g.DrawLine(&pen, from.x, from.y, to.x, to.y);
}

void DrawRoundGradientBox(CDC* pDC, const RECT& r, BOOL bActive, COLORREF crFill, COLORREF crBorder,
                          COLORREF crGradientTop, COLORREF crGradientBottom,
                          COLORREF crGradientBottomActive, COLORREF crCorner, COLORREF crCornerEdge,
                          COLORREF crLine1, COLORREF crLine2, COLORREF crSideFrom,
                          COLORREF crSideTo) {
    if (!pDC)
        return;
    CPen pen(PS_SOLID, 1, crBorder);
    CBrush brush(crFill);
    CPen* pOldPen = pDC->SelectObject(&pen);
    CBrush* pOldBrush = pDC->SelectObject(&brush);
    pDC->RoundRect(&r, CPoint(6, 6));
    pDC->SelectObject(pOldBrush);
    pDC->SelectObject(pOldPen);

    // One pixel inside each corner, with the diagonal that runs along the rounded edge there:
    // top-left and bottom-right corners slope one way, the other two the other way.
    struct Corner {
        int x, y, slope;
    };
    const Corner corners[] = {{r.left + 1, r.top + 1, 1},
                              {r.right - 2, r.top + 1, -1},
                              {r.right - 2, r.bottom - 2, 1},
                              {r.left + 1, r.bottom - 2, -1}};
    for (const Corner& c : corners) {
        pDC->SetPixel(c.x, c.y, crCorner);
        pDC->SetPixel(c.x - 1, c.y, crCornerEdge);
        pDC->SetPixel(c.x + 1, c.y, crCornerEdge);
        pDC->SetPixel(c.x, c.y - 1, crCornerEdge);
        pDC->SetPixel(c.x, c.y + 1, crCornerEdge);
        pDC->SetPixel(c.x - 1, c.y + c.slope, crCorner);
        pDC->SetPixel(c.x + 1, c.y - c.slope, crCorner);
    }

    CRect inner(r);
    inner.DeflateRect(2, 3);
    DrawGradientRect(pDC, inner, TRUE, crGradientTop,
                     bActive ? crGradientBottomActive : crGradientBottom);
    DrawLineGdiPlus(pDC, CPoint(r.left + 2, r.bottom - 3), CPoint(r.right - 3, r.bottom - 3),
                    crLine1);
    DrawLineGdiPlus(pDC, CPoint(r.left + 3, r.bottom - 2), CPoint(r.right - 4, r.bottom - 2),
                    crLine2);
    DrawGradientLine(pDC, r.right - 2, r.top + 3, r.right - 2, r.bottom - 4, TRUE, crSideFrom,
                     crSideTo);
}

CBitmapEx::~CBitmapEx() {
    ReleaseDC();
}

CDC* CBitmapEx::GetDC() {
    if (m_pDC)
        return m_pDC;
    if (!GetSafeHandle())
        return nullptr;
    auto* pDC = new CDC;
    if (!pDC->CreateCompatibleDC(nullptr)) {
        delete pDC;
        return nullptr;
    }
    m_pOldBitmap = pDC->SelectObject(this);
    m_pDC = pDC;
    return m_pDC;
}

void CBitmapEx::ReleaseDC() {
    if (!m_pDC)
        return;
    m_pDC->SelectObject(m_pOldBitmap);
    m_pDC->DeleteDC();
    delete m_pDC;
    m_pDC = nullptr;
    m_pOldBitmap = nullptr;
}

CSize CBitmapEx::GetSize() const {
    BITMAP bm{};
    if (!GetSafeHandle() || !GetBitmap(&bm))
        return CSize(0, 0);
    return CSize(bm.bmWidth, bm.bmHeight);
}

BOOL CBitmapEx::Draw(CDC* pDC, int x, int y, DWORD dwRop) {
    CDC* pSrc = GetDC();
    if (!pDC || !pSrc)
        return FALSE;
    CSize size = GetSize();
    return pDC->BitBlt(x, y, size.cx, size.cy, pSrc, 0, 0, dwRop);
}
