#include "platform/gui/ScrollView.h"

#include "platform/base/Profile.h"
#include "platform/gui/Controls.h"
#include "platform/gui/WndPrivate.h"

#include <QEvent>
#include <QPointer>
#include <QScrollBar>
#include <QSignalBlocker>
#include <algorithm>
#include <climits>
#include <cstdlib>

// ---- Lines per wheel notch --------------------------------------------------------------------

namespace {

struct WheelLines {
    int lines = 3;
    bool cached = false;
    // The wheel driver's message is registered on the first question only.
    bool driverTried = false;
    UINT driverMessage = 0;
};

WheelLines& Wheel() {
    static WheelLines state;
    return state;
}

// The user's setting: a decimal string, -1 for a page per notch.
bool UserWheelLines(int& lines) {
    HKEY key = nullptr;
    if (RegOpenKeyEx(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return false;
    char text[32] = {};
    DWORD type = 0, size = sizeof text - 1;
    LONG rc = RegQueryValueEx(key, "WheelScrollLines", nullptr, &type, (LPBYTE)text, &size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS || type != REG_SZ)
        return false;
    char* end = nullptr;
    long v = std::strtol(text, &end, 10);
    if (end == text)
        return false;
    lines = (int)std::clamp<long>(v, -1, 1000);
    return true;
}

} // namespace

int AfxGetMouseScrollLines() {
    WheelLines& w = Wheel();
    if (w.cached)
        return w.lines;
    if (!w.driverTried) {
        w.driverTried = true;
        w.driverMessage = RegisterWindowMessage("MSH_SCROLL_LINES_MSG");
    }
    w.lines = 3;
    CWnd* driver = w.driverMessage ? CWnd::FindWindow("MouseZ", "Magellan MSWHEEL") : nullptr;
    UINT spi = 0;
    if (driver)
        w.lines = (int)driver->SendMessage(w.driverMessage);
    else if (!UserWheelLines(w.lines) && SystemParametersInfo(SPI_GETWHEELSCROLLLINES, 0, &spi, 0))
        w.lines = spi == WHEEL_PAGESCROLL ? -1 : (int)spi;
    w.cached = true;
    return w.lines;
}

void AfxResetMouseScrollLines() {
    Wheel().cached = false;
}

void AfxScrollWindowContents(CWnd* pWnd, int dx, int dy) {
    if (!pWnd || !pWnd->m_hWnd || (dx == 0 && dy == 0))
        return;
    for (CWnd* c = pWnd->GetWindow(GW_CHILD); c; c = c->GetWindow(GW_HWNDNEXT)) {
        if (QWidget* w = c->GetWidget())
            w->move(w->pos() + QPoint(dx, dy));
    }
    pWnd->Invalidate(TRUE);
}

// ---- The window's own bars --------------------------------------------------------------------

// Two Qt scroll bars over the strips right of and below the client area. They never move by
// themselves: they tell the window, and show what the window's scroll state says.
struct CScrollArea::Bars : QObject {
    CWnd* wnd;
    QPointer<QScrollBar> bar[2];

    explicit Bars(CWnd* w) : wnd(w) {
        QWidget* host = w->GetWidget();
        for (int n : {SB_HORZ, SB_VERT}) {
            auto* b = new QScrollBar(n == SB_HORZ ? Qt::Horizontal : Qt::Vertical, host);
            b->setFocusPolicy(Qt::NoFocus);
            b->hide();
            QObject::connect(b, &QAbstractSlider::actionTriggered, this,
                             [this, n](int action) { Action(n, action); });
            QObject::connect(b, &QAbstractSlider::sliderReleased, this, [this, n] {
                Send(n, SB_THUMBPOSITION, bar[n]->sliderPosition());
                Send(n, SB_ENDSCROLL, 0);
            });
            bar[n] = b;
        }
        host->installEventFilter(this);
    }
    ~Bars() override {
        for (auto& b : bar)
            delete b.data();
    }

    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::Resize && o == wnd->GetWidget())
            Show();
        return false;
    }

