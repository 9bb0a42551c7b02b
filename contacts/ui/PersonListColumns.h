// The columns of the contact list: which contact fields are shown in which order, how wide each
// column is, and the order of rows when the list is sorted by one of them. The stored lists come
// from the profile and may be short, long or damaged: every index is checked, and whatever is
// missing takes its default.
#pragma once

#include "platform/base/Collections.h"
#include "platform/base/CString.h"

class CObject;

// The fields a column may show (the modification time is the last).
constexpr int kPersonColumnFieldCount = 46;

// The widest column a stored width may ask for.
constexpr int kMaxPersonColumnWidth = 4096;

// The columns shown when none are stored: name, mobile, pager, e-mail, QQ, home, office and
// dormitory telephone, birthday.
void GetDefaultPersonColumns(CArray<int, int>& fields);

// The stored column list made usable: the defaults when it holds no field of the table, fields
// outside the table and repeated ones dropped, the name first.
void ValidPersonColumns(const CArray<int, int>& stored, CArray<int, int>& fields);

// A field's default column width in pixels.
int DefaultPersonColumnWidth(int nField);
// The stored width of a field when the array holds one (above 0, at most the widest), else
// nDefault (the field's default width when negative).
int PersonColumnWidth(const CArray<int, int>* pWidths, int nField, int nDefault = -1);

// The order of two list rows (groups and contacts) sorted by a field (-1: by name): groups come
// before contacts when ascending and after them when descending; groups by name; contacts by
// the field's values.
int ComparePersonRows(CObject* a, CObject* b, int nField, BOOL bAscending);
