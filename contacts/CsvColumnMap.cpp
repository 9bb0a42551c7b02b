#include "contacts/CsvColumnMap.h"

#include "contacts/CsvSource.h"
#include "contacts/FieldOps.h"
#include "contacts/PersonFields.h"
#include "core/TextFileWriter.h"

namespace {
const char* const kUnchecked = "UNCHECKED";
}

BOOL WriteColumnMap(LPCTSTR lpszPath, const std::vector<SColumnMapEntry>& entries) {
    return WriteTextFile(lpszPath, [&](CStdioFile& file) {
               for (const SColumnMapEntry& entry : entries) {
                   CString name;
                   if (entry.nField >= 0)
                       GetPersonFieldName(entry.nField, name);
                   CString line = QuoteCsvField(entry.strTitle) + "," + QuoteCsvField(name) + ",";
                   if (!entry.bChecked)
                       line += kUnchecked;
                   file.WriteString(line + "\n");
               }
           }) == TEXT_FILE_WRITTEN;
}

BOOL ReadColumnMap(LPCTSTR lpszPath, std::vector<SColumnMapEntry>& entries) {
    entries.clear();
    CCsvSource source;
    if (source.Load(lpszPath) != CCsvSource::CSV_OK)
        return FALSE;
    CStringList record;
    while (source.ReadRecord(record) >= 0) {
        CString parts[3];
        int k = 0;
        for (POSITION pos = record.GetHeadPosition(); pos != nullptr && k < 3; ++k)
            parts[k] = record.GetNext(pos);
        if (parts[0].IsEmpty() || parts[1].IsEmpty())
            continue;
        SColumnMapEntry entry;
        entry.strTitle = parts[0];
        entry.nField = FindPersonFieldByName(parts[1]);
        if (entry.nField < 0)
            continue;
        entry.bChecked = parts[2].Find(kUnchecked) < 0;
        entries.push_back(entry);
    }
    return TRUE;
}
