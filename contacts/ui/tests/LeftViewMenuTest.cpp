// The address-book tree's context menus and value commands driven offscreen: which menu each
// item kind gets, the value entries and what they hand to the desktop, the mail commands on
// every address, and the tree commands of the book menu.
#include "contacts/ContactGroup.h"
#include "contacts/Person.h"
#include "contacts/SmsDoc.h"
#include "contacts/tests/ContactsTestSupport.h"
#include "contacts/ui/DlgGroupProperty.h"
#include "contacts/ui/LeftView.h"
#include "contacts/ui/tests/TreeFixture.h"
#include "platform/base/tests/TempFolder.h"
#include "platform/gui/Frame.h"
#include "platform/gui/Menu.h"
#include "platform/gui/MessageBox.h"
#include "platform/gui/ShellServices.h"
#include "platform/gui/WinApp.h"
#include "platform/gui/tests/GuiTestSupport.h"
#include "ui/DlgViewInfo.h"

#include <QDir>
#include <QPainter>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

using contacts_test::AddFieldText;

// What a tracked pop-up held: its items' ids and texts, sub-menus by name.
struct MenuShot {
    std::string name;
    std::vector<UINT> ids;
    std::vector<std::string> texts;
    std::vector<bool> grayed;
    HMENU hMenu = nullptr;
};

MenuShot Read(HMENU hMenu) {
    MenuShot shot;
    shot.hMenu = hMenu;
    CMenu* m = CMenu::FromHandle(hMenu);
    for (int i = 0; i < (int)m->GetMenuItemCount(); ++i) {
        CString text;
        m->GetMenuString((UINT)i, text, MF_BYPOSITION);
        shot.ids.push_back(m->GetMenuItemID(i));
        shot.texts.push_back(text.GetString());
        shot.grayed.push_back((m->GetMenuState((UINT)i, MF_BYPOSITION) & MF_GRAYED) != 0);
    }
    return shot;
}

// The sub-menu of a tracked pop-up by its text.
CMenu* Sub(HMENU hMenu, const char* name) {
    CMenu* m = CMenu::FromHandle(hMenu);
    for (int i = 0; i < (int)m->GetMenuItemCount(); ++i) {
        CString text;
        m->GetMenuString((UINT)i, text, MF_BYPOSITION);
        if (text == name)
            return m->GetSubMenu(i);
    }
    return nullptr;
}

std::vector<UINT> Ids(CMenu* m) {
    std::vector<UINT> ids;
    for (int i = 0; m != nullptr && i < (int)m->GetMenuItemCount(); ++i)
        ids.push_back(m->GetMenuItemID(i));
    return ids;
}

class LeftViewMenuTest : public ContactsTreeFixture<> {
protected:
    std::vector<std::string> opened;
    bool desktopTakes = true;
    ShellOpenHook oldOpen;
    // Each tracked pop-up, and the command the stand-in user picks from it.
    std::vector<MenuShot> menus;
    std::vector<CWnd*> owners;
    std::function<UINT(HMENU)> pick;
    QImage lastPicture, lastMailPicture;

