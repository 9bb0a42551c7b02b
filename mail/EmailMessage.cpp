#include "mail/EmailMessage.h"

#include "mail/EmailAccount.h"
#include "mail/EmailBox.h"

#include <cstdlib>
#include <cstring>
#include <ctime>

#include "mail/MimeCodec.h"
#include "platform/base/Archive.h"
#include "platform/base/Exception.h"
#include "platform/base/File.h"
#include "platform/base/Time.h"

IMPLEMENT_DYNCREATE(CEmailMessage, CMessageBase)
IMPLEMENT_DYNCREATE(CTFEmailMessage, CEmailMessage)

namespace {

const char kPreamble[] = "This is a multi-part message in MIME format.\r\n";

CString JoinFormatted(const CKovPtrArray<CRegEmailAddress>& list) {
    CString text;
    for (int i = 0; i < list.GetCount(); ++i) {
        if (i > 0)
            text += ", ";
        text += list.GetAt(i)->Format('B', nullptr);
    }
    return text;
}

// A new message id: a UUID's hexadecimal digits at the sender's domain.
CString NewMessageId(const CString& sender) {
    CString id = NewMimeBoundary();
    id.Remove('-');
    id.Remove('{');
    id.Remove('}');
    const int at = sender.ReverseFind('@');
    CString domain;
    for (int i = at + 1; at >= 0 && i < sender.GetLength(); ++i) {
        const char c = sender[i];
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
            c == '.' || c == '-')
            domain += c;
    }
    if (domain.IsEmpty())
        domain = "quillmar.invalid";
    CString text;
    text.Format("<%s@%s>", id.GetString(), domain.GetString());
    return text;
}

// Whether the extra header lines hold a header of the name.
bool HasHeaderLine(const CStringArray& lines, const char* name) {
    const int length = static_cast<int>(std::strlen(name));
    for (int i = 0; i < lines.GetSize(); ++i)
        if (lines[i].Left(length).CompareNoCase(name) == 0)
            return true;
    return false;
}

} // namespace

CEmailMessage::CEmailMessage() = default;
CEmailMessage::~CEmailMessage() = default;

CKovPtrArray<CRegEmailAddress>* CEmailMessage::GetRecipients(int nKind) {
    switch (nKind) {
    case KIND_TO:
        return &m_to;
    case KIND_CC:
        return &m_cc;
    case KIND_BCC:
        return &m_bcc;
    default:
        return nullptr;
    }
}

const CKovPtrArray<CRegEmailAddress>* CEmailMessage::GetRecipients(int nKind) const {
    return const_cast<CEmailMessage*>(this)->GetRecipients(nKind);
}

void CEmailMessage::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        ar << m_dwRecordId << static_cast<DWORD>(m_nState) << m_dwFlags;
        ar << static_cast<DWORD>(m_strRawText.IsEmpty() ? 0 : 1);
        if (!m_strRawText.IsEmpty()) {
            ar << m_strRawText;
            return;
        }
        ar << static_cast<DWORD>(m_nImportance) << m_dwNotify << static_cast<DWORD>(m_bReturnFull)
           << static_cast<DWORD>(m_bReadReceipt) << static_cast<DWORD>(m_bMime);
        ar << m_time << m_strSubject << m_strEnvelopeId << m_strMailer;
        SerializeParts(ar);
        return;
    }
    DWORD state = 0, shortForm = 0;
    ar >> m_dwRecordId >> state >> m_dwFlags >> shortForm;
    m_nState = static_cast<int>(state);
    if (shortForm != 0) {
        ar >> m_strRawText;
        return;
    }
    m_strRawText.Empty();
    DWORD importance = 0, returnFull = 0, readReceipt = 0, mime = 0;
    ar >> importance >> m_dwNotify >> returnFull >> readReceipt >> mime;
    m_nImportance = static_cast<int>(importance);
    m_bReturnFull = returnFull != 0;
    m_bReadReceipt = readReceipt != 0;
    m_bMime = mime != 0;
    ar >> m_time >> m_strSubject >> m_strEnvelopeId >> m_strMailer;
    SerializeParts(ar);
}

