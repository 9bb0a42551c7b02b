#include "ecard/ECRequest.h"

#include "core/ReplyStatus.h"
#include "core/StringUtil.h"
#include "links/HttpRequest.h"
#include "links/ServiceAddress.h"
#include "links/SmsGateway.h"
#include "platform/base/Gbk.h"

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

namespace {

CString& ServerText() {
    static CString s_text;
    return s_text;
}

ECWaitHook& WaitHook() {
    static ECWaitHook s_hook = nullptr;
    return s_hook;
}

ECWaitPump& WaitPump() {
    static ECWaitPump s_pump = nullptr;
    return s_pump;
}

// Posts on a worker so that the window thread can go on painting while the service answers; the
// worker's state is shared so that it may end after the caller in any order.
int PostOnWorker(const CString& url, const CString& body, CString& reply) {
    struct Shared {
        std::mutex lock;
        std::condition_variable done;
        bool finished = false;
        int nResult = 0;
        CString reply;
    };
    auto shared = std::make_shared<Shared>();
    try {
        std::thread([shared, url, body] {
            CString text;
            const int n = HttpPostForm(url, body, text);
            std::lock_guard<std::mutex> g(shared->lock);
            shared->nResult = n;
            shared->reply = text;
            shared->finished = true;
            shared->done.notify_all();
        }).detach();
    } catch (const std::system_error&) {
        return HttpPostForm(url, body, reply); // no thread to be had: wait here
    }
    for (;;) {
        {
            std::unique_lock<std::mutex> g(shared->lock);
            if (shared->finished || WaitPump() == nullptr) {
                shared->done.wait(g, [&] { return shared->finished; });
                reply = shared->reply;
                return shared->nResult;
            }
            shared->done.wait_for(g, std::chrono::milliseconds(5), [&] { return shared->finished; });
            if (shared->finished)
                continue;
        }
        WaitPump()();
    }
}

ECGatewayTextSource& GatewayTexts() {
    static ECGatewayTextSource s_source = &GetSmsResultText;
    return s_source;
}

struct WaitScope {
    WaitScope() {
        if (WaitHook() != nullptr)
            WaitHook()(TRUE);
    }
    ~WaitScope() {
        if (WaitHook() != nullptr)
            WaitHook()(FALSE);
    }
};

CString Enc(LPCTSTR text) {
    return UrlEncodeString(text != nullptr ? text : "");
}

} // namespace

BOOL IsECServiceAddressSet() {
    return GetServiceBaseAddress() != QUILLMAR_DEFAULT_SERVICE_ADDRESS;
}

CString GetECPageUrl(LPCTSTR lpszPage) {
    return GetServiceUrl(CString("ecard/") + (lpszPage != nullptr ? lpszPage : ""));
}

int ParseECReply(int nTransportCode, const CString& reply, CString& statusText) {
    statusText.Empty();
    CReplyStatus status;
    const int nCode = status.Parse(nTransportCode, reply, FALSE);
    if (nTransportCode != 0)
        return nCode;
    int nStart = 0;
    while (nStart < reply.GetLength() && (reply[nStart] == ' ' || reply[nStart] == '\t' ||
                                          reply[nStart] == '\r' || reply[nStart] == '\n'))
        ++nStart;
    while (nStart < reply.GetLength() && reply[nStart] >= '0' && reply[nStart] <= '9')
        ++nStart;
    statusText = reply.Mid(nStart);
    statusText.Trim('#');
    return nCode;
}

CString LimitServerText(const CString& text) {
    if (text.GetLength() <= EC_MAX_SERVER_TEXT)
        return text;
    return text.Left(
        (int)GbkFitLength(text.GetString(), (size_t)text.GetLength(), EC_MAX_SERVER_TEXT));
}

ECWaitHook SetECWaitHook(ECWaitHook hook) {
    ECWaitHook old = WaitHook();
    WaitHook() = hook;
    return old;
}

ECWaitPump SetECWaitPump(ECWaitPump pump) {
    ECWaitPump old = WaitPump();
    WaitPump() = pump;
    return old;
}

