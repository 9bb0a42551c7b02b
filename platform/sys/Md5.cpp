#include "platform/sys/Md5.h"

#include <cmath>
#include <cstring>

namespace {

// The sine table of the algorithm: floor(|sin(i + 1)| * 2^32), exact in double precision.
struct SineTable {
    DWORD k[64];
    SineTable() {
        for (int i = 0; i < 64; ++i)
            k[i] = static_cast<DWORD>(std::floor(std::fabs(std::sin(i + 1.0)) * 4294967296.0));
    }
};

const SineTable& Sines() {
    static const SineTable table;
    return table;
}

const int kShift[64] = {7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22,
                        5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20,
                        4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23,
                        6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21};

DWORD RotateLeft(DWORD x, int n) {
    return (x << n) | (x >> (32 - n));
}

} // namespace

void CMd5::Reset() {
    m_state[0] = 0x67452301;
    m_state[1] = 0xefcdab89;
    m_state[2] = 0x98badcfe;
    m_state[3] = 0x10325476;
    m_nBytes = 0;
}

void CMd5::Transform(const BYTE block[64]) {
    DWORD m[16];
    for (int i = 0; i < 16; ++i)
        m[i] = static_cast<DWORD>(block[4 * i]) | (static_cast<DWORD>(block[4 * i + 1]) << 8) |
               (static_cast<DWORD>(block[4 * i + 2]) << 16) |
               (static_cast<DWORD>(block[4 * i + 3]) << 24);
    const DWORD* k = Sines().k;
    DWORD a = m_state[0], b = m_state[1], c = m_state[2], d = m_state[3];
    for (int i = 0; i < 64; ++i) {
        DWORD f;
        int g;
        if (i < 16) {
            f = (b & c) | (~b & d);
            g = i;
        } else if (i < 32) {
            f = (d & b) | (~d & c);
            g = (5 * i + 1) % 16;
        } else if (i < 48) {
            f = b ^ c ^ d;
            g = (3 * i + 5) % 16;
        } else {
            f = c ^ (b | ~d);
            g = (7 * i) % 16;
        }
        f += a + k[i] + m[g];
        a = d;
        d = c;
        c = b;
        b += RotateLeft(f, kShift[i]);
    }
    m_state[0] += a;
    m_state[1] += b;
    m_state[2] += c;
    m_state[3] += d;
}

void CMd5::Update(const void* data, size_t n) {
    const BYTE* in = static_cast<const BYTE*>(data);
    size_t used = static_cast<size_t>(m_nBytes % 64);
    m_nBytes += n;
    if (used > 0) {
        size_t take = n < 64 - used ? n : 64 - used;
        std::memcpy(m_buffer + used, in, take);
        in += take;
        n -= take;
        if (used + take < 64)
            return;
        Transform(m_buffer);
    }
    for (; n >= 64; in += 64, n -= 64)
        Transform(in);
    if (n > 0)
        std::memcpy(m_buffer, in, n);
}

void CMd5::Final(BYTE digest[DigestSize]) {
    const ULONGLONG bits = m_nBytes * 8;
    // 0x80, zeros up to 56 bytes into a block, then the length in bits, little-endian.
    BYTE pad[72] = {0x80};
    size_t used = static_cast<size_t>(m_nBytes % 64);
    size_t padLength = used < 56 ? 56 - used : 120 - used;
    for (int i = 0; i < 8; ++i)
        pad[padLength + i] = static_cast<BYTE>(bits >> (8 * i));
    Update(pad, padLength + 8);
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            digest[4 * i + j] = static_cast<BYTE>(m_state[i] >> (8 * j));
    Reset();
}

CString CMd5::HexDigest(const void* data, size_t n, BOOL bUpperCase) {
    CMd5 md5;
    md5.Update(data, n);
    BYTE digest[DigestSize];
    md5.Final(digest);
    return ToHex(digest, bUpperCase);
}

CString CMd5::ToHex(const BYTE digest[DigestSize], BOOL bUpperCase) {
    const char* digits = bUpperCase ? "0123456789ABCDEF" : "0123456789abcdef";
    CString hex;
    for (int i = 0; i < DigestSize; ++i) {
        hex += digits[digest[i] >> 4];
        hex += digits[digest[i] & 0x0F];
    }
    return hex;
}

void CMd5::Hmac(const void* key, size_t nKey, const void* data, size_t n, BYTE digest[DigestSize]) {
    enum { Block = 64 };
    BYTE block[Block] = {};
    CMd5 md5;
    if (nKey > Block) {
        md5.Update(key, nKey);
        md5.Final(block);
    } else if (nKey > 0) {
        std::memcpy(block, key, nKey);
    }
    BYTE pad[Block];
    for (int i = 0; i < Block; ++i)
        pad[i] = block[i] ^ 0x36;
    md5.Update(pad, Block);
    md5.Update(data, n);
    BYTE inner[DigestSize];
    md5.Final(inner);
    for (int i = 0; i < Block; ++i)
        pad[i] = block[i] ^ 0x5C;
    md5.Update(pad, Block);
    md5.Update(inner, DigestSize);
    md5.Final(digest);
}
