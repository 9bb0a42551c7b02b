#include "platform/base/ModuleDir.h"
#include "platform/gui/Frame.h"
#include "platform/gui/Menu.h"
#include "platform/gui/MessageBox.h"
#include "platform/gui/tests/GuiTestSupport.h"
#include "ui/GroupListView.h"
#include "ui/tests/CardTreeView.h"
#include "ui/tests/TreeViewFixture.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <string>
#include <vector>

namespace {

// The list of the card tree: the group current in its tree view.
class CCardListView : public CGroupListView {
public:
    explicit CCardListView(const char* bkImage) {
        m_nGroupImage = kGroupImage;
        m_nContentImage = kCardImage;
        m_nContextMenuId = 9200;
        m_nContextMenuPos = 0;
        m_strDefaultBkImage = bkImage;
    }
    // A content row focused as it is inserted, as a list marking the open card would.
    int m_nFocusOnInsert = -1;

    void InitView() override {
        MakeCardImages(m_smallImages, 16);
        MakeCardImages(m_normalImages, 32);
        List().InsertColumn(0, "名称", LVCFMT_LEFT, 160);
    }
    CGroup* GetGroup() override {
        CGroupTreeView* pTree = GetTreeView();
        return pTree != nullptr ? pTree->GetGroupOfItem(pTree->GetCurrentItem()) : nullptr;
    }
    void InsertContentItem(CContent* pContent) override {
        CGroupListView::InsertContentItem(pContent);
        int row = List().GetItemCount() - 1;
        if (row == m_nFocusOnInsert)
            List().SetItemState(row, LVIS_FOCUSED, LVIS_FOCUSED);
    }
    using CGroupListView::List;
};

// A file of the program folder (name in GBK, as every text of the program).
QString ProgramFile(const char* name) {
    return QString::fromStdString(GetProgramFolderPath().string()) + "/" + AfxToQt(name);
}

// Writes the default background image into the program folder (once per name).
void WriteBackground(const char* name) {
    QString path = ProgramFile(name);
    if (QFile::exists(path))
        return;
    QImage img(48, 48, QImage::Format_RGB32);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 48; ++x)
            img.setPixelColor(x, y, ((x / 24) + (y / 24)) % 2 ? QColor(226, 238, 250)
                                                              : QColor(246, 250, 255));
    img.save(path, "PNG");
}

class GroupListViewTest : public ScriptedUserTest {
protected:
    CFrameWnd* frame = nullptr;
    CCardTreeView* tree = nullptr;
    CCardListView* list = nullptr;
    PaneRecorder pane;
    QTemporaryDir dir;
    CGroup* root = nullptr;

