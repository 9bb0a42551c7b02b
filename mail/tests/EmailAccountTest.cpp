// The e-mail account and its boxes in a folder of their own: settings and boxes across a reopen,
// storing and filing messages, the in-place field rewrite, the compose frames' closing actions,
// and sending through a real SMTP server on loopback.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "mail/EmailAccount.h"
#include "mail/EmailMessage.h"
#include "mail/tests/MailTestSupport.h"
#include "mail/tests/SmtpPeer.h"
#include "platform/base/File.h"
#include "platform/base/OsPath.h"
#include "platform/base/tests/TempFolder.h"
#include "testsupport/SocketTestSupport.h"

using namespace mailtest;

namespace {

// A compose frame as the account sees it: it holds a message and a closing action, and answers
// the program's close as the test says.
class FakeFrame : public CIEmailComposeFrame {
public:
    CEmailMessage* GetComposeMessage() const override { return message; }
    int GetCloseAction() const override { return action; }
    void SetComposeMessage(CEmailMessage* p) override { message = p; }
    void ActivateFrame() override { ++activations; }
    BOOL QueryCloseFrame() override {
        ++queries;
        if (!agreeToClose)
            return FALSE;
        return account->OnComposeClosed(this);
    }
    void OnAccountClosing() override { accountGone = true; }

    CEmailAccount* account = nullptr;
    CEmailMessage* message = nullptr;
    int action = ActionCancel;
    int activations = 0;
    int queries = 0;
    bool agreeToClose = true;
    bool accountGone = false;
};

class EmailAccountTest : public ::testing::Test {
protected:
    void SetUp() override {
        CEmailAccount::SetComposeFactory([this](CEmailAccount* pAccount, CEmailMessage* pMessage) {
            frames.push_back(std::make_unique<FakeFrame>());
            frames.back()->account = pAccount;
            frames.back()->message = pMessage;
            return frames.back().get();
        });
    }
    void TearDown() override { CEmailAccount::SetComposeFactory(nullptr); }

    CString Folder(const char* name = "acct") const {
        return CString((m_dir.str() + "/" + name).c_str());
    }
    std::unique_ptr<CEmailAccount> Make(const char* name = "acct") {
        auto account = std::make_unique<CEmailAccount>();
        EXPECT_TRUE(account->Create(Folder(name)));
        return account;
    }
    std::unique_ptr<CEmailAccount> Reopen(const char* name = "acct") {
        auto account = std::make_unique<CEmailAccount>();
        EXPECT_TRUE(account->Open(Folder(name)));
        return account;
    }
    static CEmailMessage* NewMail(const char* subject, int state = 1) {
        auto* m = new CEmailMessage();
        m->m_strSubject = subject;
        m->SetState(state);
        m->AddRecipients("li@example.com", CEmailMessage::KIND_TO);
        m->SetText("正文");
        return m;
    }
    static std::vector<CString> Subjects(CEmailBox* pBox) {
        std::vector<CString> out;
        for (POSITION pos = pBox->GetFirstMessagePosition(); pos != nullptr;)
            if (auto* m = dynamic_cast<CEmailMessage*>(pBox->GetNextMessage(pos)))
                out.push_back(m->m_strSubject);
        return out;
    }

