// A group's view beside the address-book tree: the page caption with the group's counts, one
// icon per contact, the box list beside it, the commands that move the tree, and the
// registration of the book's views.
#include "contacts/ContactGroup.h"
#include "contacts/Person.h"
#include "contacts/SmsDoc.h"
#include "contacts/module/ContactsModule.h"
#include "contacts/module/ViewGroup.h"
#include "contacts/ui/LeftView.h"
#include "contacts/ui/ViewInvalidVirtualItem.h"
#include "contacts/ui/ViewPerson.h"
#include "contacts/ui/ViewPersonsBox.h"
#include "platform/base/tests/TempFolder.h"
#include "platform/gui/Frame.h"
#include "platform/gui/Menu.h"
#include "platform/gui/tests/GuiTestSupport.h"
#include "shell/RightPaneFrame.h"
#include "sms/Sms.h"
#include "sms/SmsBox.h"
#include "ui/ContentView.h"
#include "ui/tests/CmdUIProbe.h"
#include "ui/tests/TreeViewFixture.h"

#include <QDir>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class ViewGroupTest : public GuiTest {
protected:
    test_folders::TempDir dir;
    CFrameWnd* frame = nullptr;
    CLeftView* tree = nullptr;
    CViewGroup* view = nullptr;
    CSmsDoc* doc = nullptr;
    HWND hView = nullptr;

    void SetUp() override {
        AfxSetMessageBoxHook([](const MessageBoxCall&) { return IDNO; });
        ASSERT_NE(frame = NewTestFrame(1100, 400, "墨川"), nullptr);
        ASSERT_NE(tree = NewTestTree<CLeftView>(frame, nullptr, CRect(0, 0, 200, 380)), nullptr);
        // 家人 holds three contacts and two groups, 空组 nothing.
        CSmsDoc book;
        _CGroup& root = book.GetRootGroup();
        root.SetName("通讯录");
        auto* family = new _CGroup("家人");
        root.AddSubgroup(family);
        root.AddSubgroup(new _CGroup("空组"));
        family->AddSubgroup(new _CGroup("表亲"));
        family->AddSubgroup(new _CGroup("堂亲"));
        for (const char* name : {"王芳", "王强", "李梅"}) {
            auto* p = new _CPerson(name);
            family->AddContent(p);
            auto* sms = new _CSms("你好");
            sms->SetState(_CSms::STATE_READ);
            p->GetSmsBox(0)->AddSms(sms);
        }
        CString path = (dir.str() + "/book.sms").c_str();
        ASSERT_TRUE(book.OnSaveDocument(path));
        doc = dynamic_cast<CSmsDoc*>(tree->OpenFile(path, FALSE));
        ASSERT_NE(doc, nullptr);

        CCreateContext context;
        context.m_pNewViewClass = RUNTIME_CLASS(CViewGroup);
        context.m_pCurrentDoc = doc;
        view = dynamic_cast<CViewGroup*>(CView::CreateFromContext(
            &context, frame, AFX_IDW_PANE_FIRST + 1, WS_CHILD | WS_VISIBLE,
            CRect(200, 0, 1090, 380)));
        ASSERT_NE(view, nullptr);
        hView = view->GetSafeHwnd();
        view->SetNotifyWnd(tree);
        view->OnInitialUpdate();
    }
    void TearDown() override {
        // The view leaves the book before the tree closes it, and the book stays the tree's, as
        // the right pane does it.
        if (view != nullptr && ::IsWindow(hView)) {
            const BOOL bAutoDelete = doc->m_bAutoDelete;
            doc->m_bAutoDelete = FALSE;
            view->DestroyWindow();
            doc->m_bAutoDelete = bAutoDelete;
        }
        if (frame != nullptr && frame->m_hWnd != nullptr)
            frame->DestroyWindow();
        AfxSetMessageBoxHook(nullptr);
    }
    _CGroup* Group(const char* name) {
        return dynamic_cast<_CGroup*>(doc->GetRootGroup().FindByName(name, TRUE, FALSE, TRUE));
    }
    void Show(CObject* pObject) {
        doc->SetCurrentObject(pObject);
        doc->UpdateAllViews(nullptr);
    }
};

