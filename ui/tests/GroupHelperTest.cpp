#include "core/tests/GroupTestRecords.h"
#include "platform/gui/CommCtrl.h"
#include "platform/gui/tests/GuiTestSupport.h"
#include "ui/GroupHelper.h"

#include <string>
#include <vector>

namespace {

// Records the listener calls as text.
class RecordingManager : public CIGroupManager {
public:
    std::vector<std::string> calls;
    CString hidden; // a group of this name is kept out of the tree
    void OnContentItemBuilt(HTREEITEM, CContent* c) override { calls.push_back("content " + Str(c)); }
    void OnContentCreated(CContent* c) override { calls.push_back("created " + Str(c)); }
    void OnGroupItemBuilt(HTREEITEM, CGroup* g) override { calls.push_back("group " + Str(g)); }
    void OnBeforeMove(HTREEITEM, HTREEITEM) override { calls.push_back("move"); }
    void OnBeforeDelete(HTREEITEM) override { calls.push_back("delete"); }
    BOOL CanShowGroup(CGroup* g) override { return g->GetName() != hidden; }
    static std::string Str(CGroupItem* n) { return n->GetName().GetString(); }
};

// The tree's parent: hands label edits to the helper as a tree view does, and keeps what the
// delete notifications carried.
class HelperHost : public CWnd {
public:
    CGroupHelper* helper = nullptr;
    CTreeCtrl* tree = nullptr;
    HTREEITEM pendingParent = nullptr;
    HTREEITEM lastEnded = nullptr;
    std::vector<LPARAM> deletedData;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override {
        auto* hdr = reinterpret_cast<NMHDR*>(lParam);
        if (hdr->code == TVN_DELETEITEM) {
            deletedData.push_back(reinterpret_cast<NMTREEVIEW*>(lParam)->itemOld.lParam);
        } else if (hdr->code == TVN_BEGINLABELEDIT) {
            *pResult = !helper->BeginRename(reinterpret_cast<NMTVDISPINFO*>(lParam)->item.hItem);
            return TRUE;
        } else if (hdr->code == TVN_ENDLABELEDIT) {
            auto* di = reinterpret_cast<NMTVDISPINFO*>(lParam);
            if (di->item.pszText != nullptr && di->item.pszText[0] != 0)
                tree->SetItemText(di->item.hItem, di->item.pszText);
            lastEnded = helper->EndLabelEdit(pendingParent, di->item.hItem);
            *pResult = 0;
            return TRUE;
        }
        return CWnd::OnNotify(wParam, lParam, pResult);
    }
};

enum { kGroupImage = 0, kEmptyGroupImage = 1, kContentImage = 2, kContentSelImage = 3 };

class GroupHelperTest : public GuiTest {
protected:
    HelperHost host;
    CTreeCtrl tree;
    CGroupHelper helper;
    RecordingManager manager;
    CTestFolder root{"根"};
    HTREEITEM hRoot = nullptr;

