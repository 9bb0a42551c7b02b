// Image lists of plain pictures for the view tests: picture i is a figure (a head above a body)
// in colour i of a fixed set, on a magenta mask colour, so each index is told apart in a picture.
#pragma once

#include "platform/gui/Dc.h"
#include "platform/gui/ImageList.h"

#include <QColor>
#include <QImage>
#include <QPainter>

inline void MakeFigureImageList(CImageList& list, int size, int count) {
    static const QColor colours[] = {QColor(250, 200, 60), QColor(120, 200, 120),
                                     QColor(240, 120, 110), QColor(150, 170, 250),
                                     QColor(230, 150, 230), QColor(90, 200, 210)};
    QImage strip(size * count, size, QImage::Format_ARGB32);
    strip.fill(QColor(255, 0, 255));
    QPainter p(&strip);
    p.setRenderHint(QPainter::Antialiasing, false);
    for (int i = 0; i < count; ++i) {
        int x = i * size;
        p.setPen(Qt::black);
        p.setBrush(colours[i % 6]);
        int head = size / 3;
        p.drawEllipse(x + (size - head) / 2, 1, head, head);
        p.drawRoundedRect(x + size / 6, head + 2, size - size / 3 - 1, size - head - 3, 3, 3);
    }
    p.end();
    CBitmap bmp;
    bmp.AttachImageData(strip);
    list.Create(size, size, ILC_COLOR32 | ILC_MASK, count, 0);
    list.Add(&bmp, RGB(255, 0, 255));
}
