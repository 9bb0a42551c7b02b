#include "platform/gui/Frame.h"

#include "platform/gui/Accel.h"
#include "platform/gui/ControlBar.h"
#include "platform/gui/DocManager.h"
#include "platform/gui/Resource.h"
#include "platform/gui/Splitter.h"
#include "platform/gui/ToolTipCtrl.h"
#include "platform/gui/WinApp.h"
#include "platform/gui/WndPrivate.h"

#include <QApplication>
#include <QMenuBar>
#include <QProxyStyle>
#include <QStyleOption>
#include <QTimer>
#include <set>

IMPLEMENT_DYNCREATE(CFrameWnd, CWnd)

const RECT CFrameWnd::rectDefault = {0, 0, 800, 600};

namespace {

// The menu bar's titles as the keyboard works them: Alt pressed and let go alone puts the bar in
// keyboard mode with its first title current; Left and Right move, Down or Enter opens, Escape
// leaves. Qt's bar has that mode; the current title is drawn highlighted here, since the style
// draws a title highlighted only while its menu is open and a keyboard-current title would not
// show.
class MenuBarStyle : public QProxyStyle {
public:
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
        if (element == CE_MenuBarItem && (option->state & State_Selected) &&
            (option->state & State_Enabled) && !(option->state & State_Sunken)) {
            if (auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option)) {
                QStyleOptionMenuItem current(*item);
                current.state |= State_Sunken;
                QProxyStyle::drawControl(element, &current, painter, widget);
                return;
            }
        }
        QProxyStyle::drawControl(element, option, painter, widget);
    }
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_MenuBar_AltKeyNavigation)
            return 1;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

class FrameMenuBar : public QMenuBar {
public:
    explicit FrameMenuBar(QWidget* parent) : QMenuBar(parent) {
        // One style for every bar, following the application's.
        static MenuBarStyle* style = new MenuBarStyle;
        setStyle(style);
    }
};


CString CommandStringPart(UINT nID, bool tip);

// Frames that exist; a frame whose creation failed after its window existed is gone already.
std::set<CFrameWnd*>& LiveFrames() {
    static std::set<CFrameWnd*> frames;
    return frames;
}

// A menu item being brought up to date.
class CMenuCmdUI : public CCmdUI {
public:
    void Enable(BOOL bOn) override {
        m_pMenu->EnableMenuItem(m_nIndex, MF_BYPOSITION | (bOn ? MF_ENABLED : MF_GRAYED));
        m_bEnableChanged = TRUE;
    }
    void SetCheck(int nCheck) override {
        m_pMenu->CheckMenuItem(m_nIndex, MF_BYPOSITION | (nCheck ? MF_CHECKED : MF_UNCHECKED));
    }
    void SetRadio(BOOL bOn) override {
        MENUITEMINFO mii{};
        mii.fMask = MIIM_FTYPE;
        m_pMenu->GetMenuItemInfo(m_nIndex, &mii, TRUE);
        mii.fType = bOn ? (mii.fType | MFT_RADIOCHECK) : (mii.fType & ~MFT_RADIOCHECK);
        m_pMenu->SetMenuItemInfo(m_nIndex, &mii, TRUE);
        SetCheck(bOn);
    }
    void SetText(LPCTSTR lpszText) override {
        UINT state = m_pMenu->GetMenuState(m_nIndex, MF_BYPOSITION);
        m_pMenu->ModifyMenu(m_nIndex,
                            MF_BYPOSITION | MF_STRING | (state & (MF_GRAYED | MF_CHECKED)), m_nID,
                            lpszText);
    }
};

} // namespace

