#include "platform/gui/DocTemplate.h"

#include "platform/base/Gbk.h"
#include "platform/gui/DocManager.h"
#include "platform/gui/Frame.h"
#include "platform/gui/Icon.h"
#include "platform/gui/Resource.h"
#include "platform/gui/WinApp.h"

#include <cctype>
#include <map>

IMPLEMENT_DYNAMIC(CDocTemplate, CCmdTarget)
IMPLEMENT_DYNAMIC(CMultiDocTemplate, CDocTemplate)
IMPLEMENT_DYNAMIC(CSingleDocTemplate, CDocTemplate)

namespace {

std::map<CDocument*, CDocTemplate*>& DocOwners() {
    static std::map<CDocument*, CDocTemplate*> owners;
    return owners;
}

// One character of a path for comparison: ASCII letters fold, both separators are one.
bool SamePathChar(const char* a, const char* b, int size) {
    if (size == 2)
        return a[0] == b[0] && a[1] == b[1];
    unsigned char x = (unsigned char)*a, y = (unsigned char)*b;
    if (x == '\\')
        x = '/';
    if (y == '\\')
        y = '/';
    return tolower(x) == tolower(y);
}

// Whether an extension (".psn") ends the path, letters compared without case.
bool EndsWithExtension(const CString& path, const CString& ext) {
    int n = ext.GetLength();
    if (n == 0 || path.GetLength() < n)
        return false;
    CString tail = path.Right(n);
    return tail.CompareNoCase(ext) == 0;
}

} // namespace

BOOL AfxComparePath(LPCTSTR a, LPCTSTR b) {
    size_t na = strlen(a), nb = strlen(b);
    size_t i = 0, j = 0;
    while (i < na && j < nb) {
        int sa = GbkCharSize(a + i, na - i), sb = GbkCharSize(b + j, nb - j);
        if (sa != sb || !SamePathChar(a + i, b + j, sa))
            return FALSE;
        i += sa;
        j += sb;
    }
    return i == na && j == nb;
}

CDocTemplate* AfxGetDocTemplate(CDocument* pDoc) {
    auto it = DocOwners().find(pDoc);
    return it == DocOwners().end() ? nullptr : it->second;
}

// ---- CDocTemplate ---------------------------------------------------------------------------

CDocTemplate::CDocTemplate(UINT nIDResource, CRuntimeClass* pDocClass, CRuntimeClass* pFrameClass,
                           CRuntimeClass* pViewClass)
    : m_pDocClass(pDocClass), m_pFrameClass(pFrameClass), m_pViewClass(pViewClass),
      m_nIDResource(nIDResource) {
    LoadTemplate();
}

CDocTemplate::~CDocTemplate() {
    for (auto it = DocOwners().begin(); it != DocOwners().end();)
        it = it->second == this ? DocOwners().erase(it) : std::next(it);
}

void CDocTemplate::LoadTemplate() {
    const char* s = AfxFindString(m_nIDResource);
    m_strDocStrings = s ? s : "";
}

BOOL CDocTemplate::GetDocString(CString& rString, DocStringIndex index) const {
    rString.Empty();
    int start = 0;
    for (int i = 0; i < (int)index; ++i) {
        int nl = m_strDocStrings.Find('\n', start);
        if (nl < 0)
            return FALSE;
        start = nl + 1;
    }
    int end = m_strDocStrings.Find('\n', start);
    rString = end < 0 ? m_strDocStrings.Mid(start) : m_strDocStrings.Mid(start, end - start);
    return TRUE;
}

void CDocTemplate::AddDocument(CDocument* pDoc) {
    DocOwners()[pDoc] = this;
}

void CDocTemplate::RemoveDocument(CDocument* pDoc) {
    auto it = DocOwners().find(pDoc);
    if (it != DocOwners().end() && it->second == this)
        DocOwners().erase(it);
}

