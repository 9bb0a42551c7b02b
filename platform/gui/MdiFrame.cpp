#include "platform/gui/MdiFrame.h"

#include "platform/gui/Accel.h"
#include "platform/gui/DocTemplate.h"
#include "platform/gui/Resource.h"
#include "platform/gui/WinApp.h"
#include "platform/gui/WndPrivate.h"

#include <QApplication>
#include <algorithm>
#include <cmath>
#include <map>
#include <vector>

IMPLEMENT_DYNCREATE(CMDIFrameWnd, CFrameWnd)
IMPLEMENT_DYNCREATE(CMDIChildWnd, CFrameWnd)

namespace {

const int kCaptionHeight = 20;
const int kBorder = 2;
const int kCascadeStep = kCaptionHeight + 4;

} // namespace

// The area the child frames live in. It keeps their stacking order (the active child first),
// whether the active child fills the area, where maximised children go back to, and the pop-up
// that lists the children.
class CMDIClientWnd : public CWnd {
public:
    std::vector<HWND> order;
    HWND active = nullptr;
    bool maximized = false;
    std::map<HWND, CRect> restoreRects;
    HMENU windowMenu = nullptr;
    UINT nextChildId = AFX_IDM_FIRST_MDICHILD;

    CMDIFrameWnd* Frame() const { return dynamic_cast<CMDIFrameWnd*>(GetParent()); }
    static CMDIChildWnd* Child(HWND h) { return dynamic_cast<CMDIChildWnd*>(CWnd::FromHandle(h)); }

    void Add(HWND h) {
        order.push_back(h);
        RefreshWindowMenu();
    }

    // The child h (null: none) becomes the active one and comes to the front.
    void Activate(HWND h) {
        if (h && std::find(order.begin(), order.end(), h) == order.end())
            return;
        if (h == active) {
            if (CWnd* w = CWnd::FromHandle(h))
                w->BringWindowToTop();
            return;
        }
        HWND old = active;
        active = h;
        if (h) {
            order.erase(std::find(order.begin(), order.end(), h));
            order.insert(order.begin(), h);
            if (CWnd* w = CWnd::FromHandle(h)) {
                if (!w->IsWindowVisible())
                    w->ShowWindow(SW_SHOW);
                w->BringWindowToTop();
            }
        }
        if (maximized) {
            // The maximised state passes to the child that becomes active.
            if (old && IsWindow(old))
                PutBack(old);
            if (h)
                Fill(h);
            else
                maximized = false;
        }
        if (old && IsWindow(old))
            ::SendMessage(old, WM_MDIACTIVATE, (WPARAM)old, (LPARAM)h);
        if (h)
            ::SendMessage(h, WM_MDIACTIVATE, (WPARAM)old, (LPARAM)h);
        RefreshWindowMenu();
    }

    // A child going away: the next one in the stacking order takes over.
    void Remove(HWND h) {
        auto it = std::find(order.begin(), order.end(), h);
        if (it == order.end())
            return;
        order.erase(it);
        restoreRects.erase(h);
        if (active == h) {
            HWND next = order.empty() ? nullptr : order.front();
            bool wasMax = maximized;
            active = nullptr;
            maximized = false;
            ::SendMessage(h, WM_MDIACTIVATE, (WPARAM)h, (LPARAM)next);
            if (next) {
                maximized = wasMax;
                Activate(next);
                return; // Activate brought the menu up to date
            }
        }
        RefreshWindowMenu();
    }

    void Fill(HWND h) {
        CWnd* w = CWnd::FromHandle(h);
        if (!w)
            return;
        if (!restoreRects.count(h)) {
            CRect r;
            w->GetWindowRect(&r);
            ScreenToClient(&r);
            restoreRects[h] = r;
        }
        CRect client;
        GetClientRect(&client);
        w->MoveWindow(&client);
        // Set after the move, which would clear it, so that IsZoomed answers for the child.
        if (QWidget* q = w->GetWidget())
            q->setWindowState(Qt::WindowMaximized);
        if (auto* c = Child(h))
            c->RecalcLayout();
        w->Invalidate();
    }

