#include "contacts/ui/ContactPropertyPage.h"

IMPLEMENT_DYNAMIC(CContactPropertyPage, CPropertyPageExt)

CContactPropertyPage::CContactPropertyPage(UINT nIDTemplate, UINT nIDCaption)
    : CPropertyPageExt(nIDTemplate, nIDCaption) {}

CContactPropertyPage::~CContactPropertyPage() = default;

CMultiComboBox* CContactPropertyPage::GetMultiValueCombo(UINT) {
    return nullptr;
}

void CContactPropertyPage::SetReadOnly(BOOL bReadOnly) {
    m_readOnly = bReadOnly;
}

LRESULT CContactPropertyPage::SetChanged(BOOL bChanged) {
    if (bChanged && m_readOnly)
        return m_readOnly;
    return CPropertyPageExt::SetChanged(bChanged);
}

BOOL CContactPropertyPage::FocusField(int nField) {
    for (int i = 0; m_pFieldJumps && i < m_nFieldJumps; ++i) {
        const SFieldJump& row = m_pFieldJumps[i];
        if (row.nField != nField)
            continue;
        CWnd* pControl = GetDlgItem((int)row.nControlId);
        if (!pControl)
            return TRUE;
        if (row.nKind == FIELD_JUMP_LIST_BUTTON) {
            PostMessage(WM_COMMAND, MAKEWPARAM(row.nControlId, BN_CLICKED),
                        (LPARAM)pControl->m_hWnd);
            return TRUE;
        }
        pControl->SetFocus();
        if (row.nKind == FIELD_JUMP_EDIT) {
            pControl->SendMessage(EM_SETSEL, 0, (LPARAM)-1);
            pControl->SendMessage(EM_SCROLLCARET, 0, 0);
        }
        return TRUE;
    }
    return FALSE;
}

void CContactPropertyPage::SetEditsReadOnly(const UINT* pIDs, BOOL bReadOnly) {
    for (; pIDs && *pIDs; ++pIDs)
        if (CWnd* pEdit = GetDlgItem((int)*pIDs))
            pEdit->SendMessage(EM_SETREADONLY, (WPARAM)bReadOnly, 0);
}

void CContactPropertyPage::SetCombosReadOnly(const UINT* pIDs, BOOL bReadOnly) {
    for (; pIDs && *pIDs; ++pIDs)
        if (CWnd* pCombo = GetDlgItem((int)*pIDs))
            if (CWnd* pEdit = pCombo->GetWindow(GW_CHILD))
                pEdit->SendMessage(EM_SETREADONLY, (WPARAM)bReadOnly, 0);
}

BOOL CContactPropertyPage::OnCommand(WPARAM wParam, LPARAM lParam) {
    const UINT nCode = HIWORD(wParam);
    // The template's own texts arrive before the dialog is initialised: they change nothing.
    if (lParam && m_initialized && !m_loading &&
        (nCode == EN_CHANGE || nCode == CBN_EDITCHANGE || nCode == CBN_SELCHANGE)) {
        // The page's own handlers still see the notice.
        CPropertyPageExt::OnCommand(wParam, lParam);
        OnDataChanged();
        return TRUE;
    }
    return CPropertyPageExt::OnCommand(wParam, lParam);
}
