// An e-mail account in a temporary folder whose compose frames are the real ones, and a user
// who answers message boxes from a script.
#pragma once

#include "mail/EmailAccount.h"
#include "mail/EmailMessage.h"
#include "mail/ui/EditEmailFrame.h"
#include "platform/gui/WndPrivate.h"
#include "platform/gui/tests/GuiTestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QInputMethodEvent>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <string>

class MailUiTest : public ScriptedUserTest {
protected:
    QTemporaryDir dir;
    std::unique_ptr<CEmailAccount> account;

    void SetUp() override {
        InstallScriptedUser(IDOK);
        CEmailAccount::SetComposeFactory(
            [](CEmailAccount* pAccount, CEmailMessage* pMessage) -> CIEmailComposeFrame* {
                return CEditEmailFrame::Open(pAccount, pMessage);
            });
        account = std::make_unique<CEmailAccount>();
        ASSERT_TRUE(account->Create(Folder()));
        account->m_strName = "工作";
        account->m_person.m_strText[CEmailAccount::PERSON_NAME] = "张三";
        account->m_person.m_strText[CEmailAccount::PERSON_EMAIL] = "me@example.com";
        account->m_smtpServer.m_strHost = "127.0.0.1";
        account->m_smtpServer.m_dwPort = 9; // never reached: these tests do not send
    }
    void TearDown() override {
        account.reset(); // closes the frames still open
        CEmailAccount::SetComposeFactory(nullptr);
        RemoveScriptedUser();
    }
    CString Folder() const { return AfxFromQt(dir.path()) + "/acct"; }
    // A program path below the test's folder (GBK names).
    CString P(const char* name) const { return AfxFromQt(dir.path()) + "/" + name; }
    void MakeFile(const char* name, const QByteArray& content = "x") {
        const QString path = dir.path() + "/" + AfxToQt(name);
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    CEditEmailFrame* Compose(CEmailMessage* pMessage = nullptr) {
        auto* frame = dynamic_cast<CEditEmailFrame*>(account->Compose(pMessage));
        Pump();
        return frame;
    }
    CEmailBox& Box(int nKind) { return *account->FindBox(nKind); }
    // Typing as a person does: Latin keys, Chinese through the input method.
    static void Type(CWnd* w, const char* latin) { QTest::keyClicks(w->GetWidget(), latin); }
    static void TypeHanzi(CWnd* w, const char* gbk) {
        QInputMethodEvent commit;
        commit.setCommitString(AfxToQt(gbk));
        QApplication::sendEvent(w->GetWidget(), &commit);
    }
    static std::string S(const CString& s) { return s.GetString(); }
};
