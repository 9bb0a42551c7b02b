// libFuzzer entry for the CSV reader: any file must read to its end with every answer either -1
// or the number of fields the record put into the list.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/CsvFile.h"
#include "core/fuzz/FuzzInput.h"
#include "platform/base/OsPath.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& path = fuzz_input::WriteScratchFile("csvfuzz", data, size);
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
