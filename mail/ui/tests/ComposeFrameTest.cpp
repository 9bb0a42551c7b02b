// The compose frame driven as a person does: typing, Ctrl+S, dropping files and folders, closing
// with and without changes, and the mails it hands to its account.
#include "MailUiTestSupport.h"

#include "platform/gui/ShellServices.h"

namespace {

class ComposeFrameTest : public MailUiTest {
protected:
    CWnd* Field(CEditEmailFrame* f, UINT id) { return f->GetHeaderBar().GetDlgItem(id); }
    CWnd* Body(CEditEmailFrame* f) { return &f->GetBodyView()->GetEditCtrl(); }
    void Fill(CEditEmailFrame* f) {
        Type(Field(f, CEditEmailHeaderBar::IDC_TO), "li@example.com; Wang <wang@example.com>");
        Type(Field(f, CEditEmailHeaderBar::IDC_CC), "cc@example.com");
        Type(Field(f, CEditEmailHeaderBar::IDC_BCC), "hidden@example.com");
        TypeHanzi(Field(f, CEditEmailHeaderBar::IDC_SUBJECT), "周报");
        TypeHanzi(Body(f), "你好");
        QTest::keyClick(Body(f)->GetWidget(), Qt::Key_Return);
        Type(Body(f), "line 2");
    }
    void CtrlS(CEditEmailFrame* f) {
        QTest::keyClick(Body(f)->GetWidget(), Qt::Key_S, Qt::ControlModifier);
        Pump();
    }
    int Stored() { return account->GetDatabase().GetCount(); }
};

TEST_F(ComposeFrameTest, TypedFieldsAreSavedByCtrlSWhileTheFrameStaysOpenAndTwiceStoresOnce) {
    CEditEmailFrame* f = Compose();
    ASSERT_NE(nullptr, f);
    const HWND hFrame = f->m_hWnd;
    Fill(f);
    CtrlS(f);
    ASSERT_TRUE(::IsWindow(hFrame));
    EXPECT_TRUE(shown.empty());
    CEmailMessage* m = f->GetComposeMessage();
    ASSERT_NE(nullptr, m);
    EXPECT_EQ(1, m->GetState());
    EXPECT_EQ(&Box(1), m->GetBox());
    EXPECT_EQ(1, Stored());
    const DWORD id = m->GetRecordId();
    EXPECT_EQ(2, m->GetRecipients(CEmailMessage::KIND_TO)->GetCount());
    EXPECT_EQ("wang@example.com", S(m->GetRecipients(CEmailMessage::KIND_TO)->GetAt(1)->m_strAddress));
    EXPECT_EQ(1, m->GetRecipients(CEmailMessage::KIND_BCC)->GetCount());
    EXPECT_EQ("周报", S(m->m_strSubject));
    EXPECT_EQ("你好\r\nline 2", S(m->GetPlainText()));
    EXPECT_EQ("me@example.com", S(m->m_sender.m_strAddress));
    EXPECT_EQ("Quillmar", S(m->m_strMailer));
    EXPECT_FALSE(m->IsMime());
    EXPECT_FALSE(f->IsChanged());

    // Changed and saved again: the same record is rewritten.
    Type(Field(f, CEditEmailHeaderBar::IDC_SUBJECT), " v2");
    EXPECT_TRUE(f->IsChanged());
    CtrlS(f);
    EXPECT_EQ(1, Stored());
    EXPECT_EQ(1, Box(1).GetMessageCount());
    EXPECT_EQ(id, f->GetComposeMessage()->GetRecordId());

    // Nothing changed since: closing asks nothing, and the mail is kept as saved.
    f->SendMessage(WM_CLOSE);
    Pump();
    EXPECT_FALSE(::IsWindow(hFrame));
    EXPECT_TRUE(shown.empty());
    account.reset();
    CEmailAccount again;
    ASSERT_TRUE(again.Open(Folder()));
    CEmailMessage* back = again.GetMessage(id);
    ASSERT_NE(nullptr, back);
    EXPECT_EQ("周报 v2", S(back->m_strSubject));
    EXPECT_EQ(1, back->GetState());
}

TEST_F(ComposeFrameTest, OpeningAStoredMailShowsItAndOneMailHasOneFrame) {
    MakeFile("files/a.txt");
    auto* m = new CEmailMessage;
    m->AddRecipients("李四 <li@example.com>, b@example.com", CEmailMessage::KIND_TO);
    m->AddRecipients("c@example.com", CEmailMessage::KIND_CC);
    m->m_strSubject = "旧邮件";
    m->SetText("正文");
    m->AddAttachment(P("files/a.txt"));
    m->SetState(1);
    ASSERT_TRUE(account->SaveMessage(m));
    CEditEmailFrame* f = Compose(m);
    ASSERT_NE(nullptr, f);
    EXPECT_EQ(f, Compose(m));
    EXPECT_EQ(1, account->GetComposeFrameCount());
    EXPECT_TRUE(account->IsMessageBusy(m));
    EXPECT_EQ("李四 <li@example.com>; b@example.com",
              S(f->GetHeaderBar().GetField(CEditEmailHeaderBar::IDC_TO)));
    EXPECT_EQ("c@example.com", S(f->GetHeaderBar().GetField(CEditEmailHeaderBar::IDC_CC)));
    EXPECT_EQ("正文", S(f->GetBodyView()->GetText()));
    EXPECT_EQ(1, f->GetFileList().GetItemCount());
    EXPECT_TRUE(f->GetAttachBar().GetStyle() & WS_VISIBLE);
    EXPECT_FALSE(f->IsChanged());
    // Saved again from its frame, the mail keeps one attachment, not two.
    EXPECT_TRUE(f->SaveNow());
    EXPECT_EQ(1, m->GetAttachmentCount());
    EXPECT_TRUE(m->IsMime());
}

TEST_F(ComposeFrameTest, DroppedFoldersAndFilesBecomeTheAttachmentsOfAMimeMail) {
    MakeFile("drop/one.txt", "1");
    MakeFile("drop/sub/two.bin", "22");
    MakeFile("single.txt", "3");
    // A path longer than the classic 260 characters is taken whole.
    const std::string longDir = "long/" + std::string(120, 'd') + "/" + std::string(120, 'e');
    MakeFile((longDir + "/far.txt").c_str(), "4");
    CEditEmailFrame* f = Compose();
    ASSERT_NE(nullptr, f);
    EXPECT_FALSE(f->GetAttachBar().GetStyle() & WS_VISIBLE);
    Type(Field(f, CEditEmailHeaderBar::IDC_TO), "li@example.com");
    Type(Body(f), "short");
    CStringArray paths;
    paths.Add(P("drop"));
    paths.Add(P("single.txt"));
    paths.Add(P("drop/one.txt")); // already brought by its folder
    paths.Add(P((longDir + "/far.txt").c_str()));
    ASSERT_GT(paths[3].GetLength(), 260);
    f->SendMessage(WM_DROPFILES, (WPARAM)AfxMakeDrop(paths, POINT{20, 20}), 0);
    Pump();
    EXPECT_TRUE(f->GetAttachBar().GetStyle() & WS_VISIBLE);
    ASSERT_EQ(4, f->GetFileList().GetItemCount());
    EXPECT_EQ(S(paths[3]), S(f->GetFileList().GetPath(3)));
    EXPECT_TRUE(f->IsChanged());
    TypeHanzi(Field(f, CEditEmailHeaderBar::IDC_SUBJECT), "附件");
    f->MoveWindow(0, 0, 760, 520);
    Pump();
    f->SaveScreenshot(ScreenPath("mail-compose").c_str());

    const HWND hFrame = f->m_hWnd;
    f->SendMessage(WM_COMMAND, CEditEmailFrame::ID_SAVE_DRAFT, 0);
    Pump();
    EXPECT_FALSE(::IsWindow(hFrame));
    ASSERT_EQ(1, Box(1).GetMessageCount());
    POSITION pos = Box(1).GetFirstMessagePosition();
    auto* m = dynamic_cast<CEmailMessage*>(Box(1).GetNextMessage(pos));
    ASSERT_NE(nullptr, m);
    EXPECT_EQ(0, m->GetState());
    EXPECT_TRUE(m->IsMime()); // a short plain text, but with attachments
    EXPECT_EQ(4, m->GetAttachmentCount());
    EXPECT_EQ("short", S(m->GetPlainText()));
    CString body;
    ASSERT_TRUE(m->FormatMessage(body));
    EXPECT_NE(-1, body.Find("multipart/mixed"));
    EXPECT_NE(-1, body.Find("NA==")); // the long path's file, read whole
}

TEST_F(ComposeFrameTest, ClosingWithChangesAsksAndEachAnswerDoesWhatItSays) {
    struct Case {
        int answer;
        bool viaCommand;
        bool open;
        int stored;
    } cases[] = {
        {IDYES, false, false, 1},
        {IDNO, false, false, 0},
        {IDCANCEL, false, true, 0},
        {IDYES, true, false, 1},
        {IDCANCEL, true, true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.answer << (c.viaCommand ? " command" : " close box"));
        const int before = Box(1).GetMessageCount();
        CEditEmailFrame* f = Compose();
        ASSERT_NE(nullptr, f);
        const HWND hFrame = f->m_hWnd;
        Type(Body(f), "draft text");
        shown.clear();
        answers = {c.answer};
        if (c.viaCommand)
            f->SendMessage(WM_COMMAND, CEditEmailFrame::ID_CLOSE, 0);
        else
            f->SendMessage(WM_CLOSE);
        Pump();
        ASSERT_EQ(1u, shown.size());
        EXPECT_EQ((UINT)(MB_YESNOCANCEL | MB_ICONQUESTION), shown[0].type & 0xFF);
        EXPECT_EQ(c.open, (bool)::IsWindow(hFrame));
        EXPECT_EQ(c.stored, Box(1).GetMessageCount() - before);
        if (c.stored) {
            POSITION pos = Box(1).GetFirstMessagePosition();
            CContent* last = nullptr;
            while (pos != nullptr)
                last = Box(1).GetNextMessage(pos);
            EXPECT_EQ(0, dynamic_cast<CEmailMessage*>(last)->GetState());
        }
        if (c.open) {
            answers = {IDNO};
            f->SendMessage(WM_CLOSE);
            Pump();
            EXPECT_FALSE(::IsWindow(hFrame));
        }
    }
    EXPECT_EQ(0, account->GetComposeFrameCount());
}

TEST_F(ComposeFrameTest, AMailThatCannotGoOrCannotBeStoredKeepsItsFrameOpenAndSaysWhy) {
    CEditEmailFrame* f = Compose();
    ASSERT_NE(nullptr, f);
    const HWND hFrame = f->m_hWnd;
    Type(Body(f), "text");
    f->SendMessage(WM_COMMAND, CEditEmailFrame::ID_SEND, 0);
    Pump();
    ASSERT_TRUE(::IsWindow(hFrame));
    ASSERT_EQ(1u, shown.size());
    EXPECT_NE("", S(shown[0].text));
    EXPECT_EQ(0, Stored());

    // The account's data cannot be written: neither sending nor Ctrl+S loses the mail.
    Type(Field(f, CEditEmailHeaderBar::IDC_TO), "li@example.com");
    account->GetDatabase().Close();
    shown.clear();
    f->SendMessage(WM_COMMAND, CEditEmailFrame::ID_SEND, 0);
    Pump();
    ASSERT_TRUE(::IsWindow(hFrame));
    ASSERT_EQ(1u, shown.size());
    EXPECT_NE(-1, shown[0].text.Find("没有保存"));
    EXPECT_NE(nullptr, f->GetComposeMessage());
    EXPECT_FALSE(account->GetSmtpClient().IsQueued(f->GetComposeMessage()));
    shown.clear();
    CtrlS(f);
    ASSERT_TRUE(::IsWindow(hFrame));
    ASSERT_EQ(1u, shown.size());
    EXPECT_NE(-1, shown[0].text.Find("没有保存"));
    EXPECT_TRUE(f->IsChanged());
}

} // namespace
