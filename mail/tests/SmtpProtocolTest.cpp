#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "mail/EmailMessage.h"
#include "mail/MimeCodec.h"
#include "mail/SmtpProtocol.h"
#include "mail/tests/MailTestSupport.h"

using namespace mailtest;

namespace {

// Stands in for the connection and the account: records what the dialogue sends, whether it
// closed, and each message's outcome.
class Recorder : public CSmtpProtocol::ITransport, public CSmtpProtocol::IListener {
public:
    void Send(const CString& text) override { sent.push_back(S(text)); }
    void Close() override { ++closed; }
    void OnMessageSent(CEmailMessage* pMessage, BOOL bSuccess) override {
        reports.emplace_back(pMessage, bSuccess != FALSE);
    }
    std::vector<std::string> sent;
    int closed = 0;
    std::vector<std::pair<CEmailMessage*, bool>> reports;
};

std::unique_ptr<CEmailMessage> Message(const char* to, const char* cc = "", const char* bcc = "") {
    auto m = std::make_unique<CEmailMessage>();
    m->m_sender.Set("我", "me@example.com");
    m->AddRecipients(to, CEmailMessage::KIND_TO);
    m->AddRecipients(cc, CEmailMessage::KIND_CC);
    m->AddRecipients(bcc, CEmailMessage::KIND_BCC);
    m->m_strSubject = "hi";
    m->SetText("line\r\n.\r\nafter");
    return m;
}

class SmtpProtocolTest : public ::testing::Test {
protected:
    void SetUp() override {
        smtp.SetTransport(&rec);
        smtp.SetListener(&rec);
        smtp.m_strUser = "tim";
        smtp.m_strPassword = "tanstaaftanstaaf";
    }
    void Connect() {
        ASSERT_TRUE(smtp.Start());
        smtp.OnConnected(TRUE);
    }
    // The server's reply; answers what the client sent to it ("" for nothing).
    std::string Reply(const std::string& reply) {
        const size_t before = rec.sent.size();
        smtp.OnReceive(reply.data(), static_cast<int>(reply.size()));
        return rec.sent.size() > before ? rec.sent.back() : std::string();
    }
    // Runs a whole dialogue: each step is a reply and the command expected back.
    void Dialogue(const std::vector<std::pair<std::string, std::string>>& steps) {
        for (const auto& [reply, expected] : steps) {
            SCOPED_TRACE(reply);
            const std::string got = Reply(reply);
            if (expected.rfind("DATA-TEXT", 0) == 0)
                EXPECT_EQ("\r\n.\r\n", got.substr(got.size() < 5 ? 0 : got.size() - 5));
            else
                EXPECT_EQ(expected, got);
        }
    }

