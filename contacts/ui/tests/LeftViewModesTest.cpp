// The address-book tree's modes, personal boxes, picking, group property dialog and the messages
// of the pane's views, driven offscreen over books written with the records library.
#include "contacts/Person.h"
#include "contacts/SmsDoc.h"
#include "contacts/ui/DlgGroupProperty.h"
#include "contacts/ui/LeftView.h"
#include "contacts/ui/tests/TreeFixture.h"
#include "contacts/ui/tests/TreePaintCount.h"
#include "platform/base/tests/TempFolder.h"
#include "platform/gui/Dc.h"
#include "platform/gui/Frame.h"
#include "platform/gui/MessageBox.h"
#include "platform/gui/tests/GuiTestSupport.h"

#include <QDir>
#include <QImage>
#include <QTest>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace {

// The navigation bar and the main frame around the tree: the first folder's caption, which
// folders can be chosen, and the busy and idle news the tree passes on.
class CBarFrame : public CFrameWnd, public CINavigationBarHost {
public:
    std::vector<CString> captions{"通讯录管理", "短信", "日程"};
    std::vector<BOOL> enabled{TRUE, TRUE, TRUE};
    std::vector<WPARAM> news;
    void LayoutFolderWnds() override {}
    int GetFolderCount() const override { return (int)captions.size(); }
    void SetFolderCaption(int i, LPCTSTR lpszCaption, BOOL) override { captions[i] = lpszCaption; }
    void EnableFolder(int i, BOOL bEnable) override { enabled[i] = bEnable; }
    LRESULT OnNews(WPARAM wParam, LPARAM) {
        news.push_back(wParam);
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CBarFrame, CFrameWnd)
ON_MESSAGE(WM_VIEW_BUSY, &CBarFrame::OnNews)
END_MESSAGE_MAP()

// The contact form as the tree reaches it: the messages it was sent.
class CFormStandIn : public CWnd {
public:
    std::vector<std::pair<WPARAM, LPARAM>> fields;
    std::vector<UINT> commands;
    LRESULT OnField(WPARAM wParam, LPARAM lParam) {
        fields.emplace_back(wParam, lParam);
        return 0;
    }
    BOOL OnCommand(WPARAM wParam, LPARAM) override {
        commands.push_back(LOWORD(wParam));
        return TRUE;
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CFormStandIn, CWnd)
ON_MESSAGE(CLeftView::WM_GO_TO_FIELD, &CFormStandIn::OnField)
END_MESSAGE_MAP()

// The right pane: the views it was asked to show, and the form as its view 2.
class PaneStandIn : public CIRightPaneHost {
public:
    std::vector<std::string> calls;
    CFormStandIn* form = nullptr;
    int CreateViews(DWORD_PTR, CDocument*, int, CWnd*) override { return 0; }
    BOOL DestroyViews(DWORD_PTR, int, BOOL) override { return TRUE; }
    BOOL ShowView(int n, DWORD_PTR key, CDocument*, int kind, CWnd*) override {
        calls.push_back("show " + std::to_string(n) + " " + std::to_string(key) + " " +
                        std::to_string(kind));
        return TRUE;
    }
    CWnd* GetView(int n, int kind) override {
        return n == CLeftView::ViewForm && kind == CLeftView::kModuleKind ? form : nullptr;
    }
    CView* GetCurrentView() override { return nullptr; }
    BOOL RestoreView() override {
        calls.push_back("restore");
        return TRUE;
    }
    std::string Last() const { return calls.empty() ? "" : calls.back(); }
};

class LeftViewModesTest : public ContactsTreeFixture<CBarFrame> {
protected:
    CFormStandIn form;
    PaneStandIn pane;
    CSmsDoc* doc = nullptr;

