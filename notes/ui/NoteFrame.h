// The frame of the page being edited, in the right pane: the format bar above the page editor.
// Its two commands end an edit: "确认修改" stores the edits into the page and marks the notebook
// modified, "放弃修改" shows the stored page again and puts the notebook's modified mark back as
// it was when the page's editing began. Both are enabled only while the page has unsaved edits.
#pragma once

#include "notes/ui/FormatBar.h"
#include "platform/gui/Frame.h"
#include "ui/RightPaneView.h"

class CWordPadView;

class CNoteFrame : public CFrameWnd, public CIRightPaneView {
    DECLARE_DYNCREATE(CNoteFrame)
public:
    enum : UINT { ID_CONFIRM = 32821, ID_DISCARD = 32822 };

    CNoteFrame();
    ~CNoteFrame() override;

    CWordPadView* GetEditor() const { return m_pEditor; }
    CFormatBar& GetFormatBar() { return m_formatBar; }
    // Ends the edit: confirmed (stored) or discarded (reloaded), then tells the tree.
    void EndEdit(BOOL bConfirm);

    void SetNotifyWnd(CWnd* pWnd) override { m_pNotifyWnd = pWnd; }
    CWnd* GetNotifyWnd() const { return m_pNotifyWnd; }

    BOOL OnCreateClient(LPCREATESTRUCT lpcs, CCreateContext* pContext) override;
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;

protected:
    void OnConfirm();
    void OnDiscard();
    void OnUpdateEditEnd(CCmdUI* pCmdUI);
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    DECLARE_MESSAGE_MAP()

    CFormatBar m_formatBar;
    CWordPadView* m_pEditor = nullptr;
    CWnd* m_pNotifyWnd = nullptr;
};
