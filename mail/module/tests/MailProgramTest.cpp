// The "电子邮件" folder in the running program: Ctrl+6, accounts made on their pages, kept in the
// data folder and opened again at start, removed by name, and compose frames that hold the
// program's close and an account's removal.
#include "contacts/module/tests/ProgramTest.h"
#include "mail/EmailMessage.h"
#include "mail/module/MailModule.h"
#include "mail/ui/EmailAccountsView.h"
#include "mail/ui/MailAccountPages.h"
#include "platform/base/OsPath.h"
#include "platform/gui/Controls.h"
#include "platform/gui/PropertySheet.h"
#include "shell/OutbarWnd.h"
#include "shell/RightPaneFrame.h"

#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <vector>

namespace {

// A compose frame as the account sees it, answering the program's close as the test says.
class FakeFrame : public CIEmailComposeFrame {
public:
    CEmailMessage* GetComposeMessage() const override { return message; }
    int GetCloseAction() const override { return ActionCancel; }
    void SetComposeMessage(CEmailMessage* p) override { message = p; }
    void ActivateFrame() override {}
    BOOL QueryCloseFrame() override {
        ++queries;
        return agree && account->OnComposeClosed(this);
    }
    void OnAccountClosing() override {}

    CEmailAccount* account = nullptr;
    CEmailMessage* message = nullptr;
    bool agree = false;
    int queries = 0;
};

class MailProgramTest : public ContactsProgramTest {
protected:
    MailProgramTest() : ContactsProgramTest(IDOK) {}

    CMailModule mailModule;
    std::unique_ptr<CSmsApp> app;
    CEmailAccountsView* tree = nullptr;
    std::vector<std::unique_ptr<FakeFrame>> frames;

    void SetUp() override {
        ContactsProgramTest::SetUp();
        AfxRegisterShellModule(&mailModule);
        StartApp();
    }
    void TearDown() override {
        for (auto& f : frames)
            f->agree = true;
        if (app) {
            answers.assign(8, IDNO);
            Exit(*app);
        }
        app.reset();
        CEmailAccount::SetComposeFactory(nullptr);
        ContactsProgramTest::TearDown();
    }
    void StartApp() {
        app = Start();
        ASSERT_NE(app, nullptr);
        tree = mailModule.GetTree();
        ASSERT_NE(tree, nullptr);
        // These tests hold the program's close with frames that answer as told.
        CEmailAccount::SetComposeFactory([this](CEmailAccount* pAccount, CEmailMessage* pMessage) {
            frames.push_back(std::make_unique<FakeFrame>());
            frames.back()->account = pAccount;
            frames.back()->message = pMessage;
            return frames.back().get();
        });
    }
    void Restart() {
        ASSERT_TRUE(Exit(*app));
        app.reset();
        StartApp();
    }
    std::filesystem::path MailFolder() const {
        return std::filesystem::path(dir.str()) / "home" / "Mail";
    }
    void Command(UINT id) { tree->SendMessage(WM_COMMAND, id); }
    static void Type(CWnd& page, int id, const char* text) {
        CWnd* edit = page.GetDlgItem(id);
        ASSERT_NE(nullptr, edit);
        edit->SetFocus();
        QTest::keyClicks(edit->GetWidget(), QString::fromUtf8(text));
    }
    CEmailAccount* AccountAt(int i) {
        return i < tree->GetFileCount()
                   ? dynamic_cast<CEmailAccount*>(tree->GetDocAccount(tree->GetFileAt(i)->pDoc))
                   : nullptr;
    }
};

TEST_F(MailProgramTest, CtrlSixOpensTheFolderWhereANewAccountIsSetUpAndKept) {
    CMainFrame* frame = app->GetMainFrame();
    frame->SetFocus();
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : frame->GetWidget(),
                    Qt::Key_6, Qt::ControlModifier);
    Pump();
    EXPECT_EQ(FolderMail, frame->GetOutbar()->GetSelFolder());
    EXPECT_EQ(0, tree->GetFileCount());