    void PutBack(HWND h) {
        CWnd* w = CWnd::FromHandle(h);
        if (!w)
            return;
        if (QWidget* q = w->GetWidget())
            q->setWindowState(Qt::WindowNoState);
        auto it = restoreRects.find(h);
        if (it != restoreRects.end()) {
            CRect r = it->second;
            restoreRects.erase(it);
            w->MoveWindow(&r);
        }
        if (auto* c = Child(h))
            c->RecalcLayout();
        w->Invalidate();
    }

    void Maximize(HWND h) {
        if (!h || std::find(order.begin(), order.end(), h) == order.end())
            return;
        maximized = true;
        if (h != active) {
            Activate(h); // fills it as the maximised state passes on
        } else {
            Fill(h);
        }
    }

    void Restore(HWND h) {
        if (!maximized || h != active)
            return;
        maximized = false;
        PutBack(h);
    }

    void Next(bool previous) {
        if (order.size() < 2)
            return;
        if (previous) {
            Activate(order.back());
            return;
        }
        // The one that was active goes behind all the others.
        HWND cur = order.front();
        HWND next = order[1];
        order.erase(order.begin());
        order.push_back(cur);
        Activate(next);
    }

    std::vector<CWnd*> Arrangeable(int nType) {
        std::vector<CWnd*> list;
        for (HWND h : order) {
            CWnd* w = CWnd::FromHandle(h);
            if (!w || !w->IsWindowVisible())
                continue;
            if ((nType & MDITILE_SKIPDISABLED) && !w->IsWindowEnabled())
                continue;
            list.push_back(w);
        }
        return list;
    }

    void LeaveMaximized() {
        if (maximized && active) {
            maximized = false;
            PutBack(active);
        }
    }

    // The children to arrange, none of them maximised any more, and the area they share.
    std::vector<CWnd*> StartArranging(int nType, CRect& client) {
        LeaveMaximized();
        GetClientRect(&client);
        return Arrangeable(nType);
    }

    // Each child a step lower and further right than the one behind it; the active child ends
    // up in front, lowest down.
    void Cascade(int nType) {
        CRect client;
        std::vector<CWnd*> list = StartArranging(nType, client);
        int n = (int)list.size();
        if (n == 0)
            return;
        int w = std::max(client.Width() - (n - 1) * kCascadeStep, client.Width() * 2 / 3);
        int h = std::max(client.Height() - (n - 1) * kCascadeStep, client.Height() * 2 / 3);
        int room = std::max(1, (client.Height() - h) / kCascadeStep + 1);
        for (int i = 0; i < n; ++i) {
            int step = (n - 1 - i) % room;
            list[i]->MoveWindow(step * kCascadeStep, step * kCascadeStep, w, h);
        }
    }

    // A grid: side by side (vertical) or one above the other (horizontal) for up to three
    // children, rows and columns for more; the last row or column takes what is left.
    void Tile(int nType) {
        CRect client;
        std::vector<CWnd*> list = StartArranging(nType, client);
        int n = (int)list.size();
        if (n == 0)
            return;
        bool horizontal = (nType & MDITILE_HORIZONTAL) != 0;
        int across = n <= 3 ? n : (int)std::ceil(std::sqrt((double)n));
        int lines = (n + across - 1) / across;
        for (int i = 0; i < n; ++i) {
            int line = i / across, pos = i % across;
            int inLine = line == lines - 1 ? n - across * (lines - 1) : across;
            CRect r;
            if (!horizontal) {
                // Lines are rows; the children of a row stand side by side.
                int rowH = client.Height() / lines;
                int colW = client.Width() / inLine;
                r.SetRect(pos * colW, line * rowH, pos == inLine - 1 ? client.right : (pos + 1) * colW,
                          line == lines - 1 ? client.bottom : (line + 1) * rowH);
            } else {
                int colW = client.Width() / lines;
                int rowH = client.Height() / inLine;
                r.SetRect(line * colW, pos * rowH, line == lines - 1 ? client.right : (line + 1) * colW,
                          pos == inLine - 1 ? client.bottom : (pos + 1) * rowH);
            }
            list[i]->MoveWindow(&r);
        }
    }

