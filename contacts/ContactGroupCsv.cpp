// CSV import into a group and the per-contact export as card text or CSV lines.
#include <vector>

#include "contacts/ContactGroup.h"
#include "contacts/FieldOps.h"
#include "core/CsvFile.h"

namespace {

const char* const kUnnamed = "未命名";
const char* const kVirtualContact = "虚拟联系人";
const char* const kInvalid = "无效的";

// A CSV field: enclosed in quotes, inner quotes doubled, when it holds a quote, a comma or a
// line break.
CString QuoteCsvField(const CString& value) {
    if (value.FindOneOf("\",\r\n") < 0)
        return value;
    CString quoted = value;
    quoted.Replace("\"", "\"\"");
    return "\"" + quoted + "\"";
}

} // namespace

int _CGroup::ImportCsv(LPCTSTR lpszPath, const CArray<int, int>& columnFields, DWORD dwFlags,
                       int nGroupColumn) {
    CCsvFile file;
    if (!file.Open(lpszPath, CFile::modeRead | CFile::shareDenyWrite | CFile::typeText))
        return -1;
    int nKeyColumn = -1;
    if (dwFlags & IMPORT_MERGE)
        for (int i = 0; i < columnFields.GetSize() && nKeyColumn < 0; ++i)
            if (columnFields[i] == PF_NAME)
                nKeyColumn = i;

    CStringList record;
    if (file.ReadRecord(record) < 0)
        return 0; // not even a header
    int nRecords = 0;
    std::vector<CString> values;
    while (file.ReadRecord(record) >= 0) {
        values.clear();
        for (POSITION pos = record.GetHeadPosition(); pos != nullptr;)
            values.push_back(record.GetNext(pos));
        const int nValues = (int)values.size();

        _CPerson* pPerson = nullptr;
        if (nKeyColumn >= 0 && nKeyColumn < nValues && !values[nKeyColumn].IsEmpty())
            pPerson = dynamic_cast<_CPerson*>(FindByName(values[nKeyColumn], FALSE, FALSE, TRUE));
        const BOOL bNew = pPerson == nullptr;
        if (bNew)
            pPerson = new _CPerson(nullptr, TRUE);

        // Columns beyond the map, and map entries beyond the row, are ignored.
        const int nColumns =
            nValues < columnFields.GetSize() ? nValues : (int)columnFields.GetSize();
        for (int i = 0; i < nColumns; ++i)
            if (columnFields[i] >= 0)
                pPerson->SetFieldText(columnFields[i], values[i], FALSE, dwFlags, "\r\n", "-");
        CString path;
        if (nGroupColumn >= 0 && nGroupColumn < nValues)
            path = values[nGroupColumn];
        if (pPerson->GetName().IsEmpty())
            pPerson->SetName(kUnnamed);

        if (bNew) {
            CGroup* pTarget = this;
            if (!path.IsEmpty()) {
                BOOL bCreate = TRUE;
                if (CGroup* pFound = FindOrCreateSubgroupByPath(path, bCreate))
                    pTarget = pFound;
            }
            pTarget->AddContent(pPerson, (dwFlags & IMPORT_SORTED) != 0, nullptr, TRUE, TRUE);
        }
        ++nRecords;
    }
    return nRecords;
}

BOOL _CGroup::ExportPersons(CStdioFile& file, const CArray<int, int>& fields, int nFormat,
                            DWORD dwFlags) {
    if (IsLocked())
        return FALSE;
    if (dwFlags & EXPORT_SUBGROUPS)
        for (POSITION pos = GetFirstSubgroupPosition(); pos != nullptr;)
            GetNextGroup(pos)->ExportPersons(file, fields, nFormat, dwFlags);
    for (POSITION pos = GetFirstContentPosition(); pos != nullptr;) {
        _CPerson* pPerson = GetNextPerson(pos);
        if (pPerson->IsVirtual() && !(dwFlags & EXPORT_LINKS))
            continue;
        ExportPerson(file, pPerson, fields, nFormat, dwFlags);
    }
    return TRUE;
}

void _CGroup::ExportPerson(CStdioFile& file, _CPerson* pPerson, const CArray<int, int>& fields,
                           int nFormat, DWORD dwFlags) {
    const BOOL bLink = pPerson->IsVirtual();
    _CPerson* pSource = bLink ? dynamic_cast<_CPerson*>(pPerson->GetVirtualSource()) : pPerson;
    const BOOL bCurrentOnly = (dwFlags & EXPORT_CURRENT_ONLY) != 0;
    CString record;
    if (nFormat == EXPORT_CARD_TEXT) {
        record = CString('-', 47);
        if (bLink) {
            record += "\n[";
            if (pSource == nullptr)
                record += kInvalid;
            record.AppendFormat("%s:%s]", kVirtualContact, (LPCTSTR)pPerson->GetName());
        }
        for (int k = 0; k < fields.GetSize() && pSource != nullptr; ++k) {
            CString value;
            pSource->GetFieldText(value, fields[k], FALSE, nullptr, "\n", "-", bCurrentOnly);
            if (!value.IsEmpty())
                AppendFieldBlock(record, fields[k], value, "\n");
        }
    } else {
        for (int k = 0; k < fields.GetSize(); ++k) {
            CString value;
            if (fields[k] == PF_NAME) {
                value = pPerson->GetName();
                if (bLink && pSource != nullptr)
                    value.AppendFormat("(%s)", kVirtualContact);
                else if (bLink)
                    value.AppendFormat("(%s%s)", kInvalid, kVirtualContact);
            } else if (pSource != nullptr) {
                pSource->GetFieldText(value, fields[k], FALSE, nullptr, "\n", "-", bCurrentOnly);
            }
            if (k > 0)
                record += ",";
            record += QuoteCsvField(value);
        }
        record.Replace("\r\n", "\n");
    }
    record += "\n";
    file.WriteString(record);
}
