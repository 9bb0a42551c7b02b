// The tree view on which the module trees of nested groups are built (message accounts, notes,
// schedules). It holds several open files at once: under an optional top item, one root item per
// file, and below each root the file's group tree kept in step by a group helper. It runs the
// files' lifecycle (new, open, save, save as, save all, close), the current item and the frame
// title, editing in place, an internal clipboard, drag and drop inside the tree and with the group
// list view, access passwords and locks, and draws modified marks and item counts. A derived view
// names its document, group and content classes, images, texts and context menu.
#pragma once

#include "core/QuillmarBaseDoc.h"
#include "platform/gui/CtrlView.h"
#include "platform/gui/ImageList.h"
#include "platform/gui/TreeCtrl.h"
#include "ui/DragDropHelper.h"
#include "ui/GroupHelper.h"
#include "ui/PaneHosts.h"
#include "ui/TreeViewDrawHelper.h"

#ifndef AFX_IDS_APP_TITLE
#define AFX_IDS_APP_TITLE 0xE000
#endif

// Messages between the group views (all sent).
#define WM_GROUPVIEW_DROPQUERY (WM_USER + 30)  // lParam: GROUPDROPQUERY*
#define WM_GROUPVIEW_SETTEXT (WM_USER + 50)    // lParam: the current item's new text
#define WM_GROUPVIEW_MODIFIED (WM_USER + 52)   // mark the current file modified
#define WM_VIEW_BUSY (WM_USER + 101)           // wParam 100 busy, 102 idle, 300 refresh
#define WM_GROUPVIEW_LISTFILES (WM_USER + 103) // to the pane view of the top item
#define WM_GROUPVIEW_SELECTITEM (WM_USER + 400) // lParam: the item (0: the top item)

// A drop asked of the tree by another view (or of another view by the tree).
struct GROUPDROPQUERY {
    POINT pt{};                 // in the client coordinates of the window asked
    HTREEITEM hSource = nullptr; // the dragged item (null: a hit test only)
    HTREEITEM hHit = nullptr;    // the tree item under the point, filled by a hit test
    int keyFlags = 0;
    BOOL bTest = FALSE;
    BOOL bHasNext = FALSE;
    BOOL bHitTest = FALSE;
    BOOL bNoDrop = FALSE;
    DRAGSTATE* pDragState = nullptr;
    int nRow = -1; // a list's row under the point
    int nKind = 2;  // 2: a record of a tree or list (hSource); 1: rows of a message list
    void* pRecord = nullptr; // a dragged record that has no tree item (a task of a task list)
};

class CGroupTreeView : public CTreeView, public CIGroupManager {
    DECLARE_DYNAMIC(CGroupTreeView)
public:
    // Item kinds.
    enum { KindNone = -1, KindContent = 1, KindGroup = 2, KindFileRoot = 3, KindTop = 4 };
    // Commands.
    enum : UINT {
        ID_FILE_NEW = 57600, ID_FILE_OPEN = 57601, ID_FILE_CLOSE = 57602, ID_FILE_SAVE = 57603,
        ID_FILE_SAVE_AS = 57604, ID_FILE_SAVE_ALL = 414, ID_FILE_CLOSE_ALL = 407,
        ID_OPEN_FOLDER = 469, ID_DELETE = 311, ID_DELETE2 = 310, ID_RENAME = 453,
        ID_COPY = 57634, ID_CUT = 57635, ID_PASTE = 57637, ID_NEW_GROUP = 456,
        ID_NEW_CONTENT = 152, ID_NEW_CONTENT_BEFORE = 1550, ID_NEW_CONTENT_AFTER = 1551,
        ID_NEW_GROUP_BEFORE = 1552, ID_NEW_GROUP_AFTER = 1553, ID_RESORT_GROUPS = 1560,
        ID_RESORT_CONTENTS = 1561, ID_COLLAPSE_ALL = 454, ID_SHOW_COUNTS = 455,
        ID_MOVE_UP = 32846, ID_PASSWORD = 382, ID_LOCK = 468,
    };

    struct CFileInfo {
        HTREEITEM hItem = nullptr;
        CString strPath; // empty for a file never saved
        CQuillmarBaseDoc* pDoc = nullptr;
        int nFileId = 0;
    };

    CGroupTreeView();
    ~CGroupTreeView() override;

