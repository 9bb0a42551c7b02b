#include "core/tests/GroupTestRecords.h"
#include "platform/base/File.h"
#include "platform/gui/CommCtrl.h"
#include "platform/gui/CommonDialogs.h"
#include "platform/gui/Frame.h"
#include "platform/gui/Menu.h"
#include "platform/gui/MessageBox.h"
#include "platform/gui/tests/GuiTestSupport.h"
#include "ui/GroupTreeView.h"
#include "ui/tests/CardTreeView.h"
#include "ui/tests/TreeViewFixture.h"

#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

class GroupTreeViewTest : public TreeViewFixture<CCardTreeView> {
protected:
    PaneRecorder pane;
    QTemporaryDir dir;

    void SetUp() override {
        InstallScriptedUser(IDNO);
        ASSERT_NO_FATAL_FAILURE(OpenFrame(360, 420));
        OpenTree(&pane, 340, 380);
    }
    // name is GBK, as every text of the program.
    CString Path(const char* name) {
        return AfxFromQt(dir.path()) + "/" + name;
    }
    // Writes a card book: fill builds its root.
    CString WriteBook(const char* name, const std::function<void(CTestFolder&)>& fill) {
        CTestBookDoc doc;
        doc.m_root.SetName(name);
        fill(doc.m_root);
        CString path = Path((std::string(name) + ".tcb").c_str());
        EXPECT_TRUE(doc.OnSaveDocument(path));
        return path;
    }
    static CTestFolder* Folder(CGroup* parent, const char* name) {
        auto* g = new CTestFolder(name);
        parent->AddSubgroup(g);
        return g;
    }
    static CTestCard* Card(CGroup* parent, const char* name) {
        auto* c = new CTestCard(name);
        parent->AddContent(c);
        return c;
    }
    static CTestBookDoc* Book(CQuillmarBaseDoc* doc) { return static_cast<CTestBookDoc*>(doc); }
    static HTREEITEM Item(CGroupItem* n) { return (HTREEITEM)n->GetTreeItem(); }
    // The standard library of the tests: a book with a group holding three cards of its own and
    // two more below, one with none of its own and four below, and an empty one.
    CString WriteStandardBook(const char* name) {
        return WriteBook(name, [](CTestFolder& root) {
            CTestFolder* family = Folder(&root, "家人");
            for (const char* n : {"爸爸", "妈妈", "姐姐"})
                Card(family, n);
            CTestFolder* cousins = Folder(family, "表亲");
            Card(cousins, "表哥");
            Card(cousins, "表妹");
            CTestFolder* work = Folder(&root, "工作");
            CTestFolder* team = Folder(work, "团队");
            for (const char* n : {"甲", "乙", "丙", "丁"})
                Card(team, n);
            Folder(&root, "空组");
            CTestFolder* secret = Folder(&root, "私密");
            secret->SetPassword("abc");
            secret->ModifyFlags(0, CGroup::FLAG_PASSWORD | CGroup::FLAG_LOCKED);
            CTestFolder* diary = Folder(&root, "日记");
            diary->SetPassword("xyz");
            diary->ModifyFlags(0, CGroup::FLAG_PASSWORD);
            Card(&root, "自己");
        });
    }
    CGroup* FindGroup(CGroup* root, const char* name) {
        return static_cast<CGroup*>(root->FindByName(name, TRUE, FALSE, TRUE));
    }
    CContent* FindCard(CGroup* root, const char* name) {
        return static_cast<CContent*>(root->FindByName(name, FALSE, FALSE, TRUE));
    }
};

} // namespace

TEST_F(GroupTreeViewTest, OpensSavedAndNewFilesUnderTheTopItemAndShowsMarksAndCounts) {
    CString a = WriteStandardBook("通讯录");
    CString b = WriteBook("同学", [](CTestFolder& root) { Card(&root, "小明"); });
    CQuillmarBaseDoc* docA = view->OpenFile(a, FALSE);
    ASSERT_NE(docA, nullptr);
    ASSERT_NE(view->OpenFile(b, FALSE), nullptr);
    // A new file: the label edit ends with the proposed name.
    Run(CGroupTreeView::ID_FILE_NEW);
    ASSERT_NE(Tree().GetEditControl(), nullptr);
    Tree().EndEditLabelNow(FALSE);
    ASSERT_EQ(view->GetFileCount(), 3);
    EXPECT_EQ(Texts(view->GetTopItem()),
              (std::vector<std::string>{"通讯录", "同学", "新卡片簿"}));
    CGroupTreeView::CFileInfo* fresh = view->GetFileAt(2);
    EXPECT_EQ(fresh->strPath, "新卡片簿");
    EXPECT_TRUE(fresh->pDoc->GetPathName().IsEmpty());
    EXPECT_TRUE(fresh->pDoc->IsModified());
    EXPECT_EQ(pane.calls[0], "create 1 7");
    EXPECT_EQ(pane.calls[1], "create 2 7");

    // The locked group shows overlay 1 and the password group overlay 2.
    CGroup* rootA = &Book(docA)->m_root;
    EXPECT_EQ(Tree().GetItemState(Item(FindGroup(rootA, "私密")), TVIS_OVERLAYMASK),
              INDEXTOOVERLAYMASK(1));
    EXPECT_EQ(Tree().GetItemState(Item(FindGroup(rootA, "日记")), TVIS_OVERLAYMASK),
              INDEXTOOVERLAYMASK(2));

    // Selecting a group of the first file makes it current and shows its pane view.
    Tree().Expand(view->GetFileAt(0)->hItem, TVE_EXPAND);
    Tree().Expand(Item(FindGroup(rootA, "家人")), TVE_EXPAND);
    Tree().Expand(Item(FindGroup(rootA, "工作")), TVE_EXPAND);
    Tree().SelectItem(Item(FindGroup(rootA, "家人")));
    EXPECT_EQ(view->GetCurrentFile(), view->GetFileAt(0));
    EXPECT_EQ(pane.calls.back(), "show 2 1 7");
    EXPECT_EQ(FrameTitle(), "墨川 - 测试卡片 - 通讯录\\家人");
    // A saved file made modified: the title says so.
    view->SendMessage(WM_GROUPVIEW_MODIFIED);
    EXPECT_EQ(FrameTitle(), "墨川 - 测试卡片 - 通讯录\\家人（已修改）");
    Screenshot("group-tree-three-files");

    // The top item lists the files through the fixed view.
    Tree().SelectItem(view->GetTopItem());
    EXPECT_EQ(pane.calls.back(), "show 1 0 2");
    EXPECT_EQ(pane.calls[pane.calls.size() - 2], "get 1 2");
}

