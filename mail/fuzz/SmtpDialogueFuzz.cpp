// libFuzzer entry for the SMTP client's dialogue: the input is what a server sends, cut into
// pieces at its 0xFF bytes (pieces as the socket hands them over). Whatever arrives, the dialogue
// must not crash or hang, must send nothing once it has closed, must stay in a known state, must
// report each queued message at most once, and must keep CR, LF and NUL out of every command
// argument it sends (each command is exactly one line, the message text aside).
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>

#include "mail/EmailMessage.h"
#include "mail/SmtpProtocol.h"

namespace {

class Checker : public CSmtpProtocol::ITransport, public CSmtpProtocol::IListener {
public:
    explicit Checker(CSmtpProtocol& smtp) : m_smtp(smtp) {}
    void Send(const CString& text) override {
        if (m_closed)
            std::abort();
        const std::string s(text.GetString(), static_cast<size_t>(text.GetLength()));
        if (m_smtp.GetState() == CSmtpProtocol::STATE_TEXT) {
            if (s.size() < 5 || s.compare(s.size() - 5, 5, "\r\n.\r\n") != 0 ||
                s.find("\r\n.\r\n") != s.size() - 5)
                std::abort();
            return;
        }
        if (s.size() < 2 || s.find("\r\n") != s.size() - 2 || s.find('\0') != std::string::npos ||
            s.find('\n') != s.size() - 1 || s.find('\r') != s.size() - 2)
            std::abort();
    }
    void Close() override { m_closed = true; }
    void OnMessageSent(CEmailMessage* pMessage, BOOL) override {
        if (!m_reported.insert(pMessage).second)
            std::abort();
    }

private:
    CSmtpProtocol& m_smtp;
    bool m_closed = false;
    std::set<CEmailMessage*> m_reported;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    CSmtpProtocol smtp;
    Checker checker(smtp);
    smtp.SetTransport(&checker);
    smtp.SetListener(&checker);
    // The first byte chooses the login method.
    smtp.m_nAuthMode = data[0] % 4;
    smtp.m_strUser = "tim";
    smtp.m_strPassword = "secret";
    CEmailMessage messages[3];
    for (CEmailMessage& m : messages) {
        m.m_sender.Set("me", "me@example.com");
        m.AddRecipients("a@example.com; b@example.com", CEmailMessage::KIND_TO);
        m.AddRecipients("c@example.com", CEmailMessage::KIND_BCC);
        m.m_strSubject = "hi";
        m.SetText("line\r\n.\r\n.end");
        smtp.Queue(&m);
    }
    messages[1].m_dwNotify = 7;
    messages[2].m_to.GetAt(0)->m_strAddress = "x@example.com>\r\nRCPT TO:<y";
    smtp.Start();
    smtp.OnConnected(TRUE);
    size_t start = 1;
    for (size_t i = 1; i <= size; ++i) {
        if (i == size || data[i] == 0xFF) {
            smtp.OnReceive(reinterpret_cast<const char*>(data + start), static_cast<int>(i - start));
            if (smtp.GetState() < CSmtpProtocol::STATE_CLOSED ||
                smtp.GetState() > CSmtpProtocol::STATE_QUIT)
                std::abort();
            start = i + 1;
        }
    }
    return 0;
}
