// libFuzzer entry for the record database: the input is a slot index and a data file (a 4-byte
// length of the index, the index, then the data file). Every operation on every id must answer
// normally, never read or write outside the files' records, and what it stores must load again.
#include <cstdint>
#include <cstring>
#include <string>

#include "core/fuzz/FuzzInput.h"
#include "mail/EmailMessage.h"
#include "mail/MiniDB.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4)
        return 0;
    uint32_t indexSize;
    std::memcpy(&indexSize, data, 4);
    data += 4;
    size -= 4;
    indexSize = static_cast<uint32_t>(std::min<size_t>(indexSize, size));
    const std::string index = fuzz_input::WriteScratchFile("minidb-index", data, indexSize);
    const std::string file =
        fuzz_input::WriteScratchFile("minidb-data", data + indexSize, size - indexSize);
    CMiniDB db;
    if (!db.Open(file.c_str(), index.c_str()))
        return 0;
    const int count = std::min(db.GetCount(), 64);
    for (int id = 0; id < count; ++id) {
        CEmailMessage message;
        if (db.Load(static_cast<DWORD>(id), &message)) {
            message.m_strSubject = "rewritten";
            if (db.Rewrite(&message)) {
                CEmailMessage again;
                if (!db.Load(static_cast<DWORD>(id), &again) || again.m_strSubject != "rewritten")
                    __builtin_trap();
            }
        }
        if (id % 3 == 0)
            db.Delete(static_cast<DWORD>(id));
    }
    CEmailMessage added;
    added.m_strSubject = "added";
    const int id = db.Append(&added);
    CEmailMessage back;
    if (id >= 0 && (!db.Load(static_cast<DWORD>(id), &back) || back.m_strSubject != "added"))
        __builtin_trap();
    return 0;
}
