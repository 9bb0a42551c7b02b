#include "calendar/ui/TaskListView.h"

#include "calendar/ui/CalendarItemsHandler.h"
#include "calendar/ui/CalendarPane.h"
#include "calendar/ui/DlgTaskFilter.h"
#include "calendar/ui/ScheduleTreeView.h"
#include "platform/base/ModuleDir.h"
#include "platform/gui/Icon.h"
#include "platform/gui/MessageBox.h"
#include "ui/KovMenu.h"

#include <algorithm>

namespace {
constexpr UINT kTreeId = 1000;
constexpr UINT kPopupMenu = 2007;
constexpr DWORD kExpandedFlag = 0x400;

CGroup* RawParent(CTask* pTask) {
    return pTask->CGroupItem::GetParent();
}
} // namespace

// ---- Column tree ----------------------------------------------------------------------------

IMPLEMENT_DYNCREATE(CTaskColumnTreeCtrl, CColumnTreeCtrl)

void CTaskColumnTreeCtrl::FlagPlaces(const _CEvent& event, int xs[4]) {
    xs[0] = event.m_base.m_nImportance != 1 ? 0 : -1;
    xs[1] = event.m_base.m_nUrgency != 1 ? LevelWidth : -1;
    xs[2] = event.IsRecurring() ? 2 * LevelWidth : -1;
    xs[3] = event.m_remind.m_bEnabled ? 2 * LevelWidth + MarkWidth : -1;
}

namespace {
// The icon file of the program folder at the size given; FALSE (nothing added) when it is
// missing, so that its flag is simply not drawn.
BOOL AddFlagIcon(CImageList& images, LPCTSTR lpszRelativePath, int cx) {
    const CString path = GetModuleDirectory() + "\\" + lpszRelativePath;
    HICON hIcon = (HICON)::LoadImage(nullptr, path, IMAGE_ICON, cx, 16, LR_LOADFROMFILE);
    if (hIcon == nullptr)
        return FALSE;
    const BOOL bAdded = images.Add(hIcon) >= 0;
    ::DestroyIcon(hIcon);
    return bAdded;
}
} // namespace

void CTaskColumnTreeCtrl::CreateChildren() {
    CColumnTreeCtrl::CreateChildren();
    m_levels.Create(LevelWidth, 16, ILC_COLOR32 | ILC_MASK, 4, 5);
    m_bLevels = AddFlagIcon(m_levels, "Icons\\LowImportance.ico", LevelWidth) &&
                AddFlagIcon(m_levels, "Icons\\HighImportance.ico", LevelWidth);
    m_marks.Create(MarkWidth, 16, ILC_COLOR32 | ILC_MASK, 4, 5);
    m_bMarks = AddFlagIcon(m_marks, "Icons\\Recurrence.ico", MarkWidth) &&
               AddFlagIcon(m_marks, "Icons\\Remind.ico", MarkWidth);
}

void CTaskColumnTreeCtrl::OnCustomDraw(NMHDR* pNMHDR, LRESULT* pResult) {
    CColumnTreeCtrl::OnCustomDraw(pNMHDR, pResult);
    auto* cd = reinterpret_cast<NMTVCUSTOMDRAW*>(pNMHDR);
    if (cd->nmcd.dwDrawStage != CDDS_ITEMPOSTPAINT || m_pView == nullptr)
        return;
    auto hItem = (HTREEITEM)cd->nmcd.dwItemSpec;
    CTask* pTask = m_pView->GetItemTask(hItem);
    if (pTask == nullptr)
        return;
    CRect row(cd->nmcd.rc);
    const int left = GetColumnWidth(0);
    const int y = row.top + (row.Height() - 16) / 2;
    CDC* pDC = CDC::FromHandle(cd->nmcd.hdc);
    int xs[4];
    FlagPlaces(*pTask->GetEvent(), xs);
    const _CEvent& e = *pTask->GetEvent();
    if (xs[0] >= 0 && m_bLevels)
        m_levels.Draw(pDC, e.m_base.m_nImportance == 0 ? 0 : 1, CPoint(left + xs[0], y), ILD_TRANSPARENT);
    if (xs[1] >= 0 && m_bLevels)
        m_levels.Draw(pDC, e.m_base.m_nUrgency == 0 ? 0 : 1, CPoint(left + xs[1], y), ILD_TRANSPARENT);
    if (xs[2] >= 0 && m_bMarks)
        m_marks.Draw(pDC, 0, CPoint(left + xs[2], y), ILD_TRANSPARENT);
    if (xs[3] >= 0 && m_bMarks)
        m_marks.Draw(pDC, 1, CPoint(left + xs[3], y), ILD_TRANSPARENT);
}