CDocTemplate::Confidence CDocTemplate::MatchDocType(LPCTSTR lpszPathName, CDocument*& rpDocMatch) {
    rpDocMatch = nullptr;
    for (POSITION pos = GetFirstDocPosition(); pos;) {
        CDocument* doc = GetNextDoc(pos);
        if (!doc->GetPathName().IsEmpty() && AfxComparePath(doc->GetPathName(), lpszPathName)) {
            rpDocMatch = doc;
            return yesAlreadyOpen;
        }
    }
    CString exts;
    if (GetDocString(exts, filterExt) && !exts.IsEmpty()) {
        // Several extensions may be listed, separated by ';'.
        int start = 0;
        while (start <= exts.GetLength()) {
            int semi = exts.Find(';', start);
            CString ext = semi < 0 ? exts.Mid(start) : exts.Mid(start, semi - start);
            ext.Trim();
            if (ext.Left(1) == "*")
                ext = ext.Mid(1);
            if (EndsWithExtension(lpszPathName, ext))
                return yesAttemptNative;
            if (semi < 0)
                break;
            start = semi + 1;
        }
    }
    return maybeAttemptForeign;
}

CDocument* CDocTemplate::CreateNewDocument() {
    if (!m_pDocClass)
        return nullptr;
    CObject* obj = m_pDocClass->CreateObject();
    auto* doc = dynamic_cast<CDocument*>(obj);
    if (!doc) {
        delete obj;
        return nullptr;
    }
    AddDocument(doc);
    return doc;
}

CFrameWnd* CDocTemplate::CreateNewFrame(CDocument* pDoc, CFrameWnd* pOther) {
    if (!m_pFrameClass)
        return nullptr;
    CCreateContext context;
    context.m_pCurrentFrame = pOther;
    context.m_pCurrentDoc = pDoc;
    context.m_pNewViewClass = m_pViewClass;
    context.m_pNewDocTemplate = this;
    CObject* obj = m_pFrameClass->CreateObject();
    auto* frame = dynamic_cast<CFrameWnd*>(obj);
    if (!frame) {
        delete obj;
        return nullptr;
    }
    CWinApp* app = AfxGetApp();
    CWnd* parent = IsKindOf(RUNTIME_CLASS(CMultiDocTemplate)) && app ? app->m_pMainWnd : nullptr;
    if (!AfxCreateFrameSafely(frame, m_nIDResource, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE, parent,
                              &context))
        return nullptr;
    return frame;
}

void CDocTemplate::InitialUpdateFrame(CFrameWnd* pFrame, CDocument* pDoc, BOOL bMakeVisible) {
    pFrame->InitialUpdateFrame(pDoc, bMakeVisible);
}

BOOL CDocTemplate::SaveAllModified() {
    for (POSITION pos = GetFirstDocPosition(); pos;)
        if (!AfxSaveModified(GetNextDoc(pos)))
            return FALSE;
    return TRUE;
}

void CDocTemplate::CloseAllDocuments(BOOL) {
    // Closing removes the document from the list, so always take the first one left.
    POSITION pos;
    while ((pos = GetFirstDocPosition()) != nullptr) {
        CDocument* doc = GetNextDoc(pos);
        doc->m_bAutoDelete = TRUE;
        AfxCloseDocument(doc);
        if (GetFirstDocPosition() && GetNextDoc(pos = GetFirstDocPosition()) == doc)
            break; // a document that would not close
    }
}

// ---- CMultiDocTemplate ----------------------------------------------------------------------

CMultiDocTemplate::CMultiDocTemplate(UINT nIDResource, CRuntimeClass* pDocClass,
                                     CRuntimeClass* pFrameClass, CRuntimeClass* pViewClass)
    : CDocTemplate(nIDResource, pDocClass, pFrameClass, pViewClass) {
    CMenu menu;
    if (menu.LoadMenu(nIDResource))
        m_hMenuShared = menu.Detach();
}

