// libFuzzer entry for the record database: the input is a slot index and a data file (a 4-byte
// length of the index, the index, then the data file). Every operation on every id must answer
// normally, never read or write outside the files' records, and what it stores must load again.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>
#include <cstring>
#include <string>

#include "mail/EmailMessage.h"
#include "mail/MiniDB.h"

namespace {

void WriteFile(const std::string& path, const uint8_t* data, size_t size) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr || (size > 0 && std::fwrite(data, 1, size, f) != size))
        std::abort();
    std::fclose(f);
}

// The message's stored bytes.
std::string Stored(CEmailMessage& message) {
    CMemFile file;
    message.SaveToFile(&file);
    std::string bytes(static_cast<size_t>(file.GetLength()), '\0');
    file.SeekToBegin();
    file.Read(bytes.data(), static_cast<UINT>(bytes.size()));
    return bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4)
        return 0;
    uint32_t indexSize;
    std::memcpy(&indexSize, data, 4);
    data += 4;
    size -= 4;
    indexSize = static_cast<uint32_t>(std::min<size_t>(indexSize, size));
    // The store flushes every write; in a memory file system that costs nothing.
    // Never destroyed: the clean-up at exit still needs it.
    static const std::string& folder = *new std::string([] {
        std::string pattern = access("/dev/shm", W_OK) == 0 ? "/dev/shm/quillmar-minidb-XXXXXX"
                                                            : "/tmp/quillmar-minidb-XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr)
            std::abort();
        return pattern;
    }());
    static const bool removedAtExit = std::atexit([] { std::filesystem::remove_all(folder); }) == 0;
    (void)removedAtExit;
    const std::string index = folder + "/index", file = folder + "/data";
    WriteFile(index, data, indexSize);
    WriteFile(file, data + indexSize, size - indexSize);
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
                if (!db.Load(static_cast<DWORD>(id), &again) || Stored(again) != Stored(message))
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
