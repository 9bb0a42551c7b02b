#include "ui/DragDropHelper.h"

#include "platform/gui/ListCtrl.h"
#include "platform/gui/TreeCtrl.h"
#include "ui/KovTreeCtrlEnhancer.h"

namespace {

// One drag runs at a time in the program; the views read these after a drop.
int g_nDroppedCount = 0;
int g_nDropIndex = -1;

int XOf(LPARAM lParam) {
    return (short)LOWORD(lParam);
}
int YOf(LPARAM lParam) {
    return (short)HIWORD(lParam);
}

// A drag image starts with the drag and the cursor image, the cursor image being the drag image
// itself: the window layer merges it at the offset given, so an offset of 0 lays it exactly over
// the drag image (the hot spots coincide) instead of doubling the picture.
void StartDragImage(CImageList* pImage, CPoint hot) {
    if (pImage == nullptr)
        return;
    pImage->BeginDrag(0, hot);
    pImage->SetDragCursorImage(0, CPoint(0, 0));
}

// The distance outside a window within which a held pointer scrolls it.
constexpr int kScrollMargin = 15;

CWnd* LiveWindow(HWND hWnd) {
    return hWnd != nullptr && IsWindow(hWnd) ? CWnd::FromHandle(hWnd) : nullptr;
}

} // namespace

CDragDropHelper::CDragDropHelper(int beginDragCode) : m_nBeginDragCode(beginDragCode) {}

CDragDropHelper::~CDragDropHelper() {
    for (HCURSOR& h : m_cursors) {
        if (h != nullptr)
            DestroyCursor(h);
        h = nullptr;
    }
    delete m_pDragImage;
    m_items.RemoveAll();
    m_itemData.RemoveAll();
}

int CDragDropHelper::GetDroppedCount() {
    return g_nDroppedCount;
}

int CDragDropHelper::GetDropIndex() {
    return g_nDropIndex;
}

void CDragDropHelper::Attach(CWnd* pContext, CWnd* pControl) {
    m_pContext = pContext;
    m_pControl = pControl;
    m_sourceItem = m_selfTarget = m_otherTarget = GetNoItem();
}

void CDragDropHelper::SetDragState(const DRAGSTATE& s) {
    m_nItemCount = s.itemCount;
    m_nItemIndex = s.itemIndex;
    m_nForcedCursor = s.forcedCursor;
}

// ---- Messages -------------------------------------------------------------------------------

BOOL CDragDropHelper::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!m_bHookActive || m_pControl == nullptr || !m_bEnabled)
        return FALSE;
    m_lastMsg = message;
    m_lastWParam = wParam;
    m_lastLParam = lParam;
    switch (message) {
    case WM_NOTIFY: {
        auto* hdr = reinterpret_cast<NMHDR*>(lParam);
        if (hdr != nullptr && (int)hdr->code == m_nBeginDragCode) {
            OnBeginDrag(hdr);
            return TRUE;
        }
        break;
    }
    case WM_CONTEXTMENU:
        CancelDrag();
        break;
    case WM_KEYDOWN:
    case WM_KEYUP:
        OnDragKey((UINT)wParam, LOWORD(lParam), HIWORD(lParam), message == WM_KEYDOWN);
        break;
    case WM_MOUSEMOVE:
        OnDragMove((UINT)wParam, XOf(lParam), YOf(lParam));
        break;
    case WM_LBUTTONUP:
        OnDrop((UINT)wParam, XOf(lParam), YOf(lParam));
        break;
    case WM_MOUSEWHEEL:
        OnDragWheel(LOWORD(wParam), GET_WHEEL_DELTA_WPARAM(wParam),
                    XOf(lParam), YOf(lParam));
        break;
    case WM_CAPTURECHANGED:
        // Someone else took the mouse: the button-up will never come here, and a later click
        // must not drop on a target that is long gone.
        if (m_bDragging && !m_bReleasingCapture && (HWND)lParam != m_pControl->m_hWnd)
            CancelDrag();
        break;
    default:
        break;
    }
    return FALSE;
}

