// The whole program run offscreen by the tests of the shell and of its modules: folders and
// settings of the test's own, the start as main() does it and the end as the exit command does.
#pragma once

#include "platform/base/Profile.h"
#include "platform/base/tests/TempFolder.h"
#include "shell/MainFrm.h"
#include "shell/SmsApp.h"

#include <QCoreApplication>

#include <memory>
#include <vector>

// Home, settings and runtime folders in a temporary folder; the settings read afresh on the way in
// and out.
class AppFolders {
public:
    test_folders::TempDir dir;
    test_folders::ScopedEnv home{"QUILLMAR_HOME", (dir.path() / "home").string()};
    test_folders::ScopedEnv config{"QUILLMAR_CONFIG", (dir.path() / "config").string()};
    test_folders::ScopedEnv runtime{"XDG_RUNTIME_DIR", dir.str()};
    AppFolders() { CProfileStore::ReloadForTesting(); }
    ~AppFolders() { CProfileStore::ReloadForTesting(); }
};

// Starts the application as main() does, given files to open; null when start-up ended it.
inline std::unique_ptr<CSmsApp> StartProgram(std::vector<CString> files = {}) {
    auto app = std::make_unique<CSmsApp>();
    app->SetStartFiles(files);
    if (!app->InitInstance())
        return nullptr;
    for (int i = 0; i < 5; ++i) // what the first show posted
        QCoreApplication::processEvents();
    return app;
}

// Closes as the exit command does and runs the exit; FALSE when the window stayed.
inline BOOL ExitProgram(CSmsApp& app) {
    CMainFrame* frame = app.GetMainFrame();
    HWND h = frame->GetSafeHwnd();
    frame->CloseForExit();
    if (::IsWindow(h))
        return FALSE;
    app.ExitInstance();
    return TRUE;
}
