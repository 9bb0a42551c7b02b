// A tree whose rows have several columns under a header. The control is a container of four
// children: the tree (with multiple selection), the column header, a second header over the
// corner above the tree's vertical bar, and a horizontal scroll bar. A row keeps its column texts
// as one item text, each column's part ended by a tab; the tree draws column 0, the others are
// painted after each item in the tree's custom-draw pass.
#pragma once

#include "platform/gui/HeaderCtrl.h"
#include "platform/gui/TreeCtrl.h"
#include "ui/DragDropHelper.h"
#include "ui/HookedWnd.h"
#include "ui/KovTreeCtrlEnhancer.h"

// The tree inside: multiple selection by click, Ctrl-click and Shift-click, and an outside
// listener that sees its mouse messages first.
class CCustomTreeChildCtrl : public CTreeCtrl, public CKovTreeCtrlEnhancer, public CHookedWnd {
    DECLARE_DYNAMIC(CCustomTreeChildCtrl)
public:
    CCustomTreeChildCtrl() : CKovTreeCtrlEnhancer(this) {}

    int m_firstColumnWidth = 0;
    int m_offset = 0; // the horizontal scroll offset
    // Hears that the tree lost the mouse capture (a drag in progress then ends).
    CDragDropHelper* m_pDragHelper = nullptr;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    // Whether a point counts as on the item: button, icon, the area right of the item, the label
    // (column 0's text and 6 pixels more), or anywhere in the row with full-row select.
    HTREEITEM ItemAt(CPoint pt) const;
    void ClickItem(HTREEITEM item, bool ctrl, bool shift);
    // The row pressed with the left button: moved far enough with the button held, it begins
    // a drag (the control handles presses itself, so the tree's own drag start never comes).
    HTREEITEM m_hPressed = nullptr;
    CPoint m_ptPressed;
    bool m_bDragSent = false;
};

#define COLUMNTREE_MAX_COLUMNS 16

class CColumnTreeCtrl : public CStatic {
    DECLARE_DYNCREATE(CColumnTreeCtrl)
public:
    CColumnTreeCtrl();
    ~CColumnTreeCtrl() override;

    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);

    // Answers the header's index of the new column; -1 past the 16 columns the control holds.
    int InsertColumn(int nIndex, const char* lpszText, int nFormat = HDF_LEFT, int nWidth = -1);
    // Re-reads the column widths from the header and lays the children out again.
    void UpdateColumns();
    void UpdateLayout();
    // Replaces one column's part of an item's text.
    void SetItemText(HTREEITEM item, int nColumn, const char* lpszText);
    // The part of an item's text that column nColumn shows (empty when the row has fewer).
    CString GetItemText(HTREEITEM item, int nColumn) const;
    int GetColumnCount() const;
    int GetColumnWidth(int nColumn) const;
    // Rows as high as the inner tree's.
    SHORT GetItemHeight() const { return m_tree.GetItemHeight(); }
    SHORT SetItemHeight(SHORT cyHeight) { return m_tree.SetItemHeight(cyHeight); }

    CCustomTreeChildCtrl& GetTreeCtrl() { return m_tree; }
    CHeaderCtrl& GetHeaderCtrl() { return m_header; }
    CScrollBar& GetScrollBar() { return m_hScroll; }
    int GetScrollOffset() const { return m_scrollOffset; }

    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    void PreSubclassWindow() override;
    // Both offer the drag engine the tree's messages first.
    BOOL PreTranslateMessage(MSG* pMsg) override;
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

    // Drags the selected rows; the owner attaches it to GetTreeCtrl() and gives the callbacks.
    CTreeCtrlExDragDropHelper m_dragHelper;

protected:
    CCustomTreeChildCtrl m_tree;
    CScrollBar m_hScroll;
    CHeaderCtrl m_header;
    CHeaderCtrl m_cornerHeader;
    int m_headerHeight = 0;
    int m_totalWidth = 0;
    int m_scrollOffset = 0;
    int m_textOffset = 9;
    int m_firstColumnMin = 100;
    BOOL m_ignoreNextChange = FALSE;
    BOOL m_creating = FALSE;
    int m_columnWidths[COLUMNTREE_MAX_COLUMNS] = {};
    UINT m_columnFormats[COLUMNTREE_MAX_COLUMNS] = {};

    virtual void CreateChildren();
    virtual void OnCustomDraw(NMHDR* pNMHDR, LRESULT* pResult);
    virtual void DrawCellText(CDC* pDC, HTREEITEM item, int nColumn, const CString& text,
                              const RECT& rc);

    void OnSize(UINT nType, int cx, int cy);
    void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    LRESULT OnSettingChange(WPARAM wParam, LPARAM lParam);
    void OnEnable(BOOL bEnable);
    void OnPaint();
    BOOL OnEraseBkgnd(CDC* pDC);
    DECLARE_MESSAGE_MAP()

private:
    bool TreeHasVScroll() const;
    int ReadHeaderHeight();
};

// The tab-separated part number n of a row text (empty when there are fewer parts).
CString ColumnTreeTextPart(const CString& text, int n);
