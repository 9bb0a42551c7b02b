// The phrase bank on disk: a folder tree in which every folder is a phrase group and every file a
// phrase set holding one phrase per line (GBK text, "\r\n" line ends). A set is read when it is
// first shown and written back only when asked.
#pragma once

#include "core/Content.h"
#include "core/Group.h"
#include "core/StringListEx.h"
#include "platform/base/CString.h"

// One phrase set: a file of phrases.
class CSentenceSet : public CContent {
    DECLARE_DYNCREATE(CSentenceSet)
public:
    explicit CSentenceSet(LPCTSTR lpszName = nullptr);

    void SetPath(LPCTSTR lpszPath) { m_strPath = lpszPath; }
    const CString& GetPath() const { return m_strPath; }
    // 0 when loaded already or the file cannot be opened (or read). Otherwise the phrases become
    // the file's non-empty lines (each cut at a zero byte), the set is loaded and unmodified, 1.
    // A given path replaces the stored one first.
    int Load(LPCTSTR lpszPath = nullptr);
    // Writes the file anew, one line per non-empty phrase. 0 when it cannot be written (the set
    // stays modified); otherwise the set is unmodified, 1.
    int Save();
    // Saves first when asked and modified; then forgets the phrases: unloaded, unmodified.
    void Unload(BOOL bSaveFirst);
    // FALSE when there is no phrase at the index.
    BOOL SetPhrase(int nIndex, LPCTSTR lpszText);
    // Answers the flag as it was.
    BOOL SetModified(BOOL bModified);
    BOOL IsModified() const { return m_bModified; }
    BOOL IsLoaded() const { return m_bLoaded; }
    // The file gets the new name in its folder (never replacing another file); the path follows.
    // FALSE when the file could not be renamed.
    BOOL Rename(LPCTSTR lpszNewName);

    CStringListEx m_phrases;

protected:
    CString m_strPath;
    BOOL m_bLoaded = FALSE;
    BOOL m_bModified = FALSE;
};

// One phrase group: a folder of sets and sub-groups.
class CSentenceSetGroup : public CGroup {
    DECLARE_DYNCREATE(CSentenceSetGroup)
public:
    explicit CSentenceSetGroup(LPCTSTR lpszPath = nullptr);

    CRuntimeClass* GetContentClass() const override;
    CGroup* CreateSubGroup(LPCTSTR lpszName) override;

    // 0 when the folder does not exist. Otherwise the group takes the folder's name and path,
    // every sub-folder becomes a sub-group loaded the same way and every file a set (read at once
    // with bLoadSets), in name order; 1. Folders nested deeper than the group tree allows are
    // left out.
    int LoadFolder(LPCTSTR lpszFolder, BOOL bLoadSets);
    // Creates the folder when missing (0 when that fails), saves every modified set, then every
    // sub-group; 1.
    int SaveAll();
    // TRUE when the folder holds nothing.
    BOOL CanDelete() const;
    // Deletes the folder with everything in it; on success the path becomes empty.
    BOOL DeleteFolder();
    // Renames the folder in its parent folder (never onto another entry); on success the path
    // and, when a name was given, the group's name follow. Null keeps the name and does nothing.
    BOOL Rename(LPCTSTR lpszNewName);
    const CString& GetPath() const { return m_strPath; }
    void SetPath(LPCTSTR lpszPath) { m_strPath = lpszPath; }

protected:
    int LoadFolderAt(LPCTSTR lpszFolder, BOOL bLoadSets, int nDepth);
    CString m_strPath;
};

// The folder the phrase bank lives in: "SentenceBank" in the program folder.
CString GetSentenceBankFolder();
