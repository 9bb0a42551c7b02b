// The SMTP client's connection against a scripted server on loopback: what goes over the socket,
// replies in pieces, large messages, and the ways a session ends (server gone, endless reply,
// silent server, refused connection).
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "mail/EmailMessage.h"
#include "mail/SmtpClientSocket.h"
#include "mail/tests/MailTestSupport.h"
#include "mail/tests/ScriptedServer.h"
#include "testsupport/LoopbackProxy.h"
#include "testsupport/SocketTestSupport.h"

using namespace mailtest;

namespace {

class Outcomes : public CSMTPClientSocket::IListener {
public:
    void OnMessageSent(CEmailMessage* pMessage, BOOL bSuccess) override {
        reports.emplace_back(pMessage, bSuccess != FALSE);
        if (onSent)
            onSent(pMessage);
    }
    std::vector<std::pair<CEmailMessage*, bool>> reports;
    std::function<void(CEmailMessage*)> onSent;
};

std::unique_ptr<CEmailMessage> Message(const char* to, const std::string& text = "hello") {
    auto m = std::make_unique<CEmailMessage>();
    m->m_sender.Set("我", "me@example.com");
    m->AddRecipients(to, CEmailMessage::KIND_TO);
    m->m_strSubject = "hi";
    m->SetText(Bytes(text));
    return m;
}

// A server's side of a dialogue up to the message text: greeting, HELO, MAIL FROM and one RCPT
// per recipient, each noted.
void GreetAndTakeEnvelope(ScriptedServer& server, ServerPeer& peer, int nRecipients) {
    peer.Reply("220 ready\r\n");
    server.Note(peer.Command());
    peer.Reply("250 ok\r\n");
    server.Note(peer.Command());
    for (int i = 0; i < nRecipients; ++i) {
        peer.Reply("250 ok\r\n");
        server.Note(peer.Command());
    }
}

// A server that takes everything: greeting, 250 to every command, 354 and 250 around each
// message text, 221 to QUIT. Each command is noted.
void TakeEverything(ScriptedServer& server, ServerPeer& peer) {
    peer.Reply("220 ready\r\n");
    for (;;) {
        const std::string command = peer.Command();
        if (command.empty())
            return;
        server.Note(command);
        if (command == "DATA") {
            peer.Reply("354 go on\r\n");
            peer.Data();
            peer.Reply("250 queued\r\n");
        } else if (command == "QUIT") {
            peer.Reply("221 bye\r\n");
            return;
        } else {
            peer.Reply("250 ok\r\n");
        }
    }
}

class SmtpClientSocketTest : public ::testing::Test {
protected:
    void SetUp() override {
        client.m_strHost = "127.0.0.1";
        client.SetListener(&outcomes);
    }
    // Runs the poll loop until the session has ended.
    bool RunSession(int timeoutMs = 10000) {
        return events.RunUntil([this] { return !client.IsBusy(); }, timeoutMs);
    }

