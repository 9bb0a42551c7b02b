// The message boxes of a group's contacts: one row per contact with the counts of its inbox,
// outbox, sent box and recycle box, and with more than one contact a total row in bold blue.
#pragma once

#include "platform/gui/CtrlView.h"
#include "platform/gui/ListCtrl.h"
#include "ui/BkManager.h"
#include "ui/RightPaneView.h"

class _CGroup;
class _CPerson;

class CViewPersonsBox : public CListView, public CIRightPaneView {
    DECLARE_DYNCREATE(CViewPersonsBox)
public:
    // The item data of the total row (the contact rows hold their contact).
    static constexpr LPARAM kTotalRowData = 1;

    CViewPersonsBox();

    // The four cells of a contact's boxes (inbox, outbox, sent, recycle), each empty when its
    // box holds nothing; the counts are added to pSums (total, read, pending, sent, recycle)
    // when given.
    static void GetBoxTexts(_CPerson* pPerson, CString texts[4], int* pSums = nullptr);

    void SetNotifyWnd(CWnd* pWnd) override;
    void OnInitialUpdate() override;
    void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) override;

    // Rebuilds the rows for the group's contacts.
    void Fill(_CGroup* pGroup);
    // Moves the selection and the focus to the row and scrolls it into view.
    void SelectRow(int nRow);
    int GetSelectedRow() const { return m_nSelected; }
    CListCtrlBkManager& GetBkManager() { return m_bkManager; }

protected:
    CListCtrlBkManager m_bkManager;
    int m_nSelected = -1;
    BOOL m_bInitialized = FALSE;

    CListCtrl& List() const { return GetListCtrl(); }
    void OnCustomDraw(NMHDR* pNMHDR, LRESULT* pResult);
    void OnBkCommand(UINT nID);
    void OnUpdateBkCommand(CCmdUI* pCmdUI);
    void OnDestroy();
    DECLARE_MESSAGE_MAP()
};
