#include "shell/MainFrm.h"
// Before the resource ids: the tree names the framework's commands in a scope of its own.
#include "ui/GroupTreeView.h"

#include "links/ui/DlgMEIncomingCallRecords.h"
#include "links/ui/DlgSetMobileEquipment.h"
#include "links/ui/MEIndicatorWnd.h"

#include "platform/gui/Accel.h"
#include "platform/gui/Icon.h"
#include "platform/gui/MessageBox.h"
#include "platform/gui/ShellServices.h"
#include "platform/gui/TrayIcon.h"
#include "platform/gui/WinApp.h"
#include "res/mainframe.h"
#include "shell/OutbarWnd.h"
#include "shell/RightPaneFrame.h"
#include "shell/SheetOption.h"
#include "shell/ShellModule.h"
#include "shell/SmsApp.h"
#include "shell/TrayIcon.h"
#include "sms/SmsBox.h"
#include "ui/KovMenu.h"

IMPLEMENT_DYNAMIC(CMainFrame, CMDIFrameWnd)

namespace {

const UINT kTaskbarCreated = RegisterWindowMessage("TaskbarCreated");
const UINT kFolderCaptions[FolderCount] = {IDS_FOLDER_ADDRESSBOOK, IDS_FOLDER_SMS,
                                           IDS_FOLDER_NOTES, IDS_FOLDER_CALENDAR, IDS_FOLDER_INFO,
                                           IDS_FOLDER_MAIL};
const UINT kModuleCommands[FolderCount] = {ID_MODULE_ADDRESSBOOK, ID_MODULE_SMS, ID_MODULE_NOTES,
                                           ID_MODULE_CALENDAR, ID_MODULE_INFO, ID_MODULE_MAIL};
const int kSeparatorWidth = 6;
const int kStateUnread = 5;
// The menu whose third pop-up the message-mode button drops down (the messages module's).
const UINT kModeMenu = 170;
const int kModeSubMenu = 2;

CQuillmarOptions& Options() {
    if (CSmsApp* app = AfxGetSmsApp())
        return app->m_options;
    // A frame made without the application (never in the program) works on defaults.
    static CQuillmarOptions defaults;
    return defaults;
}

CString LoadText(UINT id) {
    CString s;
    s.LoadString(id);
    return s;
}

} // namespace

// Icons of the tool bar's buttons, in image order.
const UINT CMainFrame::kToolBarIcons[28] = {126, 127, 130, 141, 134, 135, 111, 430, 530, 256,
                                             259, 131, 132, 506, 137, 136, 133, 138, 139, 143,
                                             144, 145, 146, 147, 149, 510, 2000, 150};
const UINT CMainFrame::kToolBarLayout[37] = {
    ID_FILE_NEW,        ID_FILE_OPEN,       ID_FILE_SAVE,      ID_FILE_SAVE_ALL,
    ID_EDIT_FIND,       ID_UP_ONE_LEVEL,    0,                 ID_MODE_ADDRESSBOOK,
    ID_MODE_SMS,        0,                  ID_ALL_SUBNODES,   0,
    ID_SEND,            ID_RECEIVE_SMS,     0,                 ID_NEW_GROUP,
    ID_NEW_CONTACT,     ID_NEW_PAGE,        ID_WRITE_SMS,      0,
    ID_CONFIRM_CHANGES, ID_DISCARD_CHANGES, 0,                 ID_SEND_SMS,
    ID_SEND_EMAIL,      0,                  ID_VIEW_LARGEICON, ID_VIEW_SMALLICON,
    ID_VIEW_LIST,       ID_VIEW_DETAILS,    ID_SORT_ASCENDING, ID_SORT_DESCENDING,
    0,                  ID_SMS_CENTER,      ID_ECARD_LOGIN,    0,
    ID_FILE_CLOSE};

