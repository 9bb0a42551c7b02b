// libFuzzer entry: any bytes a server sends end in lines read or an internet exception, never in
// a crash, a hang or a line holding a line end; the same bytes as a URL are parsed or refused.
#include <cstdlib>
#include <string>

#include "platform/net/HttpFile.h"
#include "platform/net/InternetException.h"
#include "platform/net/ParseUrl.h"
#include "testsupport/ServiceStandIn.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);

    DWORD service = 0;
    CString server, object;
    INTERNET_PORT port = 0;
    if (bytes.find('\0') == std::string::npos &&
        AfxParseURL(bytes.c_str(), service, server, object, port) &&
        (server.IsEmpty() || object.IsEmpty() || object[0] != '/'))
        std::abort();

    test_net::ServiceStandIn standIn;
    standIn.SetReply("r", test_net::Reply::Of(test_net::Reply::Kind::Raw, bytes));
    CInternetSession session("fuzz", 1, INTERNET_OPEN_TYPE_DIRECT);
    session.SetOption(INTERNET_OPTION_RECEIVE_TIMEOUT, 200);
    session.SetOption(QM_INTERNET_OPTION_REQUEST_TIMEOUT, 1000);
    CHttpConnection* connection =
        session.GetHttpConnection("127.0.0.1", static_cast<INTERNET_PORT>(standIn.Port()));
    CHttpFile* file = connection->OpenRequest(CHttpConnection::HTTP_VERB_GET, "/r");
    size_t total = 0;
    try {
        file->SendRequest();
        CString line;
        while (file->ReadString(line)) {
            if (line.Find('\n') >= 0)
                std::abort();
            total += static_cast<size_t>(line.GetLength());
        }
    } catch (CInternetException* e) {
        e->Delete();
    }
    if (total > size)
        std::abort();
    delete file;
    delete connection;
    return 0;
}
