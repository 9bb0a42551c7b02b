// The window's geometry, text, state, timers and dialog-item helpers; system colours and metrics.
#include "platform/gui/Controls.h"
#include "platform/gui/Dc.h"
#include "platform/gui/NonClientMetrics.h"
#include "platform/gui/Resource.h"
#include "platform/gui/WinApp.h"
#include "platform/gui/Wnd.h"
#include "platform/gui/WndPrivate.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QFontInfo>
#include <QGuiApplication>
#include <QPixmap>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <QWindowStateChangeEvent>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

// ---- System colours and metrics -------------------------------------------------------------

DWORD GetSysColor(int nIndex) {
    switch (nIndex) {
    case COLOR_SCROLLBAR:
        return RGB(200, 200, 200);
    case COLOR_BACKGROUND:
        return RGB(0, 0, 0);
    case COLOR_ACTIVECAPTION:
        return RGB(153, 180, 209);
    case COLOR_INACTIVECAPTION:
        return RGB(191, 205, 219);
    case COLOR_MENU:
        return RGB(240, 240, 240);
    case COLOR_WINDOW:
        return RGB(255, 255, 255);
    case COLOR_WINDOWFRAME:
        return RGB(100, 100, 100);
    case COLOR_MENUTEXT:
        return RGB(0, 0, 0);
    case COLOR_WINDOWTEXT:
        return RGB(0, 0, 0);
    case COLOR_CAPTIONTEXT:
        return RGB(0, 0, 0);
    case COLOR_ACTIVEBORDER:
        return RGB(180, 180, 180);
    case COLOR_INACTIVEBORDER:
        return RGB(244, 247, 252);
    case COLOR_APPWORKSPACE:
        return RGB(171, 171, 171);
    case COLOR_HIGHLIGHT:
        return RGB(51, 153, 255);
    case COLOR_HIGHLIGHTTEXT:
        return RGB(255, 255, 255);
    case COLOR_BTNFACE:
        return RGB(240, 240, 240);
    case COLOR_BTNSHADOW:
        return RGB(160, 160, 160);
    case COLOR_GRAYTEXT:
        return RGB(109, 109, 109);
    case COLOR_BTNTEXT:
        return RGB(0, 0, 0);
    case COLOR_INACTIVECAPTIONTEXT:
        return RGB(0, 0, 0);
    case COLOR_BTNHIGHLIGHT:
        return RGB(255, 255, 255);
    case COLOR_3DDKSHADOW:
        return RGB(105, 105, 105);
    case COLOR_3DLIGHT:
        return RGB(227, 227, 227);
    case COLOR_INFOTEXT:
        return RGB(0, 0, 0);
    case COLOR_INFOBK:
        return RGB(255, 255, 225);
    case COLOR_HOTLIGHT:
        return RGB(0, 102, 204);
    default:
        return 0;
    }
}

HBRUSH GetSysColorBrush(int nIndex) {
    static HBRUSH brushes[32] = {};
    if (nIndex < 0 || nIndex >= 32)
        return nullptr;
    if (!brushes[nIndex]) {
        CBrush b;
        b.CreateSolidBrush(GetSysColor(nIndex));
        brushes[nIndex] = b.Detach();
    }
    return brushes[nIndex];
}

static QRect PrimaryScreen(bool available) {
    AfxEnsureGuiApp();
    QScreen* s = QGuiApplication::primaryScreen();
    if (!s)
        return QRect(0, 0, 1024, 768);
    return available ? s->availableGeometry() : s->geometry();
}

int GetSystemMetrics(int nIndex) {
    switch (nIndex) {
    case SM_CXSCREEN:
        return PrimaryScreen(false).width();
    case SM_CYSCREEN:
        return PrimaryScreen(false).height();
    case SM_CXFULLSCREEN:
        return PrimaryScreen(true).width();
    case SM_CYFULLSCREEN:
        return PrimaryScreen(true).height() - 23;
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
        return 17;
    case SM_CYCAPTION:
        return 23;
    case SM_CXBORDER:
    case SM_CYBORDER:
        return 1;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME:
        return 3;
    case SM_CXEDGE:
    case SM_CYEDGE:
        return 2;
    case SM_CXICON:
    case SM_CYICON:
    case SM_CXCURSOR:
    case SM_CYCURSOR:
        return 32;
    case SM_CXSMICON:
    case SM_CYSMICON:
        return 16;
    case SM_CYMENU:
        return 20;
    default:
        return 0;
    }
}

// A desktop font as a logical font: its pixel height, weight, slant and family.
static LOGFONT LogFontOf(const QFont& f) {
    LOGFONT lf{};
    lf.lfHeight = -QFontInfo(f).pixelSize();
    lf.lfWeight = f.weight();
    lf.lfItalic = f.italic() ? 1 : 0;
    lf.lfCharSet = DEFAULT_CHARSET;
    CString face = AfxFromQt(f.family());
    std::strncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
    return lf;
}

BOOL SystemParametersInfo(UINT uiAction, UINT, void* pvParam, UINT) {
    if (!pvParam)
        return FALSE;
    switch (uiAction) {
    case SPI_GETWORKAREA: {
        QRect r = PrimaryScreen(true);
        *static_cast<RECT*>(pvParam) = RECT{r.left(), r.top(), r.right() + 1, r.bottom() + 1};
        return TRUE;
    }
    case SPI_GETWHEELSCROLLLINES:
        *static_cast<UINT*>(pvParam) = 3;
        return TRUE;
    case SPI_GETNONCLIENTMETRICS: {
        auto* m = static_cast<NONCLIENTMETRICS*>(pvParam);
        if (m->cbSize != sizeof(NONCLIENTMETRICS))
            return FALSE;
        AfxEnsureGuiApp();
        m->iBorderWidth = GetSystemMetrics(SM_CXBORDER);
        m->iScrollWidth = GetSystemMetrics(SM_CXVSCROLL);
        m->iScrollHeight = GetSystemMetrics(SM_CYHSCROLL);
        m->iCaptionWidth = m->iCaptionHeight = GetSystemMetrics(SM_CYCAPTION);
        m->iSmCaptionWidth = m->iSmCaptionHeight = GetSystemMetrics(SM_CYCAPTION);
        m->iMenuWidth = m->iMenuHeight = GetSystemMetrics(SM_CYMENU);
        QFont caption = QApplication::font();
        caption.setBold(true);
        m->lfCaptionFont = m->lfSmCaptionFont = LogFontOf(caption);
        m->lfMenuFont = LogFontOf(QApplication::font("QMenu"));
        m->lfStatusFont = LogFontOf(QApplication::font("QStatusBar"));
        m->lfMessageFont = LogFontOf(QApplication::font("QMessageBox"));
        return TRUE;
    }
    default:
        return FALSE;
    }
}