void AfxUpdateMenuCmdUI(CMenu* pMenu, CCmdTarget* pTarget, BOOL bDisableIfNoHndler) {
    if (!pMenu || !pTarget)
        return;
    CMenuCmdUI state;
    state.m_pMenu = pMenu;
    state.m_nIndexMax = pMenu->GetMenuItemCount();
    for (state.m_nIndex = 0; state.m_nIndex < state.m_nIndexMax; ++state.m_nIndex) {
        state.m_nID = pMenu->GetMenuItemID((int)state.m_nIndex);
        if (state.m_nID == 0 || state.m_nID == (UINT)-1)
            continue; // separators and pop-ups
        state.m_pSubMenu = nullptr;
        // The framework's own commands are left as they are when nobody handles them.
        state.DoUpdate(pTarget, bDisableIfNoHndler && state.m_nID < 0xF000);
        // A handler may have added or removed items (the recent-file list does).
        UINT count = pMenu->GetMenuItemCount();
        if (count < state.m_nIndexMax) {
            state.m_nIndex -= (state.m_nIndexMax - count);
            while (state.m_nIndex < count &&
                   pMenu->GetMenuItemID((int)state.m_nIndex) == state.m_nID)
                state.m_nIndex++;
        }
        state.m_nIndexMax = count;
    }
}

CFrameWnd* AfxGetParentFrame(const CWnd* pWnd) {
    if (!pWnd)
        return nullptr;
    for (CWnd* p = pWnd->GetParent(); p; p = p->GetParent()) {
        if (auto* f = dynamic_cast<CFrameWnd*>(p))
            return f;
        if (!(p->GetStyle() & WS_CHILD))
            break;
    }
    return nullptr;
}

CFrameWnd* AfxGetTopLevelFrame(const CWnd* pWnd) {
    auto* f = const_cast<CFrameWnd*>(dynamic_cast<const CFrameWnd*>(pWnd));
    if (!f)
        f = AfxGetParentFrame(pWnd);
    while (f) {
        CFrameWnd* up = AfxGetParentFrame(f);
        if (!up)
            break;
        f = up;
    }
    return f;
}

void AfxRepositionBars(CWnd* pParent, UINT nIDFirst, UINT nIDLast, UINT nIDLeftOver, BOOL bQuery,
                       LPRECT lpRectParam, LPCRECT lpRectClient, BOOL bStretch) {
    AFX_SIZEPARENTPARAMS layout{};
    if (lpRectClient) {
        layout.rect = *lpRectClient;
    } else if (auto* frame = dynamic_cast<CFrameWnd*>(pParent)) {
        frame->GetLayoutRect(&layout.rect);
    } else {
        pParent->GetClientRect(&layout.rect);
    }
    layout.bStretch = bStretch;
    layout.hDWP = bQuery ? nullptr : (void*)1;
    CWnd* leftOver = nullptr;
    for (CWnd* child = pParent->GetWindow(GW_CHILD); child; child = child->GetWindow(GW_HWNDNEXT)) {
        UINT id = (UINT)child->GetDlgCtrlID();
        if (id == nIDLeftOver)
            leftOver = child;
        else if (id >= nIDFirst && id <= nIDLast)
            child->SendMessage(WM_SIZEPARENT, 0, (LPARAM)&layout);
    }
    if (bQuery) {
        if (lpRectParam)
            *lpRectParam = layout.rect;
        return;
    }
    if (lpRectParam) {
        // The extra border the caller asked for around the pane.
        layout.rect.left += lpRectParam->left;
        layout.rect.top += lpRectParam->top;
        layout.rect.right -= lpRectParam->right;
        layout.rect.bottom -= lpRectParam->bottom;
    }
    if (leftOver)
        leftOver->MoveWindow(&layout.rect);
}

BOOL AfxCreateFrameSafely(CFrameWnd* pFrame, UINT nIDResource, DWORD dwStyle, CWnd* pParent,
                          CCreateContext* pContext) {
    if (pFrame->LoadFrame(nIDResource, dwStyle, pParent, pContext))
        return TRUE;
    if (LiveFrames().count(pFrame))
        delete pFrame;
    return FALSE;
}

