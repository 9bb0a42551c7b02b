// The e-card window's small dialogs: the IDs to add as contacts, and the ID to find.
#pragma once

#include "platform/base/Collections.h"
#include "platform/gui/Dialog.h"

class CECUser;

class CECDlgAddContacts : public CDialog {
public:
    enum { IDD = 484, IDC_IDS = 1006 };
    explicit CECDlgAddContacts(CWnd* pParent = nullptr) : CDialog(IDD, pParent) {}

    CString m_strIDs;
    // Every run of digits is one ID; the rest separates them. FALSE when a run is 0 or does not
    // fit in 32 bits (it would name another user).
    static BOOL ParseIDs(const CString& text, CDWordArray& ids);
    // The request set of the user becomes the IDs typed, each without a contact.
    void FillRequestSet(CECUser& user) const;

    void DoDataExchange(CDataExchange* pDX) override;
    void OnOK() override;
};

class CECDlgFindContactID : public CDialog {
public:
    enum { IDD = 4002, IDC_ID = 1006, IDC_IN_GROUP = 1213, IDC_IN_ALL = 1214 };
    explicit CECDlgFindContactID(CWnd* pParent = nullptr) : CDialog(IDD, pParent) {}

    UINT m_nID = 0;
    int m_nScope = 1; // 0 the current group, 1 all contacts

    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnOK() override;
};