    void SetUp() override {
        oldOpen = AfxSetShellOpenHook([this](const std::string& url) {
            opened.push_back(url);
            return desktopTakes;
        });
        AfxSetPopupMenuHook([this](HMENU hMenu, CWnd* pOwner, POINT, UINT) -> UINT {
            menus.push_back(Read(hMenu));
            owners.push_back(pOwner);
            lastPicture = AfxRenderPopupMenu(hMenu, view, -1);
            CMenu* mail = Sub(hMenu, "发送邮件(&M)");
            lastMailPicture =
                mail != nullptr ? AfxRenderPopupMenu(mail->m_hMenu, view, 0) : QImage();
            return pick ? pick(hMenu) : 0u;
        });
        OpenFrameAndTree(nullptr, 420, 460);
    }
    void TearDown() override {
        ContactsTreeFixture::TearDown();
        AfxSetPopupMenuHook(nullptr);
        AfxSetShellOpenHook(oldOpen);
    }
    // A book of friends: 张三 with one mail address, 李四 with a private and a work address and
    // two home pages, a virtual copy of 李四 in the root (called 王五 here: it shows its source's
    // name), a group with its own values and a locked one.
    CDocument* OpenFriendsBook() {
        CSmsDoc doc;
        _CGroup& root = doc.GetRootGroup();
        root.SetName("家");
        auto* friends = new _CGroup("朋友");
        root.AddSubgroup(friends);
        SGroupInfo& info = friends->GetInfo();
        for (const char* mail : {"club@example.com", "board@example.com"})
            info.email.AddTail(CXString(CString(mail)));
        info.homepage.AddTail(CXString(CString("javascript:alert(1)")));
        _CPerson* zhang = Person(friends, "张三");
        AddFieldText(*zhang, PF_EMAIL, "zhang@example.com");
        AddFieldText(*zhang, PF_MOBILE, "13800138000");
        _CPerson* li = Person(friends, "李四");
        AddFieldText(*li, PF_EMAIL, "li@example.com?cc=spy@example.com");
        AddFieldText(*li, PF_WORK_EMAIL, "li@work.example.com");
        AddFieldText(*li, PF_HOMEPAGE, "www.example.com");
        AddFieldText(*li, PF_WORK_HOMEPAGE, "javascript:alert(1)");
        _CPerson* link = Person(&root, "王五");
        link->LinkTo(li);
        auto* secret = new _CGroup("私密");
        root.AddSubgroup(secret);
        secret->SetPassword("p");
        secret->ModifyFlags(0, CGroup::FLAG_PASSWORD | CGroup::FLAG_LOCKED);
        CString path = Path("friends.sms");
        EXPECT_TRUE(doc.OnSaveDocument(path));
        CDocument* pDoc = view->OpenFile(path, FALSE);
        Tree().Expand(view->GetFileAt(0)->hItem, TVE_EXPAND);
        Tree().Expand(Item("朋友"), TVE_EXPAND);
        return pDoc;
    }
    HTREEITEM Find(HTREEITEM parent, const char* text) {
        for (HTREEITEM h = Tree().GetChildItem(parent); h; h = Tree().GetNextSiblingItem(h)) {
            if (Tree().GetItemText(h) == text)
                return h;
            if (HTREEITEM found = Find(h, text))
                return found;
        }
        return nullptr;
    }
    HTREEITEM Item(const char* text) {
        // The virtual copy of 李四 takes its source's name; it sits right under the book's root.
        if (std::string(text) == "王五") {
            for (HTREEITEM h = Tree().GetChildItem(view->GetFileAt(0)->hItem); h;
                 h = Tree().GetNextSiblingItem(h))
                if (Tree().GetItemText(h) == "李四")
                    return h;
            return nullptr;
        }
        return Find(view->GetTopItem(), text);
    }
    // A right click in the middle of the item's label; answers where.
    QPoint RightClick(HTREEITEM h) {
        CRect rc;
        Tree().GetItemRect(h, &rc, TRUE);
        Tree().SendMessage(WM_RBUTTONDOWN, MK_RBUTTON,
                           MAKELPARAM(rc.CenterPoint().x, rc.CenterPoint().y));
        Pump();
        return QPoint(rc.CenterPoint().x, rc.CenterPoint().y);
    }
    // The window with the pop-up open at the click, and its mail values beside it when given.
    void Screenshot(const char* name, const QImage& popup, QPoint at, const QImage& sub = {}) {
        QDir().mkpath(QUILLMAR_SCREENS_DIR);
        Pump();
        QImage body = frame->GetWidget()->grab().toImage();
        const QPoint subAt = at + QPoint(popup.width() + 1, 0);
        QImage img(
            std::max(body.width(), subAt.x() + sub.width() + 2),
            std::max({body.height(), at.y() + popup.height() + 2, subAt.y() + sub.height() + 2}),
            QImage::Format_ARGB32);
        img.fill(Qt::white);
        QPainter p(&img);
        p.drawImage(0, 0, body);
        p.setPen(QColor(90, 90, 90));
        for (auto [picture, where] : {std::pair{&popup, at}, std::pair{&sub, subAt}}) {
            if (picture->isNull())
                continue;
            p.drawRect(QRect(where - QPoint(1, 1), picture->size() + QSize(1, 1)));
            p.drawImage(where, *picture);
        }
        p.end();
        EXPECT_TRUE(img.save(QString::fromStdString(ScreenPath(name)), "PNG"));
    }
};

} // namespace