    test_folders::TempDir m_dir;
    std::vector<std::unique_ptr<FakeFrame>> frames;
};

TEST_F(EmailAccountTest, ANewAccountStartsEmptyWithItsFourBoxesAndKeepsItsSettings) {
    {
        auto account = Make();
        EXPECT_EQ(25u, account->m_smtpServer.m_dwPort);
        EXPECT_EQ(2u, account->m_smtpServer.m_dwAuthMode);
        EXPECT_EQ(1u, account->m_smtpServer.m_dwOptions);
        EXPECT_EQ(110u, account->m_pop3Server.m_dwPort);
        EXPECT_TRUE(account->m_smtpServer.m_strHost.IsEmpty());
        EXPECT_TRUE(account->m_pop3Server.m_strUser.IsEmpty());
        EXPECT_TRUE(account->m_pop3Server.m_strPassword.IsEmpty());
        EXPECT_TRUE(account->m_person.m_strText[CEmailAccount::PERSON_EMAIL].IsEmpty());
        account->m_strName = "工作邮箱";
        account->m_person.m_strText[CEmailAccount::PERSON_NAME] = "张三";
        account->m_smtpServer.m_strHost = "smtp.example.com";
        account->m_smtpServer.m_dwPort = 2525;
        account->m_pop3Server.m_strPassword = "秘密";
        ASSERT_TRUE(account->SaveSettings());
        // A second account cannot be made over the first.
        CEmailAccount second;
        EXPECT_FALSE(second.Create(Folder()));
    }
    auto account = Reopen();
    EXPECT_EQ(CString("工作邮箱"), account->GetName());
    EXPECT_EQ(CString("张三"), account->m_person.m_strText[CEmailAccount::PERSON_NAME]);
    EXPECT_EQ(CString("smtp.example.com"), account->m_smtpServer.m_strHost);
    EXPECT_EQ(2525u, account->m_smtpServer.m_dwPort);
    EXPECT_EQ(CString("秘密"), account->m_pop3Server.m_strPassword);
    const struct {
        int kind;
        const char* file;
    } boxes[] = {{0, "in.box"}, {1, "out.box"}, {2, "sent.box"}, {3, "recycle.box"}};
    ASSERT_EQ(4, account->GetEmailRootBox()->GetSubgroupCount());
    for (const auto& b : boxes) {
        SCOPED_TRACE(b.file);
        CEmailBox* pBox = account->FindBox(b.kind);
        ASSERT_NE(nullptr, pBox);
        EXPECT_EQ(CMsgBoxBase::GetTypeName(b.kind), pBox->GetName());
        EXPECT_EQ(account.get(), pBox->GetOwner());
        EXPECT_TRUE(std::filesystem::exists(m_dir.path() / "acct" / b.file));
    }
}

TEST_F(EmailAccountTest, DamagedSettingsOrAMissingFolderDoNotOpen) {
    CEmailAccount missing;
    EXPECT_FALSE(missing.Open(Folder("none")));
    Make().reset();
    WriteBytes(m_dir.str() + "/acct/account.dat", "\x05garbage");
    CEmailAccount damaged;
    EXPECT_FALSE(damaged.Open(Folder()));
    EXPECT_FALSE(damaged.IsOpen());
}

TEST_F(EmailAccountTest, SavingFilesByStateOnceAndReloadsAfterAReopen) {
    DWORD draftId;
    {
        auto account = Make();
        CEmailMessage* draft = NewMail("草稿", 0);
        ASSERT_TRUE(account->SaveMessage(draft));
        draftId = draft->GetRecordId();
        const int count = account->GetDatabase().GetCount();
        // Saving again rewrites under the same id and files nothing twice.
        draft->m_strSubject = "草稿二";
        ASSERT_TRUE(account->SaveMessage(draft));
        EXPECT_EQ(draftId, draft->GetRecordId());
        EXPECT_EQ(count, account->GetDatabase().GetCount());
        EXPECT_EQ(1, account->FindBox(1)->GetMessageCount());
        ASSERT_TRUE(account->SaveMessage(NewMail("已发", 2)));
        ASSERT_TRUE(account->SaveMessage(NewMail("收到", 3)));
        // One object per id while it is cached.
        EXPECT_EQ(draft, account->GetMessage(draftId));
    }
    auto account = Reopen();
    EXPECT_EQ(std::vector<CString>{"草稿二"}, Subjects(account->FindBox(1)));
    EXPECT_EQ(std::vector<CString>{"已发"}, Subjects(account->FindBox(2)));
    EXPECT_EQ(std::vector<CString>{"收到"}, Subjects(account->FindBox(0)));
    CEmailMessage* loaded = account->GetMessage(draftId);
    ASSERT_NE(nullptr, loaded);
    EXPECT_EQ(loaded, account->GetMessage(draftId));
    EXPECT_EQ(account->FindBox(1), loaded->GetBox());
    EXPECT_EQ(nullptr, account->GetMessage(999));
}

// The list's size column: the stored record's size in kilobytes, rounded up, the same after the
// mail is read back; a mail never stored shows none.
TEST_F(EmailAccountTest, AStoredMailShowsItsSizeInWholeKilobytes) {
    struct Case {
        const char* subject;
        int textBytes;
    };
    const Case cases[] = {{"短", 0}, {"一页", 3000}, {"长", 70000}};
    std::vector<std::pair<DWORD, CString>> stored;
    {
        auto account = Make();
        for (const Case& c : cases) {
            SCOPED_TRACE(c.subject);
            CEmailMessage* mail = NewMail(c.subject, 1);
            mail->SetText(CString('x', c.textBytes));
            EXPECT_EQ("", CString(mail->GetText(CEmailMessage::FIELD_SIZE)));
            ASSERT_TRUE(account->SaveMessage(mail));
            const ULONGLONG bytes = mail->GetStoredSize();
            CString expected;
            expected.Format("%lluK", (unsigned long long)((bytes + 1023) / 1024));
            EXPECT_EQ(expected, mail->GetText(CEmailMessage::FIELD_SIZE));
            EXPECT_GE(bytes, (ULONGLONG)c.textBytes);
            stored.emplace_back(mail->GetRecordId(), expected);
        }
    }
    EXPECT_EQ("1K", stored[0].second);
    auto account = Reopen();
    for (const auto& [id, text] : stored) {
        CEmailMessage* loaded = account->GetMessage(id);
        ASSERT_NE(nullptr, loaded);
        EXPECT_EQ(text, loaded->GetText(CEmailMessage::FIELD_SIZE));
    }
}

// Attached files count as they are sent (Base64), while they are there to be sent.
TEST_F(EmailAccountTest, TheSizeOfAMailCountsItsAttachments) {
    const std::string path = m_dir.str() + "/photo.jpg";
    WriteBytes(path, std::string(1000000, 'p'));
    auto account = Make();
    CEmailMessage* mail = NewMail("照片", 1);
    mail->AddAttachment(path.c_str());
    ASSERT_TRUE(account->SaveMessage(mail));
    const ULONGLONG stored = mail->GetStoredLength();
    // 1,000,000 bytes are 1,333,336 characters of Base64 in lines of 76 with their CR LF.
    const ULONGLONG sent = 1333336 + 1000000 / 57 * 2;
    CString expected;
    expected.Format("%lluK", (unsigned long long)((stored + sent + 1023) / 1024));
    EXPECT_EQ(expected, mail->GetText(CEmailMessage::FIELD_SIZE));
    EXPECT_EQ(stored + sent, mail->GetMailSize());
    std::filesystem::remove(path);
    EXPECT_EQ(stored, mail->GetMailSize());
}

TEST_F(EmailAccountTest, AMessageWithoutABoxForItsStateIsNotKept) {
    auto account = Make();
    const int count = account->GetDatabase().GetCount();
    std::unique_ptr<CEmailMessage> odd(NewMail("无处可放", 7));
    EXPECT_FALSE(account->SaveMessage(odd.get()));
    EXPECT_EQ(CMiniDBRecord::NO_ID, odd->GetRecordId());
    EXPECT_EQ(0, account->GetCachedCount());
    // The record that was appended is given up, not left for nobody to find.
    ASSERT_EQ(count + 1, account->GetDatabase().GetCount());
    CEmailMessage probe;
    EXPECT_FALSE(account->GetDatabase().Load(static_cast<DWORD>(count), &probe));
}

// A record that holds fewer bytes than the fields the account rewrites.
class ShortRecord : public CMiniDBRecord {
public:
    ULONGLONG GetStoredSize() override { return 6; }
    BOOL SaveToFile(CFile* pFile) override {
        pFile->Write("abcdef", 6);
        return TRUE;
    }
    BOOL LoadFromFile(CFile*) override { return TRUE; }
};

TEST_F(EmailAccountTest, FieldsAreRewrittenInPlaceOnlyInsideTheCurrentCopy) {
    DWORD id;
    {
        auto account = Make();
        CEmailMessage* m = NewMail("标记");
        ASSERT_TRUE(account->SaveMessage(m));
        m->m_strSubject = "第二版"; // the rewrite moves the record to a new copy
        ASSERT_TRUE(account->SaveMessage(m));
        id = m->GetRecordId();
        m->SetState(2);
        m->SetFlags(0x100);
        EXPECT_TRUE(account->UpdateMessageField(m, CEmailAccount::FIELD_STATE));
        EXPECT_TRUE(account->UpdateMessageField(m, CEmailAccount::FIELD_FLAGS));
        for (int field : {1, 5, 11})
            EXPECT_FALSE(account->UpdateMessageField(m, field)) << field;
        CEmailMessage unsaved;
        EXPECT_FALSE(account->UpdateMessageField(&unsaved, CEmailAccount::FIELD_STATE));

        ShortRecord shortRecord;
        const int shortId = account->GetDatabase().Append(&shortRecord);
        ASSERT_GE(shortId, 0);
        const ULONGLONG end = account->GetDatabase().GetDataEnd();
        CEmailMessage pretender;
        pretender.SetRecordId(static_cast<DWORD>(shortId));
        EXPECT_FALSE(account->UpdateMessageField(&pretender, CEmailAccount::FIELD_FLAGS));
        EXPECT_FALSE(account->UpdateMessageField(&pretender, CEmailAccount::FIELD_STATE));
        EXPECT_EQ(end, account->GetDatabase().GetDataEnd());
    }
    auto account = Reopen();
    CEmailMessage* m = account->GetMessage(id);
    ASSERT_NE(nullptr, m);
    EXPECT_EQ(CString("第二版"), m->m_strSubject);
    EXPECT_EQ(2, m->GetState());
    EXPECT_EQ(0x100u, m->GetFlags());
}

TEST_F(EmailAccountTest, TheSmtpLogOnComesFromThePop3RecordWhenTheOptionIsSet) {
    auto account = Make();
    account->m_smtpServer.m_strHost = "smtp.example.com";
    account->m_smtpServer.m_dwPort = 587;
    account->m_smtpServer.m_dwAuthMode = 1;
    account->m_smtpServer.m_strUser = "smtp-user";
    account->m_smtpServer.m_strPassword = "smtp-pw";
    account->m_pop3Server.m_strUser = "pop-user";
    account->m_pop3Server.m_strPassword = "pop-pw";
    const struct {
        DWORD options;
        const char* user;
        const char* password;
    } cases[] = {{1, "pop-user", "pop-pw"},
                 {3, "pop-user", "pop-pw"},
                 {0, "smtp-user", "smtp-pw"},
                 {2, "smtp-user", "smtp-pw"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.options);
        account->m_smtpServer.m_dwOptions = c.options;
        EXPECT_TRUE(account->PrepareSending());
        CSMTPClientSocket& smtp = account->GetSmtpClient();
        EXPECT_EQ(CString("smtp.example.com"), smtp.m_strHost);
        EXPECT_EQ(587u, smtp.m_nPort);
        EXPECT_EQ(1, smtp.m_nAuthMethod);
        EXPECT_EQ(CString(c.user), smtp.m_strUser);
        EXPECT_EQ(CString(c.password), smtp.m_strPassword);
    }
}

TEST_F(EmailAccountTest, ASentMessageMovesToTheSentBoxOrKeepsItsPlaceWithoutOne) {
    auto account = Make();
    CEmailMessage* first = NewMail("一");
    CEmailMessage* second = NewMail("二");
    ASSERT_TRUE(account->SaveMessage(first));
    ASSERT_TRUE(account->SaveMessage(second));
    account->OnMessageSent(first, FALSE);
    EXPECT_EQ(1, first->GetState());
    EXPECT_EQ(account->FindBox(1), first->GetBox());
    account->OnMessageSent(first, TRUE);
    EXPECT_EQ(2, first->GetState());
    EXPECT_EQ(account->FindBox(2), first->GetBox());

    ASSERT_TRUE(account->GetEmailRootBox()->RemoveSubgroup(account->FindBox(2), TRUE));
    EXPECT_FALSE(std::filesystem::exists(m_dir.path() / "acct" / "sent.box"));
    account->OnMessageSent(second, TRUE);
    EXPECT_EQ(2, second->GetState());
    EXPECT_EQ(account->FindBox(1), second->GetBox());
    const DWORD id = second->GetRecordId();
    account.reset();
    account = Reopen();
    EXPECT_EQ(3, account->GetEmailRootBox()->GetSubgroupCount());
    CEmailMessage* reloaded = account->GetMessage(id);
    ASSERT_NE(nullptr, reloaded);
    EXPECT_EQ(2, reloaded->GetState());
    EXPECT_EQ(std::vector<CString>{"二"}, Subjects(account->FindBox(1)));
}

// What a list showing the account hears: filing, moving, sending, and the account going.
class Watcher : public CEmailAccount::IObserver {
public:
    void OnEmailMessageChanged(CEmailAccount*, CEmailMessage* pMessage, CEmailBox* pOld) override {
        events.push_back({pMessage, pOld, pMessage->GetBox()});
    }
    void OnEmailAccountClosing(CEmailAccount* pAccount) override { gone = pAccount; }
    struct Event {
        CEmailMessage* message;
        CMsgBoxBase* from;
        CMsgBoxBase* to;
    };
    std::vector<Event> events;
    CEmailAccount* gone = nullptr;
};

TEST_F(EmailAccountTest, ObserversHearEveryMoveAndTheAccountGoing) {
    auto account = Make();
    Watcher watcher;
    account->AddObserver(&watcher);
    account->AddObserver(&watcher); // once is enough
    CEmailMessage* m = NewMail("观察");
    ASSERT_TRUE(account->SaveMessage(m));
    ASSERT_TRUE(account->MoveMessage(m, account->FindBox(3)));
    ASSERT_TRUE(account->MoveMessage(m, account->FindBox(1)));
    account->OnMessageSent(m, TRUE);
    ASSERT_EQ(4u, watcher.events.size());
    CMsgBoxBase* out = account->FindBox(1);
    CMsgBoxBase* recycle = account->FindBox(3);
    CMsgBoxBase* sent = account->FindBox(2);
    const std::vector<std::pair<CMsgBoxBase*, CMsgBoxBase*>> expected = {
        {nullptr, out}, {out, recycle}, {recycle, out}, {out, sent}};
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(m, watcher.events[i].message);
        EXPECT_EQ(expected[i].first, watcher.events[i].from);
        EXPECT_EQ(expected[i].second, watcher.events[i].to);
    }
    CEmailAccount* raw = account.get();
    account.reset();
    EXPECT_EQ(raw, watcher.gone);
}

