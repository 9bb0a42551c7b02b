// The account's pages and dialogs driven as a user would: typed fields, check boxes and buttons,
// what reaches the account on OK, and what an unchanged page leaves alone.
#include "mail/ui/MailAccountPages.h"

#include "platform/base/tests/TempFolder.h"
#include "platform/gui/Controls.h"
#include "platform/gui/PropertySheet.h"
#include "platform/gui/tests/GuiTestSupport.h"

#include <QTest>

#include <functional>

namespace {

class MailAccountPagesTest : public ScriptedUserTest {
protected:
    void SetUp() override {
        InstallScriptedUser(IDOK);
        account.m_strName = "工作";
        account.m_person.m_strText[CEmailAccount::PERSON_NAME] = "张三";
        account.m_smtpServer.m_strHost = "smtp.example.com";
        account.m_smtpServer.m_dwAuthMode = 1; // CRAM-MD5, set elsewhere
        account.m_pop3Server.m_strUser = "zhang";
        account.m_pop3Server.m_strPassword = "secret";
    }
    void TearDown() override { RemoveScriptedUser(); }

    static void Type(CWnd& d, int id, const char* text) {
        CWnd* edit = d.GetDlgItem(id);
        ASSERT_NE(nullptr, edit);
        edit->SetFocus();
        edit->SetWindowText("");
        QTest::keyClicks(edit->GetWidget(), QString::fromUtf8(text));
    }
    static void Click(CWnd& d, int id) {
        CWnd* button = d.GetDlgItem(id);
        ASSERT_NE(nullptr, button);
        QTest::mouseClick(button->GetWidget(), Qt::LeftButton);
    }
    static bool Checked(CWnd& d, int id) {
        return static_cast<CButton*>(d.GetDlgItem(id))->GetCheck() == BST_CHECKED;
    }
    static bool Enabled(CWnd& d, int id) { return d.GetDlgItem(id)->IsWindowEnabled() != FALSE; }
    static CPropertySheet& Sheet(CDialog& d) { return static_cast<CPropertySheet&>(d); }
    static CPropertyPage& Page(CDialog& d, int n) {
        Sheet(d).SetActivePage(n);
        return *Sheet(d).GetPage(n);
    }

    // The sheet opens its server page, then the advanced dialog, which `advanced` answers; the
    // sheet is closed with OK.
    void EditThroughAdvancedDialog(const std::function<void(CDialog&)>& advanced) {
        onDialog = [&](CDialog& d) {
            if (dynamic_cast<CPropertySheet*>(&d) == nullptr) {
                advanced(d);
                return;
            }
            Page(d, 1);
            Pump();
            Click(*Sheet(d).GetPage(1), CPageMailAccountServer::IDC_ADVANCED);
            d.SendMessage(WM_COMMAND, IDOK);
        };
        EXPECT_TRUE(EditMailAccount(nullptr, &account));
    }

