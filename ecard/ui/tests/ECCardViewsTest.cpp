// The right pane's views of a group and a contact: the contact list with its own columns, the
// card form (a contact's card read-only but for its display name, the own card writable and
// uploaded), and the tree's card-edit notices.
#include "ECUiTestSupport.h"

#include <QContextMenuEvent>

#include "contacts/PersonFields.h"
#include "contacts/ui/ViewPersonList.h"
#include "ecard/ui/ECBrowseContact.h"
#include "ecard/ui/ECCardForm.h"
#include "ecard/ui/ECPersonList.h"

using namespace ecard_ui_test;

namespace {

class ECCardViewsTest : public ECWindowTest {
protected:
    CECRightPaneFrame* pane = nullptr;

    // Alice with two friends (Bob and Carol, Carol in a sub-group "同学") and a stranger.
    void OpenAlice() {
        {
            CECUserDoc doc;
            CECUser& u = doc.GetUser();
            u.SetUserNumber(kAlice);
            u.GetAccount().m_strPassword = "alice1";
            u.SetName("爱丽丝");
            CECContact* bob = AddContact(u.GetFriends(), kBob, "鲍勃");
            bob->m_dwStatus = CECContact::STATUS_FRIEND;
            bob->GetInfo().m_personal.mobiles.AddTail(CXString(CString("13900000002")));
            auto* sub = new CECGroup("同学");
            u.GetFriends().AddSubgroup(sub, FALSE);
            AddContact(*sub, 20000005, "卡罗")->m_dwStatus = CECContact::STATUS_FRIEND;
            AddContact(u.GetStrangers(), 20000003, "路人");
            ASSERT_TRUE(doc.SaveUser());
        }
        OpenWindow(kAlice);
        pane = frame->GetRightPane();
    }
    CViewECPersonList* List() {
        return dynamic_cast<CViewECPersonList*>(pane->GetViewWnd(EC_VIEW_PERSON_LIST));
    }
    CFormECPerson* Form() {
        return dynamic_cast<CFormECPerson*>(pane->GetViewWnd(EC_VIEW_CARD_FORM));
    }
    void Select(HTREEITEM h) {
        tree->GetTreeCtrl().SelectItem(h);
        Pump();
    }
    std::vector<CString> Rows() {
        std::vector<CString> rows;
        CListCtrl& l = List()->GetListCtrl();
        for (int i = 0; i < l.GetItemCount(); ++i)
            rows.push_back(l.GetItemText(i, 0));
        return rows;
    }
    // Types into a control of the card's state page as a person does.
    void TypeOnState(UINT nID, const char* text) {
        Type(&Form()->GetSheet().m_pageState, (int)nID, text);
        Pump();
    }
};

TEST_F(ECCardViewsTest, AGroupShowsItsContactsInTheListsOwnColumns) {
    // The contacts program's stored columns must neither shape this list nor be written by it.
    CArray<int, int> sharedFields, sharedWidths;
    sharedFields.Add(PF_NAME);
    sharedFields.Add(PF_EMAIL);
    for (int i = 0; i < 46; ++i)
        sharedWidths.Add(-1);
    sharedWidths[PF_MOBILE] = 55;
    CViewPersonList::SetSharedColumnSettings(&sharedFields, &sharedWidths);

    OpenAlice();
    Select(tree->GetGroupItem(CECContactsTreeView::KindFriends));
    ASSERT_EQ(EC_VIEW_PERSON_LIST, pane->GetCurrentViewNumber());
    ASSERT_NE(nullptr, List());
    EXPECT_TRUE(List()->IsWindowVisible());
    // The sub-group first, then the friend; the columns are the list's defaults.
    EXPECT_EQ((std::vector<CString>{"同学", "鲍勃"}), Rows());
    CListCtrl& l = List()->GetListCtrl();
    CHeaderCtrl* header = l.GetHeaderCtrl();
    ASSERT_NE(nullptr, header);
    ASSERT_EQ(10, header->GetItemCount());
    std::vector<CString> titles;
    for (int i = 0; i < 3; ++i) {
        char buf[64] = {};
        HDITEM item{};
        item.mask = HDI_TEXT;
        item.pszText = buf;
        item.cchTextMax = sizeof buf;
        header->GetItem(i, &item);
        titles.push_back(buf);
    }
    CString userName, number;
    GetECExtraFieldLabel(ECF_USERNAME, userName);
    GetECExtraFieldLabel(ECF_UID, number);
    EXPECT_EQ((std::vector<CString>{userName, number, "手机"}), titles);
    EXPECT_EQ("20000002", l.GetItemText(1, 1));
    EXPECT_EQ("13900000002", l.GetItemText(1, 2));
    EXPECT_NE(55, l.GetColumnWidth(2)); // the mobile column keeps the list's own width

    // A widened ID column is remembered by the list across refills, never in the shared table.
    l.SetColumnWidth(1, 140);
    Select(tree->GetGroupItem(CECContactsTreeView::KindStrangers));
    EXPECT_EQ((std::vector<CString>{"路人"}), Rows());
    EXPECT_EQ(140, l.GetColumnWidth(1));
    manager.CloseAll();
    frame = nullptr;
    EXPECT_EQ(2, sharedFields.GetSize());
    EXPECT_EQ(PF_EMAIL, sharedFields[1]);
    EXPECT_EQ(46, sharedWidths.GetSize());
    EXPECT_EQ(55, sharedWidths[PF_MOBILE]);
    for (int i = 0; i < 46; ++i)
        if (i != PF_MOBILE)
            EXPECT_EQ(-1, sharedWidths[i]) << i;
    CViewPersonList::SetSharedColumnSettings(nullptr, nullptr);
}

TEST_F(ECCardViewsTest, CellAndDetailTexts) {
    CECContact c("甲");
    c.m_nUid = 20000009;
    c.m_strUserName = "jia";
    c.m_strLocation = "北京";
    c.GetInfo().m_personal.mobiles.AddTail(CXString(CString("13900000001")));
    c.GetInfo().m_personal.mobiles.AddTail(CXString(CString("13900000002")));
    c.GetInfo().m_home.strCity = "上海";
    c.GetInfo().m_home.strAddress = "南京路1号";
    EXPECT_EQ("20000009", CViewECPersonList::GetCellText(&c, 1000));
    EXPECT_EQ("jia", CViewECPersonList::GetCellText(&c, 1001));
    EXPECT_EQ("北京", CViewECPersonList::GetCellText(&c, 1002));
    EXPECT_EQ("13900000001\n13900000002", CViewECPersonList::GetCellText(&c, PF_MOBILE));
    // The first column is the user name's; without one the row still names the contact.
    struct Named {
        const char* name;
        const char* userName;
        const char* shown;
    } names[] = {{"甲", "jia", "jia"}, {"甲", "", "甲"}, {"", "", "20000009"}};
    for (const Named& n : names) {
        CECContact d(n.name);
        d.m_nUid = 20000009;
        d.m_strUserName = n.userName;
        EXPECT_EQ(n.shown, CViewECPersonList::GetFirstColumnText(d)) << n.name << "/" << n.userName;
    }
    // The home fields appear once, as the composed address.
    CString detail = CViewECPersonList::GetRowDetailText(&c);
    EXPECT_NE(-1, detail.Find("上海"));
    EXPECT_EQ(-1, detail.Find("上海", detail.Find("上海") + 1));
    EXPECT_NE(-1, detail.Find("jia"));
    EXPECT_NE(-1, detail.Find("13900000002"));
}

TEST_F(ECCardViewsTest, AContactsCardIsReadOnlyButItsDisplayNameStaysLocal) {
    OpenAlice();
    Select(ItemOf(kBob));
    ASSERT_EQ(EC_VIEW_CARD_FORM, pane->GetCurrentViewNumber());
    CFormECPerson* form = Form();
    ASSERT_NE(nullptr, form);
    CPSheetECPerson& sheet = form->GetSheet();
    EXPECT_TRUE(sheet.IsReadOnly());
    EXPECT_EQ(6, sheet.GetPageCount());
    CString text;
    sheet.m_pageState.GetDlgItemText(CPageECState::IDC_NUMBER, text);
    EXPECT_EQ("20000002", text);
    // Personal fields cannot be typed into on a contact's card.
    // The display name's label is blue while the card is read-only.
    auto bluePixels = [&]() {
        CWnd* label = sheet.m_pageState.GetDlgItem(CPageECState::IDC_DISPLAY_NAME_LABEL);
        const QImage img = label->GetWidget()->grab().toImage();
        int n = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) {
                const QColor c = img.pixelColor(x, y);
                n += c.blue() > 180 && c.red() < 90 && c.green() < 90;
            }
        return n;
    };
    EXPECT_GT(bluePixels(), 5);
    CWnd* nickname = sheet.m_pagePerson.GetDlgItem(1038);
    ASSERT_NE(nullptr, nickname);
    EXPECT_TRUE(nickname->GetStyle() & ES_READONLY);
    EXPECT_FALSE(Enabled(CFormECPerson::ID_CONFIRM));

