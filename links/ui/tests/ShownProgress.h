// For tests of long work on the window thread: the program's progress window, once it shows.
#pragma once

#include <QApplication>
#include <QWidget>

#include "links/ui/DlgSendSmsProgress.h"

inline CDlgSendSmsProgress* ReadingProgress() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* dlg = dynamic_cast<CDlgSendSmsProgress*>(CWnd::FromWidget(w));
            dlg != nullptr && w->isVisible())
            return dlg;
    return nullptr;
}
