// Keeps a tree control in step with a record tree of groups and contents. A record shown in the
// tree keeps its item's handle (CGroupItem::SetTreeItem) and the item's data is the record; every
// operation here keeps both links right, and clears them before an item or a record goes, so no
// record points at a dead item and no tree notification carries a dead record. The helper owns
// no records. It also runs the two-phase label edits that create or rename a record: the begin
// phase opens the label editor, the end phase (from the owner's end-of-edit notification) applies
// the text.
#pragma once

#include <functional>

#include "core/Content.h"
#include "core/Group.h"
#include "platform/gui/TreeCtrl.h"
#include "ui/GroupManager.h"

class CGroupHelper {
public:
    enum EditMode { EditNone = 0, EditNewGroup = 1, EditRenameGroup = 2, EditNewContent = 3,
                    EditRenameContent = 4 };
    enum InsertFlags { InsertGroups = 1, InsertContents = 2 };
    // Image pair of a record (or, without one, of kind 1 groups or 2 contents), overwriting the
    // stored pair it is given.
    using ImageCallback = std::function<void(CObject* pRecord, int kind, int* pImage, int* pSelImage)>;
    // Maps a tree item to its record when the item data is something else.
    using LookupCallback = std::function<CObject*(HTREEITEM hItem)>;

    CGroupHelper() = default;
    virtual ~CGroupHelper() = default;

    void Attach(CTreeCtrl* pTree) { m_pTree = pTree; }
    CTreeCtrl* GetTree() const { return m_pTree; }
    void SetRuntimeClasses(CRuntimeClass* pGroupClass, CRuntimeClass* pContentClass);
    // A negative index keeps the old one.
    void SetImageIndexes(int group, int groupSel, int content, int contentSel);

    // ---- Lookup ----
    CObject* GetItemObject(HTREEITEM hItem) const;
    CGroup* GetGroup(HTREEITEM hItem) const;
    CContent* GetContent(HTREEITEM hItem) const;
    // 1 group, 2 content, 0 other or none.
    int GetItemKind(HTREEITEM hItem) const;

    // ---- Insertion: each answers the new item, 0 when nothing was inserted ----
    HTREEITEM InsertGroupItem(HTREEITEM hParent, CGroup* pGroup, HTREEITEM hAfter, int flags,
                              BOOL bKeepBinding = FALSE);
    HTREEITEM InsertGroup(CGroup* pGroup, int flags);
    HTREEITEM InsertContentItem(HTREEITEM hParent, HTREEITEM hAfter, CContent* pContent,
                                BOOL bKeepBinding = FALSE);
    HTREEITEM InsertContent(CContent* pContent);
    virtual HTREEITEM InsertChildren(HTREEITEM hParent, CGroup* pGroup, HTREEITEM hAfter, int flags,
                                     BOOL bKeepBinding = FALSE);
    virtual BOOL AddObjectToGroup(CObject* pObject, CGroup* pTarget, BOOL bSorted);

    // ---- Changes ----
    HTREEITEM CopyItem(HTREEITEM hSource, HTREEITEM hTarget, BOOL bSorted, POSITION posRef,
                       BOOL bAfter, BOOL bMakeLink);
    // On return hSource is the item in the new place (0 when nothing moved).
    BOOL MoveItem(HTREEITEM& hSource, HTREEITEM hTarget, BOOL bSorted, POSITION posRef,
                  BOOL bAfter);
    BOOL DeleteItem(HTREEITEM hItem);
    // The item's group leaves its parent and is deleted, then the item; no listener call.
    void DeleteGroupItem(HTREEITEM hItem);
    HTREEITEM ResortItem(HTREEITEM hItem);
    // Moves every child of a group that is not in the tree into the target, with items.
    void MoveChildren(CGroup* pTarget, CGroup* pSource);
    CObject* CloneObjectInto(CObject* pObject, CGroup* pTarget, BOOL bSorted,
                             POSITION posRef = nullptr, BOOL bAfter = TRUE);
    void UpdateItemImage(HTREEITEM hItem);
    void UpdateItemText(HTREEITEM hItem);
    void CollapseAll(HTREEITEM hItem);
    // Each answers how many children were out of order and were put back.
    int ResortContents(CGroup* pGroup);
    int ResortSubgroups(CGroup* pGroup);
    // Deletes just the item (and those below it), unbound first; the records stay.
    void RemoveItemOnly(HTREEITEM hItem);

