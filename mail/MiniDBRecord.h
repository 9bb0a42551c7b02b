// The record side of the mini record database: an object with a record id that can measure,
// write and read itself. A mail message is one.
#pragma once

#include <functional>

#include "core/UnknownObject.h"
#include "platform/base/Types.h"

class CArchive;
class CFile;

// Runs serialize over an archive on the file (CArchive::store or CArchive::load, 4096-byte
// buffer) and closes it; FALSE, with the exception swallowed, when anything throws.
BOOL SerializeWithFile(CFile* pFile, UINT nMode, const std::function<void(CArchive&)>& serialize);

// Stores what serialize writes as the file's new contents in one step: a failure leaves the old
// file as it was. FALSE when anything fails.
BOOL SaveSerializedFile(LPCTSTR lpszPath, const std::function<void(CArchive&)>& serialize);

class CMiniDBRecord : public CUnknownObject {
public:
    enum : DWORD { NO_ID = 0xFFFFFFFF };

    CMiniDBRecord() = default;
    ~CMiniDBRecord() override = default;

    // The number of bytes SaveToFile writes.
    virtual ULONGLONG GetStoredSize() = 0;
    // Writes the record's data at the file's position; FALSE when it cannot.
    virtual BOOL SaveToFile(CFile* pFile) = 0;
    // Reads the record's data from the file's position; FALSE for data that is short or damaged.
    virtual BOOL LoadFromFile(CFile* pFile) = 0;

    // NO_ID until the record is first stored.
    DWORD GetRecordId() const { return m_dwRecordId; }
    void SetRecordId(DWORD dwId) { m_dwRecordId = dwId; }
    // The bytes of the record's data as the database last stored or loaded it (0 until then).
    ULONGLONG GetStoredLength() const { return m_nStoredLength; }
    void SetStoredLength(ULONGLONG nLength) { m_nStoredLength = nLength; }

protected:
    DWORD m_dwRecordId = NO_ID;
    ULONGLONG m_nStoredLength = 0;
};
