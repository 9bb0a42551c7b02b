// An SMS sender account: the user's person and phone details, the gateway servers and web
// account, the send and receive settings, and every short message in one root box. A sender
// file holds one account.
#pragma once

#include <memory>

#include "core/MsgAccountBase.h"
#include "platform/base/CString.h"
#include "platform/base/Types.h"
#include "sms/SenderSettings.h"
#include "sms/SmsBox.h"

class _CSender : public CMsgAccountBase {
    DECLARE_SERIAL(_CSender)
public:
    // The settings at their defaults, the name set; with bMakeStandardBoxes the root box gets
    // the inbox, outbox, sent box and recycle box in that order.
    explicit _CSender(LPCTSTR lpszName = "", BOOL bMakeStandardBoxes = TRUE);
    _CSender(const _CSender&) = delete;
    _CSender& operator=(const _CSender&) = delete;
    ~_CSender() override;

    // The six settings records, the root box, the flags and the password checksum. Loading
    // replaces the boxes, and an account with a password always comes back locked.
    void Serialize(CArchive& ar) override;
    CMsgBoxBase* GetRootBox() override { return m_pRootBox.get(); }
    // The person record's name.
    CString& GetName() override;

    _CSmsBox& GetRootSmsBox() { return *m_pRootBox; }
    SSenderAccountRecord& GetRecord() { return m_record; }
    const SSenderAccountRecord& GetRecord() const { return m_record; }
    SAccountPersonInfo& GetPersonInfo() { return m_record.m_person; }
    SSenderMobileInfo& GetMobileInfo() { return m_record.m_mobile; }

    // Files the message in the first box below the root whose type is the one its state belongs
    // in. FALSE when there is no such box.
    BOOL MoveSmsToStateBox(CMessageBase* pMessage);

private:
    SSenderAccountRecord m_record;
    // Held apart so that no tree operation on the root can free the account's own member.
    std::unique_ptr<_CSmsBox> m_pRootBox;
};
