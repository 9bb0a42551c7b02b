// The SMTP client against real servers on loopback: each login method, two messages in one
// session, a refused recipient, delivery-notice parameters, and what the server took read back
// by Python's email package as a mail client would read it.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "mail/EmailMessage.h"
#include "mail/SmtpClientSocket.h"
#include "mail/tests/MailTestSupport.h"
#include "mail/tests/SmtpPeer.h"
#include "platform/base/Gbk.h"
#include "platform/base/OsPath.h"
#include "platform/base/Time.h"
#include "platform/base/tests/TempFolder.h"
#include "platform/sys/Md5.h"
#include "testsupport/SocketTestSupport.h"

using namespace mailtest;

namespace {

const char* const kUser = "tim";
const char* const kPassword = "tanstaaf tanstaaf";

struct PeerKind {
    const char* name;
    std::vector<std::string> command; // the port and the folder follow
    // Whether the server takes the delivery-notice parameters of MAIL FROM and RCPT TO.
    bool takesNotices;
};

std::vector<PeerKind> Peers() {
    return {
        {"aiosmtpd",
         {"/usr/bin/python3", std::string(MAIL_TESTS_DIR) + "/smtp_peer_aiosmtpd.py", kUser,
          kPassword},
         false},
        {"smtp-server",
         {"/usr/bin/env",
          "NODE_PATH=" + std::string(MAIL_TESTS_DIR) + "/../../tools/smtp-peer/node_modules",
          "/usr/bin/node", std::string(MAIL_TESTS_DIR) + "/smtp_peer_node.js", kUser, kPassword},
         true},
    };
}

class Outcomes : public CSMTPClientSocket::IListener {
public:
    void OnMessageSent(CEmailMessage* pMessage, BOOL bSuccess) override {
        reports.emplace_back(pMessage, bSuccess != FALSE);
    }
    void OnAttachmentUnreadable(CEmailMessage* pMessage, const CString& strPath) override {
        unreadable.emplace_back(pMessage, S(strPath));
    }
    std::vector<std::pair<CEmailMessage*, bool>> reports;
    std::vector<std::pair<CEmailMessage*, std::string>> unreadable;
};

class SmtpRealPeerTest : public ::testing::TestWithParam<PeerKind> {
protected:
    void SetUp() override { ASSERT_TRUE(peer.Start(GetParam().command)) << peer.Error(); }

    std::string Path(const char* name) const { return m_dir.str() + "/" + name; }

    // A message with Chinese texts, every kind of recipient (one of them refused by the server),
    // lines that begin with a dot or end in a bare CR or LF, an HTML part and two attachments.
    std::unique_ptr<CEmailMessage> FullMessage(const char* subject) {
        WriteBytes(OsPathFromProgramPath(Path("报价单.txt").c_str()), "price\r\n.\r\nend");
        std::string binary;
        for (int i = 0; i < 3000; ++i)
            binary += static_cast<char>(i * 31 % 256);
        WriteBytes(Path("data.bin"), binary);
        auto m = std::make_unique<CEmailMessage>();
        m->m_sender.Set("张三", "zhang@example.com");
        m->AddRecipients("李四 <li@example.com>; refused@example.com", CEmailMessage::KIND_TO);
        m->AddRecipients("wang@example.com", CEmailMessage::KIND_CC);
        m->AddRecipients("secret@example.com", CEmailMessage::KIND_BCC);
        m->m_strSubject = subject;
        m->SetText("各位好：\n.\n附件是报价单。\r\n.starts with a dot\rend");
        m->SetHtml("<p>各位好</p>", "http://example.com/");
        m->AddAttachment(CString(Path("报价单.txt").c_str()));
        m->AddAttachment(CString(Path("data.bin").c_str()));
        return m;
    }

