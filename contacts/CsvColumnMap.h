// Column-map files (".map"): which CSV column goes to which contact field. One line per column:
// the column's title, the field's name (empty when the column maps to none) and "UNCHECKED" for a
// column left out of the import (empty otherwise). Each part is quoted as the CSV export quotes
// its values, so that a title holding a comma or a quote reads back whole; files written without
// quoting read the same as before.
#pragma once

#include <vector>

#include "platform/base/CString.h"

struct SColumnMapEntry {
    CString strTitle;
    int nField = -1; // the contact field, -1 none
    BOOL bChecked = TRUE;
};

// FALSE when the file could not be written completely (nothing partial is left behind).
BOOL WriteColumnMap(LPCTSTR lpszPath, const std::vector<SColumnMapEntry>& entries);
// The lines whose title and field name are both present and whose field name is a contact
// field's (FindPersonFieldByName). FALSE when the file cannot be read as text.
BOOL ReadColumnMap(LPCTSTR lpszPath, std::vector<SColumnMapEntry>& entries);
