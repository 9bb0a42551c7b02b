// A COM port on a terminal device: the port numbers "COM1".."COM9" name devices, the line is set
// up from the classic settings text, and one thread waits for port events, a wake-up or a
// time-out together. Reads never block; writes give up after the write time-out.
#pragma once

#include "platform/base/CString.h"
#include "platform/base/Types.h"

// Port events, in the values of the classic event mask.
#define EV_RXCHAR 0x0001u // a character arrived
#define EV_RXFLAG 0x0002u // the event character arrived (no event character is set here)
#define EV_CTS 0x0008u    // CTS changed
#define EV_BREAK 0x0040u  // a break was detected
#define EV_ERR 0x0080u    // a line error (framing, overrun, parity)
#define EV_RING 0x0100u   // the ring indicator came on
// Our own: the wake-up descriptor became readable; the device went away (hang-up or I/O error).
#define EV_WAKE 0x10000u
#define EV_GONE 0x20000u

// Profile section whose entries "COM1".."COM9" name the device of each port number.
#define COMM_PORT_PROFILE_SECTION "MobileDevice"

class CCommPort {
public:
    CCommPort() = default;
    CCommPort(const CCommPort&) = delete;
    CCommPort& operator=(const CCommPort&) = delete;
    ~CCommPort() { Close(); }

    // The device of port nPort (1-based): the profile entry "COM<n>" when set, otherwise the
    // n-th of the machine's ttyACM*, ttyUSB* and ttyS* devices in that order; empty when none.
    static CString GetDevicePath(int nPort);

    // Opens the device for reading and writing, exclusively (a second open of the same device
    // fails, also from another program), in raw mode. FALSE when it cannot be opened or is not a
    // terminal.
    BOOL Open(LPCSTR lpszDevice);
    BOOL IsOpen() const { return m_fd >= 0; }
    void Close();

    // Applies "baud=%d parity=%c data=%d stop=%d" (parity N, E, O; data 5 to 8; stop 1 or 2)
    // and raises RTS. FALSE when the text is not of that form or the device refuses a value.
    BOOL SetState(LPCSTR lpszSettings);
    // Milliseconds a write may take before it gives up.
    void SetWriteTimeout(DWORD ms) { m_writeTimeout = ms; }
    // The events WaitEvent reports (EV_WAKE and EV_GONE are always reported).
    void SetMask(DWORD mask) { m_mask = mask; }
    // Drops what has been received and not yet read and/or what is waiting to be sent.
    BOOL Purge(BOOL bInput, BOOL bOutput);

    // Waits up to ms milliseconds for a masked port event or for wakeFd (-1: none) to become
    // readable; returns the events that happened, 0 after the time-out.
    DWORD WaitEvent(int wakeFd, DWORD ms);
    // Reads what has arrived, up to nMax bytes, without waiting: the count, 0 when nothing is
    // there, -1 when the device has gone.
    int Read(BYTE* pBuf, int nMax);
    // Writes the bytes, waiting at most the write time-out in all: the count written (less than
    // nCount after the time-out), -1 when the device has gone.
    int Write(const BYTE* pData, int nCount);

private:
    DWORD ModemEvents();

    int m_fd = -1;
    DWORD m_mask = 0;
    DWORD m_writeTimeout = 1000;
    int m_lastModem = -1; // modem lines at the last look; -1 when the device does not tell them
    bool m_haveCounts = false;
    int m_lastCounts[5] = {}; // break, frame, overrun, parity, ring
};
