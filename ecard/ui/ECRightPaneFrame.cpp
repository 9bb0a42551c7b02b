#include "ecard/ui/ECRightPaneFrame.h"

#include "ecard/ECUserDoc.h"
#include "ecard/ui/ECAccessViews.h"
#include "ecard/ui/ECBrowseContact.h"
#include "ecard/ui/ECCardForm.h"
#include "ecard/ui/ECMessageViews.h"
#include "ecard/ui/ECPersonList.h"
#include "platform/gui/Icon.h"
#include "platform/gui/WinApp.h"

namespace {

CRuntimeClass*& ViewClass(int nView) {
    static CRuntimeClass* s_classes[EC_VIEW_COUNT + 1] = {};
    return s_classes[nView < 1 || nView > EC_VIEW_COUNT ? 0 : nView];
}

// The child id a view keeps while another one is shown.
UINT ViewChildId(int nView) {
    return AFX_IDW_PANE_FIRST + 0x20 + (UINT)nView;
}

const UINT kGroupButtons[] = {ID_EC_VIEW_PERSON_LIST, ID_SEPARATOR, ID_EC_VIEW_ACCESS_LIST};
const UINT kGroupIcons[] = {529, 542};
const char* const kGroupTexts[] = {"浏览联系人", "浏览访问权限"};
const UINT kContactButtons[] = {ID_EC_VIEW_CARD_FORM, ID_SEPARATOR, ID_EC_VIEW_BROWSE_CARD,
                                ID_SEPARATOR, ID_EC_VIEW_MESSAGES};
const UINT kContactIcons[] = {132, 514, 137};
const char* const kContactTexts[] = {"个人资料", "浏览个人资料", "消息管理"};

int ViewOfCommand(UINT nID) {
    switch (nID) {
    case ID_EC_VIEW_PERSON_LIST: return EC_VIEW_PERSON_LIST;
    case ID_EC_VIEW_ACCESS_LIST: return EC_VIEW_ACCESS_LIST;
    case ID_EC_VIEW_CARD_FORM: return EC_VIEW_CARD_FORM;
    case ID_EC_VIEW_BROWSE_CARD: return EC_VIEW_BROWSE_CARD;
    case ID_EC_VIEW_MESSAGES: return EC_VIEW_MESSAGES;
    default: return 0;
    }
}

} // namespace

// ---- tool bar ----

BEGIN_MESSAGE_MAP(CECRightToolBar, CToolBar)
ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

BOOL CECRightToolBar::OnEraseBkgnd(CDC* pDC) {
    CRect rect;
    GetWindowRect(&rect);
    ScreenToClient(&rect);
    pDC->FillSolidRect(&rect, kGround);
    return TRUE;
}

// ---- placeholder ----

IMPLEMENT_DYNCREATE(CECPlaceholderView, CView)

void CECPlaceholderView::OnDraw(CDC* pDC) {
    CRect rect;
    GetClientRect(&rect);
    pDC->FillSolidRect(&rect, RGB(255, 255, 255));
}

// ---- right pane ----

IMPLEMENT_DYNCREATE(CECRightPaneFrame, CFrameWnd)

BEGIN_MESSAGE_MAP(CECRightPaneFrame, CFrameWnd)
ON_COMMAND_RANGE(ID_EC_VIEW_PERSON_LIST, ID_EC_VIEW_ACCESS_LIST, &CECRightPaneFrame::OnViewCommand)
ON_COMMAND_RANGE(ID_EC_VIEW_CARD_FORM, ID_EC_VIEW_BROWSE_CARD, &CECRightPaneFrame::OnViewCommand)
ON_COMMAND(ID_EC_VIEW_MESSAGES, &CECRightPaneFrame::OnMessagesCommand)
ON_UPDATE_COMMAND_UI_RANGE(ID_EC_VIEW_PERSON_LIST, ID_EC_VIEW_ACCESS_LIST,
                           &CECRightPaneFrame::OnUpdateViewCommand)
ON_UPDATE_COMMAND_UI_RANGE(ID_EC_VIEW_CARD_FORM, ID_EC_VIEW_BROWSE_CARD,
                           &CECRightPaneFrame::OnUpdateViewCommand)
