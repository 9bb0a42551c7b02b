// A read-only text shown in a dialog, under a caption the caller may choose.
#pragma once

#include "platform/gui/Dialog.h"

class CDlgViewInfo : public CDialog {
public:
    enum { IDD = 468 };
    explicit CDlgViewInfo(CWnd* pParent = nullptr);

    CString m_strTitle; // the caption; empty keeps the dialog's own
    CString m_strText;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
};
