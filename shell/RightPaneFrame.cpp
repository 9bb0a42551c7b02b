#include "shell/RightPaneFrame.h"

#include "ui/RightPaneView.h"

IMPLEMENT_DYNCREATE(CRightPaneFrame, CFrameWnd)

BEGIN_MESSAGE_MAP(CRightPaneFrame, CFrameWnd)
ON_WM_DESTROY()
END_MESSAGE_MAP()

namespace {

// Views per kind; kind 2 is the fixed views.
constexpr int kViewCounts[CRightPaneFrame::KindCount] = {6, 2, 3, 2, 1, 1, 1};

std::array<std::array<CRuntimeClass*, CRightPaneFrame::MaxViewsPerKind>,
           CRightPaneFrame::KindCount>&
ViewClasses() {
    static std::array<std::array<CRuntimeClass*, CRightPaneFrame::MaxViewsPerKind>,
                      CRightPaneFrame::KindCount>
        table{};
    return table;
}

bool ValidView(int kind, int nView) {
    return kind >= 0 && kind < CRightPaneFrame::KindCount && nView >= 1 &&
           nView <= kViewCounts[kind];
}

// The view a pane window stands for: itself, or a frame's active view.
CView* ViewOf(CWnd* pWnd) {
    if (auto* pView = dynamic_cast<CView*>(pWnd))
        return pView;
    if (auto* pFrame = dynamic_cast<CFrameWnd*>(pWnd))
        return pFrame->GetActiveView();
    return nullptr;
}

} // namespace

BOOL CRightPaneFrame::RegisterViewClass(int kind, int nView, CRuntimeClass* pClass) {
    // Only windows that delete themselves with their windows can be shared and dropped freely.
    if (!ValidView(kind, nView) || !pClass ||
        !(pClass->IsDerivedFrom(RUNTIME_CLASS(CView)) ||
          pClass->IsDerivedFrom(RUNTIME_CLASS(CFrameWnd))))
        return FALSE;
    ViewClasses()[(size_t)kind][(size_t)(nView - 1)] = pClass;
    return TRUE;
}

CRuntimeClass* CRightPaneFrame::GetViewClass(int kind, int nView) {
    return ValidView(kind, nView) ? ViewClasses()[(size_t)kind][(size_t)(nView - 1)] : nullptr;
}

void CRightPaneFrame::ForgetViewClasses() {
    ViewClasses() = {};
}

int CRightPaneFrame::GetViewCount(int kind) {
    return kind >= 0 && kind < KindCount ? kViewCounts[kind] : 0;
}

UINT CRightPaneFrame::GetViewChildId(int kind, int nView) {
    switch (kind) {
    case KindAddressBook:
        return 8 + (UINT)nView;
    case KindSenders:
        return 8008 + (UINT)nView;
    case KindNotes:
        return 16008 + (UINT)nView;
    case KindCalendar:
    case KindSchedules:
    case KindEmail:
        return 40009;
    default:
        return (UINT)nView; // the fixed views
    }
}

CRightPaneFrame::CRightPaneFrame() = default;

CRightPaneFrame::~CRightPaneFrame() = default;

BOOL CRightPaneFrame::OnCreateClient(LPCREATESTRUCT lpcs, CCreateContext*) {
    // A splitter makes the pane from a context naming the pane's own class: the context is not
    // for making a view here, as the pane's views come from the registered classes.
    if (!CFrameWnd::OnCreateClient(lpcs, nullptr))
        return FALSE;
    CreateViews(0, nullptr, KindFixed, nullptr);
    return TRUE;
}

