// The web SMS gateway of the service: one form post sends one part of a message to one number,
// one form post fetches the account's new messages; every reply begins with a result code. The
// texts the user sees for the codes live here too, shared by every window that reports a send,
// a receive or another request to the service.
#pragma once

#include <functional>

#include "platform/base/CString.h"
#include "platform/base/Types.h"

class _CSender;
class _CSms;
class _CSmsBox;

// The program version the gateway is told.
#define SMS_GATEWAY_APP_VERSION "3.00"

// The pages of the gateway, relative to the service's base address.
#define SMS_GATEWAY_SEND_PAGE "ecard/sms/sendsms.asp"
#define SMS_GATEWAY_RECEIVE_PAGE "ecard/sms/incoming.asp"

// Codes of a send or a request beyond the gateway's own.
enum : int {
    SMS_RESULT_OK = 0,
    SMS_RESULT_STOPPED = 40,       // the user stopped the run
    SMS_RESULT_REFUSED_WORDS = 50, // the content met a word list
    SMS_RESULT_NO_NUMBER = 101,    // the reply did not begin with a number
    SMS_RESULT_DAY_LIMIT = 140,
    SMS_RESULT_RUN_LIMIT = 141,
    SMS_RESULT_MONTH_LIMIT = 142,
    SMS_RESULT_PARTLY_SENT = 900, // some recipients or parts went, some did not
    SMS_RESULT_PHONE_ERROR = 990,
    SMS_RESULT_NOT_TRIED = 1000, // nothing was attempted
};

// The text of a result code: the request error texts for 1 to 3, the gateway's table for its
// codes, "操作出错" for any other (the manager's own codes included).
CString GetSmsResultText(int nCode);

// Called again and again while a post is on its way, on the calling thread; null posts without.
using GatewayPump = std::function<void()>;

// The body of a send: "\r\nN=n&AppType=&AppVer=3.00&Illegal=<n>&User=..&Password=..&Phone=..
// &Content=..", every value percent-encoded.
CString FormatGatewaySendForm(const _CSender& account, LPCTSTR content, LPCTSTR number,
                              int nIllegal);
// The body of a receive: "\r\nN=n&AppType=&AppVer=3.00&User=..&Password=..".
CString FormatGatewayReceiveForm(const _CSender& account);

// Posts the form to a page of the service and reads the reply's code; the reply's text (after the
// number, without leading "#") goes to strText. A failed request gives its code (1 to 3). With a
// pump the post runs on a worker thread and the pump is called until the reply is in: the post is
// always waited for, never abandoned, since the gateway may already have carried it out.
int PostToGateway(LPCTSTR page, const CString& form, CString& strText, CString* pReply = nullptr,
                  const GatewayPump& pump = nullptr);

// Sends one part to one number; answers the code and leaves the reply's text in strText.
int GatewaySend(const _CSender& account, LPCTSTR content, LPCTSTR number, int nIllegal,
                CString& strText, const GatewayPump& pump = nullptr);
