#include "ecard/ui/ECAboutDlg.h"

BEGIN_MESSAGE_MAP(CECAboutDlg, CDialog)
ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

HBRUSH CECAboutDlg::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) {
    HBRUSH hbr = CDialog::OnCtlColor(pDC, pWnd, nCtlColor);
    if (pWnd != nullptr && pWnd->GetDlgCtrlID() == IDC_SLOGAN) {
        // A static keeps its own colours unless its ground is left to the dialog.
        pDC->SetTextColor(kSloganColour);
        pDC->SetBkMode(TRANSPARENT);
        return (HBRUSH)::GetStockObject(HOLLOW_BRUSH);
    }
    return hbr;
}