    void SetUp() override {
        ASSERT_TRUE(host.CreateEx(0, nullptr, "host", WS_POPUP | WS_VISIBLE,
                                  CRect(0, 0, 240, 300), nullptr, 0));
        ASSERT_TRUE(tree.Create(WS_CHILD | WS_VISIBLE | TVS_HASLINES | TVS_HASBUTTONS,
                                CRect(0, 0, 240, 300), &host, 1));
        host.helper = &helper;
        host.tree = &tree;
        helper.Attach(&tree);
        helper.SetRuntimeClasses(RUNTIME_CLASS(CTestFolder), RUNTIME_CLASS(CTestCard));
        helper.m_strDefaultGroupName = "新组";
        helper.m_strDefaultContentName = "新卡片";
        helper.m_pListener = &manager;
        // An empty group shows another picture: images follow the records.
        helper.m_imageCallback = [](CObject* rec, int kind, int* image, int* sel) {
            if (rec != nullptr && rec->IsKindOf(RUNTIME_CLASS(CGroup)))
                *image = *sel = static_cast<CGroup*>(rec)->IsEmpty() ? kEmptyGroupImage
                                                                      : kGroupImage;
            else if (rec == nullptr && kind == 1)
                *image = *sel = kEmptyGroupImage;
            else {
                *image = kContentImage;
                *sel = kContentSelImage;
            }
        };
    }
    void TearDown() override {
        tree.DestroyWindow();
        host.DestroyWindow();
    }
    CTestFolder* Folder(CGroup* parent, const char* name) {
        auto* g = new CTestFolder(name);
        parent->AddSubgroup(g, FALSE);
        return g;
    }
    CTestCard* Card(CGroup* parent, const char* name) {
        auto* c = new CTestCard(name);
        parent->AddContent(c, FALSE);
        return c;
    }
    void Build() { hRoot = helper.InsertGroupItem(TVI_ROOT, &root, TVI_LAST, 3); }
    static HTREEITEM Item(CGroupItem* n) { return (HTREEITEM)n->GetTreeItem(); }
    std::vector<std::string> ItemTexts(HTREEITEM parent) {
        std::vector<std::string> out;
        for (HTREEITEM h = tree.GetChildItem(parent); h; h = tree.GetNextSiblingItem(h))
            out.push_back(tree.GetItemText(h).GetString());
        return out;
    }
    // The items below a group mirror its lists (sub-groups first), and every item and record
    // point at each other.
    void ExpectMirrors(CGroup* g, HTREEITEM h) {
        SCOPED_TRACE(g->GetName().GetString());
        EXPECT_EQ(Item(g), h);
        EXPECT_EQ(tree.GetItemData(h), (DWORD_PTR) static_cast<CObject*>(g));
        EXPECT_EQ(ItemTexts(h), ChildNames(*g));
        HTREEITEM child = tree.GetChildItem(h);
        for (POSITION p = g->GetFirstSubgroupPosition(); p && child;
             child = tree.GetNextSiblingItem(child))
            ExpectMirrors(g->GetNextSubgroup(p), child);
        for (POSITION p = g->GetFirstContentPosition(); p && child;
             child = tree.GetNextSiblingItem(child)) {
            CContent* c = g->GetNextContent(p);
            EXPECT_EQ(Item(c), child);
            EXPECT_EQ(tree.GetItemData(child), (DWORD_PTR) static_cast<CObject*>(c));
        }
    }
    // No record of the tree names an item that is gone.
    void ExpectNoDeadBindings(CGroup* g) {
        if (Item(g) != nullptr) {
            EXPECT_TRUE(tree.IsValidItem(Item(g))) << g->GetName().GetString();
        }
        for (POSITION p = g->GetFirstSubgroupPosition(); p;)
            ExpectNoDeadBindings(g->GetNextSubgroup(p));
        for (POSITION p = g->GetFirstContentPosition(); p;) {
            CContent* c = g->GetNextContent(p);
            if (Item(c) != nullptr) {
                EXPECT_TRUE(tree.IsValidItem(Item(c))) << c->GetName().GetString();
            }
        }
    }
};

} // namespace

TEST_F(GroupHelperTest, BuildsItemsInListOrderWithImagesOverlaysAndListenerCalls) {
    CTestFolder* work = Folder(&root, "工作");
    Card(work, "张三");
    CTestFolder* secret = Folder(&root, "私人");
    secret->SetPassword("abc");
    secret->ModifyFlags(0, CGroup::FLAG_PASSWORD | CGroup::FLAG_LOCKED | 0x400);
    Card(secret, "李四");
    CTestFolder* hidden = Folder(&root, "隐藏");
    Card(hidden, "王五");
    Card(&root, "赵六");
    manager.hidden = "隐藏";
    helper.m_nLockedOverlay = 1;
    helper.m_nPasswordOverlay = 2;
    Build();

    // The hidden group and its card get no items; everything else mirrors the records.
    EXPECT_EQ(ItemTexts(hRoot), (std::vector<std::string>{"工作", "私人", "赵六"}));
    EXPECT_EQ(Item(hidden), nullptr);
    EXPECT_EQ(Item(static_cast<CContent*>(hidden->GetContentList().GetHead())), nullptr);
    EXPECT_EQ(ItemTexts(Item(work)), std::vector<std::string>{"张三"});
    EXPECT_EQ(manager.calls, (std::vector<std::string>{"group 根", "group 工作", "content 张三",
                                                       "group 私人", "content 李四",
                                                       "content 赵六"}));
    EXPECT_EQ(tree.GetItemState(Item(secret), TVIS_OVERLAYMASK), INDEXTOOVERLAYMASK(1));
    EXPECT_TRUE(tree.GetItemState(Item(secret), TVIS_EXPANDED) & TVIS_EXPANDED);
    secret->ModifyFlags(CGroup::FLAG_LOCKED, 0);
    HTREEITEM again = helper.ResortItem(Item(secret));
    EXPECT_EQ(tree.GetItemState(again, TVIS_OVERLAYMASK), INDEXTOOVERLAYMASK(2));
    int image = -1, sel = -1;
    tree.GetItemImage(Item(work), image, sel);
    EXPECT_EQ(image, kGroupImage);
    CContent* zhao = static_cast<CContent*>(root.GetContentList().GetTail());
    tree.GetItemImage(Item(zhao), image, sel);
    EXPECT_EQ(image, kContentImage);
    EXPECT_EQ(sel, kContentSelImage);
    EXPECT_EQ(helper.GetItemKind(Item(work)), 1);
    EXPECT_EQ(helper.GetItemKind(Item(zhao)), 2);
    EXPECT_EQ(helper.GetItemKind(nullptr), 0);
    EXPECT_EQ(FindGroupChildByItem(&root, 1, Item(secret)), root.Find(secret));
    EXPECT_EQ(FindGroupChildByItem(&root, 2, Item(secret)), nullptr);
}