// ---- View -----------------------------------------------------------------------------------

IMPLEMENT_DYNCREATE(CTaskListView, CKovColumnTreeView)

BEGIN_MESSAGE_MAP(CTaskListView, CKovColumnTreeView)
ON_WM_CONTEXTMENU()
ON_WM_DESTROY()
ON_MESSAGE(WM_INITMENUPOPUP, &CTaskListView::OnInitMenuPopup)
END_MESSAGE_MAP()

CTaskListView::CTaskListView() {
    m_pControlClass = RUNTIME_CLASS(CTaskColumnTreeCtrl);
}

CTaskListView::~CTaskListView() {
    // Cut tasks never pasted go with the view that kept them.
    while (!m_ownClipboard.IsEmpty())
        m_ownClipboard.RemoveSubgroup(static_cast<CGroup*>(m_ownClipboard.GetHead()), TRUE);
}

void CTaskListView::OnDestroy() {
    // The month grid and the schedule windows outlive the list: none of them may tell it
    // anything once it has gone.
    if (m_pCalendar != nullptr && m_pCalendar->m_pOwner == this)
        m_pCalendar->m_pOwner = nullptr;
    m_pCalendar = nullptr;
    m_pScheduleTree = nullptr;
    if (CScheduleUIManager* pManager = GetManager())
        pManager->RemoveListener(this);
    CKovColumnTreeView::OnDestroy();
}

void CTaskListView::OnInitialUpdate() {
    if (m_bInitialized)
        return;
    CKovColumnTreeView::OnInitialUpdate();
    if (m_pColumnTree == nullptr)
        return;
    if (auto* pCtrl = dynamic_cast<CTaskColumnTreeCtrl*>(m_pColumnTree))
        pCtrl->m_pView = this;
    m_pColumnTree->InsertColumn(ColTitle, "任务名", HDF_LEFT, 350);
    m_pColumnTree->InsertColumn(ColFlags, "标志", HDF_LEFT, 80);
    m_pColumnTree->InsertColumn(ColState, "状态", HDF_LEFT, 150);
    m_pColumnTree->InsertColumn(ColPercent, "完成率", HDF_CENTER, 60);
    m_pColumnTree->InsertColumn(ColStart, "开始时间", HDF_LEFT, 180);
    m_pColumnTree->InsertColumn(ColEnd, "结束时间", HDF_LEFT, 180);
    m_pColumnTree->SetItemHeight((SHORT)std::max<int>(20, m_pColumnTree->GetItemHeight()));
    Tree().SetHooker(this);
    CTreeCtrlExDragDropHelper& drag = m_pColumnTree->m_dragHelper;
    drag.Attach(this, &Tree());
    drag.SetDragCursors(LoadCursor(nullptr, MAKEINTRESOURCE(242)),
                        LoadCursor(nullptr, MAKEINTRESOURCE(243)),
                        LoadCursor(nullptr, MAKEINTRESOURCE(241)));
    // Rows do not move inside the list (its order is the tasks' own); they go to the tree.
    drag.SetCallbacks(this, nullptr,
                      [this](CWnd*, DRAGITEM item, DWORD, int x, int y, int keyFlags, BOOL bTest, int,
                             HWND& hTargetWnd, DRAGITEM& target, BOOL bHasNext, BOOL bFirst, int&) {
                          return DropOnTree(item, x, y, keyFlags, bTest, bHasNext, bFirst,
                                            hTargetWnd, target);
                      });
    drag.Enable(TRUE);
}

