// The left pane of an e-card user's window: the user's contacts in the three fixed groups
// (friends, strangers, deregistered users) and their sub-groups. The selection drives the right
// pane; the commands ask the service to add, remove, refresh and synchronise contacts, and the
// tree follows the answers when they come back.
#pragma once

#include "ecard/ECUser.h"
#include "platform/gui/CtrlView.h"
#include "platform/gui/ImageList.h"
#include "platform/gui/TreeCtrl.h"
#include "ui/DragDropHelper.h"
#include "ui/GroupHelper.h"
#include "ui/TreeViewDrawHelper.h"

#include <vector>

class CECGroup;

// The label of a contact's item: its name, else its user name on the service, else its number.
CString GetContactLabel(const CECContact& contact);
class CECRightPaneFrame;
class CECUserDoc;
class CMenu;

// Fills the three value sub-menus (mail, home page, telephone) at the head of a contact's menu
// from its card, each value with a command of its field's range, and greys those left empty;
// TRUE when any value was added.
BOOL FillContactValueMenus(CMenu& popup, CECContact& contact);
// Acts on the value a command of those ranges names (writes to, opens or dials it through the
// desktop's checked address); FALSE for any other command or a value that was not opened.
BOOL OpenContactValueCommand(CECContact& contact, UINT nID);

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
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
    BOOL IsCardEditing() const { return m_bCardEditing; }
    void OnECSessionBegin(CECUser* pUser) override;
    void OnECSessionResult(CECUser* pUser, int nResult) override;
    void OnECSessionEnd(CECUser* pUser) override;

    // The commands, callable directly by the window's tests and tool bar.
    void AddContacts(BOOL bFriends);
    void DeleteSelected();
    // Deletes contacts and sub-groups without asking: strangers and deregistered users here,
    // friends through one remove-friends request.
    void DeleteObjects(const std::vector<CObject*>& objects);
    // Opens the access dialog on friends (contacts and groups); on OK the chosen ones are sent
    // with the dialog's values and change marks. FALSE when nothing was sent.
    BOOL SetAccess(const std::vector<CObject*>& objects);
    std::vector<CObject*> SelectedAccessObjects() const;
    // The leave-message dialog to the IDs of the contacts (a group's, depth first).
    void LeaveMessage(const std::vector<CObject*>& objects);
    void Refresh(BOOL bAll);
    void FindByID();
    // The find dialog over the selected group (a contact's: none); its hits select their items.
    void FindContact();
    void GoUp();
    // Opens the label editor on the selected contact or sub-group.
    void Rename();
    // A sub-group "新组" under the selected group (a contact's group), its label opened.
    void NewSubgroup();
    BOOL IsRenameAllowed() const { return m_bAllowRename; }

    // Whether the item may be dropped on the target: only contacts and sub-groups move, only
    // into a fixed group or a sub-group outside the deregistered users, never into itself or
    // where it is already, never from the deregistered users into the strangers.
    BOOL CanDrop(HTREEITEM hSource, HTREEITEM hTarget) const;
    // One item of a dropped batch: inside its top group it moves at once; into another top group
    // it joins a request (add friends into the friends, remove friends otherwise) that the last
    // item of the batch starts.
    BOOL DropItem(HTREEITEM hSource, HTREEITEM hTarget, BOOL bLast);
    CTreeCtrlDragDropHelper& GetDragHelper() { return m_dragHelper; }

protected:
    void InsertGroupContents(HTREEITEM hParent, CECGroup* pGroup, int nDepth);
    HTREEITEM InsertObject(HTREEITEM hParent, CObject* pObject, int nImage);
    void FindItem(HTREEITEM hStart, const CObject* pObject, HTREEITEM& hFound) const;
    CECGroup* GroupOfKind(int nKind) const;
    CECGroup* TargetGroup(HTREEITEM hItem) const;
    // Moves a contact under the group its state calls for (deregistered, friend or stranger).
    void PlaceByState(CECContact* pContact);
    void ForgetPending();

    BOOL PreTranslateMessage(MSG* pMsg) override;
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    void OnCaptureChanged(CWnd* pWnd);
    void OnBeginLabelEdit(NMHDR* pNMHDR, LRESULT* pResult);
    void OnEndLabelEdit(NMHDR* pNMHDR, LRESULT* pResult);
    // A pending sub-group moves whole when the service took every contact in it.
    BOOL PlaceGroup(CECGroup* pGroup, CECGroup* pTarget);
    void OnSelChanged(NMHDR* pNMHDR, LRESULT* pResult);
    void OnCustomDraw(NMHDR* pNMHDR, LRESULT* pResult);
    void DrawItemExtras(CDC* pDC, HTREEITEM hItem);
    void OnRClick(NMHDR* pNMHDR, LRESULT* pResult);
