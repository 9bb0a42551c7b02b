// Writing short messages in the running program: the compose form opened from the address-book
// tree, its message filed in the contact's outbox and sent through the service's stand-in.
#include "contacts/module/tests/ProgramTest.h"
#include "links/ServiceAddress.h"
#include "platform/base/Profile.h"
#include "shell/RightPaneFrame.h"
#include "sms/Sender.h"
#include "sms/module/SmsModule.h"
#include "sms/ui/DlgEditSms.h"
#include "sms/ui/DlgMessageBank.h"
#include "sms/ui/EditSmsForm.h"
#include "testsupport/NetTestEnv.h"

#include <QTest>
#include <gtest/gtest.h>

namespace {

class SmsModuleTest : public ContactsProgramTest {
protected:
    SmsModuleTest() : ContactsProgramTest(IDOK) {}

    CSmsModule smsModule;
    test_net::NetTestEnv env;
    test_net::ServiceStandIn server;
    _CSender account{"小王"};

    void SetUp() override {
        ContactsProgramTest::SetUp();
        AfxRegisterShellModule(&smsModule);
        ASSERT_TRUE(server.IsListening());
        account.GetRecord().m_remote.m_strUserId = "13800138000";
        account.GetRecord().m_remote.m_strPassword = "pw";
        account.GetMobileInfo().m_strMobileNumber = "13800138000";
    }