BOOL CTaskListView::DropOnTree(DRAGITEM item, int x, int y, int keyFlags, BOOL bTest,
                               BOOL bHasNext, BOOL bFirst, HWND& hTargetWnd, DRAGITEM& target) {
    hTargetWnd = nullptr;
    target = 0;
    CScheduleTreeView* pTree = m_pScheduleTree;
    if (pTree == nullptr || pTree->GetSafeHwnd() == nullptr)
        return FALSE;
    if (!bTest && bFirst) {
        m_dropped.clear();
        for (INT_PTR i = 0; i < m_pColumnTree->m_dragHelper.GetItems().GetSize(); ++i) {
            const DRAGITEM d = m_pColumnTree->m_dragHelper.GetItems()[i];
            m_dropped.emplace_back(d, GetItemTask((HTREEITEM)d));
        }
    }
    CTask* pTask = nullptr;
    if (bTest) {
        pTask = GetItemTask((HTREEITEM)item);
    } else {
        for (const auto& [d, t] : m_dropped)
            if (d == item)
                pTask = t;
    }
    if (pTask == nullptr)
        return FALSE;
    // A sub-task dragged along with its task goes with it.
    if (!bTest)
        for (CGroup* p = RawParent(pTask); p != nullptr; p = p->CGroupItem::GetParent())
            for (const auto& dropped : m_dropped)
                if (dropped.second == p)
                    return TRUE;
    CPoint pt(x, y);
    Tree().ClientToScreen(&pt);
    pTree->ScreenToClient(&pt);
    CRect client;
    pTree->GetClientRect(&client);
    if (!client.PtInRect(pt))
        return FALSE;
    GROUPDROPQUERY q;
    q.pt = pt;
    q.keyFlags = keyFlags;
    q.bTest = bTest;
    q.bHasNext = bHasNext;
    q.pRecord = pTask;
    const HWND hTree = pTree->m_hWnd;
    const BOOL bResult = (BOOL)pTree->SendMessage(WM_GROUPVIEW_DROPQUERY, 0, (LPARAM)&q);
    if (!::IsWindow(hTree))
        return FALSE;
    hTargetWnd = q.hHit != nullptr ? hTree : nullptr;
    target = (DRAGITEM)q.hHit;
    if (!bTest && !bHasNext)
        m_dropped.clear();
    return bResult;
}

CTask* CTaskListView::GetItemTask(HTREEITEM hItem) const {
    return hItem != nullptr ? reinterpret_cast<CTask*>(Tree().GetItemData(hItem)) : nullptr;
}

CString CTaskListView::GetItemText(HTREEITEM hItem, int nColumn) const {
    return m_pColumnTree != nullptr ? m_pColumnTree->GetItemText(hItem, nColumn) : CString();
}

HTREEITEM CTaskListView::FindItem(CTask* pTask) const {
    if (pTask == nullptr)
        return nullptr;
    auto hItem = (HTREEITEM)pTask->GetTreeItem();
    return hItem != nullptr && Tree().IsValidItem(hItem) && GetItemTask(hItem) == pTask ? hItem
                                                                                       : nullptr;
}

void CTaskListView::FillTexts(HTREEITEM hItem, CTask* pTask) {
    const _CEvent& e = *pTask->GetEvent();
    CString text;
    m_pColumnTree->SetItemText(hItem, ColTitle, e.GetTitle());
    m_pColumnTree->SetItemText(hItem, ColState, _CEvent::GetStateName(e.m_base.m_nState));
    text.Format("%d%%", e.m_base.m_nPercentDone);
    m_pColumnTree->SetItemText(hItem, ColPercent, text);
    e.GetPeriodText(text);
    m_pColumnTree->SetItemText(hItem, ColStart, text);
    e.GetEndText(text);
    m_pColumnTree->SetItemText(hItem, ColEnd, text);
}

BOOL CTaskListView::ShowsTask(CTask* pTask) const {
    if (pTask == nullptr || m_pGroup == nullptr)
        return FALSE;
    CScheduleGroup* pGroup = CEventsManager::GroupOf(pTask);
    if (pGroup == m_pGroup)
        return TRUE;
    if (!m_bAllLevels)
        return FALSE;
    for (CGroup* p = pGroup; p != nullptr; p = p->GetParent())
        if (p == m_pGroup)
            return TRUE;
    return FALSE;
}

HTREEITEM CTaskListView::InsertTask(CTask* pTask, HTREEITEM hParent, BOOL bWithSubs) {
    if (!m_filter.Accepts(pTask))
        return nullptr;
    HTREEITEM hItem = Tree().InsertItem(pTask->GetEvent()->GetTitle(), hParent, TVI_LAST);
    if (hItem == nullptr)
        return nullptr;
    Tree().SetItemData(hItem, (DWORD_PTR)pTask);
    pTask->SetTreeItem((DWORD_PTR)hItem);
    FillTexts(hItem, pTask);
    if (bWithSubs) {
        for (POSITION pos = pTask->GetHeadPosition(); pos != nullptr;)
            InsertTask(pTask->GetNextSubTask(pos), hItem, TRUE);
        if (pTask->GetFlags() & kExpandedFlag)
            Tree().Expand(hItem, TVE_EXPAND);
    }
    return hItem;
}

void CTaskListView::RemoveItem(HTREEITEM hItem) {
    if (hItem == nullptr)
        return;
    // The tasks below forget their items first.
    struct Walk {
        static void Run(CTaskListView* v, HTREEITEM h) {
            if (CTask* t = v->GetItemTask(h))
                t->SetTreeItem(0);
            for (HTREEITEM c = v->Tree().GetChildItem(h); c != nullptr; c = v->Tree().GetNextSiblingItem(c))
                Run(v, c);
        }
    };
    Walk::Run(this, hItem);
    Tree().DeleteItem(hItem);
}