    CEmailAccount account;
};

TEST_F(MailAccountPagesTest, UnchangedPagesLeaveTheAccountAsItWas) {
    const CEmailAccount::SServerInfo smtp = account.m_smtpServer;
    onDialog = [&](CDialog& d) {
        Page(d, 0);
        Page(d, 1);
        Pump();
        EXPECT_TRUE(Checked(*Sheet(d).GetPage(1), CPageMailAccountServer::IDC_NEEDS_AUTH));
        d.SendMessage(WM_COMMAND, IDOK);
    };
    EXPECT_TRUE(EditMailAccount(nullptr, &account));
    // The page shows "needs authentication" for CRAM-MD5 but never stores LOGIN unasked.
    EXPECT_EQ(1u, account.m_smtpServer.m_dwAuthMode);
    EXPECT_TRUE(account.m_smtpServer == smtp);
}

TEST_F(MailAccountPagesTest, TypedIdentityAndServersReachTheAccountOnOk) {
    onDialog = [&](CDialog& d) {
        CPropertyPage& person = Page(d, 0);
        Pump();
        Type(person, CPageMailAccountPerson::IDC_NAME, "Li Si");
        Type(person, CPageMailAccountPerson::IDC_EMAIL, "li@example.com");
        Type(person, CPageMailAccountPerson::IDC_REPLY_TO, "reply@example.com");
        Pump();
        person.SaveScreenshot(ScreenPath("mail-account-person").c_str());
        CPropertyPage& server = Page(d, 1);
        Pump();
        Type(server, CPageMailAccountServer::IDC_SMTP_HOST, "127.0.0.1");
        Type(server, CPageMailAccountServer::IDC_POP3_USER, "li");
        Type(server, CPageMailAccountServer::IDC_POP3_PASSWORD, "pw");
        // The password is masked.
        EXPECT_TRUE(server.GetDlgItem(CPageMailAccountServer::IDC_POP3_PASSWORD)->GetStyle() &
                    ES_PASSWORD);
        // Unchecking authentication disables its settings; checking it again stores LOGIN.
        Click(server, CPageMailAccountServer::IDC_NEEDS_AUTH);
        EXPECT_FALSE(Enabled(server, CPageMailAccountServer::IDC_AUTH_SETTINGS));
        Click(server, CPageMailAccountServer::IDC_NEEDS_AUTH);
        EXPECT_TRUE(Enabled(server, CPageMailAccountServer::IDC_AUTH_SETTINGS));
        Pump();
        server.SaveScreenshot(ScreenPath("mail-account-server").c_str());
        d.SendMessage(WM_COMMAND, IDOK);
    };
    EXPECT_TRUE(EditMailAccount(nullptr, &account));
    EXPECT_EQ(CString("Li Si"), account.m_person.m_strText[CEmailAccount::PERSON_NAME]);
    EXPECT_EQ(CString("li@example.com"), account.m_person.m_strText[CEmailAccount::PERSON_EMAIL]);
    EXPECT_EQ(CString("reply@example.com"),
              account.m_person.m_strText[CEmailAccount::PERSON_REPLY_TO]);
    EXPECT_EQ(CString("127.0.0.1"), account.m_smtpServer.m_strHost);
    EXPECT_EQ(CString("li"), account.m_pop3Server.m_strUser);
    EXPECT_EQ(CString("pw"), account.m_pop3Server.m_strPassword);
    EXPECT_EQ(2u, account.m_smtpServer.m_dwAuthMode);

    // Without authentication the mode becomes 0.
    onDialog = [&](CDialog& d) {
        CPropertyPage& server = Page(d, 1);
        Pump();
        Click(server, CPageMailAccountServer::IDC_NEEDS_AUTH);
        d.SendMessage(WM_COMMAND, IDOK);
    };
    EXPECT_TRUE(EditMailAccount(nullptr, &account));
    EXPECT_EQ(0u, account.m_smtpServer.m_dwAuthMode);
}

// 应用 comes alive with the first edit and writes the page to the account; a 取消 afterwards
// keeps what was applied, so that the caller stores it.
TEST_F(MailAccountPagesTest, AnEditEnablesApplyWhichKeepsItsValuesThroughCancel) {
    onDialog = [&](CDialog& d) {
        CPropertyPage& person = Page(d, 0);
        Pump();
        EXPECT_FALSE(Enabled(d, ID_APPLY_NOW));
        Type(person, CPageMailAccountPerson::IDC_NAME, "Li Si");
        Pump();
        ASSERT_TRUE(Enabled(d, ID_APPLY_NOW));
        Click(d, ID_APPLY_NOW);
        Pump();
        EXPECT_FALSE(Enabled(d, ID_APPLY_NOW));
        EXPECT_EQ(CString("Li Si"), account.m_person.m_strText[CEmailAccount::PERSON_NAME]);
        d.SendMessage(WM_COMMAND, IDCANCEL);
    };
    EXPECT_TRUE(EditMailAccount(nullptr, &account));
    EXPECT_EQ(CString("Li Si"), account.m_person.m_strText[CEmailAccount::PERSON_NAME]);

    onDialog = [&](CDialog& d) { d.SendMessage(WM_COMMAND, IDCANCEL); };
    EXPECT_FALSE(EditMailAccount(nullptr, &account)) << "nothing applied, nothing changed";
}

// A sender or reply address that is not a whole address is refused on the page with a message
// naming it, and neither 确定 nor 应用 takes it; a whole address then goes through.
TEST_F(MailAccountPagesTest, AnIncompleteAddressIsRefusedOnThePage) {
    const char* const kBad[] = {"@example.com", "li@", "li@@example.com", "li example.com",
                                "li@example..com"};
    onDialog = [&](CDialog& d) {
        CPropertyPage& person = Page(d, 0);
        Pump();
        for (int field :
             {CPageMailAccountPerson::IDC_EMAIL, CPageMailAccountPerson::IDC_REPLY_TO}) {
            for (const char* bad : kBad) {
                SCOPED_TRACE(bad);
                Type(person, field, bad);
                shown.clear();
                d.SendMessage(WM_COMMAND, IDOK);
                Pump();
                ASSERT_TRUE(::IsWindow(d.GetSafeHwnd()));
                ASSERT_EQ(1u, shown.size());
                EXPECT_NE(-1, shown[0].text.Find("无效")) << (LPCTSTR)shown[0].text;
                EXPECT_NE(-1, shown[0].text.Find(bad)) << (LPCTSTR)shown[0].text;
                shown.clear();
                Click(d, ID_APPLY_NOW);
                Pump();
                EXPECT_EQ(1u, shown.size());
                EXPECT_EQ(CString(), account.m_person.m_strText[CEmailAccount::PERSON_EMAIL]);
            }
            Type(person, field, "li@mail.example.com");
        }
        shown.clear();
        d.SendMessage(WM_COMMAND, IDOK);
    };
    EXPECT_TRUE(EditMailAccount(nullptr, &account));
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(CString("li@mail.example.com"),
              account.m_person.m_strText[CEmailAccount::PERSON_EMAIL]);
    EXPECT_EQ(CString("li@mail.example.com"),
              account.m_person.m_strText[CEmailAccount::PERSON_REPLY_TO]);
}

TEST_F(MailAccountPagesTest, TheLogOnDialogChoosesThePop3UserOrItsOwn) {
    CPageMailAccountServer* server = nullptr;
    std::function<void(CDialog&)> inner;
    onDialog = [&](CDialog& d) {
        if (inner && d.GetDlgItem(CDlgSmtpAuthConfig::IDC_SAME_AS_POP3) != nullptr &&
            dynamic_cast<CPropertySheet*>(&d) == nullptr) {
            inner(d);
            return;
        }
        server = static_cast<CPageMailAccountServer*>(&Page(d, 1));
        Pump();
        Click(*server, CPageMailAccountServer::IDC_AUTH_SETTINGS);
        d.SendMessage(WM_COMMAND, IDOK);
    };
    inner = [&](CDialog& a) {
        Pump();
        EXPECT_TRUE(Checked(a, CDlgSmtpAuthConfig::IDC_SAME_AS_POP3));
        EXPECT_FALSE(Enabled(a, CDlgSmtpAuthConfig::IDC_USER));
        EXPECT_FALSE(Enabled(a, IDOK));
        a.GetDlgItem(CDlgSmtpAuthConfig::IDC_OWN_LOGIN)->SendMessage(BM_CLICK);
        EXPECT_TRUE(Checked(a, CDlgSmtpAuthConfig::IDC_OWN_LOGIN));
        EXPECT_TRUE(Enabled(a, CDlgSmtpAuthConfig::IDC_USER));
        EXPECT_TRUE(Enabled(a, IDOK));
        Type(a, CDlgSmtpAuthConfig::IDC_USER, "smtp-li");
        Type(a, CDlgSmtpAuthConfig::IDC_PASSWORD, "smtp-pw");
        Pump();
        a.SaveScreenshot(ScreenPath("mail-smtp-auth").c_str());
        Click(a, IDOK);
    };
    EXPECT_TRUE(EditMailAccount(nullptr, &account));
    EXPECT_EQ(0u, account.m_smtpServer.m_dwOptions & 1);
    EXPECT_EQ(CString("smtp-li"), account.m_smtpServer.m_strUser);
    EXPECT_EQ(CString("smtp-pw"), account.m_smtpServer.m_strPassword);
    // The POP3 record stays as it was.
    EXPECT_EQ(CString("zhang"), account.m_pop3Server.m_strUser);
}

TEST_F(MailAccountPagesTest, PortsOutsideTheRangeAreRefusedAndDefaultsComeBack) {
    account.m_smtpServer.m_dwPort = 2525;
    account.m_pop3Server.m_dwPort = 995;
    account.m_pop3Server.m_dwSsl = 1;
    struct Case {
        const char* smtpPort;
        bool accepted;
    };
    const Case cases[] = {{"0", false}, {"65536", false}, {"99999999999", false}, {"65535", true}};
    std::vector<const Case*> pending;
    for (const Case& c : cases)
        pending.push_back(&c);
    EditThroughAdvancedDialog([&](CDialog& d) {
        Pump();
        EXPECT_FALSE(Enabled(d, IDOK));
        EXPECT_EQ(CString("2525"), [&] {
            CString t;
            d.GetDlgItem(CDlgMailServerAdvConfig::IDC_SMTP_PORT)->GetWindowText(t);
            return t;
        }());
        Click(d, CDlgMailServerAdvConfig::IDC_DEFAULTS);
        EXPECT_TRUE(Enabled(d, IDOK));
        EXPECT_FALSE(Checked(d, CDlgMailServerAdvConfig::IDC_POP3_SSL));
        CString pop3;
        d.GetDlgItem(CDlgMailServerAdvConfig::IDC_POP3_PORT)->GetWindowText(pop3);
        EXPECT_EQ(CString("110"), pop3);
        for (const Case* c : pending) {
            SCOPED_TRACE(c->smtpPort);
            const size_t before = shown.size();
            Type(d, CDlgMailServerAdvConfig::IDC_SMTP_PORT, c->smtpPort);
            Pump();
            if (c->accepted)
                d.SaveScreenshot(ScreenPath("mail-server-advanced").c_str());
            Click(d, IDOK);
            EXPECT_EQ(c->accepted ? before : before + 1, shown.size());
        }
    });
    EXPECT_EQ(65535u, account.m_smtpServer.m_dwPort);
    EXPECT_EQ(110u, account.m_pop3Server.m_dwPort);
    EXPECT_EQ(0u, account.m_pop3Server.m_dwSsl);
}

// The advanced settings from the keyboard alone: the dialog opens in the SMTP port with its
// number selected, so the digits typed replace it, and Enter keeps them.
TEST_F(MailAccountPagesTest, TheAdvancedDialogOpensWithThePortSelectedForTyping) {
    account.m_smtpServer.m_dwPort = 25;
    EditThroughAdvancedDialog([&](CDialog& d) {
        QWidget* window = d.GetWidget()->window();
        window->activateWindow();
        if (WaitFor([window] { return QApplication::activeWindow() == window; })) {
            QTest::keyClicks(QApplication::focusWidget(), "2526");
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            Pump();
        }
        struct Probe : CDialog {
            static bool Ended(CDialog& d) { return d.*(&Probe::m_nModalResult) != -1; }
        };
        if (!Probe::Ended(d))
            d.EndDialog(IDCANCEL);
    });
    EXPECT_EQ(2526u, account.m_smtpServer.m_dwPort);
}

} // namespace
