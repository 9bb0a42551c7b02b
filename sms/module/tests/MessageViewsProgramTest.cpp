// A contact's message boxes in the running program: the list beside the address-book tree in the
// messages mode, answered, resent and forwarded through its context menu with the user's mouse
// and keys; the tree's statistics, export, paste and drop on a box.
#include "contacts/module/tests/ProgramTest.h"
#include "platform/base/File.h"
#include "shell/RightPaneFrame.h"
#include "sms/Sms.h"
#include "sms/module/SmsModule.h"
#include "sms/ui/DlgSmsBoxInfo.h"
#include "sms/ui/EditSmsForm.h"
#include "sms/ui/SmsRecordViews.h"
#include "sms/ui/SmsView.h"
#include "contacts/ui/ViewPerson.h"
#include "contacts/ui/ViewPsnInfo.h"
#include "ui/TabWnd.h"
#include "ui/tests/CmdUIProbe.h"

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <string>

namespace {

_CSms* MakeSms(int nState, const char* sender, const char* recipient, const char* text) {
    auto* p = new _CSms;
    p->SetState(nState);
    p->m_sender = CNameCodeString(sender);
    p->m_recipient = CNameCodeString(recipient);
    p->m_strContent = text;
    p->m_nSize = (int)strlen(text);
    p->SetTime(CTime(2024, 5, 6, 7, 8, 9));
    return p;
}

class MessageViewsProgramTest : public ContactsProgramTest {
protected:
    MessageViewsProgramTest() : ContactsProgramTest(IDYES) {}

    CSmsModule smsModule;
    FamilyBook b;

    void SetUp() override {
        ContactsProgramTest::SetUp();
        AfxRegisterShellModule(&smsModule);
        b = StartWithFamilyBook();
        ASSERT_NE(b.person, nullptr);
        b.person->GetInfo().m_personal.mobiles.AddTail(CXString(CString("13912345678")));
        b.tree->SetMode(CLeftView::ModeMessages);
        b.tree->ShowPersonBoxes((HTREEITEM)b.person->GetTreeItem(), TRUE, TRUE);
        Pump();
    }
    void TearDown() override {
        if (b.app) {
            b.doc->SetModifiedFlag(FALSE);
            Exit(*b.app);
        }
        ContactsProgramTest::TearDown();
    }

