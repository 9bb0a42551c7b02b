// The notes module: the "日常记事" folder's notebook tree, the ".ntp" files it opens, the page list
// and the page editor of the right pane's notes views, and closing the notebooks at exit.
#pragma once

#include "shell/ShellModule.h"

class CNoteTreeView;

class CNotesModule : public CShellModule {
public:
    int GetFolder() const override { return FolderNotes; }
    CRuntimeClass* GetFolderClass() const override;
    std::vector<CString> GetExtensions() const override { return {".ntp"}; }
    void RegisterViews() override;
    void ConnectFrame(CMainFrame* pFrame) override;
    CDocument* OpenFile(CMainFrame* pFrame, LPCTSTR lpszPath, const CString& ext) override;
    BOOL CloseFiles(CMainFrame* pFrame) override;
    std::vector<CString> GetOpenFiles(const CString& ext) const override;

    CNoteTreeView* GetTree() const;

private:
    HWND m_hTree = nullptr;
};

// The information base: the "信息大全" folder's tree and the right pane's information list.
class CInfoModule : public CShellModule {
public:
    int GetFolder() const override { return FolderInfo; }
    CRuntimeClass* GetFolderClass() const override;
    void RegisterViews() override;
    void ConnectFrame(CMainFrame* pFrame) override;
};

// Registers the notes and the information base.
void RegisterNotesModule();
