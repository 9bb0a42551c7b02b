// Document templates: which document, frame and view classes serve one kind of file, and the
// description of that kind (string resource: window title, document name, new-file name, filter
// name, extension, type id, type name, separated by "\n").
#pragma once

#include "platform/gui/View.h"

class CFrameWnd;

class CDocTemplate : public CCmdTarget {
    DECLARE_DYNAMIC(CDocTemplate)
public:
    enum DocStringIndex {
        windowTitle,
        docName,
        fileNewName,
        filterName,
        filterExt,
        regFileTypeId,
        regFileTypeName
    };
    enum Confidence {
        noAttempt,
        maybeAttemptForeign,
        maybeAttemptNative,
        yesAttemptForeign,
        yesAttemptNative,
        yesAlreadyOpen
    };

    CDocTemplate(UINT nIDResource, CRuntimeClass* pDocClass, CRuntimeClass* pFrameClass,
                 CRuntimeClass* pViewClass);
    ~CDocTemplate() override;

    UINT GetResourceID() const { return m_nIDResource; }
    virtual BOOL GetDocString(CString& rString, DocStringIndex index) const;
    // Loads the description from the string resource (done by the document manager).
    virtual void LoadTemplate();

    virtual POSITION GetFirstDocPosition() const = 0;
    virtual CDocument* GetNextDoc(POSITION& rPos) const = 0;
    virtual void AddDocument(CDocument* pDoc);
    virtual void RemoveDocument(CDocument* pDoc);

    // How well a file suits this template: already open here (paths compared without regard to
    // case, like the file system the program was made for), or by its extension.
    virtual Confidence MatchDocType(LPCTSTR lpszPathName, CDocument*& rpDocMatch);
    virtual CDocument* CreateNewDocument();
    virtual CFrameWnd* CreateNewFrame(CDocument* pDoc, CFrameWnd* pOther);
    virtual void InitialUpdateFrame(CFrameWnd* pFrame, CDocument* pDoc, BOOL bMakeVisible = TRUE);
    // Opens a file (null: a new document) in a new or the reused document and its frame.
    virtual CDocument* OpenDocumentFile(LPCTSTR lpszPathName, BOOL bMakeVisible = TRUE) = 0;
    virtual void SetDefaultTitle(CDocument* pDoc) = 0;
    virtual BOOL SaveAllModified();
    virtual void CloseAllDocuments(BOOL bEndSession);

    CRuntimeClass* m_pDocClass;
    CRuntimeClass* m_pFrameClass;
    CRuntimeClass* m_pViewClass;

protected:
    UINT m_nIDResource;
    CString m_strDocStrings;
};

// Several documents at once, each in its own child frame.
class CMultiDocTemplate : public CDocTemplate {
    DECLARE_DYNAMIC(CMultiDocTemplate)
public:
    CMultiDocTemplate(UINT nIDResource, CRuntimeClass* pDocClass, CRuntimeClass* pFrameClass,
                      CRuntimeClass* pViewClass);
    ~CMultiDocTemplate() override;

    POSITION GetFirstDocPosition() const override { return m_docList.GetHeadPosition(); }
    CDocument* GetNextDoc(POSITION& rPos) const override {
        return static_cast<CDocument*>(m_docList.GetNext(rPos));
    }
    void AddDocument(CDocument* pDoc) override;
    void RemoveDocument(CDocument* pDoc) override;
    CDocument* OpenDocumentFile(LPCTSTR lpszPathName, BOOL bMakeVisible = TRUE) override;
    // "Name1", "Name2", ...: the document name and a number counting the untitled documents.
    void SetDefaultTitle(CDocument* pDoc) override;

    HMENU m_hMenuShared = nullptr;
    HACCEL m_hAccelTable = nullptr;

protected:
    CPtrList m_docList;
    UINT m_nUntitledCount = 0;
};

// One document at a time in the main frame; opening another replaces it.
class CSingleDocTemplate : public CDocTemplate {
    DECLARE_DYNAMIC(CSingleDocTemplate)
public:
    CSingleDocTemplate(UINT nIDResource, CRuntimeClass* pDocClass, CRuntimeClass* pFrameClass,
                       CRuntimeClass* pViewClass);
    ~CSingleDocTemplate() override;

    POSITION GetFirstDocPosition() const override { return m_pOnlyDoc ? (POSITION)1 : nullptr; }
    CDocument* GetNextDoc(POSITION& rPos) const override;
    void AddDocument(CDocument* pDoc) override;
    void RemoveDocument(CDocument* pDoc) override;
    CDocument* OpenDocumentFile(LPCTSTR lpszPathName, BOOL bMakeVisible = TRUE) override;
    void SetDefaultTitle(CDocument* pDoc) override;

protected:
    CDocument* m_pOnlyDoc = nullptr;
};

// Whether two paths name the same file: letters compared without case, either separator.
BOOL AfxComparePath(LPCTSTR lpszPath1, LPCTSTR lpszPath2);
// The template that holds a document, or null.
CDocTemplate* AfxGetDocTemplate(CDocument* pDoc);
// Asks the user whether a modified document is to be saved ("是否保存对 %1 的更改?"): Yes saves
// (FALSE when the save fails), No goes on, Cancel answers FALSE. An unmodified document answers
// TRUE at once.
BOOL AfxSaveModified(CDocument* pDoc);
// Saves to its path, or asks for one (through the file dialog) when it has none or bSaveAs is
// set. A path chosen becomes the document's and joins the recent-file list.
BOOL AfxDoFileSave(CDocument* pDoc, BOOL bSaveAs = FALSE);
// Closes a document: its frames are destroyed, then the document is emptied and, when it deletes
// itself, deleted.
void AfxCloseDocument(CDocument* pDoc);
// A view left pDoc: the document closes when that was its last view and it deletes itself.
void AfxDocumentLostView(CDocument* pDoc);
