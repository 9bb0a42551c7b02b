#include "ui/ImageWnd.h"

#include "platform/base/OsPath.h"
#include "platform/gui/Controls.h"

#include <QImageReader>

#include <algorithm>

double FitImageInRect(CSize image, const RECT& target, CRect* pPlace) {
    const int tw = target.right - target.left, th = target.bottom - target.top;
    double sx = tw > 0 ? (double)image.cx / tw : 0, sy = th > 0 ? (double)image.cy / th : 0;
    double s = std::max(sx, sy);
    CSize size = image;
    double scale = 1;
    if (s > 1) {
        size = CSize((int)(image.cx / s), (int)(image.cy / s));
        scale = 1 / s;
    }
    if (pPlace)
        *pPlace = CRect(CPoint(target.left + (tw - size.cx) / 2, target.top + (th - size.cy) / 2),
                        size);
    return scale;
}

// ---- CImageWnd ------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CImageWnd, CWnd)
ON_WM_PAINT()
ON_WM_HSCROLL()
ON_WM_VSCROLL()
END_MESSAGE_MAP()

CImageWnd* CImageWnd::Create() {
    return new CImageWnd;
}

CImageWnd::CImageWnd()
    : m_scrollBarWidth(GetSystemMetrics(SM_CXVSCROLL)), m_scrollArea(this) {}

CImageWnd::~CImageWnd() = default;

namespace {
// The size a picture file declares, without reading its pixels; empty when it tells none.
CSize DeclaredImageSize(LPCTSTR lpszPath) {
    QImageReader reader(QString::fromStdString(OsPathFromProgramPath(lpszPath)));
    reader.setDecideFormatFromContent(true);
    const QSize size = reader.size();
    return size.isValid() ? CSize(size.width(), size.height()) : CSize(0, 0);
}
} // namespace

BOOL CImageWnd::LoadImage(LPCTSTR lpszPath) {
    m_image.Destroy();
    m_path = lpszPath ? lpszPath : "";
    CRect client;
    if (m_hWnd)
        GetClientRect(&client);
    BOOL loaded;
    if ((m_style & IWS_FIT) && client.Width() > 0 && client.Height() > 0)
        loaded = SUCCEEDED(m_image.Load(m_path, client.Width(), client.Height()));
    else
        loaded = SUCCEEDED(m_image.Load(m_path));
    m_fullSize = CSize(0, 0);
    if (loaded) {
        m_zoom = 0;
        m_fullSize = DeclaredImageSize(m_path);
        // A picture whose size cannot be told beforehand was read whole.
        if (m_fullSize.cx < m_image.GetWidth() || m_fullSize.cy < m_image.GetHeight())
            m_fullSize = CSize(m_image.GetWidth(), m_image.GetHeight());
    }
    m_mode = 2;
    UpdateScrollBars(TRUE);
    return loaded;
}

void CImageWnd::EnsureResolution() {
    if (m_mode != 2 || m_image.IsNull() || !m_hWnd)
        return;
    const CSize held(m_image.GetWidth(), m_image.GetHeight());
    if (held == m_fullSize)
        return;
    CRect client;
    GetClientRect(&client);
    CRect place;
    FitImageInRect(m_fullSize, client, &place);
    if (m_style & IWS_FIT) {
        if (place.Width() <= held.cx && place.Height() <= held.cy)
            return;
        m_image.Load(m_path, client.Width(), client.Height());
    } else {
        m_image.Load(m_path);
    }
    // A file that went away in the meantime leaves nothing to show.
    if (!m_image.IsNull() && m_fullSize.cx < m_image.GetWidth())
        m_fullSize = CSize(m_image.GetWidth(), m_image.GetHeight());
}

void CImageWnd::Clear() {
    m_mode = 0;
    UpdateScrollBars(FALSE);
}

double CImageWnd::GetZoom() {
    if (!(m_style & IWS_FIT))
        return 1;
    if (m_mode != 2 || m_image.IsNull())
        return 0;
    CRect client;
    GetClientRect(&client);
    return FitImageInRect(m_fullSize, client, nullptr);
}

void CImageWnd::UpdateScrollBars(BOOL bRedraw) {
    m_scrollX = m_scrollY = 0;
    if (!m_hWnd)
        return;
    SCROLLINFO none{sizeof none, SIF_RANGE | SIF_PAGE | SIF_POS, 0, 0, 0, 0, 0};
    SetScrollInfo(SB_HORZ, &none, FALSE);
    SetScrollInfo(SB_VERT, &none, FALSE);
    ShowScrollBar(SB_BOTH, FALSE);
    EnsureResolution();
    if (m_mode == 2 && !m_image.IsNull() && !(m_style & IWS_FIT)) {
        CRect client;
        GetClientRect(&client);
        int cw = client.Width(), ch = client.Height();
        const int W = m_image.GetWidth(), H = m_image.GetHeight();
        // A bar along one edge takes room from the other direction.
        bool widthFits = cw >= W;
        if (!widthFits)
            ch -= m_scrollBarWidth;
        bool heightFits = ch >= H;
        if (!heightFits) {
            cw -= m_scrollBarWidth;
            bool before = widthFits;
            widthFits = cw >= W;
            if (before && !widthFits)
                ch -= m_scrollBarWidth;
        }
        auto show = [this](int nBar, int total, int page) {
            ShowScrollBar(nBar, TRUE);
            SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS, 0, total - 1,
                          (UINT)std::max(0, page), 0, 0};
            SetScrollInfo(nBar, &si, FALSE);
        };
        if (widthFits)
            m_scrollX = -(cw - W) / 2;
        else
            show(SB_HORZ, W, cw);
        if (heightFits)
            m_scrollY = -(ch - H) / 2;
        else
            show(SB_VERT, H, ch);
    }
    m_scrollArea.ShowBars();
    if (bRedraw)
        Invalidate();
}

