#include "FrameTestSupport.h"
#include "GuiTestSupport.h"

#include "platform/gui/Controls.h"
#include "platform/gui/Splitter.h"
#include "platform/gui/ToolBar.h"
#include "platform/gui/ToolTipCtrl.h"
#include "platform/gui/TreeCtrl.h"

#include <QImage>
#include <QPainter>
#include <QTest>
#include <string>
#include <vector>

namespace {

const ResString kStrings[] = {{0xE701, "大写"},
                              {0xE702, "数字"},
                              {8301, "就绪"},
                              {101, "把选定的文字设为粗体\n加粗"},
                              {102, "插入剪贴板的内容"}};
const ResModule kModule = TestResources(kStrings, 5, nullptr, 0);

// A tool bar that lets the test see its tips.
class CTipToolBar : public CToolBar {
public:
    CToolTipCtrl* Tips() const { return m_pTips.get(); }
};

// A main frame as programs build one: tool bar, status bar, and a splitter of two views.
class CMainFrame : public CFrameWnd {
public:
    CTipToolBar toolBar;
    CStatusBar statusBar;
    CSplitterWnd split;
    CImageList images;
    std::vector<UINT> commands;
    std::vector<int> dropDowns;
    CRect dropRect;
    BOOL boldOn = TRUE;
    BOOL canPaste = FALSE;
    CWnd* pasteTarget = nullptr; // when set, 102 is enabled while this window has the focus

