// A real HTTP proxy (tinyproxy) run by a test on a free loopback port, with its configuration and
// log in the test's own folder. It runs in the foreground as a child process and is stopped by
// the destructor.
#pragma once

#include <string>

#include "platform/base/tests/TempFolder.h"
#include <sys/types.h>

namespace test_net {

class LoopbackProxy {
public:
    // Whether the proxy program is installed (tests skip themselves otherwise).
    static bool IsAvailable();

    // Starts the proxy with its configuration and log in a temporary folder of its own; false
    // (with the reason in Error()) when it did not come up.
    bool Start();
    // Makes the proxy ask for a user and password (407 without them); call before Start.
    void SetBasicAuth(const std::string& user, const std::string& password) {
        m_basicAuth = user + " " + password;
    }
    ~LoopbackProxy();

    int Port() const { return m_port; }
    // "127.0.0.1:<port>" and "http://127.0.0.1:<port>".
    std::string HostPort() const { return "127.0.0.1:" + std::to_string(m_port); }
    std::string Url() const { return "http://" + HostPort(); }
    std::string Log() const;
    const std::string& Error() const { return m_error; }

private:
    test_folders::TempDir m_folder;
    pid_t m_pid = -1;
    int m_port = 0;
    std::string m_logPath;
    std::string m_error;
    std::string m_basicAuth;
};

// A real SOCKS 5 server (microsocks) run by a test on a free loopback port, stopped by the
// destructor.
class LoopbackSocks5 {
public:
    static bool IsAvailable();
    // Makes the server ask for a user and password; call before Start.
    void SetAuth(const std::string& user, const std::string& password) {
        m_user = user;
        m_password = password;
    }
    bool Start();
    ~LoopbackSocks5();

    int Port() const { return m_port; }
    const std::string& Error() const { return m_error; }

private:
    pid_t m_pid = -1;
    int m_port = 0;
    std::string m_user;
    std::string m_password;
    std::string m_error;
};

// A port that was free a moment ago on 127.0.0.1 (0 when none could be had).
int FreeLoopbackPort();

// Asks a child process to end (SIGTERM), kills it after 5 seconds, and reaps it; nothing for a
// pid of 0 or below.
void StopChildProcess(pid_t pid);

} // namespace test_net