public:
    // The item's menu at a screen point, as a right click opens it.
    void ShowItemMenu(HTREEITEM hItem, CPoint point);
protected:
    void OnCmdMailAll();
    void OnCmdOpenAllPages();
    void OnUpdateContactCommand(CCmdUI* pCmdUI);
    // A contact's card as a contacts file, a group as an address book holding it.
    void OnCmdExportContact();
    void OnCmdExportGroup();
    void OnUpdateExportGroup(CCmdUI* pCmdUI);
    void OnCmdAddFriends() { AddContacts(TRUE); }
    void OnCmdAddStrangers() { AddContacts(FALSE); }
    void OnCmdDelete() { DeleteSelected(); }
    void OnCmdRefresh() { Refresh(FALSE); }
    void OnCmdSync() { Refresh(TRUE); }
    void OnCmdFindID() { FindByID(); }
    void OnCmdFind() { FindContact(); }
    void OnUpdateFind(CCmdUI* pCmdUI);
    void OnCmdGoUp() { GoUp(); }
    void OnCmdAllowRename();
    void OnCmdRename() { Rename(); }
    void OnCmdNewSubgroup() { NewSubgroup(); }
    void OnUpdateRename(CCmdUI* pCmdUI);
    void OnUpdateNewSubgroup(CCmdUI* pCmdUI);
    void OnUpdateDelete(CCmdUI* pCmdUI);
    void OnUpdateGoUp(CCmdUI* pCmdUI);
    void OnUpdateAllowRename(CCmdUI* pCmdUI);
    void OnUpdateRequest(CCmdUI* pCmdUI);
    LRESULT OnSelectItem(WPARAM wParam, LPARAM lParam);
    // A card edit began (100: the selection stays and no command runs) or ended (102: after a
    // confirm the contact's label follows its name); 105 selects the item the find dialog's
    // result record in lParam names.
    LRESULT OnCardEdit(WPARAM wParam, LPARAM lParam);
    // Shows the card form at the field in wParam; the modification time (45) is refused.
    LRESULT OnShowCardField(WPARAM wParam, LPARAM lParam);
    // Delete, set access and leave message act on the right pane's list while it has the focus.
    BOOL PassesOn(UINT nID) const;
    BOOL m_bCardEditing = FALSE;
    void OnCmdSetAccess();
    void OnCmdLeaveMessage();
    void OnUpdateLeaveMessage(CCmdUI* pCmdUI);
    void OnUpdateSetAccess(CCmdUI* pCmdUI);
    void OnItemExpanded(NMHDR* pNMHDR, LRESULT* pResult);
    // The root and the groups show an open picture while expanded.
    void ShowExpandedImage(HTREEITEM hItem);

    HTREEITEM m_hRoot = nullptr;
    HTREEITEM m_hGroups[3] = {};
    BOOL m_bSetUp = FALSE;
    BOOL m_bAllowRename = FALSE;
    std::vector<CObject*> m_pending;
    CECGroup* m_pTarget = nullptr;
    UINT m_nOwnID = 0;
    CTreeViewDrawHelper m_drawHelper;
    CImageList m_badge;
    CImageList m_images; // the contacts' pictures: root, groups and each contact's sex
    CGroupHelper m_groupHelper;
    CTreeCtrlDragDropHelper m_dragHelper;
    HTREEITEM m_hEditParent = nullptr; // the group item a new sub-group goes under
    BOOL m_bDropRequest = FALSE;        // a dropped batch has begun a request
    CString m_strFindText;              // the find dialog's text, kept between finds
    DECLARE_MESSAGE_MAP()
};
