#include "ui/AlignDlgItems.h"

#include <cmath>
#include <vector>

int AlignValue(float value, int span) {
    if (std::fabs(value) > 1.0f)
        return (int)value;
    return (int)(value * (float)span);
}

namespace {

bool IsHorizontalSide(int side) { return side == ALIGN_LEFT || side == ALIGN_RIGHT; }

LONG* SideOf(RECT& rc, int side) {
    switch (side) {
    case ALIGN_TOP: return &rc.top;
    case ALIGN_LEFT: return &rc.left;
    case ALIGN_RIGHT: return &rc.right;
    case ALIGN_BOTTOM: return &rc.bottom;
    default: return nullptr;
    }
}

int OppositeSide(int side) {
    switch (side) {
    case ALIGN_TOP: return ALIGN_BOTTOM;
    case ALIGN_BOTTOM: return ALIGN_TOP;
    case ALIGN_LEFT: return ALIGN_RIGHT;
    case ALIGN_RIGHT: return ALIGN_LEFT;
    default: return 0;
    }
}

} // namespace

CAlignDlgItems::CAlignDlgItems(CWnd* pParent) : m_pParent(pParent), m_base(0, 0, 0, 0) {}

CAlignDlgItems::~CAlignDlgItems() = default;

void CAlignDlgItems::SetBaseRectFromClient(float left, float top, float right, float bottom) {
    CRect client;
    m_pParent->GetClientRect(&client);
    int w = client.Width(), h = client.Height();
    m_base.left = AlignValue(left, w);
    m_base.top = AlignValue(top, h);
    m_base.right = AlignValue(right, w);
    m_base.bottom = AlignValue(bottom, h);
    if (right < 0)
        m_base.right += w;
    if (bottom < 0)
        m_base.bottom += h;
}

BOOL CAlignDlgItems::GetItemRect(UINT nID, RECT* pRect) const {
    CWnd* item = m_pParent->GetDlgItem((int)nID);
    if (!item)
        return FALSE;
    item->GetWindowRect(pRect);
    m_pParent->ScreenToClient(pRect);
    return TRUE;
}

BOOL CAlignDlgItems::GetItemClientRect(UINT nID, RECT* pRect) const {
    CWnd* item = m_pParent->GetDlgItem((int)nID);
    if (!item)
        return FALSE;
    item->GetClientRect(pRect);
    item->ClientToScreen(pRect);
    m_pParent->ScreenToClient(pRect);
    return TRUE;
}

int CAlignDlgItems::GetItemWidth(UINT nID) const {
    CRect rc(0, 0, 0, 0);
    GetItemRect(nID, &rc);
    return rc.Width();
}

int CAlignDlgItems::GetItemHeight(UINT nID) const {
    CRect rc(0, 0, 0, 0);
    GetItemRect(nID, &rc);
    return rc.Height();
}

int CAlignDlgItems::GetItemEdge(UINT nID, int side) const {
    CRect rc(0, 0, 0, 0);
    GetItemRect(nID, &rc);
    LONG* edge = SideOf(rc, side);
    return edge ? (int)*edge : -1;
}

CRect CAlignDlgItems::ReferenceRect(BOOL bUseBase) const {
    if (bUseBase)
        return m_base;
    CRect client;
    m_pParent->GetClientRect(&client);
    return client;
}

