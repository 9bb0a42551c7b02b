#include "FrameTestSupport.h"

IMPLEMENT_DYNCREATE(CPaneColourView, CView)

void CPaneColourView::OnDraw(CDC* pDC) {
    CRect rc;
    GetClientRect(&rc);
    pDC->FillSolidRect(&rc, GetDlgCtrlID() == AFX_IDW_PANE_FIRST ? RGB(220, 235, 255)
                                                                 : RGB(255, 250, 220));
}
