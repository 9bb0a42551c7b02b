// libFuzzer entry for the festival files: any text loads, and every day of a year can be asked.
#include <cstdint>

#include "calendar/FestivalTable.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CFestivalTable table;
    table.LoadText(reinterpret_cast<const char*>(data), size);
    CStringList names;
    for (CDate d(2023, 1, 1); d.GetYear() == 2023; d.NextDay())
        table.GetFestivals(d, names);
    return 0;
}
