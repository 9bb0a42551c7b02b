#include "mail/KovFile.h"

#include <cerrno>
#include <unistd.h>

#include "platform/base/Exception.h"

namespace {
CKovFile::WriteHook g_writeHook = nullptr;
CKovFile::WriteHook g_flushHook = nullptr;
}

void CKovFile::SetWriteHookForTesting(WriteHook hook) {
    g_writeHook = hook;
}

void CKovFile::SetFlushHookForTesting(WriteHook hook) {
    g_flushHook = hook;
}

void CKovFile::Write(const void* lpBuf, UINT nCount) {
    if (g_writeHook != nullptr)
        g_writeHook();
    CFile::Write(lpBuf, nCount);
}

void CKovFile::SetLength(ULONGLONG dwNewLen) {
    if (g_writeHook != nullptr)
        g_writeHook();
    CFile::SetLength(dwNewLen);
}

void CKovFile::Flush() {
    if (m_hFile != hFileNull && fdatasync(m_hFile) != 0 && errno != EINVAL)
        ThrowErrno(errno);
    if (g_flushHook != nullptr)
        g_flushHook();
}

UINT CKovFile::Peek(void* lpBuf, UINT nCount) {
    const UINT n = Read(lpBuf, nCount);
    Seek(-static_cast<LONGLONG>(n), current);
    return n;
}

UINT CKovFile::PeekAt(void* lpBuf, UINT nCount, LONGLONG lOffset) {
    Seek(lOffset, current);
    const UINT n = Read(lpBuf, nCount);
    Seek(-(lOffset + static_cast<LONGLONG>(n)), current);
    return n;
}

void CKovFile::Poke(const void* lpBuf, UINT nCount) {
    Write(lpBuf, nCount);
    Flush();
    Seek(-static_cast<LONGLONG>(nCount), current);
}

void CKovFile::PokeAt(const void* lpBuf, UINT nCount, LONGLONG lOffset) {
    Seek(lOffset, current);
    Write(lpBuf, nCount);
    Flush();
    Seek(-(lOffset + static_cast<LONGLONG>(nCount)), current);
}

void CKovFile::ModifyFlags16(DWORD dwClear, DWORD dwSet, LONGLONG lOffset) {
    WORD w = 0;
    if (PeekAt(&w, sizeof w, lOffset) != sizeof w)
        AfxThrowFileException(CFileException::endOfFile, -1, GetFilePath());
    if (dwClear & 0xFFFF)
        w &= static_cast<WORD>(~dwClear);
    if (dwSet & 0xFFFF)
        w |= static_cast<WORD>(dwSet);
    PokeAt(&w, sizeof w, lOffset);
}

BOOL CKovFile::EnsureLength(ULONGLONG nLength) {
    try {
        if (GetLength() >= nLength)
            return TRUE;
        SavePosition();
        SetLength(nLength);
        RestorePosition();
        return TRUE;
    } catch (CFileException* e) {
        e->Delete();
        return FALSE;
    }
}