    BOOL OnCreateClient(LPCREATESTRUCT, CCreateContext* pContext) override {
        return split.CreateStatic(this, 1, 2) &&
               split.CreateView(0, 0, RUNTIME_CLASS(CPaneColourView), CSize(140, 0), pContext) &&
               split.CreateView(0, 1, RUNTIME_CLASS(CPaneColourView), CSize(0, 0), pContext);
    }
    int OnCreate(LPCREATESTRUCT lpcs) {
        if (CFrameWnd::OnCreate(lpcs) == -1)
            return -1;
        static const UINT buttons[] = {101, 102, ID_SEPARATOR, 103, 104};
        if (!toolBar.CreateEx(this, TBSTYLE_FLAT, WS_CHILD | WS_VISIBLE | CBRS_TOP) ||
            !toolBar.SetButtons(buttons, 5))
            return -1;
        images.Create(16, 16, ILC_COLOR32 | ILC_MASK, 4, 0);
        for (COLORREF c : {RGB(200, 0, 0), RGB(0, 150, 0), RGB(0, 0, 200), RGB(200, 150, 0)}) {
            CBitmap bmp;
            QImage img(16, 16, QImage::Format_ARGB32);
            img.fill(QColor(GetRValue(c), GetGValue(c), GetBValue(c)));
            bmp.AttachImageData(img);
            images.Add(&bmp, (CBitmap*)nullptr);
        }
        toolBar.GetToolBarCtrl().SetImageList(&images);
        toolBar.GetToolBarCtrl().SetExtendedStyle(TBSTYLE_EX_DRAWDDARROWS);
        toolBar.SetButtonStyle(4, toolBar.GetButtonStyle(4) | TBBS_DROPDOWN);
        static const UINT indicators[] = {ID_SEPARATOR, 8301, ID_INDICATOR_CAPS, ID_INDICATOR_NUM};
        if (!statusBar.Create(this) || !statusBar.SetIndicators(indicators, 4))
            return -1;
        statusBar.SetPaneText(0, "墨川已启动");
        RecalcLayout();
        return 0;
    }
    void OnCommand101() { commands.push_back(101); }
    void OnCommand102() { commands.push_back(102); }
    void OnCommand104() { commands.push_back(104); }
    void OnUpdateBold(CCmdUI* ui) { ui->SetCheck(boldOn); }
    void OnUpdatePaste(CCmdUI* ui) {
        ui->Enable(canPaste || (pasteTarget && GetFocus() == pasteTarget));
    }
    void OnUpdateReady(CCmdUI* ui) { ui->SetText("就绪了"); }
    void OnDropDown(NMHDR* nm, LRESULT* pResult) {
        auto* tb = reinterpret_cast<NMTOOLBAR*>(nm);
        dropDowns.push_back(tb->iItem);
        dropRect = tb->rcButton;
        *pResult = TBDDRET_DEFAULT;
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CMainFrame, CFrameWnd)
ON_WM_CREATE()
ON_COMMAND(101, &CMainFrame::OnCommand101)
ON_COMMAND(102, &CMainFrame::OnCommand102)
ON_COMMAND(104, &CMainFrame::OnCommand104)
ON_UPDATE_COMMAND_UI(101, &CMainFrame::OnUpdateBold)
ON_UPDATE_COMMAND_UI(102, &CMainFrame::OnUpdatePaste)
ON_UPDATE_COMMAND_UI(8301, &CMainFrame::OnUpdateReady)
ON_NOTIFY(TBN_DROPDOWN, AFX_IDW_TOOLBAR, &CMainFrame::OnDropDown)
END_MESSAGE_MAP()

class ControlBarTest : public GuiTest {
protected:
    static void SetUpTestSuite() {
        GuiTest::SetUpTestSuite();
        AfxRegisterResources(&kModule);
    }
    CMainFrame* frame = nullptr;
    void SetUp() override {
        frame = new CMainFrame;
        ASSERT_TRUE(frame->Create(nullptr, "墨川", WS_OVERLAPPEDWINDOW, CRect(0, 0, 480, 300)));
        frame->ShowWindow(SW_SHOW);
        frame->MoveWindow(0, 0, 480, 300);
    }
    void TearDown() override {
        if (IsWindow(frame->m_hWnd))
            frame->DestroyWindow();
    }
    static CRect RectIn(CWnd* w, CWnd* parent) {
        CRect r;
        w->GetWindowRect(&r);
        parent->ScreenToClient(&r);
        return r;
    }
};

TEST_F(ControlBarTest, BarsTakeTheEdgesAndThePaneTheRest) {
    CRect client, bar = RectIn(&frame->toolBar, frame), status = RectIn(&frame->statusBar, frame),
                  pane = RectIn(&frame->split, frame);
    frame->GetClientRect(&client);
    EXPECT_EQ(0, bar.top);
    EXPECT_EQ(client.Width(), bar.Width());
    EXPECT_EQ(client.bottom, status.bottom);
    EXPECT_EQ(bar.bottom, pane.top);
    EXPECT_EQ(status.top, pane.bottom);
    frame->ShowControlBar(&frame->toolBar, FALSE, FALSE);
    EXPECT_EQ(0, RectIn(&frame->split, frame).top);
    frame->ShowControlBar(&frame->toolBar, TRUE, FALSE);
    EXPECT_EQ(bar.bottom, RectIn(&frame->split, frame).top);
}

TEST_F(ControlBarTest, BarsAlongTheSidesNarrowThePane) {
    CToolBar left, right;
    static const UINT buttons[] = {101, 102};
    ASSERT_TRUE(left.CreateEx(frame, TBSTYLE_FLAT, WS_CHILD | WS_VISIBLE | CBRS_LEFT,
                              CRect(0, 0, 0, 0), AFX_IDW_TOOLBAR + 10));
    ASSERT_TRUE(right.CreateEx(frame, TBSTYLE_FLAT, WS_CHILD | WS_VISIBLE | CBRS_RIGHT,
                               CRect(0, 0, 0, 0), AFX_IDW_TOOLBAR + 11));
    left.SetButtons(buttons, 2);
    right.SetButtons(buttons, 2);
    frame->RecalcLayout();
    CRect l = RectIn(&left, frame), r = RectIn(&right, frame), pane = RectIn(&frame->split, frame);
    CRect client;
    frame->GetClientRect(&client);
    EXPECT_EQ(0, l.left);
    EXPECT_EQ(client.right, r.right);
    EXPECT_EQ(l.right, pane.left);
    EXPECT_EQ(r.left, pane.right);
    EXPECT_EQ(RectIn(&frame->toolBar, frame).bottom, l.top) << "below the top bar";
    EXPECT_EQ(RectIn(&frame->statusBar, frame).top, l.bottom) << "above the status bar";
    left.DestroyWindow();
    right.DestroyWindow();
}

TEST_F(ControlBarTest, ButtonsShowTheirPromptInTheStatusBarAndTheirTipAfterARest) {
    CTipToolBar& tb = frame->toolBar;
    CStatusBar& sb = frame->statusBar;
    auto moveTo = [&](CPoint pt) { tb.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(pt.x, pt.y)); };
    CRect bold, paste, gap;
    tb.GetItemRect(0, &bold);
    tb.GetItemRect(1, &paste);
    tb.GetItemRect(2, &gap);

