// The contacts tree's own edits and menus: renaming, new sub-groups, moving by drag and drop
// (locally inside a top group, through the service across), and a contact's value menus, whose
// values other users set.
#include "ECUiTestSupport.h"

#include "contacts/PersonDoc.h"
#include "contacts/PersonFields.h"
#include "contacts/SmsDoc.h"
#include "ecard/ui/ECContactsTreeView.h"
#include "ecard/ui/ECFrame.h"
#include "contacts/ui/LeftView.h"
#include "platform/base/tests/TempFolder.h"
#include "platform/gui/CommonDialogs.h"
#include "platform/gui/Menu.h"
#include "platform/gui/ShellServices.h"
#include "platform/gui/WndPrivate.h"


using namespace ecard_ui_test;

namespace {

class ECTreeEditTest : public ECWindowTest {
protected:
    std::vector<std::string> opened;
    ShellOpenHook oldOpen;

    void SetUp() override {
        ECWindowTest::SetUp();
        oldOpen = AfxSetShellOpenHook([this](const std::string& url) {
            opened.push_back(url);
            return true;
        });
    }
    void TearDown() override {
        AfxSetPopupMenuHook(nullptr);
        AfxSetShellOpenHook(oldOpen);
        ECWindowTest::TearDown();
    }
    // Alice with a friend Bob in the friends group and a sub-group "同学" holding Carol (a friend
    // too), a stranger and a deregistered user.
    void OpenAlice(const std::function<void(CECUser&)>& extra = nullptr) {
        {
            CECUserDoc doc;
            CECUser& u = doc.GetUser();
            u.SetUserNumber(kAlice);
            u.GetAccount().m_strPassword = "alice1";
            AddContact(u.GetFriends(), kBob, "鲍勃")->m_dwStatus = CECContact::STATUS_FRIEND;
            auto* classmates = new CECGroup("同学");
            u.GetFriends().AddSubgroup(classmates, FALSE);
            AddContact(*classmates, 20000005, "卡萝")->m_dwStatus = CECContact::STATUS_FRIEND;
            AddContact(u.GetStrangers(), 20000003, "路人");
            AddContact(u.GetDeregistered(), 20000004, "旧友")->m_dwStatus =
                CECContact::STATUS_DEREGISTERED;
            if (extra)
                extra(u);
            ASSERT_TRUE(doc.SaveUser());
        }
        OpenWindow(kAlice);
    }
    CTreeCtrl& Tree() const { return tree->GetTreeCtrl(); }
    HTREEITEM GroupItem(const char* name) const {
        HTREEITEM found = nullptr;
        std::function<void(HTREEITEM)> walk = [&](HTREEITEM h) {
            for (; h != nullptr && found == nullptr; h = Tree().GetNextSiblingItem(h)) {
                if (tree->GetItemKind(h) == CECContactsTreeView::KindSubgroup &&
                    Tree().GetItemText(h) == name)
                    found = h;
                walk(Tree().GetChildItem(h));
            }
        };
        walk(tree->GetRootItem());
        return found;
    }
    HTREEITEM Top(int kind) const { return tree->GetGroupItem(kind); }
    CEdit* Editor() const { return Tree().GetEditControl(); }
    // Replaces the label being edited as a person does and presses Enter.
    void TypeLabel(const char* text) {
        CEdit* edit = Editor();
        ASSERT_NE(nullptr, edit);
        QWidget* w = edit->GetWidget();
        QTest::keyClick(w, Qt::Key_A, Qt::ControlModifier);
        for (QChar ch : AfxToQt(text))
            QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(ch), Qt::NoModifier);
        QTest::keyClick(w, Qt::Key_Return);
        Pump();
    }
    void Drag(HTREEITEM from, HTREEITEM to) {
        DragItem(from, to);
        EXPECT_FALSE(tree->GetDragHelper().IsDragging());
    }
    // Reopens Alice's window from her file.
    void Reopen() {
        frame->SendMessage(WM_CLOSE, 0, 0);
        ASSERT_EQ(0, manager.GetWindowCount());
        OpenWindow(kAlice);
    }
};