void CTaskListView::SetCurrentGroup(CScheduleGroup* pGroup) {
    m_pGroup = pGroup;
    Refill();
}

void CTaskListView::Refill() {
    if (m_pColumnTree == nullptr)
        return;
    CCustomTreeChildCtrl& tree = Tree();
    tree.SetRedraw(FALSE);
    for (HTREEITEM h = tree.GetRootItem(); h != nullptr;) {
        HTREEITEM next = tree.GetNextSiblingItem(h);
        RemoveItem(h);
        h = next;
    }
    if (m_pGroup != nullptr) {
        std::vector<CScheduleGroup*> groups{m_pGroup};
        for (size_t i = 0; m_bAllLevels && i < groups.size(); ++i)
            for (POSITION pos = groups[i]->GetFirstSubgroupPosition(); pos != nullptr;)
                if (auto* p = dynamic_cast<CScheduleGroup*>(groups[i]->GetNextSubgroup(pos)))
                    groups.push_back(p);
        for (CScheduleGroup* g : groups) {
            CTask& holder = g->GetTaskHolder();
            for (POSITION pos = holder.GetHeadPosition(); pos != nullptr;)
                InsertTask(holder.GetNextSubTask(pos), TVI_ROOT, TRUE);
        }
    }
    tree.SetRedraw(TRUE);
    tree.Invalidate();
    m_pColumnTree->UpdateLayout();
}

void CTaskListView::SetAllLevels(BOOL b) {
    m_bAllLevels = b;
    Refill();
}

CGroup& CTaskListView::Clipboard() {
    return m_pScheduleTree != nullptr ? m_pScheduleTree->GetTaskClipboard() : m_ownClipboard;
}

CScheduleDoc* CTaskListView::DocumentOf(CTask* pTask) {
    CEventsManager* pEvents = GetEventsManager();
    return pEvents != nullptr && pEvents->m_pSink != nullptr ? pEvents->m_pSink->GetDocumentOf(pTask)
                                                             : nullptr;
}

CScheduleDoc* CTaskListView::DocumentOfTarget(CGroup* pTarget) {
    CEventsManager* pEvents = GetEventsManager();
    if (pTarget == nullptr || pEvents == nullptr || pEvents->m_pSink == nullptr)
        return nullptr;
    if (auto* pTask = dynamic_cast<CTask*>(pTarget))
        return pEvents->m_pSink->GetDocumentOf(pTask);
    return pEvents->m_pSink->GetDocumentOfGroup(pTarget);
}

void CTaskListView::Tell(CTask* pTask, int nKind, CGroup* pParent, int nFlag) {
    if (GetManager() != nullptr)
        GetManager()->Tell(DocumentOf(pTask), this, nKind, pTask, pParent, nFlag);
}

// ---- Changes from elsewhere -----------------------------------------------------------------

void CTaskListView::OnScheduleChanged(CScheduleUI* pSource, int nKind, CScheduleElement* pElement,
                                      CGroup* pParent, int nFlag, CGroup*) {
    if (nKind == ScheduleGroupChosen) {
        SetCurrentGroup(dynamic_cast<CScheduleGroup*>(pParent));
        return;
    }
    if (nKind == ScheduleGroupsChanged) {
        // A file about to close takes its groups: the list lets go of them first.
        if (pParent != nullptr && m_pGroup != nullptr) {
            for (CGroup* p = m_pGroup; p != nullptr; p = p->GetParent())
                if (p == pParent) {
                    SetCurrentGroup(nullptr);
                    break;
                }
        }
        return;
    }
    if (pSource == this)
        return;
    CTask* pTask = AsTask(pElement);
    if (pTask == nullptr)
        return;
    switch (nKind) {
    case ScheduleCreated:
    case ScheduleMoving:
        if (nKind == ScheduleMoving && nFlag == 0) {
            RemoveItem(FindItem(pTask));
            break;
        }
        if (FindItem(pTask) == nullptr && ShowsTask(pTask)) {
            CTask* pParentTask = dynamic_cast<CTask*>(RawParent(pTask));
            HTREEITEM hParent = pParentTask != nullptr ? FindItem(pParentTask) : nullptr;
            if (pParentTask != nullptr && hParent == nullptr &&
                pParentTask != &CEventsManager::GroupOf(pTask)->GetTaskHolder())
                break; // its parent is not listed
            if (HTREEITEM h = InsertTask(pTask, hParent != nullptr ? hParent : TVI_ROOT, TRUE)) {
                Tree().CTreeCtrl::SelectItem(h);
                Tree().EnsureVisible(h);
            }
        }
        break;
    case ScheduleChanged:
        if (HTREEITEM h = FindItem(pTask)) {
            FillTexts(h, pTask);
            Tree().Invalidate();
        }
        break;
    case ScheduleDeleting:
        RemoveItem(FindItem(pTask));
        break;
    default:
        break;
    }
}

