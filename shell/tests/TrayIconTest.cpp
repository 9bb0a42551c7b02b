#include "platform/gui/tests/FrameTestSupport.h"
#include "platform/gui/tests/GuiTestSupport.h"
#include "shell/TrayIcon.h"

#include "platform/gui/Icon.h"
#include "platform/gui/Menu.h"

#include <QImage>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

const ResMenuItem kTrayMenuItems[] = {
    {0, MF_POPUP, 0, "TrayMenu"},
    {1, 0, 480, "显示/隐藏主窗口(&M)"},
    {1, 0, 57665, "退出(&X)"},
};
const ResMenu kTrayMenus[] = {{481, kTrayMenuItems, 3}};
const ResModule kTrayModule = TestResources(nullptr, 0, kTrayMenus, 1);

class COwnerFrame : public CWnd {
public:
    std::vector<UINT> commands;
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pInfo) override {
        if (nCode == CN_COMMAND && !pExtra && !pInfo) {
            commands.push_back(nID);
            return TRUE;
        }
        return CWnd::OnCmdMsg(nID, nCode, pExtra, pInfo);
    }
};

class TrayIconTest : public GuiTest {
protected:
    static void SetUpTestSuite() {
        GuiTest::SetUpTestSuite();
        AfxRegisterResources(&kTrayModule);
    }
    COwnerFrame owner;
    HICON icon = nullptr;
    void SetUp() override {
        AfxResetTrayIcons();
        ASSERT_TRUE(owner.CreateEx(0, nullptr, "main", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                                   nullptr));
        QImage img(16, 16, QImage::Format_ARGB32);
        img.fill(Qt::red);
        icon = AfxCreateIcon(img);
    }
    void TearDown() override {
        AfxSetPopupMenuHook(nullptr);
        owner.DestroyWindow();
        DestroyIcon(icon);
    }
    TrayIconState State() {
        TrayIconState s;
        EXPECT_TRUE(AfxGetTrayIcon(owner.m_hWnd, 1, &s));
        return s;
    }
};

TEST_F(TrayIconTest, ShowsOnlyWithAnIconAndHidesOnDestruction) {
    {
        CSysTrayIcon tray(&owner, 1, 2024);
        EXPECT_FALSE(tray.Show(TRUE));
        EXPECT_FALSE(tray.IsShown());
        EXPECT_FALSE(AfxGetTrayIcon(owner.m_hWnd, 1, nullptr));

        tray.SetIcon(icon, "墨川");
        EXPECT_FALSE(tray.IsShown()); // setting the icon keeps the hidden state
        ASSERT_TRUE(tray.Show(TRUE));
        TrayIconState s = State();
        EXPECT_EQ(icon, s.hIcon);
        EXPECT_EQ(2024u, s.uCallbackMessage);
        EXPECT_STREQ("墨川", (LPCTSTR)s.tip);

        // A shown icon follows a new tip at once.
        tray.SetIcon(nullptr, "新提示");
        EXPECT_STREQ("新提示", (LPCTSTR)State().tip);
        EXPECT_TRUE(tray.Show(FALSE));
        EXPECT_FALSE(AfxGetTrayIcon(owner.m_hWnd, 1, nullptr));
        EXPECT_TRUE(tray.Show(TRUE));
    }
    EXPECT_FALSE(AfxGetTrayIcon(owner.m_hWnd, 1, nullptr));
}

TEST_F(TrayIconTest, LongTipsAndBalloonsAreCutAtWholeCharacters) {
    CSysTrayIcon tray(&owner, 1, 2024);
    struct Row {
        std::string tip;
        size_t kept;
    } rows[] = {
        {std::string(200, 'a'), 127},
        {[] {
             std::string s;
             for (int i = 0; i < 64; ++i)
                 s += "字";
             return s;
         }(),
         126}, // 128 bytes: the 64th character no longer fits whole
        {"a" + std::string(63 * 2, '\xB0') + "b", 127},
    };
    for (const Row& r : rows) {
        tray.SetIcon(icon, r.tip.c_str());
        EXPECT_EQ(r.kept, strlen(tray.GetData().szTip));
        EXPECT_EQ(0, memcmp(r.tip.data(), tray.GetData().szTip, r.kept));
    }

    EXPECT_FALSE(tray.ShowBalloon("标题", "正文", 5000, NIIF_INFO)); // not while hidden
    ASSERT_TRUE(tray.Show(TRUE));
    EXPECT_EQ(0, State().balloonCount);
    std::string title;
    for (int i = 0; i < 40; ++i)
        title += "标";
    ASSERT_TRUE(tray.ShowBalloon(title.c_str(), "连接成功", 15000, NIIF_WARNING));
    TrayIconState s = State();
    EXPECT_EQ(1, s.balloonCount);
    EXPECT_EQ(62, s.balloonTitle.GetLength()); // 31 characters within 63 bytes
    EXPECT_STREQ("连接成功", (LPCTSTR)s.balloonText);
    EXPECT_EQ(15000u, s.balloonTimeout);
    EXPECT_EQ((DWORD)NIIF_WARNING, s.balloonKind);
}

TEST_F(TrayIconTest, AfterTheShellRestartsTheIconIsAddedAgain) {
    CSysTrayIcon tray(&owner, 1, 2024);
    tray.SetIcon(icon, "墨川");
    ASSERT_TRUE(tray.Show(TRUE));
    AfxResetTrayIcons();
    // Still believed shown, a change of a missing icon fails and the state stays.
    EXPECT_FALSE(tray.Show(TRUE));
    EXPECT_TRUE(tray.IsShown());
    tray.ForgetShown();
    EXPECT_TRUE(tray.Show(TRUE));
    EXPECT_TRUE(AfxGetTrayIcon(owner.m_hWnd, 1, nullptr));
}

TEST_F(TrayIconTest, ClicksBringUpTheMenuOrCarryOutItsFirstCommand) {
    CSysTrayIcon tray(&owner, 1, 2024);
    tray.SetIcon(icon, "墨川");
    tray.Show(TRUE);
    EXPECT_EQ(0, tray.OnTrayNotification(2, WM_RBUTTONUP)); // another icon
    EXPECT_EQ(0, tray.OnTrayNotification(1, WM_MOUSEMOVE)); // not a click it answers
    EXPECT_EQ(1, tray.OnTrayNotification(1, WM_RBUTTONUP)); // no menu yet
    tray.SetMenu(999);
    EXPECT_EQ(0, tray.OnTrayNotification(1, WM_RBUTTONUP)); // a menu that cannot load
    tray.SetMenu(481);

    UINT defaultItem = 0;
    CWnd* popupOwner = nullptr;
    AfxSetPopupMenuHook([&](HMENU h, CWnd* pOwner, POINT, UINT) -> UINT {
        defaultItem = CMenu::FromHandle(h)->GetDefaultItem(0);
        popupOwner = pOwner;
        return 57665;
    });
    EXPECT_EQ(1, tray.OnTrayNotification(1, WM_RBUTTONUP));
    EXPECT_EQ(480u, defaultItem);
    EXPECT_EQ(&owner, popupOwner);
    EXPECT_TRUE(WaitFor([&] { return !owner.commands.empty(); }));
    EXPECT_EQ(std::vector<UINT>{57665}, owner.commands);

    owner.commands.clear();
    EXPECT_EQ(1, tray.OnTrayNotification(1, WM_LBUTTONDOWN));
    EXPECT_EQ(std::vector<UINT>{480}, owner.commands);
}

} // namespace
