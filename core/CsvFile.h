// Reading comma-separated text files, one record at a time.
#pragma once

#include "platform/base/Collections.h"
#include "platform/base/CString.h"
#include "platform/base/File.h"
#include "platform/base/Types.h"

// A text file of records whose fields are separated by commas. A field in double quotes may hold
// commas, doubled quotes (standing for one) and line breaks, which arrive as "\r\n". Blank lines
// between records are skipped; spaces around the line are trimmed, spaces inside a field stay.
class CCsvFile : public CStdioFile {
public:
    CCsvFile() = default;
    CCsvFile(LPCTSTR lpszFileName, UINT nOpenFlags) : CStdioFile(lpszFileName, nOpenFlags) {}

    // A quoted field may hold line breaks, but no real one spans this many lines or bytes: past
    // either, its closing quote is taken to be missing, and the reading stops there rather than
    // take the rest of the file into the field.
    static constexpr int kMaxQuotedLines = 1000;
    static constexpr int kMaxQuotedBytes = 1 << 20;

    // Empties the list and reads the next record into it. Answers the number of fields, or -1 when
    // no line was left. A comma at the end of a line gives no empty last field; a quoted field
    // still open at the end of the file, or past the bounds above, is dropped,
    // GetUnclosedQuoteLine tells where it began, and every later call answers -1.
    int ReadRecord(CStringList& list);
    // The line (from 1) of a quoted field that was still open at the end of the file or ran past
    // the bounds: a missing closing quote, which took the lines after it into that field. 0 when
    // there was none.
    int GetUnclosedQuoteLine() const { return m_nUnclosedQuoteLine; }

private:
    int m_nLine = 0; // lines read so far
    int m_nUnclosedQuoteLine = 0;
};

// The first record of the file (blank lines before it skipped): the list's count afterwards, 0
// when the file cannot be opened.
int ReadCsvFirstRecord(LPCTSTR path, CStringList& list);