BEGIN_MESSAGE_MAP(CFrameWnd, CWnd)
ON_WM_CREATE()
ON_WM_SIZE()
ON_WM_CLOSE()
ON_WM_DESTROY()
ON_WM_SETFOCUS()
ON_MESSAGE(WM_INITMENUPOPUP, &CFrameWnd::OnInitMenuPopup)
ON_MESSAGE(WM_IDLEUPDATECMDUI, &CFrameWnd::OnIdleUpdateMessage)
ON_MESSAGE(WM_SETMESSAGESTRING, &CFrameWnd::OnSetMessageString)
ON_MESSAGE(WM_POPMESSAGESTRING, &CFrameWnd::OnPopMessageString)
ON_MESSAGE(WM_MENUSELECT, &CFrameWnd::OnMenuSelect)
ON_MESSAGE(WM_DDE_EXECUTE, &CFrameWnd::OnDDEExecute)
ON_COMMAND_RANGE(ID_NEXT_PANE, ID_PREV_PANE, &CFrameWnd::OnNextPane)
ON_UPDATE_COMMAND_UI_RANGE(ID_NEXT_PANE, ID_PREV_PANE, &CFrameWnd::OnUpdateNextPane)
END_MESSAGE_MAP()

CFrameWnd::CFrameWnd() {
    LiveFrames().insert(this);
}

void CFrameWnd::OnWidgetCreated() {
    if (QWidget* w = GetWidget())
        w->setFocusPolicy(Qt::NoFocus);
}

CFrameWnd::~CFrameWnd() {
    LiveFrames().erase(this);
    if (m_hAccelTable)
        DestroyAcceleratorTable(m_hAccelTable);
}

BOOL CFrameWnd::PreCreateWindow(CREATESTRUCT& cs) {
    // The frame's own styles share bits with window-class styles; they stay with the frame.
    m_dwFrameStyle = (DWORD)cs.style & (FWS_ADDTOTITLE | FWS_PREFIXTITLE | FWS_SNAPTOBARS);
    cs.style &= ~(LONG)(FWS_ADDTOTITLE | FWS_PREFIXTITLE | FWS_SNAPTOBARS);
    cs.style |= WS_CLIPCHILDREN;
    return CWnd::PreCreateWindow(cs);
}

BOOL CFrameWnd::Create(LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle,
                       const RECT& rect, CWnd* pParentWnd, LPCTSTR lpszMenuName, DWORD dwExStyle,
                       CCreateContext* pContext) {
    if (lpszMenuName && IS_INTRESOURCE(lpszMenuName) && !m_menu.m_hMenu &&
        m_menu.LoadMenu((UINT)(UINT_PTR)lpszMenuName))
        m_hMenuDefault = m_menu.m_hMenu;
    if (lpszWindowName)
        m_strTitle = lpszWindowName;
    return CWnd::CreateEx(dwExStyle, lpszClassName, lpszWindowName, dwStyle, rect, pParentWnd, 0,
                          pContext);
}

void CFrameWnd::LoadTitle(UINT nIDResource) {
    m_nIDHelp = nIDResource;
    if (AfxFindString(nIDResource))
        m_strTitle = CommandStringPart(nIDResource, false); // the title is the first part
}

BOOL CFrameWnd::LoadFrame(UINT nIDResource, DWORD dwDefaultStyle, CWnd* pParentWnd,
                          CCreateContext* pContext) {
    LoadTitle(nIDResource);
    if (!m_hAccelTable)
        m_hAccelTable = LoadAccelerators(nullptr, MAKEINTRESOURCE(nIDResource));
    return Create(nullptr, m_strTitle, dwDefaultStyle, rectDefault, pParentWnd,
                  MAKEINTRESOURCE(nIDResource), 0, pContext);
}

int CFrameWnd::OnCreate(LPCREATESTRUCT lpcs) {
    if (CWnd::OnCreate(lpcs) == -1)
        return -1;
    if (m_hMenuDefault)
        SetMenu(CMenu::FromHandle(m_hMenuDefault));
    if (!OnCreateClient(lpcs, static_cast<CCreateContext*>(lpcs->lpCreateParams)))
        return -1;
    RecalcLayout();
    return 0;
}

