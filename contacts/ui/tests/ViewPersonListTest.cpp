// The contact list beside the address-book tree: its columns from damaged settings, sorting by
// header clicks with groups kept together, and cells of fields with several values.
#include "contacts/Person.h"
#include "contacts/PersonFields.h"
#include "contacts/SmsDoc.h"
#include "contacts/tests/ContactsTestSupport.h"
#include "contacts/ui/LeftView.h"
#include "contacts/ui/PersonListColumns.h"
#include "contacts/ui/ViewPersonList.h"
#include "platform/base/tests/TempFolder.h"
#include "platform/gui/Frame.h"
#include "platform/gui/HeaderCtrl.h"
#include "platform/gui/MessageBox.h"
#include "platform/gui/tests/GuiTestSupport.h"

#include <QDir>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<int> Ints(const CArray<int, int>& a) {
    std::vector<int> v;
    for (int i = 0; i < a.GetSize(); ++i)
        v.push_back(a[i]);
    return v;
}
CArray<int, int>* Array(std::vector<int> v, CArray<int, int>& a) {
    a.RemoveAll();
    for (int x : v)
        a.Add(x);
    return &a;
}

TEST(PersonListColumnsTest, StoredListsOfAnyShapeGiveUsableColumnsAndWidths) {
    const std::vector<int> defaults = {PF_NAME,         PF_MOBILE,     PF_PAGER,
                                       PF_EMAIL,        PF_QQ,         PF_HOME_PHONE,
                                       PF_OFFICE_PHONE, PF_DORM_PHONE, PF_BIRTHDAY};
    struct Row {
        std::vector<int> stored, want;
    } rows[] = {
        {{}, defaults},
        {{0, 5, 3}, {0, 5, 3}},
        {{5, 0}, {0, 5}},                                 // the name leads
        {{7}, {0, 7}},                                    // and is there even when not stored
        {{0, 46, 99, -1, 5, 5, 45, 1 << 30}, {0, 5, 45}}, // out of the table, repeated
    };
    for (const Row& r : rows) {
        CArray<int, int> stored, fields;
        ValidPersonColumns(*Array(r.stored, stored), fields);
        EXPECT_EQ(Ints(fields), r.want);
    }

    CArray<int, int> widths;
    struct Width {
        std::vector<int> stored;
        int field, want;
    } widthRows[] = {
        {{}, PF_NAME, 120},         {{}, PF_SEX, 40},
        {{}, PF_BIRTHDAY, 98},      {{}, PF_MODIFIED, 130},
        {{}, PF_MOBILE, 100},       {{200, -1, 0}, PF_NAME, 200},
        {{200, -1, 0}, PF_SEX, 40}, {{200, -1, 0}, PF_NICKNAME, 100}, // 0 is no width
        {{200}, PF_BIRTHDAY, 98},   {{55}, -1, 100},                  // short list, bad field
    };
    for (const Width& w : widthRows)
        EXPECT_EQ(PersonColumnWidth(Array(w.stored, widths), w.field), w.want)
            << "field " << w.field;
    EXPECT_EQ(PersonColumnWidth(nullptr, PF_NAME), 120);
}

class ViewPersonListTest : public GuiTest {
protected:
    test_folders::TempDir dir;
    CFrameWnd* frame = nullptr;
    CLeftView* tree = nullptr;
    CViewPersonList* view = nullptr;
    CSmsDoc* doc = nullptr;
    CArray<int, int> fields, widths;

