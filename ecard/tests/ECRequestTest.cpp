// The synchronous requests of the e-card service: the exact bodies they post, how replies and
// failures become codes and texts, the texts of the codes and the password rules.
#include "ecard/tests/ECNetTestSupport.h"
#include "links/SmsGateway.h"

#include <cstdio>
#include <fstream>

using namespace ecard_test;
using test_net::Reply;

namespace {

class ECRequestTest : public ECNetTest {
protected:
    static SECAccount Account() {
        SECAccount a;
        a.m_nUid = 12345678;
        a.m_strUserName = "王a b";
        a.m_strPassword = "p&=1";
        a.m_strEmail = "a@b.cn";
        a.m_strSecureEmail = "s+1";
        a.m_strCertType = "身份证";
        a.m_strCert = "~x";
        return a;
    }
};

TEST_F(ECRequestTest, BodiesKeepTheirFieldOrderAndEncoding) {
    const SECAccount a = Account();
    CString out;
    UINT uid = 0;
    int second = 0;
    CDWordArray to;
    to.Add(7);
    to.Add(4294967295u);
    struct Row {
        std::function<int()> call;
        const char* page;
        const char* body;
    } rows[] = {
        {[&] { return CheckECUid(12345678); }, "checkuid.asp", "N=n&UID=12345678"},
        {[&] { return AssignECUid(uid, second); }, "assignuid.asp", "N=n"},
        {[&] { return RegisterECUser(a, out); }, "register.asp",
         "N=n&UserID=12345678&UserName=%cd%f5a%20b&Password=p%26%3d1&Email=a%40b.cn"
         "&SecureEmail=s%2b1&CertType=%c9%ed%b7%dd%d6%a4&Cert=~x&UserProp=0"},
        {[&] { return DeregisterECUser(5, "p w", "88"); }, "deregister.asp",
         "N=n&UserID=5&Password=p%20w&SecureCode=88"},
        {[&] { return CheckECPassword(5, "abc"); }, "checkpassword.asp",
         "N=n&UserID=5&Password=abc"},
        {[&] { return ChangeECPassword(5, "old", "n&w"); }, "changepassword.asp",
         "N=n&UserID=5&Password=old&NewPassword=n%26w"},
        {[&] { return ModifyECAccount(a); }, "modifyaccount.asp",
         "N=n&UserID=12345678&Password=p%26%3d1&UserName=%cd%f5a%20b&Email=a%40b.cn"
         "&SecureEmail=s%2b1&CertType=%c9%ed%b7%dd%d6%a4&Cert=~x"},
        {[&] { return GenSecureCode(5, "pw", out); }, "gensecurecode.asp",
         "N=n&UserID=5&Password=pw"},
        {[&] { return LeaveECMessage(5, "pw", to, "你好", "a&b", 2, out); }, "leavemessage.asp",
         "N=n&UserID=5&Password=pw&Contacts=7%2c4294967295&Title=%c4%e3%ba%c3&Message=a%26b"
         "&EmailReceiver=0&EmailSender=1"},
    };
    server.SetReply("ecard/assignuid.asp", Reply::Text("0#20000001"));
    for (const Row& r : rows) {
        EXPECT_EQ(0, r.call()) << r.page;
        const auto request = Last();
        test_net::ExpectFormPost(request, GetHttpAgentName());
        EXPECT_EQ(std::string("ecard/") + r.page, request.page);
        EXPECT_EQ(r.body, request.body);
    }
}

TEST_F(ECRequestTest, RecordedBodyDecodesWithAnIndependentDecoder) {
    CString out;
    ASSERT_EQ(0, RegisterECUser(Account(), out));
    const std::string path = std::string(PathOf("body.txt").GetString());
    std::ofstream(path, std::ios::binary) << Last().body;
    const std::string script =
        "import sys, urllib.parse; b = open(sys.argv[1], 'rb').read().decode('ascii'); "
        "d = dict(urllib.parse.parse_qsl(b, encoding='gbk', keep_blank_values=True)); "
        "sys.stdout.buffer.write('|'.join([d['UserName'], d['Password'], d['SecureEmail'], "
        "d['CertType'], d['UserProp']]).encode('utf-8'))";
    FILE* pipe = popen(("python3 -c \"" + script + "\" " + path + " 2>/dev/null").c_str(), "r");
    if (pipe == nullptr)
        FAIL() << "python3 cannot be started (scripts/install-deps.sh installs it)";
    std::string decoded;
    char buf[256];
    for (size_t n; (n = fread(buf, 1, sizeof buf, pipe)) > 0;)
        decoded.append(buf, n);
    if (pclose(pipe) != 0)
        FAIL() << "python3 could not read the file (scripts/install-deps.sh installs it)";
    const char8_t expected[] = u8"王a b|p&=1|s+1|身份证|0";
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(expected)), decoded);
}

