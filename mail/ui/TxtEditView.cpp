#include "mail/ui/TxtEditView.h"

IMPLEMENT_DYNCREATE(CTxtEditView, CEditView)

CTxtEditView::CTxtEditView() = default;

BOOL CTxtEditView::PreCreateWindow(CREATESTRUCT& cs) {
    if (!CEditView::PreCreateWindow(cs))
        return FALSE;
    // Lines wrap at the window's edge: no horizontal scrolling at all.
    cs.style &= ~(WS_HSCROLL | ES_AUTOHSCROLL);
    cs.style |= WS_VSCROLL | ES_AUTOVSCROLL | ES_MULTILINE;
    return TRUE;
}

void CTxtEditView::OnInitialUpdate() {
    CEditView::OnInitialUpdate();
    if (m_font.GetSafeHandle() == nullptr) {
        LOGFONT lf{};
        if (CFont* pStock = CFont::FromHandle((HFONT)::GetStockObject(DEFAULT_GUI_FONT)))
            pStock->GetLogFont(&lf);
        lf.lfHeight = lf.lfHeight * 5 / 4;
        m_font.CreateFontIndirect(&lf);
    }
    GetEditCtrl().SetFont(&m_font);
}

CString CTxtEditView::GetText() const {
    CString text;
    GetEditCtrl().GetWindowText(text);
    return text;
}

void CTxtEditView::SetText(LPCTSTR lpszText) {
    GetEditCtrl().SetWindowText(lpszText != nullptr ? lpszText : "");
}