    // Without the fly-by style the status bar stays as it is.
    moveTo(bold.CenterPoint());
    EXPECT_STREQ("墨川已启动", (LPCTSTR)sb.GetPaneText(0));
    EXPECT_EQ(nullptr, tb.Tips()) << "no tips without CBRS_TOOLTIPS";

    tb.SetBarStyle(tb.GetBarStyle() | CBRS_TOOLTIPS | CBRS_FLYBY);
    struct Row {
        CPoint at;
        const char* prompt;
    } rows[] = {
        {paste.CenterPoint(), "插入剪贴板的内容"},
        {bold.CenterPoint(), "把选定的文字设为粗体"},
        {gap.CenterPoint(), "就绪"}, // a separator has no prompt
        {CPoint(bold.left + 2, bold.top + 2), "把选定的文字设为粗体"},
    };
    for (const Row& r : rows) {
        moveTo(r.at);
        EXPECT_STREQ(r.prompt, (LPCTSTR)sb.GetPaneText(0)) << r.prompt;
    }
    ASSERT_NE(nullptr, tb.Tips());
    tb.Tips()->SetDelayTime(TTDT_INITIAL, 5);
    moveTo(bold.CenterPoint() + CPoint(1, 0));
    ASSERT_TRUE(WaitFor([&] { return tb.Tips()->IsTipShown(); }));
    EXPECT_STREQ("加粗", (LPCTSTR)tb.Tips()->GetShownText());

    // Leaving the bar takes the tip and the prompt away.
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(tb.GetWidget(), &leave);
    EXPECT_FALSE(tb.Tips()->IsTipShown());
    EXPECT_STREQ("就绪", (LPCTSTR)sb.GetPaneText(0));

