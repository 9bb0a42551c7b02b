// Dragging the items of a list or tree control inside the control or onto another window, without
// OLE: the engine captures the mouse, shows a drag image, changes the cursor by Ctrl and Shift,
// highlights the drop target (in its own control directly, in another window by message
// WM_DRAG_HIGHLIGHT), scrolls the window under the pointer when the pointer is held just outside
// it, forwards the wheel there, and hands every dragged item to its owner, first in a test pass
// (for the cursor and whether a drop may happen) and then for real.
//
// The owner embeds one engine and passes it the control's messages: FilterMessage from its
// PreTranslateMessage (the input messages) and OnMessage for the begin-drag notification and
// WM_CAPTURECHANGED. Other windows are kept by handle only, so a window destroyed during a drag
// is never touched; losing the mouse capture to anyone else cancels the drag.
#pragma once

#include <functional>

#include "platform/base/Collections.h"
#include "platform/gui/Icon.h"
#include "platform/gui/ImageList.h"
#include "platform/gui/Wnd.h"

class CListCtrl;
class CTreeCtrl;
class CKovTreeCtrlEnhancer;

// Sent to a window that a drag from another control is over: wParam 1 highlights the item in
// lParam as the drop target, wParam 0 removes the highlight of that item.
#define WM_DRAG_HIGHLIGHT (WM_USER + 40)

// A dragged item: a list row index or a tree item handle.
typedef INT_PTR DRAGITEM;

// Key flags of a drop: Ctrl copies, Shift places next to the target.
enum { DRAG_KEY_CTRL = 1, DRAG_KEY_SHIFT = 2, DRAG_KEY_ALT = 4 };
// Cursor states.
enum { DRAG_CURSOR_NORMAL = 0, DRAG_CURSOR_CTRL = 1, DRAG_CURSOR_SHIFT = 2,
       DRAG_CURSOR_NODROP = 3, DRAG_CURSOR_FROM_TEST = 4 };

// What a window that takes part in another control's drop pass hands back to that control's
// engine: the pass counters and the cursor it wants shown.
struct DRAGSTATE {
    int itemCount = 0;
    int itemIndex = 0;
    int forcedCursor = DRAG_CURSOR_FROM_TEST;
};

class CDragDropHelper {
public:
    explicit CDragDropHelper(int beginDragCode);
    virtual ~CDragDropHelper();
    CDragDropHelper(const CDragDropHelper&) = delete;
    CDragDropHelper& operator=(const CDragDropHelper&) = delete;

    // The item under a point of the control (client coordinates); FALSE for none.
    virtual BOOL HitTest(int x, int y, DRAGITEM& item, int& subItem) = 0;
    virtual BOOL IsItem(DRAGITEM item) const = 0;
    virtual DRAGITEM GetNoItem() const = 0;
    // Reads the begin-drag notification: the point, the source, the dragged items and the image.
    virtual BOOL PrepareDrag(NMHDR* pNotify, CPoint& point, DRAGITEM& item, int& subItem,
                             CArray<DRAGITEM, DRAGITEM>& items, CDWordArray& itemData,
                             CImageList*& pImage) = 0;
    // Drop passes: every item handed to the per-item operation in list order.
    virtual BOOL DropInSelf(CArray<DRAGITEM, DRAGITEM>& items, CDWordArray& itemData,
                            DRAGITEM target, int targetSub, int keyFlags, BOOL bTest);
    virtual BOOL DropItemInSelf(DRAGITEM item, DWORD reserved, DRAGITEM target, int targetSub,
                                int keyFlags, BOOL bTest, BOOL bHasNext, int& index);
    // hTargetWnd and target tell the window and the item under the pointer that would take the
    // drop (0 and no item when none).
    virtual BOOL DropOnWindow(CArray<DRAGITEM, DRAGITEM>& items, CDWordArray& itemData, int x,
                              int y, int keyFlags, BOOL bTest, int reserved, HWND& hTargetWnd,
                              DRAGITEM& target);
    virtual BOOL DropItemOnWindow(DRAGITEM item, DWORD reserved, int x, int y, int keyFlags,
                                  BOOL bTest, int reserved2, HWND& hTargetWnd, DRAGITEM& target,
                                  BOOL bHasNext, BOOL bFirst, int& index);
    virtual BOOL HighlightTarget(DRAGITEM item, int subItem, BOOL bOn);
    virtual void CancelDrag();
    virtual int SpareHook(int) { return 0; }
    virtual void OnDragMove(UINT keys, int x, int y);
    virtual LRESULT OnBeginDrag(NMHDR* pNotify);
    virtual void OnDragKey(UINT vk, UINT repeat, UINT flags, BOOL bDown);
    virtual void OnDrop(UINT keys, int x, int y);
    virtual void OnDragWheel(UINT keys, short delta, int x, int y);
    virtual void EndDrag();
    virtual void ResetDrag();