TEST_F(EmailAccountTest, UserBoxesAreNamedByKindAndTheirDeletionTakesTheirMail) {
    DWORD id;
    {
        auto account = Make();
        auto* pBox = new CEmailBox(account.get(), "项目", CMsgBoxBase::BOX_OUTBOX);
        ASSERT_NE(nullptr, account->FindBox(0)->AddSubgroup(pBox));
        EXPECT_EQ(CMsgBoxBase::BOX_USER, pBox->GetBoxType());
        EXPECT_TRUE(std::filesystem::exists(m_dir.path() / "acct" / "out1.box") ||
                    std::filesystem::exists(m_dir.path() / "acct" / "out2.box"));
        CEmailMessage* m = NewMail("移走");
        ASSERT_TRUE(account->SaveMessage(m));
        ASSERT_TRUE(m->MoveToBox(pBox));
        EXPECT_EQ(0, account->FindBox(1)->GetMessageCount());
        EXPECT_EQ(1, pBox->GetMessageCount());
        id = m->GetRecordId();
    }
    auto account = Reopen();
    CEmailBox* pInbox = account->FindBox(0);
    ASSERT_EQ(1, pInbox->GetSubgroupCount());
    auto* pBox = dynamic_cast<CEmailBox*>(pInbox->GetHead());
    ASSERT_NE(nullptr, pBox);
    EXPECT_EQ(CString("项目"), pBox->GetName());
    EXPECT_EQ(std::vector<CString>{"移走"}, Subjects(pBox));
    const CString file = pBox->GetFilePath();
    ASSERT_TRUE(pInbox->RemoveSubgroup(pBox, TRUE));
    EXPECT_FALSE(std::filesystem::exists(file.GetString()));
    CEmailMessage probe;
    EXPECT_FALSE(account->GetDatabase().Load(id, &probe));
    account.reset();
    account = Reopen();
    EXPECT_EQ(0, account->FindBox(0)->GetSubgroupCount());
}