    // ---- Operations a derived view may replace ----
    virtual int GetItemType(HTREEITEM hItem);
    // The file of an item (0: the current item); null for the top item.
    virtual CFileInfo* GetFileInfo(HTREEITEM hItem);
    // Where the file dialogs open: the folder of the last file opened or saved here, else the
    // user's home folder (empty when there is none).
    CString GetFileDialogFolder() const;
    void RememberFileFolder(const CString& path);
    virtual BOOL CloseFile(CFileInfo* pInfo, BOOL bQuiet, BOOL bAskSave);
    // The file will close (the save question is behind it): its records still exist.
    virtual void OnFileClosing(CFileInfo* /*pInfo*/) {}
    virtual void UpdateTitle();
    // The caption's text for a record after the view's name (a group's path, a content's path
    // with " - "); FALSE when the record gives none.
    virtual BOOL GetCaptionText(CObject* pRecord, CString& text);
    virtual void DrawItemExtras(CDC* pDC, HTREEITEM hItem);
    virtual void OnCurrentItemChanged(HTREEITEM hItem, BOOL bUpdateViews);
    // Shows the current item's view again (the tree's folder became the active one). A tree
    // without a current item makes its top item current, so that the pane never keeps showing
    // the folder left before.
    void ShowCurrentItemAgain();
    virtual void InitView() {}
    virtual CQuillmarBaseDoc* CreateDocument() { return nullptr; }
    virtual CGroup* CreateGroupFor(CObject*) { return nullptr; }
    virtual CGroup* GetGroupOfItem(HTREEITEM hItem);
    virtual CGroup* GetRootGroup(CQuillmarBaseDoc*) { return nullptr; }
    virtual BOOL ShouldResortAfterEdit(CQuillmarBaseDoc*) { return FALSE; }
    virtual void SetDocumentCurrentRecord(CQuillmarBaseDoc* pDoc, HTREEITEM hItem);
    virtual BOOL UnlockItem(HTREEITEM hItem);
    virtual void RegisterFileView(int nFileId, CQuillmarBaseDoc* pDoc);
    virtual void UnregisterFileView(int nFileId, BOOL bNotify);
    virtual void NotifyParentFrame();
    virtual void GetDocumentName(CString& strName, CQuillmarBaseDoc* pDoc);
    virtual BOOL IsFileLocked(CQuillmarBaseDoc* pDoc);
    virtual void CopyToClipboard(BOOL bCopy);
    virtual BOOL PasteInto(CGroup* pGroup);
    virtual BOOL IsClipboardEmpty();
    // A file root, group or content is about to be cut; its items are still in the tree.
    virtual void OnGroupCut(CObject*) {}
    virtual void SetModified(BOOL bModified, BOOL bUpdateTitle, BOOL bUpdateViews);
    // Opens the file (asks for files without a path); creates it anew with bCreateNew.
    virtual CQuillmarBaseDoc* OpenFile(LPCTSTR lpszPath, BOOL bCreateNew);
    // The context menu of the item right-clicked (already selected unless it is the top item),
    // at the click's client point.
    virtual void ShowItemMenu(HTREEITEM hItem, CPoint point);

