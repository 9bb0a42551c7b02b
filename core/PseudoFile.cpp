#include "core/PseudoFile.h"

#include "platform/base/Exception.h"

UINT CPseudoFile::Read(void*, UINT nCount) {
    const ULONGLONG left = m_nPosition < m_nLength ? m_nLength - m_nPosition : 0;
    const UINT n = left < nCount ? static_cast<UINT>(left) : nCount;
    m_nPosition += n;
    return n;
}

void CPseudoFile::Write(const void*, UINT nCount) {
    m_nPosition += nCount;
    if (m_nPosition > m_nLength)
        m_nLength = m_nPosition;
}

ULONGLONG CPseudoFile::Seek(LONGLONG lOff, UINT nFrom) {
    LONGLONG origin = 0;
    if (nFrom == current)
        origin = static_cast<LONGLONG>(m_nPosition);
    else if (nFrom == end)
        origin = static_cast<LONGLONG>(m_nLength);
    else if (nFrom != begin)
        AfxThrowFileException(CFileException::badSeek);
    LONGLONG target = 0;
    if (__builtin_add_overflow(origin, lOff, &target) || target < 0)
        AfxThrowFileException(CFileException::badSeek);
    m_nPosition = static_cast<ULONGLONG>(target);
    return m_nPosition;
}
