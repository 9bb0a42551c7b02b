#include "platform/gui/CmdTarget.h"

#include "platform/gui/WinApp.h"

IMPLEMENT_DYNAMIC(CCmdTarget, CObject)

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const {
    return GetThisMessageMap();
}

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap() {
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, nullptr, nullptr}};
    static const AFX_MSGMAP map = {nullptr, &entries[0]};
    return &map;
}

BOOL CCmdTarget::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
    UINT message = WM_COMMAND;
    UINT code = (UINT)nCode;
    if (code != CN_UPDATE_COMMAND_UI) {
        // Notifications carry WM_NOTIFY in the high word; commands and control codes do not.
        if (HIWORD(code) == WM_NOTIFY)
            message = WM_NOTIFY;
        code = LOWORD(code);
    }
    for (const AFX_MSGMAP* map = GetMessageMap(); map;
         map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e->pfn; ++e) {
            if (e->nMessage != message || e->nCode != code || nID < e->nID || nID > e->nLastID)
                continue;
            if (pHandlerInfo) {
                pHandlerInfo->pTarget = this;
                pHandlerInfo->pmf = e->pfn;
                return TRUE;
            }
            AFX_MSGCALL call;
            call.message = message;
            call.nID = nID;
            call.pExtra = pExtra;
            if (code == CN_UPDATE_COMMAND_UI) {
                auto* ui = static_cast<CCmdUI*>(pExtra);
                ui->m_bContinueRouting = FALSE;
                e->pfn(this, call);
                // An update handler may pass the item on to the next target.
                return !ui->m_bContinueRouting;
            }
            return e->pfn(this, call);
        }
    }
    return FALSE;
}

void CCmdTarget::BeginWaitCursor() {
    AfxWaitCursor(1);
}
void CCmdTarget::EndWaitCursor() {
    AfxWaitCursor(-1);
}
void CCmdTarget::RestoreWaitCursor() {
    AfxWaitCursor(0);
}

// ---- CCmdUI ---------------------------------------------------------------------------------

void CCmdUI::Enable(BOOL bOn) {
    if (m_pOther) {
        // A control losing the input focus as it is disabled passes it to the next one.
        if (!bOn && CWnd::GetFocus() == m_pOther)
            if (CWnd* parent = m_pOther->GetParent())
                if (CWnd* next = parent->GetNextDlgTabItem(m_pOther))
                    next->SetFocus();
        m_pOther->EnableWindow(bOn);
    }
    m_bEnableChanged = TRUE;
}

void CCmdUI::SetCheck(int nCheck) {
    if (m_pOther && m_pOther->m_hWnd)
        m_pOther->SendMessage(0x00F1 /* BM_SETCHECK */, (WPARAM)nCheck, 0);
}

void CCmdUI::SetRadio(BOOL bOn) {
    SetCheck(bOn ? 1 : 0);
}

void CCmdUI::SetText(LPCTSTR lpszText) {
    if (m_pOther)
        m_pOther->SetWindowText(lpszText);
}

BOOL CCmdUI::DoUpdate(CCmdTarget* pTarget, BOOL bDisableIfNoHndler) {
    if (m_nID == 0 || LOWORD(m_nID) == 0xFFFF)
        return TRUE;
    m_bEnableChanged = FALSE;
    BOOL handled = pTarget->OnCmdMsg(m_nID, (int)CN_UPDATE_COMMAND_UI, this, nullptr);
    if (!handled && bDisableIfNoHndler && !m_bEnableChanged) {
        AFX_CMDHANDLERINFO info{nullptr, nullptr};
        // An item with a command handler is enabled, one nobody handles is greyed. Both are
        // set every time: a tool bar button greyed while nobody could take its command (the
        // window was busy) must come back once someone can.
        Enable(pTarget->OnCmdMsg(m_nID, CN_COMMAND, this, &info));
    }
    return handled;
}
