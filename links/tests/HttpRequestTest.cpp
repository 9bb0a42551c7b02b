#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "links/HttpRequest.h"
#include "testsupport/LoopbackProxy.h"
#include "testsupport/NetTestEnv.h"
#include "testsupport/ServiceStandIn.h"

using test_net::Reply;
using Kind = test_net::Reply::Kind;

namespace {

using HttpRequestTest = test_net::StandInTest;

TEST_F(HttpRequestTest, FormPostSendsTheHeaderBlockAndTheBodyAndReadsTheReply) {
    CString reply("old");
    const char form[] = "\r\nN=n&User=%d5%c5%c8%fd&Password=a%26b";
    EXPECT_EQ(INET_RESULT_OK,
              HttpPostForm(server.Url("ecard/sms/sendsms.asp").c_str(), form, reply));
    EXPECT_STREQ("0#短信已提交", reply);

    ASSERT_EQ(1u, server.Requests().size());
    const test_net::RecordedRequest r = server.Requests()[0];
    test_net::ExpectFormPost(r, GetHttpAgentName());
    EXPECT_EQ("ecard/sms/sendsms.asp", r.page);
    EXPECT_EQ(form, r.body);
    EXPECT_EQ(std::to_string(sizeof form - 1), r.Header("Content-Length"));
}

TEST_F(HttpRequestTest, ReplyLinesAreJoinedWithCrLfWithoutAFinalOne) {
    struct Case {
        Reply reply;
        const char* text;
    };
    const Case cases[] = {
        {Reply::Text("0\r\nline2\r\nline3"), "0\r\nline2\r\nline3"},
        {Reply::Text("0\nline2\nline3\n"), "0\r\nline2\r\nline3"},
        {Reply::Text("0\r\n\r\nafter an empty line\r\n"), "0\r\n\r\nafter an empty line"},
        {Reply::Text(""), ""},
        {Reply::Of(Kind::Chunked, "12#张三\r\n李四\r\n"), "12#张三\r\n李四"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply.body);
        server.SetReply("page", c.reply);
        CString reply("old");
        EXPECT_EQ(INET_RESULT_OK, HttpPostForm(server.Url("page").c_str(), "a=1", reply));
        EXPECT_STREQ(c.text, reply);
    }
}

TEST_F(HttpRequestTest, HugeReplyIsReadWhole) {
    std::string line(1000, 'x');
    std::string body, expected;
    for (int i = 0; i < 2000; ++i) {
        body += line + "\n";
        expected += (i ? "\r\n" : "") + line;
    }
    server.SetReply("huge", Reply::Text(body));
    CString reply;
    EXPECT_EQ(INET_RESULT_OK, HttpPostForm(server.Url("huge").c_str(), "", reply));
    EXPECT_EQ(expected, std::string(reply.GetString(), reply.GetLength()));
}

// Every way a request can end, with the code it gives. The caller's reply text is replaced only
// on success.
TEST_F(HttpRequestTest, EachFailureGivesItsCodeAndLeavesTheReplyAlone) {
    test_net::ScopedInternetDefault receive(INTERNET_OPTION_RECEIVE_TIMEOUT, 300);
    test_net::ScopedInternetDefault limit(QM_INTERNET_OPTION_MAX_REPLY_SIZE, 256 * 1024);
    int closedPort = test_net::FreeLoopbackPort();
    Reply moved = Reply::Text("see elsewhere", 302);
    moved.extraHeaders.push_back("Location: /ecard/sms/sendsms.asp");
    struct Case {
        const char* name;
        std::string url;
        Reply reply;
        int code;
    };
    const Case cases[] = {
        {"ftp", "ftp://127.0.0.1:" + std::to_string(server.Port()) + "/fail", {}, 1},
        {"https", "https://127.0.0.1:" + std::to_string(server.Port()) + "/fail", {}, 1},
        {"no host", "http:///fail", {}, 1},
        {"no scheme", "127.0.0.1/fail", {}, 1},
        {"blank", "http://127.0.0.1/a b", {}, 1},
        {"not found", server.Url("fail"), Reply::Text("missing", 404), 2},
        {"server error", server.Url("fail"), Reply::Text("0#looks fine", 500), 2},
        {"redirect", server.Url("fail"), moved, 2},
        {"refused", "http://127.0.0.1:" + std::to_string(closedPort) + "/fail", {}, 3},
        {"dropped", server.Url("fail"), Reply::Of(Kind::Close), 3},
        {"cut short", server.Url("fail"), Reply::Of(Kind::CutShort, "0#partial\r\nmore\r\n"), 3},
        {"not http", server.Url("fail"), Reply::Of(Kind::Raw, "0#no status line\r\n"), 3},
        {"never comes", server.Url("fail"), Reply::Of(Kind::Silent), 3},
        {"stops midway", server.Url("fail"), Reply::Of(Kind::HeadersOnly, "0#start\r\n"), 3},
        {"never ends", server.Url("fail"), Reply::Of(Kind::Endless, std::string(4096, '7')), 3},
        {"too large", server.Url("fail"), Reply::Text(std::string(300 * 1024, 'x')), 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        server.SetReply("fail", c.reply);
        size_t before = server.Requests().size();
        CString reply("untouched");
        EXPECT_EQ(c.code, HttpPostForm(c.url.c_str(), "a=1", reply));
        EXPECT_STREQ("untouched", reply);
        if (c.code == 1) {
            EXPECT_EQ(before, server.Requests().size()); // no connection was made
        }
    }
}

TEST_F(HttpRequestTest, ErrorTextsOfTheCodes) {
    const std::pair<int, const char*> cases[] = {
        {0, ""},
        {1, "目标不是http服务器"},
        {2, "无法获取服务器上的指定资源"},
        {3, "网络连接出错"},
        {4, ""},
        {101, ""},
        {-1, ""},
    };
    for (const auto& [code, text] : cases)
        EXPECT_STREQ(text, GetRequestErrorText(code)) << code;
}

TEST_F(HttpRequestTest, FetchTextGetsWithoutFormDataAndPostsWithIt) {
    CString reply;
    EXPECT_EQ(INET_RESULT_OK,
              HttpFetchText(server.Url("Profiles/board.htm").c_str(), "Board/1", reply));
    EXPECT_STREQ("欢迎使用墨川！\r\n服务器运行正常。", reply);
    EXPECT_EQ(INET_RESULT_OK,
              HttpFetchText(server.Url("ecard/x.asp").c_str(), nullptr, reply, "k=v"));
    EXPECT_STREQ("0", reply);

    auto requests = server.Requests();
    ASSERT_EQ(2u, requests.size());
    EXPECT_EQ("GET", requests[0].method);
    EXPECT_EQ("Board/1", requests[0].Header("User-Agent"));
    EXPECT_FALSE(requests[0].HasHeader("Content-Type"));
    EXPECT_EQ("POST", requests[1].method);
    EXPECT_EQ("k=v", requests[1].body);
    EXPECT_EQ("application/x-www-form-urlencoded", requests[1].Header("Content-Type"));
}

TEST_F(HttpRequestTest, RequestWithoutHeadersOrAgentNamesTheProgram) {
    CString reply;
    EXPECT_EQ(INET_RESULT_OK, HttpRequest(server.Url("ecard/a.asp").c_str(), reply, nullptr,
                                          HTTP_VERB_POST, nullptr, "x", 1));
    const test_net::RecordedRequest r = server.Requests().at(0);
    EXPECT_EQ("text/*", r.Header("Accept"));
    EXPECT_EQ(std::string(CInternetSession::GetApplicationName()), r.Header("User-Agent"));
    EXPECT_EQ("x", r.body);
}

TEST_F(HttpRequestTest, PreconfiguredProxyFromTheEnvironmentCarriesTheRequest) {
    if (!test_net::LoopbackProxy::IsAvailable())
        FAIL() << "tinyproxy is not installed (scripts/install-deps.sh installs it)";
    test_net::LoopbackProxy proxy;
    ASSERT_TRUE(proxy.Start()) << proxy.Error();
    test_folders::ScopedEnv viaProxy("http_proxy", proxy.Url());

    CString reply;
    EXPECT_EQ(INET_RESULT_OK,
              HttpPostForm(server.Url("ecard/sms/sendsms.asp").c_str(), "\r\nN=n", reply));
    EXPECT_STREQ("0#短信已提交", reply);
    server.SetReply("missing", Reply::Text("no", 404));
    EXPECT_EQ(INET_RESULT_HTTP_STATUS,
              HttpPostForm(server.Url("missing").c_str(), "\r\nN=n", reply));

    auto requests = server.Requests();
    ASSERT_EQ(2u, requests.size());
    EXPECT_NE(std::string::npos, requests[0].Header("Via").find("tinyproxy"));
    EXPECT_EQ("\r\nN=n", requests[0].body);

    // The proxy itself failing is a network error too.
    test_folders::ScopedEnv deadProxy(
        "http_proxy", "http://127.0.0.1:" + std::to_string(test_net::FreeLoopbackPort()));
    EXPECT_EQ(INET_RESULT_NETWORK_ERROR,
              HttpPostForm(server.Url("ecard/sms/sendsms.asp").c_str(), "a", reply));
}

} // namespace
