#include <gtest/gtest.h>

#include <string>

#include "links/HttpRequest.h"
#include "links/ServiceAddress.h"
#include "links/ReceivedSmsReply.h"
#include "links/SmsGateway.h"
#include "platform/base/Profile.h"
#include "platform/base/Time.h"
#include "sms/Sender.h"
#include "links/tests/CommDeviceTestSupport.h"
#include "testsupport/NetTestEnv.h"

using test_net::Reply;
using Kind = test_net::Reply::Kind;

namespace {

// The account's password holds bytes that must be encoded.
class SmsGatewayTest : public commtest::GatewayTest {
protected:
    void SetUp() override {
        GatewayTest::SetUp();
        account.GetRecord().m_remote.m_strPassword = "p&w d";
    }
};

TEST_F(SmsGatewayTest, SendPostsTheFormByteForByte) {
    CString text;
    EXPECT_EQ(0, GatewaySend(account, "a &b你好", "13912345678", 2, text));
    EXPECT_STREQ("短信已提交", text);

    ASSERT_EQ(1u, server.Requests().size());
    const test_net::RecordedRequest r = server.Requests()[0];
    test_net::ExpectFormPost(r, GetHttpAgentName());
    EXPECT_EQ("ecard/sms/sendsms.asp", r.page);
    // 你 is c4 e3 and 好 is ba c3 in GBK.
    EXPECT_EQ("\r\nN=n&AppType=&AppVer=3.00&Illegal=2&User=13800138000&Password=p%26w%20d"
              "&Phone=13912345678&Content=a%20%26b%c4%e3%ba%c3",
              r.body);
}

TEST_F(SmsGatewayTest, ReceiveFormCarriesTheAccountOnly) {
    EXPECT_STREQ("\r\nN=n&AppType=&AppVer=3.00&User=13800138000&Password=p%26w%20d",
                 FormatGatewayReceiveForm(account));
}

TEST_F(SmsGatewayTest, RepliesGiveTheirCodeAndText) {
    struct Case {
        Reply reply;
        int code;
        const char* text;
    };
    const Case cases[] = {
        {Reply::Text("0"), 0, "0"}, // a lone number: the reader keeps the whole reply as text
        {Reply::Text("120#密码不对"), 120, "密码不对"},
        {Reply::Text("142"), 142, "142"},
        {Reply::Text("110##系统维护"), 110, "系统维护"},
        {Reply::Text("OK sent"), 101, "OK sent"},
        {Reply::Text("", 500), 2, ""},
        {Reply::Of(Kind::Close), 3, ""},
    };
    for (const Case& c : cases) {
        server.SetReply(SMS_GATEWAY_SEND_PAGE, c.reply);
        CString text("stale");
        EXPECT_EQ(c.code, GatewaySend(account, "hi", "13912345678", 0, text)) << c.reply.body;
        EXPECT_STREQ(c.text, text) << c.reply.body;
    }
}

TEST_F(SmsGatewayTest, PumpRunsWhileThePostIsOnItsWayAndTheReplyIsStillTaken) {
    Reply slow = Reply::Text("141#本次太多");
    slow.delayMs = 300;
    server.SetReply(SMS_GATEWAY_SEND_PAGE, slow);
    int pumped = 0;
    CString text;
    EXPECT_EQ(141, GatewaySend(account, "hi", "13912345678", 0, text, [&] { ++pumped; }));
    EXPECT_STREQ("本次太多", text);
    EXPECT_GT(pumped, 5);
    ASSERT_EQ(1u, server.Requests().size());
}

TEST(SmsResultText, CodesGiveTheTextsUsersSee) {
    struct Case {
        int code;
        const char* text;
    };
    const Case cases[] = {
        {1, "目标不是http服务器"},
        {2, "无法获取服务器上的指定资源"},
        {3, "网络连接出错"},
        {10, "接收方手机号码不正确"},
        {40, "操作被用户终止"},
        {101, "服务器的回应出错"},
        {120, "用户名/密码错误"},
        {129, "中国联通暂停此项业务"},
        {142, "本月发送的短信数目已超出限制"},
        {900, "操作出错"},
        {1000, "操作出错"},
        {-5, "操作出错"},
    };
    for (const Case& c : cases)
        EXPECT_STREQ(c.text, GetSmsResultText(c.code)) << c.code;
}

TEST(ReceivedSms, RecordsAreSplitAtTheSeparatorAndIncompleteOnesSkipped) {
    CTime::SetNowForTesting(CTime(2026, 3, 4, 5, 6, 7).GetTime());
    _CSender account("小王");
    _CSmsBox box;
    const CString reply = "0\r\nsep=|||from=张三\n13900000001to=13800138000time=2026-1-2 3:04:05"
                          "content=你好|||from=13900000002to=13800138000time=2026-13-40 "
                          "content=a=b, to=c|||from=13900000003to=13800138000content=no time";
    EXPECT_EQ(2, ParseReceivedSms(reply, account, box));
    ASSERT_EQ(2, box.GetSmsCount());
    POSITION pos = box.GetFirstSmsPosition();
    _CSms* first = box.GetNextSms(pos);
    _CSms* second = box.GetNextSms(pos);
    EXPECT_EQ(_CSms::STATE_HELD, first->GetState());
    EXPECT_EQ(_CSms::KIND_MOBILE, first->m_nKind);
    EXPECT_FALSE(first->m_bBatch);
    EXPECT_STREQ("张三", first->m_sender.GetName());
    EXPECT_STREQ("13900000001", first->m_sender.GetCode());
    EXPECT_STREQ("小王", first->m_recipient.GetName());
    EXPECT_STREQ("13800138000", first->m_recipient.GetCode());
    EXPECT_STREQ("你好", first->m_strContent);
    EXPECT_EQ(4, first->m_nSize);
    EXPECT_EQ(CTime(2026, 1, 2, 3, 4, 5).GetTime(), first->GetTime().GetTime());
    // Not a real date: the time of receipt. The content runs to the end, keys and all.
    EXPECT_EQ(CTime(2026, 3, 4, 5, 6, 7).GetTime(), second->GetTime().GetTime());
    EXPECT_STREQ("a=b, to=c", second->m_strContent);
    CTime::ResetNowForTesting();

    struct Case {
        const char* reply;
        int count;
    };
    const Case none[] = {{"0", 0}, {"0\r\nsep=from=a", 0}, {"0 nothing new", 0}};
    for (const Case& c : none) {
        _CSmsBox empty;
        EXPECT_EQ(c.count, ParseReceivedSms(c.reply, account, empty)) << c.reply;
    }
}

} // namespace
