#include "sms/ui/ComposeHost.h"

#include "links/CommDevice.h"
#include "sms/Sms.h"

namespace {
CISmsComposeHost* s_pHost = nullptr;
}

void SetSmsComposeHost(CISmsComposeHost* pHost) {
    s_pHost = pHost;
}

CISmsComposeHost* GetSmsComposeHost() {
    return s_pHost;
}

_CSender* GetComposeSender() {
    return s_pHost != nullptr ? s_pHost->GetActiveSender() : nullptr;
}

BOOL SendSmsNow(_CSender* pAccount, _CSms* pSms, int nRecipients) {
    CCommDevice* pDevice = s_pHost != nullptr ? s_pHost->GetCommDevice() : nullptr;
    if (pDevice == nullptr || pAccount == nullptr || pSms == nullptr || pDevice->IsSending())
        return FALSE;
    pDevice->SetSender(pAccount);
    if (!pDevice->BeginSend())
        return FALSE;
    pDevice->SetProgressTotal(nRecipients);
    pDevice->SendSms(&pSms);
    pDevice->FileSendResults(nullptr);
    pDevice->EndSend();
    return TRUE;
}
