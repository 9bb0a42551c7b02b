// The left pane of an e-card user's window: the user's contacts in the three fixed groups
// (friends, strangers, deregistered users) and their sub-groups. The selection drives the right
// pane; the commands ask the service to add, remove, refresh and synchronise contacts, and the
// tree follows the answers when they come back.
#pragma once

#include "ecard/ECUser.h"
#include "platform/gui/CtrlView.h"
#include "platform/gui/ImageList.h"
#include "platform/gui/TreeCtrl.h"
#include "ui/TreeViewDrawHelper.h"

#include <vector>

class CECGroup;

// The label of a contact's item: its name, else its user name on the service, else its number.
CString GetContactLabel(const CECContact& contact);
class CECRightPaneFrame;
class CECUserDoc;

class CECContactsTreeView : public CTreeView, public CECSessionOwner {
    DECLARE_DYNCREATE(CECContactsTreeView)
public:
    // The kinds of the tree's items.
    enum { KindNone = -1, KindRoot = 1, KindFriends = 2, KindStrangers = 3, KindDeregistered = 4,
           KindContact = 5, KindSubgroup = 6 };
    static const COLORREF kGround = 0xFEECDD;

    CECContactsTreeView();
    ~CECContactsTreeView() override;

    CECUserDoc* GetUserDoc() const;
    CECUser* GetUser() const;
    CECRightPaneFrame* m_pRightPane = nullptr;
    BOOL IsBusy() const;

    int GetItemKind(HTREEITEM hItem) const;
    CObject* GetItemObject(HTREEITEM hItem) const;
    HTREEITEM GetRootItem() const { return m_hRoot; }
    HTREEITEM GetGroupItem(int nKind) const;
    HTREEITEM FindItemOf(const CObject* pObject) const;
    // The item directly below the root that holds the item.
    HTREEITEM GetTopGroupItem(HTREEITEM hItem) const;
    // Builds the items again from the user's groups, keeping the selected object selected.
    void Rebuild();
    // What is drawn behind an item's label: the contact's number or its unread messages, a
    // group's counts; the colour of the first part.
    CString GetItemExtraText(HTREEITEM hItem, COLORREF& colour, int& nUnread) const;
    // Unread messages of a contact, or of all contacts of a group.
    static int CountUnread(const CObject* pObject);

    void OnInitialUpdate() override;
    void OnECSessionBegin(CECUser* pUser) override;
    void OnECSessionResult(CECUser* pUser, int nResult) override;
    void OnECSessionEnd(CECUser* pUser) override;

    // The commands, callable directly by the window's tests and tool bar.
    void AddContacts(BOOL bFriends);
    void DeleteSelected();
    void Refresh(BOOL bAll);
    void FindByID();
    void GoUp();

protected:
    void InsertGroupContents(HTREEITEM hParent, CECGroup* pGroup, int nDepth);
    HTREEITEM InsertObject(HTREEITEM hParent, CObject* pObject, int nImage);
    void FindItem(HTREEITEM hStart, const CObject* pObject, HTREEITEM& hFound) const;
    CECGroup* GroupOfKind(int nKind) const;
    CECGroup* TargetGroup(HTREEITEM hItem) const;
    // Moves a contact under the group its state calls for (deregistered, friend or stranger).
    void PlaceByState(CECContact* pContact);
    void ForgetPending();

    void OnSelChanged(NMHDR* pNMHDR, LRESULT* pResult);
    void OnCustomDraw(NMHDR* pNMHDR, LRESULT* pResult);
    void DrawItemExtras(CDC* pDC, HTREEITEM hItem);
    void OnRClick(NMHDR* pNMHDR, LRESULT* pResult);
    void OnCmdAddFriends() { AddContacts(TRUE); }
    void OnCmdAddStrangers() { AddContacts(FALSE); }
    void OnCmdDelete() { DeleteSelected(); }
    void OnCmdRefresh() { Refresh(FALSE); }
    void OnCmdSync() { Refresh(TRUE); }
    void OnCmdFindID() { FindByID(); }
    void OnCmdGoUp() { GoUp(); }
    void OnCmdAllowRename() { m_bAllowRename = !m_bAllowRename; }
    void OnUpdateDelete(CCmdUI* pCmdUI);
    void OnUpdateGoUp(CCmdUI* pCmdUI);
    void OnUpdateAllowRename(CCmdUI* pCmdUI);
    void OnUpdateRequest(CCmdUI* pCmdUI);
    LRESULT OnSelectItem(WPARAM wParam, LPARAM lParam);

    HTREEITEM m_hRoot = nullptr;
    HTREEITEM m_hGroups[3] = {};
    BOOL m_bSetUp = FALSE;
    BOOL m_bAllowRename = FALSE;
    std::vector<CObject*> m_pending;
    CECGroup* m_pTarget = nullptr;
    UINT m_nOwnID = 0;
    CTreeViewDrawHelper m_drawHelper;
    CImageList m_badge;
    DECLARE_MESSAGE_MAP()
};
