// The container node of every record tree. A group holds two ordered lists, its sub-groups (the
// object list it is) and its contents (leaves), and owns everything in them. Derived groups name
// their content class and add their own stored fields through SerializeExtra.
#pragma once

#include "core/Content.h"
#include "core/GroupItem.h"
#include "platform/base/Collections.h"
#include "platform/base/CString.h"
#include "platform/base/Object.h"
#include "platform/base/Types.h"

#include <memory>

class CGroup : public CObList, public CGroupItem {
    DECLARE_SERIAL(CGroup)
public:
    // Flag bits.
    enum : DWORD {
        FLAG_PASSWORD = 0x8000, // an access password is set
        FLAG_LOCKED = 0x4000,   // hidden behind its password
        FLAG_800 = 0x800,
        FLAGS_PER_INSTANCE = 0x2FF, // not taken over by a copy
    };
    // Deepest nesting of groups a file may hold; deeper files are refused as damaged.
    static constexpr int kMaxLoadDepth = 256;

    explicit CGroup(LPCTSTR lpszName = nullptr);
    // Deletes every descendant.
    ~CGroup() override;

    // SerializeExtra, both counts, the sub-groups, then the contents.
    void Serialize(CArchive& ar) override;

    virtual CGroup* GetParent() const { return m_pParent; }
    // The runtime class of the contents this kind of group holds; null in the base.
    virtual CRuntimeClass* GetContentClass() const;
    // The password lock: a password is set and the group is locked.
    virtual BOOL IsLocked() const;
    // Replaces both lists by copies of the source's children and takes its attributes.
    virtual void CopyFrom(const CGroup* pSource);
    // No parent, no tree item, the source's flags less the per-instance bits and its checksum.
    virtual void CopyAttributes(const CGroup* pSource);
    virtual CGroup* GetLastSubGroup() const;
    // Whether bit 0x800 is set.
    virtual BOOL IsFlag800Set() const;
    virtual void SetFlag800(BOOL bSet);
    // A new group of the same kind; null in the base.
    virtual CGroup* CreateSubGroup(LPCTSTR lpszName);
    // The derived group's own stored fields, before the children; none in the base.
    virtual void SerializeExtra(CArchive& ar);
    // Stores the checksum of the password (the password itself is never kept).
    virtual void SetPassword(LPCTSTR lpszPassword);
    virtual BOOL CheckPassword(LPCTSTR lpszPassword) const;
    // A derived group may move all its contents into the destination; nothing in the base.
    virtual void MoveContentsTo(CGroup* pDest);
    virtual CObList& GetContentList() { return m_contents; }
    const CObList& GetContentList() const { return m_contents; }
    // Inserts a sub-group (see InsertChild) and answers the position of its entry.
    virtual POSITION AddSubgroup(CGroup* pGroup, BOOL bSorted = TRUE, POSITION posRef = nullptr,
                                 BOOL bAfter = TRUE, BOOL bSetParent = TRUE);
    // FALSE when the group is not in the list. With bDelete the group is deleted, otherwise
    // detached (its parent cleared).
    virtual BOOL RemoveSubgroup(CGroup* pGroup, BOOL bDelete);
    // Null when the group is not a sub-group of this one.
    virtual POSITION MoveSubGroup(CGroup* pGroup, BOOL bSorted, POSITION posRef, BOOL bAfter);
    // Contents of this group and, when recursive, of the sub-groups that are not locked (or of
    // all with bIncludeLocked).
    virtual int GetContentCount(BOOL bRecursive, BOOL bIncludeLocked) const;
    // Deletes every content, then every sub-group.
    virtual void RemoveAll();

    // In use: the group's own count, any content in use, or any sub-group in use.
    BOOL IsInUse() const override;
    CObject* GetObject() override { return this; }

    POSITION AddContent(CContent* pContent, BOOL bSorted = TRUE, POSITION posRef = nullptr,
                        BOOL bAfter = TRUE, BOOL bSetParent = TRUE);
    // The entry of the content in the contents list; null when the list does not hold it.
    POSITION FindContent(const CObject* pContent);
    BOOL RemoveContent(CContent* pContent, BOOL bDelete);
    // With bDelete the content is deleted and null answered; otherwise it is answered with its
    // parent link as it was.
    CContent* RemoveContentAt(POSITION pos, BOOL bDelete);
    // Takes the content out of its group and adds it to the destination; without a destination
    // the content is deleted and null answered.
    static POSITION MoveContent(CContent* pContent, CGroup* pDest, BOOL bSorted = TRUE,
                                POSITION posRef = nullptr, BOOL bAfter = TRUE);
    POSITION RepositionContent(CContent* pContent, BOOL bSorted, POSITION posRef, BOOL bAfter);
    // Moves this group under the destination. FALSE when the destination could not take it (it
    // is this group or lies inside it).
    BOOL MoveTo(CGroup* pDest, BOOL bSorted = TRUE, POSITION posRef = nullptr, BOOL bAfter = TRUE);
    // Every sub-group, then every content, of the source sorted into this group.
    void MoveAllFrom(CGroup* pSource);
    // The parent removes this group; without a parent the group deletes itself when asked.
    void RemoveFromParent(BOOL bDelete);
    void DeleteAllSubgroups();
    void DeleteAllContents();