    // Sends the queued messages in one session; answers whether it ended.
    bool Send(CSMTPClientSocket& client, int nAuth, const char* password = kPassword) {
        client.SetListener(&outcomes);
        client.m_strHost = "127.0.0.1";
        client.m_nPort = peer.Port();
        client.m_nAuthMethod = nAuth;
        client.m_strUser = kUser;
        client.m_strPassword = password;
        if (!client.Connect())
            return false;
        return events.RunUntil([&] { return !client.IsBusy(); }, 20000);
    }

    // What a reader program reads in the n-th message the server took: Python's email package
    // (read_mail.py) or the npm package mailparser (read_mail.js).
    std::string ReadBack(int n, const char* reader = "read_mail.py") {
        const std::string out = Path("read.txt");
        const std::string tests = MAIL_TESTS_DIR;
        // Debian's programs, not whatever comes first on PATH.
        const std::string program = std::string(reader).find(".js") != std::string::npos
                                        ? "/usr/bin/env NODE_PATH=" + tests +
                                              "/../../tools/smtp-peer/node_modules /usr/bin/node "
                                        : "/usr/bin/python3 ";
        const std::string command =
            program + tests + "/" + reader + " " + peer.TextPath(n) + " > " + out + " 2>&1";
        EXPECT_EQ(0, std::system(command.c_str())) << ReadBytes(out);
        return ReadBytes(out);
    }

    test_net::ScopedPollSource events{2000, 5000};
    SmtpPeer peer;
    Outcomes outcomes;

private:
    test_folders::TempDir m_dir;
};

TEST_P(SmtpRealPeerTest, EachLoginMethodDeliversTwoMessagesInOneSession) {
    const struct {
        int auth;
        const char* mechanism;
    } cases[] = {
        {CSmtpProtocol::AUTH_NONE, "-"},
        {CSmtpProtocol::AUTH_CRAM_MD5, "CRAM-MD5"},
        {CSmtpProtocol::AUTH_LOGIN, "LOGIN"},
        {CSmtpProtocol::AUTH_PLAIN, "PLAIN"},
    };
    int taken = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mechanism);
        outcomes.reports.clear();
        auto first = FullMessage("季度报告：鎔 & more?");
        auto second = FullMessage("第二封");
        CSMTPClientSocket client;
        client.AddMessage(first.get());
        client.AddMessage(second.get());
        ASSERT_TRUE(Send(client, c.auth)) << peer.Log();
        const std::vector<std::pair<CEmailMessage*, bool>> expected = {{first.get(), true},
                                                                       {second.get(), true}};
        ASSERT_EQ(expected, outcomes.reports) << peer.Log();

        const std::string auth = std::string("auth ") + c.mechanism + " " +
                                 (c.auth == CSmtpProtocol::AUTH_NONE ? "-" : kUser) + "\n";
        const std::string envelope = auth + "from zhang@example.com\n"
                                            "rcpt li@example.com\n"
                                            "rcpt wang@example.com\n"
                                            "rcpt secret@example.com\n";
        std::string session[2];
        for (int i = 0; i < 2; ++i) {
            const std::string notes = peer.Envelope(taken + 1 + i);
            const size_t lineEnd = notes.find('\n');
            ASSERT_NE(std::string::npos, lineEnd) << notes;
            session[i] = notes.substr(0, lineEnd);
            EXPECT_EQ(envelope, notes.substr(lineEnd + 1));
        }
        EXPECT_EQ(session[0], session[1]); // the same connection

        const std::string read = ReadBack(taken + 1);
        const std::string lines[] = {
            "defects 0\n",
            "header Subject " + Hex("季度报告：鎔 & more?") + "\n",
            "address From " + Hex("张三") + " zhang@example.com\n",
            "address To " + Hex("李四") + " li@example.com\n",
            "address To - refused@example.com\n",
            "address Cc - wang@example.com\n",
            "part text/plain gb2312 - " + Hex(S(first->GetPlainText())) + "\n",
            "part text/html gb2312 - " + Hex("<p>各位好</p>") + "\n",
            "part application/octet-stream - " + Hex("报价单.txt") + " " +
                Hex("price\r\n.\r\nend") + "\n",
            "part application/octet-stream - " + Hex("data.bin") + " " +
                Hex(ReadBytes(Path("data.bin"))) + "\n",
        };
        for (const std::string& line : lines)
            EXPECT_NE(std::string::npos, read.find(line)) << line << "in\n" << read;
        EXPECT_EQ(std::string::npos, peer.Text(taken + 1).find("secret@"));
        EXPECT_NE(std::string::npos, ReadBack(taken + 2).find(Hex("第二封")));
        taken += 2;
    }
}

