// A view filled by one column tree control (a tree with header columns). A derived view may set
// another control class before the view is created.
#pragma once

#include "platform/gui/View.h"
#include "ui/ColumnTreeCtrl.h"

class CKovColumnTreeView : public CView {
    DECLARE_DYNCREATE(CKovColumnTreeView)
public:
    CKovColumnTreeView();
    ~CKovColumnTreeView() override;

    // The tree inside the column tree control.
    CCustomTreeChildCtrl& GetTreeCtrl() const { return m_pColumnTree->GetTreeCtrl(); }
    CColumnTreeCtrl* GetColumnTreeCtrl() const { return m_pColumnTree; }
    void OnInitialUpdate() override;
    void OnDraw(CDC*) override {}

    CRuntimeClass* m_pControlClass;

protected:
    CColumnTreeCtrl* m_pColumnTree = nullptr;
    BOOL m_bInitialized = FALSE;

    int OnCreate(LPCREATESTRUCT lpcs);
    void OnSize(UINT nType, int cx, int cy);
    DECLARE_MESSAGE_MAP()
};
