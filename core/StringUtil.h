// Shared text routines: percent coding for web requests, number scanning of server replies,
// splitting and joining, searching, reading small text files, and the quote-aware field tokenizer
// of the CSV reader. Separators and searches step over GBK double-byte characters whole, so a
// separator byte that happens to be the second byte of a Chinese character never matches.
#pragma once

#include "platform/base/Collections.h"
#include "platform/base/CString.h"
#include "platform/base/Types.h"

class CXString;

// ---- Percent coding ------------------------------------------------------------------------

// FALSE for the bytes a web form may carry as they are: letters, digits and ! ' ( ) * - . / : _ ~
BOOL NeedsPercentEncoding(BYTE c);
// Every other byte becomes "%" and two lower-case hexadecimal digits.
CString UrlEncodeString(LPCTSTR text);
// "%" and two hexadecimal digits (either case) become that byte; "+" stays "+". FALSE, with out
// empty, when a "%" is not followed by two hexadecimal digits or stands for a zero byte.
BOOL UrlDecodeString(LPCTSTR text, CString& out);

// ---- Number scanning -----------------------------------------------------------------------

class CStringEx {
public:
    CStringEx() = default;
    CStringEx(const CString& text) : m_str(text) {}
    virtual ~CStringEx() = default;

    // First position at or after nPos holding a digit; -1 when none.
    int FindDigit(int nPos) const;
    // The next run of digits from nPos (non-digits before it skipped). nPos moves just after the
    // run, or to -1 when no digit is left or the run ends the text. Answers the run's length.
    int ScanDigits(int& nPos, CString& digits) const;
    // The next number from nPos; FALSE and -1 when there is none. Numbers too large for an int
    // give INT_MAX.
    BOOL ScanInt(int& nPos, int& nValue) const;
    // Every number of the text in order (too large ones give the largest value); answer the count.
    int ScanInts(CList<UINT, UINT>& values);
    int ScanDWords(CDWordArray& values);

    CString m_str;
    int m_nPos = 0;
};

// ---- Splitting and joining -----------------------------------------------------------------

// Cuts the text at every separator (the whole separator text, or with bAnyChar any one character
// of it) and adds every piece, empty ones included, the piece after the last separator always.
// An empty separator adds the whole text. With bClear the list is emptied first. Answers the
// number added.
int SplitString(LPCTSTR text, CStringList& list, LPCTSTR separator, BOOL bAnyChar = FALSE,
                BOOL bClear = TRUE);

// The next token from nPos: separators at nPos are skipped unless bKeepEmpty, then the text up to
// the next separator; nPos moves past that separator or to the end. FALSE, with an empty token and
// nPos -1, when nothing is left.
BOOL GetNextToken(LPCTSTR text, int& nPos, CString& token, LPCTSTR separator, BOOL bAnyChar = FALSE,
                  BOOL bKeepEmpty = FALSE);

struct STokenState {
    int nPos = 0;
};
// The text from the state's position up to the separator; the position moves past it, or to -1
// when the separator is missing or ends the text (the token is then the rest of the text).
CString GetNextTokenEx(LPCTSTR text, STokenState& state, LPCTSTR separator);

// The first token (separator characters before it skipped) and the text after it, trimmed of
// separator characters at both ends. FALSE when the text holds no token.
BOOL SplitFirst(LPCTSTR text, LPCTSTR separators, CString& first, CString& rest);

// Empties the list and adds each token (runs of separator characters are one separator), trimmed
// of white space at both ends. Answers the count.
int SplitAndTrim(LPCTSTR text, LPCTSTR separators, CStringList& list);
// The tokens, found and trimmed as by SplitAndTrim, into the strings of value in order until they
// are used up. Answers the number of strings filled.
int SplitToXString(LPCTSTR text, LPCTSTR separators, CXString& value);

CString JoinStringList(const CStringList& list, LPCTSTR separator);
void AppendRepeated(CString& text, LPCTSTR piece, int nCount);

// ---- Searching -----------------------------------------------------------------------------

// Position of the first character of the set at or after nStart; -1 when none.
int FindOneOf(LPCTSTR text, LPCTSTR charSet, int nStart = 0);
// Position just after the first occurrence of the piece at or after nStart; -1 when absent.
int FindEndOf(LPCTSTR text, LPCTSTR piece, int nStart = 0);
// Position of the piece at or after nStart with the case of Latin letters ignored; both texts are
// folded to upper case (bUpper) or lower case.
int FindNoCase(LPCTSTR text, LPCTSTR piece, int nStart = 0, BOOL bUpper = TRUE);
// The text between the first start marker from nStart and the next end marker after it; empty
// when either is missing. nEnd is the position after the end marker, -1 when that is the end of
// the text or nothing was found.
CString GetTextBetween(LPCTSTR text, LPCTSTR startMarker, LPCTSTR endMarker, int nStart, int& nEnd);
// GetTextBetween after the first occurrence of the key from nStart; empty without the key.
CString GetKeyedValue(LPCTSTR text, LPCTSTR key, LPCTSTR startMarker, LPCTSTR endMarker,
                      int nStart = 0);
// Cuts the text at the first occurrence of the marker from nStart that lies outside double
// quotes (a quote after a backslash does not count). Answers whether the text was cut.
BOOL CutAtMarkerOutsideQuotes(CString& text, int nStart, LPCTSTR marker);

// ---- Files ---------------------------------------------------------------------------------

// Empties the list and adds every non-empty line of the text file. FALSE when it cannot be opened.
BOOL ReadFileLines(LPCTSTR path, CStringList& list);
// The whole file with its zero bytes left out. FALSE when it cannot be opened.
BOOL ReadFileText(LPCTSTR path, CString& text);

// ---- Quote-aware fields --------------------------------------------------------------------

// One line of separated fields, read one field per Step. The caller sets m_nFieldStart to m_nPos
// and m_nFieldEnd to -1 before each step. A field that starts with the quote character runs to
// the closing quote (a doubled quote stands for one) and may go on over following lines: the step
// then answers FALSE with the part read so far in m_strToken and m_bComplete cleared, and the
// caller feeds the next line. Bytes after a closing quote are skipped up to the separator; a
// separator at the end of the line gives no empty last field.
class QuotedFieldTokenizer {
public:
    BOOL Step(const CString& text, char separator, char quote, LPCTSTR doubledQuote,
              LPCTSTR singleQuote);

    int m_nPos = 0;
    BOOL m_bInQuotes = FALSE;
    BOOL m_bComplete = TRUE;
    int m_nFieldStart = 0;
    int m_nFieldEnd = -1;
    BOOL m_bAfterClosingQuote = FALSE;
    CString m_strToken;
    // When set, a finished field's text (doubled quotes made single) is put into m_strToken;
    // otherwise the caller takes m_nFieldStart and m_nFieldEnd itself.
    BOOL m_bExtract = FALSE;
};