ON_UPDATE_COMMAND_UI(ID_EC_VIEW_MESSAGES, &CECRightPaneFrame::OnUpdateViewCommand)
END_MESSAGE_MAP()

void CECRightPaneFrame::RegisterViewClass(int nView, CRuntimeClass* pClass) {
    if (nView >= 1 && nView <= EC_VIEW_COUNT)
        ViewClass(nView) = pClass;
}

void CECRightPaneFrame::RegisterStandardViews() {
    RegisterViewClass(EC_VIEW_PERSON_LIST, RUNTIME_CLASS(CViewECPersonList));
    RegisterViewClass(EC_VIEW_ACCESS_LIST, RUNTIME_CLASS(CViewECContactAccessList));
    RegisterViewClass(EC_VIEW_CARD_FORM, RUNTIME_CLASS(CFormECPerson));
    RegisterViewClass(EC_VIEW_BROWSE_CARD, RUNTIME_CLASS(CECViewBrowseContact));
    RegisterViewClass(EC_VIEW_MESSAGES, RUNTIME_CLASS(CECMessageContainerView));
}

HICON ECLoadPicture(UINT nID) {
    HICON h = ::LoadIcon(nullptr, MAKEINTRESOURCE(nID));
    return h != nullptr ? h : ::LoadIcon(nullptr, IDI_APPLICATION);
}

CECRightPaneFrame::CECRightPaneFrame() = default;

CECRightPaneFrame::~CECRightPaneFrame() = default;

BOOL CECRightPaneFrame::CreateBar(CECRightToolBar& bar, CImageList& images, const UINT* ids,
                                  int nIds, const UINT* icons, int nIcons,
                                  const char* const* texts) {
    if (!bar.CreateEx(this, TBSTYLE_FLAT | TBSTYLE_LIST,
                      WS_CHILD | CBRS_ALIGN_TOP | CBRS_TOOLTIPS | CBRS_FLYBY))
        return FALSE;
    images.Create(24, 24, ILC_COLOR32 | ILC_MASK, 15, 5);
    for (int i = 0; i < nIcons; ++i)
        images.Add(ECLoadPicture(icons[i]));
    bar.GetToolBarCtrl().SetImageList(&images);
    if (!bar.SetButtons(ids, nIds))
        return FALSE;
    int nImage = 0;
    for (int i = 0; i < bar.GetCount(); ++i) {
        const UINT id = bar.GetItemID(i);
        if (id == ID_SEPARATOR) {
            bar.SetButtonInfo(i, ID_SEPARATOR, TBBS_SEPARATOR, 6);
        } else {
            bar.SetButtonInfo(i, id, bar.GetButtonStyle(i), nImage);
            bar.SetButtonText(i, texts[nImage]);
            ++nImage;
        }
    }
    CRect first;
    bar.GetItemRect(0, &first);
    bar.SetSizes(CSize(first.Width(), first.Height() + 2), CSize(24, 24));
    return TRUE;
}

BOOL CECRightPaneFrame::Initialize(CECUserDoc* pDoc, CWnd* pTree) {
    if (m_bInitialized)
        return TRUE;
    m_bInitialized = TRUE;
    if (!CreateBar(m_groupBar, m_groupImages, kGroupButtons, 3, kGroupIcons, 2, kGroupTexts) ||
        !CreateBar(m_contactBar, m_contactImages, kContactButtons, 5, kContactIcons, 3,
                   kContactTexts))
        return FALSE;
    CCreateContext context;
    context.m_pCurrentDoc = pDoc;
    context.m_pCurrentFrame = this;
    for (int n = 1; n <= EC_VIEW_COUNT; ++n) {
        context.m_pNewViewClass =
            ViewClass(n) != nullptr ? ViewClass(n) : RUNTIME_CLASS(CECPlaceholderView);
        CWnd* pView = CreateView(&context, ViewChildId(n));
        if (pView == nullptr)
            return FALSE;
        pView->ShowWindow(SW_HIDE);
        m_views[n] = pView;
        m_savedIds[n] = ViewChildId(n);
        if (auto* v = dynamic_cast<CView*>(pView))
            v->OnInitialUpdate();
    }
    m_groupBar.Invalidate();
    SetMode(EC_MODE_GROUP, pTree);
    return TRUE;
}

