// The contact form on the right of the address-book tree: the six-page contact sheet filled
// with the tree's current contact. Edits are written back on "确认修改" (32821) or dropped on
// "放弃修改" (32822); while the main pages hold unsaved edits the tree may not leave the form.
#pragma once

#include "contacts/ui/PSheetNamebook.h"
#include "platform/gui/View.h"
#include "ui/RightPaneView.h"

class _CPerson;

class CFormNamebook : public CView, public CIRightPaneView {
    DECLARE_DYNCREATE(CFormNamebook)
public:
    enum : UINT {
        ID_CONFIRM_EDIT = 32821,
        ID_DISCARD_EDIT = 32822,
        ID_RELOAD = 32793,
        ID_GO_UP = 32846,
        IDC_SHEET = 1005
    };

    // Shows the page and control of the contact field in wParam.
    static constexpr UINT WM_SHOW_FIELD = 0x591;
    // The sheet is never laid out smaller: a smaller form shows a part of it.
    static constexpr int kMinSheetWidth = 200, kMinSheetHeight = 100;

    CFormNamebook();

    CPSheetNamebook& GetSheet() { return m_sheet; }
    // The contact the sheet shows (null when the current object is no contact).
    _CPerson* GetPerson() const { return m_pPerson; }
    // TRUE while the sheet holds edits not written into the contact.
    BOOL IsEditModified();

    // The window the form tells of its edits (the tree).
    void SetNotifyWnd(CWnd* pWnd) override;
    void OnInitialUpdate() override;
    void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) override;
    void OnDraw(CDC* pDC) override;
    // Commands go to the sheet's active page first.
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;

protected:
    CPSheetNamebook m_sheet;
    _CPerson* m_pPerson = nullptr;

    void CreateSheet();
    void LoadPerson();
    void ClearModified();
    CWnd* Tree();
    void OnSize(UINT nType, int cx, int cy);
    void FitSheet(int cx, int cy);
    void OnConfirm();
    void OnDiscard();
    void OnReload();
    void OnUpdateModified(CCmdUI* pCmdUI);
    // Selects the contact's group in the tree.
    void OnGoUp();
    void OnUpdateGoUp(CCmdUI* pCmdUI);
    LRESULT OnShowField(WPARAM wParam, LPARAM lParam);
    LRESULT OnSheetChanged(WPARAM wParam, LPARAM lParam);
    LRESULT OnQueryKeep(WPARAM wParam, LPARAM lParam);
    void OnContextMenu(CWnd* pWnd, CPoint point);
    DECLARE_MESSAGE_MAP()
};
