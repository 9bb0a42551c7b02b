#include "contacts/ui/ViewInvalidVirtualItem.h"

IMPLEMENT_DYNCREATE(CViewInvalidVirtualItem, CView)

BEGIN_MESSAGE_MAP(CViewInvalidVirtualItem, CView)
ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

CViewInvalidVirtualItem::CViewInvalidVirtualItem() = default;

CString CViewInvalidVirtualItem::GetText() {
    CString invalid, item, text;
    invalid.LoadString(915);
    item.LoadString(914);
    text.Format("%s%s!", invalid.GetString(), item.GetString());
    return text;
}

void CViewInvalidVirtualItem::SetNotifyWnd(CWnd* pWnd) {
    if (pWnd != nullptr)
        SetOwner(pWnd);
}

BOOL CViewInvalidVirtualItem::OnEraseBkgnd(CDC*) {
    // OnDraw fills the whole client.
    return TRUE;
}

void CViewInvalidVirtualItem::OnDraw(CDC* pDC) {
    CRect rc;
    GetClientRect(&rc);
    pDC->FillSolidRect(&rc, ::GetSysColor(COLOR_APPWORKSPACE));
    CFont* pOld = pDC->SelectObject(CFont::FromHandle((HFONT)::GetStockObject(DEFAULT_GUI_FONT)));
    pDC->SetTextColor(RGB(255, 0, 0));
    pDC->SetBkMode(TRANSPARENT);
    pDC->DrawText(GetText(), &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    if (pOld != nullptr)
        pDC->SelectObject(pOld);
}