TEST_F(ECRequestTest, RepliesGiveCodeAndTrimmedStatusText) {
    struct Row {
        const char* reply;
        int code;
        const char* text;
    } rows[] = {
        {"0", 0, ""},        {"0##ok##", 0, "ok"}, {"  12#a#b#", 12, "a#b"}, {"#0", 101, "0"},
        {"abc", 101, "abc"}, {"210", 210, ""},     {"0 5 6", 0, " 5 6"},     {"", 101, ""},
    };
    for (const Row& r : rows) {
        CString text;
        EXPECT_EQ(r.code, ParseECReply(0, r.reply, text)) << r.reply;
        EXPECT_EQ(r.text, text) << r.reply;
    }
    CString text = "stale";
    EXPECT_EQ(3, ParseECReply(3, "0#x", text));
    EXPECT_EQ("", text);
}

TEST_F(ECRequestTest, AssignedNumbersMustBeUserNumbers) {
    struct Row {
        const char* reply;
        int code;
        UINT uid;
        int second;
    } rows[] = {
        {"0#20000001#8", 0, 20000001, 8},
        {"0#20000002", 0, 20000002, -1},
        {"0", 101, 1, -1},
        {"0#0", 101, 1, -1},
        {"0#99999999999", 101, 1, -1},
        {"210#used", 210, 1, -1},
    };
    for (const Row& r : rows) {
        server.SetReply("ecard/assignuid.asp", Reply::Text(r.reply));
        UINT uid = 1;
        int second = 0;
        EXPECT_EQ(r.code, AssignECUid(uid, second)) << r.reply;
        EXPECT_EQ(r.uid, uid) << r.reply;
        EXPECT_EQ(r.second, second) << r.reply;
    }
}

TEST_F(ECRequestTest, FailuresKeepTheServerTextForDisplay) {
    server.SetReply("ecard/checkpassword.asp", Reply::Text("990#密码错误#"));
    EXPECT_EQ(990, CheckECPassword(5, "x"));
    EXPECT_EQ("密码错误", GetECServerText());
    EXPECT_EQ("密码错误", GetECErrorText(990));

    // A long text is cut at a whole character within 1 KiB.
    std::string huge = "990#a";
    for (int i = 0; i < 100000; ++i)
        huge += "王";
    server.SetReply("ecard/checkpassword.asp", Reply::Text(huge));
    EXPECT_EQ(990, CheckECPassword(5, "x"));
    EXPECT_EQ(1023, GetECServerText().GetLength());
    EXPECT_EQ('a', GetECServerText()[0]);

    // The next request starts with no kept text; a failed post keeps none.
    server.SetReply("ecard/checkpassword.asp", Reply::Of(Reply::Kind::Close));
    EXPECT_EQ(3, CheckECPassword(5, "x"));
    EXPECT_EQ("", GetECServerText());

    // The changing requests hand the server's text over whatever the code.
    server.SetReply("ecard/register.asp", Reply::Text("210#号码已被使用"));
    CString out;
    EXPECT_EQ(210, RegisterECUser(Account(), out));
    EXPECT_EQ("号码已被使用", out);
    server.SetReply("ecard/gensecurecode.asp", Reply::Text("990#no"));
    out = "stale";
    EXPECT_EQ(990, GenSecureCode(5, "pw", out));
    EXPECT_EQ("", out);
}

