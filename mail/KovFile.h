// A random-access file with helpers that read or write at the current position, or at an offset
// from it, and then return to it; and a saved position to come back to.
#pragma once

#include "platform/base/File.h"
#include "platform/base/Types.h"

class CKovFile : public CFile {
public:
    CKovFile() = default;

    // Reads n bytes, then seeks back by the number read; answers that number.
    UINT Peek(void* lpBuf, UINT nCount);
    // The same at the offset from the current position.
    UINT PeekAt(void* lpBuf, UINT nCount, LONGLONG lOffset);
    // Writes n bytes, flushes them to the disk and seeks back.
    void Poke(const void* lpBuf, UINT nCount);
    void PokeAt(const void* lpBuf, UINT nCount, LONGLONG lOffset);
    // Reads the 16-bit word at the offset, clears the bits of the clear mask and sets those of the
    // set mask (a mask whose low 16 bits are zero changes nothing), and writes it back.
    void ModifyFlags16(DWORD dwClear, DWORD dwSet, LONGLONG lOffset);

    void SavePosition() { m_savedPosition = GetPosition(); }
    void RestorePosition() { Seek(static_cast<LONGLONG>(m_savedPosition), begin); }
    // Makes the file at least that long (the position stays); FALSE when it cannot grow.
    BOOL EnsureLength(ULONGLONG nLength);

    void Write(const void* lpBuf, UINT nCount) override;
    void SetLength(ULONGLONG dwNewLen) override;
    // Data and length reach the disk; other metadata (times) may follow later.
    void Flush() override;

    // Called before every write and length change of any such file: tests stop a writer there, by
    // throwing a file exception or by ending the process, to see what an interrupted write leaves.
    using WriteHook = void (*)();
    static void SetWriteHookForTesting(WriteHook hook);
    // Called after every flush of any such file: tests see that a write reached the disk.
    static void SetFlushHookForTesting(WriteHook hook);

private:
    ULONGLONG m_savedPosition = 0;
};
