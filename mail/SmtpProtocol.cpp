#include "mail/SmtpProtocol.h"

#include <cstring>
#include <utility>

#include "mail/EmailMessage.h"
#include "mail/MimeCodec.h"
#include "mail/SmtpData.h"
#include "platform/sys/Md5.h"

namespace {

CString Base64Line(const CString& text) {
    CString line;
    EncodeBase64(&text, &line, FALSE, BASE64_NO_LINES);
    line += "\r\n";
    return line;
}

// A new envelope id: a UUID's 32 hexadecimal digits, upper case.
CString NewEnvelopeId() {
    CString id = NewMimeBoundary();
    id.Remove('{');
    id.Remove('}');
    id.Remove('-');
    id.MakeUpper();
    return id;
}

bool HasEightBitBytes(const CString& text) {
    for (int i = 0; i < text.GetLength(); ++i)
        if (static_cast<unsigned char>(text[i]) >= 0x80)
            return true;
    return false;
}

// Whether the EHLO reply (its lines joined by blanks) names the extension as one of its words.
bool OffersExtension(const CString& reply, const char* name) {
    CString upper = reply;
    upper.MakeUpper();
    const int length = static_cast<int>(std::strlen(name));
    for (int at = upper.Find(name); at >= 0; at = upper.Find(name, at + 1)) {
        const bool startsWord = at == 0 || upper[at - 1] == ' ';
        const bool endsWord = at + length == upper.GetLength() || upper[at + length] == ' ';
        if (startsWord && endsWord)
            return true;
    }
    return false;
}

} // namespace

BOOL CSmtpProtocol::Start() {
    if (m_nState != STATE_CLOSED)
        return FALSE;
    m_received.clear();
    m_strReply.Empty();
    m_bInReply = false;
    // A code heard in an earlier session says nothing about this one: 0 until the server answers.
    m_nLastReply = 0;
    m_b8BitMime = false;
    m_nState = STATE_CONNECTING;
    m_tLastActivity = CTime::GetCurrentTime().GetTime();
    return TRUE;
}

BOOL CSmtpProtocol::CheckSilence() {
    if (m_nState == STATE_CLOSED ||
        CTime::GetCurrentTime().GetTime() - m_tLastActivity < SILENCE_LIMIT)
        return FALSE;
    CloseSession();
    return TRUE;
}

void CSmtpProtocol::OnConnected(BOOL bSuccess) {
    if (m_nState != STATE_CONNECTING)
        return;
    if (bSuccess)
        m_nState = STATE_GREETING;
    else
        CloseSession();
}

void CSmtpProtocol::CloseSession() {
    m_nState = STATE_CLOSED;
    m_pCurrent = nullptr;
    m_strData.Empty();
    m_received.clear();
    m_strReply.Empty();
    m_bInReply = false;
    if (m_pTransport != nullptr)
        m_pTransport->Close();
    if (m_pListener != nullptr)
        m_pListener->OnSessionEnded();
}

void CSmtpProtocol::OnReceive(const char* pData, int nLength) {
    if (pData == nullptr || nLength <= 0 || m_nState == STATE_CLOSED)
        return;
    m_tLastActivity = CTime::GetCurrentTime().GetTime();
    m_received.append(pData, static_cast<size_t>(nLength));
    for (;;) {
        if (m_received.size() + static_cast<size_t>(m_strReply.GetLength()) > MAX_REPLY) {
            CloseSession();
            return;
        }
        const size_t end = m_received.find("\r\n");
        if (end == std::string::npos)
            return;
        const CString line(m_received.data(), static_cast<int>(end));
        m_received.erase(0, end + 2);
        int code = 0;
        if (line.GetLength() < 4) {
            // Too short to hold a code and its separator: the reply ends as unexpected.
            m_strReply = line;
        } else {
            if (!m_bInReply) {
                m_strReply = line;
                if (line[3] == '-')
                    m_strReply.SetAt(3, ' ');
            } else {
                m_strReply += ' ';
                m_strReply += line.Mid(4);
            }
            m_bInReply = true;
            if (line[3] == '-')
                continue;
            for (int i = 0; i < m_strReply.GetLength() && m_strReply[i] >= '0' &&
                            m_strReply[i] <= '9' && code < 100000;
                 ++i)
                code = code * 10 + (m_strReply[i] - '0');
        }
        const CString text = m_strReply;
        m_received.clear();
        m_strReply.Empty();
        m_bInReply = false;
        OnReply(code, text);
        return;
    }
}

