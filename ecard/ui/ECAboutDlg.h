// The e-card window's about box: the service's name, its version and its slogan in green.
#pragma once

#include "platform/gui/Dialog.h"

class CECAboutDlg : public CDialog {
public:
    enum { IDD = 4001, IDC_SLOGAN = 1111 };
    static constexpr COLORREF kSloganColour = 0x00E100;

    explicit CECAboutDlg(CWnd* pParent = nullptr) : CDialog(IDD, pParent) {}

protected:
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    DECLARE_MESSAGE_MAP()
};
