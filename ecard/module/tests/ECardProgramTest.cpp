// A user's session with the running program: the log-in command, a new user registered through
// the wizard, another user added as a friend, its message received, the program closed and
// started again, and the same tree after an offline log-in. Also the start-up log-in setting and
// the command's places in the program.
#include "ecard/module/ECardModule.h"

#include "ecard/ECUserDoc.h"
#include "ecard/ui/ECContactsTreeView.h"
#include "ecard/ui/ECDialogs.h"
#include "ecard/ui/ECDlgLogin.h"
#include "ecard/ui/ECFrame.h"
#include "ecard/ui/ECUsersManager.h"
#include "ecard/ui/ECWizardRegister.h"
#include "links/ServiceAddress.h"
#include "platform/base/Profile.h"
#include "platform/gui/TrayIcon.h"
#include "platform/gui/tests/GuiTestSupport.h"
#include "shell/MainFrm.h"
#include "shell/OutbarWnd.h"
#include "shell/tests/ProgramRun.h"
#include "testsupport/ECardService.h"
#include "testsupport/NetTestEnv.h"

#include <QTest>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr UINT kBob = 20000002;
constexpr UINT kNew = 12345678;

std::string ClosedPortAddress() {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    ::close(fd);
    return "http://127.0.0.1:" + std::to_string(ntohs(a.sin_port)) + "/";
}

void Click(CWnd* pDlg, int nID) {
    CWnd* pButton = pDlg->GetDlgItem(nID);
    ASSERT_NE(nullptr, pButton) << nID;
    QWidget* w = pButton->GetWidget();
    QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, QPoint(6, w->height() / 2));
}

void Type(CWnd* pDlg, int nID, const char* text) {
    CWnd* pCtrl = pDlg->GetDlgItem(nID);
    ASSERT_NE(nullptr, pCtrl) << nID;
    pCtrl->SetWindowText("");
    QTest::keyClicks(pCtrl->GetWidget(), QString::fromUtf8(text));
}

class ECardProgramTest : public ScriptedUserTest {
protected:
    AppFolders folders;
    test_net::NetTestEnv env;
    test_net::ServiceStandIn server;
    test_net::ECardService service;
    CECardModule module;

    void SetUp() override {
        ASSERT_TRUE(server.IsListening());
        service.Attach(server);
        {
            std::lock_guard<std::mutex> g(service.lock);
            service.users[kBob].password = "bob123";
            service.users[kBob].name = "鲍勃";
        }
        ASSERT_TRUE(SetServiceBaseAddress(server.BaseAddress().c_str()));
        // A test is never stopped by the log-in at start unless it asks for it.
        CProfileStore().WriteProfileInt("ECard", "AutoShowLogin", 0);
        AfxSetTrayAvailableForTesting(0);
        InstallScriptedUser(IDOK);
        AfxRegisterShellModule(&module);
    }
    void TearDown() override {
        AfxUnregisterShellModule(nullptr);
        RemoveScriptedUser();
        AfxSetTrayAvailableForTesting(-1);
    }
    std::vector<std::string> Pages() const {
        std::vector<std::string> pages;
        for (const auto& r : server.Requests())
            pages.push_back(r.page.substr(r.page.rfind('/') + 1));
        return pages;
    }
    CECFrame* Window() const {
        CECUsersManager* m = module.GetUsersManager();
        return m != nullptr ? m->GetWindow(0) : nullptr;
    }
    bool WaitIdle(CECFrame* frame) {
        return WaitFor([frame] { return !frame->IsBusy(); }, 20000);
    }
};

