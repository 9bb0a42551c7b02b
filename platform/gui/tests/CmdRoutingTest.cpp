#include "GuiTestSupport.h"

#include "platform/gui/Controls.h"
#include "platform/gui/RecentFileList.h"
#include "platform/gui/WinApp.h"

#include <string>
#include <vector>

namespace {

std::vector<std::string> g_calls;

// A control that sees its own notifications first and may pass them on to its parent.
class CReflectingButton : public CButton {
public:
    BOOL passOn = TRUE;
    LRESULT notifyResult = 0;
    BOOL OnClickedReflect() {
        g_calls.push_back("button:reflect");
        return !passOn;
    }
    BOOL OnNotifyReflect(NMHDR*, LRESULT* pResult) {
        g_calls.push_back("button:notify-reflect");
        *pResult = notifyResult;
        return !passOn;
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CReflectingButton, CButton)
ON_CONTROL_REFLECT_EX(BN_CLICKED, &CReflectingButton::OnClickedReflect)
ON_NOTIFY_REFLECT_EX(NM_CLICK, &CReflectingButton::OnNotifyReflect)
END_MESSAGE_MAP()

class CHost : public CWnd {
public:
    BOOL enable101 = TRUE;
    void OnButton() { g_calls.push_back("host:clicked"); }
    void OnRange(UINT id) { g_calls.push_back("host:range" + std::to_string(id)); }
    void OnUpdate101(CCmdUI* ui) { ui->Enable(enable101); }
    void OnUpdate102(CCmdUI* ui) { ui->ContinueRouting(); }
    void OnNotifyClick(NMHDR* nm, LRESULT* pResult) {
        g_calls.push_back("host:notify" + std::to_string(nm->idFrom));
        *pResult = 5;
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CHost, CWnd)
ON_BN_CLICKED(10, &CHost::OnButton)
ON_COMMAND_RANGE(100, 105, &CHost::OnRange)
ON_UPDATE_COMMAND_UI(101, &CHost::OnUpdate101)
ON_UPDATE_COMMAND_UI(102, &CHost::OnUpdate102)
ON_NOTIFY(NM_CLICK, 10, &CHost::OnNotifyClick)
END_MESSAGE_MAP()

// Records what an update asked of the item.
class CRecordingCmdUI : public CCmdUI {
public:
    int enabled = -1;
    void Enable(BOOL bOn) override {
        enabled = bOn;
        m_bEnableChanged = TRUE;
    }
};

class CmdRoutingTest : public GuiTest {
protected:
    CHost host;
    CReflectingButton button;
    void SetUp() override {
        g_calls.clear();
        ASSERT_TRUE(host.CreateEx(0, nullptr, "host", WS_POPUP, CRect(0, 0, 200, 100), nullptr, 0));
        ASSERT_TRUE(button.Create("按钮", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON,
                                  CRect(5, 5, 80, 30), &host, 10));
    }
    LRESULT Click() {
        return host.SendMessage(WM_COMMAND, MAKEWPARAM(10, BN_CLICKED), (LPARAM)button.m_hWnd);
    }
};

} // namespace

TEST_F(CmdRoutingTest, ControlSeesItsNotificationBeforeTheParent) {
    struct Row {
        BOOL passOn;
        std::vector<std::string> calls;
    } rows[] = {
        {TRUE, {"button:reflect", "host:clicked"}},
        {FALSE, {"button:reflect"}},
    };
    for (const Row& r : rows) {
        g_calls.clear();
        button.passOn = r.passOn;
        Click();
        EXPECT_EQ(g_calls, r.calls) << r.passOn;
    }
}

TEST_F(CmdRoutingTest, ClickingTheQtButtonSendsBnClicked) {
    button.passOn = TRUE;
    button.SendMessage(BM_CLICK);
    EXPECT_EQ(g_calls, (std::vector<std::string>{"button:reflect", "host:clicked"}));
}

TEST_F(CmdRoutingTest, MenuCommandsFollowTheirUpdateState) {
    struct Row {
        UINT id;
        BOOL enable101;
        std::vector<std::string> calls;
    } rows[] = {
        {100, TRUE, {"host:range100"}},
        {101, TRUE, {"host:range101"}},
        {101, FALSE, {}},               // a disabled command is not carried out
        {102, TRUE, {"host:range102"}}, // an update that passes the item on leaves it enabled
        {106, TRUE, {}},                // outside the range: nobody handles it
    };
    for (const Row& r : rows) {
        g_calls.clear();
        host.enable101 = r.enable101;
        host.SendMessage(WM_COMMAND, MAKEWPARAM(r.id, 0), 0);
        EXPECT_EQ(g_calls, r.calls) << r.id << " " << r.enable101;
    }
}

TEST_F(CmdRoutingTest, DoUpdateEnablesAnItemByWhetherSomeoneHandlesIt) {
    struct Row {
        UINT id;
        BOOL handled;
        int enabled;
    } rows[] = {
        {101, TRUE, 1},   // its update handler enabled it
        {102, FALSE, 1},  // passed on; a command handler exists, so it is enabled
        {103, FALSE, 1},  // no update handler, but a command handler
        {999, FALSE, 0},  // nobody handles it: greyed
    };
    host.enable101 = TRUE;
    for (const Row& r : rows) {
        CRecordingCmdUI ui;
        ui.m_nID = r.id;
        EXPECT_EQ(ui.DoUpdate(&host, TRUE), r.handled) << r.id;
        EXPECT_EQ(ui.enabled, r.enabled) << r.id;
    }
}

TEST_F(CmdRoutingTest, HandlerQueryAnswersWithoutCalling) {
    AFX_CMDHANDLERINFO info{nullptr, nullptr};
    EXPECT_TRUE(host.OnCmdMsg(104, CN_COMMAND, nullptr, &info));
    EXPECT_EQ(info.pTarget, &host);
    EXPECT_TRUE(g_calls.empty());
    EXPECT_FALSE(host.OnCmdMsg(400, CN_COMMAND, nullptr, &info));
}

TEST_F(CmdRoutingTest, NotifyReachesReflectionThenParentWithItsResult) {
    NMHDR nm{button.m_hWnd, 10, NM_CLICK};
    button.passOn = TRUE;
    EXPECT_EQ(host.SendMessage(WM_NOTIFY, 10, (LPARAM)&nm), 5);
    EXPECT_EQ(g_calls, (std::vector<std::string>{"button:notify-reflect", "host:notify10"}));
    g_calls.clear();
    button.passOn = FALSE;
    button.notifyResult = 9;
    EXPECT_EQ(host.SendMessage(WM_NOTIFY, 10, (LPARAM)&nm), 9);
    EXPECT_EQ(g_calls, (std::vector<std::string>{"button:notify-reflect"}));
}

// The profile and program folders are the test's own (GuiTest).
class WinAppDocuments : public GuiTest {};

TEST_F(WinAppDocuments, RecentFilesGoToTheAppsListAndBadPathsOpenNothing) {
    CWinApp app("test");
    app.AddToRecentFileList("C:\\a.qdb"); // no list yet: nothing happens
    app.m_pRecentFileList = new CRecentFileList(0, "Recent", "File%d", 4);
    app.AddToRecentFileList("C:\\a.qdb");
    app.AddToRecentFileList("C:\\b.qdb");
    EXPECT_EQ((*app.m_pRecentFileList)[0], CString("C:\\b.qdb"));
    EXPECT_EQ((*app.m_pRecentFileList)[1], CString("C:\\a.qdb"));
    EXPECT_EQ(app.OpenDocumentFile(""), nullptr);
}
