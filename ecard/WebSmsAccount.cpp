#include "ecard/WebSmsAccount.h"

#include "core/StringUtil.h"
#include "ecard/ECRequest.h"

namespace {

// A changing request: the status text reaches the caller whatever the code.
int PostChange(UINT nUid, LPCTSTR lpszPassword, LPCTSTR lpszPage, const CString& rest,
               CString& out) {
    out.Empty();
    return PostECRequest(lpszPage, GetECAuthBody(nUid, lpszPassword) + rest, &out);
}

const char* const kSmsMaxSizePage = "sms/getsmsmaxsize.asp";

// The first two numbers of the text (the second is read only after a first).
void ScanSmsMaxSizes(const CString& text, int& nFirst, int& nSecond) {
    CStringEx scan(text);
    int nPos = 0, nValue = 0;
    if (scan.ScanInt(nPos, nValue)) {
        nFirst = nValue;
        if (nPos >= 0 && scan.ScanInt(nPos, nValue))
            nSecond = nValue;
    }
}

CString Enc(LPCTSTR text) {
    return UrlEncodeString(text != nullptr ? text : "");
}

} // namespace

int GetSmsSuffixCode(UINT nUid, LPCTSTR lpszPassword, CString& out) {
    return PostECUserRequest(nUid, lpszPassword, "sms/getsuffixcode.asp", out);
}

int GenSmsCheckCode(UINT nUid, LPCTSTR lpszPassword, CString& out) {
    return PostECUserRequest(nUid, lpszPassword, "sms/gencheckcode.asp", out);
}

int GetSmsBalance(UINT nUid, LPCTSTR lpszPassword, CString& out) {
    return PostECUserRequest(nUid, lpszPassword, "sms/getsmsbalance.asp", out);
}

int GetSmsMaxSize(UINT nUid, LPCTSTR lpszPassword, int& nFirst, int& nSecond, CString& out) {
    nFirst = nSecond = 0;
    const int nCode = PostECUserRequest(nUid, lpszPassword, kSmsMaxSizePage, out);
    if (nCode != 0)
        return nCode;
    ScanSmsMaxSizes(out, nFirst, nSecond);
    return 0;
}

CString GetSmsMaxSizeUrl() {
    return GetECPageUrl(kSmsMaxSizePage);
}

CString GetSmsMaxSizeBody(UINT nUid, LPCTSTR lpszPassword) {
    return GetECAuthBody(nUid, lpszPassword);
}

int ParseSmsMaxSizeReply(int nTransportCode, const CString& reply, int& nFirst, int& nSecond,
                         CString& out) {
    nFirst = nSecond = 0;
    CString text;
    const int nCode = ParseECReply(nTransportCode, reply, text);
    out.Empty();
    if (nCode != 0) {
        if (nTransportCode == 0)
            out = LimitServerText(text);
        return nCode;
    }
    out = text;
    ScanSmsMaxSizes(out, nFirst, nSecond);
    return 0;
}

int GetSmsSignature(UINT nUid, LPCTSTR lpszPassword, CString& out) {
    return PostECUserRequest(nUid, lpszPassword, "sms/getsignature.asp", out);
}

int GetSmsSignNotif(UINT nUid, LPCTSTR lpszPassword, CString& out) {
    return PostECUserRequest(nUid, lpszPassword, "sms/getsignnotif.asp", out);
}

int ChargeSms(UINT nUid, LPCTSTR lpszPassword, LPCTSTR lpszCardNo, LPCTSTR lpszCardPassword,
              CString& out) {
    return PostChange(nUid, lpszPassword, "sms/chargesms.asp",
                      "&CardNo=" + Enc(lpszCardNo) + "&CardPwd=" + Enc(lpszCardPassword), out);
}

int EditSmsSuffixCode(UINT nUid, LPCTSTR lpszPassword, int nSuffixType, LPCTSTR lpszSuffixCode,
                      LPCTSTR lpszCheckCode, CString& out) {
    CString rest;
    rest.Format("&SuffixType=%d&SuffixCode=%s&CheckCode=%s", nSuffixType,
                (LPCTSTR)Enc(lpszSuffixCode), (LPCTSTR)Enc(lpszCheckCode));
    return PostChange(nUid, lpszPassword, "sms/editsuffixcode.asp", rest, out);
}

int SetSmsSignature(UINT nUid, LPCTSTR lpszPassword, LPCTSTR lpszSignature, CString& out) {
    return PostChange(nUid, lpszPassword, "sms/setsignature.asp",
                      "&Signature=" + Enc(lpszSignature), out);
}
