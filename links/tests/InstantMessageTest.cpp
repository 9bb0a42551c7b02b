#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "links/InstantMessage.h"
#include "links/ListeningSocket.h"
#include "platform/base/tests/TempFolder.h"
#include "sms/Sender.h"
#include "sms/Sms.h"
#include "testsupport/SocketTestSupport.h"

extern char** environ;

using test_net::ListenOnLoopback;
using test_net::RecordingSocket;
using test_net::ScopedPollSource;

namespace {

// One running copy of the program as far as instant messages go: an account, the document that
// owns the listener, and the manager that takes delivered messages.
class Copy : public CIListeningSocketOwner, public CIIncomingSmsSink {
public:
    explicit Copy(const char* name, int backlog = 5) : account(name) {
        listener = std::make_unique<CListeningSocket>(this, this);
        port = ListenOnLoopback(*listener, backlog);
    }

    _CSender* GetListeningAccount() override { return &account; }
    void MarkModified() override { ++modified; }
    LRESULT DeliverIncomingSms(_CSms* pSms, _CSender* pAccount) override {
        EXPECT_EQ(&account, pAccount);
        delivered.emplace_back(pSms);
        return 1;
    }
    _CSmsBox* GetHeldMessages() override { return &held; }

    // Sends from this copy to another listening on its port.
    int SendTo(const Copy& to, const CString& content, const CString& subject = "",
               LPCTSTR address = "127.0.0.1") {
        UINT old = SetInstantMessageSendPortForTesting(to.port);
        int result = SendInstantMessage(account, address, content, subject);
        SetInstantMessageSendPortForTesting(old == kInstantMessagePort ? 0 : old);
        return result;
    }

    _CSender account;
    // Messages taken but not filed yet (the manager's holding box).
    _CSmsBox held;
    std::unique_ptr<CListeningSocket> listener;
    UINT port = 0;
    int modified = 0;
    std::vector<std::unique_ptr<_CSms>> delivered;
};

// A shorter time for a connection to bring its record, for one test.
class ScopedReadLimit {
public:
    explicit ScopedReadLimit(UINT ms) : m_old(CListeningSocket::SetReadLimitMs(ms)) {}
    ~ScopedReadLimit() { CListeningSocket::SetReadLimitMs(m_old); }

private:
    UINT m_old;
};

// The listener's clock at a time the test sets, for one test.
class ScopedClock {
public:
    ScopedClock()
        : m_old(CListeningSocket::SetClockForTesting([this] { return now; })) {}
    ~ScopedClock() { CListeningSocket::SetClockForTesting(m_old); }
    long long now = 1000000;

private:
    CListeningSocket::Clock m_old;
};

class InstantMessageTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(0u, a.port);
        ASSERT_NE(0u, b.port);
        ASSERT_NE(kInstantMessagePort, a.port);
        ASSERT_NE(kInstantMessagePort, b.port);
    }
    void TearDown() override { SetInstantMessageSendPortForTesting(0); }

    bool WaitForDelivered(Copy& c, size_t n, int ms = 5000) {
        return events.RunUntil([&] { return c.delivered.size() >= n; }, ms);
    }
    // Writes the record to the copy from a socket bound to the local address, and waits until
    // the copy is done with the connection.
    void SendRaw(Copy& to, const InstantMessageRecord& record, const char* from = "127.0.0.1") {
        RecordingSocket peer;
        ASSERT_TRUE(peer.Create(0, 1, FD_CONNECT | FD_CLOSE, from));
        peer.Connect("127.0.0.1", to.port);
        ASSERT_TRUE(events.RunUntil([&] { return peer.Count("connect:0") == 1; }));
        std::vector<BYTE> bytes = StoreInstantMessage(record);
        ASSERT_EQ(static_cast<int>(bytes.size()),
                  peer.Send(bytes.data(), static_cast<int>(bytes.size())));
        ASSERT_TRUE(events.RunUntil([&] { return peer.Count("close:0") == 1; }));
        ASSERT_TRUE(events.RunUntil([&] { return to.listener->GetOpenConnections() == 0; }));
    }

    ScopedPollSource events{2000, 2000};
    Copy a{"甲"};
    Copy b{"乙"};
};