BOOL CFrameWnd::OnCreateClient(LPCREATESTRUCT, CCreateContext* pContext) {
    if (pContext && pContext->m_pNewViewClass)
        return CreateView(pContext, AFX_IDW_PANE_FIRST) != nullptr;
    return TRUE;
}

CWnd* CFrameWnd::CreateView(CCreateContext* pContext, UINT nID) {
    return CView::CreateFromContext(pContext, this, nID, WS_CHILD | WS_VISIBLE | WS_BORDER,
                                    CRect(0, 0, 0, 0));
}

void CFrameWnd::SetActiveView(CView* pViewNew, BOOL bNotify) {
    CView* old = m_pViewActive;
    if (old == pViewNew)
        return;
    m_pViewActive = pViewNew;
    if (!bNotify)
        return;
    if (old)
        old->OnActivateView(FALSE, pViewNew, old);
    if (pViewNew)
        pViewNew->OnActivateView(TRUE, pViewNew, old);
}

CDocument* CFrameWnd::GetActiveDocument() {
    return m_pViewActive ? m_pViewActive->GetDocument() : nullptr;
}

void CFrameWnd::InitialUpdateFrame(CDocument*, BOOL bMakeVisible) {
    if (!m_pViewActive)
        if (auto* v = dynamic_cast<CView*>(GetDlgItem(AFX_IDW_PANE_FIRST)))
            SetActiveView(v, FALSE);
    SendMessageToDescendants(WM_INITIALUPDATE, 0, 0, TRUE);
    if (bMakeVisible) {
        ActivateFrame();
        if (m_pViewActive)
            m_pViewActive->OnActivateView(TRUE, m_pViewActive, m_pViewActive);
    }
    OnUpdateFrameTitle(TRUE);
}

void CFrameWnd::ActivateFrame(int nCmdShow) {
    if (nCmdShow == -1)
        nCmdShow = IsWindowVisible() ? SW_SHOWNORMAL : SW_SHOW;
    ShowWindow(nCmdShow);
    BringWindowToTop();
}

void CFrameWnd::GetLayoutRect(LPRECT lpRect) const {
    GetClientRect(lpRect);
    if (m_pMenuBar && !m_pMenuBar->isHidden())
        lpRect->top += m_pMenuBar->sizeHint().height();
}

void CFrameWnd::RecalcLayout(BOOL) {
    if (!m_hWnd)
        return;
    if (m_pMenuBar) {
        CRect rc;
        GetClientRect(&rc);
        m_pMenuBar->setGeometry(0, 0, rc.Width(), m_pMenuBar->sizeHint().height());
    }
    AfxRepositionBars(this, 0, 0xFFFF, AFX_IDW_PANE_FIRST);
}

void CFrameWnd::OnSize(UINT nType, int, int) {
    if (nType != SIZE_MINIMIZED)
        RecalcLayout();
}

void CFrameWnd::EnsureMenuBar() {
    if (!m_pMenuBar && GetWidget()) {
        m_pMenuBar = new FrameMenuBar(GetWidget());
        m_pMenuBar->setNativeMenuBar(false);
        m_pMenuBar->show();
    }
}

BOOL CFrameWnd::SetMenu(CMenu* pMenu) {
    HMENU h = pMenu ? pMenu->m_hMenu : nullptr;
    if (!h) {
        if (m_pMenuBar)
            m_pMenuBar->hide();
        m_hMenuDefault = m_hMenuDefault == h ? nullptr : m_hMenuDefault;
        m_hShownMenu = nullptr;
        RecalcLayout();
        return TRUE;
    }
    EnsureMenuBar();
    m_hShownMenu = h;
    AfxFillMenuBar(m_pMenuBar, h, this);
    m_pMenuBar->show();
    RecalcLayout();
    return TRUE;
}

CMenu* CFrameWnd::GetMenu() const {
    return m_hShownMenu ? CMenu::FromHandle(m_hShownMenu) : nullptr;
}

