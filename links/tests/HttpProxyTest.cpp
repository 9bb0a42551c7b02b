#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <thread>

#include "links/HttpProxy.h"
#include "links/HttpRequest.h"
#include "testsupport/LoopbackProxy.h"
#include "testsupport/NetTestEnv.h"
#include "testsupport/ServiceStandIn.h"

namespace {

// The settings of one test, and the program's usual ones again after it.
class ScopedProxy {
public:
    explicit ScopedProxy(const HttpProxySettings& s) : m_old(GetHttpProxySettings()) {
        SetHttpProxySettings(s);
    }
    ~ScopedProxy() { SetHttpProxySettings(m_old); }

private:
    HttpProxySettings m_old;
};

HttpProxySettings Custom(int type, int port, const char* user = "", const char* password = "") {
    HttpProxySettings s;
    s.nScheme = HTTP_PROXY_CUSTOM;
    s.nType = type;
    s.strServer = "127.0.0.1";
    s.strPort.Format("%d", port);
    s.strUser = user;
    s.strPassword = password;
    return s;
}

class HttpProxyTest : public test_net::StandInTest {
protected:
    int Post(CString& reply) {
        return HttpPostForm(server.Url("ecard/sms/sendsms.asp").c_str(), "N=n", reply);
    }
};

TEST(HttpProxyName, NamesTheServerWithTheSchemeOfItsType) {
    struct Row {
        int scheme, type;
        const char *server, *port, *name;
    } rows[] = {
        {HTTP_PROXY_DIRECT, 0, "p", "1", ""},
        {HTTP_PROXY_SYSTEM, 0, "p", "1", ""},
        {HTTP_PROXY_CUSTOM, HTTP_PROXY_TYPE_HTTP, " proxy.lan ", "3128", "http://proxy.lan:3128"},
        {HTTP_PROXY_CUSTOM, HTTP_PROXY_TYPE_SOCKS4, "10.0.0.1", "1080", "socks4://10.0.0.1:1080"},
        {HTTP_PROXY_CUSTOM, HTTP_PROXY_TYPE_SOCKS5, "s", "", "socks5h://s"},
        {HTTP_PROXY_CUSTOM, HTTP_PROXY_TYPE_SOCKS5, "::1", "9", "socks5h://[::1]:9"},
        {HTTP_PROXY_CUSTOM, HTTP_PROXY_TYPE_HTTP, "  ", "80", ""},
    };
    for (const Row& r : rows) {
        HttpProxySettings s;
        s.nScheme = r.scheme;
        s.nType = r.type;
        s.strServer = r.server;
        s.strPort = r.port;
        EXPECT_STREQ(r.name, FormatHttpProxyName(s)) << r.server;
    }
}

TEST_F(HttpProxyTest, DirectIgnoresTheEnvironmentAndSystemFollowsIt) {
    test_folders::ScopedEnv deadProxy(
        "http_proxy", "http://127.0.0.1:" + std::to_string(test_net::FreeLoopbackPort()));
    CString reply;
    HttpProxySettings s;
    s.nScheme = HTTP_PROXY_DIRECT;
    {
        ScopedProxy direct(s);
        EXPECT_EQ(INET_RESULT_OK, Post(reply));
    }
    s.nScheme = HTTP_PROXY_SYSTEM;
    ScopedProxy system(s);
    EXPECT_EQ(INET_RESULT_NETWORK_ERROR, Post(reply));
    EXPECT_EQ(1u, server.Requests().size());
}

TEST_F(HttpProxyTest, ACustomProxyWithoutServerReachesNothing) {
    HttpProxySettings s = Custom(HTTP_PROXY_TYPE_HTTP, 80);
    s.strServer = "";
    ScopedProxy custom(s);
    CString reply("old");
    EXPECT_EQ(INET_RESULT_NETWORK_ERROR, Post(reply));
    EXPECT_STREQ("old", reply);
    EXPECT_TRUE(server.Requests().empty());
}

TEST_F(HttpProxyTest, HttpProxyAskingForAPasswordGetsTheUsersOne) {
    if (!test_net::LoopbackProxy::IsAvailable())
        FAIL() << "tinyproxy is not installed (scripts/install-deps.sh installs it)";
    test_net::LoopbackProxy proxy;
    proxy.SetBasicAuth("alice", "s3cret");
    ASSERT_TRUE(proxy.Start()) << proxy.Error();

    struct Row {
        const char *user, *password;
        int result;
    } rows[] = {
        {"", "", INET_RESULT_HTTP_STATUS}, // 407
        {"alice", "wrong", INET_RESULT_HTTP_STATUS},
        {"alice", "s3cret", INET_RESULT_OK},
    };
    for (const Row& r : rows) {
        ScopedProxy custom(Custom(HTTP_PROXY_TYPE_HTTP, proxy.Port(), r.user, r.password));
        CString reply("old");
        EXPECT_EQ(r.result, Post(reply)) << r.user << "/" << r.password;
        if (r.result == INET_RESULT_OK)
            EXPECT_STREQ("0#短信已提交", reply);
        else
            EXPECT_STREQ("old", reply);
    }
    auto requests = server.Requests();
    ASSERT_EQ(1u, requests.size()) << "only the request with the password got through";
    EXPECT_NE(std::string::npos, requests[0].Header("Via").find("tinyproxy"));
    EXPECT_EQ("N=n", requests[0].body);

    // A GET goes the same way.
    ScopedProxy custom(Custom(HTTP_PROXY_TYPE_HTTP, proxy.Port(), "alice", "s3cret"));
    CString page;
    EXPECT_EQ(INET_RESULT_OK, HttpFetchText(server.Url("Profiles/version.htm").c_str(), "a", page));
}

TEST_F(HttpProxyTest, Socks5ServerCarriesTheRequestWithUserAndPassword) {
    if (!test_net::LoopbackSocks5::IsAvailable())
        FAIL() << "microsocks is not installed (scripts/install-deps.sh installs it)";
    test_net::LoopbackSocks5 socks;
    socks.SetAuth("bob", "pw");
    ASSERT_TRUE(socks.Start()) << socks.Error();

    CString reply;
    {
        ScopedProxy custom(Custom(HTTP_PROXY_TYPE_SOCKS5, socks.Port()));
        EXPECT_EQ(INET_RESULT_NETWORK_ERROR, Post(reply)) << "refused without the password";
    }
    {
        ScopedProxy custom(Custom(HTTP_PROXY_TYPE_SOCKS5, socks.Port(), "bob", "pw"));
        EXPECT_EQ(INET_RESULT_OK, Post(reply));
        EXPECT_STREQ("0#短信已提交", reply);
    }
    auto requests = server.Requests();
    ASSERT_EQ(1u, requests.size());
    EXPECT_FALSE(requests[0].HasHeader("Via")) << "a SOCKS server only relays bytes";
}

// A SOCKS 4 server of the test's own: it records the connect request, grants it and then answers
// the HTTP request itself.
class FakeSocks4 {
public:
    FakeSocks4() {
        m_fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof addr;
        bind(m_fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
        getsockname(m_fd, reinterpret_cast<sockaddr*>(&addr), &len);
        m_port = ntohs(addr.sin_port);
        listen(m_fd, 1);
        m_thread = std::thread([this] { Serve(); });
    }
    ~FakeSocks4() {
        shutdown(m_fd, SHUT_RDWR);
        m_thread.join();
        close(m_fd);
    }
    int Port() const { return m_port; }
    std::string request; // the SOCKS 4 connect request as received
    std::string http;    // the HTTP request that followed

private:
    void Serve() {
        int c = accept(m_fd, nullptr, nullptr);
        if (c < 0)
            return;
        char ch;
        // VN CD DSTPORT(2) DSTIP(4) USERID NUL
        while (recv(c, &ch, 1, 0) == 1) {
            request += ch;
            if (request.size() > 8 && ch == '\0')
                break;
        }
        const char granted[8] = {0, 0x5A, 0, 0, 0, 0, 0, 0};
        send(c, granted, sizeof granted, MSG_NOSIGNAL);
        while (http.find("\r\n\r\n") == std::string::npos && recv(c, &ch, 1, 0) == 1)
            http += ch;
        std::string reply = "HTTP/1.1 200 OK\r\nContent-Length: 8\r\nConnection: close\r\n\r\n"
                            "0#socks4";
        send(c, reply.data(), reply.size(), MSG_NOSIGNAL);
        close(c);
    }

    int m_fd = -1;
    int m_port = 0;
    std::thread m_thread;
};

TEST_F(HttpProxyTest, Socks4RequestNamesTheServiceAddressAndTheUser) {
    FakeSocks4 socks;
    ScopedProxy custom(Custom(HTTP_PROXY_TYPE_SOCKS4, socks.Port(), "carol"));
    CString reply;
    EXPECT_EQ(INET_RESULT_OK,
              HttpFetchText(server.Url("Profiles/version.htm").c_str(), "a", reply));
    EXPECT_STREQ("0#socks4", reply);

    const std::string& r = socks.request;
    ASSERT_EQ(std::string::size_type(8 + 6), r.size());
    EXPECT_EQ(4, r[0]) << "version 4";
    EXPECT_EQ(1, r[1]) << "connect";
    EXPECT_EQ(server.Port(),
              (static_cast<unsigned char>(r[2]) << 8) | static_cast<unsigned char>(r[3]));
    EXPECT_EQ(std::string("\x7f\0\0\x01", 4), r.substr(4, 4));
    EXPECT_EQ(std::string("carol", 6), r.substr(8));
    EXPECT_EQ(0u, socks.http.find("GET /Profiles/version.htm HTTP/1.1\r\n"));
    EXPECT_TRUE(server.Requests().empty());
}

} // namespace