    // ---- Other operations ----
    CQuillmarBaseDoc* GetItemDocument(HTREEITEM hItem);
    CQuillmarBaseDoc* GetFileDocument(CFileInfo* pInfo) { return pInfo ? pInfo->pDoc : nullptr; }
    CQuillmarBaseDoc* GetCurrentDocument() { return GetItemDocument(m_hCurrent); }
    void EnableCommands(BOOL bEnable) { m_bCommandsEnabled = bEnable; }
    int GetOpenFiles(CStringList& list, BOOL bPathsOnly);
    // Closes every open file at program close, asking to save each one changed (the top item is
    // selected first); FALSE when the user cancelled.
    BOOL CloseAllFiles();
    void SetFileModified(HTREEITEM hItem, BOOL bModified);
    BOOL FindFileByPath(LPCTSTR lpszPath, CFileInfo*& pInfo);
    CQuillmarBaseDoc* FindDocumentOfGroup(CGroup* pRoot);
    BOOL IsOpenFileName(LPCTSTR lpszName);
    BOOL SelectFileByIndex(int n);
    CFileInfo* FindNextUnlockedFile(CFileInfo* pInfo);
    HTREEITEM AddFileRoot(CQuillmarBaseDoc* pDoc, HTREEITEM hItem, LPCTSTR lpszDefaultName,
                          CFileInfo** ppInfo);
    BOOL SaveFile(CFileInfo* pInfo, BOOL bSaveAs);
    BOOL RemoveItem(HTREEITEM hItem);
    void CutToClipboard(HTREEITEM hItem, BOOL bEmptyFirst);
    void CopyObjectsToClipboard(const CObArray& records);
    BOOL CanDrop(HTREEITEM hSource, HTREEITEM hTarget, BOOL bCopy, BOOL bNextToTarget);
    virtual BOOL DoDrop(HTREEITEM hSource, HTREEITEM hTarget, int keyFlags, BOOL bTest,
                        BOOL bHasNext, DRAGSTATE* pState);
    // The tree's callback for a drag that leaves it: a group list view shown in the right pane.
    BOOL DropOnListView(HTREEITEM hSource, int x, int y, int keyFlags, BOOL bTest,
                        HWND& hTargetWnd, DRAGITEM& target, BOOL bHasNext);
    int GetFileCount() const { return (int)m_files.GetCount(); }
    CFileInfo* GetFileAt(int n);
    CFileInfo* GetCurrentFile() const { return m_pCurrentFile; }
    HTREEITEM GetTopItem() const { return m_hTopItem; }
    HTREEITEM GetCurrentItem() const { return m_hCurrent; }
    CGroupHelper& GetGroupHelper() { return m_groupHelper; }
    CTreeCtrlDragDropHelper& GetDragHelper() { return m_dragHelper; }
    CGroup& GetClipboard() { return m_clipboard; }
    const CString& GetBaseTitle() const { return m_strTitleBase; }
    BOOL IsShowingCounts() const { return m_bShowCounts; }
    // The text after the top item: the number of open files, empty when none is open.
    CString FileCountText() const;

    void OnInitialUpdate() override;
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

    // ---- Settings a derived view fills before the first update ----
    CIRightPaneHost* m_pRightPane = nullptr;
    int m_nModuleKind = -1;
    BOOL m_bDrawItemExtras = TRUE;
    BOOL m_bNoTopItem = FALSE;
    int m_nGroupViewNumber = 0;
    int m_nContentViewNumber = 0;
    COLORREF m_crBackground = RGB(0xFF, 0xFF, 0xE1); // 0xE1FFFF
    // The modified mark of a file root: a file with a path, and a file never saved.
    COLORREF m_crStarSaved = RGB(0, 0, 0xFF), m_crStarNew = RGB(0xFF, 0, 0);
    BOOL m_bShowCounts = TRUE;
    int m_nTopImage = -1, m_nTopSelImage = -1, m_nFileImage = -1, m_nFileExpandedImage = -1;
    int m_nGroupImage = -1, m_nGroupExpandedImage = -1, m_nContentImage = -1,
        m_nContentSelImage = -1;
    UINT m_nViewNameId = 0, m_nNewFileNameId = 0, m_nNewGroupNameId = 0, m_nNewContentNameId = 0,
         m_nFileTypeId = 0, m_nContextMenuId = 0;
    int m_nMenuPosTop = -1, m_nMenuPosFile = -1, m_nMenuPosGroup = -1, m_nMenuPosContent = -1;
    CString m_strExtension; // without the dot
    // The folder of the last file opened or saved here, where the file dialogs open next.
    CString m_strLastFolder;
    // The format of the open files' count after the top item; 0 takes the shared text.
    UINT m_nFileCountFormatId = 0;
    // The question before a file root is deleted (closed); 0 asks the shared text.
    UINT m_nCloseFilePromptId = 0;
    int m_nFirstFileId = 1;
    // Freed file ids come back oldest first (else the last freed first).
    BOOL m_bReuseOldestFreedId = FALSE;
    CRuntimeClass* m_pGroupClass = nullptr;
    CRuntimeClass* m_pContentClass = nullptr;
    CImageList m_imageList;

    // The one command still routed while commands are disabled (0: none).
    UINT m_nAlwaysRoutedCommand = 0;

    // The open dialog's first buffer, in characters (doubled whenever it is too small).
    int m_nOpenBufferSize = 520;

protected:
    BOOL m_bInitialized = FALSE;
    HTREEITEM m_hTopItem = nullptr;
    HTREEITEM m_hCurrent = nullptr;
    HTREEITEM m_hPrevious = nullptr;
    HTREEITEM m_hPendingParent = nullptr;
    BOOL m_bNewFilePending = FALSE;
    CString m_strTitleBase;
    CFileInfo* m_pCurrentFile = nullptr;
    CTypedPtrList<CPtrList, CFileInfo*> m_files;
    BOOL m_bClosing = FALSE;
    CList<UINT, UINT> m_releasedIds;
    BOOL m_bCommandsEnabled = TRUE;
    CGroupHelper m_groupHelper;
    CTreeCtrlDragDropHelper m_dragHelper;
    CTreeViewDrawHelper m_drawHelper;
    CGroup m_clipboard;