TEST_F(GroupTreeViewTest, DrawsStarsFileCountAndItemCounts) {
    // Counts go through the same text the tree draws; this checks what each item would show.
    CString a = WriteStandardBook("通讯录");
    CQuillmarBaseDoc* doc = view->OpenFile(a, FALSE);
    CGroup* root = &Book(doc)->m_root;
    struct Row {
        const char* group;
        const char* text; // null: none
    } rows[] = {{"家人", "(3/5)"}, {"工作", "(0/4)"}, {"空组", nullptr}, {"表亲", "(2)"}};
    for (const Row& r : rows) {
        CGroup* g = FindGroup(root, r.group);
        CString text;
        BOOL has = FormatItemCount(g->GetContentCount(FALSE, TRUE), g->GetContentCount(TRUE, TRUE),
                                   text);
        EXPECT_EQ(has, r.text != nullptr) << r.group;
        if (r.text != nullptr) {
            EXPECT_EQ(text, r.text);
        }
    }
    // Painted: the count colour, the red star of a file never saved and the blue file count.
    Run(CGroupTreeView::ID_FILE_NEW);
    Tree().EndEditLabelNow(FALSE);
    Tree().Expand(view->GetFileAt(0)->hItem, TVE_EXPAND);
    auto colours = [&] {
        QImage img(340, 380, QImage::Format_ARGB32);
        img.fill(Qt::white);
        {
            CDC dc;
            dc.AttachImage(&img);
            Tree().SendMessage(WM_PAINT, (WPARAM)dc.GetSafeHdc(), 0);
        }
        int counts = 0, red = 0, blue = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) {
                QColor c = img.pixelColor(x, y);
                // Glyph edges are blended: a pixel counts when it is mostly the colour.
                auto near = [&](int r, int g, int b) {
                    return std::abs(c.red() - r) + std::abs(c.green() - g) +
                               std::abs(c.blue() - b) < 50;
                };
                counts += near(0xD4, 0x40, 0x2D);
                red += near(0xFF, 0, 0);
                blue += near(0, 0, 0xFF);
            }
        return std::vector<int>{counts, red, blue};
    };
    std::vector<int> on = colours();
    EXPECT_GT(on[0], 0);
    EXPECT_GT(on[1], 0);
    EXPECT_GT(on[2], 0);
    Run(CGroupTreeView::ID_SHOW_COUNTS);
    EXPECT_FALSE(view->IsShowingCounts());
    EXPECT_EQ(Update(CGroupTreeView::ID_SHOW_COUNTS).check, 0);
    EXPECT_EQ(colours()[0], 0);
    Run(CGroupTreeView::ID_SHOW_COUNTS);
    EXPECT_EQ(Update(CGroupTreeView::ID_SHOW_COUNTS).check, 1);
}

TEST_F(GroupTreeViewTest, FileIdsComeBackLastInFirstOut) {
    for (int i = 0; i < 3; ++i) {
        Run(CGroupTreeView::ID_FILE_NEW);
        Tree().EndEditLabelNow(FALSE);
    }
    ASSERT_EQ(view->GetFileCount(), 3);
    EXPECT_EQ(Texts(view->GetTopItem()),
              (std::vector<std::string>{"新卡片簿", "新卡片簿1", "新卡片簿2"}));
    EXPECT_EQ(view->GetFileAt(2)->nFileId, 3);
    answers = {IDNO};
    EXPECT_TRUE(view->CloseFile(view->GetFileAt(2), FALSE, TRUE));
    EXPECT_EQ(pane.calls.back(), "destroy 3 7 1");
    Run(CGroupTreeView::ID_FILE_NEW);
    Tree().EndEditLabelNow(FALSE);
    Run(CGroupTreeView::ID_FILE_NEW);
    Tree().EndEditLabelNow(FALSE);
    EXPECT_EQ(view->GetFileAt(2)->nFileId, 3);
    EXPECT_EQ(view->GetFileAt(3)->nFileId, 4);
}

TEST_F(GroupTreeViewTest, OpenAsksAgainWithABiggerBufferWhenTheNamesDoNotFit) {
    std::vector<CString> paths;
    for (int i = 0; i < 5; ++i) {
        std::string name = "一个名字很长很长的测试卡片簿文件" + std::to_string(i);
        paths.push_back(WriteBook(name.c_str(), [](CTestFolder&) {}));
    }
    int dialogs = 0;
    AnswerFiles(paths);
    auto answer = onDialog;
    onDialog = [&](CDialog& d) {
        ++dialogs;
        answer(d);
    };
    view->m_nOpenBufferSize = 200;
    view->OpenFile(nullptr, FALSE);
    EXPECT_GE(dialogs, 2);
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown[0].text, "由于选择的文件较多，缓存不够，请重新选择!");
    EXPECT_EQ(view->GetFileCount(), 5);
}

TEST_F(GroupTreeViewTest, AFileOpenUnderAnotherSpellingOfItsPathIsNotOpenedTwice) {
    CString a = WriteBook("Book", [](CTestFolder& root) { Card(&root, "甲"); });
    CQuillmarBaseDoc* doc = view->OpenFile(a, FALSE);
    ASSERT_NE(doc, nullptr);
    CString other = a;
    other.Replace("Book.tcb", "BOOK.TCB");
    EXPECT_EQ(view->OpenFile(other, FALSE), doc);
    EXPECT_EQ(view->GetFileCount(), 1);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "文件" + other + "已经被打开！");
    EXPECT_EQ(shown[0].type & MB_ICONMASK, (UINT)MB_ICONEXCLAMATION);
}

