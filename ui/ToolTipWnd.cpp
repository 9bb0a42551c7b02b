#include "ui/ToolTipWnd.h"

#include <QLinearGradient>
#include <QPainter>
#include <QTimer>

IMPLEMENT_DYNAMIC(CToolTipWnd, CWnd)

namespace {
// Only one delayed tip can be pending in the process.
CToolTipWnd* g_currentTip = nullptr;
} // namespace

CToolTipWnd::CToolTipWnd()
    : m_textColour(GetSysColor(COLOR_BTNTEXT)), m_frameColour(GetSysColor(COLOR_WINDOWFRAME)) {}

CToolTipWnd::~CToolTipWnd() {
    if (g_currentTip == this)
        g_currentTip = nullptr;
    delete m_timer;
}

CToolTipWnd* CToolTipWnd::GetCurrentTip() {
    return g_currentTip;
}

void CToolTipWnd::ShowTip(const CString& text, int x, int y, BOOL atPoint, BOOL delayed) {
    if (m_shown)
        HideTip();
    m_text = text;
    m_x = x;
    m_y = y;
    m_atPoint = atPoint;
    if (!delayed) {
        ShowNow();
        return;
    }
    g_currentTip = this;
    if (!m_timer) {
        m_timer = new QTimer;
        m_timer->setSingleShot(true);
        QObject::connect(m_timer, &QTimer::timeout, [this] {
            if (g_currentTip == this)
                ShowNow();
        });
    }
    m_timer->start((int)m_delay); // a second request restarts the wait with the new text
}

void CToolTipWnd::ShowNow() {
    if (m_timer)
        m_timer->stop();
    if (m_owner && m_owner->m_hWnd) {
        CClientDC dc(m_owner);
        DrawTip(&dc, m_text, CPoint(m_x, m_y), m_atPoint, m_gradient);
    } else {
        CRect screen(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
        QImage scratch(1, 1, QImage::Format_RGB32);
        CDC dc;
        dc.AttachImage(&scratch);
        m_tipRect = PlaceTip(&dc, m_text, CPoint(m_x, m_y), m_atPoint, screen);
    }
    m_shown = TRUE;
}

void CToolTipWnd::HideTip() {
    if (m_timer)
        m_timer->stop();
    if (!m_shown)
        return;
    if (m_owner && m_owner->m_hWnd) {
        m_owner->InvalidateRect(&m_tipRect, TRUE);
        m_owner->UpdateWindow();
    }
    m_shown = FALSE;
}

CRect CToolTipWnd::PlaceTip(CDC* pDC, const CString& text, CPoint anchor, BOOL atPoint,
                            const CRect& ownerClient) const {
    CFont* old = static_cast<CFont*>(pDC->SelectStockObject(DEFAULT_GUI_FONT));
    CRect t(0, 0, 0, 0);
    pDC->DrawText(text, &t, DT_CALCRECT | DT_NOPREFIX);
    if (old)
        pDC->SelectObject(old);
    CRect box(anchor.x, anchor.y, anchor.x + t.Width() + 2 * m_margin,
              anchor.y + t.Height() + 2 * m_margin);
    if (!atPoint)
        box.OffsetRect(0, 18);
    int overX = box.right - ownerClient.Width();
    if (overX > 0)
        box.OffsetRect(-std::min(overX, (int)box.left), 0);
    int overY = box.bottom - ownerClient.Height();
    if (overY > 0)
        box.OffsetRect(0, -std::min(overY, (int)box.top));
    return box;
}

void CToolTipWnd::DrawTip(CDC* pDC, const CString& text, const POINT& anchor, BOOL atPoint,
                          BOOL gradient) {
    int saved = pDC->SaveDC();
    CRect client(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    if (m_owner && m_owner->m_hWnd)
        m_owner->GetClientRect(&client);
    m_tipRect = PlaceTip(pDC, text, anchor, atPoint, client);
    pDC->SelectStockObject(DEFAULT_GUI_FONT);
    CRect box = m_tipRect;
    if (gradient) {
        // White at the left edge to a light blue at the right, ends stretched by 1/8 pixel.
        if (QPainter* p = pDC->GetPainter()) {
            QRectF r(box.left - 0.125, box.top, box.Width() + 0.25, box.Height());
            QLinearGradient g(r.topLeft(), r.topRight());
            g.setColorAt(0, QColor(255, 255, 255));
            g.setColorAt(1, QColor(0x5C, 0x5C, 0xFF));
            p->fillRect(QRect(box.left, box.top, box.Width(), box.Height()), g);
        }
    } else {
        pDC->FillSolidRect(&box, m_background);
    }
    pDC->DrawEdge(&box, EDGE_BUMP, BF_RECT);
    box.DeflateRect(m_margin, m_margin);
    pDC->SetBkMode(TRANSPARENT);
    pDC->SetTextColor(m_textColour);
    pDC->DrawText(text, &box, DT_NOPREFIX);
    pDC->RestoreDC(saved);
}
