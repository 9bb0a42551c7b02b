#include "platform/gui/ToolTipCtrl.h"

#include "platform/gui/Dc.h"
#include "platform/gui/WndPrivate.h"

#include <QFontMetrics>
#include <QAbstractScrollArea>
#include <QMouseEvent>
#include <QPointer>
#include <algorithm>
#include <cstring>
#include <map>
#include <vector>

IMPLEMENT_DYNAMIC(CToolTipCtrl, CWnd)

namespace {
constexpr UINT_PTR kShowTimer = 1;
constexpr UINT_PTR kPopTimer = 2;
constexpr int kMargin = 3;

// Hands the mouse messages of a tool's window to its tip before the window gets them (tools
// added with TTF_SUBCLASS), so that the owner need not relay them. A control hears the pointer
// pass over it only while it tracks the mouse, and a scrolling control (a list) in its viewport:
// the watcher makes both track.
class ToolWindowWatcher : public QObject {
public:
    ToolWindowWatcher(HWND tool, HWND tip, QWidget* widget)
        : QObject(widget), m_tool(tool), m_tip(tip), m_widget(widget) {
        widget->setMouseTracking(true);
        widget->installEventFilter(this);
        if (auto* area = qobject_cast<QAbstractScrollArea*>(widget)) {
            m_viewport = area->viewport();
            m_viewport->setMouseTracking(true);
            m_viewport->installEventFilter(this);
        }
    }
    bool eventFilter(QObject* obj, QEvent* e) override {
        if (obj != m_widget && (m_viewport == nullptr || obj != m_viewport))
            return false;
        auto* tip = dynamic_cast<CToolTipCtrl*>(CWnd::FromHandle(m_tip));
        if (!tip)
            return false;
        MSG msg{m_tool, 0, 0, 0, 0, {0, 0}};
        switch (e->type()) {
        case QEvent::MouseMove:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease: {
            auto* me = static_cast<QMouseEvent*>(e);
            msg.message = AfxMouseMessageOf(me);
            QPoint pt = me->position().toPoint();
            msg.lParam = MAKELPARAM(pt.x(), pt.y());
            break;
        }
        case QEvent::Leave:
            msg.message = WM_MOUSELEAVE;
            break;
        default:
            return false;
        }
        tip->RelayEvent(&msg);
        return false;
    }

private:
    HWND m_tool, m_tip;
    QWidget* m_widget;
    QWidget* m_viewport = nullptr;
};
} // namespace

struct ToolTipCtrlState {
    struct Tool {
        UINT flags = 0;
        HWND hwnd = nullptr;
        UINT_PTR id = 0;
        CRect rect;
        CString text;
        bool callback = false;
        LPARAM data = 0;
    };
    CToolTipCtrl* self;
    std::vector<Tool> tools;
    bool active = true;
    UINT initial = 500, autopop = 5000;
    int maxWidth = -1;
    int pending = -1; // the tool the pointer rests on
    int shown = -1;
    CString shownText;
    CPoint lastScreen;
    // The watchers of windows with TTF_SUBCLASS tools, one a window.
    std::map<HWND, QPointer<QObject>> watchers;

    explicit ToolTipCtrlState(CToolTipCtrl* s) : self(s) {}

    // The window whose messages a tool is about.
    static HWND WindowOf(const Tool& t) { return (t.flags & TTF_IDISHWND) ? (HWND)t.id : t.hwnd; }
    // Watches exactly the windows that have a TTF_SUBCLASS tool.
    void UpdateWatchers() {
        std::map<HWND, bool> wanted;
        for (const Tool& t : tools)
            if (t.flags & TTF_SUBCLASS)
                wanted[WindowOf(t)] = true;
        for (auto it = watchers.begin(); it != watchers.end();) {
            if (!wanted.count(it->first) || !it->second) {
                delete it->second.data();
                it = watchers.erase(it);
            } else {
                ++it;
            }
        }
        for (auto& [hwnd, yes] : wanted) {
            CWnd* w = CWnd::FromHandle(hwnd);
            if (watchers.count(hwnd) || !w || !w->GetWidget() || !self->m_hWnd)
                continue;
            watchers[hwnd] = new ToolWindowWatcher(hwnd, self->m_hWnd, w->GetWidget());
        }
    }

