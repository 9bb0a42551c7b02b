// CSV import into a group and the per-contact export as card text or CSV lines.
#include <algorithm>
#include <new>
#include <string>
#include <unordered_map>
#include <vector>

#include "contacts/ContactGroup.h"
#include "contacts/CsvSource.h"
#include "contacts/FieldOps.h"
#include "platform/base/Archive.h"
#include "platform/base/Exception.h"
#include "platform/base/File.h"

namespace {

const char* const kUnnamed = "未命名";

// Records an import reads before memory "runs out"; negative: never.
int g_nImportRecordsBeforeFailure = -1;
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
                       int nGroupColumn, SCsvImportReport* pReport, CICsvProgress* pProgress) {
    SCsvImportReport report;
    if (pReport == nullptr)
        pReport = &report;
    *pReport = SCsvImportReport();
    CCsvSource source;
    auto fail = [&](CCsvSource::Status status) {
        pReport->nStatus = status;
        pReport->strMessage = CCsvSource::GetStatusMessage(status, source.GetUnclosedQuoteLine());
        return -1;
    };
    source.SetProgress(pProgress);
    CStringList record;
    try {
        const CCsvSource::Status status = source.Load(lpszPath);
        // A file that is not text, or holds not even the header, imports nothing at all.
        if (status != CCsvSource::CSV_OK)
            return fail(status);
        const int nTitles = source.ReadRecord(record);
        // A quote left open takes the lines after it into one value: the header, or the last
        // record, would swallow the rest of the file. Nothing is imported from such a file.
        if (source.GetUnclosedQuoteLine() > 0)
            return fail(CCsvSource::CSV_UNCLOSED_QUOTE);
        if (source.IsCancelled())
            return fail(CCsvSource::CSV_CANCELLED);
        if (nTitles < 0)
            return fail(source.HasReadFailed() ? CCsvSource::CSV_READ_ERROR
                                               : CCsvSource::CSV_NO_HEADER);
    } catch (const std::bad_alloc&) {
        return fail(CCsvSource::CSV_NO_MEMORY);
    } catch (CMemoryException* e) {
        e->Delete();
        return fail(CCsvSource::CSV_NO_MEMORY);
    }
    int nKeyColumn = -1;
    if (dwFlags & IMPORT_MERGE)
        for (int i = 0; i < columnFields.GetSize() && nKeyColumn < 0; ++i)
            if (columnFields[i] == PF_NAME)
                nKeyColumn = i;

    // Nothing of the book changes until every record is read: new contacts wait with the path
    // of their group, and a contact already there keeps its stored details from before its first
    // merge. A file that cannot be read to its end, or memory that runs out, then leaves the
    // book as it was.
    struct NewPerson {
        _CPerson* pPerson;
        CString path;
    };
    struct MergedPerson {
        _CPerson* pPerson;
        std::vector<BYTE> details;
        CTime modified;
    };
    std::vector<NewPerson> added;
    std::vector<MergedPerson> merged;
    std::unordered_map<std::string, _CPerson*> byName;
    std::unordered_map<_CPerson*, bool> isNew; // with merging: each contact met, new or not
    int nRecords = 0;
    auto rollBack = [&] {
        for (NewPerson& n : added)
            delete n.pPerson;
        added.clear();
        for (MergedPerson& m : merged) {
            CMemFile file(m.details.data(), (UINT)m.details.size());
            CArchive ar(&file, CArchive::load);
            m.pPerson->GetInfo().Serialize(ar);
            ar.Close();
            m.pPerson->SetModifiedTime(m.modified);
        }
    };
    try {
        if (nKeyColumn >= 0)
            IndexByName(this, byName);
        std::vector<CString> values;
        while (source.ReadRecord(record) >= 0) {
            if (g_nImportRecordsBeforeFailure >= 0 && nRecords >= g_nImportRecordsBeforeFailure)
                throw std::bad_alloc();
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
            if (bNew) {
                pPerson = new _CPerson(nullptr, TRUE);
                try {
                    added.push_back(NewPerson{pPerson, CString()});
                } catch (...) {
                    delete pPerson;
                    throw;
                }
                if (nKeyColumn >= 0)
                    isNew.emplace(pPerson, true);
            } else if (isNew.emplace(pPerson, false).second) {
                // The first change to a contact of the book: its details as they were.
                CMemFile file;
                {
                    CArchive ar(&file, CArchive::store);
                    pPerson->GetInfo().Serialize(ar);
                    ar.Close();
                }
                MergedPerson m{pPerson, std::vector<BYTE>((size_t)file.GetLength()),
                               pPerson->GetModifiedTime()};
                file.SeekToBegin();
                if (!m.details.empty())
                    file.Read(m.details.data(), (UINT)m.details.size());
                merged.push_back(std::move(m));
            }

            // Columns beyond the map, and map entries beyond the row, are ignored.
            const int nColumns =
                nValues < columnFields.GetSize() ? nValues : (int)columnFields.GetSize();
            for (int i = 0; i < nColumns; ++i)
                if (columnFields[i] >= 0)
                    pPerson->SetFieldText(columnFields[i], values[i], FALSE, dwFlags, "\r\n", "-");
            if (pPerson->GetName().IsEmpty())
                pPerson->SetName(kUnnamed);
            if (bNew) {
                if (nGroupColumn >= 0 && nGroupColumn < nValues)
                    added.back().path = values[nGroupColumn];
                if (nKeyColumn >= 0)
                    byName.emplace(Key(pPerson->GetName()), pPerson);
            }
            // A new contact waits in the compact form a contact read from a book has.
            if (bNew || isNew[pPerson])
                pPerson->PackDetails();
            ++nRecords;
        }
        if (source.IsCancelled()) {
            rollBack();
            return fail(CCsvSource::CSV_CANCELLED);
        }
        if (source.HasReadFailed()) {
            rollBack();
            return fail(CCsvSource::CSV_READ_ERROR);
        }
        if (source.GetUnclosedQuoteLine() > 0) {
            rollBack();
            return fail(CCsvSource::CSV_UNCLOSED_QUOTE);
        }
    } catch (const std::bad_alloc&) {
        rollBack();
        return fail(CCsvSource::CSV_NO_MEMORY);
    } catch (CMemoryException* e) {
        e->Delete();
        rollBack();
        return fail(CCsvSource::CSV_NO_MEMORY);
    } catch (...) {
        rollBack();
        throw;
    }

    // Every record is read: the new contacts go into their groups.
    std::vector<PendingGroup> pending;
    std::unordered_map<std::string, CGroup*> groups;
    for (NewPerson& n : added) {
        CGroup* pTarget = this;
        if (!n.path.IsEmpty()) {
            auto it = groups.find(Key(n.path));
            if (it == groups.end()) {
                BOOL bCreate = TRUE;
                CGroup* pFound = FindOrCreateSubgroupByPath(n.path, bCreate);
                it = groups.emplace(Key(n.path), pFound != nullptr ? pFound : this).first;
            }
            pTarget = it->second;
        }
        if (dwFlags & IMPORT_SORTED) {
            auto it = std::find_if(pending.begin(), pending.end(),
                                   [&](const PendingGroup& g) { return g.pGroup == pTarget; });
            if (it == pending.end())
                it = pending.insert(pending.end(), PendingGroup{pTarget, {}});
            it->persons.push_back(n.pPerson);
        } else {
            pTarget->AddContent(n.pPerson, FALSE, nullptr, TRUE, TRUE);
        }
    }
    for (PendingGroup& group : pending)
        InsertSortedBatch(group.pGroup, group.persons);
    pReport->nLossyValues = source.GetLossyValueCount();
    return nRecords;
}