TEST_F(LeftViewMenuTest, EachItemKindGetsItsMenuAndALockedGroupNone) {
    OpenFriendsBook();
    // The top item's menu belongs to the main window.
    std::unique_ptr<CWinApp> app;
    if (AfxGetApp() == nullptr)
        app = std::make_unique<CWinApp>();
    CWnd* oldMain = AfxGetApp()->m_pMainWnd;
    AfxGetApp()->m_pMainWnd = frame;
    frame->SetActiveView(view);
    // A locked group: no menu, and the selection stays. (A contact is selected first: a tree
    // that gets the focus back with nothing selected selects its first item.)
    Tree().SelectItem(Item("张三"));
    HTREEITEM before = view->GetCurrentItem();
    ASSERT_NE(nullptr, before);
    RightClick(Item("私密"));
    EXPECT_TRUE(menus.empty());
    EXPECT_EQ(before, view->GetCurrentItem());

    // The top item: the book commands, for the main window, without selecting the top item.
    Tree().SelectItem(Item("张三"));
    QPoint at = RightClick(view->GetTopItem());
    ASSERT_EQ(1u, menus.size());
    EXPECT_EQ(Item("张三"), view->GetCurrentItem());
    const std::vector<UINT> topIds = {(UINT)-1, 0, 57600,    57601,    414, 407,   0,
                                      385,      0, (UINT)-1, (UINT)-1, 0,   57636, 379};
    EXPECT_EQ(topIds, menus[0].ids);
    EXPECT_EQ(frame, owners[0]);
    AfxGetApp()->m_pMainWnd = oldMain;
    Screenshot("contacts-tree-menu-top", lastPicture, at);

    // A contact and a group: selected by the click, their values' sub-menus first.
    at = RightClick(Item("李四"));
    ASSERT_EQ(2u, menus.size());
    EXPECT_EQ(Item("李四"), view->GetCurrentItem());
    EXPECT_EQ("发送邮件(&M)", menus[1].texts[0]);
    EXPECT_EQ(view, owners[1]);
    Screenshot("contacts-tree-menu-contact", lastPicture, at, lastMailPicture);
    at = RightClick(Item("朋友"));
    ASSERT_EQ(3u, menus.size());
    EXPECT_EQ(Item("朋友"), view->GetCurrentItem());
    EXPECT_EQ("拔打电话(&O)", menus[2].texts[2]);
    Screenshot("contacts-tree-menu-group", lastPicture, at, lastMailPicture);
    // The book's root is a group as well.
    RightClick(view->GetFileAt(0)->hItem);
    ASSERT_EQ(4u, menus.size());
    EXPECT_EQ("拔打电话(&O)", menus[3].texts[2]);
}

