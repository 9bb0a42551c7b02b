// The attachments of a mail being written: a list of files shown as icons, each file's full path
// kept in the order it was added. A folder brings every file below it; the same file comes in
// once however often it is added; Delete removes the selected files.
#pragma once

#include "platform/base/Collections.h"
#include "platform/gui/DialogBar.h"
#include "platform/gui/ImageList.h"
#include "platform/gui/ListCtrl.h"

#include <set>
#include <string>
#include <utility>

class CFileListCtrl : public CListCtrl {
    DECLARE_DYNAMIC(CFileListCtrl)
public:
    class IListener {
    public:
        virtual ~IListener() = default;
        // Files were removed from the list.
        virtual void OnFileListChanged(CFileListCtrl* pList) = 0;
    };
    enum : DWORD { OPTION_RECURSIVE = 1 }; // folders bring the files below them
    enum { ICON_SIZE = 32 };

    CFileListCtrl();
    ~CFileListCtrl() override;

    // Makes the list window (icon view, arranged) at rect.
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
    // Readies a list window made from a dialog template: icon view, arranged, the icon list.
    void Init();

    // Adds a file, or the files below a folder (links to folders are not followed and each folder
    // is walked once). A path already in the list, a missing file when bCheckExist is set and a
    // folder without the recursive option add nothing. TRUE when at least one file was added.
    BOOL AddPath(LPCTSTR lpszPath, BOOL bCheckExist = TRUE);
    // Removes every selected item (the Delete key); tells the listener unless notices are off.
    void RemoveSelected();
    BOOL RemoveItem(int nItem);
    void RemoveAll();
    const CStringList& GetPaths() const { return m_paths; }
    CString GetPath(int nItem) const;

    // The index in the icon list of the icon of an extension (with its dot, any case); the
    // desktop is asked once per extension.
    int GetIconIndex(const CString& strExtension);
    int GetCachedIconCount() const { return (int)m_iconCache.GetCount(); }
    CImageList& GetIcons() { return m_images; }

    void SetListener(IListener* pListener) { m_pListener = pListener; }
    DWORD m_dwOptions = OPTION_RECURSIVE;
    BOOL m_bNoNotify = FALSE;

protected:
    using FolderSet = std::set<std::pair<unsigned long long, unsigned long long>>;
    BOOL AddPathFrom(const CString& strPath, BOOL bCheckExist, BOOL bTop, FolderSet& walked);
    void InsertFile(const CString& strPath, const std::string& key);
    void Notify();
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);

    CStringList m_paths;
    std::set<std::string> m_keys; // the files in the list, as they are on disk
    CImageList m_images;
    CMap<CString, LPCTSTR, int, int> m_iconCache;
    IListener* m_pListener = nullptr;
    DECLARE_MESSAGE_MAP()
};

// The bar along the bottom of the compose frame that holds the attachment list and gives it all
// of its room.
class CFileListBar : public CDialogBar {
    DECLARE_DYNAMIC(CFileListBar)
public:
    enum : UINT { IDD = 508, IDC_FILE_LIST = 1203 };
    BOOL Create(CWnd* pParentWnd, UINT nIDTemplate, UINT nStyle, UINT nID) override;
    CFileListCtrl& GetList() { return m_list; }

protected:
    void OnSize(UINT nType, int cx, int cy);
    CFileListCtrl m_list;
    DECLARE_MESSAGE_MAP()
};
