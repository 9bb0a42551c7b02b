// The address-book tree's editing driven offscreen over books written with the records library:
// deleting, cutting and pasting, drops with the keys held, field merges, links, contact cards and
// CSV imports.
#include "contacts/Person.h"
#include "contacts/SmsDoc.h"
#include "contacts/ui/DlgImportGroup.h"
#include "contacts/ui/DlgModifyPerson.h"
#include "contacts/ui/LeftView.h"
#include "contacts/ui/ViewPersonList.h"
#include "contacts/ui/tests/KeepingView.h"
#include "contacts/ui/tests/TreeFixture.h"
#include "platform/base/Gbk.h"
#include "platform/base/tests/TempFolder.h"
#include "platform/gui/CommonDialogs.h"
#include "platform/gui/Frame.h"
#include "platform/gui/MessageBox.h"
#include "platform/gui/tests/GuiTestSupport.h"

#include <gtest/gtest.h>

#include <QMouseEvent>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

// The right pane as far as the tree asks it: the view shown now.
class PaneOfOneView : public CIRightPaneHost {
public:
    int CreateViews(DWORD_PTR, CDocument*, int, CWnd*) override { return 0; }
    BOOL DestroyViews(DWORD_PTR, int, BOOL) override { return TRUE; }
    BOOL ShowView(int, DWORD_PTR, CDocument*, int, CWnd*) override { return TRUE; }
    CWnd* GetView(int, int) override { return nullptr; }
    CView* GetCurrentView() override { return current; }
    CView* current = nullptr;
};

constexpr int kCtrl = DRAG_KEY_CTRL, kShift = DRAG_KEY_SHIFT, kAlt = DRAG_KEY_ALT;

class LeftViewEditTest : public ContactsTreeFixture<> {
protected:
    PaneOfOneView pane;
    CDocument::MessageHook oldDocHook = nullptr;
    int fileCounter = 0;

    void SetUp() override {
        oldDocHook = CDocument::SetMessageHook([](LPCTSTR, UINT) { return 1; });
        OpenFrameAndTree(&pane, 300, 420);
    }
    void TearDown() override {
        pane.current = nullptr;
        ContactsTreeFixture::TearDown();
        CDocument::SetMessageHook(oldDocHook);
    }
    // Whether the tree enables the command for the current item.
    BOOL Enabled(UINT id) { return Update(id).enabled; }
    // Opens a new book file named by its root group, filled by fill.
    CSmsDoc* OpenBook(const char* name, const std::function<void(_CGroup&)>& fill) {
        CString path = WriteBook("book" + std::to_string(++fileCounter) + ".sms", name, fill);
        auto* open = dynamic_cast<CSmsDoc*>(view->OpenFile(path, FALSE));
        EXPECT_NE(open, nullptr);
        return open;
    }
    // 家: 家人 {王芳, 王强, 表亲 {李明}}, 同事 {赵敏}, 自己.
    CSmsDoc* OpenFamilyBook() { return OpenBook("家", FillFamily); }
    // 同学: 班级 {王小明}.
    CSmsDoc* OpenSchoolBook() {
        return OpenBook("同学", [](_CGroup& root) { Person(Group(&root, "班级"), "王小明"); });
    }
    static CGroupItem* Find(CSmsDoc* doc, const char* name, BOOL group) {
        return dynamic_cast<CGroupItem*>(
            doc->GetRootGroup().FindByName(name, group, FALSE, TRUE));
    }
    using ContactsTreeFixture::ItemOf;
    HTREEITEM ItemOf(CSmsDoc* doc, const char* name, BOOL group) {
        return ItemOf(Find(doc, name, group));
    }
    HTREEITEM RootItem(CSmsDoc* doc) { return ItemOf(&doc->GetRootGroup()); }
    std::vector<std::string> Names(CGroup* group) {
        std::vector<std::string> out;
        for (POSITION pos = group->GetFirstSubgroupPosition(); pos != nullptr;)
            out.push_back("[" + std::string(group->GetNextSubgroup(pos)->GetName()) + "]");
        for (POSITION pos = group->GetFirstContentPosition(); pos != nullptr;)
            out.push_back(group->GetNextContent(pos)->GetName().GetString());
        return out;
    }
    static std::vector<std::string> Plain(std::vector<std::string> names) {
        for (std::string& n : names)
            if (!n.empty() && n.front() == '[')
                n = n.substr(1, n.size() - 2);
        return names;
    }
    // The first virtual contact of the group.
    static _CPerson* LinkIn(CGroup* group) {
        for (POSITION pos = group->GetFirstContentPosition(); pos != nullptr;) {
            auto* p = dynamic_cast<_CPerson*>(group->GetNextContent(pos));
            if (p != nullptr && p->IsVirtual())
                return p;
        }
        return nullptr;
    }
    std::vector<std::string> ItemTexts(HTREEITEM parent) { return Texts(parent); }
    BOOL CloseAll() {
        ForgetScript();
        return view->CloseAllFiles();
    }
};

} // namespace

TEST_F(LeftViewEditTest, DeleteAsksTheItemOrBookQuestionAndOnlyYesRemoves) {
    CSmsDoc* doc = OpenFamilyBook();
    ASSERT_NE(doc, nullptr);
    Tree().Expand(RootItem(doc), TVE_EXPAND);
    const std::string askItem = "您真的要删除该项吗？";
    struct Case {
        const char* name;
        BOOL group;
        UINT command;
        int answer;
        bool gone;
    } cases[] = {
        {"自己", FALSE, CGroupTreeView::ID_DELETE, IDNO, false},
        {"自己", FALSE, CGroupTreeView::ID_DELETE, IDYES, true},
        {"家人", TRUE, CLeftView::ID_DELETE_CURRENT, IDNO, false},
        {"同事", TRUE, CLeftView::ID_DELETE_CURRENT, IDYES, true},
        {"王芳", FALSE, CLeftView::ID_TREE_DELETE, IDYES, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " " + std::to_string(c.command));
        Tree().SelectItem(ItemOf(doc, c.name, c.group));
        FocusTree();
        shown.clear();
        answers = {c.answer};
        EXPECT_TRUE(Run(c.command));
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].text.GetString(), askItem);
        EXPECT_EQ(Find(doc, c.name, c.group) == nullptr, c.gone);
        if (c.gone) {
            EXPECT_NE(Tree().GetItemText(view->GetCurrentItem()), c.name);
        }
    }
    EXPECT_TRUE(doc->IsModified());

    // Without the focus the tree leaves the delete to the list beside it.
    Tree().SelectItem(ItemOf(doc, "王强", FALSE));
    frame->SetFocus();
    ASSERT_TRUE(WaitFor([&] { return CWnd::GetFocus() != &Tree(); }));
    shown.clear();
    EXPECT_FALSE(Run(CLeftView::ID_DELETE_CURRENT));
    EXPECT_TRUE(shown.empty());

    // A book's root: the closing question, then the save question of the modified book.
    Tree().SelectItem(RootItem(doc));
    FocusTree();
    shown.clear();
    answers = {IDYES, IDNO};
    EXPECT_TRUE(Run(CGroupTreeView::ID_DELETE));
    ASSERT_GE(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "即将关闭该通讯录文件。确定吗？");
    EXPECT_EQ(view->GetFileCount(), 0);
}

