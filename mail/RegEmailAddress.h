// One mailbox of a message: a display name, an address and a tag the mail code keeps but never
// reads.
#pragma once

#include "mail/KovPtrArray.h"
#include "platform/base/CString.h"
#include "platform/base/Types.h"

class CArchive;

class CRegEmailAddress {
public:
    // DWORD tag and two empty strings.
    enum : int { MIN_STORED_SIZE = 6 };

    CRegEmailAddress() = default;
    // The text parsed as by Parse.
    explicit CRegEmailAddress(LPCTSTR lpszText) { Parse(lpszText); }

    // "name <address>", "\"name\" <address>" or a bare address. Without a "<" before a ">" the
    // whole trimmed text is the address and the name is empty.
    void Parse(LPCTSTR lpszText);
    // The name as given; the address parsed out of the text (its own name is dropped); tag 0.
    void Set(LPCTSTR lpszName, LPCTSTR lpszText);
    // The name, or the address when there is no name.
    CString GetDisplayText() const;
    // The address alone when there is no name; otherwise "name <address>" with the name, its
    // control characters left out, as B ('B') or Q ('Q') encoded words labelled by what it holds
    // (EncodeHeaderWords; the charset is not used), or as it stands (0); any other mode leaves
    // the name out (" <address>").
    CString Format(int nMode, LPCTSTR lpszCharset) const;
    // Tag, name, address.
    void Serialize(CArchive& ar);

    // An address that can stand in a header and an SMTP command: not empty, and no line break,
    // NUL, blank, "<" or ">" in it.
    BOOL IsSendable() const;

    // Splits a recipient text at "," and ";" and adds one parsed entry per non-empty piece;
    // answers the number added.
    static int AddList(LPCTSTR lpszText, CKovPtrArray<CRegEmailAddress>& list);

    CString m_strName;
    CString m_strAddress;
    DWORD m_dwTag = 0;
};
