#include "links/ui/DialogPump.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QWidget>

#include "platform/gui/Wnd.h"

namespace {

bool IsUserInput(QEvent::Type type) {
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Shortcut:
    case QEvent::ShortcutOverride:
    case QEvent::ContextMenu:
    case QEvent::Close:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
        return true;
    default:
        return false;
    }
}

class InputOnlyTo : public QObject {
public:
    explicit InputOnlyTo(QWidget* w) : m_window(w) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!IsUserInput(event->type()))
            return false;
        auto* target = qobject_cast<QWidget*>(watched);
        if (!target || !m_window)
            return false;
        return target != m_window && !m_window->isAncestorOf(target);
    }

private:
    QPointer<QWidget> m_window;
};

} // namespace

void PumpWindowMessages(CWnd* pWnd) {
    QWidget* widget = pWnd ? pWnd->GetWidget() : nullptr;
    if (!widget)
        return;
    InputOnlyTo filter(widget);
    CExclusiveKeys keys(pWnd);
    QCoreApplication::instance()->installEventFilter(&filter);
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    QCoreApplication::instance()->removeEventFilter(&filter);
}
