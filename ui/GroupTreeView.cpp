#include "ui/GroupTreeView.h"

#include "ui/RightPaneView.h"

#include "core/ui/OpenFolder.h"
#include "platform/base/File.h"
#include "platform/base/OsPath.h"
#include "platform/gui/CommCtrl.h"
#include "platform/gui/CommonDialogs.h"
#include "platform/gui/Controls.h"
#include "platform/gui/Frame.h"
#include "platform/gui/Icon.h"
#include "platform/gui/Menu.h"
#include "platform/gui/MessageBox.h"
#include "platform/gui/WinApp.h"
#include "ui/DlgInputPassword.h"
#include "ui/DlgModifyPassword.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

IMPLEMENT_DYNAMIC(CGroupTreeView, CTreeView)

BEGIN_MESSAGE_MAP(CGroupTreeView, CTreeView)
ON_COMMAND(ID_FILE_NEW, &CGroupTreeView::OnFileNew)
ON_COMMAND(ID_FILE_OPEN, &CGroupTreeView::OnFileOpen)
ON_COMMAND(ID_FILE_CLOSE, &CGroupTreeView::OnFileClose)
ON_COMMAND(ID_FILE_SAVE, &CGroupTreeView::OnFileSave)
ON_COMMAND(ID_FILE_SAVE_AS, &CGroupTreeView::OnFileSaveAs)
ON_COMMAND(ID_FILE_SAVE_ALL, &CGroupTreeView::OnFileSaveAll)
ON_COMMAND(ID_FILE_CLOSE_ALL, &CGroupTreeView::OnFileCloseAll)
ON_COMMAND(ID_OPEN_FOLDER, &CGroupTreeView::OnOpenFolder)
ON_COMMAND(ID_DELETE, &CGroupTreeView::OnDelete)
ON_COMMAND(ID_DELETE2, &CGroupTreeView::OnDelete)
ON_COMMAND(ID_RENAME, &CGroupTreeView::OnRename)
ON_COMMAND(ID_COPY, &CGroupTreeView::OnCopy)
ON_COMMAND(ID_CUT, &CGroupTreeView::OnCut)
ON_COMMAND(ID_PASTE, &CGroupTreeView::OnPaste)
ON_COMMAND(ID_NEW_GROUP, &CGroupTreeView::OnNewGroup)
ON_COMMAND(ID_NEW_CONTENT, &CGroupTreeView::OnNewContent)
ON_COMMAND(ID_NEW_CONTENT_BEFORE, &CGroupTreeView::OnNewContentBefore)
ON_COMMAND(ID_NEW_CONTENT_AFTER, &CGroupTreeView::OnNewContentAfter)
ON_COMMAND(ID_NEW_GROUP_BEFORE, &CGroupTreeView::OnNewGroupBefore)
ON_COMMAND(ID_NEW_GROUP_AFTER, &CGroupTreeView::OnNewGroupAfter)
ON_COMMAND(ID_RESORT_GROUPS, &CGroupTreeView::OnResortGroups)
ON_COMMAND(ID_RESORT_CONTENTS, &CGroupTreeView::OnResortContents)
ON_COMMAND(ID_COLLAPSE_ALL, &CGroupTreeView::OnCollapseAll)
ON_COMMAND(ID_SHOW_COUNTS, &CGroupTreeView::OnShowCounts)
ON_COMMAND(ID_MOVE_UP, &CGroupTreeView::OnMoveUp)
ON_COMMAND(ID_PASSWORD, &CGroupTreeView::OnPassword)
ON_COMMAND(ID_LOCK, &CGroupTreeView::OnLock)
ON_UPDATE_COMMAND_UI(ID_FILE_NEW, &CGroupTreeView::OnUpdateCommand)
ON_UPDATE_COMMAND_UI_RANGE(ID_FILE_CLOSE, ID_FILE_SAVE_AS, &CGroupTreeView::OnUpdateCommand)
ON_UPDATE_COMMAND_UI(ID_FILE_SAVE_ALL, &CGroupTreeView::OnUpdateCommand)
ON_UPDATE_COMMAND_UI(ID_FILE_CLOSE_ALL, &CGroupTreeView::OnUpdateCommand)
ON_UPDATE_COMMAND_UI(ID_OPEN_FOLDER, &CGroupTreeView::OnUpdateCommand)
ON_UPDATE_COMMAND_UI_RANGE(ID_DELETE2, ID_DELETE, &CGroupTreeView::OnUpdateCommand)
ON_UPDATE_COMMAND_UI(ID_RENAME, &CGroupTreeView::OnUpdateCommand)
ON_UPDATE_COMMAND_UI_RANGE(ID_COPY, ID_CUT, &CGroupTreeView::OnUpdateCommand)
ON_UPDATE_COMMAND_UI(ID_PASTE, &CGroupTreeView::OnUpdateCommand)
ON_UPDATE_COMMAND_UI(ID_NEW_GROUP, &CGroupTreeView::OnUpdateCommand)
ON_UPDATE_COMMAND_UI(ID_NEW_CONTENT, &CGroupTreeView::OnUpdateCommand)
ON_UPDATE_COMMAND_UI_RANGE(ID_NEW_CONTENT_BEFORE, ID_NEW_GROUP_AFTER,
                           &CGroupTreeView::OnUpdateCommand)
ON_UPDATE_COMMAND_UI_RANGE(ID_RESORT_GROUPS, ID_RESORT_CONTENTS, &CGroupTreeView::OnUpdateCommand)
ON_UPDATE_COMMAND_UI_RANGE(ID_COLLAPSE_ALL, ID_SHOW_COUNTS, &CGroupTreeView::OnUpdateCommand)
ON_UPDATE_COMMAND_UI(ID_MOVE_UP, &CGroupTreeView::OnUpdateCommand)
ON_UPDATE_COMMAND_UI(ID_PASSWORD, &CGroupTreeView::OnUpdateCommand)
ON_UPDATE_COMMAND_UI(ID_LOCK, &CGroupTreeView::OnUpdateCommand)
ON_MESSAGE(WM_VIEW_BUSY, &CGroupTreeView::OnBusy)
ON_MESSAGE(WM_GROUPVIEW_SETTEXT, &CGroupTreeView::OnSetCurrentText)
ON_MESSAGE(WM_GROUPVIEW_MODIFIED, &CGroupTreeView::OnMarkModified)
ON_MESSAGE(WM_DRAG_HIGHLIGHT, &CGroupTreeView::OnDragHighlight)
ON_MESSAGE(WM_GROUPVIEW_SELECTITEM, &CGroupTreeView::OnSelectItemMessage)
ON_MESSAGE(WM_GROUPVIEW_DROPQUERY, &CGroupTreeView::OnDropQuery)
ON_NOTIFY_REFLECT(TVN_SELCHANGING, &CGroupTreeView::OnSelChanging)
ON_NOTIFY_REFLECT(TVN_SELCHANGED, &CGroupTreeView::OnSelChanged)
ON_NOTIFY_REFLECT(TVN_ITEMEXPANDING, &CGroupTreeView::OnItemExpanding)
ON_NOTIFY_REFLECT(TVN_ITEMEXPANDED, &CGroupTreeView::OnItemExpanded)
ON_NOTIFY_REFLECT(TVN_DELETEITEM, &CGroupTreeView::OnDeleteItem)
ON_NOTIFY_REFLECT(TVN_BEGINLABELEDIT, &CGroupTreeView::OnBeginLabelEdit)
ON_NOTIFY_REFLECT(TVN_ENDLABELEDIT, &CGroupTreeView::OnEndLabelEdit)
ON_NOTIFY_REFLECT(NM_CUSTOMDRAW, &CGroupTreeView::OnCustomDraw)
ON_WM_RBUTTONDOWN()
ON_WM_CONTEXTMENU()
ON_WM_CAPTURECHANGED()
ON_WM_DESTROY()
END_MESSAGE_MAP()

namespace {

constexpr COLORREF kFileCountColour = 0xFF0000; // blue
constexpr COLORREF kItemCountColour = 0x2D40D4;
constexpr int kNewFileNameTries = 100;

// Characters a file name may not hold.
CString ValidFileName(const CString& text) {
    CString out;
    for (int i = 0; i < text.GetLength(); ++i) {
        unsigned char ch = (unsigned char)text[i];
        if (ch >= 0x80 && i + 1 < text.GetLength()) {
            out += text.Mid(i, 2);
            ++i;
            continue;
        }
        out += strchr("\\/:*?\"<>|", ch) != nullptr || ch < 0x20 ? '_' : (char)ch;
    }
    return out;
}

} // namespace

CGroupTreeView::CGroupTreeView() : m_clipboard("") {
    m_dragHelper.SetContinueOnFailure(TRUE);
}

CGroupTreeView::~CGroupTreeView() {
    while (!m_files.IsEmpty()) {
        CFileInfo* pInfo = m_files.RemoveHead();
        delete pInfo->pDoc;
        delete pInfo;
    }
}

// ---- Small helpers --------------------------------------------------------------------------

BOOL CGroupTreeView::TreeHasFocus() const {
    return m_hWnd != nullptr && CWnd::GetFocus() == &Tree();
}

CEdit* CGroupTreeView::LabelEdit() const {
    return m_hWnd != nullptr ? Tree().GetEditControl() : nullptr;
}

CString CGroupTreeView::LoadText(UINT nId) const {
    CString s;
    if (nId != 0)
        s.LoadString(nId);
    return s;
}

CString CGroupTreeView::AppTitle() const {
    CString s = LoadText(AFX_IDS_APP_TITLE);
    if (s.IsEmpty() && AfxGetApp() != nullptr && AfxGetApp()->m_pszAppName != nullptr)
        s = AfxGetApp()->m_pszAppName;
    return s;
}

CString CGroupTreeView::FileFilter() const {
    CString filter;
    filter.Format("%s (*.%s)|*.%s||", LoadText(m_nFileTypeId).GetString(),
                  m_strExtension.GetString(), m_strExtension.GetString());
    return filter;
}

