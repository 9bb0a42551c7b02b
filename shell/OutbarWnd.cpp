#include "shell/OutbarWnd.h"

#include "ui/DrawHelpers.h"

#include "platform/base/Archive.h"
#include "platform/gui/Dialog.h"
#include "platform/gui/Frame.h"
#include "platform/gui/Icon.h"

#include <algorithm>

IMPLEMENT_DYNCREATE(COutbarWnd, CWnd)

int COutbarWnd::s_nHotButton = -1;

namespace {

// The bar whose button is hot: the index is one value for all bars, and only the bar that has
// the mouse paints it.
COutbarWnd* g_pHotBar = nullptr;

const CString g_strNoCaption;

constexpr COLORREF kHotCaption = RGB(0, 0, 255);
constexpr COLORREF kModernCaption = RGB(14, 25, 106);
constexpr COLORREF kTabCaption = RGB(7, 30, 129);
constexpr COLORREF kTabFrom = RGB(238, 246, 254);
constexpr COLORREF kTabTo = RGB(183, 214, 245);
constexpr COLORREF kTabToHot = RGB(227, 240, 255);
constexpr COLORREF kTabSelectedFrom = RGB(169, 217, 255);
constexpr COLORREF kTabLine = RGB(35, 103, 195);

// The modern drawer's button frames: light blue tones from RGB(46, 104, 212) up to white.
struct ModernPalette {
    COLORREF border, top, bottom, bottomActive, corner, cornerEdge, line1, line2, sideFrom, sideTo;
};
constexpr ModernPalette kModernNormal = {RGB(120, 160, 220), RGB(255, 255, 255), RGB(214, 229, 250),
                                         RGB(214, 229, 250), RGB(170, 198, 236), RGB(222, 233, 250),
                                         RGB(178, 203, 240), RGB(150, 183, 232), RGB(240, 246, 255),
                                         RGB(196, 216, 245)};
constexpr ModernPalette kModernHot = {RGB(46, 104, 212),  RGB(255, 255, 255), RGB(130, 178, 246),
                                      RGB(130, 178, 246), RGB(100, 148, 226), RGB(196, 216, 248),
                                      RGB(120, 165, 232), RGB(82, 132, 220),  RGB(232, 241, 255),
                                      RGB(140, 180, 240)};

} // namespace

BEGIN_MESSAGE_MAP(COutbarWnd, CWnd)
ON_WM_PAINT()
ON_WM_ERASEBKGND()
ON_WM_LBUTTONDOWN()
ON_WM_MOUSEMOVE()
ON_WM_SETCURSOR()
ON_WM_SIZE()
ON_WM_SETFOCUS()
ON_WM_ENABLE()
ON_WM_DESTROY()
END_MESSAGE_MAP()

COutbarWnd::COutbarWnd(int nStyle) {
    SetStyle(nStyle);
}

COutbarWnd::~COutbarWnd() {
    if (m_hWnd)
        DestroyWindow();
    if (m_hCursor && !m_bSharedCursor)
        DestroyCursor(m_hCursor);
    if (g_pHotBar == this) {
        g_pHotBar = nullptr;
        s_nHotButton = -1;
    }
}

BOOL COutbarWnd::Create(CWnd* pParentWnd, DWORD dwStyle, UINT nID) {
    dwStyle &= ~(WS_BORDER | WS_HSCROLL | WS_VSCROLL);
    return CWnd::Create("AfxMDIFrame90s", nullptr, dwStyle | WS_CHILD | WS_VISIBLE,
                        CRect(0, 0, 0, 0), pParentWnd, nID);
}

void COutbarWnd::SetStyle(int nStyle) {
    m_nStyle = nStyle;
    switch (nStyle) {
    case StyleDrawer:
    case StyleModernDrawer:
        m_nButtonHeight = DrawerButtonHeight;
        m_nTabWidth = 0;
        break;
    case StyleTabs:
        m_nButtonHeight = TabHeight;
        m_nTabWidth = TabStripWidth;
        break;
    default:
        m_nButtonHeight = 0;
        m_nTabWidth = 0;
        break;
    }
}

const CString& COutbarWnd::GetFolderCaption(int i) const {
    if (i < 0 || i >= m_nFolders)
        return g_strNoCaption;
    return m_folders[(size_t)i].strCaption;
}

