// Operations on typed field storage shared by contacts and contact groups: texts of multi-value
// fields, copying, appending and clearing by kind, and searching one field.
#pragma once

#include <string>

#include "contacts/PersonFields.h"
#include "core/FieldValue.h"
#include "platform/base/CString.h"
#include "platform/base/Types.h"

// Values joined by the separator, the parts of each value by the part separator (a part's note
// shown as "(注:...)"); bCurrentOnly gives the current value alone.
CString JoinMultiValue(const CXStringList& list, LPCTSTR lpszSeparator, LPCTSTR lpszPartSeparator,
                       BOOL bCurrentOnly = FALSE);
// JoinMultiValue appended to out.
void AppendJoinedMultiValue(std::string& out, const CXStringList& list, LPCTSTR lpszSeparator,
                            LPCTSTR lpszPartSeparator, BOOL bCurrentOnly = FALSE);

// Appends one "name:value" block of a non-empty field to a record text: the line break first
// unless the text is empty; a multi-value field's " \n" become "; "; a value holding a line
// break after its first character starts on the line after its label; the modification time is
// written without a label.
void AppendFieldBlock(CString& out, int nField, const CString& value, LPCTSTR lpszLineBreak);

// Typed storage of a kind (FieldKind): assign, append (lists) and clear. TRUE when the kind has
// such an operation.
BOOL AssignFieldValue(void* pTarget, const void* pSource, int nKind);
BOOL AppendFieldValue(void* pTarget, const void* pSource, int nKind);
// nIntDefault is what an integer field is cleared to. Times are left as they are.
BOOL ClearFieldValue(void* pTarget, int nKind, int nIntDefault);

// A CSV field as written to files: enclosed in quotes, inner quotes doubled, when it holds a
// quote, a comma or a line break; otherwise as it is.
CString QuoteCsvField(const CString& value);
// Whether QuoteCsvField encloses the n bytes at p in quotes.
BOOL CsvFieldNeedsQuotes(const char* p, size_t n);
// The n bytes at p appended to out as QuoteCsvField writes them. p must not point into out.
void AppendCsvField(std::string& out, const char* p, size_t n);

// Appends one search hit {0, group, bit, value, part, position}.
void AddSearchHit(CSearchItemArray& hits, int nGroup, int nBit, int nValue, int nPart, int nPos);

// Searches one field's storage and appends a hit {0, group, bit, value, part, position} when it
// matches: texts by bytes (bMatchCase) or with Latin letters folded, lists and certificates by
// their own find, integers as their decimal text; dates and times never match.
BOOL SearchFieldValue(void* pData, int nKind, LPCTSTR lpszText, BOOL bMatchCase,
                      CSearchItemArray& hits, int nGroup, int nBit);
