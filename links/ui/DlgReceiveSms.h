// Fetches the new short messages of one account from the gateway's receive page into the
// manager's holding box, which hands them to the main window. The window shows on screen first,
// then receives; it paints while the request is on its way and cannot be closed until the reply
// has been taken in.
#pragma once

#include "platform/gui/Dialog.h"

class CCommDevice;
class _CSender;

class CDlgReceiveSms : public CDialog {
public:
    enum { IDD = 478 };
    enum { IDC_STATUS_TEXT = 1020 };
    enum { STATUS_WORKING = 0, STATUS_RECEIVED = 1, STATUS_NOTHING_NEW = 2, STATUS_ERROR = 3 };

    CDlgReceiveSms(CCommDevice& device, _CSender& account, CWnd* pParent = nullptr);

    int GetStatusKind() const { return m_nStatusKind; }
    BOOL IsBusy() const { return m_bBusy; }
    BOOL HasReceived() const { return m_bDone; }
    int GetReceivedCount() const { return m_nReceived; }
    const CString& GetStatusText() const { return m_strStatusText; }
    // The colour the status text is drawn in for a status kind.
    static COLORREF GetStatusColour(int nStatusKind);

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    void OnTimer(UINT_PTR nIDEvent);
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    DECLARE_MESSAGE_MAP()

private:
    void Receive();
    void ShowStatus(int nKind, const CString& text);

    CCommDevice& m_device;
    _CSender& m_account;
    int m_nStatusKind = STATUS_WORKING;
    BOOL m_bBusy = FALSE;
    BOOL m_bDone = FALSE;
    int m_nReceived = 0;
    CString m_strStatusText;
};