    void SetUp() override {
        AfxSetMessageBoxHook([](const MessageBoxCall&) { return IDNO; });
        frame = new CFrameWnd;
        ASSERT_TRUE(frame->Create(nullptr, "墨川", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                  CRect(0, 0, 1180, 360)));
        tree = new CLeftView;
        ASSERT_TRUE(tree->Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 200, 340), frame,
                                 AFX_IDW_PANE_FIRST, nullptr));
        tree->OnInitialUpdate();
        CViewPersonList::SetSharedColumnSettings(&fields, &widths);
    }
    void TearDown() override {
        if (frame != nullptr && frame->m_hWnd != nullptr)
            frame->DestroyWindow();
        CViewPersonList::SetSharedColumnSettings(nullptr, nullptr);
        AfxSetMessageBoxHook(nullptr);
    }
    void MakeList() {
        view = new CViewPersonList;
        ASSERT_TRUE(view->Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(200, 0, 1170, 340),
                                 frame, AFX_IDW_PANE_FIRST + 1, nullptr));
        view->SetOwner(tree);
        view->OnInitialUpdate();
    }
    CListCtrl& List() { return view->GetListCtrl(); }
    static _CPerson* Person(_CGroup* g, const char* name, std::vector<const char*> mobiles = {}) {
        auto* p = new _CPerson(name);
        for (const char* m : mobiles)
            contacts_test::AddValue(p->GetInfo().m_personal.mobiles, m);
        g->AddContent(p);
        return p;
    }
    // A book with two groups and four contacts in its root, shown in the list.
    void OpenBook() {
        CSmsDoc book;
        _CGroup& root = book.GetRootGroup();
        root.SetName("通讯录");
        root.AddSubgroup(new _CGroup("乙组"));
        root.AddSubgroup(new _CGroup("甲组"));
        Person(&root, "张三", {"13900000003"});
        Person(&root, "李四", {"13900000001", "13700000000", "13800000000"});
        Person(&root, "王五", {"13900000002"});
        Person(&root, "赵六");
        CString path = (dir.str() + "/book.sms").c_str();
        ASSERT_TRUE(book.OnSaveDocument(path));
        doc = dynamic_cast<CSmsDoc*>(tree->OpenFile(path, FALSE));
        ASSERT_NE(doc, nullptr);
        tree->GetTreeCtrl().SelectItem(tree->GetFileAt(0)->hItem);
        view->OnUpdate(nullptr, 0, nullptr);
    }
    std::vector<std::string> Column(int col) {
        std::vector<std::string> out;
        for (int i = 0; i < List().GetItemCount(); ++i)
            out.push_back(List().GetItemText(i, col).GetString());
        return out;
    }
    std::vector<std::string> Headers() {
        std::vector<std::string> out;
        CHeaderCtrl* h = List().GetHeaderCtrl();
        for (int i = 0; h != nullptr && i < h->GetItemCount(); ++i) {
            char text[64] = {};
            HDITEM item{};
            item.mask = HDI_TEXT;
            item.pszText = text;
            item.cchTextMax = sizeof text;
            h->GetItem(i, &item);
            out.push_back(text);
        }
        return out;
    }
    int SortFormat(int col) {
        HDITEM item{};
        item.mask = HDI_FORMAT;
        List().GetHeaderCtrl()->GetItem(col, &item);
        return item.fmt & (HDF_SORTUP | HDF_SORTDOWN);
    }
    // A header click as the list reports it to its parent, which hands it back to the view.
    void ClickHeader(int col) {
        NMLISTVIEW nm{};
        nm.hdr.hwndFrom = view->m_hWnd;
        nm.hdr.idFrom = (UINT_PTR)view->GetDlgCtrlID();
        nm.hdr.code = LVN_COLUMNCLICK;
        nm.iItem = -1;
        nm.iSubItem = col;
        frame->SendMessage(WM_NOTIFY, nm.hdr.idFrom, (LPARAM)&nm);
    }
};

} // namespace

TEST_F(ViewPersonListTest, NoStoredColumnsGiveTheNineDefaultsAndTheyAreKeptBack) {
    MakeList();
    EXPECT_EQ(Headers(), (std::vector<std::string>{"姓名", "手机", "小灵通/传呼", "E-mail", "QQ",
                                                   "家庭电话", "办公电话", "宿舍电话", "生日"}));
    EXPECT_EQ(List().GetColumnWidth(0), 120);
    EXPECT_EQ(List().GetColumnWidth(8), 98);
    EXPECT_EQ(fields.GetSize(), 9) << "the columns shown become the stored list";
    List().SetColumnWidth(1, 150);
    view->StoreColumnLayout();
    ASSERT_GT(widths.GetSize(), PF_MOBILE);
    EXPECT_EQ(widths[PF_MOBILE], 150);
}

TEST_F(ViewPersonListTest, HeaderClicksSortAscendingThenDescendingWithGroupsTogether) {
    MakeList(); // the default columns: 手机 is the second
    OpenBook();
    // Unsorted: the group's own order, groups first.
    EXPECT_EQ(Column(0),
              (std::vector<std::string>{"甲组", "乙组", "李四", "王五", "张三", "赵六"}));
    EXPECT_EQ(view->GetSortColumn(), -1);

    ClickHeader(1); // 手机, ascending: groups first, an empty value before the numbers
    EXPECT_EQ(view->GetSortColumn(), 1);
    EXPECT_TRUE(view->IsSortAscending());
    EXPECT_EQ(SortFormat(1), HDF_SORTUP);
    std::vector<std::string> ascending = Column(0);
    ASSERT_EQ(ascending.size(), 6u);
    EXPECT_EQ(std::vector<std::string>(ascending.begin(), ascending.begin() + 2),
              (std::vector<std::string>{"甲组", "乙组"}))
        << "groups by name, on top";
    EXPECT_EQ(std::vector<std::string>(ascending.begin() + 2, ascending.end()),
              (std::vector<std::string>{"赵六", "李四", "王五", "张三"}));

    ClickHeader(1); // the same column again: descending, groups at the bottom
    EXPECT_FALSE(view->IsSortAscending());
    EXPECT_EQ(SortFormat(1), HDF_SORTDOWN);
    EXPECT_EQ(Column(0),
              (std::vector<std::string>{"张三", "王五", "李四", "赵六", "乙组", "甲组"}));

    ClickHeader(0); // another column: ascending again, its arrow only
    EXPECT_TRUE(view->IsSortAscending());
    EXPECT_EQ(SortFormat(0), HDF_SORTUP);
    EXPECT_EQ(SortFormat(1), 0);

    // A refill keeps the order; "none" goes back to groups first, then by name.
    ClickHeader(1);
    view->OnUpdate(nullptr, 0, nullptr);
    EXPECT_EQ(Column(0)[2], "赵六");
    view->OnCmdMsg(CViewPersonList::ID_SORT_NONE, CN_COMMAND, nullptr, nullptr);
    EXPECT_EQ(view->GetSortColumn(), -1);
    EXPECT_EQ(SortFormat(1), 0);
    EXPECT_EQ(Column(0)[0], "甲组");
    ClickHeader(1);
    QDir().mkpath(QUILLMAR_SCREENS_DIR);
    Pump();
    EXPECT_TRUE(frame->GetWidget()->grab().save(
        QString::fromStdString(ScreenPath("contacts-list-sorted")), "PNG"));
}

