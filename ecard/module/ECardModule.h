// The e-card service in the program: the log-in command (tool bar, About's button, the tools
// menu), the log-in at start when the setting asks for it, no close while a user talks to the
// service, and the users' windows closed at exit.
#pragma once

#include "shell/ShellModule.h"

#include <memory>

class CECUsersManager;

class CECardModule : public CShellModule {
public:
    enum { ID_ECARD_LOGIN = 1529 };

    CECardModule();
    ~CECardModule() override;

    BOOL OnAppCommand(CSmsApp* pApp, UINT nID, int nCode, void* pExtra,
                      AFX_CMDHANDLERINFO* pHandlerInfo) override;
    void OnStartup(CSmsApp* pApp) override;
    // The users' windows bring their tool bars up to date, as the main window does.
    BOOL OnIdle(CSmsApp* pApp, LONG lCount) override;
    BOOL CanClose(CString& reason) override;
    void OnExit(CSmsApp* pApp) override;

    // Made by the first log-in or at start; null before.
    CECUsersManager* GetUsersManager() const { return m_pManager.get(); }
    CECUsersManager& EnsureUsersManager();
    void ShowLogin();

private:
    std::unique_ptr<CECUsersManager> m_pManager;
};

void RegisterECardModule();
