// The right pane's list of a group's e-card contacts: one column per chosen card field, the
// delete, set-access and leave-message commands going back to the contacts tree.
#pragma once

#include "contacts/ui/ViewPersonList.h"

#include <vector>

class CECContact;
class CECContactsTreeView;
class CECUserDoc;

// The contact list's own column table: a card field and its default width.
struct SECColumn {
    int nField;
    int nWidth;
};

class CViewECPersonList : public CViewPersonList {
    DECLARE_DYNCREATE(CViewECPersonList)
public:
    enum : UINT { ID_DELETE_CONTACTS = 1516, ID_SET_ACCESS = 1521, ID_LEAVE_MESSAGE = 1530 };
    enum { IDR_MENU = 2001 };

    CViewECPersonList();

    // The 51 card fields a column may show, with their default widths.
    static const SECColumn* GetColumnTable(int& nCount);
    // A field's column width: the list's own choice when set, else the table's.
    int GetColumnWidth(int nField) const;
    // The text of a card field in a cell: fields below 47 as the contacts' list shows them,
    // others with their list items on lines of their own.
    static CString GetCellText(CECContact* pContact, int nField);
    // The first column (the user name's): the user name, else the contact's tree label.
    static CString GetFirstColumnText(const CECContact& contact);
    // Every non-empty field of the column table, one per line; the home and work fields once
    // each as their composed addresses.
    static CString GetRowDetailText(CECContact* pContact);

    CECUserDoc* GetUserDoc() const;
    CECContactsTreeView* GetTree() const;
    // The contacts of the selected rows, in row order.
    void GetSelectedContacts(std::vector<CECContact*>& contacts);

    CGroup* GetGroup() override;
    void InsertContentItem(CContent* pContent) override;
    void OnViewReady() override;
    void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) override;
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;

    // The commands, callable directly.
    void DeleteSelected();
    // Friends only: the access dialog on the selected contacts.
    void SetAccessOfSelected();

protected:
    void BuildECColumns();
    void StoreECWidths();
    void OnCmdDelete() { DeleteSelected(); }
    void OnCmdSetAccess() { SetAccessOfSelected(); }
    void OnCmdLeaveMessage();
    void OnCmdOpen();
    void OnCmdGoUp();
    void OnUpdateSelectionCommand(CCmdUI* pCmdUI);
    void OnUpdateOpen(CCmdUI* pCmdUI);
    void OnUpdateGoUp(CCmdUI* pCmdUI);
    void OnUpdateDisabled(CCmdUI* pCmdUI);
    void OnDestroy();
    void OnContextMenu(CWnd* pWnd, CPoint point);

    // Widths by position in the column table (-1: the table's).
    std::vector<int> m_widths;
    DECLARE_MESSAGE_MAP()
};
