// The scrambling of document files: the version word and the first archive byte (offsets 0 to 4)
// are stored as they are, and every later byte is rotated by a count that depends only on its
// offset in the file. Saving rotates right, loading rotates left.
#pragma once

#include <cstddef>

#include "platform/base/Types.h"

class CFile;

// Rotation of the byte at file offset p: (3p^3 + 7p^2 + 13p + 5) mod 8 on 32 bits, which depends
// only on p mod 8 (5, 4, 3, 4, 1, 4, 7, 4) and is never 0.
int ScrambleRotation(ULONGLONG nPosition);

// The buffer seen as one little-endian number of n bytes, rotated by one bit.
void RotateLeftOneBit(BYTE* pBuffer, int n);
void RotateRightOneBit(BYTE* pBuffer, int n);
// Rotates the n-byte number by nBits (reduced modulo 8n); a count of 0 does nothing.
void RotateBitsLeft(BYTE* pBuffer, int n, int nBits);
void RotateBitsRight(BYTE* pBuffer, int n, int nBits);

// Scrambles (bSave) or unscrambles nSize bytes that stand at file offset nStart onwards.
void ScrambleBytes(BYTE* pData, size_t nSize, ULONGLONG nStart, BOOL bSave);

// Copies from each file's current position to the other's in blocks of 4096 bytes, scrambling
// (bSave) or unscrambling every byte by its offset counted from the start of the copy. With a
// limit of 0 or more it stops after that many bytes, otherwise at the end of the source. Always
// answers TRUE; the files throw their own errors.
BOOL ScrambleCopy(CFile* pSource, CFile* pTarget, LONGLONG nLimit, BOOL bSave);
