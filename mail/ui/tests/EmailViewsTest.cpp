// The views of a box: rows drawn with their pictures and fonts, sorting by header clicks, the
// text of the focused mail, a sent mail leaving the outbox's list, and mails being written that
// the list will not delete.
#include "MailUiTestSupport.h"

#include "core/QuillmarBaseDoc.h"
#include "mail/ui/EmailAccountDoc.h"
#include "mail/ui/EmailViews.h"
#include "platform/gui/Menu.h"

#include <QImage>
#include <algorithm>
#include <vector>

#include <sys/stat.h>

namespace {

class EmailViewsTest : public MailUiTest {
protected:
    CWnd host;
    CQuillmarBaseDoc doc;
    CEmailSplitView* view = nullptr; // deletes itself with its window
    CEmailListView* list = nullptr;

    void SetUp() override {
        MailUiTest::SetUp();
        doc.m_bAutoDelete = FALSE;
        ASSERT_TRUE(host.CreateEx(0, nullptr, "host", WS_POPUP | WS_VISIBLE, CRect(0, 0, 820, 420),
                                  nullptr, 0));
        CCreateContext context;
        context.m_pCurrentDoc = &doc;
        view = new CEmailSplitView;
        ASSERT_TRUE(view->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 820, 420),
                                 &host, AFX_IDW_PANE_FIRST, &context));
        view->OnInitialUpdate();
        list = view->GetEmailList();
        ASSERT_NE(nullptr, list);
        ASSERT_NE(nullptr, view->GetContentFrame());
        list->SetOwner(&host);
        Pump();
    }
    void TearDown() override {
        host.DestroyWindow();
        MailUiTest::TearDown();
    }
    CEmailMessage* Mail(int nState, const char* subject, int day, DWORD flags = 0,
                        int importance = 0, const char* text = "") {
        auto* m = new CEmailMessage;
        m->SetState(nState);
        m->m_strSubject = subject;
        m->AddRecipients("李四 <li@example.com>", CEmailMessage::KIND_TO);
        m->m_sender.m_strName = "王五";
        m->m_sender.m_strAddress = "wang@example.com";
        m->SetTime(CTime(2024, 3, day, 9, 30, 0));
        m->SetFlags(flags);
        m->SetImportance(importance);
        m->SetText(text);
        EXPECT_TRUE(account->SaveMessage(m));
        return m;
    }
    void Show(CEmailBox& box) {
        SetDocCurrentBox(&doc, &box);
        doc.UpdateAllViews(nullptr);
        Pump();
    }
    CListCtrl& L() { return list->List(); }
    int Row(const char* subject) {
        for (int i = 0; i < L().GetItemCount(); ++i)
            if (dynamic_cast<CEmailMessage*>(list->GetMessageAt(i))->m_strSubject == subject)
                return i;
        return -1;
    }
    CEmailMessage* At(const char* subject) {
        return dynamic_cast<CEmailMessage*>(list->GetMessageAt(Row(subject)));
    }
    std::vector<std::string> Subjects() {
        std::vector<std::string> v;
        for (int i = 0; i < L().GetItemCount(); ++i)
            v.push_back(S(dynamic_cast<CEmailMessage*>(list->GetMessageAt(i))->m_strSubject));
        return v;
    }
    QPoint HeaderPoint(int nColumn) {
        CHeaderCtrl* h = L().GetHeaderCtrl();
        CRect r;
        h->GetItemRect(nColumn, &r);
        return QPoint(r.CenterPoint().x, r.CenterPoint().y);
    }
    void ClickHeader(int nColumn) {
        QTest::mouseClick(L().GetHeaderCtrl()->GetWidget(), Qt::LeftButton, {}, HeaderPoint(nColumn));
        Pump();
    }
    void Focus(int row) {
        L().SetItemState(-1, 0, LVIS_SELECTED);
        L().SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        Pump();
    }
};