TEST_F(LeftViewMenuTest, ValueSubMenusListTheValuesWithTheirIdsAndAnAllEntryFromTwoOn) {
    OpenFriendsBook();
    struct Case {
        const char* item;
        std::vector<UINT> mail, pages, phones;
        bool pagesGrayed, phonesGrayed;
    };
    const Case cases[] = {
        // One address: no entry for all of them; no page, so the pages stay disabled.
        {"张三", {0x10000}, {}, {0x40000}, true, false},
        // A private and a work address: both, then 发送所有Email.
        {"李四", {0x10000, 0x210000, 0, 485}, {0x20000, 0x220000, 0, 486}, {}, false, true},
        // A virtual contact offers its source's values.
        {"王五", {0x10000, 0x210000, 0, 485}, {0x20000, 0x220000, 0, 486}, {}, false, true},
        // A group's own addresses, pages and phones.
        {"朋友", {0x2A0000, 0x2A0001, 0, 485}, {0x2B0000}, {}, false, true},
    };
    std::vector<std::vector<UINT>> got[3];
    pick = [&](HMENU h) {
        const bool group = Sub(h, "拔打电话(&O)") != nullptr;
        got[0].push_back(Ids(Sub(h, "发送邮件(&M)")));
        got[1].push_back(Ids(Sub(h, "打开主页(&W)")));
        got[2].push_back(Ids(Sub(h, group ? "拔打电话(&O)" : "拔打电话(&P)")));
        return 0u;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item);
        menus.clear();
        got[0].clear(), got[1].clear(), got[2].clear();
        RightClick(Item(c.item));
        ASSERT_EQ(1u, menus.size());
        EXPECT_EQ(c.mail, got[0][0]);
        EXPECT_EQ(c.pages, got[1][0]);
        EXPECT_EQ(c.phones, got[2][0]);
        EXPECT_EQ(c.pagesGrayed, menus[0].grayed[1]);
        EXPECT_EQ(c.phonesGrayed, menus[0].grayed[2]);
    }
    CString text;
    menus.clear();
    pick = [&](HMENU h) {
        Sub(h, "发送邮件(&M)")->GetMenuString(0x210000, text, MF_BYCOMMAND);
        return 0u;
    };
    RightClick(Item("李四"));
    EXPECT_STREQ("单位邮箱:li@work.example.com", text);
}

TEST_F(LeftViewMenuTest, AChosenValueRunsItsFieldActionAndOtherCommandsReachTheTree) {
    OpenFriendsBook();
    struct Case {
        const char* item;
        UINT chosen;
        std::vector<std::string> opened;
        size_t messages;
    };
    const Case cases[] = {
        // The address is percent-encoded: its "?cc=" cannot add a recipient.
        {"李四", 0x10000, {"mailto:li@example.com%3Fcc%3Dspy@example.com"}, 0},
        {"李四", 0x210000, {"mailto:li@work.example.com"}, 0},
        {"李四", 0x20000, {"http://www.example.com"}, 0},
        // A script is no web page: refused with a message, nothing opened.
        {"李四", 0x220000, {}, 1},
        {"王五", 0x210000, {"mailto:li@work.example.com"}, 0},
        {"张三", 0x40000, {"tel:13800138000"}, 0},
        {"朋友", 0x2A0001, {"mailto:board@example.com"}, 0},
        {"朋友", 0x2B0000, {}, 1},
        // An index past the values does nothing.
        {"张三", 0x10005, {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.item) + " " + std::to_string(c.chosen));
        opened.clear();
        shown.clear();
        pick = [&](HMENU) { return c.chosen; };
        RightClick(Item(c.item));
        EXPECT_EQ(c.opened, opened);
        EXPECT_EQ(c.messages, shown.size());
    }
    // Any other command goes to the tree.
    pick = [&](HMENU) { return (UINT)CLeftView::ID_SHOW_GROUP_COUNTS; };
    const BOOL counts = view->IsShowingCounts();
    RightClick(Item("朋友"));
    EXPECT_NE(counts, view->IsShowingCounts());
}

