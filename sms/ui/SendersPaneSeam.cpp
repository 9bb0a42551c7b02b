#include "sms/ui/SendersPaneSeam.h"

#include "platform/gui/Dc.h"

IMPLEMENT_DYNAMIC(CSendersPaneSeam, CView)
IMPLEMENT_DYNCREATE(CSenderBoxSeam, CSendersPaneSeam)

void CSendersPaneSeam::OnDraw(CDC* pDC) {
    CRect rc;
    GetClientRect(&rc);
    pDC->FillSolidRect(&rc, ::GetSysColor(COLOR_WINDOW));
    pDC->SetBkMode(TRANSPARENT);
    pDC->SetTextColor(::GetSysColor(COLOR_GRAYTEXT));
    rc.DeflateRect(8, 16);
    pDC->DrawText(GetText(), &rc, DT_CENTER | DT_WORDBREAK);
}
