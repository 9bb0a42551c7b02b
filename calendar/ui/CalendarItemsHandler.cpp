#include "calendar/ui/CalendarItemsHandler.h"

#include "calendar/ui/KovCalendar.h"
#include "platform/gui/CmdTarget.h"
#include "platform/gui/Frame.h"
#include "platform/gui/Menu.h"
#include "platform/gui/MessageBox.h"

BOOL CCalendarItemsHandler::IsTaskCommand(UINT nID) {
    return nID == ID_NEW_TASK || nID == ID_NEW_SUBTASK || nID == ID_DELETE ||
           (nID >= ID_GOTO_MANAGEMENT && nID <= ID_STATE_LAST);
}

void CCalendarItemsHandler::UpdatePopupMenu(HMENU hMenu, CCmdTarget* pTarget) {
    CMenu* pMenu = CMenu::FromHandle(hMenu);
    if (pMenu == nullptr)
        return;
    AfxUpdateMenuCmdUI(pMenu, pTarget, TRUE);
    for (int i = 0; i < (int)pMenu->GetMenuItemCount(); ++i)
        if (CMenu* pSub = pMenu->GetSubMenu(i))
            UpdatePopupMenu(pSub->GetSafeHmenu(), pTarget);
}

CKovCalendarCellItem* CCalendarItemsHandler::GetSelectedItem() {
    CKovCalendar* pGrid = GetGrid();
    return pGrid != nullptr ? pGrid->GetHighlightedItem() : nullptr;
}

CScheduleElement* CCalendarItemsHandler::GetSelectedElement() {
    CKovCalendarCellItem* pItem = GetSelectedItem();
    if (pItem == nullptr || pItem->m_nKind != CKovCalendarCellItem::KIND_EVENT)
        return nullptr;
    return reinterpret_cast<CScheduleElement*>(pItem->m_dwData);
}

CScheduleDoc* CCalendarItemsHandler::DocumentOf(CScheduleElement* pElement) {
    CEventsManager* pEvents = GetEventsManager();
    return pEvents != nullptr && pEvents->m_pSink != nullptr ? pEvents->m_pSink->GetDocumentOf(pElement)
                                                             : nullptr;
}

BOOL CCalendarItemsHandler::OnUpdateCommand(UINT nID, CCmdUI* pCmdUI) {
    if (!IsTaskCommand(nID) || pCmdUI == nullptr)
        return FALSE;
    if (nID == ID_NEW_TASK) {
        pCmdUI->Enable(TRUE);
        return TRUE;
    }
    CScheduleElement* pElement = GetSelectedElement();
    // Only a task can be edited, deleted or given sub-tasks; a state belongs to any event.
    const BOOL taskOnly = nID == ID_NEW_SUBTASK || nID == ID_EDIT || nID == ID_DELETE;
    pCmdUI->Enable(pElement != nullptr && (!taskOnly || AsTask(pElement) != nullptr));
    if (nID >= ID_STATE_FIRST && nID <= ID_STATE_LAST)
        pCmdUI->SetCheck(pElement != nullptr &&
                         pElement->GetElementEvent()->m_base.m_nState == (int)(nID - ID_STATE_FIRST));
    return TRUE;
}

CTask* CCalendarItemsHandler::NewTask(CGroup* pParent, CScheduleDoc* pDoc) {
    CEventsManager* pEvents = GetEventsManager();
    if (pEvents == nullptr || pParent == nullptr)
        return nullptr;
    CDate date;
    CKovCalendar* pGrid = GetGrid();
    if (pGrid != nullptr)
        pGrid->GetDate(date);
    CTask* pTask = pEvents->NewTask(pParent, pDoc, nullptr, date.IsValid() ? &date : nullptr,
                                    GetHandlerWnd());
    if (pTask == nullptr)
        return nullptr;
    GetManager()->Tell(pDoc, this, ScheduleCreated, pTask, pParent);
    if (pGrid != nullptr && pGrid->GetSafeHwnd() != nullptr)
        pGrid->Invalidate(FALSE);
    ShowModified();
    return pTask;
}

void CCalendarItemsHandler::ShowModified() {
    if (m_pManagerUI != nullptr)
        m_pManagerUI->UpdateCalendarTitle();
}

BOOL CCalendarItemsHandler::OnCommand(UINT nID) {
    if (!IsTaskCommand(nID))
        return FALSE;
    CScheduleUIManager* pManager = GetManager();
    if (pManager == nullptr)
        return TRUE;
    if (nID == ID_NEW_TASK) {
        CScheduleDoc* pDoc = nullptr;
        if (CGroup* pSelection = pManager->GetCurrentSelection(&pDoc)) {
            NewTask(pSelection, pDoc);
        } else if (AfxMessageBox("当前没有选定的日程组。请到“任务日程”界面中选择一个组。\n现在转过去吗？",
                                 MB_YESNO | MB_ICONQUESTION) == IDYES &&
                   m_pManagerUI != nullptr) {
            m_pManagerUI->ShowManagement(nullptr);
        }
        return TRUE;
    }
    CScheduleElement* pElement = GetSelectedElement();
    if (pElement == nullptr)
        return TRUE;
    CTask* pTask = AsTask(pElement);
    switch (nID) {
    case ID_NEW_SUBTASK:
        if (pTask != nullptr)
            NewTask(pTask, DocumentOf(pTask));
        return TRUE;
    case ID_EDIT:
        if (pManager->Edit(this, pElement, GetHandlerWnd()))
            ShowModified();
        DropAndRedraw();
        return TRUE;
    case ID_DELETE:
        if (pTask != nullptr) {
            CScheduleDoc* pDoc = DocumentOf(pTask);
            // Every view lets go of the task (this window's entries too) before it is freed.
            pManager->Tell(pDoc, this, ScheduleDeleting, pTask, nullptr);
            GetEventsManager()->DeleteTask(pTask);
            DropAndRedraw();
            ShowModified();
        }
        return TRUE;
    case ID_GOTO_MANAGEMENT:
        if (m_pManagerUI != nullptr)
            m_pManagerUI->ShowManagement(pElement);
        return TRUE;
    default: // a state
        pElement->GetElementEvent()->m_base.m_nState = (int)(nID - ID_STATE_FIRST);
        pManager->Tell(DocumentOf(pElement), this, ScheduleChanged, pElement, nullptr);
        DropAndRedraw();
        ShowModified();
        return TRUE;
    }
}

void CCalendarItemsHandler::OnScheduleChanged(CScheduleUI*, int nKind, CScheduleElement*,
                                              CGroup*, int nFlag, CGroup*) {
    if (nKind == ScheduleGroupChosen)
        return;
    // Told before a deletion, a move or a file closing, the window must not ask for entries
    // again now: it would hold the records about to go. It draws once the change is done.
    const BOOL bBefore = nKind == ScheduleDeleting || nKind == ScheduleGroupsChanged ||
                         (nKind == ScheduleMoving && nFlag == 0);
    DropAndRedraw(!bBefore);
}
