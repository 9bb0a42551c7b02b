// Writing a contact group to a file: CSV (a header line of field names, then one line per
// contact) or card text (a header block, then one block per contact). The file is GBK text with
// CR LF line ends.
#pragma once

#include "contacts/ContactGroup.h"
#include "platform/base/Collections.h"
#include "platform/base/CString.h"

enum GroupExportResult {
    GROUP_EXPORT_OK,
    GROUP_EXPORT_CANNOT_CREATE, // the file could not be made (bad name, no right to write)
    GROUP_EXPORT_WRITE_FAILED,  // writing failed (disk full); the old file is as it was
};

// Fields 0 to 46 in number order.
void GetAllPersonFields(CArray<int, int>& fields);

// The header: the CSV line of field names, or the card text's block with the group's name, the
// number of its contacts (with the sub-groups' when they are exported; locked groups not counted)
// and the time now.
CString BuildGroupExportHeader(_CGroup& group, const CArray<int, int>& fields, int nFormat,
                               DWORD dwFlags);

// Creates the file anew and writes header and records. A write failure removes what was written,
// so that no cut-off file is left looking like a complete export.
GroupExportResult ExportGroupToPath(_CGroup& group, LPCTSTR lpszPath,
                                    const CArray<int, int>& fields, int nFormat, DWORD dwFlags);

// The message shown for a failed write.
extern const char* const kExportWriteFailedMessage;
