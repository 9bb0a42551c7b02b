#include <gtest/gtest.h>

#include <string>

#include "links/HttpRequest.h"
#include "links/ServiceAddress.h"
#include "platform/base/Profile.h"
#include "testsupport/NetTestEnv.h"
#include "testsupport/ServiceStandIn.h"

namespace {

class ServiceAddressTest : public ::testing::Test {
protected:
    void SetUp() override { CProfileStore::ReloadForTesting(); }
    void TearDown() override { CProfileStore::ReloadForTesting(); }

    test_folders::TempDir config;
    test_folders::ScopedEnv configEnv{"QUILLMAR_CONFIG", config.str()};
    test_folders::TempDir home;
    test_folders::ScopedEnv homeEnv{"QUILLMAR_HOME", home.str()};
};

TEST_F(ServiceAddressTest, DefaultUntilAnAddressIsSet) {
    EXPECT_STREQ(QUILLMAR_DEFAULT_SERVICE_ADDRESS, GetServiceBaseAddress());
    EXPECT_STREQ(QUILLMAR_DEFAULT_SERVICE_ADDRESS "ecard/sms/sendsms.asp",
                 GetServiceUrl("ecard/sms/sendsms.asp"));
}

TEST_F(ServiceAddressTest, SettingIsCheckedStoredAndReadBack) {
    struct Case {
        const char* set;
        BOOL ok;
        const char* base; // after the call
    };
    const Case cases[] = {
        {"http://127.0.0.1:8080/svc", TRUE, "http://127.0.0.1:8080/svc/"},
        {"  http://host.test/  ", TRUE, "http://host.test/"},
        {"ftp://host.test/", FALSE, "http://host.test/"},
        {"https://host.test/", FALSE, "http://host.test/"},
        {"not an address", FALSE, "http://host.test/"},
        {"", TRUE, QUILLMAR_DEFAULT_SERVICE_ADDRESS},
        {"http://again.test", TRUE, "http://again.test/"},
        {nullptr, TRUE, QUILLMAR_DEFAULT_SERVICE_ADDRESS},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.set ? c.set : "(null)");
        EXPECT_EQ(c.ok, SetServiceBaseAddress(c.set));
        EXPECT_STREQ(c.base, GetServiceBaseAddress());
        CProfileStore::ReloadForTesting(); // it is read back from the profile file
        EXPECT_STREQ(c.base, GetServiceBaseAddress());
    }
}

TEST_F(ServiceAddressTest, DamagedSettingFallsBackToTheDefault) {
    CProfileStore().WriteProfileString("Service", "BaseAddress", "file:///etc/passwd");
    EXPECT_STREQ(QUILLMAR_DEFAULT_SERVICE_ADDRESS, GetServiceBaseAddress());
}

TEST_F(ServiceAddressTest, PagesAreJoinedWithOneSlash) {
    ASSERT_TRUE(SetServiceBaseAddress("http://127.0.0.1:9/base"));
    EXPECT_STREQ("http://127.0.0.1:9/base/Profiles/board.htm",
                 GetServiceUrl("/Profiles/board.htm"));
    EXPECT_STREQ("http://127.0.0.1:9/base/sms/user/checkcode.asp",
                 GetServiceUrl("sms/user/checkcode.asp"));
    EXPECT_STREQ("http://127.0.0.1:9/base/", GetServiceUrl(""));
}

// The stand-in answers every page of the service's table in the service's reply form.
TEST_F(ServiceAddressTest, StandInAnswersThePagesOfTheServiceAtTheConfiguredAddress) {
    test_net::NetTestEnv env;
    test_net::ServiceStandIn server;
    ASSERT_TRUE(server.IsListening());
    ASSERT_TRUE(SetServiceBaseAddress(server.BaseAddress().c_str()));

    struct Case {
        const char* page;
        bool post;
        int code;
        const char* reply;
    };
    const Case cases[] = {
        {"ecard/sms/sendsms.asp", true, 0, "0#短信已提交"},
        {"ecard/sms/incoming.asp", true, 0, "0"},
        {"sms/user/sendcheckcode.asp", true, 0, "0#校验码已发送到您的手机"},
        {"sms/user/checkcode.asp", true, 0, "0#校验码正确"},
        {"sms/user/submitpsw.asp", true, 0, "0#注册成功#请用手机号码和密码登录"},
        {"ecard/user/login.asp", true, 0, "0"},
        {"ecard/sms/regist.asp", true, 0, "0"},
        {"Profiles/version.htm", false, 0, "Version 3.00\r\n当前版本已是最新版本。"},
        {"/Profiles/board.htm", false, 0, "欢迎使用墨川！\r\n服务器运行正常。"},
        {"download.htm", false, 0, "<html><body>Quillmar</body></html>"},
        {"no/such/page.asp", true, 2, "before"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.page);
        CString reply("before");
        int code = c.post ? HttpPostForm(GetServiceUrl(c.page), "\r\nN=n", reply)
                          : HttpFetchText(GetServiceUrl(c.page), GetHttpAgentName(), reply);
        EXPECT_EQ(c.code, code);
        EXPECT_STREQ(c.reply, reply);
    }

    // A scripted reply replaces the page's own for the rest of the test.
    server.SetReply("ecard/sms/sendsms.asp", test_net::Reply::Text("Server busy"));
    CString reply;
    EXPECT_EQ(0, HttpPostForm(GetServiceUrl("ecard/sms/sendsms.asp"), "", reply));
    EXPECT_STREQ("Server busy", reply);
}

} // namespace
