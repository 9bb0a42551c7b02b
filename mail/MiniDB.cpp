#include "mail/MiniDB.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "mail/MiniDBRecord.h"
#include "platform/base/Exception.h"

namespace {

template <class T> T GetLE(const BYTE* p) {
    T v = 0;
    for (size_t i = 0; i < sizeof(T); ++i)
        v |= static_cast<T>(p[i]) << (8 * i);
    return v;
}

template <class T> void PutLE(BYTE* p, T v) {
    for (size_t i = 0; i < sizeof(T); ++i)
        p[i] = static_cast<BYTE>(static_cast<ULONGLONG>(v) >> (8 * i));
}

ULONGLONG RoundUp(ULONGLONG n) {
    return (n + CMiniDB::GRANULARITY - 1) / CMiniDB::GRANULARITY * CMiniDB::GRANULARITY;
}

// Offset of the flags word inside a record header.
constexpr LONGLONG kFlagsOffset = 12;

} // namespace

CMiniDB::CMiniDB() : m_index(SLOT_SIZE, INDEX_HEADER_SIZE) {
    m_header.dwId = 0xFFFFFFFF;
}

CMiniDB::~CMiniDB() {
    Close();
}

BOOL CMiniDB::Open(LPCTSTR lpszDataPath, LPCTSTR lpszIndexPath) {
    Close();
    const UINT flags =
        CFile::modeReadWrite | CFile::modeCreate | CFile::modeNoTruncate | CFile::shareExclusive;
    if (!m_data.Open(lpszDataPath, flags))
        return FALSE;
    CFileStatus status;
    BOOL bOpened = CFile::GetStatus(lpszIndexPath, status) ? m_index.Open(lpszIndexPath)
                                                           : m_index.Create(lpszIndexPath);
    if (!bOpened || !ReadFileHeader()) {
        Close();
        return FALSE;
    }
    return TRUE;
}

void CMiniDB::Close() {
    m_index.Close();
    m_data.Abort();
    m_header = RecordHeader();
    m_header.dwId = 0xFFFFFFFF;
    m_nDataEnd = FILE_HEADER_SIZE;
    m_nDeletedBytes = 0;
}

BOOL CMiniDB::ReadFileHeader() {
    try {
        const ULONGLONG length = m_data.GetLength();
        if (length == 0) {
            m_nDataEnd = FILE_HEADER_SIZE;
            m_nDeletedBytes = 0;
            WriteFileHeader();
            return TRUE;
        }
        BYTE header[FILE_HEADER_SIZE];
        m_data.Seek(0, CFile::begin);
        if (m_data.Peek(header, FILE_HEADER_SIZE) != FILE_HEADER_SIZE)
            return FALSE;
        m_nDataEnd = GetLE<ULONGLONG>(header + 8);
        m_nDeletedBytes = GetLE<ULONGLONG>(header + 16);
        return m_nDataEnd >= FILE_HEADER_SIZE && m_nDataEnd <= length;
    } catch (CFileException* e) {
        e->Delete();
        return FALSE;
    }
}

void CMiniDB::WriteFileHeader() {
    BYTE header[FILE_HEADER_SIZE] = {};
    PutLE(header + 8, m_nDataEnd);
    PutLE(header + 16, m_nDeletedBytes);
    m_data.Seek(0, CFile::begin);
    m_data.Poke(header, FILE_HEADER_SIZE);
}

