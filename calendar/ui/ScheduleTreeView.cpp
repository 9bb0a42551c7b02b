#include "calendar/ui/ScheduleTreeView.h"

#include "calendar/ui/CalendarPane.h"
#include "platform/gui/Icon.h"
#include "platform/gui/MessageBox.h"

namespace {
constexpr int kModuleKind = 5; // the right pane's schedules kind
constexpr UINT kFolderMessage = WM_USER + 101;
constexpr WPARAM kFolderDeactivated = 301;
constexpr UINT kLeaveSchedules = WM_USER + 200;

CCalendarExtInfoManager* g_pDefaultExtInfo = nullptr;
CReminder* g_pDefaultReminder = nullptr;

CGroup* RootOf(CGroup* pGroup) {
    while (pGroup != nullptr && pGroup->GetParent() != nullptr)
        pGroup = pGroup->GetParent();
    return pGroup;
}
} // namespace

// ---- Tree -----------------------------------------------------------------------------------

IMPLEMENT_DYNCREATE(CScheduleTreeView, CGroupTreeView)

BEGIN_MESSAGE_MAP(CScheduleTreeView, CGroupTreeView)
ON_NOTIFY_REFLECT(TVN_SELCHANGED, &CScheduleTreeView::OnSelChangedBroadcast)
ON_MESSAGE(WM_GROUPVIEW_DROPQUERY, &CScheduleTreeView::OnTaskDropQuery)
END_MESSAGE_MAP()

void CScheduleTreeView::SetDefaultExtInfoManager(CCalendarExtInfoManager* pManager) {
    g_pDefaultExtInfo = pManager;
}

CScheduleTreeView::CScheduleTreeView() {
    m_nViewNameId = 931;
    m_nFileTypeId = 931;
    m_nNewFileNameId = 932;
    m_nNewGroupNameId = 159;
    m_strExtension = "sch";
    m_pGroupClass = RUNTIME_CLASS(CScheduleGroup);
    m_pContentClass = nullptr;
    m_nTopImage = m_nTopSelImage = 0;
    m_nFileImage = 1;
    m_nFileExpandedImage = 2;
    m_nGroupImage = 3;
    m_nGroupExpandedImage = 4;
    m_nContentImage = m_nContentSelImage = 5;
    m_nGroupViewNumber = ViewTaskList;
    m_nContentViewNumber = ViewTaskList;
    m_nModuleKind = kModuleKind;
    m_nContextMenuId = IDR_TREE_MENU;
    m_nMenuPosGroup = 0;
    m_nMenuPosFile = 1;
    m_nMenuPosTop = 2;
}

CScheduleTreeView::~CScheduleTreeView() {
    EmptyTaskClipboard(TRUE);
    if (m_pExtInfoManager != nullptr)
        m_pExtInfoManager->RemoveExtInfo(this);
}

UINT CScheduleTreeView::MapCommand(UINT nID) {
    switch (nID) {
    case ID_NEW_GROUP_MENU: return ID_NEW_GROUP;
    case ID_DELETE_MENU: return ID_DELETE;
    default: return nID;
    }
}

void CScheduleTreeView::InitView() {
    m_imageList.Create(16, 16, ILC_COLOR32 | ILC_MASK, 6, 6);
    // The top item, a file closed and open, a group closed and open, a task, and the lock and
    // shared overlays.
    for (UINT id : {505u, 507u, 508u, 125u, 509u, 506u, 512u, 513u}) {
        HICON hIcon = ::LoadIcon(nullptr, MAKEINTRESOURCE(id));
        if (hIcon != nullptr && m_imageList.Add(hIcon) >= 0)
            continue;
        CCalendarPane::AddIconFile(m_imageList, ""); // a blank keeps the numbering
    }
    m_imageList.SetOverlayImage(6, 1);
    m_imageList.SetOverlayImage(7, 2);
}

void CScheduleTreeView::OnInitialUpdate() {
    if (m_bInitialized)
        return;
    CGroupTreeView::OnInitialUpdate();
    JoinExtInfoManager(g_pDefaultExtInfo);
}