CString CSmtpProtocol::ReplyArgument(const CString& strText) {
    return strText.GetLength() >= 5 ? strText.Mid(4) : CString();
}

CString CSmtpProtocol::CramMd5Answer(const CString& strReplyText, const CString& strUser,
                                     const CString& strPassword) {
    const CString encoded = ReplyArgument(strReplyText);
    CString challenge;
    DecodeBase64(&encoded, &challenge);
    BYTE digest[CMd5::DigestSize];
    CMd5::Hmac(strPassword.GetString(), static_cast<size_t>(strPassword.GetLength()),
               challenge.GetString(), static_cast<size_t>(challenge.GetLength()), digest);
    const CString answer = strUser + " " + CMd5::ToHex(digest);
    CString line;
    EncodeBase64(&answer, &line, FALSE, BASE64_NO_LINES);
    return line;
}

void CSmtpProtocol::Send(const CString& text, int nNextState) {
    m_nState = nNextState;
    m_tLastActivity = CTime::GetCurrentTime().GetTime();
    if (m_pTransport != nullptr)
        m_pTransport->Send(text);
}

BOOL CSmtpProtocol::NextMessage() {
    m_pCurrent = m_queue.IsEmpty() ? nullptr : static_cast<CEmailMessage*>(m_queue.RemoveHead());
    return m_pCurrent != nullptr;
}

void CSmtpProtocol::ReportCurrent(BOOL bSuccess) {
    CEmailMessage* message = m_pCurrent;
    m_pCurrent = nullptr;
    if (m_pListener != nullptr && message != nullptr)
        m_pListener->OnMessageSent(message, bSuccess);
}

void CSmtpProtocol::Report(BOOL bSuccess) {
    ReportCurrent(bSuccess);
    StartNextMessage();
}

void CSmtpProtocol::StartNextMessage() {
    for (;;) {
        if (m_nState == STATE_CLOSED)
            return; // the listener ended the session
        if (!NextMessage()) {
            Send("QUIT\r\n", STATE_QUIT);
            return;
        }
        // A message whose addresses or header values could inject lines is never sent, nor one
        // whose attachment cannot be read: it would go out without it.
        if (m_pCurrent->GetSendProblem().IsEmpty()) {
            CString text, unreadable;
            if (m_pCurrent->FormatMessage(text, &unreadable, m_b8BitMime)) {
                m_strData = MakeSmtpData(text);
                break;
            }
            if (!unreadable.IsEmpty() && m_pListener != nullptr)
                m_pListener->OnAttachmentUnreadable(m_pCurrent, unreadable);
        }
        ReportCurrent(FALSE);
    }
    CString command;
    const CString& from = m_pCurrent->m_sender.m_strAddress;
    command.Format("MAIL FROM:<%s>", from.GetString());
    if (m_pCurrent->m_dwNotify != 0) {
        const CString envelope = m_pCurrent->m_strEnvelopeId.IsEmpty()
                                     ? NewEnvelopeId()
                                     : EncodeXtext(m_pCurrent->m_strEnvelopeId);
        command.AppendFormat(" RET=%s ENVID=%s", m_pCurrent->m_bReturnFull ? "FULL" : "HDRS",
                             envelope.GetString());
    }
    // The text holds 8-bit bytes only where the server said it takes them.
    if (m_b8BitMime && HasEightBitBytes(m_strData))
        command += " BODY=8BITMIME";
    command += "\r\n";
    m_nRecipientList = 0;
    m_nRecipient = -1;
    Send(command, STATE_MAIL_FROM);
}