TEST_F(LeftViewEditTest, CutWaitsForTheSelectionToLeaveAndAFormWithEditsKeepsTheContact) {
    CSmsDoc* doc = OpenFamilyBook();
    ASSERT_NE(doc, nullptr);
    Tree().Expand(RootItem(doc), TVE_EXPAND);
    auto* form = new CKeepingView;
    ASSERT_TRUE(form->Create(nullptr, "", WS_CHILD, CRect(0, 0, 10, 10), frame, 0x7001, nullptr));
    pane.current = form;

    for (const char* name : {"自己", "家人"}) {
        SCOPED_TRACE(name);
        view->GetClipboard().RemoveAll();
        const BOOL group = name == std::string("家人");
        form->m_bKeep = FALSE;
        Tree().SelectItem(ItemOf(doc, name, group));
        FocusTree();
        // The form refuses to be left: nothing goes to the clipboard.
        form->m_bKeep = TRUE;
        HTREEITEM h = view->GetCurrentItem();
        Run(CGroupTreeView::ID_CUT);
        EXPECT_EQ(view->GetCurrentItem(), h);
        EXPECT_NE(Find(doc, name, group), nullptr);
        EXPECT_TRUE(view->GetClipboard().IsEmpty());
        EXPECT_FALSE(doc->IsModified());
        // Let go: the selection has moved on before the record went to the clipboard.
        form->m_bKeep = FALSE;
        Run(CGroupTreeView::ID_CUT);
        EXPECT_EQ(Find(doc, name, group), nullptr);
        EXPECT_EQ(Names(&view->GetClipboard()),
                  (std::vector<std::string>{group ? "[家人]" : "自己"}));
        ASSERT_NE(view->GetCurrentItem(), nullptr);
        EXPECT_TRUE(Tree().IsValidItem(view->GetCurrentItem()));
        EXPECT_NE(Tree().GetItemText(view->GetCurrentItem()), name);
        EXPECT_TRUE(doc->IsModified());
        doc->SetModifiedFlag(FALSE);
    }
    pane.current = nullptr;
}

TEST_F(LeftViewEditTest, CutOfABookRootEmptiesItAndPasteGivesItsRecordsToAGroupOfAnotherBook) {
    CSmsDoc* family = OpenFamilyBook();
    CSmsDoc* school = OpenSchoolBook();
    ASSERT_TRUE(family && school);
    Tree().SelectItem(RootItem(family));
    FocusTree();
    Run(CGroupTreeView::ID_CUT);
    // The book stays open, empty; the clipboard holds a group named as the book with it all.
    EXPECT_EQ(view->GetFileCount(), 2);
    EXPECT_TRUE(family->GetRootGroup().IsEmpty());
    EXPECT_EQ(Tree().GetChildItem(RootItem(family)), nullptr);
    EXPECT_EQ(Names(&view->GetClipboard()), (std::vector<std::string>{"[家]"}));

    HTREEITEM hClass = ItemOf(school, "班级", TRUE);
    Tree().SelectItem(hClass);
    Run(CGroupTreeView::ID_PASTE);
    EXPECT_TRUE(view->GetClipboard().IsEmpty());
    auto* pasted = dynamic_cast<_CGroup*>(Find(school, "家", TRUE));
    ASSERT_NE(pasted, nullptr);
    EXPECT_EQ(Names(pasted), (std::vector<std::string>{"[家人]", "[同事]", "自己"}));
    EXPECT_NE(Find(school, "李明", FALSE), nullptr);
    // The records are shown where they went, and the receiving book is modified.
    EXPECT_EQ(ItemTexts(hClass), (std::vector<std::string>{"家", "王小明"}));
    EXPECT_EQ(ItemTexts(ItemOf(pasted)), (std::vector<std::string>{"家人", "同事", "自己"}));
    EXPECT_TRUE(school->IsModified());
    EXPECT_TRUE(CloseAll());
}