// ---- Style and relations --------------------------------------------------------------------

DWORD CWnd::GetStyle() const {
    if (!m_hWnd)
        return 0;
    DWORD s = m_p->style;
    if (QWidget* w = GetWidget()) {
        if (!w->isHidden())
            s |= WS_VISIBLE;
        if (!w->isEnabled())
            s |= WS_DISABLED;
        else
            s &= ~WS_DISABLED;
    }
    return s;
}

DWORD CWnd::GetExStyle() const {
    return m_hWnd ? m_p->exStyle : 0;
}

BOOL CWnd::ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT) {
    if (!m_hWnd)
        return FALSE;
    DWORD old = GetStyle();
    DWORD now = (old & ~dwRemove) | dwAdd;
    m_p->style = now & ~(WS_VISIBLE | WS_DISABLED);
    if ((old ^ now) & WS_VISIBLE)
        ShowWindow((now & WS_VISIBLE) ? SW_SHOWNA : SW_HIDE);
    if ((old ^ now) & WS_DISABLED)
        EnableWindow(!(now & WS_DISABLED));
    if (QWidget* w = GetWidget())
        w->update();
    if (old != now) {
        // The window hears of it, as when its style is set directly (a view hosting a control
        // keeps the control's style bits the same as its own).
        STYLESTRUCT ss{old, now};
        SendMessage(WM_STYLECHANGED, (WPARAM)GWL_STYLE, (LPARAM)&ss);
    }
    return old != now;
}

BOOL CWnd::ModifyStyleEx(DWORD dwRemove, DWORD dwAdd, UINT) {
    if (!m_hWnd)
        return FALSE;
    DWORD old = m_p->exStyle;
    m_p->exStyle = (old & ~dwRemove) | dwAdd;
    QWidget* w = GetWidget();
    if (w && w->isWindow() && ((old ^ m_p->exStyle) & WS_EX_TOPMOST)) {
        bool visible = w->isVisible();
        w->setWindowFlag(Qt::WindowStaysOnTopHint, (m_p->exStyle & WS_EX_TOPMOST) != 0);
        if (visible)
            w->show();
    }
    return old != m_p->exStyle;
}

int CWnd::GetDlgCtrlID() const {
    return m_hWnd ? m_p->id : 0;
}

int CWnd::SetDlgCtrlID(int nID) {
    if (!m_hWnd)
        return 0;
    return std::exchange(m_p->id, nID);
}

CString CWnd::GetClassName() const {
    return m_hWnd ? m_p->className : CString();
}

CWnd* CWnd::GetParent() const {
    QWidget* w = GetWidget();
    if (!w)
        return nullptr;
    // A pop-up's parent, as the system answers it, is its owner.
    if (w->isWindow() || !(m_p->style & WS_CHILD))
        return FromHandlePermanent(m_p->owner);
    return FromWidget(w->parentWidget());
}

CWnd* CWnd::SetParent(CWnd* pWndNewParent) {
    QWidget* w = GetWidget();
    if (!w)
        return nullptr;
    CWnd* old = GetParent();
    if (m_p->style & WS_CHILD) {
        if (!pWndNewParent || !pWndNewParent->GetWidget())
            return nullptr;
        bool visible = !w->isHidden();
        w->setParent(pWndNewParent->GetWidget());
        w->setVisible(visible);
    } else {
        m_p->owner = pWndNewParent ? pWndNewParent->m_hWnd : nullptr;
    }
    return old;
}

CWnd* CWnd::GetOwner() const {
    if (!m_hWnd)
        return nullptr;
    if (m_p->owner)
        return FromHandlePermanent(m_p->owner);
    return GetParent();
}

void CWnd::SetOwner(CWnd* pOwnerWnd) {
    if (m_hWnd)
        m_p->owner = pOwnerWnd ? pOwnerWnd->m_hWnd : nullptr;
}

CWnd* CWnd::GetTopLevelParent() const {
    const CWnd* w = this;
    while (w && w->GetWidget() && (w->m_p->style & WS_CHILD)) {
        CWnd* parent = FromWidget(w->GetWidget()->parentWidget());
        if (!parent)
            break;
        w = parent;
    }
    return const_cast<CWnd*>(w);
}

static std::vector<CWnd*> ChildWindows(const CWnd* parent) {
    std::vector<CWnd*> out;
    QWidget* w = parent->GetWidget();
    if (!w)
        return out;
    // Qt keeps children in creation order, which is the z-order of a dialog's controls. A
    // pop-up the window owns is a Qt child too, but no child window: it would end a walk through
    // the children (it has no next sibling) before the controls made after it.
    for (QObject* o : w->children())
        if (o->isWidgetType() && !static_cast<QWidget*>(o)->isWindow())
            if (CWnd* c = CWnd::FromWidget(static_cast<QWidget*>(o));
                c && c != parent && c->GetWidget() == o)
                out.push_back(c);
    return out;
}

CWnd* CWnd::GetDlgItem(int nID) const {
    for (CWnd* c : ChildWindows(this))
        if (c->GetDlgCtrlID() == nID)
            return c;
    return nullptr;
}

CWnd* CWnd::GetWindow(UINT nCmd) const {
    if (!m_hWnd)
        return nullptr;
    if (nCmd == GW_CHILD) {
        auto kids = ChildWindows(this);
        return kids.empty() ? nullptr : kids.front();
    }
    if (nCmd == GW_OWNER)
        return FromHandlePermanent(m_p->owner);
    CWnd* parent = (m_p->style & WS_CHILD) ? GetParent() : nullptr;
    if (!parent)
        return nullptr;
    auto kids = ChildWindows(parent);
    auto it = std::find(kids.begin(), kids.end(), this);
    if (it == kids.end())
        return nullptr;
    switch (nCmd) {
    case GW_HWNDFIRST:
        return kids.front();
    case GW_HWNDLAST:
        return kids.back();
    case GW_HWNDNEXT:
        return it + 1 == kids.end() ? nullptr : *(it + 1);
    case GW_HWNDPREV:
        return it == kids.begin() ? nullptr : *(it - 1);
    default:
        return nullptr;
    }
}

static bool IsTabStop(CWnd* c) {
    DWORD s = c->GetStyle();
    return (s & WS_TABSTOP) && (s & WS_VISIBLE) && !(s & WS_DISABLED);
}

