#include "links/ui/MainWndCommHost.h"

#include <QMetaObject>
#include <QObject>

#include "links/ui/DlgReceiveSms.h"
#include "links/ui/DlgSendSmsProgress.h"
#include "platform/gui/MessageBox.h"
#include "platform/sys/Sound.h"
#include "platform/gui/Wnd.h"

CMainWndCommHost::CMainWndCommHost(CWnd* pMainWnd) : m_pMainWnd(pMainWnd) {}

CMainWndCommHost::~CMainWndCommHost() = default;

void CMainWndCommHost::ConnectPhone(CCommDevice& device) {
    if (!m_pPhoneTarget)
        m_pPhoneTarget = std::make_unique<QObject>();
    QObject* target = m_pPhoneTarget.get();
    CCommDevice* pDevice = &device;
    device.SetAgentNotify([target, pDevice] {
        QMetaObject::invokeMethod(target, [pDevice] { pDevice->ServicePhone(); },
                                  Qt::QueuedConnection);
    });
}

CISendProgress* CMainWndCommHost::CreateSendProgress(CISendProgressOwner* pOwner) {
    auto* dialog = new CDlgSendSmsProgress(pOwner, m_pMainWnd);
    if (!dialog->CreateModeless()) {
        delete dialog;
        return nullptr;
    }
    return dialog;
}

void CMainWndCommHost::RunReceiveDialog(CCommDevice& device, _CSender& account) {
    CDlgReceiveSms dialog(device, account, m_pMainWnd);
    dialog.DoModal();
}

LRESULT CMainWndCommHost::OnSmsArrived(_CSender* pAccount, _CSmsBox* pHoldingBox) {
    if (!m_pMainWnd || !m_pMainWnd->GetSafeHwnd())
        return 0;
    return m_pMainWnd->SendMessage(WM_SMS_ARRIVED, reinterpret_cast<WPARAM>(pAccount),
                                   reinterpret_cast<LPARAM>(pHoldingBox));
}

void CMainWndCommHost::PlayArrivalSound(const CString& strPath) {
    PlaySound(strPath, nullptr, SND_FILENAME | SND_ASYNC | SND_NODEFAULT);
}

void CMainWndCommHost::ReportError(const CString& strText) {
    AfxMessageBox(strText, MB_OK | MB_ICONEXCLAMATION);
}
