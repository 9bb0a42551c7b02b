// The fake phone of fake_modem.py on its own pseudo-terminal, for the tests of the phone link;
// ended with the test. The script path comes from the test target (FAKE_MODEM_SCRIPT).
#pragma once

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace test_modem {

// Received messages as a phone lists them: centre +8613800100500, sender +8613912345678, time
// stamp 2026-12-10 14:30:05 +08.
inline const std::string kHead = "0891683108100005F0";
inline const std::string kFrom = "0D91683119325476F8";
inline const std::string kStamp = "62210141035023";
inline const std::string kHello = kHead + "04" + kFrom + "0000" + kStamp + "05E8329BFD06";
inline const std::string kUcs2 = kHead + "04" + kFrom + "0008" + kStamp + "044F60597D";
// A message the phone keeps to send: an SMS-SUBMIT, not for the reader.
inline const std::string kStoredSubmit = "0891683108100005F011000D91683108108300F00000FF05E8329BFD06";

class FakeModem {
public:
    FakeModem(const std::filesystem::path& dir, const std::string& script) {
        link = (dir / "modem").string();
        // A link left by an earlier phone in the folder would be taken for this one's.
        std::error_code ec;
        std::filesystem::remove(link, ec);
        // Debian's interpreter when there is one: a version manager's shim in front of "python3"
        // costs a large part of a second per start on a busy machine.
        const char* python =
            std::filesystem::exists("/usr/bin/python3") ? "/usr/bin/python3" : "python3";
        std::vector<std::string> args = {python, FAKE_MODEM_SCRIPT, link, script};
        std::vector<char*> argv;
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        if (posix_spawnp(&pid, python, nullptr, nullptr, argv.data(), environ) != 0)
            pid = -1;
        for (int i = 0; i < 800 && !std::filesystem::exists(link); i++)
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    ~FakeModem() { Kill(); }
    FakeModem(const FakeModem&) = delete;
    FakeModem& operator=(const FakeModem&) = delete;

    bool ok() const { return pid > 0 && std::filesystem::exists(link); }
    void Kill() {
        if (pid > 0) {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
            pid = -1;
        }
    }
    // The logged lines of a kind ("CMD " commands, "PDU " sent messages), without the kind.
    std::vector<std::string> Log(const char* kind = "CMD ") const {
        std::vector<std::string> lines;
        std::ifstream in(link + ".log");
        for (std::string l; std::getline(in, l);)
            if (l.rfind(kind, 0) == 0)
                lines.push_back(l.substr(strlen(kind)));
        return lines;
    }

    std::string link;
    pid_t pid = -1;
};

} // namespace test_modem
