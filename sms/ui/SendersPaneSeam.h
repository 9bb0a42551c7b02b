// Stand-ins for the right pane's senders views that this build does not have yet: the account's
// setting pages and a box's message list. Each says so in grey, so that selecting an account or a
// box never leaves the pane showing the folder left before.
#pragma once

#include "platform/gui/View.h"

class CSendersPaneSeam : public CView {
    DECLARE_DYNAMIC(CSendersPaneSeam)
public:
    void OnDraw(CDC* pDC) override;

protected:
    virtual CString GetText() const = 0;
};

class CSenderAccountSeam : public CSendersPaneSeam {
    DECLARE_DYNCREATE(CSenderAccountSeam)
protected:
    CString GetText() const override { return "帐户设置页不在本版本中。"; }
};

class CSenderBoxSeam : public CSendersPaneSeam {
    DECLARE_DYNCREATE(CSenderBoxSeam)
protected:
    CString GetText() const override { return "信箱的短信列表不在本版本中。"; }
};
