#include "FrameTestSupport.h"
#include "GuiTestSupport.h"

#include "platform/gui/DocManager.h"
#include "platform/gui/MdiFrame.h"
#include "platform/gui/Splitter.h"
#include "platform/gui/ToolBar.h"
#include "platform/gui/WinApp.h"

#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <string>
#include <vector>

namespace {

std::vector<std::string> g_log;

const UINT kMainRes = 8600, kDocRes = 8601;
const UINT kViewCmd = 8610, kDocCmd = 8611, kChildCmd = 8612, kFrameCmd = 8613, kAppCmd = 8614;

const ResString kStrings[] = {
    {kMainRes, "墨川"},
    {kDocRes, "\n文档\n文档\n文档文件 (*.qmd)\n.qmd\nQuillmar.Test\n测试文件"},
    {kViewCmd, "在视图中处理\n视图"},
};
const ResMenuItem kMainMenu[] = {
    {0, MF_POPUP, 0, "文件(&F)"}, {1, 0, 57600, "新建(&N)"},
    {0, MF_POPUP, 0, "窗口(&W)"}, {1, 0, ID_WINDOW_CASCADE, "层叠(&C)"},
};
const ResMenuItem kDocMenu[] = {
    {0, MF_POPUP, 0, "文件(&F)"},       {1, 0, 57600, "新建(&N)"},
    {1, 0, kViewCmd, "视图命令"},       {0, MF_POPUP, 0, "窗口(&W)"},
    {1, 0, ID_WINDOW_NEW, "新建窗口(&N)"}, {1, 0, ID_WINDOW_TILE_VERT, "平铺(&T)"},
};
const ResMenu kMenus[] = {{kMainRes, kMainMenu, 4}, {kDocRes, kDocMenu, 6}};
const ResModule kModule = TestResources(kStrings, 3, kMenus, 2);

class CTextDoc : public CDocument {
    DECLARE_DYNCREATE(CTextDoc)
public:
    static int alive;
    CTextDoc() { ++alive; }
    ~CTextDoc() override { --alive; }
};
IMPLEMENT_DYNCREATE(CTextDoc, CDocument)
int CTextDoc::alive = 0;

class CTextDocCommands : public CCmdTarget {
public:
    void OnDocCmd() { g_log.push_back("doc"); }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CTextDocCommands, CCmdTarget)
ON_COMMAND(kDocCmd, &CTextDocCommands::OnDocCmd)
END_MESSAGE_MAP()
CTextDocCommands g_docCommands;

class CTextView : public CPaneColourView {
    DECLARE_DYNCREATE(CTextView)
public:
    int activations = 0;
    void OnInitialUpdate() override { AfxSetDocumentCmdTarget(GetDocument(), &g_docCommands); }
    void OnActivateView(BOOL bActivate, CView* pActivate, CView* pDeactive) override {
        if (bActivate)
            ++activations;
        CView::OnActivateView(bActivate, pActivate, pDeactive);
    }
    void OnViewCmd() { g_log.push_back("view:" + std::string(GetDocument()->GetTitle())); }
    DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNCREATE(CTextView, CPaneColourView)
BEGIN_MESSAGE_MAP(CTextView, CPaneColourView)
ON_COMMAND(kViewCmd, &CTextView::OnViewCmd)
END_MESSAGE_MAP()

class CTextChild : public CMDIChildWnd {
    DECLARE_DYNCREATE(CTextChild)
public:
    void OnChildCmd() { g_log.push_back("child"); }
    DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNCREATE(CTextChild, CMDIChildWnd)
BEGIN_MESSAGE_MAP(CTextChild, CMDIChildWnd)
ON_COMMAND(kChildCmd, &CTextChild::OnChildCmd)
END_MESSAGE_MAP()

class CMainMdiFrame : public CMDIFrameWnd {
public:
    CToolBar toolBar;
    CStatusBar statusBar;
    CImageList images;
    bool bars = false;
    int OnCreate(LPCREATESTRUCT lpcs) {
        if (CMDIFrameWnd::OnCreate(lpcs) == -1)
            return -1;
        if (!bars)
            return 0;
        static const UINT buttons[] = {57600, ID_SEPARATOR, kViewCmd};
        static const UINT indicators[] = {ID_SEPARATOR};
        if (!toolBar.CreateEx(this, TBSTYLE_FLAT, WS_CHILD | WS_VISIBLE | CBRS_TOP) ||
            !toolBar.SetButtons(buttons, 3) || !statusBar.Create(this) ||
            !statusBar.SetIndicators(indicators, 1))
            return -1;
        images.Create(16, 16, ILC_COLOR32 | ILC_MASK, 2, 0);
        for (QColor c : {QColor(200, 60, 40), QColor(40, 120, 200)}) {
            QImage img(16, 16, QImage::Format_ARGB32);
            img.fill(c);
            CBitmap bmp;
            bmp.AttachImageData(img);
            images.Add(&bmp, (CBitmap*)nullptr);
        }
        toolBar.GetToolBarCtrl().SetImageList(&images);
        return 0;
    }
    void OnFrameCmd() { g_log.push_back("frame"); }
    void OnViewCmdHere() { g_log.push_back("frame:view-cmd"); }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CMainMdiFrame, CMDIFrameWnd)
ON_WM_CREATE()
ON_COMMAND(kFrameCmd, &CMainMdiFrame::OnFrameCmd)
ON_COMMAND(kViewCmd, &CMainMdiFrame::OnViewCmdHere)
END_MESSAGE_MAP()

// The application handles kAppCmd, and kFrameCmd too, which the frame should take first.
class CMdiApp : public CWinApp {
public:
    CMdiApp() : CWinApp("mdi") {}
    void OnAppCmd() { g_log.push_back("app"); }
    void OnFrameCmd() { g_log.push_back("app:frame-cmd"); }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CMdiApp, CWinApp)
ON_COMMAND(kAppCmd, &CMdiApp::OnAppCmd)
ON_COMMAND(kFrameCmd, &CMdiApp::OnFrameCmd)
END_MESSAGE_MAP()

class MdiFrameTest : public GuiTest {
protected:
    static void SetUpTestSuite() {
        GuiTest::SetUpTestSuite();
        AfxRegisterResources(&kModule);
    }
    CMdiApp app;
    CMainMdiFrame* frame = nullptr;
    CMultiDocTemplate* tpl = nullptr;

