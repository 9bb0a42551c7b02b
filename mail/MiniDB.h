// A small store of variable-length records addressed by a numeric id: a data file of records,
// each behind a 32-byte record header, and a slot index that maps each id to its record's offset.
//
// Data file: a 24-byte header (two reserved DWORDs, the 64-bit data end at which the next record
// goes, the 64-bit count of deleted bytes), then the records. Record header: DWORD id, DWORD
// allocated length (header included, a multiple of 1024), DWORD data length, WORD flags
// (FLAG_DELETED, FLAG_ABANDONED: superseded by a newer copy), 18 zero bytes.
// Slot index: a 4-byte header, then one 24-byte slot per id: DWORD id, DWORD 0, the 64-bit offset
// of the record header, DWORD 0, DWORD -1. Ids are the slot numbers, given out without gaps.
//
// Writing is ordered so that a crash at any point loses nothing stored before: a record goes to
// the end of the data, then the data end moves past it, then its slot points at it, each step
// flushed to the disk. A rewrite stores the new copy the same way and only then gives up the old
// one. Copies that are deleted or given up are overwritten with zeros. Nothing read from the files
// is trusted: a damaged or hostile file makes an operation fail, never read or write elsewhere.
#pragma once

#include "mail/FixedRecordFile.h"
#include "mail/KovFile.h"
#include "platform/base/CString.h"
#include "platform/base/Types.h"

class CMiniDBRecord;

class CMiniDB {
public:
    enum : UINT {
        GRANULARITY = 1024,
        FILE_HEADER_SIZE = 24,
        RECORD_HEADER_SIZE = 32,
        SLOT_SIZE = 24,
        INDEX_HEADER_SIZE = 4,
    };
    enum : WORD { FLAG_DELETED = 1, FLAG_ABANDONED = 2 };

    struct RecordHeader {
        DWORD dwId = 0;
        DWORD dwAllocated = 0;
        DWORD dwLength = 0;
        WORD wFlags = 0;
    };

    CMiniDB();
    ~CMiniDB();
    CMiniDB(const CMiniDB&) = delete;
    CMiniDB& operator=(const CMiniDB&) = delete;

    // Opens the data file and the slot index, creating them when they do not exist. FALSE when
    // either cannot be opened or the data file's header does not fit the file.
    BOOL Open(LPCTSTR lpszDataPath, LPCTSTR lpszIndexPath);
    void Close();
    BOOL IsOpen() const { return m_data.m_hFile != CFile::hFileNull; }

    // Finds the record of the id and leaves the data file at its header, which becomes the current
    // one. FALSE for an id without a slot and for a slot or header that does not hold together.
    BOOL Locate(DWORD dwId);
    // Loads the record of the id into the object; FALSE for a deleted record or data that does
    // not load. The object's record id becomes the id.
    BOOL Load(DWORD dwId, CMiniDBRecord* pRecord);
    // Stores the record: under its own id (replacing what the slot pointed at) or, when it has
    // none, under a new one, which it then takes. nLength reserves room for that many data bytes,
    // nMinimum for that many bytes in all. Answers the id, -1 on failure (also for an id past the
    // last slot).
    int Append(CMiniDBRecord* pRecord, int nLength = -1, int nMinimum = -1);
    // Stores a new copy of a stored record, points its slot at it and gives the old one up.
    BOOL Rewrite(CMiniDBRecord* pRecord);
    // Overwrites bytes of a live record's current copy in place, at an offset into its data.
    // FALSE, with nothing written, when the bytes would not lie wholly inside the record's
    // stored data (a short or damaged record) or the record cannot be found.
    BOOL WriteInRecord(DWORD dwId, DWORD dwOffset, const void* pData, UINT nCount);
    // Marks the record deleted and zeroes its data; its slot stays.
    BOOL Delete(DWORD dwId);

    int GetCount() const { return m_index.GetCount(); }
    ULONGLONG GetDataEnd() const { return m_nDataEnd; }
    ULONGLONG GetDeletedBytes() const { return m_nDeletedBytes; }
    // The header Locate found last (id NO_ID when none).
    const RecordHeader& GetCurrentHeader() const { return m_header; }
    ULONGLONG GetCurrentOffset() const { return m_nHeaderOffset; }

private:
    BOOL ReadFileHeader();
    void WriteFileHeader();
    // Locate, then the header must not be flagged deleted.
    BOOL LocateLive(DWORD dwId);
    // Overwrites the data bytes of the block at the offset with zeros, flushed.
    void ZeroBlock(ULONGLONG nOffset, DWORD dwAllocated);

    CFixedRecordFile m_index;
    CKovFile m_data;
    RecordHeader m_header;
    ULONGLONG m_nHeaderOffset = 0;
    ULONGLONG m_nDataEnd = FILE_HEADER_SIZE;
    ULONGLONG m_nDeletedBytes = 0;
};