void CFrameWnd::DrawMenuBar() {
    if (m_pMenuBar && m_hShownMenu)
        AfxFillMenuBar(m_pMenuBar, m_hShownMenu, this);
}

LRESULT CFrameWnd::OnInitMenuPopup(WPARAM wParam, LPARAM lParam) {
    if (HIWORD(lParam))
        return 0; // the system menu
    AfxUpdateMenuCmdUI(CMenu::FromHandle((HMENU)wParam), this, TRUE);
    return 0;
}

LRESULT CFrameWnd::OnIdleUpdateMessage(WPARAM, LPARAM) {
    OnIdleUpdateCmdUI();
    return 0;
}

void CFrameWnd::OnIdleUpdateCmdUI() {
    // An empty message pane shows the idle message once the frame runs.
    if (auto* bar = dynamic_cast<CStatusBar*>(GetMessageBar()))
        if (m_nIDLastMessage == 0 && bar->GetCount() > 0 && bar->GetPaneText(0).IsEmpty())
            SendMessage(WM_SETMESSAGESTRING, AFX_IDS_IDLEMESSAGE);
    for (CWnd* child = GetWindow(GW_CHILD); child; child = child->GetWindow(GW_HWNDNEXT)) {
        UINT id = (UINT)child->GetDlgCtrlID();
        if (id >= AFX_IDW_CONTROLBAR_FIRST && id <= AFX_IDW_CONTROLBAR_LAST)
            child->SendMessage(WM_IDLEUPDATECMDUI, TRUE, 0);
    }
}

void CFrameWnd::OnUpdateFrameTitle(BOOL bAddToTitle) {
    CDocument* doc = GetActiveDocument();
    CString title = m_strTitle;
    if (bAddToTitle && (m_dwFrameStyle & FWS_ADDTOTITLE) && doc) {
        if (m_dwFrameStyle & FWS_PREFIXTITLE)
            title = doc->GetTitle() + " - " + m_strTitle;
        else
            title = m_strTitle.IsEmpty() ? doc->GetTitle() : m_strTitle + " - " + doc->GetTitle();
    }
    CString current;
    GetWindowText(current);
    if (current != title)
        SetWindowText(title);
}

// ---- Prompts and tips ---------------------------------------------------------------------------

namespace {

// The idle message of the string table, or the usual one.
CString IdleMessage() {
    const char* s = AfxFindString(AFX_IDS_IDLEMESSAGE);
    return s ? CString(s) : CString("就绪");
}

// One part of a command's "prompt\ntip" string.
CString CommandStringPart(UINT nID, bool tip) {
    const char* s = nID ? AfxFindString(nID) : nullptr;
    if (!s)
        return CString();
    CString all = s;
    int nl = all.Find('\n');
    if (tip)
        return nl < 0 ? CString() : all.Mid(nl + 1);
    return nl < 0 ? all : all.Left(nl);
}

} // namespace

void CFrameWnd::GetMessageString(UINT nID, CString& rMessage) const {
    rMessage = nID == AFX_IDS_IDLEMESSAGE ? IdleMessage() : CommandStringPart(nID, false);
}

CWnd* CFrameWnd::GetMessageBar() const {
    return GetDlgItem(AFX_IDW_STATUS_BAR);
}

void CFrameWnd::SetMessageText(LPCTSTR lpszText) {
    SendMessage(WM_SETMESSAGESTRING, 0, (LPARAM)lpszText);
}

void CFrameWnd::SetMessageText(UINT nID) {
    SendMessage(WM_SETMESSAGESTRING, nID);
}

