// CSV import into a group and the per-contact export as card text or CSV lines.
#include <algorithm>
#include <string>
#include <unordered_map>
#include <vector>

#include "contacts/ContactGroup.h"
#include "contacts/CsvSource.h"
#include "contacts/FieldOps.h"

namespace {

const char* const kUnnamed = "未命名";
const char* const kVirtualContact = "虚拟联系人";
const char* const kInvalid = "无效的";

// Contacts waiting to be sorted into one group. Inserting them one by one walks the group's list
// for each; sorting the batch first lets one walk place them all, in the same places.
struct PendingGroup {
    CGroup* pGroup;
    std::vector<_CPerson*> persons;
};

void InsertSortedBatch(CGroup* pGroup, std::vector<_CPerson*>& persons) {
    std::stable_sort(persons.begin(), persons.end(),
                     [](const _CPerson* a, const _CPerson* b) { return a->CompareName(b) < 0; });
    const CObList& list = static_cast<const CGroup*>(pGroup)->GetContentList();
    POSITION pos = list.GetHeadPosition();
    for (_CPerson* pPerson : persons) {
        // Equal names go after the ones already there, as a single sorted insertion places them.
        while (pos != nullptr &&
               static_cast<const CContent*>(list.GetAt(pos))->CompareName(pPerson) <= 0)
            list.GetNext(pos);
        if (pos != nullptr)
            pGroup->AddContent(pPerson, FALSE, pos, FALSE, TRUE);
        else
            pGroup->AddContent(pPerson, FALSE, nullptr, TRUE, TRUE);
    }
}

// Every contact that is not a link, by name, the first in the order a search by name meets them
// (a group's own contacts, then its sub-groups in turn).
void IndexByName(_CGroup* pGroup, std::unordered_map<std::string, _CPerson*>& index) {
    for (POSITION pos = pGroup->GetFirstPersonPosition(); pos != nullptr;) {
        _CPerson* pPerson = pGroup->GetNextPerson(pos);
        if (!pPerson->IsVirtual())
            index.emplace(std::string(pPerson->GetName().GetString(),
                                      (size_t)pPerson->GetName().GetLength()),
                          pPerson);
    }
    for (POSITION pos = pGroup->GetFirstSubgroupPosition(); pos != nullptr;)
        IndexByName(pGroup->GetNextGroup(pos), index);
}

std::string Key(const CString& s) {
    return std::string(s.GetString(), (size_t)s.GetLength());
}

} // namespace

int _CGroup::ImportCsv(LPCTSTR lpszPath, const CArray<int, int>& columnFields, DWORD dwFlags,
                       int nGroupColumn, SCsvImportReport* pReport) {
    SCsvImportReport report;
    if (pReport == nullptr)
        pReport = &report;
    *pReport = SCsvImportReport();
    CCsvSource source;
    const CCsvSource::Status status = source.Load(lpszPath);
    CStringList record;
    if (status != CCsvSource::CSV_OK || source.ReadRecord(record) < 0) {
        // A file that is not text, or holds not even the header, imports nothing at all.
        pReport->nStatus = status != CCsvSource::CSV_OK ? status : CCsvSource::CSV_NO_HEADER;
        pReport->strMessage = CCsvSource::GetStatusMessage((CCsvSource::Status)pReport->nStatus);
        return -1;
    }
    int nKeyColumn = -1;
    if (dwFlags & IMPORT_MERGE)
        for (int i = 0; i < columnFields.GetSize() && nKeyColumn < 0; ++i)
            if (columnFields[i] == PF_NAME)
                nKeyColumn = i;
    std::unordered_map<std::string, _CPerson*> byName;
    if (nKeyColumn >= 0)
        IndexByName(this, byName);

    std::vector<PendingGroup> pending;
    int nRecords = 0;
    std::vector<CString> values;
    try {
        while (source.ReadRecord(record) >= 0) {
            values.clear();
            for (POSITION pos = record.GetHeadPosition(); pos != nullptr;)
                values.push_back(record.GetNext(pos));
            const int nValues = (int)values.size();

            _CPerson* pPerson = nullptr;
            if (nKeyColumn >= 0 && nKeyColumn < nValues && !values[nKeyColumn].IsEmpty()) {
                auto it = byName.find(Key(values[nKeyColumn]));
                if (it != byName.end())
                    pPerson = it->second;
            }
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
                if (dwFlags & IMPORT_SORTED) {
                    auto it = std::find_if(pending.begin(), pending.end(),
                                           [&](const PendingGroup& g) { return g.pGroup == pTarget; });
                    if (it == pending.end())
                        it = pending.insert(pending.end(), PendingGroup{pTarget, {}});
                    it->persons.push_back(pPerson);
                } else {
                    pTarget->AddContent(pPerson, FALSE, nullptr, TRUE, TRUE);
                }
                if (nKeyColumn >= 0)
                    byName.emplace(Key(pPerson->GetName()), pPerson);
            }
            ++nRecords;
        }
    } catch (...) {
        for (PendingGroup& group : pending)
            for (_CPerson* pPerson : group.persons)
                delete pPerson;
        throw;
    }
    for (PendingGroup& group : pending)
        InsertSortedBatch(group.pGroup, group.persons);
    pReport->nLossyValues = source.GetLossyValueCount();
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