TEST_F(InstantMessageTest, MessageGoesToTheOtherCopyAndTheReplyComesBack) {
    a.account.GetRecord().m_remote.m_strSignature = "小甲";
    ASSERT_EQ(0, a.SendTo(b, "今晚七点见", "约会"));
    ASSERT_TRUE(WaitForDelivered(b, 1));
    const _CSms& got = *b.delivered[0];
    EXPECT_EQ(CString("今晚七点见"), got.m_strContent);
    EXPECT_EQ(CString("约会"), got.m_strSubject);
    EXPECT_EQ(CString("小甲"), got.m_sender.GetName());
    EXPECT_EQ(CString("127.0.0.1"), got.m_sender.GetCode());
    EXPECT_EQ(CString("乙"), got.m_recipient.m_str);
    EXPECT_EQ(_CSms::KIND_INSTANT, got.m_nKind);
    EXPECT_EQ(_CSms::STATE_HELD, got.GetState());
    EXPECT_EQ(1, b.modified);

    // The reply goes to the address the message brought; without a signature the name signs.
    ASSERT_EQ(0, b.SendTo(a, "好的", "", got.m_sender.GetCode()));
    ASSERT_TRUE(WaitForDelivered(a, 1));
    EXPECT_EQ(CString("好的"), a.delivered[0]->m_strContent);
    EXPECT_EQ(CString("乙\n127.0.0.1"), a.delivered[0]->m_sender.m_str);
    EXPECT_EQ(1, a.modified);
    events.Settle(50);
    EXPECT_EQ(0, b.listener->GetOpenConnections());
}

TEST_F(InstantMessageTest, TwoMessagesAreTwoConnectionsAndALongOneIsNeverSplit) {
    CString longText;
    for (int i = 0; i < 400; ++i)
        longText += "长消息";
    ASSERT_EQ(0, a.SendTo(b, "第一条"));
    ASSERT_EQ(0, a.SendTo(b, longText));
    ASSERT_TRUE(WaitForDelivered(b, 2));
    EXPECT_EQ(CString("第一条"), b.delivered[0]->m_strContent);
    EXPECT_EQ(longText, b.delivered[1]->m_strContent);
    EXPECT_EQ(2400, b.delivered[1]->m_nSize);
}

TEST_F(InstantMessageTest, WireHoldsThreeArchiveStringsAndNothingElse) {
    RecordingSocket raw;
    std::unique_ptr<RecordingSocket> conn;
    raw.onAccept = [&](RecordingSocket& l, int) {
        conn = std::make_unique<RecordingSocket>();
        ASSERT_TRUE(l.Accept(*conn));
        conn->AsyncSelect(FD_READ | FD_CLOSE);
    };
    UINT port = ListenOnLoopback(raw);
    SetInstantMessageSendPortForTesting(port);
    ASSERT_EQ(0, SendInstantMessage(a.account, "127.0.0.1", "内容", "主题"));
    ASSERT_TRUE(events.RunUntil([&] { return conn && conn->Count("close:0") == 1; }));
    InstantMessageRecord expected{"内容", "甲\n127.0.0.1", "主题"};
    std::vector<BYTE> bytes = StoreInstantMessage(expected);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), conn->received);
}

TEST_F(InstantMessageTest, UnreachableAddressOrOversizedRecordFailsWith1000) {
    // Nobody listens on this port any more.
    RecordingSocket gone;
    UINT deadPort = ListenOnLoopback(gone);
    gone.Close();
    SetInstantMessageSendPortForTesting(deadPort);
    for (const char* address : {"127.0.0.1", "13800138000", "no such host", "张三", ""})
        EXPECT_EQ(1000, SendInstantMessage(a.account, address, "hi", "")) << address;

    // Over the limit: refused before any connection is made.
    RecordingSocket watcher;
    watcher.onAccept = [](RecordingSocket&, int) {};
    UINT port = ListenOnLoopback(watcher);
    SetInstantMessageSendPortForTesting(port);
    CString huge(CString('x', kInstantMessageMaxRecord));
    EXPECT_EQ(1000, SendInstantMessage(a.account, "127.0.0.1", huge, ""));
    events.Settle(100);
    EXPECT_EQ(0, watcher.Count("accept"));
    // Just under the limit still goes.
    CString fits(CString('x', kInstantMessageMaxRecord - 64));
    ASSERT_EQ(0, a.SendTo(b, fits));
    ASSERT_TRUE(WaitForDelivered(b, 1));
    EXPECT_EQ(fits, b.delivered[0]->m_strContent);
}