    void SetUp() override {
        InstallScriptedUser(IDNO);
        ASSERT_NO_FATAL_FAILURE(OpenFrame(300, 420));
        ASSERT_TRUE(form.Create(nullptr, "", WS_CHILD, CRect(0, 0, 10, 10), frame, 0x7002));
        pane.form = &form;
        OpenTree(&pane, 300, 400);
    }
    // The book 家: 家人 (王芳 with an unread message, 王强), 同事 (赵敏, a link to 王强 and a
    // link whose source 旧友 is gone), and 秘密 locked behind the password "abc".
    void OpenBook() {
        CSmsDoc book;
        _CGroup& root = book.GetRootGroup();
        root.SetName("家");
        _CGroup* family = Group(&root, "家人");
        _CPerson* fang = Person(family, "王芳", 0);
        auto* sms = new _CSms("你好");
        sms->SetState(_CSms::STATE_UNREAD);
        fang->GetSmsBox(0)->AddSms(sms);
        _CPerson* qiang = Person(family, "王强", 1);
        _CPerson* old = Person(family, "旧友");
        _CGroup* work = Group(&root, "同事");
        Person(work, "赵敏", 0);
        for (_CPerson* source : {qiang, old}) {
            CContent* link = source->CreateVirtualCopy();
            ASSERT_NE(link, nullptr);
            work->AddContent(link);
        }
        family->RemoveContent(old, TRUE);
        _CGroup* secret = Group(&root, "秘密");
        Person(secret, "某人");
        secret->SetPassword("abc");
        secret->ModifyFlags(0, CGroup::FLAG_PASSWORD | CGroup::FLAG_LOCKED);
        CString path = Path("home.sms");
        ASSERT_TRUE(book.OnSaveDocument(path));
        doc = dynamic_cast<CSmsDoc*>(view->OpenFile(path, FALSE));
        ASSERT_NE(doc, nullptr);
        Tree().Expand(view->GetFileAt(0)->hItem, TVE_EXPAND);
    }
    CGroupItem* Record(const char* name, BOOL group = FALSE) {
        return dynamic_cast<CGroupItem*>(doc->GetRootGroup().FindByName(name, group, FALSE, TRUE));
    }
    // The n-th record of that name (links carry their source's name).
    _CPerson* Contact(const char* name, int n = 0) {
        std::vector<_CPerson*> found;
        Collect(&doc->GetRootGroup(), name, found);
        return n < (int)found.size() ? found[n] : nullptr;
    }
    static void Collect(CGroup* g, const char* name, std::vector<_CPerson*>& out) {
        for (POSITION pos = g->GetFirstContentPosition(); pos;)
            if (auto* p = dynamic_cast<_CPerson*>(g->GetNextContent(pos)); p && p->GetName() == name)
                out.push_back(p);
        for (POSITION pos = g->GetFirstSubgroupPosition(); pos;)
            Collect(g->GetNextSubgroup(pos), name, out);
    }
    _CPerson* Link(const char* sourceName) {
        std::vector<_CPerson*> found;
        Collect(&doc->GetRootGroup(), sourceName, found);
        for (_CPerson* p : found)
            if (p->IsVirtual())
                return p;
        return nullptr;
    }
    void Select(CGroupItem* record) {
        HTREEITEM h = ItemOf(record);
        ASSERT_NE(h, nullptr);
        Tree().EnsureVisible(h);
        Tree().SelectItem(h);
    }
    std::vector<std::string> Children(HTREEITEM parent) { return Texts(parent); }
    static std::vector<std::string> BoxNames() {
        std::vector<std::string> names;
        for (int i = 0; i < 4; ++i)
            names.push_back(_CSmsBox::GetStandardBoxName(i).GetString());
        return names;
    }
};

} // namespace

TEST_F(LeftViewModesTest, ModesPickTheirViewsAndShownBoxesComeBackWithTheMessagesMode) {
    OpenBook();
    _CPerson* fang = Contact("王芳");
    CGroupItem* family = Record("家人", TRUE);
    HTREEITEM hFang = ItemOf(fang);
    Tree().Expand(ItemOf(family), TVE_EXPAND);

    // Contacts management: the form for a contact, the list for a group.
    Select(fang);
    EXPECT_EQ(pane.Last(), "show 2 1 0");
    EXPECT_EQ(view->GetShownKind(), CLeftView::ShownForm);
    EXPECT_EQ(doc->GetCurrentObject(), fang);
    EXPECT_EQ(doc->GetCurrentBox(), nullptr);
    Select(family);
    EXPECT_EQ(pane.Last(), "show 3 1 0");
    EXPECT_EQ(view->GetItemKind(ItemOf(family)), CLeftView::ItemGroup);
    EXPECT_EQ(view->GetItemKind(view->GetTopItem()), CLeftView::ItemTop);

    // Messages mode: the first folder says so; the group and the contact get their own views.
    ASSERT_TRUE(Run(CLeftView::ID_MODE_MESSAGES));
    EXPECT_EQ(view->GetMode(), CLeftView::ModeMessages);
    EXPECT_EQ(view->GetPreviousMode(), CLeftView::ModeContacts);
    EXPECT_EQ(frame->captions[0], "联系人短信");
    EXPECT_EQ(pane.Last(), "show 5 1 0");
    Select(fang);
    EXPECT_EQ(pane.Last(), "show 4 1 0");
    EXPECT_EQ(view->GetShownKind(), CLeftView::ShownMessageContact);
    EXPECT_EQ(view->GetCurrentBox(), &fang->GetSmsBox());

    // Its personal boxes, one per sub-box, with their own images.
    ASSERT_TRUE(Run(CLeftView::ID_SHOW_BOXES));
    EXPECT_EQ(Children(hFang), BoxNames());
    EXPECT_TRUE(fang->AreBoxesShown());
    int i = 0;
    for (HTREEITEM h = Tree().GetChildItem(hFang); h; h = Tree().GetNextSiblingItem(h), ++i) {
        int image = -1, sel = -1;
        Tree().GetItemImage(h, image, sel);
        EXPECT_EQ(image, CLeftView::ImgBoxFirst + i);
        EXPECT_TRUE(CLeftView::IsBoxKind(view->GetItemKind(h)));
    }
    HTREEITEM hInbox = Tree().GetChildItem(hFang);
    EXPECT_EQ(view->GetItemKind(hInbox), CLeftView::ItemBoxFirst);
    Tree().SelectItem(hInbox);
    EXPECT_EQ(pane.Last(), "show 1 1 0");
    EXPECT_EQ(doc->GetCurrentObject(), fang);
    EXPECT_EQ(view->GetCurrentBox(), fang->GetSmsBox(0));

    // Each way of switching modes; the boxes go in modes 1 and 4 and come back in mode 3.
    struct Step {
        UINT command;
        int mode;
        const char* caption;
        bool boxes;
    } steps[] = {
        {CLeftView::ID_MODE_CONTACTS, CLeftView::ModeContacts, "通讯录管理", false},
        {CLeftView::ID_MODE_TOGGLE, CLeftView::ModeMessages, "联系人短信", true},
        {CLeftView::ID_MODE_MOBILE, CLeftView::ModeMobile, "移动QQ", false},
        {CLeftView::ID_MODE_BUTTON_MESSAGES, CLeftView::ModeMessages, "联系人短信", true},
        {CLeftView::ID_MODE_BUTTON_CONTACTS, CLeftView::ModeContacts, "通讯录管理", false},
        {CLeftView::ID_MODE_BUTTON_MOBILE, CLeftView::ModeMobile, "移动QQ", false},
        {CLeftView::ID_MODE_TOGGLE, CLeftView::ModeContacts, "通讯录管理", false},
        {CLeftView::ID_MODE_TOGGLE, CLeftView::ModeMobile, "移动QQ", false},
        {CLeftView::ID_MODE_MESSAGES, CLeftView::ModeMessages, "联系人短信", true},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.command);
        ASSERT_TRUE(Run(s.command));
        EXPECT_EQ(view->GetMode(), s.mode);
        EXPECT_EQ(frame->captions[0], s.caption);
        EXPECT_EQ(Children(hFang), s.boxes ? BoxNames() : std::vector<std::string>{});
        EXPECT_TRUE(fang->AreBoxesShown()) << "the mark stays for the way back";
    }
    EXPECT_EQ(view->GetCurrentItem(), hFang) << "the selection left the box as it went";