TEST_F(GroupHelperTest, NewRecordNamesTakeTheFirstFreeNumber) {
    struct Row {
        std::vector<const char*> groups, contents;
        bool newGroup;
        const char* expected;
    } rows[] = {
        {{}, {}, true, "新组"},
        {{"新组", "新组1", "新组2"}, {"新组5"}, true, "新组3"},
        {{"新卡片"}, {}, false, "新卡片"},
        {{}, {"新卡片", "新卡片2"}, false, "新卡片1"},
    };
    for (const Row& r : rows) {
        root.RemoveAll();
        tree.DeleteAllItems();
        for (const char* n : r.groups)
            Folder(&root, n);
        for (const char* n : r.contents)
            Card(&root, n);
        Build();
        host.pendingParent = hRoot;
        HTREEITEM temp = r.newGroup ? helper.NewGroup(TRUE, hRoot) : helper.NewContent(TRUE, hRoot);
        ASSERT_NE(temp, nullptr);
        EXPECT_EQ(tree.GetItemText(temp), r.expected);
        EXPECT_NE(tree.GetEditControl(), nullptr);
        // Cancelling still creates the record, with the proposed name.
        tree.EndEditLabelNow(TRUE);
        ASSERT_NE(host.lastEnded, nullptr);
        EXPECT_EQ(tree.GetItemText(host.lastEnded), r.expected);
        EXPECT_EQ(tree.GetSelectedItem(), host.lastEnded);
        EXPECT_FALSE(helper.IsEditing());
        ExpectMirrors(&root, hRoot);
    }
}

TEST_F(GroupHelperTest, NamesRunOutAtAThousandTries) {
    Folder(&root, "新组");
    for (int i = 1; i <= 1000; ++i) {
        CString name;
        name.Format("新组%d", i);
        Folder(&root, name);
    }
    Build();
    HTREEITEM temp = helper.NewGroup(TRUE, hRoot);
    EXPECT_EQ(tree.GetItemText(temp), "新组1000");
    tree.EndEditLabelNow(FALSE);
}

TEST_F(GroupHelperTest, NewRecordsLandBeforeOrAfterTheReferenceItem) {
    Folder(&root, "甲");
    CTestFolder* b = Folder(&root, "乙");
    Folder(&root, "丙");
    Card(&root, "一");
    CTestCard* two = Card(&root, "二");
    Build();
    host.pendingParent = hRoot;

    helper.SetReferenceItem(Item(b));
    helper.NewGroup(TRUE, hRoot, FALSE, nullptr, FALSE);
    tree.GetEditControl()->SetWindowText("前");
    tree.EndEditLabelNow(FALSE);
    helper.SetReferenceItem(Item(b));
    helper.NewGroup(TRUE, hRoot, FALSE, nullptr, TRUE);
    tree.GetEditControl()->SetWindowText("后");
    tree.EndEditLabelNow(FALSE);
    helper.SetReferenceItem(Item(two));
    helper.NewContent(TRUE, hRoot, FALSE, nullptr, FALSE);
    tree.GetEditControl()->SetWindowText("新");
    tree.EndEditLabelNow(FALSE);

    EXPECT_EQ(ChildNames(root),
              (std::vector<std::string>{"甲", "前", "乙", "后", "丙", "一", "新", "二"}));
    ExpectMirrors(&root, hRoot);
    EXPECT_EQ(manager.calls.back(), "content 新");
    EXPECT_NE(std::find(manager.calls.begin(), manager.calls.end(), "created 新"),
              manager.calls.end());
}

