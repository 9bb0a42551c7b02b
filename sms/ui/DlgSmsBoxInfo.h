// The statistics of one message box in words: its sub-boxes and messages split by state
// (CDlgSmsBoxInfo), or its basic messages, a batch message counted once per recipient
// (CDlgSmsBoxInfoEx).
#pragma once

#include "platform/gui/Dialog.h"

class _CSmsBox;

class CDlgSmsBoxInfo : public CDialog {
public:
    enum { IDD = 367 };
    enum : UINT { IDC_NAME = 1006, IDC_TYPE = 1007, IDC_STATISTICS = 1008 };

    CDlgSmsBoxInfo(_CSmsBox* pBox, CWnd* pParent = nullptr);

    // The statistics text of the box.
    static CString BuildStatistics(const _CSmsBox& box);

    CString m_strName;
    CString m_strType;
    CString m_strStatistics;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    _CSmsBox* m_pBox;
};

class CDlgSmsBoxInfoEx : public CDlgSmsBoxInfo {
public:
    using CDlgSmsBoxInfo::CDlgSmsBoxInfo;
    // The text and the caption of the basic-message count.
    static CString BuildStatistics(const _CSmsBox& box);
    static CString BuildCaption(const _CSmsBox& box);

protected:
    BOOL OnInitDialog() override;
};