    void SetUp() override {
        InstallScriptedUser(IDNO);
        WriteBackground("卡片背景.png");
        ASSERT_NE(frame = NewTestFrame(620, 420, "墨川"), nullptr);
        ASSERT_NE(tree = NewTestTree<CCardTreeView>(frame, &pane, CRect(0, 0, 220, 380)), nullptr);
        list = MakeList(tree, "卡片背景.png", "Bkground\\ViewCardList");
        pane.current = list;
        root = OpenStandardBook();
    }
    void TearDown() override {
        pane.current = nullptr;
        if (frame != nullptr && frame->m_hWnd != nullptr)
            frame->DestroyWindow();
        RemoveScriptedUser();
    }
    CCardListView* MakeList(CWnd* owner, const char* bkImage, const char* section) {
        auto* v = new CCardListView(bkImage);
        v->GetBkManager().SetSection(section);
        EXPECT_TRUE(v->Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(220, 0, 600, 380), frame,
                              AFX_IDW_PANE_FIRST + 1, nullptr));
        if (owner != nullptr)
            v->SetOwner(owner);
        v->OnInitialUpdate();
        return v;
    }
    CListCtrl& List() { return list->List(); }
    static CTestFolder* Folder(CGroup* parent, const char* name) {
        auto* g = new CTestFolder(name);
        parent->AddSubgroup(g);
        return g;
    }
    static void Card(CGroup* parent, const char* name) { parent->AddContent(new CTestCard(name)); }
    CGroup* OpenStandardBook() {
        CTestBookDoc doc;
        doc.m_root.SetName("通讯录");
        CTestFolder* family = Folder(&doc.m_root, "家人");
        for (const char* n : {"爸爸", "妈妈", "姐姐", "弟弟"})
            Card(family, n);
        Card(Folder(family, "表亲"), "表哥");
        Folder(&doc.m_root, "工作");
        CTestFolder* secret = Folder(&doc.m_root, "私密");
        secret->SetPassword("abc");
        secret->ModifyFlags(0, CGroup::FLAG_PASSWORD | CGroup::FLAG_LOCKED);
        CTestFolder* diary = Folder(&doc.m_root, "日记");
        diary->SetPassword("xyz");
        diary->ModifyFlags(0, CGroup::FLAG_PASSWORD);
        Card(&doc.m_root, "自己");
        Card(&doc.m_root, "同学录");
        CString path = AfxFromQt(dir.filePath("通讯录.tcb"));
        EXPECT_TRUE(doc.OnSaveDocument(path));
        CQuillmarBaseDoc* open = tree->OpenFile(path, FALSE);
        EXPECT_NE(open, nullptr);
        tree->GetTreeCtrl().Expand(tree->GetFileAt(0)->hItem, TVE_EXPAND);
        return tree->GetRootGroup(open);
    }
    CGroup* Group(const char* name) {
        return static_cast<CGroup*>(root->FindByName(name, TRUE, FALSE, TRUE));
    }
    CContent* CardOf(const char* name) {
        return static_cast<CContent*>(root->FindByName(name, FALSE, FALSE, TRUE));
    }
    // Makes the group current in the tree and lists it, as the document's update would.
    void Show(CGroup* g) {
        tree->GetTreeCtrl().SelectItem((HTREEITEM)g->GetTreeItem());
        ASSERT_EQ(tree->GetCurrentItem(), (HTREEITEM)g->GetTreeItem());
        list->OnUpdate(nullptr, 0, nullptr);
    }
    std::vector<std::string> Rows() {
        std::vector<std::string> out;
        for (int i = 0; i < List().GetItemCount(); ++i)
            out.push_back(List().GetItemText(i, 0).GetString());
        return out;
    }
    static std::vector<std::string> Names(CGroup* g) {
        std::vector<std::string> out;
        for (POSITION p = g->GetFirstSubgroupPosition(); p;)
            out.push_back(g->GetNextSubgroup(p)->GetName().GetString());
        for (POSITION p = g->GetFirstContentPosition(); p;)
            out.push_back(g->GetNextContent(p)->GetName().GetString());
        return out;
    }
    void Select(std::initializer_list<int> rows) {
        List().SetItemState(-1, 0, LVIS_SELECTED);
        for (int r : rows)
            List().SetItemState(r, LVIS_SELECTED, LVIS_SELECTED);
    }
    void FocusList() {
        frame->SetForegroundWindow();
        List().SetFocus();
        ASSERT_TRUE(WaitFor([&] { return CWnd::GetFocus() == &List(); }));
    }
    // Grid lines are kept in the profile from one list to the next.
    void SetGrid(bool on) {
        if (((List().GetExtendedStyle() & LVS_EX_GRIDLINES) != 0) != on)
            Run(CGroupListView::ID_VIEW_GRIDLINES);
        ASSERT_EQ((List().GetExtendedStyle() & LVS_EX_GRIDLINES) != 0, on);
    }
    BOOL Run(UINT id) { return list->OnCmdMsg(id, CN_COMMAND, nullptr, nullptr); }
    TestCmdUI Update(UINT id) { return UpdateOf(list, id); }
    CPoint RowCenter(int row) {
        CRect rc;
        List().GetItemRect(row, &rc, LVIR_ICON);
        return rc.CenterPoint();
    }
    // The list control's begin-drag notification for a press on the row.
    void BeginDrag(int row) {
        NMLISTVIEW nm{};
        nm.hdr.hwndFrom = List().m_hWnd;
        nm.hdr.idFrom = list->GetDlgCtrlID();
        nm.hdr.code = LVN_BEGINDRAG;
        nm.iItem = row;
        nm.ptAction = RowCenter(row);
        LRESULT r = 0;
        list->OnChildNotify(WM_NOTIFY, nm.hdr.idFrom, (LPARAM)&nm, &r);
        ASSERT_TRUE(list->GetDragHelper().IsDragging());
    }
    void Screenshot(const char* name) {
        QDir().mkpath(QUILLMAR_SCREENS_DIR);
        Pump();
        EXPECT_TRUE(frame->SaveScreenshot(ScreenPath(name).c_str()));
    }
};

} // namespace

