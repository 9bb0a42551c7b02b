// A private X display with a real window manager for the tests whose behaviour depends on one:
// Xvfb on a free display number, openbox on it, and this process's Qt pointed at it. The
// session starts before the first test makes the Qt application and ends with the process.
#pragma once

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

class WmSession {
public:
    static WmSession& Instance() {
        static WmSession session;
        return session;
    }
    bool Ready() const { return m_ready; }
    // Called before the Qt application is made: without a display Qt draws offscreen, for the
    // tests to skip themselves.
    static void ChoosePlatform() {
        if (!Instance().Ready())
            ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    const std::string& Why() const { return m_why; }
    const std::string& Display() const { return m_display; }

    // What a command of the X utilities prints (xprop, xwininfo), or "" when it cannot run.
    static std::string Run(const std::string& command) {
        std::string out;
        if (FILE* p = ::popen((command + " 2>/dev/null").c_str(), "r")) {
            char buf[4096];
            size_t n;
            while ((n = fread(buf, 1, sizeof buf, p)) > 0)
                out.append(buf, n);
            ::pclose(p);
        }
        return out;
    }

    ~WmSession() {
        for (pid_t pid : {m_wm, m_server})
            if (pid > 0) {
                ::kill(pid, SIGTERM);
                ::waitpid(pid, nullptr, 0);
            }
    }

private:
    WmSession() {
        if (Run("command -v Xvfb").empty() || Run("command -v openbox").empty() ||
            Run("command -v xprop").empty()) {
            m_why =
                "Xvfb, openbox or xprop is not installed (scripts/install-deps.sh installs them)";
            return;
        }
        int fds[2];
        if (::pipe(fds) != 0) {
            m_why = "no pipe";
            return;
        }
        // Xvfb picks a free display number itself and writes it to the pipe.
        std::string fd = std::to_string(fds[1]);
        m_server = Spawn(
            {"Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x900x24", "-nolisten", "tcp"});
        ::close(fds[1]);
        std::string number = ReadLine(fds[0], 15000);
        ::close(fds[0]);
        if (m_server <= 0 || number.empty()) {
            m_why = "Xvfb did not start";
            return;
        }
        m_display = ":" + number;
        ::setenv("DISPLAY", m_display.c_str(), 1);
        ::setenv("QT_QPA_PLATFORM", "xcb", 1);
        m_wm = Spawn({"openbox", "--sm-disable"});
        // The window manager is ready once it names itself on the root window.
        auto until = std::chrono::steady_clock::now() + std::chrono::seconds(15);
        while (std::chrono::steady_clock::now() < until) {
            if (Run("xprop -root _NET_SUPPORTING_WM_CHECK").find("window id") !=
                std::string::npos) {
                m_ready = true;
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        m_why = "openbox did not start";
    }

    static pid_t Spawn(std::vector<const char*> args) {
        args.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        pid_t pid = 0;
        int rc = ::posix_spawnp(&pid, args[0], &actions, nullptr,
                                const_cast<char* const*>(args.data()), environ);
        posix_spawn_file_actions_destroy(&actions);
        return rc == 0 ? pid : -1;
    }

    static std::string ReadLine(int fd, int ms) {
        std::string line;
        while (line.empty() || line.back() != '\n') {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, ms) <= 0)
                return std::string();
            char c;
            if (::read(fd, &c, 1) != 1)
                return std::string();
            line += c;
        }
        line.pop_back();
        return line;
    }

    bool m_ready = false;
    std::string m_why;
    std::string m_display;
    pid_t m_server = -1;
    pid_t m_wm = -1;
};