TEST_F(EmailAccountTest, ABoxFileThatNamesItselfOpensOnce) {
    Make().reset();
    // The root lists itself and the inbox lists the root: both would open without end.
    {
        CEmailBox root;
        ASSERT_TRUE(root.Open(Folder() + "/root.box"));
        root.AddSubgroupName("root.box");
        ASSERT_TRUE(root.Save());
    }
    {
        CEmailBox inbox;
        ASSERT_TRUE(inbox.Open(Folder() + "/in.box"));
        inbox.AddSubgroupName("root.box");
        inbox.AddSubgroupName("../outside.box");
        ASSERT_TRUE(inbox.Save());
    }
    auto account = Reopen();
    EXPECT_EQ(4, account->GetEmailRootBox()->GetSubgroupCount());
    EXPECT_EQ(0, account->FindBox(0)->GetSubgroupCount());
}

TEST_F(EmailAccountTest, ComposeFramesAreOnePerMessageAndCloseByTheirAction) {
    auto account = Make();
    // Cancel: a message in no box goes with the frame.
    CIEmailComposeFrame* pNew = account->Compose(nullptr);
    ASSERT_EQ(1u, frames.size());
    frames[0]->message = NewMail("取消");
    EXPECT_TRUE(account->OnComposeClosed(pNew));
    EXPECT_EQ(nullptr, frames[0]->message);
    EXPECT_EQ(0, account->GetComposeFrameCount());

    // Keep: stored and filed by its state; opened again, the same frame comes forward.
    CEmailMessage* kept = NewMail("保存", 0);
    account->Compose(kept);
    frames[1]->action = CIEmailComposeFrame::ActionKeep;
    EXPECT_EQ(frames[1].get(), account->Compose(kept));
    EXPECT_EQ(1, frames[1]->activations);
    EXPECT_EQ(2u, frames.size());
    // While it is being composed the message neither goes nor moves, nor does its box.
    EXPECT_TRUE(account->OnComposeClosed(frames[1].get()));
    EXPECT_EQ(account->FindBox(1), kept->GetBox());
    account->Compose(kept);
    EXPECT_TRUE(account->IsMessageBusy(kept));
    EXPECT_FALSE(account->FindBox(1)->RemoveMessage(kept, TRUE));
    EXPECT_FALSE(kept->MoveToBox(account->FindBox(3)));
    EXPECT_FALSE(account->GetEmailRootBox()->RemoveSubgroup(account->FindBox(1), TRUE));
    EXPECT_EQ(account->FindBox(1), kept->GetBox());

    // The program's close asks each frame; one that stays keeps the program open.
    frames[2]->agreeToClose = false;
    EXPECT_FALSE(account->CloseComposeFrames());
    EXPECT_EQ(1, frames[2]->queries);
    frames[2]->agreeToClose = true;
    frames[2]->action = CIEmailComposeFrame::ActionCancel;
    EXPECT_TRUE(account->CloseComposeFrames());
    // Cancelling a stored message leaves it where it is.
    EXPECT_EQ(account->FindBox(1), kept->GetBox());
    EXPECT_TRUE(account->FindBox(1)->RemoveMessage(kept, TRUE));
}