TEST_F(GroupListViewTest, ListsSubGroupsThenContentsWithOverlaysInTheFourModes) {
    Show(root);
    // The group's own order: sub-groups, then cards.
    EXPECT_EQ(Rows(), (std::vector<std::string>{"工作", "家人", "日记", "私密", "同学录", "自己"}));
    struct Row {
        int image;
        int overlay; // 1 locked, 2 a password but unlocked
    } rows[] = {{kGroupImage, 0}, {kGroupImage, 0}, {kGroupImage, 2},
                {kGroupImage, 1}, {kCardImage, 0},  {kCardImage, 0}};
    for (int i = 0; i < 6; ++i) {
        LVITEM item{};
        item.mask = LVIF_IMAGE | LVIF_STATE;
        item.iItem = i;
        item.stateMask = LVIS_OVERLAYMASK;
        ASSERT_TRUE(List().GetItem(&item));
        EXPECT_EQ(item.iImage, rows[i].image) << i;
        EXPECT_EQ(item.state & LVIS_OVERLAYMASK, INDEXTOOVERLAYMASK(rows[i].overlay)) << i;
    }
    EXPECT_EQ(List().GetItemData(5), (DWORD_PTR)(CObject*)CardOf("自己"));
    EXPECT_EQ(list->GetRowTreeItem(1), (HTREEITEM)Group("家人")->GetTreeItem());
    EXPECT_EQ(list->GetRowTreeItem(6), nullptr);
    EXPECT_EQ(list->GetRowTreeItem(-1), nullptr);
    // The first update's styles and the default background image.
    EXPECT_EQ(List().GetStyle() & LVS_TYPEMASK, (DWORD)LVS_ICON);
    EXPECT_TRUE(List().GetStyle() & LVS_SHOWSELALWAYS);
    EXPECT_TRUE(List().GetStyle() & LVS_AUTOARRANGE);
    EXPECT_EQ(List().GetExtendedStyle() & (LVS_EX_SUBITEMIMAGES | LVS_EX_FULLROWSELECT),
              (DWORD)(LVS_EX_SUBITEMIMAGES | LVS_EX_FULLROWSELECT));
    LVBKIMAGE bk{};
    List().GetBkImage(&bk);
    EXPECT_NE(bk.hbm, nullptr);

    // Each mode command sets its style and checks only itself; details is never enabled.
    struct Mode {
        UINT id;
        DWORD style;
        const char* picture;
    } modes[] = {{CGroupListView::ID_VIEW_LARGEICON, LVS_ICON, "group-list-large-icons"},
                 {CGroupListView::ID_VIEW_SMALLICON, LVS_SMALLICON, "group-list-small-icons"},
                 {CGroupListView::ID_VIEW_LIST, LVS_LIST, "group-list-list"},
                 {CGroupListView::ID_VIEW_DETAILS, LVS_REPORT, nullptr}};
    for (const Mode& m : modes) {
        ASSERT_TRUE(Run(m.id));
        EXPECT_EQ(List().GetStyle() & LVS_TYPEMASK, m.style) << m.id;
        for (const Mode& other : modes) {
            TestCmdUI ui = Update(other.id);
            EXPECT_EQ(ui.check, other.id == m.id ? 1 : 0) << m.id << " " << other.id;
            EXPECT_EQ(ui.enabled, other.id != CGroupListView::ID_VIEW_DETAILS)
                << m.id << " " << other.id;
        }
        // Grid lines can be switched in the modes with the details bit.
        EXPECT_EQ(Update(CGroupListView::ID_VIEW_GRIDLINES).enabled,
                  (m.style & LVS_REPORT) != 0) << m.id;
        if (m.picture != nullptr) {
            List().SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
            Screenshot(m.picture);
        }
    }
    SetGrid(false);
    Run(CGroupListView::ID_VIEW_GRIDLINES);
    EXPECT_TRUE(List().GetExtendedStyle() & LVS_EX_GRIDLINES);
    EXPECT_EQ(Update(CGroupListView::ID_VIEW_GRIDLINES).check, 1);
    Screenshot("group-list-details-grid");
}

