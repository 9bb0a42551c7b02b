// A byte array with a read position and a write position, for streaming text into and out of a
// stored record (a note's rich text, say).
#pragma once

#include "platform/base/Collections.h"
#include "platform/base/Types.h"

class CArchive;

class CByteArrayWrapper : public CByteArray {
public:
    CByteArrayWrapper() = default;
    // Copies carry the bytes, both positions, the mode and the stored length.
    CByteArrayWrapper(const CByteArrayWrapper& other);
    CByteArrayWrapper& operator=(const CByteArrayWrapper& other);

    // Copies the bytes at the write position, growing the array as needed, and moves the write
    // position past them.
    void Write(const void* pData, int nCount);
    // Copies up to nCount bytes from the read position, never past the write position, and moves
    // the read position past them. Answers the number copied.
    int Read(void* pBuffer, int nCount);

    int GetReadPos() const { return m_nReadPos; }
    void SetReadPos(int nPos) { m_nReadPos = nPos < 0 ? 0 : nPos; }
    int GetWritePos() const { return m_nWritePos; }
    void SetWritePos(int nPos) { m_nWritePos = nPos < 0 ? 0 : nPos; }
    // Write mode: a stream fills the buffer; otherwise it reads from it.
    BOOL IsWriteMode() const { return m_bWriteMode; }
    void SetWriteMode(BOOL bWrite) { m_bWriteMode = bWrite; }
    // The length the owner remembers as stored, to tell later whether the bytes changed. It is
    // not written to the archive.
    int GetStoredLength() const { return m_nStoredLength; }
    void SetStoredLength(int nLength) { m_nStoredLength = nLength; }

    // The bytes only: the array's element count, then the raw bytes. A loaded buffer is ready to
    // be read from its start to its end.
    void Serialize(CArchive& ar) override;

private:
    int m_nReadPos = 0;
    int m_nWritePos = 0;
    BOOL m_bWriteMode = TRUE;
    int m_nStoredLength = 0;
};
