// The modeless window of a send run: one row per recipient with its parts, a bar over the
// recipients, a bead bar over the parts of the current recipient, and the Cancel that stops the
// run before its next part. The one who runs the sends drives it; the window calls back only to
// ask for the stop and to say that it is going away.
#pragma once

#include "links/SendProgress.h"
#include "platform/gui/Controls.h"
#include "platform/gui/Dialog.h"
#include "platform/gui/ImageList.h"
#include "platform/gui/ListCtrl.h"
#include "ui/BeadProgressCtrl.h"

class CDlgSendSmsProgress : public CDialog, public CISendProgress {
public:
    enum { IDD = 378 };
    enum {
        IDC_SENT_LIST = 1010,
        IDC_RECIPIENT_BAR = 1011,
        IDC_STATUS = 1012,
        IDC_CURRENT_RECIPIENT = 1013,
        IDC_PART_COUNTER = 1014,
        IDC_BEAD_PLACE = 1015,
        IDC_HINT = 1016,
        IDC_LIST_LABEL = 1017,
        IDC_RECIPIENT_LABEL = 1018,
    };
    // List columns.
    enum { COL_NUMBER, COL_RECIPIENT, COL_PARTS, COL_SENT, COL_NOTE };

    // Without an owner, OK and Cancel simply close the window.
    explicit CDlgSendSmsProgress(CISendProgressOwner* pOwner = nullptr, CWnd* pParent = nullptr);
    // Makes the window (hidden until ShowForRun); FALSE when it cannot be made.
    BOOL CreateModeless();
    // The flag is cleared when the window goes away.
    void SetDestroyedFlag(BOOL* pFlag) { m_pDestroyedFlag = pFlag; }

    void ShowForRun(LPCTSTR lpszTitle) override;
    void SetTotal(int n) override;
    void BeginRecipient(LPCTSTR lpszRecipient, int nParts) override;
    void ReportPartResult(int nCode, BOOL bLastPart, LPCTSTR lpszText = nullptr) override;
    void StepProgress() override;
    void SetFinished() override;
    void PumpMessages() override;
    void DestroyProgress() override;

    // The window serves a piece of work other than sends (reading a file, say): the bar and the
    // line under it show how far it went, the subject stands where the recipient does, and the
    // list, the part beads and the reply hint are gone. Cancel asks the owner to stop as in a
    // send. A window shown so serves that one task.
    void ShowForTask(LPCTSTR lpszTitle, LPCTSTR lpszLabel, LPCTSTR lpszSubject);
    void SetTaskProgress(int nPercent, LPCTSTR lpszStatus);

    BOOL IsCancelled() const { return m_bCancelled; }
    int GetPartsSent() const { return m_nPartsSent; }
    CListCtrl& GetList() { return m_list; }
    CBeadProgressCtrl& GetBeads() { return m_beads; }
    CProgressCtrl& GetRecipientBar() { return m_recipientBar; }

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    void PostNcDestroy() override;
    void OnDestroy();
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    DECLARE_MESSAGE_MAP()

private:
    void ShowStatus();
    // One more part of the current recipient's row counted as sent.
    void CountPartSent(int row);
    void FitColumnsToHeaders();
    // Sets a cell's text and widens its column to show it whole.
    void SetCell(int row, int col, const CString& text);
    void FitColumn(int row, int col);
    void Close();

    CISendProgressOwner* m_pOwner;
    CWnd* m_pParent;
    int m_nPartsSent = -1;
    int m_nNoteWidth = 0; // the widest text the note column has had to show
    int m_nPartsTotal = 0;
    int m_nRecipientsTotal = 0;
    BOOL m_bCancelled = FALSE;
    BOOL m_bStopAsked = FALSE;
    BOOL m_bTask = FALSE; // shown for a task, not a send
    BOOL* m_pDestroyedFlag = nullptr;
    CImageList m_beadImages;
    CListCtrl m_list;
    CProgressCtrl m_recipientBar;
    CBeadProgressCtrl m_beads;
};