// A second reader, the npm package mailparser, reads the same: it decodes the "gb2312" label as
// GBK, as mail clients do, so characters only GBK has come through too. The Date header is read
// as the moment of sending.
TEST_P(SmtpRealPeerTest, MailparserReadsWhatTheServerTook) {
    const __time64_t sent = 1773480413; // 2026-03-14 09:26:53 UTC
    CTime::SetNowForTesting(sent);
    struct ClockReset {
        ~ClockReset() { CTime::ResetNowForTesting(); }
    } clockReset;
    auto m = FullMessage("季度报告：鎔 & more?");
    CSMTPClientSocket client;
    client.AddMessage(m.get());
    ASSERT_TRUE(Send(client, CSmtpProtocol::AUTH_LOGIN));
    ASSERT_EQ(1u, outcomes.reports.size());
    const std::string read = ReadBack(1, "read_mail.js");
    const std::string data = ReadBytes(Path("data.bin"));
    const std::string head =
        "subject " + Hex("季度报告：鎔 & more?") + "\n" + "date 2026-03-14T09:26:53.000Z\n" +
        "address from " + Hex("张三") + " zhang@example.com\n" + "address to " + Hex("李四") +
        " li@example.com\n" + "address to - refused@example.com\n" +
        "address cc - wang@example.com\n" +
        // The reader joins the texts of the plain and the HTML part; line ends come as LF.
        "text " + Hex("各位好：\n.\n附件是报价单。\n.starts with a dot\nend");
    EXPECT_EQ(head, read.substr(0, head.size())) << read;
    const std::string price = "price\r\n.\r\nend";
    const std::string attachments =
        "attachment " + Hex("报价单.txt") + " " + std::to_string(price.size()) + " " +
        S(CMd5::HexDigest(price.data(), price.size())) + "\n" + "attachment " + Hex("data.bin") +
        " " + std::to_string(data.size()) + " " + S(CMd5::HexDigest(data.data(), data.size())) +
        "\n";
    EXPECT_NE(std::string::npos, read.find("\n" + attachments)) << read;
    EXPECT_EQ(read.size() - attachments.size(), read.find("\nattachment") + 1) << read;
}

// A mail whose attachment cannot be read when it is sent never reaches the server: it fails,
// the listener hears which file, and the session goes on with the next mail.
TEST_P(SmtpRealPeerTest, AMailWhoseAttachmentCannotBeReadIsNotSent) {
    const struct {
        const char* what;
        std::function<void(CEmailMessage&, const std::string&)> spoil;
    } cases[] = {
        {"deleted", [](CEmailMessage&, const std::string& path) { std::remove(path.c_str()); }},
        {"a folder now",
         [](CEmailMessage&, const std::string& path) {
             std::remove(path.c_str());
             mkdir(path.c_str(), 0700);
         }},
        {"a pipe now",
         [](CEmailMessage&, const std::string& path) {
             std::remove(path.c_str());
             mkfifo(path.c_str(), 0600);
         }},
        {"over the size limit",
         [](CEmailMessage& m, const std::string&) {
             m.GetRoot().GetChild(m.GetRoot().GetChildCount() - 1)->m_dwSizeLimit = 100;
         }},
    };
    int taken = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        outcomes.reports.clear();
        outcomes.unreadable.clear();
        auto bad = FullMessage("附件读不到");
        auto good = FullMessage("附件都在");
        good->GetRoot().RemoveAttachments(); // the spoiled file is the bad mail's alone
        const std::string dataPath = Path("data.bin");
        c.spoil(*bad, dataPath);
        CSMTPClientSocket client;
        client.AddMessage(bad.get());
        client.AddMessage(good.get());
        ASSERT_TRUE(Send(client, CSmtpProtocol::AUTH_LOGIN)) << peer.Log();
        const std::vector<std::pair<CEmailMessage*, bool>> expected = {{bad.get(), false},
                                                                       {good.get(), true}};
        EXPECT_EQ(expected, outcomes.reports);
        const std::vector<std::pair<CEmailMessage*, std::string>> told = {{bad.get(), dataPath}};
        EXPECT_EQ(told, outcomes.unreadable);
        ++taken;
        EXPECT_NE(std::string::npos, ReadBack(taken).find(Hex("附件都在")));
        EXPECT_EQ("", peer.Envelope(taken + 1)) << "the mail without its attachment went out";
        std::filesystem::remove_all(dataPath);
    }
}