CWnd* CRightPaneFrame::MakeView(int kind, int nView, CDocument* pDoc, CWnd* pNotifyWnd) {
    CRuntimeClass* pClass = GetViewClass(kind, nView);
    if (!pClass)
        return nullptr;
    const UINT nID = GetViewChildId(kind, nView);
    CCreateContext context;
    context.m_pCurrentDoc = pDoc;
    CWnd* pWnd = nullptr;
    if (pClass->IsDerivedFrom(RUNTIME_CLASS(CFrameWnd))) {
        // A frame makes its own views: it is given the document, not a view class.
        CFrameWnd* pFrame = nullptr;
        try {
            pFrame = dynamic_cast<CFrameWnd*>(pClass->CreateObject());
        } catch (...) {
            return nullptr;
        }
        if (!pFrame)
            return nullptr;
        // Gone afterwards when it fails, whether or not its window came to exist.
        if (!AfxCreateFrameSafely(pFrame, 0, WS_CHILD, this, &context))
            return nullptr;
        pFrame->SetDlgCtrlID((int)nID);
        pWnd = pFrame;
    } else {
        context.m_pNewViewClass = pClass;
        pWnd = CView::CreateFromContext(&context, this, nID, WS_CHILD, CRect(0, 0, 0, 0));
        if (!pWnd)
            return nullptr;
    }
    pWnd->ShowWindow(SW_HIDE);
    if (auto* pPaneView = dynamic_cast<CIRightPaneView*>(pWnd))
        pPaneView->SetNotifyWnd(pNotifyWnd);
    // A new view gets its one initial update, as a frame gives the views it makes, once it
    // knows the window it tells (a frame initialises its own views).
    if (auto* pView = dynamic_cast<CView*>(pWnd))
        pView->OnInitialUpdate();
    return pWnd;
}

int CRightPaneFrame::CreateViews(DWORD_PTR key, CDocument* pDoc, int kind, CWnd* pNotifyWnd) {
    if (!key) {
        for (int n = 1; n <= 3; ++n)
            if (!m_fixed[(size_t)(n - 1)]) {
                CWnd* pView = MakeView(KindFixed, n, pDoc, pNotifyWnd);
                m_fixed[(size_t)(n - 1)] = pView;
                m_fixedHandles[(size_t)(n - 1)] = pView ? pView->GetSafeHwnd() : nullptr;
            }
        return 0;
    }
    if (kind < 0 || kind >= KindCount || kind == KindFixed)
        return -1;
    if (IsRegistered(key, kind))
        return -1;
    if (!m_hasSet[(size_t)kind]) {
        CViewSet& set = m_sets[(size_t)kind];
        for (int n = 1; n <= kViewCounts[kind]; ++n)
            set[(size_t)(n - 1)] = MakeView(kind, n, pDoc, pNotifyWnd);
        m_hasSet[(size_t)kind] = true;
    }
    m_registrations.push_back({kind, key, pDoc});
    return 0;
}

CWnd* CRightPaneFrame::GetView(int nView, int kind) {
    if (!ValidView(kind, nView))
        return nullptr;
    if (kind == KindFixed)
        return LiveFixedView(nView - 1);
    return m_sets[(size_t)kind][(size_t)(nView - 1)];
}

CView* CRightPaneFrame::GetCurrentView() {
    return dynamic_cast<CView*>(m_pCurrent);
}

BOOL CRightPaneFrame::IsRegistered(DWORD_PTR key, int kind) const {
    for (const CRegistration& r : m_registrations)
        if (r.key == key && r.kind == kind)
            return TRUE;
    return FALSE;
}

CRightPaneFrame::CRegistration* CRightPaneFrame::FindRegistration(DWORD_PTR key, int kind) {
    for (CRegistration& r : m_registrations)
        if (r.key == key && r.kind == kind)
            return &r;
    return nullptr;
}

void CRightPaneFrame::AttachDocument(CWnd* pView, CDocument* pDoc) {
    if (auto* pPaneView = dynamic_cast<CIRightPaneView*>(pView))
        if (pPaneView->TakeDocument(pDoc))
            return;
    if (CView* pInner = ViewOf(pView); pInner && pDoc)
        MoveViewToDocument(pInner, pDoc);
}

