// The web SMS account requests: their pages and bodies, which texts reach the caller, and the
// two sizes read from the service.
#include "ecard/tests/ECNetTestSupport.h"

#include <functional>

#include "ecard/WebSmsAccount.h"

using namespace ecard_test;
using test_net::Reply;

namespace {

class WebSmsAccountTest : public ECNetTest {};

TEST_F(WebSmsAccountTest, RequestsPostTheirFormsAndHandOverTexts) {
    CString out;
    struct Row {
        std::function<int()> call;
        const char* page;
        const char* rest;
        bool textOnFailure;
    } rows[] = {
        {[&] { return GetSmsSuffixCode(7, "p w", out); }, "getsuffixcode.asp", "", false},
        {[&] { return GenSmsCheckCode(7, "p w", out); }, "gencheckcode.asp", "", false},
        {[&] { return GetSmsBalance(7, "p w", out); }, "getsmsbalance.asp", "", false},
        {[&] { return GetSmsSignature(7, "p w", out); }, "getsignature.asp", "", false},
        {[&] { return GetSmsSignNotif(7, "p w", out); }, "getsignnotif.asp", "", false},
        {[&] { return ChargeSms(7, "p w", "No.1", "a&b", out); }, "chargesms.asp",
         "&CardNo=No.1&CardPwd=a%26b", true},
        {[&] { return EditSmsSuffixCode(7, "p w", 2, "0 1", "99", out); }, "editsuffixcode.asp",
         "&SuffixType=2&SuffixCode=0%201&CheckCode=99", true},
        {[&] { return SetSmsSignature(7, "p w", "小王", out); }, "setsignature.asp",
         "&Signature=%d0%a1%cd%f5", true},
    };
    for (const Row& r : rows) {
        const std::string page = std::string("ecard/sms/") + r.page;
        server.SetReply(page, Reply::Text("0#好的#"));
        out = "stale";
        EXPECT_EQ(0, r.call()) << r.page;
        EXPECT_EQ("好的", out);
        EXPECT_EQ(page, Last().page);
        EXPECT_EQ(std::string("N=n&UserID=7&Password=p%20w") + r.rest, Last().body);

        server.SetReply(page, Reply::Text("990#不行"));
        out = "stale";
        EXPECT_EQ(990, r.call()) << r.page;
        EXPECT_EQ(r.textOnFailure ? "不行" : "", out) << r.page;
        EXPECT_EQ("不行", GetECErrorText(990));
    }
}

TEST_F(WebSmsAccountTest, MaxSizesAreTheFirstTwoNumbers) {
    struct Row {
        const char* reply;
        int code, first, second;
    } rows[] = {
        {"0#70,160", 0, 70, 160}, {"0#最大70字", 0, 70, 0},  {"0", 0, 0, 0},
        {"0#", 0, 0, 0},          {"990#70 160", 990, 0, 0},
    };
    for (const Row& r : rows) {
        server.SetReply("ecard/sms/getsmsmaxsize.asp", Reply::Text(r.reply));
        int first = -1, second = -1;
        CString out;
        EXPECT_EQ(r.code, GetSmsMaxSize(0, "", first, second, out)) << r.reply;
        EXPECT_EQ(r.first, first) << r.reply;
        EXPECT_EQ(r.second, second) << r.reply;
    }
    EXPECT_EQ("N=n&UserID=0&Password=", Last().body);
}

TEST_F(WebSmsAccountTest, AccountLivesOnTheService) {
    test_net::ECardService service;
    service.Attach(server);
    {
        std::lock_guard<std::mutex> guard(service.lock);
        service.users[9].password = "pw";
    }
    CString out;
    EXPECT_EQ(990, ChargeSms(9, "pw", "1", "bad", out));
    EXPECT_EQ("充值卡密码错误", out);
    EXPECT_EQ(0, ChargeSms(9, "pw", "1", "pw", out));
    EXPECT_EQ(0, GetSmsBalance(9, "pw", out));
    EXPECT_EQ("余额150条", out);
    EXPECT_EQ(0, EditSmsSuffixCode(9, "pw", 1, "88", "1234", out));
    EXPECT_EQ(0, GetSmsSuffixCode(9, "pw", out));
    EXPECT_EQ("88", out);
    EXPECT_EQ(0, SetSmsSignature(9, "pw", "——小王", out));
    EXPECT_EQ(0, GetSmsSignature(9, "pw", out));
    EXPECT_EQ("——小王", out);
    int first = 0, second = 0;
    EXPECT_EQ(0, GetSmsMaxSize(9, "pw", first, second, out));
    EXPECT_EQ(70, first);
    EXPECT_EQ(160, second);
    EXPECT_EQ(990, GetSmsBalance(9, "wrong", out));
    EXPECT_EQ("", out);
}

} // namespace