    // The window pop-up ends with a separator and one numbered item per child, in the order the
    // children were made; the active one is checked.
    void RefreshWindowMenu() {
        if (!windowMenu || !IsMenu(windowMenu))
            return;
        CMenu* menu = CMenu::FromHandle(windowMenu);
        for (int i = (int)menu->GetMenuItemCount() - 1; i >= 0; --i) {
            UINT id = menu->GetMenuItemID(i);
            if (id >= AFX_IDM_FIRST_MDICHILD && id != (UINT)-1) {
                menu->DeleteMenu((UINT)i, MF_BYPOSITION);
                if (i > 0 && menu->GetMenuItemID(i - 1) == 0 &&
                    (i - 1 == (int)menu->GetMenuItemCount() - 1 ||
                     menu->GetMenuItemID(i) >= AFX_IDM_FIRST_MDICHILD)) {
                    menu->DeleteMenu((UINT)(i - 1), MF_BYPOSITION);
                    --i;
                }
            }
        }
        std::vector<CWnd*> children;
        for (HWND h : order)
            if (CWnd* w = CWnd::FromHandle(h))
                children.push_back(w);
        std::sort(children.begin(), children.end(),
                  [](CWnd* a, CWnd* b) { return a->GetDlgCtrlID() < b->GetDlgCtrlID(); });
        if (children.empty())
            return;
        menu->AppendMenu(MF_SEPARATOR);
        int n = 0;
        for (CWnd* w : children) {
            CString title, text;
            w->GetWindowText(title);
            text.Format("&%d %s", ++n, (LPCTSTR)title);
            menu->AppendMenu(MF_STRING | (w->m_hWnd == active ? MF_CHECKED : MF_UNCHECKED),
                             (UINT_PTR)w->GetDlgCtrlID(), text);
        }
    }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        HWND h = (HWND)wParam;
        switch (message) {
        case WM_MDIACTIVATE:
            Activate(h);
            return 0;
        case WM_MDIGETACTIVE:
            if (lParam)
                *reinterpret_cast<BOOL*>(lParam) = maximized && active;
            return (LRESULT)active;
        case WM_MDINEXT:
            Next(lParam != 0);
            return 0;
        case WM_MDIMAXIMIZE:
            Maximize(h);
            return 0;
        case WM_MDIRESTORE:
            Restore(h);
            return 0;
        case WM_MDICASCADE:
            Cascade((int)wParam);
            return TRUE;
        case WM_MDITILE:
            Tile((int)wParam);
            return TRUE;
        case WM_MDIDESTROY:
            if (CWnd* w = CWnd::FromHandle(h))
                w->DestroyWindow();
            return 0;
        case WM_MDISETMENU: {
            CMDIFrameWnd* frame = Frame();
            HMENU old = frame ? (frame->GetMenu() ? frame->GetMenu()->m_hMenu : nullptr) : nullptr;
            if (wParam && frame)
                frame->SetMenu(CMenu::FromHandle((HMENU)wParam));
            if (lParam)
                windowMenu = (HMENU)lParam;
            RefreshWindowMenu();
            return (LRESULT)old;
        }
        case WM_MDIREFRESHMENU:
            RefreshWindowMenu();
            return 0;
        case WM_SIZE:
            CWnd::WindowProc(message, wParam, lParam);
            if (maximized && active)
                if (CWnd* w = CWnd::FromHandle(active)) {
                    CRect client;
                    GetClientRect(&client);
                    w->MoveWindow(&client);
                    if (QWidget* q = w->GetWidget())
                        q->setWindowState(Qt::WindowMaximized);
                }
            return 0;
        default:
            return CWnd::WindowProc(message, wParam, lParam);
        }
    }

    void PostNcDestroy() override { delete this; }
};

namespace {

CMDIClientWnd* ClientOf(const CMDIFrameWnd* frame) {
    return frame && frame->m_hWndMDIClient
               ? dynamic_cast<CMDIClientWnd*>(CWnd::FromHandle(frame->m_hWndMDIClient))
               : nullptr;
}

CMDIClientWnd* ClientOf(const CMDIChildWnd* child) {
    return dynamic_cast<CMDIClientWnd*>(child->GetParent());
}

// The child frame that holds the widget, when it lies in this client.
CMDIChildWnd* ChildHolding(CMDIClientWnd* client, QWidget* w) {
    for (CWnd* wnd = w ? CWnd::FromWidget(w) : nullptr; wnd; wnd = wnd->GetParent()) {
        if (wnd->GetParent() == client)
            return dynamic_cast<CMDIChildWnd*>(wnd);
        if (!(wnd->GetStyle() & WS_CHILD))
            break;
    }
    return nullptr;
}

} // namespace

