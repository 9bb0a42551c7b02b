// The address book joined to the main window: its navigation folder is the address-book tree,
// it opens ".sms" files given to the program and closes its books when the program ends.
#pragma once

#include "shell/ShellModule.h"

class CLeftView;

class CContactsModule : public CShellModule {
public:
    int GetFolder() const override { return FolderAddressBook; }
    CRuntimeClass* GetFolderClass() const override;
    // Address books open as books; a contact card joins the current group of the open book.
    std::vector<CString> GetExtensions() const override { return {".sms", ".psn"}; }
    void RegisterViews() override;
    void ConnectFrame(CMainFrame* pFrame) override;
    CDocument* OpenFile(CMainFrame* pFrame, LPCTSTR lpszPath, const CString& ext) override;
    BOOL CloseFiles(CMainFrame* pFrame) override;
    void OnExit(CSmsApp* pApp) override;
    // With "AutoRemindBirthday" set and a book open: the address book comes up with the
    // birthday reminder over every open book.
    void OnStartup(CSmsApp* pApp) override;
    // The books open in the tree that have a file, in the tree's order.
    std::vector<CString> GetOpenFiles(const CString& ext) const override;

    // The tree of the frame connected last (null before or after it).
    CLeftView* GetTree() const;

private:
    HWND m_hTree = nullptr;
};

// Registers the program's one address-book module (once).
void RegisterContactsModule();
