// The version check on the user's command: the dialog asks the service's site on a worker thread
// while it stays usable, then says whether a newer version exists (with the site's notes) and
// offers its download page. It may be closed while the request still runs.
#pragma once

#include "links/AppVersionChecker.h"
#include "platform/gui/Dialog.h"

class CDlgCheckVersion : public CDialog, private CIAppVersionCheckerListener {
public:
    enum { IDD = 429 };
    enum { IDC_NOTES = 1006, IDC_WAITING = 1020, IDC_DOWNLOAD = 1021 };
    enum { IDS_NEWER = 105, IDS_NETWORK_ERROR = 109, IDS_LATEST = 700 };

    explicit CDlgCheckVersion(CWnd* pParent = nullptr);
    ~CDlgCheckVersion() override;

    const CAppVersionChecker& GetChecker() const { return m_checker; }

protected:
    BOOL OnInitDialog() override;
    void OnTimer(UINT_PTR nIDEvent);
    void OnDestroy();
    void OnDownload();
    DECLARE_MESSAGE_MAP()

private:
    void OnVersionChecked() override;

    CAppVersionChecker m_checker;
};
