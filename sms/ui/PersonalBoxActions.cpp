#include "sms/ui/PersonalBoxActions.h"

#include "sms/ui/DlgSmsBoxInfo.h"
#include "sms/ui/MsgListView.h"
#include "sms/ui/SmsBoxFiles.h"
#include "sms/ui/SmsView.h"

namespace {
_CSmsBox* ClipboardBox() {
    CISmsListHost* pHost = GetSmsListHost();
    return pHost != nullptr ? pHost->GetClipboardBox() : nullptr;
}
} // namespace

void CPersonalBoxActions::ShowStatistics(_CSmsBox* pBox, CWnd* pParent) {
    CDlgSmsBoxInfo dlg(pBox, pParent);
    dlg.DoModal();
}

void CPersonalBoxActions::ExportCards(_CSmsBox* pBox, CWnd* pParent) {
    ExportBoxAsCards(pBox, pParent);
}

BOOL CPersonalBoxActions::CanPasteMessages() {
    _CSmsBox* pClip = ClipboardBox();
    return pClip != nullptr && pClip->GetSmsCount() > 0;
}

BOOL CPersonalBoxActions::PasteMessages(_CSmsBox* pBox) {
    _CSmsBox* pClip = ClipboardBox();
    if (pBox == nullptr || pClip == nullptr || pClip == pBox || pClip->GetSmsCount() == 0)
        return FALSE;
    while (!pClip->IsSmsListEmpty()) {
        POSITION pos = pClip->GetFirstSmsPosition();
        _CSms* pSms = pClip->GetNextSms(pos);
        pClip->RemoveMessage(pSms, FALSE);
        pBox->AddSms(pSms);
    }
    return TRUE;
}

BOOL CPersonalBoxActions::DropMessages(GROUPDROPQUERY& query, _CSmsBox* pBox) {
    if (query.nKind != MSGDROP_KIND_MESSAGES)
        return FALSE;
    return DropMessageOnBox(static_cast<MSGDROPQUERY&>(query), pBox);
}
