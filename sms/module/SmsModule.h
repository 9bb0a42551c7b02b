// Writing short messages joined to the main window: the compose form is the right pane's fixed
// view 2, its sends go through the application's manager for the active account, and the
// address-book tree stays in picking while a message is written.
#pragma once

#include "shell/ShellModule.h"
#include "sms/SmsBox.h"
#include "sms/ui/ComposeHost.h"
#include "sms/ui/SmsView.h"

class CSendersView;

class CSmsModule : public CShellModule, public CISmsComposeHost, public CISmsListHost {
public:
    int GetFolder() const override { return FolderSms; }
    CRuntimeClass* GetFolderClass() const override;
    std::vector<CString> GetExtensions() const override { return {".sdr"}; }
    CDocument* OpenFile(CMainFrame* pFrame, LPCTSTR lpszPath, const CString& ext) override;
    BOOL CloseFiles(CMainFrame* pFrame) override;
    std::vector<CString> GetOpenFiles(const CString& ext) const override;
    void OnPresetFilesChanged(const CString& ext) override;
    int FileNewMessages(CMainFrame* pFrame, void* pAccount, _CSmsBox* pBox) override;
    void RegisterViews() override;
    void ConnectFrame(CMainFrame* pFrame) override;
    void OnExit(CSmsApp* pApp) override;
    // The sender document's type (template 82): its file type, described to the desktop.
    CDocTemplate* CreateDocTemplate() override;
    // Refused while a message is written or an account edited in the senders folder.
    BOOL CanClose(CString& reason) override;

    _CSender* GetActiveSender() override;
    void SetActiveSender(_CSender* pAccount) override;
    CCommDevice* GetCommDevice() override;
    void OnSmsWritten(_CSender* pAccount) override;
    void ShowWriting(BOOL bWriting) override;
    CWnd* GetPickTree() override;
    CImageList* GetContactImages() override;
    int GetContactImage(_CPerson* pPerson) override;

    // The program's message clipboard box, and the compose form of the right pane.
    _CSmsBox* GetClipboardBox() override { return &m_clipboard; }
    CEditSmsForm* OpenComposeForm(CDocument* pDoc, CWnd* pSource) override;
    BOOL EditCurrentSms(CDocument* pDoc, CWnd* pSource) override;
    CMsgAccountBase* GetCurrentSender() override;

    // The senders tree of the folder, null before the frame exists.
    CSendersView* GetSendersTree() const;

private:
    HWND m_hTree = nullptr;
    HWND m_hSenders = nullptr;
    _CSmsBox m_clipboard;
};

// Registers the program's one message-writing module (once).
void RegisterSmsModule();