    int Find(HWND hwnd, UINT_PTR id) const {
        for (size_t i = 0; i < tools.size(); ++i)
            if (tools[i].hwnd == hwnd && tools[i].id == id)
                return (int)i;
        return -1;
    }
    // The tool under a point of a window (client coordinates).
    int Hit(HWND hwnd, CPoint pt) const {
        for (size_t i = 0; i < tools.size(); ++i) {
            const Tool& t = tools[i];
            if (t.flags & TTF_IDISHWND) {
                if ((HWND)t.id == hwnd)
                    return (int)i;
            } else if (t.hwnd == hwnd) {
                CRect r = t.rect;
                if (r.IsRectEmpty())
                    if (CWnd* w = CWnd::FromHandle(hwnd))
                        w->GetClientRect(&r);
                if (r.PtInRect(pt))
                    return (int)i;
            }
        }
        return -1;
    }
    CString TextOf(int i) {
        Tool t = tools[(size_t)i];
        if (!t.callback)
            return t.text;
        // The tool's window says what to show.
        NMTTDISPINFO di{};
        di.hdr.hwndFrom = self->m_hWnd;
        di.hdr.idFrom = t.id;
        di.hdr.code = TTN_NEEDTEXT;
        di.uFlags = t.flags;
        di.lParam = t.data;
        CWnd* to = CWnd::FromHandle(t.hwnd);
        if (!to)
            return CString();
        to->SendMessage(WM_NOTIFY, (WPARAM)t.id, (LPARAM)&di);
        if (di.lpszText && di.lpszText != LPSTR_TEXTCALLBACK)
            return CString(di.lpszText);
        di.szText[sizeof di.szText - 1] = 0;
        return CString(di.szText);
    }
    void Hide() {
        self->KillTimer(kShowTimer);
        self->KillTimer(kPopTimer);
        if (shown >= 0) {
            UINT_PTR id = tools[(size_t)shown].id;
            shown = -1;
            self->ShowWindow(SW_HIDE);
            NMHDR nm{self->m_hWnd, id, TTN_POP};
            if (CWnd* owner = CWnd::FromHandle(self->m_p->owner))
                owner->SendMessage(WM_NOTIFY, id, (LPARAM)&nm);
        }
    }
    void Show(int i) {
        CString text = TextOf(i);
        if (!IsWindow(self->m_hWnd) || i >= (int)tools.size() || text.IsEmpty())
            return;
        shown = i;
        shownText = text;
        QFontMetrics fm(AfxQFont((HFONT)*AfxControlFont(self)));
        QRect box = fm.boundingRect(QRect(0, 0, maxWidth > 0 ? maxWidth : 10000, 10000),
                                    Qt::TextWordWrap, AfxToQt(text));
        self->SetWindowPos(&CWnd::wndTopMost, lastScreen.x, lastScreen.y + 20,
                           box.width() + 2 * kMargin + 2, box.height() + 2 * kMargin + 2,
                           SWP_NOACTIVATE | SWP_SHOWWINDOW);
        self->Invalidate();
        self->SetTimer(kPopTimer, autopop, nullptr);
    }
};

CToolTipCtrl::CToolTipCtrl() : m_tt(std::make_unique<ToolTipCtrlState>(this)) {}

CToolTipCtrl::~CToolTipCtrl() {
    if (m_hWnd)
        DestroyWindow();
    m_tt->tools.clear();
    m_tt->UpdateWatchers();
}

BOOL CToolTipCtrl::Create(CWnd* pParentWnd, DWORD dwStyle) {
    return CreateEx(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, AfxRegisterWndClass(0), nullptr,
                    WS_POPUP | WS_BORDER | dwStyle, CRect(0, 0, 10, 10), pParentWnd, 0);
}

