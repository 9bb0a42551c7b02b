// The export and import dialogs of the page editor: a file name with a browse button, the format
// (rich text or plain text) and the range (the selection or everything). The format and range
// chosen last are offered again until the program ends.
#pragma once

#include "platform/gui/Dialog.h"

class CDlgExportRtftxt : public CDialog {
public:
    enum { IDD = 483, IDC_FILE = 1219, IDC_BROWSE = 1220, IDC_RTF = 1213, IDC_TXT = 1214,
           IDC_SELECTION = 1250, IDC_ALL = 1251 };

    explicit CDlgExportRtftxt(CWnd* pParent = nullptr, UINT nIDTemplate = IDD);

    CString m_strFileName;
    int m_nFormat = 0; // 0 rich text, 1 plain text
    int m_nRange = 1;  // 0 the selection, 1 everything

    // SF_RTF or SF_TEXT, with SFF_SELECTION for the selection.
    int GetStreamFlags() const;
    // The file dialog's filter for the format chosen.
    CString FileFilter() const;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnOK() override;
    void OnBrowse();
    // Export asks before an existing file is replaced; import needs an existing file.
    virtual BOOL CheckFileName();
    virtual BOOL IsImport() const { return FALSE; }
    DECLARE_MESSAGE_MAP()
};

class CDlgImportRtftxt : public CDlgExportRtftxt {
public:
    enum { IDD = 497 };
    explicit CDlgImportRtftxt(CWnd* pParent = nullptr);

protected:
    BOOL CheckFileName() override;
    BOOL IsImport() const override { return TRUE; }
};
