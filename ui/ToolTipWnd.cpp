#include "ui/ToolTipWnd.h"

#include <QLabel>
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
    delete m_screenTip;
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
    if (m_owner) {
        // An owner whose window is gone has nowhere to show the tip.
        if (!m_owner->m_hWnd)
            return;
        CClientDC dc(m_owner);
        DrawTip(&dc, m_text, CPoint(m_x, m_y), m_atPoint, m_gradient);
        m_shown = TRUE;
        return;
    }
    // No owner: the tip goes on the screen at screen coordinates. It is drawn into a picture of
    // its own size that a borderless window, passing the mouse through, shows at its place.
    QImage scratch(1, 1, QImage::Format_RGB32);
    CDC measure;
    measure.AttachImage(&scratch);
    CRect screen(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    CRect place = PlaceTip(&measure, m_text, CPoint(m_x, m_y), m_atPoint, screen);
    measure.DeleteDC();
    QImage picture(std::max(1, place.Width()), std::max(1, place.Height()), QImage::Format_RGB32);
    picture.fill(Qt::white);
    CDC dc;
    dc.AttachImage(&picture);
    dc.SetViewportOrg(-place.left, -place.top);
    DrawTip(&dc, m_text, CPoint(m_x, m_y), m_atPoint, m_gradient);
    dc.DeleteDC();
    if (!m_screenTip) {
        m_screenTip = new QLabel(nullptr, Qt::ToolTip | Qt::FramelessWindowHint |
                                              Qt::WindowTransparentForInput);
        m_screenTip->setAttribute(Qt::WA_ShowWithoutActivating);
    }
    m_screenTip->setPixmap(QPixmap::fromImage(picture));
    m_screenTip->setGeometry(m_tipRect.left, m_tipRect.top, picture.width(), picture.height());
    m_screenTip->show();
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
    if (m_screenTip)
        m_screenTip->hide();
    m_shown = FALSE;
}

QWidget* CToolTipWnd::GetScreenTip() const {
    return m_screenTip;
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
