// The web SMS gateway account of an e-card user, on the same service under "ecard/sms/": suffix
// code, check code, balance, the largest message sizes, signature and its notice, and charging
// with a prepaid card. Each request waits for its reply, empties its out string first and answers
// 0 or the result code. The reading requests hand over the status text only on success; the
// changing ones (charge, suffix, signature) always, so the dialog can show the server's answer.
#pragma once

#include "platform/base/CString.h"
#include "platform/base/Types.h"

int GetSmsSuffixCode(UINT nUid, LPCTSTR lpszPassword, CString& out);
int GenSmsCheckCode(UINT nUid, LPCTSTR lpszPassword, CString& out);
int GetSmsBalance(UINT nUid, LPCTSTR lpszPassword, CString& out);
// The first two numbers of the status text (0 when missing; the second is read only after a
// first).
int GetSmsMaxSize(UINT nUid, LPCTSTR lpszPassword, int& nFirst, int& nSecond, CString& out);
// The same request in pieces, for a caller that posts it on a worker thread: the page's address,
// the form body, and the reading of the transport code and reply into the sizes. The code and
// out are what GetSmsMaxSize answers, except that a failure's out holds the server's text.
CString GetSmsMaxSizeUrl();
CString GetSmsMaxSizeBody(UINT nUid, LPCTSTR lpszPassword);
int ParseSmsMaxSizeReply(int nTransportCode, const CString& reply, int& nFirst, int& nSecond,
                         CString& out);
int GetSmsSignature(UINT nUid, LPCTSTR lpszPassword, CString& out);
int GetSmsSignNotif(UINT nUid, LPCTSTR lpszPassword, CString& out);
int ChargeSms(UINT nUid, LPCTSTR lpszPassword, LPCTSTR lpszCardNo, LPCTSTR lpszCardPassword,
              CString& out);
int EditSmsSuffixCode(UINT nUid, LPCTSTR lpszPassword, int nSuffixType, LPCTSTR lpszSuffixCode,
                      LPCTSTR lpszCheckCode, CString& out);
int SetSmsSignature(UINT nUid, LPCTSTR lpszPassword, LPCTSTR lpszSignature, CString& out);
