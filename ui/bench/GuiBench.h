// What the window benchmarks share: a Qt application without a screen (unless one is asked for),
// figures printed as they come, and a stopwatch.
#pragma once

#include "platform/gui/WndPrivate.h"

#include <QByteArray>
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