CWnd* COutbarWnd::AddFolderView(CRuntimeClass* pClass, CCreateContext* pContext,
                                LPCTSTR lpszCaption, int nImage) {
    const int index = m_nFolders;
    if (!m_hWnd || !pClass || GetDlgItem((int)FolderViewId(index)))
        return nullptr;
    CCreateContext context;
    if (pContext)
        context = *pContext;
    context.m_pNewViewClass = pClass;
    CRect area;
    GetFolderArea(area);
    CWnd* pWnd = CView::CreateFromContext(&context, this, FolderViewId(index), WS_CHILD, area);
    if (!pWnd)
        return nullptr;
    pWnd->SendMessage(WM_INITIALUPDATE);
    AppendFolder(pWnd, lpszCaption, nImage, TRUE);
    return pWnd;
}

void COutbarWnd::AppendFolder(CWnd* pWnd, LPCTSTR lpszCaption, int nImage, BOOL bView) {
    pWnd->ShowWindow(SW_HIDE);
    CFolderInfo info;
    info.nIndex = m_nFolders;
    info.strCaption = lpszCaption ? lpszCaption : "";
    info.nImage = nImage;
    info.bView = bView ? 1 : 0;
    info.pWnd = bView ? nullptr : pWnd;
    info.hWnd = bView ? nullptr : pWnd->GetSafeHwnd();
    m_folders.push_back(info);
    ++m_nFolders;
}

CWnd* COutbarWnd::AddFolderPage(CRuntimeClass* pClass, CCreateContext* pContext,
                                LPCTSTR lpszCaption, UINT nID, CWnd* pParent, int nImage) {
    if (!pClass || !pParent || !pParent->GetSafeHwnd())
        return nullptr;
    CWnd* pWnd = nullptr;
    if (pClass->IsDerivedFrom(RUNTIME_CLASS(CDialog))) {
        // A page made from a dialog template: the class's constructor names the template.
        CDialog* pDialog = nullptr;
        try {
            pDialog = dynamic_cast<CDialog*>(pClass->CreateObject());
        } catch (...) {
            return nullptr;
        }
        if (!pDialog)
            return nullptr;
        if (!pDialog->m_nIDTemplate || !pDialog->Create(pDialog->m_nIDTemplate, pParent)) {
            delete pDialog;
            return nullptr;
        }
        pDialog->ModifyStyle(WS_POPUP | WS_CAPTION | WS_VISIBLE, WS_CHILD);
        pDialog->SetDlgCtrlID((int)nID);
        pWnd = pDialog;
    } else {
        CCreateContext context;
        if (pContext)
            context = *pContext;
        context.m_pNewViewClass = pClass;
        pWnd = CView::CreateFromContext(&context, pParent, nID, WS_CHILD, CRect(0, 0, 0, 0));
        if (!pWnd)
            return nullptr;
    }
    AppendFolder(pWnd, lpszCaption, nImage, FALSE);
    return pWnd;
}

CWnd* COutbarWnd::GetFolderWnd(int i) const {
    if (i < 0 || i >= m_nFolders)
        return nullptr;
    const CFolderInfo& info = m_folders[(size_t)i];
    if (info.bView)
        return m_hWnd ? GetDlgItem((int)FolderViewId(i)) : nullptr;
    CWnd* pWnd = info.hWnd ? CWnd::FromHandlePermanent(info.hWnd) : nullptr;
    return pWnd == info.pWnd ? pWnd : nullptr;
}

void COutbarWnd::SetFolderCaption(int i, LPCTSTR lpszCaption, BOOL bRelayout) {
    if (i < 0 || i >= m_nFolders)
        return;
    m_folders[(size_t)i].strCaption = lpszCaption ? lpszCaption : "";
    if (bRelayout)
        LayoutFolderWnds();
}

void COutbarWnd::EnableFolder(int i, BOOL bEnable) {
    if (i < 0 || i >= m_nFolders)
        return;
    m_folders[(size_t)i].bDisabled = bEnable ? 0 : 1;
    if (m_hWnd)
        Invalidate();
}

BOOL COutbarWnd::IsFolderEnabled(int i) const {
    return i >= 0 && i < m_nFolders && !m_folders[(size_t)i].bDisabled;
}