void CScheduleTreeView::JoinExtInfoManager(CCalendarExtInfoManager* pManager) {
    if (m_pExtInfoManager == pManager)
        return;
    if (m_pExtInfoManager != nullptr)
        m_pExtInfoManager->RemoveExtInfo(this);
    m_pExtInfoManager = pManager;
    if (m_pExtInfoManager != nullptr)
        m_pExtInfoManager->AddExtInfo(this);
}

CQuillmarBaseDoc* CScheduleTreeView::CreateDocument() {
    return new CScheduleDoc(m_pUIManager);
}

CGroup* CScheduleTreeView::GetRootGroup(CQuillmarBaseDoc* pDoc) {
    auto* p = dynamic_cast<CScheduleDoc*>(pDoc);
    return p != nullptr ? &p->GetRootGroup() : nullptr;
}

CGroup* CScheduleTreeView::CreateGroupFor(CObject* pObject) {
    if (auto* p = dynamic_cast<CScheduleGroup*>(pObject))
        return new CScheduleGroup(*p, TRUE);
    return new CScheduleGroup;
}

CScheduleDoc* CScheduleTreeView::GetScheduleDoc(int nFile) {
    CFileInfo* pInfo = GetFileAt(nFile);
    return pInfo != nullptr ? dynamic_cast<CScheduleDoc*>(pInfo->pDoc) : nullptr;
}

CScheduleGroup* CScheduleTreeView::GetCurrentGroup() {
    return m_hCurrent != nullptr ? dynamic_cast<CScheduleGroup*>(GetGroupOfItem(m_hCurrent))
                                 : nullptr;
}

BOOL CScheduleTreeView::SelectGroup(CGroup* pGroup) {
    if (pGroup == nullptr)
        return FALSE;
    auto hItem = (HTREEITEM)pGroup->GetTreeItem();
    if (hItem == nullptr || !Tree().IsValidItem(hItem))
        return FALSE;
    Tree().EnsureVisible(hItem);
    return hItem == Tree().GetSelectedItem() || Tree().SelectItem(hItem);
}

void CScheduleTreeView::Refresh() {
    HTREEITEM hItem = m_hCurrent;
    if (hItem == nullptr && GetFileCount() > 0)
        hItem = GetFileAt(0)->hItem;
    if (hItem == nullptr)
        return;
    CScheduleGroup* pGroup = dynamic_cast<CScheduleGroup*>(GetGroupOfItem(hItem));
    if (hItem != Tree().GetSelectedItem())
        Tree().SelectItem(hItem);
    else if (m_pUIManager != nullptr)
        m_pUIManager->Broadcast(this, ScheduleGroupChosen, nullptr, pGroup, 0, pGroup);
}

void CScheduleTreeView::OnSelChangedBroadcast(NMHDR* pNMHDR, LRESULT* pResult) {
    auto* nm = reinterpret_cast<NMTREEVIEW*>(pNMHDR);
    CGroup* pNew = nm->itemNew.hItem != nullptr ? GetGroupOfItem(nm->itemNew.hItem) : nullptr;
    CGroup* pOld = m_hCurrent != nullptr && Tree().IsValidItem(m_hCurrent)
                       ? GetGroupOfItem(m_hCurrent) : nullptr;
    if (m_pUIManager != nullptr)
        m_pUIManager->Broadcast(this, ScheduleGroupChosen, nullptr, pNew, 0, pOld);
    m_bInSelChange = TRUE;
    OnSelChanged(pNMHDR, pResult);
    m_bInSelChange = FALSE;
}

void CScheduleTreeView::OnCurrentItemChanged(HTREEITEM hItem, BOOL bUpdateViews) {
    CGroupTreeView::OnCurrentItemChanged(hItem, bUpdateViews);
    // A new file's item was chosen while its label was edited, before the file had a group:
    // once it has one, the task list and the calendar are told of it as of any choice.
    if (!m_bInSelChange && hItem == m_hCurrent && m_pUIManager != nullptr) {
        CGroup* pGroup = hItem != nullptr ? GetGroupOfItem(hItem) : nullptr;
        m_pUIManager->Broadcast(this, ScheduleGroupChosen, nullptr, pGroup, 0, pGroup);
    }
}

