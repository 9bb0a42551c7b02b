// The sender and every recipient of one message, with their count.
#pragma once

#include "platform/gui/Dialog.h"

class _CSms;

class CDlgCodeInfo : public CDialog {
public:
    enum { IDD = 366 };
    enum : UINT { IDC_SENDER = 1006, IDC_RECIPIENTS = 1069, IDC_COUNT = 1007 };

    CDlgCodeInfo(_CSms* pSms, CWnd* pParent = nullptr);

    CString m_strSender;
    CString m_strCount;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

    _CSms* m_pSms;
};
