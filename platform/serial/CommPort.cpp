#include "platform/serial/CommPort.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/base/Profile.h"

namespace {

// How often the modem lines and the line-event counters are looked at while a wait runs: the
// kernel wakes no poll for them.
constexpr int kModemPollMs = 100;

std::vector<std::string> MachinePorts() {
    std::vector<std::string> result;
    for (const char* prefix : {"ttyACM", "ttyUSB", "ttyS"}) {
        std::vector<std::pair<long, std::string>> found;
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator("/dev", ec)) {
            std::string name = entry.path().filename().string();
            size_t len = strlen(prefix);
            if (name.size() <= len || name.compare(0, len, prefix) != 0)
                continue;
            std::string digits = name.substr(len);
            if (!std::all_of(digits.begin(), digits.end(),
                             [](char c) { return c >= '0' && c <= '9'; }))
                continue;
            found.emplace_back(std::stol(digits), entry.path().string());
        }
        std::sort(found.begin(), found.end());
        for (auto& f : found)
            result.push_back(f.second);
    }
    return result;
}

speed_t SpeedOf(int baud) {
    switch (baud) {
    case 1200:
        return B1200;
    case 2400:
        return B2400;
    case 4800:
        return B4800;
    case 9600:
        return B9600;
    case 19200:
        return B19200;
    case 38400:
        return B38400;
    case 57600:
        return B57600;
    case 115200:
        return B115200;
    case 230400:
        return B230400;
    case 460800:
        return B460800;
    case 921600:
        return B921600;
    default:
        return 0;
    }
}

long long NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

CString CCommPort::GetDevicePath(int nPort) {
    if (nPort < 1)
        return CString();
    char entry[16];
    snprintf(entry, sizeof entry, "COM%d", nPort);
    CString path = CProfileStore().GetProfileString(COMM_PORT_PROFILE_SECTION, entry, "");
    if (!path.IsEmpty())
        return path;
    std::vector<std::string> ports = MachinePorts();
    if ((size_t)nPort > ports.size())
        return CString();
    return CString(ports[nPort - 1].c_str());
}

BOOL CCommPort::Open(LPCSTR lpszDevice) {
    Close();
    if (!lpszDevice || !*lpszDevice)
        return FALSE;
    int fd = ::open(lpszDevice, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return FALSE;
    // The lock keeps out every other opener of the device, including one running as root, for
    // whom the terminal's own exclusive mode does not count.
    if (!isatty(fd) || flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return FALSE;
    }
    ioctl(fd, TIOCEXCL);
    termios tio{};
    if (tcgetattr(fd, &tio) == 0) {
        cfmakeraw(&tio);
        tio.c_cflag |= CLOCAL | CREAD;
        tio.c_cc[VMIN] = 0;
        tio.c_cc[VTIME] = 0;
        tcsetattr(fd, TCSANOW, &tio);
    }
    m_fd = fd;
    int lines = 0;
    m_lastModem = ioctl(fd, TIOCMGET, &lines) == 0 ? lines : -1;
    serial_icounter_struct counts{};
    m_haveCounts = ioctl(fd, TIOCGICOUNT, &counts) == 0;
    if (m_haveCounts) {
        int now[5] = {counts.brk, counts.frame, counts.overrun, counts.parity, counts.rng};
        std::copy(now, now + 5, m_lastCounts);
    }
    return TRUE;
}

void CCommPort::Close() {
    if (m_fd >= 0) {
        ioctl(m_fd, TIOCNXCL);
        ::close(m_fd);
        m_fd = -1;
    }
}

BOOL CCommPort::SetState(LPCSTR lpszSettings) {
    if (m_fd < 0 || !lpszSettings)
        return FALSE;
    int baud = 0, data = 0, stop = 0;
    char parity = 0;
    int end = 0;
    if (sscanf(lpszSettings, "baud=%d parity=%c data=%d stop=%d%n", &baud, &parity, &data, &stop,
               &end) != 4 ||
        lpszSettings[end] != '\0')
        return FALSE;
    speed_t speed = SpeedOf(baud);
    if (!speed || data < 5 || data > 8 || (stop != 1 && stop != 2))
        return FALSE;
    termios tio{};
    if (tcgetattr(m_fd, &tio) != 0)
        return FALSE;
    cfsetispeed(&tio, speed);
    cfsetospeed(&tio, speed);
    tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB);
    static const tcflag_t sizes[] = {CS5, CS6, CS7, CS8};
    tio.c_cflag |= sizes[data - 5];
    switch (parity) {
    case 'N':
    case 'n':
        break;
    case 'E':
    case 'e':
        tio.c_cflag |= PARENB;
        break;
    case 'O':
    case 'o':
        tio.c_cflag |= PARENB | PARODD;
        break;
    default:
        return FALSE;
    }
    if (stop == 2)
        tio.c_cflag |= CSTOPB;
    if (tcsetattr(m_fd, TCSANOW, &tio) != 0)
        return FALSE;
    int rts = TIOCM_RTS | TIOCM_DTR;
    ioctl(m_fd, TIOCMBIS, &rts); // a pseudo-terminal has no modem lines: nothing to raise
    return TRUE;
}

