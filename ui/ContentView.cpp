#include "ui/ContentView.h"

#include "platform/gui/Dc.h"
#include "ui/BufferDC.h"

#include <algorithm>

namespace {

// Pixels between one image and the next, and between an image and its caption.
constexpr int kIconPitchGap = 20;
constexpr int kRowPitchGap = 5;
constexpr int kIconCaptionGap = 3;
constexpr int kRowCaptionGap = 2;
// The caption band below an image in the icon layout ends this far below the image.
constexpr int kIconCaptionBandEnd = 20;
constexpr int kWheelDelta = 120;

} // namespace

BEGIN_MESSAGE_MAP(CContentView, CWnd)
ON_WM_CREATE()
ON_WM_PAINT()
ON_WM_ERASEBKGND()
ON_WM_SIZE()
ON_WM_LBUTTONDOWN()
ON_WM_LBUTTONUP()
ON_WM_LBUTTONDBLCLK()
ON_WM_MOUSEMOVE()
ON_WM_MOUSEWHEEL()
ON_WM_RBUTTONDOWN()
ON_WM_RBUTTONUP()
ON_WM_RBUTTONDBLCLK()
ON_WM_KEYDOWN()
ON_WM_TIMER()
ON_WM_DESTROY()
ON_WM_GETDLGCODE()
ON_WM_CAPTURECHANGED()
END_MESSAGE_MAP()

CContentView::CContentView()
    : m_crHighlight(GetSysColor(COLOR_BTNHIGHLIGHT)), m_crShadow(GetSysColor(COLOR_3DDKSHADOW)) {}

CContentView::~CContentView() = default;

BOOL CContentView::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
    return CWnd::Create(nullptr, nullptr, dwStyle, rect, pParentWnd, nID, nullptr);
}

void CContentView::PostNcDestroy() {
    delete this;
}

// ---- Image lists and layout -----------------------------------------------------------------

CImageList* CContentView::SetImageList(CImageList* pImageList, int nWhich) {
    CImageList*& slot = nWhich == 1 ? m_pIconImages : m_pRowImages;
    CImageList* pOld = slot;
    slot = pImageList;
    if (m_hWnd != nullptr)
        UpdateScrollButtons(TRUE);
    return pOld;
}

CImageList* CContentView::GetImageList() const {
    return m_bIconLayout ? m_pIconImages : m_pRowImages;
}

void CContentView::SetIconLayout(BOOL bIconLayout) {
    m_bIconLayout = bIconLayout != FALSE;
    if (m_hWnd != nullptr)
        UpdateScrollButtons(TRUE);
}

void CContentView::ToggleLayout() {
    SetIconLayout(!m_bIconLayout);
}

// ---- Items ----------------------------------------------------------------------------------

int CContentView::InsertItem(int nIndex, int nIconImage, int nRowImage, LPCTSTR lpszCaption,
                             void* pData) {
    int count = GetItemCount();
    nIndex = std::clamp(nIndex, 0, count);
    m_items.insert(m_items.begin() + nIndex,
                   SCVItem{nIconImage, nRowImage, CString(lpszCaption ? lpszCaption : ""), pData});
    // The selected and the hot item stay on the same items.
    if (m_nSelected >= nIndex)
        ++m_nSelected;
    if (m_nHot >= nIndex)
        ++m_nHot;
    if (m_hWnd != nullptr)
        UpdateScrollButtons(TRUE);
    return nIndex;
}

int CContentView::AddItem(int nIconImage, int nRowImage, LPCTSTR lpszCaption, void* pData) {
    return InsertItem(GetItemCount(), nIconImage, nRowImage, lpszCaption, pData);
}

void CContentView::DeleteAllItems() {
    m_items.clear();
    m_nSelected = m_nHot = -1;
    m_bUpShown = m_bDownShown = m_bUpPushed = m_bDownPushed = FALSE;
    m_nFirstVisible = 0;
    StopAutoScroll();
    if (m_hWnd != nullptr)
        UpdateScrollButtons(TRUE);
}

