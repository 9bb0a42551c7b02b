// Placing dialog controls in code when a dialog, page or form view is resized: against the
// parent's client area, a reference rectangle or other controls, with every distance either a
// fraction of the reference span or a number of pixels. Beside it, helpers that embed a property
// sheet in a form view as a child window.
#pragma once

#include "platform/gui/FormView.h"
#include "platform/gui/PropertySheet.h"

// Side codes of the placement calls; 8 and 12, 9 and 11 are opposite sides.
enum : int { ALIGN_TOP = 8, ALIGN_LEFT = 9, ALIGN_RIGHT = 11, ALIGN_BOTTOM = 12 };

// A placement value measured against a span: beyond ±1 it is pixels (truncated), otherwise the
// fraction of the span (so 0.5 is the middle and 1 the whole span).
int AlignValue(float value, int span);

class CAlignDlgItems {
public:
    explicit CAlignDlgItems(CWnd* pParent);
    virtual ~CAlignDlgItems();

    void SetBaseRect(const RECT& rc) { m_base = rc; }
    CRect GetBaseRect() const { return m_base; }
    // The reference rectangle from fractions of the parent's client area; a negative right or
    // bottom counts from the far edge.
    void SetBaseRectFromClient(float left, float top, float right, float bottom);

    // The control's window (or client) rectangle in the parent's client coordinates; FALSE when
    // the parent has no such control.
    BOOL GetItemRect(UINT nID, RECT* pRect) const;
    BOOL GetItemClientRect(UINT nID, RECT* pRect) const;
    int GetItemWidth(UINT nID) const;
    int GetItemHeight(UINT nID) const;
    // The coordinate of one side of the control; -1 for an unknown side code.
    int GetItemEdge(UINT nID, int side) const;

    // Each value >= 0 sets that edge inward from the same edge of the reference (the base rect
    // with bUseBase, else the client area); a negative value keeps the control's edge.
    void PlaceItemInset(UINT nID, float left, float top, float right, float bottom, BOOL bUseBase);
    // As PlaceItemInset, but all four edges are measured from the reference's left and top.
    void PlaceItemAt(UINT nID, float left, float top, float right, float bottom, BOOL bUseBase);

    // The coordinate of refSide of control refID (or of the reference when refID is 0) plus the
    // offset, stored into side of pRect; with bKeepSize the opposite side moves along.
    int CalcItemEdge(RECT* pRect, int side, float offset, UINT refID, int refSide, BOOL bUseBase,
                     BOOL bKeepSize) const;
    // Moves one side of the control (bMoveOnly: the whole control, size kept).
    void AlignItem(UINT nID, int side, float offset, UINT refID, int refSide, BOOL bUseBase,
                   BOOL bMoveOnly);
    // AlignItem for each id of the zero-terminated list against the matching reference id; once
    // the references run out the first one serves the rest; null references mean the base rect.
    int AlignItems(const UINT* pIDs, int side, float offset, const UINT* pRefIDs, int refSide,
                   BOOL bUseBase, BOOL bMoveOnly);
    int AlignItemsToItem(const UINT* pIDs, int side, float offset, UINT refID, int refSide,
                         BOOL bUseBase, BOOL bMoveOnly);
    // Spreads the controls of the zero-terminated list evenly between the first and the last one
    // (vertically or horizontally); returns the gap, 0 when fewer than three controls are given.
    float DistributeItems(const UINT* pIDs, BOOL bVertical);

protected:
    CRect ReferenceRect(BOOL bUseBase) const;
    CWnd* m_pParent;
    CRect m_base;
};

// Creates the sheet as a modeless child of the view and lets Tab move from the view's controls
// into the sheet's pages. FALSE when the sheet cannot be made.
BOOL CreateChildDialog(CFormView* pView, CPropertySheet* pSheet, DWORD dwStyle, DWORD dwExStyle);
// Moves the sheet so that its tab control covers rc, and lays the active page out again.
void FitPropertySheetToRect(CWnd* pView, CPropertySheet* pSheet, RECT rc);
// Moves the sheet to exactly this rectangle and lets every page lay itself out once.
void FitPropertySheetToBounds(CWnd* pView, CPropertySheet* pSheet, int left, int top, int right,
                              int bottom);
// FitPropertySheetToBounds on the window rectangle of a placeholder control of the view.
void FitPropertySheetToItem(CFormView* pView, CPropertySheet* pSheet, UINT nPlaceholderID);