    Recorder rec;
    CSmtpProtocol smtp;
};

TEST_F(SmtpProtocolTest, EachLoginMethodReachesTheMessage) {
    const std::string b64User = "dGlt\r\n", b64Pass = "dGFuc3RhYWZ0YW5zdGFhZg==\r\n";
    const struct {
        int mode;
        std::vector<std::pair<std::string, std::string>> steps;
    } cases[] = {
        {CSmtpProtocol::AUTH_NONE,
         {{"220 ready\r\n", "HELO Test\r\n"}, {"250 ok\r\n", "MAIL FROM:<me@example.com>\r\n"}}},
        {CSmtpProtocol::AUTH_CRAM_MD5,
         {{"220 ready\r\n", "EHLO Test\r\n"},
          {"250-smtp.example\r\n250-AUTH CRAM-MD5 LOGIN PLAIN\r\n250 DSN\r\n", "AUTH CRAM-MD5\r\n"},
          // RFC 2195's example.
          {"334 PDE4OTYuNjk3MTcwOTUyQHBvc3RvZmZpY2UucmVzdG9uLm1jaS5uZXQ+\r\n",
           "dGltIGI5MTNhNjAyYzdlZGE3YTQ5NWI0ZTZlNzMzNGQzODkw\r\n"},
          {"235 ok\r\n", "MAIL FROM:<me@example.com>\r\n"}}},
        {CSmtpProtocol::AUTH_LOGIN,
         {{"220 ready\r\n", "EHLO Test\r\n"},
          {"250 ok\r\n", "AUTH LOGIN\r\n"},
          // Prompts worded otherwise than "Username:" and "Password:" are answered the same.
          {"334 VXNlciBOYW1lAA==\r\n", b64User},
          {"334 UGFzc3dvcmQA\r\n", b64Pass},
          {"235 ok\r\n", "MAIL FROM:<me@example.com>\r\n"}}},
        {CSmtpProtocol::AUTH_PLAIN,
         {{"220 ready\r\n", "EHLO Test\r\n"},
          {"250 ok\r\n", "AUTH PLAIN\r\n"},
          {"334 \r\n", "AHRpbQB0YW5zdGFhZnRhbnN0YWFm\r\n"}, // "\0tim\0tanstaaftanstaaf"
          {"235 ok\r\n", "MAIL FROM:<me@example.com>\r\n"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        CSmtpProtocol session;
        Recorder recorder;
        session.SetTransport(&recorder);
        session.m_strUser = "tim";
        session.m_strPassword = "tanstaaftanstaaf";
        session.m_nAuthMode = c.mode;
        auto m = Message("you@example.com");
        session.Queue(m.get());
        ASSERT_TRUE(session.Start());
        EXPECT_FALSE(session.Start()); // a running session is not started again
        session.OnConnected(TRUE);
        for (const auto& [reply, expected] : c.steps) {
            SCOPED_TRACE(reply);
            const size_t before = recorder.sent.size();
            session.OnReceive(reply.data(), static_cast<int>(reply.size()));
            ASSERT_EQ(before + 1, recorder.sent.size());
            EXPECT_EQ(expected, recorder.sent.back());
        }
        EXPECT_EQ(CSmtpProtocol::STATE_MAIL_FROM, session.GetState());
        EXPECT_EQ(0, recorder.closed);
    }
}

TEST_F(SmtpProtocolTest, TwoMessagesGoInOneSessionAndRefusedRecipientsAreSkipped) {
    auto first = Message("a@example.com, b@example.com", "c@example.com", "d@example.com");
    auto second = Message("e@example.com");
    smtp.m_nAuthMode = CSmtpProtocol::AUTH_NONE;
    smtp.Queue(first.get());
    smtp.Queue(second.get());
    Connect();
    Dialogue({{"220 ready\r\n", "HELO Test\r\n"},
              {"250 ok\r\n", "MAIL FROM:<me@example.com>\r\n"},
              {"250 ok\r\n", "RCPT TO:<a@example.com>\r\n"},
              {"250 ok\r\n", "RCPT TO:<b@example.com>\r\n"},
              {"550 no such user\r\n", "RCPT TO:<c@example.com>\r\n"},
              {"251 forwarded\r\n", "RCPT TO:<d@example.com>\r\n"},
              {"250 ok\r\n", "DATA\r\n"},
              {"354 go on\r\n", "DATA-TEXT"},
              {"250 queued\r\n", "MAIL FROM:<me@example.com>\r\n"},
              {"250 ok\r\n", "RCPT TO:<e@example.com>\r\n"},
              {"250 ok\r\n", "DATA\r\n"},
              {"354 go on\r\n", "DATA-TEXT"},
              {"554 rejected\r\n", "QUIT\r\n"},
              {"221 bye\r\n", ""}});
    EXPECT_EQ(3, first->m_to.GetCount() + first->m_cc.GetCount());
    ASSERT_EQ(2u, rec.reports.size());
    EXPECT_EQ(std::make_pair(first.get(), true), rec.reports[0]);
    EXPECT_EQ(std::make_pair(second.get(), false), rec.reports[1]);
    EXPECT_EQ(1, rec.closed);
    EXPECT_EQ(CSmtpProtocol::STATE_CLOSED, smtp.GetState());
}

TEST_F(SmtpProtocolTest, TheDataTextIsTheFormattedMessageStuffedOnce) {
    auto m = Message("", "", "hidden@example.com");
    m->AddHeaderLine(".X-Dotted: 1");
    smtp.m_nAuthMode = CSmtpProtocol::AUTH_NONE;
    smtp.Queue(m.get());
    Connect();
    Dialogue({{"220 ready\r\n", "HELO Test\r\n"},
              {"250 ok\r\n", "MAIL FROM:<me@example.com>\r\n"},
              {"250 ok\r\n", "RCPT TO:<hidden@example.com>\r\n"},
              {"250 ok\r\n", "DATA\r\n"}});
    const std::string text = Reply("354 go on\r\n");
    EXPECT_NE(std::string::npos, text.find("\r\nline\r\n..\r\nafter\r\n.\r\n"));
    EXPECT_EQ(std::string::npos, text.find("hidden")); // Bcc stays out of the headers
    EXPECT_NE(std::string::npos, text.find("\r\n..X-Dotted: 1\r\n"));
    EXPECT_EQ(text.size() - 5, text.find("\r\n.\r\n")); // the only terminator is the last line
}

TEST_F(SmtpProtocolTest, NotificationParametersFollowTheFlags) {
    const struct {
        DWORD notify;
        BOOL full;
        const char* envelope;
        const char* mail;
        const char* rcpt;
    } cases[] = {
        {0, TRUE, "X", "MAIL FROM:<me@example.com>\r\n", "RCPT TO:<you@example.com>\r\n"},
        {3, TRUE, "ENV 42+=", "MAIL FROM:<me@example.com> RET=FULL ENVID=ENV+2042+2B+3D\r\n",
         "RCPT TO:<you@example.com> NOTIFY=SUCCESS,FAILURE\r\n"},
        {4, FALSE, "e", "MAIL FROM:<me@example.com> RET=HDRS ENVID=e\r\n",
         "RCPT TO:<you@example.com> NOTIFY=DELAY\r\n"},
        {8, FALSE, "e", "MAIL FROM:<me@example.com> RET=HDRS ENVID=e\r\n",
         "RCPT TO:<you@example.com> NOTIFY=NEVER\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.notify);
        CSmtpProtocol session;
        Recorder recorder;
        session.SetTransport(&recorder);
        session.m_nAuthMode = CSmtpProtocol::AUTH_NONE;
        auto m = Message("you@example.com");
        m->m_dwNotify = c.notify;
        m->m_bReturnFull = c.full;
        m->m_strEnvelopeId = c.envelope;
        session.Queue(m.get());
        session.Start();
        session.OnConnected(TRUE);
        for (const char* reply : {"220 a\r\n", "250 b\r\n", "250 c\r\n"})
            session.OnReceive(reply, static_cast<int>(strlen(reply)));
        ASSERT_EQ(3u, recorder.sent.size());
        EXPECT_EQ(c.mail, recorder.sent[1]);
        EXPECT_EQ(c.rcpt, recorder.sent[2]);
    }
    // Without an envelope id a new one is made: 32 upper-case hexadecimal digits.
    CSmtpProtocol session;
    Recorder recorder;
    session.SetTransport(&recorder);
    session.m_nAuthMode = CSmtpProtocol::AUTH_NONE;
    auto m = Message("you@example.com");
    m->m_dwNotify = 1;
    session.Queue(m.get());
    session.Start();
    session.OnConnected(TRUE);
    session.OnReceive("220 a\r\n250 b\r\n", 7); // bytes after a reply's last line are dropped
    ASSERT_EQ(1u, recorder.sent.size());
    session.OnReceive("250 b\r\n", 7);
    ASSERT_EQ(2u, recorder.sent.size());
    const std::string& mail = recorder.sent[1];
    const size_t at = mail.find("ENVID=");
    ASSERT_NE(std::string::npos, at);
    const std::string id = mail.substr(at + 6, mail.size() - at - 8);
    EXPECT_EQ(32u, id.size());
    EXPECT_EQ(std::string::npos, id.find_first_not_of("0123456789ABCDEF"));
    EXPECT_TRUE(m->m_strEnvelopeId.IsEmpty());
}

TEST_F(SmtpProtocolTest, MessagesThatCannotGoAreReportedFailedAndTheNextOneGoes) {
    auto none = Message("");
    auto injected = Message("you@example.com");
    injected->m_to.GetAt(0)->m_strAddress = "you@example.com>\r\nRCPT TO:<all@example.com";
    auto good = Message("ok@example.com");
    smtp.m_nAuthMode = CSmtpProtocol::AUTH_NONE;
    smtp.Queue(none.get());
    smtp.Queue(injected.get());
    smtp.Queue(good.get());
    Connect();
    Dialogue({{"220 ready\r\n", "HELO Test\r\n"},
              {"250 ok\r\n", "MAIL FROM:<me@example.com>\r\n"},
              // The one without recipients fails here; the injected one never reaches the wire.
              {"250 ok\r\n", "MAIL FROM:<me@example.com>\r\n"},
              {"250 ok\r\n", "RCPT TO:<ok@example.com>\r\n"}});
    ASSERT_EQ(2u, rec.reports.size());
    EXPECT_EQ(std::make_pair(none.get(), false), rec.reports[0]);
    EXPECT_EQ(std::make_pair(injected.get(), false), rec.reports[1]);
    for (const std::string& s : rec.sent)
        EXPECT_EQ(std::string::npos, s.find("all@example.com"));
    EXPECT_EQ(good.get(), smtp.GetCurrentMessage());
}

TEST_F(SmtpProtocolTest, UnexpectedRepliesEndTheSessionWithoutAReport) {
    const struct {
        const char* what;
        std::vector<std::string> replies;
    } cases[] = {
        {"greeting refused", {"554 go away\r\n"}},
        {"login refused", {"220 a\r\n", "250 b\r\n", "334 VXNlcm5hbWU6\r\n", "535 no\r\n"}},
        {"every recipient refused",
         {"220 a\r\n", "250 b\r\n", "334 x\r\n", "334 y\r\n", "235 ok\r\n", "250 from\r\n",
          "550 no\r\n"}},
        {"a reply line too short for a code", {"220 a\r\n", "25\r\n"}},
        {"a reply without digits", {"hello there\r\n"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CSmtpProtocol session;
        Recorder recorder;
        session.SetTransport(&recorder);
        session.SetListener(&recorder);
        auto m = Message("you@example.com");
        session.Queue(m.get());
        session.Start();
        session.OnConnected(TRUE);
        for (const std::string& reply : c.replies)
            session.OnReceive(reply.data(), static_cast<int>(reply.size()));
        EXPECT_EQ(CSmtpProtocol::STATE_CLOSED, session.GetState());
        EXPECT_EQ(1, recorder.closed);
        EXPECT_TRUE(recorder.reports.empty());
        EXPECT_EQ(nullptr, session.GetCurrentMessage());
    }
    // A refused connection closes too; the queue waits for the next session.
    CSmtpProtocol session;
    Recorder recorder;
    session.SetTransport(&recorder);
    auto m = Message("you@example.com");
    session.Queue(m.get());
    session.Start();
    session.OnConnected(FALSE);
    EXPECT_EQ(1, recorder.closed);
    EXPECT_EQ(1, session.GetQueueCount());
}

TEST_F(SmtpProtocolTest, RepliesArriveInPiecesAndEndlessRepliesAreCut) {
    auto m = Message("you@example.com");
    smtp.Queue(m.get());
    Connect();
    EXPECT_EQ("", Reply("22"));
    EXPECT_EQ("", Reply("0 rea"));
    EXPECT_EQ("EHLO Test\r\n", Reply("dy\r\n"));
    EXPECT_EQ("", Reply("250-a\r\n250-b"));
    EXPECT_EQ("AUTH LOGIN\r\n", Reply("\r\n250 c\r\n"));
    EXPECT_EQ(250, smtp.GetLastReplyCode());
    // A server that never ends its reply line, or its reply, is cut off.
    std::string endless(CSmtpProtocol::MAX_REPLY / 2, 'x');
    Reply("334-" + endless + "\r\n");
    EXPECT_EQ(CSmtpProtocol::STATE_AUTH, smtp.GetState());
    Reply("334-" + endless + "\r\n");
    EXPECT_EQ(CSmtpProtocol::STATE_CLOSED, smtp.GetState());
    EXPECT_EQ(1, rec.closed);
}

TEST_F(SmtpProtocolTest, ASilentServerEndsTheSessionAndIsToldApart) {
    auto m = Message("you@example.com");
    smtp.Queue(m.get());
    Connect();
    EXPECT_EQ("EHLO Test\r\n", Reply("220 ready\r\n"));
    EXPECT_EQ("AUTH LOGIN\r\n", Reply("250 ok\r\n"));
    Reply("334 VXNlcm5hbWU6\r\n");
    smtp.OnServerSilent();
    EXPECT_EQ(CSmtpProtocol::STATE_CLOSED, smtp.GetState());
    EXPECT_EQ(1, rec.closed);
    EXPECT_TRUE(smtp.WasServerSilent());
    smtp.OnServerSilent(); // an ended session stays ended
    EXPECT_EQ(1, rec.closed);
    // The next session starts without the last one's cause, and a refusal is no silence.
    Connect();
    EXPECT_FALSE(smtp.WasServerSilent());
    Reply("554 go away\r\n");
    EXPECT_EQ(CSmtpProtocol::STATE_CLOSED, smtp.GetState());
    EXPECT_FALSE(smtp.WasServerSilent());
}

TEST(SmtpCramMd5, ShortChallengesAreEmpty) {
    // The answer to an empty challenge: HMAC-MD5 of nothing under the password.
    const CString answer = CSmtpProtocol::CramMd5Answer("334", "u", "");
    CString decoded;
    DecodeBase64(&answer, &decoded);
    EXPECT_EQ("u 74e6f7298a9c2d168935f58c001bad88", S(decoded));
    EXPECT_EQ(S(answer), S(CSmtpProtocol::CramMd5Answer("334 ", "u", "")));
}

} // namespace