void AfxUpdateFrameCounts(CDocument* pDoc, CFrameWnd* pLeaving) {
    if (!pDoc)
        return;
    std::vector<CMDIChildWnd*> frames;
    for (POSITION pos = pDoc->GetFirstViewPosition(); pos;) {
        CView* v = pDoc->GetNextView(pos);
        auto* f = dynamic_cast<CMDIChildWnd*>(v->GetParentFrame());
        if (f && f != pLeaving && std::find(frames.begin(), frames.end(), f) == frames.end())
            frames.push_back(f);
    }
    int n = (int)frames.size();
    for (int i = 0; i < n; ++i) {
        frames[i]->m_nWindow = n > 1 ? i + 1 : 0;
        frames[i]->OnUpdateFrameTitle(TRUE);
    }
}

// ---- CMDIFrameWnd -----------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CMDIFrameWnd, CFrameWnd)
ON_COMMAND(ID_WINDOW_NEW, &CMDIFrameWnd::OnWindowNew)
ON_COMMAND_EX(ID_WINDOW_CASCADE, &CMDIFrameWnd::OnMDIWindowCmd)
ON_COMMAND_EX(ID_WINDOW_TILE_HORZ, &CMDIFrameWnd::OnMDIWindowCmd)
ON_COMMAND_EX(ID_WINDOW_TILE_VERT, &CMDIFrameWnd::OnMDIWindowCmd)
ON_UPDATE_COMMAND_UI(ID_WINDOW_NEW, &CMDIFrameWnd::OnUpdateMDIWindowCmd)
ON_UPDATE_COMMAND_UI(ID_WINDOW_CASCADE, &CMDIFrameWnd::OnUpdateMDIWindowCmd)
ON_UPDATE_COMMAND_UI(ID_WINDOW_TILE_HORZ, &CMDIFrameWnd::OnUpdateMDIWindowCmd)
ON_UPDATE_COMMAND_UI(ID_WINDOW_TILE_VERT, &CMDIFrameWnd::OnUpdateMDIWindowCmd)
ON_COMMAND_RANGE(AFX_IDM_FIRST_MDICHILD, 0xFFFF, &CMDIFrameWnd::OnWindowChild)
ON_UPDATE_COMMAND_UI_RANGE(AFX_IDM_FIRST_MDICHILD, 0xFFFF, &CMDIFrameWnd::OnUpdateWindowChild)
END_MESSAGE_MAP()

CMDIFrameWnd::CMDIFrameWnd() = default;
CMDIFrameWnd::~CMDIFrameWnd() = default;

BOOL CMDIFrameWnd::OnCreateClient(LPCREATESTRUCT lpcs, CCreateContext*) {
    CMenu* windowMenu = nullptr;
    if (HMENU h = GetWindowMenuPopup(m_hMenuDefault))
        windowMenu = CMenu::FromHandle(h);
    return CreateClient(lpcs, windowMenu);
}

BOOL CMDIFrameWnd::CreateClient(LPCREATESTRUCT, CMenu* pWindowMenu) {
    auto* client = new CMDIClientWnd;
    LPCTSTR cls = AfxRegisterWndClass(0, nullptr, GetSysColorBrush(COLOR_APPWORKSPACE));
    if (!client->CreateEx(WS_EX_CLIENTEDGE, cls, nullptr,
                          WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
                          CRect(0, 0, 0, 0), this, AFX_IDW_PANE_FIRST)) {
        delete client;
        return FALSE;
    }
    client->windowMenu = pWindowMenu ? pWindowMenu->m_hMenu : nullptr;
    m_hWndMDIClient = client->m_hWnd;
    // Focus moving into a child (a click on one of its views, say) makes that child active.
    HWND hClient = client->m_hWnd;
    QObject::connect(qApp, &QApplication::focusChanged, client->GetWidget(),
                     [hClient](QWidget*, QWidget* now) {
                         auto* c = dynamic_cast<CMDIClientWnd*>(CWnd::FromHandle(hClient));
                         if (!c)
                             return;
                         if (CMDIChildWnd* child = ChildHolding(c, now))
                             c->Activate(child->m_hWnd);
                     });
    return TRUE;
}

