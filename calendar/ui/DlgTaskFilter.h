// The dialog that sets which tasks a task list shows: five criteria, each a box that switches
// it on and the value boxes of the values let through.
#pragma once

#include "calendar/Task.h"
#include "platform/gui/Dialog.h"

class CDlgTaskFilter : public CDialog {
public:
    enum : UINT { IDD = 511, IDC_CLEAR = 1021 };
    struct Criterion {
        UINT nBox;
        int nBit;
        UINT values[5];
        int nValues;
    };
    static const Criterion kCriteria[5];

    CDlgTaskFilter(CTaskFilter* pFilter, CWnd* pParent = nullptr);

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    void EnableValues(const Criterion& c);

    CTaskFilter* m_pFilter;
};
