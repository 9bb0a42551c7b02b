#include "platform/gui/View.h"

#include "platform/gui/DocManager.h"
#include "platform/gui/DocTemplate.h"
#include "platform/gui/Frame.h"

#include <map>
#include <set>

IMPLEMENT_DYNAMIC(CView, CWnd)

namespace {

std::map<CDocument*, CCmdTarget*>& DocTargets() {
    static std::map<CDocument*, CCmdTarget*> targets;
    return targets;
}

// The window layer's side of the document: updates reach the views, titles reach the frames.
class ViewHost : public IDocumentViewHost {
public:
    void UpdateView(CView* pView, CView* pSender, LPARAM lHint, CObject* pHint) override {
        pView->OnUpdate(pSender, lHint, pHint);
    }
    void OnDocumentPathSet(CDocument*, LPCTSTR lpszPathName) override {
        AfxGetDocManager()->AddToRecentFileList(lpszPathName);
    }
    void SetViewDocument(CView* pView, CDocument* pDoc) override { AfxSetViewDocument(pView, pDoc); }
    void OnDocumentTitleChanged(CDocument* pDoc) override {
        for (POSITION pos = pDoc->GetFirstViewPosition(); pos;) {
            CView* v = pDoc->GetNextView(pos);
            if (CFrameWnd* f = v->GetParentFrame())
                f->OnUpdateFrameTitle(TRUE);
        }
    }
};

ViewHost g_host;
// Views made by CreateFromContext that still exist: a view whose creation failed after its window
// existed has deleted itself already.
std::set<CView*> g_pendingViews;
const bool g_hostInstalled = (CDocument::SetViewHost(&g_host), true);

} // namespace

void AfxSetDocumentCmdTarget(CDocument* pDoc, CCmdTarget* pTarget) {
    if (pTarget)
        DocTargets()[pDoc] = pTarget;
    else
        DocTargets().erase(pDoc);
}

CCmdTarget* AfxGetDocumentCmdTarget(CDocument* pDoc) {
    auto it = DocTargets().find(pDoc);
    return it == DocTargets().end() ? nullptr : it->second;
}

void AfxSetViewDocument(CView* pView, CDocument* pDoc) {
    CDocument* pOld = pView->m_pDocument;
    if (pOld == pDoc)
        return;
    // Joining another document leaves the one it had; that one stays open, as a document whose
    // view moves away is not closing.
    if (pOld != nullptr && pDoc != nullptr) {
        const BOOL bAutoDelete = pOld->m_bAutoDelete;
        pOld->m_bAutoDelete = FALSE;
        pOld->RemoveView(pView);
        pOld->m_bAutoDelete = bAutoDelete;
    }
    pView->m_pDocument = pDoc;
}

BEGIN_MESSAGE_MAP(CView, CWnd)
ON_WM_CREATE()
ON_WM_DESTROY()
ON_WM_PAINT()
ON_WM_SETFOCUS()
ON_MESSAGE(WM_INITIALUPDATE, &CView::OnInitialUpdateMessage)
END_MESSAGE_MAP()

CView::CView() {
    (void)g_hostInstalled;
}

CView::~CView() {
    g_pendingViews.erase(this);
    if (m_pDocument)
        m_pDocument->RemoveView(this);
}

CFrameWnd* CView::GetParentFrame() const {
    return AfxGetParentFrame(this);
}

BOOL CView::PreCreateWindow(CREATESTRUCT& cs) {
    cs.style |= WS_CLIPSIBLINGS;
    return CWnd::PreCreateWindow(cs);
}

int CView::OnCreate(LPCREATESTRUCT lpcs) {
    if (CWnd::OnCreate(lpcs) == -1)
        return -1;
    auto* ctx = static_cast<CCreateContext*>(lpcs->lpCreateParams);
    if (ctx && ctx->m_pCurrentDoc)
        ctx->m_pCurrentDoc->AddView(this);
    return 0;
}

void CView::OnDestroy() {
    if (CFrameWnd* f = GetParentFrame())
        if (f->GetActiveView() == this)
            f->SetActiveView(nullptr, FALSE);
    CWnd::OnDestroy();
}

void CView::PostNcDestroy() {
    CDocument* doc = m_pDocument;
    if (doc) {
        doc->RemoveView(this);
        // The last view of a document that deletes itself closes it.
        AfxDocumentLostView(doc);
    }
    delete this;
}

void CView::OnPaint() {
    CPaintDC dc(this);
    OnPrepareDC(&dc);
    OnDraw(&dc);
}

void CView::OnSetFocus(CWnd* pOldWnd) {
    CWnd::OnSetFocus(pOldWnd);
}

LRESULT CView::OnInitialUpdateMessage(WPARAM, LPARAM) {
    OnInitialUpdate();
    return 0;
}

void CView::OnInitialUpdate() {
    OnUpdate(nullptr, 0, nullptr);
}

void CView::OnUpdate(CView*, LPARAM, CObject*) {
    Invalidate(TRUE);
}

void CView::OnDraw(CDC*) {}

void CView::OnPrepareDC(CDC*, CPrintInfo*) {}

void CView::OnActivateView(BOOL bActivate, CView* pActivateView, CView*) {
    if (bActivate && pActivateView == this && GetFocus() != this)
        SetFocus();
}

void CView::OnActivateFrame(UINT, CFrameWnd*) {}

BOOL CView::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
    if (CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
        return TRUE;
    if (m_pDocument)
        if (CCmdTarget* t = AfxGetDocumentCmdTarget(m_pDocument))
            return t->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
    return FALSE;
}

CWnd* CView::CreateFromContext(CCreateContext* pContext, CWnd* pParent, UINT nID, DWORD dwStyle,
                               const RECT& rect) {
    if (!pContext || !pContext->m_pNewViewClass)
        return nullptr;
    CObject* obj = nullptr;
    try {
        obj = pContext->m_pNewViewClass->CreateObject();
    } catch (...) {
        return nullptr;
    }
    if (!obj)
        return nullptr;
    CWnd* wnd = dynamic_cast<CWnd*>(obj);
    if (!wnd) {
        delete obj;
        return nullptr;
    }
    CView* view = dynamic_cast<CView*>(wnd);
    if (view)
        g_pendingViews.insert(view);
    BOOL ok = wnd->CreateEx(0, nullptr, nullptr, dwStyle | WS_CHILD, rect, pParent, nID, pContext);
    bool alive = !view || g_pendingViews.count(view);
    if (view)
        g_pendingViews.erase(view);
    if (!ok) {
        if (alive)
            delete wnd;
        return nullptr;
    }
    return wnd;
}