CContentView::SCVItem* CContentView::GetItem(int nIndex) {
    if (nIndex < 0 || nIndex >= GetItemCount())
        return nullptr;
    return &m_items[(size_t)nIndex];
}

void* CContentView::GetItemData(int nIndex) const {
    if (nIndex < 0 || nIndex >= GetItemCount())
        return nullptr;
    return m_items[(size_t)nIndex].pData;
}

int CContentView::SetCurSel(int nIndex) {
    int old = m_nSelected;
    if (nIndex >= GetItemCount())
        nIndex = GetItemCount() - 1;
    if (nIndex < 0)
        nIndex = -1;
    if (nIndex == old)
        return old;
    m_nSelected = nIndex;
    if (m_hWnd != nullptr)
        Invalidate(FALSE);
    Notify(NotifySelChanged, (LPARAM)(((DWORD)nIndex << 16) | ((DWORD)old & 0xFFFF)));
    return old;
}

void CContentView::Notify(int nCode, LPARAM lValue) {
    if (m_hWnd == nullptr)
        return;
    if (CWnd* pOwner = GetOwner())
        pOwner->SendMessage(WM_CONTENTVIEW_NOTIFY, (WPARAM)nCode, lValue);
}

// ---- Geometry -------------------------------------------------------------------------------

void CContentView::GetContentRect(LPRECT lpRect) const {
    CRect rc;
    GetClientRect(&rc);
    rc.top += m_nTopMargin;
    rc.left += m_nSideMargin;
    rc.right -= m_nSideMargin;
    *lpRect = rc;
}

CSize CContentView::GetItemSize() const {
    CImageList* pList = GetImageList();
    IMAGEINFO info{};
    if (pList == nullptr || pList->GetSafeHandle() == nullptr || pList->GetImageCount() == 0 ||
        !pList->GetImageInfo(0, &info))
        return CSize(0, 0);
    return CSize(info.rcImage.right - info.rcImage.left, info.rcImage.bottom - info.rcImage.top);
}

int CContentView::Pitch() const {
    return GetItemSize().cy + (m_bIconLayout ? kIconPitchGap : kRowPitchGap);
}

CRect CContentView::GetImageRect(int nIndex) const {
    CRect content;
    GetContentRect(&content);
    CSize size = GetItemSize();
    int top = content.top + (nIndex - m_nFirstVisible) * Pitch();
    int left = m_bIconLayout ? content.left + (content.Width() - size.cx) / 2 : content.left;
    return CRect(left, top, left + size.cx, top + size.cy);
}

CRect CContentView::GetCaptionRect(int nIndex) const {
    if (nIndex < 0 || nIndex >= GetItemCount() || m_hWnd == nullptr)
        return CRect();
    CRect content;
    GetContentRect(&content);
    CRect image = GetImageRect(nIndex);
    CClientDC dc(const_cast<CContentView*>(this));
    CFont* pOldFont = static_cast<CFont*>(dc.SelectStockObject(DEFAULT_GUI_FONT));
    CSize extent = dc.GetTextExtent(m_items[(size_t)nIndex].strCaption);
    dc.SelectObject(pOldFont);
    CRect rc;
    if (m_bIconLayout) {
        rc.left = content.left + (content.Width() - extent.cx) / 2;
        rc.top = image.bottom + kIconCaptionGap;
    } else {
        rc.left = image.right + kRowCaptionGap;
        rc.top = image.top + (image.Height() - extent.cy) / 2;
    }
    rc.right = rc.left + extent.cx;
    rc.bottom = rc.top + extent.cy;
    if (!m_bIconLayout && rc.right > content.right)
        rc.right = std::max(rc.left, (int)content.right);
    return rc;
}

