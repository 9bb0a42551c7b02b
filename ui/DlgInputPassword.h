// Asks for the access password of a locked item; the caller checks what was entered.
#pragma once

#include "platform/gui/Dialog.h"

class CDlgInputPassword : public CDialog {
public:
    enum { IDD = 384 };
    explicit CDlgInputPassword(CWnd* pParent = nullptr);

    CString m_strPassword; // what was entered, after OK
    CString m_strName;     // the item's name, shown in the caption when not empty

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
};

// Shows an item's name after a dialog's own caption: "caption[name]".
void AppendItemNameToCaption(CDialog& dlg, const CString& name);