TEST_F(GroupListViewTest, SmallIconsComeThroughTheIconModeAndKeepTheGridLines) {
    Show(root);
    Run(CGroupListView::ID_VIEW_DETAILS);
    SetGrid(true);
    Run(CGroupListView::ID_VIEW_SMALLICON);
    EXPECT_EQ(list->GetViewMode(), CGroupListView::ModeSmallIcons);
    EXPECT_TRUE(List().GetExtendedStyle() & LVS_EX_GRIDLINES);
    // A refill in small-icon mode arranges again and keeps the mode.
    Show(Group("家人"));
    EXPECT_EQ(List().GetStyle() & LVS_TYPEMASK, (DWORD)LVS_SMALLICON);
    CPoint first, second;
    List().GetItemPosition(0, &first);
    List().GetItemPosition(1, &second);
    EXPECT_NE(first, second);
    Run(CGroupListView::ID_VIEW_DETAILS);
    EXPECT_TRUE(List().GetExtendedStyle() & LVS_EX_GRIDLINES);
    EXPECT_EQ(Update(CGroupListView::ID_VIEW_GRIDLINES).check, 1);
}

TEST_F(GroupListViewTest, TheFocusRowIsRememberedPerGroupAndResetWhenBeyondTheRows) {
    CGroup* family = Group("家人");
    Show(family);
    // The user focuses a row: the group remembers it and gets it back when shown again.
    List().SetItemState(3, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    EXPECT_EQ(family->GetFocusRow(), 3);
    Show(root);
    EXPECT_EQ(root->GetFocusRow(), -1);
    Show(family);
    EXPECT_EQ(List().GetNextItem(-1, LVNI_FOCUSED), 3);
    EXPECT_EQ(List().GetNextItem(-1, LVNI_SELECTED), 3);
    EXPECT_EQ(family->GetFocusRow(), 3);

    // Beyond the rows (after deletions elsewhere): reset, nothing selected.
    family->SetFocusRow(9);
    Show(family);
    EXPECT_EQ(family->GetFocusRow(), -1);
    EXPECT_EQ(List().GetSelectedCount(), 0u);

    // The refill's own focus changes are not the user's: the remembered row stays.
    family->SetFocusRow(2);
    list->m_nFocusOnInsert = 4;
    Show(family);
    EXPECT_EQ(family->GetFocusRow(), 2);
    EXPECT_EQ(List().GetNextItem(-1, LVNI_FOCUSED), 2);
}

TEST_F(GroupListViewTest, DeletingThreeSelectedRowsAsksOnceAndRemovesThemThroughTheTree) {
    CGroup* family = Group("家人");
    Show(family);
    ASSERT_EQ(Rows(), (std::vector<std::string>{"表亲", "爸爸", "弟弟", "姐姐", "妈妈"}));
    FocusList();
    // Nothing selected: the commands are off.
    Select({});
    EXPECT_FALSE(Update(CGroupListView::ID_DELETE).enabled);
    Select({0, 2, 4});
    List().SetItemState(2, LVIS_FOCUSED, LVIS_FOCUSED);
    EXPECT_EQ(family->GetFocusRow(), 2);
    for (UINT id : {CGroupListView::ID_DELETE, CGroupListView::ID_DELETE2,
                    CGroupListView::ID_COPY, CGroupListView::ID_CUT})
        EXPECT_TRUE(Update(id).enabled) << id;
    // No: nothing happens.
    answers = {IDNO};
    Run(CGroupListView::ID_DELETE);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(Names(family).size(), 5u);
    answers = {IDYES};
    Run(CGroupListView::ID_DELETE2);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1].text, "您真的要删除所有选择的项吗？");
    EXPECT_EQ(shown[1].type, (UINT)(MB_YESNO | MB_ICONQUESTION));
    EXPECT_EQ(Names(family), (std::vector<std::string>{"爸爸", "姐姐"}));
    EXPECT_EQ(Rows(), (std::vector<std::string>{"爸爸", "姐姐"}));
    EXPECT_EQ(family->GetFocusRow(), -1);
    EXPECT_TRUE(tree->GetCurrentDocument()->IsModified());
    // Not focused: off again.
    tree->GetTreeCtrl().SetFocus();
    ASSERT_TRUE(WaitFor([&] { return CWnd::GetFocus() == &tree->GetTreeCtrl(); }));
    Select({0});
    EXPECT_FALSE(Update(CGroupListView::ID_DELETE).enabled);
    EXPECT_FALSE(Update(CBkManager::IdChooseBkColor).enabled);
    FocusList();
    EXPECT_TRUE(Update(CBkManager::IdChooseBkColor).enabled);
}