BOOL CMiniDB::Locate(DWORD dwId) {
    m_header = RecordHeader();
    m_header.dwId = 0xFFFFFFFF;
    if (!IsOpen() || dwId >= static_cast<DWORD>(m_index.GetCount()))
        return FALSE;
    if (!m_index.SeekTo(static_cast<int>(dwId)) || !m_index.Read())
        return FALSE;
    const BYTE* slot = m_index.GetSlot();
    if (GetLE<DWORD>(slot) != dwId)
        return FALSE;
    const ULONGLONG offset = GetLE<ULONGLONG>(slot + 8);
    if (offset < FILE_HEADER_SIZE || offset > m_nDataEnd ||
        m_nDataEnd - offset < RECORD_HEADER_SIZE)
        return FALSE;
    BYTE bytes[RECORD_HEADER_SIZE];
    try {
        m_data.Seek(static_cast<LONGLONG>(offset), CFile::begin);
        if (m_data.Peek(bytes, RECORD_HEADER_SIZE) != RECORD_HEADER_SIZE)
            return FALSE;
    } catch (CFileException* e) {
        e->Delete();
        return FALSE;
    }
    RecordHeader header;
    header.dwId = GetLE<DWORD>(bytes);
    header.dwAllocated = GetLE<DWORD>(bytes + 4);
    header.dwLength = GetLE<DWORD>(bytes + 8);
    header.wFlags = GetLE<WORD>(bytes + 12);
    // A header that does not hold together would make a load read another record's bytes, a
    // rewrite give up a block that is not there, and a delete zero a live record.
    if (header.dwId != dwId || header.dwAllocated < RECORD_HEADER_SIZE ||
        header.dwAllocated % GRANULARITY != 0 ||
        header.dwLength > header.dwAllocated - RECORD_HEADER_SIZE ||
        header.dwAllocated > m_nDataEnd - offset)
        return FALSE;
    m_header = header;
    m_nHeaderOffset = offset;
    return TRUE;
}

BOOL CMiniDB::LocateLive(DWORD dwId) {
    return Locate(dwId) && !(m_header.wFlags & FLAG_DELETED);
}

BOOL CMiniDB::WriteInRecord(DWORD dwId, DWORD dwOffset, const void* pData, UINT nCount) {
    if (pData == nullptr || nCount == 0 || !LocateLive(dwId))
        return FALSE;
    if (dwOffset > m_header.dwLength || nCount > m_header.dwLength - dwOffset)
        return FALSE;
    try {
        // Locate left the file at the record's header.
        m_data.PokeAt(pData, nCount, static_cast<LONGLONG>(RECORD_HEADER_SIZE) + dwOffset);
    } catch (CFileException* e) {
        e->Delete();
        return FALSE;
    }
    return TRUE;
}

BOOL CMiniDB::Load(DWORD dwId, CMiniDBRecord* pRecord) {
    if (pRecord == nullptr || !LocateLive(dwId))
        return FALSE;
    // The record reads from its own bytes only: however it is damaged, it cannot read the next
    // record's.
    std::vector<BYTE> bytes(std::max<size_t>(m_header.dwLength, 1));
    try {
        m_data.Seek(static_cast<LONGLONG>(m_nHeaderOffset + RECORD_HEADER_SIZE), CFile::begin);
        if (m_data.Read(bytes.data(), m_header.dwLength) != m_header.dwLength)
            return FALSE;
        m_data.Seek(static_cast<LONGLONG>(m_nHeaderOffset), CFile::begin);
    } catch (CFileException* e) {
        e->Delete();
        return FALSE;
    }
    CMemFile file(bytes.data(), m_header.dwLength);
    if (!pRecord->LoadFromFile(&file))
        return FALSE;
    pRecord->SetRecordId(dwId);
    pRecord->SetStoredLength(m_header.dwLength);
    return TRUE;
}

