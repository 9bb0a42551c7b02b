#include "platform/gui/FormView.h"

#include "platform/gui/Resource.h"

IMPLEMENT_DYNAMIC(CFormView, CScrollView)

BEGIN_MESSAGE_MAP(CFormView, CScrollView)
ON_WM_CREATE()
ON_WM_SETFOCUS()
END_MESSAGE_MAP()

CFormView::CFormView(UINT nIDTemplate) : m_nIDTemplate(nIDTemplate) {}

CFormView::~CFormView() = default;

BOOL CFormView::PreCreateWindow(CREATESTRUCT& cs) {
    // The form is a dialog window: it has a dialog's background and asks itself for its colours
    // (WM_CTLCOLORDLG) as a dialog does.
    if (!cs.lpszClass)
        cs.lpszClass = "#32770";
    return CScrollView::PreCreateWindow(cs);
}

int CFormView::OnCreate(LPCREATESTRUCT lpcs) {
    const ResDialog* t = AfxFindDialog(m_nIDTemplate);
    if (!t)
        return -1;
    if (CScrollView::OnCreate(lpcs) == -1)
        return -1;
    AfxCreateTemplateFont(*t, m_font);
    SetFont(&m_font, FALSE);
    AfxCreateTemplateControls(this, *t, m_font);
    // The whole template is the drawing the view scrolls over.
    SetScrollSizes(MM_TEXT, AfxTemplateSize(*t, m_font));
    return 0;
}

BOOL CFormView::UpdateData(BOOL bSaveAndValidate) {
    return AfxExchangeData(this, bSaveAndValidate,
                           [this](CDataExchange* pDX) { DoDataExchange(pDX); });
}

void CFormView::DoDataExchange(CDataExchange*) {}

void CFormView::OnInitialUpdate() {
    UpdateData(FALSE);
    CScrollView::OnInitialUpdate();
}

void CFormView::OnActivateView(BOOL bActivate, CView* pActivateView, CView* pDeactiveView) {
    if (!bActivate) {
        CWnd* focus = GetFocus();
        if (focus && IsChild(focus))
            m_hWndFocus = focus->m_hWnd;
    }
    CScrollView::OnActivateView(bActivate, pActivateView, pDeactiveView);
}

void CFormView::OnSetFocus(CWnd* pOldWnd) {
    CScrollView::OnSetFocus(pOldWnd);
    // The focus goes on to the control that had it last, else the first one Tab reaches.
    CWnd* last = m_hWndFocus ? FromHandle(m_hWndFocus) : nullptr;
    if (!last || !IsChild(last) || !last->IsWindowVisible() || !last->IsWindowEnabled())
        last = GetNextDlgTabItem(nullptr);
    if (last)
        AfxGotoDlgCtrl(last);
}

BOOL CFormView::PreTranslateMessage(MSG* pMsg) {
    if (pMsg->message >= WM_KEYFIRST && pMsg->message <= WM_KEYLAST &&
        AfxIsDialogMessage(this, pMsg, IDOK))
        return TRUE;
    return CScrollView::PreTranslateMessage(pMsg);
}
