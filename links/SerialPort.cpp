#include "links/SerialPort.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdio>

#include "platform/base/Time.h"

CSerialPort::CSerialPort() : m_wakeFd(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

CSerialPort::~CSerialPort() {
    Close(TRUE);
    if (m_wakeFd >= 0)
        ::close(m_wakeFd);
}

void CSerialPort::SetNotify(std::function<void()> notify) {
    std::lock_guard<std::mutex> lock(m_queueLock);
    m_notify = std::move(notify);
}

BOOL CSerialPort::Open(UINT nPort, UINT nBaud, char cParity, UINT nDataBits, UINT nStopBits,
                       DWORD dwEvents, UINT nBufferSize) {
    if (IsOpen())
        return TRUE;
    // A thread that ended by itself (the device went away) is joined before a new one starts.
    if (m_thread.joinable())
        m_thread.join();
    CString device = CCommPort::GetDevicePath((int)nPort);
    if (!m_port.Open(device))
        return FALSE;
    m_nPort = nPort;
    {
        std::lock_guard<std::mutex> lock(m_writeLock);
        m_writeBuffer.assign(nBufferSize, 0);
        m_writeLength = 0;
    }
    m_port.SetWriteTimeout(1000);
    m_port.SetMask(dwEvents);
    char settings[64];
    snprintf(settings, sizeof settings, "baud=%u parity=%c data=%u stop=%u", nBaud, cParity,
             nDataBits, nStopBits);
    m_port.SetState(settings); // a line the device does not take is left as it was
    m_port.Purge(TRUE, TRUE);
    if (m_wakeFd < 0) {
        m_port.Close();
        return FALSE;
    }
    uint64_t stale;
    while (::read(m_wakeFd, &stale, sizeof stale) > 0) {
    }
    {
        // What the last run left unread belongs to a connection that has ended.
        std::lock_guard<std::mutex> lock(m_queueLock);
        m_queue.clear();
    }
    m_stop = false;
    m_running = true;
    try {
        m_thread = std::thread(&CSerialPort::ThreadMain, this);
    } catch (...) {
        m_running = false;
        m_port.Close();
        return FALSE;
    }
    return TRUE;
}

BOOL CSerialPort::Write(const void* pData, UINT nLength) {
    if (!IsOpen())
        return FALSE;
    {
        std::lock_guard<std::mutex> lock(m_writeLock);
        if (m_writeLength != 0 || nLength > m_writeBuffer.size() || nLength == 0)
            return FALSE;
        memcpy(m_writeBuffer.data(), pData, nLength);
        m_writeLength = nLength;
    }
    Wake();
    return TRUE;
}

void CSerialPort::Close(BOOL bWait) {
    m_stop = true;
    Wake();
    if (bWait && m_thread.joinable() && m_thread.get_id() != std::this_thread::get_id())
        m_thread.join();
}

void CSerialPort::Wake() {
    if (m_wakeFd >= 0) {
        uint64_t one = 1;
        ssize_t n = ::write(m_wakeFd, &one, sizeof one);
        (void)n;
    }
}

BOOL CSerialPort::GetMessage(SERIALMSG& msg, DWORD ms) {
    std::unique_lock<std::mutex> lock(m_queueLock);
    if (m_queue.empty() && ms > 0)
        m_queueSignal.wait_for(lock, std::chrono::milliseconds(ms),
                               [this] { return !m_queue.empty(); });
    if (m_queue.empty())
        return FALSE;
    msg = m_queue.front();
    m_queue.pop_front();
    return TRUE;
}

void CSerialPort::Post(UINT message, WPARAM wParam) {
    std::function<void()> notify;
    {
        std::lock_guard<std::mutex> lock(m_queueLock);
        // The owner takes every waiting message when told, so it is told only when the queue
        // was empty: one posted wake-up per burst, not one per byte.
        if (m_queue.empty())
            notify = m_notify;
        m_queue.push_back(SERIALMSG{message, wParam, (LPARAM)m_nPort});
    }
    m_queueSignal.notify_all();
    if (notify)
        notify();
}

void CSerialPort::ThreadMain() {
    // Open has purged the port before starting the thread: what arrives from then on is the
    // device's answer and is kept.
    BYTE buf[256];
    bool gone = false;
    while (!m_stop && !gone) {
        DWORD events = m_port.WaitEvent(m_wakeFd, m_waitTimeout);
        if (m_stop)
            break;
        if (events == 0) {
            OnIdleHook();
            continue;
        }
        if (events & EV_WAKE) {
            uint64_t count;
            ssize_t n = ::read(m_wakeFd, &count, sizeof count);
            (void)n;
        }
        if (events & EV_CTS)
            Post(WM_COMM_CTS_DETECTED, 0);
        if (events & EV_RXFLAG)
            Post(WM_COMM_RXFLAG_DETECTED, 0);
        if (events & EV_BREAK)
            Post(WM_COMM_BREAK_DETECTED, 0);
        if (events & EV_ERR)
            Post(WM_COMM_ERR_DETECTED, 0);
        if (events & EV_RING)
            Post(WM_COMM_RING_DETECTED, 0);
        if (events & (EV_RXCHAR | EV_GONE)) {
            // What arrived before a hang-up is still delivered.
            int total = 0;
            for (;;) {
                int n = m_port.Read(buf, sizeof buf);
                if (n < 0) {
                    gone = true;
                    break;
                }
                if (n == 0)
                    break;
                for (int i = 0; i < n; i++)
                    Post(WM_COMM_RXCHAR, buf[i]);
                total += n;
            }
            if (events & EV_GONE)
                gone = true;
            if (total > 0) {
                m_lastRead = GetTickCount();
                OnDataHook();
            } else if (!gone) {
                OnIdleHook();
            }
        }
        if (gone)
            break;
        UINT length;
        std::vector<BYTE> data;
        {
            std::lock_guard<std::mutex> lock(m_writeLock);
            length = m_writeLength;
            if (length)
                data.assign(m_writeBuffer.begin(), m_writeBuffer.begin() + length);
        }
        if (length) {
            // Only what still waits to be sent is dropped: unread input stays for the reader.
            m_port.Purge(FALSE, TRUE);
            int written = m_port.Write(data.data(), (int)length);
            m_lastWrite = GetTickCount();
            {
                std::lock_guard<std::mutex> lock(m_writeLock);
                m_writeLength = 0;
            }
            Post(WM_COMM_TXEMPTY, written < (int)length ? 1 : 0);
            if (written < 0)
                gone = true;
        }
    }
    m_port.Close();
    {
        std::lock_guard<std::mutex> lock(m_writeLock);
        m_writeLength = 0;
    }
    m_running = false;
    Post(WM_COMM_CLOSED, 0);
}
