#include "sms/SentenceSet.h"

#include "core/FileUtil.h"
#include "core/TextFileWriter.h"
#include "platform/base/Exception.h"
#include "platform/base/File.h"
#include "platform/base/FileFind.h"
#include "platform/base/OsPath.h"

#include <sys/stat.h>

IMPLEMENT_DYNCREATE(CSentenceSet, CContent)
IMPLEMENT_DYNCREATE(CSentenceSetGroup, CGroup)

namespace {

BOOL IsFolder(LPCTSTR lpszPath) {
    struct stat st;
    return ::stat(OsPathFromProgramPath(lpszPath).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Gives the file or folder the new name in its own folder, never over another entry. Answers the
// new path, empty when the entry could not be renamed.
CString RenameInPlace(const CString& path, LPCTSTR lpszNewName) {
    const CString newPath = path.Left(FindLastPathSeparator(path) + 1) + lpszNewName;
    try {
        CFile::Rename(path, newPath);
    } catch (CFileException* e) {
        e->Delete();
        return CString();
    }
    return newPath;
}

// The entries of a folder, folders and files apart, each in name order.
void ListFolder(LPCTSTR lpszFolder, CStringArray& folders, CStringArray& files) {
    CFileFind finder;
    BOOL bMore = finder.FindFile(CString(lpszFolder) + "\\*.*");
    while (bMore) {
        bMore = finder.FindNextFile();
        if (finder.IsDots())
            continue;
        (finder.IsDirectory() ? folders : files).Add(finder.GetFilePath());
    }
}

} // namespace

CSentenceSet::CSentenceSet(LPCTSTR lpszName) : CContent(lpszName) {}

int CSentenceSet::Load(LPCTSTR lpszPath) {
    if (m_bLoaded)
        return 0;
    if (lpszPath != nullptr)
        m_strPath = lpszPath;
    CStdioFile file;
    if (!file.Open(m_strPath, CFile::modeRead | CFile::shareDenyWrite))
        return 0;
    CStringListEx phrases;
    try {
        CString line;
        while (file.ReadString(line)) {
            // A zero byte ends the phrase as every reader of the text would see it.
            CString phrase = (LPCTSTR)line;
            if (!phrase.IsEmpty())
                phrases.AddTail(phrase);
        }
    } catch (CException* e) {
        e->Delete();
        return 0;
    }
    m_phrases = phrases;
    m_bLoaded = TRUE;
    m_bModified = FALSE;
    return 1;
}

int CSentenceSet::Save() {
    const TextFileWriteResult result = WriteTextFile(m_strPath, [this](CStdioFile& file) {
        for (POSITION pos = m_phrases.GetHeadPosition(); pos != nullptr;) {
            const CString& phrase = m_phrases.GetNext(pos);
            if (!phrase.IsEmpty())
                file.WriteString(phrase + "\n");
        }
    });
    if (result != TEXT_FILE_WRITTEN)
        return 0;
    m_bModified = FALSE;
    return 1;
}

void CSentenceSet::Unload(BOOL bSaveFirst) {
    if (bSaveFirst && m_bModified)
        Save();
    m_phrases.RemoveAll();
    m_bLoaded = FALSE;
    m_bModified = FALSE;
}

BOOL CSentenceSet::SetPhrase(int nIndex, LPCTSTR lpszText) {
    return m_phrases.SetAt(nIndex, lpszText);
}

BOOL CSentenceSet::SetModified(BOOL bModified) {
    const BOOL bOld = m_bModified;
    m_bModified = bModified;
    return bOld;
}

BOOL CSentenceSet::Rename(LPCTSTR lpszNewName) {
    const CString newPath = RenameInPlace(m_strPath, lpszNewName);
    if (newPath.IsEmpty())
        return FALSE;
    m_strPath = newPath;
    return TRUE;
}

CSentenceSetGroup::CSentenceSetGroup(LPCTSTR lpszPath) : CGroup(nullptr) {
    if (lpszPath != nullptr)
        m_strPath = lpszPath;
}

CRuntimeClass* CSentenceSetGroup::GetContentClass() const {
    return RUNTIME_CLASS(CSentenceSet);
}

CGroup* CSentenceSetGroup::CreateSubGroup(LPCTSTR lpszName) {
    auto* pGroup = new CSentenceSetGroup;
    pGroup->SetName(lpszName);
    return pGroup;
}

int CSentenceSetGroup::LoadFolder(LPCTSTR lpszFolder, BOOL bLoadSets) {
    return LoadFolderAt(lpszFolder, bLoadSets, 0);
}

int CSentenceSetGroup::LoadFolderAt(LPCTSTR lpszFolder, BOOL bLoadSets, int nDepth) {
    if (lpszFolder == nullptr || !IsFolder(lpszFolder))
        return 0;
    m_strPath = lpszFolder;
    // A trailing separator would leave the name empty.
    while (m_strPath.GetLength() > 1 &&
           (m_strPath.Right(1) == "\\" || m_strPath.Right(1) == "/"))
        m_strPath = m_strPath.Left(m_strPath.GetLength() - 1);
    SetName(m_strPath.Mid(FindLastPathSeparator(m_strPath) + 1));
    CStringArray folders, files;
    ListFolder(m_strPath, folders, files);
    if (nDepth < kMaxLoadDepth) {
        for (INT_PTR i = 0; i < folders.GetSize(); ++i) {
            auto* pGroup = new CSentenceSetGroup;
            if (pGroup->LoadFolderAt(folders[i], bLoadSets, nDepth + 1))
                AddSubgroup(pGroup, FALSE);
            else
                delete pGroup;
        }
    }
    for (INT_PTR i = 0; i < files.GetSize(); ++i) {
        const CString& path = files[i];
        CString title = path.Mid(FindLastPathSeparator(path) + 1);
        const int nDot = title.ReverseFind('.');
        if (nDot > 0)
            title = title.Left(nDot);
        auto* pSet = new CSentenceSet(title);
        pSet->SetPath(path);
        if (bLoadSets)
            pSet->Load();
        AddContent(pSet, FALSE);
    }
    return 1;
}

int CSentenceSetGroup::SaveAll() {
    if (!IsFolder(m_strPath) && !CreateDirectoryPath(m_strPath, 1))
        return 0;
    for (POSITION pos = GetFirstContentPosition(); pos != nullptr;) {
        auto* pSet = static_cast<CSentenceSet*>(GetNextContent(pos));
        if (pSet->IsModified())
            pSet->Save();
    }
    for (POSITION pos = GetFirstSubgroupPosition(); pos != nullptr;)
        static_cast<CSentenceSetGroup*>(GetNextSubgroup(pos))->SaveAll();
    return 1;
}

BOOL CSentenceSetGroup::CanDelete() const {
    return IsFolder(m_strPath) && IsDirectoryEmpty(m_strPath);
}

BOOL CSentenceSetGroup::DeleteFolder() {
    if (!DeleteDirectory(m_strPath))
        return FALSE;
    m_strPath.Empty();
    return TRUE;
}

BOOL CSentenceSetGroup::Rename(LPCTSTR lpszNewName) {
    if (lpszNewName == nullptr)
        return FALSE;
    const CString newPath = RenameInPlace(m_strPath, lpszNewName);
    if (newPath.IsEmpty())
        return FALSE;
    // The sets and sub-groups below keep paths inside the old folder.
    const CString oldPrefix = m_strPath;
    m_strPath = newPath;
    SetName(lpszNewName);
    struct Fix {
        static void Apply(CSentenceSetGroup* pGroup, const CString& from, const CString& to) {
            for (POSITION pos = pGroup->GetFirstContentPosition(); pos != nullptr;) {
                auto* pSet = static_cast<CSentenceSet*>(pGroup->GetNextContent(pos));
                if (pSet->GetPath().Left(from.GetLength()) == from)
                    pSet->SetPath(to + pSet->GetPath().Mid(from.GetLength()));
            }
            for (POSITION pos = pGroup->GetFirstSubgroupPosition(); pos != nullptr;) {
                auto* pSub = static_cast<CSentenceSetGroup*>(pGroup->GetNextSubgroup(pos));
                if (pSub->m_strPath.Left(from.GetLength()) == from)
                    pSub->m_strPath = to + pSub->m_strPath.Mid(from.GetLength());
                Apply(pSub, from, to);
            }
        }
    };
    Fix::Apply(this, oldPrefix, newPath);
    return TRUE;
}

CString GetSentenceBankFolder() {
    return GetAppFilePath("SentenceBank");
}