TEST_F(GroupListViewTest, CopyAndCutFillTheTreesClipboardForAPasteElsewhere) {
    CGroup* family = Group("家人");
    Show(family);
    FocusList();
    Select({1, 3});
    Run(CGroupListView::ID_COPY);
    EXPECT_EQ(Names(&tree->GetClipboard()), (std::vector<std::string>{"爸爸", "姐姐"}));
    EXPECT_EQ(Names(family).size(), 5u);
    Select({0, 2});
    List().SetItemState(2, LVIS_FOCUSED, LVIS_FOCUSED);
    Run(CGroupListView::ID_CUT);
    // Cut empties the clipboard before the first row only.
    EXPECT_EQ(Names(&tree->GetClipboard()), (std::vector<std::string>{"表亲", "弟弟"}));
    EXPECT_EQ(Rows(), (std::vector<std::string>{"爸爸", "姐姐", "妈妈"}));
    EXPECT_EQ(family->GetFocusRow(), -1);
    // Pasted into another group through the tree.
    Show(Group("工作"));
    tree->GetTreeCtrl().SetFocus();
    tree->OnCmdMsg(CGroupTreeView::ID_PASTE, CN_COMMAND, nullptr, nullptr);
    EXPECT_EQ(Names(Group("工作")), (std::vector<std::string>{"表亲", "弟弟"}));
}