    // A command string without a tip part shows no tip.
    moveTo(paste.CenterPoint());
    EXPECT_FALSE(WaitFor([&] { return tb.Tips()->IsTipShown(); }, 100));
}

TEST_F(ControlBarTest, TheMessagePaneFollowsMenuSelectionAndMessageStrings) {
    CStatusBar& sb = frame->statusBar;
    struct Row {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        const char* shown;
    } rows[] = {
        {WM_MENUSELECT, MAKEWPARAM(101, MF_HILITE), 1, "把选定的文字设为粗体"},
        {WM_MENUSELECT, MAKEWPARAM(2, MF_POPUP | MF_HILITE), 1, ""},
        {WM_MENUSELECT, MAKEWPARAM(0, MF_SEPARATOR | MF_HILITE), 1, ""},
        {WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0, "就绪"},
        {WM_SETMESSAGESTRING, 102, 0, "插入剪贴板的内容"},
        {WM_SETMESSAGESTRING, 0, (LPARAM) "正在保存...", "正在保存..."},
        {WM_SETMESSAGESTRING, 9999, 0, ""}, // no string: an empty pane
        {WM_POPMESSAGESTRING, 0, 0, "就绪"},
    };
    for (const Row& r : rows) {
        frame->SendMessage(r.message, r.wParam, r.lParam);
        EXPECT_STREQ(r.shown, (LPCTSTR)sb.GetPaneText(0)) << r.shown;
    }
    EXPECT_EQ(AFX_IDS_IDLEMESSAGE, (UINT)frame->SendMessage(WM_SETMESSAGESTRING, 101));

    sb.SetPaneText(0, "");
    frame->SendMessage(WM_SETMESSAGESTRING, 0, (LPARAM) "");
    frame->OnIdleUpdateCmdUI();
    EXPECT_STREQ("就绪", (LPCTSTR)sb.GetPaneText(0)) << "an empty pane shows the idle message";
}

TEST_F(ControlBarTest, IdleUpdateFollowsTheCommandHandlers) {
    CToolBar& tb = frame->toolBar;
    frame->OnIdleUpdateCmdUI();
    EXPECT_TRUE(tb.GetButtonStyle(0) & TBBS_CHECKED);
    EXPECT_TRUE(tb.GetButtonStyle(1) & TBBS_DISABLED);
    EXPECT_TRUE(tb.GetButtonStyle(3) & TBBS_DISABLED); // nobody handles 103
    EXPECT_FALSE(tb.GetButtonStyle(4) & TBBS_DISABLED);
    EXPECT_STREQ("就绪了", (LPCTSTR)frame->statusBar.GetPaneText(1));
    frame->boldOn = FALSE;
    frame->canPaste = TRUE;
    frame->SendMessage(WM_IDLEUPDATECMDUI, TRUE);
    EXPECT_FALSE(tb.GetButtonStyle(0) & TBBS_CHECKED);
    EXPECT_FALSE(tb.GetButtonStyle(1) & TBBS_DISABLED);
    EXPECT_FALSE(frame->toolBar.GetToolBarCtrl().IsButtonChecked(101));
}

TEST_F(ControlBarTest, ClicksSendCommandsAndTheArrowADropDown) {
    CToolBar& tb = frame->toolBar;
    frame->OnIdleUpdateCmdUI();
    CRect r;
    tb.GetItemRect(0, &r);
    tb.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(r.CenterPoint().x, r.CenterPoint().y));
    tb.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(r.CenterPoint().x, r.CenterPoint().y));
    // Released outside the button: nothing.
    tb.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(r.CenterPoint().x, r.CenterPoint().y));
    tb.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(400, 5));
    // A disabled button does nothing.
    tb.GetItemRect(3, &r);
    tb.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(r.left + 3, r.top + 3));
    tb.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(r.left + 3, r.top + 3));
    EXPECT_EQ(std::vector<UINT>{101}, frame->commands);

    CRect drop;
    tb.GetItemRect(4, &drop);
    EXPECT_EQ(23 + 12, drop.Width());
    tb.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(drop.right - 3, drop.top + 5));
    EXPECT_EQ(std::vector<int>{104}, frame->dropDowns);
    EXPECT_EQ(drop, frame->dropRect);
    tb.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(drop.left + 3, drop.top + 5));
    tb.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(drop.left + 3, drop.top + 5));
    EXPECT_EQ((std::vector<UINT>{101, 104}), frame->commands);
}

// Qt turns the second of two quick clicks into a double click; it still presses the button.
TEST_F(ControlBarTest, QuickClicksOnAButtonEachSendTheCommand) {
    CToolBar& tb = frame->toolBar;
    frame->OnIdleUpdateCmdUI();
    CRect r;
    tb.GetItemRect(0, &r);
    // Sent to the window as the system would, so Qt itself makes the double click.
    QWidget* w = tb.GetWidget();
    const QPoint at = w->mapTo(w->window(), QPoint(r.CenterPoint().x, r.CenterPoint().y));
    for (int i = 0; i < 2; ++i)
        QTest::mouseDClick(w->window()->windowHandle(), Qt::LeftButton, Qt::NoModifier, at);
    Pump();
    EXPECT_EQ((std::vector<UINT>{101, 101, 101, 101}), frame->commands);
    EXPECT_FALSE(tb.GetButtonStyle(0) & TBBS_PRESSED);
}

