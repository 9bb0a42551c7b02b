// Two users of the e-card service, each in a window of the program, against the service standing
// in on loopback: access, cards and messages go from one to the other through the service only,
// and the account changes of one leave the other's view of it as the service tells.
#include "ECUiTestSupport.h"

#include "ecard/ui/ECAccessViews.h"
#include "ecard/ui/ECAccountDialogs.h"
#include "ecard/ui/ECBrowseContact.h"
#include "ecard/ui/ECCardForm.h"
#include "ecard/ui/ECMessageViews.h"
#include "links/ui/DlgSendSmsProgress.h"
#include "sms/SmsBox.h"

using namespace ecard_ui_test;

namespace {

constexpr UINT kMobileButton = 1113;
constexpr int kMobileField = 5;

class ECTwoUsersTest : public ECWindowTest {
protected:
    struct Side {
        CECFrame* frame = nullptr;
        CECContactsTreeView* tree = nullptr;
        CECUser* user = nullptr;
    };
    Side alice, bob;

    // Each user keeps the other as a friend; Alice lets Bob read her mobile (and the rest).
    void OpenBoth() {
        {
            std::lock_guard<std::mutex> g(service.lock);
            service.users[kAlice].friends = {kBob};
            service.users[kBob].friends = {kAlice};
            service.users[kAlice].access[kBob] = {0x80, 1, 1, 1, 1, 1};
            service.users[kAlice].card = {{"psn_mobile", "13900000001"}};
        }
        for (UINT uid : {kAlice, kBob}) {
            CECUserDoc doc;
            CECUser& u = doc.GetUser();
            u.SetUserNumber(uid);
            u.GetAccount().m_strPassword = uid == kAlice ? "alice1" : "bob123";
            u.GetAccount().m_strUserName = uid == kAlice ? "爱丽丝" : "鲍勃";
            CECContact* other = AddContact(u.GetFriends(), uid == kAlice ? kBob : kAlice,
                                           uid == kAlice ? "鲍勃" : "爱丽丝");
            other->m_dwStatus = CECContact::STATUS_FRIEND;
            if (uid == kAlice)
                for (int i = 0; i < 6; ++i)
                    other->m_access[i] = i == 0 ? 0x80 : 0x7FFFFFFF;
            ASSERT_TRUE(doc.SaveUser());
        }
        OpenWindow(kAlice);
        alice = {frame, tree, user};
        OpenWindow(kBob);
        bob = {frame, tree, user};
    }
    void Use(const Side& s) {
        frame = s.frame;
        tree = s.tree;
        user = s.user;
    }
    CECContact* Other() const {
        return user->GetRootGroup().FindByNumber(user->GetAccount().m_nUid == kAlice ? kBob : kAlice);
    }
    void Select(HTREEITEM h) {
        tree->GetTreeCtrl().SelectItem(h);
        Pump();
    }
    void ClickTreeItem(CTreeCtrl& t, HTREEITEM h) {
        CRect rc;
        ASSERT_TRUE(t.GetItemRect(h, &rc, TRUE));
        QTest::mouseClick(t.GetWidget(), Qt::LeftButton, Qt::NoModifier,
                          QPoint(rc.CenterPoint().x, rc.CenterPoint().y));
        Pump();
    }
    CECMessageContainerView* Messages() {
        return dynamic_cast<CECMessageContainerView*>(
            frame->GetRightPane()->GetViewWnd(EC_VIEW_MESSAGES));
    }
    std::vector<std::string> Bodies(const char* page) {
        std::vector<std::string> bodies;
        for (const auto& r : server.Requests())
            if (r.page.find(page) != std::string::npos)
                bodies.push_back(r.body);
        return bodies;
    }
    static _CSmsBox& BoxOf(CECContact& c, int nType) {
        return *dynamic_cast<_CSmsBox*>(c.GetSmsBox().FindSubBoxByType(nType));
    }
    // A message to the other user from the compose dialog, by the button.
    void Write(const char* text, UINT button) {
        Select(tree->GetRootItem());
        Select(ItemOf(Other()->m_nUid));
        onDialog = [&](CDialog& d) {
            Type(&d, CDlgEditSms::IDC_SUBJECT, "hello");
            Type(&d, CDlgEditSms::IDC_TEXT, text);
            Click(&d, button);
        };
        ASSERT_TRUE(Enabled(32807));
        Command(32807);
        onDialog = nullptr;
    }
};

TEST_F(ECTwoUsersTest, AccessCardsMessagesAndAccountChangesBetweenTwoUsers) {
    OpenBoth();

    // ---- Alice hides her mobile from Bob ----
    Use(alice);
    Select(ItemOf(kBob));
    onDialog = [&](CDialog& d) {
        auto& dlg = dynamic_cast<CECDlgModifyAccess&>(d);
        EXPECT_EQ(CAccessItemButton::StateAll, dlg.FindButton(kMobileButton)->GetState());
        Click(&dlg, kMobileButton);
        EXPECT_EQ(CAccessItemButton::StateNone, dlg.FindButton(kMobileButton)->GetState());
        Click(&dlg, IDOK);
    };
    Command(1521);
    WaitIdle();
    Pump();
    {
        const auto bodies = Bodies("setcntaccess.asp");
        ASSERT_EQ(1u, bodies.size());
        const std::string contacts = test_net::FormValue(test_net::ParseForm(bodies[0]), "Contacts");
        // Bob, then the values and change masks: the mobile's bit changed, its value now off.
        EXPECT_EQ("20000002|", contacts.substr(0, contacts.find('|') + 1)) << contacts;
        const size_t indiv = contacts.find("indiv=");
        ASSERT_NE(std::string::npos, indiv) << contacts;
        char* end = nullptr;
        EXPECT_EQ(0, std::strtol(contacts.c_str() + indiv + 6, &end, 10)) << contacts;
        EXPECT_TRUE(std::strtol(end + 1, nullptr, 10) & 0x80) << contacts;
        std::lock_guard<std::mutex> g(service.lock);
        EXPECT_EQ(0, service.users[kAlice].access[kBob][0]);
    }
    EXPECT_EQ(0, Other()->m_access[0]);

    // ---- Bob synchronises: the mobile is a red "no access" row ----
    Use(bob);
    Command(1525);
    WaitIdle();
    Pump();
    Select(ItemOf(kAlice));
    Command(ID_EC_VIEW_BROWSE_CARD);
    Pump();
    auto* browse = dynamic_cast<CECViewBrowseContact*>(
        frame->GetRightPane()->GetViewWnd(EC_VIEW_BROWSE_CARD));
    ASSERT_NE(nullptr, browse);
    CECViewContactInfoList* info = browse->GetInfoList();
    auto rowOf = [&](int nField) {
        CListCtrl& l = info->GetListCtrl();
        for (int i = 0; i < l.GetItemCount(); ++i)
            if ((int)l.GetItemData(i) == nField)
                return i;
        return -1;
    };
    const int mobileRow = rowOf(kMobileField);
    ASSERT_GE(mobileRow, 0);
    EXPECT_TRUE(info->IsHiddenRow(mobileRow));
    EXPECT_NE(-1, info->GetListCtrl().GetItemText(mobileRow, 1).Find(CECViewContactInfoList::kHidden));

    // ---- Alice edits and uploads her card; Bob sees it after his refresh ----
    Use(alice);
    frame->GetUserDoc()->SetCurrentObject(user);
    frame->GetRightPane()->SetMode(EC_MODE_NONE, tree);
    frame->GetRightPane()->ShowViewNumber(EC_VIEW_CARD_FORM, tree);
    frame->GetUserDoc()->UpdateAllViews(nullptr, 0);
    Pump();
    auto* form = dynamic_cast<CFormECPerson*>(frame->GetRightPane()->GetViewWnd(EC_VIEW_CARD_FORM));
    ASSERT_TRUE(form->IsOwnCard());
    Type(&form->GetSheet().m_pageState, CPageECState::IDC_LOCATION, "Hangzhou");
    Pump();
    Command(CFormECPerson::ID_CONFIRM);
    WaitIdle();
    Pump();
    EXPECT_EQ("Hangzhou", user->m_strLocation);
    // The own card is no one to write to.
    EXPECT_FALSE(Enabled(32807));
    Use(bob);
    Select(ItemOf(kAlice));
    Command(1518);
    WaitIdle();
    Pump();
    EXPECT_EQ("Hangzhou", Other()->m_strLocation);
    EXPECT_TRUE(IsECFieldReadable(*Other(), ECF_LOCATION, EC_RECORD_RECEIVED));
    EXPECT_FALSE(IsECFieldReadable(*Other(), kMobileField, EC_RECORD_RECEIVED));

    // ---- Alice writes Bob one message at once and one queued, sent by "发送待发短信" ----
    Use(alice);
    Write("at once", CDlgEditSms::IDC_SEND_NOW);
    Write("queued", CDlgEditSms::IDC_PENDING);
    EXPECT_EQ(1, BoxOf(*Other(), CMsgBoxBase::BOX_OUTBOX).GetSmsCount());
    Command(ID_EC_VIEW_MESSAGES);
    Pump();
    CECMessageTreeView* boxes = Messages()->GetTree();
    ClickTreeItem(boxes->GetTreeCtrl(), boxes->GetTreeCtrl().GetRootItem());
    ASSERT_TRUE(Enabled(CECMessageTreeView::ID_SEND_WAITING));
    Command(CECMessageTreeView::ID_SEND_WAITING);
    WaitIdle();
    Pump();
    CDlgSendSmsProgress* progress = frame->GetSendProgress().GetDialog();
    ASSERT_NE(nullptr, progress);
    EXPECT_EQ(1, progress->GetList().GetItemCount());
    EXPECT_EQ(0, BoxOf(*Other(), CMsgBoxBase::BOX_OUTBOX).GetSmsCount());
    EXPECT_EQ(2, BoxOf(*Other(), CMsgBoxBase::BOX_SENT).GetSmsCount());
    {
        const auto bodies = Bodies("leavemessage.asp");
        ASSERT_EQ(2u, bodies.size());
        for (const auto& b : bodies)
            EXPECT_EQ("20000002", test_net::FormValue(test_net::ParseForm(b), "Contacts"));
    }

    // ---- Bob receives them (F4); reading one lowers the counts ----
    Use(bob);
    Select(ItemOf(kAlice));
    QTest::keyClick(tree->GetTreeCtrl().GetWidget(), Qt::Key_F4);
    WaitIdle();
    Pump();
    _CSmsBox& inbox = BoxOf(*Other(), CMsgBoxBase::BOX_INBOX);
    ASSERT_EQ(2, inbox.GetSmsCount());
    EXPECT_EQ("2未读 ", CECMessageTreeView::UnreadText(inbox));
    COLORREF colour = 0;
    int unread = 0;
    EXPECT_EQ("2", tree->GetItemExtraText(ItemOf(kAlice), colour, unread));
    Select(ItemOf(kAlice));
    Command(ID_EC_VIEW_MESSAGES);
    Pump();
    boxes = Messages()->GetTree();
    ClickTreeItem(boxes->GetTreeCtrl(), boxes->FindBoxItem(&inbox));
    CECMessageListView* list = Messages()->GetListContainer()->GetMessageList();
    CListCtrl& rows = list->GetListCtrl();
    ASSERT_EQ(2, rows.GetItemCount());
    CRect rc;
    ASSERT_TRUE(rows.GetItemRect(0, &rc, LVIR_LABEL));
    QTest::mouseClick(rows.GetWidget(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(rc.CenterPoint().x, rc.CenterPoint().y));
    Pump();
    ASSERT_TRUE(list->IsReadTimerRunning());
    list->OnReadTimer();
    Pump();
    EXPECT_EQ("1未读 ", CECMessageTreeView::UnreadText(inbox));
    EXPECT_EQ("1", tree->GetItemExtraText(ItemOf(kAlice), colour, unread));
    std::vector<CString> texts;
    for (POSITION pos = inbox.GetFirstSmsPosition(); pos != nullptr;)
        texts.push_back(inbox.GetNextSms(pos)->m_strContent);
    std::sort(texts.begin(), texts.end());
    EXPECT_EQ((std::vector<CString>{"at once", "queued"}), texts);

    // ---- Alice changes her password: offline the old one asks again, the new one passes ----
    Use(alice);
    onDialog = [&](CDialog& d) {
        Type(&d, CECDlgChangePassword::IDC_OLD, "alice1");
        Type(&d, CECDlgChangePassword::IDC_NEW, "alice2");
        Type(&d, CECDlgChangePassword::IDC_REPEAT, "alice2");
        Click(&d, IDOK);
    };
    Command(1524);
    EXPECT_EQ(1, CECUsersManager::CheckUserPassword(kAlice, "alice1", FALSE));
    EXPECT_EQ(0, CECUsersManager::CheckUserPassword(kAlice, "alice2", FALSE));

    // ---- Alice deregisters: her folder goes, her window closes, the service refuses her ----
    onDialog = [&](CDialog& d) {
        Type(&d, CECDlgDeregister::IDC_PASSWORD, "alice2");
        Click(&d, CECDlgDeregister::IDC_MAKE_CODE);
        Type(&d, CECDlgDeregister::IDC_CODE, "8888");
        Click(&d, IDOK);
    };
    Command(1508);
    ASSERT_TRUE(WaitFor([this] { return manager.GetWindowCount() == 1; }, 5000));
    EXPECT_EQ(bob.frame, manager.GetWindow(0));
    EXPECT_FALSE(FileExists(GetECUserFilePath(kAlice)));
    EXPECT_TRUE(FileExists(GetECUserFilePath(kBob)));
    EXPECT_NE(0, CECUsersManager::CheckUserPassword(kAlice, "alice2", TRUE));
    EXPECT_EQ(0, CECUsersManager::CheckUserPassword(kBob, "bob123", TRUE));
    Use(bob);
}

} // namespace