BOOL CDragDropHelper::FilterMessage(MSG* pMsg) {
    if (!m_bHookActive || pMsg == nullptr)
        return FALSE;
    OnMessage(pMsg->message, pMsg->wParam, pMsg->lParam);
    if (m_bDragging && pMsg->message == WM_MOUSEWHEEL) {
        pMsg->message = 0;
        return TRUE;
    }
    return FALSE;
}

int CDragDropHelper::KeyFlagsFrom(UINT keys) const {
    int flags = 0;
    if (keys & MK_CONTROL)
        flags |= DRAG_KEY_CTRL;
    if (keys & MK_SHIFT)
        flags |= DRAG_KEY_SHIFT;
    if (GetKeyState(VK_MENU) < 0)
        flags |= DRAG_KEY_ALT;
    return flags;
}

// ---- Cursors and image ----------------------------------------------------------------------

void CDragDropHelper::SetDragCursors(HCURSOR hNormal, HCURSOR hCtrl, HCURSOR hNoDrop,
                                     HCURSOR hShift) {
    HCURSOR given[4] = {hNormal, hCtrl, hShift, hNoDrop};
    for (int i = 0; i < 4; ++i) {
        if (given[i] == nullptr)
            continue;
        if (m_cursors[i] != nullptr && m_cursors[i] != given[i])
            DestroyCursor(m_cursors[i]);
        m_cursors[i] = given[i];
    }
}

void CDragDropHelper::SetDragCursor(int state) {
    HCURSOR h = nullptr;
    if (state == DRAG_CURSOR_CTRL || state == DRAG_CURSOR_SHIFT)
        h = m_cursors[state] != nullptr ? m_cursors[state] : m_cursors[DRAG_CURSOR_NORMAL];
    else if (state >= 0 && state < 4)
        h = m_cursors[state];
    m_nCursorState = state;
    if (h != nullptr)
        ::SetCursor(h);
}

void CDragDropHelper::UpdateDragCursor(BOOL bCanDrop, int keyFlags) {
    if (m_nForcedCursor != DRAG_CURSOR_FROM_TEST) {
        SetDragCursor(m_nForcedCursor);
        return;
    }
    if (!bCanDrop)
        SetDragCursor(DRAG_CURSOR_NODROP);
    else if (keyFlags & DRAG_KEY_CTRL)
        SetDragCursor(DRAG_CURSOR_CTRL);
    else if (keyFlags & DRAG_KEY_SHIFT)
        SetDragCursor(DRAG_CURSOR_SHIFT);
    else
        SetDragCursor(DRAG_CURSOR_NORMAL);
}

void CDragDropHelper::HideDragImage() {
    if (m_hImageWnd != nullptr)
        CImageList::DragLeave(LiveWindow(m_hImageWnd));
    m_hImageWnd = nullptr;
}

void CDragDropHelper::ShowImageIn(HWND hWnd, CPoint ptControl) {
    if (m_pDragImage == nullptr || m_pControl == nullptr)
        return;
    CWnd* pWnd = LiveWindow(hWnd);
    if (pWnd == nullptr)
        return;
    // Drag positions are relative to the top-left corner of the window that shows the image.
    CPoint pt = ptControl;
    m_pControl->ClientToScreen(&pt);
    CRect rc;
    pWnd->GetWindowRect(&rc);
    pt.Offset(-rc.left, -rc.top);
    if (m_hImageWnd != hWnd) {
        HideDragImage();
        CImageList::DragEnter(pWnd, pt);
        m_hImageWnd = hWnd;
    } else {
        CImageList::DragMove(pt);
    }
}

void CDragDropHelper::SendHighlight(HWND hWnd, BOOL bOn, DRAGITEM item) {
    if (CWnd* pWnd = LiveWindow(hWnd))
        pWnd->SendMessage(WM_DRAG_HIGHLIGHT, bOn ? 1 : 0, (LPARAM)item);
}

void CDragDropHelper::ClearOtherHighlight() {
    if (m_hOtherWnd != nullptr) {
        if (m_hImageWnd == m_hOtherWnd)
            HideDragImage();
        SendHighlight(m_hOtherWnd, FALSE, m_otherTarget);
    }
    m_hOtherWnd = nullptr;
    m_otherTarget = GetNoItem();
}