// A command that depends on where the focus is must stay usable from the tool bar: a click on a
// button (or on the bar between buttons) leaves the focus where it was.
TEST_F(ControlBarTest, ClickingTheBarLeavesTheFocusWhereItWas) {
    CTreeCtrl tree;
    CWnd* pane = frame->split.GetPane(0, 0);
    CRect client;
    pane->GetClientRect(&client);
    ASSERT_TRUE(tree.Create(WS_CHILD | WS_VISIBLE | TVS_HASLINES, client, pane, 1));
    tree.InsertItem("好友");
    frame->pasteTarget = &tree;
    frame->ActivateFrame();
    tree.SetFocus();
    ASSERT_TRUE(WaitFor([&] { return CWnd::GetFocus() == &tree; }));
    frame->OnIdleUpdateCmdUI();
    CToolBar& tb = frame->toolBar;
    ASSERT_FALSE(tb.GetButtonStyle(1) & TBBS_DISABLED);

    CRect paste, bold, sep;
    tb.GetItemRect(1, &paste);
    tb.GetItemRect(0, &bold);
    tb.GetItemRect(2, &sep);
    CRect bar;
    tb.GetClientRect(&bar);
    const CPoint clicks[] = {paste.CenterPoint(), bold.CenterPoint(), sep.CenterPoint(),
                             CPoint(bar.right - 5, bar.CenterPoint().y)};
    for (CPoint pt : clicks) {
        SCOPED_TRACE(pt.x);
        QTest::mouseClick(tb.GetWidget(), Qt::LeftButton, Qt::NoModifier, QPoint(pt.x, pt.y));
        Pump();
        EXPECT_EQ(&tree, CWnd::GetFocus());
        frame->OnIdleUpdateCmdUI();
        EXPECT_FALSE(tb.GetButtonStyle(1) & TBBS_DISABLED);
    }
    EXPECT_EQ((std::vector<UINT>{102, 101}), frame->commands);
    tree.DestroyWindow();
}

TEST_F(ControlBarTest, StatusPanesTakeTheirIndicatorWidthsAndCanHostAWindow) {
    CStatusBar& sb = frame->statusBar;
    EXPECT_EQ(4, sb.GetCount());
    EXPECT_EQ(2, sb.CommandToIndex(ID_INDICATOR_CAPS));
    CRect stretch, ready, caps;
    sb.GetItemRect(0, &stretch);
    sb.GetItemRect(1, &ready);
    sb.GetItemRect(3, &caps);
    CRect client;
    sb.GetClientRect(&client);
    EXPECT_GT(stretch.Width(), ready.Width());
    EXPECT_LE(caps.right, client.right);
    EXPECT_GT(caps.right, client.right - 10);
    UINT id, style;
    int cx;
    sb.GetPaneInfo(0, id, style, cx);
    EXPECT_TRUE(style & SBPS_STRETCH);

    CProgressCtrl progress;
    ASSERT_TRUE(progress.Create(WS_CHILD | WS_VISIBLE, ready, &sb, 1));
    EXPECT_EQ(ready, RectIn(&progress, &sb));
    frame->MoveWindow(0, 0, 520, 300);
    Pump();
    EXPECT_TRUE(frame->SaveScreenshot(ScreenPath("frame-bars-splitter").c_str()));
}

TEST_F(ControlBarTest, RebarHoldsTheToolBarAsABand) {
    CReBar rebar;
    ASSERT_TRUE(rebar.Create(frame));
    ASSERT_TRUE(rebar.AddBar(&frame->toolBar));
    EXPECT_EQ(1, rebar.GetBandCount());
    frame->RecalcLayout();
    EXPECT_EQ(&rebar, frame->toolBar.GetParent());
    EXPECT_EQ(RectIn(&rebar, frame).bottom, RectIn(&frame->split, frame).top);
    // Commands of the band still reach the frame.
    CRect r;
    frame->toolBar.GetItemRect(0, &r);
    frame->OnIdleUpdateCmdUI();
    frame->toolBar.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(r.left + 3, r.top + 3));
    frame->toolBar.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(r.left + 3, r.top + 3));
    EXPECT_EQ(std::vector<UINT>{101}, frame->commands);
    frame->toolBar.DestroyWindow();
    rebar.DestroyWindow();
}

} // namespace
