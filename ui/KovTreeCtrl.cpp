#include "ui/KovTreeCtrl.h"

IMPLEMENT_DYNAMIC(CKovTreeCtrl, CTreeCtrl)

BEGIN_MESSAGE_MAP(CKovTreeCtrl, CTreeCtrl)
ON_WM_PAINT()
ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

CKovTreeCtrl::~CKovTreeCtrl() = default;

BOOL CKovTreeCtrl::LoadPattern(const char* path) {
    m_pattern.DeleteObject();
    if (!path || !m_pattern.LoadFromFile(path)) {
        m_pattern.DeleteObject();
        return FALSE;
    }
    if (m_hWnd)
        Invalidate();
    return TRUE;
}

BOOL CKovTreeCtrl::OnEraseBkgnd(CDC*) {
    return TRUE;
}

void CKovTreeCtrl::OnPaint() {
    if (!HasPattern()) {
        Default();
        return;
    }
    CPaintDC dc(this);
    CRect rc;
    GetClientRect(&rc);
    int w = rc.Width(), h = rc.Height();
    if (w <= 0 || h <= 0)
        return;
    // The tree paints itself into memory, on its usual white ground.
    CDC mem;
    mem.CreateCompatibleDC(&dc);
    CBitmap memBmp;
    memBmp.CreateCompatibleBitmap(&dc, w, h);
    CBitmap* oldMem = mem.SelectObject(&memBmp);
    mem.SetBkColor(RGB(255, 255, 255));
    DefWindowProc(WM_PAINT, (WPARAM)mem.GetSafeHdc(), 0);

    // Mask: 1 where the tree left the ground white, 0 where it drew something.
    CDC maskDC;
    maskDC.CreateCompatibleDC(&dc);
    CBitmap maskBmp;
    maskBmp.CreateBitmap(w, h, 1, 1, nullptr);
    CBitmap* oldMask = maskDC.SelectObject(&maskBmp);
    mem.SetBkColor(RGB(255, 255, 255));
    maskDC.BitBlt(0, 0, w, h, &mem, 0, 0, SRCCOPY);

    // The picture, tiled from the client origin.
    CBrush pattern;
    pattern.CreatePatternBrush(&m_pattern);
    dc.FillRect(&rc, &pattern);

    // Blacken the ground in the tree's picture, blacken the drawing on the window, then OR.
    mem.SetBkColor(RGB(0, 0, 0));
    mem.SetTextColor(RGB(255, 255, 255));
    mem.BitBlt(0, 0, w, h, &maskDC, 0, 0, SRCAND);
    dc.SetBkColor(RGB(255, 255, 255));
    dc.SetTextColor(RGB(0, 0, 0));
    dc.BitBlt(0, 0, w, h, &maskDC, 0, 0, SRCAND);
    dc.BitBlt(0, 0, w, h, &mem, 0, 0, SRCPAINT);

    maskDC.SelectObject(oldMask);
    mem.SelectObject(oldMem);
}

void CKovTreeCtrl::SetChildrenState(HTREEITEM item, UINT state, UINT mask) {
    for (HTREEITEM c = GetChildItem(item); c; c = GetNextSiblingItem(c)) {
        SetItemState(c, state, mask);
        SetChildrenState(c, state, mask);
    }
}

void CKovTreeCtrl::PropagateStateToParents(HTREEITEM item, UINT onState, UINT offState, UINT mask,
                                           BOOL itemIsOn) {
    bool on = itemIsOn != FALSE;
    HTREEITEM child = item;
    for (HTREEITEM p = GetParentItem(item); p; child = p, p = GetParentItem(p)) {
        if (!on) {
            for (HTREEITEM s = GetChildItem(p); s && !on; s = GetNextSiblingItem(s))
                on = s != child && GetItemState(s, mask) == (onState & mask);
        }
        // Once an ancestor is on, every ancestor above it is on as well.
        SetItemState(p, on ? onState : offState, mask);
    }
}

BOOL CKovTreeCtrl::UpdateStateFromChildren(HTREEITEM item, UINT onState, UINT offState, UINT mask) {
    for (HTREEITEM c = GetChildItem(item); c; c = GetNextSiblingItem(c))
        if (GetItemState(c, mask) == (onState & mask)) {
            SetItemState(item, onState, mask);
            return TRUE;
        }
    SetItemState(item, offState, mask);
    return FALSE;
}

void CKovTreeCtrl::ToggleItemState(HTREEITEM item, UINT onState, UINT offState, UINT mask) {
    bool on = GetItemState(item, mask) == (onState & mask);
    SetItemState(item, on ? offState : onState, mask);
}

BOOL IsTreeItemUnder(CTreeCtrl& tree, HTREEITEM item, HTREEITEM ancestor) {
    for (HTREEITEM h = item; h; h = tree.GetParentItem(h))
        if (h == ancestor)
            return TRUE;
    return FALSE;
}

BOOL DeleteTreeChildren(CTreeCtrl& tree, HTREEITEM item) {
    BOOL last = TRUE;
    while (HTREEITEM c = tree.GetChildItem(item)) {
        last = tree.DeleteItem(c);
        if (!last)
            break;
    }
    return last;
}

void InvalidateTreeItem(CTreeCtrl& tree, HTREEITEM item, BOOL erase) {
    CRect r;
    if (tree.GetItemRect(item, &r, FALSE))
        tree.InvalidateRect(&r, erase);
}

HTREEITEM InsertTreeItemSorted(CTreeCtrl& tree, const char* text, void* data, HTREEITEM parent,
                               int key, TREEITEMCOMPARE compare, BOOL findOnly) {
    HTREEITEM after = TVI_FIRST;
    HTREEITEM first = parent ? tree.GetChildItem(parent) : tree.GetRootItem();
    for (HTREEITEM c = first; c; c = tree.GetNextSiblingItem(c)) {
        if (compare(data, (void*)tree.GetItemData(c), key) <= 0)
            break;
        after = c;
    }
    if (findOnly)
        return after;
    HTREEITEM item = tree.InsertItem(text ? text : "", parent ? parent : TVI_ROOT, after);
    if (item)
        tree.SetItemData(item, (DWORD_PTR)data);
    return item;
}
