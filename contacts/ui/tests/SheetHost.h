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
