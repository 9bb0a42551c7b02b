// The window of a logged-in user: its parts, the tree of the three groups, the requests of the
// tree (add, delete, synchronise) and what the window does while one runs.
#include "ECUiTestSupport.h"

#include "ecard/ui/ECContactsTreeView.h"
#include "ecard/ui/ECDialogs.h"
#include "ecard/ui/ECFrame.h"
#include "ecard/ui/ECRightPaneFrame.h"
#include "ecard/ui/ECUserManagerView.h"
#include "contacts/PersonFields.h"
#include "platform/gui/Icon.h"
#include "platform/gui/Menu.h"
#include "platform/gui/ToolTipCtrl.h"
#include "ui/KovMenu.h"

#include <QDir>

#include <map>

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

    // The window opens on the root: the right pane lists it, not an empty list.
    CECRightPaneFrame* pane = frame->GetRightPane();
    EXPECT_EQ(root, t.GetSelectedItem());
    EXPECT_EQ(EC_MODE_GROUP, pane->GetMode());
    EXPECT_EQ(EC_VIEW_PERSON_LIST, pane->GetCurrentViewNumber());
    EXPECT_EQ(&user->GetRootGroup(), frame->GetUserDoc()->GetCurrentObject());

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

// Each further user's window opens down and to the right of the ones already open, so that none
// hides another, its corner on the screen (the window here is wider than the test's screen);
// once the first has been moved away, the next takes the centre again.
TEST_F(ECFrameTest, AnotherUsersWindowOpensClearOfTheOpenOnes) {
    std::vector<CRect> rects;
    for (UINT uid : {kAlice, kBob, 20000003u}) {
        OpenWindow(uid);
        CRect r;
        frame->GetWindowRect(&r);
        rects.push_back(r);
    }
    CRect work;
    SystemParametersInfo(SPI_GETWORKAREA, 0, &work, 0);
    for (size_t i = 0; i < rects.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(work.PtInRect(rects[i].TopLeft())) << "on the screen";
        if (rects[i].Height() <= work.Height())
            EXPECT_LE(rects[i].bottom, work.bottom) << "wholly, where it fits";
        if (i == 0)
            continue;
        EXPECT_EQ(rects[0].Size(), rects[i].Size());
        EXPECT_GT(rects[i].left, rects[i - 1].left);
        EXPECT_GT(rects[i].top, rects[i - 1].top);
    }
    // The first window moved away frees its place for the next one.
    const CRect centre = rects[0];
    manager.GetWindow(0)->SetWindowPos(nullptr, work.left, work.top, 0, 0,
                                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    OpenWindow(20000004);
    CRect r;
    frame->GetWindowRect(&r);
    EXPECT_EQ(centre, r);
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

// A server that takes the request and never answers: the status bar says that the window waits
// and how to stop, Escape (pressed in the tree, where the command came from) ends the wait at
// once with nothing to report, the connection is dropped, and the window takes commands again.
// Left alone, the wait ends at the HTTP layer's bound on a silent server, and the failure is told.
TEST_F(ECFrameTest, AWaitForASilentServerShowsInTheStatusBarAndEscapeEndsIt) {
    OpenAlice();
    server.SetReply("ecard/syncallfriends.asp", test_net::Reply::Of(test_net::Reply::Kind::Silent));
    auto* bar = dynamic_cast<CStatusBar*>(frame->GetMessageBar());
    ASSERT_NE(nullptr, bar);
    Command(1525);
    ASSERT_TRUE(frame->IsBusy());
    ASSERT_TRUE(server.WaitForRequests(1, std::chrono::seconds(5)));
    Pump();
    EXPECT_TRUE(frame->IsBusy());
    EXPECT_EQ("正在与服务器通信，请稍候……（按Esc键取消）", bar->GetPaneText(0));
    EXPECT_FALSE(frame->GetRightPane()->IsWindowEnabled());

    const size_t messagesBefore = shown.size();
    QTest::keyClick(tree->GetTreeCtrl().GetWidget(), Qt::Key_Escape);
    ASSERT_TRUE(WaitFor([this] { return !frame->IsBusy(); }, 3000)) << "Escape ends the wait";
    EXPECT_EQ(messagesBefore, shown.size()) << "a wait the user stopped is no failure to tell";
    EXPECT_EQ("就绪", bar->GetPaneText(0));
    EXPECT_TRUE(frame->GetRightPane()->IsWindowEnabled());
    EXPECT_FALSE(frame->GetAnimation().IsAnimating());
    frame->SendMessageToDescendants(WM_IDLEUPDATECMDUI, TRUE, 0, TRUE);
    EXPECT_TRUE(frame->GetToolBar().GetToolBarCtrl().IsButtonEnabled(1513));
    EXPECT_TRUE(server.WaitForAbandoned(1, std::chrono::seconds(10)));

    test_net::ScopedInternetDefault receive(INTERNET_OPTION_RECEIVE_TIMEOUT, 300);
    Command(1525);
    ASSERT_TRUE(frame->IsBusy());
    WaitIdle();
    ASSERT_EQ(messagesBefore + 1, shown.size()) << "the silence is told once the bound is reached";
    EXPECT_EQ(GetECErrorText(INET_RESULT_NETWORK_ERROR), shown.back().text);
    EXPECT_EQ("就绪", bar->GetPaneText(0));
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

TEST_F(ECFrameTest, EveryToolBarButtonHasAPictureOfItsOwnAndTheNamedOnesTheirTexts) {
    OpenAlice();
    CToolBar& bar = frame->GetToolBar();
    CImageList* images = bar.GetToolBarCtrl().GetImageList();
    ASSERT_NE(nullptr, images);
    auto argb = [](const QImage& img) { return img.convertToFormat(QImage::Format_ARGB32); };
    const QImage standIn =
        argb(images->GetImage(images->Add(::LoadIcon(nullptr, IDI_APPLICATION))));
    const std::map<UINT, CString> texts = {{1513, "好友"},   {1514, "陌生人"}, {1521, "访问权限"},
                                           {1525, "同步"},   {1518, "更新"},   {32821, "确认"},
                                           {32822, "取消"}};
    std::vector<std::pair<UINT, QImage>> seen;
    for (int i = 0; i < bar.GetCount(); ++i) {
        UINT id = 0, style = 0;
        int image = -1;
        bar.GetButtonInfo(i, id, style, image);
        if (id == ID_SEPARATOR)
            continue;
        const QImage picture = argb(images->GetImage(image));
        ASSERT_FALSE(picture.isNull()) << id;
        EXPECT_NE(standIn, picture) << id;
        bool drawn = false;
        for (int y = 0; y < picture.height() && !drawn; ++y)
            for (int x = 0; x < picture.width() && !drawn; ++x)
                drawn = qAlpha(picture.pixel(x, y)) > 0;
        EXPECT_TRUE(drawn) << id << " shows an empty picture";
        for (const auto& [other, otherPicture] : seen)
            EXPECT_NE(otherPicture, picture) << id << " looks like " << other;
        seen.push_back({id, picture});
        const auto text = texts.find(id);
        EXPECT_EQ(text != texts.end() ? text->second : CString(), bar.GetButtonText(i)) << id;
    }
    EXPECT_EQ(20u, seen.size());
}

// The right pane's two tool bars: their strip is laid in the bars' own colour, and each of the
// group bar's buttons says what it shows when the pointer rests on it.
TEST_F(ECFrameTest, TheRightPanesToolBarsShowTheirColourAndTheGroupButtonsTheirTips) {
    OpenAlice();
    frame->MoveWindow(0, 0, 900, 560);
    CECRightPaneFrame* pane = frame->GetRightPane();
    const QColor ground(0x7F, 0x9D, 0xB9);
    // The share of the bar's strip, in a picture of the whole window, that shows the colour.
    auto groundShare = [&](CToolBar& bar, const char* name) {
        frame->SendMessageToDescendants(WM_IDLEUPDATECMDUI, TRUE, 0, TRUE);
        Pump();
        const QImage shot = frame->GetWidget()->grab().toImage();
        shot.save(QString::fromStdString(ScreenPath(name)), "PNG");
        const CRect strip = RectIn(&bar, frame);
        int hits = 0, all = 0;
        for (int y = strip.top; y < strip.bottom; ++y)
            for (int x = strip.left; x < strip.right; ++x, ++all)
                hits += shot.pixelColor(x, y) == ground;
        return all > 0 ? (double)hits / all : 0.0;
    };
    QDir().mkpath(QUILLMAR_SCREENS_DIR);
    ASSERT_TRUE(pane->GetGroupBar().IsWindowVisible());
    EXPECT_GT(groundShare(pane->GetGroupBar(), "ecard-right-pane-group-bar"), 0.5);
    tree->GetTreeCtrl().SelectItem(ItemOf(kBob));
    ASSERT_TRUE(pane->GetContactBar().IsWindowVisible());
    EXPECT_GT(groundShare(pane->GetContactBar(), "ecard-right-pane-contact-bar"), 0.5);

    tree->GetTreeCtrl().SelectItem(tree->GetGroupItem(CECContactsTreeView::KindFriends));
    struct TipsOf : CToolBar {
        static CToolTipCtrl* Of(CToolBar& bar) { return (bar.*(&TipsOf::m_pTips)).get(); }
    };
    CToolBar& bar = pane->GetGroupBar();
    const std::pair<UINT, const char*> tips[] = {
        {ID_EC_VIEW_PERSON_LIST, "浏览组内各联系人的个人信息"},
        {ID_EC_VIEW_ACCESS_LIST, "浏览组内各联系人对我的个人资料的访问权限"}};
    for (const auto& [id, text] : tips) {
        CRect button;
        bar.GetItemRect(bar.CommandToIndex(id), &button);
        const QPoint at(button.CenterPoint().x, button.CenterPoint().y);
        QTest::mouseMove(bar.GetWidget(), at);
        CToolTipCtrl* shown = TipsOf::Of(bar);
        ASSERT_NE(nullptr, shown) << id;
        shown->SetDelayTime(TTDT_INITIAL, 5);
        QTest::mouseMove(bar.GetWidget(), at + QPoint(1, 0));
        ASSERT_TRUE(WaitFor([&] {
            return shown->IsTipShown() && shown->GetShownText() == text;
        })) << id << " shows \"" << (LPCTSTR)shown->GetShownText() << "\"";
    }
}

// Leaving the read-only card or the messages has the window put its two panes back where its
// splitter's columns are; moving between the other views leaves the window's layout alone.
TEST_F(ECFrameTest, LeavingTheReadOnlyCardOrTheMessagesLaysTheWindowsPanesOutAgain) {
    OpenAlice();
    frame->MoveWindow(0, 0, 900, 560);
    Pump();
    CECRightPaneFrame* pane = frame->GetRightPane();
    CWnd* splitter = pane->GetParent();
    const CRect placed = RectIn(pane, splitter);
    CTreeCtrl& t = tree->GetTreeCtrl();
    auto clickItem = [&](HTREEITEM h) {
        CRect r;
        ASSERT_TRUE(t.GetItemRect(h, &r, TRUE));
        QTest::mouseClick(t.GetWidget(), Qt::LeftButton, Qt::NoModifier,
                          QPoint(r.CenterPoint().x, r.CenterPoint().y));
        Pump();
    };
    auto clickButton = [&](UINT id, int view) {
        frame->SendMessageToDescendants(WM_IDLEUPDATECMDUI, TRUE, 0, TRUE);
        CToolBar& bar = pane->GetContactBar();
        CRect r;
        bar.GetItemRect(bar.CommandToIndex(id), &r);
        QTest::mouseClick(bar.GetWidget(), Qt::LeftButton, Qt::NoModifier,
                          QPoint(r.CenterPoint().x, r.CenterPoint().y));
        Pump();
        ASSERT_EQ(view, pane->GetCurrentViewNumber()) << id;
    };
    // The right pane moved off its column, as a layout left behind.
    auto displace = [&] {
        pane->MoveWindow(placed.left, placed.top, placed.Width() - 80, placed.Height() - 60);
        ASSERT_NE(RectIn(pane, splitter), placed);
    };

    clickItem(ItemOf(kBob));
    clickButton(ID_EC_VIEW_BROWSE_CARD, EC_VIEW_BROWSE_CARD);
    displace();
    clickItem(tree->GetGroupItem(CECContactsTreeView::KindFriends));
    ASSERT_EQ(EC_VIEW_PERSON_LIST, pane->GetCurrentViewNumber());
    EXPECT_EQ(RectIn(pane, splitter), placed) << "from the read-only card to the group's list";

    clickItem(ItemOf(kBob));
    clickButton(ID_EC_VIEW_MESSAGES, EC_VIEW_MESSAGES);
    displace();
    clickButton(ID_EC_VIEW_CARD_FORM, EC_VIEW_CARD_FORM);
    EXPECT_EQ(RectIn(pane, splitter), placed) << "from the messages to the card";

    displace();
    clickButton(ID_EC_VIEW_BROWSE_CARD, EC_VIEW_BROWSE_CARD);
    EXPECT_NE(RectIn(pane, splitter), placed) << "from the card to the read-only card";
}

TEST_F(ECFrameTest, TheMenusAreDrawnWithTheProgramsCommandPictures) {
    // A menu picture list as the program makes at start: a red picture for receive (menu bar)
    // and for add a friend (the tree's menus).
    CImageList pictures;
    pictures.Create(16, 16, ILC_COLOR32 | ILC_MASK, 1, 1);
    QImage red(16, 16, QImage::Format_ARGB32);
    red.fill(QColor(255, 0, 0));
    const int index = pictures.Add(AfxCreateIcon(red));
    struct Restore {
        CImageList* old = GetMenuImageList();
        ~Restore() {
            SetMenuImageList(old);
            g_menuImageMap.RemoveKey(32812);
            g_menuImageMap.RemoveKey(1513);
        }
    } restore;
    SetMenuImageList(&pictures);
    g_menuImageMap.SetAt(32812, index);
    g_menuImageMap.SetAt(1513, index);
    OpenAlice();

    auto allOwnerDrawn = [](HMENU hMenu) {
        CMenu* menu = CMenu::FromHandle(hMenu);
        for (UINT i = 0; i < menu->GetMenuItemCount(); ++i) {
            MENUITEMINFO mii{};
            mii.cbSize = sizeof mii;
            mii.fMask = MIIM_FTYPE;
            if (!menu->GetMenuItemInfo(i, &mii, TRUE) || !(mii.fType & MFT_OWNERDRAW))
                return false;
        }
        return menu->GetMenuItemCount() > 0;
    };
    // Rows of the picture column (left of the texts) that show the red picture.
    auto redRows = [](const QImage& img) {
        int rows = 0;
        for (int y = 0; y < img.height(); ++y) {
            bool found = false;
            for (int x = 0; x < 22 && x < img.width() && !found; ++x) {
                const QColor c = img.pixelColor(x, y);
                found = c.red() > 200 && c.green() < 60 && c.blue() < 60;
            }
            rows += found ? 1 : 0;
        }
        return rows;
    };

    // The menu bar's "短信": the receive item carries its picture, the compose item none.
    CMenu* sms = frame->GetMenu()->GetSubMenu(3);
    ASSERT_NE(nullptr, sms);
    AfxSendInitMenuPopup(frame, sms->GetSafeHmenu(), 3);
    EXPECT_TRUE(allOwnerDrawn(sms->GetSafeHmenu()));
    const QImage smsPicture = AfxRenderPopupMenu(sms->GetSafeHmenu(), frame);
    EXPECT_GE(redRows(smsPicture), 12);
    EXPECT_LT(redRows(smsPicture), smsPicture.height() / 2);

    // The tree's menus open for the window and are drawn the same way, sub-menus too.
    bool rootDrawn = false, contactDrawn = false;
    int rootRed = 0;
    AfxSetPopupMenuHook([&](HMENU hMenu, CWnd* pOwner, POINT, UINT) -> UINT {
        CMenu* menu = CMenu::FromHandle(hMenu);
        if (menu->GetMenuItemID(0) == 1513) {
            rootDrawn = allOwnerDrawn(hMenu);
            rootRed = redRows(AfxRenderPopupMenu(hMenu, pOwner));
        } else {
            contactDrawn = allOwnerDrawn(hMenu) && menu->GetSubMenu(0) != nullptr &&
                           allOwnerDrawn(menu->GetSubMenu(0)->GetSafeHmenu());
        }
        return 0;
    });
    tree->ShowItemMenu(tree->GetRootItem(), CPoint(100, 100));
    // A mail address fills the contact's first sub-menu with a value item.
    user->GetRootGroup().FindByNumber(kBob)
        ->SetFieldText(PF_EMAIL, "bob@example.com", FALSE, 0, "\x01", "\x02");
    tree->ShowItemMenu(ItemOf(kBob), CPoint(100, 100));
    AfxSetPopupMenuHook(nullptr);
    EXPECT_TRUE(rootDrawn);
    EXPECT_GE(rootRed, 12);
    EXPECT_TRUE(contactDrawn);
}

TEST_F(ECFrameTest, HelpTopicsSaysThatHelpCannotStart) {
    OpenAlice();
    CMenu* help = frame->GetMenu()->GetSubMenu(4);
    ASSERT_NE(nullptr, help);
    AfxSendInitMenuPopup(frame, help->GetSafeHmenu(), 4);
    EXPECT_FALSE(help->GetMenuState(57667, MF_BYCOMMAND) & MF_GRAYED);
    Command(57667);
    EXPECT_EQ(std::vector<CString>{"无法启动帮助。"}, Texts());
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