BOOL CToolTipCtrl::AddTool(const TOOLINFO* p) {
    if (!p)
        return FALSE;
    ToolTipCtrlState::Tool t;
    t.flags = p->uFlags;
    t.hwnd = p->hwnd;
    t.id = p->uId;
    t.rect = p->rect;
    t.callback = p->lpszText == LPSTR_TEXTCALLBACK;
    if (!t.callback && p->lpszText)
        t.text = p->lpszText;
    t.data = p->lParam;
    int old = m_tt->Find(t.hwnd, t.id);
    if (old >= 0)
        m_tt->tools[(size_t)old] = t;
    else
        m_tt->tools.push_back(t);
    m_tt->UpdateWatchers();
    return TRUE;
}

BOOL CToolTipCtrl::AddTool(CWnd* pWnd, LPCTSTR lpszText, LPCRECT lpRectTool, UINT_PTR nIDTool) {
    if (!pWnd)
        return FALSE;
    TOOLINFO ti{};
    ti.cbSize = sizeof ti;
    ti.hwnd = pWnd->m_hWnd;
    ti.uId = nIDTool;
    if (lpRectTool)
        ti.rect = *lpRectTool;
    ti.lpszText = const_cast<LPSTR>(lpszText);
    return AddTool(&ti);
}

void CToolTipCtrl::DelTool(CWnd* pWnd, UINT_PTR nIDTool) {
    int i = pWnd ? m_tt->Find(pWnd->m_hWnd, nIDTool) : -1;
    if (i < 0)
        return;
    if (m_tt->shown == i)
        m_tt->Hide();
    m_tt->tools.erase(m_tt->tools.begin() + i);
    for (int* idx : {&m_tt->shown, &m_tt->pending})
        *idx = *idx == i ? -1 : *idx > i ? *idx - 1 : *idx;
    m_tt->UpdateWatchers();
}

void CToolTipCtrl::UpdateTipText(LPCTSTR lpszText, CWnd* pWnd, UINT_PTR nIDTool) {
    int i = pWnd ? m_tt->Find(pWnd->m_hWnd, nIDTool) : -1;
    if (i < 0)
        return;
    auto& t = m_tt->tools[(size_t)i];
    t.callback = lpszText == LPSTR_TEXTCALLBACK;
    t.text = t.callback || !lpszText ? CString() : CString(lpszText);
    if (m_tt->shown == i) {
        m_tt->shownText = m_tt->TextOf(i);
        Invalidate();
    }
}

void CToolTipCtrl::GetText(CString& str, CWnd* pWnd, UINT_PTR nIDTool) const {
    int i = pWnd ? m_tt->Find(pWnd->m_hWnd, nIDTool) : -1;
    str = i >= 0 ? m_tt->tools[(size_t)i].text : CString();
}

int CToolTipCtrl::GetToolCount() const {
    return (int)m_tt->tools.size();
}

void CToolTipCtrl::Activate(BOOL bActivate) {
    m_tt->active = bActivate != FALSE;
    if (!m_tt->active)
        m_tt->Hide();
}

void CToolTipCtrl::SetDelayTime(DWORD dwDuration, int iTime) {
    UINT t = (UINT)std::max(0, iTime);
    if (dwDuration == TTDT_INITIAL || dwDuration == TTDT_AUTOMATIC)
        m_tt->initial = t;
    if (dwDuration == TTDT_AUTOPOP)
        m_tt->autopop = t;
    if (dwDuration == TTDT_AUTOMATIC && iTime >= 0)
        m_tt->autopop = t * 10;
}

int CToolTipCtrl::SetMaxTipWidth(int iWidth) {
    std::swap(m_tt->maxWidth, iWidth);
    return iWidth;
}