TEST_F(ECTreeEditTest, RenamingAndNewSubgroupsAreLocalAndKeptInTheFile) {
    OpenAlice();
    // Clicking a selected label edits it only while renaming is allowed.
    Tree().SelectItem(ItemOf(kBob));
    Tree().EditLabel(ItemOf(kBob));
    EXPECT_EQ(nullptr, Editor());
    // The command opens the editor anyway.
    Command(1517);
    TypeLabel("老鲍");
    EXPECT_EQ("老鲍", user->GetRootGroup().FindByNumber(kBob)->GetName());
    EXPECT_EQ("老鲍", Tree().GetItemText(ItemOf(kBob)));
    EXPECT_EQ(ItemOf(kBob), Tree().GetSelectedItem());

    // With 489 on, the tree's own label editing works on sub-groups and contacts only.
    Command(489);
    EXPECT_TRUE(tree->IsRenameAllowed());
    Tree().EditLabel(Top(CECContactsTreeView::KindFriends));
    EXPECT_EQ(nullptr, Editor());
    Tree().EditLabel(GroupItem("同学"));
    TypeLabel("大学同学");
    EXPECT_NE(nullptr, GroupItem("大学同学"));

    // A new sub-group under a contact's group, named by the user.
    Tree().SelectItem(ItemOf(20000003));
    Command(32777);
    ASSERT_NE(nullptr, Editor());
    CString proposed;
    Editor()->GetWindowText(proposed);
    EXPECT_EQ("新组", proposed);
    TypeLabel("网友");
    HTREEITEM netFriends = GroupItem("网友");
    ASSERT_NE(nullptr, netFriends);
    EXPECT_EQ("陌生人", ParentText(netFriends));
    EXPECT_EQ(netFriends, Tree().GetSelectedItem());
    // The root takes no sub-group.
    Tree().SelectItem(tree->GetRootItem());
    Command(32777);
    EXPECT_EQ(nullptr, Editor());
    EXPECT_TRUE(server.Requests().empty());

    Reopen();
    EXPECT_EQ("老鲍", Tree().GetItemText(ItemOf(kBob)));
    ASSERT_NE(nullptr, GroupItem("网友"));
    EXPECT_EQ("陌生人", ParentText(GroupItem("网友")));
    EXPECT_EQ("大学同学", ParentText(ItemOf(20000005)));
}

TEST_F(ECTreeEditTest, ItemsShowTheContactsPicturesOpenWhileExpanded) {
    OpenAlice([](CECUser& u) {
        u.GetRootGroup().FindByNumber(kBob)->GetInfo().m_personal.nSex = 1;
        u.GetRootGroup().FindByNumber(20000005)->GetInfo().m_personal.nSex = 0;
    });
    ASSERT_NE(nullptr, Tree().GetImageList(TVSIL_NORMAL));
    EXPECT_EQ(int(CLeftView::ImgCount), Tree().GetImageList(TVSIL_NORMAL)->GetImageCount());
    auto images = [this](HTREEITEM h) {
        int image = -1, selImage = -1;
        EXPECT_TRUE(Tree().GetItemImage(h, image, selImage));
        return std::make_pair(image, selImage);
    };
    using P = std::pair<int, int>;
    const struct {
        const char* what;
        HTREEITEM item;
        P expected;
    } shown[] = {
        {"root, expanded", tree->GetRootItem(), {CLeftView::ImgTopOpen, CLeftView::ImgTopOpen}},
        {"friends, expanded", Top(CECContactsTreeView::KindFriends),
         {CLeftView::ImgGroupOpen, CLeftView::ImgGroupOpen}},
        {"deregistered, expanded", Top(CECContactsTreeView::KindDeregistered),
         {CLeftView::ImgGroupOpen, CLeftView::ImgGroupOpen}},
        {"sub-group, collapsed", GroupItem("同学"), {CLeftView::ImgGroup, CLeftView::ImgGroup}},
        {"a man", ItemOf(kBob), {CLeftView::ImgMale, CLeftView::ImgMaleSel}},
        {"a woman", ItemOf(20000005), {CLeftView::ImgFemale, CLeftView::ImgFemaleSel}},
        {"sex not given", ItemOf(20000003), {CLeftView::ImgOther, CLeftView::ImgOtherSel}},
    };
    for (const auto& c : shown) {
        ASSERT_NE(nullptr, c.item) << c.what;
        EXPECT_EQ(c.expected, images(c.item)) << c.what;
    }

    // Expanding and collapsing by hand swaps the open and closed pictures.
    HTREEITEM classmates = GroupItem("同学");
    CRect r;
    ASSERT_TRUE(Tree().GetItemRect(classmates, &r, TRUE));
    QTest::mouseDClick(Tree().GetWidget(), Qt::LeftButton, Qt::NoModifier, QPoint(r.left + 4, r.CenterPoint().y));
    Pump();
    ASSERT_TRUE(Tree().GetItemState(classmates, TVIS_EXPANDED) & TVIS_EXPANDED);
    EXPECT_EQ(P(CLeftView::ImgGroupOpen, CLeftView::ImgGroupOpen), images(classmates));
    Tree().Expand(tree->GetRootItem(), TVE_COLLAPSE);
    EXPECT_EQ(P(CLeftView::ImgTop, CLeftView::ImgTop), images(tree->GetRootItem()));
    Tree().Expand(tree->GetRootItem(), TVE_EXPAND);

    // A sub-group the user makes gets the group picture at once.
    Tree().SelectItem(ItemOf(20000003));
    Command(32777);
    TypeLabel("网友");
    ASSERT_NE(nullptr, GroupItem("网友"));
    EXPECT_EQ(P(CLeftView::ImgGroup, CLeftView::ImgGroup), images(GroupItem("网友")));

    // The pictures are painted: the place left of the root's label is not bare ground.
    ASSERT_TRUE(Tree().GetItemRect(tree->GetRootItem(), &r, TRUE));
    const QImage shot = Tree().GetWidget()->grab().toImage();
    const QColor ground(0xDD, 0xEC, 0xFE);
    int drawn = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = std::max(0, r.left - 18); x < r.left - 2; ++x)
            if (shot.pixelColor(x, y) != ground)
                ++drawn;
    EXPECT_GT(drawn, 20);
}