TEST_F(LeftViewMenuTest, MailToEveryAddressAndTheGroupRecommendation) {
    OpenFriendsBook();
    EXPECT_TRUE(view->MailAllAddresses(Item("李四"), FALSE));
    EXPECT_TRUE(view->MailAllAddresses(Item("王五"), TRUE));
    EXPECT_TRUE(view->MailAllAddresses(Item("朋友"), FALSE));
    const std::vector<std::string> want = {
        "mailto:li@example.com%3Fcc%3Dspy@example.com;li@work.example.com",
        // With the name: "李四"<address> for each address, encoded.
        "mailto:%22%E6%9D%8E%E5%9B%9B%22%3Cli@example.com%3Fcc%3Dspy@example.com%3E;"
        "%22%E6%9D%8E%E5%9B%9B%22%3Cli@work.example.com%3E",
        "mailto:club@example.com;board@example.com"};
    EXPECT_EQ(want, opened);
    EXPECT_TRUE(shown.empty());

    // The recommendation goes to the members' addresses, then thanks the user.
    opened.clear();
    EXPECT_TRUE(view->MailGroupRecommendation(Item("朋友")));
    ASSERT_EQ(1u, opened.size());
    EXPECT_EQ(0u, opened[0].find("mailto:li@example.com%3Fcc%3Dspy@example.com;zhang@example.com"
                                 "?subject=%E5"))
        << opened[0];
    EXPECT_NE(std::string::npos, opened[0].find("&body=%E6"));
    ASSERT_EQ(1u, shown.size());
    EXPECT_STREQ("请将该伊妹儿发送给您的好友！谢谢您对墨川的大力支持！", shown[0].text.GetString());
    EXPECT_FALSE(view->MailGroupRecommendation(Item("张三"))) << "a contact is no group";

    // A desktop without a mail program: the error number is shown, and the missing mail program
    // is named as a cause, not only a recipient list too long (two addresses are not).
    desktopTakes = false;
    shown.clear();
    EXPECT_FALSE(view->MailAllAddresses(Item("李四"), FALSE));
    EXPECT_FALSE(view->MailGroupRecommendation(Item("朋友")));
    ASSERT_EQ(2u, shown.size());
    for (const MessageBoxCall& call : shown) {
        const std::string text = call.text.GetString();
        EXPECT_EQ(0u, text.find("操作失败!错误号为：31。")) << text;
        EXPECT_NE(std::string::npos, text.find("本机没有设置写邮件的程序")) << text;
    }

    // Every home page: the script is refused, the page opened.
    desktopTakes = true;
    opened.clear();
    shown.clear();
    EXPECT_EQ(1, view->OpenAllPages(Item("王五")));
    EXPECT_EQ(std::vector<std::string>{"http://www.example.com"}, opened);
    EXPECT_EQ(1u, shown.size());
}

TEST_F(LeftViewMenuTest, SendMailUsesTheDefaultAddressOfTheContactOrGroup) {
    OpenFriendsBook();
    Tree().SelectItem(Item("王五"));
    Run(CLeftView::ID_SEND_MAIL);
    Tree().SetFocus();
    Tree().SelectItem(Item("朋友"));
    Run(CLeftView::ID_SEND_MAIL);
    EXPECT_EQ((std::vector<std::string>{"mailto:li@example.com%3Fcc%3Dspy@example.com",
                                        "mailto:club@example.com"}),
              opened);
}

TEST_F(LeftViewMenuTest, QuickViewShowsTheSourcesTextAndWhatAVirtualContactIs) {
    CDocument* pDoc = OpenFriendsBook();
    std::vector<std::string> texts;
    onDialog = [&](CDialog& d) {
        if (auto* info = dynamic_cast<CDlgViewInfo*>(&d))
            texts.push_back(info->m_strText.GetString());
        d.EndDialog(IDOK);
    };
    Tree().SelectItem(Item("李四"));
    Run(CLeftView::ID_QUICK_VIEW);
    Tree().SelectItem(Item("王五"));
    Run(CLeftView::ID_QUICK_VIEW);
    ASSERT_EQ(2u, texts.size());
    EXPECT_NE(std::string::npos, texts[0].find("li@work.example.com"));
    EXPECT_EQ(0u, texts[1].find(texts[0]));
    EXPECT_NE(std::string::npos, texts[1].find("\r\n\r\n虚拟联系人:"));
    // Its source gone, the virtual contact says so.
    auto* li = dynamic_cast<_CPerson*>(view->GetGroupHelper().GetItemObject(Item("李四")));
    ASSERT_NE(nullptr, li);
    li->SetName("李四四");
    const std::string gone = view->QuickViewText(Item("王五")).GetString();
    EXPECT_EQ(0u, gone.find("\r\n\r\n无效的虚拟联系人:")) << gone;
    (void)pDoc;
}