BOOL CDragDropHelper::HighlightTarget(DRAGITEM item, int, BOOL) {
    if (!IsItem(item))
        return FALSE;
    // The image is drawn over the control; hidden, the highlight repaints cleanly.
    HideDragImage();
    return TRUE;
}

// ---- The drag -------------------------------------------------------------------------------

LRESULT CDragDropHelper::OnBeginDrag(NMHDR* pNotify) {
    if (m_bDragging)
        CancelDrag();
    CPoint pt;
    DRAGITEM item = GetNoItem();
    int sub = 0;
    m_items.RemoveAll();
    m_itemData.RemoveAll();
    CImageList* pImage = nullptr;
    PrepareDrag(pNotify, pt, item, sub, m_items, m_itemData, pImage);
    if (!IsItem(item)) {
        delete pImage;
        m_items.RemoveAll();
        return 0;
    }
    delete m_pDragImage;
    m_pDragImage = pImage;
    m_sourceItem = item;
    m_sourceSub = sub;
    m_bDragging = TRUE;
    m_bTargetIsSelf = TRUE;
    m_selfTarget = GetNoItem();
    m_selfTargetSub = 0;
    m_otherTarget = GetNoItem();
    m_hOtherWnd = nullptr;
    m_hTargetWnd = m_pControl->m_hWnd;
    m_lastX = pt.x;
    m_lastY = pt.y;
    m_nCursorState = -1;
    if (m_pDragImage != nullptr)
        ShowImageIn(m_pControl->m_hWnd, pt);
    m_pControl->SetFocus();
    m_pControl->SetCapture();
    return 0;
}

void CDragDropHelper::OnDragMove(UINT keys, int x, int y) {
    if (!m_bDragging || m_pControl == nullptr)
        return;
    m_nForcedCursor = DRAG_CURSOR_FROM_TEST;
    m_nKeyFlags = KeyFlagsFrom(keys);
    CPoint pt(x, y);
    CRect client;
    m_pControl->GetClientRect(&client);
    BOOL bCanDrop = FALSE;
    if (client.PtInRect(pt)) {
        if (m_hOtherWnd != nullptr)
            ClearOtherHighlight();
        else if (m_hImageWnd != nullptr && m_hImageWnd != m_pControl->m_hWnd)
            HideDragImage();
        if (!m_bTargetIsSelf && IsItem(m_selfTarget))
            HighlightTarget(m_selfTarget, m_selfTargetSub, TRUE);
        m_bTargetIsSelf = TRUE;
        m_hTargetWnd = m_pControl->m_hWnd;
        DRAGITEM item = GetNoItem();
        int sub = 0;
        if (!HitTest(x, y, item, sub))
            item = GetNoItem();
        bCanDrop = DropInSelf(m_items, m_itemData, item, sub, m_nKeyFlags, TRUE);
        if (item != m_selfTarget || sub != m_selfTargetSub) {
            if (IsItem(m_selfTarget))
                HighlightTarget(m_selfTarget, m_selfTargetSub, FALSE);
            if (IsItem(item))
                HighlightTarget(item, sub, TRUE);
        }
        m_selfTarget = item;
        m_selfTargetSub = sub;
        ShowImageIn(m_pControl->m_hWnd, pt);
    } else {
        if (m_bTargetIsSelf && IsItem(m_selfTarget) && m_hImageWnd == m_pControl->m_hWnd)
            HighlightTarget(m_selfTarget, m_selfTargetSub, FALSE);
        m_bTargetIsSelf = FALSE;
        HWND hWnd = nullptr;
        DRAGITEM target = GetNoItem();
        bCanDrop = DropOnWindow(m_items, m_itemData, x, y, m_nKeyFlags, TRUE, 0, hWnd, target);
        if (hWnd != nullptr && !IsWindow(hWnd))
            hWnd = nullptr;
        if (hWnd != m_hOtherWnd && m_hOtherWnd != nullptr)
            ClearOtherHighlight();
        if (hWnd != nullptr) {
            if (hWnd != m_hOtherWnd || target != m_otherTarget) {
                HideDragImage();
                if (m_hOtherWnd == hWnd)
                    SendHighlight(hWnd, FALSE, m_otherTarget);
                SendHighlight(hWnd, TRUE, target);
            }
            m_hOtherWnd = hWnd;
            m_otherTarget = target;
            m_hTargetWnd = hWnd;
        } else {
            AutoScroll(pt);
        }
        // The dropped-on window may have gone while it answered.
        if (!IsWindow(m_hTargetWnd))
            m_hTargetWnd = m_pControl->m_hWnd;
        ShowImageIn(m_hTargetWnd, pt);
    }
    UpdateDragCursor(bCanDrop, m_nKeyFlags);
    m_lastX = x;
    m_lastY = y;
}