    // A new account opens its pages at once; what the user types there is kept.
    int sheets = 0;
    onDialog = [&](CDialog& d) {
        auto* sheet = dynamic_cast<CPropertySheet*>(&d);
        ASSERT_NE(nullptr, sheet);
        ++sheets;
        sheet->SetActivePage(0);
        Pump();
        CPropertyPage& person = *sheet->GetPage(0);
        Type(person, CPageMailAccountPerson::IDC_NAME, "Zhang San");
        Type(person, CPageMailAccountPerson::IDC_EMAIL, "zhang@example.com");
        sheet->SetActivePage(1);
        Pump();
        CPropertyPage& server = *sheet->GetPage(1);
        // A new account starts with no host, no mailbox and no password.
        CString host;
        server.GetDlgItem(CPageMailAccountServer::IDC_SMTP_HOST)->GetWindowText(host);
        EXPECT_TRUE(host.IsEmpty());
        Type(server, CPageMailAccountServer::IDC_SMTP_HOST, "127.0.0.1");
        Type(server, CPageMailAccountServer::IDC_POP3_USER, "zhang");
        Type(server, CPageMailAccountServer::IDC_POP3_PASSWORD, "secret");
        d.SendMessage(WM_COMMAND, IDOK);
    };
    Command(CMessageAccountTreeView::ID_ACCOUNT_NEW);
    EXPECT_EQ(1, sheets);
    ASSERT_EQ(1, tree->GetFileCount());
    CEmailAccount* account = AccountAt(0);
    ASSERT_NE(nullptr, account);
    EXPECT_EQ(CString("新邮件帐户"), account->GetName());
    EXPECT_EQ(4, account->GetEmailRootBox()->GetSubgroupCount());
    // Selecting the account shows its inbox.
    HTREEITEM hAccount = tree->GetFileAt(0)->hItem;
    tree->GetTreeCtrl().SelectItem(hAccount);
    tree->GetTreeCtrl().Expand(hAccount, TVE_EXPAND);
    Pump();
    EXPECT_EQ(account->FindBox(0), tree->GetCurrentDocument()->GetCurrentBoxObject());
    frame->SaveScreenshot(ScreenPath("mail-folder").c_str());

    Restart();
    ASSERT_EQ(1, tree->GetFileCount());
    account = AccountAt(0);
    ASSERT_NE(nullptr, account);
    EXPECT_EQ(CString("Zhang San"), account->m_person.m_strText[CEmailAccount::PERSON_NAME]);
    EXPECT_EQ(CString("127.0.0.1"), account->m_smtpServer.m_strHost);
    EXPECT_EQ(CString("zhang"), account->m_pop3Server.m_strUser);
    EXPECT_EQ(CString("secret"), account->m_pop3Server.m_strPassword);
    EXPECT_EQ(4, account->GetEmailRootBox()->GetSubgroupCount());
}

TEST_F(MailProgramTest, ACancelledNewAccountSheetLeavesNoAccountBehind) {
    ASSERT_NE(nullptr, tree->NewAccount("家里"));
    const auto accountFolders = [&] {
        int n = 0;
        for (const auto& entry : std::filesystem::directory_iterator(MailFolder()))
            n += entry.is_directory() ? 1 : 0;
        return n;
    };
    ASSERT_EQ(1, accountFolders());

    struct Way {
        const char* name;
        bool escape;
    };
    for (const Way& way : {Way{"Escape", true}, Way{"the cancel button", false}}) {
        SCOPED_TRACE(way.name);
        int sheets = 0;
        onDialog = [&](CDialog& d) {
            auto* sheet = dynamic_cast<CPropertySheet*>(&d);
            ASSERT_NE(nullptr, sheet);
            ++sheets;
            // Something typed first: the cancel still throws it and the account away.
            Type(*sheet->GetPage(0), CPageMailAccountPerson::IDC_NAME, "Zhang San");
            if (way.escape) {
                CWnd* name = sheet->GetPage(0)->GetDlgItem(CPageMailAccountPerson::IDC_NAME);
                QTest::keyClick(name->GetWidget(), Qt::Key_Escape);
            } else {
                CWnd* cancel = d.GetDlgItem(IDCANCEL);
                ASSERT_NE(nullptr, cancel);
                QTest::mouseClick(cancel->GetWidget(), Qt::LeftButton);
            }
        };
        Command(CMessageAccountTreeView::ID_ACCOUNT_NEW);
        onDialog = nullptr;
        EXPECT_EQ(1, sheets);
        ASSERT_EQ(1, tree->GetFileCount());
        EXPECT_EQ(CString("家里"), AccountAt(0)->GetName());
        EXPECT_EQ(1, accountFolders());
        // The tree holds the top item and the remaining account's items only.
        HTREEITEM hTop = tree->GetTreeCtrl().GetRootItem();
        ASSERT_NE(nullptr, hTop);
        int accounts = 0;
        for (HTREEITEM h = tree->GetTreeCtrl().GetChildItem(hTop); h != nullptr;
             h = tree->GetTreeCtrl().GetNextSiblingItem(h))
            ++accounts;
        EXPECT_EQ(1, accounts);
    }

    Restart();
    ASSERT_EQ(1, tree->GetFileCount());
    EXPECT_EQ(CString("家里"), AccountAt(0)->GetName());
}

