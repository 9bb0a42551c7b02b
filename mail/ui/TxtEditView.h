// Plain text in a word-wrapped edit view: the body of a mail being written and, read-only, the
// text of the mail shown under a box's list. Its font is the window font a quarter larger.
#pragma once

#include "platform/gui/Dc.h"
#include "platform/gui/EditView.h"

class CTxtEditView : public CEditView {
    DECLARE_DYNCREATE(CTxtEditView)
public:
    CTxtEditView();
    CString GetText() const;
    void SetText(LPCTSTR lpszText);
    void OnInitialUpdate() override;

protected:
    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    CFont m_font;
};
