// One short message: sender, one recipient or a batch of them, subject, content, state, kind and
// size, stored in a box of a sender account or a contact.
#pragma once

#include "core/NameCodeString.h"
#include "core/StringListEx.h"
#include "platform/base/CString.h"
#include "platform/base/Types.h"
#include "sms/MessageBase.h"

class _CSms : public CMessageBase {
    DECLARE_SERIAL(_CSms)
public:
    // States. The message keeps its state in the base's state field, so field 0 of a short
    // message is its own state.
    enum : int {
        STATE_DRAFT = 0,
        STATE_SEND_NOW = 1,
        STATE_PENDING = 2,
        STATE_SENT = 3,
        STATE_READ = 4,
        STATE_UNREAD = 5,
        STATE_HELD = 6,      // received by the program, not yet filed in a box
        STATE_ABANDONED = 7, // given up while sending
    };
    // Kinds.
    enum : int {
        KIND_NOT_SET = -1,
        KIND_MOBILE = 0,  // through the gateway, split into parts
        KIND_INSTANT = 1, // directly over TCP
        KIND_NOTE = 2,    // left through the online card service
    };
    // List columns CompareTo orders by.
    enum : int {
        COLUMN_STATE = 0,
        COLUMN_SENDER = 1,
        COLUMN_RECIPIENT = 2,
        COLUMN_KIND = 3,
        COLUMN_BATCH = 4,
        COLUMN_SUBJECT = 5,
        COLUMN_TIME = 6,
        COLUMN_SIZE = 7,
    };

    // A draft with that subject, everything else empty or 0, dated now.
    explicit _CSms(LPCTSTR lpszSubject = "");
    // Copies the stored fields, the time included.
    _CSms(const _CSms& src);
    _CSms& operator=(const _CSms&) = delete;
    ~_CSms() override = default;

    // Sender, subject, content, recipient, batch flag, state, kind, time (marker form), size,
    // batch list.
    void Serialize(CArchive& ar) override;
    // Takes every stored field of a short message; other sources are ignored.
    void CopyFrom(const CContent* pSource) override;
    CContent* Clone() const override;
    CContent* CreateInstance(LPCTSTR lpszName) const override;

    // Everything but unread counts as read.
    BOOL IsRead() const override;
    // Read (4) or unread (5), whatever the state was.
    void SetRead(BOOL bRead) override;
    int CompareTo(const CMessageBase* pOther, int nColumn) const override;
    // Drafts, send-now and pending in the outbox, sent in the sent box, read and unread in the
    // inbox, any other BOX_ANY.
    int GetStateImage() const override;
    // The content's length in bytes.
    int GetTextLength() const override;
    // -1, 0 or 1 by the message times.
    virtual int CompareTime(const _CSms* pOther) const;

    CString GetStateText() const;
    static CString GetStateDescription(int nState);
    static CString GetKindText(int nKind);
    // "name<code>" or the code; "?" when there is no sender.
    CString GetSenderText() const;
    // A batch: each entry's display text followed by ",", then "共N人", or "(无)" for an empty
    // batch; otherwise the recipient's display text. "?" when that comes out empty.
    CString GetRecipientsText() const;
    CString GetTimeText() const;
    // The batch entries for a batch, else 1.
    int GetRecipientCount() const;

    CString m_strSubject;
    CString m_strContent;
    CNameCodeString m_sender;
    CNameCodeString m_recipient;
    CStringListEx m_batchList;
    BOOL m_bBatch = FALSE;
    int m_nKind = KIND_MOBILE;
    // The content's length when the message was written; the list sorts its size column by it.
    int m_nSize = 0;

private:
    void CopyFields(const _CSms& src);
    // The name the recipient column sorts by: the head of a batch or the single recipient.
    CString GetFirstRecipientName() const;
};
