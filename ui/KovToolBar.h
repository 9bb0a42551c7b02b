// The program's tool bar: a framework tool bar that leaves its colours to its parent.
#pragma once

#include "platform/gui/ToolBar.h"

class CKovToolBar : public CToolBar {
    DECLARE_DYNAMIC(CKovToolBar)
public:
    CKovToolBar() = default;

protected:
    // No brush of its own: the parent's colours stand.
    HBRUSH CtlColor(CDC* pDC, UINT nCtlColor);
    DECLARE_MESSAGE_MAP()
};