TEST_F(ViewPersonListTest, CellsShowEveryValueOrOnlyTheDefaultOneAndTheSex) {
    Array({PF_NAME, PF_MOBILE, PF_SEX}, fields);
    MakeList();
    OpenBook();
    _CPerson* li =
        dynamic_cast<_CPerson*>(doc->GetRootGroup().FindByName("李四", FALSE, FALSE, TRUE));
    ASSERT_NE(li, nullptr);
    li->GetInfo().m_personal.mobiles.SetCurrentIndex(2);
    li->GetInfo().m_personal.nSex = 1;
    view->OnUpdate(nullptr, 0, nullptr);
    ASSERT_EQ(Column(0),
              (std::vector<std::string>{"甲组", "乙组", "李四", "王五", "张三", "赵六"}));
    EXPECT_EQ(Column(1)[2], "13900000001\n13700000000\n13800000000");
    EXPECT_EQ(Column(2), (std::vector<std::string>{"", "", "男", "未知", "未知", "未知"}));
    view->OnCmdMsg(CViewPersonList::ID_DEFAULT_VALUES_ONLY, CN_COMMAND, nullptr, nullptr);
    EXPECT_EQ(Column(1)[2], "13800000000");
    EXPECT_EQ(Column(1)[3], "13900000002");
}

TEST_F(ViewPersonListTest, AllSubNodesListDeepContactsAndDeletingAGroupWithThemRemovesItOnce) {
    MakeList();
    CSmsDoc book;
    _CGroup& root = book.GetRootGroup();
    root.SetName("通讯录");
    auto* family = new _CGroup("家人");
    root.AddSubgroup(family);
    Person(family, "王芳");
    auto* cousins = new _CGroup("表亲");
    family->AddSubgroup(cousins);
    Person(cousins, "李明");
    auto* work = new _CGroup("同事");
    root.AddSubgroup(work);
    Person(work, "赵敏");
    Person(&root, "自己");
    CString path = (dir.str() + "/deep.sms").c_str();
    ASSERT_TRUE(book.OnSaveDocument(path));
    doc = dynamic_cast<CSmsDoc*>(tree->OpenFile(path, FALSE));
    ASSERT_NE(doc, nullptr);
    tree->GetTreeCtrl().SelectItem(tree->GetFileAt(0)->hItem);
    view->OnUpdate(nullptr, 0, nullptr);
    EXPECT_EQ(Column(0), (std::vector<std::string>{"家人", "同事", "自己"}));

    tree->OnCmdMsg(CLeftView::ID_SHOW_ALL_SUBNODES, CN_COMMAND, nullptr, nullptr);
    ASSERT_TRUE(tree->IsShowAllSubNodes());
    view->OnUpdate(nullptr, 0, nullptr); // the book's views hear it; this one stands alone
    std::vector<std::string> all = Column(0);
    EXPECT_EQ(all, (std::vector<std::string>{"家人", "同事", "自己", "王芳", "李明", "赵敏"}));
    // Contacts of groups below carry overlay 4.
    EXPECT_EQ(List().GetItemState(3, LVIS_OVERLAYMASK), (UINT)INDEXTOOVERLAYMASK(4));
    EXPECT_EQ(List().GetItemState(2, LVIS_OVERLAYMASK), 0u);

    // Every row selected and deleted: 家人 goes once with 王芳 and 李明 inside it.
    AfxSetMessageBoxHook([](const MessageBoxCall&) { return IDYES; });
    for (int i = 0; i < List().GetItemCount(); ++i)
        List().SetItemState(i, LVIS_SELECTED, LVIS_SELECTED);
    frame->SetForegroundWindow();
    List().SetFocus();
    ASSERT_TRUE(WaitFor([&] { return CWnd::GetFocus() == &List(); }));
    view->OnCmdMsg(CViewPersonList::ID_DELETE, CN_COMMAND, nullptr, nullptr);
    EXPECT_EQ(List().GetItemCount(), 0);
    EXPECT_TRUE(doc->GetRootGroup().IsEmpty());
    EXPECT_TRUE(doc->IsModified());
    AfxSetMessageBoxHook([](const MessageBoxCall&) { return IDNO; });
}
