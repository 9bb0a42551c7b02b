#include "calendar/ui/ScheduleUI.h"

#include "calendar/ui/SheetEvent.h"

#include <algorithm>

namespace {
CEventsManager::SheetRunner& Runner() {
    static CEventsManager::SheetRunner s_runner;
    return s_runner;
}

// The parent a task is filed under: its own parent task, or the holder of its group.
CGroup* RawParent(CTask* pTask) {
    return pTask->CGroupItem::GetParent();
}
} // namespace

CTask* AsTask(CScheduleElement* pElement) {
    return pElement != nullptr ? dynamic_cast<CTask*>(pElement->GetElementObject()) : nullptr;
}

// ---- Listener -------------------------------------------------------------------------------

CScheduleUI::~CScheduleUI() {
    if (m_pManager != nullptr)
        m_pManager->RemoveListener(this);
}

CEventsManager* CScheduleUI::GetEventsManager() const {
    return m_pManager != nullptr ? &m_pManager->GetEventsManager() : nullptr;
}

// ---- Events manager -------------------------------------------------------------------------

void CEventsManager::SetSheetRunner(SheetRunner runner) {
    Runner() = std::move(runner);
}

BOOL CEventsManager::RunSheet(_CEvent& event, BOOL bNew, const CDate* pDate, CWnd* pWnd) {
    if (Runner())
        return Runner()(event, bNew, pDate, pWnd);
    CSheetEvent sheet(pWnd);
    if (!bNew)
        sheet.SetEvent(&event);
    if (pDate != nullptr && pDate->IsValid())
        sheet.PresetDates(*pDate, nullptr);
    if (sheet.DoModal() != IDOK)
        return FALSE;
    sheet.SaveTo(&event, TRUE);
    return TRUE;
}

CScheduleGroup* CEventsManager::GroupOf(CTask* pTask) {
    return pTask != nullptr ? dynamic_cast<CScheduleGroup*>(pTask->GetEvent()->GetParent())
                            : nullptr;
}

CGroup* CEventsManager::HolderOf(CTask* pTask) {
    if (pTask == nullptr)
        return nullptr;
    if (CGroup* pParent = RawParent(pTask))
        return pParent;
    CScheduleGroup* pGroup = GroupOf(pTask);
    return pGroup != nullptr && pGroup->GetTaskHolder().Find(pTask) != nullptr
               ? &pGroup->GetTaskHolder() : nullptr;
}

CTask* CEventsManager::NewTask(CGroup* pParent, CScheduleDoc* pDoc, const CTask* pTemplate,
                               const CDate* pDate, CWnd* pWnd) {
    auto* pGroup = dynamic_cast<CScheduleGroup*>(pParent);
    auto* pParentTask = dynamic_cast<CTask*>(pParent);
    if (pGroup == nullptr && (pParentTask == nullptr || GroupOf(pParentTask) == nullptr))
        return nullptr;
    auto* pTask = new CAdvTask;
    if (pTemplate != nullptr) {
        pTask->CopyFrom(pTemplate);
    } else if (!RunSheet(*pTask->GetEvent(), TRUE, pDate, pWnd)) {
        delete pTask;
        return nullptr;
    } else if (pTask->GetEvent()->GetTitle().IsEmpty()) {
        // A task left without a title still needs a label to be found by in the list.
        pTask->GetEvent()->SetName("新任务");
    }
    if (pGroup != nullptr) {
        pGroup->AddTask(pTask);
    } else {
        pParentTask->AddSubgroup(pTask, TRUE);
        pTask->SetEventParent(GroupOf(pParentTask));
    }
    if (pDoc != nullptr)
        pDoc->IndexTask(pTask, TRUE, TRUE);
    return pTask;
}

BOOL CEventsManager::EditTask(CTask* pTask, CWnd* pWnd) {
    if (pTask == nullptr)
        return FALSE;
    _CEvent copy;
    copy.CopySettings(*pTask->GetEvent());
    if (!RunSheet(copy, FALSE, nullptr, pWnd))
        return FALSE;
    _CEvent* pEvent = pTask->GetEvent();
    pEvent->Unlink(nullptr);
    pEvent->CopySettings(copy);
    // A changed reminder is given again.
    pEvent->SetLastReminded(CDateTime());
    if (m_pSink != nullptr)
        if (CScheduleDoc* pDoc = m_pSink->GetDocumentOf(pTask))
            pDoc->IndexEvent(pEvent);
    return TRUE;
}

void CEventsManager::DetachTask(CTask* pTask) {
    CGroup* pParent = HolderOf(pTask);
    if (pParent == nullptr)
        return;
    pParent->RemoveSubgroup(pTask, FALSE);
    pTask->SetEventParent(nullptr);
}

void CEventsManager::DeleteTask(CTask* pTask) {
    if (pTask == nullptr)
        return;
    // Every index lets go of the task and its sub-tasks before they are freed.
    struct Unlinker {
        static void Run(CTask* p) {
            p->GetEvent()->Unlink(nullptr);
            p->CScheduleElement::Unlink(nullptr);
            for (POSITION pos = p->GetHeadPosition(); pos != nullptr;)
                Run(p->GetNextSubTask(pos));
        }
    };
    Unlinker::Run(pTask);
    if (CGroup* pParent = HolderOf(pTask))
        pParent->RemoveSubgroup(pTask, TRUE);
    else
        delete pTask;
}

// ---- Manager --------------------------------------------------------------------------------

CScheduleUIManager::~CScheduleUIManager() {
    RemoveAllListeners();
}