    // Collapsing the contact puts its boxes away for good.
    Tree().Expand(hFang, TVE_EXPAND);
    Tree().Expand(hFang, TVE_COLLAPSE);
    EXPECT_TRUE(Children(hFang).empty());
    EXPECT_FALSE(fang->AreBoxesShown());
    Run(CLeftView::ID_MODE_CONTACTS);
    Run(CLeftView::ID_MODE_MESSAGES);
    EXPECT_TRUE(Children(hFang).empty());
}

TEST_F(LeftViewModesTest, AVirtualContactShowsItsSourceOrView6WhenTheSourceIsGone) {
    OpenBook();
    Tree().Expand(ItemOf(Record("同事", TRUE)), TVE_EXPAND);
    _CPerson* qiang = Contact("王强");
    _CPerson* link = Link("王强");
    _CPerson* orphan = Link("旧友");
    ASSERT_TRUE(qiang && link && orphan);
    ASSERT_EQ(orphan->GetVirtualSource(), nullptr);
    struct Row {
        UINT modeCommand;
        _CPerson* item;
        const char* shown;
        CObject* current;
        _CSmsBox* box;
    } rows[] = {
        {CLeftView::ID_MODE_CONTACTS, link, "show 2 1 0", qiang, nullptr},
        {CLeftView::ID_MODE_CONTACTS, orphan, "show 6 1 0", orphan, nullptr},
        {CLeftView::ID_MODE_MESSAGES, link, "show 4 1 0", qiang, &qiang->GetSmsBox()},
        {CLeftView::ID_MODE_MESSAGES, orphan, "show 6 1 0", nullptr, &orphan->GetSmsBox()},
        {CLeftView::ID_MODE_MOBILE, orphan, "show 6 1 0", nullptr, &orphan->GetSmsBox()},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.shown);
        Run(r.modeCommand);
        Select(r.item);
        EXPECT_EQ(pane.Last(), r.shown);
        EXPECT_EQ(doc->GetCurrentObject(), r.current);
        EXPECT_EQ(doc->GetCurrentBox(), r.box);
    }
    // The selected real contact carries the current mark; links keep their own.
    auto overlay = [&](CGroupItem* r) {
        return Tree().GetItemState(ItemOf(r), TVIS_OVERLAYMASK) & TVIS_OVERLAYMASK;
    };
    Select(qiang);
    EXPECT_EQ(overlay(qiang), (UINT)INDEXTOOVERLAYMASK(3));
    EXPECT_EQ(overlay(link), (UINT)INDEXTOOVERLAYMASK(5));
    // A link has no boxes of its own to show.
    Select(link);
    EXPECT_EQ(overlay(qiang), 0u);
    EXPECT_EQ(overlay(link), (UINT)INDEXTOOVERLAYMASK(5));
    view->ShowPersonBoxes(ItemOf(link), TRUE, TRUE);
    EXPECT_TRUE(Children(ItemOf(link)).empty());
}

