// Reading the information base's text files: a line reader that can step back one line (a block
// is parsed from the line that announced it), the key-line split, the rule for the file names a
// file may give, and the reader of an item's data file.
#pragma once

#include "platform/base/Collections.h"
#include "platform/base/CString.h"
#include "platform/base/Types.h"

#include <memory>
#include <vector>

typedef std::vector<CString> CInfoRow;
typedef std::vector<CInfoRow> CInfoRows;

class CInfoReader {
public:
    // Group files read inside one another go at most this deep.
    static constexpr int kMaxFileDepth = 8;

    CInfoReader() = default;
    ~CInfoReader();
    CInfoReader(const CInfoReader&) = delete;
    CInfoReader& operator=(const CInfoReader&) = delete;
    // Reads the whole file (GBK text, CRLF or LF). FALSE when it cannot be opened.
    BOOL Open(LPCTSTR lpszPath);
    // Lines from memory.
    void SetText(const char* data, size_t size);

    // The next line as it stands (without its line end); FALSE at the end of the file.
    BOOL ReadLine(CString& line);
    // Goes back to the start of the line read last.
    void Back();
    BOOL AtEnd() const { return m_nNext >= (int)m_lines.size(); }
    const CString& GetPath() const { return m_strPath; }

    // A group file named inside this file is read with a reader that shares the record of the
    // files being read, so that a file naming itself (or an ancestor) is not read again.
    BOOL IsBeingRead(const CString& path) const;
    int GetFileDepth() const { return m_pOpen ? (int)m_pOpen->size() : 0; }
    void InheritOpenFiles(const CInfoReader& parent);

private:
    std::vector<CString> m_lines;
    int m_nNext = 0;
    CString m_strPath;
    std::shared_ptr<std::vector<CString>> m_pOpen;
    BOOL m_bOpened = FALSE;
};

// Drops everything from the first "//" on (unless bKeepSlashes) and trims the line.
CString InfoStripLine(const CString& line, BOOL bKeepSlashes = FALSE);
// Splits a key line at its first "=", blank or tab; both parts trimmed. A line without any of
// them is all key.
void InfoSplitKey(const CString& line, CString& key, CString& value);
// A comma-separated list, each piece trimmed.
void InfoSplitList(const CString& text, CStringList& list);
// The leading decimal number of a text; 0 when there is none.
int InfoParseInt(const CString& text);

// The full path of a file a file of the base names (double quotes removed, trimmed), relative to
// the program folder. FALSE for a name that would lead out of it: an absolute path, a drive or
// a ".." step.
BOOL InfoResolveFileName(const CString& name, CString& path);

// Splits one data line into fields: at every comma (empty fields kept), or with a blank separator
// at runs of blanks and tabs. With bComments the line is cut at "//" first. Answers the fields,
// none for a line that gives none.
CInfoRow InfoSplitRow(const CString& line, char separator, BOOL bComments);

// Reads a data file: one row per line that gives a field. FALSE when it cannot be opened. At
// most nMaxRows rows are read (a runaway file cannot fill the memory).
BOOL LoadInfoRows(LPCTSTR lpszPath, int nColumns, char separator, BOOL bComments,
                  CInfoRows& rows, int nMaxRows = 1000000);