// A child that holds controls of the dialog's own (a property page, a pane laid over the
// dialog): Tab goes through its controls in their place instead of stopping at it.
static bool IsControlParent(CWnd* c) {
    DWORD s = c->GetStyle();
    return ((c->GetExStyle() & WS_EX_CONTROLPARENT) ||
            ((s & DS_CONTROL) && c->GetClassName() == "#32770")) &&
           (s & WS_CHILD) && (s & WS_VISIBLE) && !(s & WS_DISABLED);
}

// The controls of a dialog in Tab order: its children in order, with the controls of each
// control parent in its place.
static void TabOrder(const CWnd* parent, std::vector<CWnd*>& out) {
    for (CWnd* c : ChildWindows(parent)) {
        if (!(c->GetStyle() & WS_TABSTOP) && IsControlParent(c))
            TabOrder(c, out);
        else
            out.push_back(c);
    }
}

CWnd* CWnd::GetNextDlgTabItem(CWnd* pWndCtl, BOOL bPrevious) const {
    std::vector<CWnd*> kids;
    TabOrder(this, kids);
    if (kids.empty())
        return nullptr;
    int n = (int)kids.size();
    int start = -1;
    for (int i = 0; i < n; ++i)
        if (kids[(size_t)i] == pWndCtl || (pWndCtl && kids[(size_t)i]->IsChild(pWndCtl)))
            start = i;
    for (int step = 1; step <= n; ++step) {
        int i = start < 0 ? (bPrevious ? n - step : step - 1)
                          : ((start + (bPrevious ? -step : step)) % n + n) % n;
        CWnd* c = kids[(size_t)i];
        // Visible within this window: a dialog not shown yet (its first control getting the
        // focus at initialisation) has its controls counted as they will show.
        QWidget* w = c->GetWidget();
        if (IsTabStop(c) && w != nullptr && w->isVisibleTo(GetWidget()))
            return c;
    }
    return nullptr;
}

CWnd* CWnd::GetNextDlgGroupItem(CWnd* pWndCtl, BOOL bPrevious) const {
    auto kids = ChildWindows(this);
    auto it = std::find(kids.begin(), kids.end(), pWndCtl);
    if (it == kids.end())
        return nullptr;
    // The group runs from a WS_GROUP control to the control before the next one.
    auto first = it;
    while (first != kids.begin() && !((*first)->GetStyle() & WS_GROUP))
        --first;
    auto last = it + 1;
    while (last != kids.end() && !((*last)->GetStyle() & WS_GROUP))
        ++last;
    std::vector<CWnd*> group(first, last);
    int n = (int)group.size();
    int pos = (int)(std::find(group.begin(), group.end(), pWndCtl) - group.begin());
    for (int step = 1; step <= n; ++step) {
        CWnd* c = group[(size_t)(((pos + (bPrevious ? -step : step)) % n + n) % n)];
        DWORD s = c->GetStyle();
        if ((s & WS_VISIBLE) && !(s & WS_DISABLED))
            return c;
    }
    return pWndCtl;
}

BOOL CWnd::IsChild(const CWnd* pWnd) const {
    QWidget* w = GetWidget();
    return w && pWnd && pWnd->GetWidget() && pWnd != this && w->isAncestorOf(pWnd->GetWidget());
}

// ---- Showing and painting -------------------------------------------------------------------

BOOL CWnd::ShowWindow(int nCmdShow) {
    QWidget* w = GetWidget();
    if (!w)
        return FALSE;
    BOOL wasVisible = !w->isHidden();
    bool wasSetting = m_p->settingState;
    m_p->settingState = true;
    switch (nCmdShow) {
    case SW_HIDE:
        w->hide();
        break;
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE:
    case SW_SHOWMINNOACTIVE:
        w->showMinimized();
        break;
    case SW_SHOWMAXIMIZED:
        w->showMaximized();
        break;
    case SW_RESTORE:
    case SW_SHOWNORMAL:
        w->isWindow() ? w->showNormal() : w->show();
        break;
    default:
        w->show();
        break;
    }
    m_p->settingState = wasSetting;
    if (w->isWindow() && nCmdShow != SW_HIDE && nCmdShow != SW_SHOWNA &&
        nCmdShow != SW_SHOWNOACTIVATE && nCmdShow != SW_SHOWMINNOACTIVE)
        w->activateWindow();
    return wasVisible;
}

BOOL CWnd::IsWindowVisible() const {
    QWidget* w = GetWidget();
    return w && w->isVisible();
}
BOOL CWnd::IsIconic() const {
    QWidget* w = GetWidget();
    return w && w->isMinimized();
}
BOOL CWnd::IsZoomed() const {
    QWidget* w = GetWidget();
    return w && w->isMaximized();
}

// Raises a window; the offscreen platform of the tests has no stacking of top-level windows.
static void Raise(QWidget* w) {
    if (!w->isWindow() || QGuiApplication::platformName() != QLatin1String("offscreen"))
        w->raise();
}

namespace {
// Our top-level windows in the order they were last active, the latest first.
std::vector<QPointer<QWidget>>& ActiveHistory() {
    static std::vector<QPointer<QWidget>> history;
    return history;
}
} // namespace

void AfxTrackActiveWindows() {
    static bool tracking = false;
    if (tracking || !qApp)
        return;
    tracking = true;
    QObject::connect(qApp, &QGuiApplication::focusWindowChanged, qApp, [](QWindow*) {
        QWidget* w = QApplication::activeWindow();
        if (!w)
            return;
        auto& history = ActiveHistory();
        history.erase(std::remove_if(history.begin(), history.end(),
                                     [w](const QPointer<QWidget>& p) { return !p || p == w; }),
                      history.end());
        history.insert(history.begin(), w);
        if (history.size() > 16)
            history.resize(16);
    });
}

QWidget* AfxWorkingWindow() {
    if (!QApplication::instance())
        return nullptr;
    if (QWidget* w = QApplication::activeWindow())
        return w;
    // A modal window shown but not yet activated is where the user goes next.
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    for (const QPointer<QWidget>& p : ActiveHistory())
        if (p && p->isVisible() && !p->isMinimized())
            return p;
    return nullptr;
}

