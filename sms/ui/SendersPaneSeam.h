// A stand-in for the right pane's senders view that this build does not have yet: a box's
// message list. It says so in grey, so that selecting a box never leaves the pane showing the
// folder left before.
#pragma once

#include "platform/gui/View.h"

class CSendersPaneSeam : public CView {
    DECLARE_DYNAMIC(CSendersPaneSeam)
public:
    void OnDraw(CDC* pDC) override;

protected:
    virtual CString GetText() const = 0;
};

class CSenderBoxSeam : public CSendersPaneSeam {
    DECLARE_DYNCREATE(CSenderBoxSeam)
protected:
    CString GetText() const override { return "信箱的短信列表不在本版本中。"; }
};
