// Everything the program asks of the e-card service that waits for the answer: each request is a
// form POST of a percent-encoded body to one page under the service's "ecard/" folder, and each
// reply starts with a decimal status (0 success) followed by text. Also the texts of the result
// codes and the password rules of registration and password changes.
#pragma once

#include "ecard/ECAccount.h"
#include "platform/base/Collections.h"
#include "platform/base/CString.h"
#include "platform/base/Types.h"

// Result codes of the e-card layer beyond those of the HTTP layer (1 to 4) and the gateway.
enum {
    EC_RESULT_OK = 0,
    EC_RESULT_NOT_STARTED = 2,   // an asynchronous request could not start
    EC_RESULT_BUSY = 3,          // an operation was asked while one of the user runs
    EC_RESULT_STOPPED = 40,      // the user stopped the wait (the gateway's code for a stop)
    EC_RESULT_NO_NUMBER = 101,   // the reply does not begin with a number
    EC_RESULT_SERVER_TEXT = 990, // shown as the server's own text
};

// Longest server text kept for display: a server must not fill a message box with megabytes.
constexpr int EC_MAX_SERVER_TEXT = 1024;

// Whether the service's host has been set (the default address names nobody).
BOOL IsECServiceAddressSet();
// The service's address of a page ("checkuid.asp"): the service setting, "ecard/", the page.
CString GetECPageUrl(LPCTSTR lpszPage);

// A reply as the e-card layer reads it: a failed post gives its own code and no text; otherwise
// the decimal number at the start (101 without one) and, as the status text, what follows the
// number with "#" trimmed from both ends (empty when nothing follows).
int ParseECReply(int nTransportCode, const CString& reply, CString& statusText);
// The text cut to EC_MAX_SERVER_TEXT bytes, ending between GBK characters.
CString LimitServerText(const CString& text);

// Around every synchronous request: the window layer shows the wait cursor (TRUE) and restores it.
typedef void (*ECWaitHook)(BOOL bWaiting);
ECWaitHook SetECWaitHook(ECWaitHook hook);
// While a synchronous request waits for its worker, the window layer keeps the program painting:
// the pump is called again and again (it should return within a few milliseconds and take no
// input). Without a pump the caller simply waits.
typedef void (*ECWaitPump)();
ECWaitPump SetECWaitPump(ECWaitPump pump);

// Posts the body to the page and answers the code. The status text goes to pStatus when given;
// the kept server text is emptied first and, when the server answered a failure, becomes its
// status text.
int PostECRequest(LPCTSTR lpszPage, LPCTSTR lpszBody, CString* pStatus = nullptr);
// The text shown for code 990 of a synchronous request.
const CString& GetECServerText();

// "N=n&UserID=%u&Password=%s".
CString GetECAuthBody(UINT nUid, LPCTSTR lpszPassword);
// The authenticated body to the page; on success the status text into out (emptied first).
int PostECUserRequest(UINT nUid, LPCTSTR lpszPassword, LPCTSTR lpszPage, CString& out);

int CheckECUid(UINT nUid);
// On success the first number of the status text is the new user number (101 when there is
// none, or when it is 0 or does not fit in 32 bits); a second number, when present, goes to
// nSecond (else -1).
int AssignECUid(UINT& nUid, int& nSecond);
// The status text goes to out whatever the code.
int RegisterECUser(const SECAccount& account, CString& out);
int DeregisterECUser(UINT nUid, LPCTSTR lpszPassword, LPCTSTR lpszSecureCode);
int CheckECPassword(UINT nUid, LPCTSTR lpszPassword);
int ChangeECPassword(UINT nUid, LPCTSTR lpszOld, LPCTSTR lpszNew);
int ModifyECAccount(const SECAccount& account);
int GenSecureCode(UINT nUid, LPCTSTR lpszPassword, CString& out);
// The leave-message body after the authenticated one: recipients joined by ",", title, text and
// the two mail flags (bit 0 mail the receiver, bit 1 mail the sender).
CString GetECMessageBody(const CDWordArray& recipients, LPCTSTR lpszTitle, LPCTSTR lpszText,
                         DWORD dwMailFlags);
// The status text goes to out whatever the code.
int LeaveECMessage(UINT nUid, LPCTSTR lpszPassword, const CDWordArray& recipients,
                   LPCTSTR lpszTitle, LPCTSTR lpszText, DWORD dwMailFlags, CString& out);

// The texts of the gateway's result codes: the SMS sending layer's table unless a caller sets
// another source; a null source reads them as the HTTP layer's texts.
typedef CString (*ECGatewayTextSource)(int nCode);
ECGatewayTextSource SetECGatewayTextSource(ECGatewayTextSource source);
// 990: the kept server text; below 200 and from 900 up: the gateway's texts; 210, 220, 230 the
// number texts; anything else "操作出错".
CString GetECErrorText(int nCode);
// The same with the given text for 990.
CString GetECErrorText(int nCode, const CString& serverText);

// The first rule the password breaks, as its message; empty when it keeps them all. The repeat
// is compared only when given.
CString ValidateECPassword(LPCTSTR lpszPassword, LPCTSTR lpszRepeat);