    void Send(int n, UINT code, int pos) {
        if (wnd->m_hWnd)
            wnd->SendMessage(n == SB_HORZ ? WM_HSCROLL : WM_VSCROLL, MAKEWPARAM(code, (WORD)pos),
                             0);
    }

    void Action(int n, int action) {
        static const std::pair<int, UINT> codes[] = {
            {QAbstractSlider::SliderSingleStepAdd, SB_LINEDOWN},
            {QAbstractSlider::SliderSingleStepSub, SB_LINEUP},
            {QAbstractSlider::SliderPageStepAdd, SB_PAGEDOWN},
            {QAbstractSlider::SliderPageStepSub, SB_PAGEUP},
            {QAbstractSlider::SliderToMinimum, SB_TOP},
            {QAbstractSlider::SliderToMaximum, SB_BOTTOM},
            {QAbstractSlider::SliderMove, SB_THUMBTRACK}};
        auto it = std::find_if(std::begin(codes), std::end(codes),
                               [action](const auto& c) { return c.first == action; });
        if (it == std::end(codes))
            return;
        QPointer<QScrollBar> b = bar[n];
        int track = b->sliderPosition();
        if (it->second == SB_THUMBTRACK)
            wnd->m_p->bars[n].nTrackPos = track;
        Send(n, it->second, track);
        // Qt applies the slider's own idea of the step after this signal; the window's decides.
        if (b && wnd->m_hWnd && it->second != SB_THUMBTRACK) {
            QSignalBlocker block(b.data());
            b->setSliderPosition(wnd->m_p->bars[n].nPos);
        }
    }

    void Show() {
        QWidget* host = wnd->GetWidget();
        if (!host || !wnd->m_hWnd)
            return;
        CRect client;
        wnd->GetClientRect(&client);
        DWORD style = wnd->GetStyle();
        for (int n : {SB_HORZ, SB_VERT}) {
            QScrollBar* b = bar[n];
            if (!b)
                continue;
            bool shown = style & (n == SB_HORZ ? WS_HSCROLL : WS_VSCROLL);
            if (!shown) {
                b->hide();
                continue;
            }
            const SCROLLINFO& si = wnd->m_p->bars[n];
            QSignalBlocker block(b);
            b->setRange(si.nMin, si.nMax - std::max(0, (int)si.nPage - 1));
            b->setPageStep(std::max(1, (int)si.nPage));
            b->setValue(si.nPos);
            if (n == SB_HORZ)
                b->setGeometry(0, client.bottom, client.Width(), GetSystemMetrics(SM_CYHSCROLL));
            else
                b->setGeometry(client.right, 0, GetSystemMetrics(SM_CXVSCROLL), client.Height());
            b->show();
            b->raise();
        }
    }
};

// ---- CScrollArea ------------------------------------------------------------------------------

CScrollArea::CScrollArea(CWnd* pWnd) : m_pWnd(pWnd) {}

CScrollArea::~CScrollArea() = default;

void CScrollArea::SetSizes(SIZE sizeTotal, SIZE sizePage, SIZE sizeLine) {
    m_total = CSize(std::max<LONG>(0, sizeTotal.cx), std::max<LONG>(0, sizeTotal.cy));
    m_page = CSize(sizePage.cx ? sizePage.cx : m_total.cx / 10,
                   sizePage.cy ? sizePage.cy : m_total.cy / 10);
    m_line = CSize(sizeLine.cx ? sizeLine.cx : m_page.cx / 10,
                   sizeLine.cy ? sizeLine.cy : m_page.cy / 10);
    if (m_pWnd->m_hWnd)
        UpdateBars();
}

bool CScrollArea::HasBar(int nBar) const {
    return m_pWnd->m_hWnd && (m_pWnd->GetStyle() & (nBar == SB_HORZ ? WS_HSCROLL : WS_VSCROLL));
}

CPoint CScrollArea::GetPosition() const {
    if (!m_pWnd->m_hWnd)
        return CPoint(0, 0);
    return CPoint(m_pWnd->GetScrollPos(SB_HORZ), m_pWnd->GetScrollPos(SB_VERT));
}

