// GBK (code page 936) text: where its characters start and end, and conversion to and from
// Unicode. The program keeps all text as GBK bytes; these conversions are meant for the edges only
// (Qt, file names, the terminal, wide strings read from old files).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/base/CString.h"

// A lead byte starts a double-byte character only when a valid trail byte follows it. A lead byte
// at the end of the text or before a byte that cannot be a trail stands alone as one byte, so a
// broken character never swallows the ASCII byte after it.
inline bool IsGbkLeadByte(unsigned char c) {
    return c >= 0x81 && c <= 0xFE;
}
inline bool IsGbkTrailByte(unsigned char c) {
    return c >= 0x40 && c <= 0xFE && c != 0x7F;
}

// Size in bytes (1 or 2) of the character that starts at p, with n bytes left in the text (n > 0).
inline int GbkCharSize(const char* p, size_t n) {
    return n >= 2 && IsGbkLeadByte(static_cast<unsigned char>(p[0])) &&
                   IsGbkTrailByte(static_cast<unsigned char>(p[1]))
               ? 2
               : 1;
}

// The longest prefix of the n-byte text p that is at most maxBytes long and does not end inside a
// double-byte character. For fixed-size copies of GBK text (tips, buffers).
size_t GbkFitLength(const char* p, size_t n, size_t maxBytes);

// Position of the piece in the len bytes of text at or after nStart (negative counts as 0), with
// the case of Latin letters ignored; -1 when absent. The rule of CString::Find on both texts
// folded: a match starts and ends on character boundaries, and only single-byte characters fold
// (a trail byte that looks like a letter never does). Nothing is copied or allocated.
int GbkFindNoCase(const char* text, int len, const char* piece, int nStart = 0);

// Length of the well-formed UTF-8 sequence at p (n bytes left, n > 0), or 0 when the bytes there
// are not one: overlong forms, surrogates and code points above U+10FFFF are refused.
size_t Utf8SequenceLength(const unsigned char* p, size_t n);

// Invalid or truncated GBK bytes become U+FFFD each; the text after them is kept.
std::string GbkToUtf8(const char* p, size_t n);
std::string GbkToUtf8(std::string_view gbk);
std::u16string GbkToUtf16(const char* p, size_t n);
std::u16string GbkToUtf16(std::string_view gbk);

// Characters with no GBK form, and broken UTF-8 / unpaired surrogates, become '?' each.
CString Utf8ToGbk(std::string_view utf8);
CString Utf16ToGbk(std::u16string_view utf16);
