// MD5 message digests (RFC 1321), for the mail client's challenge-response logins. The digest is
// computed here rather than by a crypto provider, so it cannot fail.
#pragma once

#include <cstddef>

#include "platform/base/CString.h"
#include "platform/base/Types.h"

class CMd5 {
public:
    enum { DigestSize = 16 };

    CMd5() { Reset(); }

    void Update(const void* data, size_t n);
    // The digest of everything given since construction or the last Final; the object then
    // starts over.
    void Final(BYTE digest[DigestSize]);
    void Reset();

    // The digest of one block of bytes as 32 hexadecimal digits, lower case unless asked.
    static CString HexDigest(const void* data, size_t n, BOOL bUpperCase = FALSE);
    // HMAC-MD5 (RFC 2104) of the data under the key; a key longer than the 64-byte block is
    // replaced by its own digest first.
    static void Hmac(const void* key, size_t nKey, const void* data, size_t n,
                     BYTE digest[DigestSize]);
    // A digest as 32 hexadecimal digits, lower case unless asked.
    static CString ToHex(const BYTE digest[DigestSize], BOOL bUpperCase = FALSE);

private:
    void Transform(const BYTE block[64]);

    DWORD m_state[4];
    ULONGLONG m_nBytes;
    BYTE m_buffer[64];
};
