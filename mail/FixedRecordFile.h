// A file of equal-sized slots behind a header of fixed size, read and written one slot at a time
// through a slot buffer. The slot index of the record database and the id lists of mail boxes are
// such files.
#pragma once

#include <climits>
#include <vector>

#include "mail/KovFile.h"
#include "platform/base/Types.h"

class CFixedRecordFile {
public:
    enum : int { BEFORE_FIRST = -1, AT_END = INT_MAX };

    CFixedRecordFile(UINT nSlotSize, UINT nHeaderSize);
    ~CFixedRecordFile();
    CFixedRecordFile(const CFixedRecordFile&) = delete;
    CFixedRecordFile& operator=(const CFixedRecordFile&) = delete;

    // Opens an existing file for reading and writing.
    BOOL Open(LPCTSTR lpszPath);
    // Creates the file (with a zeroed header); FALSE when it exists already.
    BOOL Create(LPCTSTR lpszPath);
    void Close();
    BOOL IsOpen() const { return m_file.m_hFile != CFile::hFileNull; }

    // Below 0 the start (current BEFORE_FIRST), below the count the slot, else the end (AT_END).
    // FALSE when the file cannot seek.
    BOOL SeekTo(int nSlot);
    // The current slot into the slot buffer. FALSE unless a whole slot was read: a short read
    // would leave an earlier slot's bytes in the buffer.
    BOOL Read();
    // The slot buffer into the current slot, flushed to the disk.
    BOOL Write();
    // The slot buffer as a new last slot, flushed; answers its number (which becomes current), or
    // -1 when it cannot be written. The new slot goes right after the last whole slot, so the
    // remains of a slot whose writing was interrupted are overwritten.
    int Append();

    BYTE* GetSlot() { return m_slot.data(); }
    UINT GetSlotSize() const { return static_cast<UINT>(m_slot.size()); }
    int GetCount() const { return m_nCount; }
    int GetCurrent() const { return m_nCurrent; }
    CString GetFilePath() const { return m_file.GetFilePath(); }

private:
    BOOL Start();

    CKovFile m_file;
    std::vector<BYTE> m_slot;
    UINT m_nHeaderSize;
    int m_nCurrent = BEFORE_FIRST;
    int m_nCount = 0;
};