    // The book's contact in the messages mode, selected, with a mobile number.
    void SelectContactForMessages(FamilyBook& b) {
        b.person->GetInfo().m_personal.mobiles.AddTail(CXString(CString("13912345678")));
        b.tree->SetMode(CLeftView::ModeMessages);
        b.tree->GetTreeCtrl().SelectItem((HTREEITEM)b.person->GetTreeItem());
        Pump();
    }
    CEditSmsForm* Form(FamilyBook& b) {
        return dynamic_cast<CEditSmsForm*>(b.frame->GetRightPane()->GetView(2, CRightPaneFrame::KindFixed));
    }
};

TEST_F(SmsModuleTest, AMessageWrittenToTheCurrentContactIsFiledAndReachesTheGateway) {
    FamilyBook b = StartWithFamilyBook();
    ASSERT_NE(b.person, nullptr);
    ASSERT_TRUE(SetServiceBaseAddress(server.BaseAddress().c_str()));
    SelectContactForMessages(b);
    b.app->GetCommHost().SetActiveSender(&account);

    b.frame->SendMessage(WM_COMMAND, CLeftView::ID_WRITE_SMS);
    Pump();
    CEditSmsForm* form = Form(b);
    ASSERT_NE(form, nullptr);
    ASSERT_EQ(b.frame->GetRightPane()->GetCurrentWnd(), form);
    EXPECT_EQ(b.tree->GetViewMode(), CLeftView::ViewModePicking) << "the tree keeps still";
    CString single;
    form->GetDlgItemText(CEditSmsForm::IDC_SINGLE, single);
    EXPECT_EQ(single, "王芳<13912345678>");

    CWnd* text = form->GetDlgItem(CEditSmsForm::IDC_TEXT);
    text->SetFocus();
    QTest::keyClicks(text->GetWidget(), "see you at 8");
    Pump();
    CString count;
    form->GetDlgItemText(CEditSmsForm::IDC_CURRENT, count);
    EXPECT_EQ(count, "12");
    form->SaveScreenshot(ScreenPath("sms-compose-single").c_str());

    b.frame->SendMessage(WM_COMMAND, CEditSmsForm::ID_SEND);
    ASSERT_TRUE(WaitFor([&] { return !server.Requests().empty(); }, 5000));
    const auto requests = server.Requests();
    EXPECT_NE(requests[0].body.find("see%20you%20at%208"), std::string::npos) << requests[0].body;
    EXPECT_NE(requests[0].body.find("13912345678"), std::string::npos) << requests[0].body;
    EXPECT_EQ(b.tree->GetViewMode(), CLeftView::ViewModeNormal) << "writing ended";
    EXPECT_EQ(1, b.person->CountSmsByState(-1));
    EXPECT_TRUE(b.doc->IsModified());
    b.app->GetCommHost().SetActiveSender(nullptr);
    Exit(*b.app);
}

// A book whose root holds 家人 (王芳) and 同学 (甲, with the sub-group 大学 holding 乙 and a
// link to 王芳).
struct WalkBook {
    std::unique_ptr<CSmsApp> app;
    CMainFrame* frame = nullptr;
    CLeftView* tree = nullptr;
    CSmsDoc* doc = nullptr;
    _CPerson* person = nullptr;
    _CGroup* classmates = nullptr;
};

class SmsProgramWalkTest : public SmsModuleTest {
protected:
    WalkBook Start() {
        WalkBook w;
        CSmsDoc book;
        book.GetRootGroup().SetName("我的通讯录");
        auto* family = new _CGroup("家人");
        book.GetRootGroup().AddSubgroup(family);
        auto* fang = new _CPerson("王芳");
        fang->GetInfo().m_personal.mobiles.AddTail(CXString(CString("13912345678")));
        family->AddContent(fang);
        auto* classmates = new _CGroup("同学");
        book.GetRootGroup().AddSubgroup(classmates);
        auto* jia = new _CPerson("甲");
        jia->GetInfo().m_personal.mobiles.AddTail(CXString(CString("13711111111")));
        classmates->AddContent(jia);
        auto* college = new _CGroup("大学");
        classmates->AddSubgroup(college);
        auto* yi = new _CPerson("乙");
        yi->GetInfo().m_personal.mobiles.AddTail(CXString(CString("13722222222")));
        college->AddContent(yi);
        // A link to 王芳 among the college friends: its row carries the link overlay.
        college->AddContent(static_cast<_CPerson*>(fang->CreateVirtualCopy()), FALSE);
        const CString path = (dir.str() + "/walk.sms").c_str();
        EXPECT_TRUE(book.OnSaveDocument(path));
        w.app = ContactsProgramTest::Start();
        if (!w.app)
            return w;
        w.frame = w.app->GetMainFrame();
        w.tree = module.GetTree();
        if (w.tree == nullptr || w.frame->OpenFileByExtension(path) == nullptr)
            return w;
        w.doc = static_cast<CSmsDoc*>(w.tree->GetFileAt(0)->pDoc);
        CGroup& root = w.doc->GetRootGroup();
        w.tree->GetTreeCtrl().Expand(w.tree->GetFileAt(0)->hItem, TVE_EXPAND);
        w.classmates = dynamic_cast<_CGroup*>(root.FindByName("同学", TRUE, FALSE, TRUE));
        auto* fam = dynamic_cast<_CGroup*>(root.FindByName("家人", TRUE, FALSE, TRUE));
        if (fam != nullptr)
            w.tree->GetTreeCtrl().Expand((HTREEITEM)fam->GetTreeItem(), TVE_EXPAND);
        w.person = fam != nullptr ? dynamic_cast<_CPerson*>(fam->FindByName("王芳", FALSE, TRUE, TRUE))
                                  : nullptr;
        return w;
    }
    // A real mouse drag of the tree item onto the point of the form, with Ctrl held.
    void DragOnto(CLeftView* tree, HTREEITEM item, CWnd* target, CPoint targetPoint) {
        CTreeCtrl& ctrl = tree->GetTreeCtrl();
        CRect from;
        ctrl.GetItemRect(item, &from, TRUE);
        QWidget* w = ctrl.GetWidget();
        CPoint to = targetPoint;
        target->ClientToScreen(&to);
        ctrl.ScreenToClient(&to);
        auto send = [&](QEvent::Type type, CPoint pt, Qt::MouseButtons buttons) {
            QPointF local(pt.x, pt.y);
            QMouseEvent e(type, local, w->mapToGlobal(local), Qt::LeftButton, buttons,
                          Qt::ControlModifier);
            QCoreApplication::sendEvent(w, &e);
        };
        send(QEvent::MouseButtonPress, from.CenterPoint(), Qt::LeftButton);
        send(QEvent::MouseMove, from.CenterPoint() + CPoint(0, -8), Qt::LeftButton);
        send(QEvent::MouseMove, to, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, to, Qt::NoButton);
    }
};

TEST_F(SmsProgramWalkTest, ABatchMessageIsWrittenFromTheTreeTheGeneratorAndThePhraseBank) {
    WalkBook w = Start();
    ASSERT_NE(w.person, nullptr);
    ASSERT_NE(w.classmates, nullptr);
    w.tree->SetMode(CLeftView::ModeMessages);
    w.tree->GetTreeCtrl().SelectItem((HTREEITEM)w.person->GetTreeItem());
    Pump();
    w.frame->SendMessage(WM_COMMAND, CLeftView::ID_WRITE_SMS);
    Pump();
    auto* form = dynamic_cast<CEditSmsForm*>(w.frame->GetRightPane()->GetCurrentWnd());
    ASSERT_NE(form, nullptr);

    // The classmates with Ctrl: the sub-group's contact comes along.
    CRect list;
    form->GetBatchList().GetWindowRect(&list);
    form->ScreenToClient(&list);
    DragOnto(w.tree, (HTREEITEM)w.classmates->GetTreeItem(), form, list.CenterPoint());
    Pump();
    ASSERT_EQ(3, form->GetRowCount());
    EXPECT_EQ(form->GetBatchList().GetItemText(1, 0), "乙");
    EXPECT_EQ(form->GetBatchList().GetItemText(2, 0), "王芳");
    EXPECT_EQ(form->GetBatchList().GetItemText(2, 1), "13912345678");
    EXPECT_EQ(form->GetBatchList().GetItemState(2, LVIS_OVERLAYMASK), INDEXTOOVERLAYMASK(5));
    EXPECT_EQ(form->GetBatchList().GetItemState(1, LVIS_OVERLAYMASK), 0u);

    // Ten generated numbers.
    onDialog = [](CDialog& d) {
        d.SetDlgItemText(1006, "1360000000*");
        d.SendMessage(WM_COMMAND, IDOK);
    };
    form->SendMessage(WM_COMMAND, MAKEWPARAM(CEditSmsForm::IDC_GENERATOR, BN_CLICKED));
    EXPECT_EQ(13, form->GetRowCount());

    // A phrase from the shipped bank.
    CString phrase;
    onDialog = [&](CDialog& d) {
        auto& bank = static_cast<CDlgMessageBank&>(d);
        CTreeCtrl& t = bank.GetTree();
        HTREEITEM group = t.GetChildItem(TVI_ROOT);
        ASSERT_NE(group, nullptr);
        t.Expand(group, TVE_EXPAND);
        t.SelectItem(t.GetChildItem(group));
        ASSERT_GT(bank.GetList().GetItemCount(), 0);
        bank.GetList().SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        phrase = bank.GetList().GetItemText(0, 0);
        Pump();
        bank.SaveScreenshot(ScreenPath("sms-phrase-bank-shipped").c_str());
        bank.SendMessage(WM_COMMAND, MAKEWPARAM(CDlgMessageBank::IDC_OK, BN_CLICKED));
    };
    form->SendMessage(WM_COMMAND, MAKEWPARAM(CEditSmsForm::IDC_PHRASES, BN_CLICKED));
    onDialog = nullptr;
    CString text;
    form->GetDlgItemText(CEditSmsForm::IDC_TEXT, text);
    EXPECT_FALSE(phrase.IsEmpty());
    EXPECT_EQ(text, phrase);
    form->CheckRadioButton(CEditSmsForm::IDC_RADIO_SINGLE, CEditSmsForm::IDC_RADIO_BATCH,
                           CEditSmsForm::IDC_RADIO_BATCH);
    Pump();
    w.frame->SaveScreenshot(ScreenPath("sms-compose-batch").c_str());

    // Saved as pending: in the contact's outbox, and the tree free again.
    w.frame->SendMessage(WM_COMMAND, CEditSmsForm::ID_SAVE_PENDING);
    _CSmsBox* outbox = w.person->GetSmsBox(1);
    ASSERT_EQ(1, outbox->GetSmsCount());
    POSITION pos = outbox->GetFirstSmsPosition();
    _CSms* sms = outbox->GetNextSms(pos);
    EXPECT_EQ(sms->GetState(), _CSms::STATE_PENDING);
    EXPECT_TRUE(sms->m_bBatch);
    EXPECT_EQ(13, (int)sms->m_batchList.GetCount());
    EXPECT_EQ(sms->m_strContent, phrase);
    EXPECT_EQ(w.tree->GetViewMode(), CLeftView::ViewModeNormal);
    EXPECT_TRUE(w.doc->IsModified());
    answers = {IDNO};
    Exit(*w.app);
}

TEST_F(SmsProgramWalkTest, WhileAMessageIsWrittenNoRowsContactCanGo) {
    WalkBook w = Start();
    ASSERT_NE(w.person, nullptr);
    w.tree->SetMode(CLeftView::ModeMessages);
    w.tree->GetTreeCtrl().SelectItem((HTREEITEM)w.classmates->GetTreeItem());
    Pump();
    // Opened from outside the tree, with the classmates as rows.
    CObList contacts;
    POSITION p = w.classmates->GetFirstContentPosition();
    contacts.AddTail(w.classmates->GetNextContent(p));
    ASSERT_TRUE(w.frame->GetRightPane()->OpenSmsEditor(w.doc, CEditSmsForm::ModeNew, nullptr,
                                                       (LPARAM)&contacts, 0));
    auto* form = dynamic_cast<CEditSmsForm*>(w.frame->GetRightPane()->GetCurrentWnd());
    ASSERT_NE(form, nullptr);
    ASSERT_EQ(1, form->GetRowCount());
    EXPECT_EQ(w.tree->GetViewMode(), CLeftView::ViewModePicking);

    // Neither the group nor its book goes, whatever the user would answer.
    answers = {IDYES, IDYES, IDYES, IDYES};
    w.tree->SendMessage(WM_COMMAND, CLeftView::ID_DELETE_CURRENT);
    w.frame->SendMessage(WM_COMMAND, CLeftView::ID_DELETE_CURRENT);
    w.frame->SendMessage(WM_COMMAND, 0xE102); // close the current book
    Pump();
    EXPECT_EQ(1, w.tree->GetFileCount());
    EXPECT_NE(w.doc->GetRootGroup().FindByName("同学", TRUE, FALSE, TRUE), nullptr);
    EXPECT_EQ(form->GetBatchList().GetItemText(0, 0), "甲");

    // Once writing ended, the same delete takes the group.
    answers = {IDYES};
    w.frame->SendMessage(WM_COMMAND, CEditSmsForm::ID_DISCARD);
    EXPECT_EQ(w.tree->GetViewMode(), CLeftView::ViewModeNormal);
    w.tree->GetTreeCtrl().SelectItem((HTREEITEM)w.classmates->GetTreeItem());
    answers = {IDYES, IDYES};
    w.tree->SendMessage(WM_COMMAND, CLeftView::ID_DELETE_CURRENT);
    EXPECT_EQ(w.doc->GetRootGroup().FindByName("同学", TRUE, FALSE, TRUE), nullptr);
    answers = {IDNO};
    Exit(*w.app);
}

TEST_F(SmsModuleTest, SendingToAContactFromTheTreeGoesThroughTheDialogToTheGateway) {
    FamilyBook b = StartWithFamilyBook();
    ASSERT_NE(b.person, nullptr);
    ASSERT_TRUE(SetServiceBaseAddress(server.BaseAddress().c_str()));
    SelectContactForMessages(b);
    b.app->GetCommHost().SetActiveSender(&account);
    CDlgEditSms::SavePlace() = CDlgEditSms::PlaceContact;
    onDialog = [](CDialog& d) {
        CWnd* edit = d.GetDlgItem(CDlgEditSms::IDC_TEXT);
        edit->SetFocus();
        QTest::keyClicks(edit->GetWidget(), "call me");
        d.SendMessage(WM_COMMAND, MAKEWPARAM(CDlgEditSms::IDC_SEND_NOW, BN_CLICKED));
    };
    b.frame->SendMessage(WM_COMMAND, CLeftView::ID_SEND_SMS);
    onDialog = nullptr;
    ASSERT_TRUE(WaitFor([&] { return !server.Requests().empty(); }, 5000));
    EXPECT_NE(server.Requests()[0].body.find("call%20me"), std::string::npos);
    EXPECT_EQ(1, b.person->CountSmsByState(-1));
    EXPECT_TRUE(b.doc->IsModified());
    b.app->GetCommHost().SetActiveSender(nullptr);
    answers = {IDNO};
    Exit(*b.app);
}

} // namespace