TEST_F(MailProgramTest, RemovingAnAccountAsksByNameAndWaitsForItsComposeFrames) {
    onDialog = [](CDialog& d) { d.EndDialog(IDCANCEL); };
    ASSERT_NE(nullptr, tree->NewAccount("家里"));
    ASSERT_NE(nullptr, tree->NewAccount("工作"));
    ASSERT_EQ(2, tree->GetFileCount());
    HTREEITEM hWork = tree->GetFileAt(1)->hItem;
    CEmailAccount* work = AccountAt(1);
    const std::filesystem::path workFolder = OsPathFromProgramPath(work->GetFolder());
    ASSERT_TRUE(std::filesystem::exists(workFolder));

    // "写新邮件" opens a compose frame for the selected account.
    tree->GetTreeCtrl().SelectItem(hWork);
    Pump();
    Command(CEmailAccountsView::ID_WRITE_EMAIL);
    ASSERT_EQ(1u, frames.size());
    EXPECT_EQ(work, frames[0]->account);

    shown.clear();
    Command(CMessageAccountTreeView::ID_ACCOUNT_DELETE);
    ASSERT_EQ(1u, shown.size());
    EXPECT_NE(-1, shown[0].text.Find("撰写"));
    EXPECT_EQ(2, tree->GetFileCount());

    frames[0]->agree = true;
    EXPECT_TRUE(work->CloseComposeFrames());
    shown.clear();
    answers = {IDNO};
    Command(CMessageAccountTreeView::ID_ACCOUNT_DELETE);
    ASSERT_EQ(1u, shown.size());
    EXPECT_NE(-1, shown[0].text.Find("工作"));
    EXPECT_EQ(2, tree->GetFileCount());
    answers = {IDYES};
    Command(CMessageAccountTreeView::ID_ACCOUNT_DELETE);
    EXPECT_EQ(1, tree->GetFileCount());
    EXPECT_FALSE(std::filesystem::exists(workFolder));

    Restart();
    ASSERT_EQ(1, tree->GetFileCount());
    EXPECT_EQ(CString("家里"), AccountAt(0)->GetName());
}

// The mails are stored as they change, so a close asks nothing after the lists changed them; only
// settings that could not be written are asked for, by the account's own name, and 否 drops them.
TEST_F(MailProgramTest, TheCloseAsksOnlyForSettingsNotYetWritten) {
    onDialog = [](CDialog& d) { d.EndDialog(IDCANCEL); };
    ASSERT_NE(nullptr, tree->NewAccount("工作"));
    CEmailAccount* account = AccountAt(0);
    account->m_smtpServer.m_strHost = "smtp.example.com";
    ASSERT_TRUE(account->SaveSettings());
    auto* m = new CEmailMessage;
    m->SetState(3);
    m->m_strSubject = "旧邮件";
    ASSERT_TRUE(account->SaveMessage(m));
    const DWORD id = m->GetRecordId();
    Restart(); // opened from its folder, as at every start

    account = AccountAt(0);
    ASSERT_NE(nullptr, account);
    CQuillmarBaseDoc* doc = tree->GetFileAt(0)->pDoc;
    EXPECT_EQ(CString("工作"), doc->GetTitle());
    // What a list does when the user deletes a mail: the account files it in the recycle box and
    // the list marks its document.
    ASSERT_TRUE(account->GetMessage(id)->MoveToBox(account->FindBox(CMsgBoxBase::BOX_RECYCLE)));
    doc->SetModifiedFlag(TRUE);
    EXPECT_FALSE(doc->IsModified());
    shown.clear();
    Restart();
    EXPECT_TRUE(shown.empty()) << shown[0].text.GetString();
    account = AccountAt(0);
    EXPECT_EQ(account->FindBox(CMsgBoxBase::BOX_RECYCLE), account->GetMessage(id)->GetBox());

    // Settings that could not be written: 否 leaves the file as it was, 是 writes them.
    for (int answer : {IDNO, IDYES}) {
        SCOPED_TRACE(answer);
        AccountAt(0)->m_smtpServer.m_strHost = "new.example.com";
        shown.clear();
        answers = {answer};
        Restart();
        ASSERT_EQ(1u, shown.size());
        EXPECT_EQ(CString("是否保存对 工作 的更改?"), shown[0].text);
        EXPECT_EQ(CString(answer == IDYES ? "new.example.com" : "smtp.example.com"),
                  AccountAt(0)->m_smtpServer.m_strHost);
    }
}

TEST_F(MailProgramTest, TheProgramAsksEachComposeFrameBeforeItCloses) {
    onDialog = [](CDialog& d) { d.EndDialog(IDCANCEL); };
    ASSERT_NE(nullptr, tree->NewAccount("工作"));
    CEmailAccount* account = AccountAt(0);
    ASSERT_NE(nullptr, account->Compose(nullptr));
    EXPECT_FALSE(Exit(*app));
    EXPECT_EQ(1, frames[0]->queries);
    EXPECT_EQ(1, tree->GetFileCount());
    frames[0]->agree = true;
    EXPECT_TRUE(Exit(*app));
    app.reset();
}

} // namespace