// An account whose inbox's id list is a pipe does not open as an account without an inbox: the
// user is told which account was refused.
TEST_F(EmailViewsTest, AnAccountWithABoxFileThatIsAPipeIsRefusedWithItsName) {
    ASSERT_TRUE(account->SaveSettings());
    account.reset();
    const QString idList = dir.path() + "/acct/in.gp";
    ASSERT_TRUE(QFile::remove(idList));
    ASSERT_EQ(0, mkfifo(idList.toLocal8Bit().constData(), 0600));
    // What the program does at its start: the documents speak through the message box.
    const CDocument::MessageHook old = CDocument::SetMessageHook(
        [](LPCTSTR text, UINT type) { return AfxMessageBox(text, type); });
    CEmailAccountDoc doc;
    EXPECT_FALSE(doc.OnOpenDocument(Folder() + "/account.dat"));
    CDocument::SetMessageHook(old);
    EXPECT_EQ(nullptr, doc.GetAccount());
    ASSERT_EQ(1u, shown.size());
    EXPECT_NE(-1, shown[0].text.Find("工作")) << shown[0].text.GetString();
    EXPECT_NE(-1, shown[0].text.Find("in.gp")) << shown[0].text.GetString();
}

TEST_F(EmailViewsTest, RowsShowTheirStatePicturesAndAHeaderClickSortsBothWays) {
    // One box holding a mail of every state, unread ones, importance marks and an attachment.
    MakeFile("att.txt");
    Mail(0, "draft", 5, 0, 3);
    Mail(1, "waiting", 2, CMessageBase::FLAG_UNREAD, 1);
    Mail(2, "sent", 9);
    Mail(3, "unread", 1, CMessageBase::FLAG_UNREAD | CEmailListView::FLAG_JUNK);
    CEmailMessage* read = Mail(3, "read", 7);
    read->AddAttachment(P("att.txt"));
    for (int kind : {1, 2}) {
        std::vector<CEmailMessage*> move;
        for (POSITION pos = Box(kind).GetFirstMessagePosition(); pos != nullptr;)
            move.push_back(dynamic_cast<CEmailMessage*>(Box(kind).GetNextMessage(pos)));
        for (CEmailMessage* m : move)
            ASSERT_TRUE(account->MoveMessage(m, &Box(0)));
    }
    Show(Box(0));
    ASSERT_EQ(5, L().GetItemCount());
    EXPECT_EQ((DWORD)(LVS_REPORT | LVS_OWNERDRAWFIXED),
              L().GetStyle() & (LVS_TYPEMASK | LVS_OWNERDRAWFIXED));
    for (int c = 0; c < CEmailListView::ColumnCount; ++c)
        EXPECT_EQ(CEmailListView::GetColumnWidth(c), L().GetColumnWidth(c));

    // Each row's state column shows its picture of bitmap 245, as drawn on the row's ground.
    QImage shot = L().GetWidget()->grab().toImage();
    CImageList states;
    ASSERT_TRUE(states.Create(CEmailListView::IDB_STATES, 16, 0, RGB(255, 0, 255)));
    const std::pair<const char*, int> expected[] = {
        {"draft", 3}, {"waiting", 2}, {"sent", 4}, {"unread", 1}, {"read", 0}};
    for (auto [subject, image] : expected) {
        SCOPED_TRACE(subject);
        const int row = Row(subject);
        CRect r;
        ASSERT_TRUE(L().GetItemRect(row, &r, LVIR_BOUNDS));
        EXPECT_EQ(CEmailListView::RowHeight, r.Height());
        const QImage picture = states.GetImage(image);
        const int top = r.top + (r.Height() - 14) / 2;
        int opaque = 0, same = 0;
        for (int y = 0; y < 14; ++y)
            for (int x = 0; x < 16; ++x)
                if (qAlpha(picture.pixel(x, y)) == 255) {
                    ++opaque;
                    same += (shot.pixel(r.left + 7 + x, top + y) & 0xFFFFFF) ==
                            (picture.pixel(x, y) & 0xFFFFFF);
                }
        EXPECT_GT(opaque, 20);
        EXPECT_EQ(opaque, same);
    }
    // Unread rows are bold (bold italic while waiting to be sent), the others plain.
    LOGFONT lf{};
    list->GetRowFont(At("waiting"))->GetLogFont(&lf);
    EXPECT_EQ(700, lf.lfWeight);
    EXPECT_TRUE(lf.lfItalic);
    list->GetRowFont(At("unread"))->GetLogFont(&lf);
    EXPECT_EQ(700, lf.lfWeight);
    EXPECT_FALSE(lf.lfItalic);
    list->GetRowFont(At("read"))->GetLogFont(&lf);
    EXPECT_NE(700, lf.lfWeight);

    const std::vector<std::string> listed = Subjects();
    ClickHeader(4); // 主题
    EXPECT_EQ((std::vector<std::string>{"draft", "read", "sent", "unread", "waiting"}), Subjects());
    EXPECT_EQ(4, list->GetMsgHeader().GetSortColumn());
    view->SaveScreenshot(ScreenPath("mail-list-sorted").c_str());
    ClickHeader(4);
    EXPECT_EQ((std::vector<std::string>{"waiting", "unread", "sent", "read", "draft"}), Subjects());
    ClickHeader(6); // 日期: a new column starts ascending
    EXPECT_EQ((std::vector<std::string>{"unread", "waiting", "draft", "read", "sent"}), Subjects());
    // A double click on the sort column goes back to the listed order.
    QTest::mouseDClick(L().GetHeaderCtrl()->GetWidget(), Qt::LeftButton, {}, HeaderPoint(6));
    Pump();
    EXPECT_EQ(-1, list->GetMsgHeader().GetSortColumn());
    EXPECT_EQ(listed, Subjects());
}

