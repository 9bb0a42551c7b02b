// libFuzzer entry for the CSV reader: any file must read to its end with every answer either -1
// or the number of fields the record put into the list.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "core/CsvFile.h"
#include "platform/base/OsPath.h"

namespace {

// One scratch file per fuzzing process, rewritten for each input and removed at exit.
const std::string& ScratchPath() {
    static const std::string path = [] {
        std::string pattern = "/tmp/quillmar-csvfuzz-XXXXXX";
        const int fd = mkstemp(pattern.data());
        if (fd < 0)
            std::abort();
        close(fd);
        return pattern;
    }();
    static const bool removedAtExit = [] {
        return std::atexit([] { std::remove(path.c_str()); }) == 0;
    }();
    (void)removedAtExit;
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& path = ScratchPath();
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr)
        std::abort();
    std::fwrite(data, 1, size, f);
    std::fclose(f);

    const CString programPath = ProgramPathFromOsPath(path);
    CCsvFile file;
    if (!file.Open(programPath, CFile::modeRead | CFile::typeText))
        std::abort();
    CStringList list;
    size_t records = 0;
    for (int n; (n = file.ReadRecord(list)) != -1; ++records) {
        if (n != list.GetCount() || records > size)
            std::abort();
    }
    file.Close();
    CStringList first;
    ReadCsvFirstRecord(programPath, first);
    return 0;
}