    test_net::ScopedPollSource events;
    Outcomes outcomes;
    CSMTPClientSocket client;
};

TEST_F(SmtpClientSocketTest, StartsWithThePortAndLoginOfASession) {
    EXPECT_EQ(25u, client.m_nPort);
    EXPECT_EQ(CSmtpProtocol::AUTH_LOGIN, client.m_nAuthMethod);
    EXPECT_FALSE(client.IsBusy());
    EXPECT_EQ(nullptr, client.GetCurrentMessage());
}

// A whole session: a login, replies that arrive in pieces, a refused recipient, two messages
// (one of them far larger than a socket takes at once, with lines that begin with a dot) and
// the QUIT, after which the server sees the connection closed.
TEST_F(SmtpClientSocketTest, SendsTheQueueInOneSession) {
    std::string big;
    for (int i = 0; big.size() < 1024 * 1024; ++i)
        big += (i % 7 == 0 ? "." : "line ") + std::to_string(i) + "\r\n";
    auto first = Message("a@example.com, refused@example.com, b@example.com", ".\r\nsmall");
    auto second = Message("c@example.com", big);
    std::string data[2];
    ScriptedServer server([&](ServerPeer& peer, int) {
        peer.Reply("22");
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        peer.Reply("0 smtp.example ready\r\n");
        server.Note(peer.Command());
        peer.Reply("250-smtp.example\r\n250-AUTH LOGIN");
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        peer.Reply("\r\n250 8BITMIME\r\n");
        for (const char* prompt : {"334 VXNlcm5hbWU6\r\n", "334 UGFzc3dvcmQ6\r\n", "235 ok\r\n"}) {
            server.Note(peer.Command());
            peer.Reply(prompt);
        }
        for (int m = 0; m < 2; ++m) {
            server.Note(peer.Command()); // MAIL FROM
            peer.Reply("250 ok\r\n");
            for (int r = 0; r < (m == 0 ? 3 : 1); ++r) {
                const std::string rcpt = peer.Command();
                server.Note(rcpt);
                peer.Reply(rcpt.find("refused") != std::string::npos ? "550 no such user\r\n"
                                                                     : "250 ok\r\n");
            }
            server.Note(peer.Command()); // DATA
            peer.Reply("354 go on\r\n");
            data[m] = peer.Data();
            peer.Reply("250 queued\r\n");
        }
        server.Note(peer.Command());
        peer.Reply("221 bye\r\n");
        server.Note(peer.ClientClosed() ? "(closed)" : "(still open)");
    });
    client.m_nPort = server.Port();
    client.m_strUser = "tim";
    client.m_strPassword = "secret";
    client.AddMessage(first.get());
    client.AddMessage(second.get());
    ASSERT_TRUE(client.Connect());
    EXPECT_TRUE(client.IsBusy());
    EXPECT_TRUE(client.Connect()); // a running session is left alone
    ASSERT_TRUE(RunSession());
    server.Join();

    EXPECT_EQ(1, server.Connections());
    const std::vector<std::string> expected = {"EHLO Test",
                                               "AUTH LOGIN",
                                               "dGlt",
                                               "c2VjcmV0",
                                               "MAIL FROM:<me@example.com>",
                                               "RCPT TO:<a@example.com>",
                                               "RCPT TO:<refused@example.com>",
                                               "RCPT TO:<b@example.com>",
                                               "DATA",
                                               "MAIL FROM:<me@example.com>",
                                               "RCPT TO:<c@example.com>",
                                               "DATA",
                                               "QUIT",
                                               "(closed)"};
    EXPECT_EQ(expected, server.Notes());
    ASSERT_EQ(2u, outcomes.reports.size());
    EXPECT_EQ(std::make_pair(first.get(), true), outcomes.reports[0]);
    EXPECT_EQ(std::make_pair(second.get(), true), outcomes.reports[1]);
    EXPECT_EQ(0, client.GetQueueCount());
    EXPECT_EQ(nullptr, client.GetCurrentMessage());

    EXPECT_NE(std::string::npos, data[0].find("\r\n..\r\nsmall\r\n.\r\n"));
    ASSERT_GT(data[1].size(), big.size());
    EXPECT_NE(std::string::npos, data[1].find("\r\n..0\r\nline 1\r\n"));
    EXPECT_NE(std::string::npos, data[1].find("\r\n..7\r\nline 8\r\n"));
    EXPECT_EQ(data[1].size() - 5, data[1].find("\r\n.\r\n"));
    EXPECT_FALSE(client.IsBusy());
}

// A message the account queues while it hears of the previous one goes in the same session; a
// later Connect after a finished session starts a new one.
TEST_F(SmtpClientSocketTest, MessagesQueuedDuringTheSessionGoInIt) {
    auto first = Message("a@example.com");
    auto second = Message("b@example.com");
    auto third = Message("c@example.com");
    ScriptedServer server([&](ServerPeer& peer, int) { TakeEverything(server, peer); });
    client.m_nPort = server.Port();
    client.m_nAuthMethod = CSmtpProtocol::AUTH_NONE;
    outcomes.onSent = [&](CEmailMessage* sent) {
        if (sent == first.get())
            client.AddMessage(second.get());
    };
    client.AddMessage(first.get());
    ASSERT_TRUE(client.Connect());
    ASSERT_TRUE(RunSession());
    client.AddMessage(third.get());
    ASSERT_TRUE(client.Connect());
    ASSERT_TRUE(RunSession());
    server.Join();
    EXPECT_EQ(2, server.Connections());
    ASSERT_EQ(3u, outcomes.reports.size());
    EXPECT_EQ(second.get(), outcomes.reports[1].first);
    EXPECT_EQ(third.get(), outcomes.reports[2].first);
    const std::vector<std::string> expected = {"HELO Test",
                                               "MAIL FROM:<me@example.com>",
                                               "RCPT TO:<a@example.com>",
                                               "DATA",
                                               "MAIL FROM:<me@example.com>",
                                               "RCPT TO:<b@example.com>",
                                               "DATA",
                                               "QUIT",
                                               "HELO Test",
                                               "MAIL FROM:<me@example.com>",
                                               "RCPT TO:<c@example.com>",
                                               "DATA",
                                               "QUIT"};
    EXPECT_EQ(expected, server.Notes());
}

// However a session breaks off, it ends without a report, the socket is closed, the message in
// progress is dropped and the next Connect takes the rest of the queue from the greeting on.
TEST_F(SmtpClientSocketTest, ABrokenSessionEndsAndTheNextConnectTakesTheRestOfTheQueue) {
    const struct {
        const char* what;
        std::function<void(ScriptedServer&, ServerPeer&)> breakOff;
        // Whether the session had taken the first message (which is then dropped).
        bool firstTaken;
    } cases[] = {
        {"the server closes in the middle",
         [](ScriptedServer& server, ServerPeer& peer) { GreetAndTakeEnvelope(server, peer, 1); },
         true},
        {"the server closes before its greeting", [](ScriptedServer&, ServerPeer&) {}, false},
        {"a reply that never ends",
         [](ScriptedServer& server, ServerPeer& peer) {
             peer.Reply("220 ready\r\n");
             server.Note(peer.Command());
             const std::string line = "250-" + std::string(1000, 'x') + "\r\n";
             for (int i = 0; i < 100; ++i)
                 peer.Reply(line);
             server.Note(peer.ClientClosed() ? "(closed)" : "(still open)");
         },
         false},
        {"a line without an end",
         [](ScriptedServer& server, ServerPeer& peer) {
             peer.Reply("220 " + std::string(100 * 1024, 'x'));
             server.Note(peer.ClientClosed() ? "(closed)" : "(still open)");
         },
         false},
        {"an unexpected reply to DATA",
         [](ScriptedServer& server, ServerPeer& peer) {
             GreetAndTakeEnvelope(server, peer, 1);
             peer.Reply("250 ok\r\n");
             server.Note(peer.Command());
             peer.Reply("451 try later\r\n");
             server.Note(peer.ClientClosed() ? "(closed)" : "(still open)");
         },
         true},
        // The rest of the text must not go out at the start of the next session.
        {"the server goes while the message text is on its way",
         [](ScriptedServer& server, ServerPeer& peer) {
             GreetAndTakeEnvelope(server, peer, 1);
             peer.Reply("250 ok\r\n");
             server.Note(peer.Command());
             peer.Reply("354 go on\r\n");
             std::this_thread::sleep_for(std::chrono::milliseconds(50));
         },
         true},
    };
    // Far more than a socket takes at once.
    const std::string longText(1024 * 1024, 'x');
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto first = Message("a@example.com", longText);
        auto second = Message("b@example.com");
        ScriptedServer server([&](ServerPeer& peer, int connection) {
            if (connection == 0) {
                c.breakOff(server, peer);
                return;
            }
            server.Note("(second session)");
            TakeEverything(server, peer);
        });
        CSMTPClientSocket socket;
        Outcomes seen;
        socket.SetListener(&seen);
        socket.m_strHost = "127.0.0.1";
        socket.m_nPort = server.Port();
        socket.m_nAuthMethod = CSmtpProtocol::AUTH_NONE;
        socket.AddMessage(first.get());
        socket.AddMessage(second.get());
        ASSERT_TRUE(socket.Connect());
        ASSERT_TRUE(events.RunUntil([&] { return !socket.IsBusy(); }, 10000));
        EXPECT_TRUE(seen.reports.empty());
        EXPECT_FALSE(socket.IsValid());
        EXPECT_EQ(nullptr, socket.GetCurrentMessage());
        EXPECT_EQ(c.firstTaken ? 1 : 2, socket.GetQueueCount());

        ASSERT_TRUE(socket.Connect());
        ASSERT_TRUE(events.RunUntil([&] { return !socket.IsBusy(); }, 10000));
        server.Join();
        std::vector<std::pair<CEmailMessage*, bool>> expectedReports = {{second.get(), true}};
        std::vector<std::string> expectedSecond = {
            "(second session)",        "HELO Test", "MAIL FROM:<me@example.com>",
            "RCPT TO:<b@example.com>", "DATA",      "QUIT"};
        if (!c.firstTaken) {
            expectedReports.insert(expectedReports.begin(), {first.get(), true});
            expectedSecond.insert(expectedSecond.begin() + 2, {"MAIL FROM:<me@example.com>",
                                                               "RCPT TO:<a@example.com>", "DATA"});
        }
        EXPECT_EQ(expectedReports, seen.reports);
        std::vector<std::string> notes = server.Notes();
        for (const std::string& note : notes)
            EXPECT_NE("(still open)", note);
        const auto secondAt = std::find(notes.begin(), notes.end(), "(second session)");
        EXPECT_EQ(expectedSecond, std::vector<std::string>(secondAt, notes.end()));
    }
}

