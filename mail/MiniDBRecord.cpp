#include "mail/MiniDBRecord.h"

#include <cstdlib>

#include "platform/base/Archive.h"
#include "platform/base/Document.h"
#include "platform/base/Exception.h"
#include "platform/base/File.h"

BOOL SerializeWithFile(CFile* pFile, UINT nMode, const std::function<void(CArchive&)>& serialize) {
    if (pFile == nullptr)
        return FALSE;
    try {
        CArchive ar(pFile, nMode | CArchive::bNoFlushOnDelete, 4096);
        serialize(ar);
        ar.Close();
    } catch (CException* e) {
        e->Delete();
        return FALSE;
    }
    return TRUE;
}

BOOL SaveSerializedFile(LPCTSTR lpszPath, const std::function<void(CArchive&)>& serialize) {
    if (lpszPath == nullptr || *lpszPath == '\0')
        return FALSE;
    CMemFile memory(4096);
    if (!SerializeWithFile(&memory, CArchive::store, serialize))
        return FALSE;
    try {
        const ULONGLONG size = memory.GetLength();
        BYTE* data = memory.Detach();
        struct Freer {
            BYTE* p;
            ~Freer() { free(p); }
        } freer{data};
        CDocument::ReplaceFileContents(lpszPath, data, static_cast<size_t>(size));
    } catch (CException* e) {
        e->Delete();
        return FALSE;
    }
    return TRUE;
}