CString FakeGatewayText(int code) {
    CString text;
    text.Format("gateway %d", code);
    return text;
}

TEST_F(ECRequestTest, CodesReadAsGatewayNumberOrGeneralTexts) {
    EXPECT_EQ("号码已被使用，请重新选择。", GetECErrorText(210));
    EXPECT_EQ("保留的号码，您无权使用。", GetECErrorText(220));
    EXPECT_EQ("号码位数不对(目前必须为8位)。", GetECErrorText(230));
    EXPECT_EQ("操作出错", GetECErrorText(215));
    EXPECT_EQ("网络连接出错", GetECErrorText(3)); // the HTTP layer's text
    EXPECT_EQ(GetSmsResultText(150), GetECErrorText(150)); // the gateway's table by default
    EXPECT_EQ(GetSmsResultText(900), GetECErrorText(900));
    ECGatewayTextSource old = SetECGatewayTextSource(&FakeGatewayText);
    EXPECT_EQ("gateway 150", GetECErrorText(150));
    EXPECT_EQ("gateway 950", GetECErrorText(950));
    EXPECT_EQ("操作出错", GetECErrorText(899));
    EXPECT_EQ("mine", GetECErrorText(990, "mine"));
    SetECGatewayTextSource(old);
}

TEST_F(ECRequestTest, PasswordRules) {
    struct Row {
        const char* password;
        const char* repeat;
        const char* message;
    } rows[] = {
        {"abcd", nullptr, ""},
        {"Ab12", "Ab12", ""},
        {"abc", nullptr, "密码位数必须在4位以上！请重新输入。"},
        {"ab_cd", nullptr, "密码只能由数字与字母组成，请重新输入！"},
        {"abcd", "abce", "两次输入的密码不一致！请重新输入。"},
        {"密码", nullptr, "密码只能由数字与字母组成，请重新输入！"},
        {"", "", "密码位数必须在4位以上！请重新输入。"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(r.message, ValidateECPassword(r.password, r.repeat)) << r.password;
}

TEST_F(ECRequestTest, BrokenRepliesFailCleanlyAndChangeNothing) {
    test_net::ScopedInternetDefault receive(INTERNET_OPTION_RECEIVE_TIMEOUT, 300);
    test_net::ScopedInternetDefault total(QM_INTERNET_OPTION_REQUEST_TIMEOUT, 1500);
    test_net::ScopedInternetDefault size(QM_INTERNET_OPTION_MAX_REPLY_SIZE, 64 * 1024);
    const Reply rows[] = {
        Reply::Of(Reply::Kind::CutShort, "0#username=x&email=y"),
        Reply::Of(Reply::Kind::Close),
        Reply::Of(Reply::Kind::Silent),
        Reply::Of(Reply::Kind::Endless, "0#username=x&"),
        Reply::Text("0#username=" + std::string(70 * 1024, 'x')), // beyond the size limit
        Reply::Of(Reply::Kind::Raw, "garbage\r\n\r\n"),
        Reply::Text("0#nothing", 500),
        Reply::Text("#0#username=x"),
        Reply::Text("username=x"),
    };
    CECUser user;
    user.SetUserNumber(5);
    user.GetAccount().m_strUserName = "原来";
    for (const Reply& reply : rows) {
        server.SetReply("ecard/downaccount.asp", reply);
        EXPECT_NE(0, user.DownAccount()) << reply.body.substr(0, 20);
        EXPECT_EQ("原来", user.GetAccount().m_strUserName);
    }
}

} // namespace
