#include "links/SmsGateway.h"

#include "core/ReplyStatus.h"
#include "core/StringUtil.h"
#include "links/AsyncInternet.h"
#include "links/HttpRequest.h"
#include "links/ServiceAddress.h"
#include "platform/base/Sync.h"
#include "sms/Sender.h"

namespace {

struct ResultText {
    int code;
    const char* text;
};

// Looked up in this order.
const ResultText kResultTexts[] = {
    {30, "服务器发送给对方手机时失败"},
    {40, "操作被用户终止"},
    {10, "接收方手机号码不正确"},
    {13, "手机号码不正确"},
    {11, "对方手机号码不存在或无效"},
    {12, "不允许向对方手机发信"},
    {20, "短信内容太长"},
    {50, "短信内容中包含非法或不健康词汇"},
    {101, "服务器的回应出错"},
    {110, "系统维护中"},
    {111, "系统升级中"},
    {112, "业务暂停"},
    {113, "发信接口已更改"},
    {120, "用户名/密码错误"},
    {121, "用户帐户被锁定"},
    {122, "用户帐户被冻结"},
    {125, "无法与短信服务器通信"},
    {126, "短信服务器回应出错"},
    {127, "移动与联通之间不能互发"},
    {128, "中国移动暂停此项业务"},
    {129, "中国联通暂停此项业务"},
    {140, "本日发送的短信数目已超出限制"},
    {141, "本次发送的短信数目已超出限制"},
    {142, "本月发送的短信数目已超出限制"},
};

// Posts on a worker thread and pumps until its thread has ended.
int PostPumping(const CString& url, const CString& form, CString& reply, const GatewayPump& pump) {
    CInetThread worker;
    worker.m_bAutoDelete = FALSE;
    worker.m_strUrl = url;
    worker.m_strBody = form;
    worker.m_strAgent = GetHttpAgentName();
    worker.m_strHeaders = FormatFormPostHeaders(worker.m_strAgent);
    if (!worker.CreateThread())
        return HttpPostForm(url, form, reply); // no thread: the post still goes, unpumped
    while (WaitForSingleObject(worker.m_hThread, 0) != WAIT_OBJECT_0) {
        pump();
        WaitForSingleObject(worker.m_hThread, 10);
    }
    if (worker.m_nResult == INET_RESULT_OK)
        reply = worker.m_strReply;
    return worker.m_nResult;
}

} // namespace

CString GetSmsResultText(int nCode) {
    if (nCode >= INET_RESULT_NOT_HTTP && nCode <= INET_RESULT_NETWORK_ERROR)
        return GetRequestErrorText(nCode);
    for (const ResultText& r : kResultTexts)
        if (r.code == nCode)
            return r.text;
    return "操作出错";
}

CString FormatGatewaySendForm(const _CSender& account, LPCTSTR content, LPCTSTR number,
                              int nIllegal) {
    const SSenderRemoteAccount& remote = account.GetRecord().m_remote;
    CString form;
    form.Format("\r\nN=n&AppType=%s&AppVer=%s&Illegal=%d&User=%s&Password=%s&Phone=%s&Content=%s",
                "", UrlEncodeString(SMS_GATEWAY_APP_VERSION).GetString(), nIllegal,
                UrlEncodeString(remote.m_strUserId).GetString(),
                UrlEncodeString(remote.m_strPassword).GetString(),
                UrlEncodeString(number).GetString(), UrlEncodeString(content).GetString());
    return form;
}

CString FormatGatewayReceiveForm(const _CSender& account) {
    const SSenderRemoteAccount& remote = account.GetRecord().m_remote;
    CString form;
    form.Format("\r\nN=n&AppType=%s&AppVer=%s&User=%s&Password=%s", "",
                UrlEncodeString(SMS_GATEWAY_APP_VERSION).GetString(),
                UrlEncodeString(remote.m_strUserId).GetString(),
                UrlEncodeString(remote.m_strPassword).GetString());
    return form;
}

int PostToGateway(LPCTSTR page, const CString& form, CString& strText, CString* pReply,
                  const GatewayPump& pump) {
    const CString url = GetServiceUrl(page);
    CString reply;
    int transport = pump ? PostPumping(url, form, reply, pump) : HttpPostForm(url, form, reply);
    CReplyStatus status;
    int code = status.Parse(transport, reply, TRUE);
    strText = transport == INET_RESULT_OK ? status.m_strText : CString();
    if (pReply)
        *pReply = reply;
    return code;
}

int GatewaySend(const _CSender& account, LPCTSTR content, LPCTSTR number, int nIllegal,
                CString& strText, const GatewayPump& pump) {
    return PostToGateway(SMS_GATEWAY_SEND_PAGE,
                         FormatGatewaySendForm(account, content, number, nIllegal), strText,
                         nullptr, pump);
}
