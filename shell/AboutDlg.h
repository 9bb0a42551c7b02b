// The About box: the program's credits scrolling, and links to the service's home page, its SMS
// page and the support mail address. Its e-card button ends it with IDC_ECARD_LOGIN, after which
// the application opens the e-card login.
#pragma once

#include "platform/gui/Dialog.h"
#include "ui/CreditStatic.h"
#include "ui/HyperLink.h"

class CAboutDlg : public CDialog {
public:
    enum { IDD = 100 };
    enum { IDC_ECARD_LOGIN = 1021 };
    explicit CAboutDlg(CWnd* pParent = nullptr);

    // Where the support link writes to.
    static const char* const kSupportAddress;

    BOOL IsScrolling() const { return m_bScrolling; }
    CCreditStatic& GetCredits() { return m_credits; }

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    void OnECardLogin();
    DECLARE_MESSAGE_MAP()

private:
    void StopScrolling();

    CCreditStatic m_credits;
    CHyperLink m_homeLink;
    CHyperLink m_supportLink;
    CHyperLink m_smsLink;
    BOOL m_bScrolling = FALSE;
};