void CToolTipCtrl::RelayEvent(LPMSG msg) {
    ToolTipCtrlState& t = *m_tt;
    if (!msg || !m_hWnd)
        return;
    switch (msg->message) {
    case WM_MOUSEMOVE: {
        CPoint pt((short)LOWORD(msg->lParam), (short)HIWORD(msg->lParam));
        int i = t.active ? t.Hit(msg->hwnd, pt) : -1;
        if (CWnd* w = CWnd::FromHandle(msg->hwnd)) {
            t.lastScreen = pt;
            w->ClientToScreen(&t.lastScreen);
        }
        if (i == t.shown && i >= 0)
            return;
        if (t.shown >= 0)
            t.Hide();
        t.pending = i;
        KillTimer(kShowTimer);
        if (i >= 0)
            SetTimer(kShowTimer, std::max(1u, t.initial), nullptr);
        return;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MOUSELEAVE:
        t.pending = -1;
        t.Hide();
        return;
    default:
        return;
    }
}

void CToolTipCtrl::Pop() {
    m_tt->pending = -1;
    m_tt->Hide();
}

BOOL CToolTipCtrl::IsTipShown() const {
    return m_tt->shown >= 0 && IsWindowVisible();
}

CString CToolTipCtrl::GetShownText() const {
    return m_tt->shown >= 0 ? m_tt->shownText : CString();
}

LRESULT CToolTipCtrl::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    ToolTipCtrlState& t = *m_tt;
    switch (message) {
    case TTM_ACTIVATE:
        Activate((BOOL)wParam);
        return 0;
    case TTM_SETDELAYTIME:
        SetDelayTime((DWORD)wParam, (short)LOWORD(lParam));
        return 0;
    case TTM_ADDTOOL:
        return AddTool(reinterpret_cast<TOOLINFO*>(lParam));
    case TTM_DELTOOL: {
        auto* ti = reinterpret_cast<TOOLINFO*>(lParam);
        if (ti)
            DelTool(CWnd::FromHandle(ti->hwnd), ti->uId);
        return 0;
    }
    case TTM_RELAYEVENT:
        RelayEvent(reinterpret_cast<LPMSG>(lParam));
        return 0;
    case TTM_GETTEXT: {
        auto* ti = reinterpret_cast<TOOLINFO*>(lParam);
        if (ti && ti->lpszText) {
            CString s;
            GetText(s, CWnd::FromHandle(ti->hwnd), ti->uId);
            // wParam gives the buffer's size; callers that give none have the classic 80 bytes.
            AfxCopyTextOut(s, ti->lpszText, wParam ? wParam : 80);
        }
        return 0;
    }
    case TTM_UPDATETIPTEXT: {
        auto* ti = reinterpret_cast<TOOLINFO*>(lParam);
        if (ti)
            UpdateTipText(ti->lpszText, CWnd::FromHandle(ti->hwnd), ti->uId);
        return 0;
    }
    case TTM_GETTOOLCOUNT:
        return GetToolCount();
    case TTM_SETMAXTIPWIDTH:
        return SetMaxTipWidth((int)lParam);
    case TTM_POP:
        Pop();
        return 0;
    case WM_TIMER:
        if (wParam == kShowTimer) {
            KillTimer(kShowTimer);
            if (t.pending >= 0 && t.active)
                t.Show(t.pending);
            return 0;
        }
        if (wParam == kPopTimer) {
            t.pending = -1;
            t.Hide();
            return 0;
        }
        return CWnd::DefWindowProc(message, wParam, lParam);
    case WM_PAINT:
        return AfxPaintControl(this, wParam, [&](CDC* dc) {
            CRect c;
            GetClientRect(&c);
            dc->FillSolidRect(&c, GetSysColor(COLOR_INFOBK));
            CBrush frame(GetSysColor(COLOR_WINDOWFRAME));
            dc->FrameRect(&c, &frame);
            CFont* old = dc->SelectObject(AfxControlFont(this));
            dc->SetBkMode(TRANSPARENT);
            dc->SetTextColor(GetSysColor(COLOR_INFOTEXT));
            c.DeflateRect(kMargin + 1, kMargin + 1);
            dc->DrawText(t.shownText, &c,
                         DT_WORDBREAK | ((GetStyle() & TTS_NOPREFIX) ? DT_NOPREFIX : 0));
            dc->SelectObject(old);
        });
    case WM_ERASEBKGND:
        return 1;
    default:
        return CWnd::DefWindowProc(message, wParam, lParam);
    }
}
