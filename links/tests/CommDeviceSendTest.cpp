#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/HanziString.h"
#include "links/InstantMessage.h"
#include "links/ListeningSocket.h"
#include "links/tests/CommDeviceTestSupport.h"
#include "testsupport/SocketTestSupport.h"
#include "platform/base/Time.h"

using commtest::CommDeviceTest;
using commtest::FormField;

namespace {

std::string Repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i)
        out += s;
    return out;
}

std::vector<std::string> Parts(const std::string& content, int kind = _CSms::KIND_MOBILE,
                               int wide = 70, int ansi = 160) {
    std::vector<std::string> out;
    for (const CString& p : SplitSmsContent(content.c_str(), kind, wide, ansi))
        out.push_back(p.GetString());
    return out;
}

TEST(SmsParts, ContentIsCutIntoWholeCharacters) {
    const std::string zh = "中"; // two bytes in GBK
    const std::string a69 = Repeat("a", 69);
    struct Case {
        std::string content;
        std::vector<size_t> bytes; // of each part
    };
    const Case cases[] = {
        {"", {}},
        {Repeat("a", 150), {150}},
        {Repeat("a", 160), {160}},
        {Repeat("a", 161), {160, 1}},
        {Repeat("a", 320), {160, 160}},
        {Repeat("a", 321), {160, 160, 1}},
        {Repeat(zh, 70), {140}},
        {Repeat(zh, 71), {140, 2}},
        {Repeat(zh, 140), {140, 140}},
        {Repeat(zh, 141), {140, 140, 2}},
        // Mixed: every ASCII byte is a character too, and the part holds 70 characters.
        {"a" + Repeat(zh, 70), {1 + 69 * 2, 2}},
        // A Chinese character as the 70th and as the 71st character.
        {a69 + zh + "x", {69 + 2, 1}},
        {Repeat("a", 70) + zh, {70, 2}},
        {a69 + zh + zh, {69 + 2, 2}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> parts = Parts(c.content);
        std::vector<size_t> sizes;
        std::string joined;
        for (const std::string& p : parts) {
            sizes.push_back(p.size());
            joined += p;
        }
        EXPECT_EQ(c.bytes, sizes) << c.content.size() << " bytes";
        EXPECT_EQ(c.content, joined);
    }
    // A lead byte at the very end is one character of its own and nothing is read past it.
    EXPECT_EQ((std::vector<std::string>{"ab", "\xd6"}), Parts("ab\xd6", _CSms::KIND_MOBILE, 2));
    EXPECT_EQ((std::vector<std::string>{"ab\xd6"}), Parts("ab\xd6"));
    // Direct messages and notes go whole.
    EXPECT_EQ((std::vector<std::string>{Repeat("a", 400)}),
              Parts(Repeat("a", 400), _CSms::KIND_INSTANT));
}

TEST_F(CommDeviceTest, PartSizesComeFromTheProfileWithinTheirLimits) {
    struct Case {
        int wideStored, ansiStored; // -1000: not stored
        int wide, ansi;
    };
    const Case cases[] = {
        {-1000, -1000, 70, 160}, {0, 0, 70, 160},    {-3, -1, 70, 160}, {1, 1, 1, 1},
        {50, 100, 50, 100},      {71, 161, 70, 160},
    };
    for (const Case& c : cases) {
        CProfileStore profile;
        profile.WriteProfileString("SMS", nullptr, nullptr);
        if (c.wideStored != -1000) {
            profile.WriteProfileInt("SMS", "WideMaxSize", c.wideStored);
            profile.WriteProfileInt("SMS", "AnsiMaxSize", c.ansiStored);
        }
        int wide = 0, ansi = 0;
        GetSmsMaxSizes(wide, ansi);
        EXPECT_EQ(c.wide, wide) << c.wideStored;
        EXPECT_EQ(c.ansi, ansi) << c.ansiStored;
    }
    // A stored 0 no longer keeps the send from ending.
    CProfileStore().WriteProfileInt("SMS", "AnsiMaxSize", 0);
    _CSms* sms = Pending("hello");
    EXPECT_EQ(0, SendOne(sms));
    EXPECT_EQ(1u, server.Requests().size());
}

TEST_F(CommDeviceTest, SingleRecipientGetsEveryPartAndTheMessageIsFiledAsSent) {
    CTime::SetNowForTesting(CTime(2026, 5, 6, 7, 8, 9).GetTime());
    _CSms* sms = Pending((Repeat("a", 160) + Repeat("b", 160) + "c").c_str(), "张三\n13912345678");
    _CSms* caller = sms;
    EXPECT_EQ(0, SendOne(caller));
    CTime::ResetNowForTesting();

    ASSERT_EQ(3u, server.Requests().size());
    EXPECT_EQ("\r\nN=n&AppType=&AppVer=3.00&Illegal=0&User=13800138000&Password=pw"
              "&Phone=13912345678&Content=c",
              server.Requests()[2].body);
    EXPECT_EQ(Repeat("b", 160), FormField(server.Requests()[1].body, "Content"));
    EXPECT_EQ(sms, caller);
    EXPECT_EQ(_CSms::STATE_SENT, sms->GetState());
    EXPECT_EQ(CTime(2026, 5, 6, 7, 8, 9).GetTime(), sms->GetTime().GetTime());
    EXPECT_TRUE(Box(2).Contains(sms, FALSE));
    EXPECT_TRUE(Box(1).IsSmsListEmpty());
    EXPECT_EQ((std::vector<std::string>{"show “小王”发送短信", "row 张三<13912345678> 3", "part 0",
                                        "part 0", "part 0 last", "step", "finished"}),
              host.progress.calls);
}

TEST_F(CommDeviceTest, SecondOfThreePartsFailingSplitsTheMessage) {
    int n = 0;
    commtest::Respond(server, SMS_GATEWAY_SEND_PAGE, [&n](const test_net::RecordedRequest&) {
        return test_net::Reply::Text(++n == 2 ? "120#密码错" : "0");
    });
    Pending("before");
    _CSms* sms = Pending((Repeat("a", 160) + Repeat("b", 160) + "c").c_str());
    Pending("after");
    device.SetSender(&account);
    ASSERT_TRUE(device.BeginSend());
    _CSms* caller = sms;
    EXPECT_EQ(900, device.SendSms(&caller));
    device.FileSendResults(nullptr);
    device.EndSend();

    EXPECT_EQ(nullptr, caller); // the source was given up and deleted
    ASSERT_EQ(1, Box(2).GetSmsCount());
    POSITION pos = Box(2).GetFirstSmsPosition();
    _CSms* sent = Box(2).GetNextSms(pos);
    EXPECT_EQ(_CSms::STATE_SENT, sent->GetState());
    EXPECT_STREQ(Repeat("a", 160).c_str(), sent->m_strContent);
    EXPECT_STREQ("13912345678", sent->m_recipient.GetCode());
    // The rest waits where the source stood.
    std::vector<std::string> outbox;
    for (pos = Box(1).GetFirstSmsPosition(); pos;)
        outbox.push_back(Box(1).GetNextSms(pos)->m_strContent.GetString());
    EXPECT_EQ((std::vector<std::string>{"before", Repeat("b", 160) + "c", "after"}), outbox);
    ASSERT_EQ(1, device.GetQueuedSmsCount());
    EXPECT_EQ(_CSms::STATE_PENDING, device.GetQueueHead()->GetState());
    EXPECT_STREQ("用户名/密码错误", device.GetSendResultText(120));
    EXPECT_STREQ("密码错", device.GetResultText());
}

TEST_F(CommDeviceTest, BatchWithOneFailingRecipientKeepsACopyForItInTheOutbox) {
    ReplyByPhone({{"13900000002", "120"}});
    Pending("first");
    _CSms* sms = PendingBatch("hi", {"13900000001", "13900000002", "13900000003"});
    _CSms* caller = sms;
    EXPECT_EQ(900, SendOne(caller));

    EXPECT_EQ((std::vector<std::string>{"13900000001", "13900000002", "13900000003"}), Phones());
    ASSERT_EQ(sms, caller);
    EXPECT_TRUE(Box(2).Contains(sms, FALSE));
    EXPECT_EQ(_CSms::STATE_SENT, sms->GetState());
    ASSERT_EQ(2, sms->m_batchList.GetCount());
    EXPECT_STREQ("13900000003", CNameCodeString(sms->m_batchList.GetTail()).GetCode());
    ASSERT_EQ(2, Box(1).GetSmsCount());
    POSITION pos = Box(1).GetFirstSmsPosition();
    Box(1).GetNextSms(pos);
    _CSms* rest = Box(1).GetNextSms(pos);
    EXPECT_TRUE(rest->m_bBatch);
    EXPECT_EQ(_CSms::STATE_PENDING, rest->GetState());
    ASSERT_EQ(1, rest->m_batchList.GetCount());
    EXPECT_STREQ("13900000002", CNameCodeString(rest->m_batchList.GetHead()).GetCode());
}

TEST_F(CommDeviceTest, FatalResultStopsTheRunAndLeavesEveryRecipientWaiting) {
    struct Case {
        const char* reply;
        int result;
    };
    const Case cases[] = {{"110", 110}, {"113#接口已改", 113}, {"141", 141}};
    for (const Case& c : cases) {
        server.SetReply(SMS_GATEWAY_SEND_PAGE, test_net::Reply::Text(c.reply));
        const size_t before = server.Requests().size();
        _CSms* sms = PendingBatch("hi", {"13900000001", "13900000002"});
        _CSms* other = Pending("next");
        device.SetSender(&account);
        ASSERT_TRUE(device.BeginSend());
        EXPECT_FALSE(device.SendPendingInBox(&Box(1), TRUE));
        // Another message of the same run is not tried either.
        _CSms* caller = other;
        EXPECT_EQ(c.result, device.SendSms(&caller));
        device.FileSendResults(nullptr);
        device.EndSend();
        EXPECT_EQ(before + 1, server.Requests().size()) << c.reply;
        EXPECT_EQ(_CSms::STATE_PENDING, sms->GetState());
        EXPECT_EQ(2, sms->m_batchList.GetCount());
        EXPECT_TRUE(Box(1).Contains(sms, FALSE));
        EXPECT_TRUE(Box(1).Contains(other, FALSE));
        Box(1).DeleteAllSms();
    }
    // A new run tries again.
    server.SetReply(SMS_GATEWAY_SEND_PAGE, test_net::Reply::Text("0"));
    _CSms* sms = Pending("again");
    EXPECT_EQ(0, SendOne(sms));
}

TEST_F(CommDeviceTest, NetworkFailuresAreNotFatalAndTheRunGoesOn) {
    commtest::Respond(server, SMS_GATEWAY_SEND_PAGE, [](const test_net::RecordedRequest& r) {
        if (FormField(r.body, "Phone") == "13900000001")
            return test_net::Reply::Of(test_net::Reply::Kind::Close);
        if (FormField(r.body, "Phone") == "13900000002")
            return test_net::Reply::Text("sent, no number");
        return test_net::Reply::Text("0");
    });
    _CSms* sms = PendingBatch("hi", {"13900000001", "13900000002", "13900000003"});
    _CSms* caller = sms;
    EXPECT_EQ(900, SendOne(caller));
    EXPECT_EQ(3u, Phones().size());
    EXPECT_EQ(1, sms->m_batchList.GetCount());
    EXPECT_EQ((std::vector<std::string>{"show “小王”发送短信", "row 13900000001 1", "part 3 last",
                                        "step", "row 13900000002 1", "part 101 last", "step",
                                        "row 13900000003 1", "part 0 last", "step", "finished"}),
              host.progress.calls);
}

TEST_F(CommDeviceTest, DayAndMonthLimitsHoldPerUserNumberUntilTheDayOrMonthTurns) {
    _CSender other("小李");
    other.GetRecord().m_remote.m_strUserId = "13700000000";
    commtest::Respond(server, SMS_GATEWAY_SEND_PAGE, [](const test_net::RecordedRequest& r) {
        const std::string content = FormField(r.body, "Content");
        return test_net::Reply::Text(content == "day" ? "140" : content == "month" ? "142" : "0");
    });
    auto sendAt = [&](_CSender& who, const CTime& when, const char* content) {
        CTime::SetNowForTesting(when.GetTime());
        auto* sms = new _CSms();
        sms->m_strContent = content;
        sms->m_recipient = CNameCodeString("13912345678");
        sms->SetState(_CSms::STATE_PENDING);
        who.GetRootSmsBox().GetSubBoxAt(1)->AddSms(sms);
        const size_t before = server.Requests().size();
        device.SetSender(&who);
        device.BeginSend();
        int result = device.SendSms(&sms);
        device.FileSendResults(nullptr);
        device.EndSend();
        CTime::ResetNowForTesting();
        return std::make_pair(result, server.Requests().size() - before);
    };
    using P = std::pair<int, size_t>;
    struct Step {
        _CSender* who;
        CTime when;
        const char* content;
        P expect; // result, requests made
    };
    const Step steps[] = {
        {&account, CTime(2026, 1, 30, 23, 59, 0), "day", P(140, 1)},
        {&account, CTime(2026, 1, 30, 23, 59, 59), "ok", P(140, 0)}, // same day: no request
        {&other, CTime(2026, 1, 30, 23, 59, 59), "ok", P(0, 1)},     // another user number
        {&account, CTime(2026, 1, 31, 0, 0, 1), "ok", P(0, 1)},      // past midnight
        {&account, CTime(2026, 1, 31, 12, 0, 0), "month", P(142, 1)},
        {&account, CTime(2026, 1, 31, 23, 59, 59), "ok", P(142, 0)},
        {&other, CTime(2026, 1, 31, 23, 59, 59), "ok", P(0, 1)},
        {&account, CTime(2026, 2, 1, 0, 0, 0), "ok", P(0, 1)}, // the month has turned
        {&account, CTime(2026, 2, 1, 0, 0, 5), "month", P(142, 1)},
        {&account, CTime(2026, 2, 28, 23, 0, 0), "ok", P(142, 0)},
        {&account, CTime(2026, 3, 1, 0, 0, 0), "ok", P(0, 1)},
    };
    int i = 0;
    for (const Step& s : steps)
        EXPECT_EQ(s.expect, sendAt(*s.who, s.when, s.content)) << "step " << i++;
}

TEST_F(CommDeviceTest, CancelDuringAPostStopsTheRunBeforeTheNextPart) {
    test_net::Reply slow = test_net::Reply::Text("0");
    slow.delayMs = 200;
    server.SetReply(SMS_GATEWAY_SEND_PAGE, slow);
    int pumpsAtCancel = -1;
    host.progress.onPump = [&] {
        // The user presses Cancel while the first part is on its way.
        if (pumpsAtCancel < 0 && host.progress.pumps > 3) {
            pumpsAtCancel = host.progress.pumps;
            device.SetStopRequested(TRUE);
        }
    };
    _CSms* sms = Pending((Repeat("a", 160) + "b").c_str());
    Pending("second message");
    device.SetSender(&account);
    ASSERT_TRUE(device.BeginSend());
    EXPECT_FALSE(device.SendPendingInBox(&Box(1), TRUE));
    device.EndSend();

    // The first part was waited for and counts as sent; nothing more went.
    EXPECT_EQ(1u, server.Requests().size());
    EXPECT_GT(pumpsAtCancel, 0);
    ASSERT_EQ(1, Box(2).GetSmsCount());
    EXPECT_FALSE(Box(1).Contains(sms, FALSE)); // given up: split into the sent and the rest
    EXPECT_EQ(2, Box(1).GetSmsCount());
    const auto& calls = host.progress.calls;
    EXPECT_NE(std::find(calls.begin(), calls.end(), "part 40 last"), calls.end());
    EXPECT_FALSE(device.IsStopRequested());
    EXPECT_STREQ("操作被用户终止", device.GetSendResultText(40));
}

TEST_F(CommDeviceTest, FlaggedWordsAreToldToTheGatewayAndShownWithItsRefusal) {
    server.SetReply(SMS_GATEWAY_SEND_PAGE, test_net::Reply::Text("50"));
    _CSms* sms = Pending("恭喜您中奖了");
    EXPECT_EQ(50, SendOne(sms));
    EXPECT_EQ("1", FormField(server.Requests()[0].body, "Illegal"));
    EXPECT_STREQ("短信内容中包含非法或不健康词汇: 恭喜您中奖", device.GetSendResultText(50));
    EXPECT_STREQ("操作出错", device.GetSendResultText(900));
}

// Notes go through the card service only; a direct message to an address no copy listens on (a
// phone number is no host) cannot be sent: either ends the run with the messages still pending.
TEST_F(CommDeviceTest, KindsThatCannotGoEndTheRunWithTheMessagesPending) {
    for (int kind : {_CSms::KIND_INSTANT, _CSms::KIND_NOTE}) {
        _CSms* sms = Pending("hi");
        sms->m_nKind = kind;
        Pending("after")->m_nKind = kind;
        device.SetSender(&account);
        device.BeginSend();
        EXPECT_FALSE(device.SendPendingInBox(&Box(1), FALSE)) << kind;
        device.EndSend();
        EXPECT_EQ(2, Box(1).CountSmsByState(_CSms::STATE_PENDING, FALSE));
        Box(1).DeleteAllSms();
    }
    EXPECT_TRUE(server.Requests().empty());
}

// The other copy: its sender document owns the listener, its manager takes what arrives.
class OtherCopy : public CIListeningSocketOwner {
public:
    OtherCopy() {
        device.SetHost(&host);
        host.active = &account;
        listener = std::make_unique<CListeningSocket>(this, &device);
        port = test_net::ListenOnLoopback(*listener, 5);
    }
    _CSender* GetListeningAccount() override { return &account; }
    void MarkModified() override {}

    _CSender account{"老李"};
    commtest::RecordingHost host;
    CCommDevice device;
    std::unique_ptr<CListeningSocket> listener;
    UINT port = 0;
};

TEST_F(CommDeviceTest, DirectMessagesGoWholeToTheOtherCopyAndAreFiledThere) {
    test_net::ScopedPollSource events{2000, 2000};
    OtherCopy other;
    ASSERT_NE(0u, other.port);
    UINT old = SetInstantMessageSendPortForTesting(other.port);
    const CString text = CString('x', 300) + "今晚七点见"; // longer than any gateway part
    _CSms* sms = Pending(text, "127.0.0.1");
    sms->m_nKind = _CSms::KIND_INSTANT;
    EXPECT_EQ(0, SendOne(sms));
    SetInstantMessageSendPortForTesting(old == kInstantMessagePort ? 0 : old);
    EXPECT_EQ(_CSms::STATE_SENT, sms->GetState());
    EXPECT_TRUE(server.Requests().empty()); // nothing through the gateway

    ASSERT_TRUE(events.RunUntil([&] { return other.host.arrivals > 0; }, 5000));
    _CSmsBox& inbox = *other.account.GetRootSmsBox().GetSubBoxAt(0);
    ASSERT_EQ(1, inbox.GetSmsCount());
    POSITION pos = inbox.GetFirstSmsPosition();
    const _CSms* got = inbox.GetNextSms(pos);
    EXPECT_EQ(text, got->m_strContent);
    EXPECT_EQ(_CSms::KIND_INSTANT, got->m_nKind);
    EXPECT_EQ(CString("127.0.0.1"), got->m_sender.GetCode());
}

// A recipient given by a host name is looked up off the window thread: while the name server
// keeps the answer back the progress window is served (its Cancel stays alive), and the answer
// then connects as a dotted address does.
TEST_F(CommDeviceTest, DirectMessageToAHostNameServesTheProgressWindowWhileTheNameIsLookedUp) {
    test_net::ScopedPollSource events{2000, 2000};
    OtherCopy other;
    ASSERT_NE(0u, other.port);
    test_net::ScopedResolver names({{"copy.example", "127.0.0.1"}, {"localhost", "127.0.0.1"}},
                                   {"copy.example"});
    int servedWhileLookingUp = 0;
    host.progress.onPump = [&] {
        if (names.Waiting() > 0 && ++servedWhileLookingUp == 5)
            names.Release();
    };
    UINT old = SetInstantMessageSendPortForTesting(other.port);
    for (const char* address : {"copy.example", "localhost"}) {
        _CSms* sms = Pending("名字找到了", address);
        sms->m_nKind = _CSms::KIND_INSTANT;
        EXPECT_EQ(0, SendOne(sms)) << address;
        EXPECT_EQ(_CSms::STATE_SENT, sms->GetState()) << address;
    }
    SetInstantMessageSendPortForTesting(old == kInstantMessagePort ? 0 : old);
    EXPECT_EQ(5, servedWhileLookingUp);
    ASSERT_TRUE(events.RunUntil([&] { return other.host.arrivals >= 2; }, 5000));
    EXPECT_EQ(2, other.account.GetRootSmsBox().GetSubBoxAt(0)->GetSmsCount());
}

TEST_F(CommDeviceTest, PendingMessagesOfTheRunAreEachSentOnce) {
    ReplyByPhone({{"13900000002", "120"}});
    _CSms* draft = Pending("draft");
    draft->SetState(_CSms::STATE_DRAFT);
    PendingBatch("batch", {"13900000001", "13900000002"});
    Pending((Repeat("x", 160) + "y").c_str(), "13900000002"); // fails on its first part
    _CSmsBox* sub = Box(1).AddSubBox("我的", _CSmsBox::BOX_USER);
    auto* inner = new _CSms();
    inner->m_strContent = "inner";
    inner->m_recipient = CNameCodeString("13900000004");
    inner->SetState(_CSms::STATE_PENDING);
    sub->AddSms(inner);

    device.SetSender(&account);
    ASSERT_TRUE(device.BeginSend());
    EXPECT_TRUE(device.SendPendingInBox(&Box(1), TRUE));
    device.EndSend();
    EXPECT_EQ(
        (std::vector<std::string>{"13900000001", "13900000002", "13900000002", "13900000004"}),
        Phones());
    EXPECT_EQ("total 4", host.progress.calls[1]);
    // Left waiting: the copy for the failed batch recipient and the message that failed.
    EXPECT_EQ(2, Box(1).CountSmsByState(_CSms::STATE_PENDING, FALSE));
    EXPECT_EQ(1, Box(1).CountSmsByState(_CSms::STATE_DRAFT, FALSE));
    EXPECT_EQ(2, Box(2).GetSmsCount());
}

TEST_F(CommDeviceTest, WithoutASentBoxSentCopiesStayInPlaceAndAreNotSentAgain) {
    _CSender bare("无发信箱", FALSE);
    bare.GetRecord().m_remote.m_strUserId = "13800138000";
    _CSmsBox* outbox = bare.GetRootSmsBox().AddSubBox("发信箱", _CSmsBox::BOX_OUTBOX);
    int n = 0;
    commtest::Respond(server, SMS_GATEWAY_SEND_PAGE, [&n](const test_net::RecordedRequest&) {
        return test_net::Reply::Text(++n == 2 ? "120" : "0");
    });
    auto* sms = new _CSms();
    sms->m_strContent = (Repeat("a", 160) + "b").c_str();
    sms->m_recipient = CNameCodeString("13912345678");
    sms->SetState(_CSms::STATE_PENDING);
    outbox->AddSms(sms);
    for (int run = 0; run < 2; ++run) {
        device.SetSender(&bare);
        device.BeginSend();
        device.SendPendingInBox(outbox, TRUE);
        device.EndSend();
    }
    // The first run sent part one and kept it as a sent copy; the second sent the rest.
    EXPECT_EQ(3u, server.Requests().size());
    EXPECT_EQ(2, outbox->CountSmsByState(_CSms::STATE_SENT, FALSE));
    EXPECT_EQ(0, outbox->CountSmsByState(_CSms::STATE_PENDING, FALSE));
    EXPECT_EQ(2, outbox->GetSmsCount());
}

} // namespace