    TypeOnState(CPageECState::IDC_DISPLAY_NAME, "Lao Bao");
    EXPECT_TRUE(sheet.IsModified());
    EXPECT_TRUE(Enabled(CFormECPerson::ID_CONFIRM));
    // While the card holds edits the tree keeps its selection and takes no command.
    EXPECT_TRUE(tree->IsCardEditing());
    EXPECT_FALSE(Enabled(1518));
    const size_t before = server.Requests().size();
    Command(CFormECPerson::ID_CONFIRM);
    Pump();
    EXPECT_EQ(before, server.Requests().size()); // nothing sent
    CECContact* bob = user->GetRootGroup().FindByNumber(kBob);
    EXPECT_EQ("Lao Bao", bob->GetName());
    EXPECT_EQ("Lao Bao", tree->GetTreeCtrl().GetItemText(ItemOf(kBob)));
    EXPECT_FALSE(sheet.IsModified());
    EXPECT_FALSE(tree->IsCardEditing());
    EXPECT_TRUE(frame->GetUserDoc()->IsModified());
}

TEST_F(ECCardViewsTest, ClicksOnTheTreeWhileTheCardHoldsEditsNeitherLeaveTheCardNorOfferAMenu) {
    OpenAlice();
    Select(ItemOf(kBob));
    TypeOnState(CPageECState::IDC_DISPLAY_NAME, "alias");
    ASSERT_TRUE(Form()->GetSheet().IsModified());
    ASSERT_TRUE(tree->IsCardEditing());
    CTreeCtrl& t = tree->GetTreeCtrl();
    const HTREEITEM friends = tree->GetGroupItem(CECContactsTreeView::KindFriends);
    ASSERT_NE(nullptr, friends);
    CRect rc;
    ASSERT_TRUE(t.GetItemRect(friends, &rc, TRUE));
    // The tree is disabled while the card holds edits: a left click, a right click and the
    // context-menu event Qt adds for a real mouse all reach its widget and must do nothing.
    ASSERT_FALSE(t.GetWidget()->isEnabled());
    const QPoint at(rc.CenterPoint().x, rc.CenterPoint().y);
    int menus = 0;
    AfxSetPopupMenuHook([&](HMENU, CWnd*, POINT, UINT) -> UINT {
        ++menus;
        return 32846; // 转到上级, the one choice left enabled on a group's menu
    });
    QTest::mouseClick(t.GetWidget(), Qt::LeftButton, Qt::NoModifier, at);
    Pump();
    QTest::mousePress(t.GetWidget(), Qt::RightButton, Qt::NoModifier, at);
    QTest::mouseRelease(t.GetWidget(), Qt::RightButton, Qt::NoModifier, at);
    QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, at, t.GetWidget()->mapToGlobal(at));
    QApplication::sendEvent(t.GetWidget(), &menuEvent);
    Pump();
    AfxSetPopupMenuHook(nullptr);
    // The card and its edits stay; leaving them lost the edits and left the tree locked for good.
    EXPECT_EQ(0, menus);
    EXPECT_EQ(ItemOf(kBob), t.GetSelectedItem());
    EXPECT_EQ(EC_VIEW_CARD_FORM, pane->GetCurrentViewNumber());
    EXPECT_TRUE(Form()->GetSheet().IsModified());
    // Discarding ends the edit and gives the tree back.
    answers = {IDYES};
    Command(CFormECPerson::ID_DISCARD);
    Pump();
    EXPECT_FALSE(tree->IsCardEditing());
    EXPECT_TRUE(t.IsWindowEnabled() && t.GetParent()->IsWindowEnabled());
}