TEST_F(GroupTreeViewTest, DamagedAndShortFilesOpenNothing) {
    MessageRecorder documentMessages;
    struct Row {
        const char* name;
        QByteArray bytes;
    } rows[] = {{"short.tcb", QByteArray("abc")},
                {"damaged.tcb", QByteArray(300, '\x7f')}};
    for (const Row& r : rows) {
        QFile f(dir.filePath(r.name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(r.bytes);
        f.close();
        shown.clear();
        EXPECT_EQ(view->OpenFile(Path(r.name), FALSE), nullptr);
        EXPECT_EQ(view->GetFileCount(), 0);
        std::vector<std::string> all = documentMessages.Messages();
        for (const MessageBoxCall& c : shown)
            all.push_back(c.text.GetString());
        ASSERT_FALSE(all.empty()) << r.name;
        EXPECT_EQ(all.back(), "打开文档失败。\n" + std::string(Path(r.name))) << r.name;
    }
    EXPECT_EQ(Tree().GetChildItem(view->GetTopItem()), nullptr);
}

TEST_F(GroupTreeViewTest, SaveAsElsewhereKeepsTheFileOnItsPathAndModified) {
    CString a = WriteBook("原件", [](CTestFolder& root) { Card(&root, "甲"); });
    CQuillmarBaseDoc* doc = view->OpenFile(a, FALSE);
    Tree().SelectItem(view->GetFileAt(0)->hItem);
    view->SendMessage(WM_GROUPVIEW_MODIFIED);
    ASSERT_TRUE(doc->IsModified());
    CString copy = Path("副本.tcb");
    AnswerFiles({copy});
    Run(CGroupTreeView::ID_FILE_SAVE_AS);
    EXPECT_TRUE(CFile::GetStatus(copy, *std::make_unique<CFileStatus>()));
    EXPECT_EQ(doc->GetPathName(), a);
    EXPECT_EQ(view->GetFileAt(0)->strPath, a);
    // The file itself was not written: still modified, and the title says so.
    EXPECT_TRUE(doc->IsModified());
    EXPECT_TRUE(FrameTitle().Find("（已修改）") >= 0);
    // A plain save writes it and clears both.
    EXPECT_TRUE(Update(CGroupTreeView::ID_FILE_SAVE).enabled);
    Run(CGroupTreeView::ID_FILE_SAVE);
    EXPECT_FALSE(doc->IsModified());
    EXPECT_LT(FrameTitle().Find("（已修改）"), 0);
    EXPECT_FALSE(Update(CGroupTreeView::ID_FILE_SAVE).enabled);

    // Save as of a file never saved gives it the path.
    Run(CGroupTreeView::ID_FILE_NEW);
    Tree().EndEditLabelNow(FALSE);
    CGroupTreeView::CFileInfo* fresh = view->GetFileAt(1);
    Tree().SelectItem(fresh->hItem);
    CString saved = Path("新的.tcb");
    AnswerFiles({saved});
    Run(CGroupTreeView::ID_FILE_SAVE_AS);
    EXPECT_EQ(fresh->pDoc->GetPathName(), saved);
    EXPECT_EQ(fresh->strPath, saved);
    EXPECT_FALSE(fresh->pDoc->IsModified());
}

TEST_F(GroupTreeViewTest, AFailedSaveLeavesTheFileOpenAndModified) {
    Run(CGroupTreeView::ID_FILE_NEW);
    Tree().EndEditLabelNow(FALSE);
    CGroupTreeView::CFileInfo* info = view->GetFileAt(0);
    Card(view->GetRootGroup(info->pDoc), "甲");
    Tree().SelectItem(info->hItem);
    AnswerFiles({Path("失败.tcb")});
    CTestBookDoc::s_nFailAfterChildren = 0;
    // Closing asks to save; the save fails, so the file stays.
    answers = {IDYES};
    Run(CGroupTreeView::ID_FILE_CLOSE);
    CTestBookDoc::s_nFailAfterChildren = -1;
    EXPECT_EQ(view->GetFileCount(), 1);
    EXPECT_TRUE(info->pDoc->IsModified());
}

TEST_F(GroupTreeViewTest, DropsCopyMoveAndPlaceBesideTheTarget) {
    CString a = WriteBook("甲簿", [](CTestFolder& root) {
        CTestFolder* x = Folder(&root, "阿");
        Folder(x, "阿子");
        Folder(&root, "波");
        Folder(&root, "次");
        Card(&root, "卡一");
        Card(&root, "卡二");
    });
    CString b = WriteBook("乙簿", [](CTestFolder& root) { Folder(&root, "外"); });
    CQuillmarBaseDoc* docA = view->OpenFile(a, FALSE);
    CQuillmarBaseDoc* docB = view->OpenFile(b, FALSE);
    CGroup* rootA = view->GetRootGroup(docA);
    CGroup* rootB = view->GetRootGroup(docB);
    HTREEITEM x = Item(FindGroup(rootA, "阿"));
    HTREEITEM xChild = Item(FindGroup(rootA, "阿子"));
    HTREEITEM bo = Item(FindGroup(rootA, "波"));
    HTREEITEM ci = Item(FindGroup(rootA, "次"));
    HTREEITEM card1 = Item(FindCard(rootA, "卡一"));

    // Refused: onto itself, onto a group below it, a content placed beside.
    EXPECT_FALSE(view->DoDrop(x, x, 0, TRUE, FALSE, nullptr));
    EXPECT_FALSE(view->DoDrop(x, xChild, 0, TRUE, FALSE, nullptr));
    EXPECT_FALSE(view->DoDrop(card1, bo, DRAG_KEY_SHIFT, TRUE, FALSE, nullptr));
    EXPECT_FALSE(view->DoDrop(x, xChild, 0, FALSE, FALSE, nullptr));
    EXPECT_EQ(FindGroup(rootA, "阿")->GetParent(), rootA);
    EXPECT_TRUE(view->DoDrop(x, bo, DRAG_KEY_SHIFT, TRUE, FALSE, nullptr));

    // Shift with the right key: after the target, in the target's parent.
    EXPECT_TRUE(view->DoDrop(ci, bo, DRAG_KEY_SHIFT, FALSE, FALSE, nullptr));
    EXPECT_EQ(ChildNames(*rootA)[0], "阿");
    std::vector<std::string> names = ChildNames(*rootA);
    EXPECT_EQ(std::vector<std::string>(names.begin(), names.begin() + 3),
              (std::vector<std::string>{"阿", "波", "次"}));
    // Left Shift: before it.
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Shift, Qt::ShiftModifier, 50, 0, 0);
    QCoreApplication::sendEvent(Tree().GetWidget(), &press);
    ci = Item(FindGroup(rootA, "次"));
    EXPECT_TRUE(view->DoDrop(ci, Item(FindGroup(rootA, "阿")), DRAG_KEY_SHIFT, FALSE, FALSE,
                             nullptr));
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Shift, Qt::NoModifier, 50, 0, 0);
    QCoreApplication::sendEvent(Tree().GetWidget(), &release);
    names = ChildNames(*rootA);
    EXPECT_EQ(std::vector<std::string>(names.begin(), names.begin() + 3),
              (std::vector<std::string>{"次", "阿", "波"}));

    // Ctrl copies into the other file; only the target file is modified.
    docA->SetModifiedFlag(FALSE);
    EXPECT_TRUE(view->DoDrop(Item(FindGroup(rootA, "阿")), Item(FindGroup(rootB, "外")),
                             DRAG_KEY_CTRL, FALSE, FALSE, nullptr));
    EXPECT_TRUE(docB->IsModified());
    EXPECT_FALSE(docA->IsModified());
    EXPECT_NE(FindGroup(rootB, "阿子"), nullptr);
    EXPECT_NE(FindGroup(rootA, "阿子"), nullptr);
    // A move between files marks both.
    docB->SetModifiedFlag(FALSE);
    EXPECT_TRUE(view->DoDrop(Item(FindCard(rootA, "卡二")), view->GetFileAt(1)->hItem, 0, FALSE,
                             FALSE, nullptr));
    EXPECT_TRUE(docA->IsModified());
    EXPECT_TRUE(docB->IsModified());
    EXPECT_EQ(FindCard(rootA, "卡二"), nullptr);
    EXPECT_NE(FindCard(rootB, "卡二"), nullptr);
    // A content dropped on a content goes before it.
    EXPECT_TRUE(view->DoDrop(Item(FindCard(rootB, "卡二")), Item(FindCard(rootA, "卡一")), 0,
                             FALSE, FALSE, nullptr));
    EXPECT_EQ(ChildNames(*rootA).back(), "卡一");
    EXPECT_EQ(ChildNames(*rootA)[ChildNames(*rootA).size() - 2], "卡二");
}