TEST_F(LeftViewEditTest, DropsCopyMoveOrLinkByTheKeysHeld) {
    struct Case {
        const char* what;
        const char* source;
        BOOL sourceGroup;
        const char* target;
        BOOL targetGroup;
        int keys;
        CLeftView::DropAction action;
        // The names in the group named (the root for ""), groups in brackets.
        const char* group;
        std::vector<std::string> names;
    } cases[] = {
        {"Ctrl copies a group", "同事", TRUE, "家人", TRUE, kCtrl, CLeftView::DropCopy, "家人",
         {"[表亲]", "[同事]", "王芳", "王强"}},
        {"a plain drag moves a group", "同事", TRUE, "家人", TRUE, 0, CLeftView::DropMove, "",
         {"[家人]", "自己"}},
        {"Shift onto a group links a contact", "自己", FALSE, "家人", TRUE, kShift,
         CLeftView::DropLink, "家人", {"[表亲]", "王芳", "王强", "自己"}},
        {"a contact on a contact goes before it", "赵敏", FALSE, "王强", FALSE, 0,
         CLeftView::DropMove, "家人", {"[表亲]", "王芳", "赵敏", "王强"}},
        {"Shift puts a group beside the target", "表亲", TRUE, "同事", TRUE, kShift,
         CLeftView::DropMove, "", {"[家人]", "[同事]", "[表亲]", "自己"}},
        {"Alt with Ctrl copies", "自己", FALSE, "同事", TRUE, kCtrl | kAlt, CLeftView::DropCopy,
         "同事", {"赵敏", "自己"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CSmsDoc* doc = OpenFamilyBook();
        ASSERT_NE(doc, nullptr);
        HTREEITEM hSource = ItemOf(doc, c.source, c.sourceGroup);
        HTREEITEM hTarget = ItemOf(doc, c.target, c.targetGroup);
        EXPECT_EQ(view->GetDropAction(hSource, hTarget, c.keys), c.action);
        EXPECT_TRUE(view->DoDrop(hSource, hTarget, c.keys, TRUE, FALSE, nullptr));
        EXPECT_FALSE(doc->IsModified()) << "a test drops nothing";
        EXPECT_TRUE(view->DoDrop(hSource, hTarget, c.keys, FALSE, FALSE, nullptr));
        CGroup* group = *c.group ? dynamic_cast<CGroup*>(Find(doc, c.group, TRUE))
                                 : &doc->GetRootGroup();
        ASSERT_NE(group, nullptr);
        EXPECT_EQ(Names(group), c.names);
        EXPECT_EQ(ItemTexts(ItemOf(group)), Plain(c.names)) << "the items follow the records";
        EXPECT_TRUE(doc->IsModified());
        if (c.action == CLeftView::DropLink) {
            // The link is a virtual contact with the link overlay; the source stays.
            _CPerson* link = LinkIn(dynamic_cast<CGroup*>(Find(doc, "家人", TRUE)));
            ASSERT_NE(link, nullptr);
            EXPECT_TRUE(link->IsVirtual());
            EXPECT_EQ(link->GetVirtualSource(), Find(doc, "自己", FALSE));
            EXPECT_EQ(Tree().GetItemState(ItemOf(link), TVIS_OVERLAYMASK),
                      (UINT)INDEXTOOVERLAYMASK(5));
        }
        ASSERT_TRUE(CloseAll());
    }
}

// The keys reach the drop the way the user holds them: in the mouse events of a real drag.
TEST_F(LeftViewEditTest, MouseDragsWithCtrlShiftOrAltCopyLinkOrMerge) {
    auto drag = [&](HTREEITEM hSource, HTREEITEM hTarget, Qt::KeyboardModifiers keys) {
        CRect from, to;
        Tree().EnsureVisible(hSource);
        Tree().EnsureVisible(hTarget);
        Tree().GetItemRect(hSource, &from, TRUE);
        Tree().GetItemRect(hTarget, &to, TRUE);
        QWidget* w = Tree().GetWidget();
        auto send = [&](QEvent::Type type, CPoint pt, Qt::MouseButtons buttons,
                        Qt::KeyboardModifiers mods) {
            QPointF local(pt.x, pt.y);
            QMouseEvent e(type, local, w->mapToGlobal(local), Qt::LeftButton, buttons, mods);
            QCoreApplication::sendEvent(w, &e);
        };
        // The key goes down once the drag has begun, as a user presses it on the way.
        send(QEvent::MouseButtonPress, from.CenterPoint(), Qt::LeftButton, Qt::NoModifier);
        send(QEvent::MouseMove, from.CenterPoint() + CPoint(0, 8), Qt::LeftButton, Qt::NoModifier);
        ASSERT_TRUE(view->GetDragHelper().IsDragging());
        send(QEvent::MouseMove, to.CenterPoint(), Qt::LeftButton, keys);
        EXPECT_EQ(Tree().GetDropHilightItem(), hTarget);
        send(QEvent::MouseButtonRelease, to.CenterPoint(), Qt::NoButton, keys);
        EXPECT_FALSE(view->GetDragHelper().IsDragging());
        Pump();
    };
    auto open = [&] {
        CSmsDoc* doc = OpenFamilyBook();
        Tree().Expand(RootItem(doc), TVE_EXPAND);
        Tree().Expand(ItemOf(doc, "家人", TRUE), TVE_EXPAND);
        FocusTree();
        return doc;
    };

    // Ctrl copies the group: the original stays at the root.
    CSmsDoc* doc = open();
    ASSERT_NE(doc, nullptr);
    drag(ItemOf(doc, "同事", TRUE), ItemOf(doc, "家人", TRUE), Qt::ControlModifier);
    EXPECT_EQ(Names(dynamic_cast<CGroup*>(Find(doc, "家人", TRUE))),
              (std::vector<std::string>{"[表亲]", "[同事]", "王芳", "王强"}));
    EXPECT_EQ(Names(&doc->GetRootGroup()), (std::vector<std::string>{"[家人]", "[同事]", "自己"}));
    ASSERT_TRUE(CloseAll());

    // Shift links the contact into the group.
    doc = open();
    ASSERT_NE(doc, nullptr);
    drag(ItemOf(doc, "自己", FALSE), ItemOf(doc, "家人", TRUE), Qt::ShiftModifier);
    _CPerson* link = LinkIn(dynamic_cast<CGroup*>(Find(doc, "家人", TRUE)));
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->GetVirtualSource(), Find(doc, "自己", FALSE));
    EXPECT_EQ(Names(&doc->GetRootGroup()), (std::vector<std::string>{"[家人]", "[同事]", "自己"}));
    // The caption keeps the current item's place in the book and gains the modified mark.
    const CString afterDrop = FrameTitle();
    EXPECT_NE(afterDrop.Find("（已修改）"), -1) << afterDrop.GetString();
    view->UpdateTitle();
    EXPECT_STREQ(afterDrop, FrameTitle());
    EXPECT_NE(afterDrop.Find(" - 家"), -1) << afterDrop.GetString();
    ASSERT_TRUE(CloseAll());

    // Alt merges the chosen field of the target into the dragged contact.
    doc = open();
    ASSERT_NE(doc, nullptr);
    auto* fang = dynamic_cast<_CPerson*>(Find(doc, "王芳", FALSE));
    auto* qiang = dynamic_cast<_CPerson*>(Find(doc, "王强", FALSE));
    ASSERT_TRUE(fang && qiang);
    ASSERT_TRUE(qiang->SetFieldText(5, "13900000001", TRUE, 0, "\n", "-"));
    int dialogs = 0;
    onDialog = [&dialogs](CDialog& d) {
        ++dialogs;
        auto* dlg = dynamic_cast<CDlgModifyPerson*>(&d);
        ASSERT_NE(dlg, nullptr);
        CFieldTree& tree = dlg->GetFieldTree();
        tree.Tick(tree.GetPersonRoot(), FALSE);
        tree.Tick(tree.FindItem(1, 128), TRUE);
        dlg->CheckDlgButton(CDlgModifyPerson::IDC_IGNORE_NAME, TRUE);
        dlg->CheckRadioButton(CDlgModifyPerson::IDC_ADD, CDlgModifyPerson::IDC_ADD + 2,
                              CDlgModifyPerson::IDC_ADD);
        dlg->SendMessage(WM_COMMAND, IDOK, 0);
    };
    drag(ItemOf(fang), ItemOf(qiang), Qt::AltModifier);
    EXPECT_EQ(1, dialogs);
    CString mobile;
    fang->GetText(mobile, 5);
    EXPECT_STREQ("13900000001", mobile);
    EXPECT_EQ(Names(dynamic_cast<CGroup*>(Find(doc, "家人", TRUE))),
              (std::vector<std::string>{"[表亲]", "王芳", "王强"}));
    ASSERT_TRUE(CloseAll());
}

TEST_F(LeftViewEditTest, ABookRootDroppedOnAGroupOfAnotherBookMovesEverythingIntoANewGroup) {
    CSmsDoc* family = OpenFamilyBook();
    CSmsDoc* school = OpenSchoolBook();
    ASSERT_TRUE(family && school);
    // A link inside the book travels with it.
    Tree().SelectItem(ItemOf(family, "王芳", FALSE));
    Run(CLeftView::ID_MAKE_LINK);
    HTREEITEM hClass = ItemOf(school, "班级", TRUE);
    ASSERT_EQ(view->GetDropAction(RootItem(family), hClass, 0), CLeftView::DropMove);
    EXPECT_TRUE(view->DoDrop(RootItem(family), hClass, 0, FALSE, FALSE, nullptr));
    EXPECT_TRUE(family->GetRootGroup().IsEmpty());
    EXPECT_EQ(view->GetFileCount(), 2);
    auto* moved = dynamic_cast<_CGroup*>(Find(school, "家", TRUE));
    ASSERT_NE(moved, nullptr);
    EXPECT_EQ(Names(moved), (std::vector<std::string>{"[家人]", "[同事]", "自己"}));
    EXPECT_EQ(Names(dynamic_cast<CGroup*>(Find(school, "家人", TRUE))),
              (std::vector<std::string>{"[表亲]", "王芳", "王芳", "王强"}));
    EXPECT_EQ(ItemTexts(ItemOf(moved)), (std::vector<std::string>{"家人", "同事", "自己"}));
    EXPECT_TRUE(family->IsModified());
    EXPECT_TRUE(school->IsModified());
    EXPECT_TRUE(CloseAll());
}

TEST_F(LeftViewEditTest, RefusedDropsChangeNothing) {
    CSmsDoc* family = OpenFamilyBook();
    CSmsDoc* school = OpenSchoolBook();
    ASSERT_TRUE(family && school);
    Tree().SelectItem(ItemOf(family, "自己", FALSE));
    Run(CLeftView::ID_MAKE_LINK);
    _CPerson* link = LinkIn(&family->GetRootGroup());
    ASSERT_NE(link, nullptr);
    auto* work = dynamic_cast<CGroup*>(Find(family, "同事", TRUE));
    work->ModifyFlags(0, CGroup::FLAG_PASSWORD | CGroup::FLAG_LOCKED);
    family->SetModifiedFlag(FALSE);
    school->SetModifiedFlag(FALSE);

    struct Case {
        const char* what;
        HTREEITEM source;
        HTREEITEM target;
        int keys;
    } cases[] = {
        {"onto its own descendant", ItemOf(family, "家人", TRUE), ItemOf(family, "表亲", TRUE),
         0},
        {"onto itself", ItemOf(family, "家人", TRUE), ItemOf(family, "家人", TRUE), 0},
        {"into a locked group", ItemOf(family, "王芳", FALSE), ItemOf(work), 0},
        {"copied into a locked group", ItemOf(family, "王芳", FALSE), ItemOf(work), kCtrl},
        {"linked into a locked group", ItemOf(family, "王芳", FALSE), ItemOf(work), kShift},
        {"a group onto a contact", ItemOf(family, "家人", TRUE), ItemOf(family, "自己", FALSE),
         0},
        {"a link into another book", ItemOf(link), ItemOf(school, "班级", TRUE), 0},
        {"a link copied into another book", ItemOf(link), ItemOf(school, "班级", TRUE), kCtrl},
        {"linked into another book", ItemOf(family, "王芳", FALSE), ItemOf(school, "班级", TRUE),
         kShift},
        {"a link linked again", ItemOf(link), ItemOf(family, "家人", TRUE), kShift},
        {"Shift with a contact on a contact", ItemOf(family, "王芳", FALSE),
         ItemOf(family, "王强", FALSE), kShift},
        {"merging a group", ItemOf(family, "家人", TRUE), ItemOf(family, "表亲", TRUE), kAlt},
        {"merging into a group", ItemOf(family, "王芳", FALSE), ItemOf(family, "家人", TRUE),
         kAlt},
        {"onto the top item", ItemOf(family, "王芳", FALSE), view->GetTopItem(), 0},
        {"the top item", view->GetTopItem(), ItemOf(family, "家人", TRUE), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_NE(c.source, nullptr);
        ASSERT_NE(c.target, nullptr);
        EXPECT_EQ(view->GetDropAction(c.source, c.target, c.keys), CLeftView::DropNone);
        EXPECT_FALSE(view->DoDrop(c.source, c.target, c.keys, TRUE, FALSE, nullptr));
        EXPECT_FALSE(view->DoDrop(c.source, c.target, c.keys, FALSE, FALSE, nullptr));
        EXPECT_FALSE(family->IsModified());
        EXPECT_FALSE(school->IsModified());
    }
    EXPECT_TRUE(onDialog == nullptr) << "no merge was asked";

    // While the tree is picking, nothing is dropped; afterwards the same drop goes through.
    HTREEITEM hSelf = ItemOf(family, "自己", FALSE), hFamily = ItemOf(family, "家人", TRUE);
    view->EnableCommands(FALSE);
    EXPECT_FALSE(view->DoDrop(hSelf, hFamily, 0, TRUE, FALSE, nullptr));
    view->EnableCommands(TRUE);
    EXPECT_TRUE(view->DoDrop(hSelf, hFamily, 0, TRUE, FALSE, nullptr));
    EXPECT_TRUE(CloseAll());
}

TEST_F(LeftViewEditTest, TheContactListDropsByTheTreesRulesAndCutsAGroupWithItsContactsOnce) {
    CArray<int, int> fields, widths;
    CViewPersonList::SetSharedColumnSettings(&fields, &widths);
    auto* list = new CViewPersonList;
    ASSERT_TRUE(list->Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(0, 200, 300, 400), frame,
                             AFX_IDW_PANE_FIRST + 1, nullptr));
    list->SetOwner(view);
    list->OnInitialUpdate();
    CSmsDoc* doc = OpenFamilyBook();
    ASSERT_NE(doc, nullptr);
    auto* work = dynamic_cast<CGroup*>(Find(doc, "同事", TRUE));
    work->ModifyFlags(0, CGroup::FLAG_PASSWORD | CGroup::FLAG_LOCKED);

    // A row dropped with Shift onto a group links; onto a locked group nothing goes.
    auto query = [&](const char* source, const char* target, BOOL group, int keys) {
        GROUPDROPQUERY q;
        q.hSource = ItemOf(doc, source, FALSE);
        q.hHit = ItemOf(doc, target, group);
        q.keyFlags = keys;
        return view->SendMessage(WM_GROUPVIEW_DROPQUERY, 0, (LPARAM)&q);
    };
    EXPECT_EQ(query("王强", "同事", TRUE, 0), FALSE);
    EXPECT_EQ(query("自己", "家人", TRUE, kShift), TRUE);
    EXPECT_NE(LinkIn(dynamic_cast<CGroup*>(Find(doc, "家人", TRUE))), nullptr);
    work->ModifyFlags(CGroup::FLAG_PASSWORD | CGroup::FLAG_LOCKED, 0);

    // Every row of the book, sub-groups' contacts too, cut at once: each record goes once.
    Tree().SelectItem(RootItem(doc));
    view->OnCmdMsg(CLeftView::ID_SHOW_ALL_SUBNODES, CN_COMMAND, nullptr, nullptr);
    list->OnUpdate(nullptr, 0, nullptr);
    CListCtrl& rows = list->GetListCtrl();
    ASSERT_GT(rows.GetItemCount(), 3);
    for (int i = 0; i < rows.GetItemCount(); ++i)
        rows.SetItemState(i, LVIS_SELECTED, LVIS_SELECTED);
    frame->SetForegroundWindow();
    rows.SetFocus();
    ASSERT_TRUE(WaitFor([&] { return CWnd::GetFocus() == &rows; }));
    list->OnCmdMsg(CGroupTreeView::ID_CUT, CN_COMMAND, nullptr, nullptr);
    EXPECT_TRUE(doc->GetRootGroup().IsEmpty());
    EXPECT_EQ(Names(&view->GetClipboard()), (std::vector<std::string>{"[家人]", "[同事]", "自己"}));
    EXPECT_EQ(Names(dynamic_cast<CGroup*>(view->GetClipboard().FindByName("家人", TRUE, FALSE,
                                                                          FALSE))),
              (std::vector<std::string>{"[表亲]", "王芳", "王强", "自己"}));
    EXPECT_TRUE(CloseAll());
    CViewPersonList::SetSharedColumnSettings(nullptr, nullptr);
}

TEST_F(LeftViewEditTest, AltDropMergesTheChosenFieldsOfTheTargetIntoTheDraggedContact) {
    CSmsDoc* doc = OpenFamilyBook();
    ASSERT_NE(doc, nullptr);
    auto* fang = dynamic_cast<_CPerson*>(Find(doc, "王芳", FALSE));
    auto* qiang = dynamic_cast<_CPerson*>(Find(doc, "王强", FALSE));
    ASSERT_TRUE(fang && qiang);
    ASSERT_TRUE(qiang->SetFieldText(5, "13900000001", TRUE, 0, "\n", "-"));
    ASSERT_TRUE(qiang->SetFieldText(13, "qiang@example.com", TRUE, 0, "\n", "-"));
    auto text = [](_CPerson* p, int field) {
        CString s;
        p->GetText(s, field);
        return std::string(s.GetString());
    };

    // The mobile number is chosen: 王芳 takes 王强's, nothing else changes.
    std::vector<DWORD> proposed;
    auto choose = [&](DWORD fieldBit, BOOL ignoreName, int scheme) {
        onDialog = [&proposed, fieldBit, ignoreName, scheme](CDialog& d) {
            auto* dlg = dynamic_cast<CDlgModifyPerson*>(&d);
            ASSERT_NE(dlg, nullptr);
            proposed.push_back(dlg->m_masks[0]);
            CFieldTree& tree = dlg->GetFieldTree();
            tree.Tick(tree.GetPersonRoot(), FALSE);
            tree.Tick(tree.FindItem(1, fieldBit), TRUE);
            dlg->CheckDlgButton(CDlgModifyPerson::IDC_IGNORE_NAME, ignoreName);
            dlg->CheckRadioButton(CDlgModifyPerson::IDC_ADD, CDlgModifyPerson::IDC_ADD + 2,
                                  CDlgModifyPerson::IDC_ADD + scheme - 1);
            dlg->SendMessage(WM_COMMAND, IDOK, 0);
        };
    };
    choose(128, TRUE, _CPerson::MODE_APPEND);
    HTREEITEM hFang = ItemOf(fang), hQiang = ItemOf(qiang);
    EXPECT_EQ(view->GetDropAction(hFang, hQiang, kAlt), CLeftView::DropMerge);
    EXPECT_TRUE(view->DoDrop(hFang, hQiang, kAlt, FALSE, FALSE, nullptr));
    EXPECT_EQ(text(fang, 5), "13900000001");
    EXPECT_EQ(text(fang, 13), "");
    EXPECT_EQ(view->GetMergeMasks()[0], 128u);
    EXPECT_TRUE(doc->IsModified());

    // The next drop proposes that choice; cancelling changes nothing.
    doc->SetModifiedFlag(FALSE);
    onDialog = [&proposed](CDialog& d) {
        proposed.push_back(dynamic_cast<CDlgModifyPerson&>(d).m_masks[0]);
        d.EndDialog(IDCANCEL);
    };
    HTREEITEM hZhao = ItemOf(doc, "赵敏", FALSE);
    EXPECT_FALSE(view->DoDrop(hZhao, hQiang, kAlt, FALSE, FALSE, nullptr));
    EXPECT_EQ(proposed, (std::vector<DWORD>{0u, 128u}));
    EXPECT_EQ(text(dynamic_cast<_CPerson*>(Find(doc, "赵敏", FALSE)), 5), "");
    EXPECT_FALSE(doc->IsModified());

    // With the switch set the last choice is used unasked.
    CLeftView::s_bMergeWithoutAsking = TRUE;
    onDialog = [](CDialog& d) {
        ADD_FAILURE() << "asked";
        d.EndDialog(IDCANCEL);
    };
    EXPECT_TRUE(view->DoDrop(hZhao, hQiang, kAlt, FALSE, FALSE, nullptr));
    CLeftView::s_bMergeWithoutAsking = FALSE;
    EXPECT_EQ(text(dynamic_cast<_CPerson*>(Find(doc, "赵敏", FALSE)), 5), "13900000001");

    // Two contacts dropped at once: one question serves both.
    proposed.clear();
    choose(128, TRUE, _CPerson::MODE_REPLACE);
    auto* self = dynamic_cast<_CPerson*>(Find(doc, "自己", FALSE));
    auto* ming = dynamic_cast<_CPerson*>(Find(doc, "李明", FALSE));
    EXPECT_TRUE(view->DoDrop(ItemOf(self), hQiang, kAlt, FALSE, TRUE, nullptr));
    EXPECT_TRUE(view->DoDrop(ItemOf(ming), hQiang, kAlt, FALSE, FALSE, nullptr));
    EXPECT_EQ(proposed.size(), 1u);
    EXPECT_EQ(text(self, 5), "13900000001");
    EXPECT_EQ(text(ming, 5), "13900000001");

    // A link dragged: its source takes the fields; a new name rebuilds the items, and the link
    // follows its source.
    Tree().SelectItem(hFang);
    Run(CLeftView::ID_MAKE_LINK);
    _CPerson* link = LinkIn(dynamic_cast<CGroup*>(Find(doc, "家人", TRUE)));
    ASSERT_NE(link, nullptr);
    choose(1, FALSE, _CPerson::MODE_REPLACE); // the name
    EXPECT_TRUE(view->DoDrop(ItemOf(link), ItemOf(doc, "李明", FALSE), kAlt, FALSE, FALSE,
                             nullptr));
    EXPECT_EQ(fang->GetName(), "李明");
    EXPECT_EQ(Tree().GetItemText(ItemOf(fang)), "李明");
    EXPECT_EQ(link->GetVirtualSource(), fang);
    EXPECT_EQ(Tree().GetItemText(ItemOf(link)), "李明");
    EXPECT_EQ(text(fang, 5), "13900000001") << "only the name was chosen";
    EXPECT_TRUE(CloseAll());
}

// 增加 keeps the dragged contact's single values where the template has none; 替换 takes the
// template's values, empty ones too.
TEST_F(LeftViewEditTest, AnAltDropThatAddsKeepsTheBirthdayAndSexTheTemplateLacks) {
    CSmsDoc* doc = OpenFamilyBook();
    ASSERT_NE(doc, nullptr);
    auto* fang = dynamic_cast<_CPerson*>(Find(doc, "王芳", FALSE));
    auto* self = dynamic_cast<_CPerson*>(Find(doc, "自己", FALSE)); // no birthday, sex unknown
    ASSERT_TRUE(fang && self);
    ASSERT_TRUE(self->SetFieldText(5, "13900000003", TRUE, 0, "\n", "-"));
    for (int scheme : {_CPerson::MODE_APPEND, _CPerson::MODE_REPLACE}) {
        SCOPED_TRACE(scheme);
        ASSERT_TRUE(fang->GetBirthday().SetBirthday(1988, 5, 20, FALSE, TRUE));
        fang->GetInfo().m_personal.nSex = 0;
        onDialog = [scheme](CDialog& d) {
            auto* dlg = dynamic_cast<CDlgModifyPerson*>(&d);
            ASSERT_NE(dlg, nullptr);
            CFieldTree& tree = dlg->GetFieldTree();
            tree.Tick(tree.GetPersonRoot(), FALSE);
            for (DWORD bit : {2u, 8u, 128u}) // sex, birthday, mobile
                tree.Tick(tree.FindItem(1, bit), TRUE);
            dlg->CheckRadioButton(CDlgModifyPerson::IDC_ADD, CDlgModifyPerson::IDC_ADD + 2,
                                  CDlgModifyPerson::IDC_ADD + scheme - 1);
            dlg->SendMessage(WM_COMMAND, IDOK, 0);
        };
        EXPECT_TRUE(view->DoDrop(ItemOf(fang), ItemOf(self), kAlt, FALSE, FALSE, nullptr));
        fang = dynamic_cast<_CPerson*>(Find(doc, "王芳", FALSE));
        ASSERT_NE(fang, nullptr);
        CString birthday, mobile;
        fang->GetText(birthday, 3);
        fang->GetText(mobile, 5);
        EXPECT_NE(mobile.Find("13900000003"), -1) << "the template's mobile is added";
        const bool kept = scheme == _CPerson::MODE_APPEND;
        EXPECT_EQ(fang->GetBirthday().IsValid() != FALSE, kept) << birthday.GetString();
        EXPECT_EQ(birthday.Find("1988") != -1, kept) << birthday.GetString();
        EXPECT_EQ(fang->GetInfo().m_personal.nSex, kept ? 0 : 2);
    }
    EXPECT_TRUE(CloseAll());
}

// Two books open: the dragged contact's book is the one changed, marked and saved with the
// merged fields; the book the fields were read from stays as it was.
TEST_F(LeftViewEditTest, AnAltDropOntoAContactOfAnotherBookChangesOnlyTheDraggedContactsBook) {
    CSmsDoc* family = OpenFamilyBook();
    CSmsDoc* school = OpenSchoolBook();
    ASSERT_TRUE(family && school);
    auto* fang = dynamic_cast<_CPerson*>(Find(family, "王芳", FALSE));
    auto* xiaoming = dynamic_cast<_CPerson*>(Find(school, "王小明", FALSE));
    ASSERT_TRUE(fang && xiaoming);
    ASSERT_TRUE(xiaoming->SetFieldText(5, "13900000002", TRUE, 0, "\n", "-"));
    onDialog = [](CDialog& d) {
        auto* dlg = dynamic_cast<CDlgModifyPerson*>(&d);
        ASSERT_NE(dlg, nullptr);
        CFieldTree& tree = dlg->GetFieldTree();
        tree.Tick(tree.GetPersonRoot(), FALSE);
        tree.Tick(tree.FindItem(1, 128), TRUE); // the mobile number
        dlg->CheckRadioButton(CDlgModifyPerson::IDC_ADD, CDlgModifyPerson::IDC_ADD + 2,
                              CDlgModifyPerson::IDC_ADD + _CPerson::MODE_REPLACE - 1);
        dlg->SendMessage(WM_COMMAND, IDOK, 0);
    };
    HTREEITEM hFang = ItemOf(fang), hXiaoming = ItemOf(xiaoming);
    ASSERT_EQ(view->GetDropAction(hFang, hXiaoming, kAlt), CLeftView::DropMerge);
    EXPECT_TRUE(view->DoDrop(hFang, hXiaoming, kAlt, FALSE, FALSE, nullptr));
    CString mobile;
    fang->GetText(mobile, 5);
    EXPECT_STREQ(mobile, "13900000002");
    EXPECT_TRUE(family->IsModified());
    EXPECT_FALSE(school->IsModified());

    const CString path = family->GetPathName();
    ASSERT_TRUE(family->OnSaveDocument(path));
    EXPECT_TRUE(CloseAll());
    CSmsDoc reopened;
    ASSERT_TRUE(reopened.OnOpenDocument(path));
    auto* saved =
        dynamic_cast<_CPerson*>(reopened.GetRootGroup().FindByName("王芳", FALSE, FALSE, TRUE));
    ASSERT_NE(saved, nullptr);
    saved->GetText(mobile, 5);
    EXPECT_STREQ(mobile, "13900000002");
}

TEST_F(LeftViewEditTest, LinksAreMadeInTheContactsGroupAndLeadBackToTheirSource) {
    CSmsDoc* doc = OpenFamilyBook();
    ASSERT_NE(doc, nullptr);
    auto* self = Find(doc, "自己", FALSE);
    Tree().SelectItem(ItemOf(self));
    EXPECT_TRUE(Enabled(CLeftView::ID_MAKE_LINK));
    EXPECT_FALSE(Enabled(CLeftView::ID_GOTO_SOURCE));
    EXPECT_TRUE(Run(CLeftView::ID_MAKE_LINK));
    EXPECT_EQ(Names(&doc->GetRootGroup()),
              (std::vector<std::string>{"[家人]", "[同事]", "自己", "自己"}));
    EXPECT_TRUE(doc->IsModified());
    HTREEITEM hLink = nullptr;
    for (HTREEITEM h = Tree().GetChildItem(RootItem(doc)); h; h = Tree().GetNextSiblingItem(h))
        if (h != ItemOf(self) && Tree().GetItemText(h) == "自己")
            hLink = h;
    ASSERT_NE(hLink, nullptr);
    Tree().SelectItem(hLink);
    EXPECT_FALSE(Enabled(CLeftView::ID_MAKE_LINK)) << "no link to a link";
    EXPECT_TRUE(Enabled(CLeftView::ID_GOTO_SOURCE));
    EXPECT_TRUE(Run(CLeftView::ID_GOTO_SOURCE));
    EXPECT_EQ(view->GetCurrentItem(), ItemOf(self));

    // Its source gone, the link leads nowhere.
    EXPECT_TRUE(view->RemoveItem(ItemOf(self)));
    Tree().SelectItem(hLink);
    EXPECT_FALSE(Enabled(CLeftView::ID_GOTO_SOURCE));
    EXPECT_TRUE(Run(CLeftView::ID_GOTO_SOURCE));
    EXPECT_EQ(view->GetCurrentItem(), hLink);
    EXPECT_TRUE(CloseAll());
}

TEST_F(LeftViewEditTest, ContactCardsGoOutAndComeBackAndADamagedCardIsSkipped) {
    CSmsDoc* doc = OpenFamilyBook();
    ASSERT_NE(doc, nullptr);
    auto* fang = dynamic_cast<_CPerson*>(Find(doc, "王芳", FALSE));
    ASSERT_TRUE(fang->SetFieldText(5, "13900000002", TRUE, 0, "\n", "-"));
    const CString card = Path("fang.psn");
    Tree().SelectItem(ItemOf(fang));
    AnswerFiles({card});
    EXPECT_TRUE(Run(CLeftView::ID_EXPORT_CARD));
    ASSERT_TRUE(std::filesystem::exists(card.GetString()));

    const CString damaged = Path("damaged.psn");
    std::ofstream(damaged.GetString(), std::ios::binary) << std::string(40, '\x33');
    HTREEITEM hWork = ItemOf(doc, "同事", TRUE);
    Tree().SelectItem(hWork);
    doc->SetModifiedFlag(FALSE);
    shown.clear();
    AnswerFiles({damaged, card});
    EXPECT_TRUE(Run(CLeftView::ID_IMPORT_CARDS));
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.back().text, "成功导入1个联系人！");
    auto* work = dynamic_cast<CGroup*>(Find(doc, "同事", TRUE));
    EXPECT_EQ(Names(work), (std::vector<std::string>{"王芳", "赵敏"}));
    EXPECT_EQ(ItemTexts(hWork), (std::vector<std::string>{"王芳", "赵敏"}));
    auto* back = dynamic_cast<_CPerson*>(work->FindByName("王芳", FALSE, FALSE, FALSE));
    ASSERT_NE(back, nullptr);
    CString mobile;
    back->GetText(mobile, 5);
    EXPECT_EQ(mobile, "13900000002");
    EXPECT_EQ(back->GetInfo().m_personal.nSex, 0);
    EXPECT_TRUE(doc->IsModified());

    // A card opened by the shell joins the group of the current contact; a damaged one nothing.
    Tree().SelectItem(ItemOf(doc, "自己", FALSE));
    EXPECT_EQ(view->AddContactFromFile(damaged), nullptr);
    EXPECT_EQ(Names(&doc->GetRootGroup()), (std::vector<std::string>{"[家人]", "[同事]", "自己"}));
    EXPECT_EQ(view->AddContactFromFile(card), doc);
    EXPECT_EQ(Names(&doc->GetRootGroup()),
              (std::vector<std::string>{"[家人]", "[同事]", "王芳", "自己"}));
    EXPECT_TRUE(CloseAll());

    // No book open: nothing to import into, and the user is told.
    shown.clear();
    EXPECT_EQ(view->AddContactFromFile(card), nullptr);
    EXPECT_EQ(shown.size(), 1u);
}

