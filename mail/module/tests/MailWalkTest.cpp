// A mail written and sent as a person does it in the running program: Ctrl+6, a new account set
// up on its pages (the SMTP server logged on to as the POP3 user), the compose frame's fields
// typed, a folder and a file dropped, and the send to a real SMTP server on loopback. The sent
// box lists the mail in state 2, also after a restart; a refused recipient or a server that is
// down leave the mail in the outbox in state 1.
#include "contacts/module/tests/ProgramTest.h"
#include "mail/EmailMessage.h"
#include "mail/module/MailModule.h"
#include "mail/tests/MailTestSupport.h"
#include "mail/tests/SmtpPeer.h"
#include "mail/ui/EditEmailFrame.h"
#include "mail/ui/EmailAccountsView.h"
#include "mail/ui/MailAccountPages.h"
#include "platform/base/OsPath.h"
#include "platform/gui/Controls.h"
#include "platform/gui/PropertySheet.h"
#include "platform/gui/ShellServices.h"
#include "platform/gui/WndPrivate.h"
#include "shell/OutbarWnd.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QTest>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr const char* kUser = "pop-user";
constexpr const char* kPassword = "pop-secret";

class MailWalkTest : public ContactsProgramTest {
protected:
    MailWalkTest() : ContactsProgramTest(IDOK) {}

    CMailModule mailModule;
    mailtest::SmtpPeer peer;
    std::unique_ptr<CSmsApp> app;
    CEmailAccountsView* tree = nullptr;

    void SetUp() override {
        ContactsProgramTest::SetUp();
        ASSERT_TRUE(
            peer.Start({"/usr/bin/python3", std::string(MAIL_TESTS_DIR) + "/smtp_peer_aiosmtpd.py",
                        kUser, kPassword}))
            << peer.Error();
        AfxRegisterShellModule(&mailModule);
        StartApp();
    }
    void TearDown() override {
        if (app) {
            answers.assign(8, IDNO);
            Exit(*app);
        }
        app.reset();
        ContactsProgramTest::TearDown();
    }
    void StartApp() {
        app = Start();
        ASSERT_NE(app, nullptr);
        tree = mailModule.GetTree();
        ASSERT_NE(tree, nullptr);
    }
    CString P(const char* name) const { return (dir.str() + "/" + name).c_str(); }
    void MakeFile(const char* name, const std::string& bytes) {
        const std::filesystem::path path = OsPathFromProgramPath(P(name));
        std::filesystem::create_directories(path.parent_path());
        mailtest::WriteBytes(path.string(), bytes);
    }
    static void Type(CWnd* w, const char* latin) {
        w->SetFocus();
        QTest::keyClicks(w->GetWidget(), latin);
    }
    // Chinese comes through the input method.
    static void TypeHanzi(CWnd* w, const char* gbk) {
        w->SetFocus();
        QInputMethodEvent commit;
        commit.setCommitString(AfxToQt(gbk));
        QApplication::sendEvent(w->GetWidget(), &commit);
    }
    CEmailAccount* Account() {
        return tree->GetFileCount() > 0
                   ? dynamic_cast<CEmailAccount*>(tree->GetDocAccount(tree->GetFileAt(0)->pDoc))
                   : nullptr;
    }
    // 写新邮件 from the tree's menu; the frame it opened.
    CEditEmailFrame* WriteNew() {
        tree->SendMessage(WM_COMMAND, CEmailAccountsView::ID_WRITE_EMAIL);
        Pump();
        CEmailAccount* account = Account();
        return account != nullptr ? dynamic_cast<CEditEmailFrame*>(account->GetComposeFrameAt(
                                        account->GetComposeFrameCount() - 1))
                                  : nullptr;
    }
    CWnd* Field(CEditEmailFrame* f, UINT id) { return f->GetHeaderBar().GetDlgItem(id); }
    CWnd* Body(CEditEmailFrame* f) { return &f->GetBodyView()->GetEditCtrl(); }
    // Sends from the frame and waits for the session to end.
    void Send(CEditEmailFrame* f) {
        const HWND h = f->GetSafeHwnd();
        f->SendMessage(WM_COMMAND, CEditEmailFrame::ID_SEND);
        EXPECT_FALSE(::IsWindow(h));
        EXPECT_TRUE(WaitFor([&] { return !Account()->GetSmtpClient().IsBusy(); }, 20000))
            << peer.Log();
        Pump();
    }
    static std::vector<CEmailMessage*> Mails(CEmailBox* pBox) {
        std::vector<CEmailMessage*> out;
        for (POSITION pos = pBox->GetFirstMessagePosition(); pos != nullptr;)
            if (auto* m = dynamic_cast<CEmailMessage*>(pBox->GetNextMessage(pos)))
                out.push_back(m);
        return out;
    }
    std::string ReadBack(int n) {
        const std::string out = dir.str() + "/read.txt";
        const std::string command = "/usr/bin/python3 " + std::string(MAIL_TESTS_DIR) +
                                    "/read_mail.py " + peer.TextPath(n) + " > " + out + " 2>&1";
        EXPECT_EQ(0, std::system(command.c_str())) << mailtest::ReadBytes(out);
        return mailtest::ReadBytes(out);
    }
};