namespace {
// The windows that have the keyboard to themselves, the latest last, each with the modal window
// that ran when it took the keyboard.
struct ExclusiveKeys {
    HWND hWnd;
    QWidget* modalBefore;
};
std::vector<ExclusiveKeys>& ExclusiveKeyWindows() {
    static std::vector<ExclusiveKeys> windows;
    return windows;
}

// The window that has the keyboard to itself: the modal window that runs, or the latest window
// that took the keyboard while no newer modal window runs. Null when every window has it.
QWidget* KeyboardOwner() {
    QWidget* modal = QApplication::instance() ? QApplication::activeModalWidget() : nullptr;
    const auto& exclusive = ExclusiveKeyWindows();
    if (!exclusive.empty() && exclusive.back().modalBefore == modal)
        if (CWnd* w = CWnd::FromHandlePermanent(exclusive.back().hWnd); w && w->GetWidget())
            return w->GetWidget();
    return modal;
}
} // namespace

CExclusiveKeys::CExclusiveKeys(CWnd* pWnd) {
    QWidget* modal = QApplication::instance() ? QApplication::activeModalWidget() : nullptr;
    ExclusiveKeyWindows().push_back({pWnd ? pWnd->m_hWnd : nullptr, modal});
}

CExclusiveKeys::~CExclusiveKeys() {
    ExclusiveKeyWindows().pop_back();
}

bool AfxKeyBlockedFor(const MSG* pMsg, const CWnd* pWnd) {
    if (!pMsg || pMsg->message < WM_KEYFIRST || pMsg->message > WM_KEYLAST)
        return false;
    QWidget* owner = KeyboardOwner();
    if (!owner)
        return false;
    // A pop-up's widget is a child of its owner's: the lists and menus a modal window opens are
    // part of it.
    for (QWidget* w = pWnd ? pWnd->GetWidget() : nullptr; w; w = w->parentWidget())
        if (w == owner)
            return false;
    return true;
}

// A window that can own a dialog: shown, and a framed window or dialog to the window manager.
static bool CanOwnDialogs(CWnd* pWnd) {
    QWidget* w = pWnd->GetWidget();
    if (!w || !w->isWindow() || !w->isVisible())
        return false;
    const Qt::WindowType type = w->windowType();
    return (type == Qt::Window || type == Qt::Dialog) &&
           !w->windowFlags().testFlag(Qt::FramelessWindowHint);
}

CWnd* AfxDialogOwner(CWnd* pWnd) {
    // Owners go up a few steps at most; the bound only guards against an owner loop.
    CWnd* top = pWnd && pWnd->m_hWnd ? pWnd->GetTopLevelParent() : nullptr;
    CWnd* w = top;
    for (int step = 0; w && step < 16; ++step) {
        if (CanOwnDialogs(w))
            return w;
        CWnd* owner = w->GetOwner();
        w = owner ? owner->GetTopLevelParent() : nullptr;
    }
    CWnd* main = AfxGetMainWnd();
    return main && main->m_hWnd ? main : top;
}

CModalActivation::CModalActivation() : m_window(AfxWorkingWindow()) {}

CModalActivation::~CModalActivation() {
    QWidget* w = m_window;
    if (!w || !w->isVisible() || w->isMinimized())
        return;
    // Another modal window still open keeps the activation.
    if (QWidget* modal = QApplication::activeModalWidget(); modal && modal != w)
        return;
    Raise(w);
    w->activateWindow();
}

void CWnd::BringWindowToTop() {
    if (QWidget* w = GetWidget())
        Raise(w);
}

BOOL CWnd::SetForegroundWindow() {
    QWidget* w = GetWidget();
    if (!w)
        return FALSE;
    Raise(w);
    w->activateWindow();
    return TRUE;
}

void CWnd::UpdateWindow() {
    if (QWidget* w = GetWidget())
        if (w->isVisible())
            w->repaint();
}

void CWnd::Invalidate(BOOL) {
    InvalidateRect(nullptr);
}

void CWnd::InvalidateRect(LPCRECT lpRect, BOOL) {
    QWidget* w = GetWidget();
    if (!w)
        return;
    QRect r = lpRect ? QRect(lpRect->left, lpRect->top, lpRect->right - lpRect->left,
                             lpRect->bottom - lpRect->top)
                     : w->rect();
    m_p->invalidRegion += r;
    w->update(r);
    if (CWnd* inner = m_p->invalidateAlso ? FromHandlePermanent(m_p->invalidateAlso) : nullptr)
        inner->InvalidateRect(lpRect);
}

void CWnd::ValidateRect(LPCRECT) {}

BOOL CWnd::RedrawWindow(LPCRECT lpRectUpdate, HRGN, UINT flags) {
    QWidget* w = GetWidget();
    if (!w)
        return FALSE;
    if (flags & RDW_INVALIDATE)
        InvalidateRect(lpRectUpdate);
    if ((flags & RDW_UPDATENOW) && w->isVisible())
        w->repaint();
    return TRUE;
}

void CWnd::SetRedraw(BOOL bRedraw) {
    SendMessage(WM_SETREDRAW, bRedraw, 0);
}

CDC* CWnd::GetDC() {
    return m_hWnd ? new CClientDC(this) : nullptr;
}
CDC* CWnd::GetWindowDC() {
    return m_hWnd ? new CWindowDC(this) : nullptr;
}
int CWnd::ReleaseDC(CDC* pDC) {
    delete pDC;
    return 1;
}

// ---- Geometry -------------------------------------------------------------------------------

// A top-level window's rectangles are its frame's, title bar and borders included; the widget's
// geometry is its client area. The margins between the two are known once the window manager
// has framed the window (none for a window without a frame).
static QMargins FrameMargins(QWidget* w) {
    QRect f = w->frameGeometry(), g = w->geometry();
    return QMargins(g.left() - f.left(), g.top() - f.top(), f.right() - g.right(),
                    f.bottom() - g.bottom());
}

static bool FrameKnown(QWidget* w) {
    return (w->windowFlags() & Qt::FramelessWindowHint) || !FrameMargins(w).isNull();
}