TEST_F(ECCardViewsTest, AContactWithoutANameOfItsOwnShowsWhatTheTreeCallsIt) {
    OpenAlice();
    CECContact* bob = user->GetRootGroup().FindByNumber(kBob);
    // name, user name -> shown display name
    struct Case {
        const char* name;
        const char* userName;
        const char* shown;
    } cases[] = {
        {"鲍勃", "bob", "鲍勃"},
        {"", "bob", "bob"},
        {"", "", "20000002"},
    };
    for (const Case& c : cases) {
        bob->SetName(c.name);
        bob->m_strUserName = c.userName;
        Select(ItemOf(20000005));
        Select(ItemOf(kBob));
        CString text;
        Form()->GetSheet().m_pageState.GetDlgItemText(CPageECState::IDC_DISPLAY_NAME, text);
        EXPECT_EQ(c.shown, text) << c.name << "/" << c.userName;
        EXPECT_FALSE(Form()->GetSheet().IsModified());
    }

    // Typed, it becomes the contact's own; the user name stays the service's.
    bob->SetName("");
    bob->m_strUserName = "bob";
    Select(ItemOf(20000005));
    Select(ItemOf(kBob));
    TypeOnState(CPageECState::IDC_DISPLAY_NAME, "Lao Bao");
    Command(CFormECPerson::ID_CONFIRM);
    Pump();
    EXPECT_EQ("Lao Bao", bob->GetName());
    EXPECT_EQ("bob", bob->m_strUserName);
    // The list's user-name column shows the service's name, the tree the local one.
    Select(tree->GetGroupItem(CECContactsTreeView::KindFriends));
    EXPECT_EQ((std::vector<CString>{"同学", "bob"}), Rows());
    EXPECT_EQ("Lao Bao", tree->GetTreeCtrl().GetItemText(ItemOf(kBob)));

    // On the own card the shown user name is not taken for a name when something else is edited.
    user->SetName("");
    user->m_strUserName = "alice";
    frame->GetUserDoc()->SetCurrentObject(user);
    pane->SetMode(EC_MODE_NONE, tree);
    pane->ShowViewNumber(EC_VIEW_CARD_FORM, tree);
    frame->GetUserDoc()->UpdateAllViews(nullptr, 0);
    Pump();
    CString shown;
    Form()->GetSheet().m_pageState.GetDlgItemText(CPageECState::IDC_DISPLAY_NAME, shown);
    EXPECT_EQ("alice", shown);
    TypeOnState(CPageECState::IDC_LOCATION, "Hangzhou");
    Command(CFormECPerson::ID_CONFIRM);
    WaitIdle();
    Pump();
    EXPECT_EQ("Hangzhou", user->m_strLocation);
    EXPECT_EQ("", user->GetName());
}

