#include "testsupport/LoopbackProxy.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

extern char** environ;

namespace test_net {

namespace {

const char* kProgram = "/usr/bin/tinyproxy";

bool CanConnect(int port) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(static_cast<uint16_t>(port));
    bool ok = connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    close(fd);
    return ok;
}

} // namespace

int FreeLoopbackPort() {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return 0;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    int port = 0;
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
        getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) == 0)
        port = ntohs(addr.sin_port);
    close(fd);
    return port;
}

bool LoopbackProxy::IsAvailable() {
    return access(kProgram, X_OK) == 0;
}

bool LoopbackProxy::Start() {
    const std::string folder = m_folder.str();
    m_port = FreeLoopbackPort();
    if (m_port == 0) {
        m_error = "no free port";
        return false;
    }
    std::string confPath = folder + "/tinyproxy.conf";
    m_logPath = folder + "/tinyproxy.log";
    {
        std::ofstream conf(confPath);
        conf << "Port " << m_port << "\n"
             << "Listen 127.0.0.1\n"
             << "Allow 127.0.0.1\n"
             << "Timeout 30\n"
             << "MaxClients 20\n"
             << "LogLevel Info\n";
        if (!m_basicAuth.empty())
            conf << "BasicAuth " << m_basicAuth << "\n";
        // Run as root (as in a container), the proxy insists on dropping to another user.
        if (geteuid() == 0)
            conf << "User nobody\nGroup nogroup\n";
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    // In the foreground the proxy logs to its standard error, opened here before it changes user.
    posix_spawn_file_actions_addopen(&actions, 2, m_logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    std::string program = kProgram;
    std::string confArg = confPath;
    char* argv[] = {program.data(), const_cast<char*>("-d"), const_cast<char*>("-c"),
                    confArg.data(), nullptr};
    int rc = posix_spawn(&m_pid, kProgram, &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        m_pid = -1;
        m_error = "cannot start the proxy";
        return false;
    }
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < until) {
        if (CanConnect(m_port))
            return true;
        int status = 0;
        if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_pid = -1;
            m_error = "the proxy ended at once: " + Log();
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    m_error = "the proxy did not listen";
    return false;
}

namespace {

// Waits until the child listens on the port; false (with the reason) when it ended or never did.
bool WaitUntilListening(pid_t& pid, int port, std::string& error) {
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < until) {
        if (CanConnect(port))
            return true;
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) {
            pid = -1;
            error = "the server ended at once";
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    error = "the server did not listen";
    return false;
}

const char* kSocksProgram = "/usr/bin/microsocks";

} // namespace

bool LoopbackSocks5::IsAvailable() {
    return access(kSocksProgram, X_OK) == 0;
}

bool LoopbackSocks5::Start() {
    m_port = FreeLoopbackPort();
    if (m_port == 0) {
        m_error = "no free port";
        return false;
    }
    std::vector<std::string> args = {kSocksProgram, "-i", "127.0.0.1", "-p",
                                     std::to_string(m_port)};
    if (!m_user.empty()) {
        args.insert(args.end(), {"-u", m_user, "-P", m_password});
    }
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    int rc = posix_spawn(&m_pid, kSocksProgram, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        m_pid = -1;
        m_error = "cannot start the SOCKS server";
        return false;
    }
    return WaitUntilListening(m_pid, m_port, m_error);
}

LoopbackSocks5::~LoopbackSocks5() {
    StopChildProcess(m_pid);
}

void StopChildProcess(pid_t pid) {
    if (pid <= 0)
        return;
    kill(pid, SIGTERM);
    int status = 0;
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > until) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

LoopbackProxy::~LoopbackProxy() {
    StopChildProcess(m_pid);
}

std::string LoopbackProxy::Log() const {
    std::ifstream in(m_logPath);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

} // namespace test_net
