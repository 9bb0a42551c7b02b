#include "platform/net/SocketFile.h"

#include <algorithm>
#include <climits>

IMPLEMENT_DYNAMIC(CSocketFile, CFile)

CSocketFile::CSocketFile(CSocket* pSocket, BOOL) : m_pSocket(pSocket) {}

CSocketFile::~CSocketFile() = default;

UINT CSocketFile::Read(void* lpBuf, UINT nCount) {
    if (m_pSocket == nullptr)
        AfxThrowFileException(CFileException::genericException, WSAENOTSOCK);
    int n = m_pSocket->Receive(lpBuf, static_cast<int>(std::min<UINT>(nCount, INT_MAX)));
    if (n == SOCKET_ERROR)
        AfxThrowFileException(CFileException::genericException, CAsyncSocket::GetLastError());
    return static_cast<UINT>(n);
}

void CSocketFile::Write(const void* lpBuf, UINT nCount) {
    if (m_pSocket == nullptr)
        AfxThrowFileException(CFileException::genericException, WSAENOTSOCK);
    const char* p = static_cast<const char*>(lpBuf);
    while (nCount > 0) {
        int chunk = static_cast<int>(std::min<UINT>(nCount, INT_MAX));
        if (m_pSocket->Send(p, chunk) == SOCKET_ERROR)
            AfxThrowFileException(CFileException::genericException, CAsyncSocket::GetLastError());
        p += chunk;
        nCount -= static_cast<UINT>(chunk);
    }
}

void CSocketFile::Close() {
    // The socket belongs to the caller, who closes it.
    m_pSocket = nullptr;
}

BOOL CSocketFile::Open(LPCTSTR, UINT, CFileException*) {
    AfxThrowNotSupportedException();
}

ULONGLONG CSocketFile::Seek(LONGLONG, UINT) {
    AfxThrowNotSupportedException();
}

ULONGLONG CSocketFile::GetPosition() const {
    AfxThrowNotSupportedException();
}

ULONGLONG CSocketFile::GetLength() const {
    AfxThrowNotSupportedException();
}

void CSocketFile::SetLength(ULONGLONG) {
    AfxThrowNotSupportedException();
}
