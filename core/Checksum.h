// The access-password checksum and the scrambler of stored passwords.
#pragma once

#include "platform/base/CString.h"
#include "platform/base/Types.h"

// The sum, wrapping at 32 bits, of each byte (unsigned) times its index from 0. Groups and
// accounts store it instead of their access password and compare it with the checksum of what
// the user types; files of every kind hold it, so the formula is fixed.
DWORD CalcStringChecksum(LPCTSTR text);

// Rotates the byte at index i by (i mod 5) + 2 bits, to the left with bLeft and to the right
// without; one direction undoes the other.
void ScrambleString(CString& text, BOOL bLeft);