HMENU CMDIFrameWnd::GetWindowMenuPopup(HMENU hMenuBar) {
    if (!hMenuBar || !IsMenu(hMenuBar))
        return nullptr;
    CMenu* bar = CMenu::FromHandle(hMenuBar);
    for (int i = (int)bar->GetMenuItemCount() - 1; i >= 0; --i) {
        CMenu* pop = bar->GetSubMenu(i);
        if (!pop)
            continue;
        for (UINT k = 0; k < pop->GetMenuItemCount(); ++k) {
            UINT id = pop->GetMenuItemID((int)k);
            if (id >= ID_WINDOW_NEW && id <= ID_WINDOW_TILE_VERT)
                return pop->m_hMenu;
        }
    }
    return nullptr;
}

CMDIChildWnd* CMDIFrameWnd::MDIGetActive(BOOL* pbMaximized) const {
    CMDIClientWnd* client = ClientOf(this);
    if (pbMaximized)
        *pbMaximized = client && client->active && client->maximized;
    return client ? CMDIClientWnd::Child(client->active) : nullptr;
}

void CMDIFrameWnd::MDIActivate(CWnd* pWndActivate) {
    if (CMDIClientWnd* client = ClientOf(this))
        client->Activate(pWndActivate ? pWndActivate->m_hWnd : nullptr);
}

void CMDIFrameWnd::MDIMaximize(CWnd* pWnd) {
    if (CMDIClientWnd* client = ClientOf(this); client && pWnd)
        client->Maximize(pWnd->m_hWnd);
}

void CMDIFrameWnd::MDIRestore(CWnd* pWnd) {
    if (CMDIClientWnd* client = ClientOf(this); client && pWnd)
        client->Restore(pWnd->m_hWnd);
}

void CMDIFrameWnd::MDINext() {
    if (CMDIClientWnd* client = ClientOf(this))
        client->Next(false);
}

void CMDIFrameWnd::MDIPrev() {
    if (CMDIClientWnd* client = ClientOf(this))
        client->Next(true);
}

void CMDIFrameWnd::MDICascade(int nType) {
    if (CMDIClientWnd* client = ClientOf(this))
        client->Cascade(nType);
}

void CMDIFrameWnd::MDITile(int nType) {
    if (CMDIClientWnd* client = ClientOf(this))
        client->Tile(nType);
}

CMenu* CMDIFrameWnd::MDISetMenu(CMenu* pFrameMenu, CMenu* pWindowMenu) {
    if (!m_hWndMDIClient)
        return nullptr;
    auto old = (HMENU)::SendMessage(m_hWndMDIClient, WM_MDISETMENU,
                                    (WPARAM)(pFrameMenu ? pFrameMenu->m_hMenu : nullptr),
                                    (LPARAM)(pWindowMenu ? pWindowMenu->m_hMenu : nullptr));
    return old ? CMenu::FromHandle(old) : nullptr;
}

void CMDIFrameWnd::OnUpdateFrameMenu(HMENU hMenuAlt) {
    if (CMDIChildWnd* child = MDIGetActive()) {
        child->OnUpdateFrameMenu(TRUE, child, hMenuAlt);
        return;
    }
    HMENU h = hMenuAlt ? hMenuAlt : m_hMenuDefault;
    if (!h)
        return;
    HMENU window = GetWindowMenuPopup(h);
    MDISetMenu(CMenu::FromHandle(h), window ? CMenu::FromHandle(window) : nullptr);
}

CFrameWnd* CMDIFrameWnd::GetActiveFrame() {
    CMDIChildWnd* child = MDIGetActive();
    return child ? static_cast<CFrameWnd*>(child) : this;
}

CDocument* CMDIFrameWnd::GetActiveDocument() {
    if (CMDIChildWnd* child = MDIGetActive())
        return child->GetActiveDocument();
    return CFrameWnd::GetActiveDocument();
}

BOOL CMDIFrameWnd::TranslateMDISysAccel(MSG* pMsg) {
    if (pMsg->message != WM_KEYDOWN && pMsg->message != WM_SYSKEYDOWN)
        return FALSE;
    if (GetKeyState(VK_CONTROL) >= 0 || GetKeyState(VK_MENU) < 0)
        return FALSE;
    CMDIChildWnd* child = MDIGetActive();
    if (!child)
        return FALSE;
    switch (pMsg->wParam) {
    case VK_F4:
        child->SendMessage(WM_SYSCOMMAND, SC_CLOSE, 0);
        return TRUE;
    case VK_F6:
    case VK_TAB:
        if (GetKeyState(VK_SHIFT) < 0)
            MDIPrev();
        else
            MDINext();
        return TRUE;
    default:
        return FALSE;
    }
}

