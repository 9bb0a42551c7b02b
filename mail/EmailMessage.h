// An e-mail: a message of the message tree that is also a record of the mini record database. It
// holds its recipients, subject, options and a tree of MIME body parts, is stored in the record
// database, and writes itself out as the header block and body handed to the SMTP client.
//
// All texts are GBK; every part and encoded word declares the charset of the root part, "gb2312"
// unless changed.
#pragma once

#include "mail/EmailBodyPart.h"
#include "mail/KovPtrArray.h"
#include "mail/MiniDBRecord.h"
#include "mail/RegEmailAddress.h"
#include "platform/base/Collections.h"
#include "platform/base/CString.h"
#include "platform/base/Types.h"
#include "sms/MessageBase.h"

class CFile;

class CEmailMessage : public CMessageBase, public CMiniDBRecord {
    DECLARE_DYNCREATE(CEmailMessage)
public:
    // Recipient kinds.
    enum : int { KIND_TO = 1, KIND_CC = 2, KIND_BCC = 4 };
    // Delivery-status notifications asked for (0: none).
    enum : DWORD { NOTIFY_SUCCESS = 1, NOTIFY_FAILURE = 2, NOTIFY_DELAY = 4 };
    // Importance: 0 not set, 1 high, 2 normal, 3 low.
    // List-view fields of GetText.
    enum : int {
        FIELD_SENDER = 2,
        FIELD_TO = 3,
        FIELD_SUBJECT = 5,
        FIELD_TIME = 7,
        FIELD_SIZE = 8,
        FIELD_CORRESPONDENT = 11,
    };

    CEmailMessage();
    ~CEmailMessage() override;
    CEmailMessage(const CEmailMessage&) = delete;
    CEmailMessage& operator=(const CEmailMessage&) = delete;

    // Record id, state and flags as 12 raw bytes (other code rewrites state and flags in place at
    // offsets 4 and 8), then the short form (the raw text) or the full form.
    void Serialize(CArchive& ar) override;
    // A new message with the MIME flag, the recipients, the subject, the importance, the extra
    // header lines and a copy of the body parts; everything else as a new message has it.
    CContent* Clone() const override;
    using CContent::GetText;
    // The list-view text of a field (FIELD_...); "" for other fields. The size is the stored
    // record's, in kilobytes rounded up ("" for a message never stored).
    CString GetText(int nField) const;
    int GetImportance() const override { return m_nImportance; }
    void SetImportance(int nImportance) override { m_nImportance = nImportance; }
    // The root part's children that are attachments.
    int GetAttachmentCount() const override;
    // Into another box of its account: through the account, which keeps both boxes' id lists
    // and refuses a message that is being composed or sent.
    BOOL MoveToBox(CMsgBoxBase* pDest) override;

    ULONGLONG GetStoredSize() override;
    // The size the size column shows: the stored record and the attached files as they are sent;
    // 0 for a mail never stored.
    ULONGLONG GetMailSize() const;
    BOOL SaveToFile(CFile* pFile) override;
    // Damaged data (short, with impossible counts or lengths, or parts nested too deep) fails.
    BOOL LoadFromFile(CFile* pFile) override;

    virtual BOOL IsMime() const { return m_bMime; }
    // Switching changes nothing when the flag has that value already. Otherwise the root's
    // children go; switched on, the root becomes multipart/mixed and its text moves into a
    // text/plain child; switched off, the plain text moves back into the root.
    virtual void SetMime(BOOL bMime);
    // A copy of the record joins the list of the kind; answers its index (-1 for an unknown
    // kind).
    virtual int AddRecipient(const CRegEmailAddress& address, int nKind);
    virtual void AddHeaderLine(LPCTSTR lpszLine);
    // The plain text: the root's text, or in a MIME message the first text/plain child's.
    virtual void SetText(LPCTSTR lpszText);
    // The first text/html child (made when there is none) takes the text and the content base;
    // the message becomes a MIME message first.
    virtual void SetHtml(LPCTSTR lpszHtml, LPCTSTR lpszContentBase);
    virtual void AddAttachment(LPCTSTR lpszPath);
    virtual void AddAttachments(const CStringList& paths);
    // Parses a recipient text ("," or ";" between entries) into the list of the kind.
    int AddRecipients(LPCTSTR lpszText, int nKind);

    // The header block, each line folded at 78 characters where it can be. FALSE, with nothing
    // added, when the message cannot be sent as it is: an address that is empty or holds a line
    // break, NUL, blank, "<" or ">", or a header value or extra line that holds a line break or
    // NUL. Names and the subject go out without control characters, as encoded words labelled
    // by what they hold; every mail gets a new Message-ID unless an extra line gives one.
    // b8Bit: the server takes 8-bit bodies (see CEmailBodyPart::FormatPartHeader).
    BOOL FormatHeaders(CString& out, BOOL b8Bit = FALSE) const;
    // The body: the root part with its children, or the plain root text. FALSE when an
    // attached file could not be read (its path goes to pUnreadable): the mail must not go out
    // without it.
    BOOL FormatBody(CString& out, CString* pUnreadable = nullptr, BOOL b8Bit = FALSE) const;
    // Header block, empty line, body; FALSE, with nothing added, as for FormatHeaders or
    // FormatBody.
    BOOL FormatMessage(CString& out, CString* pUnreadable = nullptr, BOOL b8Bit = FALSE) const;
    // Why the message cannot go out as it is (Chinese, for the user); empty when it can.
    CString GetSendProblem() const;
    // The zone of a time in the Date header form: "+0800", "-0330".
    static CString FormatZone(int nMinutesEastOfUtc);

    CKovPtrArray<CRegEmailAddress>* GetRecipients(int nKind);
    const CKovPtrArray<CRegEmailAddress>* GetRecipients(int nKind) const;
    CString GetContentCharset() const { return m_root.m_strCharset; }
    CString GetPlainText() const;
    CEmailBodyPart& GetRoot() { return m_root; }
    const CEmailBodyPart& GetRoot() const { return m_root; }

    CString m_strRawText;
    BOOL m_bMime = FALSE;
    CKovPtrArray<CRegEmailAddress> m_to;
    CKovPtrArray<CRegEmailAddress> m_cc;
    CKovPtrArray<CRegEmailAddress> m_bcc;
    CString m_strSubject;
    int m_nImportance = 0;
    CStringArray m_headerLines;
    DWORD m_dwNotify = 0;
    BOOL m_bReturnFull = FALSE;
    CString m_strEnvelopeId;
    CRegEmailAddress m_sender;
    CRegEmailAddress m_replyTo;
    CString m_strMailer;
    BOOL m_bReadReceipt = FALSE;

private:
    // The extra header lines, the sender, the reply-to address, the three recipient lists and the
    // body parts.
    void SerializeParts(CArchive& ar);
    // Makes the root multipart/mixed with the preamble as its text, keeping its children.
    void MakeRootMultipart();

    CEmailBodyPart m_root;
};

// A message with one more text field, stored like any other message.
class CTFEmailMessage : public CEmailMessage {
    DECLARE_DYNCREATE(CTFEmailMessage)
public:
    CTFEmailMessage() = default;
    CString m_strExtra;
};