void CImageWnd::OnPaint() {
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    if (m_mode == 1) {
        m_bitmap.Draw(&dc, 0, 0, SRCCOPY);
        m_zoom = 1;
        return;
    }
    if (m_mode != 2)
        return;
    EnsureResolution();
    if (m_image.IsNull()) {
        CFont* font = GetFont();
        CFont* old = font ? dc.SelectObject(font) : nullptr;
        dc.SetBkMode(TRANSPARENT);
        dc.DrawText(m_emptyText, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        if (old)
            dc.SelectObject(old);
        return;
    }
    const int W = m_image.GetWidth(), H = m_image.GetHeight();
    CRect place;
    double scale = FitImageInRect(CSize(W, H), client, &place);
    if (scale < 1 && (m_style & IWS_FIT)) {
        dc.SetStretchBltMode(COLORONCOLOR);
        m_image.StretchBlt(dc.m_hDC, place.left, place.top, place.Width(), place.Height());
        m_zoom = FitImageInRect(m_fullSize, client, nullptr);
    } else if (scale < 1) {
        // The client-sized part at the scroll offsets; a negative offset centres a dimension the
        // picture does not fill, and only the picture's own pixels are copied.
        CRect source(CPoint(m_scrollX, m_scrollY), client.Size());
        CRect part;
        part.IntersectRect(&source, CRect(0, 0, W, H));
        if (!part.IsRectEmpty())
            m_image.BitBlt(dc.m_hDC, part.left - m_scrollX, part.top - m_scrollY, part.Width(),
                           part.Height(), part.left, part.top);
        m_zoom = 1;
    } else {
        m_image.BitBlt(dc.m_hDC, place.left, place.top);
        // A fitted picture may be held at the window's size already.
        m_zoom = (m_style & IWS_FIT) ? FitImageInRect(m_fullSize, client, nullptr) : 1;
    }
}

void CImageWnd::OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar) {
    UINT code = 0;
    if (CScrollArea::OwnBarCode(SB_HORZ, nSBCode, pScrollBar, code))
        Scroll(SB_HORZ, nSBCode, nPos);
}

void CImageWnd::OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar) {
    UINT code = 0;
    if (CScrollArea::OwnBarCode(SB_VERT, nSBCode, pScrollBar, code))
        Scroll(SB_VERT, nSBCode, nPos);
}

void CImageWnd::Scroll(int nBar, UINT nSBCode, UINT nPos) {
    if (m_mode != 2 || m_image.IsNull())
        return;
    CRect client;
    GetClientRect(&client);
    const bool horz = nBar == SB_HORZ;
    // A direction without a bar shows all there is (or is fitted): it does not move.
    if (!(GetStyle() & (horz ? WS_HSCROLL : WS_VSCROLL)))
        return;
    int& offset = horz ? m_scrollX : m_scrollY;
    const int limit = std::max(0, horz ? m_image.GetWidth() - client.Width()
                                       : m_image.GetHeight() - client.Height());
    long long next = offset;
    switch (nSBCode) {
    case SB_LINEUP:
        next -= 1;
        break;
    case SB_LINEDOWN:
        next += 1;
        break;
    case SB_PAGEUP:
        next -= 20;
        break;
    case SB_PAGEDOWN:
        next += 20;
        break;
    case SB_TOP:
        next = 0;
        break;
    case SB_BOTTOM:
        next = limit;
        break;
    case SB_THUMBTRACK: {
        SCROLLINFO si{sizeof si, SIF_TRACKPOS, 0, 0, 0, 0, 0};
        next = GetScrollInfo(nBar, &si, SIF_TRACKPOS) ? si.nTrackPos : (int)nPos;
        break;
    }
    case SB_THUMBPOSITION:
        next = (int)nPos;
        break;
    default:
        return;
    }
    offset = (int)std::clamp<long long>(next, 0, limit);
    SetScrollPos(nBar, offset);
    m_scrollArea.ShowBars();
    Invalidate();
}

BOOL CImageWnd::PreTranslateMessage(MSG* pMsg) {
    // The owner page handles double-clicks and context clicks on the picture.
    if ((pMsg->message == WM_LBUTTONDBLCLK || pMsg->message == WM_RBUTTONUP) && m_hWnd &&
        pMsg->hwnd == m_hWnd) {
        if (CWnd* parent = GetParent()) {
            CPoint pt((short)LOWORD(pMsg->lParam), (short)HIWORD(pMsg->lParam));
            MapWindowPoints(parent, &pt, 1);
            parent->SendMessage(pMsg->message, pMsg->wParam, MAKELPARAM(pt.x, pt.y));
            return TRUE;
        }
    }
    return CWnd::PreTranslateMessage(pMsg);
}