CQuillmarBaseDoc* CScheduleTreeView::OpenFile(LPCTSTR lpszPath, BOOL bCreateNew) {
    const int before = GetFileCount();
    CQuillmarBaseDoc* pDoc = CGroupTreeView::OpenFile(lpszPath, bCreateNew);
    auto* pSchedule = dynamic_cast<CScheduleDoc*>(pDoc);
    // A file already open is not filed twice.
    if (pSchedule != nullptr && GetFileCount() > before)
        pSchedule->IndexGroup(&pSchedule->GetRootGroup(), TRUE, TRUE);
    if (pSchedule != nullptr && m_pUIManager != nullptr)
        m_pUIManager->Broadcast(this, ScheduleGroupsChanged, nullptr, nullptr, 0);
    return pDoc;
}

void CScheduleTreeView::OnFileClosing(CFileInfo* pInfo) {
    // Every view lets go of the file's tasks and entries before they go.
    if (m_pUIManager != nullptr && pInfo != nullptr)
        m_pUIManager->Broadcast(this, ScheduleGroupsChanged, nullptr, GetRootGroup(pInfo->pDoc), 0);
}

BOOL CScheduleTreeView::CloseFile(CFileInfo* pInfo, BOOL bQuiet, BOOL bAskSave) {
    const BOOL bClosed = CGroupTreeView::CloseFile(pInfo, bQuiet, bAskSave);
    // The calendar asks for its entries afresh, without the file's.
    if (bClosed && m_pUIManager != nullptr)
        m_pUIManager->Broadcast(this, ScheduleGroupsChanged, nullptr, nullptr, 0);
    return bClosed;
}

BOOL CScheduleTreeView::OnCmdMsg(UINT nID, int nCode, void* pExtra,
                                 AFX_CMDHANDLERINFO* pHandlerInfo) {
    if (nID == ID_NEW_TASK_PAGE) {
        if (nCode == (int)CN_UPDATE_COMMAND_UI) {
            // Enabled as the base enables a new content.
            auto* pCmdUI = static_cast<CCmdUI*>(pExtra);
            pCmdUI->Enable(GetCurrentGroup() != nullptr && m_pUIManager != nullptr);
            return TRUE;
        }
        if (nCode == (int)CN_COMMAND) {
            if (pHandlerInfo == nullptr)
                OnNewTaskPage();
            return TRUE;
        }
    }
    nID = MapCommand(nID);
    // Paste belongs to the tree only while it has the focus.
    if (nID == ID_PASTE && !TreeHasFocus())
        return FALSE;
    const BOOL bHandled = CGroupTreeView::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
    if (bHandled && nCode == (int)CN_COMMAND && pHandlerInfo == nullptr && m_pUIManager != nullptr &&
        (nID == ID_DELETE || nID == ID_RENAME || nID == ID_PASTE || nID == ID_CUT ||
         nID == ID_NEW_GROUP || nID == ID_MOVE_UP || nID == ID_RESORT_GROUPS))
        m_pUIManager->Broadcast(this, ScheduleGroupsChanged, nullptr, nullptr, 0);
    return bHandled;
}

void CScheduleTreeView::OnNewTaskPage() {
    CScheduleGroup* pGroup = GetCurrentGroup();
    auto* pDoc = dynamic_cast<CScheduleDoc*>(GetCurrentDocument());
    if (pGroup == nullptr || pDoc == nullptr || m_pUIManager == nullptr)
        return;
    if (CTask* pTask = m_pUIManager->GetEventsManager().NewTask(pGroup, pDoc, nullptr, nullptr, this)) {
        m_pUIManager->Tell(pDoc, this, ScheduleCreated, pTask, pGroup);
        SetModified(TRUE, TRUE, FALSE);
    }
}

BOOL CScheduleTreeView::IsClipboardEmpty() {
    return m_taskClipboard.IsEmpty() && CGroupTreeView::IsClipboardEmpty();
}

BOOL CScheduleTreeView::PasteInto(CGroup* pGroup) {
    auto* pTarget = dynamic_cast<CScheduleGroup*>(pGroup);
    if (pTarget == nullptr || m_taskClipboard.IsEmpty() || m_pUIManager == nullptr)
        return CGroupTreeView::PasteInto(pGroup);
    auto* pDoc = dynamic_cast<CScheduleDoc*>(FindDocumentOfGroup(RootOf(pTarget)));
    while (!m_taskClipboard.IsEmpty()) {
        auto* pTask = dynamic_cast<CTask*>(static_cast<CGroup*>(m_taskClipboard.GetHead()));
        m_taskClipboard.RemoveSubgroup(static_cast<CGroup*>(m_taskClipboard.GetHead()), FALSE);
        if (pTask == nullptr)
            continue;
        pTarget->AddTask(pTask);
        if (pDoc != nullptr)
            pDoc->IndexTask(pTask, TRUE, TRUE);
        m_pUIManager->Tell(pDoc, this, ScheduleCreated, pTask, pTarget);
    }
    return TRUE;
}

