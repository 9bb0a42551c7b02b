#include "ui/KovRichEditCtrl.h"

#include "platform/base/Document.h"
#include "platform/base/Exception.h"
#include "platform/base/File.h"

IMPLEMENT_DYNAMIC(CKovRichEditCtrl, CRichEditCtrl)

BEGIN_MESSAGE_MAP(CKovRichEditCtrl, CRichEditCtrl)
ON_WM_GETDLGCODE()
END_MESSAGE_MAP()

UINT CKovRichEditCtrl::OnGetDlgCode() {
    return (UINT)Default();
}

namespace {

// A callback's answer that stops the stream; the control keeps it in dwError.
constexpr DWORD kStreamFailed = 1;

DWORD ReadFileCallback(DWORD_PTR cookie, LPBYTE pBuff, LONG cb, LONG* pcb) {
    *pcb = 0;
    try {
        *pcb = (LONG) reinterpret_cast<CFile*>(cookie)->Read(pBuff, (UINT)cb);
    } catch (CException* e) {
        e->Delete();
        return kStreamFailed;
    }
    return 0;
}

// Writes through CFile or CByteArrayWrapper; a write that throws (a full disk, no memory) stops
// the stream instead of passing for written.
template <class Sink> DWORD WriteCallback(DWORD_PTR cookie, LPBYTE pBuff, LONG cb, LONG* pcb) {
    *pcb = 0;
    try {
        reinterpret_cast<Sink*>(cookie)->Write(pBuff, cb);
    } catch (CException* e) {
        e->Delete();
        return kStreamFailed;
    }
    *pcb = cb;
    return 0;
}

DWORD ReadBufferCallback(DWORD_PTR cookie, LPBYTE pBuff, LONG cb, LONG* pcb) {
    *pcb = reinterpret_cast<CByteArrayWrapper*>(cookie)->Read(pBuff, (int)cb);
    return 0;
}

DWORD CountCallback(DWORD_PTR cookie, LPBYTE, LONG cb, LONG* pcb) {
    *reinterpret_cast<long*>(cookie) += cb;
    *pcb = cb;
    return 0;
}

} // namespace

BOOL StreamInFromFile(CRichEditCtrl& ctrl, const char* lpszPath, UINT nFormat) {
    CFile file;
    if (lpszPath == nullptr || !file.Open(lpszPath, CFile::modeRead | CFile::shareDenyWrite))
        return FALSE;
    EDITSTREAM es{(DWORD_PTR)&file, 0, ReadFileCallback};
    ctrl.StreamIn((int)nFormat, es);
    return es.dwError == 0;
}

BOOL StreamOutToFile(CRichEditCtrl& ctrl, const char* lpszPath, UINT nFormat) {
    if (lpszPath == nullptr)
        return FALSE;
    try {
        CDocument::ReplaceFileWriting(lpszPath, FALSE, [&](CStdioFile& file) {
            EDITSTREAM es{(DWORD_PTR) static_cast<CFile*>(&file), 0, WriteCallback<CFile>};
            ctrl.StreamOut((int)nFormat, es);
            if (es.dwError != 0)
                AfxThrowFileException(CFileException::genericException);
        });
    } catch (CException* e) {
        e->Delete();
        return FALSE;
    }
    return TRUE;
}

long StreamWithByteBuffer(CRichEditCtrl& ctrl, CByteArrayWrapper& buffer, UINT nFormat) {
    if (buffer.IsWriteMode()) {
        EDITSTREAM es{(DWORD_PTR)&buffer, 0, WriteCallback<CByteArrayWrapper>};
        return ctrl.StreamOut((int)nFormat, es);
    }
    const int start = buffer.GetReadPos();
    EDITSTREAM es{(DWORD_PTR)&buffer, 0, ReadBufferCallback};
    long n = ctrl.StreamIn((int)nFormat, es);
    buffer.SetReadPos(start);
    return n;
}

long GetStreamOutLength(CRichEditCtrl& ctrl, UINT nFormat) {
    long count = 0;
    EDITSTREAM es{(DWORD_PTR)&count, 0, CountCallback};
    ctrl.StreamOut((int)nFormat, es);
    return count;
}