TEST_F(LeftViewModesTest, PickingRoutesOnlyFindAndGivesThePaneBackAfterwards) {
    OpenBook();
    Select(Record("家人", TRUE));
    pane.calls.clear();
    view->SendMessage(CLeftView::WM_PICK_BEGIN);
    EXPECT_EQ(view->GetViewMode(), CLeftView::ViewModePicking);
    EXPECT_EQ(view->GetShownKind(), CLeftView::ShownPicking);
    EXPECT_EQ(frame->news, (std::vector<WPARAM>{100}));
    EXPECT_EQ(frame->enabled, (std::vector<BOOL>{TRUE, FALSE, FALSE}));
    EXPECT_FALSE(Tree().GetStyle() & TVS_EDITLABELS) << "no label is edited while picking";
    EXPECT_FALSE(Run(CGroupTreeView::ID_FILE_NEW));
    EXPECT_FALSE(Run(CLeftView::ID_MODE_MESSAGES));
    EXPECT_EQ(view->GetMode(), CLeftView::ModeContacts);
    bool findOpened = false;
    onDialog = [&](CDialog& d) {
        findOpened = true;
        d.EndDialog(IDCANCEL);
    };
    EXPECT_TRUE(Run(CLeftView::ID_FIND));
    EXPECT_TRUE(findOpened);
    // The pane stays with the picking view while the selection moves.
    Select(Contact("王芳"));
    Select(Record("同事", TRUE));
    EXPECT_TRUE(pane.calls.empty());
    EXPECT_EQ(FrameTitle(), "墨川 - 联系人通讯录 - 家\\同事");

    view->SendMessage(CLeftView::WM_PICK_END);
    EXPECT_EQ(pane.calls, (std::vector<std::string>{"restore", "show 3 1 0"}));
    EXPECT_EQ(frame->enabled, (std::vector<BOOL>{TRUE, TRUE, TRUE}));
    EXPECT_EQ(frame->news, (std::vector<WPARAM>{100, 102}));
    EXPECT_EQ(view->GetViewMode(), CLeftView::ViewModeNormal);
    EXPECT_TRUE(Tree().GetStyle() & TVS_EDITLABELS);
    EXPECT_TRUE(Run(CLeftView::ID_MODE_MESSAGES));
}

TEST_F(LeftViewModesTest, AWrongPasswordShows234AndNeitherSelectsNorExpandsTheGroup) {
    OpenBook();
    HTREEITEM root = view->GetFileAt(0)->hItem;
    Tree().SelectItem(root);
    HTREEITEM hSecret = ItemOf(Record("秘密", TRUE));
    std::string typed = "abd";
    onDialog = [&](CDialog& d) {
        d.SetDlgItemText(1009, typed.c_str());
        d.GetDlgItem(IDOK)->SendMessage(BM_CLICK);
    };
    shown.clear();
    Tree().SelectItem(hSecret);
    Tree().Expand(hSecret, TVE_EXPAND);
    ASSERT_EQ(shown.size(), 2u);
    for (const MessageBoxCall& c : shown) {
        EXPECT_EQ(c.text, "对不起，密码错误，您无权访问！");
        EXPECT_EQ(c.type & MB_ICONMASK, (UINT)MB_ICONEXCLAMATION);
    }
    EXPECT_EQ(view->GetCurrentItem(), root);
    EXPECT_FALSE(Tree().GetItemState(hSecret, TVIS_EXPANDED) & TVIS_EXPANDED);
    EXPECT_TRUE(static_cast<CGroup*>(Record("秘密", TRUE))->IsLocked());

    typed = "abc";
    shown.clear();
    Tree().SelectItem(hSecret);
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(view->GetCurrentItem(), hSecret);
    EXPECT_EQ(Tree().GetItemState(hSecret, TVIS_OVERLAYMASK), (UINT)INDEXTOOVERLAYMASK(2));
}

