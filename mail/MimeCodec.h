// The text encodings of outgoing mail: Base64 (attachments, text parts, SMTP logins),
// quoted-printable (text parts) and RFC 2047 encoded words (display names, attachment names, the
// subject). All of them work on bytes: GBK text is encoded byte by byte.
//
// Every encoder answers FALSE for a missing source or output and then leaves the output alone, so
// that a caller can use nothing of a failed encoding.
#pragma once

#include "platform/base/CString.h"
#include "platform/base/Types.h"

enum : DWORD {
    BASE64_NO_PADDING = 1, // leave out the "=" that fills the last group
    BASE64_NO_LINES = 2,   // one line instead of lines of 76 characters joined by CR LF
};

// The largest attachment a mail part encodes.
constexpr DWORD MAIL_ATTACHMENT_LIMIT = 52428800;

// Base64 of the bytes, appended to the output (bAppend) or replacing it. Without
// BASE64_NO_LINES every full line of 76 characters (57 source bytes) ends in CR LF; a shorter
// last line does not.
BOOL EncodeBase64(const CString* pSource, CString* pOut, BOOL bAppend, DWORD dwFlags);
BOOL EncodeBase64(const void* pData, size_t nBytes, CString* pOut, BOOL bAppend, DWORD dwFlags);
// The length of the Base64 text of so many bytes (with the flags as for EncodeBase64).
ULONGLONG GetBase64Length(ULONGLONG nBytes, DWORD dwFlags);
// Base64 of a file's bytes. With a limit (either word non-zero) a file larger than the limit
// fails; so does a file that cannot be opened or read, and anything but a regular file. The file is
// read, not mapped: one that shrinks or grows meanwhile is encoded as far as it is read, and a
// failure appends nothing.
BOOL EncodeBase64File(LPCTSTR lpszPath, CString* pOut, DWORD dwLimitHigh, DWORD dwLimitLow,
                      BOOL bAppend, DWORD dwFlags);
// The bytes of a Base64 text. Characters outside the alphabet (line ends, "=", blanks) are
// skipped; decoding stops at a NUL byte or the end; a last group of two or three characters
// gives its whole bytes.
BOOL DecodeBase64(const CString* pSource, CString* pOut);

// One RFC 2047 encoded word over the WHOLE source, never split, also for an empty or plain
// ASCII text: "=?charset?B?...?=" or "=?charset?Q?...?=".
BOOL EncodeWordB(const CString* pSource, CString* pOut, LPCTSTR lpszCharset);
BOOL EncodeWordQ(const CString* pSource, CString* pOut, LPCTSTR lpszCharset);

// The label of a GBK text in mail: "gb2312" when every character is in GB2312 (plain ASCII too),
// else "gb18030", which holds every GBK character.
CString MailCharsetOf(const CString& text);
// The text's bytes as they go out under the label: under gb18030 the euro sign GBK keeps in the
// single byte 0x80 becomes GB18030's A2 E3; every other GBK character has the same bytes.
CString MailBytes(const CString& text, LPCTSTR lpszCharset);
// The text labelled by what it holds (MailCharsetOf), as encoded words ('B' or 'Q') of at most 75
// characters each, split between whole characters and separated by blanks, so that the header
// line can be folded between them; the first word may be asked to be shorter, to fit the line
// after its header's name. An empty text gives one empty word.
CString EncodeHeaderWords(const CString& text, char kind, int nFirstWordLength = 75);
// The text without control characters (bytes below 32 and DEL): a display name or subject holding
// a line break is refused by readers once decoded.
CString StripControlChars(const CString& text);
// The header line (without its CR LF) folded so that no line passes 78 characters where it has a
// blank to fold at: CR LF goes before such a blank, never before the one after the header's name.
// Lines folded already are taken one by one.
CString FoldHeaderLine(const CString& line);
// An RFC 2231 parameter for a GBK value: "; name*=charset''%XX..." (labelled by MailCharsetOf),
// split into numbered continuations (name*0*=, name*1*=, ...) on separate folded lines when long.
CString EncodeRfc2231Parameter(LPCTSTR lpszName, const CString& value);

// Quoted-printable. The text's own line ends are encoded as =0D=0A; lines are broken softly
// ("=" CR LF) once they pass 64 characters; a blank or tab stands as it is only while the line is
// shorter than 64 characters and it is not the text's last byte.
BOOL EncodeQuotedPrintable(const CString* pSource, CString* pOut, BOOL bAppend, DWORD dwFlags);
