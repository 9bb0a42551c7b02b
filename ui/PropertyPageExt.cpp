#include "ui/PropertyPageExt.h"

#include "platform/gui/MessageBox.h"
#include "platform/gui/ToolTipCtrl.h"
#include "platform/gui/WndPrivate.h"
#include "platform/gui/WndProc.h"
#include "ui/EnterEscapeHook.h"
#include "ui/KovPropertyPage.h"
#include "ui/MultiComboBox.h"

namespace {

// A combo box turns Enter and Escape (its own keys, or the commands its edit posts) into
// commands for its parent.
LRESULT ComboEnterEscapeProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    WPARAM command = 0;
    LRESULT r =
        CallKeepingEnterEscape(&ComboEnterEscapeProc, hWnd, message, wParam, lParam, command);
    if (message == WM_COMMAND && (wParam == IDOK || wParam == IDCANCEL))
        command = wParam;
    CWnd* w = command ? CWnd::FromHandle(hWnd) : nullptr;
    if (CWnd* parent = w ? w->GetParent() : nullptr)
        parent->PostMessage(WM_COMMAND, command, 0);
    return r;
}

} // namespace

BOOL HookComboEnterEscape(CComboBox* pCombo) {
    if (!pCombo || !pCombo->m_hWnd)
        return FALSE;
    CMultiComboBox::HookEditKeys(pCombo);
    return AfxHookWndProc(pCombo->m_hWnd, &ComboEnterEscapeProc);
}

IMPLEMENT_DYNAMIC(CPropertyPageExt, CPropertyPage)

BEGIN_MESSAGE_MAP(CPropertyPageExt, CPropertyPage)
ON_WM_CONTEXTMENU()
ON_COMMAND(IDOK, &CPropertyPageExt::OnEnterCommand)
ON_COMMAND(IDCANCEL, &CPropertyPageExt::OnEscapeCommand)
END_MESSAGE_MAP()

CPropertyPageExt::CPropertyPageExt() = default;

CPropertyPageExt::CPropertyPageExt(UINT nIDTemplate, UINT nIDCaption)
    : CPropertyPage(nIDTemplate, nIDCaption) {}

CPropertyPageExt::~CPropertyPageExt() = default;

LRESULT CPropertyPageExt::SetChanged(BOOL bChanged) {
    m_changed = bChanged;
    return bChanged ? NotifyParentChanged() : 0;
}

void CPropertyPageExt::ShowContextMenu(CWnd*, CPoint) {
    AfxMessageBox("CPropertyPageExt's context menu.");
}

void CPropertyPageExt::FocusPrevItem() {
    if (CWnd* next = GetNextDlgTabItem(GetFocus(), TRUE))
        next->SetFocus();
}

void CPropertyPageExt::FocusNextItem() {
    if (CWnd* next = GetNextDlgTabItem(GetFocus(), FALSE))
        next->SetFocus();
}

void CPropertyPageExt::GetLayoutRect(RECT* pRect) {
    CRect client;
    GetClientRect(&client);
    CRect top;
    if (m_layoutTopItem && GetItemRect(m_layoutTopItem, &top))
        client.top = top.bottom;
    client.left += m_sideMargin;
    client.right -= m_sideMargin;
    CRect whole;
    GetClientRect(&whole);
    int m = whole.Height() / 15;
    client.top += m;
    client.bottom -= m;
    *pRect = client;
}

LRESULT CPropertyPageExt::NotifyParentChanged() {
    return SendPageReport(GetParent(), WM_PAGEEXT_CHANGED, 100, 0);
}

BOOL CPropertyPageExt::OnInitDialog() {
    BOOL r = CPropertyPage::OnInitDialog();
    m_initialized = TRUE;
    return r;
}

BOOL CPropertyPageExt::OnSetActive() {
    m_active = TRUE;
    CPropertyPage::OnSetActive();
    return TRUE;
}

BOOL CPropertyPageExt::OnKillActive() {
    m_active = FALSE;
    return CPropertyPage::OnKillActive();
}

BOOL CPropertyPageExt::PreTranslateMessage(MSG* pMsg) {
    if (pMsg->message == WM_CLOSE)
        return TRUE;
    return CPropertyPage::PreTranslateMessage(pMsg);
}

BOOL CPropertyPageExt::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    if (message == WM_CONTEXTMENU) {
        // Inside a sheet the sheet shows the menu for all its pages.
        if (CWnd* parent = GetParent()) {
            parent->PostMessage(message, wParam, lParam);
            if (pResult)
                *pResult = 0;
            return TRUE;
        }
    }
    return CPropertyPage::OnWndMsg(message, wParam, lParam, pResult);
}