int CMiniDB::Append(CMiniDBRecord* pRecord, int nLength, int nMinimum) {
    if (pRecord == nullptr || !IsOpen())
        return -1;
    DWORD dwId = pRecord->GetRecordId();
    const int count = m_index.GetCount();
    if (dwId == CMiniDBRecord::NO_ID)
        dwId = static_cast<DWORD>(count);
    else if (dwId > static_cast<DWORD>(count))
        return -1; // no slot could reach it
    if (dwId == CMiniDBRecord::NO_ID)
        return -1;

    CMemFile memory(64 * 1024);
    if (!pRecord->SaveToFile(&memory))
        return -1;
    const ULONGLONG stored = memory.GetLength();
    ULONGLONG reserved = nLength < 0 ? stored : std::max<ULONGLONG>(stored, ULONGLONG(nLength));
    ULONGLONG allocated = reserved + RECORD_HEADER_SIZE;
    if (nMinimum > 0)
        allocated = std::max<ULONGLONG>(allocated, ULONGLONG(nMinimum));
    allocated = RoundUp(allocated);
    if (allocated > 0xFFFFFFFFull - GRANULARITY)
        return -1;

    const ULONGLONG offset = m_nDataEnd;
    // The whole block in one write: header, data and zeros up to the allocated length, so that no
    // earlier bytes stay behind in the block.
    std::vector<BYTE> block(static_cast<size_t>(allocated), 0);
    PutLE(block.data(), dwId);
    PutLE(block.data() + 4, static_cast<DWORD>(allocated));
    PutLE(block.data() + 8, static_cast<DWORD>(stored));
    memory.SeekToBegin();
    memory.Read(block.data() + RECORD_HEADER_SIZE, static_cast<UINT>(stored));
    BYTE slot[SLOT_SIZE] = {};
    PutLE(slot, dwId);
    PutLE(slot + 8, offset);
    PutLE(slot + 20, 0xFFFFFFFFu);
    try {
        if (!m_data.EnsureLength(offset + allocated))
            return -1;
        m_data.Seek(static_cast<LONGLONG>(offset), CFile::begin);
        m_data.Write(block.data(), static_cast<UINT>(block.size()));
        // One flush serves the block and the data end: should the data end reach the disk and
        // the block not, the data end merely passes over bytes that no slot points at.
        BYTE end[8];
        PutLE(end, offset + allocated);
        m_data.Seek(8, CFile::begin);
        m_data.Poke(end, sizeof end);
        m_nDataEnd = offset + allocated;
    } catch (CFileException* e) {
        e->Delete();
        return -1;
    }
    std::memcpy(m_index.GetSlot(), slot, SLOT_SIZE);
    if (dwId == static_cast<DWORD>(count)) {
        if (m_index.Append() < 0)
            return -1;
    } else if (!m_index.SeekTo(static_cast<int>(dwId)) || !m_index.Write()) {
        return -1;
    }
    pRecord->SetRecordId(dwId);
    pRecord->SetStoredLength(stored);
    m_header.dwId = dwId;
    m_header.dwAllocated = static_cast<DWORD>(allocated);
    m_header.dwLength = static_cast<DWORD>(stored);
    m_header.wFlags = 0;
    m_nHeaderOffset = offset;
    try {
        m_data.Seek(static_cast<LONGLONG>(offset), CFile::begin);
    } catch (CFileException* e) {
        e->Delete();
    }
    return static_cast<int>(dwId);
}

BOOL CMiniDB::Rewrite(CMiniDBRecord* pRecord) {
    if (pRecord == nullptr || !LocateLive(pRecord->GetRecordId()))
        return FALSE;
    const ULONGLONG oldOffset = m_nHeaderOffset;
    const DWORD oldAllocated = m_header.dwAllocated;
    if (Append(pRecord) < 0)
        return FALSE;
    // The slot points at the new copy now: the old one is given up and its bytes wiped. Should
    // this fail, the old copy is merely left unreferenced.
    try {
        m_data.Seek(static_cast<LONGLONG>(oldOffset), CFile::begin);
        m_data.ModifyFlags16(0, FLAG_ABANDONED, kFlagsOffset);
        ZeroBlock(oldOffset, oldAllocated);
        m_data.Seek(static_cast<LONGLONG>(m_nHeaderOffset), CFile::begin);
    } catch (CFileException* e) {
        e->Delete();
    }
    return TRUE;
}

BOOL CMiniDB::Delete(DWORD dwId) {
    if (!Locate(dwId))
        return FALSE;
    if (m_header.wFlags & FLAG_DELETED)
        return TRUE;
    const ULONGLONG offset = m_nHeaderOffset;
    try {
        m_data.ModifyFlags16(0, FLAG_DELETED, kFlagsOffset);
        m_header.wFlags |= FLAG_DELETED;
        m_nDeletedBytes += m_header.dwAllocated;
        WriteFileHeader();
        ZeroBlock(offset, m_header.dwAllocated);
        m_data.Seek(static_cast<LONGLONG>(offset), CFile::begin);
    } catch (CFileException* e) {
        e->Delete();
        return FALSE;
    }
    return TRUE;
}

void CMiniDB::ZeroBlock(ULONGLONG nOffset, DWORD dwAllocated) {
    static const BYTE zeros[64 * 1024] = {};
    m_data.Seek(static_cast<LONGLONG>(nOffset + RECORD_HEADER_SIZE), CFile::begin);
    for (ULONGLONG left = dwAllocated - RECORD_HEADER_SIZE; left > 0;) {
        const UINT n = static_cast<UINT>(std::min<ULONGLONG>(left, sizeof zeros));
        m_data.Write(zeros, n);
        left -= n;
    }
    m_data.Flush();
}