CPoint CScrollArea::GetLimit() const {
    CPoint limit(0, 0);
    for (int n : {SB_HORZ, SB_VERT}) {
        if (!HasBar(n))
            continue;
        SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE, 0, 0, 0, 0, 0};
        m_pWnd->GetScrollInfo(n, &si, SIF_RANGE | SIF_PAGE);
        int l = std::max(0, si.nMax - std::max(0, (int)si.nPage - 1) - si.nMin);
        (n == SB_HORZ ? limit.x : limit.y) = l;
    }
    return limit;
}

void CScrollArea::ShowBars() {
    if (!m_pWnd->GetWidget())
        return;
    if (!m_bars)
        m_bars = std::make_unique<Bars>(m_pWnd);
    // The wheel over a bar moves it by the window's own lines.
    for (int n : {SB_HORZ, SB_VERT})
        if (QScrollBar* b = m_bars->bar[n])
            b->setSingleStep(std::max<LONG>(1, n == SB_HORZ ? m_line.cx : m_line.cy));
    m_bars->Show();
}

void CScrollArea::ScrollTo(POINT pt) {
    if (!m_pWnd->m_hWnd)
        return;
    CPoint limit = GetLimit();
    CPoint old = GetPosition();
    CPoint now(std::clamp<LONG>(pt.x, 0, limit.x), std::clamp<LONG>(pt.y, 0, limit.y));
    if (now == old)
        return;
    m_pWnd->SetScrollPos(SB_HORZ, now.x);
    m_pWnd->SetScrollPos(SB_VERT, now.y);
    AfxScrollWindowContents(m_pWnd, old.x - now.x, old.y - now.y);
    ShowBars();
}

BOOL CScrollArea::Scroll(UINT nScrollCode, BOOL bDoScroll, const ScrollByFn& scrollBy) {
    CPoint pos = GetPosition();
    auto target = [this](UINT code, int nBar, int now, LONG page, LONG line) -> long long {
        switch (code) {
        case SB_TOP:
            return 0;
        case SB_BOTTOM:
            return INT_MAX; // clamped to the limit later
        case SB_LINEUP:
            return (long long)now - line;
        case SB_LINEDOWN:
            return (long long)now + line;
        case SB_PAGEUP:
            return (long long)now - page;
        case SB_PAGEDOWN:
            return (long long)now + page;
        case SB_THUMBTRACK: {
            SCROLLINFO si{sizeof si, SIF_TRACKPOS, 0, 0, 0, 0, 0};
            if (!m_pWnd->GetScrollInfo(nBar, &si, SIF_TRACKPOS))
                return now;
            return si.nTrackPos;
        }
        default:
            return now;
        }
    };
    long long x = target(LOBYTE(nScrollCode), SB_HORZ, pos.x, m_page.cx, m_line.cx);
    long long y = target(HIBYTE(nScrollCode), SB_VERT, pos.y, m_page.cy, m_line.cy);
    auto fit = [](long long v) { return (LONG)std::clamp<long long>(v, INT_MIN / 2, INT_MAX); };
    CSize delta(fit(x - pos.x), fit(y - pos.y));
    if (!scrollBy(delta, bDoScroll))
        return FALSE;
    if (bDoScroll)
        m_pWnd->UpdateWindow();
    return TRUE;
}

BOOL CScrollArea::ScrollBy(CSize sizeScroll, BOOL bDoScroll) {
    if (!m_pWnd->m_hWnd)
        return FALSE;
    if (!HasBar(SB_HORZ))
        sizeScroll.cx = 0;
    if (!HasBar(SB_VERT))
        sizeScroll.cy = 0;
    CPoint old = GetPosition();
    CPoint limit = GetLimit();
    CPoint now((LONG)std::clamp<long long>((long long)old.x + sizeScroll.cx, 0, limit.x),
               (LONG)std::clamp<long long>((long long)old.y + sizeScroll.cy, 0, limit.y));
    if (now == old)
        return FALSE;
    if (!bDoScroll)
        return TRUE;
    AfxScrollWindowContents(m_pWnd, old.x - now.x, old.y - now.y);
    m_pWnd->SetScrollPos(SB_HORZ, now.x);
    m_pWnd->SetScrollPos(SB_VERT, now.y);
    ShowBars();
    return TRUE;
}

