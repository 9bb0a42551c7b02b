#include "core/KovDocumentScramble.h"

#include <bit>
#include <cstdint>
#include <cstring>

#include "platform/base/File.h"

namespace {

// The first offset that is rotated.
constexpr ULONGLONG kFirstScrambled = 5;
// Block size of ScrambleCopy.
constexpr UINT kCopyBlock = 4096;

BYTE RotateByteLeft(BYTE b, int nBits) {
    nBits &= 7;
    return nBits == 0 ? b : (BYTE)((b << nBits) | (b >> (8 - nBits)));
}

BYTE RotateByteRight(BYTE b, int nBits) {
    nBits &= 7;
    return nBits == 0 ? b : (BYTE)((b >> nBits) | (b << (8 - nBits)));
}

// The rotation of the byte at offset p, also at compile time.
constexpr int RotationAt(DWORD p) {
    return (int)((3 * p * p * p + 7 * p * p + 13 * p + 5) & 7);
}

// Reduces a bit count for an n-byte buffer; -1 when nothing is to be done.
int ReducedBits(int n, int nBits) {
    if (n <= 0 || nBits <= 0)
        return -1;
    long long total = 8LL * n;
    return (int)(nBits % total);
}

} // namespace

int ScrambleRotation(ULONGLONG nPosition) {
    return RotationAt((DWORD)nPosition);
}

void RotateLeftOneBit(BYTE* pBuffer, int n) {
    if (pBuffer == nullptr || n <= 0)
        return;
    BYTE carry = (BYTE)(pBuffer[n - 1] >> 7);
    for (int i = 0; i < n; ++i) {
        BYTE out = (BYTE)(pBuffer[i] >> 7);
        pBuffer[i] = (BYTE)((pBuffer[i] << 1) | carry);
        carry = out;
    }
}

void RotateRightOneBit(BYTE* pBuffer, int n) {
    if (pBuffer == nullptr || n <= 0)
        return;
    BYTE carry = (BYTE)(pBuffer[0] & 1);
    for (int i = n - 1; i >= 0; --i) {
        BYTE out = (BYTE)(pBuffer[i] & 1);
        pBuffer[i] = (BYTE)((pBuffer[i] >> 1) | (carry << 7));
        carry = out;
    }
}

void RotateBitsLeft(BYTE* pBuffer, int n, int nBits) {
    int bits = ReducedBits(n, nBits);
    if (bits <= 0 || pBuffer == nullptr)
        return;
    if (n == 1) {
        pBuffer[0] = RotateByteLeft(pBuffer[0], bits);
        return;
    }
    for (int i = 0; i < bits; ++i)
        RotateLeftOneBit(pBuffer, n);
}

void RotateBitsRight(BYTE* pBuffer, int n, int nBits) {
    int bits = ReducedBits(n, nBits);
    if (bits <= 0 || pBuffer == nullptr)
        return;
    if (n == 1) {
        pBuffer[0] = RotateByteRight(pBuffer[0], bits);
        return;
    }
    for (int i = 0; i < bits; ++i)
        RotateRightOneBit(pBuffer, n);
}

namespace {

// Every byte of a 64-bit word rotated left within itself, byte k (in memory order) by the left
// rotation of offset k: one shift pair per rotation count, with masks that keep each byte's bits
// inside it. A file runs to hundreds of MiB; a word at a time, with the masks known to the
// compiler (which drops the counts not in use and makes vector code of the rest), is several
// times faster than a byte at a time.
struct SLaneMasks {
    uint64_t keepShiftedLeft[8] = {};  // by count: the bits a left shift leaves in their byte
    uint64_t keepShiftedRight[8] = {}; // by count: the bits that wrap around to the low end
    uint64_t unrotated = 0;            // bytes rotated by 0
};

constexpr SLaneMasks MakeLaneMasks(bool bSave) {
    SLaneMasks m;
    for (int k = 0; k < 8; ++k) {
        const int r = bSave ? (8 - RotationAt(k)) & 7 : RotationAt(k);
        if (r == 0) {
            m.unrotated |= uint64_t(0xFF) << (8 * k);
            continue;
        }
        m.keepShiftedLeft[r] |= uint64_t(BYTE(0xFF << r)) << (8 * k);
        m.keepShiftedRight[r] |= uint64_t(BYTE(0xFF >> (8 - r))) << (8 * k);
    }
    return m;
}

template <bool bSave> void ScrambleRun(BYTE* pData, size_t nSize, ULONGLONG nStart) {
    static_assert(std::endian::native == std::endian::little, "byte k of a word is bits 8k..");
    static constexpr SLaneMasks kMasks = MakeLaneMasks(bSave);
    int left[8];
    for (int k = 0; k < 8; ++k)
        left[k] = bSave ? (8 - RotationAt(k)) & 7 : RotationAt(k);
    size_t i = 0;
    while (i < nSize && nStart + i < kFirstScrambled)
        ++i;
    for (; i < nSize && ((nStart + i) & 7) != 0; ++i)
        pData[i] = RotateByteLeft(pData[i], left[(nStart + i) & 7]);
    // From here byte k of each word stands at an offset of k modulo 8.
    for (; nSize - i >= 8; i += 8) {
        uint64_t w;
        std::memcpy(&w, pData + i, 8);
        uint64_t out = w & kMasks.unrotated;
        for (int r = 1; r < 8; ++r)
            out |= ((w << r) & kMasks.keepShiftedLeft[r]) |
                   ((w >> (8 - r)) & kMasks.keepShiftedRight[r]);
        std::memcpy(pData + i, &out, 8);
    }
    for (; i < nSize; ++i)
        pData[i] = RotateByteLeft(pData[i], left[(nStart + i) & 7]);
}

} // namespace

void ScrambleBytes(BYTE* pData, size_t nSize, ULONGLONG nStart, BOOL bSave) {
    if (bSave)
        ScrambleRun<true>(pData, nSize, nStart);
    else
        ScrambleRun<false>(pData, nSize, nStart);
}

BOOL ScrambleCopy(CFile* pSource, CFile* pTarget, LONGLONG nLimit, BOOL bSave) {
    BYTE buffer[kCopyBlock];
    ULONGLONG nCopied = 0;
    for (;;) {
        UINT nWant = kCopyBlock;
        if (nLimit >= 0) {
            ULONGLONG nLeft = (ULONGLONG)nLimit - nCopied;
            if (nLeft == 0)
                break;
            if (nLeft < nWant)
                nWant = (UINT)nLeft;
        }
        UINT n = pSource->Read(buffer, nWant);
        if (n == 0)
            break;
        ScrambleBytes(buffer, n, nCopied, bSave);
        pTarget->Write(buffer, n);
        nCopied += n;
    }
    // One side of the copy is the document in the clear; a plain memset here could be dropped.
    explicit_bzero(buffer, sizeof buffer);
    return TRUE;
}
