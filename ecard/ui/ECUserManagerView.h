// The "我的帐户" page of an e-card user's window: four large icons for the account tasks, each
// sending its command to the window.
#pragma once

#include "platform/gui/ImageList.h"
#include "ui/ContentView.h"

class CECRightPaneFrame;
class CECUserDoc;

class CECUserManagerView : public CContentView {
    DECLARE_DYNCREATE(CECUserManagerView)
public:
    CECUserManagerView();

    // The commands of the items, in order.
    static UINT GetItemCommand(int nIndex);

    CECRightPaneFrame* m_pRightPane = nullptr;
    CECUserDoc* m_pDoc = nullptr;
    BOOL m_bIdle = TRUE;

protected:
    int OnCreate(LPCREATESTRUCT lpcs);
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnLButtonUp(UINT nFlags, CPoint point);
    LRESULT OnFolderNotice(WPARAM wParam, LPARAM lParam);
    void PostNcDestroy() override;

    CImageList m_large, m_small;
    int m_nPressed = -1;
    DECLARE_MESSAGE_MAP()
};
