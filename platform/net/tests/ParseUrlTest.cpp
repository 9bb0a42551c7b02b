#include <gtest/gtest.h>

#include "platform/net/ParseUrl.h"

namespace {

struct UrlCase {
    const char* url;
    BOOL ok;
    DWORD service;
    const char* server;
    const char* object;
    INTERNET_PORT port;
};

const UrlCase kCases[] = {
    {"http://127.0.0.1:8080/ecard/sms/sendsms.asp", TRUE, AFX_INET_SERVICE_HTTP, "127.0.0.1",
     "/ecard/sms/sendsms.asp", 8080},
    {"http://www.example.com", TRUE, AFX_INET_SERVICE_HTTP, "www.example.com", "/", 80},
    {"HTTP://Host/a?b=1&c=2#frag", TRUE, AFX_INET_SERVICE_HTTP, "Host", "/a?b=1&c=2", 80},
    {"http://host?q=1", TRUE, AFX_INET_SERVICE_HTTP, "host", "/?q=1", 80},
    {"http://user:pw@host:81/x", TRUE, AFX_INET_SERVICE_HTTP, "host", "/x", 81},
    {"http://[::1]:8000/v", TRUE, AFX_INET_SERVICE_HTTP, "[::1]", "/v", 8000},
    {"https://host/x", TRUE, AFX_INET_SERVICE_HTTPS, "host", "/x", 443},
    {"ftp://files.example.com/pub", TRUE, AFX_INET_SERVICE_FTP, "files.example.com", "/pub", 21},
    {"http:///nohost", FALSE, AFX_INET_SERVICE_HTTP, "", "", 0},
    {"http://", FALSE, AFX_INET_SERVICE_HTTP, "", "", 0},
    {"http://host:0/", FALSE, AFX_INET_SERVICE_HTTP, "", "", 0},
    {"http://host:65536/", FALSE, AFX_INET_SERVICE_HTTP, "", "", 0},
    {"http://host:8o/", FALSE, AFX_INET_SERVICE_HTTP, "", "", 0},
    {"http://[::1/", FALSE, AFX_INET_SERVICE_HTTP, "", "", 0},
    {"http://host/a b", FALSE, AFX_INET_SERVICE_UNK, "", "", 0},
    {"http://host/a\r\nX-Injected: 1", FALSE, AFX_INET_SERVICE_UNK, "", "", 0},
    {"www.example.com/page", FALSE, AFX_INET_SERVICE_UNK, "", "", 0},
    {"gopherx://host/", FALSE, AFX_INET_SERVICE_UNK, "", "", 0},
    {"", FALSE, AFX_INET_SERVICE_UNK, "", "", 0},
};

TEST(ParseUrl, SplitsOrRefusesEachUrl) {
    for (const UrlCase& c : kCases) {
        SCOPED_TRACE(c.url);
        DWORD service = 12345;
        CString server("old"), object("old");
        INTERNET_PORT port = 7;
        EXPECT_EQ(c.ok, AfxParseURL(c.url, service, server, object, port));
        EXPECT_EQ(c.service, service);
        if (c.ok) {
            EXPECT_STREQ(c.server, server);
            EXPECT_STREQ(c.object, object);
            EXPECT_EQ(c.port, port);
        }
    }
}

TEST(ParseUrl, NullUrlIsRefused) {
    DWORD service = 0;
    CString server, object;
    INTERNET_PORT port = 0;
    EXPECT_FALSE(AfxParseURL(nullptr, service, server, object, port));
    EXPECT_EQ(AFX_INET_SERVICE_UNK, service);
}

} // namespace
