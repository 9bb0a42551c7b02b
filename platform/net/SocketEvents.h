// Where sockets and timers get their notices: a small event source that watches descriptors and
// runs delayed callbacks on the user-interface thread. The window layer serves it from its event
// loop; programs and tests without windows run CPollEventSource. Sockets take the source that is
// current when they are made.
//
// Every call may be made from inside a callback of the same source: a watcher may stop watching,
// watch another descriptor, kill a timer or destroy itself, and the source never calls a watcher
// that was removed (even when its descriptor number is reused at once).
#pragma once

#include <functional>
#include <map>
#include <vector>

#include "platform/base/Types.h"

class CISocketWatcher {
public:
    // events: CISocketEventSource::readable and/or writable. An error or a hang-up on the
    // descriptor counts as both, so that the watcher sees it whatever it waits for.
    virtual void OnSocketReady(int fd, UINT events) = 0;

protected:
    ~CISocketWatcher() = default;
};

class CISocketEventSource {
public:
    enum : UINT { readable = 1, writable = 2 };

    virtual ~CISocketEventSource() = default;

    // Reports the descriptor's readiness for the events in mask, again and again while it lasts
    // (level-triggered). A second call replaces the mask and the watcher; mask 0 stops watching.
    virtual void WatchSocket(int fd, UINT mask, CISocketWatcher* pWatcher) = 0;
    // Calls fn once, delayMs from now; answers an id above 0.
    virtual UINT_PTR SetTimer(UINT delayMs, std::function<void()> fn) = 0;
    // Cancels a timer that has not run; unknown ids are ignored.
    virtual void KillTimer(UINT_PTR id) = 0;
};

// The source new sockets and timers use: the one installed, else a process-wide CPollEventSource.
CISocketEventSource* AfxGetSocketEventSource();
// Installs a source (null goes back to the process-wide poll source); answers the previous one.
CISocketEventSource* AfxSetSocketEventSource(CISocketEventSource* pSource);

// An event source on poll(2) for code that has no window event loop: whoever owns the thread
// calls Pump.
class CPollEventSource : public CISocketEventSource {
public:
    void WatchSocket(int fd, UINT mask, CISocketWatcher* pWatcher) override;
    UINT_PTR SetTimer(UINT delayMs, std::function<void()> fn) override;
    void KillTimer(UINT_PTR id) override;

    // Waits up to timeoutMs (shortened to the next timer) for ready descriptors, then delivers
    // their notices and every timer that is due. Answers how many notices and timers ran.
    int Pump(int timeoutMs);
    // Pumps until done() answers true or timeoutMs pass; answers done().
    bool RunUntil(const std::function<bool()>& done, int timeoutMs);
    bool IsIdle() const { return m_watches.empty() && m_timers.empty(); }

private:
    struct Watch {
        UINT mask;
        CISocketWatcher* pWatcher;
        unsigned long long generation;
    };
    struct Timer {
        long long dueMs;
        std::function<void()> fn;
    };
    std::map<int, Watch> m_watches;
    std::map<UINT_PTR, Timer> m_timers;
    unsigned long long m_nextGeneration = 1;
    UINT_PTR m_nextTimer = 1;
};

// Milliseconds of a monotonic clock.
long long AfxSocketClockMs();