TEST_F(LeftViewEditTest, CsvImportShowsTheNewContactsAndTellsHowMany) {
    CSmsDoc* doc = OpenSchoolBook();
    ASSERT_NE(doc, nullptr);
    const CString csv = Path("class.csv");
    std::ofstream(csv.GetString(), std::ios::binary)
        << GbkToUtf8("姓名,手机\n张三,13900000003\n李四,13900000004\n");
    HTREEITEM hClass = ItemOf(doc, "班级", TRUE);
    Tree().SelectItem(hClass);
    AnswerFiles({csv}, [](CDialog& d) {
        EXPECT_NE(dynamic_cast<CDlgImportGroup*>(&d), nullptr);
        d.SendMessage(WM_COMMAND, IDOK, 0);
    });
    shown.clear();
    EXPECT_TRUE(Run(CLeftView::ID_IMPORT_CSV));
    ASSERT_EQ(shown.size(), 1u) << "the count is told once";
    EXPECT_EQ(shown.back().text, "成功导入2个联系人！");
    EXPECT_EQ(shown.back().type & MB_ICONMASK, (UINT)MB_ICONINFORMATION);
    std::vector<std::string> items = ItemTexts(hClass);
    EXPECT_EQ(items.size(), 3u);
    for (const char* name : {"张三", "李四", "王小明"})
        EXPECT_NE(std::find(items.begin(), items.end(), name), items.end()) << name;
    EXPECT_TRUE(doc->IsModified());

    // A value with a character GBK lacks (Hangul) comes in with a "?", and the user hears of
    // it before the count.
    const CString lossy = Path("lossy.csv");
    std::ofstream(lossy.GetString(), std::ios::binary)
        << GbkToUtf8("姓名,手机\n") << "\xED\x95\x9C" << GbkToUtf8("明,13900000005\n");
    AnswerFiles({lossy}, [](CDialog& d) { d.SendMessage(WM_COMMAND, IDOK, 0); });
    shown.clear();
    EXPECT_TRUE(Run(CLeftView::ID_IMPORT_CSV));
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text,
              "导入的联系人中有 1 个值含有本程序无法显示的字符，这些字符已替换为“?”。");
    EXPECT_EQ(shown[1].text, "成功导入1个联系人！");

    // Cancelled: no count message.
    shown.clear();
    ForgetScript();
    EXPECT_TRUE(Run(CLeftView::ID_IMPORT_CSV));
    EXPECT_TRUE(shown.empty());
    EXPECT_TRUE(CloseAll());
}