int PostECRequest(LPCTSTR lpszPage, LPCTSTR lpszBody, CString* pStatus) {
    ServerText().Empty();
    const CString url = GetECPageUrl(lpszPage);
    CString reply;
    int nTransport = 0;
    if (!IsECServiceAddressSet()) {
        // No service host has been set: nothing of the user's goes to the placeholder name.
        nTransport = INET_RESULT_NETWORK_ERROR;
    } else {
        WaitScope wait;
        nTransport = PostOnWorker(url, lpszBody != nullptr ? lpszBody : "", reply);
    }
    CString text;
    const int nCode = ParseECReply(nTransport, reply, text);
    if (nCode != 0 && nTransport == 0)
        ServerText() = LimitServerText(text);
    if (pStatus != nullptr)
        *pStatus = text;
    return nCode;
}

const CString& GetECServerText() {
    return ServerText();
}

CString GetECAuthBody(UINT nUid, LPCTSTR lpszPassword) {
    CString body;
    body.Format("N=n&UserID=%u&Password=%s", nUid, (LPCTSTR)Enc(lpszPassword));
    return body;
}

int PostECUserRequest(UINT nUid, LPCTSTR lpszPassword, LPCTSTR lpszPage, CString& out) {
    out.Empty();
    CString text;
    const int nCode = PostECRequest(lpszPage, GetECAuthBody(nUid, lpszPassword), &text);
    if (nCode == 0)
        out = text;
    return nCode;
}

int CheckECUid(UINT nUid) {
    CString body;
    body.Format("N=n&UID=%u", nUid);
    return PostECRequest("checkuid.asp", body);
}

int AssignECUid(UINT& nUid, int& nSecond) {
    nSecond = -1;
    CString text;
    int nCode = PostECRequest("assignuid.asp", "N=n", &text);
    if (nCode != 0)
        return nCode;
    CStringEx scan(text);
    CString digits;
    int nPos = 0;
    if (scan.ScanDigits(nPos, digits) == 0)
        return EC_RESULT_NO_NUMBER;
    unsigned long long value = 0;
    for (int i = 0; i < digits.GetLength() && value <= 0xFFFFFFFFull; ++i)
        value = value * 10 + (unsigned)(digits[i] - '0');
    // A number 0 or beyond 32 bits is no user number: it would wrap to another user's.
    if (value == 0 || value > 0xFFFFFFFFull)
        return EC_RESULT_NO_NUMBER;
    nUid = (UINT)value;
    int nValue = 0;
    if (nPos >= 0 && scan.ScanInt(nPos, nValue))
        nSecond = nValue;
    return 0;
}

int RegisterECUser(const SECAccount& a, CString& out) {
    CString body;
    body.Format("N=n&UserID=%u&UserName=%s&Password=%s&Email=%s&SecureEmail=%s&CertType=%s"
                "&Cert=%s&UserProp=0",
                a.m_nUid, (LPCTSTR)Enc(a.m_strUserName), (LPCTSTR)Enc(a.m_strPassword),
                (LPCTSTR)Enc(a.m_strEmail), (LPCTSTR)Enc(a.m_strSecureEmail),
                (LPCTSTR)Enc(a.m_strCertType), (LPCTSTR)Enc(a.m_strCert));
    return PostECRequest("register.asp", body, &out);
}

int DeregisterECUser(UINT nUid, LPCTSTR lpszPassword, LPCTSTR lpszSecureCode) {
    CString body;
    body.Format("N=n&UserID=%u&Password=%s&SecureCode=%s", nUid, (LPCTSTR)Enc(lpszPassword),
                (LPCTSTR)Enc(lpszSecureCode));
    return PostECRequest("deregister.asp", body);
}

int CheckECPassword(UINT nUid, LPCTSTR lpszPassword) {
    return PostECRequest("checkpassword.asp", GetECAuthBody(nUid, lpszPassword));
}

int ChangeECPassword(UINT nUid, LPCTSTR lpszOld, LPCTSTR lpszNew) {
    CString body = GetECAuthBody(nUid, lpszOld);
    body += "&NewPassword=" + Enc(lpszNew);
    return PostECRequest("changepassword.asp", body);
}

