#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/net/HttpFile.h"
#include "platform/net/InternetException.h"
#include "testsupport/LoopbackProxy.h"
#include "testsupport/NetTestEnv.h"
#include "testsupport/ServiceStandIn.h"

using test_net::Reply;
using test_net::ServiceStandIn;
using Kind = test_net::Reply::Kind;

namespace {

using namespace std::chrono_literals;

class HttpFileTest : public test_net::StandInTest {
protected:
    // Opens a request on the stand-in through a session the test may adjust first.
    std::unique_ptr<CHttpFile> Open(int verb, const char* object) {
        connection.reset(
            session.GetHttpConnection("127.0.0.1", static_cast<INTERNET_PORT>(server.Port())));
        return std::unique_ptr<CHttpFile>(connection->OpenRequest(verb, object));
    }

    // The error number of the CInternetException that f throws, 0 when it throws none.
    template <class F> static DWORD ErrorOf(F f) {
        try {
            f();
        } catch (CInternetException* e) {
            DWORD error = e->m_dwError;
            e->Delete();
            return error;
        }
        return 0;
    }

    static std::vector<std::string> ReadLines(CHttpFile& file) {
        std::vector<std::string> lines;
        CString line;
        while (file.ReadString(line))
            lines.emplace_back(line.GetString(), line.GetLength());
        EXPECT_TRUE(line.IsEmpty());
        return lines;
    }