TEST_F(LeftViewMenuTest, RenamingByClickNeedsTheSwitchWhichTheNextTreeTakesOver) {
    OpenFriendsBook();
    HTREEITEM zhang = Item("张三");
    Tree().SelectItem(zhang);
    ASSERT_FALSE(view->IsRenameAllowed());
    EXPECT_EQ(nullptr, Tree().EditLabel(zhang)) << "renaming is off";
    // The rename command starts its edit all the same.
    Run(CLeftView::ID_BOOK_RENAME);
    EXPECT_NE(nullptr, Tree().GetEditControl());
    Tree().EndEditLabelNow(TRUE);
    Run(CLeftView::ID_ALLOW_RENAME);
    EXPECT_TRUE(view->IsRenameAllowed());
    EXPECT_NE(nullptr, Tree().EditLabel(zhang));
    Tree().EndEditLabelNow(TRUE);
    frame->DestroyWindow();
    frame = nullptr;
    // A tree made afterwards starts with the switch on; it leaves it off again.
    auto* next = new CLeftView;
    EXPECT_TRUE(next->IsRenameAllowed());
    next->OnCmdMsg(CLeftView::ID_ALLOW_RENAME, CN_COMMAND, nullptr, nullptr);
    delete next;
    EXPECT_FALSE(CLeftView::SharedAllowRename());
}

TEST_F(LeftViewMenuTest, CollapseAllFromTheTopClosesEveryBook) {
    OpenFriendsBook();
    HTREEITEM root = view->GetFileAt(0)->hItem;
    ASSERT_TRUE(Tree().GetItemState(root, TVIS_EXPANDED) & TVIS_EXPANDED);
    Tree().SelectItem(view->GetTopItem());
    Run(CLeftView::ID_COLLAPSE_BOOKS);
    EXPECT_FALSE(Tree().GetItemState(root, TVIS_EXPANDED) & TVIS_EXPANDED);
    EXPECT_FALSE(Tree().GetItemState(Item("朋友"), TVIS_EXPANDED) & TVIS_EXPANDED);
}

