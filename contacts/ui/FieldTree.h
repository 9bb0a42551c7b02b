// The tree of ticked fields shared by the find dialog and the field choice for modifying
// contacts: a root "联系人字段" with one item per person field group and one per field under it
// (item data: the group bit, then the field's bit), optionally a root "组字段" with one item per
// group property (item data: its key). Ticking an item ticks or clears everything below it, and
// each item above is ticked while anything below it is.
#pragma once

#include <functional>
#include <vector>

#include "platform/base/CString.h"
#include "platform/gui/TreeCtrl.h"

// One group of fields the tree offers: its bit (the group item's data), its name and the bits
// of its fields in the order shown.
struct SFieldTableGroup {
    int nGroupBit = 0;
    CString strName;
    std::vector<int> fieldBits;
};
// The groups of fields in order, and whether the group fields (of a contact group's own record)
// are offered after them.
struct SFieldTable {
    std::vector<SFieldTableGroup> groups;
    BOOL bGroupFields = TRUE;
};
// The contact's field groups in kPersonGroupOrder, each with the used fields of its picker order.
SFieldTable GetPersonFieldTable(BOOL bGroupFields);

class CFieldTree {
public:
    // The name of a field bit within a group; an empty text leaves the field out.
    typedef std::function<CString(int nGroupBit, int nFieldBit)> FieldNamer;

    explicit CFieldTree(CTreeCtrl& tree) : m_tree(tree) {}

    // The contact's fields by their names.
    void Build(BOOL bWithGroupFields);
    // The groups of the table, with each field the namer gives a name.
    void Build(const SFieldTable& table, const FieldNamer& nameOf);
    // Ticks from the masks (one per group of the table, in its order; the group mask) and back.
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

    // The place of a group bit in the table (its mask's index); -1 when absent.
    int MaskIndexOf(int nGroupBit) const;

    CTreeCtrl& m_tree;
    std::vector<int> m_groupBits; // the table's group bits in order
    HTREEITEM m_hPersonRoot = nullptr;
    HTREEITEM m_hGroupRoot = nullptr;
};