namespace {

// The main window's command route: the tree first, then the view beside it.
class CTreeThenList : public CCmdTarget {
public:
    CTreeThenList(CCmdTarget* pTree, CCmdTarget* pList) : m_pTree(pTree), m_pList(pList) {}
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pInfo) override {
        return m_pTree->OnCmdMsg(nID, nCode, pExtra, pInfo) ||
               m_pList->OnCmdMsg(nID, nCode, pExtra, pInfo);
    }

private:
    CCmdTarget* m_pTree;
    CCmdTarget* m_pList;
};

} // namespace

TEST_F(LeftViewEditTest, WithTheListFocusedItsSelectionCommandsPassTheTreeAndReachTheList) {
    CArray<int, int> fields, widths;
    CViewPersonList::SetSharedColumnSettings(&fields, &widths);
    auto* list = new CViewPersonList;
    ASSERT_TRUE(list->Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(0, 200, 300, 400), frame,
                             AFX_IDW_PANE_FIRST + 1, nullptr));
    list->SetOwner(view);
    list->OnInitialUpdate();
    CSmsDoc* doc = OpenFamilyBook();
    ASSERT_NE(doc, nullptr);
    CTreeThenList route(view, list);
    // Whether the menu item is enabled as the frame updates it (greyed when nobody handles it).
    auto enabled = [&](UINT id) {
        struct : CCmdUI {
            BOOL on = TRUE;
            void Enable(BOOL bOn) override { on = bOn; }
        } ui;
        ui.m_nID = id;
        ui.DoUpdate(&route, TRUE);
        return ui.on;
    };

    Tree().SelectItem(ItemOf(doc, "家人", TRUE));
    list->OnUpdate(nullptr, 0, nullptr);
    CListCtrl& rows = list->GetListCtrl();
    ASSERT_GT(rows.GetItemCount(), 0);
    rows.SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    const std::string firstRow = rows.GetItemText(0, 0).GetString();
    frame->SetForegroundWindow();
    rows.SetFocus();
    ASSERT_TRUE(WaitFor([&] { return CWnd::GetFocus() == &rows; }));

    // Ctrl+C copies the list's row, not the tree's group; Shift+Del, which the list has no use
    // for, is greyed rather than enabled for a tree that would not act; the group's mail is the
    // list's to decide (a mail to its selected rows).
    EXPECT_TRUE(enabled(CGroupTreeView::ID_COPY));
    EXPECT_TRUE(enabled(CGroupTreeView::ID_CUT));
    EXPECT_TRUE(enabled(CGroupTreeView::ID_DELETE));
    EXPECT_FALSE(enabled(CLeftView::ID_DELETE_CURRENT));
    EXPECT_TRUE(enabled(CLeftView::ID_SEND_MAIL));
    EXPECT_TRUE(route.OnCmdMsg(CGroupTreeView::ID_COPY, CN_COMMAND, nullptr, nullptr));
    EXPECT_EQ(Plain(Names(&view->GetClipboard())), (std::vector<std::string>{firstRow}));
    // Del: the list asks about its row; No keeps everything.
    shown.clear();
    answers = {IDNO};
    EXPECT_TRUE(route.OnCmdMsg(CGroupTreeView::ID_DELETE, CN_COMMAND, nullptr, nullptr));
    EXPECT_EQ(shown.size(), 1u);
    EXPECT_NE(Find(doc, "家人", TRUE), nullptr);

    // With the focus back in the tree, the tree acts on its own item again.
    FocusTree();
    EXPECT_TRUE(enabled(CLeftView::ID_DELETE_CURRENT));
    EXPECT_TRUE(enabled(CLeftView::ID_SEND_MAIL));
    EXPECT_TRUE(route.OnCmdMsg(CGroupTreeView::ID_COPY, CN_COMMAND, nullptr, nullptr));
    EXPECT_EQ(Names(&view->GetClipboard()), (std::vector<std::string>{"[家人]"}));
    // On a contact the tree keeps its mail and Shift+Del whatever has the focus.
    Tree().SelectItem(ItemOf(doc, "自己", FALSE));
    frame->SetForegroundWindow();
    rows.SetFocus();
    ASSERT_TRUE(WaitFor([&] { return CWnd::GetFocus() == &rows; }));
    EXPECT_TRUE(enabled(CLeftView::ID_SEND_MAIL));
    EXPECT_TRUE(CloseAll());
    CViewPersonList::SetSharedColumnSettings(nullptr, nullptr);
}

TEST_F(LeftViewEditTest, ALabelEditEndsBeforeATreeCommandRunsButNotBeforeDel) {
    CSmsDoc* doc = OpenFamilyBook();
    ASSERT_NE(doc, nullptr);
    Tree().SelectItem(ItemOf(doc, "同事", TRUE));
    FocusTree();
    ASSERT_TRUE(Run(CLeftView::ID_BOOK_RENAME));
    CEdit* edit = Tree().GetEditControl();
    ASSERT_NE(edit, nullptr);
    // Del works on the label's text.
    edit->SetWindowText("TeamX");
    edit->SetSel(4, -1);
    Run(CGroupTreeView::ID_DELETE);
    ASSERT_NE(Tree().GetEditControl(), nullptr);
    // A command of the tree ends the edit first, keeping its text.
    Run(CLeftView::ID_SHOW_ALL_SUBNODES);
    EXPECT_EQ(Tree().GetEditControl(), nullptr);
    EXPECT_NE(Find(doc, "Team", TRUE), nullptr);
    EXPECT_TRUE(view->IsShowAllSubNodes());
    EXPECT_TRUE(CloseAll());
}
