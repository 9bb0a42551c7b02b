// The number generator: a pattern of digits and up to four "*" wildcards becomes every number it
// stands for, each handed to the picker (the compose form's batch list) in ascending order.
#pragma once

#include "platform/gui/Dialog.h"

class CINumberPicker;

class CDlgGenerateGroupNumber : public CDialog {
public:
    enum { IDD = 4018 };
    enum : UINT { IDC_PATTERN = 1006, IDC_LENGTH = 1111 };
    static constexpr int kMaxWildcards = 4;

    CDlgGenerateGroupNumber(CINumberPicker* pPicker, CWnd* pParent = nullptr);

    CString m_strPattern;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnPatternChange();
    DECLARE_MESSAGE_MAP()

    CINumberPicker* m_pPicker;
};