TEST_F(GroupTreeViewTest, DraggingInsideTheTreeHighlightsAndDrops) {
    CString a = WriteBook("甲簿", [](CTestFolder& root) {
        Folder(&root, "阿");
        Folder(&root, "波");
        Card(&root, "卡一");
    });
    CQuillmarBaseDoc* doc = view->OpenFile(a, FALSE);
    CGroup* root = view->GetRootGroup(doc);
    Tree().Expand(view->GetFileAt(0)->hItem, TVE_EXPAND);
    HTREEITEM card = Item(FindCard(root, "卡一"));
    HTREEITEM bo = Item(FindGroup(root, "波"));
    CRect rc, rt;
    Tree().GetItemRect(card, &rc, TRUE);
    Tree().GetItemRect(bo, &rt, TRUE);
    NMTREEVIEW nm{};
    nm.itemNew.hItem = card;
    nm.ptDrag = rc.CenterPoint();
    AfxSendNotify(&Tree(), &nm.hdr, TVN_BEGINDRAG);
    CTreeCtrlDragDropHelper& drag = view->GetDragHelper();
    ASSERT_TRUE(drag.IsDragging());
    drag.OnMessage(WM_MOUSEMOVE, 0, MAKELPARAM(rt.CenterPoint().x, rt.CenterPoint().y));
    EXPECT_EQ(Tree().GetDropHilightItem(), bo);
    EXPECT_EQ(drag.GetCursorState(), DRAG_CURSOR_NORMAL);
    Screenshot("group-tree-drop-highlight");
    drag.OnMessage(WM_LBUTTONUP, 0, MAKELPARAM(rt.CenterPoint().x, rt.CenterPoint().y));
    EXPECT_EQ(ChildNames(*FindGroup(root, "波")), std::vector<std::string>{"卡一"});
    EXPECT_TRUE(doc->IsModified());
    // Another window taking the mouse ends a drag of the tree.
    AfxSendNotify(&Tree(), &nm.hdr, TVN_BEGINDRAG);
    ASSERT_TRUE(drag.IsDragging());
    frame->SetCapture();
    EXPECT_FALSE(drag.IsDragging());
    ReleaseCapture();
    // The other view of a drop: a list asks the tree by message.
    GROUPDROPQUERY q;
    q.pt = rt.CenterPoint();
    EXPECT_EQ(view->SendMessage(WM_GROUPVIEW_DROPQUERY, 1, (LPARAM)&q), 1);
    EXPECT_EQ(q.hHit, bo);
}

TEST_F(GroupTreeViewTest, ClipboardCutCopyAndPaste) {
    CString a = WriteBook("甲簿", [](CTestFolder& root) {
        CTestFolder* x = Folder(&root, "阿");
        Card(x, "卡一");
        Folder(&root, "波");
    });
    CQuillmarBaseDoc* doc = view->OpenFile(a, FALSE);
    CGroup* root = view->GetRootGroup(doc);
    FocusTree();
    Tree().SelectItem(Item(FindGroup(root, "阿")));
    // Copy and cut act only while the tree has the focus.
    EXPECT_TRUE(Update(CGroupTreeView::ID_COPY).enabled);
    Run(CGroupTreeView::ID_CUT);
    EXPECT_EQ(FindGroup(root, "阿"), nullptr);
    EXPECT_TRUE(doc->IsModified());
    // Cut records keep no handle of the items that went.
    CGroup* cut = static_cast<CGroup*>(view->GetClipboard().GetHead());
    EXPECT_EQ(cut->GetTreeItem(), 0u);
    EXPECT_EQ(static_cast<CContent*>(cut->GetContentList().GetHead())->GetTreeItem(), 0u);

    Tree().SelectItem(Item(FindGroup(root, "波")));
    EXPECT_TRUE(Update(CGroupTreeView::ID_PASTE).enabled);
    Run(CGroupTreeView::ID_PASTE);
    EXPECT_EQ(FindGroup(root, "阿")->GetParent(), FindGroup(root, "波"));
    // The clipboard is empty now: a second paste is disabled.
    EXPECT_FALSE(Update(CGroupTreeView::ID_PASTE).enabled);

    // Cutting a whole file root moves its children out but leaves the file unmodified.
    doc->SetModifiedFlag(FALSE);
    Tree().SelectItem(view->GetFileAt(0)->hItem);
    Run(CGroupTreeView::ID_CUT);
    EXPECT_TRUE(root->IsEmpty());
    EXPECT_FALSE(doc->IsModified());
    EXPECT_EQ(Tree().GetChildItem(view->GetFileAt(0)->hItem), nullptr);
    EXPECT_EQ(view->GetClipboard().GetSubgroupCount(), 1);
}

