// A view that is a multi-line edit control: plain text typed into a window that fills the view.
// The text is the edit control's; the view adds the edit commands of the menus (cut, copy,
// paste, clear, select all, undo).
#pragma once

#include "platform/gui/Controls.h"
#include "platform/gui/CtrlView.h"
#include "platform/gui/EditCommands.h"


class CEditView : public CCtrlView {
    DECLARE_DYNCREATE(CEditView)
public:
    // The style an edit view gets: scrolling both ways, the selection kept while unfocused.
    static const DWORD dwStyleDefault;

    CEditView();
    CEdit& GetEditCtrl() const;
    // The length of the text in bytes (GBK).
    UINT GetBufferLength() const;

protected:
    void OnEditCut();
    void OnEditCopy();
    void OnEditPaste();
    void OnEditClear();
    void OnEditSelectAll();
    void OnEditUndo();
    void OnUpdateNeedSel(CCmdUI* pCmdUI);
    void OnUpdateNeedText(CCmdUI* pCmdUI);
    void OnUpdateEditPaste(CCmdUI* pCmdUI);
    void OnUpdateEditUndo(CCmdUI* pCmdUI);
    DECLARE_MESSAGE_MAP()
};
