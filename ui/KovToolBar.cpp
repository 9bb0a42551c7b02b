#include "ui/KovToolBar.h"

IMPLEMENT_DYNAMIC(CKovToolBar, CToolBar)

BEGIN_MESSAGE_MAP(CKovToolBar, CToolBar)
ON_WM_CTLCOLOR_REFLECT()
END_MESSAGE_MAP()

HBRUSH CKovToolBar::CtlColor(CDC*, UINT) {
    return nullptr;
}
