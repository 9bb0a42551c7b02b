#include "core/ByteArrayWrapper.h"

#include <algorithm>
#include <cstring>

#include "platform/base/Archive.h"

CByteArrayWrapper::CByteArrayWrapper(const CByteArrayWrapper& other) : CByteArray() {
    *this = other;
}

CByteArrayWrapper& CByteArrayWrapper::operator=(const CByteArrayWrapper& other) {
    if (this != &other) {
        Copy(other);
        m_nReadPos = other.m_nReadPos;
        m_nWritePos = other.m_nWritePos;
        m_bWriteMode = other.m_bWriteMode;
        m_nStoredLength = other.m_nStoredLength;
    }
    return *this;
}

void CByteArrayWrapper::Write(const void* pData, int nCount) {
    if (pData == nullptr || nCount <= 0)
        return;
    if (m_nWritePos + nCount > GetSize())
        SetSize(m_nWritePos + nCount);
    std::memcpy(GetData() + m_nWritePos, pData, static_cast<size_t>(nCount));
    m_nWritePos += nCount;
}

int CByteArrayWrapper::Read(void* pBuffer, int nCount) {
    const int end = std::min(m_nWritePos, GetSize());
    const int n = std::min(nCount, end - m_nReadPos);
    if (pBuffer == nullptr || n <= 0)
        return 0;
    std::memcpy(pBuffer, GetData() + m_nReadPos, static_cast<size_t>(n));
    m_nReadPos += n;
    return n;
}

void CByteArrayWrapper::Serialize(CArchive& ar) {
    CByteArray::Serialize(ar);
    if (ar.IsLoading()) {
        // Reading stops at the write position: without moving it to the end, a loaded body
        // would read back as empty.
        m_nReadPos = 0;
        m_nWritePos = GetSize();
    }
}