BEGIN_MESSAGE_MAP(CMainFrame, CMDIFrameWnd)
ON_WM_CREATE()
ON_COMMAND(ID_OPTIONS, &CMainFrame::OnOptions)
ON_WM_CLOSE()
ON_WM_DESTROY()
ON_WM_SYSCOMMAND()
ON_WM_SIZE()
ON_WM_MOVE()
ON_WM_TIMER()
ON_WM_MEASUREITEM()
ON_WM_DRAWITEM()
ON_MESSAGE(WM_INITMENUPOPUP, &CMainFrame::OnInitMenuPopupOwnerDraw)
ON_MESSAGE(WM_DROPFILES, &CMainFrame::OnDropFiles)
ON_REGISTERED_MESSAGE(kTaskbarCreated, &CMainFrame::OnTaskbarCreated)
ON_MESSAGE(WM_TRAY_CALLBACK, &CMainFrame::OnTrayCallback)
ON_MESSAGE(WM_EDIT_MODE, &CMainFrame::OnEditMode)
ON_MESSAGE(WM_SETTEXT, &CMainFrame::OnSetText)
ON_MESSAGE(WM_SET_CMD_ROUTING, &CMainFrame::OnSetCmdRouting)
ON_MESSAGE(WM_RELAYOUT_SPLITTER, &CMainFrame::OnRelayoutSplitter)
ON_MESSAGE(WM_NEW_MESSAGES, &CMainFrame::OnNewMessages)
ON_MESSAGE(WM_SENDERS_ACCOUNT, &CMainFrame::OnSendersAccount)
ON_MESSAGE(WM_SENDERS_ROOT_DOCUMENT, &CMainFrame::OnSendersRootDocument)
ON_MESSAGE(WM_SENDERS_ROOT_BOX, &CMainFrame::OnSendersRootBox)
ON_MESSAGE(WM_SENDERS_ITEM_DOCUMENT, &CMainFrame::OnSendersItemDocument)
ON_COMMAND(ID_VIEW_LEFTPANE, &CMainFrame::OnViewLeftPane)
ON_UPDATE_COMMAND_UI(ID_VIEW_LEFTPANE, &CMainFrame::OnUpdateViewLeftPane)
ON_COMMAND_RANGE(ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR, &CMainFrame::OnViewBar)
ON_UPDATE_COMMAND_UI_RANGE(ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR, &CMainFrame::OnUpdateViewBar)
ON_COMMAND_RANGE(ID_OUTBAR_DRAWER, ID_OUTBAR_SINGLE, &CMainFrame::OnOutbarStyle)
ON_COMMAND_RANGE(ID_OUTBAR_MODERN, ID_OUTBAR_MODERN, &CMainFrame::OnOutbarStyle)
ON_UPDATE_COMMAND_UI_RANGE(ID_OUTBAR_DRAWER, ID_OUTBAR_SINGLE, &CMainFrame::OnUpdateOutbarStyle)
ON_UPDATE_COMMAND_UI(ID_OUTBAR_MODERN, &CMainFrame::OnUpdateOutbarStyle)
ON_COMMAND_RANGE(ID_MODULE_SMS, ID_MODULE_CALENDAR, &CMainFrame::OnModule)
ON_UPDATE_COMMAND_UI_RANGE(ID_MODULE_SMS, ID_MODULE_CALENDAR, &CMainFrame::OnUpdateModule)
ON_COMMAND_RANGE(ID_MODULE_MAIL, ID_MODULE_MAIL, &CMainFrame::OnModule)
ON_UPDATE_COMMAND_UI_RANGE(ID_MODULE_MAIL, ID_MODULE_MAIL, &CMainFrame::OnUpdateModule)
ON_COMMAND(ID_SHOW_MAINWND, &CMainFrame::OnShowMainWnd)
ON_UPDATE_COMMAND_UI(ID_SORT_ASCENDING, &CMainFrame::OnUpdateUnchecked)
ON_UPDATE_COMMAND_UI(ID_SORT_DESCENDING, &CMainFrame::OnUpdateUnchecked)
ON_UPDATE_COMMAND_UI(ID_ALL_SUBNODES, &CMainFrame::OnUpdateUnchecked)
ON_UPDATE_COMMAND_UI(ID_MODE_ADDRESSBOOK, &CMainFrame::OnUpdateUnchecked)
ON_UPDATE_COMMAND_UI(ID_MODE_SMS, &CMainFrame::OnUpdateUnchecked)
ON_UPDATE_COMMAND_UI_RANGE(ID_VIEW_SMALLICON, ID_VIEW_DETAILS, &CMainFrame::OnUpdateUnchecked)
ON_COMMAND(ID_RECEIVE_SMS, &CMainFrame::OnReceiveSms)
ON_UPDATE_COMMAND_UI(ID_RECEIVE_SMS, &CMainFrame::OnUpdateReceiveSms)
ON_COMMAND(ID_DEVICE_SETUP, &CMainFrame::OnDeviceSetup)
ON_COMMAND(ID_DEVICE_CONNECT, &CMainFrame::OnDeviceConnect)
ON_COMMAND(ID_DEVICE_DISCONNECT, &CMainFrame::OnDeviceDisconnect)
ON_COMMAND(ID_CALL_RECORDS, &CMainFrame::OnCallRecords)
ON_UPDATE_COMMAND_UI(ID_DEVICE_CONNECT, &CMainFrame::OnUpdateDeviceConnect)
ON_UPDATE_COMMAND_UI(ID_DEVICE_DISCONNECT, &CMainFrame::OnUpdateDeviceDisconnect)
ON_UPDATE_COMMAND_UI(ID_FILE_SAVE, &CMainFrame::OnUpdateDisabled)
ON_UPDATE_COMMAND_UI(ID_FILE_SAVE_AS, &CMainFrame::OnUpdateDisabled)
ON_UPDATE_COMMAND_UI(ID_FILE_PRINT_SETUP, &CMainFrame::OnUpdatePrintSetup)
ON_COMMAND(ID_HELP, &CMainFrame::OnHelp)
ON_NOTIFY(TBN_DROPDOWN, AFX_IDW_TOOLBAR, &CMainFrame::OnToolBarDropDown)
ON_COMMAND(ID_CONTEXT_HELP, &CMainFrame::OnHelp)
END_MESSAGE_MAP()

CMainFrame::CMainFrame() {
    const CGeneralOptions& g = Options().m_general;
    m_nSizeCmd = g.m_nMainFrmSizeCmd;
    m_nLastSizeCmd = g.m_nMainFrmLastSizeCmd;
}

CMainFrame::~CMainFrame() {
    // The splitter made the navigation bar, a plain window that does not delete itself; its
    // window went with the frame's.
    delete m_pOutbar;
    m_pOutbar = nullptr;
    delete m_pTrayIcon;
    m_pTrayIcon = nullptr;
    if (m_pPromptWnd) {
        m_pPromptWnd->SetListener(nullptr);
        if (m_pPromptWnd->GetSafeHwnd())
            m_pPromptWnd->DestroyWindow();
        m_pPromptWnd = nullptr;
    }
    if (m_pPhonePrompt) {
        m_pPhonePrompt->SetListener(nullptr);
        if (m_pPhonePrompt->GetSafeHwnd())
            m_pPhonePrompt->DestroyWindow();
        m_pPhonePrompt = nullptr;
    }
    delete m_pIndicator;
    m_pIndicator = nullptr;
}

BOOL CMainFrame::PreCreateWindow(CREATESTRUCT& cs) {
    if (!CMDIFrameWnd::PreCreateWindow(cs))
        return FALSE;
    WNDCLASS wc{};
    wc.style = CS_DBLCLKS;
    wc.hIcon = AfxGetApp() ? AfxGetApp()->LoadIcon(IDI_APP) : nullptr;
    if (!wc.hIcon)
        wc.hIcon = ::LoadIcon(nullptr, IDI_APPLICATION);
    wc.lpszClassName = QUILLMAR_MAINFRAME_CLASS;
    AfxRegisterClass(&wc);
    cs.lpszClass = QUILLMAR_MAINFRAME_CLASS;
    const CGeneralOptions& g = Options().m_general;
    int cx = g.m_nMainFrmRight - g.m_nMainFrmLeft;
    int cy = g.m_nMainFrmBottom - g.m_nMainFrmTop;
    if (cx > 0 && cy > 0) {
        cs.x = g.m_nMainFrmLeft;
        cs.y = g.m_nMainFrmTop;
        cs.cx = cx;
        cs.cy = cy;
    }
    return TRUE;
}

