// Which way the sort arrow of a list's header points, read from the header's picture: the arrows
// of bitmap 244 are drawn in two greys, so the rows holding those colours give the triangle.
#pragma once

#include <QImage>
#include <QRect>
#include <QWidget>

#include "platform/gui/HeaderCtrl.h"

// 1 for a triangle pointing up (its widest row at the bottom), -1 pointing down, 0 when the area
// holds no arrow.
inline int ArrowDirectionIn(const QImage& image, const QRect& area) {
    const QRgb kEdge = qRgb(72, 72, 84), kBody = qRgb(128, 128, 136);
    int firstRow = -1, lastRow = -1, firstWidth = 0, lastWidth = 0;
    const QRect inside = area.intersected(image.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        int width = 0;
        for (int x = inside.left(); x <= inside.right(); ++x) {
            const QRgb c = image.pixel(x, y) & 0xFFFFFF;
            if (c == (kEdge & 0xFFFFFF) || c == (kBody & 0xFFFFFF))
                ++width;
        }
        if (width == 0)
            continue;
        if (firstRow < 0) {
            firstRow = y;
            firstWidth = width;
        }
        lastRow = y;
        lastWidth = width;
    }
    if (firstRow < 0 || firstRow == lastRow)
        return 0;
    return firstWidth < lastWidth ? 1 : -1;
}

// The arrow in a column of the header as it paints now.
inline int HeaderArrowDirection(CHeaderCtrl& header, int nColumn) {
    CRect rc;
    if (!header.GetItemRect(nColumn, &rc))
        return 0;
    const QImage image = header.GetWidget()->grab().toImage();
    return ArrowDirectionIn(image, QRect(rc.left, rc.top, rc.Width(), rc.Height()));
}