void CEmailMessage::SerializeParts(CArchive& ar) {
    m_headerLines.Serialize(ar);
    m_sender.Serialize(ar);
    m_replyTo.Serialize(ar);
    m_to.Serialize(ar);
    m_cc.Serialize(ar);
    m_bcc.Serialize(ar);
    m_root.Serialize(ar);
}

CContent* CEmailMessage::Clone() const {
    auto* copy = static_cast<CEmailMessage*>(GetRuntimeClass()->CreateObject());
    copy->m_bMime = m_bMime;
    copy->m_to = m_to;
    copy->m_cc = m_cc;
    copy->m_bcc = m_bcc;
    copy->m_strSubject = m_strSubject;
    copy->m_nImportance = m_nImportance;
    copy->m_headerLines.Copy(m_headerLines);
    copy->m_root = m_root;
    return copy;
}

CString CEmailMessage::GetText(int nField) const {
    switch (nField) {
    case FIELD_SENDER:
        return m_sender.GetDisplayText();
    case FIELD_TO: {
        CString text;
        for (int i = 0; i < m_to.GetCount(); ++i) {
            if (i > 0)
                text += ";";
            text += m_to.GetAt(i)->GetDisplayText();
        }
        return text;
    }
    case FIELD_SUBJECT:
        return m_strSubject;
    case FIELD_TIME:
        return m_time.Format("%Y-%m-%d %H:%M");
    case FIELD_SIZE: {
        const ULONGLONG nBytes = GetMailSize();
        CString text;
        if (nBytes > 0)
            text.Format("%lluK", (unsigned long long)((nBytes + 1023) / 1024));
        return text;
    }
    case FIELD_CORRESPONDENT:
        // Received mail shows who sent it; mail the user writes shows whom it goes to.
        return GetStateImage() != CMsgBoxBase::BOX_INBOX ? GetText(FIELD_TO)
                                                         : GetText(FIELD_SENDER);
    default:
        return CString();
    }
}

int CEmailMessage::GetAttachmentCount() const {
    return m_root.GetAttachmentCount();
}

ULONGLONG CEmailMessage::GetMailSize() const {
    const ULONGLONG stored = GetStoredLength();
    return stored > 0 ? stored + m_root.GetAttachmentsSentSize() : 0;
}

ULONGLONG CEmailMessage::GetStoredSize() {
    CMemFile memory(16 * 1024);
    return SaveToFile(&memory) ? memory.GetLength() : 0;
}

BOOL CEmailMessage::SaveToFile(CFile* pFile) {
    return SerializeWithFile(pFile, CArchive::store, [this](CArchive& ar) { Serialize(ar); });
}

BOOL CEmailMessage::LoadFromFile(CFile* pFile) {
    return SerializeWithFile(pFile, CArchive::load, [this](CArchive& ar) { Serialize(ar); });
}

void CEmailMessage::MakeRootMultipart() {
    m_root.SetText(kPreamble);
    m_root.m_strContentType.Format("multipart/%s", "mixed");
}

void CEmailMessage::SetMime(BOOL bMime) {
    bMime = bMime ? TRUE : FALSE;
    if (m_bMime == bMime)
        return;
    if (!bMime) {
        // The text comes back to the root, which is a plain text again: dropping the children
        // must not drop what the user wrote, nor send the preamble as the mail's text.
        const CString text = GetPlainText();
        m_bMime = FALSE;
        m_root.ClearChildren();
        m_root.SetText(text);
        return;
    }
    m_bMime = TRUE;
    m_root.ClearChildren();
    const CString text = m_root.m_strText;
    MakeRootMultipart();
    if (!text.IsEmpty())
        SetText(text);
}

int CEmailMessage::AddRecipient(const CRegEmailAddress& address, int nKind) {
    CKovPtrArray<CRegEmailAddress>* list = GetRecipients(nKind);
    return list != nullptr ? list->Add(new CRegEmailAddress(address)) : -1;
}

int CEmailMessage::AddRecipients(LPCTSTR lpszText, int nKind) {
    CKovPtrArray<CRegEmailAddress>* list = GetRecipients(nKind);
    return list != nullptr ? CRegEmailAddress::AddList(lpszText, *list) : 0;
}