void CDragDropHelper::AutoScroll(CPoint ptControl) {
    CWnd* pWnd = LiveWindow(m_hTargetWnd);
    if (pWnd == nullptr)
        return;
    CPoint pt = ptControl;
    m_pControl->ClientToScreen(&pt);
    CRect rc;
    pWnd->GetWindowRect(&rc);
    CRect grown = rc;
    grown.InflateRect(kScrollMargin, kScrollMargin);
    if (!grown.PtInRect(pt) || rc.PtInRect(pt))
        return;
    HideDragImage();
    HWND hWnd = m_hTargetWnd;
    if (pt.y < rc.top)
        pWnd->SendMessage(WM_VSCROLL, SB_LINEUP, 0);
    else if (pt.y >= rc.bottom)
        pWnd->SendMessage(WM_VSCROLL, SB_LINEDOWN, 0);
    if (!IsWindow(hWnd))
        return;
    if (pt.x < rc.left)
        pWnd->SendMessage(WM_HSCROLL, SB_LINELEFT, 0);
    else if (pt.x >= rc.right)
        pWnd->SendMessage(WM_HSCROLL, SB_LINERIGHT, 0);
}

void CDragDropHelper::OnDragKey(UINT vk, UINT, UINT flags, BOOL bDown) {
    if (vk == VK_CONTROL)
        m_bCtrlDown = bDown;
    else if (vk == VK_SHIFT)
        m_bShiftDown = bDown;
    // Bit 14 of the key flags: the key was already down (auto-repeat).
    if (!m_bDragging || (bDown && (flags & 0x4000)))
        return;
    if (vk == VK_CONTROL || vk == VK_SHIFT) {
        m_nKeyFlags = (m_bShiftDown ? DRAG_KEY_SHIFT : 0) | (m_bCtrlDown ? DRAG_KEY_CTRL : 0);
        m_nForcedCursor = DRAG_CURSOR_FROM_TEST;
        BOOL bCanDrop;
        if (m_hImageWnd == m_pControl->m_hWnd || m_bTargetIsSelf) {
            bCanDrop = DropInSelf(m_items, m_itemData, m_selfTarget, m_selfTargetSub, m_nKeyFlags,
                                  TRUE);
        } else {
            HWND hWnd = nullptr;
            DRAGITEM target = GetNoItem();
            bCanDrop = DropOnWindow(m_items, m_itemData, m_lastX, m_lastY, m_nKeyFlags, TRUE, 0,
                                    hWnd, target);
        }
        UpdateDragCursor(bCanDrop, m_nKeyFlags);
    } else if (vk == VK_ESCAPE && bDown) {
        CancelDrag();
    }
}

void CDragDropHelper::OnDrop(UINT keys, int x, int y) {
    if (!m_bDragging)
        return;
    m_nKeyFlags = KeyFlagsFrom(keys);
    EndDrag();
    if (m_bTargetIsSelf) {
        DropInSelf(m_items, m_itemData, m_selfTarget, m_selfTargetSub, m_nKeyFlags, FALSE);
    } else {
        HWND hWnd = nullptr;
        DRAGITEM target = GetNoItem();
        (void)x;
        (void)y;
        DropOnWindow(m_items, m_itemData, m_lastX, m_lastY, m_nKeyFlags, FALSE, 0, hWnd, target);
    }
    ResetDrag();
}