BOOL CRightPaneFrame::ShowView(int nView, DWORD_PTR key, CDocument* pDoc, int kind,
                               CWnd* pNotifyWnd) {
    CShown shown;
    CWnd* pView = nullptr;
    if (key) {
        CRegistration* pReg = FindRegistration(key, kind);
        if (!pReg)
            return FALSE;
        pView = GetView(nView, kind);
        if (!pView)
            return FALSE;
        if (!pDoc)
            pDoc = pReg->pDoc;
        AttachDocument(pView, pDoc);
        shown = {true, kind, key, pDoc, nView};
    } else {
        pView = GetView(nView, KindFixed);
        if (!pView)
            return FALSE;
        // The compose form keeps the document it writes for; the other fixed views have none.
        if (nView == 2 && pDoc)
            if (auto* pPaneView = dynamic_cast<CIRightPaneView*>(pView))
                pPaneView->TakeDocument(pDoc);
        shown = {true, KindFixed, 0, pDoc, nView};
    }
    if (pNotifyWnd)
        if (auto* pPaneView = dynamic_cast<CIRightPaneView*>(pView))
            pPaneView->SetNotifyWnd(pNotifyWnd);

    // A view whose file was closed while it showed leaves nothing to go back to.
    m_previous = m_current;
    m_current = shown;

    if (pView != m_pCurrent) {
        if (m_pCurrent && m_pCurrent->GetSafeHwnd()) {
            m_pCurrent->ShowWindow(SW_HIDE);
            m_pCurrent->SetDlgCtrlID((int)m_nCurrentId);
        }
        m_nCurrentId = (UINT)pView->GetDlgCtrlID();
        pView->SetDlgCtrlID(AFX_IDW_PANE_FIRST);
        m_pCurrent = pView;
    }
    // The pane changes under the user's hand in the tree: the window that has the focus outside
    // the pane keeps it (Ctrl+C after a click in the tree copies the tree's item).
    CWnd* pFocus = GetFocus();
    HWND hKeep = pFocus != nullptr && pFocus != this && !IsChild(pFocus) ? pFocus->m_hWnd : nullptr;
    SetActiveView(ViewOf(pView));
    pView->ShowWindow(SW_SHOW);
    RecalcLayout();
    if (hKeep != nullptr && ::IsWindow(hKeep) && GetFocus() != CWnd::FromHandle(hKeep))
        CWnd::FromHandle(hKeep)->SetFocus();
    return TRUE;
}

BOOL CRightPaneFrame::RestoreView() {
    if (!m_previous.valid)
        return FALSE;
    const CShown previous = m_previous;
    return ShowView(previous.nView, previous.key, previous.pDoc, previous.kind, nullptr);
}

BOOL CRightPaneFrame::OpenSmsEditor(CDocument* pDoc, int nMode, CWnd* pSourceWnd, LPARAM lStart,
                                    int nOption) {
    if (!ShowView(2, 0, pDoc, KindFixed, nullptr))
        return FALSE;
    auto* pForm = dynamic_cast<CIComposeView*>(GetView(2, KindFixed));
    if (!pForm)
        return FALSE;
    pForm->SetComposeMode(nMode);
    pForm->StartCompose(lStart, nOption);
    pForm->SetReturnWnd(pSourceWnd);
    return TRUE;
}

void CRightPaneFrame::ForgetShown(DWORD_PTR key, int kind) {
    // Neither the view shown before nor the one shown now may bring a closed file back.
    if (m_previous.valid && m_previous.key == key && m_previous.kind == kind)
        m_previous.valid = false;
    if (m_current.valid && m_current.key == key && m_current.kind == kind)
        m_current.valid = false;
}

void CRightPaneFrame::DestroyViewSet(int kind) {
    CViewSet& set = m_sets[(size_t)kind];
    for (CWnd*& pView : set) {
        if (!pView)
            continue;
        if (pView == m_pCurrent) {
            SetActiveView(nullptr, FALSE);
            m_pCurrent = nullptr;
            m_nCurrentId = 0;
        }
        // The documents belong to their trees: a view going away never closes one.
        if (CView* pInner = ViewOf(pView))
            MoveViewToDocument(pInner, nullptr);
        if (pView->GetSafeHwnd())
            pView->DestroyWindow(); // views and frames delete themselves
        pView = nullptr;
    }
    m_hasSet[(size_t)kind] = false;
}

