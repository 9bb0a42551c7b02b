// The socket event source served from the Qt event loop: descriptor notices through socket
// notifiers and timers through single-shot Qt timers, all on the user-interface thread. The
// window layer installs it when it starts the Qt application.
#pragma once

#include "platform/net/SocketEvents.h"

#include <map>
#include <memory>

class QObject;
class QSocketNotifier;
class QTimer;

class CQtSocketEventSource : public CISocketEventSource {
public:
    CQtSocketEventSource();
    ~CQtSocketEventSource() override;

    void WatchSocket(int fd, UINT mask, CISocketWatcher* pWatcher) override;
    UINT_PTR SetTimer(UINT delayMs, std::function<void()> fn) override;
    void KillTimer(UINT_PTR id) override;

    // The one the window layer installs.
    static CQtSocketEventSource& Instance();

private:
    struct Watch;
    void Deliver(int fd, unsigned long long generation, UINT events);
    static void Retire(QObject* pObject);

    std::map<int, std::unique_ptr<Watch>> m_watches;
    std::map<UINT_PTR, QTimer*> m_timers;
    unsigned long long m_nextGeneration = 1;
    UINT_PTR m_nextTimer = 1;
};