TEST_F(ECardProgramTest, RegisterAddAFriendReceiveItsMessageAndComeBackOffline) {
    auto app = StartProgram();
    ASSERT_TRUE(app);
    EXPECT_EQ(nullptr, Window()) << "no log-in at start while the setting is off";

    // 1529 from the main window: the log-in, registration through the five pages, the window.
    int logins = 0;
    onDialog = [&logins](CDialog& d) {
        if (dynamic_cast<CECDlgLogin*>(&d) != nullptr && logins++ == 0) {
            Click(&d, CECDlgLogin::IDC_NEW_USER);
        } else if (auto* w = dynamic_cast<CECWizardRegister*>(&d)) {
            Click(w->GetActivePage(), CECPageRegSelectID::IDC_OWN);
            Type(w->GetActivePage(), CECPageRegSelectID::IDC_NUMBER, "12345678");
            Click(w->GetActivePage(), CECPageRegSelectID::IDC_ACTION);
            Click(w, ID_WIZNEXT);
            Type(w->GetActivePage(), 1007, "newuser");
            Type(w->GetActivePage(), 1012, "pass12");
            Type(w->GetActivePage(), 1013, "pass12");
            Click(w, ID_WIZNEXT);
            Click(w, ID_WIZNEXT);
            Click(w, ID_WIZNEXT);
            Click(w, ID_WIZFINISH);
        } else {
            d.EndDialog(IDCANCEL);
        }
    };
    app->GetMainFrame()->SendMessage(WM_COMMAND, CECardModule::ID_ECARD_LOGIN, 0);
    CECFrame* frame = Window();
    ASSERT_NE(nullptr, frame);
    EXPECT_EQ(kNew, frame->GetUserNumber());

    // The other user as a friend, from the tool bar's command.
    onDialog = [](CDialog& d) {
        if (dynamic_cast<CECDlgAddContacts*>(&d) == nullptr) {
            d.EndDialog(IDCANCEL);
            return;
        }
        d.SetDlgItemText(CECDlgAddContacts::IDC_IDS, "20000002");
        Click(&d, IDOK);
    };
    frame->SendMessage(WM_COMMAND, 1513, 0);
    ASSERT_TRUE(WaitIdle(frame));
    CECContactsTreeView* tree = frame->GetTree();
    CECUser& user = frame->GetUserDoc()->GetUser();
    CECContact* bob = user.GetFriends().FindByNumber(kBob);
    ASSERT_NE(nullptr, bob);
    EXPECT_NE(nullptr, tree->FindItemOf(bob));

    // Its message, received by F4's command, is kept at once.
    {
        std::lock_guard<std::mutex> g(service.lock);
        test_net::ECardService::Message m;
        m.from = kBob;
        m.to = kNew;
        m.fromName = "鲍勃";
        m.title = "你好";
        m.content = "欢迎使用电子名片";
        m.sendTime = "2024-05-06 07:08:09";
        service.users[kNew].inbox.push_back(m);
    }
    frame->SendMessage(WM_COMMAND, 32812, 0);
    ASSERT_TRUE(WaitIdle(frame));
    EXPECT_EQ(1, bob->GetSmsBox(0)->GetContentCount(TRUE, TRUE));
    {
        CECUserDoc stored;
        ASSERT_TRUE(stored.OnOpenDocument(GetECUserFilePath(kNew)));
        CECContact* kept = stored.GetUser().GetFriends().FindByNumber(kBob);
        ASSERT_NE(nullptr, kept);
        EXPECT_EQ(1, kept->GetSmsBox(0)->GetContentCount(TRUE, TRUE));
    }
    EXPECT_EQ((std::vector<std::string>{"checkuid.asp", "register.asp", "addfriends.asp",
                                        "recvmessage.asp"}),
              Pages());
    EXPECT_TRUE(ExitProgram(*app));
    app.reset();

    // Again, with no service: the stored password opens the same tree.
    ASSERT_TRUE(SetServiceBaseAddress(ClosedPortAddress().c_str()));
    app = StartProgram();
    ASSERT_TRUE(app);
    onDialog = [](CDialog& d) {
        if (dynamic_cast<CECDlgLogin*>(&d) == nullptr) {
            d.EndDialog(IDCANCEL);
            return;
        }
        d.SetDlgItemText(CECDlgLogin::IDC_NUMBER, "12345678");
        Type(&d, CECDlgLogin::IDC_PASSWORD_EDIT, "pass12");
        Click(&d, IDOK);
    };
    shown.clear();
    app->GetMainFrame()->SendMessage(WM_COMMAND, CECardModule::ID_ECARD_LOGIN, 0);
    frame = Window();
    ASSERT_NE(nullptr, frame);
    EXPECT_TRUE(shown.empty());
    CECContact* again = frame->GetUserDoc()->GetUser().GetFriends().FindByNumber(kBob);
    ASSERT_NE(nullptr, again);
    EXPECT_EQ("鲍勃", frame->GetTree()->GetTreeCtrl().GetItemText(frame->GetTree()->FindItemOf(again)));
    EXPECT_EQ(4u, server.Requests().size());
    EXPECT_TRUE(ExitProgram(*app));
}