void CAlignDlgItems::PlaceItemInset(UINT nID, float left, float top, float right, float bottom,
                                    BOOL bUseBase) {
    CRect rc;
    if (!GetItemRect(nID, &rc))
        return;
    CRect ref = ReferenceRect(bUseBase);
    if (left >= 0)
        rc.left = ref.left + AlignValue(left, ref.Width());
    if (top >= 0)
        rc.top = ref.top + AlignValue(top, ref.Height());
    if (right >= 0)
        rc.right = ref.right - AlignValue(right, ref.Width());
    if (bottom >= 0)
        rc.bottom = ref.bottom - AlignValue(bottom, ref.Height());
    m_pParent->GetDlgItem((int)nID)->SetWindowPos(nullptr, rc.left, rc.top, rc.Width(),
                                                   rc.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
}

void CAlignDlgItems::PlaceItemAt(UINT nID, float left, float top, float right, float bottom,
                                 BOOL bUseBase) {
    CRect rc;
    if (!GetItemRect(nID, &rc))
        return;
    CRect ref = ReferenceRect(bUseBase);
    if (left >= 0)
        rc.left = ref.left + AlignValue(left, ref.Width());
    if (top >= 0)
        rc.top = ref.top + AlignValue(top, ref.Height());
    if (right >= 0)
        rc.right = ref.left + AlignValue(right, ref.Width());
    if (bottom >= 0)
        rc.bottom = ref.top + AlignValue(bottom, ref.Height());
    m_pParent->GetDlgItem((int)nID)->SetWindowPos(nullptr, rc.left, rc.top, rc.Width(),
                                                   rc.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
}

int CAlignDlgItems::CalcItemEdge(RECT* pRect, int side, float offset, UINT refID, int refSide,
                                 BOOL bUseBase, BOOL bKeepSize) const {
    CRect ref = ReferenceRect(bUseBase);
    int span = IsHorizontalSide(side) ? ref.Width() : ref.Height();
    int base;
    if (refID) {
        base = GetItemEdge(refID, refSide);
    } else {
        LONG* edge = SideOf(ref, refSide);
        base = edge ? (int)*edge : 0;
    }
    int coord = base + AlignValue(offset, span);
    LONG* target = SideOf(*pRect, side);
    if (!target)
        return coord;
    int delta = coord - (int)*target;
    *target = coord;
    if (bKeepSize)
        *SideOf(*pRect, OppositeSide(side)) += delta;
    return coord;
}

void CAlignDlgItems::AlignItem(UINT nID, int side, float offset, UINT refID, int refSide,
                               BOOL bUseBase, BOOL bMoveOnly) {
    CRect rc;
    if (!GetItemRect(nID, &rc))
        return;
    CalcItemEdge(&rc, side, offset, refID, refSide, bUseBase, bMoveOnly);
    CWnd* item = m_pParent->GetDlgItem((int)nID);
    if (bMoveOnly)
        item->SetWindowPos(nullptr, rc.left, rc.top, 0, 0,
                           SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    else
        item->SetWindowPos(nullptr, rc.left, rc.top, rc.Width(), rc.Height(),
                           SWP_NOZORDER | SWP_NOACTIVATE);
}

int CAlignDlgItems::AlignItems(const UINT* pIDs, int side, float offset, const UINT* pRefIDs,
                               int refSide, BOOL bUseBase, BOOL bMoveOnly) {
    bool refsLeft = pRefIDs && pRefIDs[0];
    for (int i = 0; pIDs && pIDs[i]; ++i) {
        UINT ref = 0;
        if (pRefIDs) {
            if (refsLeft && !pRefIDs[i])
                refsLeft = false;
            ref = refsLeft ? pRefIDs[i] : pRefIDs[0];
        }
        AlignItem(pIDs[i], side, offset, ref, refSide, bUseBase, bMoveOnly);
    }
    return 0;
}

int CAlignDlgItems::AlignItemsToItem(const UINT* pIDs, int side, float offset, UINT refID,
                                     int refSide, BOOL bUseBase, BOOL bMoveOnly) {
    const UINT refs[] = {refID, 0};
    return AlignItems(pIDs, side, offset, refID ? refs : nullptr, refSide, bUseBase, bMoveOnly);
}

float CAlignDlgItems::DistributeItems(const UINT* pIDs, BOOL bVertical) {
    std::vector<CRect> rects;
    std::vector<UINT> ids;
    for (int i = 0; pIDs && pIDs[i]; ++i) {
        CRect rc(0, 0, 0, 0);
        GetItemRect(pIDs[i], &rc);
        rects.push_back(rc);
        ids.push_back(pIDs[i]);
    }
    size_t n = rects.size();
    if (n < 3)
        return 0.0f;
    auto size = [&](const CRect& rc) { return bVertical ? rc.Height() : rc.Width(); };
    int start = bVertical ? rects[0].top : rects[0].left;
    int end = bVertical ? rects[n - 1].bottom : rects[n - 1].right;
    int total = 0;
    for (const CRect& rc : rects)
        total += size(rc);
    float gap = (float)(end - start - total) / (float)(n - 1);
    int pos = start + size(rects[0]);
    for (size_t j = 1; j + 1 < n; ++j) {
        int at = pos + (int)((float)j * gap);
        CWnd* item = m_pParent->GetDlgItem((int)ids[j]);
        if (item)
            item->SetWindowPos(nullptr, bVertical ? rects[j].left : at,
                               bVertical ? at : rects[j].top, 0, 0,
                               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        pos += size(rects[j]);
    }
    return gap;
}

BOOL CreateChildDialog(CFormView* pView, CPropertySheet* pSheet, DWORD dwStyle, DWORD dwExStyle) {
    if (!pSheet->Create(pView, dwStyle, dwExStyle))
        return FALSE;
    pSheet->ModifyStyle(0, WS_TABSTOP);
    pSheet->ModifyStyleEx(0, WS_EX_CONTROLPARENT);
    pView->ModifyStyleEx(0, WS_EX_CONTROLPARENT);
    return TRUE;
}

namespace {

// The sheet's frame around its tab control: what the sheet adds to the tabs in each direction.
CSize SheetBorder(CWnd* pView, CPropertySheet* pSheet, CRect* pSheetRect) {
    CRect sheet, tab;
    pSheet->GetWindowRect(&sheet);
    pView->ScreenToClient(&sheet);
    pSheet->GetTabControl()->GetWindowRect(&tab);
    pView->ScreenToClient(&tab);
    if (pSheetRect)
        *pSheetRect = sheet;
    return CSize(sheet.Width() - tab.Width(), sheet.Height() - tab.Height());
}

void SizeTabs(CPropertySheet* pSheet, CSize size) {
    pSheet->GetTabControl()->SetWindowPos(nullptr, 0, 0, size.cx, size.cy,
                                          SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace

void FitPropertySheetToRect(CWnd* pView, CPropertySheet* pSheet, RECT rc) {
    if (!pSheet->m_hWnd || !pSheet->GetTabControl())
        return;
    CSize border = SheetBorder(pView, pSheet, nullptr);
    CRect target(rc);
    target.InflateRect(border.cx / 2, border.cy / 2);
    pSheet->MoveWindow(&target);
    SizeTabs(pSheet, CSize(target.Width() - border.cx, target.Height() - border.cy));
    pSheet->SetActivePage(pSheet->GetActiveIndex());
}

void FitPropertySheetToBounds(CWnd* pView, CPropertySheet* pSheet, int left, int top, int right,
                              int bottom) {
    if (!pSheet->m_hWnd || !pSheet->GetTabControl())
        return;
    CSize border = SheetBorder(pView, pSheet, nullptr);
    CRect target(left, top, right, bottom);
    pSheet->MoveWindow(&target);
    SizeTabs(pSheet, CSize(target.Width() - border.cx, target.Height() - border.cy));
    int active = pSheet->GetActiveIndex();
    for (int i = 0; i < pSheet->GetPageCount(); ++i)
        pSheet->SetActivePage(i);
    pSheet->SetActivePage(active);
}

void FitPropertySheetToItem(CFormView* pView, CPropertySheet* pSheet, UINT nPlaceholderID) {
    CWnd* placeholder = pView->GetDlgItem((int)nPlaceholderID);
    if (!placeholder)
        return;
    CRect rc;
    placeholder->GetWindowRect(&rc);
    pView->ScreenToClient(&rc);
    FitPropertySheetToBounds(pView, pSheet, rc.left, rc.top, rc.right, rc.bottom);
}
