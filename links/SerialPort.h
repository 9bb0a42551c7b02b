// The port layer of the phone link: one COM port, a reader thread that waits for port events, a
// stop request and write requests, and a single pending write buffer.
//
// The reader thread never waits for its owner. Everything it has to report (each byte read, line
// events, a finished write, its own end) goes in order into a queue guarded by a lock; the owner
// takes the messages out on its own thread (GetMessage, PeekMessage) and is told that some are
// waiting through the notification it set, which must not block (a window posts itself a
// message). So Close, which waits for the thread, always ends: the thread sees the stop request
// within one wait and never waits for the owner.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/base/CString.h"
#include "platform/base/Types.h"
#include "platform/serial/CommPort.h"

// Messages the port reports (second parameter: the port number).
#define WM_COMM_BASE 0x0400u
#define WM_COMM_BREAK_DETECTED (WM_COMM_BASE + 1)  // first parameter 0
#define WM_COMM_CTS_DETECTED (WM_COMM_BASE + 2)    // 0
#define WM_COMM_ERR_DETECTED (WM_COMM_BASE + 4)    // 0
#define WM_COMM_RING_DETECTED (WM_COMM_BASE + 5)   // 0
#define WM_COMM_RXCHAR (WM_COMM_BASE + 7)          // the byte
#define WM_COMM_RXFLAG_DETECTED (WM_COMM_BASE + 8) // 0
#define WM_COMM_TXEMPTY (WM_COMM_BASE + 21)        // 1 when fewer bytes were written than asked
#define WM_COMM_CLOSED (WM_COMM_BASE + 24)         // 0: the thread has stopped, the port is closed

struct SERIALMSG {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

class CSerialPort {
public:
    CSerialPort();
    CSerialPort(const CSerialPort&) = delete;
    CSerialPort& operator=(const CSerialPort&) = delete;
    // A class that overrides the hooks closes the port in its own destructor, so that the
    // thread never calls into a part of the object that has gone.
    virtual ~CSerialPort();

    // Called on the reader thread when a message is queued while none waited; must return at
    // once. The owner then takes every waiting message.
    void SetNotify(std::function<void()> notify);

    // TRUE at once when the port is already open. Otherwise opens the device of "COM<nPort>",
    // sets the line from the settings and starts the reader thread; FALSE when the device does
    // not open or the thread does not start (nothing then runs).
    BOOL Open(UINT nPort, UINT nBaud = 19200, char cParity = 'N', UINT nDataBits = 8,
              UINT nStopBits = 1, DWORD dwEvents = EV_RXCHAR | EV_CTS, UINT nBufferSize = 512);
    // TRUE while the reader thread runs.
    BOOL IsOpen() const { return m_running.load(); }
    // FALSE when the port is not open, a write is pending, or the data do not fit the buffer;
    // otherwise the thread writes a copy of the data and reports WM_COMM_TXEMPTY.
    BOOL Write(const void* pData, UINT nLength);
    BOOL Write(LPCSTR lpszText) { return Write(lpszText, (UINT)strlen(lpszText)); }
    // Asks the thread to stop; with bWait, returns once it has ended (within one wait of the
    // thread, never waiting on the owner).
    void Close(BOOL bWait = TRUE);

    // The next queued message: waits up to ms milliseconds; FALSE when none came.
    BOOL GetMessage(SERIALMSG& msg, DWORD ms);
    BOOL PeekMessage(SERIALMSG& msg) { return GetMessage(msg, 0); }

    UINT GetPortNumber() const { return m_nPort; }
    // The wait of the reader thread between idle calls, in milliseconds.
    void SetWaitTimeout(DWORD ms) { m_waitTimeout = ms; }
    // GetTickCount at the last write and the last read (0 when none yet).
    DWORD GetLastWriteTick() const { return m_lastWrite.load(); }
    DWORD GetLastReadTick() const { return m_lastRead.load(); }

protected:
    // Called on the reader thread after bytes were read, and when a wait ended without bytes.
    virtual void OnDataHook() {}
    virtual void OnIdleHook() {}

private:
    void ThreadMain();
    void Post(UINT message, WPARAM wParam);
    void Wake();

    UINT m_nPort = 0;
    CCommPort m_port;
    std::thread m_thread;
    std::atomic<bool> m_running{false};
    std::atomic<bool> m_stop{false};
    const int m_wakeFd; // an eventfd raised for a stop or a write request
    std::atomic<DWORD> m_waitTimeout{1000};
    std::atomic<DWORD> m_lastWrite{0};
    std::atomic<DWORD> m_lastRead{0};

    std::mutex m_writeLock; // guards the write buffer and its length
    std::vector<BYTE> m_writeBuffer;
    UINT m_writeLength = 0; // 0 when no write is pending

    std::mutex m_queueLock;
    std::condition_variable m_queueSignal;
    std::deque<SERIALMSG> m_queue;
    std::function<void()> m_notify;
};
