#include "mail/MiniDBRecord.h"

#include "platform/base/Archive.h"
#include "platform/base/Exception.h"

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