BOOL CMDIFrameWnd::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
    if (CMDIChildWnd* child = MDIGetActive()) {
        CMDIChildWnd* outer = m_pRoutingChild;
        m_pRoutingChild = child;
        BOOL done = child->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
        m_pRoutingChild = outer;
        if (done)
            return TRUE;
    }
    return CFrameWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

BOOL CMDIFrameWnd::PreTranslateMessage(MSG* pMsg) {
    if (CFrameWnd::PreTranslateMessage(pMsg))
        return TRUE;
    return TranslateMDISysAccel(pMsg);
}

void CMDIFrameWnd::OnWindowNew() {
    CMDIChildWnd* child = MDIGetActive();
    CDocument* doc = child ? child->GetActiveDocument() : nullptr;
    CDocTemplate* tpl = doc ? AfxGetDocTemplate(doc) : nullptr;
    if (!tpl)
        return;
    CFrameWnd* frame = tpl->CreateNewFrame(doc, child);
    if (frame)
        tpl->InitialUpdateFrame(frame, doc);
}

BOOL CMDIFrameWnd::OnMDIWindowCmd(UINT nID) {
    switch (nID) {
    case ID_WINDOW_CASCADE:
        MDICascade();
        return TRUE;
    case ID_WINDOW_TILE_HORZ:
        MDITile(MDITILE_HORIZONTAL);
        return TRUE;
    case ID_WINDOW_TILE_VERT:
        MDITile(MDITILE_VERTICAL);
        return TRUE;
    default:
        return FALSE;
    }
}

void CMDIFrameWnd::OnUpdateMDIWindowCmd(CCmdUI* pCmdUI) {
    pCmdUI->Enable(MDIGetActive() != nullptr);
}

void CMDIFrameWnd::OnWindowChild(UINT nID) {
    CMDIClientWnd* client = ClientOf(this);
    if (!client)
        return;
    if (CWnd* w = client->GetDlgItem((int)nID))
        client->Activate(w->m_hWnd);
}

void CMDIFrameWnd::OnUpdateWindowChild(CCmdUI* pCmdUI) {
    CMDIClientWnd* client = ClientOf(this);
    pCmdUI->Enable(client && client->GetDlgItem((int)pCmdUI->m_nID));
}

// ---- CMDIChildWnd -----------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CMDIChildWnd, CFrameWnd)
ON_MESSAGE(WM_MDIACTIVATE, &CMDIChildWnd::OnMDIActivateMessage)
ON_WM_PAINT()
ON_WM_LBUTTONDOWN()
ON_WM_DESTROY()
ON_WM_SYSCOMMAND()
END_MESSAGE_MAP()

CMDIChildWnd::CMDIChildWnd() = default;
CMDIChildWnd::~CMDIChildWnd() = default;

BOOL CMDIChildWnd::PreCreateWindow(CREATESTRUCT& cs) {
    cs.style &= ~(LONG)WS_POPUP;
    cs.style |= WS_CHILD | WS_CLIPSIBLINGS;
    return CFrameWnd::PreCreateWindow(cs);
}

BOOL CMDIChildWnd::Create(LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle,
                          const RECT& rect, CMDIFrameWnd* pParentWnd, CCreateContext* pContext) {
    if (!pParentWnd)
        pParentWnd = dynamic_cast<CMDIFrameWnd*>(AfxGetMainWnd());
    CMDIClientWnd* client = ClientOf(pParentWnd);
    if (!client)
        return FALSE;
    if (lpszWindowName)
        m_strTitle = lpszWindowName;
    CRect place = rect;
    if (CRect(rect) == rectDefault) {
        // A new child starts a step below the last one, three quarters of the client's size.
        CRect area;
        client->GetClientRect(&area);
        int step = (int)(client->order.size() % 6) * kCascadeStep;
        place.SetRect(step, step, step + std::max(160, area.Width() * 3 / 4),
                      step + std::max(120, area.Height() * 3 / 4));
    }
    bool show = (dwStyle & WS_VISIBLE) != 0;
    // Ids run round after the last one; an id still held by a live child is passed over.
    UINT id = client->nextChildId;
    for (int tries = 0; tries <= 0xFFFF - AFX_IDM_FIRST_MDICHILD && client->GetDlgItem((int)id);
         ++tries)
        id = id >= 0xFFFF ? AFX_IDM_FIRST_MDICHILD : id + 1;
    if (!CWnd::CreateEx(0, lpszClassName, lpszWindowName, (dwStyle & ~WS_VISIBLE) | WS_CHILD,
                        place, client, id, pContext))
        return FALSE;
    client->nextChildId = id + 1 > 0xFFFF ? AFX_IDM_FIRST_MDICHILD : id + 1;
    client->Add(m_hWnd);
    if (show)
        ActivateFrame();
    return TRUE;
}

