#include "ui/KovTreeCtrlEnhancer.h"

BOOL CKovTreeCtrlEnhancer::IsSelected(HTREEITEM item) const {
    return item && m_tree->GetItemState(item, TVIS_SELECTED) != 0;
}

void CKovTreeCtrlEnhancer::SelectItem(HTREEITEM item, BOOL select) {
    if (!item)
        return;
    m_tree->SetItemState(item, select ? TVIS_SELECTED : 0, TVIS_SELECTED);
    m_anchor = select ? item : nullptr;
}

void CKovTreeCtrlEnhancer::ForgetItem(HTREEITEM item) {
    if (item == m_anchor)
        m_anchor = nullptr;
}

void CKovTreeCtrlEnhancer::SelectRange(HTREEITEM a, HTREEITEM b, BOOL clearOthers) {
    bool inside = false;
    HTREEITEM last = nullptr;
    for (HTREEITEM h = m_tree->GetRootItem(); h; h = m_tree->GetNextVisibleItem(h)) {
        bool edge = h == a || h == b;
        if (edge && !inside) {
            inside = true;
            last = h == a ? b : a;
            m_tree->SetItemState(h, TVIS_SELECTED, TVIS_SELECTED);
            if (h == last)
                inside = false;
            continue;
        }
        if (inside) {
            m_tree->SetItemState(h, TVIS_SELECTED, TVIS_SELECTED);
            if (h == last)
                inside = false;
        } else if (clearOthers) {
            m_tree->SetItemState(h, 0, TVIS_SELECTED);
        }
    }
}

void CKovTreeCtrlEnhancer::SelectAll(BOOL select, HTREEITEM except) {
    for (HTREEITEM h = m_tree->GetRootItem(); h; h = m_tree->GetNextVisibleItem(h))
        if (h != except)
            m_tree->SetItemState(h, select ? TVIS_SELECTED : 0, TVIS_SELECTED);
    m_multiSelect = select;
}

void CKovTreeCtrlEnhancer::InvertSelection() {
    for (HTREEITEM h = m_tree->GetRootItem(); h; h = m_tree->GetNextVisibleItem(h))
        m_tree->SetItemState(h, IsSelected(h) ? 0 : TVIS_SELECTED, TVIS_SELECTED);
}

void CKovTreeCtrlEnhancer::SelectChildren(HTREEITEM item) {
    for (HTREEITEM c = m_tree->GetChildItem(item); c; c = m_tree->GetNextSiblingItem(c)) {
        m_tree->SetItemState(c, TVIS_SELECTED, TVIS_SELECTED);
        SelectChildren(c);
    }
}

// Pre-order: the first child, else the next sibling of the item or of its nearest ancestor.
HTREEITEM CKovTreeCtrlEnhancer::NextInTree(HTREEITEM item) const {
    if (!item)
        return m_tree->GetRootItem();
    if (HTREEITEM c = m_tree->GetChildItem(item))
        return c;
    for (HTREEITEM h = item; h; h = m_tree->GetParentItem(h))
        if (HTREEITEM s = m_tree->GetNextSiblingItem(h))
            return s;
    return nullptr;
}

// The reverse: the deepest last descendant of the previous sibling, else the parent.
HTREEITEM CKovTreeCtrlEnhancer::PrevInTree(HTREEITEM item) const {
    HTREEITEM h = item ? m_tree->GetPrevSiblingItem(item) : nullptr;
    if (!item) {
        // From the end: the deepest last item of the last root.
        for (HTREEITEM r = m_tree->GetRootItem(); r; r = m_tree->GetNextSiblingItem(r))
            h = r;
    } else if (!h) {
        return m_tree->GetParentItem(item);
    }
    while (h) {
        HTREEITEM c = m_tree->GetChildItem(h);
        if (!c)
            break;
        while (HTREEITEM n = m_tree->GetNextSiblingItem(c))
            c = n;
        h = c;
    }
    return h;
}

HTREEITEM CKovTreeCtrlEnhancer::GetFirstSelected() const {
    return GetNextSelected(nullptr);
}

HTREEITEM CKovTreeCtrlEnhancer::GetNextSelected(HTREEITEM item) const {
    for (HTREEITEM h = NextInTree(item); h; h = NextInTree(h))
        if (IsSelected(h))
            return h;
    return nullptr;
}

HTREEITEM CKovTreeCtrlEnhancer::GetLastSelected() const {
    return GetPrevSelected(nullptr);
}

HTREEITEM CKovTreeCtrlEnhancer::GetPrevSelected(HTREEITEM item) const {
    for (HTREEITEM h = PrevInTree(item); h; h = PrevInTree(h))
        if (IsSelected(h))
            return h;
    return nullptr;
}

HTREEITEM CKovTreeCtrlEnhancer::GetNextSelectedSibling(HTREEITEM item) const {
    for (HTREEITEM h = item ? m_tree->GetNextSiblingItem(item) : nullptr; h;
         h = m_tree->GetNextSiblingItem(h))
        if (IsSelected(h))
            return h;
    return nullptr;
}