static bool NormalState(Qt::WindowStates s) {
    return !(s & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
}

static bool NormalState(QWidget* w) {
    return NormalState(w->windowState());
}

static bool IsDialogClass(const CWnd* wnd) {
    return wnd->m_p->className == "#32770";
}

static QRect FrameRect(const CWnd* wnd, QWidget* w) {
    const WndPrivate& p = *wnd->m_p;
    if (p.wantedFrame && !FrameKnown(w) && w->geometry() == p.provisionalGeometry)
        return *p.wantedFrame;
    return w->frameGeometry();
}

void AfxPlaceFrame(CWnd* wnd, const QRect& r) {
    QWidget* w = wnd->GetWidget();
    if (!w)
        return;
    QRect to(r.topLeft(), QSize(std::max(0, r.width()), std::max(0, r.height())));
    bool known = FrameKnown(w);
    QMargins m = known ? FrameMargins(w) : QMargins();
    // A dialog without a sizing border keeps the size the program gives it: the window
    // manager is told so, and offers no maximise box for it.
    bool fixed = IsDialogClass(wnd) && !(wnd->m_p->style & WS_THICKFRAME);
    if (fixed) {
        w->setMinimumSize(0, 0);
        w->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    }
    // Qt places a window by its frame when it is moved; its size is the client's.
    w->move(to.topLeft());
    w->resize(std::max(0, to.width() - m.left() - m.right()),
              std::max(0, to.height() - m.top() - m.bottom()));
    if (fixed)
        w->setFixedSize(w->size());
    if (known) {
        wnd->m_p->wantedFrame.reset();
    } else {
        wnd->m_p->wantedFrame = to;
        wnd->m_p->provisionalGeometry = w->geometry();
    }
}

void AfxTopLevelChanged(CWnd* wnd, QEvent* e) {
    QWidget* w = wnd->GetWidget();
    WndPrivate& p = *wnd->m_p;
    if (p.wantedFrame && !(w->windowFlags() & Qt::FramelessWindowHint) &&
        !FrameMargins(w).isNull() && NormalState(w)) {
        QRect to = *p.wantedFrame;
        p.wantedFrame.reset();
        // A dialog is measured by its client area (its template, a sheet's pages): framed, it
        // keeps that size and only its place is the frame's.
        if (IsDialogClass(wnd))
            to.setSize(w->frameGeometry().size());
        if (w->frameGeometry() != to)
            AfxPlaceFrame(wnd, to);
    }
    if (e->type() != QEvent::WindowStateChange || p.settingState)
        return;
    // The user used the frame's buttons (or the task bar): the window hears of it as of the
    // system command, and then of its new size, in the order the system tells them.
    Qt::WindowStates old = static_cast<QWindowStateChangeEvent*>(e)->oldState();
    Qt::WindowStates now = w->windowState();
    UINT cmd = 0;
    if ((now & Qt::WindowMinimized) && !(old & Qt::WindowMinimized))
        cmd = SC_MINIMIZE;
    else if ((now & Qt::WindowMaximized) && !(now & Qt::WindowMinimized) &&
             (old & (Qt::WindowMinimized | Qt::WindowMaximized)) != Qt::WindowMaximized)
        cmd = SC_MAXIMIZE;
    else if (NormalState(w) && !NormalState(old))
        cmd = SC_RESTORE;
    if (!cmd)
        return;
    QTimer::singleShot(0, w, [h = wnd->m_hWnd, cmd] {
        CWnd* target = CWnd::FromHandlePermanent(h);
        if (!target)
            return;
        target->SendMessage(WM_SYSCOMMAND, cmd, 0);
        target = CWnd::FromHandlePermanent(h);
        QWidget* q = target ? target->GetWidget() : nullptr;
        if (q && cmd != SC_MINIMIZE)
            target->SendMessage(WM_SIZE, q->isMaximized() ? SIZE_MAXIMIZED : SIZE_RESTORED,
                                MAKELPARAM(q->width(), q->height()));
    });
}

void CWnd::MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint) {
    QWidget* w = GetWidget();
    if (!w)
        return;
    if (w->isWindow())
        AfxPlaceFrame(this, QRect(x, y, nWidth, nHeight));
    else
        w->setGeometry(x, y, std::max(0, nWidth), std::max(0, nHeight));
    if (bRepaint)
        w->update();
}

void CWnd::MoveWindow(LPCRECT r, BOOL bRepaint) {
    MoveWindow(r->left, r->top, r->right - r->left, r->bottom - r->top, bRepaint);
}

BOOL CWnd::SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags) {
    QWidget* w = GetWidget();
    if (!w)
        return FALSE;
    QRect g = w->isWindow() ? FrameRect(this, w) : w->geometry();
    QRect was = g;
    if (!(nFlags & SWP_NOMOVE))
        g.moveTo(x, y);
    if (!(nFlags & SWP_NOSIZE))
        g.setSize(QSize(std::max(0, cx), std::max(0, cy)));
    if (g != was) {
        if (!w->isWindow()) {
            w->setGeometry(g);
        } else if (nFlags & SWP_NOSIZE) {
            // Only the place changes; the size stays whatever the frame turns out to be.
            w->move(g.topLeft());
            if (m_p->wantedFrame) {
                m_p->wantedFrame->moveTopLeft(g.topLeft());
                m_p->provisionalGeometry = w->geometry();
            }
        } else {
            AfxPlaceFrame(this, g);
        }
    }
    if (!(nFlags & SWP_NOZORDER)) {
        HWND after = pWndInsertAfter ? pWndInsertAfter->m_hWnd : HWND_TOP;
        if (after == HWND_TOPMOST || after == HWND_NOTOPMOST) {
            bool top = after == HWND_TOPMOST;
            ModifyStyleEx(top ? 0 : WS_EX_TOPMOST, top ? WS_EX_TOPMOST : 0);
            Raise(w);
        } else if (after == HWND_BOTTOM) {
            w->lower();
        } else if (after == HWND_TOP || !pWndInsertAfter->GetWidget()) {
            Raise(w);
        } else if (QWidget* behind = pWndInsertAfter->GetWidget();
                   !w->isWindow() && w->parentWidget() && behind->parentWidget() == w->parentWidget()) {
            // A child comes next after the given sibling in its parent's order (the order
            // GetWindow and the Tab key follow: Qt's children list, first made first).
            QWidget* next = nullptr;
            bool passed = false;
            for (QObject* o : w->parentWidget()->children()) {
                if (passed && o != w && o->isWidgetType()) {
                    next = static_cast<QWidget*>(o);
                    break;
                }
                passed = passed || o == behind;
            }
            if (next)
                w->stackUnder(next);
            else
                w->raise();
        } else {
            // Placed just behind the given window.
            w->stackUnder(behind);
        }
    }
    if (nFlags & SWP_SHOWWINDOW)
        ShowWindow((nFlags & SWP_NOACTIVATE) ? SW_SHOWNA : SW_SHOW);
    if (nFlags & SWP_HIDEWINDOW)
        ShowWindow(SW_HIDE);
    return TRUE;
}

void CWnd::GetWindowRect(LPRECT lpRect) const {
    QWidget* w = GetWidget();
    if (!w) {
        *lpRect = RECT{0, 0, 0, 0};
        return;
    }
    QPoint tl = w->isWindow() ? FrameRect(this, w).topLeft() : w->mapToGlobal(QPoint(0, 0));
    QSize s = w->isWindow() ? FrameRect(this, w).size() : w->size();
    *lpRect = RECT{tl.x(), tl.y(), tl.x() + s.width(), tl.y() + s.height()};
}