    void MakeFrame(bool bars = false) {
        frame = new CMainMdiFrame;
        frame->bars = bars;
        ASSERT_TRUE(frame->LoadFrame(kMainRes));
        app.m_pMainWnd = frame;
        frame->ShowWindow(SW_SHOW);
        frame->MoveWindow(0, 0, 640, 420);
    }
    void SetUp() override {
        g_log.clear();
        AfxSetDocManager(new CDocManager);
        tpl = new CMultiDocTemplate(kDocRes, RUNTIME_CLASS(CTextDoc), RUNTIME_CLASS(CTextChild),
                                    RUNTIME_CLASS(CTextView));
        AfxGetDocManager()->AddDocTemplate(tpl);
        MakeFrame();
    }
    void TearDown() override {
        AfxGetDocManager()->CloseAllDocuments(FALSE);
        if (IsWindow(frame->m_hWnd))
            frame->DestroyWindow();
        AfxSetDocManager(nullptr);
        EXPECT_EQ(0, CTextDoc::alive);
    }
    CDocument* NewDoc() {
        AfxGetDocManager()->OnFileNew();
        CMDIChildWnd* child = frame->MDIGetActive();
        return child ? child->GetActiveDocument() : nullptr;
    }
    static CString Text(CWnd* w) {
        CString s;
        w->GetWindowText(s);
        return s;
    }
    CRect InClient(CWnd* w) const {
        CRect r;
        w->GetWindowRect(&r);
        CWnd::FromHandle(frame->m_hWndMDIClient)->ScreenToClient(&r);
        return r;
    }
    CRect ClientArea() const {
        CRect r;
        CWnd::FromHandle(frame->m_hWndMDIClient)->GetClientRect(&r);
        return r;
    }
    static CMenu* PopupNamed(CMenu* bar, const char* text) {
        for (UINT i = 0; i < bar->GetMenuItemCount(); ++i) {
            CString s;
            bar->GetMenuString(i, s, MF_BYPOSITION);
            if (s == text)
                return bar->GetSubMenu((int)i);
        }
        return nullptr;
    }
};

TEST_F(MdiFrameTest, TheActiveChildGivesTheFrameItsMenuAndTitle) {
    ASSERT_NE(nullptr, frame->m_hWndMDIClient);
    EXPECT_EQ(nullptr, frame->MDIGetActive());
    EXPECT_EQ(frame->m_hMenuDefault, frame->GetMenu()->m_hMenu);
    EXPECT_EQ(CString("墨川"), Text(frame));

    CDocument* first = NewDoc();
    CDocument* second = NewDoc();
    ASSERT_TRUE(first && second);
    EXPECT_EQ(CString("文档1"), first->GetTitle());
    EXPECT_EQ(CString("文档2"), second->GetTitle());
    BOOL maximized = TRUE;
    CMDIChildWnd* active = frame->MDIGetActive(&maximized);
    EXPECT_FALSE(maximized);
    EXPECT_EQ(second, frame->GetActiveDocument());
    EXPECT_EQ(static_cast<CFrameWnd*>(active), frame->GetActiveFrame());
    EXPECT_EQ(tpl->m_hMenuShared, frame->GetMenu()->m_hMenu);
    EXPECT_EQ(CString("墨川 - 文档2"), Text(frame));
    EXPECT_EQ(CString("文档2"), Text(active));

    POSITION pos = first->GetFirstViewPosition();
    auto* firstView = static_cast<CTextView*>(first->GetNextView(pos));
    int before = firstView->activations;
    frame->MDIActivate(firstView->GetParentFrame());
    EXPECT_EQ(first, frame->GetActiveDocument());
    EXPECT_EQ(CString("墨川 - 文档1"), Text(frame));
    EXPECT_EQ(before + 1, firstView->activations) << "the child's view hears of it";

    // Closing both children gives the frame its own menu and title back.
    frame->MDIGetActive()->SendMessage(WM_CLOSE);
    EXPECT_EQ(second, frame->GetActiveDocument()) << "the next child takes over";
    frame->MDIGetActive()->SendMessage(WM_CLOSE);
    EXPECT_EQ(nullptr, frame->MDIGetActive());
    EXPECT_EQ(0, CTextDoc::alive) << "each closed with its last view";
    EXPECT_EQ(frame->m_hMenuDefault, frame->GetMenu()->m_hMenu);
    EXPECT_EQ(CString("墨川"), Text(frame));
}

TEST_F(MdiFrameTest, DestroyingTheFrameTakesItsChildrenAndTheirDocuments) {
    NewDoc();
    frame->MDIMaximize(frame->MDIGetActive());
    NewDoc();
    frame->DestroyWindow();
    EXPECT_EQ(0, CTextDoc::alive);
    EXPECT_EQ(nullptr, app.m_pMainWnd);
    MakeFrame();
}

TEST_F(MdiFrameTest, CommandsReachTheActiveChildBeforeTheFrame) {
    // Without a child the frame's own handler runs.
    frame->SendMessage(WM_COMMAND, kViewCmd);
    NewDoc();
    struct Row {
        UINT id;
        const char* handler;
    } rows[] = {{kViewCmd, "view:文档1"}, {kDocCmd, "doc"},      {kChildCmd, "child"},
                {kFrameCmd, "frame"},     {kAppCmd, "app"}};
    for (const Row& r : rows)
        frame->SendMessage(WM_COMMAND, r.id);
    std::vector<std::string> expected{"frame:view-cmd"};
    for (const Row& r : rows)
        expected.push_back(r.handler);
    EXPECT_EQ(expected, g_log) << "the frame before the application, each asked once";

    // A command of the child's own (its bars') goes the same way up to the application.
    g_log.clear();
    for (UINT id : {kFrameCmd, kAppCmd, kViewCmd})
        frame->MDIGetActive()->SendMessage(WM_COMMAND, id);
    EXPECT_EQ((std::vector<std::string>{"frame", "app", "view:文档1"}), g_log);

    // Idle updates of the frame's menu see the child's handlers.
    CMenu* file = frame->GetMenu()->GetSubMenu(0);
    EXPECT_EQ(0u, file->GetMenuState(kViewCmd, MF_BYCOMMAND) & MF_GRAYED);
}

TEST_F(MdiFrameTest, MoreWindowsOfADocumentAreNumberedAndTheLastClosesIt) {
    CDocument* doc = NewDoc();
    CMDIChildWnd* one = frame->MDIGetActive();
    frame->SendMessage(WM_COMMAND, ID_WINDOW_NEW);
    CMDIChildWnd* two = frame->MDIGetActive();
    ASSERT_NE(one, two);
    EXPECT_EQ(doc, two->GetActiveDocument());
    EXPECT_EQ(CString("文档1:1"), Text(one));
    EXPECT_EQ(CString("文档1:2"), Text(two));
    EXPECT_EQ(CString("墨川 - 文档1"), Text(frame));

    one->SendMessage(WM_CLOSE);
    EXPECT_EQ(1, CTextDoc::alive) << "another window still shows it";
    EXPECT_EQ(CString("文档1"), Text(two));
    EXPECT_EQ(two, frame->MDIGetActive());
    two->SendMessage(WM_CLOSE);
    EXPECT_EQ(0, CTextDoc::alive);
}

TEST_F(MdiFrameTest, MaximisedStatePassesOnAndRestoreGivesBackTheRectangle) {
    NewDoc();
    CMDIChildWnd* first = frame->MDIGetActive();
    NewDoc();
    CMDIChildWnd* second = frame->MDIGetActive();
    CRect was = InClient(second);
    EXPECT_GT(was.top, InClient(first).top) << "a new child starts a step lower";
    EXPECT_LT(was.Width(), ClientArea().Width());

    frame->MDIMaximize(second);
    BOOL maximized = FALSE;
    EXPECT_EQ(second, frame->MDIGetActive(&maximized));
    EXPECT_TRUE(maximized);
    EXPECT_TRUE(second->IsZoomed());
    EXPECT_EQ(ClientArea(), InClient(second));
    CRect view;
    second->GetActiveView()->GetWindowRect(&view);
    second->ScreenToClient(&view);
    EXPECT_EQ(0, view.top) << "no caption while maximised";

    frame->MDINext();
    EXPECT_EQ(first, frame->MDIGetActive(&maximized));
    EXPECT_TRUE(maximized);
    EXPECT_EQ(ClientArea(), InClient(first));
    EXPECT_EQ(was, InClient(second));

    frame->MDIRestore(first);
    EXPECT_FALSE(first->IsZoomed());
    EXPECT_NE(ClientArea(), InClient(first));
    frame->MDIGetActive(&maximized);
    EXPECT_FALSE(maximized);

    frame->MDIPrev();
    EXPECT_EQ(second, frame->MDIGetActive());
}

TEST_F(MdiFrameTest, CascadeAndTileArrangeTheChildren) {
    std::vector<CMDIChildWnd*> kids;
    for (int i = 0; i < 4; ++i) {
        NewDoc();
        kids.push_back(frame->MDIGetActive());
    }
    CRect area = ClientArea();
    struct Row {
        int type;
        int columns, rows;
    } rows[] = {{MDITILE_VERTICAL, 2, 2}, {MDITILE_HORIZONTAL, 2, 2}};
    for (const Row& r : rows) {
        frame->MDITile(r.type);
        CRect unionRect;
        for (CMDIChildWnd* k : kids) {
            CRect c = InClient(k);
            EXPECT_NEAR(area.Width() / r.columns, c.Width(), 1) << "type " << r.type;
            EXPECT_NEAR(area.Height() / r.rows, c.Height(), 1) << "type " << r.type;
            unionRect.UnionRect(&unionRect, &c);
        }
        EXPECT_EQ(area, unionRect) << "the tiles cover the client, type " << r.type;
    }

    frame->MDICascade();
    CMDIChildWnd* front = frame->MDIGetActive();
    CRect top = InClient(front);
    for (CMDIChildWnd* k : kids) {
        CRect c = InClient(k);
        EXPECT_EQ(top.Size(), c.Size());
        if (k != front) {
            EXPECT_LT(c.top, top.top) << "the active child lies lowest, in front";
        }
    }

    // Three children tile side by side.
    kids.back()->SendMessage(WM_CLOSE);
    kids.pop_back();
    frame->MDITile(MDITILE_VERTICAL);
    for (CMDIChildWnd* k : kids)
        EXPECT_EQ(area.Height(), InClient(k).Height());
}

TEST_F(MdiFrameTest, TheWindowMenuListsTheChildrenAndActivatesThem) {
    NewDoc();
    NewDoc();
    CMenu* window = PopupNamed(frame->GetMenu(), "窗口(&W)");
    ASSERT_NE(nullptr, window);
    ASSERT_EQ(5u, window->GetMenuItemCount());
    EXPECT_EQ(0u, window->GetMenuItemID(2)) << "a separator before the list";
    CString s;
    window->GetMenuString(3, s, MF_BYPOSITION);
    EXPECT_EQ(CString("&1 文档1"), s);
    window->GetMenuString(4, s, MF_BYPOSITION);
    EXPECT_EQ(CString("&2 文档2"), s);
    EXPECT_TRUE(window->GetMenuState(4, MF_BYPOSITION) & MF_CHECKED);

    frame->SendMessage(WM_COMMAND, window->GetMenuItemID(3));
    EXPECT_EQ(CString("文档1"), frame->GetActiveDocument()->GetTitle());
    EXPECT_TRUE(window->GetMenuState(3, MF_BYPOSITION) & MF_CHECKED);
    EXPECT_FALSE(window->GetMenuState(4, MF_BYPOSITION) & MF_CHECKED);

    frame->MDIGetActive()->SendMessage(WM_CLOSE);
    ASSERT_EQ(4u, window->GetMenuItemCount()) << "the list follows the children";
    window->GetMenuString(3, s, MF_BYPOSITION);
    EXPECT_EQ(CString("&1 文档2"), s);
}

TEST_F(MdiFrameTest, ChildIdsStayUniqueAfterManyChildrenCameAndWent) {
    NewDoc();
    CMDIChildWnd* first = frame->MDIGetActive();
    // Children come and go while the first stays, until the ids run round to the first's again.
    for (int i = 0; i < 0xFFFF - AFX_IDM_FIRST_MDICHILD; ++i) {
        NewDoc();
        frame->MDIGetActive()->SendMessage(WM_CLOSE);
    }
    NewDoc();
    CMDIChildWnd* last = frame->MDIGetActive();
    ASSERT_NE(first, last);
    EXPECT_NE(first->GetDlgCtrlID(), last->GetDlgCtrlID());
    // The window menu's command for each child activates that child.
    frame->SendMessage(WM_COMMAND, (WPARAM)first->GetDlgCtrlID());
    EXPECT_EQ(first, frame->MDIGetActive());
    frame->SendMessage(WM_COMMAND, (WPARAM)last->GetDlgCtrlID());
    EXPECT_EQ(last, frame->MDIGetActive());
}

TEST_F(MdiFrameTest, ControlKeysCloseAndCycleTheChildren) {
    NewDoc();
    CMDIChildWnd* first = frame->MDIGetActive();
    NewDoc();
    CMDIChildWnd* second = frame->MDIGetActive();
    QWidget* target = second->GetActiveView()->GetWidget();
    QTest::keyClick(target, Qt::Key_F6, Qt::ControlModifier);
    EXPECT_EQ(first, frame->MDIGetActive());
    QTest::keyClick(first->GetActiveView()->GetWidget(), Qt::Key_F6,
                    Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(second, frame->MDIGetActive());
    QTest::keyClick(target, Qt::Key_F4, Qt::ControlModifier);
    EXPECT_EQ(first, frame->MDIGetActive());
    EXPECT_EQ(1, CTextDoc::alive);
    QTest::keyClick(first->GetActiveView()->GetWidget(), Qt::Key_F6);
    EXPECT_EQ(first, frame->MDIGetActive()) << "F6 alone is no child key";
}

TEST_F(MdiFrameTest, AFrameWithoutAClientMakesNoChildren) {
    class CSplitMain : public CMDIFrameWnd {
    public:
        CSplitterWnd split;
        BOOL OnCreateClient(LPCREATESTRUCT, CCreateContext* pContext) override {
            return split.CreateStatic(this, 1, 2) &&
                   split.CreateView(0, 0, RUNTIME_CLASS(CPaneColourView), CSize(120, 0),
                                    pContext) &&
                   split.CreateView(0, 1, RUNTIME_CLASS(CPaneColourView), CSize(0, 0), pContext);
        }
    };
    frame->DestroyWindow();
    auto* split = new CSplitMain;
    ASSERT_TRUE(split->LoadFrame(kMainRes));
    app.m_pMainWnd = split;
    EXPECT_EQ(nullptr, split->m_hWndMDIClient);
    EXPECT_EQ(nullptr, split->MDIGetActive());
    split->MDINext();
    split->MDICascade();
    AfxGetDocManager()->OnFileNew();
    EXPECT_EQ(0, CTextDoc::alive) << "no child frame, so no document either";
    split->DestroyWindow();
    MakeFrame();
}

TEST_F(MdiFrameTest, MenuItemsAndChildFramesShowPromptsInTheMainStatusBar) {
    frame->DestroyWindow();
    MakeFrame(true);
    NewDoc();
    auto* menuBar = frame->GetWidget()->findChild<QMenuBar*>();
    ASSERT_NE(nullptr, menuBar);
    QMenu* file = menuBar->actions().value(0)->menu();
    ASSERT_NE(nullptr, file);
    Q_EMIT file->aboutToShow(); // fills the pop-up as opening it does
    ASSERT_EQ(2, file->actions().size());
    file->actions()[1]->hover();
    EXPECT_STREQ("在视图中处理", (LPCTSTR)frame->statusBar.GetPaneText(0));
    Q_EMIT file->aboutToHide();
    EXPECT_STREQ("就绪", (LPCTSTR)frame->statusBar.GetPaneText(0));

    // A child frame has no status bar of its own: its prompts go to the main frame's.
    frame->MDIGetActive()->SendMessage(WM_SETMESSAGESTRING, kViewCmd);
    EXPECT_STREQ("在视图中处理", (LPCTSTR)frame->statusBar.GetPaneText(0));
}

TEST_F(MdiFrameTest, PictureOfTwoChildrenWithBars) {
    frame->DestroyWindow();
    MakeFrame(true);
    frame->RecalcLayout();
    NewDoc();
    NewDoc();
    frame->MDICascade();
    frame->statusBar.SetPaneText(0, "就绪");
    Pump();
    EXPECT_TRUE(frame->SaveScreenshot(ScreenPath("mdi-frame-two-children").c_str()));
}

} // namespace
