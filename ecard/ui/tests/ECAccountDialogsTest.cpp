// The account dialogs and the leave-message dialog of the e-card window, against the service
// standing in on loopback: what they refuse before any request, what they send, and what the
// window does after them.
#include "ECUiTestSupport.h"

#include "ecard/ui/ECAccountDialogs.h"

using namespace ecard_ui_test;

namespace {

class ECAccountDialogsTest : public ECWindowTest {
protected:
    void OpenAlice() {
        {
            CECUserDoc doc;
            CECUser& u = doc.GetUser();
            u.SetUserNumber(kAlice);
            u.GetAccount().m_strPassword = "alice1";
            u.GetAccount().m_strUserName = "爱丽丝";
            u.GetAccount().m_strSecureEmail = "safe@example.com";
            AddContact(u.GetFriends(), kBob, "鲍勃");
            AddContact(u.GetStrangers(), 20000003, "路人");
            u.m_access[0] = 0x1;
            ASSERT_TRUE(doc.SaveUser());
        }
        OpenWindow(kAlice);
    }
    size_t Sent(const char* page) {
        size_t n = 0;
        for (const auto& p : Pages())
            n += p == page;
        return n;
    }
    std::string LastBody(const char* page) {
        std::string body;
        for (const auto& r : server.Requests())
            if (r.page.find(page) != std::string::npos)
                body = r.body;
        return body;
    }
};

TEST_F(ECAccountDialogsTest, APasswordIsCheckedBeforeItIsSentAndKeptForTheNextLogIn) {
    OpenAlice();
    struct Case {
        const char* fresh;
        const char* repeat;
        const char* message;
    };
    const Case refused[] = {
        {"abcd", "abce", "两次输入的密码不一致！请重新输入。"},
        {"abc", "abc", "密码位数必须在4位以上！请重新输入。"},
        {"ab-cd", "ab-cd", "密码只能由数字与字母组成，请重新输入！"},
    };
    for (const Case& c : refused) {
        shown.clear();
        bool stayed = false;
        onDialog = [&](CDialog& d) {
            Type(&d, CECDlgChangePassword::IDC_OLD, "alice1");
            Type(&d, CECDlgChangePassword::IDC_NEW, c.fresh);
            Type(&d, CECDlgChangePassword::IDC_REPEAT, c.repeat);
            Click(&d, IDOK);
            stayed = !DialogProbe::Ended(d);
            d.EndDialog(IDCANCEL);
        };
        Command(1524);
        EXPECT_TRUE(stayed) << c.fresh;
        EXPECT_TRUE(Shown(c.message)) << c.fresh;
    }
    EXPECT_EQ(0u, Sent("changepassword.asp"));

    // A wrong current password: the service's text, the dialog stays.
    shown.clear();
    onDialog = [&](CDialog& d) {
        Type(&d, CECDlgChangePassword::IDC_OLD, "wrong1");
        Type(&d, CECDlgChangePassword::IDC_NEW, "alice2");
        Type(&d, CECDlgChangePassword::IDC_REPEAT, "alice2");
        Click(&d, IDOK);
        EXPECT_FALSE(DialogProbe::Ended(d));
        d.EndDialog(IDCANCEL);
    };
    Command(1524);
    EXPECT_TRUE(Shown("用户号码或密码错误"));
    EXPECT_EQ("alice1", user->GetAccount().m_strPassword);

    onDialog = [&](CDialog& d) {
        Type(&d, CECDlgChangePassword::IDC_OLD, "alice1");
        Type(&d, CECDlgChangePassword::IDC_NEW, "alice2");
        Type(&d, CECDlgChangePassword::IDC_REPEAT, "alice2");
        Click(&d, IDOK);
    };
    Command(1524);
    EXPECT_EQ("alice2", user->GetAccount().m_strPassword);
    {
        std::lock_guard<std::mutex> g(service.lock);
        EXPECT_EQ("alice2", service.users[kAlice].password);
    }
    // Kept at once: offline the old password no longer matches, the new one does.
    EXPECT_NE(0, CECUsersManager::CheckUserPassword(kAlice, "alice1", FALSE));
    EXPECT_EQ(0, CECUsersManager::CheckUserPassword(kAlice, "alice2", FALSE));
}

// After a refusal the keyboard alone types the passwords again: the keys replace what was
// refused (the new password after a mismatch, the current one after the service said no).
TEST_F(ECAccountDialogsTest, RefusedPasswordsAreTypedAgainOverTheOld) {
    OpenAlice();
    bool ended = false;
    onDialog = [&](CDialog& d) {
        Type(&d, CECDlgChangePassword::IDC_OLD, "wrong1");
        Type(&d, CECDlgChangePassword::IDC_NEW, "alice3");
        Type(&d, CECDlgChangePassword::IDC_REPEAT, "alice4");
        Click(&d, IDOK);
        for (const char* again : {"alice3\talice3\r", "alice1\r"}) {
            QWidget* focus = KeyboardFocus(d);
            if (DialogProbe::Ended(d) || focus == nullptr)
                break;
            for (const char* k = again; *k != '\0'; ++k) {
                focus = QApplication::focusWidget();
                if (*k == '\t')
                    QTest::keyClick(focus, Qt::Key_Tab);
                else if (*k == '\r')
                    QTest::keyClick(focus, Qt::Key_Return);
                else
                    QTest::keyClick(focus, *k);
            }
        }
        ended = DialogProbe::Ended(d);
        if (!ended)
            d.EndDialog(IDCANCEL);
    };
    Command(1524);
    EXPECT_TRUE(ended);
    EXPECT_TRUE(Shown("两次输入的密码不一致！请重新输入。"));
    EXPECT_TRUE(Shown("用户号码或密码错误"));
    EXPECT_EQ("alice3", user->GetAccount().m_strPassword);
}

TEST_F(ECAccountDialogsTest, DeregisteringTakesOnlyThisUserAndRemovesItsFolder) {
    OpenAlice();
    CString shownId;
    BOOL readOnly = FALSE;
    onDialog = [&](CDialog& d) {
        d.GetDlgItemText(CECDlgDeregister::IDC_ID, shownId);
        readOnly = (d.GetDlgItem(CECDlgDeregister::IDC_ID)->GetStyle() & ES_READONLY) != 0;
        Type(&d, CECDlgDeregister::IDC_PASSWORD, "alice1");
        Click(&d, CECDlgDeregister::IDC_MAKE_CODE);
        Type(&d, CECDlgDeregister::IDC_CODE, "1234");
        Click(&d, IDOK); // a wrong code: the dialog stays
        EXPECT_FALSE(DialogProbe::Ended(d));
        Type(&d, CECDlgDeregister::IDC_CODE, "8888");
        Click(&d, IDOK);
    };
    Command(1508);
    EXPECT_EQ("20000001", shownId);
    EXPECT_TRUE(readOnly);
    EXPECT_TRUE(Shown("安全码已发送到您的邮箱"));
    EXPECT_TRUE(Shown("安全码错误"));
    EXPECT_NE(std::string::npos, LastBody("deregister.asp").find("UserID=20000001"));
    ASSERT_TRUE(WaitFor([this] { return manager.GetWindowCount() == 0; }, 5000));
    frame = nullptr;
    EXPECT_FALSE(FileExists(GetECUserFilePath(kAlice)));
    // The service no longer knows the number.
    EXPECT_NE(0, CECUsersManager::CheckUserPassword(kAlice, "alice1", TRUE));
}

TEST_F(ECAccountDialogsTest, AccountFieldsKeepStoredSecureValuesAsSpecified) {
    OpenAlice();
    CString secure, cert;
    onDialog = [&](CDialog& d) {
        d.GetDlgItemText(CECDlgModifyAccount::IDC_SECURE_EMAIL, secure);
        d.GetDlgItemText(CECDlgModifyAccount::IDC_CERT, cert);
        Type(&d, CECDlgModifyAccount::IDC_EMAIL, "alice@example.com");
        Click(&d, IDOK);
    };
    Command(1509);
    EXPECT_EQ("已指定", secure);
    EXPECT_EQ("", cert);
    const auto form = test_net::ParseForm(LastBody("modifyaccount.asp"));
    EXPECT_EQ("已指定", test_net::FormValue(form, "SecureEmail"));
    EXPECT_EQ("alice@example.com", test_net::FormValue(form, "Email"));
    EXPECT_EQ("alice1", test_net::FormValue(form, "Password"));
    EXPECT_EQ("alice@example.com", user->GetAccount().m_strEmail);
    EXPECT_EQ("safe@example.com", user->GetAccount().m_strSecureEmail);
}

TEST_F(ECAccountDialogsTest, LeavingAMessageChecksItsInputAndShowsTheServiceReply) {
    OpenAlice();
    struct Case {
        const char* ids;
        const char* text;
        const char* message;
    };
    const Case refused[] = {
        {"20000002", "", "留言内容不能为空，请重新输入！"},
        {"none", "hello", "对方ID号无效！"},
        {"99999999999", "hello", "对方ID号无效！"},
    };
    for (const Case& c : refused) {
        shown.clear();
        CECDlgLeaveMessage dlg(user, c.ids, frame);
        onDialog = [&](CDialog& d) {
            Type(&d, CECDlgLeaveMessage::IDC_TEXT, c.text);
            Click(&d, IDOK);
            EXPECT_FALSE(DialogProbe::Ended(d)) << c.ids;
            d.EndDialog(IDCANCEL);
        };
        dlg.DoModal();
        EXPECT_TRUE(Shown(c.message)) << c.ids;
    }
    EXPECT_EQ(0u, Sent("leavemessage.asp"));

    // From the tree: the selected friend's ID is filled in.
    tree->GetTreeCtrl().SelectItem(ItemOf(kBob));
    tree->GetTreeCtrl().SetFocus();
    Pump();
    CString ids;
    onDialog = [&](CDialog& d) {
        d.GetDlgItemText(CECDlgLeaveMessage::IDC_IDS, ids);
        Type(&d, CECDlgLeaveMessage::IDC_SUBJECT, "hi");
        Type(&d, CECDlgLeaveMessage::IDC_TEXT, "see you");
        Click(&d, IDOK);
    };
    Command(1530);
    EXPECT_EQ("20000002", ids);
    EXPECT_TRUE(Shown("留言已发送"));
    std::lock_guard<std::mutex> g(service.lock);
    ASSERT_EQ(1u, service.users[kBob].inbox.size());
    EXPECT_EQ("see you", service.users[kBob].inbox[0].content);
}

TEST_F(ECAccountDialogsTest, MarkersAreFilledForOneKnownRecipientOnly) {
    OpenAlice();
    CECContact* bob = user->GetRootGroup().FindByNumber(kBob);
    CECContact* stranger = user->GetRootGroup().FindByNumber(20000003);
    bob->m_received.SetAll(-1);
    bob->m_access[0] = 0x80; // Bob may read the mobile
    // Every field received: the whole card in the two brackets; a marker twice, both replaced.
    EXPECT_EQ("【『<全部资料>』】 and 【『<全部资料>』】",
              ReplaceECMessageMarkers("%GO_ACCESSIBLE_FIELDS% and %GO_ACCESSIBLE_FIELDS%", *user,
                                      *bob));
    EXPECT_EQ("【『手机』】", ReplaceECMessageMarkers("%ACCESSIBLE_FIELDS%", *user, *bob));
    // A stranger reads by the default access (the name only here).
    EXPECT_EQ("【『姓名』】", ReplaceECMessageMarkers("%ACCESSIBLE_FIELDS%", *user, *stranger));

    // In the dialog: one recipient among the contacts fills them, two leave them.
    for (const char* to : {"20000002", "20000002,20000003", "30000000"}) {
        CString text;
        CECDlgLeaveMessage dlg(user, to, frame);
        onDialog = [&](CDialog& d) {
            static_cast<CECDlgLeaveMessage&>(d).InsertText("%ACCESSIBLE_FIELDS%");
            d.GetDlgItemText(CECDlgLeaveMessage::IDC_TEXT, text);
            d.EndDialog(IDCANCEL);
        };
        dlg.DoModal();
        EXPECT_EQ(CString(to) == "20000002" ? "【『手机』】" : "%ACCESSIBLE_FIELDS%", text) << to;
    }
}

} // namespace