CMultiDocTemplate::~CMultiDocTemplate() {
    if (m_hMenuShared) {
        CMenu menu;
        menu.Attach(m_hMenuShared);
    }
}

void CMultiDocTemplate::AddDocument(CDocument* pDoc) {
    CDocTemplate::AddDocument(pDoc);
    m_docList.AddTail(pDoc);
}

void CMultiDocTemplate::RemoveDocument(CDocument* pDoc) {
    CDocTemplate::RemoveDocument(pDoc);
    if (POSITION pos = m_docList.Find(pDoc))
        m_docList.RemoveAt(pos);
}

void CMultiDocTemplate::SetDefaultTitle(CDocument* pDoc) {
    CString name;
    if (!GetDocString(name, docName) || name.IsEmpty())
        name = "无标题";
    CString title;
    title.Format("%s%u", (LPCTSTR)name, ++m_nUntitledCount);
    pDoc->SetTitle(title);
}

// Creates the document and its frame, then fills the document; a failure takes both away again.
static CDocument* OpenInNewFrame(CDocTemplate* tpl, LPCTSTR lpszPathName, BOOL bMakeVisible) {
    CDocument* doc = tpl->CreateNewDocument();
    if (!doc)
        return nullptr;
    // The document must survive a frame that fails half-way; it goes with the frame below.
    BOOL autoDelete = doc->m_bAutoDelete;
    doc->m_bAutoDelete = FALSE;
    CFrameWnd* frame = tpl->CreateNewFrame(doc, nullptr);
    doc->m_bAutoDelete = autoDelete;
    if (!frame) {
        tpl->RemoveDocument(doc);
        delete doc;
        return nullptr;
    }
    BOOL ok;
    if (!lpszPathName) {
        tpl->SetDefaultTitle(doc);
        ok = doc->OnNewDocument();
    } else {
        CWaitCursor wait;
        ok = doc->OnOpenDocument(lpszPathName);
    }
    if (!ok) {
        // The frame's end closes the document when it deletes itself; otherwise it stays empty
        // and owned by whoever holds it.
        frame->DestroyWindow();
        return nullptr;
    }
    if (lpszPathName)
        doc->SetPathName(lpszPathName); // and into the recent-file list
    tpl->InitialUpdateFrame(frame, doc, bMakeVisible);
    return doc;
}

CDocument* CMultiDocTemplate::OpenDocumentFile(LPCTSTR lpszPathName, BOOL bMakeVisible) {
    return OpenInNewFrame(this, lpszPathName, bMakeVisible);
}

// ---- CSingleDocTemplate ---------------------------------------------------------------------

CSingleDocTemplate::CSingleDocTemplate(UINT nIDResource, CRuntimeClass* pDocClass,
                                       CRuntimeClass* pFrameClass, CRuntimeClass* pViewClass)
    : CDocTemplate(nIDResource, pDocClass, pFrameClass, pViewClass) {}

CSingleDocTemplate::~CSingleDocTemplate() = default;

CDocument* CSingleDocTemplate::GetNextDoc(POSITION& rPos) const {
    CDocument* doc = rPos ? m_pOnlyDoc : nullptr;
    rPos = nullptr;
    return doc;
}

void CSingleDocTemplate::AddDocument(CDocument* pDoc) {
    CDocTemplate::AddDocument(pDoc);
    m_pOnlyDoc = pDoc;
}

void CSingleDocTemplate::RemoveDocument(CDocument* pDoc) {
    CDocTemplate::RemoveDocument(pDoc);
    if (m_pOnlyDoc == pDoc)
        m_pOnlyDoc = nullptr;
}

void CSingleDocTemplate::SetDefaultTitle(CDocument* pDoc) {
    CString name;
    if (!GetDocString(name, docName) || name.IsEmpty())
        name = "无标题";
    pDoc->SetTitle(name);
}