BOOL COutbarWnd::SelectFolder(int i, BOOL bNotify) {
    if (i != m_nSelFolder) {
        if (!IsFolderEnabled(i))
            return FALSE;
        const int old = m_nSelFolder;
        if (CWnd* pOld = GetFolderWnd(old); pOld && pOld->GetSafeHwnd())
            pOld->SendMessage(WM_OUTBAR_FOLDER, OUTBAR_FOLDER_DEACTIVATED, old);
        m_nSelFolder = i;
        LayoutFolderWnds();
        ActivateFolderWnd(i);
    }
    if (bNotify)
        if (CWnd* pWnd = GetFolderWnd(i); pWnd && pWnd->GetSafeHwnd())
            pWnd->SendMessage(WM_OUTBAR_FOLDER, OUTBAR_FOLDER_ACTIVATED, i);
    OnFolderChanged(i);
    return TRUE;
}

void COutbarWnd::ShowFolderOf(CWnd* pWnd) {
    for (int i = 0; pWnd != nullptr && i < GetFolderCount(); ++i)
        if (GetFolderWnd(i) == pWnd) {
            if (i != m_nSelFolder)
                SelectFolder(i, FALSE);
            return;
        }
}

void COutbarWnd::ActivateFolderWnd(int i) {
    CWnd* pWnd = GetFolderWnd(i);
    if (!pWnd || !pWnd->GetSafeHwnd())
        return;
    CFrameWnd* pFrame = m_hWnd ? GetParentFrame() : nullptr;
    if (auto* pView = dynamic_cast<CView*>(pWnd); pView && pFrame) {
        pFrame->SetActiveView(pView);
        return;
    }
    if (pFrame)
        pFrame->SetActiveView(nullptr);
    pWnd->SetFocus();
}

void COutbarWnd::LayoutFolderWnds() {
    for (int i = 0; i < m_nFolders; ++i)
        if (CWnd* pWnd = GetFolderWnd(i); pWnd && pWnd->GetSafeHwnd())
            pWnd->ShowWindow(SW_HIDE);
    if (!m_hWnd)
        return;
    for (int i = 0; i < m_nFolders; ++i) {
        CRect button;
        if (GetButtonRect(i, button))
            DrawFolderButton(nullptr, button, i, FALSE);
    }
    CWnd* pSel = GetSelFolderWnd();
    if (!pSel || !pSel->GetSafeHwnd())
        return;
    CRect area;
    GetFolderArea(area);
    CWnd* pParent = pSel->GetParent();
    if (pParent && pParent != this)
        MapWindowPoints(pParent, &area);
    pSel->MoveWindow(&area);
    pSel->ShowWindow(SW_SHOW);
}

HCURSOR COutbarWnd::SetCursorHandle(HCURSOR hCursor, BOOL bShared) {
    HCURSOR hOld = m_hCursor;
    m_hCursor = hCursor;
    m_bSharedCursor = bShared;
    return hOld;
}

void COutbarWnd::GetBaseRect(CRect& rect) const {
    if (m_hWnd)
        GetClientRect(&rect);
    else
        rect.SetRectEmpty();
    rect.DeflateRect(m_cxMargin, m_cyMargin);
}

void COutbarWnd::GetFolderArea(CRect& rect) const {
    GetBaseRect(rect);
    switch (m_nStyle) {
    case StyleDrawer:
    case StyleModernDrawer: {
        const int s = m_nSelFolder;
        const int bottom = rect.bottom - (m_nFolders - s - 1) * m_nButtonHeight;
        rect.top += (s + 1) * m_nButtonHeight;
        rect.bottom = bottom;
        break;
    }
    case StyleTabs:
        rect.left += m_nTabWidth;
        break;
    default:
        break;
    }
}

BOOL COutbarWnd::GetButtonRect(int i, CRect& rect) const {
    // The single window (and a look the bar does not know) has no buttons.
    if (i < 0 || i >= m_nFolders || m_nButtonHeight <= 0)
        return FALSE;
    CRect base;
    GetBaseRect(base);
    rect = base;
    if (m_nStyle == StyleTabs) {
        rect.top = base.top + i * m_nButtonHeight;
        rect.bottom = rect.top + m_nButtonHeight;
        rect.right = base.left + m_nTabWidth;
    } else if (i > m_nSelFolder) {
        rect.bottom = base.bottom - (m_nFolders - i - 1) * m_nButtonHeight;
        rect.top = rect.bottom - m_nButtonHeight;
    } else {
        rect.top = base.top + i * m_nButtonHeight;
        rect.bottom = rect.top + m_nButtonHeight;
    }
    return TRUE;
}

