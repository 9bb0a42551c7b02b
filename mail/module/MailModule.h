// E-mail joined to the main window: the "电子邮件" folder with its accounts tree, the accounts
// opened from the data folder at start, and the compose frames asked before the program closes.
#pragma once

#include <utility>
#include <vector>

#include "platform/base/CString.h"
#include "shell/ShellModule.h"

class CEmailAccount;
class CEmailAccountsView;

class CMailModule : public CShellModule {
public:
    int GetFolder() const override { return FolderMail; }
    CRuntimeClass* GetFolderClass() const override;
    void RegisterViews() override;
    void ConnectFrame(CMainFrame* pFrame) override;
    void OnStartup(CSmsApp* pApp) override;
    void OnExit(CSmsApp* pApp) override;
    // Every compose frame is asked first, then the accounts close.
    BOOL CloseFiles(CMainFrame* pFrame) override;

    // The accounts tree of the folder, null before the frame exists.
    CEmailAccountsView* GetTree() const;

private:
    HWND m_hTree = nullptr;
    HWND m_hFrame = nullptr;
    // The accounts sending now, each with its line for the status bar, the latest last.
    std::vector<std::pair<CEmailAccount*, CString>> m_sending;
};

// Registers the e-mail module (once).
void RegisterMailModule();
