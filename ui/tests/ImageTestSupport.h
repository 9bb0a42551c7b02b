// Shared pieces of the picture tests: the sample files, pictures written into a test's folder,
// and colour checks that allow for lossy formats.
#pragma once

#include "platform/gui/WndPrivate.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QString>

namespace image_test {

inline QString SamplePath(const char* name) {
    return QString::fromUtf8(QUILLMAR_UI_TESTDATA) + "/images/" + name;
}

inline QByteArray SampleBytes(const char* name) {
    QFile f(SamplePath(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// A PNG of w x h whose left half is red and right half blue.
inline QString WriteHalves(const QDir& dir, const char* name, int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(QColor(0, 0, 200));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w / 2; ++x)
            image.setPixel(x, y, qRgb(200, 0, 0));
    QString path = dir.filePath(QString::fromUtf8(name));
    image.save(path, "PNG");
    return path;
}

// The colour class of a pixel: 'r', 'g', 'b' for a strong primary, 'w' white, 'k' dark, '?'.
inline char Kind(QRgb c) {
    int r = qRed(c), g = qGreen(c), b = qBlue(c);
    if (r > 220 && g > 220 && b > 220)
        return 'w';
    if (r > 150 && g < 70 && b < 70)
        return 'r';
    if (g > 150 && r < 70 && b < 70)
        return 'g';
    if (b > 150 && r < 70 && g < 70)
        return 'b';
    if (r < 100 && g < 100 && b < 100)
        return 'k';
    return '?';
}

inline char KindAt(const QImage& image, int x, int y) {
    return Kind(image.pixel(x, y));
}

} // namespace image_test