CGroupTreeView::CFileInfo* CGroupTreeView::GetFileAt(int n) {
    POSITION pos = m_files.FindIndex(n);
    return pos != nullptr ? m_files.GetAt(pos) : nullptr;
}

void CGroupTreeView::SelectItemIfNot(HTREEITEM hItem) {
    if (Tree().GetSelectedItem() != hItem)
        Tree().SelectItem(hItem);
}

BOOL CGroupTreeView::IsBelow(HTREEITEM hItem, HTREEITEM hAncestor) {
    for (HTREEITEM h = hItem; h != nullptr; h = Tree().GetParentItem(h)) {
        if (h == hAncestor)
            return TRUE;
    }
    return FALSE;
}

HTREEITEM CGroupTreeView::FileRootOf(HTREEITEM hItem) {
    CFileInfo* pInfo = GetFileInfo(hItem);
    return pInfo != nullptr ? pInfo->hItem : nullptr;
}

// ---- Item kinds and files -------------------------------------------------------------------

int CGroupTreeView::GetItemType(HTREEITEM hItem) {
    if (hItem == nullptr || hItem == TVI_ROOT || m_hWnd == nullptr)
        return KindNone;
    if (m_hTopItem != nullptr && hItem == m_hTopItem)
        return KindTop;
    HTREEITEM hParent = Tree().GetParentItem(hItem);
    if (m_hTopItem != nullptr ? hParent == m_hTopItem : hParent == nullptr)
        return KindFileRoot;
    CObject* pRecord = m_groupHelper.GetItemObject(hItem);
    if (pRecord == nullptr)
        return KindNone;
    if (m_pGroupClass != nullptr && pRecord->IsKindOf(m_pGroupClass))
        return KindGroup;
    return KindContent;
}

CGroupTreeView::CFileInfo* CGroupTreeView::GetFileInfo(HTREEITEM hItem) {
    if (hItem == nullptr)
        hItem = m_hCurrent;
    for (HTREEITEM h = hItem; h != nullptr; h = Tree().GetParentItem(h)) {
        if (h == m_hTopItem)
            return nullptr;
        if (GetItemType(h) == KindFileRoot) {
            for (POSITION pos = m_files.GetHeadPosition(); pos != nullptr;) {
                CFileInfo* pInfo = m_files.GetNext(pos);
                if (pInfo->hItem == h)
                    return pInfo;
            }
            return nullptr;
        }
    }
    return nullptr;
}

CQuillmarBaseDoc* CGroupTreeView::GetItemDocument(HTREEITEM hItem) {
    CFileInfo* pInfo = GetFileInfo(hItem);
    return pInfo != nullptr ? pInfo->pDoc : nullptr;
}

CGroup* CGroupTreeView::GetGroupOfItem(HTREEITEM hItem) {
    int kind = GetItemType(hItem);
    if (kind != KindGroup && kind != KindFileRoot)
        return nullptr;
    return m_groupHelper.GetGroup(hItem);
}

int CGroupTreeView::NextFileId() {
    if (!m_releasedIds.IsEmpty())
        return (int)(m_bReuseOldestFreedId ? m_releasedIds.RemoveHead()
                                           : m_releasedIds.RemoveTail());
    int largest = m_nFirstFileId - 1;
    for (POSITION pos = m_files.GetHeadPosition(); pos != nullptr;)
        largest = std::max(largest, m_files.GetNext(pos)->nFileId);
    return largest + 1;
}

int CGroupTreeView::GetOpenFiles(CStringList& list, BOOL bPathsOnly) {
    for (POSITION pos = m_files.GetHeadPosition(); pos != nullptr;) {
        CFileInfo* pInfo = m_files.GetNext(pos);
        if (bPathsOnly) {
            list.AddTail(pInfo->strPath);
        } else {
            CString name;
            GetDocumentName(name, pInfo->pDoc);
            list.AddTail(name);
        }
    }
    return (int)m_files.GetCount();
}

BOOL CGroupTreeView::FindFileByPath(LPCTSTR lpszPath, CFileInfo*& pInfo) {
    // The same file named with other letter cases or separators is the same file: opening it
    // twice would let one save overwrite the other's edits.
    for (POSITION pos = m_files.GetHeadPosition(); pos != nullptr;) {
        CFileInfo* p = m_files.GetNext(pos);
        if (!p->strPath.IsEmpty() && IsSameProgramPath(p->strPath, lpszPath)) {
            pInfo = p;
            return TRUE;
        }
    }
    pInfo = nullptr;
    return FALSE;
}

CQuillmarBaseDoc* CGroupTreeView::FindDocumentOfGroup(CGroup* pRoot) {
    for (POSITION pos = m_files.GetHeadPosition(); pos != nullptr;) {
        CFileInfo* p = m_files.GetNext(pos);
        if (GetRootGroup(p->pDoc) == pRoot)
            return p->pDoc;
    }
    return nullptr;
}

BOOL CGroupTreeView::IsOpenFileName(LPCTSTR lpszName) {
    for (POSITION pos = m_files.GetHeadPosition(); pos != nullptr;) {
        CGroup* pRoot = GetRootGroup(m_files.GetNext(pos)->pDoc);
        if (pRoot != nullptr && pRoot->GetName() == lpszName)
            return TRUE;
    }
    return FALSE;
}

BOOL CGroupTreeView::SelectFileByIndex(int n) {
    CFileInfo* pInfo = n >= 0 ? GetFileAt(n) : nullptr;
    if (pInfo == nullptr)
        return FALSE;
    Tree().SelectItem(pInfo->hItem);
    return TRUE;
}

CGroupTreeView::CFileInfo* CGroupTreeView::FindNextUnlockedFile(CFileInfo* pInfo) {
    POSITION start = pInfo != nullptr ? m_files.Find(pInfo) : nullptr;
    if (start == nullptr || m_files.GetCount() < 2)
        return nullptr;
    POSITION pos = start;
    for (;;) {
        m_files.GetNext(pos);
        if (pos == nullptr)
            pos = m_files.GetHeadPosition();
        if (pos == start)
            return nullptr;
        CFileInfo* p = m_files.GetAt(pos);
        if (!IsFileLocked(p->pDoc))
            return p;
    }
}

void CGroupTreeView::GetDocumentName(CString& strName, CQuillmarBaseDoc* pDoc) {
    CGroup* pRoot = GetRootGroup(pDoc);
    strName = pRoot != nullptr ? pRoot->GetName() : CString();
}

BOOL CGroupTreeView::IsFileLocked(CQuillmarBaseDoc* pDoc) {
    CGroup* pRoot = GetRootGroup(pDoc);
    return pRoot != nullptr && pRoot->IsLocked();
}

void CGroupTreeView::SetDocumentCurrentRecord(CQuillmarBaseDoc* pDoc, HTREEITEM hItem) {
    if (pDoc != nullptr)
        pDoc->SetCurrentObject(m_groupHelper.GetItemObject(hItem));
}

void CGroupTreeView::RegisterFileView(int nFileId, CQuillmarBaseDoc* pDoc) {
    if (m_nModuleKind >= 0 && m_pRightPane != nullptr)
        m_pRightPane->CreateViews((DWORD_PTR)nFileId, pDoc, m_nModuleKind, this);
}

void CGroupTreeView::UnregisterFileView(int nFileId, BOOL bNotify) {
    if (m_nModuleKind >= 0 && m_pRightPane != nullptr)
        m_pRightPane->DestroyViews((DWORD_PTR)nFileId, m_nModuleKind, bNotify);
}

void CGroupTreeView::NotifyParentFrame() {
    if (auto* pBar = dynamic_cast<CINavigationBarHost*>(GetParent()))
        pBar->LayoutFolderWnds();
}

// ---- First update ---------------------------------------------------------------------------

void CGroupTreeView::OnInitialUpdate() {
    if (m_bInitialized)
        return;
    m_bInitialized = TRUE;
    CTreeView::OnInitialUpdate();
    CTreeCtrl& tree = Tree();
    m_groupHelper.Attach(&tree);
    m_groupHelper.m_pListener = this;
    m_groupHelper.m_nLockedOverlay = 1;
    m_groupHelper.m_nPasswordOverlay = 2;
    m_groupHelper.SetRuntimeClasses(m_pGroupClass, m_pContentClass);
    m_groupHelper.m_strDefaultGroupName = LoadText(m_nNewGroupNameId);
    m_groupHelper.m_strDefaultContentName = LoadText(m_nNewContentNameId);
    m_groupHelper.EnableLabelEdit(TRUE);
    m_groupHelper.m_imageCallback = [this](CObject* pRecord, int kind, int* pImage,
                                           int* pSelImage) {
        if (pRecord != nullptr && pRecord->IsKindOf(RUNTIME_CLASS(CGroup))) {
            BOOL bRoot = static_cast<CGroup*>(pRecord)->GetParent() == nullptr;
            *pImage = *pSelImage = bRoot ? m_nFileImage : m_nGroupImage;
        } else if (pRecord != nullptr || kind == 2) {
            *pImage = m_nContentImage;
            *pSelImage = m_nContentSelImage;
        } else {
            *pImage = *pSelImage = m_nGroupImage;
        }
    };
    InitView();
    DWORD style = TVS_HASBUTTONS | TVS_HASLINES | TVS_SHOWSELALWAYS | TVS_TRACKSELECT;
    if (m_bNoTopItem)
        style |= TVS_LINESATROOT;
    tree.ModifyStyle(0, style);
    if (m_imageList.GetSafeHandle() != nullptr)
        tree.SetImageList(&m_imageList, TVSIL_NORMAL);
    tree.SetBkColor(m_crBackground);
    m_drawHelper.m_pTree = &tree;
    m_drawHelper.SetBackgroundColor(m_crBackground);
    m_strTitleBase.Format("%s - %s", AppTitle().GetString(), LoadText(m_nViewNameId).GetString());
    if (!m_bNoTopItem)
        m_hTopItem = tree.InsertItem(LoadText(m_nViewNameId), m_nTopImage, m_nTopSelImage,
                                     TVI_ROOT, TVI_LAST);
    m_dragHelper.Attach(this, &tree);
    m_dragHelper.SetDragCursors(LoadCursor(nullptr, MAKEINTRESOURCE(242)),
                                LoadCursor(nullptr, MAKEINTRESOURCE(243)),
                                LoadCursor(nullptr, MAKEINTRESOURCE(241)));
    m_dragHelper.SetCallbacks(
        this,
        [this](CWnd*, DRAGITEM item, DWORD, DRAGITEM target, int, int keyFlags, BOOL bTest,
               BOOL bHasNext, int&) {
            return DoDrop((HTREEITEM)item, (HTREEITEM)target, keyFlags, bTest, bHasNext, nullptr);
        },
        [this](CWnd*, DRAGITEM item, DWORD, int x, int y, int keyFlags, BOOL bTest, int,
               HWND& hTargetWnd, DRAGITEM& target, BOOL bHasNext, BOOL, int&) {
            return DropOnListView((HTREEITEM)item, x, y, keyFlags, bTest, hTargetWnd, target,
                                  bHasNext);
        });
}