LRESULT CFrameWnd::OnSetMessageString(WPARAM wParam, LPARAM lParam) {
    // The status bar belongs to the outermost frame; inner frames hand their prompts up.
    CFrameWnd* top = GetTopLevelFrame();
    if (top && top != this && !GetMessageBar())
        return top->SendMessage(WM_SETMESSAGESTRING, wParam, lParam);
    UINT previous = m_nIDLastMessage;
    CString text;
    if (wParam)
        GetMessageString((UINT)wParam, text);
    else if (lParam)
        text = reinterpret_cast<LPCTSTR>(lParam);
    m_nIDLastMessage = (UINT)wParam;
    if (auto* bar = dynamic_cast<CStatusBar*>(GetMessageBar()))
        if (bar->GetCount() > 0)
            bar->SetPaneText(0, text);
    return (LRESULT)previous;
}

LRESULT CFrameWnd::OnPopMessageString(WPARAM, LPARAM) {
    return SendMessage(WM_SETMESSAGESTRING, AFX_IDS_IDLEMESSAGE);
}

LRESULT CFrameWnd::OnMenuSelect(WPARAM wParam, LPARAM lParam) {
    UINT nID = LOWORD(wParam), nFlags = HIWORD(wParam);
    if (nFlags == 0xFFFF && lParam == 0) // the menu closed
        SendMessage(WM_SETMESSAGESTRING, AFX_IDS_IDLEMESSAGE);
    else if (nFlags & (MF_POPUP | MF_SEPARATOR) || nID == 0)
        SetMessageText(""); // pop-ups and separators have no prompt
    else
        SendMessage(WM_SETMESSAGESTRING, nID);
    return 0;
}

BOOL CFrameWnd::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    if (CWnd::OnNotify(wParam, lParam, pResult))
        return TRUE;
    auto* hdr = reinterpret_cast<NMHDR*>(lParam);
    if (!hdr || hdr->code != TTN_NEEDTEXT)
        return FALSE;
    auto* info = reinterpret_cast<NMTTDISPINFO*>(lParam);
    if (info->uFlags & TTF_IDISHWND)
        return FALSE; // a tip for a window, not for a command
    m_strTipText = CommandStringPart((UINT)hdr->idFrom, true);
    info->lpszText = m_strTipText.GetBuffer();
    *pResult = 0;
    return TRUE;
}

namespace {
// How often a frame busy with a dialog looks again for shell commands waiting on it, and how
// many may wait (a later copy hands over one or two; more are dropped).
constexpr int kShellRetryMs = 200;
constexpr size_t kMostWaitingShellCommands = 64;
} // namespace

LRESULT CFrameWnd::OnDDEExecute(WPARAM, LPARAM lParam) {
    auto text = reinterpret_cast<LPCTSTR>(lParam);
    CWinApp* app = AfxGetApp();
    if (!text || !app)
        return 0;
    CString command = text; // the command may change while it is carried out
    // A modal dialog keeps the frame from acting even where it leaves the frame enabled. The
    // command would act under the question; it waits instead, so the file the user opened from
    // the desktop is not lost.
    if (!IsWindowEnabled() || QApplication::activeModalWidget()) {
        if (m_waitingShellCommands.size() >= kMostWaitingShellCommands)
            return 0;
        m_waitingShellCommands.push_back(command);
        if (m_waitingShellCommands.size() == 1) {
            HWND self = m_hWnd;
            QTimer::singleShot(kShellRetryMs, qApp, [self] {
                if (auto* frame = dynamic_cast<CFrameWnd*>(CWnd::FromHandlePermanent(self)))
                    frame->RunWaitingShellCommands();
            });
        }
        return 0;
    }
    app->OnDDECommand(command.GetBuffer());
    return 0;
}

void CFrameWnd::RunWaitingShellCommands() {
    // Taken out first: a command still refused joins the list again and schedules the next look.
    std::vector<CString> waiting;
    waiting.swap(m_waitingShellCommands);
    HWND self = m_hWnd;
    for (const CString& command : waiting) {
        if (!::IsWindow(self))
            return;
        ::SendMessage(self, WM_DDE_EXECUTE, 0, (LPARAM)command.GetString());
    }
}

void CFrameWnd::ShowControlBar(CWnd* pBar, BOOL bShow, BOOL) {
    if (!pBar)
        return;
    pBar->ShowWindow(bShow ? SW_SHOWNOACTIVATE : SW_HIDE);
    RecalcLayout();
}