TEST_F(ECCardViewsTest, DiscardingAsksAndNoKeepsTheEdits) {
    OpenAlice();
    Select(ItemOf(kBob));
    CPSheetECPerson& sheet = Form()->GetSheet();
    TypeOnState(CPageECState::IDC_DISPLAY_NAME, "alias");
    answers = {IDNO};
    Command(CFormECPerson::ID_DISCARD);
    EXPECT_TRUE(Shown("您真的想放弃修改吗？"));
    CString text;
    sheet.m_pageState.GetDlgItemText(CPageECState::IDC_DISPLAY_NAME, text);
    EXPECT_EQ("alias", text);
    EXPECT_TRUE(sheet.IsModified());
    answers = {IDYES};
    Command(CFormECPerson::ID_DISCARD);
    sheet.m_pageState.GetDlgItemText(CPageECState::IDC_DISPLAY_NAME, text);
    EXPECT_EQ("鲍勃", text);
    EXPECT_FALSE(sheet.IsModified());
    EXPECT_FALSE(tree->IsCardEditing());
    EXPECT_EQ("鲍勃", user->GetRootGroup().FindByNumber(kBob)->GetName());
}

TEST_F(ECCardViewsTest, TheOwnCardIsWritableAndConfirmingUploadsIt) {
    OpenAlice();
    // The account page's first item shows the own card.
    frame->GetUserDoc()->SetCurrentObject(user);
    pane->SetMode(EC_MODE_NONE, tree);
    pane->ShowViewNumber(EC_VIEW_CARD_FORM, tree);
    frame->GetUserDoc()->UpdateAllViews(nullptr, 0);
    Pump();
    CFormECPerson* form = Form();
    ASSERT_TRUE(form->IsOwnCard());
    CPSheetECPerson& sheet = form->GetSheet();
    EXPECT_FALSE(sheet.IsReadOnly());
    EXPECT_FALSE(sheet.m_pagePerson.GetDlgItem(1038)->GetStyle() & ES_READONLY);
    TypeOnState(CPageECState::IDC_LOCATION, "Hangzhou");
    ASSERT_TRUE(sheet.IsModified());
    Command(CFormECPerson::ID_CONFIRM);
    // The card itself changes only when the service took it.
    EXPECT_EQ("", user->m_strLocation);
    WaitIdle();
    Pump();
    EXPECT_EQ("uploaduserinfo.asp", Pages().back());
    EXPECT_EQ("Hangzhou", user->m_strLocation);
    EXPECT_FALSE(sheet.IsModified());
    bool found = false;
    {
        std::lock_guard<std::mutex> g(service.lock);
        for (const auto& f : service.users[kAlice].card)
            found = found || f.second.find("Hangzhou") != std::string::npos;
    }
    EXPECT_TRUE(found);
}

