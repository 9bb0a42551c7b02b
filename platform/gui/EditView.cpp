#include "platform/gui/EditView.h"

#include "platform/gui/Clipboard.h"

IMPLEMENT_DYNCREATE(CEditView, CCtrlView)

BEGIN_MESSAGE_MAP(CEditView, CCtrlView)
ON_COMMAND(ID_EDIT_CUT, &CEditView::OnEditCut)
ON_COMMAND(ID_EDIT_COPY, &CEditView::OnEditCopy)
ON_COMMAND(ID_EDIT_PASTE, &CEditView::OnEditPaste)
ON_COMMAND(ID_EDIT_CLEAR, &CEditView::OnEditClear)
ON_COMMAND(ID_EDIT_SELECT_ALL, &CEditView::OnEditSelectAll)
ON_COMMAND(ID_EDIT_UNDO, &CEditView::OnEditUndo)
ON_UPDATE_COMMAND_UI(ID_EDIT_CUT, &CEditView::OnUpdateNeedSel)
ON_UPDATE_COMMAND_UI(ID_EDIT_COPY, &CEditView::OnUpdateNeedSel)
ON_UPDATE_COMMAND_UI(ID_EDIT_CLEAR, &CEditView::OnUpdateNeedSel)
ON_UPDATE_COMMAND_UI(ID_EDIT_PASTE, &CEditView::OnUpdateEditPaste)
ON_UPDATE_COMMAND_UI(ID_EDIT_SELECT_ALL, &CEditView::OnUpdateNeedText)
ON_UPDATE_COMMAND_UI(ID_EDIT_UNDO, &CEditView::OnUpdateEditUndo)
END_MESSAGE_MAP()

const DWORD CEditView::dwStyleDefault = AFX_WS_DEFAULT_VIEW | WS_HSCROLL | WS_VSCROLL |
                                        ES_AUTOHSCROLL | ES_AUTOVSCROLL | ES_MULTILINE |
                                        ES_NOHIDESEL;

CEditView::CEditView() : CCtrlView("EDIT", dwStyleDefault) {
    SetControl(new CCtrlViewControl<CEdit>);
}

CEdit& CEditView::GetEditCtrl() const {
    return *static_cast<CEdit*>(GetControl());
}

UINT CEditView::GetBufferLength() const {
    return (UINT)GetEditCtrl().GetWindowTextLength();
}

void CEditView::OnEditCut() {
    GetEditCtrl().Cut();
}
void CEditView::OnEditCopy() {
    GetEditCtrl().Copy();
}
void CEditView::OnEditPaste() {
    GetEditCtrl().Paste();
}
void CEditView::OnEditClear() {
    GetEditCtrl().Clear();
}
void CEditView::OnEditSelectAll() {
    GetEditCtrl().SetSel(0, -1);
}
void CEditView::OnEditUndo() {
    GetEditCtrl().Undo();
}

void CEditView::OnUpdateNeedSel(CCmdUI* pCmdUI) {
    int nStart = 0, nEnd = 0;
    GetEditCtrl().GetSel(nStart, nEnd);
    pCmdUI->Enable(nStart != nEnd);
}
void CEditView::OnUpdateNeedText(CCmdUI* pCmdUI) {
    pCmdUI->Enable(GetBufferLength() != 0);
}
void CEditView::OnUpdateEditPaste(CCmdUI* pCmdUI) {
    pCmdUI->Enable(IsClipboardFormatAvailable(CF_TEXT));
}
void CEditView::OnUpdateEditUndo(CCmdUI* pCmdUI) {
    pCmdUI->Enable(GetEditCtrl().CanUndo());
}