    CTreeCtrl& Tree() const { return GetTreeCtrl(); }
    BOOL TreeHasFocus() const;
    CString LoadText(UINT nId) const;
    CString AppTitle() const;
    int NextFileId();
    CString FileFilter() const;
    void NewFileBegin();
    void NewFileEnd(HTREEITEM hItem);
    CQuillmarBaseDoc* OpenOneFile(const CString& path, BOOL bCreateNew);
    void MarkDocumentModified(CQuillmarBaseDoc* pDoc);
    void SetFrameTitle(const CString& title);
    void SelectItemIfNot(HTREEITEM hItem);
    // Selects the top item before files are closed; FALSE when a view kept the selection.
    BOOL SelectTopItemToClose();
    void NewRecord(BOOL bGroup, int where); // where: 0 plain, -1 before, 1 after
    HTREEITEM FileRootOf(HTREEITEM hItem);
    void SetLockOverlay(HTREEITEM hItem, CGroup* pGroup);
    BOOL MoveFileRootInto(HTREEITEM hSource, HTREEITEM hTarget, int keyFlags);
    BOOL IsBelow(HTREEITEM hItem, HTREEITEM hAncestor);
    // Moves the selection off the item and everything below it (to the next sibling that is not
    // a locked group, else the parent); FALSE when the selection stayed because the view shown
    // refused to be left. *pbLeft tells whether the selection had to move.
    BOOL LeaveItem(HTREEITEM hItem, BOOL* pbLeft = nullptr);
    CEdit* LabelEdit() const;
    void RedrawItem(HTREEITEM hItem);

    // CIGroupManager: nothing in the base.

    // Command handlers.
    void OnFileNew();
    void OnFileOpen();
    void OnFileClose();
    void OnFileSave();
    void OnFileSaveAs();
    void OnFileSaveAll();
    void OnFileCloseAll();
    void OnOpenFolder();
    void OnDelete();
    void OnRename();
    void OnCopy();
    void OnCut();
    void OnPaste();
    void OnNewGroup();
    void OnNewContent();
    void OnNewContentBefore();
    void OnNewContentAfter();
    void OnNewGroupBefore();
    void OnNewGroupAfter();
    void OnResortGroups();
    void OnResortContents();
    void OnCollapseAll();
    void OnShowCounts();
    void OnMoveUp();
    void OnPassword();
    void OnLock();
    void OnUpdateCommand(CCmdUI* pCmdUI);

    // Messages and notifications.
    LRESULT OnBusy(WPARAM wParam, LPARAM lParam);
    LRESULT OnSetCurrentText(WPARAM wParam, LPARAM lParam);
    LRESULT OnMarkModified(WPARAM wParam, LPARAM lParam);
    LRESULT OnDragHighlight(WPARAM wParam, LPARAM lParam);
    LRESULT OnSelectItemMessage(WPARAM wParam, LPARAM lParam);
    LRESULT OnDropQuery(WPARAM wParam, LPARAM lParam);
    void OnSelChanging(NMHDR* pNMHDR, LRESULT* pResult);
    void OnSelChanged(NMHDR* pNMHDR, LRESULT* pResult);
    void OnItemExpanding(NMHDR* pNMHDR, LRESULT* pResult);
    void OnItemExpanded(NMHDR* pNMHDR, LRESULT* pResult);
    void OnDeleteItem(NMHDR* pNMHDR, LRESULT* pResult);
    void OnBeginLabelEdit(NMHDR* pNMHDR, LRESULT* pResult);
    void OnEndLabelEdit(NMHDR* pNMHDR, LRESULT* pResult);
    void OnCustomDraw(NMHDR* pNMHDR, LRESULT* pResult);
    void OnRButtonDown(UINT nFlags, CPoint point);
    void OnContextMenu(CWnd* pWnd, CPoint point);
    void OnCaptureChanged(CWnd* pWnd);
    void OnDestroy();
    DECLARE_MESSAGE_MAP()
};