CGroup* CTaskListView::GetSelection(CScheduleDoc** ppDoc) {
    CTask* pTask = GetFocusedTask();
    if (ppDoc != nullptr)
        *ppDoc = pTask != nullptr ? DocumentOf(pTask) : nullptr;
    return pTask;
}

BOOL CTaskListView::SelectElement(CScheduleElement* pElement) {
    HTREEITEM h = FindItem(AsTask(pElement));
    if (h == nullptr)
        return FALSE;
    Tree().CTreeCtrl::SelectItem(h);
    Tree().EnsureVisible(h);
    return TRUE;
}

// ---- Date following -------------------------------------------------------------------------

void CTaskListView::OnCalendarDateChanged(int) {
    if (!(m_filter.GetCriteria() & CTaskFilter::BY_DATE))
        return;
    CDate from, to;
    m_filter.GetRange(from, to);
    const BOOL moved = UpdateDateRange();
    CDate newFrom, newTo;
    m_filter.GetRange(newFrom, newTo);
    if (moved || m_nViewMode == ModeDay || !(newFrom == from))
        Refill();
}

void CTaskListView::SetViewMode(int nMode) {
    if (nMode == ModeNone || nMode == m_nViewMode) {
        m_filter.SetCriteria(CTaskFilter::BY_DATE, 0);
        m_nViewMode = ModeNone;
    } else {
        m_filter.SetCriteria(CTaskFilter::BY_DATE, CTaskFilter::BY_DATE);
        m_nViewMode = nMode;
    }
    UpdateDateRange();
    Refill();
}

BOOL CTaskListView::UpdateDateRange() {
    if (m_nViewMode == ModeNone)
        return FALSE;
    CDate ref;
    if (m_pCalendar != nullptr)
        m_pCalendar->GetDate(ref);
    CDate oldFrom, oldTo;
    m_filter.GetRange(oldFrom, oldTo);
    CDate from = ref, to;
    BOOL result = TRUE;
    if (m_nViewMode == ModeWeek && m_pCalendar != nullptr) {
        m_pCalendar->GetWeekStartDate(from);
        to = from;
        to.AddDays(6);
        result = !(from == oldFrom);
    } else if (m_nViewMode == ModeMonth && ref.IsValid()) {
        from.Set(ref.GetYear(), ref.GetMonth(), 1);
        to.Set(ref.GetYear(), ref.GetMonth(), CDate::GetDaysInMonth(ref.GetYear(), ref.GetMonth()));
        result = !(from == oldFrom);
    }
    m_filter.SetRange(from, to);
    return result;
}

// ---- Commands -------------------------------------------------------------------------------

std::vector<CTask*> CTaskListView::GetSelectedTasks() {
    std::vector<CTask*> tasks;
    CCustomTreeChildCtrl& tree = Tree();
    for (HTREEITEM h = tree.GetFirstSelected(); h != nullptr; h = tree.GetNextSelected(h))
        if (CTask* t = GetItemTask(h))
            tasks.push_back(t);
    if (tasks.empty())
        if (CTask* t = GetItemTask(tree.GetSelectedItem()))
            tasks.push_back(t);
    return tasks;
}

CTask* CTaskListView::GetFocusedTask() {
    return m_pColumnTree != nullptr ? GetItemTask(Tree().GetSelectedItem()) : nullptr;
}

CTask* CTaskListView::NewTask(CGroup* pParent) {
    CEventsManager* pEvents = GetEventsManager();
    if (pParent == nullptr || pEvents == nullptr)
        return nullptr;
    CScheduleDoc* pDoc = DocumentOfTarget(pParent);
    CDate date;
    if (m_pCalendar != nullptr)
        m_pCalendar->GetDate(date);
    CTask* pTask = pEvents->NewTask(pParent, pDoc, nullptr, date.IsValid() ? &date : nullptr, this);
    if (pTask == nullptr)
        return nullptr;
    HTREEITEM hParent = dynamic_cast<CTask*>(pParent) != nullptr ? FindItem(static_cast<CTask*>(pParent))
                                                                 : nullptr;
    if (HTREEITEM h = InsertTask(pTask, hParent != nullptr ? hParent : TVI_ROOT, TRUE)) {
        if (hParent != nullptr)
            Tree().Expand(hParent, TVE_EXPAND);
        Tree().CTreeCtrl::SelectItem(h);
    }
    Tell(pTask, ScheduleCreated, pParent);
    return pTask;
}

