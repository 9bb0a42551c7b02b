// A contact's message boxes in the running program: the list beside the address-book tree in the
// messages mode, answered, resent and forwarded through its context menu with the user's mouse
// and keys.
#include "contacts/module/tests/ProgramTest.h"
#include "shell/RightPaneFrame.h"
#include "sms/Sms.h"
#include "sms/module/SmsModule.h"
#include "sms/ui/EditSmsForm.h"
#include "sms/ui/SmsView.h"

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

} // namespace