TEST_F(GroupHelperTest, RenameKeepsOrResortsAndIgnoresTheSameName) {
    CTestFolder* a = Folder(&root, "阿");
    Folder(&root, "波");
    CTestCard* card = Card(a, "张三");
    Build();
    // The same name changes nothing.
    EXPECT_EQ(helper.RenameContent(Item(card), FALSE), nullptr);
    // A new name without re-sorting keeps the item where it is.
    HTREEITEM h = Item(a);
    tree.SetItemText(h, "左");
    EXPECT_EQ(helper.RenameGroup(h, FALSE, FALSE), h);
    EXPECT_EQ(ChildNames(root), (std::vector<std::string>{"左", "波"}));
    // Re-sorting moves it (with its children) to its place.
    tree.SetItemText(Item(a), "佐");
    HTREEITEM moved = helper.RenameGroup(Item(a), FALSE, TRUE);
    EXPECT_EQ(moved, Item(a));
    EXPECT_EQ(ChildNames(root), (std::vector<std::string>{"波", "佐"}));
    EXPECT_EQ(tree.GetSelectedItem(), moved);
    ExpectMirrors(&root, hRoot);
    ExpectNoDeadBindings(&root);
    // The tree starts an edit by itself: groups and contents only.
    EXPECT_TRUE(helper.BeginRename(Item(card)));
    EXPECT_EQ(helper.GetEditMode(), CGroupHelper::EditRenameContent);
    helper.EndLabelEdit(nullptr, Item(card));
    HTREEITEM plain = tree.InsertItem("no record", hRoot);
    EXPECT_FALSE(helper.BeginRename(plain));
}

TEST_F(GroupHelperTest, MovesAndCopiesKeepTreeAndRecordsInStep) {
    CTestFolder* a = Folder(&root, "甲");
    CTestFolder* b = Folder(&root, "乙");
    CTestCard* only = Card(a, "张三");
    Folder(b, "丙");
    Build();
    tree.Expand(Item(b), TVE_EXPAND);

    // Moving the only child out: the old group's picture follows it being empty.
    tree.Select(Item(only), TVGN_CARET);
    HTREEITEM h = Item(only);
    ASSERT_TRUE(helper.MoveItem(h, Item(b), TRUE, nullptr, TRUE));
    int image = -1, sel = -1;
    tree.GetItemImage(Item(a), image, sel);
    EXPECT_EQ(image, kEmptyGroupImage);
    EXPECT_EQ(h, Item(only));
    EXPECT_EQ(tree.GetSelectedItem(), h);
    EXPECT_EQ(manager.calls.back(), "content 张三");

    // A copy into the empty group leaves it collapsed with a working expand button.
    tree.SetItemState(Item(a), TVIS_EXPANDEDONCE, TVIS_EXPANDEDONCE);
    HTREEITEM copy = helper.CopyItem(Item(b), Item(a), TRUE, nullptr, TRUE, FALSE);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(tree.GetItemState(Item(a), TVIS_EXPANDED | TVIS_EXPANDEDONCE), 0u);
    EXPECT_EQ(ChildNames(*a), std::vector<std::string>{"乙"});
    EXPECT_NE(a->GetHead(), b);
    ExpectMirrors(&root, hRoot);

    // A content copied onto a content lands in that content's group, here before it.
    HTREEITEM c2 = helper.CopyItem(Item(only), Item(only), FALSE,
                                   b->GetContentList().Find(only), FALSE, FALSE);
    ASSERT_NE(c2, nullptr);
    EXPECT_EQ(ChildNames(*b), (std::vector<std::string>{"丙", "张三", "张三"}));
    ExpectMirrors(&root, hRoot);
    ExpectNoDeadBindings(&root);
}

