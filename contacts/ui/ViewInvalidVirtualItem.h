// The view of a linked contact whose source is gone: one red line, "无效的虚拟联系人!", in the
// middle of an empty workspace.
#pragma once

#include "platform/gui/View.h"
#include "ui/RightPaneView.h"

class CViewInvalidVirtualItem : public CView, public CIRightPaneView {
    DECLARE_DYNCREATE(CViewInvalidVirtualItem)
public:
    CViewInvalidVirtualItem();

    // The line the view shows.
    static CString GetText();

    void SetNotifyWnd(CWnd* pWnd) override;
    void OnDraw(CDC* pDC) override;

protected:
    BOOL OnEraseBkgnd(CDC* pDC);
    DECLARE_MESSAGE_MAP()
};
