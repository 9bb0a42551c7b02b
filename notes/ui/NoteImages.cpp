#include "notes/ui/NoteImages.h"

#include "platform/gui/Dc.h"

#include <QColor>
#include <QImage>
#include <QPainter>

void MakeNoteImages(CImageList& list, int size) {
    const int f = size / 16;
    QImage strip(size * NoteImgCount, size, QImage::Format_ARGB32);
    strip.fill(QColor(255, 0, 255));
    QPainter p(&strip);
    auto book = [&](int i, QColor cover, bool open) {
        int x = i * size;
        p.setPen(QColor(60, 60, 60));
        p.setBrush(cover);
        p.drawRect(x + 2 * f, 2 * f, 11 * f, 12 * f);
        p.setBrush(QColor(250, 250, 240));
        p.drawRect(x + (open ? 5 : 4) * f, 3 * f, 8 * f, 10 * f);
        p.setPen(QColor(150, 150, 150));
        for (int y = 5; y <= 11; y += 2)
            p.drawLine(x + 6 * f, y * f, x + 11 * f, y * f);
    };
    auto folder = [&](int i, QColor c, bool open) {
        int x = i * size;
        p.setPen(QColor(120, 90, 20));
        p.setBrush(c);
        p.drawRect(x + 1 * f, 4 * f, 13 * f, 9 * f);
        p.drawRect(x + 1 * f, 3 * f, 5 * f, 2 * f);
        if (open) {
            p.setBrush(c.lighter(115));
            p.drawRect(x + 3 * f, 7 * f, 12 * f, 6 * f);
        }
    };
    auto page = [&](int i, QColor c) {
        int x = i * size;
        p.setPen(QColor(80, 80, 80));
        p.setBrush(c);
        p.drawRect(x + 3 * f, 1 * f, 10 * f, 14 * f);
        p.setPen(QColor(90, 120, 200));
        for (int y = 4; y <= 12; y += 2)
            p.drawLine(x + 5 * f, y * f, x + 11 * f, y * f);
    };
    book(NoteImgTop, QColor(60, 120, 200), false);
    book(NoteImgBook, QColor(200, 80, 60), false);
    book(NoteImgBookOpen, QColor(200, 80, 60), true);
    folder(NoteImgGroup, QColor(240, 200, 90), false);
    folder(NoteImgGroupOpen, QColor(240, 200, 90), true);
    page(NoteImgPage, QColor(255, 255, 255));
    page(NoteImgPageSel, QColor(255, 250, 200));
    p.setPen(QPen(QColor(200, 0, 0), 2 * f));
    p.setBrush(Qt::NoBrush);
    p.drawRect(NoteImgLock * size + 8 * f, 9 * f, 6 * f, 5 * f);
    p.drawArc(NoteImgLock * size + 8 * f, 5 * f, 6 * f, 8 * f, 0, 180 * 16);
    p.setPen(QPen(QColor(0, 130, 0), 2 * f));
    p.drawEllipse(NoteImgKey * size + 8 * f, 8 * f, 4 * f, 4 * f);
    p.drawLine(NoteImgKey * size + 12 * f, 10 * f, NoteImgKey * size + 15 * f, 10 * f);
    p.end();
    CBitmap bmp;
    bmp.AttachImageData(strip);
    list.Create(size, size, ILC_COLOR32 | ILC_MASK, NoteImgCount, 0);
    list.Add(&bmp, RGB(255, 0, 255));
    list.SetOverlayImage(NoteImgLock, 1);
    list.SetOverlayImage(NoteImgKey, 2);
}