void CDragDropHelper::OnDragWheel(UINT, short delta, int, int) {
    if (!m_bDragging || delta / WHEEL_DELTA == 0)
        return;
    CWnd* pTarget = LiveWindow(m_hTargetWnd);
    if (pTarget == nullptr)
        return;
    HWND hTarget = m_hTargetWnd;
    if (m_hImageWnd == hTarget)
        HideDragImage();
    m_bHookActive = FALSE;
    pTarget->SendMessage(m_lastMsg, m_lastWParam, m_lastLParam);
    m_bHookActive = TRUE;
    if (!m_bDragging)
        return;
    if (IsWindow(hTarget))
        ShowImageIn(hTarget, CPoint(m_lastX, m_lastY));
    OnDragMove((m_nKeyFlags & DRAG_KEY_CTRL ? MK_CONTROL : 0) |
                   (m_nKeyFlags & DRAG_KEY_SHIFT ? MK_SHIFT : 0),
               m_lastX, m_lastY);
}

void CDragDropHelper::EndDrag() {
    if (!m_bDragging)
        return;
    if (m_pDragImage != nullptr) {
        HideDragImage();
        CImageList::EndDrag();
        delete m_pDragImage;
        m_pDragImage = nullptr;
    }
    ClearOtherHighlight();
    if (IsItem(m_selfTarget))
        HighlightTarget(m_selfTarget, m_selfTargetSub, FALSE);
    m_bReleasingCapture = TRUE;
    if (CWnd::GetCapture() == m_pControl)
        ReleaseCapture();
    m_bReleasingCapture = FALSE;
}

void CDragDropHelper::ResetDrag() {
    m_hImageWnd = nullptr;
    m_sourceItem = GetNoItem();
    m_sourceSub = 0;
    m_selfTarget = GetNoItem();
    m_bDragging = FALSE;
}

void CDragDropHelper::CancelDrag() {
    if (!m_bDragging)
        return;
    EndDrag();
    ResetDrag();
}

// ---- Drop passes ----------------------------------------------------------------------------

template <class PerItem>
BOOL CDragDropHelper::RunPass(CArray<DRAGITEM, DRAGITEM>& items, BOOL bTest, PerItem perItem) {
    g_nDroppedCount = 0;
    m_nItemCount = (int)items.GetSize();
    m_nItemIndex = 0;
    m_nForcedCursor = DRAG_CURSOR_FROM_TEST;
    if (!bTest)
        g_nDropIndex = 0;
    BOOL bAny = FALSE;
    int count = (int)items.GetSize();
    for (int i = 0, at = 0; i < count; ++i) {
        DRAGITEM item = items[at];
        BOOL bHasNext = i < count - 1;
        BOOL r = perItem(item, bHasNext, i == 0);
        if (r)
            bAny = TRUE;
        if (!bTest) {
            if (r) {
                items.RemoveAt(at);
                ++g_nDroppedCount;
            } else {
                ++at;
            }
            ++g_nDropIndex;
        } else {
            ++at;
            if (!r && !m_bContinueOnFailure)
                return FALSE;
        }
        ++m_nItemIndex;
    }
    if (!bTest)
        g_nDropIndex = -1;
    return bAny;
}

BOOL CDragDropHelper::DropInSelf(CArray<DRAGITEM, DRAGITEM>& items, CDWordArray& itemData,
                                 DRAGITEM target, int targetSub, int keyFlags, BOOL bTest) {
    if (items.GetSize() == 0)
        return FALSE;
    if (!bTest && !DropInSelf(items, itemData, target, targetSub, keyFlags, TRUE))
        return FALSE;
    return RunPass(items, bTest, [&](DRAGITEM item, BOOL bHasNext, BOOL) {
        int index = m_nItemIndex;
        return DropItemInSelf(item, 0, target, targetSub, keyFlags, bTest, bHasNext, index);
    });
}

