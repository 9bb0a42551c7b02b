// Writing short messages joined to the main window: the compose form is the right pane's fixed
// view 2, its sends go through the application's manager for the active account, and the
// address-book tree stays in picking while a message is written.
#pragma once

#include "shell/ShellModule.h"
#include "sms/SmsBox.h"
#include "sms/ui/ComposeHost.h"
#include "sms/ui/SmsView.h"

class CSmsModule : public CShellModule, public CISmsComposeHost, public CISmsListHost {
public:
    void RegisterViews() override;
    void ConnectFrame(CMainFrame* pFrame) override;
    void OnExit(CSmsApp* pApp) override;

    _CSender* GetActiveSender() override;
    CCommDevice* GetCommDevice() override;
    CWnd* GetPickTree() override;
    CImageList* GetContactImages() override;
    int GetContactImage(_CPerson* pPerson) override;

    // The program's message clipboard box, and the compose form of the right pane.
    _CSmsBox* GetClipboardBox() override { return &m_clipboard; }
    CEditSmsForm* OpenComposeForm(CDocument* pDoc, CWnd* pSource) override;
    BOOL EditCurrentSms(CDocument* pDoc, CWnd* pSource) override;
    CMsgAccountBase* GetCurrentSender() override;

private:
    HWND m_hTree = nullptr;
    _CSmsBox m_clipboard;
};

// Registers the program's one message-writing module (once).
void RegisterSmsModule();
