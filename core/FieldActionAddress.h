// The address a click on a value hands to the desktop: dial a phone number, write to a mail
// address or open a web page. The values come from files, CSV imports, other users and the
// information base, so the address is built here with care: web pages only as http, https or ftp
// addresses; mail addresses percent-encoded so that nothing in a name or an address can add
// fields to the mail (a value that already says "mailto:" is not given a second one); phone
// numbers as "tel:" addresses of their dialling characters alone.
#pragma once

#include "platform/base/CString.h"
#include "platform/base/Types.h"

enum FieldAction {
    FIELD_ACTION_NONE,
    FIELD_ACTION_DIAL,
    FIELD_ACTION_MAIL,
    FIELD_ACTION_WEB,
};

// The address to hand to the desktop for a value. For mail, with bQuoted the owner's name comes
// first as "\"name\"<address>". FALSE, with the reason in strError, when the value cannot be
// opened (a web value of another kind, a phone value without a digit, an empty value).
BOOL BuildFieldActionAddress(FieldAction action, LPCTSTR lpszValue, LPCTSTR lpszOwnerName,
                             BOOL bQuoted, CString& strAddress, CString& strError);

// Percent-encodes text for a URL: GBK is turned into UTF-8 first; letters, digits and "-._~"
// stay, as does every character of lpszKeep; control characters are dropped.
CString PercentEncodeUtf8(LPCTSTR lpszText, LPCTSTR lpszKeep = "");