void CScheduleUIManager::AddListener(CScheduleUI* pUI) {
    if (pUI == nullptr || std::find(m_listeners.begin(), m_listeners.end(), pUI) != m_listeners.end())
        return;
    if (pUI->m_pManager != nullptr && pUI->m_pManager != this)
        pUI->m_pManager->RemoveListener(pUI);
    pUI->m_pManager = this;
    m_listeners.push_back(pUI);
}

void CScheduleUIManager::RemoveListener(CScheduleUI* pUI) {
    auto it = std::find(m_listeners.begin(), m_listeners.end(), pUI);
    if (it == m_listeners.end())
        return;
    m_listeners.erase(it);
    pUI->m_pManager = nullptr;
}

void CScheduleUIManager::RemoveAllListeners() {
    for (CScheduleUI* pUI : m_listeners)
        pUI->m_pManager = nullptr;
    m_listeners.clear();
}

void CScheduleUIManager::Broadcast(CScheduleUI* pSource, int nKind, CScheduleElement* pElement,
                                   CGroup* pParent, int nFlag, CGroup* pOld) {
    // A listener may go while it hears the change: walk a copy, skip those gone.
    const std::vector<CScheduleUI*> listeners = m_listeners;
    for (CScheduleUI* pUI : listeners)
        if (std::find(m_listeners.begin(), m_listeners.end(), pUI) != m_listeners.end())
            pUI->OnScheduleChanged(pSource, nKind, pElement, pParent, nFlag, pOld);
}

void CScheduleUIManager::Tell(CScheduleDoc* pDoc, CScheduleUI* pSource, int nKind,
                              CScheduleElement* pElement, CGroup* pParent, int nFlag) {
    if (pDoc != nullptr && nKind >= ScheduleCreated && nKind <= ScheduleMoving)
        pDoc->SetModifiedFlag(TRUE);
    Broadcast(pSource, nKind, pElement, pParent, nFlag);
}

BOOL CScheduleUIManager::Edit(CScheduleUI* pSource, CScheduleElement* pElement, CWnd* pWnd) {
    CTask* pTask = AsTask(pElement);
    if (pTask == nullptr || !m_events.EditTask(pTask, pWnd))
        return FALSE;
    CScheduleDoc* pDoc = m_events.m_pSink != nullptr ? m_events.m_pSink->GetDocumentOf(pTask) : nullptr;
    if (pDoc != nullptr)
        pDoc->SetModifiedFlag(TRUE);
    // Its place in sorted lists may change with its dates.
    Broadcast(pSource, ScheduleChanged, pTask, nullptr, 1);
    Broadcast(pSource, ScheduleMoving, pTask, nullptr, 0);
    if (CGroup* pParent = CEventsManager::HolderOf(pTask)) {
        CScheduleGroup* pGroup = CEventsManager::GroupOf(pTask);
        const BOOL bTop = pGroup != nullptr && pParent == &pGroup->GetTaskHolder();
        pParent->RemoveSubgroup(pTask, FALSE);
        if (bTop) {
            pGroup->AddTask(pTask);
        } else {
            pParent->AddSubgroup(pTask, TRUE);
            pTask->SetEventParent(pGroup);
        }
    }
    Broadcast(pSource, ScheduleMoving, pTask, pTask->GetParent(), 1);
    return TRUE;
}

BOOL CScheduleUIManager::MoveToGroup(CScheduleUI* pSource, CTask* pTask, CScheduleGroup* pTarget) {
    if (pTask == nullptr || pTarget == nullptr)
        return FALSE;
    CScheduleGroup* pOldGroup = CEventsManager::GroupOf(pTask);
    CScheduleDoc* pOldDoc = m_events.m_pSink != nullptr ? m_events.m_pSink->GetDocumentOf(pTask) : nullptr;
    Broadcast(pSource, ScheduleMoving, pTask, pOldGroup, 0);
    if (pOldDoc != nullptr) {
        pOldDoc->IndexTask(pTask, FALSE, TRUE);
        pOldDoc->SetModifiedFlag(TRUE);
    }
    CEventsManager::DetachTask(pTask);
    pTarget->AddTask(pTask);
    CScheduleDoc* pNewDoc = m_events.m_pSink != nullptr ? m_events.m_pSink->GetDocumentOf(pTask) : nullptr;
    if (pNewDoc != nullptr) {
        pNewDoc->IndexTask(pTask, TRUE, TRUE);
        pNewDoc->SetModifiedFlag(TRUE);
    }
    Broadcast(pSource, ScheduleMoving, pTask, pTarget, 1);
    return TRUE;
}

int CScheduleUIManager::Activate(CKovCalendarCellItem* pItem) {
    if (pItem == nullptr || pItem->m_nKind != CKovCalendarCellItem::KIND_EVENT)
        return 0;
    CTask* pTask = AsTask(reinterpret_cast<CScheduleElement*>(pItem->m_dwData));
    return pTask != nullptr && Edit(nullptr, pTask) ? 1 : 0;
}

CGroup* CScheduleUIManager::GetCurrentSelection(CScheduleDoc** ppDoc) {
    CGroup* pFound = nullptr;
    if (ppDoc != nullptr)
        *ppDoc = nullptr;
    for (CScheduleUI* pUI : m_listeners) {
        CScheduleDoc* pDoc = nullptr;
        CGroup* p = pUI->GetSelection(&pDoc);
        if (pFound == nullptr)
            pFound = p;
        if (ppDoc != nullptr && *ppDoc == nullptr)
            *ppDoc = pDoc;
        if (pFound != nullptr && (ppDoc == nullptr || *ppDoc != nullptr))
            break;
    }
    return pFound;
}