TEST_F(ECTreeEditTest, WhereADropIsAllowed) {
    OpenAlice([](CECUser& u) {
        auto* locked = new CECGroup("密组");
        locked->ModifyFlags(0, CGroup::FLAG_PASSWORD | CGroup::FLAG_LOCKED);
        u.GetStrangers().AddSubgroup(locked, FALSE);
    });
    const HTREEITEM friends = Top(CECContactsTreeView::KindFriends);
    const HTREEITEM strangers = Top(CECContactsTreeView::KindStrangers);
    const HTREEITEM gone = Top(CECContactsTreeView::KindDeregistered);
    const HTREEITEM classmates = GroupItem("同学");
    struct Case {
        const char* what;
        HTREEITEM source, target;
        bool allowed;
    } cases[] = {
        {"friend into a friends' sub-group", ItemOf(kBob), classmates, true},
        {"friend to the strangers", ItemOf(kBob), strangers, true},
        {"sub-group to the strangers", classmates, strangers, true},
        {"stranger to the friends", ItemOf(20000003), friends, true},
        {"deregistered to the friends", ItemOf(20000004), friends, true},
        {"onto its own parent", ItemOf(kBob), friends, false},
        {"onto the deregistered", ItemOf(kBob), gone, false},
        {"onto a contact", ItemOf(20000003), ItemOf(kBob), false},
        {"onto the root", ItemOf(kBob), tree->GetRootItem(), false},
        {"a sub-group into itself", classmates, classmates, false},
        {"a fixed group", strangers, classmates, false},
        {"the root", tree->GetRootItem(), classmates, false},
        {"deregistered to the strangers", ItemOf(20000004), strangers, false},
        {"into a locked group", ItemOf(20000003), GroupItem("密组"), false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.allowed, (bool)tree->CanDrop(c.source, c.target)) << c.what;

    // Nothing moves while the user talks to the service.
    test_net::Reply slow = test_net::Reply::Text("0#");
    slow.delayMs = 800;
    server.SetReply("ecard/syncallfriends.asp", slow);
    Command(1525);
    ASSERT_TRUE(frame->IsBusy());
    EXPECT_FALSE(tree->CanDrop(ItemOf(kBob), classmates));
    WaitIdle();
}

TEST_F(ECTreeEditTest, DragsMoveLocallyInsideAGroupAndThroughTheServiceAcross) {
    OpenAlice();
    {
        std::lock_guard<std::mutex> g(service.lock);
        service.users[kAlice].friends.insert(kBob);
        service.users[kAlice].friends.insert(20000005);
        service.users[20000003].password = "walker";
        service.users[20000003].name = "路人";
    }
    // Inside the friends: moved at once, nothing sent.
    Drag(ItemOf(kBob), GroupItem("同学"));
    EXPECT_EQ("同学", ParentText(ItemOf(kBob)));
    EXPECT_TRUE(server.Requests().empty());
    EXPECT_FALSE(frame->IsBusy());

    // A refused drop changes nothing.
    Drag(ItemOf(20000004), Top(CECContactsTreeView::KindStrangers));
    EXPECT_EQ("已注销者", ParentText(ItemOf(20000004)));
    EXPECT_TRUE(server.Requests().empty());

    // The sub-group onto the strangers: the friends are removed, the group moves when the
    // answer comes, its contacts with it.
    // The answer is held back so that the busy state between the drop and the answer shows
    // even when the drag's own event processing would otherwise let a quick answer in.
    test_net::Reply held = test_net::Reply::Text("0#");
    held.delayMs = 800;
    server.SetReply("ecard/delfriends.asp", held);
    Drag(GroupItem("同学"), Top(CECContactsTreeView::KindStrangers));
    EXPECT_TRUE(frame->IsBusy());
    EXPECT_EQ("我的好友", ParentText(GroupItem("同学")));
    WaitIdle();
    EXPECT_EQ(std::vector<std::string>{"delfriends.asp"}, Pages());
    EXPECT_EQ("陌生人", ParentText(GroupItem("同学")));
    EXPECT_EQ("同学", ParentText(ItemOf(kBob)));
    EXPECT_EQ("同学", ParentText(ItemOf(20000005)));

    // A stranger onto the friends: added as a friend.
    Drag(ItemOf(20000003), Top(CECContactsTreeView::KindFriends));
    WaitIdle();
    EXPECT_EQ((std::vector<std::string>{"delfriends.asp", "addfriends.asp"}), Pages());
    EXPECT_EQ("我的好友", ParentText(ItemOf(20000003)));
}

// The menus of a contact: one entry per value of its mail, home page and telephone fields, the
// value handed to the desktop only as a checked address.
TEST_F(ECTreeEditTest, AContactsMenuOffersItsValuesAndOpensThemSafely) {
    OpenAlice([](CECUser& u) {
        CECContact* bob = u.GetFriends().FindByNumber(kBob);
        bob->SetFieldText(PF_EMAIL, "bob@example.com?cc=spy@example.net", FALSE, 0, "\x01", "\x02");
        bob->SetFieldText(PF_WORK_EMAIL, "bob@work.example.com", FALSE, 0, "\x01", "\x02");
        bob->SetFieldText(PF_HOMEPAGE, "javascript:alert(1)", FALSE, 0, "\x01", "\x02");
        bob->SetFieldText(6, "138-0000-1111", FALSE, 0, "\x01", "\x02");
    });
    std::vector<std::vector<CString>> subMenus;
    std::vector<BOOL> enabled;
    UINT choice = 0;
    AfxSetPopupMenuHook([&](HMENU hMenu, CWnd*, POINT, UINT) -> UINT {
        CMenu* m = CMenu::FromHandle(hMenu);
        subMenus.clear();
        enabled.clear();
        for (int i = 0; i < 3; ++i) {
            std::vector<CString> texts;
            CMenu* sub = m->GetSubMenu(i);
            for (int j = 0; sub != nullptr && j < (int)sub->GetMenuItemCount(); ++j) {
                CString text;
                sub->GetMenuString((UINT)j, text, MF_BYPOSITION);
                texts.push_back(text);
            }
            subMenus.push_back(texts);
            enabled.push_back((m->GetMenuState(i, MF_BYPOSITION) & MF_GRAYED) == 0);
        }
        return choice;
    });
    CRect rc;
    Tree().GetItemRect(ItemOf(kBob), &rc, TRUE);
    CPoint screen = rc.CenterPoint();
    Tree().ClientToScreen(&screen);

    choice = 0x10000; // the first mail address
    tree->ShowItemMenu(ItemOf(kBob), screen);
    ASSERT_EQ(3u, subMenus.size());
    ASSERT_EQ(4u, subMenus[0].size()); // two addresses, a separator, all
    EXPECT_EQ("发送所有Email", subMenus[0][3]);
    EXPECT_EQ(1u, subMenus[1].size()) << "a single page gets no all entry";
    EXPECT_EQ(1u, subMenus[2].size());
    EXPECT_EQ((std::vector<BOOL>{TRUE, TRUE, TRUE}), enabled);
    ASSERT_EQ(1u, opened.size());
    EXPECT_EQ(0u, opened[0].find("mailto:")) << opened[0];
    EXPECT_EQ(std::string::npos, opened[0].find("?cc=")) << "the value cannot add fields";

    choice = 0x30000; // the telephone
    tree->ShowItemMenu(ItemOf(kBob), screen);
    ASSERT_EQ(2u, opened.size());
    EXPECT_EQ("tel:13800001111", opened[1]);

    choice = 0x20000; // a home page that is no web address is not handed on
    answers = {IDOK};
    tree->ShowItemMenu(ItemOf(kBob), screen);
    EXPECT_EQ(2u, opened.size());

    choice = 485; // all addresses in one mail
    tree->ShowItemMenu(ItemOf(kBob), screen);
    ASSERT_EQ(3u, opened.size());
    EXPECT_NE(std::string::npos, opened[2].find(";")) << opened[2];
    EXPECT_EQ(std::string::npos, opened[2].find("?cc=")) << opened[2];

    // A contact without values: the three entries are greyed; another command reaches the
    // window (delete asks first).
    choice = 1516;
    answers = {IDNO};
    tree->ShowItemMenu(ItemOf(20000003), screen);
    EXPECT_EQ((std::vector<BOOL>{FALSE, FALSE, FALSE}), enabled);
    EXPECT_TRUE(Shown("您真的要删除该项吗？"));
    EXPECT_NE(nullptr, ItemOf(20000003));
}

// A contact leaves as a contacts file and a group as an address book, both readable by the
// contacts program: the cards only, without the e-card records.
TEST_F(ECTreeEditTest, ExportsACardAndAGroupAsContactsFiles) {
    OpenAlice([](CECUser& u) {
        u.GetFriends().FindByNumber(20000005)->SetFieldText(PF_EMAIL, "carol@example.com", FALSE,
                                                            0, "\x01", "\x02");
        CGroup& friends = u.GetFriends();
        POSITION pos = friends.FindSubgroupNode("同学");
        friends.GetNextSubgroup(pos)->SetName("同学/旧:友");
    });
    test_folders::TempDir dir;
    CString proposed;
    auto saveAs = [&proposed](const CString& path) {
        return [&proposed, path](CDialog& d) {
            auto* file = dynamic_cast<CFileDialog*>(&d);
            ASSERT_NE(nullptr, file);
            proposed = file->m_ofn.lpstrFile;
            file->Answer(path);
        };
    };
    const CString card = (dir.str() + "/carol.psn").c_str();
    const CString book = (dir.str() + "/classmates.sms").c_str();
    Tree().SelectItem(ItemOf(20000005));
    onDialog = saveAs(card);
    Command(499);
    EXPECT_EQ("卡萝", proposed);
    _CPerson read;
    CPersonDoc personDoc;
    ASSERT_TRUE(personDoc.LoadPerson(&read, card));
    EXPECT_EQ("卡萝", read.GetName());
    CString mail;
    read.GetFieldText(mail, PF_EMAIL);
    EXPECT_EQ("carol@example.com", mail);

    Tree().SelectItem(GroupItem("同学/旧:友"));
    onDialog = saveAs(book);
    Command(1506);
    EXPECT_EQ("同学旧友", proposed) << "a file name cannot hold / or :";
    CSmsDoc bookDoc;
    ASSERT_TRUE(bookDoc.OnOpenDocument(book));
    POSITION pos = bookDoc.GetRootGroup().FindSubgroupNode("同学/旧:友");
    ASSERT_NE(nullptr, pos);
    CGroup* group = bookDoc.GetRootGroup().GetNextSubgroup(pos);
    ASSERT_EQ(1, group->GetContentCount(FALSE, TRUE));
    CObject* person = group->GetContentList().GetHead();
    EXPECT_EQ(RUNTIME_CLASS(_CPerson), person->GetRuntimeClass());
    EXPECT_EQ("卡萝", static_cast<_CPerson*>(person)->GetName());
}

} // namespace