void CWnd::GetClientRect(LPRECT lpRect) const {
    QWidget* w = GetWidget();
    *lpRect = w ? RECT{0, 0, w->width(), w->height()} : RECT{0, 0, 0, 0};
    // A window that draws its own scroll bars keeps them outside its client area; Qt controls
    // (an adapter) place theirs themselves.
    if (w && !m_p->adapter) {
        if (m_p->style & WS_VSCROLL)
            lpRect->right = std::max<LONG>(0, lpRect->right - GetSystemMetrics(SM_CXVSCROLL));
        if (m_p->style & WS_HSCROLL)
            lpRect->bottom = std::max<LONG>(0, lpRect->bottom - GetSystemMetrics(SM_CYHSCROLL));
    }
}

void CWnd::ClientToScreen(LPPOINT p) const {
    if (QWidget* w = GetWidget()) {
        QPoint g = w->mapToGlobal(QPoint(p->x, p->y));
        p->x = g.x(), p->y = g.y();
    }
}

void CWnd::ClientToScreen(LPRECT r) const {
    ClientToScreen(reinterpret_cast<LPPOINT>(&r->left));
    ClientToScreen(reinterpret_cast<LPPOINT>(&r->right));
}

void CWnd::ScreenToClient(LPPOINT p) const {
    if (QWidget* w = GetWidget()) {
        QPoint c = w->mapFromGlobal(QPoint(p->x, p->y));
        p->x = c.x(), p->y = c.y();
    }
}

void CWnd::ScreenToClient(LPRECT r) const {
    ScreenToClient(reinterpret_cast<LPPOINT>(&r->left));
    ScreenToClient(reinterpret_cast<LPPOINT>(&r->right));
}

void CWnd::MapWindowPoints(CWnd* pwndTo, LPPOINT lpPoint, UINT nCount) const {
    for (UINT i = 0; i < nCount; ++i) {
        ClientToScreen(&lpPoint[i]);
        if (pwndTo)
            pwndTo->ScreenToClient(&lpPoint[i]);
    }
}

void CWnd::MapWindowPoints(CWnd* pwndTo, LPRECT lpRect) const {
    MapWindowPoints(pwndTo, reinterpret_cast<LPPOINT>(lpRect), 2);
}

