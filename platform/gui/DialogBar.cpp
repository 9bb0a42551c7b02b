#include "platform/gui/DialogBar.h"

#include "platform/gui/Resource.h"

IMPLEMENT_DYNAMIC(CDialogBar, CControlBar)

CDialogBar::CDialogBar() {
    // The controls lie where the template puts them, without the bar's own margins.
    m_cxLeftBorder = m_cxRightBorder = m_cyTopBorder = m_cyBottomBorder = 0;
}

CDialogBar::~CDialogBar() = default;

BOOL CDialogBar::Create(CWnd* pParentWnd, UINT nIDTemplate, UINT nStyle, UINT nID) {
    const ResDialog* t = AfxFindDialog(nIDTemplate);
    if (!t || !pParentWnd)
        return FALSE;
    m_dwStyle = nStyle & (CBRS_ALIGN_ANY | CBRS_BORDER_ANY | CBRS_TOOLTIPS | CBRS_FLYBY |
                          CBRS_SIZE_DYNAMIC | CBRS_SIZE_FIXED | CBRS_GRIPPER);
    AfxCreateTemplateFont(*t, m_font);
    m_sizeDefault = AfxTemplateSize(*t, m_font);
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS | ((nStyle | t->style) & WS_VISIBLE);
    CRect rc(0, 0, m_sizeDefault.cx, m_sizeDefault.cy);
    if (!CWnd::CreateEx(t->exStyle & ~WS_EX_DLGMODALFRAME, nullptr, nullptr, style, rc, pParentWnd,
                        nID))
        return FALSE;
    SetFont(&m_font, FALSE);
    AfxCreateTemplateControls(this, *t, m_font);
    return TRUE;
}

CSize CDialogBar::CalcFixedLayout(BOOL bStretch, BOOL bHorz) {
    if (!bStretch)
        return m_sizeDefault;
    return bHorz ? CSize(32767, m_sizeDefault.cy) : CSize(m_sizeDefault.cx, 32767);
}

void CDialogBar::OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) {
    AfxUpdateDialogControls(this, pTarget, bDisableIfNoHndler);
}