int COutbarWnd::HitTest(CPoint point) const {
    CRect area;
    GetFolderArea(area);
    if (m_nSelFolder >= 0 && area.PtInRect(point))
        return HitFolderArea;
    CRect base;
    GetBaseRect(base);
    int index = -1;
    switch (m_nStyle) {
    case StyleDrawer:
    case StyleModernDrawer:
        if (point.y < area.top)
            index = (point.y - base.top) / m_nButtonHeight;
        else if (point.y >= area.bottom)
            index = m_nFolders - (base.bottom - point.y - 1) / m_nButtonHeight - 1;
        break;
    case StyleTabs:
        if (point.y >= base.top + 2)
            index = (point.y - base.top - 2) / m_nButtonHeight;
        break;
    default:
        break;
    }
    CRect button;
    if (index >= 0 && index < m_nFolders && GetButtonRect(index, button) && button.PtInRect(point))
        return index;
    return HitNothing;
}

BOOL COutbarWnd::IsDrawn(int i) const {
    return i >= 0 && i < m_nFolders && m_nButtonHeight > 0;
}

COLORREF COutbarWnd::DisabledText() const {
    return GetSysColor(COLOR_GRAYTEXT);
}

CFont* COutbarWnd::GetBoldFont() {
    if (!m_boldFont.GetSafeHandle()) {
        LOGFONT lf{};
        CFont::FromHandle((HFONT)GetStockObject(DEFAULT_GUI_FONT))->GetLogFont(&lf);
        lf.lfWeight = 700;
        m_boldFont.CreateFontIndirect(&lf);
    }
    return &m_boldFont;
}

CFont* COutbarWnd::GetVerticalFont() {
    // Shared by every bar for the rest of the run.
    static CFont font;
    if (!font.GetSafeHandle()) {
        LOGFONT lf{};
        CFont::FromHandle((HFONT)GetStockObject(DEFAULT_GUI_FONT))->GetLogFont(&lf);
        lf.lfEscapement = 900;
        lf.lfOrientation = 900;
        lf.lfClipPrecision |= CLIP_LH_ANGLES;
        font.CreateFontIndirect(&lf);
    }
    return &font;
}

void COutbarWnd::DrawFolderButton(CDC* pDC, const CRect& rect, int i, BOOL bHot) {
    if (!pDC) {
        if (m_hWnd)
            InvalidateRect(&rect, FALSE);
        return;
    }
    if (!IsDrawn(i))
        return;
    switch (m_nStyle) {
    case StyleDrawer:
        DrawDrawerButton(pDC, rect, i, bHot);
        break;
    case StyleModernDrawer:
        DrawModernButton(pDC, rect, i, bHot);
        break;
    case StyleTabs:
        DrawTabButton(pDC, rect, i, bHot);
        break;
    default:
        break;
    }
}

