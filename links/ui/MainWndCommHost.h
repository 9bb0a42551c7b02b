// The manager of short messages joined to the program's windows: the progress window over the
// main window, the receive window, the main window's WM_USER+300 for new messages, the active
// account, and message boxes for the failures of the received-message store.
#pragma once

#include <memory>

#include "links/CommDevice.h"

class CWnd;
class QObject;

// Sent to the main window when new messages wait in the holding box: wParam the account, lParam
// the holding box. It files the messages it takes and answers non-zero when it filed any.
constexpr UINT WM_SMS_ARRIVED = 0x0400 + 300;

class CMainWndCommHost : public CICommDeviceHost {
public:
    explicit CMainWndCommHost(CWnd* pMainWnd = nullptr);
    ~CMainWndCommHost() override;
    CMainWndCommHost(const CMainWndCommHost&) = delete;
    CMainWndCommHost& operator=(const CMainWndCommHost&) = delete;

    // What the phone sends between commands is handled on this thread: the port's thread asks
    // for a call of the device's ServicePhone, which runs once the thread's loop comes round.
    // The device must not outlive this host while its phone is open.
    void ConnectPhone(CCommDevice& device);

    void SetMainWnd(CWnd* pMainWnd) { m_pMainWnd = pMainWnd; }
    // The account sends and receives go to when none is named.
    void SetActiveSender(_CSender* pAccount) { m_pActive = pAccount; }

    CISendProgress* CreateSendProgress(CISendProgressOwner* pOwner) override;
    void RunReceiveDialog(CCommDevice& device, _CSender& account) override;
    LRESULT OnSmsArrived(_CSender* pAccount, _CSmsBox* pHoldingBox) override;
    _CSender* GetActiveSender() override { return m_pActive; }
    // Played without waiting; a file that cannot be played gives no sound at all.
    void PlayArrivalSound(const CString& strPath) override;
    void ReportError(const CString& strText) override;

private:
    CWnd* m_pMainWnd;
    _CSender* m_pActive = nullptr;
    std::unique_ptr<QObject> m_pPhoneTarget; // queued calls die with it
};