BOOL CMDIChildWnd::LoadFrame(UINT nIDResource, DWORD dwDefaultStyle, CWnd* pParentWnd,
                             CCreateContext* pContext) {
    LoadTitle(nIDResource);
    // The template holds the menu the children of its documents share.
    auto* tpl = pContext ? dynamic_cast<CMultiDocTemplate*>(pContext->m_pNewDocTemplate) : nullptr;
    if (tpl && tpl->m_hMenuShared)
        m_hMenuShared = tpl->m_hMenuShared;
    else if (!m_ownMenu.m_hMenu && m_ownMenu.LoadMenu(nIDResource))
        m_hMenuShared = m_ownMenu.m_hMenu;
    if (!m_hAccelTable)
        m_hAccelTable = LoadAccelerators(nullptr, MAKEINTRESOURCE(nIDResource));
    return Create(nullptr, m_strTitle, dwDefaultStyle & ~WS_VISIBLE, rectDefault,
                  dynamic_cast<CMDIFrameWnd*>(pParentWnd), pContext);
}

CMDIFrameWnd* CMDIChildWnd::GetMDIFrame() const {
    CMDIClientWnd* client = ClientOf(this);
    return client ? client->Frame() : nullptr;
}

void CMDIChildWnd::MDIDestroy() {
    DestroyWindow();
}

void CMDIChildWnd::MDIActivate() {
    if (CMDIClientWnd* client = ClientOf(this))
        client->Activate(m_hWnd);
}

void CMDIChildWnd::MDIMaximize() {
    if (CMDIClientWnd* client = ClientOf(this))
        client->Maximize(m_hWnd);
}

void CMDIChildWnd::MDIRestore() {
    if (CMDIClientWnd* client = ClientOf(this))
        client->Restore(m_hWnd);
}

int CMDIChildWnd::CaptionHeight() const {
    CMDIClientWnd* client = ClientOf(this);
    return client && client->maximized && client->active == m_hWnd ? 0 : kCaptionHeight;
}

void CMDIChildWnd::RecalcLayout(BOOL) {
    if (!m_hWnd)
        return;
    CRect rc;
    GetClientRect(&rc);
    if (CaptionHeight() > 0) {
        rc.DeflateRect(kBorder, kBorder);
        rc.top += CaptionHeight();
    }
    AfxRepositionBars(this, 0, 0xFFFF, AFX_IDW_PANE_FIRST, FALSE, nullptr, &rc);
}

void CMDIChildWnd::ActivateFrame(int nCmdShow) {
    CMDIClientWnd* client = ClientOf(this);
    if (!client)
        return;
    if (nCmdShow == SW_SHOWMAXIMIZED || nCmdShow == SW_MAXIMIZE) {
        ShowWindow(SW_SHOW);
        client->Maximize(m_hWnd);
        return;
    }
    if (nCmdShow != SW_HIDE && !IsWindowVisible())
        ShowWindow(SW_SHOW);
    // A new child follows the maximised state of the one it replaces as the active child.
    client->Activate(m_hWnd);
}