TEST_F(GroupListViewTest, WithoutAGroupTreeViewTheRowCommandsAreOffAndNoGroupListsNothing) {
    // A list beside no tree: nothing to show and nothing to act on.
    auto* lone = MakeList(nullptr, "卡片背景.png", "Bkground\\ViewCardListLone");
    EXPECT_EQ(lone->GetTreeView(), nullptr);
    lone->OnUpdate(nullptr, 0, nullptr);
    CListCtrl& l = lone->List();
    EXPECT_EQ(l.GetItemCount(), 0);
    // Rows put there by hand cannot be deleted, copied or cut.
    l.InsertItem(0, "孤儿");
    l.SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
    frame->SetForegroundWindow();
    l.SetFocus();
    ASSERT_TRUE(WaitFor([&] { return CWnd::GetFocus() == &l; }));
    for (UINT id : {CGroupListView::ID_DELETE, CGroupListView::ID_COPY, CGroupListView::ID_CUT}) {
        TestCmdUI ui;
        ui.m_nID = id;
        lone->OnCmdMsg(id, CN_UPDATE_COMMAND_UI, &ui, nullptr);
        EXPECT_FALSE(ui.enabled) << id;
    }
    answers = {IDYES};
    lone->OnCmdMsg(CGroupListView::ID_DELETE, CN_COMMAND, nullptr, nullptr);
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(l.GetItemCount(), 1);
    // A drop query answers the group's item: none here.
    GROUPDROPQUERY q;
    EXPECT_EQ(lone->SendMessage(WM_GROUPVIEW_DROPQUERY, 1, (LPARAM)&q), 0);
    lone->DestroyWindow();

    // Beside the tree but with the top item current: no group, an empty list.
    tree->GetTreeCtrl().SelectItem(tree->GetTopItem());
    list->OnUpdate(nullptr, 0, nullptr);
    EXPECT_EQ(List().GetItemCount(), 0);
}

