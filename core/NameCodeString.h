// The party of a message or a call: a display name and a code (a phone number or an address) kept
// together in one string, the form records and files store.
#pragma once

#include "platform/base/CString.h"
#include "platform/base/Types.h"

class CNameCodeString {
public:
    CNameCodeString() = default;
    // From the stored form, taken unchanged.
    CNameCodeString(LPCTSTR stored) : m_str(stored) {}
    CNameCodeString(LPCTSTR name, LPCTSTR code) { Set(name, code); }
    virtual ~CNameCodeString() = default;

    // Name and code joined by a newline; only the one given when the other is empty; the stored
    // text stays as it was when both are empty.
    void Set(LPCTSTR name, LPCTSTR code);

    // The text after the first newline (up to a second one); the whole text without a newline.
    CString GetCode() const;
    // The text before the first newline; empty without a newline. When that is empty and
    // bCodeIfEmpty is set, the code instead.
    CString GetName(BOOL bCodeIfEmpty = FALSE) const;
    // "name<code>", or the code alone when there is no name.
    CString GetDisplayText() const;
    // Takes "name<code>" or a bare code, as typed by the user or shown by GetDisplayText.
    void ParseDisplayText(LPCTSTR display);

    static CString GetNameOf(LPCTSTR stored, BOOL bCodeIfEmpty = FALSE);

    CString m_str;
};

// The check applied to typed mobile numbers: empty, or exactly eleven bytes.
BOOL IsEmptyOrElevenChars(const CString& text);