// A server that stops answering (before its greeting, or after it has prompted for the user
// name) is left once one reply has been awaited for the wait; the server sees the connection
// closed and the message waits for the next session. A server that takes a while over every
// reply, each within the wait, keeps its session however long the whole takes.
TEST_F(SmtpClientSocketTest, AServerSilentForTheWholeReplyWaitIsLeft) {
    client.m_nReplyWaitMs = 300;
    const struct {
        const char* name;
        int repliesBeforeSilence;
    } kCases[] = {{"no greeting", 0}, {"silent after the user name prompt", 3}};
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        std::atomic<bool> closedSeen{false};
        ScriptedServer server([&](ServerPeer& peer, int) {
            const char* replies[] = {"220 ready\r\n", "250 AUTH LOGIN\r\n", "334 VXNlcm5hbWU6\r\n"};
            for (int i = 0; i < c.repliesBeforeSilence; ++i) {
                if (i > 0)
                    peer.Command();
                peer.Reply(replies[i]);
            }
            closedSeen = peer.ClientClosed();
        });
        auto m = Message("a@example.com");
        client.m_nPort = server.Port();
        client.AddMessage(m.get());
        const auto start = std::chrono::steady_clock::now();
        ASSERT_TRUE(client.Connect());
        EXPECT_TRUE(RunSession(5000));
        // The wait is a window timer, which may fire up to 5% early.
        EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(285));
        server.Join();
        EXPECT_TRUE(closedSeen);
        EXPECT_TRUE(client.WasServerSilent());
        EXPECT_TRUE(outcomes.reports.empty());
        EXPECT_EQ(1, client.GetQueueCount());
        EXPECT_TRUE(events.source.IsIdle()) << "no wait is left running once the session is over";
        client.ClearQueue();
    }

    client.m_nReplyWaitMs = 250;
    ScriptedServer slow([&](ServerPeer& peer, int) {
        peer.Reply("220 ready\r\n");
        for (;;) {
            const std::string command = peer.Command();
            if (command.empty())
                return;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            if (command == "DATA") {
                peer.Reply("354 go on\r\n");
                peer.Data();
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
                peer.Reply("250 queued\r\n");
            } else if (command == "QUIT") {
                peer.Reply("221 bye\r\n");
                return;
            } else {
                peer.Reply(command.rfind("AUTH", 0) == 0 ? "334 x\r\n" : "250 ok\r\n");
            }
        }
    });
    client.m_nAuthMethod = CSmtpProtocol::AUTH_NONE;
    auto m = Message("a@example.com");
    client.m_nPort = slow.Port();
    client.AddMessage(m.get());
    ASSERT_TRUE(client.Connect());
    EXPECT_TRUE(RunSession(5000));
    EXPECT_FALSE(client.WasServerSilent());
    ASSERT_EQ(1u, outcomes.reports.size());
    EXPECT_TRUE(outcomes.reports[0].second);
}

TEST_F(SmtpClientSocketTest, ARefusedConnectionEndsTheSession) {
    auto m = Message("a@example.com");
    client.m_nPort = static_cast<UINT>(test_net::FreeLoopbackPort());
    client.AddMessage(m.get());
    ASSERT_TRUE(client.Connect());
    ASSERT_TRUE(RunSession(5000));
    EXPECT_TRUE(outcomes.reports.empty());
    EXPECT_EQ(1, client.GetQueueCount());
    EXPECT_TRUE(events.source.IsIdle());

    client.m_nPort = 0;
    EXPECT_FALSE(client.Connect());
    EXPECT_FALSE(client.IsBusy());
}

} // namespace
