#include "mail/MiniDBGroup.h"

#include "mail/MiniDBRecord.h"

#include <sys/stat.h>

#include <cstring>

#include "core/FileUtil.h"
#include "platform/base/Archive.h"
#include "platform/base/Document.h"
#include "platform/base/Exception.h"
#include "platform/base/File.h"
#include "platform/base/OsPath.h"

namespace {
constexpr DWORD kFree = 0xFFFFFFFF;

// A file that is there but is not a regular file (followed through links): a pipe would hold
// the open, a device or a folder reads as nothing, so the box would open without its mail.
bool IsThereButIrregular(const CString& path) {
    struct stat st;
    return ::stat(OsPathFromProgramPath(path).c_str(), &st) == 0 && !S_ISREG(st.st_mode);
}
} // namespace

CMiniDBGroup::CMiniDBGroup() : m_idList(sizeof(DWORD), 0) {
    // A box holds tens of thousands of mails: its table grows with them, so that a lookup stays
    // short and listing the box stays linear.
    m_idMap.SetGrowth(TRUE);
}

CMiniDBGroup::~CMiniDBGroup() = default;

CString CMiniDBGroup::GetIdListPath() const {
    CString path = m_strPath;
    if (m_strIdListName.IsEmpty()) {
        ChangeFileExtension(path, "gp");
        return path;
    }
    CString name = m_strIdListName;
    ResolveRelativePath(name, m_strPath, TRUE);
    return name;
}

BOOL CMiniDBGroup::Create(LPCTSTR lpszPath) {
    m_strPath = lpszPath != nullptr ? lpszPath : "";
    m_idMap.RemoveAll();
    m_freeSlots.clear();
    return !m_strPath.IsEmpty() && m_idList.Create(GetIdListPath());
}

BOOL CMiniDBGroup::Open(LPCTSTR lpszPath) {
    m_strIrregularFile.Empty();
    if (lpszPath != nullptr) {
        m_strPath = lpszPath;
        if (IsThereButIrregular(m_strPath)) {
            m_strIrregularFile = m_strPath;
            return FALSE;
        }
        // A group file that is missing or damaged still leaves the box's mail reachable through
        // its id list; the box keeps its attributes as they were.
        Load(m_strPath);
    }
    m_idMap.RemoveAll();
    m_freeSlots.clear();
    const CString idList = GetIdListPath();
    if (IsThereButIrregular(idList)) {
        m_strIrregularFile = idList;
        return FALSE;
    }
    if (!m_idList.Open(idList))
        return FALSE;
    for (int slot = 0; slot < m_idList.GetCount(); ++slot) {
        if (!m_idList.SeekTo(slot) || !m_idList.Read()) {
            m_idList.Close();
            m_idMap.RemoveAll();
            return FALSE;
        }
        DWORD id;
        std::memcpy(&id, m_idList.GetSlot(), sizeof id);
        if (id == kFree) {
            m_freeSlots.insert(slot);
        } else {
            m_idMap[id] = slot;
        }
    }
    return TRUE;
}

BOOL CMiniDBGroup::Load(LPCTSTR lpszPath) {
    CFile file;
    if (lpszPath == nullptr || !file.Open(lpszPath, CFile::modeRead | CFile::shareDenyWrite))
        return FALSE;
    try {
        if (file.GetLength() == 0)
            return TRUE;
    } catch (CException* e) {
        e->Delete();
        return FALSE;
    }
    return SerializeWithFile(&file, CArchive::load, [this](CArchive& ar) { Serialize(ar); });
}

BOOL CMiniDBGroup::Save() {
    if (m_strPath.IsEmpty())
        return FALSE;
    return SaveSerializedFile(m_strPath, [this](CArchive& ar) { Serialize(ar); });
}

BOOL CMiniDBGroup::IsPlainFileName(const CString& name) {
    if (name.IsEmpty() || name == "." || name == ".." || !IsValidFileName(name))
        return FALSE;
    for (int i = 0; i < name.GetLength(); ++i)
        if (static_cast<unsigned char>(name[i]) < 0x20)
            return FALSE; // also a NUL that would cut the name short
    return TRUE;
}

void CMiniDBGroup::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        m_subgroupNames.Serialize(ar);
        return;
    }
    try {
        m_subgroupNames.Serialize(ar);
    } catch (...) {
        m_subgroupNames.RemoveAll();
        throw;
    }
    for (POSITION pos = m_subgroupNames.GetHeadPosition(); pos != nullptr;) {
        POSITION at = pos;
        if (!IsPlainFileName(m_subgroupNames.GetNext(pos)))
            m_subgroupNames.RemoveAt(at);
    }
}

BOOL CMiniDBGroup::WriteSlot(int nSlot, DWORD dwValue) {
    std::memcpy(m_idList.GetSlot(), &dwValue, sizeof dwValue);
    return m_idList.SeekTo(nSlot) && m_idList.GetCurrent() == nSlot && m_idList.Write();
}

BOOL CMiniDBGroup::HasId(DWORD dwId) const {
    int slot;
    return m_idMap.Lookup(dwId, slot);
}

BOOL CMiniDBGroup::AddId(DWORD dwId) {
    if (HasId(dwId))
        return TRUE;
    if (dwId == kFree || !m_idList.IsOpen())
        return FALSE;
    int slot = -1;
    if (!m_freeSlots.empty()) {
        slot = *m_freeSlots.begin();
        if (!WriteSlot(slot, dwId))
            return FALSE;
        m_freeSlots.erase(m_freeSlots.begin());
    } else {
        std::memcpy(m_idList.GetSlot(), &dwId, sizeof dwId);
        slot = m_idList.Append();
        if (slot < 0)
            return FALSE;
    }
    m_idMap[dwId] = slot;
    return TRUE;
}

BOOL CMiniDBGroup::RemoveId(DWORD dwId) {
    int slot;
    if (!m_idMap.Lookup(dwId, slot))
        return TRUE;
    if (!WriteSlot(slot, kFree))
        return FALSE;
    m_freeSlots.insert(slot);
    m_idMap.RemoveKey(dwId);
    return TRUE;
}

void CMiniDBGroup::ClearIds() {
    m_freeSlots.clear();
    for (int slot = 0; slot < m_idList.GetCount(); ++slot)
        if (WriteSlot(slot, kFree))
            m_freeSlots.insert(slot);
    m_idMap.RemoveAll();
}

DWORD CMiniDBGroup::GetNextId(POSITION& pos) const {
    DWORD id = kFree;
    int slot = -1;
    m_idMap.GetNextAssoc(pos, id, slot);
    return id;
}

BOOL CMiniDBGroup::RemoveSubgroupName(LPCTSTR lpszName) {
    for (POSITION pos = m_subgroupNames.GetHeadPosition(); pos != nullptr;) {
        POSITION at = pos;
        if (m_subgroupNames.GetNext(pos).CompareNoCase(lpszName) == 0) {
            m_subgroupNames.RemoveAt(at);
            return TRUE;
        }
    }
    return FALSE;
}

void CMiniDBGroup::DeleteFiles() {
    if (!m_strPath.IsEmpty()) {
        const CString idList = GetIdListPath();
        DeleteFileByPath(m_strPath);
        m_idList.Close();
        DeleteFileByPath(idList);
    } else {
        m_idList.Close();
    }
    m_strPath.Empty();
    m_idMap.RemoveAll();
    m_freeSlots.clear();
}