TEST_F(InstantMessageTest, CompleteRecordIsTakenWithoutWaitingForThePeerToClose) {
    RecordingSocket peer;
    ASSERT_TRUE(peer.Create(0, 1, FD_CONNECT | FD_READ | FD_CLOSE));
    peer.Connect("127.0.0.1", b.port);
    ASSERT_TRUE(events.RunUntil([&] { return peer.Count("connect:0") == 1; }));
    std::vector<BYTE> bytes = StoreInstantMessage({"不关的连接", "丁\n10.0.0.9", ""});
    ASSERT_EQ(static_cast<int>(bytes.size()),
              peer.Send(bytes.data(), static_cast<int>(bytes.size())));
    ASSERT_TRUE(WaitForDelivered(b, 1));
    EXPECT_EQ(CString("丁\n127.0.0.1"), b.delivered[0]->m_sender.m_str);
    // The listener ends the connection itself.
    ASSERT_TRUE(events.RunUntil([&] { return peer.Count("close:0") == 1; }));
    EXPECT_EQ(0, b.listener->GetOpenConnections());
}

// ---- Peers that claim to be others or flood ------------------------------------------------

TEST_F(InstantMessageTest, ARecordIsFiledUnderTheAddressItCameFromAndTheReplyGoesThere) {
    SendRaw(b, {"冒充的消息", "丁\n10.9.8.7", "主题"});
    ASSERT_TRUE(WaitForDelivered(b, 1));
    const _CSms& got = *b.delivered[0];
    EXPECT_EQ(CString("丁"), got.m_sender.GetName()) << "the stated name stays";
    ASSERT_EQ(CString("127.0.0.1"), got.m_sender.GetCode());

    ASSERT_EQ(0, b.SendTo(a, "回复", "", got.m_sender.GetCode()));
    ASSERT_TRUE(WaitForDelivered(a, 1));
    EXPECT_EQ(CString("回复"), a.delivered[0]->m_strContent);
}

TEST(InstantMessageRecord, TheSenderKeepsItsNameAndTakesThePeersAddress) {
    const struct {
        const char* stated;
        const char* peer;
        const char* filed;
    } cases[] = {
        {"丁\n10.9.8.7", "127.0.0.1", "丁\n127.0.0.1"},
        {"丁\n127.0.0.1", "127.0.0.1", "丁\n127.0.0.1"},
        {"丁", "127.0.0.1", "丁\n127.0.0.1"},           // the sender could not read its address
        {"10.9.8.7", "127.0.0.1", "127.0.0.1"},         // an address alone names nobody
        {"1.2.3.4\n10.9.8.7", "127.0.0.1", "1.2.3.4\n127.0.0.1"}, // a name that looks like one
        {"丁\n10.9.8.7", "", ""},                        // no peer known: nothing to file
    };
    for (const auto& c : cases)
        EXPECT_EQ(CString(c.filed), InstantMessageSenderFromPeer(c.stated, c.peer)) << c.stated;
}

TEST_F(InstantMessageTest, APeerFilesTenMessagesAMinuteAndTheRestAreDropped) {
    ScopedClock clock;
    for (int i = 0; i < 11; ++i) {
        CString text;
        text.Format("第%d条", i + 1);
        ASSERT_EQ(0, a.SendTo(b, text));
        // Taken one by one, so that the listener's queue never fills.
        ASSERT_TRUE(WaitForDelivered(b, std::min<size_t>(i + 1, 10)));
    }
    events.Settle(50);
    ASSERT_EQ(0, b.listener->GetOpenConnections());
    EXPECT_EQ(10u, b.delivered.size()) << "the eleventh within the minute is dropped";

    // Another machine is not held back by the first.
    SendRaw(b, {"别的机器", "戊\n127.0.0.2", ""}, "127.0.0.2");
    ASSERT_EQ(11u, b.delivered.size());
    EXPECT_EQ(CString("戊\n127.0.0.2"), b.delivered[10]->m_sender.m_str);

    // A moment before the minute is up the first is still held back; then it may go on.
    clock.now += 59999;
    SendRaw(b, {"还早", "甲\n127.0.0.1", ""});
    EXPECT_EQ(11u, b.delivered.size());
    clock.now += 1;
    SendRaw(b, {"一分钟后", "甲\n127.0.0.1", ""});
    ASSERT_EQ(12u, b.delivered.size());
    EXPECT_EQ(CString("一分钟后"), b.delivered[11]->m_strContent);
}