BOOL CScrollArea::Wheel(UINT nFlags, short zDelta, const ScrollByFn& scrollBy) {
    if (nFlags & (MK_CONTROL | MK_SHIFT))
        return FALSE;
    bool vert = HasBar(SB_VERT);
    if (!vert && !HasBar(SB_HORZ))
        return FALSE;
    LONG page = vert ? m_page.cy : m_page.cx;
    LONG line = vert ? m_line.cy : m_line.cx;
    int lines = AfxGetMouseScrollLines();
    long long amount;
    if (lines < 0) {
        amount = zDelta > 0 ? -page : zDelta < 0 ? page : 0;
    } else {
        // Notches times lines, rounded half away from zero; then that many line steps, but never
        // more than a page either way.
        long long num = -(long long)zDelta * lines;
        long long notches = num >= 0 ? (num + 60) / 120 : -((-num + 60) / 120);
        amount = std::clamp<long long>(notches * line, -(long long)page, page);
    }
    CSize delta = vert ? CSize(0, (LONG)amount) : CSize((LONG)amount, 0);
    BOOL moved = scrollBy(delta, TRUE);
    if (moved)
        m_pWnd->UpdateWindow();
    return moved;
}

bool CScrollArea::OwnBarCode(int nBar, UINT nSBCode, CScrollBar* pScrollBar, UINT& nScrollCode) {
    if (pScrollBar) {
        pScrollBar->SendChildNotifyLastMsg();
        return false;
    }
    nScrollCode = nBar == SB_HORZ ? MAKEWORD(nSBCode, 0xFF) : MAKEWORD(0xFF, nSBCode);
    return true;
}

void CScrollArea::UpdateBars() {
    if (m_bInsideUpdate || !m_pWnd->m_hWnd)
        return;
    m_bInsideUpdate = true;
    const int cxBar = GetSystemMetrics(SM_CXVSCROLL), cyBar = GetSystemMetrics(SM_CYHSCROLL);
    DWORD style = m_pWnd->GetStyle();
    CRect client;
    m_pWnd->GetClientRect(&client);
    CSize avail(client.Width(), client.Height());
    // A parent that lays its children out itself says how much room there is.
    CRect parentSays(0, 0, 0, 0);
    CWnd* parent = (style & WS_CHILD) ? m_pWnd->GetParent() : nullptr;
    if (parent && parent->SendMessage(WM_RECALCPARENT, 0, (LPARAM)(LPRECT)&parentSays)) {
        avail = CSize(parentSays.Width(), parentSays.Height());
    } else {
        if (style & WS_VSCROLL)
            avail.cx += cxBar;
        if (style & WS_HSCROLL)
            avail.cy += cyBar;
    }
    CPoint old = GetPosition();
    if (avail.cx <= cxBar && avail.cy <= cyBar) {
        if (!client.IsRectEmpty())
            m_pWnd->ShowScrollBar(SB_BOTH, FALSE);
        ShowBars();
        m_bInsideUpdate = false;
        return;
    }
    // A bar takes room from the other direction, which may make that one needed too.
    bool needH = m_total.cx > avail.cx, needV = m_total.cy > avail.cy;
    if (needV && !needH)
        needH = m_total.cx > avail.cx - cxBar;
    if (needH && !needV)
        needV = m_total.cy > avail.cy - cyBar;
    if (needV && !needH)
        needH = m_total.cx > avail.cx - cxBar;
    CSize visible(avail.cx - (needV ? cxBar : 0), avail.cy - (needH ? cyBar : 0));
    visible.cx = std::max<LONG>(0, visible.cx);
    visible.cy = std::max<LONG>(0, visible.cy);
    CPoint now(needH ? std::clamp<LONG>(old.x, 0, std::max<LONG>(0, m_total.cx - visible.cx)) : 0,
               needV ? std::clamp<LONG>(old.y, 0, std::max<LONG>(0, m_total.cy - visible.cy)) : 0);
    m_pWnd->ShowScrollBar(SB_HORZ, needH);
    m_pWnd->ShowScrollBar(SB_VERT, needV);
    const bool need[2] = {needH, needV};
    const LONG total[2] = {m_total.cx, m_total.cy}, page[2] = {visible.cx, visible.cy};
    const LONG pos[2] = {now.x, now.y};
    for (int n : {SB_HORZ, SB_VERT}) {
        SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS, 0, 0, 0, 0, 0};
        if (need[n]) {
            si.nMax = total[n] - 1;
            si.nPage = (UINT)page[n];
            si.nPos = pos[n];
        }
        m_pWnd->SetScrollInfo(n, &si, TRUE);
    }
    AfxScrollWindowContents(m_pWnd, old.x - now.x, old.y - now.y);
    ShowBars();
    m_bInsideUpdate = false;
}