TEST_F(GroupHelperTest, RefusesToMoveAGroupIntoItselfOrBelowIt) {
    CTestFolder* a = Folder(&root, "甲");
    CTestFolder* inner = Folder(a, "乙");
    CTestFolder* deep = Folder(inner, "丙");
    Card(deep, "张三");
    Build();
    for (CGroup* target : std::vector<CGroup*>{a, inner, deep}) {
        HTREEITEM h = Item(a);
        EXPECT_FALSE(helper.MoveItem(h, Item(target), TRUE, nullptr, TRUE));
        EXPECT_EQ(h, nullptr);
        EXPECT_EQ(a->GetParent(), &root);
        ExpectMirrors(&root, hRoot);
    }
    EXPECT_FALSE(helper.AddObjectToGroup(a, deep, TRUE));
    // A content placed relative to itself stays where it is.
    CContent* card = static_cast<CContent*>(deep->GetContentList().GetHead());
    HTREEITEM h = Item(card);
    EXPECT_FALSE(helper.MoveItem(h, Item(card), FALSE, deep->GetContentList().Find(card), FALSE));
    EXPECT_EQ(ChildNames(*deep), std::vector<std::string>{"张三"});
    ExpectMirrors(&root, hRoot);
}

TEST_F(GroupHelperTest, DeletesLeaveNoBindingAndNoNotificationWithADeadRecord) {
    CTestFolder* a = Folder(&root, "甲");
    Folder(a, "乙");
    Card(a, "张三");
    CTestCard* last = Card(&root, "李四");
    Build();
    host.deletedData.clear();
    EXPECT_TRUE(helper.DeleteItem(Item(a)));
    EXPECT_EQ(host.deletedData.size(), 3u);
    for (LPARAM data : host.deletedData)
        EXPECT_EQ(data, 0);
    EXPECT_EQ(manager.calls.back(), "delete");
    EXPECT_EQ(ChildNames(root), std::vector<std::string>{"李四"});
    EXPECT_TRUE(helper.DeleteItem(Item(last)));
    EXPECT_TRUE(root.IsEmpty());
    int image = -1, sel = -1;
    tree.GetItemImage(hRoot, image, sel);
    EXPECT_EQ(image, kEmptyGroupImage);
}

TEST_F(GroupHelperTest, ResortPutsOutOfOrderChildrenBack) {
    for (const char* n : {"乙", "甲", "丙"})
        Folder(&root, n);
    for (const char* n : {"a", "c", "b", "d"})
        Card(&root, n);
    Build();
    EXPECT_EQ(helper.ResortSubgroups(&root), 2);
    EXPECT_EQ(helper.ResortContents(&root), 1);
    EXPECT_EQ(ChildNames(root), (std::vector<std::string>{"丙", "甲", "乙", "a", "b", "c", "d"}));
    ExpectMirrors(&root, hRoot);
    EXPECT_EQ(helper.ResortContents(&root), 0);
}

TEST_F(GroupHelperTest, MovesAClipboardsChildrenAndCollapsesAll) {
    CTestFolder clip{""};
    Folder(&clip, "乙");
    Card(&clip, "卡");
    CTestFolder* target = Folder(&root, "甲");
    Build();
    helper.MoveChildren(target, &clip);
    EXPECT_TRUE(clip.IsEmpty());
    EXPECT_EQ(ChildNames(*target), (std::vector<std::string>{"乙", "卡"}));
    ExpectMirrors(&root, hRoot);
    EXPECT_EQ(tree.GetItemState(Item(target), TVIS_EXPANDEDONCE), 0u);

    tree.Expand(hRoot, TVE_EXPAND);
    tree.Expand(Item(target), TVE_EXPAND);
    helper.CollapseAll(hRoot);
    EXPECT_EQ(tree.GetItemState(hRoot, TVIS_EXPANDED), 0u);
    EXPECT_EQ(tree.GetItemState(Item(target), TVIS_EXPANDED), 0u);

    CObject* clone = helper.CloneObjectInto(target, &clip, TRUE);
    ASSERT_NE(clone, nullptr);
    EXPECT_EQ(ChildNames(*static_cast<CGroup*>(clone)), (std::vector<std::string>{"乙", "卡"}));
    EXPECT_EQ(static_cast<CGroup*>(clone)->GetTreeItem(), 0u);
}