int SetCsvImportFailureForTesting(int nRecords) {
    const int old = g_nImportRecordsBeforeFailure;
    g_nImportRecordsBeforeFailure = nRecords;
    return old;
}

// Records are gathered here and written a block at a time: a write per record, and a string per
// field on the way, cost more than making the text. Line ends are "\n", which the text file
// writes as CR LF.
struct _CGroup::SExportBuffer {
    explicit SExportBuffer(CStdioFile& f) : file(f) {}
    void WriteIfFull() {
        if (text.size() >= 1 << 16)
            Write();
    }
    void Write() {
        file.Write(text.data(), static_cast<UINT>(text.size()));
        text.clear();
    }
    CStdioFile& file;
    std::string text;
    std::string value; // a field's text while it is written again with quotes
};

BOOL _CGroup::ExportPersons(CStdioFile& file, const CArray<int, int>& fields, int nFormat,
                            DWORD dwFlags) {
    SExportBuffer buffer(file);
    const BOOL bDone = ExportPersonsTo(buffer, fields, nFormat, dwFlags);
    buffer.Write();
    return bDone;
}

BOOL _CGroup::ExportPersonsTo(SExportBuffer& buffer, const CArray<int, int>& fields, int nFormat,
                              DWORD dwFlags) {
    if (IsLocked())
        return FALSE;
    if (dwFlags & EXPORT_SUBGROUPS)
        for (POSITION pos = GetFirstSubgroupPosition(); pos != nullptr;)
            GetNextGroup(pos)->ExportPersonsTo(buffer, fields, nFormat, dwFlags);
    for (POSITION pos = GetFirstContentPosition(); pos != nullptr;) {
        _CPerson* pPerson = GetNextPerson(pos);
        if (pos != nullptr)
            static_cast<const _CPerson*>(GetContentList().GetAt(pos))->PrefetchDetails();
        if (pPerson->IsVirtual() && !(dwFlags & EXPORT_LINKS))
            continue;
        ExportPerson(buffer, pPerson, fields, nFormat, dwFlags);
        buffer.WriteIfFull();
    }
    return TRUE;
}