TEST_F(EmailViewsTest, TheTextPaneShowsTheFocusedMailAndFlagClicksAreStoredInPlace) {
    Mail(3, "第一封", 1, CMessageBase::FLAG_UNREAD, 0, "第一封的正文\r\n第二行");
    CEmailMessage* second = Mail(3, "第二封", 2, 0, 0, "second text");
    Show(Box(0));
    ASSERT_EQ(2, L().GetItemCount());
    CViewEmailTxtContent* text = view->GetContentFrame()->GetTextView();
    ASSERT_NE(nullptr, text);
    EXPECT_TRUE(text->GetEditCtrl().GetStyle() & ES_READONLY);
    Focus(Row("第一封"));
    EXPECT_EQ("第一封的正文\r\n第二行", S(text->GetText()));
    Focus(Row("第二封"));
    EXPECT_EQ("second text", S(text->GetText()));
    view->SaveScreenshot(ScreenPath("mail-list-text-pane").c_str());

    // A click in the junk column of the second row marks it, and the mark is stored.
    CRect r;
    L().GetItemRect(Row("第二封"), &r, LVIR_BOUNDS);
    int x = 0;
    for (int c = 0; c < 5; ++c)
        x += L().GetColumnWidth(c);
    QTest::mouseClick(L().GetWidget(), Qt::LeftButton, {}, QPoint(x + 8, r.CenterPoint().y));
    Pump();
    EXPECT_TRUE(second->GetFlags() & CEmailListView::FLAG_JUNK);
    const DWORD id = second->GetRecordId();
    host.DestroyWindow();
    account.reset();
    CEmailAccount again;
    ASSERT_TRUE(again.Open(Folder()));
    ASSERT_NE(nullptr, again.GetMessage(id));
    EXPECT_TRUE(again.GetMessage(id)->GetFlags() & CEmailListView::FLAG_JUNK);
}

// A listed mail opened, changed and stored again (Ctrl+S, then kept as a draft) shows its new
// text in the pane below the list at once, as its row shows its new subject.
TEST_F(EmailViewsTest, AMailStoredAgainFromItsFrameShowsItsNewTextInThePane) {
    Mail(1, "旧主题", 1, 0, 0, "旧正文");
    Show(Box(1));
    Focus(0);
    CViewEmailTxtContent* text = view->GetContentFrame()->GetTextView();
    ASSERT_EQ("旧正文", S(text->GetText()));
    CRect r;
    ASSERT_TRUE(L().GetItemRect(0, &r, LVIR_BOUNDS));
    QTest::mouseDClick(L().GetWidget(), Qt::LeftButton, {}, QPoint(250, r.CenterPoint().y));
    Pump();
    auto* frame = dynamic_cast<CEditEmailFrame*>(account->FindComposeFrame(At("旧主题")));
    ASSERT_NE(nullptr, frame);
    CEdit& body = frame->GetBodyView()->GetEditCtrl();
    body.SetFocus();
    body.SetSel(0, -1);
    TypeHanzi(&body, "新正文");
    frame->SendMessage(WM_COMMAND, CEditEmailFrame::ID_SAVE, 0);
    Pump();
    EXPECT_EQ("新正文", S(text->GetText())) << "after Ctrl+S";

    body.SetSel(-1, -1);
    Type(&body, "2");
    frame->SendMessage(WM_COMMAND, CEditEmailFrame::ID_SAVE_DRAFT, 0);
    Pump();
    ASSERT_EQ(nullptr, account->FindComposeFrame(At("旧主题")));
    EXPECT_EQ("新正文2", S(text->GetText())) << "after the frame closed";
}

