// The log-in dialog and its loop: what each kind of bad input is told, the first log-in through
// the service, the offline log-in by the stored password, clearing a user's record, a user open
// twice, and a user file that cannot be read.
#include "ECUiTestSupport.h"

#include "core/FileUtil.h"
#include "ecard/ui/ECDlgLogin.h"
#include "ecard/ui/ECFrame.h"
#include "platform/base/OsPath.h"
#include "platform/base/Sync.h"

#include <fstream>

using namespace ecard_ui_test;

namespace {

class ECLoginTest : public ECUiTest {
protected:
    CECUsersManager manager;

    void TearDown() override {
        manager.CloseAll();
        ECUiTest::TearDown();
    }
    // The next log-in dialog gets the number and password and the log-in button.
    void AnswerLogin(const char* number, const char* password) {
        onDialog = [number, password](CDialog& d) {
            if (dynamic_cast<CECDlgLogin*>(&d) == nullptr) {
                d.EndDialog(IDCANCEL);
                return;
            }
            SetText(&d, CECDlgLogin::IDC_NUMBER, number);
            Type(&d, CECDlgLogin::IDC_PASSWORD_EDIT, password);
            Click(&d, IDOK);
            if (!DialogProbe::Ended(d))
                d.EndDialog(IDCANCEL); // the dialog stayed: give up
        };
    }
};

TEST_F(ECLoginTest, BadInputIsToldAndTheDialogStays) {
    struct Case {
        const char* number;
        const char* password;
        const char* told;
    } cases[] = {
        {"", "alice1", "帐号或密码不能为空！"},
        {"20000001", "", "帐号或密码不能为空！"},
        {"0", "alice1", "SID号码无效！"},
        // One more than 32 bits would be user 0 again; far beyond, another user.
        {"4294967296", "alice1", "SID号码无效！"},
        {"4315000001", "alice1", "SID号码无效！"},
        {"20000001", "wrong!", "用户号码或密码错误"},
    };
    for (const Case& c : cases) {
        shown.clear();
        AnswerLogin(c.number, c.password);
        manager.ShowLoginDialog();
        ASSERT_EQ(1u, shown.size()) << c.number;
        EXPECT_EQ(c.told, shown[0].text) << c.number;
        EXPECT_EQ((UINT)MB_ICONSTOP, shown[0].type & MB_ICONMASK) << c.number;
        EXPECT_EQ(0, manager.GetWindowCount());
    }
    EXPECT_FALSE(FileExists(GetECUserFolder(kAlice))) << "a refused log-in writes nothing";
}

// A password the service refused is typed again from the keyboard alone: the new keys replace
// it, and Enter logs in.
TEST_F(ECLoginTest, ARefusedPasswordIsTypedAgainOverTheOld) {
    bool stayed = false;
    onDialog = [&](CDialog& d) {
        SetText(&d, CECDlgLogin::IDC_NUMBER, "20000001");
        Type(&d, CECDlgLogin::IDC_PASSWORD_EDIT, "wrong!");
        Click(&d, IDOK);
        stayed = !DialogProbe::Ended(d);
        QWidget* focus = KeyboardFocus(d);
        if (!stayed || focus == nullptr) {
            d.EndDialog(IDCANCEL);
            return;
        }
        QTest::keyClicks(focus, "alice1");
        QTest::keyClick(focus, Qt::Key_Return);
        if (!DialogProbe::Ended(d))
            d.EndDialog(IDCANCEL);
    };
    manager.ShowLoginDialog();
    EXPECT_TRUE(stayed);
    EXPECT_TRUE(Shown("用户号码或密码错误"));
    EXPECT_EQ(1, manager.GetWindowCount());
}

TEST_F(ECLoginTest, FirstLogInAsksTheServiceAndKeepsThePassword) {
    AnswerLogin("20000001", "alice1");
    manager.ShowLoginDialog();
    EXPECT_EQ(std::vector<std::string>{"checkpassword.asp"}, Pages());
    ASSERT_EQ(1, manager.GetWindowCount());
    CECFrame* frame = manager.GetWindow(0);
    EXPECT_EQ("alice1", frame->GetUserDoc()->GetUser().GetAccount().m_strPassword);
    EXPECT_EQ(kAlice, frame->GetUserNumber());
    CString title;
    frame->GetWindowText(title);
    EXPECT_EQ("墨川电子名片用户 - 20000001", title);
    EXPECT_TRUE(FileExists(GetECUserFilePath(kAlice)));
    EXPECT_EQ(EC_PASSWORD_OK, CECUsersManager::CheckUserPassword(kAlice, "alice1", FALSE));

    // Open already: refused before any password check.
    shown.clear();
    AnswerLogin("20000001", "whatever");
    manager.ShowLoginDialog();
    EXPECT_EQ(std::vector<CString>{"该用户已经登录！"}, Texts());
    EXPECT_EQ(1u, server.Requests().size());
}

TEST_F(ECLoginTest, StoredPasswordLogsInWithoutTheService) {
    StoreUser(kAlice, "alice1");
    UseNoService();
    AnswerLogin("20000001", "alice1");
    manager.ShowLoginDialog();
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(1, manager.GetWindowCount());
    EXPECT_TRUE(server.Requests().empty());
}

TEST_F(ECLoginTest, AnotherPasswordOfflineAsksAndFailsWithoutWriting) {
    StoreUser(kAlice, "alice1");
    UseNoService();
    answers = {IDNO};
    AnswerLogin("20000001", "other1");
    manager.ShowLoginDialog();
    ASSERT_EQ(1u, shown.size());
    EXPECT_EQ("本次密码与上次成功登录的密码不一致，是否需要到服务器上验证？", shown[0].text);

    shown.clear();
    answers = {IDYES};
    AnswerLogin("20000001", "other1");
    manager.ShowLoginDialog();
    ASSERT_EQ(2u, shown.size());
    EXPECT_EQ((UINT)MB_ICONSTOP, shown[1].type & MB_ICONMASK);
    EXPECT_EQ(0, manager.GetWindowCount());
    EXPECT_EQ(EC_PASSWORD_OK, CECUsersManager::CheckUserPassword(kAlice, "alice1", FALSE));
}

TEST_F(ECLoginTest, TheDefaultAddressSendsNothingAndSaysSo) {
    ASSERT_TRUE(SetServiceBaseAddress(nullptr));
    AnswerLogin("20000001", "alice1");
    manager.ShowLoginDialog();
    ASSERT_EQ(1u, shown.size());
    EXPECT_NE(-1, shown[0].text.Find("网络连接出错：尚未设置服务器地址。"))
        << shown[0].text.GetString();
    EXPECT_TRUE(server.Requests().empty());
}

TEST_F(ECLoginTest, ClearingARecordNeedsItsPassword) {
    StoreUser(kAlice, "alice1");
    StoreUser(kBob, "bob123");
    onDialog = [this](CDialog& d) {
        auto* login = dynamic_cast<CECDlgLogin*>(&d);
        ASSERT_NE(nullptr, login);
        auto* combo = static_cast<CComboBox*>(d.GetDlgItem(CECDlgLogin::IDC_NUMBER));
        EXPECT_EQ(2, combo->GetCount());
        SetText(&d, CECDlgLogin::IDC_NUMBER, "20000001");
        Type(&d, CECDlgLogin::IDC_PASSWORD_EDIT, "nope12");
        Click(&d, CECDlgLogin::IDC_CLEAR);
        EXPECT_TRUE(FileExists(GetECUserFolder(kAlice)));
        answers = {IDNO};
        Type(&d, CECDlgLogin::IDC_PASSWORD_EDIT, "alice1");
        Click(&d, CECDlgLogin::IDC_CLEAR);
        EXPECT_TRUE(FileExists(GetECUserFolder(kAlice)));
        answers = {IDYES};
        Click(&d, CECDlgLogin::IDC_CLEAR);
        EXPECT_FALSE(FileExists(GetECUserFolder(kAlice)));
        EXPECT_TRUE(FileExists(GetECUserFolder(kBob)));
        EXPECT_EQ(1, combo->GetCount());
        CString password;
        d.GetDlgItemText(CECDlgLogin::IDC_PASSWORD_EDIT, password);
        EXPECT_EQ("", password);
        // A user without a file: asked, and nothing else goes.
        answers = {IDYES};
        SetText(&d, CECDlgLogin::IDC_NUMBER, "20000009");
        Type(&d, CECDlgLogin::IDC_PASSWORD_EDIT, "any123");
        Click(&d, CECDlgLogin::IDC_CLEAR);
        EXPECT_TRUE(FileExists(GetECUserFolder(kBob)));
        d.EndDialog(IDCANCEL);
    };
    manager.ShowLoginDialog();
    EXPECT_EQ((std::vector<CString>{"访问密码错误！必须输入正确的访问密码才能清除记录。",
                                    "您确定要清除记录吗？", "您确定要清除记录吗？",
                                    "您确定要清除记录吗？"}),
              Texts());
    EXPECT_TRUE(server.Requests().empty());
}

TEST_F(ECLoginTest, AnUnreadableUserFileIsKeptAside) {
    CreateDirectoryPath(GetECUserFolder(kAlice), 4);
    {
        std::ofstream f(OsPathFromProgramPath(GetECUserFilePath(kAlice)).c_str(), std::ios::binary);
        f << "not a user file at all";
    }
    AnswerLogin("20000001", "alice1");
    manager.ShowLoginDialog();
    ASSERT_EQ(1, manager.GetWindowCount());
    EXPECT_EQ(std::vector<std::string>{"checkpassword.asp"}, Pages());
    const CString kept = GetECUserFilePath(kAlice) + ".bad";
    ASSERT_TRUE(FileExists(kept));
    std::ifstream f(OsPathFromProgramPath(kept).c_str(), std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    EXPECT_EQ("not a user file at all", bytes);
    EXPECT_EQ(EC_PASSWORD_OK, CECUsersManager::CheckUserPassword(kAlice, "alice1", FALSE));
}

TEST_F(ECLoginTest, AUserOpenInAnotherCopyIsRefused) {
    StoreUser(kAlice, "alice1");
    // What the window of another running copy holds.
    HANDLE other = CreateMutex(nullptr, FALSE, CECUsersManager::GetUserLockName(kAlice));
    AnswerLogin("20000001", "alice1");
    manager.ShowLoginDialog();
    EXPECT_EQ(std::vector<CString>{"该用户已经登录！"}, Texts());
    EXPECT_EQ(0, manager.GetWindowCount());
    CloseHandle(other);
    shown.clear();
    AnswerLogin("20000001", "alice1");
    manager.ShowLoginDialog();
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(1, manager.GetWindowCount());
}

} // namespace