CRect CContentView::GetUpButtonRect() const {
    CRect content;
    GetContentRect(&content);
    int side = GetSystemMetrics(SM_CXVSCROLL);
    return CRect(content.right - side, content.top, content.right, content.top + side);
}

CRect CContentView::GetDownButtonRect() const {
    CRect content;
    GetContentRect(&content);
    int side = GetSystemMetrics(SM_CXVSCROLL);
    int bottom = content.bottom - m_nBottomMargin;
    return CRect(content.right - side, bottom - side, content.right, bottom);
}

int CContentView::RowsThatFit() const {
    CRect content;
    GetContentRect(&content);
    int pitch = Pitch();
    int height = std::max(0, (int)content.Height());
    if (pitch <= 0)
        return 0;
    int rows = height / pitch;
    // The last row needs no gap below it.
    if (height - rows * pitch >= GetItemSize().cy)
        ++rows;
    return rows;
}

void CContentView::GetVisibleRows(int& nFirst, int& nLast, int& nRows) const {
    nFirst = m_nFirstVisible;
    nRows = RowsThatFit();
    nLast = std::min(nFirst + nRows - 1, GetItemCount() - 1);
}

int CContentView::HitTest(CPoint point, int* pIndex) const {
    if (pIndex != nullptr)
        *pIndex = -1;
    if (m_bUpShown && GetUpButtonRect().PtInRect(point))
        return HitUpButton;
    if (m_bDownShown && GetDownButtonRect().PtInRect(point))
        return HitDownButton;
    CSize size = GetItemSize();
    // Items without an image have no size: nothing of them can be hit.
    if (size.cx <= 0 || size.cy <= 0)
        return HitNothing;
    int first = 0, last = 0, rows = 0;
    GetVisibleRows(first, last, rows);
    for (int i = first; i <= last; ++i) {
        if (GetImageRect(i).PtInRect(point)) {
            if (pIndex != nullptr)
                *pIndex = i;
            return HitImage;
        }
        if (GetCaptionRect(i).PtInRect(point)) {
            if (pIndex != nullptr)
                *pIndex = i;
            return HitCaption;
        }
    }
    return HitNothing;
}

// ---- Scrolling ------------------------------------------------------------------------------

void CContentView::UpdateScrollButtons(BOOL bRepaint) {
    int count = GetItemCount();
    int rows = RowsThatFit();
    if (m_nFirstVisible > 0 && m_nFirstVisible + rows > count)
        m_nFirstVisible = std::max(0, count - rows);
    if (m_nFirstVisible >= count)
        m_nFirstVisible = std::max(0, count - 1);
    int first = 0, last = 0;
    GetVisibleRows(first, last, rows);
    m_bUpShown = m_nFirstVisible > 0;
    m_bDownShown = last < count - 1;
    if (!m_bUpShown)
        m_bUpPushed = FALSE;
    if (!m_bDownShown)
        m_bDownPushed = FALSE;
    if (bRepaint && m_hWnd != nullptr)
        Invalidate(FALSE);
}

int CContentView::ScrollLines(int nCount, BOOL bDown, BOOL bRepaint) {
    int step = bDown ? nCount : -nCount;
    if (bDown) {
        int first = 0, last = 0, rows = 0;
        GetVisibleRows(first, last, rows);
        step = std::min(step, std::max(0, GetItemCount() - 1 - last));
    }
    int target = std::max(0, m_nFirstVisible + step);
    int moved = target - m_nFirstVisible;
    if (moved != 0) {
        m_nFirstVisible = target;
        UpdateScrollButtons(bRepaint);
    }
    return moved < 0 ? -moved : moved;
}

void CContentView::StopAutoScroll() {
    if (m_bTimerRunning && m_hWnd != nullptr)
        KillTimer(TimerAutoScroll);
    m_bTimerRunning = FALSE;
}