TEST_F(LeftViewModesTest, GoingToAContactFieldSwitchesToContactsButNotForTheModificationTime) {
    OpenBook();
    Select(Contact("王芳"));
    struct Row {
        WPARAM field;
        LRESULT answer;
        int modeAfter;
        size_t forwarded;
    } rows[] = {{45, 0, CLeftView::ModeMessages, 0}, {13, 1, CLeftView::ModeContacts, 1}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.field);
        Run(CLeftView::ID_MODE_MESSAGES);
        EXPECT_EQ(view->SendMessage(CLeftView::WM_GO_TO_FIELD, r.field, 77), r.answer);
        EXPECT_EQ(view->GetMode(), r.modeAfter);
        ASSERT_EQ(form.fields.size(), r.forwarded);
    }
    EXPECT_EQ(form.fields[0], std::make_pair(WPARAM(13), LPARAM(77)));
    EXPECT_EQ(pane.Last(), "show 2 1 0");
    EXPECT_EQ(view->SendMessage(CLeftView::WM_TREE_PRESENT), 1);
    // Another window selects an item, or the top item with none.
    HTREEITEM hWork = ItemOf(Record("同事", TRUE));
    view->SendMessage(WM_GROUPVIEW_SELECTITEM, 0, (LPARAM)hWork);
    EXPECT_EQ(view->GetCurrentItem(), hWork);
    view->SendMessage(WM_GROUPVIEW_SELECTITEM);
    EXPECT_EQ(view->GetCurrentItem(), view->GetTopItem());
}

TEST_F(LeftViewModesTest, CaptionsNameTheGroupTheContactOrTheBoxAndTheChange) {
    OpenBook();
    Run(CLeftView::ID_MODE_MESSAGES);
    _CPerson* fang = Contact("王芳");
    Select(fang);
    Run(CLeftView::ID_SHOW_BOXES);
    CString contactText;
    fang->GetPath(contactText, nullptr, TRUE, " - ", TRUE);
    const std::string contact = "墨川 - 联系人通讯录 - " + std::string(contactText.GetString());
    struct Row {
        HTREEITEM item;
        std::string caption;
    } rows[] = {
        {view->GetTopItem(), "墨川 - 联系人通讯录"},
        {view->GetFileAt(0)->hItem, "墨川 - 联系人通讯录 - 家"},
        {ItemOf(Record("家人", TRUE)), "墨川 - 联系人通讯录 - 家\\家人"},
        {ItemOf(fang), contact},
        {Tree().GetChildItem(ItemOf(fang)), contact + " {" + BoxNames()[0] + "}"},
    };
    for (const Row& r : rows) {
        Tree().SelectItem(r.item);
        EXPECT_EQ(FrameTitle(), r.caption.c_str());
    }
    // A change marks the book and the caption says so.
    view->SendMessage(WM_GROUPVIEW_MODIFIED);
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(FrameTitle(), (rows[4].caption + "（已修改）").c_str());
    answers = {IDNO};
}

TEST_F(LeftViewModesTest, UnsavedGroupPropertiesKeepTheSelectionUntilApplied) {
    OpenBook();
    CGroupItem* family = Record("家人", TRUE);
    CGroupItem* work = Record("同事", TRUE);
    Select(family);
    ASSERT_TRUE(Run(CLeftView::ID_GROUP_PROPERTIES));
    CDlgGroupProperty* dlg = view->GetGroupDialog();
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(dlg->GetGroup(), family);
    dlg->SetDlgItemText(CDlgGroupProperty::IDC_NAME, "亲人");
    ASSERT_TRUE(dlg->IsModified());

    shown.clear();
    Select(work);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "当前的组属性已修改，请先选择保存或放弃修改。");
    EXPECT_EQ(shown[0].type & MB_ICONMASK, (UINT)MB_ICONQUESTION);
    EXPECT_EQ(view->GetCurrentItem(), ItemOf(family));

    // Apply stores the change; the group's item follows it and the selection may move on.
    dlg->SendMessage(WM_COMMAND, CDlgGroupProperty::IDC_APPLY);
    EXPECT_EQ(static_cast<CGroup*>(family)->GetName(), "亲人");
    EXPECT_EQ(Tree().GetItemText(ItemOf(family)), "亲人");
    EXPECT_EQ(view->GetCurrentItem(), ItemOf(family));
    EXPECT_TRUE(doc->IsModified());
    shown.clear();
    Select(work);
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(dlg->GetGroup(), work) << "the dialog follows the selection";
    EXPECT_TRUE(dlg->IsWindowVisible());
    Select(Contact("赵敏"));
    EXPECT_FALSE(dlg->IsWindowVisible());

    // OK stores the change and ends the dialog; Cancel ends it without storing.
    auto open = [&] { return view->GetGroupDialog() && view->GetGroupDialog()->m_hWnd; };
    Select(family);
    EXPECT_TRUE(dlg->IsWindowVisible());
    dlg->SetDlgItemText(CDlgGroupProperty::IDC_NAME, "家里人");
    dlg->SendMessage(WM_COMMAND, IDOK);
    EXPECT_FALSE(open());
    EXPECT_EQ(Tree().GetItemText(ItemOf(family)), "家里人");
    ASSERT_TRUE(Run(CLeftView::ID_GROUP_PROPERTIES));
    dlg = view->GetGroupDialog();
    dlg->SetDlgItemText(CDlgGroupProperty::IDC_NAME, "不要");
    answers = {IDYES}; // give the changes up
    dlg->SendMessage(WM_COMMAND, IDCANCEL);
    EXPECT_FALSE(open());
    EXPECT_EQ(Tree().GetItemText(ItemOf(family)), "家里人");
    Select(work);
    EXPECT_FALSE(open());
    answers = {IDNO};
}

