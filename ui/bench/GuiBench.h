// What the window benchmarks share: a Qt application without a screen (unless one is asked for),
// figures printed as they come, a stopwatch and photo-like pictures.
#pragma once

#include "platform/gui/WndPrivate.h"

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QPainter>
#include <chrono>
#include <cstdio>

inline void StartGuiBenchmark() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    AfxEnsureGuiApp();
}

inline double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// A photo-like picture the size a phone camera takes (4000 x 3000): soft gradients with a little
// detail, so the encoder has real work.
inline QImage BenchPhoto(int seed) {
    QImage image(4000, 3000, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            line[x] = qRgb((x / 16 + seed * 13) & 0xFF, (y / 12 + seed * 7) & 0xFF,
                           ((x ^ y) >> 3) & 0xFF);
    }
    QPainter p(&image);
    p.setBrush(QColor(200, 40, 40));
    p.drawEllipse(1000 + seed * 40, 800, 1600, 1400);
    return image;
}