void CFrameWnd::BeginModalState() {
    if (m_nModalCount++ == 0)
        EnableWindow(FALSE);
}

void CFrameWnd::EndModalState() {
    if (m_nModalCount > 0 && --m_nModalCount == 0)
        EnableWindow(TRUE);
}

BOOL CFrameWnd::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
    if (m_pViewActive && m_pViewActive->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
        return TRUE;
    if (CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
        return TRUE;
    CWinApp* app = AfxGetApp();
    return app && app->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

BOOL CFrameWnd::PreTranslateMessage(MSG* pMsg) {
    if (CWnd::PreTranslateMessage(pMsg))
        return TRUE;
    if (m_hAccelTable && pMsg->message >= WM_KEYFIRST && pMsg->message <= WM_KEYLAST)
        return TranslateAccelerator(m_hWnd, m_hAccelTable, pMsg) != 0;
    return FALSE;
}

void CFrameWnd::OnSetFocus(CWnd* pOldWnd) {
    if (m_pViewActive)
        m_pViewActive->SetFocus();
    else
        CWnd::OnSetFocus(pOldWnd);
}

void CFrameWnd::OnClose() {
    if (InModalState())
        return;
    CWinApp* app = AfxGetApp();
    if (app && app->m_pMainWnd == this) {
        CDocManager* dm = AfxGetDocManager();
        if (!dm->SaveAllModified())
            return;
        dm->CloseAllDocuments(FALSE);
        if (IsWindow(m_hWnd))
            DestroyWindow();
        return;
    }
    CDocument* doc = GetActiveDocument();
    if (doc) {
        // The last frame showing a document closes the document (after asking about changes).
        bool otherFrame = false;
        for (POSITION pos = doc->GetFirstViewPosition(); pos;) {
            CView* v = doc->GetNextView(pos);
            if (v->GetParentFrame() != this)
                otherFrame = true;
        }
        if (!otherFrame) {
            if (!AfxSaveModified(doc))
                return;
            AfxCloseDocument(doc);
            if (LiveFrames().count(this) && IsWindow(m_hWnd))
                DestroyWindow();
            return;
        }
    }
    DestroyWindow();
}

void CFrameWnd::OnDestroy() {
    CWinApp* app = AfxGetApp();
    if (app && app->m_pMainWnd == this)
        app->m_pMainWnd = nullptr;
    CWnd::OnDestroy();
}

void CFrameWnd::PostNcDestroy() {
    delete this;
}

CFrameWnd* CWnd::GetParentFrame() const {
    return AfxGetParentFrame(this);
}

CFrameWnd* CWnd::GetTopLevelFrame() const {
    return AfxGetTopLevelFrame(this);
}

// ---- Panes ----------------------------------------------------------------------------------

// The splitter whose panes F6 goes round: the nearest one above the focus, else the first one
// inside this frame.
static CSplitterWnd* PaneSplitter(CFrameWnd* frame) {
    for (CWnd* w = CWnd::GetFocus(); w; w = w->GetParent())
        if (auto* s = dynamic_cast<CSplitterWnd*>(w); s && frame->IsChild(s))
            return s;
    if (QWidget* fw = frame->GetWidget())
        for (QWidget* c : fw->findChildren<QWidget*>())
            if (auto* s = dynamic_cast<CSplitterWnd*>(CWnd::FromWidget(c));
                s && s->GetWidget() == c)
                return s;
    return nullptr;
}

void CFrameWnd::OnNextPane(UINT nID) {
    if (CSplitterWnd* s = PaneSplitter(this))
        s->ActivateNext(nID == ID_PREV_PANE);
}

void CFrameWnd::OnUpdateNextPane(CCmdUI* pCmdUI) {
    CSplitterWnd* s = PaneSplitter(this);
    pCmdUI->Enable(s && s->CanActivateNext(pCmdUI->m_nID == ID_PREV_PANE));
}
