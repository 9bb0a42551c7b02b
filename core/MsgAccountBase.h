// The base of the message accounts (SMS senders, e-mail accounts): the account's flags, its
// access-password checksum and the number of the open file that shows it, its top box and its
// name.
#pragma once

#include "platform/base/CString.h"
#include "platform/base/Object.h"
#include "platform/base/Types.h"

class CContent;
class CMsgBoxBase;

class CMsgAccountBase : public CObject {
    DECLARE_DYNCREATE(CMsgAccountBase)
public:
    // Flag bits.
    enum : DWORD {
        FLAG_PASSWORD = 0x8000, // an access password is set
        FLAG_LOCKED = 0x4000,   // hidden behind its password
    };

    CMsgAccountBase() = default;
    ~CMsgAccountBase() override = default;

    // The password lock: a password is set and the account is locked.
    virtual BOOL IsLocked() const;
    // The account's own top box; null in the base.
    virtual CMsgBoxBase* GetRootBox();
    // The account's name, writable for a rename. The base has no name: it answers an empty
    // scratch string, emptied again on every call, so a rename of a bare account changes nothing.
    virtual CString& GetName();
    // A copy of the message (its Clone) dated now and in no box, for the caller to file. Null
    // when the content is not a message or cannot be cloned.
    virtual CContent* CreateMessageCopy(const CContent* pMessage);

    DWORD GetFlags() const { return m_dwFlags; }
    void ModifyFlags(DWORD dwClear, DWORD dwSet) { m_dwFlags = (m_dwFlags & ~dwClear) | dwSet; }
    DWORD GetPasswordChecksum() const { return m_dwPasswordChecksum; }
    void SetPasswordChecksum(DWORD dwChecksum) { m_dwPasswordChecksum = dwChecksum; }
    // The number the account tree gave the open file that holds the account; not stored.
    DWORD GetFileNumber() const { return m_dwFileNumber; }
    void SetFileNumber(DWORD dwNumber) { m_dwFileNumber = dwNumber; }

protected:
    DWORD m_dwFileNumber = 0;
    DWORD m_dwFlags = 0;
    DWORD m_dwPasswordChecksum = 0;
};
