#include "platform/gui/QtSocketEvents.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>

struct CQtSocketEventSource::Watch {
    UINT mask = 0;
    CISocketWatcher* pWatcher = nullptr;
    unsigned long long generation = 0;
    QSocketNotifier* pRead = nullptr;
    QSocketNotifier* pWrite = nullptr;
};

CQtSocketEventSource::CQtSocketEventSource() = default;

CQtSocketEventSource::~CQtSocketEventSource() {
    for (auto& [fd, w] : m_watches) {
        delete w->pRead;
        delete w->pWrite;
    }
    for (auto& [id, t] : m_timers)
        delete t;
}

CQtSocketEventSource& CQtSocketEventSource::Instance() {
    // Lives as long as the Qt application; never destroyed after it.
    static auto* source = new CQtSocketEventSource;
    return *source;
}

// A notifier or timer may be retired from inside its own signal: Qt requires it to be deleted
// later, and it must stay silent meanwhile.
void CQtSocketEventSource::Retire(QObject* pObject) {
    if (pObject == nullptr)
        return;
    pObject->disconnect();
    if (auto* n = qobject_cast<QSocketNotifier*>(pObject))
        n->setEnabled(false);
    if (auto* t = qobject_cast<QTimer*>(pObject))
        t->stop();
    pObject->deleteLater();
}

void CQtSocketEventSource::WatchSocket(int fd, UINT mask, CISocketWatcher* pWatcher) {
    auto it = m_watches.find(fd);
    if (mask == 0 || pWatcher == nullptr) {
        if (it != m_watches.end()) {
            Retire(it->second->pRead);
            Retire(it->second->pWrite);
            m_watches.erase(it);
        }
        return;
    }
    if (it == m_watches.end() || it->second->pWatcher != pWatcher) {
        if (it != m_watches.end()) {
            Retire(it->second->pRead);
            Retire(it->second->pWrite);
        }
        auto w = std::make_unique<Watch>();
        w->pWatcher = pWatcher;
        w->generation = m_nextGeneration++;
        unsigned long long generation = w->generation;
        w->pRead = new QSocketNotifier(fd, QSocketNotifier::Read);
        w->pWrite = new QSocketNotifier(fd, QSocketNotifier::Write);
        QObject::connect(w->pRead, &QSocketNotifier::activated,
                         [this, fd, generation] { Deliver(fd, generation, readable); });
        QObject::connect(w->pWrite, &QSocketNotifier::activated,
                         [this, fd, generation] { Deliver(fd, generation, writable); });
        it = m_watches.insert_or_assign(fd, std::move(w)).first;
    }
    Watch& w = *it->second;
    w.mask = mask;
    w.pRead->setEnabled((mask & readable) != 0);
    w.pWrite->setEnabled((mask & writable) != 0);
}

void CQtSocketEventSource::Deliver(int fd, unsigned long long generation, UINT events) {
    auto it = m_watches.find(fd);
    if (it == m_watches.end() || it->second->generation != generation)
        return;
    events &= it->second->mask;
    if (events != 0)
        it->second->pWatcher->OnSocketReady(fd, events);
}

UINT_PTR CQtSocketEventSource::SetTimer(UINT delayMs, std::function<void()> fn) {
    UINT_PTR id = m_nextTimer++;
    auto* timer = new QTimer;
    timer->setSingleShot(true);
    timer->setTimerType(Qt::PreciseTimer);
    QObject::connect(timer, &QTimer::timeout, [this, id, fn = std::move(fn)] {
        auto it = m_timers.find(id);
        if (it == m_timers.end())
            return;
        QTimer* t = it->second;
        m_timers.erase(it);
        // The callback may destroy what owns it; keep a copy of it alive while it runs.
        std::function<void()> run = fn;
        Retire(t);
        run();
    });
    m_timers[id] = timer;
    timer->start(static_cast<int>(delayMs));
    return id;
}

void CQtSocketEventSource::KillTimer(UINT_PTR id) {
    auto it = m_timers.find(id);
    if (it == m_timers.end())
        return;
    Retire(it->second);
    m_timers.erase(it);
}