TEST_F(MailWalkTest, AMailWrittenInTheProgramReachesTheServerAndTheSentBox) {
    CMainFrame* frame = app->GetMainFrame();
    frame->SetFocus();
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : frame->GetWidget(),
                    Qt::Key_6, Qt::ControlModifier);
    Pump();
    ASSERT_EQ(FolderMail, frame->GetOutbar()->GetSelFolder());

    // The new account's pages: identity, servers, and the port in the advanced dialog.
    onDialog = [&](CDialog& d) {
        if (dynamic_cast<CPropertySheet*>(&d) == nullptr) {
            Pump();
            CWnd* port = d.GetDlgItem(CDlgMailServerAdvConfig::IDC_SMTP_PORT);
            port->SetFocus();
            port->SetWindowText("");
            QTest::keyClicks(port->GetWidget(), QString::number(peer.Port()));
            QTest::mouseClick(d.GetDlgItem(IDOK)->GetWidget(), Qt::LeftButton);
            return;
        }
        auto& sheet = static_cast<CPropertySheet&>(d);
        sheet.SetActivePage(0);
        Pump();
        CPropertyPage& person = *sheet.GetPage(0);
        Type(person.GetDlgItem(CPageMailAccountPerson::IDC_NAME), "Zhang San");
        Type(person.GetDlgItem(CPageMailAccountPerson::IDC_EMAIL), "zhang@example.com");
        sheet.SetActivePage(1);
        Pump();
        CPropertyPage& server = *sheet.GetPage(1);
        Type(server.GetDlgItem(CPageMailAccountServer::IDC_SMTP_HOST), "127.0.0.1");
        Type(server.GetDlgItem(CPageMailAccountServer::IDC_POP3_USER), kUser);
        Type(server.GetDlgItem(CPageMailAccountServer::IDC_POP3_PASSWORD), kPassword);
        QTest::mouseClick(server.GetDlgItem(CPageMailAccountServer::IDC_ADVANCED)->GetWidget(),
                          Qt::LeftButton);
        d.SendMessage(WM_COMMAND, IDOK);
    };
    tree->SendMessage(WM_COMMAND, CMessageAccountTreeView::ID_ACCOUNT_NEW);
    CEmailAccount* account = Account();
    ASSERT_NE(nullptr, account);
    ASSERT_EQ(peer.Port(), account->m_smtpServer.m_dwPort);
    // The SMTP server has a login of its own that must not be used: the POP3 one is.
    account->m_smtpServer.m_strUser = "smtp-user";
    account->m_smtpServer.m_strPassword = "wrong";

    MakeFile("drop/one.txt", "first\r\n");
    std::string binary;
    for (int i = 0; i < 3000; ++i)
        binary += static_cast<char>(i * 37 % 256);
    MakeFile("drop/sub/data.bin", binary);
    MakeFile("报价单.txt", "price 100");

    CEditEmailFrame* f = WriteNew();
    ASSERT_NE(nullptr, f);
    Type(Field(f, CEditEmailHeaderBar::IDC_TO), "li@example.com");
    Type(Field(f, CEditEmailHeaderBar::IDC_CC), "wang@example.com");
    Type(Field(f, CEditEmailHeaderBar::IDC_BCC), "secret@example.com");
    TypeHanzi(Field(f, CEditEmailHeaderBar::IDC_SUBJECT), "周报");
    TypeHanzi(Body(f), "各位好，附件是报价单。");
    CStringArray paths;
    paths.Add(P("drop"));
    paths.Add(P("报价单.txt"));
    f->SendMessage(WM_DROPFILES, (WPARAM)AfxMakeDrop(paths, POINT{20, 20}), 0);
    Pump();
    ASSERT_EQ(3, f->GetFileList().GetItemCount());
    Send(f);

    // What the server took: the log-on, every recipient, and the mail as a reader sees it.
    const std::string env = peer.Envelope(1);
    EXPECT_NE(std::string::npos, env.find(std::string("auth LOGIN ") + kUser)) << env;
    for (const char* rcpt : {"li@example.com", "wang@example.com", "secret@example.com"})
        EXPECT_NE(std::string::npos, env.find(std::string("rcpt ") + rcpt)) << env;
    EXPECT_EQ(std::string::npos, peer.Text(1).find("secret@example.com"));
    const std::string read = ReadBack(1);
    using mailtest::Hex;
    EXPECT_NE(std::string::npos, read.find("header Subject " + Hex("周报"))) << read;
    EXPECT_NE(std::string::npos, read.find(Hex("各位好，附件是报价单。"))) << read;
    EXPECT_NE(std::string::npos, read.find(Hex("报价单.txt") + " " + Hex("price 100"))) << read;
    EXPECT_NE(std::string::npos, read.find(Hex("data.bin") + " " + Hex(binary))) << read;
    EXPECT_NE(std::string::npos, read.find(Hex("one.txt") + " " + Hex("first\r\n"))) << read;

    ASSERT_EQ(1u, Mails(account->FindBox(2)).size());
    EXPECT_EQ(2, Mails(account->FindBox(2))[0]->GetState());
    EXPECT_TRUE(Mails(account->FindBox(1)).empty());

    // A refused recipient, then a server that is down: both stay in the outbox, waiting.
    f = WriteNew();
    ASSERT_NE(nullptr, f);
    Type(Field(f, CEditEmailHeaderBar::IDC_TO), "refused@example.com");
    TypeHanzi(Field(f, CEditEmailHeaderBar::IDC_SUBJECT), "被拒");
    Send(f);
    account->m_smtpServer.m_dwPort = static_cast<DWORD>(test_net::FreeLoopbackPort());
    f = WriteNew();
    ASSERT_NE(nullptr, f);
    Type(Field(f, CEditEmailHeaderBar::IDC_TO), "li@example.com");
    TypeHanzi(Field(f, CEditEmailHeaderBar::IDC_SUBJECT), "服务器停了");
    Send(f);
    ASSERT_EQ(2u, Mails(account->FindBox(1)).size());
    for (CEmailMessage* m : Mails(account->FindBox(1)))
        EXPECT_EQ(1, m->GetState());
    account->SaveSettings();

    ASSERT_TRUE(Exit(*app));
    app.reset();
    StartApp();
    account = Account();
    ASSERT_NE(nullptr, account);
    const std::vector<CEmailMessage*> sent = Mails(account->FindBox(2));
    ASSERT_EQ(1u, sent.size());
    EXPECT_EQ(2, sent[0]->GetState());
    EXPECT_EQ(mailtest::S(CString("周报")), mailtest::S(sent[0]->m_strSubject));
    const std::vector<CEmailMessage*> waiting = Mails(account->FindBox(1));
    ASSERT_EQ(2u, waiting.size());
    for (CEmailMessage* m : waiting)
        EXPECT_EQ(1, m->GetState());
}

} // namespace
