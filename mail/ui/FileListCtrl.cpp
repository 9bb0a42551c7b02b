#include "mail/ui/FileListCtrl.h"

#include "platform/base/FileFind.h"
#include "platform/base/OsPath.h"
#include "platform/gui/ShellFileInfo.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <sys/stat.h>

IMPLEMENT_DYNAMIC(CFileListCtrl, CListCtrl)
IMPLEMENT_DYNAMIC(CFileListBar, CDialogBar)

BEGIN_MESSAGE_MAP(CFileListCtrl, CListCtrl)
ON_WM_KEYDOWN()
END_MESSAGE_MAP()

BEGIN_MESSAGE_MAP(CFileListBar, CDialogBar)
ON_WM_SIZE()
END_MESSAGE_MAP()

namespace {

// A path without separators at its end (a root keeps its one).
CString TrimSeparators(CString path) {
    while (path.GetLength() > 1) {
        const int last = path.GetLength() - 1;
        if ((path[last] == '\\' || path[last] == '/') && FindLastPathSeparator(path) == last)
            path = path.Left(last);
        else
            break;
    }
    return path;
}

// The file as it is on disk (links and case resolved), so that two names of one file are one key.
std::string FileKey(const std::string& osPath) {
    char resolved[PATH_MAX];
    if (realpath(osPath.c_str(), resolved) != nullptr)
        return resolved;
    return osPath;
}

} // namespace

CFileListCtrl::CFileListCtrl() {
    m_iconCache.InitHashTable(17);
}

CFileListCtrl::~CFileListCtrl() = default;

BOOL CFileListCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
    if (!CListCtrl::Create(dwStyle | LVS_ICON | LVS_AUTOARRANGE, rect, pParentWnd, nID))
        return FALSE;
    Init();
    return TRUE;
}

void CFileListCtrl::Init() {
    ModifyStyle(LVS_TYPEMASK, LVS_ICON | LVS_AUTOARRANGE | LVS_SHOWSELALWAYS);
    if (m_images.GetSafeHandle() == nullptr)
        m_images.Create(ICON_SIZE, ICON_SIZE, ILC_COLOR32 | ILC_MASK, 0, 10);
    SetImageList(&m_images, LVSIL_NORMAL);
}

int CFileListCtrl::GetIconIndex(const CString& strExtension) {
    CString ext = strExtension;
    ext.MakeLower();
    int nIndex = -1;
    if (m_iconCache.Lookup(ext, nIndex))
        return nIndex;
    if (m_images.GetSafeHandle() == nullptr)
        m_images.Create(ICON_SIZE, ICON_SIZE, ILC_COLOR32 | ILC_MASK, 0, 10);
    // Only the extension counts: the desktop is asked about a file that need not exist.
    SHFILEINFO info{};
    if (SHGetFileInfo("foo" + ext, FILE_ATTRIBUTE_NORMAL, &info, sizeof info,
                      SHGFI_ICON | SHGFI_USEFILEATTRIBUTES | SHGFI_LARGEICON) &&
        info.hIcon != nullptr) {
        nIndex = m_images.Add(info.hIcon);
        DestroyIcon(info.hIcon);
    }
    m_iconCache.SetAt(ext, nIndex);
    return nIndex;
}

BOOL CFileListCtrl::AddPath(LPCTSTR lpszPath, BOOL bCheckExist) {
    if (lpszPath == nullptr || *lpszPath == '\0')
        return FALSE;
    FolderSet walked;
    return AddPathFrom(TrimSeparators(lpszPath), bCheckExist, TRUE, walked);
}

