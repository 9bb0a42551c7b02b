// libFuzzer entry for CSV files from other programs: the input is read as a CSV source (every
// encoding rule, the header) and imported with every column mapped, sorted and merged. Nothing
// may crash, and whatever is imported must export again.
#include <cstdint>
#include <string>

#include <unistd.h>

#include "contacts/ContactGroup.h"
#include "contacts/CsvSource.h"
#include "contacts/GroupExport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    CCsvSource source;
    if (source.LoadBytes(bytes) == CCsvSource::CSV_OK) {
        CStringList record;
        while (source.ReadRecord(record) >= 0) {
        }
    }
    char path[] = "/tmp/quillmar-csvfuzz-XXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0)
        return 0;
    (void)!write(fd, bytes.data(), bytes.size());
    close(fd);
    CArray<int, int> map;
    for (int i = 0; i < PERSON_FIELD_COUNT; ++i)
        map.Add(i);
    _CGroup group("");
    group.ImportCsv(path, map, _CGroup::IMPORT_SORTED | _CGroup::IMPORT_MERGE, PERSON_FIELD_COUNT - 1);
    CArray<int, int> all;
    GetAllPersonFields(all);
    ExportGroupToPath(group, path, all, _CGroup::EXPORT_CSV, _CGroup::EXPORT_SUBGROUPS);
    unlink(path);
    return 0;
}