TEST_F(ViewGroupTest, TheCaptionCountsTheGroupAndTheIconsAndBoxRowsFollowIt) {
    _CGroup* family = Group("家人");
    ASSERT_NE(family, nullptr);
    Show(family);
    EXPECT_EQ(view->GetOutbar().GetFolderCaption(0), "家人(3人+2组)");
    CContentView* icons = view->GetContentView();
    ASSERT_NE(icons, nullptr);
    ASSERT_EQ(icons->GetItemCount(), 3);
    EXPECT_EQ(icons->GetItem(0)->strCaption, "李梅");
    EXPECT_TRUE(icons->IsIconLayout());
    CListCtrl& box = view->GetPersonsBox()->GetListCtrl();
    ASSERT_EQ(box.GetItemCount(), 4);
    EXPECT_EQ(box.GetItemText(3, 0), "总计: 3人");
    EXPECT_EQ(box.GetItemText(3, 1), "3条(已读3条，未读0条)");

    // Selecting an icon selects the contact's row beside it.
    icons->SetCurSel(2);
    EXPECT_EQ(view->GetPersonsBox()->GetSelectedRow(), 2);
    EXPECT_EQ(box.GetNextItem(-1, LVNI_SELECTED), 2);
    QDir().mkpath(QUILLMAR_SCREENS_DIR);
    Pump();
    EXPECT_TRUE(frame->SaveScreenshot(ScreenPath("contacts-group-view").c_str()));

    // The captions of the other shapes; a contact as current object changes nothing.
    struct Case {
        _CGroup* group;
        const char* caption;
    } cases[] = {{Group("空组"), "空组(空)"}, {&doc->GetRootGroup(), "通讯录(2组)"}};
    for (const Case& c : cases) {
        Show(c.group);
        EXPECT_EQ(view->GetOutbar().GetFolderCaption(0), c.caption);
    }
    EXPECT_EQ(icons->GetItemCount(), 0);
    _CGroup* cousins = Group("表亲");
    cousins->AddContent(new _CPerson("赵六"));
    EXPECT_EQ(CViewGroup::GetCaption(cousins), "表亲(1人)");
    Show(family->FindByName("王芳", FALSE, TRUE, TRUE));
    EXPECT_EQ(view->GetOutbar().GetFolderCaption(0), "通讯录(2组)");
}

TEST_F(ViewGroupTest, CommandsOpenTheIconsContactAndGoUpInTheTree) {
    _CGroup* family = Group("家人");
    ASSERT_NE(family, nullptr);
    Show(family);
    CTreeCtrl& ctrl = tree->GetTreeCtrl();
    auto enabled = [this](UINT id) {
        TestCmdUI probe;
        probe.m_nID = id;
        view->OnCmdMsg(id, CN_UPDATE_COMMAND_UI, &probe, nullptr);
        return probe.enabled;
    };
    // Without a selected or hot icon there is nothing to open; without the message windows no SMS
    // is offered.
    EXPECT_FALSE(enabled(CViewGroup::ID_OPEN));
    EXPECT_FALSE(enabled(CViewGroup::ID_SEND_EMAIL));
    EXPECT_TRUE(enabled(CViewGroup::ID_GO_UP));
    view->GetContentView()->SetCurSel(1);
    EXPECT_TRUE(enabled(CViewGroup::ID_OPEN));
    EXPECT_FALSE(enabled(CViewGroup::ID_SEND_SMS));

    view->SendMessage(WM_COMMAND, CViewGroup::ID_OPEN, 0);
    _CPerson* wang = dynamic_cast<_CPerson*>(family->FindByName("王芳", FALSE, TRUE, TRUE));
    ASSERT_NE(wang, nullptr);
    EXPECT_EQ(ctrl.GetSelectedItem(), (HTREEITEM)wang->GetTreeItem());

    Show(family);
    view->SendMessage(WM_COMMAND, CViewGroup::ID_GO_UP, 0);
    EXPECT_EQ(ctrl.GetSelectedItem(), (HTREEITEM)doc->GetRootGroup().GetTreeItem());

    // The view hands the focus back to the tree that had it.
    frame->SetForegroundWindow();
    tree->SetFocus();
    ASSERT_TRUE(WaitFor([&] { return CWnd::GetFocus() == &ctrl; }));
    view->SetFocus();
    EXPECT_TRUE(WaitFor([&] { return CWnd::GetFocus() == &ctrl; }));

    view->SendMessage(WM_COMMAND, CViewGroup::ID_SMALL_ICONS, 0);
    EXPECT_FALSE(view->GetContentView()->IsIconLayout());
    view->SendMessage(WM_COMMAND, CViewGroup::ID_LARGE_ICONS, 0);
    EXPECT_TRUE(view->GetContentView()->IsIconLayout());
}