void CScheduleTreeView::EmptyTaskClipboard(BOOL bDeleteCut) {
    while (!m_taskClipboard.IsEmpty()) {
        CGroup* p = static_cast<CGroup*>(m_taskClipboard.GetHead());
        m_taskClipboard.RemoveSubgroup(p, bDeleteCut);
    }
}

// ---- Listener, provider, sink ---------------------------------------------------------------

void CScheduleTreeView::OnScheduleChanged(CScheduleUI* pSource, int nKind, CScheduleElement* pElement,
                                          CGroup* pParent, int nFlag, CGroup*) {
    if (nKind < ScheduleCreated || nKind > ScheduleMoving || pSource == this)
        return;
    if (nKind == ScheduleMoving && nFlag == 0)
        return;
    CGroup* pGroup = dynamic_cast<CScheduleGroup*>(pParent);
    if (pGroup == nullptr)
        pGroup = CEventsManager::GroupOf(AsTask(pElement));
    if (pGroup != nullptr) {
        if (CQuillmarBaseDoc* pDoc = FindDocumentOfGroup(RootOf(pGroup)))
            for (int i = 0; i < GetFileCount(); ++i)
                if (GetFileAt(i)->pDoc == pDoc && pDoc->IsModified())
                    SetFileModified(GetFileAt(i)->hItem, TRUE);
        // Selecting a group the list shows already sends nothing.
        auto hItem = (HTREEITEM)pGroup->GetTreeItem();
        if (hItem != nullptr && Tree().IsValidItem(hItem) && hItem != Tree().GetSelectedItem())
            SelectGroup(pGroup);
    }
    RedrawItem(nullptr);
    Tree().Invalidate();
}

CGroup* CScheduleTreeView::GetSelection(CScheduleDoc** ppDoc) {
    if (ppDoc != nullptr)
        *ppDoc = dynamic_cast<CScheduleDoc*>(GetCurrentDocument());
    return GetCurrentGroup();
}

int CScheduleTreeView::GetDayInfo(const CDate& date, CKovCalendarCellItemList* pItems,
                                  BOOL bStopAtFirst) {
    int n = 0;
    for (int i = 0; i < GetFileCount(); ++i) {
        CScheduleDoc* pDoc = GetScheduleDoc(i);
        if (pDoc == nullptr)
            continue;
        POSITION last = pItems != nullptr ? pItems->GetTailPosition() : nullptr;
        n += pDoc->GetDayInfo(date, pItems, bStopAtFirst);
        if (bStopAtFirst && n > 0)
            return 1;
        if (pItems != nullptr) {
            // The entries of a task open its sheet through the manager.
            POSITION pos = last != nullptr ? last : pItems->GetHeadPosition();
            if (last != nullptr)
                pItems->GetNext(pos);
            while (pos != nullptr)
                pItems->GetNext(pos).m_pHandler = m_pUIManager;
        }
    }
    return n;
}

CScheduleDoc* CScheduleTreeView::GetDocumentOf(CScheduleElement* pElement) {
    CTask* pTask = AsTask(pElement);
    CGroup* pGroup = pTask != nullptr ? static_cast<CGroup*>(CEventsManager::GroupOf(pTask))
                     : pElement != nullptr && pElement->GetElementEvent() != nullptr
                         ? pElement->GetElementEvent()->GetParent()
                         : nullptr;
    return pGroup != nullptr ? dynamic_cast<CScheduleDoc*>(FindDocumentOfGroup(RootOf(pGroup)))
                             : nullptr;
}

CScheduleDoc* CScheduleTreeView::GetDocumentOfGroup(CGroup* pGroup) {
    return pGroup != nullptr ? dynamic_cast<CScheduleDoc*>(FindDocumentOfGroup(RootOf(pGroup)))
                             : nullptr;
}