TEST_F(EmailAccountTest, AMailThatCannotBeStoredStaysWithItsFrame) {
    auto account = Make();
    CEmailMessage* m = NewMail("存不下");
    FakeFrame* frame = static_cast<FakeFrame*>(account->Compose(m));
    frame->action = CIEmailComposeFrame::ActionSend;
    account->GetDatabase().Close();
    EXPECT_FALSE(account->OnComposeClosed(frame));
    EXPECT_EQ(m, frame->message);
    EXPECT_EQ(1, account->GetComposeFrameCount());
    EXPECT_EQ(0, account->GetSmtpClient().GetQueueCount());
    // The account going closes the frame without a question and frees its message.
    account.reset();
    EXPECT_TRUE(frame->accountGone);
    EXPECT_EQ(nullptr, frame->message);
}

TEST_F(EmailAccountTest, SendingNeedsAHostASenderAndARecipient) {
    auto account = Make();
    std::unique_ptr<CEmailMessage> m(NewMail("检查"));
    EXPECT_FALSE(account->GetSendProblem(m.get()).IsEmpty());
    account->m_smtpServer.m_strHost = "127.0.0.1";
    EXPECT_NE(-1, account->GetSendProblem(m.get()).Find("电子邮件地址"));
    account->m_person.m_strText[CEmailAccount::PERSON_EMAIL] = "me@example.com";
    CRegEmailAddress sender;
    account->FillSender(sender);
    m->m_sender = sender;
    EXPECT_TRUE(account->GetSendProblem(m.get()).IsEmpty());
    m->m_to.RemoveAll();
    EXPECT_NE(-1, account->GetSendProblem(m.get()).Find("收件人"));
    m->AddRecipients("bad address@example.com", CEmailMessage::KIND_BCC);
    EXPECT_NE(-1, account->GetSendProblem(m.get()).Find("bad address"));
}

