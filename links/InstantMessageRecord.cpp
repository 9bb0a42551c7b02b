#include "links/InstantMessageRecord.h"

#include "platform/base/Archive.h"
#include "platform/base/Exception.h"
#include "platform/base/File.h"

std::vector<BYTE> StoreInstantMessage(const InstantMessageRecord& record) {
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        ar << record.content << record.sender << record.subject;
        ar.Close();
    }
    std::vector<BYTE> bytes(static_cast<size_t>(file.GetLength()));
    file.SeekToBegin();
    if (!bytes.empty())
        file.Read(bytes.data(), static_cast<UINT>(bytes.size()));
    return bytes;
}

InstantMessageParse ParseInstantMessage(const std::vector<BYTE>& bytes,
                                        InstantMessageRecord& record) {
    std::vector<BYTE> copy = bytes; // the file reads over a buffer it may not own
    CMemFile file(copy.data(), static_cast<UINT>(copy.size()));
    try {
        CArchive ar(&file, CArchive::load);
        InstantMessageRecord r;
        ar >> r.content >> r.sender >> r.subject;
        ar.Close();
        record = r;
        return InstantMessageParse::complete;
    } catch (CArchiveException* e) {
        // Data that stop early may still be on their way; anything else cannot become a record.
        bool early = e->m_cause == CArchiveException::endOfFile;
        e->Delete();
        return early ? InstantMessageParse::incomplete : InstantMessageParse::damaged;
    } catch (CException* e) {
        e->Delete();
        return InstantMessageParse::damaged;
    }
}