void CScheduleTreeView::GetDuePrompts(CReminder::CPromptList& list, const CDateTime& now) {
    for (int i = 0; i < GetFileCount(); ++i)
        if (CScheduleDoc* pDoc = GetScheduleDoc(i))
            pDoc->CollectDuePrompts(list, now);
}

void CScheduleTreeView::OnPromptResult(int nResult, CScheduleElement* pElement) {
    // The element is shown, never opened: a sheet inside the timer's tick would run the timer
    // again while the reminder walks its list.
    if (nResult != 0)
        ShowElement(pElement);
}

void CScheduleTreeView::ShowElement(CScheduleElement* pElement) {
    if (pElement == nullptr || GetDocumentOf(pElement) == nullptr)
        return;
    CTask* pTask = AsTask(pElement);
    CGroup* pGroup = pTask != nullptr ? static_cast<CGroup*>(CEventsManager::GroupOf(pTask))
                                      : pElement->GetElementEvent()->GetParent();
    SelectGroup(pGroup);
    if (m_pUIManager != nullptr)
        for (CScheduleUI* pUI : m_pUIManager->GetListeners())
            pUI->SelectElement(pElement);
}

BOOL CScheduleTreeView::DropTask(CTask* pTask, CPoint point, BOOL bCopy, BOOL bTest,
                                 HTREEITEM* phHit) {
    HTREEITEM hHit = Tree().HitTest(point);
    if (phHit != nullptr)
        *phHit = hHit;
    auto* pTarget = hHit != nullptr ? dynamic_cast<CScheduleGroup*>(GetGroupOfItem(hHit)) : nullptr;
    if (pTask == nullptr || pTarget == nullptr || m_pUIManager == nullptr ||
        GetDocumentOf(pTask) == nullptr)
        return FALSE;
    if (!bCopy && CEventsManager::GroupOf(pTask) == pTarget)
        return FALSE;
    if (bTest)
        return TRUE;
    BOOL bDone = FALSE;
    if (!bCopy) {
        bDone = m_pUIManager->MoveToGroup(this, pTask, pTarget);
    } else {
        CScheduleDoc* pDoc = GetDocumentOfGroup(pTarget);
        if (CTask* pCopy = m_pUIManager->GetEventsManager().NewTask(pTarget, pDoc, pTask, nullptr, this)) {
            m_pUIManager->Tell(pDoc, this, ScheduleCreated, pCopy, pTarget);
            bDone = TRUE;
        }
    }
    // The tree hears nothing of its own change: its counts and modified marks are drawn anew.
    if (bDone) {
        for (int i = 0; i < GetFileCount(); ++i)
            if (GetFileAt(i)->pDoc->IsModified())
                SetFileModified(GetFileAt(i)->hItem, TRUE);
        Tree().Invalidate();
    }
    return bDone;
}

LRESULT CScheduleTreeView::OnTaskDropQuery(WPARAM wParam, LPARAM lParam) {
    auto* q = reinterpret_cast<GROUPDROPQUERY*>(lParam);
    if (q == nullptr || q->pRecord == nullptr)
        return OnDropQuery(wParam, lParam);
    auto* pTask = static_cast<CTask*>(q->pRecord);
    if (q->bNoDrop) {
        q->hHit = nullptr;
        return 0;
    }
    HTREEITEM hHit = nullptr;
    const BOOL bCopy = (q->keyFlags & DRAG_KEY_CTRL) != 0;
    // A hit test only, or the test pass: nothing changes.
    const BOOL bResult = DropTask(pTask, CPoint(q->pt), bCopy, wParam != 0 || q->bTest, &hHit);
    q->hHit = hHit;
    if (wParam != 0)
        return hHit != nullptr ? 1 : 0;
    return bResult;
}

// ---- Month calendar -------------------------------------------------------------------------

IMPLEMENT_DYNCREATE(CScheduleMonthCalendarWnd, CKovMonthCalendarCtrl)

void CScheduleMonthCalendarWnd::OnScheduleChanged(CScheduleUI*, int, CScheduleElement*, CGroup*,
                                                  int, CGroup*) {
    if (GetSafeHwnd() != nullptr && IsWindowVisible()) {
        Invalidate();
        UpdateWindow();
    }
}

