// The calls that rang on the phone: number, when it first rang and how long it rang.
#pragma once

#include "platform/gui/Dialog.h"
#include "platform/gui/ListCtrl.h"

class CMobileAgent;

class CDlgMEIncomingCallRecords : public CDialog {
public:
    enum { IDD = 4017 };
    enum { IDC_CALL_LIST = 4120 };
    enum { IDI_PHONE_CALL = 4031 };

    // Without an agent the list stays empty.
    explicit CDlgMEIncomingCallRecords(CMobileAgent* pAgent, CWnd* pParent = nullptr);
    ~CDlgMEIncomingCallRecords() override;

    CListCtrl& GetList() { return m_list; }

protected:
    BOOL OnInitDialog() override;

private:
    CMobileAgent* m_pAgent;
    CListCtrl m_list;
    HICON m_hIcon = nullptr;
};
