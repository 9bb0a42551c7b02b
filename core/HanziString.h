// GBK text measured in characters, and the pinyin initials that sort and search Chinese names.
//
// These functions count characters the way message lengths are counted: a byte with its top bit
// set starts a double-byte character made of it and the next byte, whatever that next byte is;
// every other byte is a character by itself.
#pragma once

#include <vector>

#include "platform/base/CString.h"
#include "platform/base/Types.h"

inline bool IsDoubleByteLead(unsigned char c) {
    return (c & 0x80) != 0;
}

// Byte index of the first lead byte; -1 when every character is single-byte.
int FindFirstDoubleByteChar(const CString& text);

// Number of characters; a lead byte at the very end counts as one character.
int CountDoubleByteAwareChars(const CString& text);

// Steps over nChars characters from byte offset nStart (negative counts as 0) and answers the
// byte offset reached; -1 when the text ends before that many characters were passed.
int CharToByteOffset(const CString& text, int nChars, int nStart = 0);

// The piece of text that starts at byte offset nStart and holds nChars characters, or the rest of
// the text from nStart when fewer are left. Never cuts a double-byte character in two.
CString MidByChars(const CString& text, int nStart, int nChars);

// The text with the separator put between every two neighbouring characters.
CString InsertBetweenChars(const CString& text, LPCTSTR separator);

// One row of the pinyin boundary table: characters that collate at or after the boundary (and
// before the next row's) take the row's letter. The code is the GB2312 area-position code of the
// first GB2312 character of the letter; it is kept for reference and not used by the lookup.
struct PinyinBoundaryRow {
    char letter;
    int code;
    CString boundary;
};

// The boundary rows in collation order, letters A to Z without I, U and V (no Chinese reading
// starts with them), then a row "-" for characters after the last letter, then a terminating row
// with letter 0. Taken from the collation the program sorts names with, so that a character's
// initial always agrees with where the character sorts.
const std::vector<PinyinBoundaryRow>& PinyinBoundaryTable();

// The capital initial of the pinyin reading of the double-byte character (lead, trail): "?" for a
// character that sorts before the first letter, "-" for one after the last. FALSE, leaving letter
// alone, when lead is not a lead byte. Read from a built-in table of the whole code space; safe
// to call from any thread.
BOOL GetPinyinInitial(BYTE lead, BYTE trail, char& letter);
// The same initial found by collating the character against the boundary rows: the rule the
// table is filled by, kept to check the table against.
BOOL GetPinyinInitialByCollation(BYTE lead, BYTE trail, char& letter);
// Fills the 128 x 256 initials of every pair (lead - 0x80, trail) by the rule of
// GetPinyinInitialByCollation: what tools/pinyin writes out as the built-in table.
void FillPinyinInitialTable(char* letters);
// Appends the initials of the len bytes at p (see CHanziString::GetPinyinInitials).
void AppendPinyinInitials(const char* p, int len, CString& initials);
// Writes the same initials to out, which has room for len + 1 bytes, ends them with a zero and
// answers their length (never more than len).
int CopyPinyinInitials(const char* p, int len, char* out);

class CHanziString {
public:
    CHanziString() = default;
    CHanziString(const CString& text) : m_str(text) {}
    virtual ~CHanziString() = default;

    // Each double-byte character replaced by its pinyin initial; other bytes unchanged.
    void GetPinyinInitials(CString& initials) const;

    CString m_str;
};

// A path with the name operations; both "\" and "/" separate its components.
class CFilePathNameString {
public:
    CFilePathNameString() = default;
    CFilePathNameString(const CString& path) : m_strPath(path) {}
    virtual ~CFilePathNameString() = default;

    // The text after the last separator; the whole path when there is none.
    CString GetFileName() const;
    // The file name cut before its last "."; unchanged when it has none.
    CString GetFileTitle() const;

    CString m_strPath;
};
