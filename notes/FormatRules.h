// The format bar's texts: a size in twips as the size box shows it and the size box's text read
// back, and a face name cut to what a character format holds.
#pragma once

#include "platform/base/CString.h"

// "%ld" of the points when the size is a whole number of points, else "%.1f" of the half points
// (the twips rounded to the nearest half point first); nothing for a negative size.
CString FormatSizeText(long lTwips);

enum { SizeTextEmpty = -1, SizeTextInvalid = -2 };
// The box's text without leading and trailing spaces and tabs: empty gives SizeTextEmpty,
// anything but one decimal number SizeTextInvalid, a negative number 0, else the points times
// 20, truncated.
int ParseSizeText(const CString& text);
// Whether a size read from the box may be applied (1 to 1638 points).
inline bool IsSizeInRange(int nTwips) {
    return nTwips >= 20 && nTwips <= 32760;
}

// The face name cut to at most nMaxBytes bytes, never inside a double-byte character.
CString CutFaceName(const CString& name, int nMaxBytes = 31);