// Characters outside GB2312 (镕堃喆, €), a 200-character subject, a display name holding a line
// break and a long Chinese file name: a reader that follows today's standards (Python's
// email.policy.default) reads each back exactly, finds no defect, no header line over 78
// characters and no header beyond those written. A server that offers 8BITMIME (after EHLO) is
// sent the plain text as 8-bit and told so; without it (HELO) the text is encoded.
TEST_P(SmtpRealPeerTest, ATodaysReaderTakesBackEveryCharacter) {
    const auto U = [](const char8_t* text) { return std::string(reinterpret_cast<const char*>(text)); };
    const auto G = [](const std::string& utf8) { return Utf8ToGbk(utf8); };
    std::string subject;
    for (int i = 0; i < 20; ++i)
        subject += U(u8"季度报告镕堃喆€，");
    const std::string body = U(u8"正文镕堃喆€\n第二行：总价 100 €");
    std::string fileName;
    for (int i = 0; i < 4; ++i)
        fileName += U(u8"报价单镕堃喆€");
    fileName += ".txt";
    WriteBytes(Path("price.txt"), "price");
    auto make = [&](bool mime) {
        auto m = std::make_unique<CEmailMessage>();
        m->m_sender.Set(G(U(u8"镕堃喆\r\nBcc: all@example.com €")), "zhang@example.com");
        m->AddRecipients(G(U(u8"李四€ <li@example.com>")), CEmailMessage::KIND_TO);
        m->m_strSubject = G(subject + "\r\n");
        m->SetMime(mime);
        m->SetText(G(body));
        if (mime) {
            m->AddAttachment(CString(Path("price.txt").c_str()));
            m->GetRoot().GetChild(1)->m_strName = G(fileName);
        }
        return m;
    };
    int taken = 0;
    for (int auth : {CSmtpProtocol::AUTH_NONE, CSmtpProtocol::AUTH_LOGIN}) {
        SCOPED_TRACE(auth);
        auto plain = make(false);
        auto mime = make(true);
        CSMTPClientSocket client;
        client.AddMessage(plain.get());
        client.AddMessage(mime.get());
        ASSERT_TRUE(Send(client, auth)) << peer.Log();
        ASSERT_EQ(2u, outcomes.reports.size());
        outcomes.reports.clear();
        for (int n = taken + 1; n <= taken + 2; ++n) {
            const std::string read = ReadBack(n, "read_mail_modern.py");
            const std::string lines[] = {
                "defects 0\n",
                "subject " + subject + "\n",
                "address From " + U(u8"镕堃喆Bcc: all@example.com €") + " <zhang@example.com>\n",
                "address To " + U(u8"李四€") + " <li@example.com>\n",
                "text " + U(u8"正文镕堃喆€\\n第二行：总价 100 €"),
                "header MIME-Version\n",
                "header Message-ID\n",
            };
            for (const std::string& line : lines)
                EXPECT_NE(std::string::npos, read.find(line)) << line << "in\n" << read;
            if (n == taken + 2)
                EXPECT_NE(std::string::npos, read.find("filename " + fileName + "\n")) << read;
            EXPECT_EQ(std::string::npos, read.find("header Bcc")) << read;
            const size_t longest = read.find("longest-header-line ");
            ASSERT_NE(std::string::npos, longest);
            EXPECT_LE(std::stoi(read.substr(longest + 20)), 78) << read;
        }
        // The plain text goes as 8-bit only where the server offered it.
        const std::string text = peer.Text(taken + 1);
        const bool eightBit = std::any_of(text.begin(), text.end(),
                                          [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
        const bool offered = auth != CSmtpProtocol::AUTH_NONE;
        EXPECT_EQ(offered, eightBit);
        EXPECT_EQ(offered, text.find("Content-Transfer-Encoding: 8bit\r\n") != std::string::npos);
        EXPECT_EQ(offered, peer.Envelope(taken + 1).find("BODY=8BITMIME") != std::string::npos)
            << peer.Envelope(taken + 1);
        taken += 2;
    }
}

// A wrong password ends the session at the login: nothing is taken or reported, and the
// messages stay queued.
TEST_P(SmtpRealPeerTest, AWrongPasswordEndsTheSessionAtTheLogin) {
    for (int auth :
         {CSmtpProtocol::AUTH_CRAM_MD5, CSmtpProtocol::AUTH_LOGIN, CSmtpProtocol::AUTH_PLAIN}) {
        SCOPED_TRACE(auth);
        auto m = FullMessage("x");
        CSMTPClientSocket client;
        client.AddMessage(m.get());
        ASSERT_TRUE(Send(client, auth, "wrong"));
        EXPECT_TRUE(outcomes.reports.empty());
        EXPECT_EQ(1, client.GetQueueCount());
        EXPECT_EQ(535, client.GetLastReplyCode());
    }
    EXPECT_EQ("", peer.Envelope(1));
}

// Delivery notices asked for: a server that takes the parameters gets them as sent; one that
// does not refuses MAIL FROM, which ends the session without a report.
TEST_P(SmtpRealPeerTest, DeliveryNoticeParameters) {
    auto m = FullMessage("回执");
    m->m_dwNotify = CEmailMessage::NOTIFY_SUCCESS | CEmailMessage::NOTIFY_FAILURE;
    m->m_bReturnFull = TRUE;
    m->m_strEnvelopeId = "报告 42+=";
    CSMTPClientSocket client;
    client.AddMessage(m.get());
    ASSERT_TRUE(Send(client, CSmtpProtocol::AUTH_LOGIN));
    if (!GetParam().takesNotices) {
        EXPECT_TRUE(outcomes.reports.empty());
        EXPECT_EQ(555, client.GetLastReplyCode());
        EXPECT_EQ("", peer.Envelope(1));
        return;
    }
    ASSERT_EQ(1u, outcomes.reports.size());
    EXPECT_TRUE(outcomes.reports[0].second);
    const std::string notes = peer.Envelope(1);
    EXPECT_NE(std::string::npos, notes.find("RET=FULL")) << notes;
    // Sent as RFC 3461 xtext, decoded by the server back to the GBK bytes.
    EXPECT_NE(std::string::npos, notes.find("RET=FULL ENVID=报告 42+=\n")) << notes;
    EXPECT_NE(std::string::npos, notes.find("NOTIFY=SUCCESS,FAILURE")) << notes;
}

INSTANTIATE_TEST_SUITE_P(Servers, SmtpRealPeerTest, ::testing::ValuesIn(Peers()),
                         [](const ::testing::TestParamInfo<PeerKind>& info) {
                             std::string name = info.param.name;
                             for (char& c : name)
                                 if (!isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             return name;
                         });

} // namespace