TEST_F(ViewGroupTest, TheIconMenuActsOnTheIconUnderTheCursor) {
    _CGroup* family = Group("家人");
    ASSERT_NE(family, nullptr);
    Show(family);
    CContentView* icons = view->GetContentView();
    std::vector<UINT> firstItems;
    AfxSetPopupMenuHook([&](HMENU hMenu, CWnd*, POINT, UINT) {
        firstItems.push_back(CMenu::FromHandle(hMenu)->GetMenuItemID(0));
        return firstItems.size() == 1 ? (UINT)CViewGroup::ID_OPEN : 0u;
    });
    auto rightClick = [&](CPoint client) {
        icons->ClientToScreen(&client);
        icons->SendMessage(WM_CONTEXTMENU, (WPARAM)icons->GetSafeHwnd(),
                           MAKELPARAM(client.x, client.y));
    };
    // Over 王强's icon: the contact menu, and 打开 opens 王强.
    rightClick(icons->GetImageRect(2).CenterPoint());
    CRect rc;
    icons->GetClientRect(&rc);
    rightClick(CPoint(rc.right - 3, rc.bottom - 3));
    // Outside the icons no menu of this view shows.
    view->SendMessage(WM_CONTEXTMENU, (WPARAM)view->GetSafeHwnd(), MAKELPARAM(5, 5));
    AfxSetPopupMenuHook(nullptr);
    EXPECT_EQ(firstItems, (std::vector<UINT>{CViewGroup::ID_SEND_SMS, CViewGroup::ID_LARGE_ICONS}));
    auto* wang = dynamic_cast<_CPerson*>(family->FindByName("王强", FALSE, TRUE, TRUE));
    ASSERT_NE(wang, nullptr);
    // The chosen command arrives as a posted message.
    EXPECT_TRUE(WaitFor(
        [&] { return tree->GetTreeCtrl().GetSelectedItem() == (HTREEITEM)wang->GetTreeItem(); }));
}

TEST(ContactsModuleViewsTest, EveryBookViewIsRegistered) {
    CContactsModule module;
    module.RegisterViews();
    const int kind = CRightPaneFrame::KindAddressBook;
    EXPECT_EQ(CRightPaneFrame::GetViewClass(kind, CLeftView::ViewPerson), RUNTIME_CLASS(CViewPerson));
    EXPECT_EQ(CRightPaneFrame::GetViewClass(kind, CLeftView::ViewGroup), RUNTIME_CLASS(CViewGroup));
    EXPECT_EQ(CRightPaneFrame::GetViewClass(kind, CLeftView::ViewInvalidVirtual),
              RUNTIME_CLASS(CViewInvalidVirtualItem));
    module.OnExit(nullptr);
}

} // namespace
