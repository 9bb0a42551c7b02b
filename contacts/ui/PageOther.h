// The contact sheet's page of certificates and accounts (type, number, summary in a list) and
// free notes; a certificate is entered or changed in a small modeless dialog whose type box lists
// the names of the program folder's "Profiles\Certificates.inf".
#pragma once

#include "contacts/PersonInfo.h"
#include "contacts/ui/ContactPropertyPage.h"
#include "platform/gui/Dialog.h"
#include "ui/KovListCtrl.h"

#include <memory>

// The certificate dialog tells its owner: wParam 1 the strings were confirmed, 2 it closed.
#define WM_CERTIFICATE_DIALOG (WM_USER + 10)

class CEditCertificateDlg : public CDialog {
public:
    enum { IDD = 231 };
    enum { IDC_TYPE = 1034, IDC_NUMBER = 1035, IDC_SUMMARY = 1036 };
    enum { NOTIFY_CONFIRMED = 1, NOTIFY_CLOSED = 2 };

    explicit CEditCertificateDlg(CWnd* pOwner);
    ~CEditCertificateDlg() override;

    BOOL Create();
    // Captions for the mode; with bClear the strings are emptied first. Controls follow.
    void Reset(BOOL bClear);
    void SetNewMode(BOOL bNew) { m_bNewMode = bNew; }
    void SetStrings(const CString& type, const CString& number, const CString& summary);

    CString m_strType, m_strSummary, m_strNumber;

    // The dialog's last place on the screen, kept for the whole run (none yet: INT_MAX).
    static int s_nLastLeft, s_nLastTop;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

private:
    void ReadControls();
    void RememberPlace();

    CWnd* m_pOwner;
    BOOL m_bNewMode = TRUE;
    BOOL m_bModified = TRUE;
    BOOL m_loading = FALSE;
};

class CPageOther : public CContactPropertyPage {
public:
    enum { IDD = 147 };
    enum {
        IDC_LIST = 1030,
        IDC_CHANGE = 1031,
        IDC_DELETE = 1032,
        IDC_NEW = 1033,
        IDC_NOTE = 1037,
        IDC_NOTE_LABEL = 1134,
        IDC_LIST_LABEL = 1135,
    };
    CPageOther();
    ~CPageOther() override;

    void ExchangeOther(SPersonOtherBlock& other, BOOL bToPage);
    BOOL OnInitDialog() override;
    BOOL OnKillActive() override;
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

    // The buttons' work.
    void OnNew();
    void OnChange();
    void OnDelete();
    CEditCertificateDlg* GetCertificateDialog() const {
        return m_bDialogOpen ? m_pDialog.get() : nullptr;
    }
    CKovListCtrl& GetList() { return m_list; }
    void LayoutPage();

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

private:
    void OpenCertificateDialog();
    void OnDialogNotice(WPARAM wParam);
    void EnableButtons();
    void FillList();
    void ReadList();

    std::unique_ptr<CEditCertificateDlg> m_pDialog;
    BOOL m_bNewMode = TRUE;
    BOOL m_bRowSelected = FALSE;
    BOOL m_bDialogOpen = FALSE;
    int m_nSelected = -1;
    CCertificateList m_certificates;
    CKovListCtrl m_list;
    CString m_strNote;
};