TEST_F(GroupTreeViewTest, WhileALabelIsEditedTheClipboardKeysWorkOnItsText) {
    CString a = WriteBook("甲簿", [](CTestFolder& root) {
        Folder(&root, "阿");
        Card(&root, "卡一");
    });
    CQuillmarBaseDoc* doc = view->OpenFile(a, FALSE);
    CGroup* root = view->GetRootGroup(doc);
    FocusTree();
    Tree().SelectItem(Item(FindCard(root, "卡一")));
    Run(CGroupTreeView::ID_COPY);
    ASSERT_FALSE(view->IsClipboardEmpty());
    Tree().SelectItem(Item(FindGroup(root, "阿")));
    Run(CGroupTreeView::ID_RENAME);
    CEdit* edit = Tree().GetEditControl();
    ASSERT_NE(edit, nullptr);
    Run(CGroupTreeView::ID_PASTE);
    EXPECT_NE(Tree().GetEditControl(), nullptr);
    EXPECT_FALSE(view->IsClipboardEmpty());
    EXPECT_TRUE(FindGroup(root, "阿")->IsEmpty());
    // Del clears the selected text of the label, not the item.
    edit->SetWindowText("阿组");
    edit->SetSel(0, -1);
    Run(CGroupTreeView::ID_DELETE);
    CString text;
    edit->GetWindowText(text);
    EXPECT_EQ(text, "");
    EXPECT_NE(FindGroup(root, "阿"), nullptr);
    EXPECT_TRUE(Update(CGroupTreeView::ID_PASTE).enabled);
    Tree().EndEditLabelNow(TRUE);
    EXPECT_EQ(Tree().GetItemText(Item(FindGroup(root, "阿"))), "阿");
}

TEST_F(GroupTreeViewTest, DeleteSelectsTheNextUnlockedSiblingOrTheParent) {
    CString a = WriteBook("甲簿", [](CTestFolder& root) {
        Folder(&root, "阿");
        CTestFolder* locked = Folder(&root, "波");
        locked->SetPassword("p");
        locked->ModifyFlags(0, CGroup::FLAG_PASSWORD | CGroup::FLAG_LOCKED);
        Folder(&root, "次");
    });
    CQuillmarBaseDoc* doc = view->OpenFile(a, FALSE);
    CGroup* root = view->GetRootGroup(doc);
    FocusTree();
    Tree().SelectItem(Item(FindGroup(root, "阿")));
    answers = {IDYES};
    Run(CGroupTreeView::ID_DELETE);
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.back().text, "您真的要删除该项吗？");
    EXPECT_EQ(view->GetCurrentItem(), Item(FindGroup(root, "次")));
    answers = {IDYES};
    Run(CGroupTreeView::ID_DELETE);
    EXPECT_EQ(view->GetCurrentItem(), view->GetFileAt(0)->hItem);
    EXPECT_EQ(ChildNames(*root), std::vector<std::string>{"波"});
    EXPECT_TRUE(doc->IsModified());
    // A file root asks about closing.
    answers = {IDNO};
    Run(CGroupTreeView::ID_DELETE);
    EXPECT_EQ(shown.back().text, "即将关闭该文件。确定码？");
    EXPECT_EQ(view->GetFileCount(), 1);
}

TEST_F(GroupTreeViewTest, PasswordsLockAndUnlockGroups) {
    CString a = WriteStandardBook("通讯录");
    CQuillmarBaseDoc* doc = view->OpenFile(a, FALSE);
    CGroup* root = view->GetRootGroup(doc);
    Tree().Expand(view->GetFileAt(0)->hItem, TVE_EXPAND);
    HTREEITEM secret = Item(FindGroup(root, "私密"));
    // A wrong password keeps it locked and the selection where it was. (The file is selected
    // first: a tree that gets the focus back with nothing selected selects its first item.)
    Tree().SelectItem(view->GetFileAt(0)->hItem);
    HTREEITEM before = view->GetCurrentItem();
    ASSERT_NE(nullptr, before);
    onDialog = [](CDialog& d) {
        d.SetDlgItemText(1009, "错的");
        d.SendMessage(WM_COMMAND, IDOK);
    };
    Tree().SelectItem(secret);
    EXPECT_EQ(view->GetCurrentItem(), before);
    EXPECT_EQ(shown.back().text, "对不起，密码错误，您无权访问！");
    EXPECT_TRUE(FindGroup(root, "私密")->IsLocked());
    // The right one unlocks it (overlay 2) without marking the file.
    CString caption;
    onDialog = [&](CDialog& d) {
        d.GetWindowText(caption);
        d.SetDlgItemText(1009, "abc");
        d.SendMessage(WM_COMMAND, IDOK);
    };
    Tree().SelectItem(secret);
    EXPECT_EQ(caption, "输入口令[私密]");
    EXPECT_EQ(view->GetCurrentItem(), secret);
    EXPECT_FALSE(FindGroup(root, "私密")->IsLocked());
    EXPECT_EQ(Tree().GetItemState(secret, TVIS_OVERLAYMASK), INDEXTOOVERLAYMASK(2));
    EXPECT_FALSE(doc->IsModified());
    // Lock: collapsed, overlay 1, the parent selected.
    EXPECT_TRUE(Update(CGroupTreeView::ID_LOCK).enabled);
    Run(CGroupTreeView::ID_LOCK);
    EXPECT_TRUE(FindGroup(root, "私密")->IsLocked());
    EXPECT_EQ(Tree().GetItemState(secret, TVIS_OVERLAYMASK), INDEXTOOVERLAYMASK(1));
    EXPECT_EQ(view->GetCurrentItem(), view->GetFileAt(0)->hItem);
    // A new password on a group without one marks the file.
    Tree().SelectItem(Item(FindGroup(root, "空组")));
    onDialog = [](CDialog& d) {
        d.SetDlgItemText(1009, "new");
        d.SetDlgItemText(1007, "new");
        d.SendMessage(WM_COMMAND, IDOK);
    };
    Run(CGroupTreeView::ID_PASSWORD);
    EXPECT_TRUE(FindGroup(root, "空组")->GetFlags() & CGroup::FLAG_PASSWORD);
    EXPECT_TRUE(FindGroup(root, "空组")->CheckPassword("new"));
    EXPECT_EQ(Tree().GetItemState(Item(FindGroup(root, "空组")), TVIS_OVERLAYMASK),
              INDEXTOOVERLAYMASK(2));
    EXPECT_TRUE(doc->IsModified());
    Screenshot("group-tree-locks");
}