TEST_F(EmailAccountTest, TheReplyAddressFallsBackToTheSender) {
    auto account = Make();
    account->m_person.m_strText[CEmailAccount::PERSON_NAME] = "张三";
    account->m_person.m_strText[CEmailAccount::PERSON_EMAIL] = "Zhang <zhang@example.com>";
    CRegEmailAddress a;
    account->FillReplyTo(a);
    EXPECT_EQ(CString("张三"), a.m_strName);
    EXPECT_EQ(CString("zhang@example.com"), a.m_strAddress);
    account->m_person.m_strText[CEmailAccount::PERSON_REPLY_TO] = "reply@example.com";
    account->FillReplyTo(a);
    EXPECT_EQ(CString("reply@example.com"), a.m_strAddress);
    account->FillSender(a);
    EXPECT_EQ(CString("zhang@example.com"), a.m_strAddress);
    EXPECT_EQ(CString("Quillmar"), account->GetMailerName());
}

// Sending through a real server on loopback: the account logs on as its POP3 user, the mail
// moves to the sent box in state 2; a refused recipient or a server that is down leave it in
// the outbox in state 1, also after a reopen.
class EmailAccountSendTest : public EmailAccountTest {
protected:
    static constexpr const char* kUser = "pop-user";
    static constexpr const char* kPassword = "pop-secret";