BOOL CPropertyPageExt::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    auto* hdr = reinterpret_cast<NMHDR*>(lParam);
    if (!hdr || hdr->code != TTN_NEEDTEXT)
        return CPropertyPage::OnNotify(wParam, lParam, pResult);
    auto* info = reinterpret_cast<NMTTDISPINFO*>(lParam);
    UINT id = (UINT)hdr->idFrom;
    if (info->uFlags & TTF_IDISHWND) {
        CWnd* tool = CWnd::FromHandle((HWND)hdr->idFrom);
        id = tool ? (UINT)tool->GetDlgCtrlID() : 0;
    }
    CString entry;
    if (id == 0 || !entry.LoadString(id))
        return FALSE;
    int nl = entry.Find('\n');
    CString tip = nl >= 0 ? entry.Mid(nl + 1) : CString();
    // The notification's own buffer holds 79 bytes and the end; a character never goes in half.
    AfxCopyTextOut(tip, info->szText, sizeof info->szText);
    info->lpszText = info->szText;
    if (pResult)
        *pResult = 0;
    if (CWnd* tipWnd = CWnd::FromHandle(hdr->hwndFrom))
        tipWnd->SetWindowPos(&CWnd::wndTop, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return TRUE;
}

BOOL CPropertyPageExt::GetItemRect(UINT nID, RECT* pRect) const {
    CWnd* item = GetDlgItem((int)nID);
    if (!item)
        return FALSE;
    item->GetWindowRect(pRect);
    ScreenToClient(pRect);
    return TRUE;
}

int CPropertyPageExt::FieldHeight(UINT nID) const {
    CRect rc(0, 0, 0, 0);
    GetItemRect(nID, &rc);
    return rc.Height();
}

float CPropertyPageExt::CalcRowGap() {
    if (m_rowCount < 2 || !m_fieldItems)
        return 0.0f; // one row has no gap: it stands at the top
    CRect area;
    GetLayoutRect(&area);
    int fields = 0;
    for (int i = 0; i < m_rowCount; ++i)
        fields += FieldHeight(m_fieldItems[i].id);
    return (float)(area.Height() - fields) / (float)(m_rowCount - 1);
}

namespace {

void MoveTo(CWnd* w, int x, int y) {
    if (w)
        w->SetWindowPos(nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace

void CPropertyPageExt::LayoutFieldRows() {
    if (m_rowCount < 1 || !m_labelIds || !m_fieldItems)
        return;
    CRect area;
    GetLayoutRect(&area);
    int middle = (area.left + area.right) / 2;
    float gap = CalcRowGap();
    float above = 0.0f;
    auto placeColumn = [&](UINT labelId, UINT iconId, const SFieldItem& field, int labelX, int y,
                           int iconX, int rightToMiddle) {
        CWnd* label = GetDlgItem((int)labelId);
        if (!label)
            return;
        MoveTo(label, labelX, y);
        CRect lr;
        GetItemRect(labelId, &lr);
        if (iconId) {
            CRect ir;
            if (GetItemRect(iconId, &ir))
                MoveTo(GetDlgItem((int)iconId), iconX, lr.top - (ir.Height() - lr.Height()) / 2);
        }
        CWnd* fieldWnd = GetDlgItem((int)field.id);
        CRect fr;
        if (!fieldWnd || !GetItemRect(field.id, &fr))
            return;
        int left = lr.right + 1;
        int right = left + fr.Width();
        if (field.widthMode == FIELD_WIDTH_TO_MIDDLE)
            right = rightToMiddle;
        else if (field.widthMode == FIELD_WIDTH_TO_RIGHT)
            right = area.right;
        fieldWnd->SetWindowPos(nullptr, left, lr.top, right - left, fr.Height(),
                               SWP_NOZORDER | SWP_NOACTIVATE);
    };
    for (int i = 0; i < m_rowCount; ++i) {
        int y = (int)((float)area.top + (float)i * gap + above);
        placeColumn(m_labelIds[i], m_iconIds ? m_iconIds[i] : 0, m_fieldItems[i], area.left + 34,
                    y, area.left, middle - m_sideMargin);
        if (m_labelIds2 && m_labelIds2[i] && m_fieldItems2) {
            CRect lr;
            GetItemRect(m_labelIds[i], &lr);
            // A second-column field with the middle rule would have no room: it runs to the right.
            SFieldItem second = m_fieldItems2[i];
            if (second.widthMode == FIELD_WIDTH_TO_MIDDLE)
                second.widthMode = FIELD_WIDTH_TO_RIGHT;
            placeColumn(m_labelIds2[i], m_iconIds2 ? m_iconIds2[i] : 0, second, middle + 34,
                        lr.top, middle, area.right);
        }
        above += (float)FieldHeight(m_fieldItems[i].id);
    }
}

BOOL CPropertyPageExt::HookEnterEscape(UINT nID) {
    return HookEnterEscapeKeys(GetDlgItem((int)nID));
}

int CPropertyPageExt::HookEnterEscapeItems(const UINT* pIDs, int count) {
    int hooked = 0;
    for (int i = 0; i < count; ++i)
        hooked += HookEnterEscape(pIDs[i]) ? 1 : 0;
    return hooked;
}

BOOL CPropertyPageExt::HookComboItem(UINT nID) {
    return HookComboEnterEscape(dynamic_cast<CComboBox*>(GetDlgItem((int)nID)));
}