TEST_F(LeftViewModesTest, TheFormsEditHoldsTheTreeAndItsConfirmRebuildsTheContact) {
    OpenBook();
    _CPerson* fang = Contact("王芳");
    Select(fang);
    view->SendMessage(WM_VIEW_BUSY, 100);
    EXPECT_FALSE(view->IsWindowEnabled());
    EXPECT_FALSE(Run(CGroupTreeView::ID_FILE_NEW));
    fang->SetName("阿芳");
    view->SendMessage(WM_VIEW_BUSY, 102, 32821);
    EXPECT_TRUE(view->IsWindowEnabled());
    HTREEITEM hFang = ItemOf(fang);
    EXPECT_EQ(view->GetCurrentItem(), hFang);
    EXPECT_EQ(Tree().GetItemText(hFang), "阿芳");
    EXPECT_EQ(Children(Tree().GetParentItem(hFang)),
              (std::vector<std::string>{"阿芳", "王强"}))
        << "re-sorted into its group";
    EXPECT_EQ(frame->news, (std::vector<WPARAM>{100, 102}));

    // The tree runs the form's confirm command for it.
    view->SendMessage(WM_VIEW_BUSY, 104);
    EXPECT_EQ(form.commands, (std::vector<UINT>{32821}));

    // Outside the form (a group's list), an edit does not hold the tree.
    Select(Record("家人", TRUE));
    view->SendMessage(WM_VIEW_BUSY, 100);
    EXPECT_TRUE(view->IsWindowEnabled());
    view->SendMessage(WM_VIEW_BUSY, 102);
}

TEST_F(LeftViewModesTest, BoxCountsAreRedWithUnreadMessagesAndContactsWithMailSayBlueOutsideMode1) {
    OpenBook();
    Tree().Expand(ItemOf(Record("家人", TRUE)), TVE_EXPAND);
    auto colours = [&] { return CountRedAndBluePixels(Tree()); };
    auto contacts = colours();
    Run(CLeftView::ID_MODE_MESSAGES);
    auto messages = colours();
    EXPECT_EQ(messages.first, contacts.first);
    EXPECT_GT(messages.second, contacts.second) << "(有信) after 王芳";
    Select(Contact("王芳"));
    Run(CLeftView::ID_SHOW_BOXES);
    Tree().SelectItem(view->GetTopItem());
    auto boxes = colours();
    EXPECT_GT(boxes.first, messages.first) << "the inbox's unread count";
    Pump();
    QDir().mkpath(QUILLMAR_SCREENS_DIR);
    EXPECT_TRUE(frame->SaveScreenshot(ScreenPath("contacts-tree-personal-boxes").c_str()));
    Run(CLeftView::ID_SHOW_MESSAGE_COUNTS);
    auto off = colours();
    EXPECT_EQ(off.first, contacts.first);
}

TEST_F(LeftViewModesTest, DayInformationSumsTheOpenBooksAndStopsAtTheFirstWhenAsked) {
    for (const char* name : {"a.sms", "b.sms"}) {
        CSmsDoc book;
        book.GetRootGroup().SetName(name);
        Person(&book.GetRootGroup(), "甲")->GetBirthday().SetBirthday(1980, 3, 5, FALSE, TRUE);
        Person(&book.GetRootGroup(), "乙")->GetBirthday().SetBirthday(1981, 3, 5, FALSE, TRUE);
        CString path((dir.str() + "/" + name).c_str());
        ASSERT_TRUE(book.OnSaveDocument(path));
        ASSERT_NE(view->OpenFile(path, FALSE), nullptr);
    }
    CKovCalendarCellItemList items;
    EXPECT_EQ(view->GetDayInfo(CDate(2024, 3, 5), &items, FALSE), 4);
    EXPECT_EQ(items.GetCount(), 4);
    EXPECT_EQ(view->GetDayInfo(CDate(2024, 3, 5), nullptr, TRUE), 1);
    EXPECT_EQ(view->GetDayInfo(CDate(2024, 3, 6), nullptr, FALSE), 0);
}

