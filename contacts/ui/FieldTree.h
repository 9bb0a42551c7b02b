// The tree of ticked fields shared by the find dialog and the field choice for modifying
// contacts: a root "联系人字段" with one item per person field group and one per field under it
// (item data: the group bit, then the field's bit), optionally a root "组字段" with one item per
// group property (item data: its key). Ticking an item ticks or clears everything below it, and
// each item above is ticked while anything below it is.
#pragma once

#include "platform/gui/TreeCtrl.h"

class CFieldTree {
public:
    explicit CFieldTree(CTreeCtrl& tree) : m_tree(tree) {}

    void Build(BOOL bWithGroupFields);
    // Ticks from the masks (five person masks in group order; the group mask) and back.
    void Load(const DWORD* pPersonMasks, DWORD dwGroupMask);
    void Save(DWORD* pPersonMasks, DWORD* pGroupMask) const;
    // Gives an item the tick state and passes it to its descendants, then settles its ancestors.
    void Tick(HTREEITEM hItem, BOOL bTicked);
    // A click: when it landed on an item's check box, the tree has flipped the tick; the rest of
    // the tree follows.
    void OnClick();

    HTREEITEM GetPersonRoot() const { return m_hPersonRoot; }
    HTREEITEM GetGroupRoot() const { return m_hGroupRoot; }
    // The item of a person field group, or of a field within it; null when absent.
    HTREEITEM FindItem(int nGroupBit, int nFieldBit = 0) const;

private:
    void TickDescendants(HTREEITEM hItem, BOOL bTicked);
    void SettleAncestors(HTREEITEM hItem);

    CTreeCtrl& m_tree;
    HTREEITEM m_hPersonRoot = nullptr;
    HTREEITEM m_hGroupRoot = nullptr;
};