TEST_F(EmailViewsTest, ASentMailLeavesTheOutboxListAndAMailBeingWrittenIsNotDeleted) {
    CEmailMessage* going = Mail(1, "going", 1);
    CEmailMessage* kept = Mail(1, "kept", 2);
    Show(Box(1));
    ASSERT_EQ(2, L().GetItemCount());
    account->OnMessageSent(going, TRUE);
    Pump();
    EXPECT_EQ((std::vector<std::string>{"kept"}), Subjects());
    EXPECT_EQ(&Box(2), going->GetBox());

    // A double click opens the mail in its frame; while it is open the list will not delete it.
    CRect r;
    ASSERT_TRUE(L().GetItemRect(0, &r, LVIR_BOUNDS));
    QTest::mouseDClick(L().GetWidget(), Qt::LeftButton, {}, QPoint(250, r.CenterPoint().y));
    Pump();
    CIEmailComposeFrame* frame = account->FindComposeFrame(kept);
    ASSERT_NE(nullptr, frame);
    Focus(0);
    shown.clear();
    list->SendMessage(WM_COMMAND, CMsgListView::ID_DELETE, 0);
    Pump();
    ASSERT_EQ(1u, shown.size());
    EXPECT_EQ(1, L().GetItemCount());
    EXPECT_EQ(&Box(1), kept->GetBox());

    // Closed, the mail can go to the recycle box.
    ASSERT_TRUE(frame->QueryCloseFrame());
    Focus(0);
    list->SendMessage(WM_COMMAND, CMsgListView::ID_DELETE, 0);
    Pump();
    EXPECT_EQ(0, L().GetItemCount());
    EXPECT_EQ(&Box(3), kept->GetBox());
}

// Deleting some of a box's mails leaves the others listed, whichever rows go.
TEST_F(EmailViewsTest, DeletingMailsKeepsTheOthersListed) {
    const struct {
        const char* what;
        std::vector<std::string> mails, deleted, left;
        UINT command;
    } cases[] = {
        {"the first of two", {"a1", "a2"}, {"a1"}, {"a2"}, CMsgListView::ID_DELETE},
        {"the last of two", {"b1", "b2"}, {"b2"}, {"b1"}, CMsgListView::ID_DELETE},
        {"the first of two for good", {"c1", "c2"}, {"c1"}, {"c2"},
         CMsgListView::ID_DELETE_PERMANENT},
        {"two of three", {"d1", "d2", "d3"}, {"d1", "d2"}, {"d3"}, CMsgListView::ID_DELETE},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        for (CEmailBox* box : {&Box(1), &Box(3)}) {
            std::vector<CContent*> old;
            for (POSITION pos = box->GetFirstMessagePosition(); pos != nullptr;)
                old.push_back(box->GetNextMessage(pos));
            for (CContent* m : old)
                box->RemoveMessage(m, TRUE);
        }
        for (size_t i = c.mails.size(); i-- > 0;)
            Mail(1, c.mails[i].c_str(), 1);
        Show(Box(1)); // the last filed first, as the table lists them
        ASSERT_EQ(c.mails, Subjects());
        L().SetItemState(-1, 0, LVIS_SELECTED);
        for (const std::string& subject : c.deleted)
            L().SetItemState(Row(subject.c_str()), LVIS_SELECTED | LVIS_FOCUSED,
                             LVIS_SELECTED | LVIS_FOCUSED);
        Pump();
        answers = {IDYES};
        list->SendMessage(WM_COMMAND, c.command, 0);
        Pump();
        for (int i = 0; i < L().GetItemCount(); ++i)
            ASSERT_NE(nullptr, list->GetMessageAt(i)) << "row " << i << " shows no mail";
        EXPECT_EQ(c.left, Subjects());
        EXPECT_EQ(static_cast<int>(c.left.size()), Box(1).GetMessageCount());
        if (c.command == CMsgListView::ID_DELETE)
            EXPECT_EQ(static_cast<int>(c.deleted.size()), Box(3).GetMessageCount());
    }
}