TEST_F(LeftViewModesTest, DoubleClickingAContactShowsItsBoxesOnlyInTheMessagesMode) {
    OpenBook();
    Tree().Expand(ItemOf(Record("家人", TRUE)), TVE_EXPAND);
    HTREEITEM hQiang = ItemOf(Contact("王强"));
    auto doubleClick = [&] {
        CRect rc;
        ASSERT_TRUE(Tree().GetItemRect(hQiang, &rc, TRUE));
        QTest::mouseDClick(Tree().GetWidget(), Qt::LeftButton, Qt::NoModifier,
                           QPoint(rc.CenterPoint().x, rc.CenterPoint().y));
        Pump();
    };
    // The first click of a double click has selected the contact.
    Tree().SelectItem(hQiang);
    doubleClick();
    EXPECT_TRUE(Children(hQiang).empty());
    Run(CLeftView::ID_MODE_MESSAGES);
    doubleClick();
    EXPECT_EQ(Children(hQiang), BoxNames());
    EXPECT_TRUE(Tree().GetItemState(hQiang, TVIS_EXPANDED) & TVIS_EXPANDED);
}

TEST_F(LeftViewModesTest, CutContactsPutTheirBoxesAwayAndMovedContactsKeepThem) {
    OpenBook();
    ASSERT_TRUE(Run(CLeftView::ID_MODE_MESSAGES));
    _CPerson* fang = Contact("王芳");
    _CPerson* qiang = Contact("王强");
    _CPerson* zhao = Contact("赵敏");
    auto* family = dynamic_cast<CGroup*>(Record("家人", TRUE));
    auto* work = dynamic_cast<CGroup*>(Record("同事", TRUE));
    ASSERT_TRUE(fang && qiang && zhao && family && work);
    Tree().Expand(ItemOf(family), TVE_EXPAND);
    Tree().Expand(ItemOf(work), TVE_EXPAND);
    auto showBoxes = [&](_CPerson* p) {
        Select(p);
        ASSERT_TRUE(Run(CLeftView::ID_SHOW_BOXES));
        ASSERT_EQ(Children(ItemOf(p)), BoxNames());
    };
    // Every sub-box of the contact is bound to the item shown for it.
    auto boxesBound = [&](_CPerson* p) {
        int i = 0;
        for (HTREEITEM h = Tree().GetChildItem(ItemOf(p)); h; h = Tree().GetNextSiblingItem(h))
            if (p->GetSmsBox(i++)->GetTreeItem() != (DWORD_PTR)h)
                return false;
        return i == 4;
    };
    showBoxes(fang);
    showBoxes(qiang);

    // Moved while one of its boxes is selected: the boxes come along on the new item.
    Tree().SelectItem(Tree().GetChildItem(ItemOf(fang)));
    ASSERT_TRUE(view->DoDrop(ItemOf(fang), ItemOf(work), 0, FALSE, FALSE, nullptr));
    EXPECT_EQ(fang->GetParent(), work);
    EXPECT_EQ(Children(ItemOf(fang)), BoxNames());
    EXPECT_TRUE(boxesBound(fang));
    EXPECT_TRUE(fang->AreBoxesShown());
    EXPECT_EQ(view->GetCurrentItem(), ItemOf(fang)) << "the selection went along";
    // So do the contacts of a moved group; and back again.
    auto* secret = dynamic_cast<CGroup*>(Record("秘密", TRUE));
    ASSERT_TRUE(view->DoDrop(ItemOf(family), ItemOf(work), 0, FALSE, FALSE, nullptr));
    EXPECT_EQ(family->GetParent(), work);
    ASSERT_TRUE(view->DoDrop(ItemOf(family), ItemOf(secret), DRAG_KEY_SHIFT, FALSE,
                             FALSE, nullptr));
    EXPECT_EQ(family->GetParent(), &doc->GetRootGroup());
    Tree().Expand(ItemOf(family), TVE_EXPAND);
    EXPECT_EQ(Children(ItemOf(qiang)), BoxNames());
    EXPECT_TRUE(boxesBound(qiang));

    // Cut, then pasted back: the contact comes back without its boxes.
    Select(fang);
    view->CopyToClipboard(FALSE);
    EXPECT_FALSE(fang->AreBoxesShown());
    Select(family);
    ASSERT_TRUE(Run(CGroupTreeView::ID_PASTE));
    EXPECT_EQ(fang->GetParent(), family);
    ASSERT_NE(ItemOf(fang), nullptr);
    EXPECT_TRUE(Children(ItemOf(fang)).empty());

    // A cut group takes its contacts' boxes away as well.
    Select(family);
    view->CopyToClipboard(FALSE);
    EXPECT_EQ(Record("家人", TRUE), nullptr);
    EXPECT_FALSE(qiang->AreBoxesShown());
    Run(CGroupTreeView::ID_PASTE);

    // A book's root cut outside the messages mode: the marks go though no box had an item.
    showBoxes(zhao);
    ASSERT_TRUE(Run(CLeftView::ID_MODE_CONTACTS));
    EXPECT_TRUE(Children(ItemOf(zhao)).empty());
    EXPECT_TRUE(zhao->AreBoxesShown());
    Tree().SelectItem(view->GetFileAt(0)->hItem);
    view->CopyToClipboard(FALSE);
    EXPECT_FALSE(zhao->AreBoxesShown());
    ASSERT_TRUE(Run(CLeftView::ID_MODE_MESSAGES));
    Tree().SelectItem(view->GetFileAt(0)->hItem);
    ASSERT_TRUE(Run(CGroupTreeView::ID_PASTE));
    ASSERT_NE(ItemOf(zhao), nullptr);
    EXPECT_TRUE(Children(ItemOf(zhao)).empty());
}