BOOL CCommPort::Purge(BOOL bInput, BOOL bOutput) {
    if (m_fd < 0)
        return FALSE;
    int which = bInput && bOutput ? TCIOFLUSH : bInput ? TCIFLUSH : bOutput ? TCOFLUSH : -1;
    return which < 0 || tcflush(m_fd, which) == 0;
}

DWORD CCommPort::ModemEvents() {
    DWORD events = 0;
    int lines = 0;
    if (m_lastModem >= 0 && ioctl(m_fd, TIOCMGET, &lines) == 0) {
        if ((lines ^ m_lastModem) & TIOCM_CTS)
            events |= EV_CTS;
        if ((lines & TIOCM_RI) && !(m_lastModem & TIOCM_RI))
            events |= EV_RING;
        m_lastModem = lines;
    }
    serial_icounter_struct counts{};
    if (m_haveCounts && ioctl(m_fd, TIOCGICOUNT, &counts) == 0) {
        int now[5] = {counts.brk, counts.frame, counts.overrun, counts.parity, counts.rng};
        if (now[0] != m_lastCounts[0])
            events |= EV_BREAK;
        if (now[1] != m_lastCounts[1] || now[2] != m_lastCounts[2] || now[3] != m_lastCounts[3])
            events |= EV_ERR;
        if (now[4] != m_lastCounts[4])
            events |= EV_RING;
        std::copy(now, now + 5, m_lastCounts);
    }
    return events & m_mask;
}

DWORD CCommPort::WaitEvent(int wakeFd, DWORD ms) {
    if (m_fd < 0)
        return EV_GONE;
    bool watchLines =
        (m_mask & (EV_CTS | EV_RING | EV_BREAK | EV_ERR)) && (m_lastModem >= 0 || m_haveCounts);
    long long deadline = NowMs() + ms;
    for (;;) {
        pollfd fds[2] = {{m_fd, POLLIN, 0}, {wakeFd, POLLIN, 0}};
        long long left = std::max(0LL, deadline - NowMs());
        int slice = (int)std::min<long long>(left, watchLines ? kModemPollMs : left);
        int n = poll(fds, wakeFd >= 0 ? 2 : 1, slice);
        if (n < 0 && errno != EINTR)
            return EV_GONE;
        DWORD events = 0;
        if (n > 0) {
            if (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL))
                events |= EV_GONE;
            else if (fds[0].revents & POLLIN)
                events |= EV_RXCHAR & m_mask ? EV_RXCHAR : 0;
            if (wakeFd >= 0 && (fds[1].revents & POLLIN))
                events |= EV_WAKE;
        }
        if (watchLines)
            events |= ModemEvents();
        if (events)
            return events;
        if (NowMs() >= deadline)
            return 0;
        // Input that arrives while EV_RXCHAR is not asked for must not spin the loop.
        if (n > 0 && !(m_mask & EV_RXCHAR))
            usleep(kModemPollMs * 1000);
    }
}

int CCommPort::Read(BYTE* pBuf, int nMax) {
    if (m_fd < 0)
        return -1;
    for (;;) {
        ssize_t n = ::read(m_fd, pBuf, nMax);
        if (n > 0)
            return (int)n;
        if (n == 0) {
            // Raw mode without a minimum count reads nothing when nothing is there; a terminal
            // that was hung up reads nothing too, and says so when polled.
            pollfd p{m_fd, POLLIN, 0};
            return poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)) ? -1 : 0;
        }
        if (errno == EINTR)
            continue;
        return errno == EAGAIN ? 0 : -1;
    }
}

int CCommPort::Write(const BYTE* pData, int nCount) {
    if (m_fd < 0)
        return -1;
    long long deadline = NowMs() + m_writeTimeout;
    int done = 0;
    while (done < nCount) {
        ssize_t n = ::write(m_fd, pData + done, nCount - done);
        if (n > 0) {
            done += (int)n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN)
            return done ? done : -1;
        long long left = deadline - NowMs();
        if (left <= 0)
            break;
        pollfd fd{m_fd, POLLOUT, 0};
        if (poll(&fd, 1, (int)left) > 0 && (fd.revents & (POLLHUP | POLLERR)))
            return done ? done : -1;
    }
    return done;
}