    _CSmsBox& Box(int nType) {
        return *static_cast<_CSmsBox*>(b.person->GetSmsBox().FindSubBoxByType(nType));
    }
    // The box picked in the tree; answers the list the right pane shows for it.
    CSmsView* Open(_CSmsBox& box) {
        b.tree->GetTreeCtrl().SelectItem((HTREEITEM)box.GetTreeItem());
        Pump();
        auto* view = dynamic_cast<CSplitterView*>(b.frame->GetRightPane()->GetCurrentView());
        return view != nullptr ? view->GetSmsList() : nullptr;
    }
    CEditSmsForm* Form() {
        return dynamic_cast<CEditSmsForm*>(
            b.frame->GetRightPane()->GetView(2, CRightPaneFrame::KindFixed));
    }
    static QPoint RowPoint(CSmsView* list, int row) {
        CRect rc;
        list->List().GetItemRect(row, &rc, LVIR_LABEL);
        return QPoint(rc.CenterPoint().x, rc.CenterPoint().y);
    }
    // A left click on the row, then a right click and the keys typed into the menu (a letter two
    // entries share only selects the first: Return runs it).
    void ChooseFromMenu(CSmsView* list, int row, const char* letter) {
        QWidget* w = list->List().GetWidget();
        QTest::mouseClick(w, Qt::LeftButton, {}, RowPoint(list, row));
        Pump();
        QObject context;
        std::string keys = letter;
        QTimer::singleShot(50, &context, [keys] {
            for (char k : keys) {
                QWidget* popup = QApplication::activePopupWidget();
                if (popup == nullptr)
                    return;
                if (k == '\r')
                    QTest::keyClick(popup, Qt::Key_Return);
                else
                    QTest::keyClicks(popup, QString(QChar(k)));
            }
        });
        QTimer::singleShot(3000, &context, [] { // a menu left open must not hang the test
            if (QWidget* popup = QApplication::activePopupWidget())
                popup->close();
        });
        QTest::mouseClick(w, Qt::RightButton, {}, RowPoint(list, row));
        Pump();
    }
    static BOOL Enabled(CWnd* target, UINT id) { return UpdateOf(target, id).enabled; }
    static std::string Text(CWnd* form, int id) {
        CString s;
        form->GetDlgItemText(id, s);
        return s.GetString();
    }
};

// Each answer opens the compose form: a reply to the sender of a received message, a resent
// message with its recipient and text, a forward of a received message with its text and no recipient.
TEST_F(MessageViewsProgramTest, ReplyResendAndForwardFromTheListsMenuFillTheComposeForm) {
    Box(0).AddSms(MakeSms(_CSms::STATE_READ, "王芳\n13912345678", "我\n13800138000", "明天见"));
    Box(2).AddSms(MakeSms(_CSms::STATE_SENT, "我\n13800138000", "王芳\n13912345678", "好的，八点"));
    struct Case {
        int box;
        const char* letter;
        const char* recipient;
        const char* text;
    } cases[] = {
        {0, "a", "王芳<13912345678>", ""},
        {2, "r\r", "王芳<13912345678>", "好的，八点"},
        {0, "f\r", "", "明天见"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.letter);
        CSmsView* list = Open(Box(c.box));
        ASSERT_NE(list, nullptr);
        ASSERT_EQ(list->List().GetItemCount(), 1);
        ChooseFromMenu(list, 0, c.letter);
        CEditSmsForm* form = Form();
        ASSERT_NE(form, nullptr);
        ASSERT_EQ(b.frame->GetRightPane()->GetCurrentWnd(), form);
        EXPECT_EQ(Text(form, CEditSmsForm::IDC_SINGLE), c.recipient);
        EXPECT_EQ(Text(form, CEditSmsForm::IDC_TEXT), c.text);
        if (std::string(c.letter) == "a")
            form->SaveScreenshot(ScreenPath("sms-reply-form").c_str());
        // The user throws the answer away (the stand-in user says yes); the boxes are as they were.
        b.frame->SendMessage(WM_COMMAND, CEditSmsForm::ID_DISCARD);
        Pump();
        EXPECT_EQ(Box(0).GetSmsCount() + Box(1).GetSmsCount() + Box(2).GetSmsCount(), 2);
    }
}

// The tree's commands on a contact's box: the statistics dialog, the card export (only for a box
// that holds messages), and the paste of the messages the list cut.
TEST_F(MessageViewsProgramTest, TheTreeShowsABoxsStatisticsExportsItAndPastesTheCutMessages) {
    Box(0).AddSms(MakeSms(_CSms::STATE_READ, "王芳\n13912345678", "我\n13800138000", "明天见"));
    Box(0).AddSms(MakeSms(_CSms::STATE_UNREAD, "王芳\n13912345678", "我\n13800138000", "在吗"));
    CSmsView* list = Open(Box(0));
    ASSERT_NE(list, nullptr);

    std::string statistics;
    onDialog = [&](CDialog& d) {
        CString s;
        d.GetDlgItemText(CDlgSmsBoxInfo::IDC_STATISTICS, s);
        statistics = s.GetString();
        d.EndDialog(IDOK);
    };
    EXPECT_TRUE(Enabled(b.tree, CLeftView::ID_BOX_STATISTICS));
    b.tree->SendMessage(WM_COMMAND, CLeftView::ID_BOX_STATISTICS);
    EXPECT_EQ(statistics, CDlgSmsBoxInfo::BuildStatistics(Box(0)).GetString());
    EXPECT_NE(statistics.find('2'), std::string::npos) << statistics;

    const CString path = (dir.str() + "/收件箱.txt").c_str();
    AnswerFile(path);
    ASSERT_TRUE(Enabled(b.tree, CLeftView::ID_EXPORT_CARDS));
    EXPECT_FALSE(Enabled(b.tree, CLeftView::ID_EXPORT_CSV));
    b.tree->SendMessage(WM_COMMAND, CLeftView::ID_EXPORT_CARDS);
    CFile file;
    ASSERT_TRUE(file.Open(path, CFile::modeRead));
    std::string bytes(file.GetLength(), '\0');
    file.Read(&bytes[0], (UINT)bytes.size());
    EXPECT_NE(bytes.find(std::string(CString("明天见").GetString())), std::string::npos);
    EXPECT_NE(bytes.find(std::string(CString("在吗").GetString())), std::string::npos);
    // The sent box holds nothing: nothing to export.
    b.tree->GetTreeCtrl().SelectItem((HTREEITEM)Box(2).GetTreeItem());
    Pump();
    EXPECT_FALSE(Enabled(b.tree, CLeftView::ID_EXPORT_CARDS));

    // Cut in the list, paste on the sent box in the tree: the message moves, the book is marked.
    list = Open(Box(0));
    ASSERT_NE(list, nullptr);
    EXPECT_FALSE(Enabled(b.tree, CLeftView::ID_PASTE));
    QWidget* rows = list->List().GetWidget();
    QTest::mouseClick(rows, Qt::LeftButton, {}, RowPoint(list, 0));
    Pump();
    QTest::keyClick(rows, Qt::Key_X, Qt::ControlModifier);
    Pump();
    EXPECT_EQ(Box(0).GetSmsCount(), 1);
    b.doc->SetModifiedFlag(FALSE);
    CSmsView* sent = Open(Box(3));
    ASSERT_NE(sent, nullptr);
    EXPECT_TRUE(Enabled(b.tree, CLeftView::ID_PASTE));
    b.tree->SendMessage(WM_COMMAND, CLeftView::ID_PASTE);
    Pump();
    EXPECT_EQ(Box(3).GetSmsCount(), 1);
    EXPECT_EQ(sent->List().GetItemCount(), 1) << "the list shows what came in";
    EXPECT_TRUE(b.doc->IsModified());
    EXPECT_FALSE(Enabled(b.tree, CLeftView::ID_PASTE)) << "the clipboard is empty now";
}

// A row of the list dropped on a box item of the tree: it moves when that box takes the message;
// the copy key, the box it is already in and a box of another kind refuse it, and a test moves
// nothing.
TEST_F(MessageViewsProgramTest, ARowDroppedOnABoxOfTheTreeMovesThereWhenTheBoxTakesIt) {
    Box(0).AddSms(MakeSms(_CSms::STATE_READ, "王芳\n13912345678", "我\n13800138000", "明天见"));
    CSmsView* list = Open(Box(0));
    ASSERT_NE(list, nullptr);
    auto query = [&](int box, int keys, BOOL test) {
        MSGDROPQUERY q;
        CRect rc;
        b.tree->GetTreeCtrl().GetItemRect((HTREEITEM)Box(box).GetTreeItem(), &rc, TRUE);
        q.pt = rc.CenterPoint();
        q.nRow = 0;
        q.keyFlags = keys;
        q.bTest = test;
        q.pSourceList = list;
        return b.tree->SendMessage(WM_MSGLIST_DROP, 0, (LPARAM)&q);
    };
    struct Case {
        int box, keys;
        BOOL test;
        LRESULT answer;
    } refused[] = {
        {3, DRAG_KEY_CTRL, FALSE, 0}, // the copy key
        {0, 0, FALSE, 0},             // where it is
        {1, 0, FALSE, 0},             // a received message into the outbox
        {3, 0, TRUE, 1},              // a test only
    };
    for (const Case& c : refused) {
        SCOPED_TRACE(c.box);
        EXPECT_EQ(query(c.box, c.keys, c.test), c.answer);
        EXPECT_EQ(Box(0).GetSmsCount(), 1);
    }
    // A plain query of another kind of record is the tree's own drop and takes no message.
    GROUPDROPQUERY plain;
    plain.pt = CPoint(1, 1);
    EXPECT_EQ(b.tree->SendMessage(WM_MSGLIST_DROP, 0, (LPARAM)&plain), 0);

    // The user drags the row onto the recycle box with the mouse.
    b.doc->SetModifiedFlag(FALSE);
    CListCtrl& rows = list->List();
    CRect from;
    rows.GetItemRect(0, &from, LVIR_LABEL);
    CRect to;
    b.tree->GetTreeCtrl().GetItemRect((HTREEITEM)Box(3).GetTreeItem(), &to, TRUE);
    CPoint target = to.CenterPoint();
    b.tree->GetTreeCtrl().ClientToScreen(&target);
    rows.ScreenToClient(&target);
    QWidget* w = rows.GetWidget();
    auto send = [&](QEvent::Type type, CPoint pt, Qt::MouseButtons buttons) {
        QPointF local(pt.x, pt.y);
        QMouseEvent e(type, local, w->mapToGlobal(local), Qt::LeftButton, buttons, Qt::NoModifier);
        QCoreApplication::sendEvent(w, &e);
    };
    send(QEvent::MouseButtonPress, from.CenterPoint(), Qt::LeftButton);
    send(QEvent::MouseMove, from.CenterPoint() + CPoint(0, 12), Qt::LeftButton);
    send(QEvent::MouseMove, target, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, target, Qt::NoButton);
    Pump();
    EXPECT_EQ(Box(0).GetSmsCount(), 0);
    EXPECT_EQ(Box(3).GetSmsCount(), 1);
    EXPECT_TRUE(b.doc->IsModified());
}

// The walk of a user through a contact's boxes: a draft of the outbox edited, a received message
// answered, deleted into the recycle box, restored, and the outbox exported.
TEST_F(MessageViewsProgramTest, AUserEditsADraftRepliesDeletesRestoresAndExportsTheBox) {
    Box(0).AddSms(MakeSms(_CSms::STATE_READ, "王芳\n13912345678", "我\n13800138000", "明天见"));
    Box(1).AddSms(MakeSms(_CSms::STATE_DRAFT, "我\n13800138000", "王芳\n13912345678", "草稿原文"));

    // A double click on the draft opens it in the compose form; the user rewrites the text.
    CSmsView* list = Open(Box(1));
    ASSERT_NE(list, nullptr);
    QTest::mouseClick(list->List().GetWidget(), Qt::LeftButton, {}, RowPoint(list, 0));
    Pump();
    QTest::mouseDClick(list->List().GetWidget(), Qt::LeftButton, {}, RowPoint(list, 0));
    Pump();
    CEditSmsForm* form = Form();
    ASSERT_NE(form, nullptr);
    ASSERT_EQ(b.frame->GetRightPane()->GetCurrentWnd(), form);
    EXPECT_EQ(Text(form, CEditSmsForm::IDC_TEXT), "草稿原文");
    QWidget* text = form->GetDlgItem(CEditSmsForm::IDC_TEXT)->GetWidget();
    form->GetDlgItem(CEditSmsForm::IDC_TEXT)->SetFocus();
    QTest::keyClick(text, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(text, "see you at 8");
    Pump();
    b.frame->SendMessage(WM_COMMAND, CEditSmsForm::ID_CONFIRM);
    Pump();
    ASSERT_EQ(Box(1).GetSmsCount(), 1);
    POSITION first = Box(1).GetFirstSmsPosition();
    _CSms* edited = Box(1).GetNextSms(first);
    EXPECT_EQ(std::string(edited->m_strContent.GetString()), "see you at 8");
    EXPECT_EQ(edited->GetState(), _CSms::STATE_DRAFT) << "an edited message keeps its state";

    // The received message answered from its context menu and kept as a draft.
    list = Open(Box(0));
    ASSERT_NE(list, nullptr);
    ChooseFromMenu(list, 0, "a");
    form = Form();
    ASSERT_NE(form, nullptr);
    form->GetDlgItem(CEditSmsForm::IDC_TEXT)->SetFocus();
    QTest::keyClicks(form->GetDlgItem(CEditSmsForm::IDC_TEXT)->GetWidget(), "ok");
    Pump();
    b.frame->SendMessage(WM_COMMAND, CEditSmsForm::ID_SAVE_DRAFT);
    Pump();
    ASSERT_EQ(Box(1).GetSmsCount(), 2);
    POSITION pos = Box(1).GetFirstSmsPosition();
    Box(1).GetNextSms(pos);
    _CSms* reply = Box(1).GetNextSms(pos);
    EXPECT_EQ(std::string(reply->m_strContent.GetString()), "ok");
    EXPECT_EQ(std::string(reply->m_recipient.GetCode().GetString()), "13912345678");

    // Del in the inbox's list: the message goes into the recycle box.
    list = Open(Box(0));
    ASSERT_NE(list, nullptr);
    QWidget* rows = list->List().GetWidget();
    QTest::mouseClick(rows, Qt::LeftButton, {}, RowPoint(list, 0));
    QTest::keyClick(rows, Qt::Key_Delete);
    Pump();
    EXPECT_EQ(Box(0).GetSmsCount(), 0);
    EXPECT_EQ(list->List().GetItemCount(), 0);
    ASSERT_EQ(Box(3).GetSmsCount(), 1);

    // Restored from the recycle box's menu ("t" selects the first of two entries, Return runs it).
    list = Open(Box(3));
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->List().GetItemCount(), 1);
    ChooseFromMenu(list, 0, "t\r");
    EXPECT_EQ(Box(3).GetSmsCount(), 0);
    EXPECT_EQ(list->List().GetItemCount(), 0);
    EXPECT_EQ(Box(0).GetSmsCount(), 1);

    // The outbox exported from the tree as cards.
    b.tree->GetTreeCtrl().SelectItem((HTREEITEM)Box(1).GetTreeItem());
    Pump();
    const CString path = (dir.str() + "/outbox.txt").c_str();
    AnswerFile(path);
    b.tree->SendMessage(WM_COMMAND, CLeftView::ID_EXPORT_CARDS);
    CFile file;
    ASSERT_TRUE(file.Open(path, CFile::modeRead));
    std::string bytes(file.GetLength(), '\0');
    file.Read(&bytes[0], (UINT)bytes.size());
    EXPECT_NE(bytes.find("see you at 8"), std::string::npos);
    EXPECT_NE(bytes.find("\r\nok"), std::string::npos) << bytes;
    EXPECT_TRUE(b.doc->IsModified());
}

// A contact picked in the messages mode: the person view's first tab lists the details, the
// second the messages to and from the contact; a click on a message shows it in the pane below.
TEST_F(MessageViewsProgramTest, ThePersonViewsSecondTabListsTheContactsMessages) {
    Box(0).AddSms(MakeSms(_CSms::STATE_READ, "王芳\n13912345678", "我\n13800138000", "明天见"));
    Box(2).AddSms(MakeSms(_CSms::STATE_SENT, "我\n13800138000", "王芳\n13912345678", "好的，八点"));
    b.tree->GetTreeCtrl().SelectItem((HTREEITEM)b.person->GetTreeItem());
    Pump();
    auto* view = dynamic_cast<CViewPerson*>(b.frame->GetRightPane()->GetCurrentView());
    ASSERT_NE(view, nullptr);
    ASSERT_NE(view->GetTabs(), nullptr);
    EXPECT_EQ(view->GetTabs()->GetCurrentPageIndex(), 0);
    // Only the page of the current tab shows.
    ASSERT_NE(view->GetInfoList(), nullptr);
    EXPECT_TRUE(view->GetInfoList()->IsWindowVisible());
    ASSERT_NE(view->GetRecordsPane(), nullptr);
    EXPECT_FALSE(view->GetRecordsPane()->IsWindowVisible());
    b.frame->SaveScreenshot(ScreenPath("person-view-details").c_str());

    CTabCtrl* tabs = view->GetTabs()->GetTabCtrl();
    CRect tabRect;
    ASSERT_TRUE(tabs->GetItemRect(1, &tabRect));
    QTest::mouseClick(tabs->GetWidget(), Qt::LeftButton, {},
                      QPoint(tabRect.CenterPoint().x, tabRect.CenterPoint().y));
    Pump();
    EXPECT_EQ(view->GetTabs()->GetCurrentPageIndex(), 1);
    auto* records = dynamic_cast<CViewSmsRecord*>(view->GetRecordsPane());
    ASSERT_NE(records, nullptr);
    ASSERT_TRUE(records->IsWindowVisible());
    EXPECT_FALSE(view->GetInfoList()->IsWindowVisible());
    CListCtrl& rows = records->GetListCtrl();
    ASSERT_EQ(rows.GetItemCount(), 2);
    CRect rowRect;
    rows.GetItemRect(1, &rowRect, LVIR_LABEL);
    QTest::mouseClick(rows.GetWidget(), Qt::LeftButton, {},
                      QPoint(rowRect.CenterPoint().x, rowRect.CenterPoint().y));
    Pump();
    ASSERT_NE(records->GetSelectedSms(), nullptr);
    CFormContent* form = records->GetContentForm();
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(Text(form, CFormContent::IDC_TEXT), records->GetSelectedSms()->m_strContent.GetString());
    b.frame->SaveScreenshot(ScreenPath("person-view-messages").c_str());
}

} // namespace