TEST_F(GroupTreeViewTest, TheContextMenuFollowsTheClickedKind) {
    CString a = WriteStandardBook("通讯录");
    CQuillmarBaseDoc* doc = view->OpenFile(a, FALSE);
    CGroup* root = view->GetRootGroup(doc);
    Tree().Expand(view->GetFileAt(0)->hItem, TVE_EXPAND);
    std::vector<UINT> firstItems;
    QImage groupMenu;
    AfxSetPopupMenuHook([&](HMENU hMenu, CWnd*, POINT, UINT) {
        CMenu* m = CMenu::FromHandle(hMenu);
        firstItems.push_back(m->GetMenuItemID(0));
        if (firstItems.size() == 2)
            groupMenu = AfxRenderPopupMenu(hMenu, view, 0);
        return 0u;
    });
    for (HTREEITEM h : {Item(FindCard(root, "自己")), Item(FindGroup(root, "家人")),
                        view->GetFileAt(0)->hItem, view->GetTopItem()}) {
        CRect rc;
        Tree().GetItemRect(h, &rc, TRUE);
        Tree().SendMessage(WM_RBUTTONDOWN, MK_RBUTTON,
                           MAKELPARAM(rc.CenterPoint().x, rc.CenterPoint().y));
    }
    // A locked group: nothing at all.
    CRect rc;
    Tree().GetItemRect(Item(FindGroup(root, "私密")), &rc, TRUE);
    Tree().SendMessage(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(rc.CenterPoint().x, rc.CenterPoint().y));
    AfxSetPopupMenuHook(nullptr);
    EXPECT_EQ(firstItems, (std::vector<UINT>{453, 456, 57603, 57600}));
    // The group's menu, over the tree with the group selected.
    Tree().SelectItem(Item(FindGroup(root, "家人")));
    CRect group;
    Tree().GetItemRect(Item(FindGroup(root, "家人")), &group, TRUE);
    Screenshot("group-tree-context-menu", &groupMenu, QPoint(group.CenterPoint().x, group.CenterPoint().y));
}

TEST_F(GroupTreeViewTest, ShiftF10AndTheMenuKeyShowTheSelectedItemsMenuAtTheItem) {
    CString a = WriteStandardBook("通讯录");
    CQuillmarBaseDoc* doc = view->OpenFile(a, FALSE);
    CGroup* root = view->GetRootGroup(doc);
    Tree().Expand(view->GetFileAt(0)->hItem, TVE_EXPAND);
    struct Shown {
        UINT first;
        CPoint at;
    };
    std::vector<Shown> shown;
    AfxSetPopupMenuHook([&](HMENU hMenu, CWnd*, POINT pt, UINT) {
        shown.push_back({CMenu::FromHandle(hMenu)->GetMenuItemID(0), pt});
        return 0u;
    });
    QWidget* keys = Tree().GetWidget();
    HTREEITEM family = Item(FindGroup(root, "家人"));
    Tree().SelectItem(family);
    QTest::keyClick(keys, Qt::Key_F10, Qt::ShiftModifier);
    Tree().SelectItem(Item(FindCard(root, "自己")));
    QTest::keyClick(keys, Qt::Key_Menu);
    // The right button still shows one menu, not a second one as well.
    CRect rc;
    Tree().GetItemRect(family, &rc, TRUE);
    Tree().SendMessage(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(rc.CenterPoint().x, rc.CenterPoint().y));
    AfxSetPopupMenuHook(nullptr);
    ASSERT_EQ(3u, shown.size());
    EXPECT_EQ(456u, shown[0].first);
    EXPECT_EQ(453u, shown[1].first);
    EXPECT_EQ(456u, shown[2].first);
    // The keyboard's menu opens at the item, on screen, not at the corner of the screen.
    CRect screenItem = rc;
    Tree().ClientToScreen(&screenItem);
    EXPECT_GE(shown[0].at.x, screenItem.left);
    EXPECT_LE(shown[0].at.x, screenItem.right);
    EXPECT_GE(shown[0].at.y, screenItem.top);
    EXPECT_LE(shown[0].at.y, screenItem.bottom + 1);
}

TEST_F(GroupTreeViewTest, CommandsFollowTheCurrentItemsKind) {
    CString a = WriteStandardBook("通讯录");
    CQuillmarBaseDoc* doc = view->OpenFile(a, FALSE);
    CGroup* root = view->GetRootGroup(doc);
    Tree().Expand(view->GetFileAt(0)->hItem, TVE_EXPAND);
    struct Row {
        HTREEITEM item;
        std::vector<UINT> on, off;
    } rows[] = {
        {view->GetTopItem(),
         {CGroupTreeView::ID_FILE_SAVE_ALL, CGroupTreeView::ID_FILE_CLOSE_ALL},
         {CGroupTreeView::ID_NEW_GROUP, CGroupTreeView::ID_MOVE_UP, CGroupTreeView::ID_FILE_CLOSE,
          CGroupTreeView::ID_RENAME}},
        {view->GetFileAt(0)->hItem,
         {CGroupTreeView::ID_OPEN_FOLDER, CGroupTreeView::ID_PASSWORD,
          CGroupTreeView::ID_FILE_CLOSE, CGroupTreeView::ID_MOVE_UP},
         {CGroupTreeView::ID_NEW_GROUP_AFTER, CGroupTreeView::ID_FILE_SAVE,
          CGroupTreeView::ID_LOCK}},
        {Item(FindGroup(root, "日记")),
         {CGroupTreeView::ID_NEW_GROUP_BEFORE, CGroupTreeView::ID_LOCK,
          CGroupTreeView::ID_RESORT_GROUPS},
         {CGroupTreeView::ID_NEW_CONTENT_AFTER, CGroupTreeView::ID_OPEN_FOLDER,
          CGroupTreeView::ID_PASTE}},
        {Item(FindCard(root, "自己")),
         {CGroupTreeView::ID_NEW_CONTENT_AFTER, CGroupTreeView::ID_RENAME},
         {CGroupTreeView::ID_COLLAPSE_ALL, CGroupTreeView::ID_PASSWORD}},
    };
    for (const Row& r : rows) {
        Tree().SelectItem(r.item);
        for (UINT id : r.on)
            EXPECT_TRUE(Update(id).enabled) << id << " on " << Tree().GetItemText(r.item);
        for (UINT id : r.off)
            EXPECT_FALSE(Update(id).enabled) << id << " on " << Tree().GetItemText(r.item);
    }
    // Busy: no command at all until idle again.
    view->SendMessage(WM_VIEW_BUSY, 100);
    EXPECT_FALSE(view->OnCmdMsg(CGroupTreeView::ID_FILE_NEW, CN_COMMAND, nullptr, nullptr));
    view->SendMessage(WM_VIEW_BUSY, 102);
    TestCmdUI ui = Update(CGroupTreeView::ID_FILE_NEW);
    EXPECT_TRUE(ui.m_bEnableChanged);
}