BOOL CMainFrame::LoadFrame(UINT nIDResource, DWORD dwDefaultStyle, CWnd* pParentWnd,
                           CCreateContext* pContext) {
    if (!CMDIFrameWnd::LoadFrame(nIDResource, dwDefaultStyle, pParentWnd, pContext))
        return FALSE;
    SetMenuOwnerDraw(GetMenu());
    return TRUE;
}

int CMainFrame::OnCreate(LPCREATESTRUCT lpcs) {
    if (CMDIFrameWnd::OnCreate(lpcs) == -1)
        return -1;
    if (!CreateToolBar())
        return -1;
    if (!m_wndReBar.Create(this) || !m_wndReBar.AddBar(&m_wndToolBar, nullptr, nullptr,
                                                       RBBS_GRIPPERALWAYS | RBBS_FIXEDBMP))
        return -1;
    static const UINT indicators[] = {ID_SEPARATOR, ID_INDICATOR_DEVICE, ID_INDICATOR_CAPS,
                                      ID_INDICATOR_NUM, ID_INDICATOR_SCRL};
    if (!m_wndStatusBar.Create(this) ||
        !m_wndStatusBar.SetIndicators(indicators, (int)(sizeof indicators / sizeof *indicators)))
        return -1;
    m_wndToolBar.GetToolBarCtrl().SetExtendedStyle(TBSTYLE_EX_DRAWDDARROWS);
    m_wndToolBar.SetBarStyle(m_wndToolBar.GetBarStyle() | CBRS_TOOLTIPS | CBRS_FLYBY);
    RecalcLayout();

    // The phone's state sits in the status bar's device pane.
    m_pIndicator = new CMEIndicatorWnd;
    CRect pane;
    m_wndStatusBar.GetItemRect(1, &pane);
    if (m_pIndicator->Create(&m_wndStatusBar, pane, ID_INDICATOR_DEVICE)) {
        if (CSmsApp* app = AfxGetSmsApp()) {
            CMobileAgent* agent = app->GetCommDevice().GetMobileAgent();
            agent->SetIndicator(m_pIndicator);
            // A link that drops by itself is said as a failed connect is.
            m_pIndicator->SetLinkLostHandler([this] {
                ShowPhonePrompt("连接断开",
                                "与移动设备的连接已断开。\n请检查移动设备是否已经与电脑正确连接。",
                                CPromptInfoWnd::KIND_ERROR, PHONE_PROMPT_MS);
            });
            if (agent->IsOpen())
                m_pIndicator->ShowConnected();
        }
    } else {
        delete m_pIndicator;
        m_pIndicator = nullptr;
    }
    return 0;
}

void CMainFrame::PlaceDeviceIndicator() {
    if (!m_pIndicator || !m_pIndicator->GetSafeHwnd() || !m_wndStatusBar.GetSafeHwnd())
        return;
    CRect pane;
    m_wndStatusBar.GetItemRect(1, &pane);
    pane.DeflateRect(1, 1);
    m_pIndicator->MoveWindow(&pane);
}

BOOL CMainFrame::CreateToolBar() {
    if (!m_wndToolBar.CreateEx(this, TBSTYLE_FLAT,
                               WS_CHILD | WS_VISIBLE | CBRS_ALIGN_TOP | CBRS_TOOLTIPS | CBRS_FLYBY))
        return FALSE;
    m_toolImages.Create(16, 16, ILC_COLOR32 | ILC_MASK, 15, 5);
    CWinApp* app = AfxGetApp();
    for (UINT id : kToolBarIcons) {
        HICON h = app ? app->LoadIcon(id) : nullptr;
        // A missing picture keeps its place, so the buttons after it keep theirs.
        if (m_toolImages.Add(h) < 0 && m_toolImages.Add(::LoadIcon(nullptr, IDI_APPLICATION)) < 0) {
            CBitmap blank;
            blank.CreateBitmap(16, 16, 1, 32, nullptr);
            m_toolImages.Add(&blank, RGB(0, 0, 0));
        }
    }
    m_wndToolBar.GetToolBarCtrl().SetImageList(&m_toolImages);
    if (!m_wndToolBar.SetButtons(kToolBarLayout, (int)(sizeof kToolBarLayout / sizeof(UINT))))
        return FALSE;
    int image = 0;
    for (int i = 0; i < m_wndToolBar.GetCount(); ++i) {
        UINT id = m_wndToolBar.GetItemID(i);
        if (id == ID_SEPARATOR)
            m_wndToolBar.SetButtonInfo(i, ID_SEPARATOR, TBBS_SEPARATOR, kSeparatorWidth);
        else
            m_wndToolBar.SetButtonInfo(i, id, m_wndToolBar.GetButtonStyle(i), image++);
    }
    int mode = m_wndToolBar.CommandToIndex(ID_MODE_SMS);
    m_wndToolBar.SetButtonStyle(mode, m_wndToolBar.GetButtonStyle(mode) | TBSTYLE_DROPDOWN);
    return TRUE;
}