void CTaskListView::CutOrCopy(BOOL bCut) {
    std::vector<CTask*> tasks = GetSelectedTasks();
    if (tasks.empty())
        return;
    // A task under another selected task goes along with it.
    auto under = [&](CTask* t) {
        for (CGroup* p = RawParent(t); p != nullptr; p = p->CGroupItem::GetParent())
            if (std::find(tasks.begin(), tasks.end(), p) != tasks.end())
                return true;
        return false;
    };
    std::vector<CTask*> tops;
    for (CTask* t : tasks)
        if (!under(t))
            tops.push_back(t);
    CGroup& clip = Clipboard();
    while (!clip.IsEmpty())
        clip.RemoveSubgroup(static_cast<CGroup*>(clip.GetHead()), TRUE);
    for (CTask* t : tops) {
        if (!bCut) {
            auto* pCopy = new CAdvTask;
            pCopy->CopyFrom(t);
            clip.AddSubgroup(pCopy, FALSE, nullptr, TRUE, FALSE);
            continue;
        }
        CScheduleDoc* pDoc = DocumentOf(t);
        Tell(t, ScheduleMoving, CEventsManager::GroupOf(t), 0);
        // Out of the document's indexes: a cut task neither shows nor reminds.
        if (pDoc != nullptr)
            pDoc->IndexTask(t, FALSE, TRUE);
        RemoveItem(FindItem(t));
        CEventsManager::DetachTask(t);
        clip.AddSubgroup(t, FALSE, nullptr, TRUE, FALSE);
    }
}

void CTaskListView::Paste() {
    CEventsManager* pEvents = GetEventsManager();
    CGroup& clip = Clipboard();
    if (pEvents == nullptr || clip.IsEmpty())
        return;
    CGroup* pTarget = GetFocusedTask();
    if (pTarget == nullptr)
        pTarget = m_pGroup;
    if (pTarget == nullptr)
        return;
    CScheduleDoc* pDoc = DocumentOfTarget(pTarget);
    std::vector<CTask*> made;
    for (POSITION pos = clip.GetHeadPosition(); pos != nullptr;) {
        auto* pTemplate = dynamic_cast<CTask*>(clip.GetNext(pos));
        if (pTemplate == nullptr)
            continue;
        if (CTask* pTask = pEvents->NewTask(pTarget, pDoc, pTemplate, nullptr, this))
            made.push_back(pTask);
    }
    // The cut originals are freed: their copies stand in their place.
    while (!clip.IsEmpty())
        clip.RemoveSubgroup(static_cast<CGroup*>(clip.GetHead()), TRUE);
    HTREEITEM hParent = dynamic_cast<CTask*>(pTarget) != nullptr ? FindItem(static_cast<CTask*>(pTarget))
                                                                 : nullptr;
    for (CTask* t : made) {
        InsertTask(t, hParent != nullptr ? hParent : TVI_ROOT, TRUE);
        Tell(t, ScheduleCreated, pTarget);
    }
}

