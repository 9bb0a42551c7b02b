// A page shown as a child of a dialog that owns the OK and Cancel buttons (the options dialog):
// Enter and Escape in the page are that dialog's, so a page never applies itself before the
// dialog's OK reaches it. The page goes with its window, as the dialog's bar never deletes one.
#pragma once

#include "ui/KovPropertyPage.h"

class CHostedOptionPage : public CKovPropertyPage {
    DECLARE_DYNAMIC(CHostedOptionPage)
public:
    explicit CHostedOptionPage(UINT nIDTemplate) : CKovPropertyPage(nIDTemplate) {}

    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    void PostNcDestroy() override { delete this; }
    void OnControlChanged() { OnPageChanged(); }
    void OnControlRangeChanged(UINT) { OnPageChanged(); }
};
