#include "platform/net/SocketEvents.h"

#include <poll.h>

#include <algorithm>
#include <chrono>

namespace {

CISocketEventSource* g_source = nullptr;

CPollEventSource& ProcessPollSource() {
    static CPollEventSource source;
    return source;
}

} // namespace

long long AfxSocketClockMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

CISocketEventSource* AfxGetSocketEventSource() {
    return g_source != nullptr ? g_source : &ProcessPollSource();
}

CISocketEventSource* AfxSetSocketEventSource(CISocketEventSource* pSource) {
    CISocketEventSource* old = AfxGetSocketEventSource();
    g_source = pSource;
    return old;
}

void CPollEventSource::WatchSocket(int fd, UINT mask, CISocketWatcher* pWatcher) {
    if (mask == 0 || pWatcher == nullptr) {
        m_watches.erase(fd);
        return;
    }
    auto it = m_watches.find(fd);
    if (it != m_watches.end() && it->second.pWatcher == pWatcher) {
        it->second.mask = mask;
        return;
    }
    m_watches[fd] = Watch{mask, pWatcher, m_nextGeneration++};
}

UINT_PTR CPollEventSource::SetTimer(UINT delayMs, std::function<void()> fn) {
    UINT_PTR id = m_nextTimer++;
    m_timers[id] = Timer{AfxSocketClockMs() + delayMs, std::move(fn)};
    return id;
}

void CPollEventSource::KillTimer(UINT_PTR id) {
    m_timers.erase(id);
}

int CPollEventSource::Pump(int timeoutMs) {
    long long now = AfxSocketClockMs();
    for (const auto& [id, timer] : m_timers)
        timeoutMs = static_cast<int>(std::clamp<long long>(timer.dueMs - now, 0, timeoutMs));

    std::vector<pollfd> fds;
    std::vector<unsigned long long> generations;
    for (const auto& [fd, watch] : m_watches) {
        short events = 0;
        if (watch.mask & readable)
            events |= POLLIN;
        if (watch.mask & writable)
            events |= POLLOUT;
        fds.push_back(pollfd{fd, events, 0});
        generations.push_back(watch.generation);
    }
    int ran = 0;
    int ready = poll(fds.data(), fds.size(), timeoutMs);
    for (size_t i = 0; ready > 0 && i < fds.size(); ++i) {
        if (fds[i].revents == 0)
            continue;
        // The watch may have been removed or replaced by an earlier notice of this round.
        auto it = m_watches.find(fds[i].fd);
        if (it == m_watches.end() || it->second.generation != generations[i])
            continue;
        UINT events = 0;
        if (fds[i].revents & (POLLIN | POLLERR | POLLHUP))
            events |= readable;
        if (fds[i].revents & (POLLOUT | POLLERR | POLLHUP))
            events |= writable;
        events &= it->second.mask;
        if (events == 0)
            continue;
        ++ran;
        it->second.pWatcher->OnSocketReady(fds[i].fd, events);
    }

    now = AfxSocketClockMs();
    std::vector<UINT_PTR> due;
    for (const auto& [id, timer] : m_timers)
        if (timer.dueMs <= now)
            due.push_back(id);
    for (UINT_PTR id : due) {
        auto it = m_timers.find(id); // an earlier timer may have killed this one
        if (it == m_timers.end())
            continue;
        std::function<void()> fn = std::move(it->second.fn);
        m_timers.erase(it);
        ++ran;
        fn();
    }
    return ran;
}

bool CPollEventSource::RunUntil(const std::function<bool()>& done, int timeoutMs) {
    long long until = AfxSocketClockMs() + timeoutMs;
    while (!done()) {
        long long left = until - AfxSocketClockMs();
        if (left <= 0)
            return done();
        Pump(static_cast<int>(std::min<long long>(left, 50)));
    }
    return true;
}
