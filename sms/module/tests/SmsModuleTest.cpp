// Writing short messages in the running program: the compose form opened from the address-book
// tree, its message filed in the contact's outbox and sent through the service's stand-in.
#include "contacts/module/tests/ProgramTest.h"
#include "links/ServiceAddress.h"
#include "platform/base/Profile.h"
#include "shell/RightPaneFrame.h"
#include "sms/Sender.h"
#include "sms/module/SmsModule.h"
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

} // namespace