void _CGroup::ExportPerson(SExportBuffer& buffer, _CPerson* pPerson, const CArray<int, int>& fields,
                           int nFormat, DWORD dwFlags) {
    const BOOL bLink = pPerson->IsVirtual();
    _CPerson* pSource = bLink ? dynamic_cast<_CPerson*>(pPerson->GetVirtualSource()) : pPerson;
    const BOOL bCurrentOnly = (dwFlags & EXPORT_CURRENT_ONLY) != 0;
    std::string& out = buffer.text;
    if (nFormat == EXPORT_CARD_TEXT) {
        CString record('-', 47);
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
        out.append(record.GetString(), (size_t)record.GetLength()) += '\n';
        return;
    }
    const size_t recordAt = out.size();
    for (int k = 0; k < fields.GetSize(); ++k) {
        if (k > 0)
            out += ',';
        // The value goes straight into the record; the few that need quotes are written again.
        const size_t valueAt = out.size();
        if (fields[k] == PF_NAME) {
            const CString& name = pPerson->GetName();
            out.append(name.GetString(), (size_t)name.GetLength());
            if (bLink) {
                out += '(';
                if (pSource == nullptr)
                    out += kInvalid;
                (out += kVirtualContact) += ')';
            }
        } else if (pSource != nullptr) {
            pSource->AppendFieldText(out, fields[k], "\n", "-", bCurrentOnly);
        }
        if (CsvFieldNeedsQuotes(out.data() + valueAt, out.size() - valueAt)) {
            buffer.value.assign(out, valueAt);
            out.resize(valueAt);
            AppendCsvField(out, buffer.value.data(), buffer.value.size());
        }
    }
    // A CR LF inside a value is written as the line end it stands for, like a lone LF.
    size_t to = out.find('\r', recordAt);
    if (to != std::string::npos) {
        for (size_t from = to; from < out.size(); ++from)
            if (!(out[from] == '\r' && from + 1 < out.size() && out[from + 1] == '\n'))
                out[to++] = out[from];
        out.resize(to);
    }
    out += '\n';
}
