// Access rights: the dialog's colour buttons and the masks they give, the friends tree in it, the
// set-access and default-access requests, and the right pane's access table.
#include "ECUiTestSupport.h"

#include "ecard/ui/ECAccessViews.h"
#include "ecard/ui/ECPersonList.h"
#include "platform/gui/HeaderCtrl.h"
#include "platform/gui/ListCtrl.h"

using namespace ecard_ui_test;

namespace {

constexpr UINT kCarol = 20000005;
constexpr UINT kDan = 20000006;
constexpr UINT kStranger = 20000003;
constexpr DWORD kMobile = 0x80; // group 0
constexpr UINT kMobileButton = 1113;

class ECAccessTest : public ECWindowTest {
protected:
    CECRightPaneFrame* pane = nullptr;

    // Alice's friends: Bob (may read the mobile), Carol in "同学" (may not), Dan three groups
    // deep under "同学" (deeper than the dialog's tree shows); a stranger.
    void OpenAlice() {
        {
            std::lock_guard<std::mutex> g(service.lock);
            service.users[kAlice].friends = {kBob, kCarol, kDan};
        }
        {
            CECUserDoc doc;
            CECUser& u = doc.GetUser();
            u.SetUserNumber(kAlice);
            u.GetAccount().m_strPassword = "alice1";
            CECContact* bob = AddContact(u.GetFriends(), kBob, "鲍勃");
            bob->m_access[0] = (int)(kMobile | 0x1);
            auto* classmates = new CECGroup("同学");
            u.GetFriends().AddSubgroup(classmates, FALSE);
            CECContact* carol = AddContact(*classmates, kCarol, "卡罗");
            carol->m_access[0] = 0x1;
            auto* a = new CECGroup("甲");
            auto* b = new CECGroup("乙");
            classmates->AddSubgroup(a, FALSE);
            a->AddSubgroup(b, FALSE);
            AddContact(*b, kDan, "丹")->m_access[0] = 0x1;
            AddContact(u.GetStrangers(), kStranger, "路人");
            u.m_access[0] = 0x1; // strangers read the name only
            ASSERT_TRUE(doc.SaveUser());
        }
        OpenWindow(kAlice);
        pane = frame->GetRightPane();
    }
    CECContact* Contact(UINT uid) { return user->GetRootGroup().FindByNumber(uid); }
    CViewECContactAccessList* Table() {
        return dynamic_cast<CViewECContactAccessList*>(pane->GetViewWnd(EC_VIEW_ACCESS_LIST));
    }
    void ShowTable(HTREEITEM group) {
        tree->GetTreeCtrl().SelectItem(group);
        Command(ID_EC_VIEW_ACCESS_LIST);
        Pump();
    }
    static void RightClick(CWnd* pDlg, int nID) {
        QWidget* w = pDlg->GetDlgItem(nID)->GetWidget();
        QTest::mouseClick(w, Qt::RightButton, Qt::NoModifier, QPoint(6, w->height() / 2));
    }
    static int State(CECDlgModifyAccess& d, UINT nID) { return d.FindButton(nID)->GetState(); }
    // Clicks the check box of a tree item as a person does.
    static void ClickCheck(CTreeCtrl& t, HTREEITEM h) {
        CRect label;
        ASSERT_TRUE(t.GetItemRect(h, &label, TRUE));
        for (int x = 0; x < label.left; ++x) {
            UINT flags = 0;
            CPoint pt(x, label.CenterPoint().y);
            if (t.HitTest(pt, &flags) == h && (flags & TVHT_ONITEMSTATEICON)) {
                QTest::mouseClick(t.GetWidget(), Qt::LeftButton, Qt::NoModifier,
                                  QPoint(pt.x, pt.y));
                return;
            }
        }
        FAIL() << "no check box";
    }
    std::string AccessBody() {
        for (const auto& r : server.Requests())
            if (r.page.find("setcntaccess.asp") != std::string::npos)
                return test_net::FormValue(test_net::ParseForm(r.body), "Contacts");
        return "";
    }
};

TEST_F(ECAccessTest, ButtonsStartFromTheFriendsAccessAndGiveTheMasks) {
    OpenAlice();
    std::vector<CObject*> two = {Contact(kBob), Contact(kCarol)};
    struct Case {
        const char* what;
        std::function<void(CECDlgModifyAccess&)> act;
        int stateAfter;   // of the mobile button
        bool changed, value; // the mobile bit in changes and values after OK
    };
    const Case cases[] = {
        {"untouched yellow", [](CECDlgModifyAccess&) {}, 3, false, true /* Bob's, first read */},
        {"one click makes yellow green",
         [](CECDlgModifyAccess& d) { Click(&d, kMobileButton); }, 1, true, true},
        {"two clicks make it red",
         [](CECDlgModifyAccess& d) { Click(&d, kMobileButton); Click(&d, kMobileButton); }, 2,
         true, false},
        {"the right button keeps it as it is",
         [](CECDlgModifyAccess& d) { Click(&d, kMobileButton); RightClick(&d, kMobileButton); }, 0,
         false, true},
        {"the group's deny", [](CECDlgModifyAccess& d) { Click(&d, 1024); }, 2, true, false},
        {"every group allowed", [](CECDlgModifyAccess& d) { Click(&d, 1033); }, 1, true, true},
    };
    for (const Case& c : cases) {
        CECDlgModifyAccess* seen = nullptr;
        int state = -1;
        onDialog = [&](CDialog& d) {
            auto& dlg = dynamic_cast<CECDlgModifyAccess&>(d);
            seen = &dlg;
            // Both read the name: green; they differ on the mobile: yellow.
            EXPECT_EQ(1, State(dlg, 1106)) << c.what;
            EXPECT_EQ(3, State(dlg, kMobileButton)) << c.what;
            EXPECT_EQ(2, State(dlg, 1107)) << c.what;
            // The legends cannot be changed.
            Click(&dlg, 1155);
            EXPECT_EQ(1, State(dlg, 1155));
            c.act(dlg);
            state = State(dlg, kMobileButton);
            Click(&dlg, IDOK);
        };
        CECDlgModifyAccess dlg(user, two, frame);
        ASSERT_EQ(IDOK, dlg.DoModal()) << c.what;
        ASSERT_NE(nullptr, seen);
        EXPECT_EQ(c.stateAfter, state) << c.what;
        EXPECT_EQ(c.changed, ((DWORD)dlg.m_changes[0] & kMobile) != 0) << c.what;
        EXPECT_EQ(c.value, ((DWORD)dlg.m_values[0] & kMobile) != 0) << c.what;
    }
    // Keeping every field as it is sends no change at all.
    onDialog = [](CDialog& d) {
        Click(&d, 1033);
        Click(&d, 1040);
        Click(&d, IDOK);
    };
    CECDlgModifyAccess keep(user, two, frame);
    ASSERT_EQ(IDOK, keep.DoModal());
    SECAccess zero;
    EXPECT_TRUE(keep.m_changes == zero);
}

TEST_F(ECAccessTest, TheDefaultAccessOpensWithoutYellowAndIsStoredOnTheAnswer) {
    OpenAlice();
    CString caption;
    int yellow = 0;
    onDialog = [&](CDialog& d) {
        auto& dlg = dynamic_cast<CECDlgModifyAccess&>(d);
        d.GetWindowText(caption);
        for (int i = 0; i < EC_ACCESS_FIELD_COUNT; ++i)
            yellow += dlg.GetButton(i).GetState() == 3;
        EXPECT_EQ(1, State(dlg, 1106));
        EXPECT_EQ("所有陌生人", dlg.GetTree().GetItemText(dlg.GetTree().GetRootItem()));
        Click(&dlg, kMobileButton);
        Click(&dlg, IDOK);
    };
    Command(1511);
    WaitIdle();
    Pump();
    EXPECT_EQ("设置陌生人对我的访问权限(即默认访问权限)", caption);
    EXPECT_EQ(0, yellow);
    EXPECT_EQ(std::string("0|"), AccessBody().substr(0, 2));
    EXPECT_EQ((int)(0x1 | kMobile), user->m_access[0]);
    std::lock_guard<std::mutex> g(service.lock);
    EXPECT_EQ((int)(0x1 | kMobile), service.users[kAlice].defaultAccess[0]);
}

TEST_F(ECAccessTest, TheTreeChoosesTheFriendsAndOnlyChosenOnesChange) {
    OpenAlice();
    // A mark left by an earlier change must not send Dan along.
    Contact(kDan)->m_dwStatus |= CECContact::STATUS_ACCESS_PENDING;
    HTREEITEM friends = tree->GetGroupItem(CECContactsTreeView::KindFriends);
    tree->GetTreeCtrl().SelectItem(friends);
    // The contact list may be the window's active view: without the focus and a selected row
    // it leaves the command to the tree.
    frame->SetActiveView(dynamic_cast<CView*>(pane->GetViewWnd(EC_VIEW_PERSON_LIST)), FALSE);
    tree->GetTreeCtrl().SetFocus();
    Pump();
    onDialog = [&](CDialog& d) {
        auto& dlg = dynamic_cast<CECDlgModifyAccess&>(d);
        CECTreeModifyAccess& t = dlg.GetTree();
        HTREEITEM classmates = t.FindItemOf(Contact(kCarol)->GetParent());
        ASSERT_NE(nullptr, classmates);
        EXPECT_TRUE(t.GetCheck(t.GetRootItem()));
        // Dan is deeper than the tree shows; his nearest shown group stands for him.
        EXPECT_EQ(nullptr, t.FindItemOf(Contact(kDan)));
        ClickCheck(t, classmates);
        EXPECT_FALSE(t.GetCheck(classmates));
        EXPECT_FALSE(t.GetCheck(t.FindItemOf(Contact(kCarol))));
        EXPECT_TRUE(t.GetCheck(t.FindItemOf(Contact(kBob))));
        Click(&dlg, kMobileButton); // yellow to green
        Click(&dlg, IDOK);
    };
    Command(1521);
    WaitIdle();
    Pump();
    const std::string body = AccessBody();
    ASSERT_FALSE(body.empty());
    EXPECT_EQ("20000002|", body.substr(0, body.find('|') + 1));
    // Fields all chosen friends agree on are sent as they are; the mobile is now allowed.
    const size_t indiv = body.find("indiv=");
    ASSERT_NE(std::string::npos, indiv) << body;
    char* end = nullptr;
    const long value = std::strtol(body.c_str() + indiv + 6, &end, 10);
    const long changes = std::strtol(end + 1, nullptr, 10);
    EXPECT_EQ((long)(0x1 | kMobile), value) << body;
    EXPECT_TRUE(changes & kMobile) << body;
    EXPECT_EQ((int)(0x1 | kMobile), Contact(kBob)->m_access[0]);
    EXPECT_EQ(0x1, Contact(kCarol)->m_access[0]);
    EXPECT_EQ(0x1, Contact(kDan)->m_access[0]);
    EXPECT_FALSE(Contact(kDan)->m_dwStatus & CECContact::STATUS_ACCESS_PENDING);
}

TEST_F(ECAccessTest, TheTableShowsEachFriendsAccessUnderItsTallHeader) {
    OpenAlice();
    ShowTable(tree->GetGroupItem(CECContactsTreeView::KindFriends));
    ASSERT_EQ(EC_VIEW_ACCESS_LIST, pane->GetCurrentViewNumber());
    CViewECContactAccessList* table = Table();
    ASSERT_NE(nullptr, table);
    CListCtrl& l = table->GetListCtrl();
    CHeaderCtrl* header = l.GetHeaderCtrl();
    ASSERT_NE(nullptr, header);
    CRect band;
    header->GetWindowRect(&band);
    EXPECT_EQ(115, band.Height());
    EXPECT_EQ(48, header->GetItemCount());
    ASSERT_EQ(1, l.GetItemCount()); // Bob; Carol is in the sub-group
    CRect row;
    ASSERT_TRUE(l.GetItemRect(0, &row, LVIR_BOUNDS));
    EXPECT_GE(row.top, 115);
    // Column 9 is the mobile: Bob reads it; the sex (2) he does not.
    const CECContact* bob = Contact(kBob);
    EXPECT_TRUE(table->IsReadable(bob, 1));
    EXPECT_TRUE(table->IsReadable(bob, 9));
    EXPECT_FALSE(table->IsReadable(bob, 2));
    // A stranger reads what the default access allows.
    const CECContact* stranger = Contact(kStranger);
    EXPECT_TRUE(table->IsReadable(stranger, 1));
    EXPECT_FALSE(table->IsReadable(stranger, 9));
    EXPECT_EQ("小\n灵\n通", CViewECContactAccessList::GetColumnLabel("小灵通/传呼(x)").Left(8));
    EXPECT_EQ("电\n子", CViewECContactAccessList::GetColumnLabel("电-子"));

    // Only the name column is sized by hand.
    for (int column : {0, 5}) {
        NMHEADER nm{};
        nm.hdr.hwndFrom = header->m_hWnd;
        nm.hdr.idFrom = (UINT_PTR)header->GetDlgCtrlID();
        nm.hdr.code = HDN_BEGINTRACK;
        nm.iItem = column;
        EXPECT_EQ(column != 0,
                  l.SendMessage(WM_NOTIFY, nm.hdr.idFrom, (LPARAM)&nm) != 0)
            << column;
    }
}

TEST_F(ECAccessTest, SettingAccessFromTheListsRefusesStrangersButNotAFriendsSubgroup) {
    OpenAlice();
    // From a sub-group of the friends the dialog opens on the selected friend.
    HTREEITEM classmates = tree->FindItemOf(Contact(kCarol)->GetParent());
    ShowTable(classmates);
    CListCtrl& l = Table()->GetListCtrl();
    ASSERT_EQ(1, l.GetItemCount());
    l.SetFocus();
    l.SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    Pump();
    std::vector<CObject*> opened;
    onDialog = [&](CDialog& d) {
        auto& dlg = dynamic_cast<CECDlgModifyAccess&>(d);
        CECTreeModifyAccess& t = dlg.GetTree();
        opened.push_back(reinterpret_cast<CObject*>(t.GetItemData(t.GetChildItem(t.GetRootItem()))));
        Click(&dlg, IDCANCEL);
    };
    Command(1521);
    ASSERT_EQ(1u, opened.size());
    EXPECT_EQ(Contact(kCarol), opened[0]);
    EXPECT_FALSE(Shown("不能对陌生人或已注销者设置访问权限！\n当前显示的是陌生人对您的默认访问权限。（请到“我的帐户”面板中设置）"));
    // Cancelled: nothing sent.
    EXPECT_TRUE(AccessBody().empty());

    // The strangers' table and contact list refuse, and say where the default access is set.
    for (int view : {EC_VIEW_ACCESS_LIST, EC_VIEW_PERSON_LIST}) {
        shown.clear();
        tree->GetTreeCtrl().SelectItem(tree->GetGroupItem(CECContactsTreeView::KindStrangers));
        Command(view == EC_VIEW_ACCESS_LIST ? ID_EC_VIEW_ACCESS_LIST : ID_EC_VIEW_PERSON_LIST);
        Pump();
        CListCtrl& list = dynamic_cast<CListView*>(pane->GetViewWnd(view))->GetListCtrl();
        list.SetFocus();
        list.SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        Pump();
        Command(1521);
        EXPECT_TRUE(Shown("不能对陌生人或已注销者设置访问权限！\n当前显示的是陌生人对您的默认访问权限。（请到“我的帐户”面板中设置）")) << view;
        EXPECT_EQ(1u, opened.size()) << view;
    }
}

} // namespace
