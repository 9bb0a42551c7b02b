#include "links/HttpRequest.h"

#include <cstring>
#include <memory>

#include "links/HttpProxy.h"
#include "platform/net/HttpFile.h"
#include "platform/net/InternetException.h"
#include "platform/net/ParseUrl.h"

LPCTSTR GetHttpAgentName() {
    return "Quillmar/3.00";
}

CString FormatFormPostHeaders(LPCTSTR agent) {
    CString headers;
    headers.Format("Accept: text/*\r\nUser-Agent: %s\r\n"
                   "Content-Type: application/x-www-form-urlencoded\r\n",
                   agent ? agent : "");
    return headers;
}

int HttpRequest(LPCTSTR url, CString& reply, LPCTSTR agent, DWORD verb, LPCTSTR headers,
                LPCVOID data, DWORD length, const std::atomic<bool>* cancel) {
    DWORD service = 0;
    CString server, object;
    INTERNET_PORT port = 0;
    if (!AfxParseURL(url, service, server, object, port) || service != AFX_INET_SERVICE_HTTP)
        return INET_RESULT_NOT_HTTP;
    std::unique_ptr<CInternetSession> owned = MakeHttpSession(agent, INTERNET_FLAG_DONT_CACHE);
    if (!owned)
        return INET_RESULT_NETWORK_ERROR;
    CInternetSession& session = *owned;
    session.SetCancelFlag(cancel);

    int result = INET_RESULT_NETWORK_ERROR;
    std::unique_ptr<CHttpConnection> connection;
    std::unique_ptr<CHttpFile> file;
    try {
        connection.reset(session.GetHttpConnection(server, port));
        file.reset(connection->OpenRequest(
            static_cast<int>(verb), object, nullptr, 1, nullptr, nullptr,
            INTERNET_FLAG_EXISTING_CONNECT | INTERNET_FLAG_NO_AUTO_REDIRECT));
        if (headers) {
            file->AddRequestHeaders(headers, HTTP_ADDREQ_FLAG_ADD_IF_NEW);
        } else {
            // Without an agent of its own the request names the session's (the program's).
            CString plain;
            plain.Format("Accept: text/*\r\nUser-Agent: %s\r\n",
                         session.GetRequestSettings().agent.GetString());
            file->AddRequestHeaders(plain, HTTP_ADDREQ_FLAG_ADD_IF_NEW);
        }
        file->SendRequest(nullptr, 0, const_cast<LPVOID>(data), data ? length : 0);

        DWORD status = 0;
        file->QueryInfoStatusCode(status);
        if (status == HTTP_STATUS_OK) {
            // Built aside: a reply cut short by a failure never reaches the caller.
            CString text, line;
            bool first = true;
            while (file->ReadString(line)) {
                if (!first)
                    text += "\r\n";
                text += line;
                first = false;
            }
            reply = text;
            result = INET_RESULT_OK;
        } else {
            result = INET_RESULT_HTTP_STATUS;
        }
    } catch (CException* e) {
        e->Delete();
        result = INET_RESULT_NETWORK_ERROR;
    }
    file.reset();
    connection.reset();
    session.Close();
    return result;
}

int HttpPostForm(LPCTSTR url, LPCTSTR formData, CString& reply) {
    LPCTSTR agent = GetHttpAgentName();
    CString headers = FormatFormPostHeaders(agent);
    DWORD length = formData ? static_cast<DWORD>(std::strlen(formData)) : 0;
    return HttpRequest(url, reply, agent, HTTP_VERB_POST, headers, formData, length);
}

int HttpFetchText(LPCTSTR url, LPCTSTR agent, CString& reply, LPCTSTR formData) {
    if (formData)
        return HttpRequest(url, reply, agent, HTTP_VERB_POST, FormatFormPostHeaders(agent),
                           formData, static_cast<DWORD>(std::strlen(formData)));
    return HttpRequest(url, reply, agent, HTTP_VERB_GET, nullptr, nullptr, 0);
}

CString GetRequestErrorText(int code) {
    switch (code) {
    case INET_RESULT_NOT_HTTP:
        return "目标不是http服务器";
    case INET_RESULT_HTTP_STATUS:
        return "无法获取服务器上的指定资源";
    case INET_RESULT_NETWORK_ERROR:
        return "网络连接出错";
    default:
        return CString();
    }
}
