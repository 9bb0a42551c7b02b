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
#include <filesystem>
#include <map>
#include <string>
#include <vector>

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

// Figures a run at one size hands to the driver below (a line "#key value" it does not show).
inline void ReportFigure(const char* key, double value) {
    std::printf("#%s %.6f\n", key, value);
}

using SizedFigures = std::map<std::string, std::map<int, double>>;

// Runs this program once for each size, as `<program> <size>`, each in a fresh process so that
// what one size left in memory does not weigh on the next. Shows what the runs print and collects
// their reported figures by key and size. FALSE when a run failed.
inline bool RunAtSizes(const std::vector<int>& sizes, SizedFigures& figures) {
    std::error_code ec;
    const std::string self = std::filesystem::read_symlink("/proc/self/exe", ec).string();
    if (ec)
        return false;
    for (int size : sizes) {
        FILE* pipe = popen(("'" + self + "' " + std::to_string(size)).c_str(), "r");
        if (pipe == nullptr)
            return false;
        char line[512];
        while (std::fgets(line, sizeof line, pipe) != nullptr) {
            char key[64];
            double value = 0;
            if (line[0] == '#' && std::sscanf(line + 1, "%63s %lf", key, &value) == 2)
                figures[key][size] = value;
            else
                std::fputs(line, stdout);
        }
        if (pclose(pipe) != 0)
            return false;
    }
    return true;
}

// The growth of a figure from one size to another against the growth of the sizes themselves,
// with the most it may grow: "<what> grows 4.1 times for 4 times the rows (target at most 4.5)".
inline void PrintGrowth(const char* what, const SizedFigures& figures, const char* key, int from,
                        int to, double limit) {
    auto found = figures.find(key);
    if (found == figures.end() || !found->second.count(from) || !found->second.count(to) ||
        found->second.at(from) <= 0)
        return;
    const double growth = found->second.at(to) / found->second.at(from);
    std::printf("%s grows %.2f times from %d to %d (target at most %.1f: %s)\n", what, growth, from,
                to, limit, growth <= limit ? "met" : "NOT MET");
}

// "(target < 2.5 s: met)" after a figure.
inline void PrintTarget(double value, double target, const char* unit) {
    std::printf(" (target < %g %s: %s)\n", target, unit, value < target ? "met" : "NOT MET");
}
