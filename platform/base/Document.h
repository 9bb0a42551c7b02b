// The framework's document without windows: a path, a title, a modified flag and the standard
// ways a document is emptied, read from a file and written to one. The window layer adds views
// and frames through the view list and the view host below; nothing here draws.
#pragma once

#include <functional>
#include <string>

#include "platform/base/Collections.h"
#include "platform/base/CString.h"
#include "platform/base/Exception.h"
#include "platform/base/Object.h"
#include "platform/base/Types.h"

class CArchive;
class CFile;
class CStdioFile;
class CView;
class CDocument;

// Prompt ids of the three default load/save messages.
#define AFX_IDP_INVALID_FILENAME 0xF100
#define AFX_IDP_FAILED_TO_OPEN_DOC 0xF101
#define AFX_IDP_FAILED_TO_SAVE_DOC 0xF102

// What the window layer does for documents: views are updated and frame titles follow the
// document's title and modified state. Without a host these are no-ops.
class IDocumentViewHost {
public:
    virtual ~IDocumentViewHost() = default;
    virtual void UpdateView(CView* pView, CView* pSender, LPARAM lHint, CObject* pHint) = 0;
    virtual void OnDocumentTitleChanged(CDocument* pDoc) = 0;
    // The document was given a path it is to be remembered by (SetPathName with bAddToMRU).
    virtual void OnDocumentPathSet(CDocument* /*pDoc*/, LPCTSTR /*lpszPathName*/) {}
    // The view now belongs to pDoc (null: to no document): its document pointer follows.
    virtual void SetViewDocument(CView* /*pView*/, CDocument* /*pDoc*/) {}
};

// Runs work and answers TRUE when it failed. failure is then the exception to report (to be freed
// with Delete), a CMemoryException for exhausted memory, or null for a failure that carries no
// framework exception (a record that met a value it cannot hold).
BOOL CatchLoadSaveFailure(const std::function<void()>& work, CException*& failure);

class CDocument : public CObject {
    DECLARE_DYNAMIC(CDocument)
public:
    CDocument();
    ~CDocument() override;

    // The full path of the file the document was read from or last saved to; empty for a new
    // document. Setting it also makes the title the path's file name, and with bAddToMRU the
    // path joins the recent-file list of the window layer.
    virtual void SetPathName(LPCTSTR lpszPathName, BOOL bAddToMRU = TRUE);
    const CString& GetPathName() const { return m_strPathName; }
    virtual void SetTitle(LPCTSTR lpszTitle);
    const CString& GetTitle() const { return m_strTitle; }

    virtual BOOL IsModified();
    virtual void SetModifiedFlag(BOOL bModified = TRUE);

    // Empties the document's data; the base has none.
    virtual void DeleteContents();
    virtual BOOL OnNewDocument();
    // Reads the whole file as one archive through Serialize. On failure the user is told and
    // FALSE returned; a read that failed part-way leaves the document empty.
    virtual BOOL OnOpenDocument(LPCTSTR lpszPathName);
    // Writes the archive beside the file and puts it in the file's place only when complete,
    // so a failed save leaves the old file as it was.
    virtual BOOL OnSaveDocument(LPCTSTR lpszPathName);

    // Tells the user why a load or save failed: nothing for a CUserException (already told), the
    // file's own message for a failure to reach the file, otherwise the default prompt.
    virtual void ReportSaveLoadException(LPCTSTR lpszPathName, CException* e, BOOL bSaving,
                                         UINT nIDPDefault);
    // The built-in text of a default prompt id; empty for other ids.
    static CString GetDefaultPromptText(UINT nIDPrompt);
    // "打开文档失败。" and, on a line of its own, the file's path as the user knows it.
    static CString GetFailedToOpenText(LPCTSTR lpszPathName);

    // Views: kept for the window layer, which owns them. Adding a view makes this its document
    // (a view belongs to one document at a time); removing it leaves the view with none.
    virtual void AddView(CView* pView);
    virtual void RemoveView(CView* pView);
    POSITION GetFirstViewPosition() const { return m_viewList.GetHeadPosition(); }
    CView* GetNextView(POSITION& rPosition) const {
        return static_cast<CView*>(m_viewList.GetNext(rPosition));
    }
    virtual void OnChangedViewList() {}
    void UpdateAllViews(CView* pSender, LPARAM lHint = 0, CObject* pHint = nullptr);

    // Process-wide hooks. Both return the previous one; null restores the default.
    static IDocumentViewHost* SetViewHost(IDocumentViewHost* pHost);
    // How messages reach the user (GBK text, message-box type). The default writes the text to
    // stderr and answers 1 (OK); the window layer installs a message box, tests a recorder.
    typedef int (*MessageHook)(LPCTSTR text, UINT type);
    static MessageHook SetMessageHook(MessageHook hook);
    static int ShowMessage(LPCTSTR text, UINT type = 0);

    // The loading half of OnOpenDocument over a file that is already open: empties the
    // document, reads pFile from its current position through Serialize, and on an error
    // empties the document again and reports with the open-failure prompt.
    BOOL ReadArchiveFrom(CFile* pFile, LPCTSTR lpszPathName);
    // The saving half of OnSaveDocument: Serialize, let pfnEncode change the bytes in place (null:
    // none; it is given pieces of the file with the offset each stands at), and replace the file
    // as ReplaceFileContents does. Reports and answers FALSE on failure.
    typedef void (*ImageEncoder)(BYTE* pData, size_t nSize, ULONGLONG nOffset);
    BOOL WriteArchiveTo(LPCTSTR lpszPathName, ImageEncoder pfnEncode);
    // Puts nSize bytes in the file's place: written to a new file in the same folder, flushed to
    // the disk, then renamed over the path. Throws CFileException; the old file is untouched then.
    // Temporary files that saves killed part-way left beside the file are removed first.
    static void ReplaceFileContents(LPCTSTR lpszPathName, const BYTE* pData, size_t nSize);
    // The same for a file the operating system names (UTF-8, '/'): the stores kept outside the
    // program's folder, such as the profile and the desktop's files, whose folders need not have
    // names a program path can hold.
    static void ReplaceOsFileContents(const std::string& osPath, const BYTE* pData, size_t nSize);
    // The same for a file written piece by piece: what `write` writes to the file it is given
    // (text mode turns each "\n" into "\r\n") takes the path's place once complete, with a
    // save's rules: an existing target must be a regular file no one holds, and another user's
    // link in a shared sticky folder is not followed. Throws CFileException (or what `write`
    // throws); the old file is untouched then.
    static void ReplaceFileWriting(LPCTSTR lpszPathName, BOOL bText,
                                   const std::function<void(CStdioFile&)>& write);
    // Whether a new file of that path could be created (its folder exists and takes files);
    // fills pError when not.
    static BOOL CanCreateFileIn(const CString& path, CFileException* pError);

    BOOL m_bAutoDelete = TRUE;

protected:
    CString m_strTitle;
    CString m_strPathName;
    BOOL m_bModified = FALSE;
    CPtrList m_viewList;
};
