// A real SMTP server run by a test as a child process on a free loopback port, writing what it
// takes into a folder of its own (N.eml and N.env per message, see the peer scripts), stopped by
// the destructor.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "mail/tests/MailTestSupport.h"
#include "platform/base/tests/TempFolder.h"
#include "testsupport/LoopbackProxy.h"

extern char** environ;

namespace mailtest {

class SmtpPeer {
public:
    // Starts the program with its arguments followed by the port and the folder; false (with the
    // reason in Error()) when it did not come up within 20 seconds.
    bool Start(const std::vector<std::string>& command) {
        m_port = test_net::FreeLoopbackPort();
        std::vector<std::string> args = command;
        args.push_back(std::to_string(m_port));
        args.push_back(m_folder.str());
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        const std::string log = m_folder.str() + "/server.log";
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
        const int rc = posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (rc != 0) {
            m_pid = -1;
            m_error = "cannot start " + command[0];
            return false;
        }
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (std::chrono::steady_clock::now() < until) {
            if (std::filesystem::exists(m_folder.path() / "ready"))
                return true;
            int status = 0;
            if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_pid = -1;
                m_error = "the server ended at once: " + ReadBytes(log);
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        m_error = "the server did not come up: " + ReadBytes(log);
        return false;
    }
    ~SmtpPeer() { test_net::StopChildProcess(m_pid); }

    UINT Port() const { return static_cast<UINT>(m_port); }
    const std::string& Error() const { return m_error; }
    std::string Folder() const { return m_folder.str(); }
    // The n-th message taken (from 1): its envelope notes and its text; "" when there is none.
    std::string Envelope(int n) const { return ReadBytes(Path(n, ".env")); }
    std::string Text(int n) const { return ReadBytes(Path(n, ".eml")); }
    std::string TextPath(int n) const { return Path(n, ".eml"); }
    std::string Log() const { return ReadBytes(m_folder.str() + "/server.log"); }

private:
    std::string Path(int n, const char* ext) const {
        return m_folder.str() + "/" + std::to_string(n) + ext;
    }
    test_folders::TempDir m_folder;
    pid_t m_pid = -1;
    int m_port = 0;
    std::string m_error;
};

} // namespace mailtest
