// Frames for many documents at once: the main frame keeps a client area (the MDI client) in which
// every open document has a child frame of its own. One child is active at a time; it shows its
// menu in the main frame's menu bar, its document in the main frame's title, and it gets each
// command before the main frame does.
#pragma once

#include "platform/gui/Frame.h"

#define WM_MDICREATE 0x0220
#define WM_MDIDESTROY 0x0221
#define WM_MDIACTIVATE 0x0222
#define WM_MDIRESTORE 0x0223
#define WM_MDINEXT 0x0224
#define WM_MDIMAXIMIZE 0x0225
#define WM_MDITILE 0x0226
#define WM_MDICASCADE 0x0227
#define WM_MDIICONARRANGE 0x0228
#define WM_MDIGETACTIVE 0x0229
#define WM_MDISETMENU 0x0230
#define WM_MDIREFRESHMENU 0x0234

#define MDITILE_VERTICAL 0x0000
#define MDITILE_HORIZONTAL 0x0001
#define MDITILE_SKIPDISABLED 0x0002

#define ID_WINDOW_NEW 0xE130
#define ID_WINDOW_CASCADE 0xE132
#define ID_WINDOW_TILE_HORZ 0xE133
#define ID_WINDOW_TILE_VERT 0xE134

// Child frames take ids from here on, in the order they were made.
#define AFX_IDM_FIRST_MDICHILD 0xFF00

class CMDIChildWnd;

class CMDIFrameWnd : public CFrameWnd {
    DECLARE_DYNCREATE(CMDIFrameWnd)
public:
    CMDIFrameWnd();
    ~CMDIFrameWnd() override;

    // The client area the children live in (AFX_IDW_PANE_FIRST); null when the frame put
    // something else there and never made one.
    HWND m_hWndMDIClient = nullptr;

    // Makes the MDI client; the default OnCreateClient calls it. pWindowMenu, when given, is the
    // pop-up that lists the open children after its own items.
    virtual BOOL CreateClient(LPCREATESTRUCT lpCreateStruct, CMenu* pWindowMenu);
    BOOL OnCreateClient(LPCREATESTRUCT lpcs, CCreateContext* pContext) override;
    // The pop-up of a menu bar holding the window commands (ID_WINDOW_*), or null.
    virtual HMENU GetWindowMenuPopup(HMENU hMenuBar);

    // The active child (null when there is none or no client); *pbMaximized tells whether it
    // fills the client area.
    CMDIChildWnd* MDIGetActive(BOOL* pbMaximized = nullptr) const;
    void MDIActivate(CWnd* pWndActivate);
    void MDIMaximize(CWnd* pWnd);
    void MDIRestore(CWnd* pWnd);
    // The next child in the stacking order becomes active; the active one goes to the back.
    void MDINext();
    void MDIPrev();
    void MDICascade(int nType = 0);
    void MDITile(int nType = MDITILE_VERTICAL);
    // Shows pFrameMenu in the frame (null: keeps the present one) and makes pWindowMenu the
    // pop-up that lists the children. Answers the menu shown before.
    CMenu* MDISetMenu(CMenu* pFrameMenu, CMenu* pWindowMenu);

    // With an active child the child chooses the menu; otherwise hMenuAlt, or the frame's own
    // menu when that is null.
    virtual void OnUpdateFrameMenu(HMENU hMenuAlt);
    CFrameWnd* GetActiveFrame() override;
    CDocument* GetActiveDocument() override;

    // Ctrl+F4 closes the active child, Ctrl+F6 (Ctrl+Tab) and Ctrl+Shift+F6 move to the next
    // and the previous one. TRUE when the key was one of these.
    BOOL TranslateMDISysAccel(MSG* pMsg);

    // The active child (its view, its document, itself), then this frame, then the application.
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    CMDIChildWnd* m_pRoutingChild = nullptr; // the child asked first by OnCmdMsg, while it is
    friend class CMDIChildWnd;
    void OnWindowNew();
    BOOL OnMDIWindowCmd(UINT nID);
    void OnUpdateMDIWindowCmd(CCmdUI* pCmdUI);
    void OnWindowChild(UINT nID);
    void OnUpdateWindowChild(CCmdUI* pCmdUI);
    DECLARE_MESSAGE_MAP()
};

class CMDIChildWnd : public CFrameWnd {
    DECLARE_DYNCREATE(CMDIChildWnd)
public:
    CMDIChildWnd();
    ~CMDIChildWnd() override;

    // Made inside the client of pParentWnd (a CMDIFrameWnd); FALSE when it has none.
    BOOL Create(LPCTSTR lpszClassName, LPCTSTR lpszWindowName,
                DWORD dwStyle = WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW,
                const RECT& rect = rectDefault, CMDIFrameWnd* pParentWnd = nullptr,
                CCreateContext* pContext = nullptr);
    BOOL LoadFrame(UINT nIDResource, DWORD dwDefaultStyle = WS_CHILD | WS_OVERLAPPEDWINDOW |
                                                            FWS_ADDTOTITLE,
                   CWnd* pParentWnd = nullptr, CCreateContext* pContext = nullptr) override;

    CMDIFrameWnd* GetMDIFrame() const;
    void MDIDestroy();
    void MDIActivate();
    void MDIMaximize();
    void MDIRestore();

    // The menu the frame shows while this child is active (the template's shared menu).
    HMENU m_hMenuShared = nullptr;
    // Brings the main frame's menu in line with the activation of this child.
    virtual void OnUpdateFrameMenu(BOOL bActive, CWnd* pActivateWnd, HMENU hMenuAlt);
    // The caption is the document's title, followed by ":n" while the document has more than
    // one child frame; the main frame's title follows.
    void OnUpdateFrameTitle(BOOL bAddToTitle) override;
    void ActivateFrame(int nCmdShow = -1) override;
    void InitialUpdateFrame(CDocument* pDoc, BOOL bMakeVisible) override;
    // Its view, its document, itself; then, unless the main frame is asking, the main frame and
    // the application (commands of the child's own bars come this way).
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
    // The views and bars take the area below the caption.
    void RecalcLayout(BOOL bNotify = TRUE) override;
    BOOL PreCreateWindow(CREATESTRUCT& cs) override;

    // The child's number among the frames of its document (0 while it is the only one).
    int m_nWindow = 0;
    // Height of the caption strip drawn above the child's own layout (none while maximised).
    int CaptionHeight() const;

protected:
    void OnMDIActivate(BOOL bActivate, CWnd* pActivateWnd, CWnd* pDeactivateWnd);
    LRESULT OnMDIActivateMessage(WPARAM wParam, LPARAM lParam);
    void OnPaint();
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnDestroy();
    void OnSysCommand(UINT nID, LPARAM lParam);

    CMenu m_ownMenu; // the menu resource when no template shares one
    friend class CMDIClientWnd;
    DECLARE_MESSAGE_MAP()
};

// Numbers the frames of a document (1, 2, ... in the order of its views) when it has more than
// one, 0 otherwise, and brings their captions up to date. pLeaving is not counted.
void AfxUpdateFrameCounts(CDocument* pDoc, CFrameWnd* pLeaving = nullptr);