    void Attach(CWnd* pContext, CWnd* pControl);
    // Every message of the control; TRUE when the engine took it (a begin-drag notification).
    BOOL OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // From the owner's PreTranslateMessage: TRUE when the message must go no further (the wheel
    // during a drag, which scrolls the target, not the source).
    BOOL FilterMessage(MSG* pMsg);
    // Replaces each cursor that is given; the engine owns them.
    void SetDragCursors(HCURSOR hNormal, HCURSOR hCtrl, HCURSOR hNoDrop, HCURSOR hShift = nullptr);
    void SetDragCursor(int state);
    void UpdateDragCursor(BOOL bCanDrop, int keyFlags);
    void HideDragImage();

    void Enable(BOOL bEnable) { m_bEnabled = bEnable; }
    BOOL IsEnabled() const { return m_bEnabled; }
    BOOL IsDragging() const { return m_bDragging; }
    int GetKeyFlags() const { return m_nKeyFlags; }
    int GetCursorState() const { return m_nCursorState; }
    CWnd* GetControl() const { return m_pControl; }
    CWnd* GetContext() const { return m_pContext; }
    DRAGITEM GetSelfTarget() const { return m_selfTarget; }
    const CArray<DRAGITEM, DRAGITEM>& GetItems() const { return m_items; }
    void SetContinueOnFailure(BOOL b) { m_bContinueOnFailure = b; }
    DRAGSTATE GetDragState() const { return {m_nItemCount, m_nItemIndex, m_nForcedCursor}; }
    void SetDragState(const DRAGSTATE& s);
    void SetForcedCursor(int state) { m_nForcedCursor = state; }

    // Items accepted by the last real drop pass, and the index of the item being dropped
    // during a real pass (-1 outside one). One drag runs at a time in the program.
    static int GetDroppedCount();
    static int GetDropIndex();

protected:
    int KeyFlagsFrom(UINT keys) const;
    // Shows the drag image in the window at a point of the control's client area.
    void ShowImageIn(HWND hWnd, CPoint ptControl);
    void SendHighlight(HWND hWnd, BOOL bOn, DRAGITEM item);
    void ClearOtherHighlight();
    void AutoScroll(CPoint ptControl);
    template <class PerItem> BOOL RunPass(CArray<DRAGITEM, DRAGITEM>& items, BOOL bTest,
                                          PerItem perItem);

    int m_nBeginDragCode;
    CWnd* m_pControl = nullptr;
    CWnd* m_pContext = nullptr;
    CImageList* m_pDragImage = nullptr;
    HWND m_hImageWnd = nullptr;
    HWND m_hTargetWnd = nullptr;
    HWND m_hOtherWnd = nullptr; // the window holding m_otherTarget's highlight
    int m_lastX = 0, m_lastY = 0;
    BOOL m_bEnabled = TRUE;
    DWORD m_dwStyleRemove = 0, m_dwStyleAdd = 0;
    CArray<DRAGITEM, DRAGITEM> m_items;
    CDWordArray m_itemData;
    DRAGITEM m_sourceItem = 0;
    int m_sourceSub = 0;
    DRAGITEM m_selfTarget = 0;
    int m_selfTargetSub = 0;
    DRAGITEM m_otherTarget = 0;
    BOOL m_bDragging = FALSE;
    BOOL m_bTargetIsSelf = TRUE;
    int m_nCursorState = -1;
    BOOL m_bHookActive = TRUE;
    BOOL m_bCtrlDown = FALSE, m_bShiftDown = FALSE;
    HCURSOR m_cursors[4] = {};
    int m_nKeyFlags = 0;
    int m_nItemCount = 0;
    int m_nItemIndex = 0;
    int m_nForcedCursor = DRAG_CURSOR_FROM_TEST;
    BOOL m_bContinueOnFailure = FALSE;
    UINT m_lastMsg = 0;
    WPARAM m_lastWParam = 0;
    LPARAM m_lastLParam = 0;
    BOOL m_bReleasingCapture = FALSE;
};

