// A file that stores nothing: it only keeps a position and a length, so that writing a record
// through an archive over it measures how many bytes the record takes.
#pragma once

#include "platform/base/File.h"
#include "platform/base/Types.h"

class CPseudoFile : public CFile {
public:
    CPseudoFile() = default;

    // Copies nothing: answers how many bytes could be read (never past the length) and moves on.
    UINT Read(void* lpBuf, UINT nCount) override;
    // Moves the position on; the length grows when the position passes it.
    void Write(const void* lpBuf, UINT nCount) override;
    // A position before the start throws CFileException::badSeek and leaves the position alone.
    ULONGLONG Seek(LONGLONG lOff, UINT nFrom) override;
    ULONGLONG GetPosition() const override { return m_nPosition; }
    ULONGLONG GetLength() const override { return m_nLength; }
    void SetLength(ULONGLONG dwNewLen) override { m_nLength = dwNewLen; }
    void Flush() override {}
    void Close() override {}
    void Abort() override {}

private:
    ULONGLONG m_nPosition = 0;
    ULONGLONG m_nLength = 0;
};
