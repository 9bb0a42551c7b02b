#include "contacts/FieldActions.h"

#include <cstring>
#include <string>

#include "contacts/PersonFields.h"
#include "platform/base/Gbk.h"

FieldAction GetPersonFieldAction(int nField) {
    switch (nField) {
    case PF_MOBILE:
    case PF_PHONE:
    case PF_HOME_PHONE:
    case PF_OFFICE_PHONE:
    case PF_DORM_PHONE:
        return FIELD_ACTION_DIAL;
    case PF_EMAIL:
    case PF_WORK_EMAIL:
        return FIELD_ACTION_MAIL;
    case PF_HOMEPAGE:
    case PF_WORK_HOMEPAGE:
        return FIELD_ACTION_WEB;
    default:
        return FIELD_ACTION_NONE;
    }
}

FieldAction GetGroupPropertyAction(int nProperty) {
    switch (nProperty) {
    case 7:
        return FIELD_ACTION_DIAL;
    case 9:
        return FIELD_ACTION_MAIL;
    case 10:
        return FIELD_ACTION_WEB;
    default:
        return FIELD_ACTION_NONE;
    }
}

CString GetPersonFieldMenuCaption(int nField) {
    const char* caption = nullptr;
    switch (nField) {
    case PF_MOBILE: caption = "手机"; break;
    case PF_PHONE: caption = "电话"; break;
    case PF_EMAIL: caption = "个人邮箱"; break;
    case PF_HOMEPAGE: caption = "个人主页"; break;
    case PF_HOME_PHONE: caption = "家庭电话"; break;
    case PF_OFFICE_PHONE: caption = "办公电话"; break;
    case PF_DORM_PHONE: caption = "宿舍电话"; break;
    case PF_WORK_EMAIL: caption = "单位邮箱"; break;
    case PF_WORK_HOMEPAGE: caption = "单位主页"; break;
    default: return CString();
    }
    return CString(caption) + ":";
}

CString GetGroupPropertyMenuCaption(int nProperty) {
    switch (nProperty) {
    case 7: return "组电话:";
    case 9: return "组邮箱:";
    case 10: return "组主页:";
    default: return CString();
    }
}

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