CDocument* CSingleDocTemplate::OpenDocumentFile(LPCTSTR lpszPathName, BOOL bMakeVisible) {
    if (!m_pOnlyDoc) {
        CDocument* doc = OpenInNewFrame(this, lpszPathName, bMakeVisible);
        CWinApp* app = AfxGetApp();
        if (doc && app && !app->m_pMainWnd) {
            POSITION pos = doc->GetFirstViewPosition();
            if (CView* v = pos ? doc->GetNextView(pos) : nullptr)
                app->m_pMainWnd = v->GetParentFrame();
        }
        return doc;
    }
    CDocument* doc = m_pOnlyDoc;
    if (!AfxSaveModified(doc))
        return nullptr;
    BOOL ok;
    if (!lpszPathName) {
        SetDefaultTitle(doc);
        doc->SetPathName("", FALSE);
        SetDefaultTitle(doc);
        ok = doc->OnNewDocument();
    } else {
        ok = doc->OnOpenDocument(lpszPathName);
    }
    if (!ok)
        return nullptr;
    if (lpszPathName)
        doc->SetPathName(lpszPathName);
    POSITION pos = doc->GetFirstViewPosition();
    if (CView* v = pos ? doc->GetNextView(pos) : nullptr)
        if (CFrameWnd* f = v->GetParentFrame())
            InitialUpdateFrame(f, doc, bMakeVisible);
    return doc;
}

// ---- Closing and saving -----------------------------------------------------------------------

BOOL AfxDoFileSave(CDocument* pDoc, BOOL bSaveAs) {
    CString path = pDoc->GetPathName();
    if (path.IsEmpty() || bSaveAs) {
        CString name = path.IsEmpty() ? pDoc->GetTitle() : path;
        CDocTemplate* tpl = AfxGetDocTemplate(pDoc);
        if (!AfxGetDocManager()->DoPromptFileName(name, 0, 0, FALSE, tpl))
            return FALSE;
        path = name;
    }
    if (!pDoc->OnSaveDocument(path))
        return FALSE;
    // Only a new name joins the recent files; saving in place leaves the list alone.
    if (path != pDoc->GetPathName())
        pDoc->SetPathName(path);
    return TRUE;
}

BOOL AfxSaveModified(CDocument* pDoc) {
    if (!pDoc->IsModified())
        return TRUE;
    CString name = pDoc->GetPathName();
    if (name.IsEmpty())
        name = pDoc->GetTitle();
    CString prompt = "是否保存对 %1 的更改?";
    prompt.Replace("%1", name);
    switch (CDocument::ShowMessage(prompt, MB_YESNOCANCEL | MB_ICONEXCLAMATION)) {
    case IDCANCEL:
        return FALSE;
    case IDYES:
        return AfxDoFileSave(pDoc);
    default:
        return TRUE;
    }
}

void AfxCloseDocument(CDocument* pDoc) {
    BOOL autoDelete = pDoc->m_bAutoDelete;
    pDoc->m_bAutoDelete = FALSE; // kept while its frames go
    for (;;) {
        POSITION pos = pDoc->GetFirstViewPosition();
        if (!pos)
            break;
        CView* view = pDoc->GetNextView(pos);
        CFrameWnd* frame = view->GetParentFrame();
        if (frame)
            frame->DestroyWindow();
        else
            view->DestroyWindow();
        pos = pDoc->GetFirstViewPosition();
        if (pos && pDoc->GetNextView(pos) == view) {
            pDoc->RemoveView(view); // a view whose window could not go
        }
    }
    pDoc->m_bAutoDelete = autoDelete;
    pDoc->DeleteContents();
    if (autoDelete) {
        if (CDocTemplate* tpl = AfxGetDocTemplate(pDoc))
            tpl->RemoveDocument(pDoc);
        AfxSetDocumentCmdTarget(pDoc, nullptr);
        delete pDoc;
    }
}

void AfxDocumentLostView(CDocument* pDoc) {
    if (pDoc->GetFirstViewPosition() == nullptr && pDoc->m_bAutoDelete)
        AfxCloseDocument(pDoc);
}
