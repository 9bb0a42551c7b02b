// The window of a logged-in user: its parts, the tree of the three groups, the requests of the
// tree (add, delete, synchronise) and what the window does while one runs.
#include "ECUiTestSupport.h"

#include "ecard/ui/ECContactsTreeView.h"
#include "ecard/ui/ECDialogs.h"
#include "ecard/ui/ECFrame.h"
#include "ecard/ui/ECRightPaneFrame.h"
#include "ecard/ui/ECUserManagerView.h"

using namespace ecard_ui_test;

namespace {

class ECFrameTest : public ECWindowTest {
protected:
    // Alice's window over a stored file with a friend (Bob), a stranger (20000003) and a
    // deregistered user (20000004).
    void OpenAlice(bool withBob = true) {
        {
            CECUserDoc doc;
            CECUser& u = doc.GetUser();
            u.SetUserNumber(kAlice);
            u.GetAccount().m_strPassword = "alice1";
            if (withBob)
                AddContact(u.GetFriends(), kBob, "鲍勃")->m_dwStatus = CECContact::STATUS_FRIEND;
            AddContact(u.GetStrangers(), 20000003, "路人");
            AddContact(u.GetDeregistered(), 20000004, "旧友")->m_dwStatus = CECContact::STATUS_DEREGISTERED;
            ASSERT_TRUE(doc.SaveUser());
        }
        OpenWindow(kAlice);
    }
    void AnswerAdd(const char* ids) {
        onDialog = [ids](CDialog& d) {
            if (dynamic_cast<CECDlgAddContacts*>(&d) == nullptr) {
                d.EndDialog(IDCANCEL);
                return;
            }
            SetText(&d, CECDlgAddContacts::IDC_IDS, ids);
            Click(&d, IDOK);
        };
    }
};

TEST_F(ECFrameTest, TheTreeShowsTheThreeGroupsAndTheRightPaneFollowsTheSelection) {
    OpenAlice();
    CTreeCtrl& t = tree->GetTreeCtrl();
    HTREEITEM root = tree->GetRootItem();
    EXPECT_EQ("电子名片联系人", t.GetItemText(root));
    std::vector<CString> groups;
    for (HTREEITEM h = t.GetChildItem(root); h; h = t.GetNextSiblingItem(h))
        groups.push_back(t.GetItemText(h));
    EXPECT_EQ((std::vector<CString>{"我的好友", "陌生人", "已注销者"}), groups);
    EXPECT_EQ("我的好友", ParentText(ItemOf(kBob)));
    EXPECT_EQ("陌生人", ParentText(ItemOf(20000003)));
    EXPECT_EQ("已注销者", ParentText(ItemOf(20000004)));

    CECRightPaneFrame* pane = frame->GetRightPane();
    t.SelectItem(ItemOf(kBob));
    EXPECT_EQ(EC_MODE_CONTACT, pane->GetMode());
    EXPECT_EQ(EC_VIEW_CARD_FORM, pane->GetCurrentViewNumber());
    EXPECT_EQ(user->GetRootGroup().FindByNumber(kBob),
              frame->GetUserDoc()->GetCurrentObject());
    // The read-only card is remembered for contacts; the group list for groups.
    Command(ID_EC_VIEW_BROWSE_CARD);
    EXPECT_EQ(EC_VIEW_BROWSE_CARD, pane->GetCurrentViewNumber());
    Command(ID_EC_VIEW_ACCESS_LIST); // a group view while a contact shows: nothing
    EXPECT_EQ(EC_VIEW_BROWSE_CARD, pane->GetCurrentViewNumber());
    t.SelectItem(tree->GetGroupItem(CECContactsTreeView::KindFriends));
    EXPECT_EQ(EC_MODE_GROUP, pane->GetMode());
    EXPECT_EQ(EC_VIEW_PERSON_LIST, pane->GetCurrentViewNumber());
    t.SelectItem(ItemOf(20000003));
    EXPECT_EQ(EC_VIEW_BROWSE_CARD, pane->GetCurrentViewNumber());
    Command(32846); // up to the group
    EXPECT_EQ(tree->GetGroupItem(CECContactsTreeView::KindStrangers), t.GetSelectedItem());
}

TEST_F(ECFrameTest, DeletingAStrangerIsLocalAndAFriendWaitsForTheAnswer) {
    OpenAlice();
    CTreeCtrl& t = tree->GetTreeCtrl();
    answers = {IDYES, IDYES};
    t.SelectItem(ItemOf(20000003));
    Command(1516);
    EXPECT_EQ(nullptr, user->GetRootGroup().FindByNumber(20000003));
    EXPECT_EQ(&user->GetStrangers(), frame->GetUserDoc()->GetCurrentObject());
    EXPECT_TRUE(server.Requests().empty());

    {
        std::lock_guard<std::mutex> g(service.lock);
        service.users[kAlice].friends.insert(kBob);
    }
    server.SetReply("ecard/delfriends.asp", test_net::Reply::Text("0#"));
    t.SelectItem(ItemOf(kBob));
    Command(1516);
    EXPECT_TRUE(frame->IsBusy());
    EXPECT_EQ("我的好友", ParentText(ItemOf(kBob))) << "moved only when the answer comes";
    WaitIdle();
    EXPECT_EQ(std::vector<std::string>{"delfriends.asp"}, Pages());
    EXPECT_EQ("陌生人", ParentText(ItemOf(kBob)));
}

TEST_F(ECFrameTest, AddingAFriendWithTheStrangersSelectedPlacesItUnderTheFriends) {
    OpenAlice(false);
    tree->GetTreeCtrl().SelectItem(tree->GetGroupItem(CECContactsTreeView::KindStrangers));
    AnswerAdd("20000002");
    Command(1513);
    WaitIdle();
    EXPECT_EQ(std::vector<std::string>{"addfriends.asp"}, Pages());
    ASSERT_NE(nullptr, ItemOf(kBob));
    CECContact* bob = user->GetRootGroup().FindByNumber(kBob);
    EXPECT_EQ(&user->GetFriends(), bob->GetParent());
    EXPECT_EQ("我的好友", ParentText(ItemOf(kBob)));
    EXPECT_EQ("鲍勃", tree->GetTreeCtrl().GetItemText(ItemOf(kBob)));
}

TEST_F(ECFrameTest, NumbersBeyondAUserAreRefusedInTheAddDialog) {
    OpenAlice();
    onDialog = [](CDialog& d) {
        SetText(&d, CECDlgAddContacts::IDC_IDS, "20000002, 4294967297");
        Click(&d, IDOK);
        EXPECT_TRUE(d.IsWindowVisible());
        SetText(&d, CECDlgAddContacts::IDC_IDS, "0");
        Click(&d, IDOK);
        d.EndDialog(IDCANCEL);
    };
    Command(1514);
    EXPECT_EQ((std::vector<CString>{"对方ID号无效！", "对方ID号无效！"}), Texts());
    EXPECT_TRUE(server.Requests().empty());
    CDWordArray ids;
    EXPECT_TRUE(CECDlgAddContacts::ParseIDs("10000000,10000001;\r\n10000000 x7", ids));
    ASSERT_EQ(3, ids.GetSize());
    EXPECT_EQ(7u, ids[2]);
}

TEST_F(ECFrameTest, WhileBusyTheWindowTakesNoCommandAndDoesNotClose) {
    OpenAlice();
    test_net::Reply slow = test_net::Reply::Text("0#");
    slow.delayMs = 1500;
    server.SetReply("ecard/syncallfriends.asp", slow);
    Command(1525);
    ASSERT_TRUE(frame->IsBusy());
    EXPECT_TRUE(frame->GetAnimation().IsAnimating());
    CString reason;
    EXPECT_FALSE(manager.CanCloseAll(&reason));
    EXPECT_EQ("电子名片窗口正在与服务器通信，请稍候再关闭程序！", reason);
    frame->SendMessageToDescendants(WM_IDLEUPDATECMDUI, TRUE, 0, TRUE);
    EXPECT_FALSE(frame->GetToolBar().GetToolBarCtrl().IsButtonEnabled(1513));
    HWND h = frame->GetSafeHwnd();
    frame->SendMessage(WM_CLOSE, 0, 0);
    EXPECT_TRUE(::IsWindow(h));
    bool asked = false;
    onDialog = [&asked](CDialog& d) {
        asked = true;
        d.EndDialog(IDCANCEL);
    };
    Command(1514);
    Pump();
    EXPECT_FALSE(asked);
    // The answer is handed back by the window's own messages: the event loop only.
    WaitIdle();
    EXPECT_FALSE(frame->GetAnimation().IsAnimating());
    EXPECT_TRUE(manager.CanCloseAll(nullptr));
    frame->SendMessageToDescendants(WM_IDLEUPDATECMDUI, TRUE, 0, TRUE);
    EXPECT_TRUE(frame->GetToolBar().GetToolBarCtrl().IsButtonEnabled(1513));
    // The next issue's commands have no handler yet: they stay disabled.
    EXPECT_FALSE(frame->GetToolBar().GetToolBarCtrl().IsButtonEnabled(32807));
    frame->SendMessage(WM_CLOSE, 0, 0);
    EXPECT_FALSE(::IsWindow(h));
    EXPECT_EQ(0, manager.GetWindowCount());
}

TEST_F(ECFrameTest, TheToolBarShowsItsLabelsBesideTheIconsAndTheirClicksCount) {
    OpenAlice();
    CToolBar& bar = frame->GetToolBar();
    frame->SendMessageToDescendants(WM_IDLEUPDATECMDUI, TRUE, 0, TRUE);
    const int sync = bar.CommandToIndex(1525), up = bar.CommandToIndex(32846);
    ASSERT_GE(sync, 0);
    ASSERT_GE(up, 0);
    EXPECT_EQ("同步", bar.GetButtonText(sync));
    CRect withText, iconOnly;
    bar.GetItemRect(sync, &withText);
    bar.GetItemRect(up, &iconOnly);
    EXPECT_GT(withText.Width(), iconOnly.Width() + 10);
    // A click on the label starts the synchronisation.
    server.SetReply("ecard/syncallfriends.asp", test_net::Reply::Text("0#"));
    QTest::mouseClick(bar.GetWidget(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(withText.right - 6, withText.CenterPoint().y));
    WaitIdle();
    EXPECT_EQ(std::vector<std::string>{"syncallfriends.asp"}, Pages());
}

TEST_F(ECFrameTest, TheAccountPageSendsItsCommands) {
    EXPECT_EQ(1524u, CECUserManagerView::GetItemCommand(0));
    EXPECT_EQ(1509u, CECUserManagerView::GetItemCommand(1));
    EXPECT_EQ(1511u, CECUserManagerView::GetItemCommand(2));
    EXPECT_EQ(1512u, CECUserManagerView::GetItemCommand(3));
    OpenAlice();
    CECUserManagerView* account = frame->GetAccountView();
    ASSERT_NE(nullptr, account);
    EXPECT_EQ(4, account->GetItemCount());
    EXPECT_EQ("修改帐户密码", account->GetItem(0)->strCaption);
    EXPECT_EQ("下载同步我的资料", account->GetItem(3)->strCaption);
}

TEST_F(ECFrameTest, ClosingSavesTheUserAndReopensTheSameTree) {
    OpenAlice();
    answers = {IDYES};
    tree->GetTreeCtrl().SelectItem(ItemOf(20000003));
    Command(1516);
    frame->SendMessage(WM_CLOSE, 0, 0);
    EXPECT_EQ(0, manager.GetWindowCount());
    OpenWindow(kAlice);
    EXPECT_NE(nullptr, ItemOf(kBob));
    EXPECT_EQ(nullptr, ItemOf(20000003));
    EXPECT_NE(nullptr, ItemOf(20000004));
}

} // namespace