BOOL CRightPaneFrame::DestroyViews(DWORD_PTR key, int kind, BOOL bNotify) {
    auto it = m_registrations.begin();
    for (; it != m_registrations.end(); ++it)
        if (it->key == key && it->kind == kind)
            break;
    if (it == m_registrations.end())
        return FALSE;
    CDocument* pGone = it->pDoc;
    m_registrations.erase(it);
    ForgetShown(key, kind);

    // The views stay while anything of their kind is registered, a window that keeps them
    // without a document of its own (the calendar's page) as much as an open file.
    bool bRemains = false;
    CDocument* pRemaining = nullptr;
    for (const CRegistration& r : m_registrations)
        if (r.kind == kind) {
            bRemains = true;
            if (r.pDoc) {
                pRemaining = r.pDoc;
                break;
            }
        }
    if (!bRemains && kind >= 0 && kind < KindCount && kind != KindFixed) {
        DestroyViewSet(kind);
    } else if (pGone) {
        // The shared views may still show the closed file's document, which is about to go:
        // they move on to a file of their kind that stays open.
        // A view with panes of its own moves them along; the closing file's document stays for
        // its tree to delete.
        for (CWnd* pView : m_sets[(size_t)kind])
            if (CView* pInner = ViewOf(pView); pInner && pInner->GetDocument() == pGone) {
                if (auto* pPaneView = dynamic_cast<CIRightPaneView*>(pView); pPaneView && pRemaining)
                    pPaneView->TakeDocument(pRemaining);
                MoveViewToDocument(pInner, pRemaining);
            }
    }
    // The main window holds the splitter the pane lies in.
    if (bNotify)
        if (CWnd* pMain = GetTopLevelParent(); pMain && pMain != this)
            pMain->SendMessage(WM_RELAYOUT_SPLITTER);
    return TRUE;
}

void CRightPaneFrame::OnDestroy() {
    // The views go with the frame; the documents they show stay with the trees that own them.
    auto detach = [](CWnd* pView) {
        if (CView* pInner = pView && pView->GetSafeHwnd() ? ViewOf(pView) : nullptr)
            MoveViewToDocument(pInner, nullptr);
    };
    for (int i = 0; i < (int)m_fixed.size(); ++i)
        detach(LiveFixedView(i));
    for (const CViewSet& set : m_sets)
        for (CWnd* pView : set)
            detach(pView);
    m_pCurrent = nullptr;
    CFrameWnd::OnDestroy();
}

CWnd* CRightPaneFrame::LiveFixedView(int i) {
    // A fixed view a tree took as its own (its owner) goes when that tree goes, possibly before
    // this frame: its handle tells whether the object is still there.
    CWnd* pView = m_fixed[(size_t)i];
    HWND h = m_fixedHandles[(size_t)i];
    if (pView && (!h || !::IsWindow(h) || CWnd::FromHandlePermanent(h) != pView)) {
        m_fixed[(size_t)i] = nullptr;
        m_fixedHandles[(size_t)i] = nullptr;
        if (m_pCurrent == pView)
            m_pCurrent = nullptr;
        return nullptr;
    }
    return pView;
}

void CRightPaneFrame::SetFrameWindows(CWnd* pFolder0, CWnd* pFolder1, CWnd* pOutbar) {
    m_pFolder0 = pFolder0;
    m_pFolder1 = pFolder1;
    m_pOutbar = pOutbar;
}

BOOL CRightPaneFrame::OnCmdMsg(UINT nID, int nCode, void* pExtra,
                               AFX_CMDHANDLERINFO* pHandlerInfo) {
    if (m_pCurrent && m_pCurrent->GetSafeHwnd())
        return m_pCurrent->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
    return FALSE;
}
