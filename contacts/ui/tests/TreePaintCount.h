// Paints a tree into a white picture and counts its pure red and pure blue pixels: the texts the
// tree draws after its labels (modified marks, counts) are told apart by their colour.
#pragma once

#include "platform/gui/Dc.h"
#include "platform/gui/TreeCtrl.h"

#include <QColor>
#include <QImage>

#include <cstdlib>
#include <utility>

inline std::pair<int, int> CountRedAndBluePixels(CTreeCtrl& tree, int width = 300,
                                                 int height = 400) {
    QImage img(width, height, QImage::Format_ARGB32);
    img.fill(Qt::white);
    {
        CDC dc;
        dc.AttachImage(&img);
        tree.SendMessage(WM_PAINT, (WPARAM)dc.GetSafeHdc(), 0);
    }
    int red = 0, blue = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            QColor c = img.pixelColor(x, y);
            auto near = [&](int r, int g, int b) {
                return std::abs(c.red() - r) + std::abs(c.green() - g) + std::abs(c.blue() - b) <
                       50;
            };
            red += near(0xFF, 0, 0);
            blue += near(0, 0, 0xFF);
        }
    return std::make_pair(red, blue);
}