    void SetUp() override {
        EmailAccountTest::SetUp();
        ASSERT_TRUE(
            peer.Start({"/usr/bin/python3", std::string(MAIL_TESTS_DIR) + "/smtp_peer_aiosmtpd.py",
                        kUser, kPassword}))
            << peer.Error();
    }
    void SetUpAccount(CEmailAccount& account, UINT port) {
        account.m_smtpServer.m_strHost = "127.0.0.1";
        account.m_smtpServer.m_dwPort = port;
        account.m_smtpServer.m_strUser = "wrong";
        account.m_smtpServer.m_strPassword = "wrong";
        account.m_pop3Server.m_strUser = kUser;
        account.m_pop3Server.m_strPassword = kPassword;
        account.m_person.m_strText[CEmailAccount::PERSON_EMAIL] = "me@example.com";
    }
    CEmailMessage* Send(CEmailAccount& account, const char* subject, const char* to) {
        CEmailMessage* m = NewMail(subject);
        m->m_to.RemoveAll();
        m->AddRecipients(to, CEmailMessage::KIND_TO);
        account.FillSender(m->m_sender);
        auto* frame = static_cast<FakeFrame*>(account.Compose(nullptr));
        frame->message = m;
        frame->action = CIEmailComposeFrame::ActionSend;
        EXPECT_TRUE(account.OnComposeClosed(frame));
        EXPECT_TRUE(events.RunUntil(
            [&] {
                return !account.GetSmtpClient().IsBusy() &&
                       account.GetSmtpClient().GetQueueCount() == 0;
            },
            20000))
            << subject << " state " << account.GetSmtpClient().m_nState << " queue "
            << account.GetSmtpClient().GetQueueCount() << "\n"
            << peer.Log();
        return m;
    }

    test_net::ScopedPollSource events{2000, 5000};
    SmtpPeer peer;
};

TEST_F(EmailAccountSendTest, TheServerTakesItOrTheMailStaysInTheOutbox) {
    DWORD sentId, refusedId, downId;
    // What the user is told of mails that did not go.
    std::vector<std::string> told;
    CEmailAccount::SetSendFailureHandler(
        [&](CEmailAccount*, const CString& text) { told.emplace_back((LPCTSTR)text); });
    {
        auto account = Make();
        SetUpAccount(*account, peer.Port());
        CEmailMessage* sent = Send(*account, "送达", "li@example.com");
        EXPECT_TRUE(told.empty()) << told.front();
        EXPECT_EQ(2, sent->GetState());
        EXPECT_EQ(account->FindBox(2), sent->GetBox());
        EXPECT_NE(std::string::npos, peer.Envelope(1).find("li@example.com")) << peer.Log();
        sentId = sent->GetRecordId();

        CEmailMessage* refused = Send(*account, "被拒", "refused@example.com");
        EXPECT_EQ(1, refused->GetState());
        EXPECT_EQ(account->FindBox(1), refused->GetBox());
        refusedId = refused->GetRecordId();
        ASSERT_EQ(1u, told.size());
        EXPECT_NE(std::string::npos, told[0].find("拒绝")) << told[0];
        EXPECT_NE(std::string::npos, told[0].find("550")) << told[0];


        const UINT closedPort = static_cast<UINT>(test_net::FreeLoopbackPort());
        SetUpAccount(*account, closedPort);
        CEmailMessage* down = Send(*account, "服务器停了", "li@example.com");
        EXPECT_EQ(1, down->GetState());
        EXPECT_EQ(account->FindBox(1), down->GetBox());
        downId = down->GetRecordId();
        ASSERT_EQ(2u, told.size()) << "a server that is down is not passed over in silence";
        EXPECT_NE(std::string::npos, told[1].find("没有发出"));
        EXPECT_NE(std::string::npos, told[1].find("127.0.0.1"));
        EXPECT_NE(std::string::npos, told[1].find(std::to_string(closedPort)));
        // The refusal heard in the last session is not taken for this one's outcome.
        EXPECT_NE(std::string::npos, told[1].find("无法连接")) << told[1];
        EXPECT_EQ(std::string::npos, told[1].find("550")) << told[1];
        EXPECT_EQ(0, account->GetSmtpClient().GetLastReplyCode());
    }
    CEmailAccount::SetSendFailureHandler(nullptr);
    auto account = Reopen();
    EXPECT_EQ(2, account->GetMessage(sentId)->GetState());
    EXPECT_EQ(account->FindBox(2), account->GetMessage(sentId)->GetBox());
    for (DWORD id : {refusedId, downId}) {
        CEmailMessage* m = account->GetMessage(id);
        ASSERT_NE(nullptr, m);
        EXPECT_EQ(1, m->GetState());
        EXPECT_EQ(account->FindBox(1), m->GetBox());
    }
}