CWnd* CECRightPaneFrame::GetViewWnd(int nView) const {
    return nView >= 1 && nView <= EC_VIEW_COUNT ? m_views[nView] : nullptr;
}

int CECRightPaneFrame::GetModeView(int nMode) const {
    return nMode >= 1 && nMode <= 3 ? m_modeViews[nMode] : 0;
}

void CECRightPaneFrame::SetMode(int nMode, CWnd* pTree) {
    if (nMode < 1 || nMode > 3)
        return;
    if (m_groupBar.GetSafeHwnd() != nullptr)
        ShowControlBar(&m_groupBar, nMode == EC_MODE_GROUP, FALSE);
    if (m_contactBar.GetSafeHwnd() != nullptr)
        ShowControlBar(&m_contactBar, nMode == EC_MODE_CONTACT, FALSE);
    m_nMode = nMode;
    m_modeTrees[nMode] = pTree;
    ShowViewNumber(m_modeViews[nMode], pTree);
    RecalcLayout();
}

BOOL CECRightPaneFrame::ShowViewNumber(int nView, CWnd* pOwner) {
    CWnd* pNew = GetViewWnd(nView);
    if (pNew == nullptr)
        return FALSE;
    pNew->SetOwner(pOwner);
    if (nView == m_nCurrent)
        return TRUE;
    const int nOld = m_nCurrent;
    CWnd* pOld = GetViewWnd(nOld);
    m_savedIds[nView] = (UINT)pNew->GetDlgCtrlID();
    pNew->SetDlgCtrlID(AFX_IDW_PANE_FIRST);
    m_nCurrent = nView;
    if (auto* v = dynamic_cast<CView*>(pNew))
        SetActiveView(v, FALSE);
    pNew->ShowWindow(SW_SHOW);
    if (pOld != nullptr) {
        pOld->ShowWindow(SW_HIDE);
        pOld->SetDlgCtrlID((int)m_savedIds[nOld]);
        if (nOld == EC_VIEW_BROWSE_CARD || nOld == EC_VIEW_MESSAGES)
            if (CWnd* pTop = GetTopLevelParent())
                pTop->SendMessage(WM_EC_RELAYOUT, 0, 0);
    }
    RecalcLayout();
    return TRUE;
}

void CECRightPaneFrame::OnViewCommand(UINT nID) {
    const int nView = ViewOfCommand(nID);
    const int nMode = nView <= EC_VIEW_ACCESS_LIST ? EC_MODE_GROUP : EC_MODE_CONTACT;
    if (nView == 0 || m_nMode != nMode)
        return;
    m_modeViews[nMode] = nView;
    ShowViewNumber(nView, m_modeTrees[nMode]);
}

void CECRightPaneFrame::OnMessagesCommand() {
    OnViewCommand(ID_EC_VIEW_MESSAGES);
}

void CECRightPaneFrame::OnUpdateViewCommand(CCmdUI* pCmdUI) {
    const int nView = ViewOfCommand(pCmdUI->m_nID);
    const int nMode = nView <= EC_VIEW_ACCESS_LIST ? EC_MODE_GROUP : EC_MODE_CONTACT;
    pCmdUI->Enable(m_nMode == nMode);
    pCmdUI->SetCheck(m_nCurrent == nView);
}

BOOL CECRightPaneFrame::OnCmdMsg(UINT nID, int nCode, void* pExtra,
                                 AFX_CMDHANDLERINFO* pHandlerInfo) {
    if (CWnd* pView = GetViewWnd(m_nCurrent))
        if (pView->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
            return TRUE;
    return CCmdTarget::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

// ---- navigation bar ----

IMPLEMENT_DYNCREATE(CECOutbarWnd, COutbarWnd)

CECOutbarWnd::CECOutbarWnd() : COutbarWnd(StyleDrawer) {
    m_nButtonHeight = ButtonHeight;
}
