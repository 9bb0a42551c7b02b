// Messages between e-card users: the compose dialog (what each button files or sends, the mail
// switches, the markers, no recipient), and a contact's message view (its counts, reading,
// sending the waiting ones with the progress window, sending selected ones from the list).
#include "ECUiTestSupport.h"

#include "ecard/ui/ECAccountDialogs.h"
#include "ecard/ui/ECMessageViews.h"
#include "links/ui/DlgSendSmsProgress.h"
#include "platform/base/OsPath.h"
#include "platform/gui/CommonDialogs.h"
#include "sms/SmsBox.h"
#include "sms/ui/SendersView.h"

#include <fstream>
#include <iterator>

using namespace ecard_ui_test;

namespace {

class ECMessagesTest : public ECWindowTest {
protected:
    CECRightPaneFrame* pane = nullptr;

    // Alice with Bob as friend; Bob's boxes hold what the case puts there.
    void OpenAlice(const std::function<void(CECContact&)>& fill = {}) {
        {
            CECUserDoc doc;
            CECUser& u = doc.GetUser();
            u.SetUserNumber(kAlice);
            u.GetAccount().m_strPassword = "alice1";
            u.GetAccount().m_strUserName = "爱丽丝";
            CECContact* bob = AddContact(u.GetFriends(), kBob, "鲍勃");
            bob->m_dwStatus = CECContact::STATUS_FRIEND;
            AddContact(u.GetStrangers(), 20000009, "无名");
            if (fill)
                fill(*bob);
            ASSERT_TRUE(doc.SaveUser());
        }
        OpenWindow(kAlice);
        pane = frame->GetRightPane();
    }
    CECContact* Bob() const { return user->GetRootGroup().FindByNumber(kBob); }
    static _CSmsBox& BoxOf(CECContact& c, int nType) {
        return *dynamic_cast<_CSmsBox*>(c.GetSmsBox().FindSubBoxByType(nType));
    }
    static _CSms* Message(int nState, const char* text) {
        auto* p = new _CSms("");
        p->SetState(nState);
        p->m_nKind = _CSms::KIND_NOTE;
        p->m_strContent = text;
        p->m_recipient = CNameCodeString("鲍勃", "20000002");
        return p;
    }
    void Select(HTREEITEM h) {
        tree->GetTreeCtrl().SelectItem(h);
        Pump();
    }
    CECMessageContainerView* View() {
        return dynamic_cast<CECMessageContainerView*>(pane->GetViewWnd(EC_VIEW_MESSAGES));
    }
    CECMessageTreeView* BoxTree() { return View()->GetTree(); }
    CECMessageListView* MessageList() { return View()->GetListContainer()->GetMessageList(); }
    // Bob's message view, showing his box of the type.
    void ShowBobsBox(int nType) {
        Select(ItemOf(kBob));
        Command(ID_EC_VIEW_MESSAGES);
        Pump();
        ASSERT_EQ(EC_VIEW_MESSAGES, pane->GetCurrentViewNumber());
        HTREEITEM h = BoxTree()->FindBoxItem(&BoxOf(*Bob(), nType));
        ASSERT_NE(nullptr, h);
        CTreeCtrl& t = BoxTree()->GetTreeCtrl();
        CRect rc;
        ASSERT_TRUE(t.GetItemRect(h, &rc, TRUE));
        QTest::mouseClick(t.GetWidget(), Qt::LeftButton, Qt::NoModifier,
                          QPoint(rc.CenterPoint().x, rc.CenterPoint().y));
        Pump();
        ASSERT_EQ(h, t.GetSelectedItem());
    }
    void ClickRow(int nRow, Qt::KeyboardModifiers keys = Qt::NoModifier) {
        CListCtrl& l = MessageList()->GetListCtrl();
        CRect rc;
        ASSERT_TRUE(l.GetItemRect(nRow, &rc, LVIR_LABEL));
        QTest::mouseClick(l.GetWidget(), Qt::LeftButton, keys,
                          QPoint(rc.CenterPoint().x, rc.CenterPoint().y));
        Pump();
    }
    std::vector<std::string> Bodies(const char* page) {
        std::vector<std::string> bodies;
        for (const auto& r : server.Requests())
            if (r.page.find(page) != std::string::npos)
                bodies.push_back(r.body);
        return bodies;
    }
    std::vector<CString> BoxTexts(_CSmsBox& box) {
        std::vector<CString> texts;
        for (POSITION pos = box.GetFirstSmsPosition(); pos != nullptr;)
            texts.push_back(box.GetNextSms(pos)->m_strContent);
        return texts;
    }
};

TEST_F(ECMessagesTest, EachButtonOfTheComposeDialogFilesTheMessageItsWay) {
    OpenAlice();
    Select(ItemOf(kBob));
    ASSERT_TRUE(Enabled(32807));
    struct Case {
        UINT button;
        const char* text;
        BOOL toMailbox, copyToMe;
        int state, boxType;
    };
    const Case cases[] = {
        {CDlgEditSms::IDC_PENDING, "wait", TRUE, FALSE, _CSms::STATE_PENDING, CMsgBoxBase::BOX_OUTBOX},
        {CDlgEditSms::IDC_DRAFT, "draft", FALSE, TRUE, _CSms::STATE_DRAFT, CMsgBoxBase::BOX_OUTBOX},
        {CDlgEditSms::IDC_SEND_NOW, "now", TRUE, TRUE, _CSms::STATE_SENT, CMsgBoxBase::BOX_SENT},
    };
    for (const Case& c : cases) {
        shown.clear();
        CString sender, id, type;
        BOOL typeEnabled = TRUE;
        onDialog = [&](CDialog& d) {
            d.GetDlgItemText(CDlgEditSms::IDC_SENDER, sender);
            d.GetDlgItemText(CDlgEditSms::IDC_NUMBER, id);
            d.GetDlgItemText(CDlgEditSms::IDC_TYPE, type);
            typeEnabled = d.GetDlgItem(CDlgEditSms::IDC_TYPE)->IsWindowEnabled();
            EXPECT_TRUE(d.IsDlgButtonChecked(CDlgEditECMessage::IDC_TEMPLATES));
            Type(&d, CDlgEditSms::IDC_TEXT, c.text);
            Type(&d, CDlgEditSms::IDC_SUBJECT, "subj");
            if (c.toMailbox)
                Click(&d, CDlgEditECMessage::IDC_TO_MAILBOX);
            if (c.copyToMe)
                Click(&d, CDlgEditECMessage::IDC_COPY_TO_ME);
            Click(&d, c.button);
            EXPECT_TRUE(DialogProbe::Ended(d)) << c.text;
        };
        Command(32807);
        EXPECT_EQ("爱丽丝", sender);
        EXPECT_EQ("20000002", id);
        EXPECT_EQ("留言", type);
        EXPECT_FALSE(typeEnabled);
        _CSmsBox& box = BoxOf(*Bob(), c.boxType);
        _CSms* m = nullptr;
        for (POSITION pos = box.GetFirstSmsPosition(); pos != nullptr;) {
            _CSms* p = box.GetNextSms(pos);
            if (p->m_strContent == c.text)
                m = p;
        }
        ASSERT_NE(nullptr, m) << c.text;
        EXPECT_EQ(c.state, m->GetState()) << c.text;
        EXPECT_EQ(_CSms::KIND_NOTE, m->m_nKind);
        EXPECT_EQ((DWORD)((c.toMailbox ? 1 : 0) | (c.copyToMe ? 2 : 0)), m->GetFlags()) << c.text;
        EXPECT_EQ("20000002", m->m_recipient.GetCode());
        EXPECT_EQ("subj", m->m_strSubject);
    }
    // Only "立即发送" went to the service, with the flags as the two mail switches.
    const auto bodies = Bodies("leavemessage.asp");
    ASSERT_EQ(1u, bodies.size());
    const auto form = test_net::ParseForm(bodies[0]);
    EXPECT_EQ("20000002", test_net::FormValue(form, "Contacts"));
    EXPECT_EQ("now", test_net::FormValue(form, "Message"));
    EXPECT_EQ("1", test_net::FormValue(form, "EmailReceiver"));
    EXPECT_EQ("1", test_net::FormValue(form, "EmailSender"));
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ("留言已发送", shown.back().text);
    std::lock_guard<std::mutex> g(service.lock);
    ASSERT_EQ(1u, service.users[kBob].inbox.size());
    EXPECT_EQ("now", service.users[kBob].inbox[0].content);
}

TEST_F(ECMessagesTest, ARefusedSendKeepsTheDialogOpenAndFilesNothing) {
    OpenAlice();
    // The service does not know this number.
    Select(ItemOf(20000009));
    CECContact* nobody = user->GetRootGroup().FindByNumber(20000009);
    bool stayed = false;
    onDialog = [&](CDialog& d) {
        Type(&d, CDlgEditSms::IDC_TEXT, "hello");
        Click(&d, CDlgEditSms::IDC_SEND_NOW);
        stayed = !DialogProbe::Ended(d);
        EXPECT_EQ(MB_ICONSTOP, (int)(shown.back().type & MB_ICONMASK));
        Click(&d, IDCANCEL);
    };
    Command(32807);
    EXPECT_TRUE(stayed);
    EXPECT_EQ(0, nobody->GetSmsBox().CountSmsByState(-1));
    EXPECT_EQ(1u, Bodies("leavemessage.asp").size());
}

TEST_F(ECMessagesTest, WithoutARecipientContactNoSendButtonIsEnabled) {
    OpenAlice();
    struct Case {
        bool contact;
        const char* text;
        bool enabled;
    };
    const Case cases[] = {{false, "", false}, {false, "text", false}, {true, "", false},
                          {true, "text", true}};
    for (const Case& c : cases) {
        std::vector<BOOL> states;
        onDialog = [&](CDialog& d) {
            if (*c.text)
                Type(&d, CDlgEditSms::IDC_TEXT, c.text);
            for (UINT id : {CDlgEditSms::IDC_SEND_NOW, CDlgEditSms::IDC_PENDING, CDlgEditSms::IDC_DRAFT})
                states.push_back(d.GetDlgItem(id)->IsWindowEnabled());
            Click(&d, IDCANCEL);
        };
        EXPECT_EQ(IDCANCEL, EditECMessage(user, c.contact ? Bob() : nullptr, nullptr, nullptr, frame));
        EXPECT_EQ(std::vector<BOOL>(3, c.enabled), states) << c.contact << c.text;
    }
    EXPECT_EQ(0, Bob()->GetSmsBox().CountSmsByState(-1));
}

TEST_F(ECMessagesTest, InsertedTextHasItsMarkersFilledWhileTemplateAnalysisIsOn) {
    OpenAlice([](CECContact& bob) {
        // Bob lets Alice read everything; he may read her mobile only.
        for (int i = 0; i < 6; ++i)
            bob.m_received[i] = 0x7FFFFFFF;
        bob.m_access[0] = 0;
    });
    const CString go = ReplaceECMessageMarkers("%GO_ACCESSIBLE_FIELDS%", *user, *Bob());
    ASSERT_EQ("【『<全部资料>』】", go);
    std::vector<CString> texts;
    onDialog = [&](CDialog& d) {
        auto insert = [&](const char* text) {
            d.SendMessage(CDlgEditSms::WM_INSERT_TEXT, 0, (LPARAM)text);
            CString t;
            d.GetDlgItemText(CDlgEditSms::IDC_TEXT, t);
            texts.push_back(t);
            d.SetDlgItemText(CDlgEditSms::IDC_TEXT, "");
        };
        insert("A%GO_ACCESSIBLE_FIELDS%B%GO_ACCESSIBLE_FIELDS%");
        Click(&d, CDlgEditECMessage::IDC_TEMPLATES); // off
        insert("%GO_ACCESSIBLE_FIELDS%");
        Click(&d, IDCANCEL);
    };
    Select(ItemOf(kBob));
    Command(32807);
    ASSERT_EQ(2u, texts.size());
    EXPECT_EQ("A" + go + "B" + go, texts[0]);
    EXPECT_EQ("%GO_ACCESSIBLE_FIELDS%", texts[1]);
}

TEST_F(ECMessagesTest, TheMessageViewCountsAndReadingLowersTheCounts) {
    OpenAlice([](CECContact& bob) {
        BoxOf(bob, CMsgBoxBase::BOX_INBOX).AddSms(Message(_CSms::STATE_UNREAD, "one"));
        BoxOf(bob, CMsgBoxBase::BOX_INBOX).AddSms(Message(_CSms::STATE_UNREAD, "two"));
        BoxOf(bob, CMsgBoxBase::BOX_INBOX).AddSms(Message(_CSms::STATE_READ, "old"));
        BoxOf(bob, CMsgBoxBase::BOX_OUTBOX).AddSms(Message(_CSms::STATE_PENDING, "later"));
        BoxOf(bob, CMsgBoxBase::BOX_OUTBOX).AddSms(Message(_CSms::STATE_DRAFT, "draft"));
    });
    ShowBobsBox(CMsgBoxBase::BOX_INBOX);
    CTreeCtrl& t = BoxTree()->GetTreeCtrl();
    EXPECT_EQ("鲍勃", t.GetItemText(t.GetRootItem()));
    EXPECT_EQ(CECMessageTreeView::KindRoot, BoxTree()->GetItemKind(t.GetRootItem()));
    EXPECT_EQ(CECMessageTreeView::KindInbox, BoxTree()->GetItemKind(t.GetSelectedItem()));
    _CSmsBox& inbox = BoxOf(*Bob(), CMsgBoxBase::BOX_INBOX);
    _CSmsBox& outbox = BoxOf(*Bob(), CMsgBoxBase::BOX_OUTBOX);
    EXPECT_EQ("2未读 ", CECMessageTreeView::UnreadText(inbox));
    EXPECT_EQ("", CECMessageTreeView::WaitingText(inbox));
    EXPECT_EQ("", CECMessageTreeView::UnreadText(outbox));
    EXPECT_EQ("1待发 ", CECMessageTreeView::WaitingText(outbox));
    COLORREF colour = 0;
    int unread = 0;
    EXPECT_EQ("2", tree->GetItemExtraText(ItemOf(kBob), colour, unread));

    CListCtrl& l = MessageList()->GetListCtrl();
    ASSERT_EQ(3, l.GetItemCount());
    // Read and unread rows; the unread "two" read after its delay (the timer's work done here).
    int row = -1;
    for (int i = 0; i < l.GetItemCount(); ++i)
        if (static_cast<_CSms*>(MessageList()->GetMessageAt(i))->m_strContent == "two")
            row = i;
    ClickRow(row);
    ASSERT_TRUE(MessageList()->IsReadTimerRunning());
    MessageList()->OnReadTimer();
    Pump();
    EXPECT_EQ("1未读 ", CECMessageTreeView::UnreadText(inbox));
    EXPECT_EQ("1", tree->GetItemExtraText(ItemOf(kBob), colour, unread));
    EXPECT_EQ(1, CECContactsTreeView::CountUnread(&user->GetFriends()));
    EXPECT_TRUE(frame->GetUserDoc()->IsModified());
    // The bar over the text names the focused message.
    CString caption = View()->GetListContainer()->GetSplitter().GetCaption();
    EXPECT_NE(-1, caption.Find("->")) << caption;

    // The list's copy, cut and paste stay off; send is for messages at home in the outbox.
    EXPECT_FALSE(Enabled(CSmsView::ID_COPY));
    EXPECT_FALSE(Enabled(CSmsView::ID_PASTE));
    EXPECT_FALSE(Enabled(CSmsView::ID_SEND_SMS));
}

TEST_F(ECMessagesTest, WaitingMessagesGoWithTheProgressWindowAndSelectedOnesFromTheList) {
    OpenAlice([](CECContact& bob) {
        BoxOf(bob, CMsgBoxBase::BOX_OUTBOX).AddSms(Message(_CSms::STATE_PENDING, "w1"));
        BoxOf(bob, CMsgBoxBase::BOX_OUTBOX).AddSms(Message(_CSms::STATE_PENDING, "w2"));
        BoxOf(bob, CMsgBoxBase::BOX_OUTBOX).AddSms(Message(_CSms::STATE_DRAFT, "d1"));
        BoxOf(bob, CMsgBoxBase::BOX_INBOX).AddSms(Message(_CSms::STATE_READ, "in"));
    });
    ShowBobsBox(CMsgBoxBase::BOX_OUTBOX);
    ASSERT_TRUE(Enabled(CECMessageTreeView::ID_SEND_WAITING));
    Command(CECMessageTreeView::ID_SEND_WAITING);
    WaitIdle();
    Pump();
    // Both waiting ones went, one request each; the draft stayed.
    std::vector<std::string> sent;
    for (const auto& b : Bodies("leavemessage.asp"))
        sent.push_back(test_net::FormValue(test_net::ParseForm(b), "Message"));
    EXPECT_EQ((std::vector<std::string>{"w1", "w2"}), sent);
    _CSmsBox& outbox = BoxOf(*Bob(), CMsgBoxBase::BOX_OUTBOX);
    _CSmsBox& sentBox = BoxOf(*Bob(), CMsgBoxBase::BOX_SENT);
    EXPECT_EQ((std::vector<CString>{"d1"}), BoxTexts(outbox));
    EXPECT_EQ((std::vector<CString>{"w1", "w2"}), BoxTexts(sentBox));
    CDlgSendSmsProgress* progress = frame->GetSendProgress().GetDialog();
    ASSERT_NE(nullptr, progress);
    EXPECT_EQ(2, progress->GetList().GetItemCount());
    EXPECT_EQ("鲍勃<20000002>",
              progress->GetList().GetItemText(0, CDlgSendSmsProgress::COL_RECIPIENT));
    EXPECT_FALSE(Enabled(CECMessageTreeView::ID_SEND_WAITING));

    // The draft, the one row left in the list, goes by "发送": its home is the outbox.
    ASSERT_EQ(1, MessageList()->GetListCtrl().GetItemCount());
    ClickRow(0);
    ASSERT_TRUE(Enabled(CSmsView::ID_SEND_SMS));
    Command(CSmsView::ID_SEND_SMS);
    WaitIdle();
    Pump();
    EXPECT_EQ(3u, Bodies("leavemessage.asp").size());
    EXPECT_TRUE(BoxTexts(outbox).empty());
    EXPECT_EQ(3u, BoxTexts(sentBox).size());

    // A received message is never sent from the list.
    ShowBobsBox(CMsgBoxBase::BOX_INBOX);
    ClickRow(0);
    EXPECT_FALSE(Enabled(CSmsView::ID_SEND_SMS));
}

TEST_F(ECMessagesTest, BoxesOfTheUsersOwnAreMadeRenamedAndDeletedTheStandardOnesStay) {
    OpenAlice([](CECContact& bob) {
        BoxOf(bob, CMsgBoxBase::BOX_INBOX).AddSms(Message(_CSms::STATE_READ, "kept"));
    });
    ShowBobsBox(CMsgBoxBase::BOX_INBOX);
    CECMessageTreeView* boxes = BoxTree();
    CTreeCtrl& t = boxes->GetTreeCtrl();
    // A standard box can be neither renamed nor deleted.
    EXPECT_FALSE(Enabled(CECMessageTreeView::ID_BOX_RENAME));
    EXPECT_FALSE(Enabled(CECMessageTreeView::ID_BOX_DELETE));
    EXPECT_FALSE(boxes->DeleteSelectedBox());
    EXPECT_TRUE(Shown("标准信箱不允许删除！"));

    ASSERT_TRUE(Enabled(CECMessageTreeView::ID_BOX_NEW));
    Command(CECMessageTreeView::ID_BOX_NEW);
    _CSmsBox& inbox = BoxOf(*Bob(), CMsgBoxBase::BOX_INBOX);
    ASSERT_EQ(1, inbox.GetSubBoxCount());
    _CSmsBox* made = inbox.GetSubBoxAt(0);
    EXPECT_EQ("新收信箱", made->GetName());
    EXPECT_EQ(CECMessageTreeView::KindUserBox, boxes->GetItemKind(t.GetSelectedItem()));
    // The label editor opened on it: typing a name and Enter renames the box.
    CEdit* edit = t.GetEditControl();
    ASSERT_NE(nullptr, edit);
    edit->SetWindowText("");
    QTest::keyClicks(edit->GetWidget(), "family");
    QTest::keyClick(edit->GetWidget(), Qt::Key_Return);
    Pump();
    EXPECT_EQ("family", made->GetName());
    EXPECT_EQ("family", t.GetItemText(t.GetSelectedItem()));

    // A message moved into it makes the delete ask; "no" keeps the box.
    POSITION pos = inbox.GetFirstSmsPosition();
    _CSms* kept = inbox.GetNextSms(pos);
    ASSERT_TRUE(inbox.RemoveMessage(kept, FALSE));
    made->AddSms(kept);
    answers = {IDNO};
    ASSERT_TRUE(Enabled(CECMessageTreeView::ID_BOX_DELETE));
    Command(CECMessageTreeView::ID_BOX_DELETE);
    EXPECT_EQ(1, inbox.GetSubBoxCount());
    answers = {IDYES};
    Command(CECMessageTreeView::ID_BOX_DELETE);
    EXPECT_EQ(0, inbox.GetSubBoxCount());
    EXPECT_EQ(nullptr, frame->GetUserDoc()->GetCurrentBoxObject());
    EXPECT_EQ(nullptr, boxes->FindBoxItem(made));
}

// The program's clipboard box, as the messages module offers it.
struct ClipboardHost : CISmsListHost {
    _CSmsBox clipboard{""};
    ClipboardHost() { SetSmsListHost(this); }
    ~ClipboardHost() override { SetSmsListHost(nullptr); }
    _CSmsBox* GetClipboardBox() override { return &clipboard; }
    CEditSmsForm* OpenComposeForm(CDocument*, CWnd*) override { return nullptr; }
    BOOL EditCurrentSms(CDocument*, CWnd*) override { return FALSE; }
};

TEST_F(ECMessagesTest, TheBoxTreeHasPicturesAndItsBoxesTakePastedMessagesAndExportAsCards) {
    OpenAlice([](CECContact& bob) {
        BoxOf(bob, CMsgBoxBase::BOX_INBOX).AddSms(Message(_CSms::STATE_READ, "收到的话"));
        BoxOf(bob, CMsgBoxBase::BOX_INBOX).AddSubBox("家人", 4);
    });
    ShowBobsBox(CMsgBoxBase::BOX_INBOX);
    CTreeCtrl& t = BoxTree()->GetTreeCtrl();
    // Each kind of item with its picture: the strip's box pictures, the contact's icon after them.
    ASSERT_NE(nullptr, t.GetImageList(TVSIL_NORMAL));
    EXPECT_EQ(CECMessageTreeView::ImgRoot + 1, t.GetImageList(TVSIL_NORMAL)->GetImageCount());
    _CSmsBox* own = BoxOf(*Bob(), CMsgBoxBase::BOX_INBOX).GetSubBoxAt(0);
    struct Case {
        HTREEITEM item;
        int image;
    } cases[] = {
        {t.GetRootItem(), CECMessageTreeView::ImgRoot},
        {BoxTree()->FindBoxItem(&BoxOf(*Bob(), CMsgBoxBase::BOX_INBOX)), 5},
        {BoxTree()->FindBoxItem(&BoxOf(*Bob(), CMsgBoxBase::BOX_OUTBOX)), 6},
        {BoxTree()->FindBoxItem(&BoxOf(*Bob(), CMsgBoxBase::BOX_SENT)), 7},
        {BoxTree()->FindBoxItem(&BoxOf(*Bob(), CMsgBoxBase::BOX_RECYCLE)), 8},
        {BoxTree()->FindBoxItem(own), 9},
    };
    for (const Case& c : cases) {
        ASSERT_NE(nullptr, c.item) << c.image;
        int image = -1, selected = -1;
        ASSERT_TRUE(t.GetItemImage(c.item, image, selected));
        EXPECT_EQ(c.image, image) << t.GetItemText(c.item).GetString();
        EXPECT_EQ(c.image, selected) << t.GetItemText(c.item).GetString();
    }

    // Export: the inbox's message written as a card, into the file the user names.
    test_folders::TempDir out;
    const CString path = (out.str() + "/收信箱.txt").c_str();
    onDialog = [path](CDialog& d) {
        if (auto* f = dynamic_cast<CFileDialog*>(&d)) {
            CStringArray a;
            a.Add(path);
            f->Answer(a);
            f->EndDialog(IDOK);
        } else {
            d.EndDialog(IDOK);
        }
    };
    ASSERT_TRUE(Enabled(CECMessageTreeView::ID_EXPORT_CARDS));
    Command(CECMessageTreeView::ID_EXPORT_CARDS);
    std::ifstream file(OsPathFromProgramPath(path).c_str(), std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_NE(std::string::npos, bytes.find(CString("收到的话").GetString())) << bytes;

    // Paste: nothing to paste is no command; the clipboard's messages move into the selected box.
    ClipboardHost host;
    ShowBobsBox(CMsgBoxBase::BOX_SENT);
    EXPECT_FALSE(Enabled(CECMessageTreeView::ID_EXPORT_CARDS)) << "an empty box";
    EXPECT_FALSE(Enabled(CECMessageTreeView::ID_PASTE));
    host.clipboard.AddSms(Message(_CSms::STATE_SENT, "甲"));
    host.clipboard.AddSms(Message(_CSms::STATE_SENT, "乙"));
    frame->GetUserDoc()->SetModifiedFlag(FALSE);
    ASSERT_TRUE(Enabled(CECMessageTreeView::ID_PASTE));
    Command(CECMessageTreeView::ID_PASTE);
    Pump();
    EXPECT_EQ(0, host.clipboard.GetSmsCount());
    EXPECT_EQ((std::vector<CString>{"甲", "乙"}), BoxTexts(BoxOf(*Bob(), CMsgBoxBase::BOX_SENT)));
    EXPECT_EQ(2, MessageList()->GetListCtrl().GetItemCount());
    EXPECT_TRUE(frame->GetUserDoc()->IsModified());
    EXPECT_FALSE(Enabled(CECMessageTreeView::ID_PASTE));
    // The root is no box: neither pastes nor exports.
    host.clipboard.AddSms(Message(_CSms::STATE_SENT, "丙"));
    t.SelectItem(t.GetRootItem());
    Pump();
    EXPECT_FALSE(Enabled(CECMessageTreeView::ID_PASTE));
    EXPECT_FALSE(Enabled(CECMessageTreeView::ID_EXPORT_CARDS));
}

TEST_F(ECMessagesTest, DeletingTheContactWhoseBoxesAreShownLeavesNothingOfItInTheView) {
    OpenAlice();
    CECContact* nobody = user->GetRootGroup().FindByNumber(20000009);
    BoxOf(*nobody, CMsgBoxBase::BOX_INBOX).AddSms(Message(_CSms::STATE_UNREAD, "gone"));
    Select(ItemOf(20000009));
    Command(ID_EC_VIEW_MESSAGES);
    Pump();
    HTREEITEM h = BoxTree()->FindBoxItem(&BoxOf(*nobody, CMsgBoxBase::BOX_INBOX));
    ASSERT_NE(nullptr, h);
    BoxTree()->GetTreeCtrl().SelectItem(h);
    Pump();
    ASSERT_EQ(1, MessageList()->GetListCtrl().GetItemCount());
    // A stranger goes locally, at once.
    tree->DeleteObjects({nobody});
    Pump();
    View()->RedrawWindow();
    Pump();
    EXPECT_EQ(nullptr, user->GetRootGroup().FindByNumber(20000009));
    EXPECT_EQ(nullptr, MessageList()->GetBox());
    EXPECT_EQ(0, MessageList()->GetListCtrl().GetItemCount());
    EXPECT_EQ(nullptr, frame->GetUserDoc()->GetCurrentMessageObject());
    // The box tree holds no item of the contact's boxes.
    EXPECT_EQ(0u, BoxTree()->GetTreeCtrl().GetCount());
}

} // namespace
