#include "notes/ui/NoteFrame.h"

#include "core/QuillmarBaseDoc.h"
#include "notes/ui/WordPadView.h"
#include "platform/gui/MessageBox.h"
#include "ui/GroupTreeView.h"

IMPLEMENT_DYNCREATE(CNoteFrame, CFrameWnd)

BEGIN_MESSAGE_MAP(CNoteFrame, CFrameWnd)
ON_COMMAND(CNoteFrame::ID_CONFIRM, &CNoteFrame::OnConfirm)
ON_COMMAND(CNoteFrame::ID_DISCARD, &CNoteFrame::OnDiscard)
ON_UPDATE_COMMAND_UI(CNoteFrame::ID_CONFIRM, &CNoteFrame::OnUpdateEditEnd)
ON_UPDATE_COMMAND_UI(CNoteFrame::ID_DISCARD, &CNoteFrame::OnUpdateEditEnd)
END_MESSAGE_MAP()

CNoteFrame::CNoteFrame() = default;

CNoteFrame::~CNoteFrame() = default;

BOOL CNoteFrame::OnCreateClient(LPCREATESTRUCT, CCreateContext* pContext) {
    if (!m_formatBar.Create(this, AFX_IDW_TOOLBAR + 1))
        return FALSE;
    m_formatBar.SetOwner(this);
    CCreateContext context;
    if (pContext != nullptr)
        context = *pContext;
    context.m_pNewViewClass = RUNTIME_CLASS(CWordPadView);
    m_pEditor = dynamic_cast<CWordPadView*>(CreateView(&context));
    if (m_pEditor == nullptr)
        return FALSE;
    SetActiveView(m_pEditor);
    m_pEditor->OnInitialUpdate();
    return TRUE;
}

BOOL CNoteFrame::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
    // The editor first, then the frame's own commands.
    if (m_pEditor != nullptr && m_pEditor->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
        return TRUE;
    return CFrameWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

void CNoteFrame::OnUpdateEditEnd(CCmdUI* pCmdUI) {
    pCmdUI->Enable(m_pEditor != nullptr && m_pEditor->HasUnsavedEdits());
}

void CNoteFrame::OnConfirm() {
    if (m_pEditor != nullptr && m_pEditor->HasUnsavedEdits())
        EndEdit(TRUE);
}

void CNoteFrame::OnDiscard() {
    if (m_pEditor == nullptr || !m_pEditor->HasUnsavedEdits())
        return;
    if (AfxMessageBox("您真的想放弃修改吗？", MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    EndEdit(FALSE);
}

void CNoteFrame::EndEdit(BOOL bConfirm) {
    if (m_pEditor == nullptr)
        return;
    CQuillmarBaseDoc* pDoc = m_pEditor->GetNotebook();
    if (bConfirm) {
        if (m_pEditor->StoreEdits() && pDoc != nullptr) {
            if (m_pNotifyWnd != nullptr)
                m_pNotifyWnd->SendMessage(WM_GROUPVIEW_MODIFIED);
            else
                pDoc->SetModifiedFlag(TRUE);
        }
    } else {
        // The notebook's mark goes back to what it was when this page's editing began: other
        // pages' confirmed edits keep it set.
        if (pDoc != nullptr && pDoc->IsModified() != m_pEditor->WasNotebookModifiedAtStart())
            pDoc->SetModifiedFlag(m_pEditor->WasNotebookModifiedAtStart());
        m_pEditor->ReloadPage();
        if (m_pNotifyWnd != nullptr)
            m_pNotifyWnd->Invalidate();
    }
    if (m_pNotifyWnd != nullptr)
        m_pNotifyWnd->SendMessage(WM_VIEW_BUSY, 102, bConfirm ? ID_CONFIRM : ID_DISCARD);
}

BOOL CNoteFrame::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    auto* nm = reinterpret_cast<NMHDR*>(lParam);
    if (nm != nullptr && m_formatBar.m_hWnd != nullptr && nm->hwndFrom == m_formatBar.m_hWnd &&
        m_pEditor != nullptr) {
        auto* fnm = reinterpret_cast<CHARHDR*>(lParam);
        switch (nm->code) {
        case FN_SETFORMAT:
            m_pEditor->SetCharFormat(fnm->cf);
            m_pEditor->SetFocus();
            break;
        case FN_GETFORMAT:
            fnm->cf = m_pEditor->GetCharFormatSelection();
            break;
        case (UINT)NM_RETURN:
            m_pEditor->SetFocus();
            break;
        default:
            break;
        }
        if (pResult != nullptr)
            *pResult = 1;
        return TRUE;
    }
    return CFrameWnd::OnNotify(wParam, lParam, pResult);
}