void CContentView::PressButton(BOOL bDown) {
    if (bDown)
        m_bDownPushed = TRUE;
    else
        m_bUpPushed = TRUE;
    Invalidate(FALSE);
    ScrollLines(1, bDown, TRUE);
    // Started again when it already runs: the next step comes a whole period later.
    SetTimer(TimerAutoScroll, AutoScrollMs, nullptr);
    m_bTimerRunning = TRUE;
}

// ---- Messages -------------------------------------------------------------------------------

int CContentView::OnCreate(LPCREATESTRUCT lpcs) {
    if (CWnd::OnCreate(lpcs) == -1)
        return -1;
    UpdateScrollButtons(FALSE);
    return 0;
}

void CContentView::OnSize(UINT nType, int cx, int cy) {
    CWnd::OnSize(nType, cx, cy);
    UpdateScrollButtons(FALSE);
}

BOOL CContentView::OnEraseBkgnd(CDC*) {
    // The paint fills every pixel.
    return TRUE;
}

void CContentView::DrawItem(CDC* pDC, int nIndex, BOOL bHot, BOOL bSelected) {
    const SCVItem& item = m_items[(size_t)nIndex];
    CRect image = GetImageRect(nIndex);
    pDC->SetTextColor(bHot || bSelected ? m_crHotCaption : m_crCaption);
    pDC->SetBkMode(TRANSPARENT);
    CRect around = image;
    around.InflateRect(2, 2);
    pDC->FillSolidRect(&around, m_crBackground);
    CPoint at = image.TopLeft();
    if (bSelected)
        at.Offset(1, 1);
    if (CImageList* pList = GetImageList()) {
        int nImage = m_bIconLayout ? item.nIconImage : item.nRowImage;
        if (nImage >= 0 && pList->GetSafeHandle() != nullptr)
            pList->Draw(pDC, nImage, at, ILD_TRANSPARENT);
    }
    if (bHot || bSelected) {
        CRect frame = image;
        frame.InflateRect(1, 1);
        if (bSelected)
            pDC->Draw3dRect(&frame, m_crShadow, m_crHighlight);
        else
            pDC->Draw3dRect(&frame, m_crHighlight, m_crShadow);
    }
    CRect content;
    GetContentRect(&content);
    if (m_bIconLayout) {
        CRect band(content.left, image.bottom + kIconCaptionGap, content.right,
                   image.bottom + kIconCaptionBandEnd);
        pDC->DrawText(item.strCaption, &band,
                      DT_SINGLELINE | DT_CENTER | DT_WORD_ELLIPSIS | DT_NOPREFIX);
    } else {
        CRect band(image.right + kRowCaptionGap, image.top, content.right, image.bottom);
        pDC->DrawText(item.strCaption, &band,
                      DT_SINGLELINE | DT_LEFT | DT_VCENTER | DT_WORD_ELLIPSIS | DT_NOPREFIX);
    }
}

void CContentView::OnPaint() {
    CPaintDC dc(this);
    CBufferDC buffer(&dc, this);
    CRect client;
    GetClientRect(&client);
    buffer.FillSolidRect(&client, m_crBackground);
    CFont* pOldFont = static_cast<CFont*>(buffer.SelectStockObject(DEFAULT_GUI_FONT));
    int pitch = Pitch();
    for (int i = m_nFirstVisible; i < GetItemCount(); ++i) {
        // Items below the window's bottom edge would draw nothing.
        if (pitch > 0 && GetImageRect(i).top > client.bottom)
            break;
        DrawItem(&buffer, i, i == m_nHot, i == m_nSelected);
    }
    buffer.SelectObject(pOldFont);
    if (m_bUpShown) {
        CRect rc = GetUpButtonRect();
        buffer.DrawFrameControl(&rc, DFC_SCROLL, DFCS_SCROLLUP | (m_bUpPushed ? DFCS_PUSHED : 0));
    }
    if (m_bDownShown) {
        CRect rc = GetDownButtonRect();
        buffer.DrawFrameControl(&rc, DFC_SCROLL,
                                DFCS_SCROLLDOWN | (m_bDownPushed ? DFCS_PUSHED : 0));
    }
    buffer.Flush();
}

