// An item of the information base: a table of rows with named, sized columns, kept inline in the
// file that describes it or in a data file of its own read when the item is shown.
#pragma once

#include "core/Content.h"
#include "notes/InfoReader.h"
#include "platform/base/Collections.h"

class CInfoContent : public CContent {
    DECLARE_DYNCREATE(CInfoContent)
public:
    // Style flags.
    enum : int {
        StyleBlank = 1,   // 空格: a data file's fields are separated by blanks
        StyleEnCn = 2,    // 英汉
        StyleUrl = 4,     // web address columns; "//" is no comment in data lines
        StyleMailto = 8,  // e-mail address columns
    };
    // Column flags.
    enum : int { ColumnUrl = 4, ColumnMail = 8 };

    explicit CInfoContent(LPCTSTR lpszName = nullptr);

    // Parses an item block from the reader's current line; TRUE when it ended or the file ended,
    // FALSE when the line is no item's.
    BOOL Parse(CInfoReader& reader);

    // Flags = bits | (flags & ~mask) for a column 0..fieldCount-1; the array grows as needed.
    void SetColumnFlags(int nColumn, int nMask, int nBits);
    // 0 beyond the array.
    int GetColumnFlags(int nColumn) const;

    // The group's column defaults, taken before the item's own block is read.
    void TakeDefaults(int nFieldCount, const CStringList& fields, const CArray<int, int>& widths);

    BOOL IsLoaded() const { return m_bLoaded; }
    const CString& GetLinkPath() const { return m_strLinkPath; }
    int GetFieldCount() const { return m_nFieldCount; }
    const CStringList& GetFields() const { return m_fields; }
    const CArray<int, int>& GetFieldWidths() const { return m_fieldWidths; }
    const CInfoRows& GetRows() const { return m_rows; }
    int GetStyle() const { return m_nStyle; }
    // The separator and the comment rule of the item's data file.
    char GetSeparator() const { return (m_nStyle & StyleBlank) ? ' ' : ','; }
    BOOL HasComments() const { return (m_nStyle & StyleUrl) == 0; }

private:
    void ParseStyle(const CString& value);

    BOOL m_bLoaded = FALSE;
    CString m_strLinkPath;
    int m_nFieldCount = 0;
    CStringList m_fields;
    CArray<int, int> m_fieldWidths;
    CArray<int, int> m_columnFlags;
    CInfoRows m_rows;
    int m_nStyle = 0;
    // Columns named by the style, applied once the column count is known.
    std::vector<std::pair<int, int>> m_styleColumns;
};