BOOL CDragDropHelper::DropOnWindow(CArray<DRAGITEM, DRAGITEM>& items, CDWordArray& itemData,
                                   int x, int y, int keyFlags, BOOL bTest, int reserved,
                                   HWND& hTargetWnd, DRAGITEM& target) {
    if (items.GetSize() == 0)
        return FALSE;
    if (!bTest && !DropOnWindow(items, itemData, x, y, keyFlags, TRUE, reserved, hTargetWnd,
                                target))
        return FALSE;
    return RunPass(items, bTest, [&](DRAGITEM item, BOOL bHasNext, BOOL bFirst) {
        int index = m_nItemIndex;
        return DropItemOnWindow(item, 0, x, y, keyFlags, bTest, reserved, hTargetWnd, target,
                                bHasNext, bFirst, index);
    });
}

BOOL CDragDropHelper::DropItemInSelf(DRAGITEM, DWORD, DRAGITEM, int, int, BOOL, BOOL, int&) {
    return FALSE;
}

BOOL CDragDropHelper::DropItemOnWindow(DRAGITEM, DWORD, int, int, int, BOOL, int, HWND&,
                                       DRAGITEM&, BOOL, BOOL, int&) {
    return FALSE;
}

// ---- Callbacks ------------------------------------------------------------------------------

void CCallbackDragDropHelper::SetCallbacks(CWnd* pOwner, DropInSelfFn inSelf,
                                           DropOnWindowFn onWindow) {
    m_pOwner = pOwner;
    m_dropInSelf = std::move(inSelf);
    m_dropOnWindow = std::move(onWindow);
}

BOOL CCallbackDragDropHelper::DropItemInSelf(DRAGITEM item, DWORD reserved, DRAGITEM target,
                                             int targetSub, int keyFlags, BOOL bTest,
                                             BOOL bHasNext, int& index) {
    if (!m_dropInSelf)
        return FALSE;
    return m_dropInSelf(m_pContext, item, reserved, target, targetSub, keyFlags, bTest, bHasNext,
                        index);
}

BOOL CCallbackDragDropHelper::DropItemOnWindow(DRAGITEM item, DWORD reserved, int x, int y,
                                               int keyFlags, BOOL bTest, int reserved2,
                                               HWND& hTargetWnd, DRAGITEM& target,
                                               BOOL bHasNext, BOOL bFirst, int& index) {
    if (!m_dropOnWindow)
        return FALSE;
    return m_dropOnWindow(m_pContext, item, reserved, x, y, keyFlags, bTest, reserved2,
                          hTargetWnd, target, bHasNext, bFirst, index);
}

// ---- List controls --------------------------------------------------------------------------

CListCtrlDragDropHelper::CListCtrlDragDropHelper() : CCallbackDragDropHelper((int)LVN_BEGINDRAG) {
    m_sourceItem = m_selfTarget = m_otherTarget = -1;
}

CListCtrl* CListCtrlDragDropHelper::List() const {
    return static_cast<CListCtrl*>(m_pControl);
}

BOOL CListCtrlDragDropHelper::HitTest(int x, int y, DRAGITEM& item, int& subItem) {
    LVHITTESTINFO info{};
    info.pt = {x, y};
    List()->SubItemHitTest(&info);
    item = info.iItem;
    subItem = info.iSubItem;
    return info.iItem >= 0;
}

BOOL CListCtrlDragDropHelper::PrepareDrag(NMHDR* pNotify, CPoint& point, DRAGITEM& item,
                                          int& subItem, CArray<DRAGITEM, DRAGITEM>& items,
                                          CDWordArray&, CImageList*& pImage) {
    auto* nm = reinterpret_cast<NMLISTVIEW*>(pNotify);
    point = nm->ptAction;
    item = nm->iItem;
    subItem = nm->iSubItem;
    for (int i = List()->GetNextItem(-1, LVNI_SELECTED); i >= 0;
         i = List()->GetNextItem(i, LVNI_SELECTED))
        items.Add(i);
    pImage = nullptr;
    // Several rows drag without an image; the cursor still tells what a drop would do.
    if (items.GetSize() == 1 && item >= 0) {
        CPoint origin;
        pImage = List()->CreateDragImage((int)item, &origin);
        StartDragImage(pImage, point - origin);
    }
    return TRUE;
}