TEST_F(InstantMessageTest, NothingIsFiledWhileTooManyMessagesWaitUnseen) {
    // Unseen messages wait in the account (filed, unread) or in the manager (not filed yet).
    for (bool inAccount : {true, false}) {
        SCOPED_TRACE(inAccount ? "in the account" : "held");
        Copy c{"丙"};
        _CSmsBox* box = inAccount ? static_cast<_CSmsBox*>(
                                        c.account.GetRootSmsBox().FindSubBoxByType(0))
                                  : &c.held;
        ASSERT_NE(box, nullptr);
        _CSms* first = nullptr;
        for (int i = 0; i < CListeningSocket::kMaxUnseen; ++i) {
            auto* sms = new _CSms("");
            sms->m_nKind = _CSms::KIND_INSTANT;
            sms->SetState(inAccount ? _CSms::STATE_UNREAD : _CSms::STATE_HELD);
            box->AddSms(sms);
            first = first != nullptr ? first : sms;
        }
        // Read messages and unread ones of other kinds do not count.
        auto* read = new _CSms("");
        read->m_nKind = _CSms::KIND_INSTANT;
        read->SetState(_CSms::STATE_READ);
        box->AddSms(read);
        auto* mobile = new _CSms("");
        mobile->SetState(_CSms::STATE_UNREAD);
        box->AddSms(mobile);
        SendRaw(c, {"满了", "甲\n127.0.0.1", ""});
        EXPECT_TRUE(c.delivered.empty());
        EXPECT_EQ(0, c.modified);

        // One seen (or filed away read): room for one more.
        if (inAccount)
            first->SetRead(TRUE);
        else
            box->RemoveMessage(first, TRUE);
        SendRaw(c, {"有空了", "甲\n127.0.0.1", ""});
        ASSERT_EQ(1u, c.delivered.size());
        EXPECT_EQ(CString("有空了"), c.delivered[0]->m_strContent);
    }
}

// ---- Bad peers ----------------------------------------------------------------------------

// What a hostile or broken peer writes, and whether it closes afterwards.
struct BadInput {
    const char* name;
    std::string bytes;
    bool closes;
};

std::string Le(unsigned long long v, int n) {
    std::string s;
    for (int i = 0; i < n; ++i)
        s += static_cast<char>((v >> (8 * i)) & 0xFF);
    return s;
}

std::vector<BadInput> BadInputs() {
    std::vector<BYTE> good = StoreInstantMessage({"完整", "x\n1.2.3.4", "s"});
    std::string half(good.begin(), good.begin() + static_cast<long>(good.size() / 2));
    return {
        {"garbage", "GET / HTTP/1.0\r\n\r\n\x01\x02", true},
        {"gigabytes announced, 4-byte form", "\xFF" + Le(0xFFFF, 2) + Le(0x40000000, 4) + "abc",
         false},
        {"gigabytes announced, 8-byte form",
         "\xFF" + Le(0xFFFF, 2) + Le(0xFFFFFFFF, 4) + Le(0x100000000ULL, 8) + "abc", false},
        {"wide string of odd length", "\xFF" + Le(0xFFFE, 2) + "\x03" + std::string("a\0b\0c", 5),
         true},
        {"half a record", half, true},
        {"silent peer", "", false},
        {"record over the limit", "\xFF" + Le(0xFFFF, 2) + Le(70000, 4) + std::string(70000, 'o'),
         false},
    };
}

TEST_F(InstantMessageTest, BadInputIsDroppedWithoutHoldingUpTheNextGoodMessage) {
    ScopedReadLimit limit(1500);
    for (const BadInput& bad : BadInputs()) {
        SCOPED_TRACE(bad.name);
        b.delivered.clear();
        auto peer = std::make_unique<RecordingSocket>();
        ASSERT_TRUE(peer->Create(0, 1, FD_CONNECT | FD_CLOSE));
        peer->Connect("127.0.0.1", b.port);
        ASSERT_TRUE(events.RunUntil([&] { return peer->Count("connect:0") == 1; }));
        // Written as the socket takes it: the large record needs several rounds.
        size_t written = 0;
        ASSERT_TRUE(events.RunUntil([&] {
            if (written < bad.bytes.size()) {
                int n = peer->Send(bad.bytes.data() + written,
                                   static_cast<int>(bad.bytes.size() - written));
                if (n > 0)
                    written += static_cast<size_t>(n);
            }
            return written == bad.bytes.size() ||
                   peer->Count("close:0") + peer->Count("close:10054") > 0;
        }));
        if (bad.closes)
            peer->ShutDown(CAsyncSocket::sends);

        // The good message arrives while the bad peer may still be connected.
        ASSERT_EQ(0, a.SendTo(b, "之后的好消息"));
        ASSERT_TRUE(WaitForDelivered(b, 1, 3000));
        EXPECT_EQ(CString("之后的好消息"), b.delivered[0]->m_strContent);
        // Whatever the bad peer did, it ends with its connection closed by the listener.
        ASSERT_TRUE(events.RunUntil([&] { return b.listener->GetOpenConnections() == 0; }, 4000));
        events.Settle(50);
        EXPECT_EQ(1u, b.delivered.size());
    }
}

