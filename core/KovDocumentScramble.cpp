#include "core/KovDocumentScramble.h"

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

// Reduces a bit count for an n-byte buffer; -1 when nothing is to be done.
int ReducedBits(int n, int nBits) {
    if (n <= 0 || nBits <= 0)
        return -1;
    long long total = 8LL * n;
    return (int)(nBits % total);
}

} // namespace

int ScrambleRotation(ULONGLONG nPosition) {
    DWORD p = (DWORD)nPosition;
    DWORD r = 3 * p * p * p + 7 * p * p + 13 * p + 5;
    return (int)(r & 7);
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

void ScrambleBytes(BYTE* pData, size_t nSize, ULONGLONG nStart, BOOL bSave) {
    // The rotation repeats every 8 offsets: one table for the whole run.
    int rotation[8];
    for (int i = 0; i < 8; ++i)
        rotation[i] = ScrambleRotation((ULONGLONG)i);
    for (size_t i = 0; i < nSize; ++i) {
        ULONGLONG p = nStart + i;
        if (p < kFirstScrambled)
            continue;
        int bits = rotation[p & 7];
        pData[i] = bSave ? RotateByteRight(pData[i], bits) : RotateByteLeft(pData[i], bits);
    }
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