// ---- CScrollView ------------------------------------------------------------------------------

IMPLEMENT_DYNAMIC(CScrollView, CView)

BEGIN_MESSAGE_MAP(CScrollView, CView)
ON_WM_SIZE()
ON_WM_HSCROLL()
ON_WM_VSCROLL()
ON_WM_MOUSEWHEEL()
ON_MESSAGE(WM_SETTINGCHANGE, &CScrollView::OnSettingChangeMessage)
END_MESSAGE_MAP()

const SIZE CScrollView::sizeDefault = {0, 0};

CScrollView::CScrollView() : m_scroll(this) {}

CScrollView::~CScrollView() = default;

void CScrollView::SetScrollSizes(int nMapMode, SIZE sizeTotal, const SIZE& sizePage,
                                 const SIZE& sizeLine) {
    // Pixels are the one mapping mode the program's views use.
    (void)nMapMode;
    m_nMapMode = MM_TEXT;
    m_scroll.SetSizes(sizeTotal, sizePage, sizeLine);
}

void CScrollView::GetDeviceScrollSizes(int& nMapMode, SIZE& sizeTotal, SIZE& sizePage,
                                       SIZE& sizeLine) const {
    nMapMode = m_nMapMode;
    sizeTotal = m_scroll.GetTotal();
    sizePage = m_scroll.GetPage();
    sizeLine = m_scroll.GetLine();
}

void CScrollView::OnSize(UINT nType, int cx, int cy) {
    CView::OnSize(nType, cx, cy);
    m_scroll.UpdateBars();
}

BOOL CScrollView::OnScroll(UINT nScrollCode, UINT, BOOL bDoScroll) {
    return m_scroll.Scroll(nScrollCode, bDoScroll,
                           [this](CSize s, BOOL b) { return OnScrollBy(s, b); });
}

BOOL CScrollView::OnScrollBy(CSize sizeScroll, BOOL bDoScroll) {
    return m_scroll.ScrollBy(sizeScroll, bDoScroll);
}

void CScrollView::OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar) {
    UINT code = 0;
    if (CScrollArea::OwnBarCode(SB_HORZ, nSBCode, pScrollBar, code))
        OnScroll(code, nPos);
}

void CScrollView::OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar) {
    UINT code = 0;
    if (CScrollArea::OwnBarCode(SB_VERT, nSBCode, pScrollBar, code))
        OnScroll(code, nPos);
}

BOOL CScrollView::OnMouseWheel(UINT nFlags, short zDelta, CPoint) {
    return m_scroll.Wheel(nFlags, zDelta, [this](CSize s, BOOL b) { return OnScrollBy(s, b); });
}

LRESULT CScrollView::OnSettingChangeMessage(WPARAM, LPARAM) {
    AfxResetMouseScrollLines();
    return Default();
}

void CScrollView::OnPrepareDC(CDC* pDC, CPrintInfo* pInfo) {
    if (pDC && !pInfo) {
        CPoint pos = GetScrollPosition();
        pDC->SetViewportOrg(-pos.x, -pos.y);
    }
    CView::OnPrepareDC(pDC, pInfo);
}