int ModifyECAccount(const SECAccount& a) {
    CString body = GetECAuthBody(a.m_nUid, a.m_strPassword);
    body.AppendFormat("&UserName=%s&Email=%s&SecureEmail=%s&CertType=%s&Cert=%s",
                      (LPCTSTR)Enc(a.m_strUserName), (LPCTSTR)Enc(a.m_strEmail),
                      (LPCTSTR)Enc(a.m_strSecureEmail), (LPCTSTR)Enc(a.m_strCertType),
                      (LPCTSTR)Enc(a.m_strCert));
    return PostECRequest("modifyaccount.asp", body);
}

int GenSecureCode(UINT nUid, LPCTSTR lpszPassword, CString& out) {
    return PostECUserRequest(nUid, lpszPassword, "gensecurecode.asp", out);
}

CString GetECMessageBody(const CDWordArray& recipients, LPCTSTR lpszTitle, LPCTSTR lpszText,
                         DWORD dwMailFlags) {
    CString contacts;
    for (int i = 0; i < recipients.GetSize(); ++i) {
        if (i > 0)
            contacts += ",";
        contacts.AppendFormat("%u", recipients[i]);
    }
    CString body;
    body.Format("&Contacts=%s&Title=%s&Message=%s&EmailReceiver=%d&EmailSender=%d",
                (LPCTSTR)Enc(contacts), (LPCTSTR)Enc(lpszTitle), (LPCTSTR)Enc(lpszText),
                (int)(dwMailFlags & 1), (int)((dwMailFlags >> 1) & 1));
    return body;
}

int LeaveECMessage(UINT nUid, LPCTSTR lpszPassword, const CDWordArray& recipients,
                   LPCTSTR lpszTitle, LPCTSTR lpszText, DWORD dwMailFlags, CString& out) {
    CString body = GetECAuthBody(nUid, lpszPassword) +
                   GetECMessageBody(recipients, lpszTitle, lpszText, dwMailFlags);
    return PostECRequest("leavemessage.asp", body, &out);
}

ECGatewayTextSource SetECGatewayTextSource(ECGatewayTextSource source) {
    ECGatewayTextSource old = GatewayTexts();
    GatewayTexts() = source;
    return old;
}

CString GetECErrorText(int nCode) {
    return GetECErrorText(nCode, GetECServerText());
}

CString GetECErrorText(int nCode, const CString& serverText) {
    if (nCode == EC_RESULT_SERVER_TEXT)
        return serverText;
    if (nCode < 200 || nCode >= 900) {
        CString text;
        if (GatewayTexts() != nullptr)
            text = GatewayTexts()(nCode);
        else
            text = GetRequestErrorText(nCode);
        if (text.IsEmpty())
            text = "操作出错";
        // The likely reason a request never reached anyone.
        if (nCode > 0 && nCode < 100 && !IsECServiceAddressSet()) {
            // A text that ends its sentence is followed by the reason; one that does not is
            // joined to it by a colon.
            const bool ended = text.Right(2) == "。" || text.Right(2) == "！" ||
                               text.Right(2) == "？" || text.Right(1) == ".";
            text += ended ? "尚未设置服务器地址。" : "：尚未设置服务器地址。";
        }
        return text;
    }
    switch (nCode) {
    case 210:
        return "号码已被使用，请重新选择。";
    case 220:
        return "保留的号码，您无权使用。";
    case 230:
        return "号码位数不对(目前必须为8位)。";
    default:
        return "操作出错";
    }
}

CString ValidateECPassword(LPCTSTR lpszPassword, LPCTSTR lpszRepeat) {
    const CString password = lpszPassword != nullptr ? lpszPassword : "";
    if (lpszRepeat != nullptr && password != lpszRepeat)
        return "两次输入的密码不一致！请重新输入。";
    if (password.GetLength() < 4)
        return "密码位数必须在4位以上！请重新输入。";
    for (int i = 0; i < password.GetLength(); ++i) {
        const char c = password[i];
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')))
            return "密码只能由数字与字母组成，请重新输入！";
    }
    return CString();
}