TEST_F(GroupListViewTest, AMissingOrDamagedBackgroundImageLeavesAPlainList) {
    QFile bad(ProgramFile("坏背景.png"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("not a picture at all");
    bad.close();
    struct Case {
        const char* file;
        const char* section;
    } cases[] = {{"没有这个文件.png", "Bkground\\ViewCardListMissing"},
                 {"坏背景.png", "Bkground\\ViewCardListDamaged"}};
    for (const Case& c : cases) {
        auto* v = MakeList(tree, c.file, c.section);
        LVBKIMAGE bk{};
        v->List().GetBkImage(&bk);
        EXPECT_EQ(bk.hbm, nullptr) << c.file;
        EXPECT_EQ(v->List().GetBkColor(), 0xFFFFFFu) << c.file;
        v->OnUpdate(nullptr, 0, nullptr);
        v->DestroyWindow();
    }
}

TEST_F(GroupListViewTest, OpeningARowSelectsItInTheTreeAndCtrlASelectsAll) {
    Show(root);
    FocusList();
    NMITEMACTIVATE nm{};
    nm.hdr.hwndFrom = list->m_hWnd;
    nm.hdr.idFrom = list->GetDlgCtrlID();
    nm.hdr.code = NM_DBLCLK;
    nm.iItem = 0;
    LRESULT r = 0;
    list->OnChildNotify(WM_NOTIFY, nm.hdr.idFrom, (LPARAM)&nm, &r);
    EXPECT_EQ(tree->GetCurrentItem(), (HTREEITEM)Group("工作")->GetTreeItem());
    EXPECT_TRUE(WaitFor([&] { return CWnd::GetFocus() == &List(); }));
    // Enter on the focused selected row.
    Show(root);
    List().SetItemState(1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    List().SendMessage(WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(tree->GetCurrentItem(), (HTREEITEM)Group("家人")->GetTreeItem());
    Show(root);
    FocusList();
    QTest::keyClick(List().GetWidget(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ((int)List().GetSelectedCount(), List().GetItemCount());
}

TEST_F(GroupListViewTest, TheContextMenuIsTheConfiguredPopupAndCancelsADrag) {
    Show(root);
    std::vector<UINT> ids;
    QImage picture;
    AfxSetPopupMenuHook([&](HMENU hMenu, CWnd*, POINT, UINT) {
        CMenu* m = CMenu::FromHandle(hMenu);
        for (int i = 0; i < (int)m->GetMenuItemCount(); ++i)
            ids.push_back(m->GetMenuItemID(i));
        picture = AfxRenderPopupMenu(hMenu, list, 0);
        return 0u;
    });
    Select({0});
    BeginDrag(0);
    CPoint pt = RowCenter(0);
    List().ClientToScreen(&pt);
    list->SendMessage(WM_CONTEXTMENU, (WPARAM)list->m_hWnd, MAKELPARAM(pt.x, pt.y));
    AfxSetPopupMenuHook(nullptr);
    EXPECT_FALSE(list->GetDragHelper().IsDragging());
    ReleaseCapture();
    ASSERT_FALSE(ids.empty());
    EXPECT_EQ(ids[0], 311u);
    EXPECT_FALSE(picture.isNull());
}

TEST_F(GroupListViewTest, TheKeyboardsContextMenuOpensAtTheFocusedRow) {
    Show(root);
    std::vector<CPoint> at;
    AfxSetPopupMenuHook([&](HMENU, CWnd*, POINT pt, UINT) {
        at.push_back(pt);
        return 0u;
    });
    FocusList();
    List().SetItemState(1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    QTest::keyClick(List().GetWidget(), Qt::Key_F10, Qt::ShiftModifier);
    AfxSetPopupMenuHook(nullptr);
    ASSERT_EQ(1u, at.size());
    CRect row;
    List().GetItemRect(1, &row, LVIR_BOUNDS);
    List().ClientToScreen(&row);
    EXPECT_TRUE(row.PtInRect(at[0])) << "at the focused row, not at the screen's corner";
}

TEST_F(GroupListViewTest, TheTreeAsksTheListWhatIsUnderAPoint) {
    Show(Group("家人"));
    GROUPDROPQUERY q;
    CPoint pt = RowCenter(1);
    List().ClientToScreen(&pt);
    list->ScreenToClient(&pt);
    q.pt = pt;
    EXPECT_EQ(list->SendMessage(WM_GROUPVIEW_DROPQUERY, 1, (LPARAM)&q),
              (LRESULT)CardOf("爸爸")->GetTreeItem());
    EXPECT_EQ(q.nRow, 1);
    // Below the rows: the group's own item; without wParam nothing is answered.
    q.pt = CPoint(300, 370);
    EXPECT_EQ(list->SendMessage(WM_GROUPVIEW_DROPQUERY, 0, (LPARAM)&q), 0);
    EXPECT_EQ(q.nRow, -1);
    EXPECT_EQ(q.hHit, (HTREEITEM)Group("家人")->GetTreeItem());
}

TEST_F(GroupListViewTest, RowsDragOntoTheTreeAndBackWithCtrlAndShift) {
    CGroup* family = Group("家人");
    Show(family);
    CTreeCtrl& t = tree->GetTreeCtrl();
    t.Expand((HTREEITEM)family->GetTreeItem(), TVE_EXPAND);
    CListCtrlDragDropHelper& drag = list->GetDragHelper();
    // A tree item's point in the list's client coordinates.
    auto onTree = [&](HTREEITEM h) {
        CRect rc;
        t.GetItemRect(h, &rc, TRUE);
        CPoint pt = rc.CenterPoint();
        t.ClientToScreen(&pt);
        List().ScreenToClient(&pt);
        return pt;
    };
    auto dropAt = [&](CPoint pt, UINT keys) {
        drag.OnMessage(WM_MOUSEMOVE, keys, MAKELPARAM(pt.x, pt.y));
        drag.OnMessage(WM_LBUTTONUP, keys, MAKELPARAM(pt.x, pt.y));
        ReleaseCapture();
        list->OnUpdate(nullptr, 0, nullptr);
    };

    // Two rows moved onto the 工作 group of the tree.
    Select({1, 2});
    BeginDrag(1);
    dropAt(onTree((HTREEITEM)Group("工作")->GetTreeItem()), 0);
    EXPECT_EQ(Names(Group("工作")), (std::vector<std::string>{"爸爸", "弟弟"}));
    EXPECT_EQ(Rows(), (std::vector<std::string>{"表亲", "姐姐", "妈妈"}));
    // Ctrl copies: the row stays.
    Select({2});
    BeginDrag(2);
    dropAt(onTree((HTREEITEM)Group("工作")->GetTreeItem()), MK_CONTROL);
    EXPECT_EQ(Rows(), (std::vector<std::string>{"表亲", "姐姐", "妈妈"}));
    EXPECT_EQ(Names(Group("工作")).size(), 3u);
    // Shift puts a group beside the target group instead of into it.
    Select({0});
    BeginDrag(0);
    dropAt(onTree((HTREEITEM)Group("工作")->GetTreeItem()), MK_SHIFT);
    std::vector<std::string> top = Names(root);
    EXPECT_EQ(std::vector<std::string>(top.begin(), top.begin() + 3),
              (std::vector<std::string>{"工作", "表亲", "家人"}));

    // Back: from the tree onto a row of the list (a group row takes the card).
    Show(family);
    t.Expand((HTREEITEM)Group("工作")->GetTreeItem(), TVE_EXPAND);
    CTreeCtrlDragDropHelper& tdrag = tree->GetDragHelper();
    HTREEITEM mum = (HTREEITEM)static_cast<CContent*>(Group("工作")->FindByName("妈妈", FALSE, FALSE, FALSE))->GetTreeItem();
    ASSERT_NE(mum, nullptr);
    t.SelectItem(mum);
    Show(family);
    NMTREEVIEW nt{};
    nt.hdr.hwndFrom = t.m_hWnd;
    nt.hdr.code = TVN_BEGINDRAG;
    nt.itemNew.hItem = mum;
    CRect mr;
    t.GetItemRect(mum, &mr, TRUE);
    nt.ptDrag = mr.CenterPoint();
    ASSERT_TRUE(tdrag.OnMessage(WM_NOTIFY, 1, (LPARAM)&nt));
    // Over a row: the row lights up as the target, and goes dark when the pointer moves on.
    CPoint overRow = RowCenter(0);
    List().ClientToScreen(&overRow);
    t.ScreenToClient(&overRow);
    tdrag.OnMessage(WM_MOUSEMOVE, MK_CONTROL, MAKELPARAM(overRow.x, overRow.y));
    EXPECT_EQ(List().GetItemState(0, LVIS_DROPHILITED), (UINT)LVIS_DROPHILITED);
    // Over the list's empty space: the group shown takes it.
    CPoint below(300, 360);
    List().ClientToScreen(&below);
    t.ScreenToClient(&below);
    tdrag.OnMessage(WM_MOUSEMOVE, MK_CONTROL, MAKELPARAM(below.x, below.y));
    EXPECT_EQ(List().GetItemState(0, LVIS_DROPHILITED), 0u);
    tdrag.OnMessage(WM_LBUTTONUP, MK_CONTROL, MAKELPARAM(below.x, below.y));
    ReleaseCapture();
    Show(family);
    EXPECT_EQ(Rows(), (std::vector<std::string>{"姐姐", "妈妈", "妈妈"}));
    EXPECT_EQ(Names(Group("工作")).size(), 3u); // copied, still there

    // Inside the list: a card row dropped on the empty space goes to the end of the group.
    Select({0});
    BeginDrag(0);
    drag.OnMessage(WM_MOUSEMOVE, 0, MAKELPARAM(300, 360));
    drag.OnMessage(WM_LBUTTONUP, 0, MAKELPARAM(300, 360));
    ReleaseCapture();
    list->OnUpdate(nullptr, 0, nullptr);
    EXPECT_EQ(Rows(), (std::vector<std::string>{"妈妈", "妈妈", "姐姐"}));
}