    CGroup* GetRootGroup();
    const CGroup* GetRootGroup() const;
    // Whether pGroup is this group or one of its ancestors.
    BOOL IsSelfOrDescendantOf(const CGroup* pGroup) const;
    CGroup* GetSiblingGroup(BOOL bNext) const;
    CGroup* GetPrevSiblingGroup() const { return GetSiblingGroup(FALSE); }
    BOOL HasContents(BOOL bRecursive) const;
    // No sub-groups and no contents.
    BOOL IsEmpty() const;
    DWORD GetFlags() const { return m_dwFlags; }
    void ModifyFlags(DWORD dwClear, DWORD dwSet) { m_dwFlags = (m_dwFlags & ~dwClear) | dwSet; }
    DWORD GetPasswordChecksum() const { return m_dwPasswordChecksum; }
    void SetPasswordChecksum(DWORD dwChecksum) { m_dwPasswordChecksum = dwChecksum; }
    int GetFocusRow() const { return m_nFocusRow; }
    void SetFocusRow(int nRow) { m_nFocusRow = nRow; }
    // This group's tree item and, when recursive, every sub-group's set to none.
    void ClearTreeItems(BOOL bRecursive);
    // The pinyin initials of the name.
    CString GetNameInitials() const;

    // Iteration over the two lists.
    POSITION GetFirstSubgroupPosition() const { return GetHeadPosition(); }
    CGroup* GetNextSubgroup(POSITION& pos) const { return static_cast<CGroup*>(GetNext(pos)); }
    POSITION GetFirstContentPosition() const { return m_contents.GetHeadPosition(); }
    CContent* GetNextContent(POSITION& pos) const {
        return static_cast<CContent*>(m_contents.GetNext(pos));
    }
    int GetSubgroupCount() const { return (int)GetCount(); }

    // The first child, from the start position (the head when null), whose name equals the
    // given one byte for byte.
    POSITION FindSubgroupNode(LPCTSTR lpszName, POSITION posStart = nullptr) const;
    POSITION FindContentNode(LPCTSTR lpszName, POSITION posStart = nullptr) const;
    // A sub-group (bGroup) or a content (links only with bIncludeLinks) named so, here or, when
    // recursive, in the sub-groups in list order. The answer is a CGroup or a CContent.
    CObject* FindByName(LPCTSTR lpszName, BOOL bGroup, BOOL bIncludeLinks, BOOL bRecursive);

    // Names from below the stop group (or the top) down to this group; with bIncludeTop the stop
    // group (or the top) comes first.
    void CollectPathNames(CStringList& names, const CGroup* pStop, BOOL bIncludeTop) const;
    // Joins names by "\"; a name holding "\", '"' or a newline is quoted with '"' doubled.
    static void BuildPathText(const CStringList& names, CString& strPath);
    void GetPath(CString& strPath, const CGroup* pStop = nullptr, BOOL bIncludeTop = FALSE) const;
    // The leaf the path names, starting here: groups by name, the last component a content
    // (not a link unless bIncludeLinks). Null when not found or a group on the way is locked.
    CContent* FindItemByPath(LPCTSTR lpszPath, BOOL bIncludeLinks);
    // The group the path names, creating missing groups (sorted) when bCreate is set. On return
    // bCreate is TRUE only when the last group was newly made.
    CGroup* FindOrCreateSubgroupByPath(LPCTSTR lpszPath, BOOL& bCreate);

    // A run of many contents leaving or entering the group (a box giving up or taking thousands
    // of messages at once). While one lasts, the group keeps where each content sits and the
    // names that stand above all before them in its list, so that finding a content and placing
    // one in name order need no walk of the list: the same places as without a run. A change to
    // the list made other than through the group is noticed and the help built anew; the
    // contents must not be renamed while a run lasts. Runs may nest, and may outlive the group.
    class CContentRun {
    public:
        explicit CContentRun(CGroup* pGroup);
        ~CContentRun();
        CContentRun(const CContentRun&) = delete;
        CContentRun& operator=(const CContentRun&) = delete;

    private:
        struct Index;
        std::weak_ptr<Index> m_pIndex;
        friend class CGroup;
    };

protected:
    CObList m_contents;
    DWORD m_dwFlags = 0;
    DWORD m_dwPasswordChecksum = 0;
    int m_nFocusRow = -1;

private:
    // The run's help, brought up to date with the list; null outside a run.
    CContentRun::Index* RunIndex();
    std::shared_ptr<CContentRun::Index> m_pRunIndex;

    // Placement shared by both lists: sorted by name (ascending with bAfter, else descending),
    // or before/after a reference entry, or at the tail (bAfter) or head.
    static POSITION InsertChild(CObList& list, CObject* pChild, CGroupItem* pNode, BOOL bSorted,
                                POSITION posRef, BOOL bAfter);
    static CGroupItem* NodeOf(CObject* pChild);
    // A child of the class read from the archive; the class must derive from pBase.
    static CObject* LoadChild(CArchive& ar, CRuntimeClass* pClass, const CRuntimeClass* pBase);
};