BOOL CMainFrame::OnCreateClient(LPCREATESTRUCT, CCreateContext* pContext) {
    CQuillmarOptions& options = Options();
    if (!m_wndSplitter.CreateStatic(this, 1, 2, WS_CHILD | WS_VISIBLE))
        return FALSE;
    if (!m_wndSplitter.CreateView(0, 0, RUNTIME_CLASS(COutbarWnd),
                                  CSize(options.m_general.m_nLeftPaneWidth, 100), pContext) ||
        !m_wndSplitter.CreateView(0, 1, RUNTIME_CLASS(CRightPaneFrame), CSize(100, 100),
                                  pContext)) {
        m_wndSplitter.DestroyWindow();
        return FALSE;
    }
    m_pOutbar = dynamic_cast<COutbarWnd*>(m_wndSplitter.GetPane(0, 0));
    m_pRightPane = dynamic_cast<CRightPaneFrame*>(m_wndSplitter.GetPane(0, 1));
    if (!m_pOutbar || !m_pRightPane)
        return FALSE;

    int mode = options.m_general.m_nLeftPaneMode;
    m_pOutbar->SetStyle(mode >= 4 || mode < 0 ? COutbarWnd::StyleModernDrawer : mode);

    for (int i = 0; i < FolderCount; ++i) {
        CShellModule* module = AfxFindFolderModule(i);
        CRuntimeClass* cls = module ? module->GetFolderClass() : RUNTIME_CLASS(CModuleMissingView);
        CString caption = LoadText(kFolderCaptions[i]);
        CWnd* folder = cls->IsDerivedFrom(RUNTIME_CLASS(CView))
                           ? m_pOutbar->AddFolderView(cls, pContext, caption)
                           : m_pOutbar->AddFolderPage(cls, pContext, caption,
                                                      COutbarWnd::FolderViewId(i), m_pOutbar);
        if (!folder) {
            m_pOutbar->DestroyWindow();
            delete m_pOutbar;
            m_pOutbar = nullptr;
            return FALSE;
        }
    }
    m_pRightPane->SetFrameWindows(m_pOutbar->GetFolderWnd(0), m_pOutbar->GetFolderWnd(1),
                                  m_pOutbar);
    for (CShellModule* module : AfxGetShellModules())
        module->ConnectFrame(this);

    m_pOutbar->SelectFolder(0, FALSE);
    m_pOutbar->ActivateFolderWnd(0);
    if (CWinApp* app = AfxGetApp())
        if (HCURSOR hand = app->LoadCursor(IDC_OUTBAR_HAND))
            m_pOutbar->SetCursorHandle(hand, TRUE);

    if (CSmsApp* app = AfxGetSmsApp(); app && app->m_bOpenPresetFiles)
        OpenPresetFiles();

    m_pTrayIcon = new CSysTrayIcon(this, 1, WM_TRAY_CALLBACK);
    HICON icon = AfxGetApp() ? AfxGetApp()->LoadIcon(IDI_APP) : nullptr;
    if (!icon)
        icon = ::LoadIcon(nullptr, IDI_APPLICATION);
    m_pTrayIcon->SetIcon(icon, LoadText(IDS_APP_TITLE));
    m_pTrayIcon->SetMenu(IDR_TRAY_MENU);
    if (options.m_general.m_bTrayIcon)
        m_pTrayIcon->Show(TRUE);

    m_bNavigationReady = TRUE;
    // Messages received before the last close wait in the holding box again.
    if (CSmsApp* app = AfxGetSmsApp())
        app->GetCommDevice().LoadIncomingSms();
    return TRUE;
}

void CMainFrame::OpenPresetFiles() {
    CQuillmarOptions& o = Options();
    for (const CFileListOptions* list : {static_cast<const CFileListOptions*>(&o.m_task),
                                         static_cast<const CFileListOptions*>(&o.m_notebook),
                                         static_cast<const CFileListOptions*>(&o.m_sender),
                                         static_cast<const CFileListOptions*>(&o.m_namebook)}) {
        if (!list->m_bAutoLoadFile)
            continue;
        for (POSITION pos = list->m_fileList.GetHeadPosition(); pos;)
            OpenFileByExtension(list->m_fileList.GetNext(pos));
    }
}

CWnd* CMainFrame::GetFolderWnd(int i) const {
    return m_pOutbar ? m_pOutbar->GetFolderWnd(i) : nullptr;
}

void CMainFrame::SetFolderCaption(int i, LPCTSTR lpszCaption) {
    if (m_pOutbar)
        m_pOutbar->SetFolderCaption(i, lpszCaption, TRUE);
}

void CMainFrame::ShowInSavedState() {
    const CGeneralOptions& g = Options().m_general;
    bool normal = g.m_nMainFrmSizeCmd == SC_RESTORE_CMD ||
                  (g.m_nMainFrmSizeCmd == SC_MINIMIZE_CMD &&
                   g.m_nMainFrmLastSizeCmd == SC_RESTORE_CMD);
    // The window was made with its frame at the kept rectangle (PreCreateWindow).
    ShowWindow(normal ? SW_SHOW : SW_SHOWMAXIMIZED);
    if (g.m_nMainFrmSizeCmd == SC_MINIMIZE_CMD)
        SendMessage(WM_SYSCOMMAND, SC_MINIMIZE_CMD, 0);
    UpdateWindow();
}

// ---- Command routing ------------------------------------------------------------------------