BOOL CMDIChildWnd::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
    CMDIFrameWnd* frame = GetMDIFrame();
    if (!frame)
        return CFrameWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
    if (m_pViewActive && m_pViewActive->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
        return TRUE;
    if (CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
        return TRUE;
    if (frame->m_pRoutingChild == this)
        return FALSE; // the main frame goes on with its own handlers and the application's
    return frame->CFrameWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

void CMDIChildWnd::InitialUpdateFrame(CDocument* pDoc, BOOL bMakeVisible) {
    AfxUpdateFrameCounts(pDoc);
    CFrameWnd::InitialUpdateFrame(pDoc, bMakeVisible);
}

LRESULT CMDIChildWnd::OnMDIActivateMessage(WPARAM wParam, LPARAM lParam) {
    BOOL activate = (HWND)lParam == m_hWnd;
    OnMDIActivate(activate, CWnd::FromHandle((HWND)lParam), CWnd::FromHandle((HWND)wParam));
    return 0;
}

void CMDIChildWnd::OnMDIActivate(BOOL bActivate, CWnd* pActivateWnd, CWnd*) {
    OnUpdateFrameMenu(bActivate, pActivateWnd, nullptr);
    if (m_pViewActive)
        m_pViewActive->OnActivateView(bActivate, bActivate ? m_pViewActive : nullptr,
                                      m_pViewActive);
    else if (bActivate && !IsChild(GetFocus()))
        SetFocus();
    Invalidate(FALSE);
    if (CMDIFrameWnd* frame = GetMDIFrame())
        frame->OnUpdateFrameTitle(TRUE);
}

void CMDIChildWnd::OnUpdateFrameMenu(BOOL bActive, CWnd* pActivateWnd, HMENU hMenuAlt) {
    CMDIFrameWnd* frame = GetMDIFrame();
    if (!frame)
        return;
    HMENU h = nullptr;
    if (bActive)
        h = hMenuAlt ? hMenuAlt : (m_hMenuShared ? m_hMenuShared : frame->m_hMenuDefault);
    else if (!pActivateWnd)
        h = frame->m_hMenuDefault; // the last child went: the frame's own menu again
    if (!h || !IsMenu(h))
        return;
    HMENU window = frame->GetWindowMenuPopup(h);
    frame->MDISetMenu(CMenu::FromHandle(h), window ? CMenu::FromHandle(window) : nullptr);
}

void CMDIChildWnd::OnUpdateFrameTitle(BOOL bAddToTitle) {
    CString title = m_strTitle;
    CDocument* doc = GetActiveDocument();
    if (bAddToTitle && (m_dwFrameStyle & FWS_ADDTOTITLE) && doc) {
        title = doc->GetTitle();
        if (m_nWindow > 0) {
            CString n;
            n.Format(":%d", m_nWindow);
            title += n;
        }
    }
    CString current;
    GetWindowText(current);
    if (current != title) {
        SetWindowText(title);
        Invalidate(FALSE);
        if (CMDIClientWnd* client = ClientOf(this))
            client->RefreshWindowMenu();
    }
    if (CMDIFrameWnd* frame = GetMDIFrame())
        frame->OnUpdateFrameTitle(bAddToTitle);
}

void CMDIChildWnd::OnPaint() {
    CPaintDC dc(this);
    int cap = CaptionHeight();
    if (cap == 0)
        return;
    CMDIClientWnd* client = ClientOf(this);
    bool active = client && client->active == m_hWnd;
    CRect rc;
    GetClientRect(&rc);
    dc.FillSolidRect(&rc, GetSysColor(COLOR_BTNFACE));
    dc.Draw3dRect(&rc, GetSysColor(COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_BTNSHADOW));
    CRect caption(rc.left + kBorder, rc.top + kBorder, rc.right - kBorder, rc.top + kBorder + cap);
    dc.FillSolidRect(&caption, GetSysColor(active ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION));
    CString title;
    GetWindowText(title);
    caption.DeflateRect(4, 0);
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(GetSysColor(active ? COLOR_CAPTIONTEXT : COLOR_INACTIVECAPTIONTEXT));
    dc.DrawText(title, &caption, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX | DT_END_ELLIPSIS);
}

void CMDIChildWnd::OnLButtonDown(UINT, CPoint) {
    MDIActivate();
}

void CMDIChildWnd::OnSysCommand(UINT nID, LPARAM lParam) {
    switch (nID & 0xFFF0) {
    case SC_CLOSE:
        SendMessage(WM_CLOSE);
        return;
    case SC_MAXIMIZE:
        MDIMaximize();
        return;
    case SC_RESTORE:
        MDIRestore();
        return;
    default:
        CFrameWnd::OnSysCommand(nID, lParam);
    }
}

void CMDIChildWnd::OnDestroy() {
    CDocument* doc = GetActiveDocument();
    if (CMDIClientWnd* client = ClientOf(this))
        client->Remove(m_hWnd);
    AfxUpdateFrameCounts(doc, this);
    CFrameWnd::OnDestroy();
}