// ---- Messages passed to the drag engine -----------------------------------------------------

BOOL CGroupTreeView::PreTranslateMessage(MSG* pMsg) {
    if (pMsg->hwnd == Tree().m_hWnd && m_dragHelper.FilterMessage(pMsg))
        return TRUE;
    return CTreeView::PreTranslateMessage(pMsg);
}

BOOL CGroupTreeView::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam,
                                   LRESULT* pResult) {
    if (m_dragHelper.OnMessage(message, wParam, lParam)) {
        if (pResult != nullptr)
            *pResult = 0;
        return TRUE;
    }
    return CTreeView::OnChildNotify(message, wParam, lParam, pResult);
}

void CGroupTreeView::OnCaptureChanged(CWnd* pWnd) {
    // The tree lost the mouse: a drag in progress ends.
    m_dragHelper.OnMessage(WM_CAPTURECHANGED, 0, (LPARAM)(pWnd != nullptr ? pWnd->m_hWnd : nullptr));
    Default();
}

// ---- Command routing ------------------------------------------------------------------------

BOOL CGroupTreeView::OnCmdMsg(UINT nID, int nCode, void* pExtra,
                              AFX_CMDHANDLERINFO* pHandlerInfo) {
    if (!m_bCommandsEnabled && (nID != m_nAlwaysRoutedCommand || nID == 0))
        return FALSE;
    bool clipboardOrDelete = nID == ID_DELETE || nID == ID_DELETE2 || nID == ID_COPY ||
                             nID == ID_CUT || nID == ID_PASTE;
    // While a label is edited, the clipboard keys and Del work on its text: a paste must neither
    // end the edit nor move the clipboard's records into the group.
    if (CEdit* pEdit = LabelEdit(); pEdit != nullptr && clipboardOrDelete) {
        if (pHandlerInfo != nullptr)
            return FALSE;
        if (nCode == (int)CN_UPDATE_COMMAND_UI) {
            static_cast<CCmdUI*>(pExtra)->Enable(TRUE);
            return TRUE;
        }
        if (nCode == (int)CN_COMMAND) {
            // Done here: a key that brought the command must not reach the edit as well.
            if (auto* pFrame = dynamic_cast<CIMainFrameHost*>(AfxGetMainWnd()))
                pFrame->SetKeyConsumed();
            if (nID == ID_COPY)
                pEdit->Copy();
            else if (nID == ID_CUT)
                pEdit->Cut();
            else if (nID == ID_PASTE)
                pEdit->Paste();
            else
                pEdit->Clear();
            return TRUE;
        }
    }
    bool focusCommand = nID == ID_DELETE || nID == ID_DELETE2 || nID == ID_COPY || nID == ID_CUT;
    if (pHandlerInfo != nullptr && focusCommand)
        return FALSE;
    // These act on the tree's items only while the tree has the focus; otherwise the next
    // command target (a list of the same records) gets them.
    if (focusCommand && !TreeHasFocus())
        return FALSE;
    if (nCode == (int)CN_COMMAND && pHandlerInfo == nullptr && !focusCommand &&
        m_groupHelper.IsEditing() && LabelEdit() != nullptr) {
        // Probe first so that a command that is not ours leaves the edit alone.
        AFX_CMDHANDLERINFO info{};
        if (CTreeView::OnCmdMsg(nID, nCode, nullptr, &info))
            m_groupHelper.FinishLabelEdit();
    }
    return CTreeView::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

void CGroupTreeView::OnUpdateCommand(CCmdUI* pCmdUI) {
    int kind = GetItemType(m_hCurrent);
    BOOL bEnable = TRUE;
    switch (pCmdUI->m_nID) {
    case ID_NEW_GROUP:
    case ID_NEW_CONTENT:
        bEnable = kind != KindTop;
        break;
    case ID_DELETE:
    case ID_DELETE2:
    case ID_COPY:
    case ID_CUT:
        bEnable = kind == KindContent || kind == KindGroup || kind == KindFileRoot;
        break;
    case ID_PASSWORD:
    case ID_COLLAPSE_ALL:
    case ID_RESORT_GROUPS:
    case ID_RESORT_CONTENTS:
        bEnable = kind == KindGroup || kind == KindFileRoot;
        break;
    case ID_RENAME:
        bEnable = kind == KindContent || kind == KindGroup || kind == KindFileRoot;
        break;
    case ID_OPEN_FOLDER:
        bEnable = kind == KindFileRoot;
        break;
    case ID_NEW_CONTENT_BEFORE:
    case ID_NEW_CONTENT_AFTER:
        bEnable = kind == KindContent;
        break;
    case ID_NEW_GROUP_BEFORE:
    case ID_NEW_GROUP_AFTER:
        bEnable = kind == KindGroup;
        break;
    case ID_FILE_CLOSE_ALL:
    case ID_FILE_SAVE_ALL:
        bEnable = !m_files.IsEmpty();
        break;
    case ID_SHOW_COUNTS:
        pCmdUI->SetCheck(m_bShowCounts ? 1 : 0);
        break;
    case ID_LOCK: {
        CGroup* pGroup = GetGroupOfItem(m_hCurrent);
        bEnable = pGroup != nullptr && (pGroup->GetFlags() & CGroup::FLAG_PASSWORD) &&
                  !(pGroup->GetFlags() & CGroup::FLAG_LOCKED);
        break;
    }
    case ID_MOVE_UP:
        bEnable = m_hCurrent != nullptr && kind != KindTop;
        break;
    case ID_FILE_CLOSE:
    case ID_FILE_SAVE_AS:
        bEnable = GetFileInfo(m_hCurrent) != nullptr;
        break;
    case ID_FILE_SAVE: {
        CFileInfo* pInfo = GetFileInfo(m_hCurrent);
        bEnable = pInfo != nullptr && pInfo->pDoc != nullptr && pInfo->pDoc->IsModified();
        break;
    }
    case ID_PASTE:
        bEnable = (kind == KindGroup || kind == KindFileRoot) && !IsClipboardEmpty();
        break;
    default:
        break;
    }
    pCmdUI->Enable(bEnable);
}

// ---- Messages -------------------------------------------------------------------------------

LRESULT CGroupTreeView::OnBusy(WPARAM wParam, LPARAM lParam) {
    CWnd* pParent = GetParent();
    if (wParam == 100) {
        if (pParent != nullptr)
            pParent->EnableWindow(FALSE);
        m_bCommandsEnabled = FALSE;
    } else if (wParam == 102) {
        if (lParam == 32821 && m_hCurrent != nullptr) {
            CFileInfo* pInfo = GetFileInfo(m_hCurrent);
            if (pInfo != nullptr && ShouldResortAfterEdit(pInfo->pDoc) &&
                GetItemType(m_hCurrent) != KindFileRoot) {
                if (HTREEITEM h = m_groupHelper.ResortItem(m_hCurrent))
                    Tree().SelectItem(h);
            } else {
                UpdateTitle();
            }
        }
        if (pParent != nullptr)
            pParent->EnableWindow(TRUE);
        m_bCommandsEnabled = TRUE;
    } else if (wParam == 300) {
        ShowCurrentItemAgain();
        return 0;
    }
    if ((wParam == 100 || wParam == 102) && GetParentFrame() != nullptr)
        GetParentFrame()->SendMessage(WM_VIEW_BUSY, wParam, lParam);
    return 0;
}

LRESULT CGroupTreeView::OnSetCurrentText(WPARAM, LPARAM lParam) {
    if (m_hCurrent != nullptr && lParam != 0)
        Tree().SetItemText(m_hCurrent, reinterpret_cast<LPCTSTR>(lParam));
    return 0;
}

LRESULT CGroupTreeView::OnMarkModified(WPARAM, LPARAM) {
    SetModified(TRUE, TRUE, FALSE);
    return 1;
}

LRESULT CGroupTreeView::OnDragHighlight(WPARAM wParam, LPARAM lParam) {
    Tree().SelectDropTarget(wParam != 0 ? (HTREEITEM)lParam : nullptr);
    return 0;
}

LRESULT CGroupTreeView::OnSelectItemMessage(WPARAM, LPARAM lParam) {
    HTREEITEM h = lParam != 0 ? (HTREEITEM)lParam : m_hTopItem;
    if (h != nullptr && h != m_hCurrent && Tree().IsValidItem(h))
        Tree().SelectItem(h);
    return 0;
}

LRESULT CGroupTreeView::OnDropQuery(WPARAM wParam, LPARAM lParam) {
    auto* q = reinterpret_cast<GROUPDROPQUERY*>(lParam);
    if (q == nullptr)
        return 0;
    if (wParam != 0 || q->bHitTest) {
        if (!q->bNoDrop)
            q->hHit = Tree().HitTest(CPoint(q->pt));
        if (wParam != 0)
            return 1;
    }
    if (q->bNoDrop)
        return FALSE;
    return DoDrop(q->hSource, q->hHit, q->keyFlags, q->bTest, q->bHasNext, q->pDragState);
}

// ---- Files ----------------------------------------------------------------------------------

void CGroupTreeView::OnFileNew() {
    NewFileBegin();
}

void CGroupTreeView::NewFileBegin() {
    m_groupHelper.FinishLabelEdit();
    m_hPendingParent = m_hTopItem;
    CString base = LoadText(m_nNewFileNameId);
    CString name = base;
    if (IsOpenFileName(name)) {
        for (int i = 1; i <= kNewFileNameTries; ++i) {
            name.Format("%s%d", base.GetString(), i);
            if (!IsOpenFileName(name))
                break;
        }
    }
    HTREEITEM hParent = m_hTopItem != nullptr ? m_hTopItem : TVI_ROOT;
    HTREEITEM hTemp = Tree().InsertItem(name, m_nFileImage, m_nFileImage, hParent, TVI_LAST);
    if (hTemp == nullptr)
        return;
    m_bNewFilePending = TRUE;
    m_groupHelper.SetEditMode(CGroupHelper::EditNewGroup);
    if (m_hTopItem != nullptr)
        Tree().Expand(m_hTopItem, TVE_EXPAND);
    Tree().ModifyStyle(0, TVS_EDITLABELS);
    Tree().EditLabel(hTemp);
}

void CGroupTreeView::NewFileEnd(HTREEITEM hItem) {
    m_bNewFilePending = FALSE;
    m_groupHelper.SetEditMode(CGroupHelper::EditNone);
    m_hPendingParent = nullptr;
    CQuillmarBaseDoc* pDoc = CreateDocument();
    CGroup* pRoot = pDoc != nullptr && pDoc->OnNewDocument() ? GetRootGroup(pDoc) : nullptr;
    if (pRoot == nullptr) {
        delete pDoc;
        Tree().DeleteItem(hItem);
        return;
    }
    auto* pInfo = new CFileInfo;
    pInfo->hItem = hItem;
    // A file never saved keeps its label as its path until it is saved.
    pInfo->strPath = Tree().GetItemText(hItem);
    pInfo->pDoc = pDoc;
    pInfo->nFileId = NextFileId();
    pRoot->SetTreeItem((DWORD_PTR)hItem);
    pRoot->SetName(pInfo->strPath);
    pDoc->SetTitle(pInfo->strPath);
    pDoc->SetModifiedFlag(TRUE);
    RegisterFileView(pInfo->nFileId, pDoc);
    NotifyParentFrame();
    Tree().SetItemData(hItem, (DWORD_PTR) static_cast<CObject*>(pRoot));
    m_files.AddTail(pInfo);
    m_groupHelper.InsertChildren(hItem, pRoot, TVI_LAST, m_groupHelper.m_nInsertFlags);
    m_pCurrentFile = pInfo;
    // Editing the label selected the new item before it had a file: now that it has one, the
    // pane shows that file's view instead of staying as it was.
    if (m_hCurrent == m_hTopItem || m_hCurrent == hItem)
        OnCurrentItemChanged(m_hCurrent, TRUE);
    else
        UpdateTitle();
}

void CGroupTreeView::OnFileOpen() {
    OpenFile(nullptr, FALSE);
}

CQuillmarBaseDoc* CGroupTreeView::OpenFile(LPCTSTR lpszPath, BOOL bCreateNew) {
    if (lpszPath != nullptr)
        return OpenOneFile(lpszPath, bCreateNew);
    CString filter = FileFilter();
    int nBuffer = m_nOpenBufferSize;
    for (;;) {
        CFileDialog dlg(!bCreateNew, m_strExtension, nullptr,
                        OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT |
                            (bCreateNew ? 0 : OFN_ALLOWMULTISELECT),
                        filter, this);
        const CString folder = GetFileDialogFolder();
        if (!folder.IsEmpty())
            dlg.m_ofn.lpstrInitialDir = folder.GetString();
        std::vector<char> buffer((size_t)nBuffer, 0);
        if (!bCreateNew) {
            dlg.m_ofn.lpstrFile = buffer.data();
            dlg.m_ofn.nMaxFile = (DWORD)nBuffer;
        }
        if (dlg.DoModal() != IDOK) {
            if (!bCreateNew && CommDlgExtendedError() == FNERR_BUFFERTOOSMALL) {
                AfxMessageBox("由于选择的文件较多，缓存不够，请重新选择!");
                nBuffer *= 2;
                continue;
            }
            return nullptr;
        }
        if (bCreateNew)
            return OpenOneFile(dlg.GetPathName(), TRUE);
        CQuillmarBaseDoc* pLast = nullptr;
        for (POSITION pos = dlg.GetStartPosition(); pos != nullptr;)
            pLast = OpenOneFile(dlg.GetNextPathName(pos), FALSE);
        return pLast;
    }
}

CQuillmarBaseDoc* CGroupTreeView::OpenOneFile(const CString& path, BOOL bCreateNew) {
    CFileInfo* pOpen = nullptr;
    if (FindFileByPath(path, pOpen)) {
        MessageBeep(MB_ICONEXCLAMATION);
        AfxMessageBox("文件" + path + "已经被打开！", MB_ICONEXCLAMATION);
        return pOpen->pDoc;
    }
    CQuillmarBaseDoc* pDoc = CreateDocument();
    if (pDoc == nullptr)
        return nullptr;
    BOOL ok;
    if (bCreateNew) {
        pDoc->SetPathName(path, FALSE);
        ok = pDoc->OnNewDocument() && pDoc->OnSaveDocument(path);
    } else {
        // A file too short to hold even the version word is refused by the document without a
        // word; the user still hears why nothing opened.
        CFileStatus status;
        BOOL bTooShort = CFile::GetStatus(path, status) && status.m_size < 4;
        ok = pDoc->OnOpenDocument(path);
        if (ok)
            pDoc->SetPathName(path, FALSE);
        else if (bTooShort)
            AfxMessageBox(CDocument::GetFailedToOpenText(path), MB_ICONEXCLAMATION);
    }
    if (!ok || GetRootGroup(pDoc) == nullptr) {
        delete pDoc;
        return nullptr;
    }
    // A file opened or made here joins the program's recently used files.
    pDoc->SetPathName(path, TRUE);
    RememberFileFolder(path);
    CWaitCursor wait;
    CGroup* pRoot = GetRootGroup(pDoc);
    if (pRoot->GetName().IsEmpty()) {
        CString title = pDoc->GetTitle();
        int dot = title.ReverseFind('.');
        pRoot->SetName(dot > 0 ? title.Left(dot) : title);
    }
    pDoc->SetTitle(pRoot->GetName());
    AddFileRoot(pDoc, nullptr, nullptr, nullptr);
    if (m_hTopItem != nullptr)
        Tree().Expand(m_hTopItem, TVE_EXPAND);
    if (m_hCurrent == m_hTopItem)
        OnCurrentItemChanged(m_hCurrent, TRUE);
    return pDoc;
}

HTREEITEM CGroupTreeView::AddFileRoot(CQuillmarBaseDoc* pDoc, HTREEITEM hItem,
                                      LPCTSTR lpszDefaultName, CFileInfo** ppInfo) {
    CGroup* pRoot = GetRootGroup(pDoc);
    if (pRoot == nullptr)
        return nullptr;
    if (hItem == nullptr) {
        CString name;
        GetDocumentName(name, pDoc);
        if (name.IsEmpty() && lpszDefaultName != nullptr)
            name = lpszDefaultName;
        hItem = Tree().InsertItem(TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM, name,
                                  m_nFileImage, m_nFileImage, 0, 0,
                                  (LPARAM) static_cast<CObject*>(pRoot),
                                  m_hTopItem != nullptr ? m_hTopItem : TVI_ROOT, TVI_LAST);
        if (hItem == nullptr)
            return nullptr;
    }
    auto* pInfo = new CFileInfo;
    pInfo->hItem = hItem;
    pInfo->strPath = pDoc->GetPathName();
    pInfo->pDoc = pDoc;
    pInfo->nFileId = NextFileId();
    pRoot->SetTreeItem((DWORD_PTR)hItem);
    if (IsFileLocked(pDoc))
        Tree().SetItemState(hItem, INDEXTOOVERLAYMASK(1), TVIS_OVERLAYMASK);
    m_files.AddTail(pInfo);
    OnGroupItemBuilt(hItem, pRoot);
    m_groupHelper.InsertChildren(hItem, pRoot, TVI_LAST, m_groupHelper.m_nInsertFlags);
    RegisterFileView(pInfo->nFileId, pDoc);
    NotifyParentFrame();
    if (ppInfo != nullptr)
        *ppInfo = pInfo;
    return hItem;
}

CString CGroupTreeView::GetFileDialogFolder() const {
    if (!m_strLastFolder.IsEmpty())
        return m_strLastFolder;
    const char* home = std::getenv("HOME");
    return home != nullptr && *home != '\0' ? ProgramPathFromOsPath(home) : CString();
}

void CGroupTreeView::RememberFileFolder(const CString& path) {
    const int cut = std::max(path.ReverseFind('\\'), path.ReverseFind('/'));
    if (cut > 0)
        m_strLastFolder = path.Left(cut);
}

BOOL CGroupTreeView::SaveFile(CFileInfo* pInfo, BOOL bSaveAs) {
    if (pInfo == nullptr || pInfo->pDoc == nullptr)
        return FALSE;
    CQuillmarBaseDoc* pDoc = pInfo->pDoc;
    if (!bSaveAs && !pDoc->IsModified())
        return TRUE;
    CString path = pDoc->GetPathName();
    BOOL bCopyElsewhere = FALSE;
    if (path.IsEmpty() || bSaveAs) {
        CString name = ValidFileName(Tree().GetItemText(pInfo->hItem));
        CFileDialog dlg(FALSE, m_strExtension, name, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                        FileFilter(), this);
        const CString folder = GetFileDialogFolder();
        if (!folder.IsEmpty())
            dlg.m_ofn.lpstrInitialDir = folder.GetString();
        if (dlg.DoModal() != IDOK)
            return FALSE;
        CString chosen = dlg.GetPathName();
        if (bSaveAs && !path.IsEmpty()) {
            // A copy elsewhere: the open file stays on its own path, and so do its unsaved
            // changes, unless the copy is the file itself.
            bCopyElsewhere = !IsSameProgramPath(chosen, path);
        } else {
            pDoc->SetPathName(chosen, TRUE);
            pInfo->strPath = chosen;
        }
        path = chosen;
    }
    BOOL bWasModified = pDoc->IsModified();
    if (!pDoc->OnSaveDocument(path))
        return FALSE;
    RememberFileFolder(path);
    if (bCopyElsewhere) {
        pDoc->SetModifiedFlag(bWasModified);
        return TRUE;
    }
    pDoc->SetModifiedFlag(FALSE);
    if (pInfo == m_pCurrentFile) {
        UpdateTitle();
        Tree().Invalidate();
    }
    return TRUE;
}

void CGroupTreeView::OnFileSave() {
    SaveFile(GetFileInfo(m_hCurrent), FALSE);
}

void CGroupTreeView::OnFileSaveAs() {
    SaveFile(GetFileInfo(m_hCurrent), TRUE);
}

void CGroupTreeView::OnFileSaveAll() {
    for (POSITION pos = m_files.GetHeadPosition(); pos != nullptr;)
        SaveFile(m_files.GetNext(pos), FALSE);
}

BOOL CGroupTreeView::CloseFile(CFileInfo* pInfo, BOOL bQuiet, BOOL bAskSave) {
    if (pInfo == nullptr)
        return FALSE;
    CQuillmarBaseDoc* pDoc = pInfo->pDoc;
    if (bAskSave && pDoc != nullptr && pDoc->IsModified()) {
        CString prompt;
        prompt.Format("是否保存对 %s 的更改?", pDoc->GetTitle().GetString());
        int answer = AfxMessageBox(prompt, MB_YESNOCANCEL | MB_ICONQUESTION);
        if (answer == IDCANCEL)
            return FALSE;
        if (answer == IDYES && !SaveFile(pInfo, FALSE))
            return FALSE;
    }
    OnFileClosing(pInfo);
    m_releasedIds.AddTail((UINT)pInfo->nFileId);
    if (POSITION pos = m_files.Find(pInfo))
        m_files.RemoveAt(pos);
    if (pInfo->hItem != nullptr && Tree().IsValidItem(pInfo->hItem)) {
        // The records go with the document: their items go first, unbound.
        m_groupHelper.RemoveItemOnly(pInfo->hItem);
    }
    if (m_pCurrentFile == pInfo)
        m_pCurrentFile = nullptr;
    // The right pane's views are shared by every open file: they let go of this document (or
    // move on to another file's) while it still exists.
    UnregisterFileView(pInfo->nFileId, !bQuiet);
    if (pDoc != nullptr) {
        pDoc->DeleteContents();
        delete pDoc;
    }
    delete pInfo;
    return TRUE;
}

void CGroupTreeView::OnFileClose() {
    if (auto* pFrame = dynamic_cast<CIMainFrameHost*>(AfxGetMainWnd()))
        pFrame->SetKeyConsumed();
    CFileInfo* pInfo = GetFileInfo(m_hCurrent);
    if (pInfo == nullptr)
        return;
    SelectItemIfNot(pInfo->hItem);
    RemoveItem(pInfo->hItem);
}

void CGroupTreeView::OnFileCloseAll() {
    if (auto* pFrame = dynamic_cast<CIMainFrameHost*>(AfxGetMainWnd()))
        pFrame->SetKeyConsumed();
    CString prompt;
    prompt.Format("您真的想关闭所有已打开的%s吗？", LoadText(m_nFileTypeId).GetString());
    if (AfxShowMessageBox(m_hWnd, prompt, "关闭全部文件", MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    if (!SelectTopItemToClose())
        return;
    while (!m_files.IsEmpty()) {
        if (!CloseFile(m_files.GetHead(), FALSE, TRUE))
            break;
    }
    OnCurrentItemChanged(m_hCurrent, TRUE);
}

BOOL CGroupTreeView::SelectTopItemToClose() {
    if (m_hTopItem == nullptr)
        return TRUE;
    SelectItemIfNot(m_hTopItem);
    // A view that keeps the selection holds edits the user chose to stay with (it asked): the
    // files stay open rather than be asked about again one by one.
    return Tree().GetSelectedItem() == m_hTopItem || GetFileCount() == 0;
}

BOOL CGroupTreeView::CloseAllFiles() {
    if (!SelectTopItemToClose())
        return FALSE;
    while (GetFileCount() > 0) {
        if (!CloseFile(GetFileAt(0), FALSE, TRUE))
            return FALSE;
    }
    OnCurrentItemChanged(m_hCurrent, TRUE);
    return TRUE;
}

void CGroupTreeView::OnOpenFolder() {
    CQuillmarBaseDoc* pDoc = GetItemDocument(m_hCurrent);
    if (pDoc != nullptr && !pDoc->GetPathName().IsEmpty())
        OpenContainingFolder(pDoc->GetPathName());
}

// ---- Current item and title -----------------------------------------------------------------

void CGroupTreeView::OnCurrentItemChanged(HTREEITEM hItem, BOOL bUpdateViews) {
    int kind = GetItemType(hItem);
    CFileInfo* pInfo = nullptr;
    if (kind != KindTop) {
        pInfo = GetFileInfo(hItem);
        if (pInfo == nullptr)
            return;
    }
    int nView = kind == KindContent ? m_nContentViewNumber
                : kind == KindTop   ? 1
                                    : m_nGroupViewNumber;
    if (m_pRightPane != nullptr) {
        if (pInfo != nullptr) {
            m_pRightPane->ShowView(nView, (DWORD_PTR)pInfo->nFileId, nullptr, m_nModuleKind,
                                   nullptr);
        } else {
            if (CWnd* pFixed = m_pRightPane->GetView(nView, CIRightPaneHost::FixedViews)) {
                pFixed->SetOwner(this);
                pFixed->SendMessage(WM_GROUPVIEW_LISTFILES);
            }
            m_pRightPane->ShowView(nView, 0, nullptr, CIRightPaneHost::FixedViews, this);
        }
    }
    if (hItem == m_hCurrent) {
        m_pCurrentFile = pInfo;
        if (pInfo != nullptr) {
            SetDocumentCurrentRecord(pInfo->pDoc, hItem);
            if (bUpdateViews && pInfo->pDoc->GetFirstViewPosition() != nullptr)
                pInfo->pDoc->UpdateAllViews(this, kind, m_groupHelper.GetItemObject(hItem));
        }
    }
    UpdateTitle();
    BOOL bHadFocus = TreeHasFocus();
    Tree().ModifyStyle(kind == KindTop ? TVS_EDITLABELS : 0, kind == KindTop ? 0 : TVS_EDITLABELS);
    if (bHadFocus && !TreeHasFocus() && LabelEdit() == nullptr)
        Tree().SetFocus();
}

void CGroupTreeView::ShowCurrentItemAgain() {
    if (m_hCurrent == nullptr && m_hTopItem != nullptr && Tree().SelectItem(m_hTopItem) &&
        m_hCurrent != nullptr)
        return; // the selection notice showed it
    OnCurrentItemChanged(m_hCurrent, FALSE);
}

void CGroupTreeView::SetFrameTitle(const CString& title) {
    if (CFrameWnd* pFrame = GetParentFrame())
        pFrame->SetWindowText(title);
}

BOOL CGroupTreeView::GetCaptionText(CObject* pRecord, CString& text) {
    text.Empty();
    if (pRecord == nullptr)
        return FALSE;
    if (pRecord->IsKindOf(RUNTIME_CLASS(CGroup)))
        static_cast<CGroup*>(pRecord)->GetPath(text, nullptr, TRUE);
    else if (pRecord->IsKindOf(RUNTIME_CLASS(CContent)))
        static_cast<CContent*>(pRecord)->GetPath(text, nullptr, TRUE, " - ", TRUE);
    return TRUE;
}

void CGroupTreeView::UpdateTitle() {
    CString title = m_strTitleBase;
    CString text;
    if (GetCaptionText(m_groupHelper.GetItemObject(m_hCurrent), text))
        title += " - " + text;
    if (m_pCurrentFile != nullptr && m_pCurrentFile->pDoc->IsModified())
        title += "（已修改）";
    SetFrameTitle(title);
    if (m_pCurrentFile != nullptr)
        RedrawItem(m_pCurrentFile->hItem);
}

void CGroupTreeView::SetFileModified(HTREEITEM hItem, BOOL bModified) {
    CFileInfo* pInfo = GetFileInfo(hItem);
    if (pInfo == nullptr)
        return;
    pInfo->pDoc->SetModifiedFlag(bModified);
    // The caption keeps the current item's path and gains the modified mark.
    if (bModified && pInfo == m_pCurrentFile && IsWindowVisible())
        UpdateTitle();
}

void CGroupTreeView::SetModified(BOOL bModified, BOOL bUpdateTitle, BOOL bUpdateViews) {
    if (m_pCurrentFile == nullptr)
        return;
    m_pCurrentFile->pDoc->SetModifiedFlag(bModified);
    if (bUpdateTitle)
        UpdateTitle();
    if (bUpdateViews)
        m_pCurrentFile->pDoc->UpdateAllViews(nullptr);
}

void CGroupTreeView::MarkDocumentModified(CQuillmarBaseDoc* pDoc) {
    if (pDoc == nullptr)
        return;
    pDoc->SetModifiedFlag(TRUE);
    if (m_pCurrentFile != nullptr && m_pCurrentFile->pDoc == pDoc)
        UpdateTitle();
}

void CGroupTreeView::RedrawItem(HTREEITEM hItem) {
    CRect rc;
    if (hItem != nullptr && Tree().GetItemRect(hItem, &rc, FALSE))
        Tree().InvalidateRect(&rc);
}

// ---- Deleting, renaming, creating -----------------------------------------------------------

void CGroupTreeView::OnDelete() {
    int kind = GetItemType(m_hCurrent);
    if (kind == KindTop || kind == KindNone)
        return;
    CString prompt = "您真的要删除该项吗？";
    if (kind == KindFileRoot)
        prompt = m_nCloseFilePromptId != 0 ? LoadText(m_nCloseFilePromptId)
                                           : CString("即将关闭该文件。确定码？");
    if (AfxMessageBox(prompt, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    RemoveItem(m_hCurrent);
}

BOOL CGroupTreeView::LeaveItem(HTREEITEM hItem, BOOL* pbLeft) {
    // The selection leaves the item first when it is on the item or anywhere below it.
    BOOL bWasCurrent = m_hCurrent != nullptr && IsBelow(m_hCurrent, hItem);
    if (pbLeft != nullptr)
        *pbLeft = bWasCurrent;
    if (!bWasCurrent)
        return TRUE;
    // The next sibling that is not a locked group, else the parent.
    HTREEITEM hNext = Tree().GetNextSiblingItem(hItem);
    while (hNext != nullptr) {
        CGroup* pGroup = m_groupHelper.GetGroup(hNext);
        if (pGroup == nullptr || !pGroup->IsLocked())
            break;
        hNext = Tree().GetNextSiblingItem(hNext);
    }
    if (hNext == nullptr)
        hNext = Tree().GetParentItem(hItem);
    if (hNext != nullptr)
        Tree().SelectItem(hNext);
    // A view that keeps unsaved edits of this record may refuse to be left: the record
    // stays, or the view would later write into a freed one.
    if (IsBelow(Tree().GetSelectedItem(), hItem))
        return FALSE;
    m_hPrevious = nullptr;
    return TRUE;
}

BOOL CGroupTreeView::RemoveItem(HTREEITEM hItem) {
    int kind = GetItemType(hItem);
    if (kind == KindTop || kind == KindNone)
        return FALSE;
    BOOL bWasCurrent = FALSE;
    if (!LeaveItem(hItem, &bWasCurrent))
        return FALSE;
    if (kind == KindFileRoot) {
        CFileInfo* pInfo = GetFileInfo(hItem);
        BOOL ok = CloseFile(pInfo, FALSE, TRUE);
        OnCurrentItemChanged(m_hCurrent, TRUE);
        return ok;
    }
    CQuillmarBaseDoc* pDoc = GetItemDocument(hItem);
    BOOL ok = m_groupHelper.DeleteItem(hItem);
    if (bWasCurrent)
        OnCurrentItemChanged(m_hCurrent, TRUE);
    if (ok)
        MarkDocumentModified(pDoc);
    return ok;
}

void CGroupTreeView::OnRename() {
    int kind = GetItemType(m_hCurrent);
    if (kind == KindContent)
        m_groupHelper.RenameContent(m_hCurrent, TRUE, TRUE);
    else if (kind == KindGroup || kind == KindFileRoot)
        m_groupHelper.RenameGroup(m_hCurrent, TRUE, TRUE);
}

void CGroupTreeView::NewRecord(BOOL bGroup, int where) {
    m_groupHelper.FinishLabelEdit();
    int kind = GetItemType(m_hCurrent);
    if (kind == KindTop || kind == KindNone || m_hCurrent == nullptr)
        return;
    if (where != 0) {
        if (kind != (bGroup ? KindGroup : KindContent))
            return;
        m_groupHelper.SetReferenceItem(m_hCurrent);
        Tree().SelectItem(Tree().GetParentItem(m_hCurrent));
    } else if (kind == KindContent) {
        Tree().SelectItem(Tree().GetParentItem(m_hCurrent));
    }
    m_hPendingParent = m_hCurrent;
    BOOL bSorted = where == 0;
    BOOL bAfter = where >= 0;
    if (bGroup)
        m_groupHelper.NewGroup(TRUE, m_hPendingParent, bSorted, nullptr, bAfter);
    else
        m_groupHelper.NewContent(TRUE, m_hPendingParent, bSorted, nullptr, bAfter);
}

void CGroupTreeView::OnNewGroup() {
    NewRecord(TRUE, 0);
}
void CGroupTreeView::OnNewContent() {
    NewRecord(FALSE, 0);
}
void CGroupTreeView::OnNewContentBefore() {
    NewRecord(FALSE, -1);
}
void CGroupTreeView::OnNewContentAfter() {
    NewRecord(FALSE, 1);
}
void CGroupTreeView::OnNewGroupBefore() {
    NewRecord(TRUE, -1);
}
void CGroupTreeView::OnNewGroupAfter() {
    NewRecord(TRUE, 1);
}

void CGroupTreeView::OnResortGroups() {
    CGroup* pGroup = GetGroupOfItem(m_hCurrent);
    if (pGroup != nullptr && m_groupHelper.ResortSubgroups(pGroup) > 0) {
        MarkDocumentModified(GetItemDocument(m_hCurrent));
        OnCurrentItemChanged(m_hCurrent, TRUE);
    }
}

void CGroupTreeView::OnResortContents() {
    CGroup* pGroup = GetGroupOfItem(m_hCurrent);
    if (pGroup != nullptr && m_groupHelper.ResortContents(pGroup) > 0) {
        MarkDocumentModified(GetItemDocument(m_hCurrent));
        OnCurrentItemChanged(m_hCurrent, TRUE);
    }
}

void CGroupTreeView::OnCollapseAll() {
    if (m_hCurrent == nullptr)
        return;
    Tree().SetRedraw(FALSE);
    m_groupHelper.CollapseAll(m_hCurrent);
    if (GetItemType(m_hCurrent) == KindFileRoot)
        Tree().SetItemImage(m_hCurrent, m_nFileImage, m_nFileImage);
    Tree().SetRedraw(TRUE);
}

void CGroupTreeView::OnShowCounts() {
    m_bShowCounts = !m_bShowCounts;
    Tree().Invalidate();
}

void CGroupTreeView::OnMoveUp() {
    if (m_hCurrent != nullptr && m_hCurrent != m_hTopItem) {
        if (HTREEITEM hParent = Tree().GetParentItem(m_hCurrent))
            Tree().SelectItem(hParent);
    }
}

// ---- Clipboard ------------------------------------------------------------------------------

void CGroupTreeView::OnCopy() {
    CopyToClipboard(TRUE);
}

void CGroupTreeView::OnCut() {
    CopyToClipboard(FALSE);
}

void CGroupTreeView::CopyToClipboard(BOOL bCopy) {
    if (bCopy) {
        CObject* pRecord = m_groupHelper.GetItemObject(m_hCurrent);
        if (pRecord == nullptr)
            return;
        m_clipboard.RemoveAll();
        m_groupHelper.CloneObjectInto(pRecord, &m_clipboard, TRUE);
    } else {
        CutToClipboard(m_hCurrent, TRUE);
    }
}

void CGroupTreeView::CutToClipboard(HTREEITEM hItem, BOOL bEmptyFirst) {
    int kind = GetItemType(hItem);
    CObject* pRecord = m_groupHelper.GetItemObject(hItem);
    if (pRecord == nullptr || (kind != KindContent && kind != KindGroup && kind != KindFileRoot))
        return;
    if (bEmptyFirst)
        m_clipboard.RemoveAll();
    if (kind == KindFileRoot) {
        auto* pRoot = static_cast<CGroup*>(pRecord);
        OnGroupCut(pRoot);
        CGroup* pNew = CreateGroupFor(pRoot);
        if (pNew == nullptr)
            return;
        if (pNew->GetName().IsEmpty())
            pNew->SetName(pRoot->GetName());
        pRoot->MoveContentsTo(pNew);
        // The items go first, unbound, then the records move.
        while (HTREEITEM hChild = Tree().GetChildItem(hItem))
            m_groupHelper.RemoveItemOnly(hChild);
        pNew->MoveAllFrom(pRoot);
        m_clipboard.AddSubgroup(pNew, FALSE, nullptr, TRUE, TRUE);
        m_groupHelper.UpdateItemImage(hItem);
        Tree().SetItemImage(hItem, m_nFileImage, m_nFileImage);
        OnCurrentItemChanged(m_hCurrent, TRUE);
        UpdateTitle();
        return;
    }
    CQuillmarBaseDoc* pDoc = GetItemDocument(hItem);
    if (pDoc != nullptr)
        pDoc->SetModifiedFlag(TRUE);
    OnGroupCut(pRecord);
    m_groupHelper.RemoveItemOnly(hItem);
    if (kind == KindGroup) {
        auto* pGroup = static_cast<CGroup*>(pRecord);
        if (CGroup* pParent = pGroup->GetParent())
            pParent->RemoveSubgroup(pGroup, FALSE);
        m_clipboard.AddSubgroup(pGroup, FALSE, nullptr, TRUE, TRUE);
    } else {
        auto* pContent = static_cast<CContent*>(pRecord);
        if (CGroup* pParent = pContent->GetParent())
            pParent->RemoveContent(pContent, FALSE);
        m_clipboard.AddContent(pContent, FALSE, nullptr, TRUE, TRUE);
    }
    if (pDoc != nullptr)
        pDoc->SetModifiedFlag(TRUE);
    UpdateTitle();
}

void CGroupTreeView::CopyObjectsToClipboard(const CObArray& records) {
    m_clipboard.RemoveAll();
    for (int i = 0; i < records.GetSize(); ++i)
        m_groupHelper.CloneObjectInto(records[i], &m_clipboard, TRUE);
}

void CGroupTreeView::OnPaste() {
    int kind = GetItemType(m_hCurrent);
    if (kind != KindGroup && kind != KindFileRoot)
        return;
    if (PasteInto(m_groupHelper.GetGroup(m_hCurrent)))
        SetModified(TRUE, TRUE, TRUE);
    Tree().Invalidate();
}

BOOL CGroupTreeView::PasteInto(CGroup* pGroup) {
    if (pGroup == nullptr || IsClipboardEmpty())
        return FALSE;
    m_groupHelper.MoveChildren(pGroup, &m_clipboard);
    return TRUE;
}

BOOL CGroupTreeView::IsClipboardEmpty() {
    return m_clipboard.IsEmpty();
}

// ---- Passwords and locks --------------------------------------------------------------------

void CGroupTreeView::SetLockOverlay(HTREEITEM hItem, CGroup* pGroup) {
    int overlay = 0;
    if (pGroup->GetFlags() & CGroup::FLAG_PASSWORD)
        overlay = pGroup->IsLocked() ? 1 : 2;
    Tree().SetItemState(hItem, INDEXTOOVERLAYMASK(overlay), TVIS_OVERLAYMASK);
}

BOOL CGroupTreeView::UnlockItem(HTREEITEM hItem) {
    CGroup* pGroup = m_groupHelper.GetGroup(hItem);
    if (pGroup == nullptr || !pGroup->IsLocked())
        return TRUE;
    CDlgInputPassword dlg(this);
    dlg.m_strName = pGroup->GetName();
    if (dlg.DoModal() != IDOK)
        return FALSE;
    if (!pGroup->CheckPassword(dlg.m_strPassword)) {
        AfxMessageBox("对不起，密码错误，您无权访问！", MB_ICONEXCLAMATION);
        return FALSE;
    }
    pGroup->ModifyFlags(CGroup::FLAG_LOCKED, 0);
    SetLockOverlay(hItem, pGroup);
    return TRUE;
}

void CGroupTreeView::OnPassword() {
    CGroup* pGroup = m_groupHelper.GetGroup(m_hCurrent);
    if (pGroup == nullptr || !UnlockItem(m_hCurrent))
        return;
    CDlgModifyPassword dlg(this);
    dlg.m_strName = pGroup->GetName();
    if (dlg.DoModal() != IDOK)
        return;
    BOOL bHad = (pGroup->GetFlags() & CGroup::FLAG_PASSWORD) != 0;
    pGroup->SetPassword(dlg.m_strPassword);
    if (!dlg.m_strPassword.IsEmpty())
        pGroup->ModifyFlags(0, CGroup::FLAG_PASSWORD);
    else
        pGroup->ModifyFlags(CGroup::FLAG_PASSWORD | CGroup::FLAG_LOCKED, 0);
    SetLockOverlay(m_hCurrent, pGroup);
    if (!dlg.m_strPassword.IsEmpty() || bHad) {
        MarkDocumentModified(GetItemDocument(m_hCurrent));
        UpdateTitle();
    }
}

void CGroupTreeView::OnLock() {
    HTREEITEM hItem = m_hCurrent;
    CGroup* pGroup = GetGroupOfItem(hItem);
    if (pGroup == nullptr || !(pGroup->GetFlags() & CGroup::FLAG_PASSWORD) || pGroup->IsLocked())
        return;
    OnCollapseAll();
    pGroup->ModifyFlags(0, CGroup::FLAG_LOCKED);
    SetLockOverlay(hItem, pGroup);
    if (HTREEITEM hParent = Tree().GetParentItem(hItem))
        Tree().SelectItem(hParent);
}

// ---- Drag and drop --------------------------------------------------------------------------

BOOL CGroupTreeView::CanDrop(HTREEITEM hSource, HTREEITEM hTarget, BOOL, BOOL bNextToTarget) {
    if (hSource == nullptr || hTarget == nullptr)
        return FALSE;
    int target = GetItemType(hTarget);
    if (target != KindContent && target != KindGroup && target != KindFileRoot)
        return FALSE;
    if (bNextToTarget && (GetItemType(hSource) != KindGroup || target != KindGroup))
        return FALSE;
    return !IsBelow(hTarget, hSource);
}

BOOL CGroupTreeView::MoveFileRootInto(HTREEITEM hSource, HTREEITEM hTarget, int keyFlags) {
    CGroup* pRoot = m_groupHelper.GetGroup(hSource);
    CGroup* pTarget = GetGroupOfItem(hTarget);
    if (pTarget == nullptr) {
        if (CContent* pContent = m_groupHelper.GetContent(hTarget))
            pTarget = pContent->GetParent();
    }
    if (pRoot == nullptr || pTarget == nullptr)
        return FALSE;
    OnBeforeMove(hSource, hTarget);
    CGroup* pNew = CreateGroupFor(pRoot);
    if (pNew == nullptr)
        return FALSE;
    if (pNew->GetName().IsEmpty())
        pNew->SetName(pRoot->GetName());
    pRoot->MoveContentsTo(pNew);
    if (!m_groupHelper.AddObjectToGroup(pNew, pTarget, TRUE)) {
        delete pNew;
        return FALSE;
    }
    HTREEITEM hNew = (HTREEITEM)pNew->GetTreeItem();
    if (hNew == nullptr)
        return FALSE;
    while (HTREEITEM hChild = Tree().GetChildItem(hSource)) {
        if (!DoDrop(hChild, hNew, keyFlags & ~DRAG_KEY_SHIFT, FALSE, TRUE, nullptr))
            break;
    }
    Tree().SetItemImage(hSource, m_nFileImage, m_nFileImage);
    return TRUE;
}

BOOL CGroupTreeView::DoDrop(HTREEITEM hSource, HTREEITEM hTarget, int keyFlags, BOOL bTest,
                            BOOL bHasNext, DRAGSTATE* pState) {
    if (hTarget == nullptr)
        return FALSE;
    if (pState != nullptr)
        m_dragHelper.SetDragState(*pState);
    BOOL bCopy = (keyFlags & DRAG_KEY_CTRL) != 0;
    BOOL bNext = (keyFlags & DRAG_KEY_SHIFT) != 0;
    if (hSource == hTarget) {
        if (bTest)
            return FALSE;
    } else {
        BOOL bCan = CanDrop(hSource, hTarget, bCopy, bNext);
        if (bTest)
            return bCan;
        if (!bCan) {
            if (!bHasNext && CDragDropHelper::GetDroppedCount() > 0 && m_pCurrentFile != nullptr)
                m_pCurrentFile->pDoc->UpdateAllViews(nullptr);
            return FALSE;
        }
    }
    int sourceKind = GetItemType(hSource);
    int targetKind = GetItemType(hTarget);
    CQuillmarBaseDoc* pSourceDoc = GetItemDocument(hSource);
    CQuillmarBaseDoc* pTargetDoc = GetItemDocument(hTarget);
    BOOL bLeftShift = GetKeyState(VK_LSHIFT) < 0;
    // Where the record lands: into the target's group, sorted, unless placed beside the target.
    HTREEITEM hInto = hTarget;
    BOOL bSorted = TRUE, bAfter = TRUE;
    POSITION posRef = nullptr;
    CGroup* pTargetGroup = m_groupHelper.GetGroup(hTarget);
    if (targetKind == KindContent) {
        CContent* pTargetContent = m_groupHelper.GetContent(hTarget);
        CGroup* pParent = pTargetContent->GetParent();
        bSorted = FALSE;
        bAfter = FALSE;
        posRef = pParent != nullptr ? pParent->GetContentList().Find(pTargetContent) : nullptr;
        if (!bCopy && sourceKind == KindGroup) {
            // A group dropped on a content goes into that content's group.
            bSorted = TRUE;
            bAfter = TRUE;
            posRef = nullptr;
        }
    } else if (bNext && targetKind == KindGroup && pTargetGroup->GetParent() != nullptr) {
        CGroup* pParent = pTargetGroup->GetParent();
        hInto = (HTREEITEM)pParent->GetTreeItem();
        bSorted = FALSE;
        posRef = pParent->Find(pTargetGroup);
        bAfter = !bLeftShift;
    } else if (!bCopy && sourceKind == KindContent && pTargetGroup != nullptr &&
               m_groupHelper.GetContent(hSource)->GetParent() == pTargetGroup) {
        // Onto its own group: to the end of the group's contents.
        bSorted = FALSE;
        bAfter = TRUE;
    }
    BOOL ok = FALSE;
    if (bCopy) {
        ok = m_groupHelper.CopyItem(hSource, hInto, bSorted, posRef, bAfter, FALSE) != nullptr;
        if (ok)
            MarkDocumentModified(pTargetDoc);
    } else {
        if (sourceKind == KindFileRoot) {
            ok = MoveFileRootInto(hSource, hTarget, keyFlags);
        } else {
            HTREEITEM h = hSource;
            ok = m_groupHelper.MoveItem(h, hInto, bSorted, posRef, bAfter);
        }
        if (ok) {
            MarkDocumentModified(pSourceDoc);
            MarkDocumentModified(pTargetDoc);
        }
    }
    if (!bHasNext && m_pCurrentFile != nullptr &&
        (ok || CDragDropHelper::GetDroppedCount() > 0))
        m_pCurrentFile->pDoc->UpdateAllViews(nullptr);
    return ok;
}

BOOL CGroupTreeView::DropOnListView(HTREEITEM hSource, int x, int y, int keyFlags, BOOL bTest,
                                    HWND& hTargetWnd, DRAGITEM& target, BOOL bHasNext) {
    if (m_pRightPane == nullptr)
        return FALSE;
    CView* pView = m_pRightPane->GetCurrentView();
    if (pView == nullptr || pView->m_hWnd == nullptr)
        return FALSE;
    CPoint pt(x, y);
    Tree().ClientToScreen(&pt);
    pView->ScreenToClient(&pt);
    CRect rc;
    pView->GetClientRect(&rc);
    if (!rc.PtInRect(pt))
        return FALSE;
    // A view that takes records itself (the compose form) is given the dragged record.
    if (auto* pTarget = dynamic_cast<CIRecordDropTarget*>(pView)) {
        if (!pTarget->DropRecord(m_groupHelper.GetItemObject(hSource), pt,
                                 (keyFlags & DRAG_KEY_CTRL) != 0, bTest))
            return FALSE;
        hTargetWnd = pView->m_hWnd;
        target = (DRAGITEM)hSource;
        return TRUE;
    }
    GROUPDROPQUERY q;
    q.pt = pt;
    q.hSource = hSource;
    q.bHitTest = TRUE;
    HWND hView = pView->m_hWnd;
    if (!pView->SendMessage(WM_GROUPVIEW_DROPQUERY, 1, (LPARAM)&q) || !IsWindow(hView))
        return FALSE;
    // Only a group list view answers with a tree item.
    if (q.hHit == nullptr || !Tree().IsValidItem(q.hHit))
        return FALSE;
    hTargetWnd = hView;
    target = (DRAGITEM)q.hHit;
    return DoDrop(hSource, q.hHit, keyFlags, bTest, bHasNext, nullptr);
}

// ---- Notifications --------------------------------------------------------------------------

void CGroupTreeView::OnSelChanging(NMHDR* pNMHDR, LRESULT* pResult) {
    auto* nm = reinterpret_cast<NMTREEVIEW*>(pNMHDR);
    *pResult = 0;
    if (!m_bClosing && !UnlockItem(nm->itemNew.hItem))
        *pResult = 1;
}

void CGroupTreeView::OnSelChanged(NMHDR* pNMHDR, LRESULT* pResult) {
    auto* nm = reinterpret_cast<NMTREEVIEW*>(pNMHDR);
    m_hPrevious = m_hCurrent;
    m_hCurrent = nm->itemNew.hItem;
    OnCurrentItemChanged(m_hCurrent, TRUE);
    *pResult = 0;
}

void CGroupTreeView::OnItemExpanding(NMHDR* pNMHDR, LRESULT* pResult) {
    auto* nm = reinterpret_cast<NMTREEVIEW*>(pNMHDR);
    *pResult = 0;
    if (!m_bClosing && (nm->action & TVE_EXPAND) && !(nm->action & TVE_COLLAPSE) &&
        !UnlockItem(nm->itemNew.hItem))
        *pResult = 1;
}

void CGroupTreeView::OnItemExpanded(NMHDR* pNMHDR, LRESULT* pResult) {
    auto* nm = reinterpret_cast<NMTREEVIEW*>(pNMHDR);
    HTREEITEM hItem = nm->itemNew.hItem;
    BOOL bExpanded = (Tree().GetItemState(hItem, TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
    int image = -1;
    switch (GetItemType(hItem)) {
    case KindContent:
        image = m_nContentImage;
        break;
    case KindGroup:
        image = bExpanded ? m_nGroupExpandedImage : m_nGroupImage;
        break;
    case KindFileRoot:
        image = bExpanded ? m_nFileExpandedImage : m_nFileImage;
        break;
    case KindTop:
        image = m_nTopImage;
        break;
    default:
        break;
    }
    if (image >= 0)
        Tree().SetItemImage(hItem, image, image);
    *pResult = 0;
}

void CGroupTreeView::OnDeleteItem(NMHDR* pNMHDR, LRESULT* pResult) {
    auto* nm = reinterpret_cast<NMTREEVIEW*>(pNMHDR);
    if (nm->itemOld.hItem == m_hCurrent)
        m_hCurrent = nullptr;
    if (nm->itemOld.hItem == m_hPrevious)
        m_hPrevious = nullptr;
    *pResult = 0;
}

void CGroupTreeView::OnBeginLabelEdit(NMHDR* pNMHDR, LRESULT* pResult) {
    auto* di = reinterpret_cast<NMTVDISPINFO*>(pNMHDR);
    *pResult = m_groupHelper.BeginRename(di->item.hItem) ? 0 : 1;
}

void CGroupTreeView::OnEndLabelEdit(NMHDR* pNMHDR, LRESULT* pResult) {
    auto* di = reinterpret_cast<NMTVDISPINFO*>(pNMHDR);
    *pResult = 0;
    HTREEITEM hItem = di->item.hItem;
    if (di->item.pszText != nullptr && di->item.pszText[0] != 0)
        Tree().SetItemText(hItem, di->item.pszText);
    if (m_bNewFilePending) {
        NewFileEnd(hItem);
        return;
    }
    HTREEITEM hDone = m_groupHelper.EndLabelEdit(m_hPendingParent, hItem);
    if (hDone != nullptr) {
        OnCurrentItemChanged(m_hCurrent, TRUE);
        SetFileModified(hDone, TRUE);
    }
}

// ---- Drawing --------------------------------------------------------------------------------

void CGroupTreeView::OnCustomDraw(NMHDR* pNMHDR, LRESULT* pResult) {
    auto* cd = reinterpret_cast<NMTVCUSTOMDRAW*>(pNMHDR);
    switch (cd->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        *pResult = CDRF_NOTIFYITEMDRAW | CDRF_NOTIFYPOSTPAINT;
        break;
    case CDDS_ITEMPREPAINT:
        *pResult = CDRF_NOTIFYPOSTPAINT;
        break;
    case CDDS_ITEMPOSTPAINT:
        if (m_bDrawItemExtras)
            DrawItemExtras(CDC::FromHandle(cd->nmcd.hdc), (HTREEITEM)cd->nmcd.dwItemSpec);
        *pResult = CDRF_DODEFAULT;
        break;
    default:
        *pResult = CDRF_DODEFAULT;
        break;
    }
}

CString CGroupTreeView::FileCountText() const {
    CString text;
    if (m_files.IsEmpty())
        return text;
    CString format = m_nFileCountFormatId != 0 ? LoadText(m_nFileCountFormatId) : CString();
    if (format.IsEmpty())
        format = "（%d文件）";
    text.Format(format, (int)m_files.GetCount());
    return text;
}

void CGroupTreeView::DrawItemExtras(CDC* pDC, HTREEITEM hItem) {
    if (pDC == nullptr || hItem == nullptr || !m_bInitialized)
        return;
    int kind = GetItemType(hItem);
    int offset = 2;
    if (kind == KindTop) {
        const CString text = FileCountText();
        if (!text.IsEmpty())
            m_drawHelper.DrawTextAfterItem(pDC, hItem, text, kFileCountColour, 2);
        return;
    }
    if (kind == KindFileRoot) {
        CFileInfo* pInfo = GetFileInfo(hItem);
        if (pInfo != nullptr && pInfo->pDoc->IsModified()) {
            COLORREF colour =
                pInfo->pDoc->GetPathName().IsEmpty() ? m_crStarNew : m_crStarSaved;
            offset += m_drawHelper.DrawTextAfterItem(pDC, hItem, "*", colour, 0);
        }
    }
    if ((kind == KindGroup || kind == KindFileRoot) && m_bShowCounts) {
        CGroup* pGroup = m_groupHelper.GetGroup(hItem);
        CString text;
        if (pGroup != nullptr &&
            FormatItemCount(pGroup->GetContentCount(FALSE, TRUE),
                            pGroup->GetContentCount(TRUE, TRUE), text))
            m_drawHelper.DrawTextAfterItem(pDC, hItem, text, kItemCountColour, offset);
    }
}

// ---- Context menu and destruction -----------------------------------------------------------

void CGroupTreeView::OnRButtonDown(UINT nFlags, CPoint point) {
    m_dragHelper.CancelDrag();
    HTREEITEM hItem = Tree().HitTest(point);
    if (CGroup* pGroup = m_groupHelper.GetGroup(hItem); pGroup != nullptr && pGroup->IsLocked())
        return;
    (void)nFlags;
    Default();
    if (hItem != nullptr && hItem != m_hTopItem) {
        m_hPendingParent = hItem;
        Tree().SelectItem(hItem);
        // The selection may stay where it was (a page with unconfirmed changes the user chose to
        // stay on): the clicked item's menu would then act on the selected one.
        if (Tree().GetSelectedItem() != hItem)
            return;
    }
    if (hItem != nullptr)
        ShowItemMenu(hItem, point);
}

void CGroupTreeView::OnContextMenu(CWnd* pWnd, CPoint point) {
    // The mouse's menu came with the right button (OnRButtonDown); the keyboard's (Shift+F10,
    // the menu key) is the selected item's menu, at the item.
    if (point.x != -1 || point.y != -1) {
        CTreeView::OnContextMenu(pWnd, point);
        return;
    }
    HTREEITEM hItem = Tree().GetSelectedItem();
    if (hItem == nullptr)
        return;
    if (CGroup* pGroup = m_groupHelper.GetGroup(hItem); pGroup != nullptr && pGroup->IsLocked())
        return;
    CRect rc;
    if (!Tree().GetItemRect(hItem, &rc, TRUE))
        rc.SetRectEmpty();
    ShowItemMenu(hItem, CPoint(rc.left, rc.bottom));
}

void CGroupTreeView::ShowItemMenu(HTREEITEM hItem, CPoint point) {
    if (m_nContextMenuId == 0)
        return;
    int pos = -1;
    switch (GetItemType(hItem)) {
    case KindContent:
        pos = m_nMenuPosContent;
        break;
    case KindGroup:
        pos = m_nMenuPosGroup;
        break;
    case KindFileRoot:
        pos = m_nMenuPosFile;
        break;
    case KindTop:
        pos = m_nMenuPosTop;
        break;
    default:
        break;
    }
    if (pos < 0)
        return;
    CMenu menu;
    if (!menu.LoadMenu(m_nContextMenuId))
        return;
    CMenu* pPopup = menu.GetSubMenu(pos);
    if (pPopup == nullptr)
        return;
    CPoint screen = point;
    Tree().ClientToScreen(&screen);
    CWnd* pOwner = AfxGetMainWnd() != nullptr ? AfxGetMainWnd() : this;
    pPopup->TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON, screen.x, screen.y, pOwner);
}

void CGroupTreeView::OnDestroy() {
    m_bClosing = TRUE;
    m_dragHelper.CancelDrag();
    while (!m_files.IsEmpty()) {
        if (m_hTopItem != nullptr)
            SelectItemIfNot(m_hTopItem);
        CloseFile(m_files.GetHead(), TRUE, TRUE);
    }
    if (m_hTopItem != nullptr) {
        Tree().DeleteItem(m_hTopItem);
        m_hTopItem = nullptr;
    }
    Tree().SetImageList(nullptr, TVSIL_NORMAL);
    if (CFrameWnd* pFrame = GetParentFrame(); pFrame != nullptr && pFrame->GetActiveView() == this)
        pFrame->SetActiveView(nullptr, FALSE);
    CTreeView::OnDestroy();
}