void CTaskListView::DeleteSelected(BOOL bAsk) {
    std::vector<CTask*> tasks = GetSelectedTasks();
    CEventsManager* pEvents = GetEventsManager();
    if (tasks.empty() || pEvents == nullptr)
        return;
    if (bAsk && AfxMessageBox("您真的要删除该项吗？", MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    // A task below another one being deleted goes with it.
    std::vector<CTask*> tops;
    for (CTask* t : tasks) {
        bool under = false;
        for (CGroup* p = RawParent(t); p != nullptr && !under; p = p->CGroupItem::GetParent())
            under = std::find(tasks.begin(), tasks.end(), p) != tasks.end();
        if (!under)
            tops.push_back(t);
    }
    for (CTask* t : tops) {
        CScheduleDoc* pDoc = DocumentOf(t);
        Tell(t, ScheduleDeleting, nullptr);
        RemoveItem(FindItem(t));
        if (pDoc != nullptr)
            pDoc->SetModifiedFlag(TRUE);
        pEvents->DeleteTask(t);
    }
}

void CTaskListView::SetStateOfSelected(int nState) {
    for (CTask* t : GetSelectedTasks()) {
        t->GetEvent()->m_base.m_nState = nState;
        if (HTREEITEM h = FindItem(t))
            FillTexts(h, t);
        Tell(t, ScheduleChanged, nullptr);
    }
    Tree().Invalidate();
}

void CTaskListView::SetLevelOfSelected(BOOL bImportance, int nLevel) {
    for (CTask* t : GetSelectedTasks()) {
        (bImportance ? t->GetEvent()->m_base.m_nImportance : t->GetEvent()->m_base.m_nUrgency) = nLevel;
        Tell(t, ScheduleChanged, nullptr);
    }
    Tree().Invalidate();
}

void CTaskListView::EditFocused() {
    CTask* pTask = GetFocusedTask();
    if (pTask != nullptr && GetManager() != nullptr && GetManager()->Edit(this, pTask, this)) {
        // The view made the change, so it is not told: it rebuilds the item itself.
        if (HTREEITEM h = FindItem(pTask)) {
            FillTexts(h, pTask);
        }
        Tree().Invalidate();
    }
}

BOOL CTaskListView::OnHookedMessage(CWnd*, UINT message, WPARAM, LPARAM) {
    if (message != WM_LBUTTONDBLCLK)
        return FALSE;
    EditFocused();
    return TRUE;
}

void CTaskListView::UpdateCommand(CCmdUI* pCmdUI, UINT nID) {
    CTask* pFocused = GetFocusedTask();
    const BOOL selected = pFocused != nullptr;
    if (nID >= ID_STATE_FIRST && nID <= ID_STATE_LAST) {
        pCmdUI->Enable(TRUE);
        pCmdUI->SetCheck(selected && pFocused->GetEvent()->m_base.m_nState == (int)(nID - ID_STATE_FIRST));
    } else if (nID >= ID_IMPORTANCE_FIRST && nID <= ID_IMPORTANCE_LAST) {
        pCmdUI->Enable(TRUE);
        pCmdUI->SetCheck(selected && pFocused->GetEvent()->m_base.m_nImportance == (int)(nID - ID_IMPORTANCE_FIRST));
    } else if (nID >= ID_URGENCY_FIRST && nID <= ID_URGENCY_LAST) {
        pCmdUI->Enable(TRUE);
        pCmdUI->SetCheck(selected && pFocused->GetEvent()->m_base.m_nUrgency == (int)(nID - ID_URGENCY_FIRST));
    } else if (nID == ID_CUT || nID == ID_COPY) {
        pCmdUI->Enable(selected);
    } else if (nID == ID_PASTE) {
        pCmdUI->Enable(!Clipboard().IsEmpty());
    } else if (nID == ID_ALL_LEVELS) {
        pCmdUI->Enable(TRUE);
        pCmdUI->SetCheck(m_bAllLevels);
    } else if (nID == ID_DAY_MODE || nID == ID_WEEK_MODE || nID == ID_MONTH_MODE) {
        const int mode = nID == ID_DAY_MODE ? ModeDay : nID == ID_WEEK_MODE ? ModeWeek : ModeMonth;
        pCmdUI->Enable(TRUE);
        pCmdUI->SetCheck(m_nViewMode == mode);
    } else if (nID == ID_FILTER) {
        pCmdUI->Enable(TRUE);
        pCmdUI->SetCheck((m_filter.GetCriteria() & 0x7C) != 0);
    } else {
        pCmdUI->Enable(TRUE);
    }
}

BOOL CTaskListView::DoCommand(UINT nID) {
    if (nID >= ID_STATE_FIRST && nID <= ID_STATE_LAST) {
        SetStateOfSelected((int)(nID - ID_STATE_FIRST));
        return TRUE;
    }
    if (nID >= ID_IMPORTANCE_FIRST && nID <= ID_IMPORTANCE_LAST) {
        SetLevelOfSelected(TRUE, (int)(nID - ID_IMPORTANCE_FIRST));
        return TRUE;
    }
    if (nID >= ID_URGENCY_FIRST && nID <= ID_URGENCY_LAST) {
        SetLevelOfSelected(FALSE, (int)(nID - ID_URGENCY_FIRST));
        return TRUE;
    }
    switch (nID) {
    case ID_NEW_TASK: NewTask(m_pGroup); return TRUE;
    case ID_NEW_SUBTASK: NewTask(GetFocusedTask()); return TRUE;
    case ID_CUT: CutOrCopy(TRUE); return TRUE;
    case ID_COPY: CutOrCopy(FALSE); return TRUE;
    case ID_PASTE: Paste(); return TRUE;
    case ID_SELECT_ALL: Tree().SelectAll(TRUE); Tree().Invalidate(); return TRUE;
    case ID_INVERT_SELECTION: Tree().InvertSelection(); Tree().Invalidate(); return TRUE;
    case ID_SELECT_SUBTASKS:
        if (HTREEITEM h = Tree().GetSelectedItem())
            Tree().SelectChildren(h);
        Tree().Invalidate();
        return TRUE;
    case ID_EDIT: EditFocused(); return TRUE;
    case ID_DELETE: DeleteSelected(TRUE); return TRUE;
    case ID_ALL_LEVELS: SetAllLevels(!m_bAllLevels); return TRUE;
    case ID_DAY_MODE: SetViewMode(ModeDay); return TRUE;
    case ID_WEEK_MODE: SetViewMode(ModeWeek); return TRUE;
    case ID_MONTH_MODE: SetViewMode(ModeMonth); return TRUE;
    case ID_FILTER: {
        CDlgTaskFilter dlg(&m_filter, this);
        if (dlg.DoModal() == IDOK)
            Refill();
        return TRUE;
    }
    default:
        return FALSE;
    }
}

BOOL CTaskListView::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
    const bool mine = (nID >= ID_STATE_FIRST && nID <= ID_STATE_LAST) ||
                      (nID >= ID_IMPORTANCE_FIRST && nID <= ID_IMPORTANCE_LAST) ||
                      (nID >= ID_URGENCY_FIRST && nID <= ID_URGENCY_LAST) || nID == ID_NEW_TASK ||
                      nID == ID_NEW_SUBTASK || nID == ID_CUT || nID == ID_COPY || nID == ID_PASTE ||
                      nID == ID_SELECT_ALL || nID == ID_INVERT_SELECTION ||
                      nID == ID_SELECT_SUBTASKS || nID == ID_EDIT || nID == ID_DELETE ||
                      nID == ID_ALL_LEVELS || nID == ID_DAY_MODE || nID == ID_WEEK_MODE ||
                      nID == ID_MONTH_MODE || nID == ID_FILTER;
    if (mine && nCode == (int)CN_UPDATE_COMMAND_UI) {
        UpdateCommand(static_cast<CCmdUI*>(pExtra), nID);
        return TRUE;
    }
    if (mine && nCode == (int)CN_COMMAND) {
        if (pHandlerInfo == nullptr)
            DoCommand(nID);
        return TRUE;
    }
    return CKovColumnTreeView::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

BOOL CTaskListView::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    auto* nm = reinterpret_cast<NMHDR*>(lParam);
    if (nm != nullptr && nm->idFrom == kTreeId) {
        if (nm->code == NM_DBLCLK) {
            *pResult = 1;
            return TRUE;
        }
        if (nm->code == NM_RCLICK) {
            // The tree shows no menu of its own: the row under the pointer joins the selection
            // (alone, when it was not in it) and the list's menu comes up there.
            const DWORD pos = ::GetMessagePos();
            const CPoint screen((short)LOWORD(pos), (short)HIWORD(pos));
            CPoint client = screen;
            Tree().ScreenToClient(&client);
            if (HTREEITEM h = Tree().HitTest(client); h != nullptr && !Tree().IsSelected(h)) {
                Tree().SelectAll(FALSE);
                Tree().CTreeCtrl::SelectItem(h);
            }
            OnContextMenu(this, screen);
            *pResult = 1;
            return TRUE;
        }
        if (nm->code == TVN_ITEMEXPANDED) {
            auto* tv = reinterpret_cast<NMTREEVIEW*>(nm);
            if (CTask* t = GetItemTask(tv->itemNew.hItem)) {
                const BOOL expanded = (Tree().GetItemState(tv->itemNew.hItem, TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
                t->ModifyFlags(kExpandedFlag, expanded ? kExpandedFlag : 0);
            }
        }
    }
    return CKovColumnTreeView::OnNotify(wParam, lParam, pResult);
}

void CTaskListView::OnContextMenu(CWnd*, CPoint point) {
    if (point.x == -1 && point.y == -1) {
        CRect rc;
        GetWindowRect(&rc);
        point = rc.TopLeft();
    }
    ShowPopupMenu(kPopupMenu, 0, point, TPM_LEFTALIGN | TPM_RIGHTBUTTON, this);
}

LRESULT CTaskListView::OnInitMenuPopup(WPARAM wParam, LPARAM lParam) {
    if (HIWORD(lParam) == 0)
        CCalendarItemsHandler::UpdatePopupMenu((HMENU)wParam, this);
    return 0;
}