void CContentView::OnLButtonDown(UINT, CPoint point) {
    int index = -1;
    switch (HitTest(point, &index)) {
    case HitImage:
        if (index != m_nSelected)
            SetCurSel(index);
        break;
    case HitUpButton:
        PressButton(FALSE);
        break;
    case HitDownButton:
        PressButton(TRUE);
        break;
    default:
        break;
    }
    SetFocus();
    SetCapture();
    m_bMouseDown = TRUE;
}

void CContentView::OnLButtonUp(UINT, CPoint) {
    if (m_bUpPushed || m_bDownPushed)
        Invalidate(FALSE);
    m_bUpPushed = m_bDownPushed = FALSE;
    StopAutoScroll();
    BOOL bHeld = m_bMouseDown;
    m_bMouseDown = FALSE;
    if (bHeld && GetCapture() == this)
        ReleaseCapture();
}

void CContentView::OnCaptureChanged(CWnd* pWnd) {
    // Someone else took the mouse (a dialog, say): the button-up will not come here.
    if (pWnd != this && m_bMouseDown) {
        if (m_bUpPushed || m_bDownPushed)
            Invalidate(FALSE);
        m_bUpPushed = m_bDownPushed = FALSE;
        StopAutoScroll();
        m_bMouseDown = FALSE;
    }
    CWnd::OnCaptureChanged(pWnd);
}

void CContentView::OnLButtonDblClk(UINT nFlags, CPoint point) {
    int index = -1;
    int hit = HitTest(point, &index);
    if (hit == HitImage) {
        Notify(NotifyActivated, (LPARAM)m_nSelected);
    } else if (hit == HitUpButton || hit == HitDownButton) {
        // A quick second click on an arrow scrolls again.
        OnLButtonDown(nFlags, point);
    }
}

void CContentView::OnMouseMove(UINT, CPoint point) {
    if (m_bMouseDown)
        return;
    int index = -1;
    int hot = HitTest(point, &index) == HitImage ? index : -1;
    if (hot != m_nHot) {
        m_nHot = hot;
        Invalidate(FALSE);
    }
}

BOOL CContentView::OnMouseWheel(UINT, short zDelta, CPoint) {
    int rows = (zDelta < 0 ? -zDelta : zDelta) / kWheelDelta;
    if (rows > 0)
        ScrollLines(rows, zDelta < 0, TRUE);
    return TRUE;
}

void CContentView::OnRButtonDown(UINT, CPoint) {
    SetFocus();
}

void CContentView::OnRButtonUp(UINT, CPoint) {}

void CContentView::OnRButtonDblClk(UINT, CPoint) {
    ToggleLayout();
}

void CContentView::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) {
    int first = 0, last = 0, rows = 0;
    switch (nChar) {
    case VK_PRIOR:
    case VK_NEXT:
        GetVisibleRows(first, last, rows);
        ScrollLines(std::max(1, last - first + 1), nChar == VK_NEXT, TRUE);
        break;
    case VK_UP:
    case VK_DOWN:
        ScrollLines(1, nChar == VK_DOWN, TRUE);
        break;
    default:
        CWnd::OnKeyDown(nChar, nRepCnt, nFlags);
        break;
    }
}

void CContentView::OnTimer(UINT_PTR nIDEvent) {
    if (nIDEvent != TimerAutoScroll) {
        CWnd::OnTimer(nIDEvent);
        return;
    }
    if (!m_bUpPushed && !m_bDownPushed) {
        StopAutoScroll();
        return;
    }
    if (ScrollLines(1, m_bDownPushed, TRUE) == 0)
        StopAutoScroll();
}

void CContentView::OnDestroy() {
    StopAutoScroll();
    CWnd::OnDestroy();
}

UINT CContentView::OnGetDlgCode() {
    return DLGC_WANTARROWS;
}
