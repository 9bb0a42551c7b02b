#include "platform/gui/CommCtrl.h"

#include "platform/gui/Wnd.h"

LRESULT AfxSendNotify(CWnd* pCtrl, NMHDR* pHdr, UINT code) {
    if (!pCtrl || !pHdr)
        return 0;
    pHdr->hwndFrom = pCtrl->m_hWnd;
    pHdr->idFrom = (UINT_PTR)pCtrl->GetDlgCtrlID();
    pHdr->code = code;
    CWnd* parent = pCtrl->GetParent();
    if (!parent)
        parent = pCtrl->GetOwner();
    if (!parent)
        return 0;
    return parent->SendMessage(WM_NOTIFY, (WPARAM)pHdr->idFrom, (LPARAM)pHdr);
}