TEST_F(ECCardViewsTest, AFailedUploadKeepsTheEditsAndSaysWhy) {
    OpenAlice();
    frame->GetUserDoc()->SetCurrentObject(user);
    pane->SetMode(EC_MODE_NONE, tree);
    pane->ShowViewNumber(EC_VIEW_CARD_FORM, tree);
    frame->GetUserDoc()->UpdateAllViews(nullptr, 0);
    Pump();
    CPSheetECPerson& sheet = Form()->GetSheet();
    TypeOnState(CPageECState::IDC_ACTION, "meeting");
    UseNoService();
    Command(CFormECPerson::ID_CONFIRM);
    WaitIdle();
    Pump();
    EXPECT_FALSE(shown.empty());
    EXPECT_EQ("", user->m_strAction);
    EXPECT_TRUE(sheet.IsModified());
}

TEST_F(ECCardViewsTest, ShowingAFieldOpensItsPageAndTheModificationTimeIsRefused) {
    OpenAlice();
    Select(ItemOf(kBob));
    Command(ID_EC_VIEW_BROWSE_CARD);
    // The home address (48) is on the home page; the modification time (45) has no place.
    EXPECT_EQ(0, tree->SendMessage(WM_EC_SHOW_FIELD, 45, 0));
    EXPECT_EQ(EC_VIEW_BROWSE_CARD, pane->GetCurrentViewNumber());
    tree->SendMessage(WM_EC_SHOW_FIELD, PF_HOME_LOCATION, 0);
    EXPECT_EQ(EC_VIEW_CARD_FORM, pane->GetCurrentViewNumber());
    EXPECT_EQ(CPSheetECPerson::PAGE_HOME, Form()->GetSheet().GetActiveIndex());
    tree->SendMessage(WM_EC_SHOW_FIELD, 1003, 0);
    EXPECT_EQ(CPSheetECPerson::PAGE_STATE, Form()->GetSheet().GetActiveIndex());
    const int pages[][2] = {{PF_NAME, 1}, {24, 2}, {PF_WORK_LOCATION, 3}, {41, 4}, {44, 5},
                            {1000, 0}, {1004, 0}, {45, -1}, {46, -1}, {1005, -1}};
    for (const auto& p : pages)
        EXPECT_EQ(p[1], CPSheetECPerson::GetFieldPage(p[0])) << p[0];
}

