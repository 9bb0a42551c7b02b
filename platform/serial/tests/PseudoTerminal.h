// A pseudo-terminal for tests of the serial port: the test holds the master side and plays the
// device; the code under test opens the slave's path as its COM port.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <string>

namespace test_serial {

inline long long ElapsedMs(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 since)
        .count();
}

class PseudoTerminal {
public:
    PseudoTerminal() {
        m_master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0)
            return;
        if (const char* name = ptsname(m_master))
            m_slave = name;
        // Keep the slave open here until the code under test opens it, so that the master sees
        // no hang-up before then; raw, so that bytes pass as they are.
        m_slaveKeep = open(m_slave.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        termios tio{};
        if (m_slaveKeep >= 0 && tcgetattr(m_slaveKeep, &tio) == 0) {
            cfmakeraw(&tio);
            tcsetattr(m_slaveKeep, TCSANOW, &tio);
        }
    }
    ~PseudoTerminal() {
        ReleaseSlave();
        CloseMaster();
    }
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    bool ok() const { return m_master >= 0 && m_slaveKeep >= 0; }
    const std::string& slavePath() const { return m_slave; }
    int master() const { return m_master; }
    // The test's own descriptor of the slave: it shows the line settings the code made.
    int slave() const { return m_slaveKeep; }

    // The test's own hold on the slave; without it, closing the master is a hang-up for the
    // code under test alone.
    void ReleaseSlave() {
        if (m_slaveKeep >= 0)
            close(m_slaveKeep);
        m_slaveKeep = -1;
    }
    // The device goes away.
    void CloseMaster() {
        if (m_master >= 0)
            close(m_master);
        m_master = -1;
    }

    bool Send(const std::string& bytes) {
        return write(m_master, bytes.data(), bytes.size()) == (ssize_t)bytes.size();
    }
    // Reads until `count` bytes came or ms milliseconds passed.
    std::string Receive(size_t count, int ms = 2000) {
        std::string got;
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (got.size() < count) {
            int left = (int)std::chrono::duration_cast<std::chrono::milliseconds>(
                           deadline - std::chrono::steady_clock::now())
                           .count();
            if (left <= 0)
                break;
            pollfd p{m_master, POLLIN, 0};
            if (poll(&p, 1, left) <= 0)
                break;
            char buf[512];
            ssize_t n = read(m_master, buf, sizeof buf);
            if (n <= 0)
                break;
            got.append(buf, n);
        }
        return got;
    }

private:
    int m_master = -1;
    int m_slaveKeep = -1;
    std::string m_slave;
};

} // namespace test_serial
