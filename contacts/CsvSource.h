// Reading CSV files that other programs wrote, in whatever encoding they chose. The encoding is
// decided once per file, before the first record is read, so that the header, the data records
// and column-map files all come out as the same GBK text:
//   a UTF-8 byte order mark means UTF-8 (the mark is dropped), a UTF-16 mark UTF-16 (either byte
//   order); otherwise a file that is valid UTF-8 throughout and holds a byte above 0x7F is UTF-8,
//   and anything else is GBK.
// Characters GBK lacks become "?"; the reader counts the values that lost some. A file holding
// NUL bytes that is not UTF-16 is not text (a spreadsheet picked by mistake) and is refused.
//
// The file is read twice in pieces, never held whole: once to decide the encoding, then record
// by record as they are asked for.
#pragma once

#include <memory>
#include <string>

#include "core/CsvFile.h"
#include "platform/base/Collections.h"
#include "platform/base/CString.h"

// Told how far the reading of a file has gone: the file is read twice, so the bytes of both
// readings count, of twice the file's size.
class CICsvProgress {
public:
    virtual ~CICsvProgress() = default;
    // FALSE stops the reading: the user cancelled.
    virtual BOOL OnCsvProgress(ULONGLONG nDone, ULONGLONG nTotal) = 0;
};

class CCsvSource : public CCsvFile {
public:
    enum Encoding { ENC_GBK, ENC_UTF8, ENC_UTF8_BOM, ENC_UTF16LE, ENC_UTF16BE };
    enum Status {
        CSV_OK,
        CSV_CANNOT_OPEN,
        CSV_NOT_TEXT,
        CSV_NO_HEADER,
        CSV_READ_ERROR,
        CSV_NO_MEMORY,
        CSV_UNCLOSED_QUOTE, // a quoted value never closes: GetUnclosedQuoteLine
        CSV_TOO_LARGE,      // the file is over kMaxFileSize
        CSV_CANCELLED       // the progress listener asked to stop
    };
    // The largest file read: a phone's or a mail program's export of 100,000 contacts is about
    // 30 MB. A larger one is refused before any of it is read.
    static constexpr ULONGLONG kMaxFileSize = 64ull << 20;

    CCsvSource();
    ~CCsvSource() override;

    // Opens the file, reads it through to decide its encoding and keeps it open for the records.
    // CSV_CANNOT_OPEN when it cannot be opened or read (or is no regular file), CSV_TOO_LARGE
    // over kMaxFileSize, CSV_NOT_TEXT for NUL bytes outside UTF-16, CSV_CANCELLED when the
    // listener stopped the reading.
    Status Load(LPCTSTR lpszPath);
    // Told of the reading as it goes; may be null. Set it before Load.
    void SetProgress(CICsvProgress* pProgress) { m_pProgress = pProgress; }
    // Whether the listener stopped the reading; the records end there.
    BOOL IsCancelled() const { return m_bCancelled; }
    // The same from bytes in memory (tests, fuzzing).
    Status LoadBytes(const std::string& bytes);
    // Whether reading the records stopped early because the file could no longer be read.
    BOOL HasReadFailed() const { return m_bReadFailed; }
    // How many bytes the reader reads at a time.
    static constexpr size_t kPieceSize = 64 * 1024;

    // The next record, as GBK text (see CCsvFile::ReadRecord); -1 when none is left.
    int ReadRecord(CStringList& list);
    // The next line of the decoded text without its line end (CR LF or LF).
    BOOL ReadString(CString& rString) override;

    Encoding GetEncoding() const { return m_encoding; }
    // Values read so far in which a character had no GBK form.
    int GetLossyValueCount() const { return m_nLossy; }

    // The message a user sees for a status other than CSV_OK; nLine is the line an unclosed
    // quote began on.
    static CString GetStatusMessage(Status status, int nLine = 0);

private:
    // Decides the encoding from the first byte to the last, then goes back to the first byte of
    // the text (after any mark).
    Status Classify();
    // The next raw bytes, up to n; 0 at the end. A read error counts as the end.
    size_t ReadRaw(char* pBuf, size_t n);
    void Rewind(size_t nSkip);
    // Appends the next piece of decoded text; FALSE at the end of the data.
    BOOL Refill();

    std::unique_ptr<CFile> m_pFile; // the file, or null when the bytes are in m_memory
    std::string m_memory;
    size_t m_nMemoryPos = 0;
    BOOL m_bReadFailed = FALSE;
    CICsvProgress* m_pProgress = nullptr;
    ULONGLONG m_nDone = 0, m_nTotal = 0; // bytes read of both readings, and of the two together
    BOOL m_bCancelled = FALSE;
    // Decoded text not yet read: UTF-8 for the Unicode encodings, GBK bytes otherwise.
    std::string m_text;
    size_t m_nPos = 0;
    std::string m_carry; // raw bytes of a character a piece cut in two
    BOOL m_bEnd = TRUE;
    Encoding m_encoding = ENC_GBK;
    int m_nLossy = 0;
};

// Reads the first record of a CSV file by the rules above: the column titles of the file.
// Answers the status; the list is empty unless it is CSV_OK. The listener, when given, is told
// of the reading and may stop it (CSV_CANCELLED).
CCsvSource::Status ReadCsvHeader(LPCTSTR lpszPath, CStringList& titles,
                                 CICsvProgress* pProgress = nullptr);