TEST_F(GroupTreeViewTest, NewGroupsAndCardsAreEditedInPlace) {
    Run(CGroupTreeView::ID_FILE_NEW);
    Tree().EndEditLabelNow(FALSE);
    CGroupTreeView::CFileInfo* info = view->GetFileAt(0);
    CGroup* root = view->GetRootGroup(info->pDoc);
    Tree().SelectItem(info->hItem);
    Run(CGroupTreeView::ID_NEW_GROUP);
    ASSERT_NE(Tree().GetEditControl(), nullptr);
    Tree().GetEditControl()->SetWindowText("朋友");
    Tree().EndEditLabelNow(FALSE);
    ASSERT_NE(FindGroup(root, "朋友"), nullptr);
    EXPECT_EQ(view->GetCurrentItem(), Item(FindGroup(root, "朋友")));
    // A cancelled new card still gets the default name.
    Run(CGroupTreeView::ID_NEW_CONTENT);
    Tree().EndEditLabelNow(TRUE);
    EXPECT_EQ(ChildNames(*FindGroup(root, "朋友")), std::vector<std::string>{"新卡片"});
    // A card inserted after the current card.
    Tree().SelectItem(Item(FindCard(root, "新卡片")));
    Run(CGroupTreeView::ID_NEW_CONTENT_AFTER);
    Tree().GetEditControl()->SetWindowText("阿");
    Tree().EndEditLabelNow(FALSE);
    EXPECT_EQ(ChildNames(*FindGroup(root, "朋友")), (std::vector<std::string>{"新卡片", "阿"}));
    // Rename re-sorts.
    Tree().SelectItem(Item(FindCard(root, "阿")));
    Run(CGroupTreeView::ID_RENAME);
    Tree().GetEditControl()->SetWindowText("啊");
    Tree().EndEditLabelNow(FALSE);
    EXPECT_EQ(ChildNames(*FindGroup(root, "朋友")), (std::vector<std::string>{"啊", "新卡片"}));
    EXPECT_TRUE(FrameTitle().Find("（已修改）") >= 0);
}

namespace {

// A list of the right pane that answers the tree's drop query with the tree item of its group.
class ListStandIn : public CView {
public:
    HTREEITEM groupItem = nullptr;
    int queries = 0;
    void OnDraw(CDC*) override {}
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_GROUPVIEW_DROPQUERY) {
            ++queries;
            auto* q = reinterpret_cast<GROUPDROPQUERY*>(lParam);
            q->hHit = groupItem;
            return wParam != 0 ? (LRESULT)groupItem : 0;
        }
        return CView::WindowProc(message, wParam, lParam);
    }
};

} // namespace

TEST_F(GroupTreeViewTest, ADragLeavingTheTreeDropsOnTheGroupListOfThePane) {
    CString a = WriteBook("甲簿", [](CTestFolder& root) {
        Folder(&root, "阿");
        Card(&root, "卡一");
    });
    CQuillmarBaseDoc* doc = view->OpenFile(a, FALSE);
    CGroup* root = view->GetRootGroup(doc);
    auto* list = new ListStandIn;
    ASSERT_TRUE(list->Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(200, 0, 340, 380), frame,
                             AFX_IDW_PANE_FIRST + 1, nullptr));
    list->groupItem = Item(FindGroup(root, "阿"));
    pane.current = list;
    HWND hWnd = nullptr;
    DRAGITEM target = 0;
    // A point of the list in the tree's client coordinates.
    CPoint pt(20, 20);
    list->ClientToScreen(&pt);
    Tree().ScreenToClient(&pt);
    HTREEITEM card = Item(FindCard(root, "卡一"));
    EXPECT_TRUE(view->DropOnListView(card, pt.x, pt.y, 0, TRUE, hWnd, target, FALSE));
    EXPECT_EQ(hWnd, list->m_hWnd);
    EXPECT_EQ(target, (DRAGITEM)list->groupItem);
    EXPECT_TRUE(view->DropOnListView(card, pt.x, pt.y, 0, FALSE, hWnd, target, FALSE));
    EXPECT_EQ(ChildNames(*FindGroup(root, "阿")), std::vector<std::string>{"卡一"});
    // Outside the list: nothing is asked.
    int asked = list->queries;
    EXPECT_FALSE(view->DropOnListView(card, -500, -500, 0, TRUE, hWnd, target, FALSE));
    EXPECT_EQ(list->queries, asked);
    pane.current = nullptr;
    list->DestroyWindow();
}

TEST_F(GroupTreeViewTest, SaveAllWritesModifiedFilesAndCloseAllAsksFirst) {
    CString a = WriteBook("甲簿", [](CTestFolder& root) { Card(&root, "卡一"); });
    CString b = WriteBook("乙簿", [](CTestFolder& root) { Card(&root, "卡二"); });
    CQuillmarBaseDoc* docA = view->OpenFile(a, FALSE);
    CQuillmarBaseDoc* docB = view->OpenFile(b, FALSE);
    Card(view->GetRootGroup(docB), "卡三");
    docB->SetModifiedFlag(TRUE);
    EXPECT_TRUE(Update(CGroupTreeView::ID_FILE_SAVE_ALL).enabled);
    Run(CGroupTreeView::ID_FILE_SAVE_ALL);
    EXPECT_FALSE(docA->IsModified());
    EXPECT_FALSE(docB->IsModified());
    CTestBookDoc reread;
    ASSERT_TRUE(reread.OnOpenDocument(b));
    EXPECT_EQ(ChildNames(reread.m_root), (std::vector<std::string>{"卡二", "卡三"}));

    // No: nothing closes. Yes: all close, none asked about saving (none modified).
    answers = {IDNO};
    Run(CGroupTreeView::ID_FILE_CLOSE_ALL);
    EXPECT_EQ(shown.back().text, "您真的想关闭所有已打开的测试卡片文件吗？");
    EXPECT_EQ(shown.back().caption, "关闭全部文件");
    EXPECT_EQ(view->GetFileCount(), 2);
    answers = {IDYES};
    size_t before = shown.size();
    Run(CGroupTreeView::ID_FILE_CLOSE_ALL);
    EXPECT_EQ(view->GetFileCount(), 0);
    EXPECT_EQ(shown.size(), before + 1);
    EXPECT_FALSE(Update(CGroupTreeView::ID_FILE_CLOSE_ALL).enabled);
    EXPECT_EQ(view->GetCurrentItem(), view->GetTopItem());
}