TEST(InstantMessageRecord, OnlyTheStoredSenderFormAndNothingAfterTheRecordIsTaken) {
    struct Case {
        const char* sender;
        bool taken;
    };
    const Case cases[] = {
        {"丁\n10.0.0.9", true},
        {"丁", true},
        {"10.0.0.9", true},
        {"1.2.3.4\n255.255.255.255", true},
        {"", false},
        {"丁\n", false},
        {"\n10.0.0.9", false},
        {"丁\nhost.example", false},
        {"丁\n10.0.0", false},
        {"丁\n10.0.0.256", false},
        {"丁\n10.0.0.9\n", false},
        {"丁\n10.0.0.9 ", false},
        {"丁\n0010.0.0.9", false},
        {"a\x01b", false},
        {"a\x7F", false},
        {"\x81", false},
        {"\xFF\xA1", false},
    };
    for (const Case& c : cases) {
        std::vector<BYTE> bytes = StoreInstantMessage({"内容", c.sender, "主题"});
        InstantMessageRecord record;
        EXPECT_EQ(c.taken ? InstantMessageParse::complete : InstantMessageParse::damaged,
                  ParseInstantMessage(bytes, record))
            << c.sender;
        // One byte more is never a record.
        if (c.taken) {
            bytes.push_back(0);
            EXPECT_EQ(InstantMessageParse::damaged, ParseInstantMessage(bytes, record)) << c.sender;
        }
    }
    // Random bytes practically never make a record.
    srand(7086);
    int taken = 0;
    for (int i = 0; i < 2000; ++i) {
        std::vector<BYTE> noise(static_cast<size_t>(1 + rand() % 64));
        for (BYTE& b : noise)
            b = static_cast<BYTE>(rand());
        InstantMessageRecord record;
        taken += ParseInstantMessage(noise, record) == InstantMessageParse::complete;
    }
    EXPECT_EQ(0, taken);
}

TEST_F(InstantMessageTest, RecordPastTheCapEndsTheConnectionAtOnce) {
    // The usual time a connection has for its record: far longer than the wait below.
    static_assert(CListeningSocket::kDefaultReadLimitMs >= 10000);
    RecordingSocket peer;
    ASSERT_TRUE(peer.Create(0, 1, FD_CONNECT | FD_CLOSE));
    peer.Connect("127.0.0.1", b.port);
    ASSERT_TRUE(events.RunUntil([&] { return peer.Count("connect:0") == 1; }));
    ASSERT_TRUE(events.RunUntil([&] { return b.listener->GetOpenConnections() == 1; }));
    // A string announced as 70000 bytes; the peer keeps the connection open.
    const std::string bytes = "\xFF" + Le(0xFFFF, 2) + Le(70000, 4) + std::string(70000, 'o');
    size_t written = 0;
    long long passedCap = 0;
    ASSERT_TRUE(events.RunUntil([&] {
        if (written < bytes.size()) {
            int n = peer.Send(bytes.data() + written, static_cast<int>(bytes.size() - written));
            if (n > 0)
                written += static_cast<size_t>(n);
            if (passedCap == 0 && written > static_cast<size_t>(kInstantMessageMaxRecord))
                passedCap = AfxSocketClockMs();
        }
        return passedCap != 0;
    }));
    ASSERT_TRUE(events.RunUntil([&] { return b.listener->GetOpenConnections() == 0; }, 1000));
    EXPECT_LT(AfxSocketClockMs() - passedCap, 1000);
    EXPECT_TRUE(b.delivered.empty());
}

