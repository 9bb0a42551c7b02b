// The companion of the compose form in which one recipient is written or changed: a name, a
// number (one of a contact's numbers or typed) and an e-mail address. It changes no message: it
// tells its parent (WM_COMMAND 1084 apply, 1082 add as a batch row), which takes the values.
#pragma once

#include "platform/gui/Dialog.h"

class _CPerson;

class CDlgEditNameCode : public CDialog {
public:
    enum { IDD = 240 };
    enum : UINT {
        IDC_NAME = 1022,
        IDC_NUMBER = 1010,
        IDC_NUMBER_LABEL = 1060,
        IDC_LENGTH = 1083,
        IDC_EMAIL = 1227,
        IDC_APPLY = 1084,
        IDC_ADD = 1082,
        IDC_UNDO = 1078
    };

    CDlgEditNameCode();
    // Made once, hidden, over the parent.
    BOOL Create(CWnd* pParent);

    // With bLoad the dialog takes the name and number (both empty with bEmpty) and fills its
    // lists from the contact; without, it reads its fields and gives name and number back. Then
    // it is shown or hidden.
    void Show(CString& strName, CString& strNumber, BOOL bLoad, BOOL bVisible, BOOL bEmpty);
    // Only while shown: focuses the field (IDC_NAME, IDC_NUMBER, IDC_EMAIL) and selects its text.
    void FocusField(UINT nID);
    BOOL IsShown() const { return m_bShown; }

    BOOL m_bShown = FALSE;
    BOOL m_bEmailOption = FALSE;
    _CPerson* m_pPerson = nullptr;
    int m_nType = -1; // 1 network addresses, anything else mobile numbers
    CString m_strNumber;
    CString m_strName;
    CString m_strEmail;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    void EnableEditButtons(BOOL bEnable);
    void UpdateLength();
    void OnFieldChange();
    void OnNumberChange();
    void OnApply();
    void OnAdd();
    void OnUndo();
    DECLARE_MESSAGE_MAP()
};
