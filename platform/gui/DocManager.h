// The document manager: the list of document templates, opening files with the template that
// suits them best (or activating a document that is open already), new documents, saving and
// closing everything, the recent-file list, and the file types the desktop associates with the
// program.
#pragma once

#include "platform/gui/DocTemplate.h"

#include <functional>

class CRecentFileList;

class CDocManager : public CObject {
    DECLARE_DYNAMIC(CDocManager)
public:
    CDocManager();
    ~CDocManager() override;

    // Takes ownership of the template.
    virtual void AddDocTemplate(CDocTemplate* pTemplate);
    POSITION GetFirstDocTemplatePosition() const { return m_templateList.GetHeadPosition(); }
    CDocTemplate* GetNextDocTemplate(POSITION& pos) const {
        return static_cast<CDocTemplate*>(m_templateList.GetNext(pos));
    }
    int GetDocumentCount() const;

    // The best template opens the file; an open document is activated (its frame shown and
    // brought forward) and returned instead. An empty or missing path fails.
    virtual CDocument* OpenDocumentFile(LPCTSTR lpszFileName);
    // A shell command: [open("path")] opens the file through the application's
    // OpenDocumentFile and brings a minimised main window back. FALSE for anything else or when
    // the file did not open.
    virtual BOOL OnDDECommand(LPTSTR lpszCommand);
    // A new document of the first template.
    virtual void OnFileNew();
    // Asks for a file (the file dialog) and opens it.
    virtual void OnFileOpen();
    virtual BOOL SaveAllModified();
    virtual void CloseAllDocuments(BOOL bEndSession);
    // Asks for a file name; bOpenFileDialog chooses open or save. pTemplate (null: all
    // templates) gives the filters. Answers FALSE when cancelled.
    virtual BOOL DoPromptFileName(CString& fileName, UINT nIDSTitle, DWORD lFlags,
                                  BOOL bOpenFileDialog, CDocTemplate* pTemplate);

    // The recent-file list the manager adds opened files to (not owned; null: none).
    CRecentFileList* m_pRecentFileList = nullptr;
    // A file opened or saved under a new name: into m_pRecentFileList, and handed to the
    // application's AddToRecentFileList.
    virtual void AddToRecentFileList(LPCTSTR lpszPathName);

    // Writes the file types of the templates into the profile's classes key: the type id with
    // its name and open command ("<program> \"%1\""), and the extension naming the type.
    virtual void RegisterShellFileTypes(BOOL bCompat = FALSE);
    virtual void UnregisterShellFileTypes();

protected:
    CPtrList m_templateList;
};

// The process's document manager (made on first use).
CDocManager* AfxGetDocManager();
// Replaces it (taking ownership; the previous one is deleted). Tests and programs with their own
// manager class use it.
void AfxSetDocManager(CDocManager* pManager);

// The file dialog of DoPromptFileName: the filters of every template (or of pTemplate), then
// "所有文件 (*.*)".
BOOL AfxPromptForDocumentFile(CString& fileName, BOOL bOpen, CDocManager* pManager,
                              CDocTemplate* pTemplate = nullptr);

// Asks for a file name instead of the file dialog: tests answer with a path or cancel.
using FileNamePromptHook = std::function<BOOL(CString& fileName, BOOL bOpen)>;
FileNamePromptHook AfxSetFileNamePromptHook(FileNamePromptHook hook);