void CEmailMessage::AddHeaderLine(LPCTSTR lpszLine) {
    m_headerLines.Add(lpszLine != nullptr ? lpszLine : "");
}

void CEmailMessage::SetText(LPCTSTR lpszText) {
    if (!m_bMime) {
        m_root.SetText(lpszText);
        return;
    }
    const int index = m_root.FindChild("text/plain");
    if (index >= 0) {
        m_root.GetChild(index)->SetText(lpszText);
        return;
    }
    MakeRootMultipart();
    auto* part = new CEmailBodyPart;
    part->m_strCharset = m_root.m_strCharset;
    part->SetText(lpszText);
    m_root.AddChild(part);
}

void CEmailMessage::SetHtml(LPCTSTR lpszHtml, LPCTSTR lpszContentBase) {
    // A part beside the text needs a multipart body; a plain message would declare text/plain
    // over it, and switching MIME on later would drop the part again.
    SetMime(TRUE);
    const int index = m_root.FindChild("text/html");
    CEmailBodyPart* part = index >= 0 ? m_root.GetChild(index) : new CEmailBodyPart;
    if (index < 0)
        part->m_strCharset = m_root.m_strCharset;
    part->SetText(lpszHtml);
    part->m_strContentType = "text/html";
    part->m_strContentBase = lpszContentBase != nullptr ? lpszContentBase : "";
    if (index < 0)
        m_root.AddChild(part);
}

void CEmailMessage::AddAttachment(LPCTSTR lpszPath) {
    auto* part = new CEmailBodyPart;
    part->SetFile(lpszPath);
    SetMime(TRUE);
    m_root.AddChild(part);
}

void CEmailMessage::AddAttachments(const CStringList& paths) {
    for (POSITION pos = paths.GetHeadPosition(); pos != nullptr;)
        AddAttachment(paths.GetNext(pos));
}

CString CEmailMessage::GetPlainText() const {
    if (!m_bMime)
        return m_root.m_strText;
    const int index = m_root.FindChild("text/plain");
    return index >= 0 ? m_root.GetChild(index)->m_strText : CString();
}

CString CEmailMessage::GetSendProblem() const {
    if (!m_sender.IsSendable())
        return "发件人的邮件地址无效。";
    for (int kind : {KIND_TO, KIND_CC, KIND_BCC}) {
        const CKovPtrArray<CRegEmailAddress>& list = *GetRecipients(kind);
        for (int i = 0; i < list.GetCount(); ++i) {
            if (!list.GetAt(i)->IsSendable()) {
                CString text;
                text.Format("收件人的邮件地址无效：%s",
                            list.GetAt(i)->GetDisplayText().GetString());
                return text;
            }
        }
    }
    if (!m_replyTo.m_strAddress.IsEmpty() && !m_replyTo.IsSendable())
        return "回复地址无效。";
    bool safe = IsSafeHeaderValue(m_strMailer) && m_root.HasSafeHeaderValues();
    for (int i = 0; safe && i < m_headerLines.GetSize(); ++i)
        safe = IsSafeHeaderValue(m_headerLines[i]);
    if (!safe)
        return "邮件头中含有换行符或空字符。";
    return CString();
}

CString CEmailMessage::FormatZone(int nMinutesEastOfUtc) {
    const int minutes = std::abs(nMinutesEastOfUtc);
    CString zone;
    zone.Format("%c%.2d%.2d", nMinutesEastOfUtc < 0 ? '-' : '+', minutes / 60, minutes % 60);
    return zone;
}

