// A view that is a multi-line edit control: plain text typed into a window that fills the view.
// The text is the edit control's; the view adds the edit commands of the menus (cut, copy,
// paste, clear, select all, undo).
#pragma once

#include "platform/gui/Controls.h"
#include "platform/gui/CtrlView.h"

#ifndef ID_EDIT_CLEAR
#define ID_EDIT_CLEAR 0xE120
#endif
#ifndef ID_EDIT_COPY
#define ID_EDIT_COPY 0xE122
#endif
#ifndef ID_EDIT_CUT
#define ID_EDIT_CUT 0xE123
#endif
#ifndef ID_EDIT_PASTE
#define ID_EDIT_PASTE 0xE125
#endif
#ifndef ID_EDIT_SELECT_ALL
#define ID_EDIT_SELECT_ALL 0xE12A
#endif
#ifndef ID_EDIT_UNDO
#define ID_EDIT_UNDO 0xE12B
#endif

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
