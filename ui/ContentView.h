// A plain child window showing a vertical list of items, each an image with a one-line caption, on
// a coloured background, in one of two layouts: the icon layout (image above its centred caption)
// or the row layout (caption right of the image). It scrolls by whole items with two small arrow
// buttons in its right-hand corners (held down they repeat every 200 ms), the wheel and the
// keyboard; it tracks a hot item under the mouse and one selected item, and tells its owner (else
// its parent) about selection and activation with WM_CONTENTVIEW_NOTIFY.
//
// Owners create it with new: the object deletes itself once its window is destroyed.
#pragma once

#include "platform/gui/ImageList.h"
#include "platform/gui/Wnd.h"

#include <vector>

// To the owner: wParam a code, lParam its value.
#define WM_CONTENTVIEW_NOTIFY (WM_USER + 50)

class CContentView : public CWnd {
public:
    // Notification codes.
    enum { NotifySelChanged = 1, NotifyActivated = 3 };
    // Hit-test answers.
    enum { HitNothing = 0, HitImage = 1, HitCaption = 2, HitUpButton = 3, HitDownButton = 4 };
    // The auto-scroll timer of a held arrow button.
    enum { TimerAutoScroll = 1, AutoScrollMs = 200 };

    struct SCVItem {
        int nIconImage;
        int nRowImage;
        // A copy: the text an owner passes may change or go away while the item is shown.
        CString strCaption;
        void* pData;
    };

    CContentView();
    ~CContentView() override;

    using CWnd::Create;
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);

    // nWhich: 0 the row layout's list, 1 the icon layout's; answers the previous one. The lists
    // are not owned.
    CImageList* SetImageList(CImageList* pImageList, int nWhich);
    // The current layout's list.
    CImageList* GetImageList() const;
    void SetIconLayout(BOOL bIconLayout);
    BOOL IsIconLayout() const { return m_bIconLayout; }
    void ToggleLayout();

    // nIndex clamped to 0..count; the item goes before the one now at that index. Answers the
    // index it got.
    int InsertItem(int nIndex, int nIconImage, int nRowImage, LPCTSTR lpszCaption, void* pData);
    int AddItem(int nIconImage, int nRowImage, LPCTSTR lpszCaption, void* pData);
    // Empties the list, clears the selection, the hot item, the buttons and the scroll position.
    void DeleteAllItems();
    int GetItemCount() const { return (int)m_items.size(); }
    // Null outside the items; valid until the list changes.
    SCVItem* GetItem(int nIndex);
    void* GetItemData(int nIndex) const;

    int GetCurSel() const { return m_nSelected; }
    // An index at or beyond the count selects the last item; a negative one clears the selection.
    // The owner is told when the selection changes. Answers the previous selection.
    int SetCurSel(int nIndex);
    int GetHotItem() const { return m_nHot; }
    int GetFirstVisible() const { return m_nFirstVisible; }

    // One of the Hit* answers; *pIndex the item for HitImage and HitCaption, else -1.
    int HitTest(CPoint point, int* pIndex) const;
    // Answers the rows actually moved.
    int ScrollLines(int nCount, BOOL bDown, BOOL bRepaint);
    // The client rectangle less the top margin and the side margins.
    void GetContentRect(LPRECT lpRect) const;
    // Pulls the items down when rows stay empty at the bottom while items are hidden above, and
    // shows each arrow button while there is something to scroll to that way.
    void UpdateScrollButtons(BOOL bRepaint);

    BOOL IsUpButtonShown() const { return m_bUpShown; }
    BOOL IsDownButtonShown() const { return m_bDownShown; }
    BOOL IsUpButtonPushed() const { return m_bUpPushed; }
    BOOL IsDownButtonPushed() const { return m_bDownPushed; }
    BOOL IsAutoScrolling() const { return m_bTimerRunning; }

    // Geometry of an item with the current first visible item (client coordinates).
    CRect GetImageRect(int nIndex) const;
    CRect GetCaptionRect(int nIndex) const;
    CRect GetUpButtonRect() const;
    CRect GetDownButtonRect() const;
    // The size of image 0 of the current layout's list (0 x 0 without one).
    CSize GetItemSize() const;

protected:
    virtual void DrawItem(CDC* pDC, int nIndex, BOOL bHot, BOOL bSelected);

    void PostNcDestroy() override;

    int Pitch() const;
    // The last visible item and how many rows fit (count shown).
    void GetVisibleRows(int& nFirst, int& nLast, int& nRows) const;
    int RowsThatFit() const;
    void Notify(int nCode, LPARAM lValue);
    void StopAutoScroll();
    void PressButton(BOOL bDown);

    int OnCreate(LPCREATESTRUCT lpcs);
    void OnPaint();
    BOOL OnEraseBkgnd(CDC* pDC);
    void OnSize(UINT nType, int cx, int cy);
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnLButtonUp(UINT nFlags, CPoint point);
    void OnLButtonDblClk(UINT nFlags, CPoint point);
    void OnMouseMove(UINT nFlags, CPoint point);
    BOOL OnMouseWheel(UINT nFlags, short zDelta, CPoint pt);
    void OnRButtonDown(UINT nFlags, CPoint point);
    void OnRButtonUp(UINT nFlags, CPoint point);
    void OnRButtonDblClk(UINT nFlags, CPoint point);
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnTimer(UINT_PTR nIDEvent);
    void OnDestroy();
    UINT OnGetDlgCode();
    void OnCaptureChanged(CWnd* pWnd);
    DECLARE_MESSAGE_MAP()

    CImageList* m_pRowImages = nullptr;
    CImageList* m_pIconImages = nullptr;
    BOOL m_bIconLayout = FALSE;
    BOOL m_bUpShown = FALSE, m_bDownShown = FALSE;
    BOOL m_bUpPushed = FALSE, m_bDownPushed = FALSE;
    BOOL m_bTimerRunning = FALSE;
    // Hot tracking waits while a mouse button is held in the window.
    BOOL m_bMouseDown = FALSE;
    int m_nSelected = -1;
    int m_nHot = -1;
    int m_nFirstVisible = 0;
    std::vector<SCVItem> m_items;
    COLORREF m_crBackground = 0xC8781E;
    COLORREF m_crCaption = 0xFFFFFF;
    COLORREF m_crHotCaption = 0x00FF00;
    COLORREF m_crHighlight;
    COLORREF m_crShadow;
    int m_nTopMargin = 5, m_nBottomMargin = 5, m_nSideMargin = 5;
};