// ---- Navigator ------------------------------------------------------------------------------

IMPLEMENT_DYNCREATE(CScheduleNavigatorWnd, CWnd)

BEGIN_MESSAGE_MAP(CScheduleNavigatorWnd, CWnd)
ON_WM_CREATE()
ON_WM_SIZE()
ON_WM_DESTROY()
ON_MESSAGE(kFolderMessage, &CScheduleNavigatorWnd::OnFolderMessage)
END_MESSAGE_MAP()

void CScheduleNavigatorWnd::SetDefaultReminder(CReminder* pReminder) {
    g_pDefaultReminder = pReminder;
}

CScheduleNavigatorWnd::CScheduleNavigatorWnd() = default;
CScheduleNavigatorWnd::~CScheduleNavigatorWnd() = default;

CScheduleMonthCalendarWnd* CScheduleNavigatorWnd::GetMonthCalendar() const {
    return m_splitter.GetSafeHwnd() != nullptr
               ? dynamic_cast<CScheduleMonthCalendarWnd*>(m_splitter.GetPane(0, 0)) : nullptr;
}

CScheduleTreeView* CScheduleNavigatorWnd::GetTree() const {
    return m_splitter.GetSafeHwnd() != nullptr
               ? dynamic_cast<CScheduleTreeView*>(m_splitter.GetPane(1, 0)) : nullptr;
}

int CScheduleNavigatorWnd::OnCreate(LPCREATESTRUCT lpcs) {
    if (CWnd::OnCreate(lpcs) == -1)
        return -1;
    if (!m_splitter.CreateStatic(this, 2, 1, WS_CHILD | WS_VISIBLE))
        return -1;
    CCreateContext context;
    if (!m_splitter.CreateView(0, 0, RUNTIME_CLASS(CScheduleMonthCalendarWnd),
                               CSize(100, CalendarHeight), &context) ||
        !m_splitter.CreateView(1, 0, RUNTIME_CLASS(CScheduleTreeView), CSize(100, 100), &context))
        return -1;
    m_splitter.SetRowInfo(0, CalendarHeight, 20);
    CScheduleMonthCalendarWnd* pCalendar = GetMonthCalendar();
    CScheduleTreeView* pTree = GetTree();
    if (pCalendar == nullptr || pTree == nullptr)
        return -1;
    m_splitter.SetActivePane(1, 0);
    pCalendar->GoToday();
    pCalendar->m_pExtInfo = pTree;
    pCalendar->m_nStyle |= CKovCalendar::StyleBoldOnlyWithItems;
    pTree->SetUIManager(&m_manager);
    m_manager.AddListener(pCalendar);
    m_manager.AddListener(pTree);
    m_manager.GetEventsManager().m_pSink = pTree;
    if (g_pDefaultReminder != nullptr)
        g_pDefaultReminder->SetSink(pTree);
    pTree->OnInitialUpdate();
    return 0;
}

void CScheduleNavigatorWnd::OnSize(UINT nType, int cx, int cy) {
    CWnd::OnSize(nType, cx, cy);
    if (m_splitter.GetSafeHwnd() != nullptr)
        m_splitter.MoveWindow(-2, -2, cx + 4, cy + 4);
}

void CScheduleNavigatorWnd::OnDestroy() {
    if (g_pDefaultReminder != nullptr)
        g_pDefaultReminder->SetSink(nullptr);
    m_manager.GetEventsManager().m_pSink = nullptr;
    m_manager.RemoveAllListeners();
    CWnd::OnDestroy();
}

void CScheduleNavigatorWnd::PostNcDestroy() {
    delete this;
}

LRESULT CScheduleNavigatorWnd::OnFolderMessage(WPARAM wParam, LPARAM) {
    if (wParam == kFolderDeactivated) {
        if (CWnd* pTop = GetTopLevelParent())
            pTop->SendMessage(kLeaveSchedules);
        if (CWnd* pParent = GetParent())
            pParent->Invalidate();
    }
    return 0;
}

BOOL CScheduleNavigatorWnd::OnCmdMsg(UINT nID, int nCode, void* pExtra,
                                     AFX_CMDHANDLERINFO* pHandlerInfo) {
    if (CScheduleTreeView* pTree = GetTree())
        if (pTree->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
            return TRUE;
    return CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}
