// Registering a new user from the log-in dialog: the number page's checks before any request,
// the service's assigned and checked numbers, the account and security pages, the answer to the
// registration (taken number, reserved number) and the log-in after finishing.
#include "ECUiTestSupport.h"

#include "ecard/ui/ECDlgLogin.h"
#include "ecard/ui/ECFrame.h"
#include "ecard/ui/ECWizardRegister.h"


using namespace ecard_ui_test;

namespace {

class ECWizardTest : public ECUiTest {
protected:
    CECUsersManager manager;
    int logins = 0;

    void TearDown() override {
        manager.CloseAll();
        ECUiTest::TearDown();
    }
    static void Next(CPropertySheet* s) { Click(s, ID_WIZNEXT); }
    static CWnd* Page(CPropertySheet* s) { return s->GetActivePage(); }
    static BOOL NextEnabled(CPropertySheet* s) {
        return s->GetDlgItem(ID_WIZNEXT)->IsWindowEnabled();
    }
    // The first log-in dialog goes on to registration, the wizard gets `wizard`, later log-in
    // dialogs are cancelled.
    void Register(std::function<void(CECWizardRegister*)> wizard) {
        onDialog = [this, wizard](CDialog& d) {
            if (auto* w = dynamic_cast<CECWizardRegister*>(&d)) {
                wizard(w);
                if (!DialogProbe::Ended(*w))
                    w->EndDialog(IDCANCEL);
            } else if (dynamic_cast<CECDlgLogin*>(&d) != nullptr && logins++ == 0) {
                Click(&d, CECDlgLogin::IDC_NEW_USER);
            } else {
                d.EndDialog(IDCANCEL);
            }
        };
        manager.ShowLoginDialog();
    }
    // Own number, accepted, then the account and security pages filled: the wizard stands on
    // the check-up page.
    static void FillUpToCheckup(CECWizardRegister* w, const char* number) {
        Click(Page(w), CECPageRegSelectID::IDC_OWN);
        Type(Page(w), CECPageRegSelectID::IDC_NUMBER, number);
        Click(Page(w), CECPageRegSelectID::IDC_ACTION);
        Next(w);
        Type(Page(w), 1007, "newuser");
        Type(Page(w), 1012, "pass12");
        Type(Page(w), 1013, "pass12");
        Type(Page(w), 1020, "new@example.org");
        Next(w);
        Type(Page(w), 1006, "safe@example.org");
        Next(w);
    }
};

TEST_F(ECWizardTest, OwnNumbersAreCheckedBeforeAndOnceAtTheService) {
    Register([this](CECWizardRegister* w) {
        EXPECT_EQ(0, w->GetActiveIndex());
        EXPECT_FALSE(NextEnabled(w)) << "no button on the first showing";
        EXPECT_FALSE(w->GetDlgItem(IDHELP) != nullptr && w->GetDlgItem(IDHELP)->IsWindowVisible());
        Click(Page(w), CECPageRegSelectID::IDC_OWN);
        struct {
            const char* typed;
            const char* told;
        } refused[] = {
            {"01234567", "第一位数字不能为0，请重新输入！"},
            {"1234567", "输入的号码不是8位数字，请重新输入！"},
            {"123456789", "输入的号码不是8位数字，请重新输入！"},
            // The box takes digits only: the letter typed among them never arrives.
            {"12a45678", "输入的号码不是8位数字，请重新输入！"},
        };
        for (const auto& c : refused) {
            shown.clear();
            Type(Page(w), CECPageRegSelectID::IDC_NUMBER, c.typed);
            Click(Page(w), CECPageRegSelectID::IDC_ACTION);
            ASSERT_EQ(1u, shown.size()) << c.typed;
            EXPECT_EQ(c.told, shown[0].text) << c.typed;
            EXPECT_FALSE(NextEnabled(w));
        }
        CString kept;
        Page(w)->GetDlgItemText(CECPageRegSelectID::IDC_NUMBER, kept);
        EXPECT_EQ("1245678", kept);
        EXPECT_TRUE(server.Requests().empty());
        shown.clear();
        Type(Page(w), CECPageRegSelectID::IDC_NUMBER, "12345678");
        Click(Page(w), CECPageRegSelectID::IDC_ACTION);
        EXPECT_EQ(std::vector<CString>{"恭喜，检测通过！您可以注册该号码。"}, Texts());
        EXPECT_TRUE(NextEnabled(w));
        Click(Page(w), CECPageRegSelectID::IDC_ACTION);
        EXPECT_EQ("该号码在前面已经检测通过！", shown.back().text);
        EXPECT_EQ(std::vector<std::string>{"checkuid.asp"}, Pages());
        ASSERT_EQ(1u, server.Requests().size());
        EXPECT_NE(std::string::npos, server.Requests()[0].body.find("UID=12345678"));
        // Typing disables Next until the new text is checked.
        Type(Page(w), CECPageRegSelectID::IDC_NUMBER, "20000001");
        EXPECT_FALSE(NextEnabled(w));
        shown.clear();
        Click(Page(w), CECPageRegSelectID::IDC_ACTION);
        EXPECT_EQ(std::vector<CString>{"号码已被使用，请重新选择。"}, Texts());
        EXPECT_FALSE(NextEnabled(w));
    });
    EXPECT_EQ(2, logins) << "the login dialog comes back after a cancelled wizard";
}

TEST_F(ECWizardTest, TheServiceAssignsANumber) {
    Register([this](CECWizardRegister* w) {
        Click(Page(w), CECPageRegSelectID::IDC_ACTION);
        CString number;
        Page(w)->GetDlgItemText(CECPageRegSelectID::IDC_NUMBER, number);
        EXPECT_EQ("30000001", number);
        EXPECT_TRUE(NextEnabled(w));
        Next(w);
        CString shownNumber;
        Page(w)->GetDlgItemText(1006, shownNumber);
        EXPECT_EQ("30000001", shownNumber);
    });
    EXPECT_EQ(std::vector<std::string>{"assignuid.asp"}, Pages());
}

TEST_F(ECWizardTest, RegistrationOpensTheNewUsersWindow) {
    Register([this](CECWizardRegister* w) {
        FillUpToCheckup(w, "12345678");
        EXPECT_EQ(3, w->GetActiveIndex());
        CString summary;
        Page(w)->GetDlgItemText(1006, summary);
        EXPECT_EQ("用户ID号： 12345678\r\n用户名称： newuser\r\n访问密码： pass12\r\nEmail：    "
                  "new@example.org\r\n安全Email：safe@example.org\r\n证件类型： \r\n证件号码： ",
                  summary);
        Next(w);
        EXPECT_EQ(4, w->GetActiveIndex());
        CString reply;
        Page(w)->GetDlgItemText(1006, reply);
        EXPECT_EQ("注册成功", reply);
        Click(w, ID_WIZFINISH);
    });
    EXPECT_EQ((std::vector<std::string>{"checkuid.asp", "register.asp"}), Pages());
    ASSERT_EQ(1, manager.GetWindowCount());
    CECFrame* frame = manager.GetWindow(0);
    EXPECT_EQ(12345678u, frame->GetUserNumber());
    EXPECT_EQ("newuser", frame->GetUserDoc()->GetUser().GetAccount().m_strUserName);
    std::lock_guard<std::mutex> g(service.lock);
    EXPECT_EQ("pass12", service.users[12345678].password);
}

TEST_F(ECWizardTest, ATakenNumberGoesBackToTheFirstStepAndLeavesTheAcceptedList) {
    Register([this](CECWizardRegister* w) {
        FillUpToCheckup(w, "12345678");
        {
            std::lock_guard<std::mutex> g(service.lock);
            service.users[12345678].password = "someone";
        }
        shown.clear();
        Next(w);
        EXPECT_EQ(std::vector<CString>{"号码已被使用，请重新选择。"}, Texts());
        EXPECT_EQ(0, w->GetActiveIndex());
        EXPECT_FALSE(NextEnabled(w));
        EXPECT_FALSE(w->m_pageID.IsAccepted(12345678));
    });
    EXPECT_EQ(0, manager.GetWindowCount());
}

TEST_F(ECWizardTest, AReservedNumberStaysOnTheCheckup) {
    server.SetReply("ecard/register.asp", test_net::Reply::Text("220#reserved"));
    Register([this](CECWizardRegister* w) {
        FillUpToCheckup(w, "12345678");
        shown.clear();
        Next(w);
        EXPECT_EQ(std::vector<CString>{"保留的号码，您无权使用。"}, Texts());
        EXPECT_EQ(3, w->GetActiveIndex());
    });
    EXPECT_FALSE(FileExists(GetECUserFolder(12345678))) << "nothing is stored before the log-in";
}

TEST_F(ECWizardTest, FinishingWithoutLogInReturnsToTheLogIn) {
    Register([this](CECWizardRegister* w) {
        FillUpToCheckup(w, "12345678");
        Next(w);
        Click(Page(w), CECPageRegFinish::IDC_LOGIN);
        Click(w, ID_WIZFINISH);
    });
    EXPECT_EQ(2, logins);
    EXPECT_EQ(0, manager.GetWindowCount());
}

TEST_F(ECWizardTest, AMismatchedPasswordStaysOnTheAccountPage) {
    Register([this](CECWizardRegister* w) {
        Click(Page(w), CECPageRegSelectID::IDC_OWN);
        Type(Page(w), CECPageRegSelectID::IDC_NUMBER, "12345678");
        Click(Page(w), CECPageRegSelectID::IDC_ACTION);
        Next(w);
        Type(Page(w), 1012, "pass12");
        Type(Page(w), 1013, "pass13");
        shown.clear();
        Next(w);
        EXPECT_EQ(1, w->GetActiveIndex());
        EXPECT_EQ(std::vector<CString>{"两次输入的密码不一致！请重新输入。"}, Texts());
    });
}

} // namespace