TEST_F(LeftViewMenuTest, TheGroupPropertyDialogStoresIntoTheGroupAndFollowsTheSelection) {
    CDocument* pDoc = OpenFriendsBook();
    pDoc->SetModifiedFlag(FALSE);
    auto enabled = [&] {
        BOOL on = FALSE;
        struct Probe : CCmdUI {
            BOOL* pOn;
            void Enable(BOOL b) override { *pOn = b; }
        } probe;
        probe.m_nID = CLeftView::ID_GROUP_PROPERTIES;
        probe.pOn = &on;
        view->OnCmdMsg(CLeftView::ID_GROUP_PROPERTIES, CN_UPDATE_COMMAND_UI, &probe, nullptr);
        return on;
    };
    // Enter on a contact opens nothing; on a group, its properties.
    Tree().SelectItem(Item("张三"));
    Tree().SendMessage(WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(nullptr, view->GetGroupDialog());
    Tree().SelectItem(Item("朋友"));
    EXPECT_TRUE(enabled());
    Tree().SendMessage(WM_KEYDOWN, VK_RETURN, 0);
    CDlgGroupProperty* dlg = view->GetGroupDialog();
    ASSERT_NE(nullptr, dlg);
    ASSERT_NE(nullptr, dlg->m_hWnd);
    EXPECT_FALSE(enabled()) << "one dialog at a time";
    Run(CLeftView::ID_GROUP_PROPERTIES);
    EXPECT_EQ(dlg, view->GetGroupDialog());
    _CGroup* friends = dlg->GetGroup();
    ASSERT_NE(nullptr, friends);
    EXPECT_STREQ("朋友", friends->GetName());

    // Unstored changes keep the selection (and the group it shows) where it is.
    dlg->SetDlgItemText(CDlgGroupProperty::IDC_NAME, "好友");
    shown.clear();
    Tree().SelectItem(Item("张三"));
    EXPECT_EQ(Item("朋友"), view->GetCurrentItem());
    ASSERT_EQ(1u, shown.size());
    EXPECT_STREQ("当前的组属性已修改，请先选择保存或放弃修改。", shown[0].text.GetString());
    // Apply stores the new name, relabels the item and marks the book.
    dlg->SendMessage(WM_COMMAND, MAKEWPARAM(CDlgGroupProperty::IDC_APPLY, BN_CLICKED),
                     (LPARAM)dlg->GetDlgItem(CDlgGroupProperty::IDC_APPLY)->m_hWnd);
    EXPECT_STREQ("好友", friends->GetName());
    EXPECT_NE(nullptr, Item("好友"));
    EXPECT_EQ(Item("好友"), view->GetCurrentItem());
    EXPECT_TRUE(pDoc->IsModified());

    // A contact hides it; the book's root shows the root group.
    Tree().SelectItem(Item("张三"));
    EXPECT_EQ(nullptr, dlg->GetGroup());
    EXPECT_FALSE(dlg->IsWindowVisible());
    Tree().SelectItem(view->GetFileAt(0)->hItem);
    EXPECT_TRUE(dlg->IsWindowVisible());
    EXPECT_STREQ("家", dlg->GetGroup()->GetName());
    // Closing the book while the dialog shows its group: the dialog lets go of it first.
    answers = {IDNO};
    EXPECT_TRUE(view->CloseAllFiles());
    EXPECT_EQ(nullptr, dlg->GetGroup());
}

TEST_F(LeftViewMenuTest, TheMainMenuCarriesTheCommandsTheTreeHandles) {
    CMenu bar;
    ASSERT_TRUE(bar.LoadMenu(80));
    std::vector<std::string> names;
    for (int i = 0; i < (int)bar.GetMenuItemCount(); ++i) {
        CString text;
        bar.GetMenuString((UINT)i, text, MF_BYPOSITION);
        names.push_back(text.GetString());
    }
    auto at = std::find(names.begin(), names.end(), "编辑(&E)");
    ASSERT_NE(names.end(), at);
    ASSERT_NE(names.end(), at + 1);
    EXPECT_EQ("通讯录(&A)", *(at + 1));
    // The edit menu's clipboard and delete entries reach the tree's handlers.
    const std::vector<UINT> edit = Ids(bar.GetSubMenu((int)(at - names.begin())));
    for (UINT id : {(UINT)CGroupTreeView::ID_CUT, (UINT)CGroupTreeView::ID_COPY,
                    (UINT)CGroupTreeView::ID_PASTE, (UINT)CGroupTreeView::ID_DELETE})
        EXPECT_NE(edit.end(), std::find(edit.begin(), edit.end(), id)) << id;
    // The view menu holds the tree's view switches.
    CMenu* viewMenu = Sub(bar.m_hMenu, "查看(&V)");
    ASSERT_NE(nullptr, viewMenu);
    const std::vector<UINT> views = Ids(viewMenu);
    for (UINT id : {385u, 379u, 380u, 484u})
        EXPECT_NE(views.end(), std::find(views.begin(), views.end(), id)) << id;
}