TEST_F(InstantMessageTest, AtMostEightConnectionsAreReadAtOnce) {
    ScopedReadLimit limit(1500);
    // A queue long enough for every attempt to be accepted at once.
    Copy c{"丙", 16};
    std::vector<std::unique_ptr<RecordingSocket>> silent;
    for (int i = 0; i < 12; ++i) {
        silent.push_back(std::make_unique<RecordingSocket>());
        ASSERT_TRUE(silent.back()->Create(0, 1, FD_READ | FD_CLOSE));
        silent.back()->Connect("127.0.0.1", c.port);
    }
    auto closedPeers = [&] {
        int n = 0;
        for (auto& s : silent)
            n +=
                static_cast<int>(s->notices.size() > 0 && s->notices.back().rfind("close", 0) == 0);
        return n;
    };
    // Eight are held, the rest closed as soon as they are accepted.
    ASSERT_TRUE(events.RunUntil([&] { return closedPeers() >= 4; }));
    EXPECT_EQ(4, closedPeers());
    EXPECT_EQ(CListeningSocket::kMaxConnections, c.listener->GetOpenConnections());
    // The held ones run out of time; then a message gets through again.
    ASSERT_TRUE(events.RunUntil([&] { return closedPeers() == 12; }));
    EXPECT_EQ(0, c.listener->GetOpenConnections());
    ASSERT_EQ(0, a.SendTo(c, "又通了"));
    ASSERT_TRUE(WaitForDelivered(c, 1));
}

TEST_F(InstantMessageTest, ListenerClosedWhileConnectionsAreOpenLeavesNothingBehind) {
    auto peer = std::make_unique<RecordingSocket>();
    ASSERT_TRUE(peer->Create(0, 1, FD_READ | FD_CLOSE));
    peer->Connect("127.0.0.1", b.port);
    ASSERT_TRUE(events.RunUntil([&] { return b.listener->GetOpenConnections() == 1; }));
    b.listener.reset();
    ASSERT_TRUE(events.RunUntil([&] { return peer->Count("close:0") == 1; }));
    events.Settle(50);
    EXPECT_TRUE(b.delivered.empty());
}

// ---- Two processes ------------------------------------------------------------------------

TEST_F(InstantMessageTest, ExchangeWithACopyInAnotherProcess) {
    test_folders::TempDir peerHome;
    test_folders::TempDir ownHome;
    test_folders::ScopedEnv home("QUILLMAR_HOME", ownHome.str().c_str());
    // A port for the peer's listener; the peer answers on ours.
    RecordingSocket probe;
    UINT peerPort = ListenOnLoopback(probe);
    probe.Close();

    std::string exe = INSTANT_MESSAGE_PEER;
    std::string listenArg = std::to_string(peerPort);
    std::string replyArg = std::to_string(a.port);
    std::vector<char*> argv = {exe.data(), listenArg.data(), replyArg.data(), nullptr};
    std::vector<std::string> envStore;
    for (char** e = environ; *e; ++e)
        if (std::string(*e).rfind("QUILLMAR_HOME=", 0) != 0)
            envStore.push_back(*e);
    envStore.push_back("QUILLMAR_HOME=" + peerHome.str());
    std::vector<char*> envp;
    for (auto& s : envStore)
        envp.push_back(s.data());
    envp.push_back(nullptr);
    pid_t pid = -1;
    ASSERT_EQ(0, posix_spawn(&pid, exe.c_str(), nullptr, nullptr, argv.data(), envp.data()));

    // The peer listens once it has started; until then the connection is refused.
    UINT old = SetInstantMessageSendPortForTesting(peerPort);
    int sent = 1000;
    events.RunUntil(
        [&] {
            sent = SendInstantMessage(a.account, "127.0.0.1", "跨进程的问候", "问候");
            return sent == 0;
        },
        15000);
    SetInstantMessageSendPortForTesting(old == kInstantMessagePort ? 0 : old);
    EXPECT_EQ(0, sent);
    EXPECT_TRUE(WaitForDelivered(a, 1, 15000));
    int status = 0;
    ASSERT_EQ(pid, waitpid(pid, &status, 0));
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(0, WEXITSTATUS(status));
    ASSERT_EQ(1u, a.delivered.size());
    EXPECT_EQ(CString("收到：跨进程的问候"), a.delivered[0]->m_strContent);
    EXPECT_EQ(CString("回复：问候"), a.delivered[0]->m_strSubject);
    EXPECT_EQ(CString("乙方\n127.0.0.1"), a.delivered[0]->m_sender.m_str);
    // The peer kept what it received in its own program folder.
    FILE* f = fopen((peerHome.str() + "/received.txt").c_str(), "rb");
    ASSERT_NE(nullptr, f);
    char buf[256] = {};
    size_t n = fread(buf, 1, sizeof buf - 1, f);
    fclose(f);
    EXPECT_EQ(std::string(CString("甲\n127.0.0.1\n跨进程的问候\n问候")), std::string(buf, n));
}

} // namespace
