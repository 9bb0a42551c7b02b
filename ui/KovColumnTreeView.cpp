#include "ui/KovColumnTreeView.h"

IMPLEMENT_DYNCREATE(CKovColumnTreeView, CView)

BEGIN_MESSAGE_MAP(CKovColumnTreeView, CView)
ON_WM_CREATE()
ON_WM_SIZE()
END_MESSAGE_MAP()

namespace {
constexpr UINT kControlId = 1000;
constexpr DWORD kColumnTreeStyle = 0x1;
} // namespace

CKovColumnTreeView::CKovColumnTreeView() : m_pControlClass(RUNTIME_CLASS(CColumnTreeCtrl)) {}

CKovColumnTreeView::~CKovColumnTreeView() {
    delete m_pColumnTree;
}

int CKovColumnTreeView::OnCreate(LPCREATESTRUCT lpcs) {
    if (CView::OnCreate(lpcs) == -1)
        return -1;
    if (m_pColumnTree == nullptr && m_pControlClass != nullptr)
        m_pColumnTree = DYNAMIC_DOWNCAST(CColumnTreeCtrl, m_pControlClass->CreateObject());
    if (m_pColumnTree == nullptr)
        return -1;
    CRect rc;
    GetClientRect(&rc);
    if (!m_pColumnTree->Create(WS_CHILD | WS_VISIBLE | kColumnTreeStyle, rc, this, kControlId))
        return -1;
    m_pColumnTree->GetTreeCtrl().ModifyStyle(0, TVS_HASBUTTONS | TVS_LINESATROOT |
                                                    TVS_FULLROWSELECT);
    return 0;
}

void CKovColumnTreeView::OnSize(UINT nType, int cx, int cy) {
    CView::OnSize(nType, cx, cy);
    if (m_pColumnTree != nullptr && m_pColumnTree->m_hWnd != nullptr)
        m_pColumnTree->SetWindowPos(nullptr, 0, 0, cx, cy, SWP_NOZORDER);
}

void CKovColumnTreeView::OnInitialUpdate() {
    if (m_bInitialized)
        return;
    m_bInitialized = TRUE;
    CView::OnInitialUpdate();
}
