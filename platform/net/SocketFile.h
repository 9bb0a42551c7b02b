// A connected blocking socket seen as a file, so that an archive can be written to it and read
// from it. Reads return what arrived (0 at the end of the stream); a socket error, or a wait that
// runs out, throws a CFileException whose OS error is the Windows Sockets number. A socket has
// neither length nor position.
#pragma once

#include "platform/base/File.h"
#include "platform/net/AsyncSocket.h"

class CSocketFile : public CFile {
    DECLARE_DYNAMIC(CSocketFile)
public:
    explicit CSocketFile(CSocket* pSocket, BOOL bArchiveCompatible = TRUE);
    ~CSocketFile() override;

    UINT Read(void* lpBuf, UINT nCount) override;
    void Write(const void* lpBuf, UINT nCount) override;
    void Close() override;
    void Abort() override { Close(); }
    void Flush() override {}

    BOOL Open(LPCTSTR, UINT, CFileException* = nullptr) override;
    ULONGLONG Seek(LONGLONG, UINT) override;
    ULONGLONG GetPosition() const override;
    ULONGLONG GetLength() const override;
    void SetLength(ULONGLONG) override;

private:
    CSocket* m_pSocket;
};
