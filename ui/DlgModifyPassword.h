// Sets, changes or removes an item's access password: the new password entered twice.
#pragma once

#include "platform/gui/Dialog.h"

class CDlgModifyPassword : public CDialog {
public:
    enum { IDD = 383 };
    explicit CDlgModifyPassword(CWnd* pParent = nullptr);

    CString m_strPassword; // the new password after OK; empty removes the password
    CString m_strConfirm;
    CString m_strName; // the item's name, shown in the caption when not empty

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
};
