// Multiple selection on a tree control through the selected state bit of its items. "Visible
// order" is the order of the tree's next-visible chain from the first root.
#pragma once

#include "platform/gui/TreeCtrl.h"

class CKovTreeCtrlEnhancer {
public:
    explicit CKovTreeCtrlEnhancer(CTreeCtrl* pTree) : m_tree(pTree) {}
    virtual ~CKovTreeCtrlEnhancer() = default;

    BOOL IsSelected(HTREEITEM item) const;
    // Sets or clears the selected state; the item becomes the anchor (or the anchor is cleared).
    void SelectItem(HTREEITEM item, BOOL select);
    // Forgets an item that goes away.
    void ForgetItem(HTREEITEM item);
    // Selects from whichever of a and b comes first in visible order to the other.
    void SelectRange(HTREEITEM a, HTREEITEM b, BOOL clearOthers);
    // Every visible item but except.
    void SelectAll(BOOL select, HTREEITEM except = nullptr);
    void InvertSelection();
    // Every item below item, at every depth.
    void SelectChildren(HTREEITEM item);

    // Selected items in the tree's order (parents before children, at every depth).
    HTREEITEM GetFirstSelected() const;
    HTREEITEM GetNextSelected(HTREEITEM item) const;
    HTREEITEM GetLastSelected() const;
    HTREEITEM GetPrevSelected(HTREEITEM item) const;
    HTREEITEM GetNextSelectedSibling(HTREEITEM item) const;

    HTREEITEM GetAnchor() const { return m_anchor; }
    BOOL IsMultiSelect() const { return m_multiSelect; }

protected:
    CTreeCtrl* m_tree;
    BOOL m_multiSelect = FALSE; // TRUE once a click has gone through the selection logic
    HTREEITEM m_anchor = nullptr;

    HTREEITEM NextInTree(HTREEITEM item) const;
    HTREEITEM PrevInTree(HTREEITEM item) const;
};