BOOL CEmailMessage::FormatHeaders(CString& out, BOOL b8Bit) const {
    if (!GetSendProblem().IsEmpty())
        return FALSE;
    // The names of the Date header are English whatever the locale; nothing global is switched.
    const CTime now = CTime::GetCurrentTime();
    struct tm local = {};
    now.GetLocalTm(&local);
    const CString date =
        now.Format("%a, %d %b %Y %H:%M:%S ") + FormatZone(static_cast<int>(local.tm_gmtoff / 60));

    CStringArray lines;
    auto add = [&lines](const CString& line) { lines.Add(line); };
    add("From: " + m_sender.Format('B', nullptr));
    add("To: " + JoinFormatted(m_to));
    const CString cc = JoinFormatted(m_cc);
    if (!cc.IsEmpty())
        add("Cc: " + cc);
    // The first word fits the first line beside the name: a fold right after the name would
    // begin the subject with a blank.
    add("Subject: " + EncodeHeaderWords(StripControlChars(m_strSubject), 'Q', 78 - 9));
    add("X-Mailer: " + m_strMailer);
    if (m_bReadReceipt)
        add("Disposition-Notification-To: " + m_sender.Format('B', nullptr));
    CString line;
    if (m_bMime && m_root.GetChildCount() == 0) {
        add("MIME-Version: 1.0");
        add("Content-Type: " + m_root.m_strContentType);
    } else if (m_bMime) {
        add("MIME-Version: 1.0");
        line.Format("Content-Type: %s; boundary=\"%s\"", m_root.m_strContentType.GetString(),
                    m_root.m_strBoundary.GetString());
        add(line);
    } else {
        const CString charset =
            CEmailBodyPart::GetOutgoingCharset(m_root.m_strText, m_root.m_strCharset);
        add("MIME-Version: 1.0");
        line.Format("Content-Type: %s;\r\n\tcharset=%s", m_root.m_strContentType.GetString(),
                    charset.GetString());
        add(line);
        const int encoding = CEmailBodyPart::GetOutgoingEncoding(
            MailBytes(m_root.m_strText, charset), CEmailBodyPart::ENCODING_NONE, b8Bit);
        if (encoding != CEmailBodyPart::ENCODING_NONE)
            add("Content-Transfer-Encoding: " + CEmailBodyPart::GetEncodingName(encoding));
    }
    if (!m_replyTo.m_strAddress.IsEmpty())
        add("Reply-To: " + m_replyTo.Format(1, nullptr));
    add("Date: " + date);
    if (!HasHeaderLine(m_headerLines, "Message-ID:"))
        add("Message-ID: " + NewMessageId(m_sender.m_strAddress));
    if (m_nImportance >= 1 && m_nImportance <= 3) {
        line.Format("X-Priority: %d", m_nImportance * 2 - 1);
        add(line);
    }
    for (int i = 0; i < m_headerLines.GetSize(); ++i)
        add(m_headerLines[i]);
    for (int i = 0; i < lines.GetSize(); ++i)
        out += FoldHeaderLine(lines[i]) + "\r\n";
    return TRUE;
}

BOOL CEmailMessage::FormatBody(CString& out, CString* pUnreadable, BOOL b8Bit) const {
    if (m_root.GetChildCount() > 0 || m_bMime)
        return m_root.FormatPartBody(out, TRUE, pUnreadable, b8Bit);
    const CString charset =
        CEmailBodyPart::GetOutgoingCharset(m_root.m_strText, m_root.m_strCharset);
    const CString bytes = MailBytes(m_root.m_strText, charset);
    if (CEmailBodyPart::GetOutgoingEncoding(bytes, CEmailBodyPart::ENCODING_NONE, b8Bit) ==
        CEmailBodyPart::ENCODING_QP)
        EncodeQuotedPrintable(&bytes, &out, TRUE, 0);
    else
        out += bytes;
    return TRUE;
}

BOOL CEmailMessage::FormatMessage(CString& out, CString* pUnreadable, BOOL b8Bit) const {
    CString text;
    if (!FormatHeaders(text, b8Bit))
        return FALSE;
    text += "\r\n";
    if (!FormatBody(text, pUnreadable, b8Bit))
        return FALSE;
    out += text;
    return TRUE;
}

BOOL CEmailMessage::MoveToBox(CMsgBoxBase* pDest) {
    auto* pBox = dynamic_cast<CEmailBox*>(pDest);
    if (pBox == nullptr || pBox->GetAccount() == nullptr)
        return CMessageBase::MoveToBox(pDest);
    return pBox->GetAccount()->MoveMessage(this, pBox);
}
