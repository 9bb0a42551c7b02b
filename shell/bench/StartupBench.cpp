// Start-up and exit figures of the program: from the application object's construction to a
// shown main window whose first idle pass has run (faces and icons loaded, command states up to
// date), and from the exit command to the end of the exit (the profile written back). Runs in a temporary folder of its own,
// as a first start (the shipped faces copied in) and then as later starts; prints the first, best
// and median time of each (target: under 1 s each).
#include "platform/gui/TrayIcon.h"
#include "platform/gui/Wnd.h"
#include "shell/MainFrm.h"
#include "shell/SmsApp.h"

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

void Print(const char* what, std::vector<double> v) {
    double first = v.front();
    std::sort(v.begin(), v.end());
    std::printf("%-28s first %7.1f ms   best %7.1f ms   median %7.1f ms\n", what, first, v.front(),
                v[v.size() / 2]);
}

} // namespace

int main() {
    std::string pattern = (std::filesystem::temp_directory_path() / "quillmar-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        return 1;
    const std::filesystem::path dir = pattern;
    setenv("QUILLMAR_HOME", (dir / "home").c_str(), 1);
    setenv("QUILLMAR_CONFIG", (dir / "config").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    AfxEnsureGuiApp();
    AfxSetTrayAvailableForTesting(1);

    const int rounds = 7;
    std::vector<double> starts, exits;
    for (int i = 0; i < rounds; ++i) {
        auto t0 = Clock::now();
        {
            CSmsApp app;
            if (!app.InitInstance()) {
                std::fprintf(stderr, "start-up failed\n");
                return 1;
            }
            // The waiting messages, then the loop's first idle pass (the command states), as
            // Run gives them, end the start-up.
            QCoreApplication::processEvents();
            app.OnIdle(0);
            auto t1 = Clock::now();
            app.GetMainFrame()->CloseForExit();
            app.ExitInstance();
            auto t2 = Clock::now();
            starts.push_back(Ms(t1 - t0));
            exits.push_back(Ms(t2 - t1));
        }
        QCoreApplication::processEvents();
    }
    Print("start-up to an idle window", starts);
    Print("exit", exits);
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
    return 0;
}