namespace {

// The book with the property dialog open on its group 家人.
class GroupDialogOnBookTest : public LeftViewModesTest {
protected:
    CGroupItem* family = nullptr;
    CDlgGroupProperty* dlg = nullptr;
    void SetUp() override {
        LeftViewModesTest::SetUp();
        OpenBook();
        family = Record("家人", TRUE);
        Select(family);
        ASSERT_TRUE(Run(CLeftView::ID_GROUP_PROPERTIES));
        dlg = view->GetGroupDialog();
        ASSERT_NE(dlg, nullptr);
    }
};

} // namespace

// Closing a book while the group property dialog holds unstored changes to one of its groups:
// the user is asked whether they go into the book first, so the save prompt after it can keep
// them; cancelling that prompt keeps the book open with the change in it.
TEST_F(GroupDialogOnBookTest, ClosingABookAsksForTheGroupPropertiesItsDialogHolds) {
    dlg->SetDlgItemText(CDlgGroupProperty::IDC_NAME, "亲人");
    ASSERT_TRUE(dlg->IsModified());

    shown.clear();
    answers = {IDYES, IDCANCEL}; // store the change; then keep the book open
    EXPECT_FALSE(view->CloseFile(view->GetFileAt(0), FALSE, TRUE));
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text, "您上次所作的修改需要保存吗？");
    EXPECT_EQ(shown[1].text, "是否保存对 家 的更改?");
    ASSERT_EQ(view->GetFileCount(), 1);
    EXPECT_EQ(static_cast<CGroup*>(family)->GetName(), "亲人");
    EXPECT_EQ(Tree().GetItemText(ItemOf(family)), "亲人");
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(dlg->GetGroup(), nullptr) << "the dialog lets go of the book's group all the same";

    // Asked again with the dialog on the group, No drops the typing and the book closes unsaved.
    CString path = doc->GetPathName();
    Select(Record("同事", TRUE));
    ASSERT_EQ(dlg->GetGroup(), Record("同事", TRUE)) << "the open dialog follows the selection";
    dlg->SetDlgItemText(CDlgGroupProperty::IDC_NAME, "旧同事");
    shown.clear();
    answers = {IDNO, IDNO};
    EXPECT_TRUE(view->CloseFile(view->GetFileAt(0), FALSE, TRUE));
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(view->GetFileCount(), 0);
    CSmsDoc reread;
    ASSERT_TRUE(reread.OnOpenDocument(path));
    EXPECT_NE(reread.GetRootGroup().FindByName("同事", TRUE, FALSE, TRUE), nullptr);
    EXPECT_EQ(reread.GetRootGroup().FindByName("亲人", TRUE, FALSE, TRUE), nullptr);
}

// A new name that moves the group to another place in the tree: Apply and OK store it without
// asking about the very changes they store, and the selection and dialog stay on the group.
TEST_F(GroupDialogOnBookTest, StoringARenameThatMovesTheGroupAsksNothing) {
    const std::vector<std::string> before = Children(view->GetFileAt(0)->hItem);
    struct Case {
        const char* name;
        UINT command;
    } cases[] = {{"亲人", CDlgGroupProperty::IDC_APPLY}, {"阿家人", IDOK}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (view->GetGroupDialog() == nullptr || view->GetGroupDialog()->m_hWnd == nullptr) {
            ASSERT_TRUE(Run(CLeftView::ID_GROUP_PROPERTIES));
        }
        dlg = view->GetGroupDialog();
        dlg->SetDlgItemText(CDlgGroupProperty::IDC_NAME, c.name);
        shown.clear();
        answers = {IDYES};
        dlg->SendMessage(WM_COMMAND, c.command);
        EXPECT_TRUE(shown.empty()) << (shown.empty() ? "" : shown[0].text.GetString());
        EXPECT_EQ(static_cast<CGroup*>(family)->GetName(), c.name);
        EXPECT_EQ(view->GetCurrentItem(), ItemOf(family));
        EXPECT_NE(Children(view->GetFileAt(0)->hItem), before) << "the group moved";
    }
    EXPECT_EQ(Tree().GetItemText(ItemOf(family)), "阿家人");
    answers = {IDNO};
}
