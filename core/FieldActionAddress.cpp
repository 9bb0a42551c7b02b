#include "core/FieldActionAddress.h"

#include <cctype>
#include <cstring>
#include <string>

#include "platform/base/Gbk.h"

CString PercentEncodeUtf8(LPCTSTR lpszText, LPCTSTR lpszKeep) {
    static const char kHex[] = "0123456789ABCDEF";
    const std::string utf8 = GbkToUtf8(lpszText != nullptr ? lpszText : "");
    std::string out;
    for (unsigned char c : utf8) {
        if (c < 0x20 || c == 0x7F)
            continue;
        if (isalnum(c) || strchr("-._~", c) != nullptr ||
            (lpszKeep != nullptr && c < 0x80 && strchr(lpszKeep, c) != nullptr)) {
            out += (char)c;
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return CString(out.data(), (int)out.size());
}

namespace {

// "http" of "http://...", lower case; empty when the text starts with no scheme. A single letter
// before the colon is a drive, not a scheme.
CString SchemeOf(const CString& value) {
    const int colon = value.Find(':');
    if (colon < 2)
        return CString();
    for (int i = 0; i < colon; ++i) {
        const char c = value[i];
        if (!(isalnum((unsigned char)c) || c == '+' || c == '-' || c == '.'))
            return CString();
    }
    CString scheme = value.Left(colon);
    scheme.MakeLower();
    return scheme;
}

bool LooksLikePath(const CString& value) {
    if (value.IsEmpty())
        return true;
    const char c = value[0];
    return c == '/' || c == '\\' || c == '.' || c == '~' ||
           (value.GetLength() >= 2 && value[1] == ':');
}

} // namespace

BOOL BuildFieldActionAddress(FieldAction action, LPCTSTR lpszValue, LPCTSTR lpszOwnerName,
                             BOOL bQuoted, CString& strAddress, CString& strError) {
    strAddress.Empty();
    strError.Empty();
    CString value = lpszValue != nullptr ? lpszValue : "";
    value.Trim();
    switch (action) {
    case FIELD_ACTION_WEB: {
        const CString scheme = SchemeOf(value);
        if (scheme.IsEmpty() && !LooksLikePath(value) && value.FindOneOf(" \t\r\n") < 0) {
            strAddress = "http://" + value;
        } else if (scheme == "http" || scheme == "https" || scheme == "ftp") {
            strAddress = value;
        } else {
            strError.Format("“%s”不是网址，只能打开以 http、https 或 ftp 开头的网址。",
                            (LPCTSTR)value);
            return FALSE;
        }
        return TRUE;
    }
    case FIELD_ACTION_MAIL: {
        // A value written as an address already ("mailto:...") gets no second scheme.
        if (value.GetLength() >= 7 && value.Left(7).CompareNoCase("mailto:") == 0) {
            value = value.Mid(7);
            value.Trim();
        }
        if (value.IsEmpty()) {
            strError = "邮件地址是空的。";
            return FALSE;
        }
        // "@" stays readable; everything else that could end the address or start a field of
        // the mail ("?", "&", "#", "%", quotes, angle brackets) is encoded.
        if (bQuoted) {
            CString shown;
            shown.Format("\"%s\"<%s>", lpszOwnerName != nullptr ? lpszOwnerName : "",
                         (LPCTSTR)value);
            strAddress = "mailto:" + PercentEncodeUtf8(shown, "@");
        } else {
            strAddress = "mailto:" + PercentEncodeUtf8(value, "@");
        }
        return TRUE;
    }
    case FIELD_ACTION_DIAL: {
        CString number;
        BOOL bDigit = FALSE;
        for (int i = 0; i < value.GetLength(); ++i) {
            const char c = value[i];
            if (c >= '0' && c <= '9') {
                number += c;
                bDigit = TRUE;
            } else if (c == '+' || c == '*') {
                number += c;
            } else if (c == '#') {
                number += "%23"; // a bare "#" would end the address
            }
        }
        if (!bDigit) {
            strError.Format("“%s”中没有可以拨打的号码。", (LPCTSTR)value);
            return FALSE;
        }
        strAddress = "tel:" + number;
        return TRUE;
    }
    default:
        return FALSE;
    }
}