BOOL CSmtpProtocol::SendNextRecipient() {
    static const int kKinds[] = {CEmailMessage::KIND_TO, CEmailMessage::KIND_CC,
                                 CEmailMessage::KIND_BCC};
    for (; m_nRecipientList < 3; ++m_nRecipientList, m_nRecipient = -1) {
        const CKovPtrArray<CRegEmailAddress>& list =
            *m_pCurrent->GetRecipients(kKinds[m_nRecipientList]);
        if (m_nRecipient + 1 >= list.GetCount())
            continue;
        ++m_nRecipient;
        const CString& address = list.GetAt(m_nRecipient)->m_strAddress;
        CString command;
        const DWORD notify = m_pCurrent->m_dwNotify;
        if (notify == 0) {
            command.Format("RCPT TO:<%s>\r\n", address.GetString());
        } else {
            CString which;
            static const struct {
                DWORD flag;
                const char* name;
            } kNotify[] = {{CEmailMessage::NOTIFY_SUCCESS, "SUCCESS"},
                           {CEmailMessage::NOTIFY_FAILURE, "FAILURE"},
                           {CEmailMessage::NOTIFY_DELAY, "DELAY"}};
            for (const auto& n : kNotify) {
                if (notify & n.flag) {
                    if (!which.IsEmpty())
                        which += ",";
                    which += n.name;
                }
            }
            if (which.IsEmpty())
                which = "NEVER";
            command.Format("RCPT TO:<%s> NOTIFY=%s\r\n", address.GetString(), which.GetString());
        }
        Send(command, STATE_RCPT_TO + m_nRecipientList);
        return TRUE;
    }
    return FALSE;
}

void CSmtpProtocol::OnReply(int nCode, const CString& strText) {
    if (m_nState < STATE_GREETING || m_nState > STATE_QUIT)
        return;
    m_nLastReply = nCode;
    switch (m_nState) {
    case STATE_GREETING:
        if (nCode != 220)
            break;
        if (m_nAuthMode != AUTH_NONE)
            Send("EHLO Test\r\n", STATE_EHLO);
        else
            Send("HELO Test\r\n", STATE_HELO);
        return;
    case STATE_HELO:
        if (nCode != 250)
            break;
        StartNextMessage();
        return;
    case STATE_EHLO:
        if (nCode != 250)
            break;
        m_b8BitMime = OffersExtension(strText, "8BITMIME");
        if (m_nAuthMode == AUTH_CRAM_MD5)
            Send("AUTH CRAM-MD5\r\n", STATE_AUTH);
        else if (m_nAuthMode == AUTH_PLAIN)
            Send("AUTH PLAIN\r\n", STATE_AUTH);
        else
            Send("AUTH LOGIN\r\n", STATE_AUTH);
        return;
    case STATE_AUTH:
        if (nCode != 334)
            break;
        if (m_nAuthMode == AUTH_CRAM_MD5) {
            Send(CramMd5Answer(strText, m_strUser, m_strPassword) + "\r\n", STATE_AUTH_ANSWER);
        } else if (m_nAuthMode == AUTH_PLAIN) {
            // RFC 4616: one line, NUL, the user, NUL, the password.
            CString credentials('\0', 1);
            credentials += m_strUser;
            credentials += CString('\0', 1);
            credentials += m_strPassword;
            Send(Base64Line(credentials), STATE_AUTH_ANSWER);
        } else {
            // The user goes on the first prompt and the password on the second, whatever the
            // prompts say: servers word them differently.
            Send(Base64Line(m_strUser), STATE_AUTH_USER);
        }
        return;
    case STATE_AUTH_USER:
        if (nCode != 334)
            break;
        Send(Base64Line(m_strPassword), STATE_AUTH_ANSWER);
        return;
    case STATE_AUTH_ANSWER:
        if (nCode != 235)
            break;
        StartNextMessage();
        return;
    case STATE_MAIL_FROM:
        if (nCode != 250)
            break;
        m_nAccepted = 0;
        if (!SendNextRecipient())
            Report(FALSE); // a message without any recipient
        return;
    case STATE_RCPT_TO:
    case STATE_RCPT_CC:
    case STATE_RCPT_BCC:
        if (nCode == 250 || nCode == 251)
            ++m_nAccepted;
        if (SendNextRecipient())
            return;
        if (m_nAccepted == 0)
            break;
        Send("DATA\r\n", STATE_DATA);
        return;
    case STATE_DATA: {
        if (nCode != 354)
            break;
        const CString data = std::move(m_strData);
        m_strData.Empty();
        Send(data, STATE_TEXT);
        return;
    }
    case STATE_TEXT:
        Report(nCode == 250);
        return;
    case STATE_QUIT:
        break;
    }
    CloseSession();
}
