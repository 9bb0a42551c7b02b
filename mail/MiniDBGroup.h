// The group side of the mini record database: a mail box's own small files. The group file holds
// the box's attributes (written by the owner's Serialize) and the file names of its sub-boxes; the
// id list file beside it holds the ids of the records that belong to the box, one 4-byte slot per
// id, -1 for a free slot.
#pragma once

#include <set>

#include "core/StringListEx.h"
#include "mail/FixedRecordFile.h"
#include "platform/base/Collections.h"
#include "platform/base/CString.h"
#include "platform/base/Types.h"

class CArchive;

class CMiniDBGroup {
public:
    CMiniDBGroup();
    virtual ~CMiniDBGroup();
    CMiniDBGroup(const CMiniDBGroup&) = delete;
    CMiniDBGroup& operator=(const CMiniDBGroup&) = delete;

    // Takes the path and creates the id list file; FALSE when that file exists already.
    BOOL Create(LPCTSTR lpszPath);
    // With a path: takes it and loads the group file (a group file that is missing or does not
    // load leaves the group's attributes as they were). Then opens the id list and rebuilds the
    // id map from it; FALSE when the id list cannot be opened, and FALSE with the file named by
    // GetIrregularFile when the group file or the id list is there but is no regular file.
    virtual BOOL Open(LPCTSTR lpszPath);
    // The group file or id list that the last Open found to be a pipe, a device or a folder:
    // such a group is damaged, not missing. Empty when Open met none.
    const CString& GetIrregularFile() const { return m_strIrregularFile; }
    // Reads the group file through Serialize; an empty file is an empty group. FALSE when the file
    // cannot be read or does not load.
    BOOL Load(LPCTSTR lpszPath);
    // Writes the group file through Serialize, replacing the old file in one step: a failed save
    // leaves the old file as it was.
    BOOL Save();
    // The sub-group names; a derived box stores its own fields first. Names read from a file that
    // are not plain file names are dropped: they would reach outside the box's folder.
    virtual void Serialize(CArchive& ar);

    // TRUE when the id is there already or was written into a free or new slot.
    BOOL AddId(DWORD dwId);
    // Frees the id's slot; TRUE also when the id was not there.
    BOOL RemoveId(DWORD dwId);
    // Frees every slot.
    void ClearIds();
    BOOL HasId(DWORD dwId) const;
    int GetIdCount() const { return static_cast<int>(m_idMap.GetCount()); }
    // Iteration over the ids in the map's order; no id may be added while it runs (the map
    // grows with the box, which changes the order).
    POSITION GetFirstIdPosition() const { return m_idMap.GetStartPosition(); }
    DWORD GetNextId(POSITION& pos) const;
    // The slot the next new id goes into: the lowest free one, -1 when none is free.
    int GetFreeSlotHint() const { return m_freeSlots.empty() ? -1 : *m_freeSlots.begin(); }

    void AddSubgroupName(LPCTSTR lpszName) { m_subgroupNames.AddTail(lpszName); }
    // Removes the first name equal to the given one, case ignored; FALSE when there is none.
    BOOL RemoveSubgroupName(LPCTSTR lpszName);
    const CStringListEx& GetSubgroupNames() const { return m_subgroupNames; }

    // Deletes the group file (its path is emptied) and closes and deletes the id list file.
    void DeleteFiles();

    const CString& GetPath() const { return m_strPath; }
    // Empty: the group file's path with the extension "gp"; a relative name lies in the group
    // file's folder.
    void SetIdListName(LPCTSTR lpszName) { m_strIdListName = lpszName; }
    CString GetIdListPath() const;

    // A name that stays inside the folder it is taken in: no separators, no drive, not "." or "..".
    static BOOL IsPlainFileName(const CString& name);

protected:
    CString m_strIrregularFile;

private:
    BOOL WriteSlot(int nSlot, DWORD dwValue);

    CString m_strPath;
    CString m_strIdListName;
    CStringListEx m_subgroupNames;
    CFixedRecordFile m_idList;
    // The free slots, known from the file, so that adding an id never searches it.
    std::set<int> m_freeSlots;
    CMap<DWORD, DWORD, int, int> m_idMap;
};