TEST_F(ECardProgramTest, TheLogInShowsAtStartWhenTheSettingAsks) {
    CProfileStore().WriteProfileInt("ECard", "AutoShowLogin", 1);
    int shownLogins = 0;
    onDialog = [&shownLogins](CDialog& d) {
        if (dynamic_cast<CECDlgLogin*>(&d) != nullptr && ++shownLogins == 1) {
            // Turned off from the dialog, and kept at exit.
            auto* check = static_cast<CButton*>(d.GetDlgItem(CECDlgLogin::IDC_AUTO_SHOW));
            EXPECT_EQ(BST_CHECKED, check->GetCheck());
            Click(&d, CECDlgLogin::IDC_AUTO_SHOW);
            Click(&d, CECDlgLogin::IDC_NEW_USER);
            return;
        }
        if (dynamic_cast<CECDlgLogin*>(&d) != nullptr) {
            auto* check = static_cast<CButton*>(d.GetDlgItem(CECDlgLogin::IDC_AUTO_SHOW));
            EXPECT_EQ(BST_UNCHECKED, check->GetCheck());
        }
        d.EndDialog(IDCANCEL);
    };
    auto app = StartProgram();
    ASSERT_TRUE(app);
    EXPECT_EQ(2, shownLogins) << "the log-in comes back after a cancelled registration";
    EXPECT_TRUE(ExitProgram(*app));
    EXPECT_EQ(0u, CProfileStore().GetProfileInt("ECard", "AutoShowLogin", 1));
}

// The main window's keys pressed in the log-in at start-up, which runs modal over the main
// window: its folder stays as it was, and the log-in keeps Escape, which closes it.
TEST_F(ECardProgramTest, TheMainWindowsKeysPressedInTheStartUpLogInLeaveItAsItWas) {
    CProfileStore().WriteProfileInt("ECard", "AutoShowLogin", 1);
    int shownLogins = 0;
    std::vector<int> folders;
    onDialog = [&](CDialog& d) {
        if (dynamic_cast<CECDlgLogin*>(&d) == nullptr || shownLogins++ > 0) {
            d.EndDialog(IDCANCEL);
            return;
        }
        auto* frame = dynamic_cast<CMainFrame*>(AfxGetMainWnd());
        ASSERT_NE(nullptr, frame);
        folders.push_back(frame->GetOutbar()->GetSelFolder());
        d.SetForegroundWindow();
        CWnd* field = d.GetDlgItem(CECDlgLogin::IDC_PASSWORD_EDIT);
        ASSERT_NE(nullptr, field);
        AfxGotoDlgCtrl(field);
        ASSERT_TRUE(WaitFor([field] { return CWnd::GetFocus() == field; }));
        for (Qt::Key key : {Qt::Key_3, Qt::Key_4, Qt::Key_2, Qt::Key_1, Qt::Key_N, Qt::Key_S}) {
            QTest::keyClick(field->GetWidget(), key, Qt::ControlModifier);
            Pump();
            folders.push_back(frame->GetOutbar()->GetSelFolder());
        }
        QTest::keyClick(field->GetWidget(), Qt::Key_Delete);
        QTest::keyClick(CWnd::GetFocus()->GetWidget(), Qt::Key_Escape);
        Pump();
        d.EndDialog(IDCANCEL); // where Escape did not end it
    };
    auto app = StartProgram();
    ASSERT_TRUE(app);
    EXPECT_EQ(1, shownLogins) << "Escape closed the log-in";
    ASSERT_FALSE(folders.empty());
    EXPECT_EQ(std::vector<int>(folders.size(), folders.front()), folders);
    EXPECT_EQ(folders.front(), app->GetMainFrame()->GetOutbar()->GetSelFolder());
    EXPECT_TRUE(shown.empty()) << shown.front().text.GetString();
    EXPECT_TRUE(ExitProgram(*app));
}

} // namespace