BOOL CFileListCtrl::AddPathFrom(const CString& strPath, BOOL bCheckExist, BOOL bTop,
                                FolderSet& walked) {
    const std::string os = OsPathFromProgramPath(strPath);
    struct stat st {};
    // A path the user gave is taken as it names its target; inside a folder a link is looked at
    // itself, so that a link to a folder (perhaps to one above it) is never walked into.
    bool exists = (bTop ? stat(os.c_str(), &st) : lstat(os.c_str(), &st)) == 0;
    if (exists && S_ISLNK(st.st_mode)) {
        struct stat target {};
        if (stat(os.c_str(), &target) != 0)
            exists = false;
        else if (S_ISDIR(target.st_mode))
            return FALSE;
        else
            st = target;
    }
    if (exists && S_ISDIR(st.st_mode)) {
        if (!(m_dwOptions & OPTION_RECURSIVE))
            return FALSE;
        if (!walked.insert({(unsigned long long)st.st_dev, (unsigned long long)st.st_ino}).second)
            return FALSE;
        BOOL bAdded = FALSE;
        CFileFind finder;
        BOOL bMore = finder.FindFile(strPath + "\\*.*");
        while (bMore) {
            bMore = finder.FindNextFile();
            if (finder.IsDots())
                continue;
            if (AddPathFrom(finder.GetFilePath(), bCheckExist, FALSE, walked))
                bAdded = TRUE;
        }
        return bAdded;
    }
    if (bCheckExist && !exists)
        return FALSE;
    const std::string key = exists ? FileKey(os) : os;
    if (m_keys.count(key) != 0)
        return FALSE;
    InsertFile(strPath, key);
    return TRUE;
}

void CFileListCtrl::InsertFile(const CString& strPath, const std::string& key) {
    const CString name = strPath.Mid(FindLastPathSeparator(strPath) + 1);
    const int nDot = name.ReverseFind('.');
    const int nImage = GetIconIndex(nDot >= 0 ? name.Mid(nDot) : CString());
    if (GetSafeHwnd() != nullptr && InsertItem(GetItemCount(), name, nImage) < 0)
        return;
    m_paths.AddTail(strPath);
    m_keys.insert(key);
}

CString CFileListCtrl::GetPath(int nItem) const {
    POSITION pos = nItem >= 0 ? m_paths.FindIndex(nItem) : nullptr;
    return pos != nullptr ? m_paths.GetAt(pos) : CString();
}

BOOL CFileListCtrl::RemoveItem(int nItem) {
    POSITION pos = nItem >= 0 ? m_paths.FindIndex(nItem) : nullptr;
    if (pos == nullptr)
        return FALSE;
    const CString path = m_paths.GetAt(pos);
    const std::string os = OsPathFromProgramPath(path);
    m_keys.erase(FileKey(os));
    m_keys.erase(os);
    m_paths.RemoveAt(pos);
    if (GetSafeHwnd() != nullptr)
        DeleteItem(nItem);
    Notify();
    return TRUE;
}

void CFileListCtrl::RemoveSelected() {
    if (GetSafeHwnd() == nullptr)
        return;
    const BOOL bNoNotify = m_bNoNotify;
    m_bNoNotify = TRUE;
    BOOL bRemoved = FALSE;
    for (int i = GetItemCount() - 1; i >= 0; --i)
        if (GetItemState(i, LVIS_SELECTED) & LVIS_SELECTED)
            bRemoved |= RemoveItem(i);
    m_bNoNotify = bNoNotify;
    if (bRemoved)
        Notify();
}

void CFileListCtrl::RemoveAll() {
    m_paths.RemoveAll();
    m_keys.clear();
    if (GetSafeHwnd() != nullptr)
        DeleteAllItems();
}

void CFileListCtrl::Notify() {
    if (!m_bNoNotify && m_pListener != nullptr)
        m_pListener->OnFileListChanged(this);
}

void CFileListCtrl::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) {
    // A held Delete key removes the selection once, not one file per repeat.
    if (nChar == VK_DELETE) {
        if (!(nFlags & 0x4000))
            RemoveSelected();
        return;
    }
    CListCtrl::OnKeyDown(nChar, nRepCnt, nFlags);
}

// ---- CFileListBar ----

BOOL CFileListBar::Create(CWnd* pParentWnd, UINT nIDTemplate, UINT nStyle, UINT nID) {
    if (!CDialogBar::Create(pParentWnd, nIDTemplate, nStyle, nID))
        return FALSE;
    if (!m_list.SubclassDlgItem(IDC_FILE_LIST, this)) {
        CRect rc;
        GetClientRect(&rc);
        if (!m_list.Create(WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP, rc, this, IDC_FILE_LIST))
            return FALSE;
    }
    m_list.Init();
    CRect rc;
    GetClientRect(&rc);
    OnSize(0, rc.Width(), rc.Height());
    return TRUE;
}

void CFileListBar::OnSize(UINT nType, int cx, int cy) {
    CDialogBar::OnSize(nType, cx, cy);
    if (m_list.GetSafeHwnd() != nullptr)
        m_list.MoveWindow(2, 2, std::max(cx - 4, 0), std::max(cy - 4, 0));
}