TEST_F(ECCardViewsTest, TheListDeletesItsSelectedRowsThroughTheTree) {
    OpenAlice();
    Select(tree->GetGroupItem(CECContactsTreeView::KindStrangers));
    CListCtrl& l = List()->GetListCtrl();
    l.SetFocus();
    l.SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    Pump();
    // The tree passes delete on to the list that has the focus.
    ASSERT_TRUE(Enabled(1516));
    answers = {IDYES};
    Command(1516);
    EXPECT_TRUE(Shown("您真的要删除所选定的组或个人记录吗？"));
    EXPECT_EQ(nullptr, user->GetRootGroup().FindByNumber(20000003));
    EXPECT_EQ(nullptr, ItemOf(20000003));
    // Nothing selected in a list that has the focus: nothing to delete.
    Select(tree->GetGroupItem(CECContactsTreeView::KindFriends));
    l.SetFocus();
    Pump();
    EXPECT_FALSE(Enabled(1516));
}

TEST_F(ECCardViewsTest, TheReadOnlyCardSaysWhichFieldsTheContactHidesInRed) {
    OpenAlice();
    CECContact* bob = user->GetRootGroup().FindByNumber(kBob);
    bob->m_received.SetAll(-1);
    MarkECFieldReceived(bob->m_received, PF_HOME_ADDRESS, FALSE);
    bob->GetInfo().m_home.strAddress = "";
    // The read-only card is a contact's view: a group cannot show it.
    Select(tree->GetGroupItem(CECContactsTreeView::KindFriends));
    EXPECT_FALSE(Enabled(ID_EC_VIEW_BROWSE_CARD));
    Select(ItemOf(kBob));
    EXPECT_TRUE(Enabled(ID_EC_VIEW_BROWSE_CARD));
    Command(ID_EC_VIEW_BROWSE_CARD);
    Pump();
    auto* view = dynamic_cast<CECViewBrowseContact*>(pane->GetViewWnd(EC_VIEW_BROWSE_CARD));
    ASSERT_NE(nullptr, view);
    CECViewContactInfoList* info = view->GetInfoList();
    ASSERT_NE(nullptr, info);
    CListCtrl& l = info->GetListCtrl();
    int hidden = -1, mobile = -1;
    for (int i = 0; i < l.GetItemCount(); ++i) {
        if ((int)l.GetItemData(i) == PF_HOME_ADDRESS)
            hidden = i;
        if ((int)l.GetItemData(i) == PF_MOBILE)
            mobile = i;
    }
    ASSERT_GE(hidden, 0);
    ASSERT_GE(mobile, 0);
    EXPECT_EQ("您无权访问此人的该项信息！", l.GetItemText(hidden, 1));
    EXPECT_TRUE(info->IsHiddenRow(hidden));
    EXPECT_EQ("13900000002", l.GetItemText(mobile, 1));
    EXPECT_FALSE(info->IsHiddenRow(mobile));
    // The hidden row is drawn in red.
    CRect row;
    l.EnsureVisible(hidden, FALSE);
    Pump();
    const QImage shot = l.GetWidget()->grab().toImage();
    ASSERT_TRUE(l.GetItemRect(hidden, &row, LVIR_BOUNDS));
    int red = 0;
    for (int y = row.top; y < row.bottom && y < shot.height(); ++y)
        for (int x = row.left; x < row.right && x < shot.width(); ++x) {
            const QColor c = shot.pixelColor(x, y);
            red += c.red() > 180 && c.green() < 90 && c.blue() < 90;
        }
    EXPECT_GT(red, 5);
    // The rows share the pane three to one.
    view->SendMessage(WM_SIZE, 0, MAKELPARAM(400, 400));
    CRect top, bottom;
    info->GetWindowRect(&top);
    view->GetContentPane()->GetWindowRect(&bottom);
    EXPECT_NEAR(300, top.Height(), 12);
    EXPECT_NEAR(100, bottom.Height(), 12);
}

} // namespace