// A right click on a row offers the list's menu; each choice acts on the account of the listed
// box: a new mail in its own frame, the clicked mail opened, the clicked mail deleted.
TEST_F(EmailViewsTest, TheListsMenuWritesOpensAndDeletesTheClickedMail) {
    struct Case {
        UINT command;
        const char* expect;
    } cases[] = {
        {CEmailListView::ID_WRITE_EMAIL, "new"},
        {CEmailListView::ID_OPEN, "opened"},
        {CMsgListView::ID_DELETE, "recycled"},
    };
    Mail(1, "other", 1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expect);
        CEmailMessage* clicked = Mail(1, c.expect, 2);
        Show(Box(1));
        Focus(Row("other")); // the click, not the old focus, decides the row
        std::vector<std::string> items;
        AfxSetPopupMenuHook([&](HMENU hMenu, CWnd*, POINT, UINT) {
            CMenu* m = CMenu::FromHandle(hMenu);
            for (int i = 0; i < (int)m->GetMenuItemCount(); ++i) {
                CString text;
                m->GetMenuString((UINT)i, text, MF_BYPOSITION);
                items.push_back(S(text));
            }
            return c.command;
        });
        CRect r;
        ASSERT_TRUE(L().GetItemRect(Row(c.expect), &r, LVIR_BOUNDS));
        QTest::mouseClick(L().GetWidget(), Qt::RightButton, {}, QPoint(250, r.CenterPoint().y));
        Pump();
        AfxSetPopupMenuHook(nullptr);
        ASSERT_FALSE(items.empty());
        EXPECT_EQ("写新邮件(&N)", items[0]);

        const std::string expect = c.expect;
        if (expect == "new") {
            // A blank frame: the clicked mail is not the one being written.
            EXPECT_EQ(1, account->GetComposeFrameCount());
            EXPECT_EQ(nullptr, account->FindComposeFrame(clicked));
        } else if (expect == "opened") {
            EXPECT_EQ(1, account->GetComposeFrameCount());
            EXPECT_NE(nullptr, account->FindComposeFrame(clicked));
        } else {
            EXPECT_EQ(0, account->GetComposeFrameCount());
            EXPECT_EQ(&Box(3), clicked->GetBox());
            EXPECT_EQ(-1, Row(c.expect));
            EXPECT_NE(-1, Row("other"));
        }
        ASSERT_TRUE(account->CloseComposeFrames());
        Pump();
    }
}

// 永久删除 in the lists' context menus (the mails', and the short messages' that share it) has an
// access key, and no other entry of its menu uses that key.
TEST(ListMenus, PermanentDeleteHasAnAccessKeyOfItsOwn) {
    const auto keyOf = [](const CString& text) {
        const int amp = text.Find('&');
        return amp >= 0 && amp + 1 < text.GetLength() ? (char)toupper((unsigned char)text[amp + 1])
                                                      : '\0';
    };
    for (UINT menuId : {4216u, 411u}) {
        SCOPED_TRACE(menuId);
        CMenu menu;
        ASSERT_TRUE(menu.LoadMenu(menuId));
        CMenu* popup = menu.GetSubMenu(0);
        ASSERT_NE(nullptr, popup);
        CString text;
        ASSERT_GT(popup->GetMenuString(310, text, MF_BYCOMMAND), 0);
        const char key = keyOf(text);
        ASSERT_NE('\0', key) << (LPCTSTR)text;
        for (UINT i = 0; i < popup->GetMenuItemCount(); ++i) {
            CString other;
            popup->GetMenuString(i, other, MF_BYPOSITION);
            if (popup->GetMenuItemID((int)i) != 310)
                EXPECT_NE(key, keyOf(other)) << (LPCTSTR)other;
        }
    }
}

} // namespace