// The owner's per-item drop operations, given as callbacks; a missing callback refuses.
class CCallbackDragDropHelper : public CDragDropHelper {
public:
    using DropInSelfFn = std::function<BOOL(CWnd* pContext, DRAGITEM item, DWORD reserved,
                                            DRAGITEM target, int targetSub, int keyFlags,
                                            BOOL bTest, BOOL bHasNext, int& index)>;
    using DropOnWindowFn = std::function<BOOL(
        CWnd* pContext, DRAGITEM item, DWORD reserved, int x, int y, int keyFlags, BOOL bTest,
        int reserved2, HWND& hTargetWnd, DRAGITEM& target, BOOL bHasNext, BOOL bFirst,
        int& index)>;

    using CDragDropHelper::CDragDropHelper;
    void SetCallbacks(CWnd* pOwner, DropInSelfFn inSelf, DropOnWindowFn onWindow);
    CWnd* GetOwner() const { return m_pOwner; }

    BOOL DropItemInSelf(DRAGITEM item, DWORD reserved, DRAGITEM target, int targetSub,
                        int keyFlags, BOOL bTest, BOOL bHasNext, int& index) override;
    BOOL DropItemOnWindow(DRAGITEM item, DWORD reserved, int x, int y, int keyFlags, BOOL bTest,
                          int reserved2, HWND& hTargetWnd, DRAGITEM& target, BOOL bHasNext,
                          BOOL bFirst, int& index) override;

protected:
    CWnd* m_pOwner = nullptr;
    DropInSelfFn m_dropInSelf;
    DropOnWindowFn m_dropOnWindow;
};

class CListCtrlDragDropHelper : public CCallbackDragDropHelper {
public:
    CListCtrlDragDropHelper();
    BOOL HitTest(int x, int y, DRAGITEM& item, int& subItem) override;
    BOOL IsItem(DRAGITEM item) const override { return item >= 0; }
    DRAGITEM GetNoItem() const override { return -1; }
    BOOL PrepareDrag(NMHDR* pNotify, CPoint& point, DRAGITEM& item, int& subItem,
                     CArray<DRAGITEM, DRAGITEM>& items, CDWordArray& itemData,
                     CImageList*& pImage) override;
    BOOL HighlightTarget(DRAGITEM item, int subItem, BOOL bOn) override;

private:
    CListCtrl* List() const;
};

class CTreeCtrlDragDropHelper : public CCallbackDragDropHelper {
public:
    CTreeCtrlDragDropHelper();
    BOOL HitTest(int x, int y, DRAGITEM& item, int& subItem) override;
    BOOL IsItem(DRAGITEM item) const override { return item != 0; }
    DRAGITEM GetNoItem() const override { return 0; }
    BOOL PrepareDrag(NMHDR* pNotify, CPoint& point, DRAGITEM& item, int& subItem,
                     CArray<DRAGITEM, DRAGITEM>& items, CDWordArray& itemData,
                     CImageList*& pImage) override;
    BOOL HighlightTarget(DRAGITEM item, int subItem, BOOL bOn) override;
    // Hot tracking and tool tips would fight the drag: off for its time.
    LRESULT OnBeginDrag(NMHDR* pNotify) override;
    void ResetDrag() override;

protected:
    CTreeCtrl* Tree() const;
};

// Drags every selected item of a multiple-selection tree.
class CTreeCtrlExDragDropHelper : public CTreeCtrlDragDropHelper {
public:
    void SetTreeCtrl(CKovTreeCtrlEnhancer* pSelection) { m_pSelection = pSelection; }
    BOOL PrepareDrag(NMHDR* pNotify, CPoint& point, DRAGITEM& item, int& subItem,
                     CArray<DRAGITEM, DRAGITEM>& items, CDWordArray& itemData,
                     CImageList*& pImage) override;

private:
    CKovTreeCtrlEnhancer* m_pSelection = nullptr;
};
