// Views: the windows that show a document. A view joins its document when it is created from a
// creation context and leaves it when it is destroyed; the document's UpdateAllViews reaches every
// view's OnUpdate; commands go to the view first and then to its document.
#pragma once

#include "platform/base/Document.h"
#include "platform/gui/Dc.h"
#include "platform/gui/Wnd.h"

class CDocTemplate;
class CFrameWnd;
class CView;

// The first pane of a frame or splitter, and the framework's own message ids.
#define AFX_IDW_PANE_FIRST 0xE900
#define AFX_IDW_PANE_LAST 0xE9FF
#define WM_INITIALUPDATE 0x0364

// What the window layer needs to make a frame and its views for a document.
struct CCreateContext {
    CRuntimeClass* m_pNewViewClass = nullptr;
    CDocument* m_pCurrentDoc = nullptr;
    CDocTemplate* m_pNewDocTemplate = nullptr;
    CView* m_pLastView = nullptr;
    CFrameWnd* m_pCurrentFrame = nullptr;
};

// Commands that reach a document are handled by the command target registered for it (the
// document itself knows no windows). Null removes the registration.
void AfxSetDocumentCmdTarget(CDocument* pDoc, CCmdTarget* pTarget);
CCmdTarget* AfxGetDocumentCmdTarget(CDocument* pDoc);

// The printing state a view's OnPrepareDC is given; only the screen is drawn here.
struct CPrintInfo {
    BOOL m_bPreview = FALSE;
    UINT m_nCurPage = 1;
};

class CView : public CWnd {
    DECLARE_DYNAMIC(CView)
public:
    CView();
    ~CView() override;

    CDocument* GetDocument() const { return m_pDocument; }
    CFrameWnd* GetParentFrame() const;

    virtual void OnInitialUpdate();
    // The document changed: the base repaints the whole view.
    virtual void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint);
    virtual void OnDraw(CDC* pDC);
    virtual void OnPrepareDC(CDC* pDC, CPrintInfo* pInfo = nullptr);
    virtual void OnActivateView(BOOL bActivate, CView* pActivateView, CView* pDeactiveView);
    virtual void OnActivateFrame(UINT nState, CFrameWnd* pFrameWnd);

    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
    void PostNcDestroy() override;

    // Creates a view of a runtime class as a child (id AFX_IDW_PANE_FIRST by default) for the
    // context's document. Null when the class is not a window or the creation fails.
    static CWnd* CreateFromContext(CCreateContext* pContext, CWnd* pParent, UINT nID, DWORD dwStyle,
                                   const RECT& rect);

protected:
    int OnCreate(LPCREATESTRUCT lpcs);
    void OnDestroy();
    void OnPaint();
    void OnSetFocus(CWnd* pOldWnd);
    LRESULT OnInitialUpdateMessage(WPARAM, LPARAM);

    CDocument* m_pDocument = nullptr;
    friend class CFrameWnd;
    friend void AfxSetViewDocument(CView* pView, CDocument* pDoc);
    DECLARE_MESSAGE_MAP()
};