void COutbarWnd::DrawDrawerButton(CDC* pDC, const CRect& rect, int i, BOOL bHot) {
    CRect r(rect);
    pDC->FillSolidRect(&r, GetSysColor(COLOR_BTNFACE));
    pDC->Draw3dRect(&r, GetSysColor(COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_3DDKSHADOW));
    r.DeflateRect(1, 1);
    pDC->Draw3dRect(&r, GetSysColor(COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_BTNSHADOW));
    COLORREF text = bHot ? kHotCaption : GetSysColor(COLOR_WINDOWTEXT);
    if (!m_bEnabled || !IsFolderEnabled(i))
        text = DisabledText();
    CFont* pOld = pDC->SelectObject(GetBoldFont());
    pDC->SetBkMode(TRANSPARENT);
    pDC->SetTextColor(text);
    CRect t(rect);
    pDC->DrawText(m_folders[(size_t)i].strCaption, &t,
                  DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    pDC->SelectObject(pOld);
}

void COutbarWnd::DrawModernButton(CDC* pDC, const CRect& rect, int i, BOOL bHot) {
    const ModernPalette& p = bHot ? kModernHot : kModernNormal;
    pDC->FillSolidRect(&rect, RGB(255, 255, 255));
    DrawRoundGradientBox(pDC, rect, bHot, RGB(255, 255, 255), p.border, p.top, p.bottom,
                         p.bottomActive, p.corner, p.cornerEdge, p.line1, p.line2, p.sideFrom,
                         p.sideTo);
    const BOOL bEnabled = m_bEnabled && IsFolderEnabled(i);
    CFont* pOld = pDC->SelectObject(GetBoldFont());
    pDC->SetBkMode(TRANSPARENT);
    pDC->SetTextColor(bEnabled ? kModernCaption : DisabledText());
    CRect t(rect);
    pDC->DrawText(m_folders[(size_t)i].strCaption, &t,
                  DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    pDC->SelectObject(pOld);
}

void COutbarWnd::DrawTabStrip(CDC* pDC) {
    CRect base;
    GetBaseRect(base);
    CRect strip(base.left, base.top, base.left + m_nTabWidth, base.bottom);
    DrawGradientRect(pDC, strip, TRUE, kTabFrom, kTabTo);
    // Light edge lines along both sides of the strip.
    DrawLineGdiPlus(pDC, CPoint(strip.left, strip.top), CPoint(strip.left, strip.bottom - 1),
                    RGB(255, 255, 255));
    DrawLineGdiPlus(pDC, CPoint(strip.right - 1, strip.top),
                    CPoint(strip.right - 1, strip.bottom - 1), RGB(214, 232, 250));
}

void COutbarWnd::DrawTabButton(CDC* pDC, const CRect& rect, int i, BOOL bHot) {
    const bool selected = i == m_nSelFolder;
    CRect r(rect);
    if (selected) {
        r.right += 1; // the selected tab reaches one pixel into the folder area
        DrawGradientRect(pDC, r, TRUE, kTabSelectedFrom, RGB(255, 255, 255));
    } else {
        DrawGradientRect(pDC, r, TRUE, kTabFrom, bHot ? kTabToHot : kTabTo);
        DrawLineGdiPlus(pDC, CPoint(r.left, r.top), CPoint(r.left, r.bottom - 1),
                        RGB(255, 255, 255));
    }
    DrawLineGdiPlus(pDC, CPoint(r.left, r.bottom - 1), CPoint(r.right - 1, r.bottom - 1), kTabLine);

    COLORREF text = (bHot && !selected) ? kHotCaption : kTabCaption;
    if (!m_bEnabled || !IsFolderEnabled(i))
        text = DisabledText();
    CFont* pOld = pDC->SelectObject(GetVerticalFont());
    pDC->SetBkMode(TRANSPARENT);
    pDC->SetTextColor(text);
    const CString& caption = m_folders[(size_t)i].strCaption;
    // Turned a quarter, the text runs upwards from its start: its length goes along the tab and
    // its height across it.
    CSize extent = pDC->GetTextExtent(caption);
    const int x = rect.left + (rect.Width() - extent.cy) / 2;
    const int y = rect.top + (rect.Height() + extent.cx) / 2;
    pDC->TextOut(x, y, caption);
    pDC->SelectObject(pOld);
}

void COutbarWnd::OnPaint() {
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    if (m_nButtonHeight <= 0)
        return;
    if (m_nStyle == StyleModernDrawer)
        dc.FillSolidRect(&client, RGB(255, 255, 255));
    else if (m_nStyle == StyleDrawer)
        dc.FillSolidRect(&client, GetSysColor(COLOR_BTNFACE));
    if (m_nStyle == StyleTabs) {
        // Only the strip is the bar's own; the rest is the folder's window.
        dc.IntersectClipRect(client.left, client.top, client.left + m_nTabWidth + 1, client.bottom);
        DrawTabStrip(&dc);
    }
    for (int i = 0; i < m_nFolders; ++i) {
        CRect button;
        if (GetButtonRect(i, button))
            DrawFolderButton(&dc, button, i, g_pHotBar == this && s_nHotButton == i);
    }
}

BOOL COutbarWnd::OnEraseBkgnd(CDC* pDC) {
    if (m_nButtonHeight <= 0)
        return CWnd::OnEraseBkgnd(pDC);
    return TRUE;
}

void COutbarWnd::OnLButtonDown(UINT nFlags, CPoint point) {
    CWnd::OnLButtonDown(nFlags, point);
    if (m_bMouseLock)
        return;
    const int hit = HitTest(point);
    if (hit >= 0 && hit < m_nFolders)
        SelectFolder(hit, TRUE);
}

void COutbarWnd::OnMouseMove(UINT nFlags, CPoint point) {
    CWnd::OnMouseMove(nFlags, point);
    int hit = HitTest(point);
    if (hit < 0 || hit >= m_nFolders)
        hit = -1;
    const int old = g_pHotBar == this ? s_nHotButton : -1;
    if (hit == old)
        return;
    CRect r;
    if (hit < 0) {
        if (GetCapture() == this)
            ReleaseCapture();
        s_nHotButton = -1;
        g_pHotBar = nullptr;
        if (GetButtonRect(old, r))
            DrawFolderButton(nullptr, r, old, FALSE);
        return;
    }
    if (GetCapture() != this)
        SetCapture();
    if (m_hCursor)
        ::SetCursor(m_hCursor);
    s_nHotButton = hit;
    g_pHotBar = this;
    if (GetButtonRect(old, r))
        DrawFolderButton(nullptr, r, old, FALSE);
    if (GetButtonRect(hit, r))
        DrawFolderButton(nullptr, r, hit, TRUE);
}

BOOL COutbarWnd::OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message) {
    if (m_hCursor) {
        CPoint point;
        GetCursorPos(&point);
        ScreenToClient(&point);
        const int hit = HitTest(point);
        if (hit >= 0 && hit < m_nFolders) {
            ::SetCursor(m_hCursor);
            return TRUE;
        }
    }
    return CWnd::OnSetCursor(pWnd, nHitTest, message);
}

void COutbarWnd::OnSize(UINT nType, int cx, int cy) {
    CWnd::OnSize(nType, cx, cy);
    if (nType != SIZE_MINIMIZED && cx > 0 && cy > 0 && m_nSelFolder >= 0)
        LayoutFolderWnds();
}

void COutbarWnd::OnSetFocus(CWnd* pOldWnd) {
    CWnd::OnSetFocus(pOldWnd);
    if (CWnd* pSel = GetSelFolderWnd(); pSel && pSel->GetSafeHwnd())
        pSel->SetFocus();
}

void COutbarWnd::OnEnable(BOOL bEnable) {
    CWnd::OnEnable(bEnable);
    m_bEnabled = bEnable;
    Invalidate();
}

void COutbarWnd::OnDestroy() {
    if (g_pHotBar == this) {
        if (GetCapture() == this)
            ReleaseCapture();
        g_pHotBar = nullptr;
        s_nHotButton = -1;
    }
    CWnd::OnDestroy();
}

BOOL COutbarWnd::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
    if (CWnd* pSel = GetSelFolderWnd(); pSel && pSel->GetSafeHwnd())
        if (pSel->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
            return TRUE;
    return CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

void COutbarWnd::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        ar << m_nFolders;
        for (const CFolderInfo& info : m_folders) {
            ar << info.nIndex;
            ar << info.strCaption;
            ar << info.nImage;
            ar << info.bView;
            ar << (DWORD)0;
            ar << info.bDisabled;
        }
        return;
    }
    int count = 0;
    ar >> count;
    // Each folder takes at least 21 bytes: five integers and an empty caption's length.
    if (count < 0)
        AfxThrowArchiveException(CArchiveException::badIndex);
    ar.RequireBytes((ULONGLONG)count * 21);
    std::vector<CFolderInfo> folders((size_t)count);
    for (CFolderInfo& info : folders) {
        DWORD window = 0;
        ar >> info.nIndex;
        ar >> info.strCaption;
        ar >> info.nImage;
        ar >> info.bView;
        ar >> window; // never a window of this run
        ar >> info.bDisabled;
        info.pWnd = nullptr;
        info.hWnd = nullptr;
    }
    m_folders.swap(folders);
    m_nFolders = count;
    if (m_nSelFolder >= m_nFolders)
        m_nSelFolder = -1;
}