TEST_F(GroupTreeViewTest, AMouseDragMovesACardIntoAGroup) {
    CString a = WriteBook("甲簿", [](CTestFolder& root) {
        Folder(&root, "阿");
        Card(&root, "卡一");
    });
    CQuillmarBaseDoc* doc = view->OpenFile(a, FALSE);
    CGroup* root = view->GetRootGroup(doc);
    Tree().Expand(view->GetFileAt(0)->hItem, TVE_EXPAND);
    FocusTree();
    CRect from, to;
    Tree().GetItemRect(Item(FindCard(root, "卡一")), &from, TRUE);
    Tree().GetItemRect(Item(FindGroup(root, "阿")), &to, TRUE);
    QWidget* w = Tree().GetWidget();
    auto send = [&](QEvent::Type type, CPoint pt, Qt::MouseButtons buttons) {
        QPointF local(pt.x, pt.y);
        QMouseEvent e(type, local, w->mapToGlobal(local), Qt::LeftButton, buttons,
                      Qt::NoModifier);
        QCoreApplication::sendEvent(w, &e);
    };
    send(QEvent::MouseButtonPress, from.CenterPoint(), Qt::LeftButton);
    send(QEvent::MouseMove, from.CenterPoint() + CPoint(0, -8), Qt::LeftButton);
    ASSERT_TRUE(view->GetDragHelper().IsDragging());
    send(QEvent::MouseMove, to.CenterPoint(), Qt::LeftButton);
    EXPECT_EQ(Tree().GetDropHilightItem(), Item(FindGroup(root, "阿")));
    send(QEvent::MouseButtonRelease, to.CenterPoint(), Qt::NoButton);
    EXPECT_FALSE(view->GetDragHelper().IsDragging());
    EXPECT_EQ(ChildNames(*FindGroup(root, "阿")), std::vector<std::string>{"卡一"});
}

TEST_F(GroupTreeViewTest, AFileRootDroppedIntoAnotherFileBecomesAGroupThere) {
    CString a = WriteBook("甲簿", [](CTestFolder& root) { Folder(&root, "阿"); });
    CString b = WriteBook("乙簿", [](CTestFolder& root) {
        CTestFolder* x = Folder(&root, "波");
        Card(x, "卡一");
        Card(&root, "卡二");
    });
    CQuillmarBaseDoc* docA = view->OpenFile(a, FALSE);
    CQuillmarBaseDoc* docB = view->OpenFile(b, FALSE);
    CGroup* rootA = view->GetRootGroup(docA);
    CGroup* rootB = view->GetRootGroup(docB);
    HTREEITEM hB = view->GetFileAt(1)->hItem;
    // Not into itself or below.
    EXPECT_FALSE(view->DoDrop(hB, Item(FindGroup(rootB, "波")), 0, TRUE, FALSE, nullptr));
    EXPECT_TRUE(view->DoDrop(hB, Item(FindGroup(rootA, "阿")), 0, FALSE, FALSE, nullptr));
    // The file stays open, empty, with its root picture; its children live in a new group.
    EXPECT_EQ(view->GetFileCount(), 2);
    EXPECT_TRUE(rootB->IsEmpty());
    EXPECT_EQ(Tree().GetChildItem(hB), nullptr);
    int image = -1, sel = -1;
    Tree().GetItemImage(hB, image, sel);
    EXPECT_EQ(image, kFileImage);
    CGroup* moved = FindGroup(rootA, "乙簿");
    ASSERT_NE(moved, nullptr);
    EXPECT_EQ(moved->GetParent(), FindGroup(rootA, "阿"));
    EXPECT_EQ(ChildNames(*moved), (std::vector<std::string>{"波", "卡二"}));
    EXPECT_TRUE(docA->IsModified());
    EXPECT_TRUE(docB->IsModified());
}

TEST_F(GroupTreeViewTest, MessagesAndFileLookupsOfOtherViews) {
    CString a = WriteBook("甲簿", [](CTestFolder& root) { Card(&root, "卡一"); });
    CString b = WriteBook("乙簿", [](CTestFolder&) {});
    CString c = WriteBook("丙簿", [](CTestFolder&) {});
    CQuillmarBaseDoc* docA = view->OpenFile(a, FALSE);
    CQuillmarBaseDoc* docB = view->OpenFile(b, FALSE);
    CQuillmarBaseDoc* docC = view->OpenFile(c, FALSE);
    CGroup* rootA = view->GetRootGroup(docA);
    // Another view selects an item by message; 0 means the top item.
    HTREEITEM card = Item(FindCard(rootA, "卡一"));
    view->SendMessage(WM_GROUPVIEW_SELECTITEM, 0, (LPARAM)card);
    EXPECT_EQ(view->GetCurrentItem(), card);
    EXPECT_EQ(docA->GetCurrentObject(), FindCard(rootA, "卡一"));
    view->SendMessage(WM_GROUPVIEW_SETTEXT, 0, (LPARAM) "新名字");
    EXPECT_EQ(Tree().GetItemText(card), "新名字");
    Run(CGroupTreeView::ID_MOVE_UP);
    EXPECT_EQ(view->GetCurrentItem(), view->GetFileAt(0)->hItem);
    view->SendMessage(WM_GROUPVIEW_SELECTITEM, 0, 0);
    EXPECT_EQ(view->GetCurrentItem(), view->GetTopItem());

    EXPECT_TRUE(view->SelectFileByIndex(2));
    EXPECT_EQ(view->GetCurrentDocument(), docC);
    EXPECT_FALSE(view->SelectFileByIndex(3));
    EXPECT_FALSE(view->SelectFileByIndex(-1));
    EXPECT_EQ(view->FindDocumentOfGroup(view->GetRootGroup(docB)), docB);
    CStringList names;
    EXPECT_EQ(view->GetOpenFiles(names, FALSE), 3);
    EXPECT_EQ(names.GetHead(), "甲簿");
    // The next file that is not locked, wrapping round.
    view->GetRootGroup(docA)->SetPassword("p");
    view->GetRootGroup(docA)->ModifyFlags(0, CGroup::FLAG_PASSWORD | CGroup::FLAG_LOCKED);
    EXPECT_EQ(view->FindNextUnlockedFile(view->GetFileAt(2)), view->GetFileAt(1));
    EXPECT_EQ(view->FindNextUnlockedFile(view->GetFileAt(1)), view->GetFileAt(2));

    // A record form confirmed its edit: the renamed record goes to its sorted place.
    Card(view->GetRootGroup(docB), "甲");
    Card(view->GetRootGroup(docB), "乙");
    HTREEITEM hB = view->GetFileAt(1)->hItem;
    view->GetGroupHelper().InsertChildren(hB, view->GetRootGroup(docB), TVI_LAST, 3);
    CContent* first = FindCard(view->GetRootGroup(docB), "甲");
    Tree().SelectItem(Item(first));
    first->SetName("赵");
    view->SendMessage(WM_VIEW_BUSY, 102, 32821);
    EXPECT_EQ(ChildNames(*view->GetRootGroup(docB)), (std::vector<std::string>{"乙", "赵"}));
    EXPECT_EQ(view->GetCurrentItem(), Item(first));
}
