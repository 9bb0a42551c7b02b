// A tree control that can paint itself over a tiled picture, and the tree helpers the group,
// contact, schedule and card trees share: ancestry, deleting children, repainting one row,
// check-state propagation up and down, and sorted insertion.
#pragma once

#include "platform/gui/TreeCtrl.h"

class CKovTreeCtrl : public CTreeCtrl {
    DECLARE_DYNAMIC(CKovTreeCtrl)
public:
    CKovTreeCtrl() = default;
    ~CKovTreeCtrl() override;

    // Loads a bitmap file as the background picture; FALSE (and no picture) when it cannot.
    BOOL LoadPattern(const char* path);
    BOOL HasPattern() const { return m_pattern.GetSafeHandle() != nullptr; }

    void SetChildrenState(HTREEITEM item, UINT state, UINT mask);
    void PropagateStateToParents(HTREEITEM item, UINT onState, UINT offState, UINT mask,
                                 BOOL itemIsOn);
    BOOL UpdateStateFromChildren(HTREEITEM item, UINT onState, UINT offState, UINT mask);
    void ToggleItemState(HTREEITEM item, UINT onState, UINT offState, UINT mask);

protected:
    CBitmap m_pattern;

    void OnPaint();
    BOOL OnEraseBkgnd(CDC* pDC);
    DECLARE_MESSAGE_MAP()
};

// TRUE when item is ancestor or lies below it.
BOOL IsTreeItemUnder(CTreeCtrl& tree, HTREEITEM item, HTREEITEM ancestor);
// Deletes every child of item; answers the last delete's answer (TRUE when there was none).
BOOL DeleteTreeChildren(CTreeCtrl& tree, HTREEITEM item);
void InvalidateTreeItem(CTreeCtrl& tree, HTREEITEM item, BOOL erase);

// Orders items by their data: negative, zero or positive as a sorts before, with or after b.
typedef int (*TREEITEMCOMPARE)(void* a, void* b, int key);
// Finds where data belongs among the children of parent (the roots when null): after the child
// before the first child that data compares <= 0 against (first when there is none). With findOnly
// answers that insert-after position (TVI_FIRST for the front); otherwise inserts the item.
HTREEITEM InsertTreeItemSorted(CTreeCtrl& tree, const char* text, void* data, HTREEITEM parent,
                               int key, TREEITEMCOMPARE compare, BOOL findOnly);