void CWnd::CenterWindow(CWnd* pAlternateOwner) {
    QWidget* w = GetWidget();
    if (!w)
        return;
    CRect area;
    CWnd* center = pAlternateOwner ? pAlternateOwner : GetOwner();
    if (w->isWindow()) {
        // A maximized owner covers the work area, also before the window manager has given it
        // that size (a dialog opened as the program starts).
        QWidget* cw = center ? center->GetWidget() : nullptr;
        if (center && center->IsWindowVisible() && !(cw && cw->isMaximized()))
            center->GetWindowRect(&area);
        else
            SystemParametersInfo(SPI_GETWORKAREA, 0, &area, 0);
    } else if (CWnd* parent = GetParent()) {
        parent->GetClientRect(&area);
    }
    CRect mine;
    GetWindowRect(&mine);
    int x = area.left + (area.Width() - mine.Width()) / 2;
    int y = area.top + (area.Height() - mine.Height()) / 2;
    if (w->isWindow()) {
        CRect work;
        SystemParametersInfo(SPI_GETWORKAREA, 0, &work, 0);
        x = std::clamp(x, (int)work.left, std::max((int)work.left, (int)work.right - mine.Width()));
        y = std::clamp(y, (int)work.top, std::max((int)work.top, (int)work.bottom - mine.Height()));
    }
    SetWindowPos(nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// ---- Text, font, state ----------------------------------------------------------------------

void CWnd::SetWindowText(LPCTSTR lpszString) {
    SendMessage(WM_SETTEXT, 0, (LPARAM)lpszString);
}

int CWnd::GetWindowTextLength() const {
    return (int)const_cast<CWnd*>(this)->SendMessage(WM_GETTEXTLENGTH);
}

int CWnd::GetWindowText(LPTSTR buf, int nMaxCount) const {
    return (int)const_cast<CWnd*>(this)->SendMessage(WM_GETTEXT, (WPARAM)nMaxCount, (LPARAM)buf);
}

void CWnd::GetWindowText(CString& rString) const {
    int n = GetWindowTextLength();
    std::string buf((size_t)n + 1, '\0');
    int got = GetWindowText(buf.data(), n + 1);
    rString = CString(buf.data(), std::max(0, got));
}

void CWnd::SetFont(CFont* pFont, BOOL bRedraw) {
    SendMessage(WM_SETFONT, (WPARAM)(pFont ? pFont->m_hObject : nullptr), bRedraw);
}

CFont* CWnd::GetFont() const {
    return CFont::FromHandle((HFONT) const_cast<CWnd*>(this)->SendMessage(WM_GETFONT));
}

BOOL CWnd::EnableWindow(BOOL bEnable) {
    QWidget* w = GetWidget();
    if (!w)
        return FALSE;
    BOOL wasDisabled = !w->isEnabled();
    if (wasDisabled == !bEnable)
        return wasDisabled;
    w->setEnabled(bEnable != 0);
    SendMessage(WM_ENABLE, bEnable, 0);
    return wasDisabled;
}

BOOL CWnd::IsWindowEnabled() const {
    QWidget* w = GetWidget();
    return w && w->isEnabled();
}

CWnd* CWnd::SetFocus() {
    CWnd* old = GetFocus();
    if (QWidget* w = GetWidget()) {
        QWidget* target = w->focusProxy() ? w->focusProxy() : w;
        if (w->window()->isVisible() && !w->window()->isActiveWindow())
            w->window()->activateWindow();
        target->setFocus(Qt::OtherFocusReason);
    }
    return old;
}

CWnd* CWnd::GetFocus() {
    QWidget* f = QApplication::instance() ? QApplication::focusWidget() : nullptr;
    return f ? FromWidget(f) : nullptr;
}

CWnd* CWnd::SetCapture() {
    extern HWND AfxSetCaptureHandle(HWND);
    CWnd* old = FromHandle(AfxSetCaptureHandle(m_hWnd));
    if (old && old != this)
        old->SendMessage(WM_CAPTURECHANGED, 0, (LPARAM)m_hWnd);
    return old;
}

CWnd* CWnd::GetActiveWindow() {
    QWidget* w = QApplication::instance() ? QApplication::activeWindow() : nullptr;
    return w ? FromWidget(w) : nullptr;
}

CWnd* CWnd::SetActiveWindow() {
    CWnd* old = GetActiveWindow();
    if (QWidget* w = GetWidget())
        w->activateWindow();
    return old;
}

// ---- Timers ---------------------------------------------------------------------------------

UINT_PTR CWnd::SetTimer(UINT_PTR nIDEvent, UINT nElapse,
                        void (*lpfnTimer)(HWND, UINT, UINT_PTR, DWORD)) {
    QWidget* w = GetWidget();
    if (!w)
        return 0;
    KillTimer(nIDEvent);
    // The system never fires a timer faster than every 10 ms.
    int qid = w->startTimer((int)std::max<UINT>(nElapse, 10), Qt::PreciseTimer);
    if (!qid)
        return 0;
    m_p->qtTimerToId[qid] = nIDEvent;
    m_p->idToQtTimer[nIDEvent] = qid;
    if (lpfnTimer)
        m_p->timerCallbacks[nIDEvent] = lpfnTimer;
    return nIDEvent ? nIDEvent : 1;
}

BOOL CWnd::KillTimer(UINT_PTR nIDEvent) {
    QWidget* w = GetWidget();
    if (!w)
        return FALSE;
    auto it = m_p->idToQtTimer.find(nIDEvent);
    if (it == m_p->idToQtTimer.end())
        return FALSE;
    w->killTimer(it->second);
    m_p->qtTimerToId.erase(it->second);
    m_p->idToQtTimer.erase(it);
    m_p->timerCallbacks.erase(nIDEvent);
    return TRUE;
}

// ---- Dialog item helpers --------------------------------------------------------------------

// ---- Scroll bars -----------------------------------------------------------------------------

void AfxMergeScrollInfo(SCROLLINFO& bar, const SCROLLINFO& in) {
    if (in.fMask & SIF_RANGE) {
        bar.nMin = in.nMin;
        bar.nMax = std::max(in.nMin, in.nMax);
    }
    if (in.fMask & SIF_PAGE)
        bar.nPage = in.nPage;
    bar.nPage = std::min<UINT>(bar.nPage, (UINT)(bar.nMax - bar.nMin + 1));
    if (in.fMask & SIF_POS)
        bar.nPos = in.nPos;
    int last = bar.nMax - std::max(0, (int)bar.nPage - 1);
    bar.nPos = std::clamp(bar.nPos, bar.nMin, std::max(bar.nMin, last));
    bar.nTrackPos = bar.nPos;
}

void AfxCopyScrollInfo(const SCROLLINFO& bar, SCROLLINFO& out, UINT mask) {
    out.fMask = mask;
    if (mask & SIF_RANGE)
        out.nMin = bar.nMin, out.nMax = bar.nMax;
    if (mask & SIF_PAGE)
        out.nPage = bar.nPage;
    if (mask & SIF_POS)
        out.nPos = bar.nPos;
    if (mask & SIF_TRACKPOS)
        out.nTrackPos = bar.nTrackPos;
}

BOOL CWnd::SetScrollInfo(int nBar, LPSCROLLINFO lpScrollInfo, BOOL) {
    if (!lpScrollInfo || !m_hWnd)
        return FALSE;
    if (nBar == SB_CTL)
        return (BOOL)SendMessage(SBM_SETSCROLLINFO, TRUE, (LPARAM)lpScrollInfo);
    if (nBar != SB_HORZ && nBar != SB_VERT)
        return FALSE;
    AfxMergeScrollInfo(m_p->bars[nBar], *lpScrollInfo);
    if (QWidget* w = GetWidget())
        w->update();
    return m_p->bars[nBar].nPos;
}

BOOL CWnd::GetScrollInfo(int nBar, LPSCROLLINFO lpScrollInfo, UINT nMask) {
    if (!lpScrollInfo || !m_hWnd)
        return FALSE;
    if (nBar == SB_CTL) {
        lpScrollInfo->fMask = nMask;
        return (BOOL)SendMessage(SBM_GETSCROLLINFO, 0, (LPARAM)lpScrollInfo);
    }
    if (nBar != SB_HORZ && nBar != SB_VERT)
        return FALSE;
    AfxCopyScrollInfo(m_p->bars[nBar], *lpScrollInfo, nMask);
    return TRUE;
}

int CWnd::SetScrollPos(int nBar, int nPos, BOOL bRedraw) {
    int old = GetScrollPos(nBar);
    SCROLLINFO si{sizeof si, SIF_POS, 0, 0, 0, nPos, 0};
    SetScrollInfo(nBar, &si, bRedraw);
    return old;
}

int CWnd::GetScrollPos(int nBar) const {
    SCROLLINFO si{sizeof si, SIF_POS, 0, 0, 0, 0, 0};
    const_cast<CWnd*>(this)->GetScrollInfo(nBar, &si, SIF_POS);
    return si.nPos;
}

void CWnd::SetScrollRange(int nBar, int nMinPos, int nMaxPos, BOOL bRedraw) {
    SCROLLINFO si{sizeof si, SIF_RANGE, nMinPos, nMaxPos, 0, 0, 0};
    SetScrollInfo(nBar, &si, bRedraw);
}

void CWnd::GetScrollRange(int nBar, LPINT lpMinPos, LPINT lpMaxPos) const {
    SCROLLINFO si{sizeof si, SIF_RANGE, 0, 0, 0, 0, 0};
    const_cast<CWnd*>(this)->GetScrollInfo(nBar, &si, SIF_RANGE);
    if (lpMinPos)
        *lpMinPos = si.nMin;
    if (lpMaxPos)
        *lpMaxPos = si.nMax;
}

void CWnd::ShowScrollBar(UINT nBar, BOOL bShow) {
    if (nBar == SB_CTL) {
        ShowWindow(bShow ? SW_SHOW : SW_HIDE);
        return;
    }
    DWORD bits = nBar == SB_HORZ   ? WS_HSCROLL
                 : nBar == SB_VERT ? WS_VSCROLL
                                   : WS_HSCROLL | WS_VSCROLL;
    ModifyStyle(bShow ? 0 : bits, bShow ? bits : 0);
}

void CWnd::SetDlgItemText(int nID, LPCTSTR lpszString) {
    if (CWnd* c = GetDlgItem(nID))
        c->SetWindowText(lpszString);
}

int CWnd::GetDlgItemText(int nID, CString& rString) const {
    rString.Empty();
    if (CWnd* c = GetDlgItem(nID))
        c->GetWindowText(rString);
    return rString.GetLength();
}

void CWnd::SetDlgItemInt(int nID, UINT nValue, BOOL bSigned) {
    CString s;
    if (bSigned)
        s.Format("%d", (int)nValue);
    else
        s.Format("%u", nValue);
    SetDlgItemText(nID, s);
}

UINT CWnd::GetDlgItemInt(int nID, BOOL* lpTrans, BOOL bSigned) const {
    if (lpTrans)
        *lpTrans = FALSE;
    CString s;
    if (!GetDlgItem(nID))
        return 0;
    GetDlgItemText(nID, s);
    s.Trim();
    const char* p = s.GetString();
    if (!*p)
        return 0;
    char* end = nullptr;
    errno = 0;
    long long v = std::strtoll(p, &end, 10);
    // Anything but one whole number in range is not translated.
    if (*end || errno == ERANGE || (!bSigned && (v < 0 || v > 0xFFFFFFFFLL)) ||
        (bSigned && (v < INT32_MIN || v > INT32_MAX)) || (!bSigned && *p == '-'))
        return 0;
    if (lpTrans)
        *lpTrans = TRUE;
    return (UINT)v;
}

void CWnd::CheckDlgButton(int nIDButton, UINT nCheck) {
    SendDlgItemMessage(nIDButton, BM_SETCHECK, nCheck, 0);
}

UINT CWnd::IsDlgButtonChecked(int nIDButton) const {
    return (UINT) const_cast<CWnd*>(this)->SendDlgItemMessage(nIDButton, BM_GETCHECK, 0, 0);
}

void CWnd::CheckRadioButton(int nIDFirstButton, int nIDLastButton, int nIDCheckButton) {
    for (int id = nIDFirstButton; id <= nIDLastButton; ++id)
        CheckDlgButton(id, id == nIDCheckButton ? BST_CHECKED : BST_UNCHECKED);
}

int CWnd::GetCheckedRadioButton(int nIDFirstButton, int nIDLastButton) {
    for (int id = nIDFirstButton; id <= nIDLastButton; ++id)
        if (IsDlgButtonChecked(id))
            return id;
    return 0;
}

LRESULT CWnd::SendDlgItemMessage(int nID, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd* c = GetDlgItem(nID);
    return c ? c->SendMessage(message, wParam, lParam) : 0;
}

// ---- Lookup of top-level windows ------------------------------------------------------------

CWnd* CWnd::FindWindow(LPCTSTR lpszClassName, LPCTSTR lpszWindowName) {
    if (!QApplication::instance())
        return nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        CWnd* wnd = FromWidget(w);
        if (!wnd || wnd->GetWidget() != w)
            continue;
        if (lpszClassName && wnd->m_p->className != lpszClassName)
            continue;
        if (lpszWindowName) {
            CString title;
            wnd->GetWindowText(title);
            if (title != lpszWindowName)
                continue;
        }
        return wnd;
    }
    return nullptr;
}

CWnd* CWnd::WindowFromPoint(POINT point) {
    if (!QApplication::instance())
        return nullptr;
    QWidget* w = QApplication::widgetAt(QPoint(point.x, point.y));
    return w ? FromWidget(w) : nullptr;
}

BOOL CWnd::SaveScreenshot(LPCTSTR lpszPngPath) {
    QWidget* w = GetWidget();
    if (!w || !lpszPngPath)
        return FALSE;
    QString path = AfxToQt(lpszPngPath);
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (!w->testAttribute(Qt::WA_WState_Created) || w->isHidden())
        w->ensurePolished();
    return w->grab().save(path, "PNG");
}

// ---- Default handlers -----------------------------------------------------------------------

int CWnd::OnCreate(LPCREATESTRUCT) {
    return (int)Default();
}
void CWnd::OnDestroy() {
    Default();
}
void CWnd::OnClose() {
    Default();
}
void CWnd::OnPaint() {
    Default();
}
BOOL CWnd::OnEraseBkgnd(CDC*) {
    return (BOOL)Default();
}
void CWnd::OnSize(UINT, int, int) {
    Default();
}
void CWnd::OnMove(int, int) {
    Default();
}
void CWnd::OnTimer(UINT_PTR) {
    Default();
}
void CWnd::OnSetFocus(CWnd*) {
    Default();
}
void CWnd::OnKillFocus(CWnd*) {
    Default();
}
void CWnd::OnEnable(BOOL) {
    Default();
}
void CWnd::OnShowWindow(BOOL, UINT) {
    Default();
}
void CWnd::OnActivate(UINT, CWnd*, BOOL) {
    Default();
}
void CWnd::OnKeyDown(UINT, UINT, UINT) {
    Default();
}
void CWnd::OnKeyUp(UINT, UINT, UINT) {
    Default();
}
void CWnd::OnSysKeyDown(UINT, UINT, UINT) {
    Default();
}
void CWnd::OnChar(UINT, UINT, UINT) {
    Default();
}
void CWnd::OnMouseMove(UINT, CPoint) {
    Default();
}
void CWnd::OnLButtonDown(UINT, CPoint) {
    Default();
}
void CWnd::OnLButtonUp(UINT, CPoint) {
    Default();
}
void CWnd::OnLButtonDblClk(UINT, CPoint) {
    Default();
}
void CWnd::OnRButtonDown(UINT, CPoint) {
    Default();
}
void CWnd::OnRButtonUp(UINT, CPoint) {
    Default();
}
void CWnd::OnRButtonDblClk(UINT, CPoint) {
    Default();
}
BOOL CWnd::OnMouseWheel(UINT, short, CPoint) {
    return (BOOL)Default();
}
void CWnd::OnContextMenu(CWnd*, CPoint) {
    Default();
}
void CWnd::OnHScroll(UINT, UINT, CScrollBar*) {
    Default();
}
void CWnd::OnVScroll(UINT, UINT, CScrollBar*) {
    Default();
}
UINT CWnd::OnGetDlgCode() {
    return (UINT)Default();
}
BOOL CWnd::OnSetCursor(CWnd*, UINT, UINT) {
    return (BOOL)Default();
}
void CWnd::OnCaptureChanged(CWnd*) {
    Default();
}
void CWnd::OnSysCommand(UINT, LPARAM) {
    Default();
}
void CWnd::OnDrawItem(int, LPDRAWITEMSTRUCT) {
    Default();
}
void CWnd::OnMeasureItem(int, LPMEASUREITEMSTRUCT) {
    Default();
}
HBRUSH CWnd::OnCtlColor(CDC*, CWnd*, UINT) {
    return (HBRUSH)Default();
}