BOOL CListCtrlDragDropHelper::HighlightTarget(DRAGITEM item, int subItem, BOOL bOn) {
    if (!CDragDropHelper::HighlightTarget(item, subItem, bOn))
        return FALSE;
    List()->SetItemState((int)item, bOn ? LVIS_DROPHILITED : 0, LVIS_DROPHILITED);
    List()->Update((int)item);
    return TRUE;
}

// ---- Tree controls --------------------------------------------------------------------------

CTreeCtrlDragDropHelper::CTreeCtrlDragDropHelper() : CCallbackDragDropHelper((int)TVN_BEGINDRAG) {}

CTreeCtrl* CTreeCtrlDragDropHelper::Tree() const {
    return static_cast<CTreeCtrl*>(m_pControl);
}

BOOL CTreeCtrlDragDropHelper::HitTest(int x, int y, DRAGITEM& item, int& subItem) {
    item = (DRAGITEM)Tree()->HitTest(CPoint(x, y));
    subItem = 0;
    return item != 0;
}

BOOL CTreeCtrlDragDropHelper::PrepareDrag(NMHDR* pNotify, CPoint& point, DRAGITEM& item,
                                          int& subItem, CArray<DRAGITEM, DRAGITEM>& items,
                                          CDWordArray&, CImageList*& pImage) {
    auto* nm = reinterpret_cast<NMTREEVIEW*>(pNotify);
    point = nm->ptDrag;
    item = (DRAGITEM)nm->itemNew.hItem;
    subItem = 0;
    pImage = nullptr;
    if (item == 0)
        return FALSE;
    items.Add(item);
    pImage = Tree()->CreateDragImage(nm->itemNew.hItem);
    CRect rc;
    Tree()->GetItemRect(nm->itemNew.hItem, &rc, TRUE);
    StartDragImage(pImage, point - rc.TopLeft());
    return TRUE;
}

BOOL CTreeCtrlDragDropHelper::HighlightTarget(DRAGITEM item, int subItem, BOOL bOn) {
    if (!CDragDropHelper::HighlightTarget(item, subItem, bOn))
        return FALSE;
    Tree()->SendMessage(TVM_SELECTITEM, TVGN_DROPHILITE, bOn ? (LPARAM)item : 0);
    return TRUE;
}

LRESULT CTreeCtrlDragDropHelper::OnBeginDrag(NMHDR* pNotify) {
    DWORD style = m_pControl->GetStyle();
    m_dwStyleRemove = style & TVS_TRACKSELECT;
    m_dwStyleAdd = (style & TVS_NOTOOLTIPS) ? 0 : TVS_NOTOOLTIPS;
    if (m_dwStyleRemove != 0 || m_dwStyleAdd != 0)
        m_pControl->ModifyStyle(m_dwStyleRemove, m_dwStyleAdd);
    LRESULT r = CDragDropHelper::OnBeginDrag(pNotify);
    if (!m_bDragging)
        ResetDrag();
    return r;
}

void CTreeCtrlDragDropHelper::ResetDrag() {
    CDragDropHelper::ResetDrag();
    if (m_pControl != nullptr && (m_dwStyleRemove != 0 || m_dwStyleAdd != 0))
        m_pControl->ModifyStyle(m_dwStyleAdd, m_dwStyleRemove);
    m_dwStyleRemove = m_dwStyleAdd = 0;
}

BOOL CTreeCtrlExDragDropHelper::PrepareDrag(NMHDR* pNotify, CPoint& point, DRAGITEM& item,
                                            int& subItem, CArray<DRAGITEM, DRAGITEM>& items,
                                            CDWordArray& itemData, CImageList*& pImage) {
    if (!CTreeCtrlDragDropHelper::PrepareDrag(pNotify, point, item, subItem, items, itemData,
                                              pImage))
        return FALSE;
    if (m_pSelection == nullptr)
        return TRUE;
    items.RemoveAll();
    for (HTREEITEM h = m_pSelection->GetFirstSelected(); h != nullptr;
         h = m_pSelection->GetNextSelected(h))
        items.Add((DRAGITEM)h);
    // The item the drag began on counts even when the click did not select it.
    if (items.GetSize() == 0)
        items.Add(item);
    return TRUE;
}
