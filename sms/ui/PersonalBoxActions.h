// What the address-book tree asks of the message windows on a contact's box: its statistics, its
// export as cards, the paste of the program's message clipboard and the drop of a list's rows.
#pragma once

#include "contacts/ui/LeftView.h"

class CPersonalBoxActions : public CLeftView::CIPersonalBoxActions {
public:
    void ShowStatistics(_CSmsBox* pBox, CWnd* pParent) override;
    void ExportCards(_CSmsBox* pBox, CWnd* pParent) override;
    // The clipboard is the list host's (none without a host).
    BOOL CanPasteMessages() override;
    BOOL PasteMessages(_CSmsBox* pBox) override;
    BOOL DropMessages(GROUPDROPQUERY& query, _CSmsBox* pBox) override;
};
