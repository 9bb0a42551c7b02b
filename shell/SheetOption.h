// The options dialog of the program (command 388 of the main window): the general, address book,
// sender, SMS, notebook, schedule, calendar and proxy pages.
#pragma once

#include "shell/OutbarSheet.h"

class CSheetOption : public COutbarSheet {
public:
    enum { IDD = 389 };
    explicit CSheetOption(CWnd* pParent = nullptr);

    static const OutbarSheetImage kImages[];
    static CRuntimeClass* const kPages[];
};