    CInternetSession session{"TestAgent"};
    std::unique_ptr<CHttpConnection> connection;
};

TEST_F(HttpFileTest, SendsTheVerbTheCallersHeadersAndTheBody) {
    auto file = Open(CHttpConnection::HTTP_VERB_POST, "/ecard/sms/sendsms.asp?x=1");
    EXPECT_TRUE(file->AddRequestHeaders("Accept: text/*\r\nUser-Agent: Agent/1\r\n"
                                        "Content-Type: application/x-www-form-urlencoded\r\n"));
    const char body[] = "\r\nN=n&User=%e5%bc%a0";
    file->SendRequest(nullptr, 0, const_cast<char*>(body), sizeof body - 1);
    DWORD status = 0;
    ASSERT_TRUE(file->QueryInfoStatusCode(status));
    EXPECT_EQ(200u, status);

    ASSERT_EQ(1u, server.Requests().size());
    const test_net::RecordedRequest r = server.Requests()[0];
    test_net::ExpectFormPost(r, "Agent/1");
    EXPECT_EQ("/ecard/sms/sendsms.asp?x=1", r.target);
    EXPECT_EQ(body, r.body);
}

TEST_F(HttpFileTest, GetWithoutHeadersSendsTheSessionAgentAndNoDefaults) {
    auto file = Open(CHttpConnection::HTTP_VERB_GET, "/Profiles/version.htm");
    file->SendRequest();
    const test_net::RecordedRequest r = server.Requests().at(0);
    EXPECT_EQ("GET", r.method);
    EXPECT_EQ("TestAgent", r.Header("User-Agent"));
    EXPECT_FALSE(r.HasHeader("Accept"));
    EXPECT_FALSE(r.HasHeader("Content-Type"));
    EXPECT_TRUE(r.body.empty());
}

TEST_F(HttpFileTest, HeaderFlagsAddKeepReplaceOrRemove) {
    auto file = Open(CHttpConnection::HTTP_VERB_POST, "/p");
    EXPECT_TRUE(file->AddRequestHeaders("X-One: 1\r\nX-Two: 2\r\nX-Three: 3\r\n"));
    // Only new names are added; a name already set makes the call report it.
    EXPECT_FALSE(file->AddRequestHeaders("x-one: changed\r\nX-Four: 4\r\n"));
    EXPECT_EQ(ERROR_HTTP_HEADER_ALREADY_EXISTS, GetLastError());
    EXPECT_TRUE(
        file->AddRequestHeaders("X-Two: replaced\r\nX-Three:\r\n", HTTP_ADDREQ_FLAG_REPLACE));
    EXPECT_FALSE(file->AddRequestHeaders("no colon here\r\n"));
    EXPECT_EQ(ERROR_HTTP_INVALID_HEADER, GetLastError());
    file->SendRequest("X-Five: 5", 0);

    const test_net::RecordedRequest r = server.Requests().at(0);
    EXPECT_EQ("1", r.Header("X-One"));
    EXPECT_EQ("replaced", r.Header("X-Two"));
    EXPECT_FALSE(r.HasHeader("X-Three"));
    EXPECT_EQ("4", r.Header("X-Four"));
    EXPECT_EQ("5", r.Header("X-Five"));
}

TEST_F(HttpFileTest, ReadStringSplitsAtEveryLineEnd) {
    struct Case {
        Reply reply;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {Reply::Text("a\r\nb\r\nc"), {"a", "b", "c"}},
        {Reply::Text("a\r\nb\r\nc\r\n"), {"a", "b", "c"}},
        {Reply::Text("a\nb\n\nc"), {"a", "b", "", "c"}},
        {Reply::Text("a\r\r\nb"), {"a\r", "b"}},
        {Reply::Text("\r\n"), {""}},
        {Reply::Text(""), {}},
        {Reply::Text("张三\r\n0#成功"), {"张三", "0#成功"}},
        {Reply::Of(Kind::Chunked, "first line\r\nsecond line\r\nthird"),
         {"first line", "second line", "third"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply.body);
        server.SetReply("lines", c.reply);
        auto file = Open(CHttpConnection::HTTP_VERB_GET, "/lines");
        file->SendRequest();
        EXPECT_EQ(c.lines, ReadLines(*file));
    }
}

TEST_F(HttpFileTest, ReadGivesTheBodyBytesInPieces) {
    std::string big(300000, 'x');
    for (size_t i = 0; i < big.size(); i += 1000)
        big[i] = static_cast<char>('a' + i / 1000 % 26);
    server.SetReply("big", Reply::Text(big));
    auto file = Open(CHttpConnection::HTTP_VERB_GET, "/big");
    file->SendRequest();
    std::string got;
    char buf[777];
    while (UINT n = file->Read(buf, sizeof buf))
        got.append(buf, n);
    EXPECT_EQ(big, got);
    EXPECT_EQ(0u, file->Read(buf, sizeof buf));
}

TEST_F(HttpFileTest, StatusIsReportedAndRedirectsAreNotFollowed) {
    Reply moved = Reply::Text("moved", 302);
    moved.extraHeaders.push_back("Location: /elsewhere");
    server.SetReply("moved", moved);
    server.SetReply("missing", Reply::Text("gone", 404));
    for (const auto& [page, expected] : {std::pair{"/moved", 302u}, std::pair{"/missing", 404u}}) {
        auto file = Open(CHttpConnection::HTTP_VERB_POST, page);
        file->SendRequest();
        DWORD status = 0;
        EXPECT_TRUE(file->QueryInfoStatusCode(status));
        EXPECT_EQ(expected, status);
    }
    EXPECT_EQ(2u, server.Requests().size());
    CString location;
    auto file = Open(CHttpConnection::HTTP_VERB_GET, "/moved");
    file->SendRequest();
    EXPECT_TRUE(file->QueryInfo("location", location));
    EXPECT_STREQ("/elsewhere", location);
    EXPECT_FALSE(file->QueryInfo("X-Absent", location));
}

TEST_F(HttpFileTest, FailuresBeforeTheStatusThrowFromSendRequest) {
    struct Case {
        const char* name;
        Reply reply;
        DWORD error;
    };
    const Case cases[] = {
        {"dropped", Reply::Of(Kind::Close), ERROR_INTERNET_CONNECTION_ABORTED},
        {"not http", Reply::Of(Kind::Raw, "0#OK but no status line\r\n"),
         ERROR_HTTP_INVALID_SERVER_RESPONSE},
        {"silent", Reply::Of(Kind::Silent), ERROR_INTERNET_TIMEOUT},
    };
    session.SetOption(INTERNET_OPTION_RECEIVE_TIMEOUT, 300);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        server.SetReply("fail", c.reply);
        auto file = Open(CHttpConnection::HTTP_VERB_POST, "/fail");
        EXPECT_EQ(c.error, ErrorOf([&] { file->SendRequest(); }));
        DWORD status = 1;
        EXPECT_FALSE(file->QueryInfoStatusCode(status));
    }
}

TEST_F(HttpFileTest, RefusedConnectionThrowsCannotConnect) {
    int port = test_net::FreeLoopbackPort();
    ASSERT_NE(0, port);
    connection.reset(session.GetHttpConnection("127.0.0.1", static_cast<INTERNET_PORT>(port)));
    std::unique_ptr<CHttpFile> file(connection->OpenRequest(CHttpConnection::HTTP_VERB_POST, "/"));
    EXPECT_EQ(ERROR_INTERNET_CANNOT_CONNECT, ErrorOf([&] { file->SendRequest(); }));
}

TEST_F(HttpFileTest, FailuresInTheBodyThrowAfterTheBytesThatCame) {
    session.SetOption(INTERNET_OPTION_RECEIVE_TIMEOUT, 300);
    session.SetOption(QM_INTERNET_OPTION_MAX_REPLY_SIZE, 64 * 1024);
    struct Case {
        const char* name;
        Reply reply;
        DWORD error;
    };
    const Case cases[] = {
        {"cut short", Reply::Of(Kind::CutShort, "line one\r\nline two\r\nline three\r\n"),
         ERROR_INTERNET_CONNECTION_ABORTED},
        {"stalls", Reply::Of(Kind::HeadersOnly, "line one\r\npartial"), ERROR_INTERNET_TIMEOUT},
        {"endless", Reply::Of(Kind::Endless, "line one\r\n" + std::string(4000, 'x') + "\r\n"),
         ERROR_NOT_ENOUGH_MEMORY},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        server.SetReply("body", c.reply);
        auto file = Open(CHttpConnection::HTTP_VERB_GET, "/body");
        file->SendRequest();
        DWORD status = 0;
        EXPECT_TRUE(file->QueryInfoStatusCode(status));
        EXPECT_EQ(200u, status);
        CString line;
        EXPECT_TRUE(file->ReadString(line));
        EXPECT_STREQ("line one", line);
        EXPECT_EQ(c.error, ErrorOf([&] {
                      while (file->ReadString(line)) {
                      }
                  }));
        // The failure stays: a later read reports it again instead of an end of body.
        EXPECT_EQ(c.error, ErrorOf([&] { file->ReadString(line); }));
    }
}

// The size limit is the largest reply taken: a reply of exactly that size comes whole, one byte
// more is refused even when it all arrives at once.
TEST_F(HttpFileTest, AReplyOfTheSizeLimitIsTakenAndOneByteMoreIsNot) {
    const size_t kLimit = 1000;
    session.SetOption(QM_INTERNET_OPTION_MAX_REPLY_SIZE, kLimit);
    struct Case {
        size_t size;
        DWORD error;
    };
    for (const Case& c : {Case{kLimit, 0}, Case{kLimit + 1, ERROR_NOT_ENOUGH_MEMORY}}) {
        SCOPED_TRACE(c.size);
        const std::string body(c.size, 'x');
        server.SetReply("sized", Reply::Text(body));
        auto file = Open(CHttpConnection::HTTP_VERB_GET, "/sized");
        std::string got;
        EXPECT_EQ(c.error, ErrorOf([&] {
                      file->SendRequest();
                      char buf[4096];
                      while (UINT n = file->Read(buf, sizeof buf))
                          got.append(buf, n);
                  }));
        if (c.error == 0) {
            EXPECT_EQ(body, got);
        }
    }
}

TEST_F(HttpFileTest, TricklingReplyEndsAtTheRequestTimeLimit) {
    session.SetOption(QM_INTERNET_OPTION_REQUEST_TIMEOUT, 500);
    server.SetReply("trickle", Reply::Of(Kind::Endless, "."));
    auto file = Open(CHttpConnection::HTTP_VERB_GET, "/trickle");
    EXPECT_EQ(ERROR_INTERNET_TIMEOUT, ErrorOf([&] {
                  file->SendRequest();
                  CString line;
                  while (file->ReadString(line)) {
                  }
              }));
}

TEST_F(HttpFileTest, CancelFlagStopsAWaitingRequest) {
    std::atomic<bool> cancel{false};
    session.SetCancelFlag(&cancel);
    server.SetReply("wait", Reply::Of(Kind::Silent));
    auto file = Open(CHttpConnection::HTTP_VERB_POST, "/wait");
    std::thread canceller([&] {
        server.WaitForRequests(1, 10s);
        cancel = true;
    });
    EXPECT_EQ(ERROR_INTERNET_OPERATION_CANCELLED, ErrorOf([&] { file->SendRequest(); }));
    canceller.join();
    file.reset();
    EXPECT_TRUE(server.WaitForAbandoned(1, 10s));
}

TEST_F(HttpFileTest, ClosedSessionAndBadVerbAreRefused) {
    EXPECT_EQ(ERROR_INVALID_PARAMETER, ErrorOf([&] { Open(9, "/"); }));
    session.Close();
    EXPECT_EQ(ERROR_INTERNET_INCORRECT_HANDLE_STATE,
              ErrorOf([&] { session.GetHttpConnection("127.0.0.1", 80); }));
}

TEST(InternetSession, OptionsStartFromTheDefaultsAndRefuseUnknownOnes) {
    test_net::ScopedInternetDefault shorter(INTERNET_OPTION_RECEIVE_TIMEOUT, 1234);
    CInternetSession session;
    DWORD value = 0;
    EXPECT_TRUE(session.QueryOption(INTERNET_OPTION_RECEIVE_TIMEOUT, value));
    EXPECT_EQ(1234u, value);
    EXPECT_TRUE(session.SetOption(QM_INTERNET_OPTION_MAX_REPLY_SIZE, 10));
    EXPECT_TRUE(session.QueryOption(QM_INTERNET_OPTION_MAX_REPLY_SIZE, value));
    EXPECT_EQ(10u, value);
    EXPECT_FALSE(session.SetOption(999, 1));
    EXPECT_EQ(ERROR_INTERNET_INVALID_OPTION, GetLastError());
    EXPECT_FALSE(CInternetSession::SetDefaultOption(999, 1));
    EXPECT_STREQ(CInternetSession::GetApplicationName(), session.GetRequestSettings().agent);
}

TEST(InternetException, MessageIsCutAtACharacterBoundary) {
    CInternetException e(ERROR_INTERNET_CANNOT_CONNECT);
    EXPECT_STREQ("无法连接到服务器", e.GetErrorMessage());
    char buf[6];
    EXPECT_TRUE(e.GetErrorMessage(buf, sizeof buf));
    EXPECT_STREQ("无法", buf); // four bytes: a third character would not fit whole
}

class HttpFileProxyTest : public HttpFileTest {};

TEST_F(HttpFileProxyTest, ProxyAccessGoesThroughTheProxyAndDirectAccessIgnoresTheEnvironment) {
    if (!test_net::LoopbackProxy::IsAvailable())
        FAIL() << "tinyproxy is not installed (scripts/install-deps.sh installs it)";
    test_net::LoopbackProxy proxy;
    ASSERT_TRUE(proxy.Start()) << proxy.Error();

    CInternetSession viaProxy("ProxyAgent", 1, INTERNET_OPEN_TYPE_PROXY,
                              ("ftp=127.0.0.1:1 http=" + proxy.HostPort()).c_str());
    std::unique_ptr<CHttpConnection> c(
        viaProxy.GetHttpConnection("127.0.0.1", static_cast<INTERNET_PORT>(server.Port())));
    std::unique_ptr<CHttpFile> file(
        c->OpenRequest(CHttpConnection::HTTP_VERB_POST, "/ecard/sms/sendsms.asp"));
    file->SendRequest(nullptr, 0, const_cast<char*>("a=1"), 3);
    CString line;
    ASSERT_TRUE(file->ReadString(line));
    EXPECT_STREQ("0#短信已提交", line);
    ASSERT_EQ(1u, server.Requests().size());
    EXPECT_NE(std::string::npos, server.Requests()[0].Header("Via").find("tinyproxy"));
    EXPECT_EQ("a=1", server.Requests()[0].body);

    // A dead proxy in the environment does not matter to a direct session.
    test_folders::ScopedEnv deadProxy(
        "http_proxy", "http://127.0.0.1:" + std::to_string(test_net::FreeLoopbackPort()));
    CInternetSession direct("DirectAgent", 1, INTERNET_OPEN_TYPE_DIRECT);
    c.reset(direct.GetHttpConnection("127.0.0.1", static_cast<INTERNET_PORT>(server.Port())));
    file.reset(c->OpenRequest(CHttpConnection::HTTP_VERB_GET, "/Profiles/board.htm"));
    file->SendRequest();
    DWORD status = 0;
    EXPECT_TRUE(file->QueryInfoStatusCode(status));
    EXPECT_EQ(200u, status);
    EXPECT_FALSE(server.Requests().back().HasHeader("Via"));
}

} // namespace