BOOL CMainFrame::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
    if (!m_bCmdRouting)
        return FALSE;
    CMDIChildWnd* child = MDIGetActive();
    if (!child) {
        if (m_pOutbar)
            if (CWnd* folder = m_pOutbar->GetSelFolderWnd())
                if (folder->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
                    return TRUE;
    } else if (child->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) {
        return TRUE;
    }
    if (m_pRightPane && m_pRightPane->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
        return TRUE;
    if (CCmdTarget::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
        return TRUE;
    CWinApp* app = AfxGetApp();
    return app && app->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

BOOL CMainFrame::PreTranslateMessage(MSG* pMsg) {
    bool key = pMsg->message >= WM_KEYFIRST && pMsg->message <= WM_KEYLAST;
    if (!key)
        return CMDIFrameWnd::PreTranslateMessage(pMsg);
    m_bKeyConsumed = FALSE;
    CMDIChildWnd* child = MDIGetActive();
    if (child && child->PreTranslateMessage(pMsg))
        return TRUE;
    if (m_hAccelTable) {
        HWND target = pMsg->hwnd;
        if (TranslateAccelerator(m_hWnd, m_hAccelTable, pMsg)) {
            // The command ran; the key still reaches the focused control (Ctrl+C in an edit
            // copies its text) unless a view took it or its window is gone. A key with Alt
            // (Ctrl+Alt+Q) would only type a character there.
            if (m_bKeyConsumed || !target || !::IsWindow(target) || target == m_hWnd ||
                pMsg->message == WM_SYSKEYDOWN)
                return TRUE;
            return FALSE;
        }
    }
    if (!child && (pMsg->message == WM_KEYDOWN || pMsg->message == WM_SYSKEYDOWN))
        return TranslateMDISysAccel(pMsg);
    return FALSE;
}

// ---- Frame commands -------------------------------------------------------------------------

void CMainFrame::OnViewLeftPane() {
    m_bLeftPaneVisible = !m_bLeftPaneVisible;
    m_wndSplitter.HideColumn(0, !m_bLeftPaneVisible);
}

// The tool bar sits in the band bar: showing or hiding the band bar shows or hides it.
CWnd* CMainFrame::BarOfCommand(UINT nID) {
    CWnd* pBar = nID == ID_VIEW_TOOLBAR ? static_cast<CWnd*>(&m_wndReBar) : &m_wndStatusBar;
    return pBar->GetSafeHwnd() != nullptr ? pBar : nullptr;
}

void CMainFrame::OnViewBar(UINT nID) {
    if (CWnd* pBar = BarOfCommand(nID))
        ShowControlBar(pBar, !(pBar->GetStyle() & WS_VISIBLE), FALSE);
}

void CMainFrame::OnUpdateViewBar(CCmdUI* pCmdUI) {
    CWnd* pBar = BarOfCommand(pCmdUI->m_nID);
    pCmdUI->Enable(pBar != nullptr);
    pCmdUI->SetCheck(pBar != nullptr && (pBar->GetStyle() & WS_VISIBLE) ? 1 : 0);
}

void CMainFrame::OnUpdateViewLeftPane(CCmdUI* pCmdUI) {
    pCmdUI->SetCheck(m_bLeftPaneVisible);
}

static int StyleOfCommand(UINT nID) {
    switch (nID) {
    case ID_OUTBAR_DRAWER:
        return COutbarWnd::StyleDrawer;
    case ID_OUTBAR_TABS:
        return COutbarWnd::StyleTabs;
    case ID_OUTBAR_SINGLE:
        return COutbarWnd::StyleSingle;
    default:
        return COutbarWnd::StyleModernDrawer;
    }
}

void CMainFrame::SetOutbarStyle(int nStyle) {
    if (!m_pOutbar)
        return;
    m_pOutbar->SetStyle(nStyle);
    m_pOutbar->LayoutFolderWnds();
    m_pOutbar->Invalidate();
}

void CMainFrame::OnOutbarStyle(UINT nID) {
    SetOutbarStyle(StyleOfCommand(nID));
}

void CMainFrame::OnUpdateOutbarStyle(CCmdUI* pCmdUI) {
    pCmdUI->SetCheck(m_pOutbar && m_pOutbar->GetStyle() == StyleOfCommand(pCmdUI->m_nID));
}

static int FolderOfCommand(UINT nID) {
    for (int i = 0; i < FolderCount; ++i)
        if (kModuleCommands[i] == nID)
            return i;
    return -1;
}

void CMainFrame::OnModule(UINT nID) {
    int folder = FolderOfCommand(nID);
    if (folder >= 0 && m_pOutbar)
        m_pOutbar->SelectFolder(folder, TRUE);
}

void CMainFrame::OnUpdateModule(CCmdUI* pCmdUI) {
    int folder = FolderOfCommand(pCmdUI->m_nID);
    if (folder < 0) {
        pCmdUI->Enable(FALSE);
        return;
    }
    BOOL enabled = m_pOutbar && m_pOutbar->GetSafeHwnd() && m_pOutbar->IsWindowEnabled() &&
                   m_pOutbar->IsFolderEnabled(folder);
    pCmdUI->Enable(enabled);
    pCmdUI->SetCheck(m_pOutbar && m_pOutbar->GetSelFolder() == folder);
}

void CMainFrame::OnShowMainWnd() {
    if (IsWindowVisible()) {
        if (CanHideToTray() && Options().m_general.m_bMiniToTray)
            SendMessage(WM_SYSCOMMAND, SC_MINIMIZE_CMD, 0);
        else
            SendMessage(WM_SYSCOMMAND, IsIconic() ? SC_RESTORE_CMD : SC_MINIMIZE_CMD, 0);
        return;
    }
    ShowWindow(SW_SHOW);
    SendMessage(WM_SYSCOMMAND, SC_RESTORE_CMD, 0);
    if (IsIconic())
        SendMessage(WM_SYSCOMMAND, SC_MAXIMIZE_CMD, 0);
    UpdateWindow();
}

void CMainFrame::OnUpdateUnchecked(CCmdUI* pCmdUI) {
    pCmdUI->SetCheck(FALSE);
}

void CMainFrame::OnUpdateDisabled(CCmdUI* pCmdUI) {
    pCmdUI->Enable(FALSE);
}

void CMainFrame::OnUpdatePrintSetup(CCmdUI* pCmdUI) {
    // The program does not print, so there is nothing to set up.
    pCmdUI->Enable(FALSE);
}

void CMainFrame::OnToolBarDropDown(NMHDR* pNMHDR, LRESULT* pResult) {
    auto* tb = reinterpret_cast<NMTOOLBAR*>(pNMHDR);
    *pResult = TBDDRET_DEFAULT;
    if ((UINT)tb->iItem != ID_MODE_SMS)
        return;
    CRect rc(tb->rcButton);
    m_wndToolBar.ClientToScreen(&rc);
    ShowPopupMenu(kModeMenu, kModeSubMenu, CPoint(rc.left, rc.bottom), TPM_LEFTALIGN, this, &rc);
}

void CMainFrame::OnOptions() {
    CSheetOption sheet(this);
    sheet.DoModal();
}

void CMainFrame::OnHelp() {
    // No help files ship with the program: the help request fails as the framework reports it.
    AfxMessageBox(IDS_HELP_FAILED, MB_OK | MB_ICONEXCLAMATION);
}

// ---- Menus ----------------------------------------------------------------------------------

void CMainFrame::OnMeasureItem(int, LPMEASUREITEMSTRUCT lpMIS) {
    MeasureOwnerDrawnMenuItem(this, lpMIS);
}

void CMainFrame::OnDrawItem(int, LPDRAWITEMSTRUCT lpDIS) {
    DrawOwnerDrawnMenuItem(this, lpDIS);
}

LRESULT CMainFrame::OnInitMenuPopupOwnerDraw(WPARAM wParam, LPARAM lParam) {
    LRESULT result = CFrameWnd::OnInitMenuPopup(wParam, lParam);
    // Update handlers may have put new items in (the recent files); they are drawn alike.
    if (CMenu* popup = CMenu::FromHandle((HMENU)wParam))
        SetMenuOwnerDraw(popup);
    return result;
}

// ---- Opening files --------------------------------------------------------------------------

CDocument* CMainFrame::OpenFileByExtension(LPCTSTR lpszPath) {
    if (m_bBusy) {
        AfxMessageBox("程序正处于编辑模式，谢绝打扰。请另外选择时间打开文件。",
                      MB_OK | MB_ICONEXCLAMATION);
        return nullptr;
    }
    CString path = lpszPath ? lpszPath : "";
    if (path.IsEmpty())
        return nullptr;
    if (path[0] == '"')
        path = path.Mid(1);
    if (!path.IsEmpty() && path[path.GetLength() - 1] == '"')
        path = path.Left(path.GetLength() - 1);
    if (path.IsEmpty())
        return nullptr;
    int dot = path.ReverseFind('.');
    int slash = std::max(path.ReverseFind('/'), path.ReverseFind('\\'));
    if (dot < 0 || dot < slash)
        return nullptr;
    CString ext = path.Mid(dot);
    ext.MakeLower();
    CShellModule* module = AfxFindExtensionModule(ext);
    if (!module)
        return nullptr;
    int folder = module->GetFolder();
    if (folder >= 0 && m_pOutbar)
        m_pOutbar->SelectFolder(folder, m_bNavigationReady);
    return module->OpenFile(this, path, ext);
}

LRESULT CMainFrame::OnDropFiles(WPARAM wParam, LPARAM) {
    HDROP drop = (HDROP)wParam;
    SetActiveWindow();
    UINT count = DragQueryFile(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        char path[4096] = {};
        if (DragQueryFile(drop, i, path, sizeof path))
            if (CWinApp* app = AfxGetApp())
                app->OpenDocumentFile(path);
    }
    DragFinish(drop);
    return 0;
}

// ---- Busy mode and queries ------------------------------------------------------------------

LRESULT CMainFrame::OnEditMode(WPARAM wParam, LPARAM) {
    CSmsApp* app = AfxGetSmsApp();
    if (wParam == EDIT_MODE_ENTER) {
        m_bBusy = TRUE;
        if (app)
            app->EnableCommands(FALSE);
    } else if (wParam == EDIT_MODE_LEAVE) {
        m_bBusy = FALSE;
        if (app)
            app->EnableCommands(TRUE);
    }
    return 0;
}

LRESULT CMainFrame::OnSetText(WPARAM wParam, LPARAM lParam) {
    m_strPlainTitle = lParam != 0 ? reinterpret_cast<LPCTSTR>(lParam) : "";
    if (m_strTitleNote.IsEmpty())
        return DefWindowProc(WM_SETTEXT, wParam, lParam);
    const CString title = m_strTitleNote + " - " + m_strPlainTitle;
    return DefWindowProc(WM_SETTEXT, wParam, reinterpret_cast<LPARAM>((LPCTSTR)title));
}

void CMainFrame::SetTitleNote(LPCTSTR lpszNote) {
    const CString note = lpszNote != nullptr ? lpszNote : "";
    if (note == m_strTitleNote)
        return;
    if (m_strTitleNote.IsEmpty() && m_strPlainTitle.IsEmpty())
        GetWindowText(m_strPlainTitle);
    m_strTitleNote = note;
    const CString plain = m_strPlainTitle;
    SetWindowText(plain);
}

LRESULT CMainFrame::OnSetCmdRouting(WPARAM wParam, LPARAM) {
    m_bCmdRouting = wParam != 0;
    return 1;
}

LRESULT CMainFrame::OnRelayoutSplitter(WPARAM, LPARAM) {
    m_wndSplitter.RecalcLayout();
    return 0;
}

LRESULT CMainFrame::AskSendersTree(UINT message) {
    // The senders tree answers the same message; without the module there is no answer.
    CWnd* pTree = GetFolderWnd(FolderSms);
    if (pTree == nullptr || pTree->GetSafeHwnd() == nullptr ||
        AfxFindFolderModule(FolderSms) == nullptr)
        return 0;
    return pTree->SendMessage(message, 0, 0);
}

CMsgAccountBase* CMainFrame::GetCurrentSender() {
    return reinterpret_cast<CMsgAccountBase*>(SendMessage(WM_SENDERS_ACCOUNT));
}

LRESULT CMainFrame::OnNewMessages(WPARAM wParam, LPARAM lParam) {
    auto* box = reinterpret_cast<_CSmsBox*>(lParam);
    if (!box)
        return 1;
    m_nNewMessages += box->GetSmsCount();
    for (POSITION pos = box->GetFirstSmsPosition(); pos;)
        box->GetNextSms(pos)->SetState(kStateUnread);
    int filed = 0;
    for (CShellModule* module : AfxGetShellModules())
        filed += module->FileNewMessages(this, reinterpret_cast<void*>(wParam), box);
    if (!m_pPromptWnd) {
        m_pPromptWnd = new CPromptInfoWnd;
        m_pPromptWnd->SetListener(this);
        if (!m_pPromptWnd->Create()) {
            delete m_pPromptWnd;
            m_pPromptWnd = nullptr;
        }
    }
    if (m_pPromptWnd) {
        CString text;
        text.Format("接收到%d条新消息，\n请到收信箱中查看！", m_nNewMessages);
        m_pPromptWnd->SetText(text);
        m_pPromptWnd->ShowPrompt();
    }
    // The arrival sound plays only for a message that was filed.
    return filed > 0 ? 1 : 0;
}

void CMainFrame::OnPromptClosed() {
    m_pPromptWnd = nullptr;
    m_nNewMessages = 0;
}

// ---- Tray -----------------------------------------------------------------------------------

BOOL CMainFrame::CanHideToTray() const {
    return m_pTrayIcon && m_pTrayIcon->IsShown() && AfxIsTrayAvailable();
}

void CMainFrame::ShowTrayIcon(BOOL bShow) {
    if (!m_pTrayIcon)
        return;
    if (!bShow && !IsWindowVisible()) {
        ShowWindow(SW_SHOW);
        SendMessage(WM_SYSCOMMAND, SC_RESTORE_CMD, 0);
    }
    m_pTrayIcon->Show(bShow);
}

LRESULT CMainFrame::OnTaskbarCreated(WPARAM, LPARAM) {
    if (m_pTrayIcon) {
        m_pTrayIcon->ForgetShown();
        if (Options().m_general.m_bTrayIcon)
            m_pTrayIcon->Show(TRUE);
    }
    return 0;
}

LRESULT CMainFrame::OnTrayCallback(WPARAM wParam, LPARAM lParam) {
    return m_pTrayIcon ? m_pTrayIcon->OnTrayNotification(wParam, lParam) : 0;
}

// ---- Size state -----------------------------------------------------------------------------

void CMainFrame::OnSysCommand(UINT nID, LPARAM lParam) {
    const CGeneralOptions& g = Options().m_general;
    switch (nID & 0xFFF0) {
    case SC_MINIMIZE_CMD:
        if (m_nSizeCmd != SC_MINIMIZE_CMD)
            m_nLastSizeCmd = m_nSizeCmd;
        m_nSizeCmd = SC_MINIMIZE_CMD;
        if (!IsIconic())
            ShowWindow(SW_MINIMIZE);
        if (CanHideToTray() && g.m_bMiniToTray)
            ShowWindow(SW_HIDE);
        return;
    case SC_CLOSE:
        // The close box: the frame's close decides whether it only hides to the tray.
        SendMessage(WM_CLOSE);
        return;
    case SC_RESTORE_CMD:
        // Back from the tray or the task bar a window takes the state it had before.
        m_nSizeCmd = m_nSizeCmd == SC_MINIMIZE_CMD && m_nLastSizeCmd != SC_MINIMIZE_CMD
                         ? m_nLastSizeCmd
                         : SC_RESTORE_CMD;
        m_nLastSizeCmd = m_nSizeCmd;
        ShowWindow(m_nSizeCmd == SC_MAXIMIZE_CMD ? SW_SHOWMAXIMIZED : SW_RESTORE);
        return;
    case SC_MAXIMIZE_CMD:
        m_nSizeCmd = m_nLastSizeCmd = SC_MAXIMIZE_CMD;
        ShowWindow(SW_SHOWMAXIMIZED);
        return;
    default:
        CMDIFrameWnd::OnSysCommand(nID, lParam);
    }
}

void CMainFrame::SaveWindowRect() {
    if (m_nSizeCmd == SC_MAXIMIZE_CMD || m_nSizeCmd == SC_MINIMIZE_CMD || IsIconic() ||
        IsZoomed())
        return;
    CRect rc;
    GetWindowRect(&rc);
    if (rc.left < 0 || rc.top < 0 || rc.right < 0 || rc.bottom < 0)
        return;
    CGeneralOptions& g = Options().m_general;
    g.m_nMainFrmLeft = rc.left;
    g.m_nMainFrmTop = rc.top;
    g.m_nMainFrmRight = rc.right;
    g.m_nMainFrmBottom = rc.bottom;
}

void CMainFrame::OnSize(UINT nType, int cx, int cy) {
    CMDIFrameWnd::OnSize(nType, cx, cy);
    PlaceDeviceIndicator();
    if (m_wndSplitter.GetSafeHwnd())
        m_wndSplitter.RecalcLayout();
    if (cx > 0 && cy > 0)
        SaveWindowRect();
}

void CMainFrame::OnMove(int, int) {
    SaveWindowRect();
}

void CMainFrame::OnTimer(UINT_PTR nIDEvent) {
    for (CShellModule* module : AfxGetShellModules())
        module->OnFrameTimer(this, nIDEvent);
    CMDIFrameWnd::OnTimer(nIDEvent);
}

// ---- Closing --------------------------------------------------------------------------------

void CMainFrame::CloseForExit() {
    m_bExitRequested = TRUE;
    HWND hWnd = m_hWnd;
    SendMessage(WM_CLOSE);
    // A close that went through took this object with the window.
    if (::IsWindow(hWnd))
        m_bExitRequested = FALSE;
}

void CMainFrame::OnClose() {
    // The close box (the desktop's, or the system command) may only hide the window.
    if (!m_bExitRequested && CanHideToTray() && Options().m_general.m_bCloseToTray) {
        if (m_nSizeCmd != SC_MINIMIZE_CMD)
            m_nLastSizeCmd = m_nSizeCmd;
        m_nSizeCmd = SC_MINIMIZE_CMD;
        ShowWindow(SW_MINIMIZE);
        ShowWindow(SW_HIDE);
        return;
    }
    if (m_bBusy) {
        AfxMessageBox("程序正处于编辑模式，请先退出编辑模式：单击工具栏上的“确认修改”按钮"
                      "(Ctrl+E)保存所做的修改，或“放弃修改”按钮(Ctrl+Alt+Q)放弃它们。",
                      MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    CSmsApp* app = AfxGetSmsApp();
    CString reason;
    if (app && !app->CanCloseApplication(reason)) {
        if (!reason.IsEmpty())
            AfxMessageBox(reason, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    for (CShellModule* module : AfxGetShellModules())
        if (module->DefersClose(this))
            return;
    for (CShellModule* module : AfxGetShellModules())
        module->BeforeCloseFiles(this);
    // Received messages not yet filed go to the store before the files close.
    if (app)
        app->GetCommDevice().SaveIncomingSms();
    // The trees close their files in this order; a cancel stops the close there.
    for (int folder : {(int)FolderAddressBook, (int)FolderSms, (int)FolderNotes,
                       (int)FolderCalendar, (int)FolderInfo, (int)FolderMail, -1})
        for (CShellModule* module : AfxGetShellModules())
            if (module->GetFolder() == folder && !module->CloseFiles(this)) {
                // Trees that closed their files before this one put their own item into the
                // pane and the title. The folder whose file stays comes to the front (choosing
                // it shows its item); when it is in front already, its tree shows its item again.
                if (m_pOutbar != nullptr) {
                    if (folder >= 0 && m_pOutbar->GetSelFolder() != folder)
                        m_pOutbar->SelectFolder(folder, TRUE);
                    else if (auto* pTree = dynamic_cast<CGroupTreeView*>(m_pOutbar->GetSelFolderWnd()))
                        pTree->ShowCurrentItemAgain();
                }
                return;
            }
    CGeneralOptions& g = Options().m_general;
    g.m_nMainFrmSizeCmd = m_nSizeCmd;
    g.m_nMainFrmLastSizeCmd = m_nLastSizeCmd;
    if (m_wndSplitter.GetSafeHwnd())
        g.m_nLeftPaneWidth = m_wndSplitter.GetColumnSize(0);
    if (m_pOutbar)
        g.m_nLeftPaneMode = m_pOutbar->GetStyle();
    CMDIFrameWnd::OnClose();
}

void CMainFrame::SetBackgroundStatus(const CString& text) {
    m_strBackgroundStatus = text;
    // A command's prompt being shown stays; the text comes once the idle message would.
    if (GetSafeHwnd() != nullptr &&
        (m_nIDLastMessage == 0 || m_nIDLastMessage == AFX_IDS_IDLEMESSAGE))
        SendMessage(WM_SETMESSAGESTRING, AFX_IDS_IDLEMESSAGE);
}

void CMainFrame::GetMessageString(UINT nID, CString& rMessage) const {
    if (nID == AFX_IDS_IDLEMESSAGE && !m_strBackgroundStatus.IsEmpty())
        rMessage = m_strBackgroundStatus;
    else
        CMDIFrameWnd::GetMessageString(nID, rMessage);
}

void CMainFrame::OnDestroy() {
    if (CSmsApp* app = AfxGetSmsApp())
        if (app->GetCommDevice().GetMobileAgent())
            app->GetCommDevice().GetMobileAgent()->SetIndicator(nullptr);
    if (m_pTrayIcon)
        m_pTrayIcon->Show(FALSE);
    CWinApp* app = AfxGetApp();
    bool main = app && app->m_pMainWnd == this;
    CMDIFrameWnd::OnDestroy();
    // The program ends with its main window.
    if (CSmsApp* smsApp = AfxGetSmsApp(); main && smsApp)
        smsApp->OnMainWindowGone();
}

// ---- Short messages and the phone -----------------------------------------------------------

void CMainFrame::OnReceiveSms() {
    if (CSmsApp* app = AfxGetSmsApp())
        app->GetCommDevice().ReceiveSms(nullptr);
}

void CMainFrame::OnUpdateReceiveSms(CCmdUI* pCmdUI) {
    CSmsApp* app = AfxGetSmsApp();
    pCmdUI->Enable(app && app->GetCommHost().GetActiveSender() &&
                   !app->GetCommDevice().IsReceiving());
}

void CMainFrame::ShowPhonePrompt(const CString& title, const CString& text, int kind, UINT ms) {
    if (!m_pPhonePrompt) {
        m_pPhonePrompt = new CPromptInfoWnd;
        m_pPhonePrompt->SetListener(&m_phonePromptListener);
        if (!m_pPhonePrompt->Create()) {
            delete m_pPhonePrompt;
            m_pPhonePrompt = nullptr;
            AfxMessageBox(text, MB_OK | (kind == CPromptInfoWnd::KIND_ERROR ? MB_ICONSTOP
                                         : kind == CPromptInfoWnd::KIND_WARNING
                                             ? MB_ICONEXCLAMATION
                                             : MB_ICONINFORMATION));
            return;
        }
    }
    m_pPhonePrompt->SetTitle(title, kind);
    m_pPhonePrompt->SetText(text);
    m_pPhonePrompt->SetHoldTime(ms);
    m_pPhonePrompt->ShowPrompt();
}

void CMainFrame::OnDeviceSetup() {
    CSmsApp* app = AfxGetSmsApp();
    if (!app)
        return;
    CDlgSetMobileEquipment dlg(app->GetCommDevice().GetMobileAgent(), this);
    dlg.SetPrompt([this](const CString& title, const CString& text, int kind, UINT ms) {
        ShowPhonePrompt(title, text, kind, ms);
    });
    if (dlg.DoModal() == IDOK)
        app->GetCommDevice().SaveAgentSettings();
}

void CMainFrame::OnDeviceConnect() {
    CSmsApp* app = AfxGetSmsApp();
    if (!app)
        return;
    CMobileAgent& agent = *app->GetCommDevice().GetMobileAgent();
    if (agent.IsOpen())
        return;
    PHONE_CONNECT_OUTCOME outcome;
    {
        CWaitCursor wait;
        outcome = ConnectPhone(agent, agent.GetComPort(), agent.GetBaudRate(),
                               agent.GetAutoGetServiceCentre());
    }
    if (outcome.open && !outcome.serviceCentre.IsEmpty())
        agent.SetServiceCentre(outcome.serviceCentre);
    ShowPhonePrompt(outcome.title, outcome.text, outcome.kind, PHONE_PROMPT_MS);
}

void CMainFrame::OnDeviceDisconnect() {
    if (CSmsApp* app = AfxGetSmsApp())
        app->GetCommDevice().GetMobileAgent()->Close();
}

void CMainFrame::OnCallRecords() {
    CSmsApp* app = AfxGetSmsApp();
    CDlgMEIncomingCallRecords dlg(app ? app->GetCommDevice().GetMobileAgent() : nullptr, this);
    dlg.DoModal();
}

void CMainFrame::OnUpdateDeviceConnect(CCmdUI* pCmdUI) {
    CSmsApp* app = AfxGetSmsApp();
    pCmdUI->Enable(app && !app->GetCommDevice().IsPhoneOpen());
}

void CMainFrame::OnUpdateDeviceDisconnect(CCmdUI* pCmdUI) {
    CSmsApp* app = AfxGetSmsApp();
    pCmdUI->Enable(app && app->GetCommDevice().IsPhoneOpen());
}
