// A property sheet that hosts contact pages in the tests and counts their change reports.
#pragma once

#include "ui/PropertyPageExt.h"

class CHostSheet : public CPropertySheet {
public:
    CHostSheet() : CPropertySheet("联系人") {}
    int changes = 0;
    LRESULT OnPageChanged(WPARAM wParam, LPARAM) {
        if (wParam != 100)
            return Default();
        ++changes;
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

// As the contacts form does: the sheet in a form window of 640 x 560, every page window made from
// the start. FALSE when a window could not be made.
template <class Sheet> bool OpenSheetInForm(CWnd& form, Sheet& sheet) {
    if (!form.CreateEx(0, nullptr, "联系人", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 640, 560,
                       nullptr, nullptr) ||
        !sheet.Create(&form, WS_CHILD | WS_VISIBLE, 0))
        return false;
    sheet.SetWindowPos(nullptr, 0, 0, 620, 540, SWP_NOZORDER);
    for (int i = 0; i < 5; ++i)
        sheet.PressButton(PSBTN_NEXT);
    for (int i = 0; i < 5; ++i)
        sheet.PressButton(PSBTN_BACK);
    return true;
}