// A mail whose attached file is gone by the time it is sent stays in the outbox, and the user is
// told which file could not be read; a refusal is not made of it.
TEST_F(EmailAccountSendTest, AMailWhoseAttachmentIsGoneStaysInTheOutbox) {
    std::vector<std::string> told;
    CEmailAccount::SetSendFailureHandler(
        [&](CEmailAccount*, const CString& text) { told.emplace_back((LPCTSTR)text); });
    const std::string path = m_dir.str() + "/报价单.xls";
    WriteBytes(OsPathFromProgramPath(path.c_str()), "price");
    DWORD id;
    {
        auto account = Make();
        SetUpAccount(*account, peer.Port());
        CEmailMessage* m = NewMail("报价");
        account->FillSender(m->m_sender);
        m->AddAttachment(path.c_str());
        std::filesystem::remove(OsPathFromProgramPath(path.c_str()));
        auto* frame = static_cast<FakeFrame*>(account->Compose(nullptr));
        frame->message = m;
        frame->action = CIEmailComposeFrame::ActionSend;
        ASSERT_TRUE(account->OnComposeClosed(frame));
        ASSERT_TRUE(events.RunUntil([&] { return !told.empty(); }, 20000)) << peer.Log();
        EXPECT_EQ(1, m->GetState());
        EXPECT_EQ(account->FindBox(1), m->GetBox());
        id = m->GetRecordId();
    }
    CEmailAccount::SetSendFailureHandler(nullptr);
    ASSERT_EQ(1u, told.size());
    EXPECT_NE(std::string::npos, told[0].find("无法读取附件 " + path)) << told[0];
    EXPECT_NE(std::string::npos, told[0].find("报价")) << told[0];
    EXPECT_EQ(std::string::npos, told[0].find("拒绝")) << told[0];
    EXPECT_EQ("", peer.Envelope(1));
    auto account = Reopen();
    ASSERT_NE(nullptr, account->GetMessage(id));
    EXPECT_EQ(account->FindBox(1), account->GetMessage(id)->GetBox());
}

TEST_F(EmailAccountSendTest, QuittingDuringASendLosesNothing) {
    DWORD id;
    {
        auto account = Make();
        SetUpAccount(*account, peer.Port());
        CEmailMessage* m = NewMail("半路退出");
        account->FillSender(m->m_sender);
        auto* frame = static_cast<FakeFrame*>(account->Compose(nullptr));
        frame->message = m;
        frame->action = CIEmailComposeFrame::ActionSend;
        ASSERT_TRUE(account->OnComposeClosed(frame));
        EXPECT_TRUE(account->IsMessageBusy(m));
        id = m->GetRecordId();
        // The account goes while its session runs.
    }
    events.Settle(200);
    auto account = Reopen();
    CEmailMessage* m = account->GetMessage(id);
    ASSERT_NE(nullptr, m);
    EXPECT_EQ(1, m->GetState());
    EXPECT_EQ(account->FindBox(1), m->GetBox());
}

} // namespace