    // ---- Label edits ----
    // Begin: opens the editor on a temporary item under hParent (answers it). End (bBegin FALSE):
    // called through EndLabelEdit.
    HTREEITEM NewGroup(BOOL bBegin, HTREEITEM hParent, BOOL bSorted = TRUE,
                       POSITION posRef = nullptr, BOOL bAfter = TRUE, HTREEITEM hEdited = nullptr);
    HTREEITEM NewContent(BOOL bBegin, HTREEITEM hParent, BOOL bSorted = TRUE,
                         POSITION posRef = nullptr, BOOL bAfter = TRUE, HTREEITEM hEdited = nullptr);
    HTREEITEM RenameGroup(HTREEITEM hItem, BOOL bBegin, BOOL bResort = TRUE);
    HTREEITEM RenameContent(HTREEITEM hItem, BOOL bBegin, BOOL bResort = TRUE);
    // The tree starts a label edit by itself: whether to allow it.
    BOOL BeginRename(HTREEITEM hItem);
    // The end of any of the edits above; answers the item of the record created or renamed.
    HTREEITEM EndLabelEdit(HTREEITEM hParent, HTREEITEM hEdited);
    void EnableLabelEdit(BOOL bPermanent);
    BOOL IsEditing() const { return m_nEditMode != EditNone; }
    int GetEditMode() const { return m_nEditMode; }
    // A caller running an edit of its own (a new file) marks the helper as editing.
    void SetEditMode(int mode) { m_nEditMode = mode; }
    // Ends an edit in progress keeping its text, through the tree's end-of-edit notification.
    void FinishLabelEdit();
    // The item a new record is placed before or after (set before a begin phase).
    void SetReferenceItem(HTREEITEM hItem) { m_hPendingRefItem = hItem; }
    HTREEITEM GetReferenceItem() const { return m_hPendingRefItem; }

    // Plain settings.
    int m_nInsertFlags = InsertGroups | InsertContents;
    int m_nLockedOverlay = 0;   // overlay of a locked group
    int m_nPasswordOverlay = 0; // overlay of a group with a password, unlocked
    CString m_strDefaultGroupName;
    CString m_strDefaultContentName;
    ImageCallback m_imageCallback;
    LookupCallback m_lookupCallback;
    CIGroupManager* m_pListener = nullptr;

    int m_nGroupImage = -1, m_nGroupSelImage = -1;
    int m_nContentImage = -1, m_nContentSelImage = -1;

protected:
    virtual void CallImageCallback(CObject* pRecord, int kind, int* pImage, int* pSelImage);
    // Refreshes the stored group pair (a group, or kind 1) or the content pair.
    virtual void GetImages(CObject* pRecord, int kind);
    virtual void NotifyContentCreated(CContent* pContent);
    virtual HTREEITEM GetInsertAfterItem(CGroup* pGroup);

    // The group a target item stands for: its own group, or a content's group.
    CGroup* TargetGroupOf(HTREEITEM hTarget) const;
    // Clears item data and record bindings of an item and everything below it, so the items can
    // go without leaving a record pointing at them.
    void Unbind(HTREEITEM hItem);
    // A target that just got its first child shows a working expand button.
    void CollapseIfFirstChild(HTREEITEM hTarget, CGroup* pTarget);
    void SetGroupOverlay(HTREEITEM hItem, CGroup* pGroup);
    HTREEITEM BeginNew(BOOL bGroup, HTREEITEM hParent, BOOL bSorted, POSITION posRef, BOOL bAfter);
    HTREEITEM EndNewGroup(HTREEITEM hParent, HTREEITEM hEdited);
    HTREEITEM EndNewContent(HTREEITEM hParent, HTREEITEM hEdited);
    HTREEITEM EndRename(HTREEITEM hItem, BOOL bResort);
    void BeginLabelEditOf(HTREEITEM hItem);
    void ResetPending();
    CString ProposeName(CGroup* pParent, const CString& base, BOOL bGroup) const;

    CTreeCtrl* m_pTree = nullptr;
    CRuntimeClass* m_pGroupClass = nullptr;
    CRuntimeClass* m_pContentClass = nullptr;
    int m_nEditMode = EditNone;
    BOOL m_bLabelEditPermanent = FALSE;
    // The arguments of a pending new-record edit between its two phases.
    BOOL m_bPendingSorted = TRUE;
    BOOL m_bPendingAfter = TRUE;
    POSITION m_posPendingRef = nullptr;
    HTREEITEM m_hPendingRefItem = nullptr;
    HTREEITEM m_hPendingParent = nullptr;
};

// The list position of the child group (kind 1) or content (kind 2) shown by hItem; null when none.
POSITION FindGroupChildByItem(CGroup* pGroup, int kind, HTREEITEM hItem);
